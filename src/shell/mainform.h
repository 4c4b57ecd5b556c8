#pragma once
// The main window: the editor's one document window, from start-up to the end of the program.
// It lays out the seven tabs, the message list below them and the menus, and wires them to
// the open page (OpenPage), the two diagram tabs (DiagramTab), the text tabs (TextTabs) and
// the check message list; it stores its state in the settings when it is destroyed. The
// operations other code names stay callable here, most as short forwarders.
#include "diagramtab.h"
#include "model/commentrects.h"
#include "model/wqftypes.h"
#include "picturecache.h"
#include "windowhost.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

class DiagramCommands;
class KeyDispatch;
class OpenPage;
class OpenRequests;
class Palette;
class QAction;
class QImage;
class QListWidget;
class QMenu;
class QMenuBar;
class QScrollArea;
class QSplitter;
class QTabWidget;
class QTimer;
class RecentFiles;
class RecentFilesMenu;
class TGraphEditor;
class TImageGraphEditor;
class TPageSearch;
class TextTabs;

// Where the main window finds its program folder and command line.
struct TMainFrmOptions {
    // Ending with "/", as the start-up resolved it.
    QString ProgramFolder;
    // None: the program's own arguments.
    std::optional<QStringList> CommandLine;
};

class TMainFrm : public QMainWindow, private WindowHost {
    Q_OBJECT
public:
    explicit TMainFrm(const TMainFrmOptions &Options = TMainFrmOptions(), QWidget *Parent = nullptr);
    ~TMainFrm() override;

    // The open page: document, file name, modified state, file stamp, and the operations on
    // the file.
    OpenPage *openPage() const { return m_page.get(); }

    // ---- opening, building the views and closing (OpenPage) ----
    void OpenWithDialog();
    void OpenFile(const QString &FileName);
    bool CloseDocument(bool Ask);
    // Frees both diagram editors and empties the notes, function name and flags without
    // writing into the page; frees the page too when FreeDoc.
    void CloseViews(bool FreeDoc);
    // Builds every view from the open page; false, with a message and nothing built, when
    // the page lacks one of the two diagram sections.
    bool LoadViews();
    // Remembers the file name; caption, application title and icon from the naming plug-in.
    void SetFileName(const QString &FileName);
    // OpenPage::setModified: a change the views hold (true), or the page as it stands taken
    // for its file's (false).
    void SetModified(bool Value);
    // The diagram editors' change (a move, a panel edit): the notes, which it may have moved
    // or edited, into the page.
    void EditorChanged();
    PageOptions XmlOptionFlags() const;
    bool SaveFile(const QString &FileName);
    QString MakeBackupName(const QString &PagePath) const;
    bool ConfirmOverwriteReadOnly(const QString &FileName);
    void CheckFileChanged();
    void AppActivate() { CheckFileChanged(); }
    // The page's content was replaced in place (an external program): the views are built
    // again and the page counts as modified. A content without its diagram sections closes
    // the page.
    void DocReloaded();
    // An external program rewrote the page into Doc: the window shows Doc in its place and
    // the page counts as modified. False, with the reason shown and Doc untouched, when Doc
    // lacks a diagram section; the open page and its views then stay.
    bool DocReplaced(std::unique_ptr<TWQFFile> &Doc);
    // The HTML, the notes with their rectangles and the function name into the open page, as
    // the save does first.
    void StoreViewTexts();

    // ---- dropped files, command line ----
    // Page files are opened, the first here and each further one by a new instance; other
    // files are skipped.
    void FormDropFiles(const QStringList &FileNames);

    // ---- the text tabs (TextTabs) ----
    void SetHtmlText(const QString &Text);

    // ---- pictures ----
    // The cached picture ImagesDir + Prefix + Key + ".png"; none when it is missing.
    const QImage *GetImage(const QString &Prefix, const QString &Key);
    const QImage *GetRuleImage(const QString &Kind) { return GetImage(QStringLiteral("rule"), Kind); }
    // The diagrams' picture of a component: its macro's, else its type's.
    const QImage *GetItemImage(TWQFItem *Item, const QString &Kind);
    // A new picture of the notes' button; none when the file is missing.
    std::unique_ptr<QImage> LoadNoteImage() const;
    // A new macro component's code from its macro's defaults, written into the component.
    void ApplyMacro(TWQFFile *Doc, TWQFSection *Section, QString &Code, TWQFItem *Item);

    // Appends Line to the message list when the option DbgClip is on.
    void DebugLog(const QString &Line);
    // The first tab, hidden ones counted, whose caption is exactly Caption; "Pre process" when
    // none is, or when the match is a tab that never shows.
    void SelectTabByCaption(const QString &Caption);
    // Enabled and priority of every check plug-in from the options, with their defaults.
    void LoadPluginSettings();
    // Frees the open page's notes.
    void ClearCommentRects() { m_commentRects.clear(); }

    // ---- the check message list ----
    // The check run over the open page, filling the message list: the quick check of the save
    // (QuickOnly) or the full check of Tools > "Check WQF file", which first brings the texts
    // typed since the last save into the page.
    void RunChecks(bool QuickOnly);
    // The double-click on a message line: the tab of the section it names, the component of
    // the number it names, and for a compiler error the place in that component's first code
    // editor.
    void ListBox1DblClick();
    QStringList messageLines() const;

