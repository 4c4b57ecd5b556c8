#include "mainform.h"

#include "aboutformunit.h"
#include "appini.h"
#include "base/exception.h"
#include "checkmessages.h"
#include "checks/appgui.h"
#include "diagramcommands.h"
#include "diagramtab.h"
#include "editors/codeeditors.h"
#include "editors/lclgrapheditor.h"
#include "editors/morivanecomponents.h"
#include "editors/pascompiler.h"
#include "editors/wqfeditors.h"
#include "editors/wqfmacros.h"
#include "formparts.h"
#include "globaloptions.h"
#include "hostinterface.h"
#include "keydispatch.h"
#include "model/filehelpers.h"
#include "openpage.h"
#include "openrequests.h"
#include "optionsdialog.h"
#include "pagecaption.h"
#include "pagesearch.h"
#include "pageviews.h"
#include "palette.h"
#include "platform/appdirs.h"
#include "platform/apptitle.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/slotguard.h"
#include "recentfiles.h"
#include "texttabs.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
TMainFrm *g_mainFrm = nullptr;
QString g_appDir;
QString g_imagesDir;

QAction *addCommand(QMenu *menu, const char *name, const QString &caption,
                    const QKeySequence &shortcut = QKeySequence())
{
    QAction *action = named(menu->addAction(caption), name);
    action->setShortcut(shortcut);
    return action;
}
} // namespace

TMainFrm *MainFrm() { return g_mainFrm; }
QString AppDir() { return g_appDir; }
QString ImagesDir() { return g_imagesDir; }

