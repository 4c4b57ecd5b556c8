#pragma once
// What the window's units ask of the main window. The main window implements these and hands
// them to the units it makes; a unit keeps the reference, asks through it, and tells the
// window what happened through its own Qt signals. No unit knows the main window's class.
class OpenPage;
class PageViews;
class QWidget;
class TWQFFile;

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

// What a save of the open page asks of the window, in this order: what the views hold outside
// the page into it (before the diagram heights are recorded), then the quick check (after
// them).
class SaveSteps {
public:
    virtual ~SaveSteps() = default;

    virtual void writeViews(TWQFFile &page) = 0;
    virtual void quickCheck() = 0;

protected:
    SaveSteps() = default;
    SaveSteps(const SaveSteps &) = default;
    SaveSteps &operator=(const SaveSteps &) = default;
};