    // ---- the diagrams ----
    // The diagram editor of the active tab; none on other tabs and while no page is open.
    TGraphEditor *ActiveGraphEditor() const;
    // Selects and shows the component of the active diagram with that name, else the first
    // whose name contains it.
    void SelectItemByName(const QString &Name);
    TImageGraphEditor *PreEditor() const;
    TImageGraphEditor *PostEditor() const;
    // The editor of the section named exactly so; none for any other name or without a page.
    TImageGraphEditor *diagramEditor(const QString &Section) const;
    const TCommentRectList &CommentRects() const { return m_commentRects; }

    // ---- the editing commands on the diagrams (DiagramCommands) ----
    DiagramCommands *diagramCommands() const { return m_commands.get(); }
    void DeleteSelected(TGraphEditor *Editor);
    void CopyCommand();
    void PasteCommand(int X, int Y);
    void FlipQueryType();
    void FlushQueryParams();

    // Delete, the shortcut plug-ins and the type-ahead selection.
    KeyDispatch *keyDispatch() const { return m_keys.get(); }

    // ---- answers of the host hooks ----
    TWQFFile *GetCurrentDoc() const;
    // "preproc", "postproc", "html" or "notes" by the active tab, else empty.
    QString currentSectionName() const;

    // The text tabs: HTML, WQF Info, XML Respond and the two hidden HTML views.
    const TextTabs *textTabs() const { return m_textTabs.get(); }

    // The per-user configuration folder, the folder of the recent-files list.
    const QString &ConfigFolder() const { return m_configFolder; }

signals:
    // The window was closed; the program's event loop ends with it, whatever other windows
    // are open.
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createMenus();
    void createPages();
    void connectPage();
    void connectDiagramCommands();
    void FormCreate(const TMainFrmOptions &Options);
    void FormDestroy();
    void FormShow();

    // What the open page's signals do to the views.
    void pageOpened();
    void pageClosing();
    void pageReloaded();
    void pageReplacing();
    void pageReplaced();
    DiagramSettings diagramSettings();
    // The screen's dots per inch, which scale the diagrams' sizes and the palettes.
    double screenDpi() const;

    // What the window's units ask of it.
    OpenPage &page() override { return *m_page; }
    QWidget *windowWidget() override { return this; }

    void mnuSaveClick();
    void mnuExitClick();
    void mnuFindNextClick();
    void mnOnlineHelpClick();

    // Declared in the order they must be made; the text tabs and the diagrams refer to the
    // page and the notes.
    std::unique_ptr<OpenPage> m_page;
    TCommentRectList m_commentRects;
    // Owned by the tab widget.
    std::array<DiagramTab *, 2> m_tabs;
    std::unique_ptr<TextTabs> m_textTabs;
    // Find, Find Next and the search results over the page and the HTML editor.
    std::unique_ptr<TPageSearch> m_search;
    std::unique_ptr<DiagramCommands> m_commands;
    PictureCache m_pictures;
    // Made once the catalogue and the macros are loaded.
    std::unique_ptr<Palette> m_palette;
    QString m_configFolder;
    std::unique_ptr<RecentFiles> m_recentFiles;
    std::unique_ptr<OpenRequests> m_openRequests;

    QMenuBar *m_mainMenu;
    QMenu *m_fileMenu, *m_editMenu, *m_searchMenu, *m_toolsMenu, *m_helpMenu;
    QAction *m_openAction;
    QMenu *m_recentMenu;
    QAction *m_saveAction, *m_saveAsAction, *m_exitAction;
    QAction *m_copyAction, *m_pasteAction;
    QAction *m_findAction, *m_findNextAction, *m_searchResultAction;
    QAction *m_checkAction, *m_flipQueryAction, *m_flushQueryAction, *m_sectionPictureAction;
    QAction *m_helpAction, *m_aboutAction;
    // The diagrams' context menu.
    QMenu *m_diagramMenu;
    QAction *m_diagramCopyAction, *m_diagramPasteAction, *m_diagramDeleteAction;
    // Declared after the menu it fills.
    std::unique_ptr<RecentFilesMenu> m_recentItems;

    QTabWidget *m_pages;
    QSplitter *m_messageSplitter;
    QWidget *m_messagePanel;
    QListWidget *m_checkMessages;
    // Ends the type-ahead selection; stopped until it starts.
    QTimer *m_typeAheadTimer;
    std::unique_ptr<KeyDispatch> m_keys;
};

// The main window while it exists; set before its create steps run.
TMainFrm *MainFrm();

// The program's folder (ending with "/") and its pictures folder, set when the main window
// is created.
QString AppDir();
QString ImagesDir();

// Appends to List the names, without folder, of the entries of Folder that match Mask and
// Attributes (platform::FileAttr), in the folder listing's order; nothing without a list.
// The start-up's name for ListFolder.
void ListFiles(const QString &Folder, const QString &Mask, unsigned Attributes, QStringList *List);

// Adapts every text editor below Control to the screen's resolution.
void ScaleEditorFonts(QWidget *Control);
