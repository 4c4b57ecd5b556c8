#include "mainform.h"

#include "aboutformunit.h"
#include "appini.h"
#include "backupname.h"
#include "base/mathutils.h"
#include "base/textutils.h"
#include "checks/appgui.h"
#include "editors/dynamicctrlutils.h"
#include "editors/lclgrapheditor.h"
#include "editors/pascompiler.h"
#include "editors/wqfeditors.h"
#include "globaloptions.h"
#include "keywordlexer.h"
#include "model/scriptcontainer.h"
#include "model/stylescan.h"
#include "pellorinapp.h"
#include "platform/appdirs.h"
#include "platform/filestamp.h"
#include "platform/folderlist.h"
#include "platform/launcher.h"
#include "recentfiles.h"
#include "searchwindow.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

namespace {
TMainFrm *g_mainFrm = nullptr;
QString g_appDir;
QString g_imagesDir;

const QString kPreSheet = QStringLiteral("Pre process");

// The words of the script editor's highlighter.
const QStringList kScriptKeywords = {
    "ALERT", "BREAK", "CASE",   "CATCH",  "CONFIRM", "DEFAULT", "ELSE", "FALSE", "FOR", "FUNCTION", "IF",
    "IN",    "NEW",   "PROMPT", "RETURN", "SWITCH",  "THROW",   "TRUE", "TRY",   "VAR", "WHILE",
};
const QStringList kScriptConstants = {"NULL"};
const QStringList kScriptObjects = {
    "$",        "ARRAY", "COMMUNICATION", "CUSTOMSCRIPT", "DATE",   "DOCUMENT", "GLOBAL", "HISTORY",
    "LOCATION", "MATH",  "NAVIGATOR",     "NUMBER",       "REGEXP", "SCREEN",   "STRING", "WINDOW",
};

const QString kNoPreproc = QStringLiteral("unable to find PreProcess section. Won't open!");
const QString kNoPostproc = QStringLiteral("unable to find PostProcess section. Won't open!");

// A diagram's source that tells when the user moved something on it.
class TPageSectionSource : public TWQFEditorSource {
public:
    using TWQFEditorSource::TWQFEditorSource;
    void MoveItem(void *Data, int DX, int DY) override
    {
        TWQFEditorSource::MoveItem(Data, DX, DY);
        if (OnMoved)
            OnMoved();
    }
    std::function<void()> OnMoved;
};

// The notes as typed: the memo's plain text would turn non-breaking blanks into blanks.
QString memoText(const QPlainTextEdit *Memo)
{
    return Memo->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// v scaled from 96 dots per inch, halves to even.
int scaledToScreen(int v, double dpi) { return RoundToInt(v * dpi / 96.0); }

QString fileNameOnly(const QString &path) { return QFileInfo(path).fileName(); }

// An action's text shows "&" as a mnemonic; a path is shown as it is.
QString menuCaption(const QString &path) { return QString(path).replace(u'&', QStringLiteral("&&")); }

template <class T> T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

QWidget *namedWidget(const char *name, QWidget *parent = nullptr) { return named(new QWidget(parent), name); }

QFont fixedFont()
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

QAction *addCommand(QMenu *menu, const char *name, const QString &caption,
                    const QKeySequence &shortcut = QKeySequence())
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

QVBoxLayout *bareVBox(QWidget *widget)
{
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

// The image with its scroll bars right of it and below it.
void layoutDiagramPlace(QWidget *panel, QWidget *image, QScrollBar *horz, QScrollBar *vert)
{
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    grid->addWidget(image, 0, 0);
    grid->addWidget(vert, 0, 1);
    grid->addWidget(horz, 1, 0);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
}
} // namespace

TMainFrm *MainFrm() { return g_mainFrm; }
QString AppDir() { return g_appDir; }
QString ImagesDir() { return g_imagesDir; }

TMainFrm::TMainFrm(const TMainFrmOptions &Options, QWidget *Parent) : QMainWindow(Parent)
{
    g_mainFrm = this;
    setObjectName(QStringLiteral("MainFrm"));
    resize(DesignWidth, DesignHeight);
    createMenus();
    createPages();
    connectTextTabs();
    setAcceptDrops(true);
    SearchTimer = named(new QTimer(this), "SearchTimer");
    SearchTimer->setInterval(500);
    try {
        FormCreate(Options);
    } catch (...) {
        // A window that failed to start is no main window.
        g_mainFrm = nullptr;
        throw;
    }
}

TMainFrm::~TMainFrm()
{
    FormDestroy();
    if (g_mainFrm == this)
        g_mainFrm = nullptr;
}

void TMainFrm::createMenus()
{
    MainMenu1 = named(new QMenuBar(this), "MainMenu1");
    setMenuBar(MainMenu1);

    mnuFile = named(MainMenu1->addMenu(QStringLiteral("File")), "mnuFile");
    mnuOpen = addCommand(mnuFile, "mnuOpen", QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuOpenRecent = named(mnuFile->addMenu(QStringLiteral("Open Recent")), "mnuOpenRecent");
    mnuSave = addCommand(mnuFile, "mnuSave", QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveAs =
        addCommand(mnuFile, "mnuSaveAs", QStringLiteral("Save As..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    mnuFile->addSeparator();
    mnuExit = addCommand(mnuFile, "mnuExit", QStringLiteral("Exit"), QKeySequence(Qt::ALT | Qt::Key_F4));

    mnuEdit = named(MainMenu1->addMenu(QStringLiteral("Edit")), "mnuEdit");
    mnuMainCopy = addCommand(mnuEdit, "mnuMainCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuMainPaste = addCommand(mnuEdit, "mnuMainPaste", QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));

    mnuSearch = named(MainMenu1->addMenu(QStringLiteral("Search")), "mnuSearch");
    MenuItem3 = addCommand(mnuSearch, "MenuItem3", QStringLiteral("Find"), QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuFindNext = addCommand(mnuSearch, "mnuFindNext", QStringLiteral("Find Next"), QKeySequence(Qt::Key_F3));
    MenuItem10 = addCommand(mnuSearch, "MenuItem10", QStringLiteral("Search Result"),
                            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));

    mnuTools = named(MainMenu1->addMenu(QStringLiteral("Tools")), "mnuTools");
    MenuItem9 =
        addCommand(mnuTools, "MenuItem9", QStringLiteral("Check WQF file"), QKeySequence(Qt::CTRL | Qt::Key_F9));
    MenuItem11 = addCommand(mnuTools, "MenuItem11", QStringLiteral("Flip Select/Insert Query"),
                            QKeySequence(Qt::CTRL | Qt::Key_T));
    FlushQueryMenu = addCommand(mnuTools, "FlushQueryMenu", QStringLiteral("Flush Query Params"),
                                QKeySequence(Qt::CTRL | Qt::Key_Q));
    MenuItem6 = addCommand(mnuTools, "MenuItem6", QStringLiteral("Section Screen Shot"));

    mnuHelp = named(MainMenu1->addMenu(QStringLiteral("Help")), "mnuHelp");
    mnOnlineHelp = addCommand(mnuHelp, "mnOnlineHelp", QStringLiteral("Online Help"));
    mnuHelp->addSeparator();
    mnAbout = addCommand(mnuHelp, "mnAbout", QStringLiteral("About"));

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    mnuPopCopy = addCommand(PopupMenu1, "mnuPopCopy", QStringLiteral("Copy"));
    mnuPopPaste = addCommand(PopupMenu1, "mnuPopPaste", QStringLiteral("Paste"));
    MenuItem5 = addCommand(PopupMenu1, "MenuItem5", QStringLiteral("Delete"));

    connect(mnuOpen, &QAction::triggered, this, Guarded([this] { mnuOpenClick(); }));
    connect(mnuSave, &QAction::triggered, this, Guarded([this] { mnuSaveClick(); }));
    connect(mnuSaveAs, &QAction::triggered, this, Guarded([this] { mnuSaveAsClick(); }));
    connect(MenuItem9, &QAction::triggered, this, Guarded([this] { MenuItem9Click(); }));
    connect(mnuExit, &QAction::triggered, this, Guarded([this] { mnuExitClick(); }));
    connect(mnuFindNext, &QAction::triggered, this, Guarded([this] { mnuFindNextClick(); }));
    connect(mnOnlineHelp, &QAction::triggered, this, Guarded([this] { mnOnlineHelpClick(); }));
    connect(mnAbout, &QAction::triggered, this, Guarded([this] { mnAboutClick(); }));

    // The commands on components and searches come with those features; until then they stay
    // visible but cannot be chosen.
    for (QAction *pending : {mnuMainCopy, mnuMainPaste, MenuItem3, MenuItem10, MenuItem11, FlushQueryMenu, MenuItem6,
                             mnuPopCopy, mnuPopPaste, MenuItem5})
        pending->setEnabled(false);
}

void TMainFrm::createPages()
{
    PageControl1 = named(new QTabWidget, "PageControl1");
    PreSheet = createDiagramSheet(QStringLiteral("Pre"), Panel2, ImagePanel, Image1, PreHorzScroll, PreVertScroll,
                                  Splitter2, PrePanel, PreScroll);
    PreSheet->setObjectName(QStringLiteral("PreSheet"));
    Panel2->setObjectName(QStringLiteral("Panel2"));
    ImagePanel->setObjectName(QStringLiteral("ImagePanel"));
    Image1->setObjectName(QStringLiteral("Image1"));
    Splitter2->setObjectName(QStringLiteral("Splitter2"));

    PostSheet = createDiagramSheet(QStringLiteral("Post"), Panel6, Panel4, Image2, PostHorzScroll, PostVertScoll,
                                   Splitter3, PostPanel, PostScroll);
    PostSheet->setObjectName(QStringLiteral("PostSheet"));
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Image2->setObjectName(QStringLiteral("Image2"));
    PostVertScoll->setObjectName(QStringLiteral("PostVertScoll"));
    Splitter3->setObjectName(QStringLiteral("Splitter3"));

    HtmlSheet = createHtmlSheet();
    HtmlTable = namedWidget("HtmlTable");
    ControlGrid = named(new QTableWidget(HtmlTable), "ControlGrid");
    bareVBox(HtmlTable)->addWidget(ControlGrid);
    HtmlGraph = createHtmlGraphSheet();
    NotesSheet = createNotesSheet();
    TabSheet1 = namedWidget("TabSheet1");
    ReqListMemo = named(new QsciScintilla(TabSheet1), "ReqListMemo");
    bareVBox(TabSheet1)->addWidget(ReqListMemo);

    PageControl1->addTab(PreSheet, kPreSheet);
    PageControl1->addTab(PostSheet, QStringLiteral("Post process"));
    PageControl1->addTab(HtmlSheet, QStringLiteral("HTML"));
    PageControl1->addTab(HtmlTable, QStringLiteral("HTML-Table"));
    const int graphIndex = PageControl1->addTab(HtmlGraph, QStringLiteral("HTML-UI"));
    PageControl1->setTabVisible(graphIndex, false);
    PageControl1->addTab(NotesSheet, QStringLiteral("WQF Info"));
    PageControl1->addTab(TabSheet1, QStringLiteral("XML Respond"));

    Panel5 = namedWidget("Panel5");
    ListBox1 = named(new QListWidget(Panel5), "ListBox1");
    bareVBox(Panel5)->addWidget(ListBox1);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, Guarded([this] { ListBox1DblClick(); }));

    Splitter5 = named(new QSplitter(Qt::Vertical), "Splitter5");
    Splitter5->addWidget(PageControl1);
    Splitter5->addWidget(Panel5);
    Splitter5->setStretchFactor(0, 1);
    Splitter5->setStretchFactor(1, 0);
    Splitter5->setChildrenCollapsible(false);
    Splitter5->setSizes({DesignHeight - 113, 113});
    setCentralWidget(Splitter5);
}

QWidget *TMainFrm::createDiagramSheet(const QString &Prefix, QWidget *&Palette, QWidget *&DiagramPanel, TImage *&Image,
                                      QScrollBar *&HorzScroll, QScrollBar *&VertScroll, QSplitter *&Splitter,
                                      QWidget *&PropertyPanel, QScrollArea *&PropertyScroll)
{
    auto *sheet = new QWidget;
    Palette = new QWidget(sheet);
    Palette->setFixedHeight(68);

    DiagramPanel = new QWidget;
    Image = new TImage(DiagramPanel);
    HorzScroll = new QScrollBar(Qt::Horizontal, DiagramPanel);
    HorzScroll->setObjectName(Prefix + QStringLiteral("HorzScroll"));
    VertScroll = new QScrollBar(Qt::Vertical, DiagramPanel);
    VertScroll->setObjectName(Prefix + QStringLiteral("VertScroll"));
    layoutDiagramPlace(DiagramPanel, Image, HorzScroll, VertScroll);

    PropertyPanel = new QWidget;
    PropertyPanel->setObjectName(Prefix + QStringLiteral("Panel"));
    PropertyScroll = new QScrollArea(PropertyPanel);
    PropertyScroll->setObjectName(Prefix + QStringLiteral("Scroll"));
    PropertyScroll->setWidgetResizable(true);
    PropertyScroll->installEventFilter(this);
    bareVBox(PropertyPanel)->addWidget(PropertyScroll);

    Splitter = new QSplitter(Qt::Horizontal);
    Splitter->addWidget(DiagramPanel);
    Splitter->addWidget(PropertyPanel);
    Splitter->setStretchFactor(0, 1);
    Splitter->setStretchFactor(1, 0);
    Splitter->setSizes({DesignWidth - 260, 260});

    QVBoxLayout *layout = bareVBox(sheet);
    layout->addWidget(Palette);
    layout->addWidget(Splitter, 1);
    return sheet;
}

QWidget *TMainFrm::createHtmlSheet()
{
    auto *sheet = namedWidget("HtmlSheet");
    htmlEdit = named(new QsciScintilla, "htmlEdit");
    SynHTMLSyn1 = named(new QsciLexerHTML(htmlEdit), "SynHTMLSyn1");
    SynHTMLSyn1->setDefaultFont(fixedFont());
    SynHTMLSyn1->setFont(fixedFont());
    htmlEdit->setLexer(SynHTMLSyn1);

    JavaScriptMemo = named(new QsciScintilla, "JavaScriptMemo");
    SynAnySyn1 = named(new TKeywordLexer(JavaScriptMemo), "SynAnySyn1");
    SynAnySyn1->Scanner().SetWords(kScriptKeywords, kScriptConstants, kScriptObjects);
    SynAnySyn1->setDefaultFont(fixedFont());
    JavaScriptMemo->setLexer(SynAnySyn1);
    JavaScriptMemo->setMarginType(0, QsciScintilla::NumberMargin);
    JavaScriptMemo->setMarginLineNumbers(0, true);
    JavaScriptMemo->setMarginWidth(0, QStringLiteral("00000"));

    Splitter1 = named(new QSplitter(Qt::Vertical, sheet), "Splitter1");
    Splitter1->addWidget(htmlEdit);
    Splitter1->addWidget(JavaScriptMemo);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({DesignHeight - 150, 150});
    bareVBox(sheet)->addWidget(Splitter1);
    return sheet;
}

QWidget *TMainFrm::createHtmlGraphSheet()
{
    auto *sheet = namedWidget("HtmlGraph");
    HTMLPanel = namedWidget("HTMLPanel");
    HTMLImage = named(new TImage(HTMLPanel), "HTMLImage");
    HTMLHorzScroll = named(new QScrollBar(Qt::Horizontal, HTMLPanel), "HTMLHorzScroll");
    HTMLVertScroll = named(new QScrollBar(Qt::Vertical, HTMLPanel), "HTMLVertScroll");
    layoutDiagramPlace(HTMLPanel, HTMLImage, HTMLHorzScroll, HTMLVertScroll);
    Panel3 = namedWidget("Panel3");
    Splitter4 = named(new QSplitter(Qt::Horizontal, sheet), "Splitter4");
    Splitter4->addWidget(HTMLPanel);
    Splitter4->addWidget(Panel3);
    bareVBox(sheet)->addWidget(Splitter4);
    return sheet;
}

QWidget *TMainFrm::createNotesSheet()
{
    auto *sheet = namedWidget("NotesSheet");
    lblFuncName = named(new QLabel(QStringLiteral("Function Name"), sheet), "lblFuncName");
    txtFuncName = named(new QLineEdit(sheet), "txtFuncName");
    lblFuncName->setBuddy(txtFuncName);
    chkNoHTTPPre =
        named(new QCheckBox(QStringLiteral("Do not allow the page to be called via HTTP call"), sheet), "chkNoHTTPPre");
    chkNoHTTPPost = named(
        new QCheckBox(
            QStringLiteral("Do not allow the page to be called with X-Requested-With=XMLHttpRequest parameter"), sheet),
        "chkNoHTTPPost");
    lblEditorNotes = named(new QLabel(QStringLiteral("Editor Notes"), sheet), "lblEditorNotes");
    EditorNotesMemo = named(new QPlainTextEdit(sheet), "EditorNotesMemo");
    lblEditorNotes->setBuddy(EditorNotesMemo);

    auto *layout = new QVBoxLayout(sheet);
    layout->addWidget(lblFuncName);
    layout->addWidget(txtFuncName);
    layout->addWidget(chkNoHTTPPre);
    layout->addWidget(chkNoHTTPPost);
    layout->addWidget(lblEditorNotes);
    layout->addWidget(EditorNotesMemo, 1);
    return sheet;
}

void TMainFrm::FormCreate(const TMainFrmOptions &Options)
{
    CommentRects.clear();
    SetMainMenu(MainMenu1);
    OptionStore().Load();
    RestoreFormBounds(this);
    setWindowTitle(QStringLiteral("Pellorin - ") + GetVersionDate());
    ConfigFolder = ConfigDir();
    LoadRecentFiles(mnuOpenRecent);
    g_appDir = Options.ProgramFolder.isEmpty() ? platform::ProgramFolder() : Options.ProgramFolder;
    if (!g_appDir.endsWith(u'/'))
        g_appDir += u'/';
    g_imagesDir = g_appDir + QStringLiteral("images/");
    Images.clear();
    CommandLine = Options.CommandLine ? *Options.CommandLine : QCoreApplication::arguments().mid(1);
    OpenCommandLineFile();
    PageControl1->setTabVisible(PageControl1->indexOf(HtmlTable), false);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState State) {
        if (State == Qt::ApplicationActive)
            RunGuarded([this] { AppActivate(); });
    });
    const QString lastTab = OptionStore().GetString(opt::LastTab);
    SelectTabByCaption(lastTab.isEmpty() ? opt::DefaultLastTab : lastTab);
    SetAppIntf(std::make_unique<TMainFormPellorinIntf>(this));
    LoadPluginSettings();
    RebindTabKeys(htmlEdit);
    RebindTabKeys(JavaScriptMemo);
    THostHooks &hooks = HostHooks();
    hooks.OnGetCurrentDoc = [this] { return GetCurrentDoc(); };
    hooks.OnGetCurrentSectionName = [this] { return currentSectionName(); };
    hooks.OnDocReloaded = [this] { DocReloaded(); };
}

void TMainFrm::FormDestroy()
{
    const int active = PageControl1->currentIndex();
    OptionStore().SetString(opt::LastTab, active >= 0 ? PageControl1->tabText(active) : QString());
    SaveFormBounds(this);
    SaveRecentFiles(mnuOpenRecent);
    Images.clear();
    PreEditor.reset();
    PostEditor.reset();
    Doc.reset();
    ClearCommentRects();
    // The hooks must not reach a window that is gone.
    THostHooks &hooks = HostHooks();
    hooks.OnGetCurrentDoc = nullptr;
    hooks.OnGetCurrentSectionName = nullptr;
    hooks.OnDocReloaded = nullptr;
}

void TMainFrm::DebugLog(const QString &Line)
{
    if (OptionStore().GetDbgClip())
        ListBox1->addItem(Line);
}

void TMainFrm::SelectTabByCaption(const QString &Caption)
{
    int index = 0;
    for (int i = 0; i < PageControl1->count(); ++i)
        if (PageControl1->tabText(i) == Caption) {
            index = i;
            break;
        }
    // HTML-Table and HTML-UI never show, not even when the settings name them.
    if (!PageControl1->isTabVisible(index))
        index = 0;
    PageControl1->setCurrentIndex(index);
}

void TMainFrm::LoadPluginSettings()
{
    QList<TWarningPlugin *> plugins;
    GetWarningPlugins(plugins);
    const int count = int(plugins.size());
    for (int i = 0; i < count; ++i) {
        TWarningPlugin *plugin = plugins[i];
        const QString name = plugin->ClassName();
        plugin->Enabled = OptionStore().GetBoolDef(opt::EnabledKey(name), true);
        plugin->Priority = OptionStore().GetIntDef(opt::PriorityKey(name), i + count);
    }
}

void TMainFrm::RunChecks(bool QuickOnly)
{
    ListBox1->clear();
    if (!QuickOnly) {
        ListBox1->addItem(QStringLiteral("Slow check, please be patient..."));
        // The run blocks the window; the line shows before it starts.
        ListBox1->repaint();
    }
    ListBox1->setUpdatesEnabled(false);
    auto endUpdate = qScopeGuard([this] { ListBox1->setUpdatesEnabled(true); });
    try {
        TCheckMessages messages;
        RunWarningPlugins(Doc.get(), QuickOnly, &messages);
        for (const TCheckMessage &message : messages)
            ListBox1->addItem(CheckMessageLine(message));
        ListBox1->addItem(QStringLiteral("Check complete."));
    } catch (...) {
        // A run that broke off keeps its lines; the missing last line tells.
    }
}

void TMainFrm::MenuItem9Click() { RunChecks(false); }

void TMainFrm::ListBox1DblClick()
{
    const QListWidgetItem *selected = ListBox1->currentItem();
    if (!Doc || !selected || !selected->isSelected())
        return;
    const QString line = selected->text();
    QWidget *sheet;
    QScrollArea *panel;
    if (line.contains(u"postproc")) {
        sheet = PostSheet;
        panel = PostScroll;
    } else if (line.contains(u"preproc")) {
        sheet = PreSheet;
        panel = PreScroll;
    } else {
        return;
    }
    const int number = MessageComponentNumber(line);
    if (number == -1)
        return;
    PageControl1->setCurrentWidget(sheet);
    SelectItemByName(QString::number(number));
    if (!line.contains(u"[Error]"))
        return;
    int col, row;
    ParseErrorLine(line, col, row);
    // The component's first code editor, among the panel's own controls.
    QsciScintilla *editor = nullptr;
    if (QWidget *content = panel->widget())
        for (QObject *child : content->children())
            if ((editor = qobject_cast<QsciScintilla *>(child)))
                break;
    if (!editor)
        return;
    editor->setCursorPosition(std::max(row - 1, 0), std::max(col - 1, 0));
    const int lineHeight = std::max(editor->textHeight(std::max(row - 1, 0)), 0);
    const int offset = lineHeight * row + editor->y();
    QScrollBar *scroll = panel->verticalScrollBar();
    if (scroll->value() - editor->height() - editor->y() < offset)
        scroll->setValue(panel->viewport()->height() > offset ? 0 : offset - 3 * lineHeight);
    editor->setFocus();
}

TGraphEditor *TMainFrm::ActiveGraphEditor() const
{
    if (!Doc)
        return nullptr;
    QWidget *page = PageControl1->currentWidget();
    if (page == PreSheet)
        return PreEditor.get();
    if (page == PostSheet)
        return PostEditor.get();
    return nullptr;
}

void TMainFrm::SelectItemByName(const QString &Name)
{
    TGraphEditor *editor = ActiveGraphEditor();
    auto *source = editor ? dynamic_cast<TWQFEditorSource *>(editor->Source()) : nullptr;
    if (!source || !source->Section())
        return;
    if (TWQFItem *item = FindItemFuzzy(source->Section()->Items(), Name))
        editor->ShowItem(item);
}

int MessageComponentNumber(const QString &Line)
{
    static const CharSet blank(" ");
    static const CharSet numberEnd(" :");
    const QString line = Trim(Line);
    qsizetype pos = 1;
    TakeUntil(line, pos, blank);
    TakeWhile(line, pos, blank);
    int number;
    return TryDecimalToInt(TakeUntil(line, pos, numberEnd), number) ? number : -1;
}

QString CheckMessageLine(const TCheckMessage &Message)
{
    if (!Message.Item)
        return Message.Text;
    const TWQFSection *section = Message.Item->Section();
    return (section ? section->GetName() : QString()) + u' ' + Message.Item->GetName() + QStringLiteral(": ") +
           Message.Text;
}

QString TMainFrm::currentSectionName() const
{
    QWidget *page = PageControl1->currentWidget();
    if (page == PreSheet)
        return QStringLiteral("preproc");
    if (page == PostSheet)
        return QStringLiteral("postproc");
    if (page == HtmlSheet)
        return QStringLiteral("html");
    if (page == NotesSheet)
        return QStringLiteral("notes");
    return QString();
}

void TMainFrm::mnuExitClick()
{
    if (CloseDocument(true))
        close();
}

void TMainFrm::mnuFindNextClick()
{
    auto *editor = qobject_cast<QsciScintilla *>(QApplication::focusWidget());
    if (!editor || LastSearch().isEmpty())
        return;
    // Forward from the caret, case ignored, no whole words, no wrap; the find selects.
    editor->findFirst(LastSearch(), false, false, false, false, true, -1, -1, true);
}

void TMainFrm::mnOnlineHelpClick()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(AppDir() + QStringLiteral("README.md")));
}

void TMainFrm::mnAboutClick() { ShowAbout(this); }

void TMainFrm::closeEvent(QCloseEvent *event)
{
    if (!CloseDocument(true)) {
        event->ignore();
        return;
    }
    event->accept();
    emit Closed();
}

void TMainFrm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMainFrm::FormShow()
{
    // The diagram places lay out image and scroll bars, so the post-process image always fits
    // its panel; the scroll bars stay above what the diagram editors put over the images.
    for (QScrollBar *bar : {PreVertScroll, PreHorzScroll, PostVertScoll, PostHorzScroll})
        bar->raise();
    ScaleEditorFonts(this);
}

bool TMainFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && (watched == PreScroll || watched == PostScroll))
        PreScrollResize(static_cast<QScrollArea *>(watched));
    return QMainWindow::eventFilter(watched, event);
}

