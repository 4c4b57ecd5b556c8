#pragma once
// The main window: the editor's one document window, from start-up to the end of the program.
// It lays out the seven tabs with the places the diagram editors, palettes and property
// panels fill, the message list below them, the main and diagram menus, and stores its state
// in the settings when it is destroyed.
#include "checks/pellorinplugin.h"
#include "editors/wqfdrawutils.h"
#include "model/commentrects.h"
#include "model/htmlcontrols.h"
#include "model/htmlparsingtree.h"
#include "model/wqftypes.h"
#include "platform/prompter.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QScrollArea;
class QScrollBar;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTimer;
class QsciLexerHTML;
class QsciScintilla;
class TGraphEditor;
class TImage;
class TImageGraphEditor;
class TKeywordLexer;
class TWQFEditorSource;

// Where the main window finds its program folder and command line; without them, the
// program's own.
struct TMainFrmOptions {
    QString ProgramFolder;
    std::optional<QStringList> CommandLine;
};

class TMainFrm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainFrm(const TMainFrmOptions &Options = TMainFrmOptions(), QWidget *Parent = nullptr);
    ~TMainFrm() override;

    // The design size, kept when the settings hold no bounds.
    static constexpr int DesignWidth = 664;
    static constexpr int DesignHeight = 541;

    // ---- opening, building the views and closing ----
    // File > "Open": the open dialog, then OpenFile; a typed name without extension gets
    // ".wqf" when only that file exists.
    void OpenWithDialog();
    // Closes the current page (asking) and opens FileName; every way of opening ends here.
    void OpenFile(const QString &FileName);
    // Offers to save a modified page when Ask, then closes it; false when the user cancelled
    // or the save failed. Without an open page: true.
    bool CloseDocument(bool Ask);
    // Frees both diagram editors and empties the notes, function name and flags without
    // writing into the page; frees the page too when FreeDoc.
    void CloseViews(bool FreeDoc);
    // Builds every view from Doc; false, with a message and nothing built, when the page
    // lacks one of the two diagram sections.
    bool LoadViews();
    // Remembers the file name; caption, application title and icon from the naming plug-in.
    void SetFileName(const QString &FileName);
    void SetModified(bool Value) { Modified = Value; }
    // Every command that changes the open page calls this; closing then asks to save.
    void EditorChanged() { SetModified(true); }
    // The page options from the settings, read at every load and save.
    PageOptions XmlOptionFlags() const;

    // ---- saving ----
    // Saves the open page under FileName: backup, the window's texts into the page, the
    // quick check, the write. False, with the reason shown, when it failed; the file on
    // disk is then as it was.
    bool SaveFile(const QString &FileName);
    // The backup path of PagePath under the settings, at the time Now gives.
    QString MakeBackupName(const QString &PagePath) const;
    // The read-only hook of the open page: the policy of the setting ReadOnly.
    bool ConfirmOverwriteReadOnly(const QString &FileName);

    // ---- recent files, dropped files, command line, changes on disk ----
    void LoadRecentFiles(QMenu *Menu);
    void SaveRecentFiles(QMenu *Menu);
    void AddRecentFile(QMenu *Menu, const QString &FileName);
    void RecentFileClick(QAction *Sender);
    // Page files are opened, the first here and each further one by a new instance; other
    // files are skipped.
    void FormDropFiles(const QStringList &FileNames);
    // The last argument that names an existing file.
    void OpenCommandLineFile();
    // Offers to reload the page when its file's time stamp changed since it was opened or
    // saved. While a dialog of the window shows, it waits and runs once that is over.
    void CheckFileChanged();
    void AppActivate() { CheckFileChanged(); }

    // The page's content was replaced in place (an external program): the views are built
    // again and the page counts as modified. A content without its diagram sections closes
    // the page.
    void DocReloaded();

    // ---- the text tabs ----
    // Fills the HTML editor and, from its script block, the script editor.
    void SetHtmlText(const QString &Text);
    // Replaces an editor's text without running its change handler, keeping its scroll place.
    void SetEditorText(QsciScintilla *Editor, const QString &Text);
    void htmlEditChange();
    void JavaScriptMemoChange();
    void txtFuncNameChange();
    void chkNoHTTPPreChange();
    void chkNoHTTPPostChange();
    void EditorNotesMemoChange();

    // ---- pictures ----
    // The cached picture ImagesDir + Prefix + Key + ".png"; none when it is missing.
    const QImage *GetImage(const QString &Prefix, const QString &Key);
    const QImage *GetRuleImage(const QString &Kind) { return GetImage(QStringLiteral("rule"), Kind); }
    // The diagrams' picture of a component of that type.
    const QImage *GetItemImage(TWQFItem *Item, const QString &Kind);

    // The clock of the backup names.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    // Appends Line to the message list when the option DbgClip is on.
    void DebugLog(const QString &Line);
    // The first tab, hidden ones counted, whose caption is exactly Caption; "Pre process" when
    // none is, or when the match is a tab that never shows.
    void SelectTabByCaption(const QString &Caption);
    // Enabled and priority of every check plug-in from the options, with their defaults.
    void LoadPluginSettings();
    // Frees the open page's notes.
    void ClearCommentRects() { CommentRects.clear(); }

    // The check run over the open page, filling the message list: the quick check of the save
    // (QuickOnly) or the full check of Tools > "Check WQF file".
    void RunChecks(bool QuickOnly);
    // The double-click on a message line: the tab of the section it names, the component of
    // the number it names, and for a compiler error the place in that component's first code
    // editor.
    void ListBox1DblClick();
    // The diagram editor of the active tab; none on other tabs and while no page is open.
    TGraphEditor *ActiveGraphEditor() const;
    // Selects and shows the component of the active diagram with that name, else the first
    // whose name contains it.
    void SelectItemByName(const QString &Name);

    // Answers of the host hooks.
    TWQFFile *GetCurrentDoc() const { return Doc.get(); }
    // "preproc", "postproc", "html" or "notes" by the active tab, else empty.
    QString currentSectionName() const;

    // Fields, in the order the other commands rely on.
    QString TypeAhead;
    QString FileName;
    QString ConfigFolder;
    // The element tree of the page's HTML and its form controls, built when a hidden tab
    // needs them; none until then.
    std::unique_ptr<TMLTree> HtmlTree;
    THTMLControlList HtmlControls;
    int32_t FileTime = 0;
    // The open page's notes.
    TCommentRectList CommentRects;
    std::unique_ptr<TWQFFile> Doc;
    // The diagram editors of the open page, made when its views are built and freed before
    // the page; none while no page is open.
    std::unique_ptr<TImageGraphEditor> PreEditor, PostEditor;
    bool Modified = false;
    // The picture cache: key (prefix + name, looked up without case) and picture; none
    // records a file that was missing or unreadable. The pictures keep their place, since
    // the diagrams hold them while they paint.
    std::vector<std::pair<QString, std::unique_ptr<QImage>>> Images;
    // The command line's arguments, without the program.
    QStringList CommandLine;

    // Menus.
    QMenuBar *MainMenu1;
    QMenu *mnuFile, *mnuEdit, *mnuSearch, *mnuTools, *mnuHelp;
    QAction *mnuOpen;
    QMenu *mnuOpenRecent;
    QAction *mnuSave, *mnuSaveAs, *mnuExit;
    QAction *mnuMainCopy, *mnuMainPaste;
    QAction *MenuItem3, *mnuFindNext, *MenuItem10;
    QAction *MenuItem9, *MenuItem11, *FlushQueryMenu, *MenuItem6;
    QAction *mnOnlineHelp, *mnAbout;
    QMenu *PopupMenu1;
    QAction *mnuPopCopy, *mnuPopPaste, *MenuItem5;

    // The page control and its tabs.
    QTabWidget *PageControl1;
    QWidget *PreSheet, *PostSheet, *HtmlSheet, *HtmlTable, *HtmlGraph, *NotesSheet, *TabSheet1;
    // "Pre process": palette, diagram place with its scroll bars, property panel place.
    QWidget *Panel2, *ImagePanel;
    TImage *Image1;
    QScrollBar *PreHorzScroll, *PreVertScroll;
    QSplitter *Splitter2;
    QWidget *PrePanel;
    QScrollArea *PreScroll;
    // "Post process", the same.
    QWidget *Panel6, *Panel4;
    TImage *Image2;
    QScrollBar *PostHorzScroll, *PostVertScoll;
    QSplitter *Splitter3;
    QWidget *PostPanel;
    QScrollArea *PostScroll;
    // "HTML".
    QsciScintilla *htmlEdit;
    QSplitter *Splitter1;
    QsciScintilla *JavaScriptMemo;
    QsciLexerHTML *SynHTMLSyn1;
    TKeywordLexer *SynAnySyn1;
    // "HTML-Table" and "HTML-UI", never shown.
    QTableWidget *ControlGrid;
    QWidget *HTMLPanel;
    TImage *HTMLImage;
    QScrollBar *HTMLHorzScroll, *HTMLVertScroll;
    QSplitter *Splitter4;
    QWidget *Panel3;
    // "WQF Info".
    QLabel *lblFuncName;
    QLineEdit *txtFuncName;
    QCheckBox *chkNoHTTPPre, *chkNoHTTPPost;
    QLabel *lblEditorNotes;
    QPlainTextEdit *EditorNotesMemo;
    // "XML Respond".
    QsciScintilla *ReqListMemo;
    // The message list below the tabs.
    QSplitter *Splitter5;
    QWidget *Panel5;
    QListWidget *ListBox1;
    // Ends the type-ahead selection; stopped until it starts.
    QTimer *SearchTimer;

