// The main window's layout and wiring.
#include "mainform.h"

#include "aboutformunit.h"
#include "appini.h"
#include "checkmessages.h"
#include "checks/appgui.h"
#include "diagramcommands.h"
#include "diagramtab.h"
#include "editors/codeeditors.h"
#include "editors/lclgrapheditor.h"
#include "editors/morivanecomponents.h"
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
#include "platform/slotguard.h"
#include "recentfiles.h"
#include "texttabs.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QUrl>

namespace {
TMainFrm *g_mainFrm = nullptr;
QString g_appDir;
QString g_imagesDir;

// A new entry of the menu that runs command.
template <class F>
void addCommand(QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut, F command)
{
    QAction *action = named(menu->addAction(caption), name);
    action->setShortcut(shortcut);
    QObject::connect(action, &QAction::triggered, action, std::move(command));
}
} // namespace

TMainFrm *mainFrm() { return g_mainFrm; }
QString AppDir() { return g_appDir; }
QString ImagesDir() { return g_imagesDir; }

TMainFrm::TMainFrm(const MainFrmOptions &options, QWidget *Parent)
    : QMainWindow(Parent), m_page(std::make_unique<OpenPage>(this))
{
    g_mainFrm = this;
    setObjectName(QStringLiteral("MainFrm"));
    resize(mainDesignWidth, mainDesignHeight);
    setAcceptDrops(true);
    createUnits(options.ProgramFolder);
    createMenus();
    createLayout();
    connectUnits();
    try {
        FormCreate(options);
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

// ---- layout and wiring ----

void TMainFrm::createMenus()
{
    m_mainMenu = named(new QMenuBar(this), "MainMenu1");
    setMenuBar(m_mainMenu);
    DiagramCommands *commands = m_commands.get();
    auto copy = guarded([commands] { commands->CopyCommand(); });
    auto paste = guarded([commands] { commands->PasteCommand(0, 0); });

    QMenu *file = named(m_mainMenu->addMenu(QStringLiteral("File")), "mnuFile");
    addCommand(file, "mnuOpen", QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
               guarded([this] { OpenWithDialog(); }));
    m_recentMenu = named(file->addMenu(QStringLiteral("Open Recent")), "mnuOpenRecent");
    addCommand(file, "mnuSave", QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
               guarded([this] { mnuSaveClick(); }));
    addCommand(file, "mnuSaveAs", QStringLiteral("Save As..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
               guarded([this] { m_page->saveAs(); }));
    file->addSeparator();
    addCommand(file, "mnuExit", QStringLiteral("Exit"), QKeySequence(Qt::ALT | Qt::Key_F4),
               guarded([this] { mnuExitClick(); }));

    QMenu *edit = named(m_mainMenu->addMenu(QStringLiteral("Edit")), "mnuEdit");
    addCommand(edit, "mnuMainCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), copy);
    addCommand(edit, "mnuMainPaste", QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), paste);

    QMenu *search = named(m_mainMenu->addMenu(QStringLiteral("Search")), "mnuSearch");
    addCommand(search, "MenuItem3", QStringLiteral("Find"), QKeySequence(Qt::CTRL | Qt::Key_F),
               guarded([this] { m_search->showFindDialog(); }));
    addCommand(search, "mnuFindNext", QStringLiteral("Find Next"), QKeySequence(Qt::Key_F3),
               guarded([this] { mnuFindNextClick(); }));
    addCommand(search, "MenuItem10", QStringLiteral("Search Result"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F),
               guarded([this] { m_search->showLastResults(); }));

    QMenu *tools = named(m_mainMenu->addMenu(QStringLiteral("Tools")), "mnuTools");
    addCommand(tools, "MenuItem9", QStringLiteral("Check WQF file"), QKeySequence(Qt::CTRL | Qt::Key_F9),
               guarded([this] { RunChecks(false); }));
    addCommand(tools, "MenuItem11", QStringLiteral("Flip Select/Insert Query"), QKeySequence(Qt::CTRL | Qt::Key_T),
               guarded([commands] { commands->FlipQueryType(); }));
    addCommand(tools, "FlushQueryMenu", QStringLiteral("Flush Query Params"), QKeySequence(Qt::CTRL | Qt::Key_Q),
               guarded([commands] { commands->FlushQueryParams(); }));
    addCommand(tools, "MenuItem6", QStringLiteral("Section Screen Shot"), QKeySequence(),
               guarded([commands] { commands->sectionScreenShot(); }));

    QMenu *help = named(m_mainMenu->addMenu(QStringLiteral("Help")), "mnuHelp");
    addCommand(help, "mnOnlineHelp", QStringLiteral("Online Help"), QKeySequence(),
               guarded([this] { mnOnlineHelpClick(); }));
    help->addSeparator();
    addCommand(help, "mnAbout", QStringLiteral("About"), QKeySequence(), guarded([this] { ShowAbout(this); }));

    m_diagramMenu = named(new QMenu(this), "PopupMenu1");
    addCommand(m_diagramMenu, "mnuPopCopy", QStringLiteral("Copy"), QKeySequence(), copy);
    addCommand(m_diagramMenu, "mnuPopPaste", QStringLiteral("Paste"), QKeySequence(), paste);
    addCommand(m_diagramMenu, "MenuItem5", QStringLiteral("Delete"), QKeySequence(), guarded([this] {
                   if (TGraphEditor *editor = m_views->ActiveGraphEditor())
                       DeleteSelected(editor);
               }));
}

void TMainFrm::createUnits(const QString &ProgramFolder)
{
    WindowHost &host = *this;
    m_openRequests = std::make_unique<OpenRequests>(host);
    m_views = std::make_unique<PageViews>(host);
    m_messages = std::make_unique<CheckMessagePanel>(host, ProgramFolder);
    m_search = std::make_unique<PageSearch>(std::make_unique<WidgetSearchHost>(host));
    m_commands = std::make_unique<DiagramCommands>(host);
    m_keys = std::make_unique<KeyDispatch>(host);
    m_page->setSaveSteps(this);
}

void TMainFrm::createLayout()
{
    auto *splitter = named(new QSplitter(Qt::Vertical), "Splitter5");
    splitter->addWidget(m_views->tabWidget());
    splitter->addWidget(m_messages->panel());
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({mainDesignHeight - 113, 113});
    setCentralWidget(splitter);
}

void TMainFrm::connectUnits()
{
    connect(m_page.get(), &OpenPage::fileNameChanged, this,
            [this](const QString &FileName) { runGuarded([&] { showPageCaption(this, captionOfFile(FileName)); }); });
    connect(m_page.get(), &OpenPage::fileOpened, this,
            [this](const QString &FileName) { runGuarded([&] { m_recentFiles->AddRecentFile(FileName); }); });
    DiagramCommands *commands = m_commands.get();
    connect(commands, &DiagramCommands::diagnostic, this,
            [this](const QString &Line) { runGuarded([&] { DebugLog(Line); }); });
    connect(commands, &DiagramCommands::diagramMenuRequested, this, [this] { m_diagramMenu->popup(QCursor::pos()); });
    for (DiagramTab *tab : m_views->diagramTabs())
        connect(tab, &DiagramTab::imageReleased, this,
                [commands, tab](Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y) {
                    runGuarded([&] { commands->Image1MouseUp(tab->image(), button, shift, X, Y); });
                });
    connect(m_keys.get(), &KeyDispatch::deleteRequested, this,
            [this](TGraphEditor *Editor) { runGuarded([&] { DeleteSelected(Editor); }); });
}

// ---- creation and destruction ----

void TMainFrm::FormCreate(const MainFrmOptions &options)
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
    g_appDir = options.ProgramFolder;
    g_imagesDir = g_appDir + QStringLiteral("images/");
    m_views->pictures().setFolder(g_imagesDir);
    // A description file that cannot be read is skipped; the message list names it.
    m_messages->addLines(LoadComponentDescrs(g_appDir + QStringLiteral("components/")));
    m_messages->addLines(LoadMacros(g_appDir + QStringLiteral("macros/")));
    m_palette = std::make_unique<Palette>(static_cast<WindowHost &>(*this), screenDpiOf(this));
    for (DiagramTab *tab : m_views->diagramTabs())
        m_palette->BuildPalette(tab->palette());
    m_openRequests->OpenCommandLineFile(options.commandLine ? *options.commandLine
                                                            : QCoreApplication::arguments().mid(1));
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState State) {
        if (State == Qt::ApplicationActive)
            runGuarded([this] { AppActivate(); });
    });
    const QString lastTab = OptionStore().GetString(opt::LastTab);
    m_views->SelectTabByCaption(lastTab.isEmpty() ? opt::defaultLastTab : lastTab);
    SetAppIntf(std::make_unique<TMainFormPellorinIntf>(static_cast<WindowHost &>(*this)));
    LoadPluginSettings();
    m_views->textTabs().rebindTabKeys();
    installHostHooks(*this);
}