void TMainFrm::PreScrollResize(QScrollArea *Sender)
{
    Sender->verticalScrollBar()->setPageStep(Sender->viewport()->height());
}

void ListFiles(const QString &Folder, const QString &Mask, unsigned Attributes, QStringList *List)
{
    if (!List)
        return;
    const QString folder = Folder.endsWith(u'/') ? Folder : Folder + u'/';
    List->append(platform::ListFolderEntries(folder, Mask, Attributes));
}

void ScaleEditorFonts(QWidget *Control)
{
    if (!Control)
        return;
    for (QObject *child : Control->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget)
            continue;
        if (auto *editor = qobject_cast<QsciScintilla *>(widget))
            ScaleSynEditToDpi(editor);
        else
            ScaleEditorFonts(widget);
    }
}

QString TMainFormPellorinIntf::GetFileName() { return MainForm ? MainForm->FileName : QString(); }

QString TMainFormPellorinIntf::GetCurrent(TWQFFile *&Doc)
{
    Doc = nullptr;
    if (!MainForm)
        return QString();
    Doc = MainForm->Doc.get();
    // Unlike the host hook, the notes tab names no section here.
    const QString name = MainForm->currentSectionName();
    return name == QLatin1String("notes") ? QString() : name;
}

void TMainFormPellorinIntf::OpenFile(const QString &FileName)
{
    if (MainForm)
        MainForm->OpenFile(FileName);
}

