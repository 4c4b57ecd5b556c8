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
    // Opens the page once the running event is over: a plug-in asks from inside a key event
    // whose widgets the open deletes.
    void OpenFile(const QString &FileName) override;
    // The data of the active diagram's selected items in item order: components, notes and
    // note handles.
    void GetSelection(QList<void *> &List) override;
    QString GetFileName() override;
    QString GetCurrent(TWQFFile *&Doc) override;
    // The graph coordinates under the mouse cursor in the active diagram: its image's client
    // coordinates plus the scroll position. False, X and Y untouched, without one.
    bool GetMousePos(int &X, int &Y) override;
    // "preproc" or "postproc" (exact): the diagram is rebuilt from its section with the same
    // selection; the page is not changed. A plug-in's change to the page's tree has made the
    // page modified already; MarkModified marks it so in any case.
    void RefreshSection(const QString &SectionName) override;
    void MarkModified() override;

    QPointer<TMainFrm> MainForm;
};