signals:
    // The window was closed; the program's event loop ends with it, whatever other windows
    // are open.
    void Closed();

public slots:
    void mnuOpenClick() { OpenWithDialog(); }
    void mnuSaveClick();
    void mnuSaveAsClick();
    void MenuItem9Click();
    void mnuExitClick();
    void mnuFindNextClick();
    void mnOnlineHelpClick();
    void mnAboutClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createMenus();
    void createPages();
    QWidget *createDiagramSheet(const QString &Prefix, QWidget *&Palette, QWidget *&DiagramPanel, TImage *&Image,
                                QScrollBar *&HorzScroll, QScrollBar *&VertScroll, QSplitter *&Splitter,
                                QWidget *&PropertyPanel, QScrollArea *&PropertyScroll);
    QWidget *createHtmlSheet();
    QWidget *createHtmlGraphSheet();
    QWidget *createNotesSheet();

    void FormCreate(const TMainFrmOptions &Options);
    void FormDestroy();
    void FormShow();
    void PreScrollResize(QScrollArea *Sender);
    void connectTextTabs();
    void buildDiagram(std::unique_ptr<TImageGraphEditor> &Editor, TWQFSection *Section, TImage *Image,
                      QScrollBar *HorzScroll, QScrollBar *VertScroll);
    TPoint diagramSize(const TWQFSection *Section) const;
    // Every question and message of the window; the changed-on-disk check waits meanwhile.
    TPromptButton ask(const TPrompt &Prompt);
    void message(const QString &Text);

    // While a dialog or an opening or saving runs, the changed-on-disk check is put off.
    class Busy;
    int m_busy = 0;
    bool m_checkPending = false;
};