void TMainFormPellorinIntf::RefreshSection(const QString &SectionName)
{
    if (!MainForm)
        return;
    TImageGraphEditor *editor = SectionName == u"preproc"    ? MainForm->PreEditor.get()
                                : SectionName == u"postproc" ? MainForm->PostEditor.get()
                                                             : nullptr;
    if (!editor)
        return;
    TDataList selected;
    editor->GetSelected(&selected);
    editor->Rebuild();
    editor->SetSelected(&selected, true);
    // The plug-in changed the section: closing must not drop that silently.
    MainForm->EditorChanged();
}

// ---- questions and the changed-on-disk guard ----

class TMainFrm::Busy {
public:
    explicit Busy(TMainFrm *Form) : m_form(Form) { ++m_form->m_busy; }
    ~Busy()
    {
        if (--m_form->m_busy > 0 || !m_form->m_checkPending)
            return;
        m_form->m_checkPending = false;
        // After the caller is done with the page, not in the middle of its work.
        QTimer::singleShot(0, m_form, Guarded([form = m_form] { form->CheckFileChanged(); }));
    }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

private:
    TMainFrm *m_form;
};

TPromptButton TMainFrm::ask(const TPrompt &Prompt)
{
    Busy busy(this);
    return Prompter().Ask(this, Prompt);
}