TMainFrm::TMainFrm(const TMainFrmOptions &Options, QWidget *Parent)
    : QMainWindow(Parent), m_page(std::make_unique<OpenPage>(this)),
      m_openRequests(std::make_unique<OpenRequests>(static_cast<WindowHost &>(*this)))
{
    g_mainFrm = this;
    setObjectName(QStringLiteral("MainFrm"));
    resize(MainDesignWidth, MainDesignHeight);
    createMenus();
    createPages(Options.ProgramFolder);
    connectPage();
    connectDiagramCommands();
    setAcceptDrops(true);
    m_typeAheadTimer = named(new QTimer(this), "SearchTimer");
    m_keys = std::make_unique<KeyDispatch>(static_cast<WindowHost &>(*this), *m_typeAheadTimer);
    connect(m_keys.get(), &KeyDispatch::deleteRequested, this,
            [this](TGraphEditor *Editor) { runGuarded([&] { DeleteSelected(Editor); }); });
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
    m_mainMenu = named(new QMenuBar(this), "MainMenu1");
    setMenuBar(m_mainMenu);

    m_fileMenu = named(m_mainMenu->addMenu(QStringLiteral("File")), "mnuFile");
    m_openAction = addCommand(m_fileMenu, "mnuOpen", QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    m_recentMenu = named(m_fileMenu->addMenu(QStringLiteral("Open Recent")), "mnuOpenRecent");
    m_saveAction = addCommand(m_fileMenu, "mnuSave", QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    m_saveAsAction = addCommand(m_fileMenu, "mnuSaveAs", QStringLiteral("Save As..."),
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m_fileMenu->addSeparator();
    m_exitAction = addCommand(m_fileMenu, "mnuExit", QStringLiteral("Exit"), QKeySequence(Qt::ALT | Qt::Key_F4));

    m_editMenu = named(m_mainMenu->addMenu(QStringLiteral("Edit")), "mnuEdit");
    m_copyAction = addCommand(m_editMenu, "mnuMainCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    m_pasteAction = addCommand(m_editMenu, "mnuMainPaste", QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));

    m_searchMenu = named(m_mainMenu->addMenu(QStringLiteral("Search")), "mnuSearch");
    m_findAction = addCommand(m_searchMenu, "MenuItem3", QStringLiteral("Find"), QKeySequence(Qt::CTRL | Qt::Key_F));
    m_findNextAction = addCommand(m_searchMenu, "mnuFindNext", QStringLiteral("Find Next"), QKeySequence(Qt::Key_F3));
    m_searchResultAction = addCommand(m_searchMenu, "MenuItem10", QStringLiteral("Search Result"),
                                      QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));

    m_toolsMenu = named(m_mainMenu->addMenu(QStringLiteral("Tools")), "mnuTools");
    m_checkAction =
        addCommand(m_toolsMenu, "MenuItem9", QStringLiteral("Check WQF file"), QKeySequence(Qt::CTRL | Qt::Key_F9));
    m_flipQueryAction = addCommand(m_toolsMenu, "MenuItem11", QStringLiteral("Flip Select/Insert Query"),
                                   QKeySequence(Qt::CTRL | Qt::Key_T));
    m_flushQueryAction = addCommand(m_toolsMenu, "FlushQueryMenu", QStringLiteral("Flush Query Params"),
                                    QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_sectionPictureAction = addCommand(m_toolsMenu, "MenuItem6", QStringLiteral("Section Screen Shot"));

    m_helpMenu = named(m_mainMenu->addMenu(QStringLiteral("Help")), "mnuHelp");
    m_helpAction = addCommand(m_helpMenu, "mnOnlineHelp", QStringLiteral("Online Help"));
    m_helpMenu->addSeparator();
    m_aboutAction = addCommand(m_helpMenu, "mnAbout", QStringLiteral("About"));

    m_diagramMenu = named(new QMenu(this), "PopupMenu1");
    m_diagramCopyAction = addCommand(m_diagramMenu, "mnuPopCopy", QStringLiteral("Copy"));
    m_diagramPasteAction = addCommand(m_diagramMenu, "mnuPopPaste", QStringLiteral("Paste"));
    m_diagramDeleteAction = addCommand(m_diagramMenu, "MenuItem5", QStringLiteral("Delete"));

    connect(m_openAction, &QAction::triggered, this, guarded([this] { OpenWithDialog(); }));
    connect(m_saveAction, &QAction::triggered, this, guarded([this] { mnuSaveClick(); }));
    connect(m_saveAsAction, &QAction::triggered, this, guarded([this] { m_page->saveAs(); }));
    connect(m_checkAction, &QAction::triggered, this, guarded([this] { RunChecks(false); }));
    connect(m_exitAction, &QAction::triggered, this, guarded([this] { mnuExitClick(); }));
    connect(m_findAction, &QAction::triggered, this, guarded([this] { m_search->ShowFindDialog(); }));
    connect(m_findNextAction, &QAction::triggered, this, guarded([this] { mnuFindNextClick(); }));
    connect(m_searchResultAction, &QAction::triggered, this, guarded([this] { m_search->ShowLastResults(); }));
    connect(m_helpAction, &QAction::triggered, this, guarded([this] { mnOnlineHelpClick(); }));
    connect(m_aboutAction, &QAction::triggered, this, guarded([this] { ShowAbout(this); }));
}

void TMainFrm::createPages(const QString &ProgramFolder)
{
    m_views = std::make_unique<PageViews>(static_cast<WindowHost &>(*this));
    m_messages = std::make_unique<CheckMessages>(static_cast<WindowHost &>(*this), ProgramFolder);
    m_search = std::make_unique<TPageSearch>(std::make_unique<TWidgetSearchHost>(static_cast<WindowHost &>(*this)));

    m_messageSplitter = named(new QSplitter(Qt::Vertical), "Splitter5");
    m_messageSplitter->addWidget(m_views->tabWidget());
    m_messageSplitter->addWidget(m_messages->panel());
    m_messageSplitter->setStretchFactor(0, 1);
    m_messageSplitter->setStretchFactor(1, 0);
    m_messageSplitter->setChildrenCollapsible(false);
    m_messageSplitter->setSizes({MainDesignHeight - 113, 113});
    setCentralWidget(m_messageSplitter);
}

void TMainFrm::connectPage()
{
    connect(m_page.get(), &OpenPage::fileNameChanged, this,
            [this](const QString &FileName) { runGuarded([&] { showPageCaption(this, captionOfFile(FileName)); }); });
    connect(m_page.get(), &OpenPage::opened, this,
            guarded([this] { m_recentFiles->AddRecentFile(m_page->fileName()); }));
    m_page->setSaveSteps(this);
}

void TMainFrm::connectDiagramCommands()
{
    m_commands = std::make_unique<DiagramCommands>(static_cast<WindowHost &>(*this));
    DiagramCommands *commands = m_commands.get();
    connect(commands, &DiagramCommands::diagnostic, this, [this](const QString &Line) { DebugLog(Line); });
    connect(commands, &DiagramCommands::diagramMenuRequested, this, [this] { m_diagramMenu->popup(QCursor::pos()); });
    for (QAction *copy : {m_copyAction, m_diagramCopyAction})
        connect(copy, &QAction::triggered, this, guarded([commands] { commands->CopyCommand(); }));
    for (QAction *paste : {m_pasteAction, m_diagramPasteAction})
        connect(paste, &QAction::triggered, this, guarded([commands] { commands->PasteCommand(0, 0); }));
    connect(m_diagramDeleteAction, &QAction::triggered, this, guarded([this] {
                if (TGraphEditor *editor = ActiveGraphEditor())
                    DeleteSelected(editor);
            }));
    connect(m_flipQueryAction, &QAction::triggered, this, guarded([commands] { commands->FlipQueryType(); }));
    connect(m_flushQueryAction, &QAction::triggered, this, guarded([commands] { commands->FlushQueryParams(); }));
    connect(m_sectionPictureAction, &QAction::triggered, this, guarded([commands] { commands->SectionScreenShot(); }));
    for (DiagramTab *tab : m_views->diagramTabs())
        connect(tab, &DiagramTab::imageReleased, this,
                [commands, tab](Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
                    runGuarded([&] { commands->Image1MouseUp(tab->image(), Button, Shift, X, Y); });
                });
}

void TMainFrm::DeleteSelected(TGraphEditor *Editor) { m_commands->DeleteSelected(Editor); }
void TMainFrm::CopyCommand() { m_commands->CopyCommand(); }
void TMainFrm::PasteCommand(int X, int Y) { m_commands->PasteCommand(X, Y); }
void TMainFrm::FlipQueryType() { m_commands->FlipQueryType(); }
void TMainFrm::FlushQueryParams() { m_commands->FlushQueryParams(); }

void TMainFrm::FormCreate(const TMainFrmOptions &Options)
{
    SetMainMenu(m_mainMenu);
    OptionStore().Load();
    RestoreFormBounds(this);
    setWindowTitle(QStringLiteral("Pellorin - ") + GetVersionDate());
    m_configFolder = ConfigDir();
    m_recentFiles = std::make_unique<RecentFiles>(m_configFolder);
    m_recentItems = std::make_unique<RecentFilesMenu>(*m_recentFiles, m_recentMenu);
    connect(m_recentItems.get(), &RecentFilesMenu::chosen, this,
            [this](const QString &FileName) { runGuarded([&] { m_openRequests->RecentFileClick(FileName); }); });
    m_recentFiles->LoadRecentFiles();
    g_appDir = Options.ProgramFolder;
    g_imagesDir = g_appDir + QStringLiteral("images/");
    m_views->pictures().setFolder(g_imagesDir);
    // A description file that cannot be read is skipped; the message list names it.
    m_messages->addLines(LoadComponentDescrs(g_appDir + QStringLiteral("components/")));
    m_messages->addLines(LoadMacros(g_appDir + QStringLiteral("macros/")));
    m_palette = std::make_unique<Palette>(static_cast<WindowHost &>(*this), ScreenDpiOf(this));
    for (DiagramTab *tab : m_views->diagramTabs())
        m_palette->BuildPalette(tab->palette());
    m_openRequests->OpenCommandLineFile(Options.CommandLine ? *Options.CommandLine
                                                            : QCoreApplication::arguments().mid(1));
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState State) {
        if (State == Qt::ApplicationActive)
            runGuarded([this] { AppActivate(); });
    });
    const QString lastTab = OptionStore().GetString(opt::LastTab);
    m_views->SelectTabByCaption(lastTab.isEmpty() ? opt::DefaultLastTab : lastTab);
    SetAppIntf(std::make_unique<TMainFormPellorinIntf>(static_cast<WindowHost &>(*this)));
    LoadPluginSettings();
    m_views->textTabs().rebindTabKeys();
    InstallHostHooks(static_cast<WindowHost &>(*this));
}

void TMainFrm::FormDestroy()
{
    OptionStore().SetString(opt::LastTab, m_views->currentTabCaption());
    SaveFormBounds(this);
    m_recentFiles->SaveRecentFiles();
    for (DiagramTab *tab : m_views->diagramTabs())
        tab->clear();
    m_views->pictures().clear();
    {
        // The close question came before; the views go with the window.
        const QSignalBlocker quiet(m_page.get());
        m_page->close(false);
    }
    m_views->ClearCommentRects();
    RemoveHostHooks();
}

void TMainFrm::DebugLog(const QString &Line) { m_messages->DebugLog(Line); }

void TMainFrm::LoadPluginSettings()
{
    QList<TWarningPlugin *> plugins;
    GetWarningPlugins(plugins);
    ApplyCheckSettings(plugins, OptionStore());
}

// ---- the open page ----

void TMainFrm::OpenWithDialog() { m_page->openWithDialog(); }
void TMainFrm::OpenFile(const QString &FileName) { m_page->open(FileName); }
bool TMainFrm::CloseDocument(bool Ask) { return m_page->close(Ask); }
void TMainFrm::SetFileName(const QString &FileName) { m_page->setFileName(FileName); }
void TMainFrm::SetModified(bool Value) { m_page->setModified(Value); }
PageOptions TMainFrm::XmlOptionFlags() const { return OpenPage::optionsFromSettings(); }
bool TMainFrm::SaveFile(const QString &FileName) { return m_page->save(FileName); }
QString TMainFrm::MakeBackupName(const QString &PagePath) const { return m_page->makeBackupName(PagePath); }
void TMainFrm::CheckFileChanged() { m_page->checkChangedOnDisk(); }
TWQFFile *TMainFrm::GetCurrentDoc() const { return m_page->document(); }

void TMainFrm::writeViews(TWQFFile &Page) { m_views->textTabs().writeInto(Page); }
void TMainFrm::quickCheck() { m_messages->saveCheck(); }

void TMainFrm::mnuSaveClick()
{
    if (m_page->document())
        SaveFile(m_page->fileName());
}

// ---- recent files, dropped files, command line ----

void TMainFrm::FormDropFiles(const QStringList &FileNames) { m_openRequests->FormDropFiles(FileNames); }

void TMainFrm::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainFrm::dropEvent(QDropEvent *event)
{
    m_openRequests->dropped(*event->mimeData());
    event->acceptProposedAction();
}

// ---- text tabs and pictures ----

const QImage *TMainFrm::GetImage(const QString &Prefix, const QString &Key)
{
    return m_views->pictures().GetImage(Prefix, Key);
}

const QImage *TMainFrm::GetItemImage(TWQFItem *Item, const QString &Kind)
{
    return m_views->pictures().GetItemImage(Item, Kind);
}

void TMainFrm::ApplyMacro(TWQFFile *Doc, TWQFSection *Section, QString &Code, TWQFItem *Item)
{
    ::ApplyMacro(Doc, Section, Code, Item);
}

// ---- the check message list ----

void TMainFrm::RunChecks(bool QuickOnly) { m_messages->RunChecks(QuickOnly); }
QStringList TMainFrm::messageLines() const { return m_messages->messageLines(); }

// ---- the diagrams ----

TGraphEditor *TMainFrm::ActiveGraphEditor() const { return m_views->ActiveGraphEditor(); }
void TMainFrm::SelectItemByName(const QString &Name) { m_views->SelectItemByName(Name); }
TImageGraphEditor *TMainFrm::PreEditor() const { return m_views->diagramTabs()[0]->editor(); }
TImageGraphEditor *TMainFrm::PostEditor() const { return m_views->diagramTabs()[1]->editor(); }
TImageGraphEditor *TMainFrm::diagramEditor(const QString &Section) const { return m_views->diagramEditor(Section); }
const TCommentRectList &TMainFrm::CommentRects() const { return m_views->CommentRects(); }
QString TMainFrm::currentSectionName() const { return m_views->currentSectionName(); }
const TextTabs *TMainFrm::textTabs() const { return &m_views->textTabs(); }

// ---- menu commands and window events ----

void TMainFrm::mnuExitClick()
{
    if (CloseDocument(true))
        close();
}

void TMainFrm::mnuFindNextClick() { m_search->FindNext(QApplication::focusWidget()); }

void TMainFrm::mnOnlineHelpClick()
{
    // Without a program to show it nothing would happen at all; the user learns where it is.
    const QString help = AppDir() + QStringLiteral("README.md");
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(help)))
        m_page->showMessage(QStringLiteral("Unable to open the help page \"") + help + u'"');
}

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
    for (DiagramTab *tab : m_views->diagramTabs())
        tab->raiseScrollBars();
    ScaleEditorFonts(this);
}

void ListFiles(const QString &Folder, const QString &Mask, unsigned Attributes, QStringList *List)
{
    ListFolder(Folder, Mask, Attributes, List);
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