// The main window while it exists; set before its create steps run.
TMainFrm *MainFrm();

// The program's folder (ending with "/") and its pictures folder, set when the main window
// is created.
QString AppDir();
QString ImagesDir();

// The destination-arrow mode of the setting DstArrow: "NEVER", "ALWAYS" in any case, else
// out of sight.
TDstArrowMode ParseArrowMode(const QString &Text);

// The component number a check message line names: its second word up to a blank or colon,
// read as a decimal number; -1 when there is none.
int MessageComponentNumber(const QString &Line);
// A check message as the message list shows it: a line about a component after the
// component's section and name.
QString CheckMessageLine(const TCheckMessage &Message);

// Appends to List the names, without folder, of the entries of Folder that match Mask and
// Attributes (platform::FileAttr), in the folder listing's order; nothing without a list.
void ListFiles(const QString &Folder, const QString &Mask, unsigned Attributes, QStringList *List);

// Adapts every text editor below Control to the screen's resolution.
void ScaleEditorFonts(QWidget *Control);

// The host interface: what plug-ins may ask of the main window. Answers nothing once the
// window is gone. Selection, mouse position and section refresh concern the diagram
// editors, which exist only while a page is open.
class TMainFormPellorinIntf : public TPellorinAppIntf {
public:
    explicit TMainFormPellorinIntf(TMainFrm *Form) : MainForm(Form) {}
    void OpenFile(const QString &FileName) override;
    QString GetFileName() override;
    QString GetCurrent(TWQFFile *&Doc) override;
    // "preproc" or "postproc" (exact): the diagram is rebuilt from its section with the same
    // selection, and the page counts as modified.
    void RefreshSection(const QString &SectionName) override;

    QPointer<TMainFrm> MainForm;
};
