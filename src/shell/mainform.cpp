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

TMainFrm::TMainFrm(const MainFrmOptions &options, QWidget *parent)
    : QMainWindow(parent), m_page(std::make_unique<OpenPage>(this))
{
    g_mainFrm = this;
    setObjectName(QStringLiteral("MainFrm"));
    resize(mainDesignWidth, mainDesignHeight);
    setAcceptDrops(true);
    createUnits(options.programFolder);
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
    auto copy = guarded([commands] { commands->copyCommand(); });
    auto paste = guarded([commands] { commands->pasteCommand(0, 0); });

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
               guarded([commands] { commands->flipQueryType(); }));
    addCommand(tools, "FlushQueryMenu", QStringLiteral("Flush Query Params"), QKeySequence(Qt::CTRL | Qt::Key_Q),
               guarded([commands] { commands->flushQueryParams(); }));
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
                   if (TGraphEditor *editor = m_views->activeGraphEditor())
                       DeleteSelected(editor);
               }));
}

void TMainFrm::createUnits(const QString &programFolder)
{
    WindowHost &host = *this;
    m_openRequests = std::make_unique<OpenRequests>(host);
    m_views = std::make_unique<PageViews>(host);
    m_messages = std::make_unique<CheckMessagePanel>(host, programFolder);
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
            [this](const QString &fileName) { runGuarded([&] { showPageCaption(this, captionOfFile(fileName)); }); });
    connect(m_page.get(), &OpenPage::fileOpened, this,
            [this](const QString &fileName) { runGuarded([&] { m_recentFiles->addRecentFile(fileName); }); });
    DiagramCommands *commands = m_commands.get();
    connect(commands, &DiagramCommands::diagnostic, this,
            [this](const QString &line) { runGuarded([&] { DebugLog(line); }); });
    connect(commands, &DiagramCommands::diagramMenuRequested, this, [this] { m_diagramMenu->popup(QCursor::pos()); });
    for (DiagramTab *tab : m_views->diagramTabs())
        connect(tab, &DiagramTab::imageReleased, this,
                [commands, tab](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                    runGuarded([&] { commands->image1MouseUp(tab->image(), button, shift, x, y); });
                });
    connect(m_keys.get(), &KeyDispatch::deleteRequested, this,
            [this](TGraphEditor *editor) { runGuarded([&] { DeleteSelected(editor); }); });
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
            [this](const QString &fileName) { runGuarded([&] { m_openRequests->recentFileClick(fileName); }); });
    m_recentFiles->loadRecentFiles();
    g_appDir = options.programFolder;
    g_imagesDir = g_appDir + QStringLiteral("images/");
    m_views->pictures().setFolder(g_imagesDir);
    // A description file that cannot be read is skipped; the message list names it.
    m_messages->addLines(LoadComponentDescrs(g_appDir + QStringLiteral("components/")));
    m_messages->addLines(LoadMacros(g_appDir + QStringLiteral("macros/")));
    m_palette = std::make_unique<Palette>(static_cast<WindowHost &>(*this), screenDpiOf(this));
    for (DiagramTab *tab : m_views->diagramTabs())
        m_palette->buildPalette(tab->palette());
    m_openRequests->openCommandLineFile(options.commandLine ? *options.commandLine
                                                            : QCoreApplication::arguments().mid(1));
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            runGuarded([this] { AppActivate(); });
    });
    const QString lastTab = OptionStore().GetString(opt::LastTab);
    m_views->selectTabByCaption(lastTab.isEmpty() ? opt::defaultLastTab : lastTab);
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
    m_recentFiles->saveRecentFiles();
    for (DiagramTab *tab : m_views->diagramTabs())
        tab->clear();
    m_views->pictures().clear();
    {
        // The close question came before; the views go with the window.
        const QSignalBlocker quiet(m_page.get());
        m_page->close(false);
    }
    m_views->clearCommentRects();
    removeHostHooks();
}

void TMainFrm::writeViews(TWQFFile &page) { m_views->textTabs().writeInto(page); }
void TMainFrm::quickCheck() { m_messages->saveCheck(); }

// ---- forwarders ----

void TMainFrm::OpenWithDialog() { m_page->openWithDialog(); }
void TMainFrm::OpenFile(const QString &fileName) { m_page->open(fileName); }
bool TMainFrm::CloseDocument(bool ask) { return m_page->close(ask); }
void TMainFrm::SetFileName(const QString &fileName) { m_page->setFileName(fileName); }
void TMainFrm::SetModified(bool value) { m_page->setModified(value); }
PageOptions TMainFrm::XmlOptionFlags() const { return OpenPage::optionsFromSettings(); }
bool TMainFrm::SaveFile(const QString &fileName) { return m_page->save(fileName); }
QString TMainFrm::MakeBackupName(const QString &pagePath) const { return m_page->makeBackupName(pagePath); }
void TMainFrm::CheckFileChanged() { m_page->checkChangedOnDisk(); }
void TMainFrm::FormDropFiles(const QStringList &fileNames) { m_openRequests->formDropFiles(fileNames); }
TWQFFile *TMainFrm::GetCurrentDoc() const { return m_page->document(); }

TImageGraphEditor *TMainFrm::PreEditor() const { return m_views->diagramTabs()[0]->editor(); }
TImageGraphEditor *TMainFrm::PostEditor() const { return m_views->diagramTabs()[1]->editor(); }
const CommentRectList &TMainFrm::CommentRects() const { return m_views->commentRects(); }
const TextTabs *TMainFrm::textTabs() const { return &m_views->textTabs(); }
const QImage *TMainFrm::GetImage(const QString &prefix, const QString &key)
{
    return m_views->pictures().getImage(prefix, key);
}
const QImage *TMainFrm::GetItemImage(TWQFItem *item, const QString &kind)
{
    return m_views->pictures().getItemImage(item, kind);
}
void TMainFrm::ApplyMacro(TWQFFile *doc, TWQFSection *section, QString &code, TWQFItem *item)
{
    ::ApplyMacro(doc, section, code, item);
}

void TMainFrm::DebugLog(const QString &line) { m_messages->debugLog(line); }
void TMainFrm::RunChecks(bool quickOnly) { m_messages->runChecks(quickOnly); }
QStringList TMainFrm::messageLines() const { return m_messages->messageLines(); }

void TMainFrm::DeleteSelected(TGraphEditor *editor) { m_commands->deleteSelected(editor); }
void TMainFrm::CopyCommand() { m_commands->copyCommand(); }
void TMainFrm::PasteCommand(int x, int y) { m_commands->pasteCommand(x, y); }
void TMainFrm::FlipQueryType() { m_commands->flipQueryType(); }
void TMainFrm::FlushQueryParams() { m_commands->flushQueryParams(); }

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

void TMainFrm::mnuFindNextClick() { m_search->findNext(QApplication::focusWidget()); }

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
    emit closed();
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

void ListFiles(const QString &folder, const QString &mask, unsigned attributes, QStringList *list)
{
    ListFolder(folder, mask, attributes, list);
}
