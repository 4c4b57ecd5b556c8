// The doors through which plug-ins reach the window.
#include "hostinterface.h"

#include "base/mathutils.h"
#include "checks/appgui.h"
#include "editors/lclgrapheditor.h"
#include "openpage.h"
#include "pageviews.h"
#include "platform/slotguard.h"
#include "windowhost.h"

#include <QCursor>
#include <QTimer>

TMainFormPellorinIntf::TMainFormPellorinIntf(WindowHost &Window) : MainForm(Window.windowWidget()), m_window(&Window) {}

void TMainFormPellorinIntf::OpenFile(const QString &FileName)
{
    if (WindowHost *window = host())
        QTimer::singleShot(0, MainForm.data(), guarded([form = MainForm, window, FileName] {
                               if (form)
                                   window->page().open(FileName);
                           }));
}

void TMainFormPellorinIntf::GetSelection(QList<void *> &List)
{
    const TGraphEditor *editor = host() ? host()->views().ActiveGraphEditor() : nullptr;
    if (!editor)
        return;
    DataList selected;
    editor->GetSelected(&selected);
    for (void *data : selected)
        List.append(data);
}

QString TMainFormPellorinIntf::GetFileName() { return host() ? host()->page().fileName() : QString(); }

QString TMainFormPellorinIntf::GetCurrent(TWQFFile *&Doc)
{
    Doc = nullptr;
    WindowHost *window = host();
    if (!window)
        return QString();
    Doc = window->page().document();
    // Unlike the host hook, the notes tab names no section here.
    const QString name = window->views().currentSectionName();
    return name == QLatin1String("notes") ? QString() : name;
}

bool TMainFormPellorinIntf::GetMousePos(int &X, int &Y)
{
    auto *editor = host() ? dynamic_cast<TImageGraphEditor *>(host()->views().ActiveGraphEditor()) : nullptr;
    if (!editor || !editor->Host())
        return false;
    const QPoint client = editor->Host()->mapFromGlobal(QCursor::pos());
    const Point scroll = editor->GetScrollPos();
    X = clampedAdd(client.x(), scroll.X);
    Y = clampedAdd(client.y(), scroll.Y);
    return true;
}

void TMainFormPellorinIntf::RefreshSection(const QString &sectionName)
{
    TImageGraphEditor *editor = host() ? host()->views().diagramEditor(sectionName) : nullptr;
    if (!editor)
        return;
    DataList selected;
    editor->GetSelected(&selected);
    editor->Rebuild();
    editor->SetSelected(&selected, true);
}

void installHostHooks(WindowHost &Window)
{
    HostHooks &hooks = hostHooks();
    hooks.OnGetCurrentDoc = [&Window] { return Window.page().document(); };
    hooks.OnGetCurrentSectionName = [&Window] { return Window.views().currentSectionName(); };
    hooks.OnDocReloaded = [&Window] { Window.page().contentReplaced(); };
    hooks.onStoreViewTexts = [&Window] { Window.page().storeViewTexts(); };
    hooks.onDocReplaced = [&Window](std::unique_ptr<TWQFFile> &Doc) { return Window.page().replace(Doc); };
}

void removeHostHooks()
{
    HostHooks &hooks = hostHooks();
    hooks.OnGetCurrentDoc = nullptr;
    hooks.OnGetCurrentSectionName = nullptr;
    hooks.OnDocReloaded = nullptr;
    hooks.onStoreViewTexts = nullptr;
    hooks.onDocReplaced = nullptr;
}
