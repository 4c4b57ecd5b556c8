#include "hostinterface.h"

#include "base/mathutils.h"
#include "editors/lclgrapheditor.h"
#include "mainform.h"
#include "openpage.h"
#include "platform/slotguard.h"

#include <QCursor>
#include <QTimer>

TMainFormPellorinIntf::TMainFormPellorinIntf(TMainFrm *Form) : MainForm(Form) {}

void TMainFormPellorinIntf::OpenFile(const QString &FileName)
{
    if (MainForm)
        QTimer::singleShot(0, MainForm.data(), guarded([form = MainForm, FileName] {
                               if (form)
                                   form->OpenFile(FileName);
                           }));
}

void TMainFormPellorinIntf::GetSelection(QList<void *> &List)
{
    const TGraphEditor *editor = MainForm ? MainForm->ActiveGraphEditor() : nullptr;
    if (!editor)
        return;
    TDataList selected;
    editor->GetSelected(&selected);
    for (void *data : selected)
        List.append(data);
}

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

bool TMainFormPellorinIntf::GetMousePos(int &X, int &Y)
{
    auto *editor = MainForm ? dynamic_cast<TImageGraphEditor *>(MainForm->ActiveGraphEditor()) : nullptr;
    if (!editor || !editor->Host())
        return false;
    const QPoint client = editor->Host()->mapFromGlobal(QCursor::pos());
    const TPoint scroll = editor->GetScrollPos();
    X = ClampedAdd(client.x(), scroll.X);
    Y = ClampedAdd(client.y(), scroll.Y);
    return true;
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
}

void TMainFormPellorinIntf::MarkModified()
{
    if (MainForm)
        MainForm->SetModified(true);
}
