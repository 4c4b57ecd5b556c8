#pragma once
// What the window's units ask of the main window. The main window implements it and hands it
// to each unit it makes; a unit keeps the reference, asks through it, and tells the window
// what happened through its own Qt signals. No unit knows the main window's class.
class OpenPage;
class PageViews;
class QWidget;

class WindowHost {
public:
    virtual ~WindowHost() = default;

    // The open page.
    virtual OpenPage &page() = 0;
    // The tabs that show it.
    virtual PageViews &views() = 0;
    // The window itself: the parent of its dialogs, the holder of its keyboard focus.
    virtual QWidget *windowWidget() = 0;

protected:
    WindowHost() = default;
    WindowHost(const WindowHost &) = default;
    WindowHost &operator=(const WindowHost &) = default;
};