void TMainFrm::message(const QString &Text)
{
    TPrompt prompt;
    prompt.Text = Text;
    ask(prompt);
}

// ---- opening, building the views and closing ----

PageOptions TMainFrm::XmlOptionFlags() const
{
    const TGlobalOptions &options = OptionStore();
    PageOptions flags;
    if (options.GetBoolDef(opt::XMLWhitespace, false))
        flags |= poWhitespace;
    if (options.GetBoolDef(opt::XMLForceHeader, opt::DefaultXMLForceHeader))
        flags |= poForceHeader;
    if (options.GetBoolDef(opt::XMLClearEol, false))
        flags |= poClearEol;
    return flags;
}

TDstArrowMode ParseArrowMode(const QString &Text)
{
    const QString mode = UpperCaseAscii(Text);
    if (mode == u"NEVER")
        return damNever;
    if (mode == u"ALWAYS")
        return damAlways;
    return damOutOfSight;
}

void TMainFrm::OpenWithDialog()
{
    QString name;
    {
        Busy busy(this);
        name = Prompter().OpenFileName(this, TFileDialogOptions());
    }
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty() && !QFileInfo::exists(name) &&
        QFileInfo::exists(name + QStringLiteral(".wqf")))
        name += QStringLiteral(".wqf");
    OpenFile(name);
}

