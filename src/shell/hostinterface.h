#pragma once
// The host interface: what plug-ins may ask of the main window. It answers nothing once the
// window is gone. Selection, mouse position and section refresh concern the diagram editors,
// which exist only while a page is open.
#include "checks/pellorinplugin.h"

#include <QPointer>

class TMainFrm;

class TMainFormPellorinIntf : public TPellorinAppIntf {
public:
    explicit TMainFormPellorinIntf(TMainFrm *Form);
    void OpenFile(const QString &FileName) override;
    QString GetFileName() override;
    QString GetCurrent(TWQFFile *&Doc) override;
    // "preproc" or "postproc" (exact): the diagram is rebuilt from its section with the same
    // selection, and the page counts as modified.
    void RefreshSection(const QString &SectionName) override;

    QPointer<TMainFrm> MainForm;
};
