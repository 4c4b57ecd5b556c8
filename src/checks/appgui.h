#pragma once
// Lets modules that start before the main window add entries to its menus and reach the open
// document without knowing the main window's class.
#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class TWQFFile;

// One menu entry waiting for the main menu.
struct TPendingMenu {
    QString topCaption;
    // Owned by the application object until attached; none once attached.
    QPointer<QAction> item;
};

class MenuQueue {
public:
    // With the main menu known, a new entry under topCaption at once (none when there is no
    // such menu); otherwise a queued entry. The caller sets caption, shortcut and handler.
    QAction *addMenuItem(const QString &topCaption);
    // Remembers the main menu and attaches the queued entries in queue order.
    void setMainMenu(QMenuBar *menu);
    // Appends item (a new entry for none) to the top-level menu whose caption equals
    // topCaption, "&" mnemonics ignored; the menu then owns it. None when there is no such
    // menu or no main menu; item then stays where it was.
    QAction *attachMenuItem(const QString &topCaption, QAction *item);

    const std::vector<TPendingMenu> &pendingMenus() const { return m_pending; }
    QMenuBar *mainMenu() const { return m_mainMenu; }

private:
    std::vector<TPendingMenu> m_pending;
    QPointer<QMenuBar> m_mainMenu;
};

// Set by the main window to its own methods; empty until then.
struct HostHooks {
    std::function<TWQFFile *()> OnGetCurrentDoc;
    std::function<QString()> OnGetCurrentSectionName;
    std::function<void()> OnDocReloaded;
    // Brings what the window holds outside the page (the HTML and script text, the notes with
    // their rectangles, the function name) into the open page, as a save does.
    std::function<void()> onStoreViewTexts;
    // An external program rewrote the page: the window takes Doc in place of the open page
    // (keeping the page's file name), builds its views from it, marks the page modified and
    // answers true. When it cannot show Doc it keeps the open page and its views as they
    // were, tells the user why, and answers false with Doc untouched.
    std::function<bool(std::unique_ptr<TWQFFile> &Doc)> onDocReplaced;
};

// The program's queue, from initAppGui to doneAppGui; the menu functions raise "Object
// reference is Nil" outside that time.
void initAppGui();
void doneAppGui();
MenuQueue &menuQueue();
QAction *AddMenuItem(const QString &topCaption);
void SetMainMenu(QMenuBar *menu);
QAction *AttachMenuItem(const QString &topCaption, QAction *item);

HostHooks &hostHooks();
// The hooks' answers; nil, empty and nothing while a hook is empty.
TWQFFile *CallGetCurrentDoc();
QString CallGetCurrentSectionName();
void CallDocReloaded();
void callStoreViewTexts();
// False, doc untouched, while the hook is empty.
bool callDocReplaced(std::unique_ptr<TWQFFile> &doc);

// A menu caption without its "&" mnemonic markers ("&&" stands for one "&").
QString stripMnemonic(const QString &caption);