void TMainFrm::OpenFile(const QString &FileName)
{
    Busy busy(this);
    // The recent list and the caption keep full paths, whatever the command line gave.
    const QString fileName = FileName.isEmpty() ? FileName : QDir::cleanPath(QFileInfo(FileName).absoluteFilePath());
    if (!CloseDocument(true))
        return;
    ClearCommentRects();
    Doc = std::make_unique<TWQFFile>();
    Doc->OnReadOnly = [this](const QString &Name) { return ConfirmOverwriteReadOnly(Name); };
    if (!Doc->LoadFromFile(fileName, XmlOptionFlags())) {
        const QString error = Doc->LastError();
        Doc.reset();
        message(error);
        return;
    }
    // Both diagrams need their section; a page without one is not opened at all.
    for (const auto &[section, text] :
         {std::pair{QStringLiteral("preproc"), kNoPreproc}, std::pair{QStringLiteral("postproc"), kNoPostproc}})
        if (!Doc->FindSection(section)) {
            Doc.reset();
            message(text);
            return;
        }
    SetFileName(fileName);
    SetModified(false);
    AddRecentFile(mnuOpenRecent, fileName);
    LoadViews();
    platform::GetFileStamp(fileName, FileTime);
    update();
    SetModified(false);
}

bool TMainFrm::CloseDocument(bool Ask)
{
    Busy busy(this);
    bool answer = true;
    if (Modified && Doc && Ask) {
        TPrompt prompt;
        prompt.Caption = QStringLiteral("Exit");
        prompt.Text = QStringLiteral("Do you want to save changes before exit?");
        prompt.Icon = TPromptIcon::Question;
        prompt.Buttons = pbYes | pbNo | pbCancel;
        switch (ask(prompt)) {
        case pbYes:
            answer = SaveFile(FileName);
            break;
        case pbNo:
            answer = true;
            break;
        default:
            answer = false;
            break;
        }
    }
    if (answer && Doc) {
        CloseViews(true);
        SetModified(false);
    }
    return answer;
}