void TMainFrm::LoadPluginSettings()
{
    QList<TWarningPlugin *> plugins;
    GetWarningPlugins(plugins);
    applyCheckSettings(plugins, OptionStore());
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
    removeHostHooks();
}

void TMainFrm::writeViews(TWQFFile &Page) { m_views->textTabs().writeInto(Page); }
void TMainFrm::quickCheck() { m_messages->saveCheck(); }

// ---- forwarders ----

void TMainFrm::OpenWithDialog() { m_page->openWithDialog(); }
void TMainFrm::OpenFile(const QString &FileName) { m_page->open(FileName); }
bool TMainFrm::CloseDocument(bool ask) { return m_page->close(ask); }
void TMainFrm::SetFileName(const QString &FileName) { m_page->setFileName(FileName); }
void TMainFrm::SetModified(bool Value) { m_page->setModified(Value); }
PageOptions TMainFrm::XmlOptionFlags() const { return OpenPage::optionsFromSettings(); }
bool TMainFrm::SaveFile(const QString &FileName) { return m_page->save(FileName); }
QString TMainFrm::MakeBackupName(const QString &pagePath) const { return m_page->makeBackupName(pagePath); }
void TMainFrm::CheckFileChanged() { m_page->checkChangedOnDisk(); }
void TMainFrm::FormDropFiles(const QStringList &fileNames) { m_openRequests->FormDropFiles(fileNames); }
TWQFFile *TMainFrm::GetCurrentDoc() const { return m_page->document(); }

