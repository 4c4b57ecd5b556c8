#pragma once
// The two doors through which plug-ins reach the main window: the host interface, and the
// host hooks of the checks layer. Both answer from the window's WindowHost; the interface
// answers nothing once the window is gone, and the hooks are emptied before it goes.
// Selection, mouse position and section refresh concern the diagram editors, which exist only
// while a page is open.
#include "checks/pellorinplugin.h"

#include <QPointer>
#include <QWidget>

class WindowHost;

class TMainFormPellorinIntf : public TPellorinAppIntf {
public:
    explicit TMainFormPellorinIntf(WindowHost &window);
    // Opens the page once the running event is over: a plug-in asks from inside a key event
    // whose widgets the open deletes.
    void OpenFile(const QString &fileName) override;
    // The data of the active diagram's selected items in item order: components, notes and
    // note handles.
    void GetSelection(QList<void *> &list) override;
    QString GetFileName() override;
    QString GetCurrent(TWQFFile *&doc) override;
    // The graph coordinates under the mouse cursor in the active diagram: its image's client
    // coordinates plus the scroll position. False, x and y untouched, without one.
    bool GetMousePos(int &x, int &y) override;
    // "preproc" or "postproc" (exact): the diagram is rebuilt from its section with the same
    // selection; the page is not changed. A plug-in's change to the page's tree has made the
    // page modified already.
    void RefreshSection(const QString &sectionName) override;

    // The window it answers for; none once it is gone.
    QPointer<QWidget> MainForm;

private:
    // The window's host while MainForm lives.
    WindowHost *host() const { return MainForm ? m_window : nullptr; }

    WindowHost *m_window;
};

// Points the host hooks at the window: the open page, the section of the tab in front, and
// the three ways an external program's result reaches the page. Until removeHostHooks.
void installHostHooks(WindowHost &window);
// The hooks must not reach a window that is gone.
void removeHostHooks();