void TMainFrm::CloseViews(bool FreeDoc)
{
    PreEditor.reset();
    PostEditor.reset();
    {
        const QSignalBlocker notes(EditorNotesMemo), name(txtFuncName), pre(chkNoHTTPPre), post(chkNoHTTPPost);
        EditorNotesMemo->clear();
        txtFuncName->clear();
        chkNoHTTPPre->setChecked(false);
        chkNoHTTPPost->setChecked(false);
    }
    if (FreeDoc)
        Doc.reset();
}

TPoint TMainFrm::diagramSize(const TWQFSection *Section) const
{
    int w = 0, h = 0;
    GetItemsExtent(Section ? &Section->Items() : nullptr, 32, 32, w, h);
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return {std::max(scaledToScreen(w, dpi), 1024), std::max(scaledToScreen(h, dpi), 1024)};
}

void TMainFrm::buildDiagram(std::unique_ptr<TImageGraphEditor> &Editor, TWQFSection *Section, TImage *Image,
                            QScrollBar *HorzScroll, QScrollBar *VertScroll)
{
    if (!Editor) {
        auto source = std::make_unique<TPageSectionSource>(Section, &CommentRects);
        source->SetZoom(logicalDpiY() / 96.0);
        source->OnGetImage = [this](TWQFItem *Item, const QString &Kind) { return GetItemImage(Item, Kind); };
        source->VertSplit = OptionStore().GetIntDef(opt::VertSplit, opt::DefaultVertSplit);
        source->DstArrow = ParseArrowMode(OptionStore().GetString(opt::DstArrow));
        source->OnMoved = [this] { EditorChanged(); };
        TWQFEditorSource *raw = source.get();
        Editor = std::make_unique<TImageGraphEditor>(Image, HorzScroll, VertScroll, std::move(source));
        raw->Editor = Editor.get();
    }
    static_cast<TWQFEditorSource *>(Editor->Source())->SetSection(Section);
    Editor->SetGraphSize(diagramSize(Section));
    Editor->Rebuild();
}

bool TMainFrm::LoadViews()
{
    TWQFSection *pre = Doc ? Doc->FindSection(QStringLiteral("preproc")) : nullptr;
    TWQFSection *post = Doc ? Doc->FindSection(QStringLiteral("postproc")) : nullptr;
    if (!pre || !post) {
        message(!pre ? kNoPreproc : kNoPostproc);
        return false;
    }
    const QString notes = ExtractCommentRects(Doc->GetEditorNotes(), CommentRects);
    {
        const QSignalBlocker blocker(EditorNotesMemo);
        EditorNotesMemo->setPlainText(notes);
    }
    buildDiagram(PreEditor, pre, Image1, PreHorzScroll, PreVertScroll);
    buildDiagram(PostEditor, post, Image2, PostHorzScroll, PostVertScoll);
    SetHtmlText(Doc->GetHtml().replace(u'\n', QStringLiteral("\r\n")));
    const QSignalBlocker name(txtFuncName), preFlag(chkNoHTTPPre), postFlag(chkNoHTTPPost);
    txtFuncName->setText(Doc->GetFunctionName());
    chkNoHTTPPost->setChecked(Doc->GetFlag(QStringLiteral("DenyAjaxExecution")));
    chkNoHTTPPre->setChecked(Doc->GetFlag(QStringLiteral("DenyURLExecution")));
    return true;
}

