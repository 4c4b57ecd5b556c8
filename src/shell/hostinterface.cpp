#include "hostinterface.h"

#include "editors/lclgrapheditor.h"
#include "mainform.h"
#include "openpage.h"

TMainFormPellorinIntf::TMainFormPellorinIntf(TMainFrm *Form) : MainForm(Form) {}

QString TMainFormPellorinIntf::GetFileName() { return MainForm ? MainForm->openPage()->fileName() : QString(); }

QString TMainFormPellorinIntf::GetCurrent(TWQFFile *&Doc)
{
    Doc = nullptr;
    if (!MainForm)
        return QString();
    Doc = MainForm->GetCurrentDoc();
    // Unlike the host hook, the notes tab names no section here.
    const QString name = MainForm->currentSectionName();
    return name == QLatin1String("notes") ? QString() : name;
}

void TMainFormPellorinIntf::OpenFile(const QString &FileName)
{
    if (MainForm)
        MainForm->OpenFile(FileName);
}

void TMainFormPellorinIntf::RefreshSection(const QString &SectionName)
{
    if (!MainForm)
        return;
    TImageGraphEditor *editor = MainForm->diagramEditor(SectionName);
    if (!editor)
        return;
    TDataList selected;
    editor->GetSelected(&selected);
    editor->Rebuild();
    editor->SetSelected(&selected, true);
    // The plug-in changed the section: closing must not drop that silently.
    MainForm->EditorChanged();
}