TImageGraphEditor *TMainFrm::PreEditor() const { return m_views->diagramTabs()[0]->editor(); }
TImageGraphEditor *TMainFrm::PostEditor() const { return m_views->diagramTabs()[1]->editor(); }
const CommentRectList &TMainFrm::CommentRects() const { return m_views->CommentRects(); }
const TextTabs *TMainFrm::textTabs() const { return &m_views->textTabs(); }
const QImage *TMainFrm::GetImage(const QString &prefix, const QString &Key)
{
    return m_views->pictures().GetImage(prefix, Key);
}
const QImage *TMainFrm::GetItemImage(TWQFItem *Item, const QString &Kind)
{
    return m_views->pictures().GetItemImage(Item, Kind);
}
void TMainFrm::ApplyMacro(TWQFFile *Doc, TWQFSection *Section, QString &Code, TWQFItem *Item)
{
    ::ApplyMacro(Doc, Section, Code, Item);
}

void TMainFrm::DebugLog(const QString &Line) { m_messages->DebugLog(Line); }
void TMainFrm::RunChecks(bool quickOnly) { m_messages->RunChecks(quickOnly); }
QStringList TMainFrm::messageLines() const { return m_messages->messageLines(); }

void TMainFrm::DeleteSelected(TGraphEditor *Editor) { m_commands->DeleteSelected(Editor); }
void TMainFrm::CopyCommand() { m_commands->CopyCommand(); }
void TMainFrm::PasteCommand(int X, int Y) { m_commands->PasteCommand(X, Y); }
void TMainFrm::FlipQueryType() { m_commands->FlipQueryType(); }
void TMainFrm::FlushQueryParams() { m_commands->FlushQueryParams(); }

// ---- menu commands and window events ----

void TMainFrm::mnuSaveClick()
{
    if (m_page->document())
        SaveFile(m_page->fileName());
}

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

void ListFiles(const QString &folder, const QString &Mask, unsigned Attributes, QStringList *List)
{
    ListFolder(folder, Mask, Attributes, List);
}