void TMainFrm::SetFileName(const QString &FileName)
{
    this->FileName = FileName;
    QString caption, title, icon;
    if (TNamingPlugin *plugin = GetNamingPlugin()) {
        plugin->NotifyFileName(FileName);
        caption = plugin->GetCaption();
        title = plugin->GetAppTitle();
        icon = plugin->GetIconFileName();
    }
    setWindowTitle(QStringLiteral("Pellorin: ") + (caption.isEmpty() ? FileName : caption));
    QGuiApplication::setApplicationDisplayName(title.isEmpty() ? fileNameOnly(FileName) : title);
    QPixmap picture;
    if (!icon.isEmpty() && picture.load(icon)) {
        QApplication::setWindowIcon(QIcon(picture));
        setWindowIcon(QIcon(picture));
    }
}

void TMainFrm::DocReloaded()
{
    CloseViews(false);
    ClearCommentRects();
    if (!LoadViews()) {
        // Nothing may save the previous page's texts into the new content.
        CloseViews(true);
        SetModified(false);
        return;
    }
    update();
    SetModified(true);
}

// ---- saving ----

QString TMainFrm::MakeBackupName(const QString &PagePath) const
{
    return MakeBackupPath(PagePath, OptionStore().GetString(opt::BackupPath), Now(), QLocale::system());
}

bool TMainFrm::SaveFile(const QString &FileName)
{
    Busy busy(this);
    QString backupName;
    QString reason;
    bool saved = false;
    try {
        if (QFileInfo(FileName).isFile() && OptionStore().GetBoolDef(opt::Backup, opt::DefaultBackup)) {
            const QString name = MakeBackupName(FileName);
            // Only a copy known to be exact may ever be put back.
            if (CopyFileVerified(FileName, name))
                backupName = name;
        }
        if (!Doc) {
            reason = QStringLiteral("No page is open");
        } else {
            Doc->SetHtml(htmlEdit->text());
            Doc->SetEditorNotes(WriteCommentRects(memoText(EditorNotesMemo), CommentRects));
            Doc->SetFunctionName(txtFuncName->text());
            Doc->SetPreHeight(SectionHeight(Doc->FindSection(QStringLiteral("preproc")), 1000));
            Doc->SetPostHeight(SectionHeight(Doc->FindSection(QStringLiteral("postproc")), 1000));
            RunChecks(true);
            Doc->SetLastError(QString());
            saved = Doc->SaveToFile(FileName, XmlOptionFlags());
            if (!saved)
                reason = Doc->LastError();
        }
    } catch (const std::exception &) {
        reason = currentExceptionMessage();
    }
    if (saved) {
        this->FileName = FileName;
        platform::GetFileStamp(FileName, FileTime);
        SetModified(false);
        return true;
    }
    message(QStringLiteral("Unable to save the file: ") + FileName + QStringLiteral(" Reason: ") + reason);
    if (!backupName.isEmpty())
        RestoreBackup(backupName, FileName);
    return false;
}

bool TMainFrm::ConfirmOverwriteReadOnly(const QString &FileName)
{
    const QString policy = OptionStore().GetString(opt::ReadOnly);
    const QString name = fileNameOnly(FileName);
    bool allow = true;
    if (policy.isEmpty() || policy == u"STOP") {
        message(QStringLiteral("Cannot save file. Please check out ") + name + QStringLiteral(" first!"));
        allow = false;
    } else if (policy == u"ASK") {
        TPrompt prompt;
        prompt.Text = name + QStringLiteral(" is read-only. Are you sure you want to overwrite the file?");
        prompt.Icon = TPromptIcon::Warning;
        prompt.Buttons = pbYes | pbNo;
        allow = ask(prompt) == pbYes;
    }
    if (!allow && Doc)
        Doc->SetLastError(name + QStringLiteral(" is read-only"));
    return allow;
}

void TMainFrm::mnuSaveClick()
{
    if (Doc)
        SaveFile(FileName);
}

void TMainFrm::mnuSaveAsClick()
{
    if (!Doc)
        return;
    QString name;
    {
        Busy busy(this);
        TFileDialogOptions options;
        options.FileName = FileName;
        name = Prompter().SaveFileName(this, options);
    }
    if (!name.isEmpty() && SaveFile(name))
        SetFileName(name);
}

// ---- recent files, dropped files, command line, changes on disk ----

void TMainFrm::LoadRecentFiles(QMenu *Menu)
{
    if (ConfigFolder.isEmpty())
        return;
    for (const QString &name : ReadRecentFiles(ConfigFolder + RecentFilesName)) {
        QAction *item = Menu->addAction(menuCaption(name));
        item->setData(name);
        connect(item, &QAction::triggered, this, Guarded([this, item] { RecentFileClick(item); }));
    }
}

void TMainFrm::SaveRecentFiles(QMenu *Menu)
{
    // Without the settings module there is no folder of its own to write into.
    if (ConfigFolder.isEmpty())
        return;
    QStringList names;
    for (const QAction *item : Menu->actions())
        names << item->data().toString();
    WriteRecentFiles(ConfigFolder + RecentFilesName, names);
}

void TMainFrm::AddRecentFile(QMenu *Menu, const QString &FileName)
{
    const QList<QAction *> items = Menu->actions();
    for (QAction *item : items)
        if (SameRecentFile(item->data().toString(), FileName)) {
            if (item != items.first()) {
                Menu->removeAction(item);
                Menu->insertAction(items.first(), item);
            }
            return;
        }
    for (qsizetype count = items.size(); count >= MaxRecentFiles; --count) {
        // The item may be the one whose click is running.
        Menu->removeAction(items[count - 1]);
        items[count - 1]->deleteLater();
    }
    auto *item = new QAction(menuCaption(FileName), Menu);
    item->setData(FileName);
    connect(item, &QAction::triggered, this, Guarded([this, item] { RecentFileClick(item); }));
    const QList<QAction *> left = Menu->actions();
    Menu->insertAction(left.isEmpty() ? nullptr : left.first(), item);
    SaveRecentFiles(Menu);
}

