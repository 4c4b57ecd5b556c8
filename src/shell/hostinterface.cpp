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

TMainFormPellorinIntf::TMainFormPellorinIntf(WindowHost &window) : MainForm(window.windowWidget()), m_window(&window) {}

void TMainFormPellorinIntf::OpenFile(const QString &fileName)
{
    if (WindowHost *window = host())
        QTimer::singleShot(0, MainForm.data(), guarded([form = MainForm, window, fileName] {
                               if (form)
                                   window->page().open(fileName);
                           }));
}

void TMainFormPellorinIntf::GetSelection(QList<void *> &list)
{
    const TGraphEditor *editor = host() ? host()->views().activeGraphEditor() : nullptr;
    if (!editor)
        return;
    DataList selected;
    editor->GetSelected(&selected);
    for (void *data : selected)
        list.append(data);
}

QString TMainFormPellorinIntf::GetFileName() { return host() ? host()->page().fileName() : QString(); }

QString TMainFormPellorinIntf::GetCurrent(TWQFFile *&doc)
{
    doc = nullptr;
    WindowHost *window = host();
    if (!window)
        return QString();
    doc = window->page().document();
    // Unlike the host hook, the notes tab names no section here.
    const QString name = window->views().currentSectionName();
    return name == QLatin1String("notes") ? QString() : name;
}

bool TMainFormPellorinIntf::GetMousePos(int &x, int &y)
{
    auto *editor = host() ? dynamic_cast<TImageGraphEditor *>(host()->views().activeGraphEditor()) : nullptr;
    if (!editor || !editor->Host())
        return false;
    const QPoint client = editor->Host()->mapFromGlobal(QCursor::pos());
    const Point scroll = editor->GetScrollPos();
    x = clampedAdd(client.x(), scroll.x);
    y = clampedAdd(client.y(), scroll.y);
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

void installHostHooks(WindowHost &window)
{
    HostHooks &hooks = hostHooks();
    hooks.OnGetCurrentDoc = [&window] { return window.page().document(); };
    hooks.OnGetCurrentSectionName = [&window] { return window.views().currentSectionName(); };
    hooks.OnDocReloaded = [&window] { window.page().contentReplaced(); };
    hooks.onStoreViewTexts = [&window] { window.page().storeViewTexts(); };
    hooks.onDocReplaced = [&window](std::unique_ptr<TWQFFile> &doc) { return window.page().replace(doc); };
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
