#pragma once
// The main window: the editor's one document window, from start-up to the end of the program.
// It lays out the menus, the tabs that show the page (PageViews) and the check message list
// below them (CheckMessagePanel), and wires the menus and the units' signals to the units that
// carry them out; it stores its state in the settings when it is destroyed. The units ask it
// for what they need through WindowHost and SaveSteps, which it implements, and tell it what
// happened through their signals. The operations other code names stay callable here, as
// short forwarders.
#include "model/commentrects.h"
#include "model/wqftypes.h"
#include "windowhost.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class CheckMessagePanel;
class DiagramCommands;
class KeyDispatch;
class OpenPage;
class OpenRequests;
class PageViews;
class Palette;
class QImage;
class QMenu;
class QMenuBar;
class RecentFiles;
class RecentFilesMenu;
class TGraphEditor;
class TImageGraphEditor;
class PageSearch;
class TextTabs;

// Where the main window finds its program folder and command line.
struct MainFrmOptions {
    // Ending with "/", as the start-up resolved it.
    QString programFolder;
    // None: the program's own arguments.
    std::optional<QStringList> commandLine;
};

class TMainFrm : public QMainWindow, private WindowHost, private SaveSteps {
    Q_OBJECT
public:
    explicit TMainFrm(const MainFrmOptions &options, QWidget *parent = nullptr);
    ~TMainFrm() override;

    // The open page: document, file name, modified state, file stamp, and the operations on
    // the file.
    OpenPage *openPage() const { return m_page.get(); }

    // ---- the open page (OpenPage, OpenRequests) ----
    void OpenWithDialog();
    void OpenFile(const QString &fileName);
    bool CloseDocument(bool ask);
    // Remembers the file name; caption, application title and icon from the naming plug-in.
    void SetFileName(const QString &fileName);
    // OpenPage::setModified: a change the views hold (true), or the page as it stands taken
    // for its file's (false).
    void SetModified(bool value);
    PageOptions XmlOptionFlags() const;
    bool SaveFile(const QString &fileName);
    QString MakeBackupName(const QString &pagePath) const;
    void CheckFileChanged();
    void AppActivate() { CheckFileChanged(); }
    // Page files are opened, the first here and each further one by a new instance; other
    // files are skipped.
    void FormDropFiles(const QStringList &fileNames);
    TWQFFile *GetCurrentDoc() const;

    // ---- the views (PageViews) ----
    TImageGraphEditor *PreEditor() const;
    TImageGraphEditor *PostEditor() const;
    const CommentRectList &CommentRects() const;
    // The text tabs: HTML, WQF Info, XML Respond and the two hidden HTML views.
    const TextTabs *textTabs() const;
    // The cached picture ImagesDir + prefix + Key + ".png"; none when it is missing.
    const QImage *GetImage(const QString &prefix, const QString &key);
    const QImage *GetRuleImage(const QString &kind) { return GetImage(QStringLiteral("rule"), kind); }
    // The diagrams' picture of a component: its macro's, else its type's.
    const QImage *GetItemImage(TWQFItem *item, const QString &kind);
    // A new macro component's code from its macro's defaults, written into the component.
    void ApplyMacro(TWQFFile *doc, TWQFSection *section, QString &code, TWQFItem *item);

    // ---- the check message list (CheckMessagePanel) ----
    // Appends line to the message list when the option DbgClip is on.
    void DebugLog(const QString &line);
    // The quick check of the save (quickOnly) or the full check of Tools > "Check WQF file".
    void RunChecks(bool quickOnly);
    QStringList messageLines() const;

    // ---- the editing commands on the diagrams (DiagramCommands) ----
    DiagramCommands *diagramCommands() const { return m_commands.get(); }
    void DeleteSelected(TGraphEditor *editor);
    void CopyCommand();
    void PasteCommand(int x, int y);
    void FlipQueryType();
    void FlushQueryParams();

    // Delete, the shortcut plug-ins and the type-ahead selection.
    KeyDispatch *keyDispatch() const { return m_keys.get(); }

    // The per-user configuration folder, the folder of the recent-files list.
    const QString &ConfigFolder() const { return m_configFolder; }

signals:
    // The window was closed; the program's event loop ends with it, whatever other windows
    // are open.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The units with the tabs and the message list they make, the menus with the commands of
    // each entry, the places of the tabs and the list, and the units' signals to the units
    // that carry them out.
    void createUnits(const QString &programFolder);
    void createMenus();
    void createLayout();
    void connectUnits();
    void FormCreate(const MainFrmOptions &options);
    void FormDestroy();
    void FormShow();
    // Enabled and priority of every check plug-in from the options, with their defaults.
    void LoadPluginSettings();

    // What the window's units ask of it.
    OpenPage &page() override { return *m_page; }
    PageViews &views() override { return *m_views; }
    QWidget *windowWidget() override { return this; }
    void writeViews(TWQFFile &page) override;
    void quickCheck() override;

    void mnuSaveClick();
    void mnuExitClick();
    void mnuFindNextClick();
    void mnOnlineHelpClick();

    // Declared in the order they must be made; the units refer to the page and the views.
    std::unique_ptr<OpenPage> m_page;
    std::unique_ptr<OpenRequests> m_openRequests;
    std::unique_ptr<PageViews> m_views;
    std::unique_ptr<CheckMessagePanel> m_messages;
    // Find, Find Next and the search results over the page and the HTML editor.
    std::unique_ptr<PageSearch> m_search;
    std::unique_ptr<DiagramCommands> m_commands;
    std::unique_ptr<KeyDispatch> m_keys;
    // Made once the catalogue and the macros are loaded.
    std::unique_ptr<Palette> m_palette;
    QString m_configFolder;
    std::unique_ptr<RecentFiles> m_recentFiles;

    QMenuBar *m_mainMenu;
    QMenu *m_recentMenu;
    // The diagrams' context menu.
    QMenu *m_diagramMenu;
    // Declared after the menu it fills.
    std::unique_ptr<RecentFilesMenu> m_recentItems;
};

// The main window while it exists; set before its create steps run.
TMainFrm *mainFrm();

// The program's folder (ending with "/") and its pictures folder, set when the main window
// is created.
QString AppDir();
QString ImagesDir();

// Appends to list the names, without folder, of the entries of folder that match mask and
// Attributes (platform::FileAttr), in the folder listing's order; nothing without a list.
// The start-up's name for ListFolder.
void ListFiles(const QString &folder, const QString &mask, unsigned attributes, QStringList *list);