void TMainFrm::RecentFileClick(QAction *Sender)
{
    const QString name = Sender->data().toString();
    if (QFileInfo(name).isFile())
        OpenFile(name);
    else
        message(u'"' + name + QStringLiteral("\" file doesn't exists or unavailable"));
}

void TMainFrm::FormDropFiles(const QStringList &FileNames)
{
    Busy busy(this);
    bool first = true;
    for (const QString &name : FileNames) {
        try {
            if (!IsWQFFile(name))
                continue;
            if (first) {
                first = false;
                OpenFile(name);
            } else {
                platform::StartSecondInstance(name);
            }
        } catch (const std::exception &) {
            message(QStringLiteral("on drop files: ") + currentExceptionMessage());
        }
    }
}

void TMainFrm::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainFrm::dropEvent(QDropEvent *event)
{
    QStringList names;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    event->acceptProposedAction();
    // The drop's source waits for this event; the pages open after it.
    QTimer::singleShot(0, this, Guarded([this, names] { FormDropFiles(names); }));
}

void TMainFrm::OpenCommandLineFile()
{
    QString last;
    for (const QString &argument : CommandLine)
        if (QFileInfo(argument).isFile())
            last = argument;
    if (!last.isEmpty())
        OpenFile(last);
}

void TMainFrm::CheckFileChanged()
{
    if (m_busy > 0) {
        m_checkPending = true;
        return;
    }
    Busy busy(this);
    int32_t stamp = 0;
    if (!platform::GetFileStamp(FileName, stamp) || stamp == FileTime)
        return;
    FileTime = stamp;
    TPrompt prompt;
    prompt.Caption = QStringLiteral("Changed");
    prompt.Text =
        u'"' + FileName +
        QStringLiteral("\" has been changed by another program. \r\nWould you like to reload changed from disk?");
    prompt.Icon = TPromptIcon::Information;
    prompt.Buttons = pbYes | pbNo;
    if (ask(prompt) != pbYes)
        return;
    CloseDocument(false);
    OpenFile(FileName);
}

// ---- the text tabs ----

void TMainFrm::connectTextTabs()
{
    // Typed line breaks are CR LF like those of the page's text.
    htmlEdit->setEolMode(QsciScintilla::EolWindows);
    JavaScriptMemo->setEolMode(QsciScintilla::EolWindows);
    connect(htmlEdit, &QsciScintilla::textChanged, this, Guarded([this] { htmlEditChange(); }));
    connect(JavaScriptMemo, &QsciScintilla::textChanged, this, Guarded([this] { JavaScriptMemoChange(); }));
    connect(txtFuncName, &QLineEdit::textChanged, this, Guarded([this] { txtFuncNameChange(); }));
    connect(chkNoHTTPPre, &QCheckBox::toggled, this, Guarded([this] { chkNoHTTPPreChange(); }));
    connect(chkNoHTTPPost, &QCheckBox::toggled, this, Guarded([this] { chkNoHTTPPostChange(); }));
    connect(EditorNotesMemo, &QPlainTextEdit::textChanged, this, Guarded([this] { EditorNotesMemoChange(); }));
}

void TMainFrm::SetEditorText(QsciScintilla *Editor, const QString &Text)
{
    const int line = Editor->firstVisibleLine();
    const long column = Editor->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET);
    {
        const QSignalBlocker blocker(Editor);
        Editor->setText(Text);
    }
    Editor->setFirstVisibleLine(line);
    Editor->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, column);
}

void TMainFrm::SetHtmlText(const QString &Text)
{
    {
        const QSignalBlocker blocker(htmlEdit);
        htmlEdit->setText(Text);
    }
    SetEditorText(JavaScriptMemo, GetScriptText(Text));
    HtmlTree.reset();
}

void TMainFrm::htmlEditChange()
{
    SetModified(true);
    SetEditorText(JavaScriptMemo, GetScriptText(htmlEdit->text()));
}

void TMainFrm::JavaScriptMemoChange()
{
    SetModified(true);
    if (const std::optional<QString> html = SetScriptText(htmlEdit->text(), JavaScriptMemo->text()))
        SetEditorText(htmlEdit, *html);
}

void TMainFrm::txtFuncNameChange()
{
    if (Doc)
        Doc->SetFunctionName(txtFuncName->text());
    SetModified(true);
}

void TMainFrm::chkNoHTTPPreChange()
{
    if (Doc)
        Doc->SetFlag(QStringLiteral("DenyURLExecution"), chkNoHTTPPre->isChecked());
    SetModified(true);
}

void TMainFrm::chkNoHTTPPostChange()
{
    if (Doc)
        Doc->SetFlag(QStringLiteral("DenyAjaxExecution"), chkNoHTTPPost->isChecked());
    SetModified(true);
}

void TMainFrm::EditorNotesMemoChange()
{
    if (!Doc)
        return;
    SetModified(true);
    Doc->SetEditorNotes(WriteCommentRects(memoText(EditorNotesMemo), CommentRects));
}

// ---- pictures ----

const QImage *TMainFrm::GetImage(const QString &Prefix, const QString &Key)
{
    const QString key = Prefix + Key;
    for (const auto &[name, picture] : Images)
        if (SameTextAscii(name, key))
            return picture.get();
    std::unique_ptr<QImage> picture;
    const QString path = ImagesDir() + key + QStringLiteral(".png");
    if (QFileInfo::exists(path)) {
        picture = std::make_unique<QImage>();
        if (!picture->load(path))
            picture.reset();
    }
    Images.emplace_back(key, std::move(picture));
    return Images.back().second.get();
}

const QImage *TMainFrm::GetItemImage(TWQFItem *, const QString &Kind)
{
    // Macro components get their macro's picture once macros are bound to components.
    return GetRuleImage(Kind);
}
