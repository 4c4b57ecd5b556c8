#include "base/exception.h"
#include "base/inifile.h"
#include "checks/appgui.h"
#include "checks/pellorinplugin.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "model/htmlcontrols.h"
#include "pellorinversion.h"
#include "platform/folderlist.h"
#include "platform/slotguard.h"
#include "programdirs.h"
#include "shell/aboutformunit.h"
#include "shell/appini.h"
#include "shell/globaloptions.h"
#include "shell/hostinterface.h"
#include "shell/htmlview.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/optionsdialog.h"
#include "shell/pellorinapp.h"
#include "shell/searchwindow.h"
#include "shell/sqlcfgform.h"
#include "shell/startup.h"
#include "shell/texttabs.h"
#include "windowparts.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <stdexcept>
#include <sys/inotify.h>
#include <unistd.h>

using pellorin_test::part;
using pellorin_test::PrompterGuard;
using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
// The caption date worked out from the version by hand: month/day/year, zero-padded.
QString expectedVersionDate()
{
    const QStringList parts = QString(PELLORIN_FILE_VERSION).split('.');
    return QString::asprintf("%02d/%02d/%04d", parts.value(1).toInt(), parts.value(2).toInt(), parts.value(0).toInt());
}

// Every entry of a menu as "caption|shortcut|enabled" ("-" for a separator).
QStringList entries(const QMenu *menu)
{
    QStringList list;
    for (const QAction *a : menu->actions()) {
        if (a->isSeparator())
            list << "-";
        else
            list << a->text() + "|" + a->shortcut().toString(QKeySequence::PortableText) + "|" +
                        (a->isEnabled() ? "on" : "off");
    }
    return list;
}

QMenu *topMenu(QMenuBar *bar, const QString &caption)
{
    for (QAction *a : bar->actions())
        if (a->text() == caption)
            return a->menu();
    return nullptr;
}

class FakeCheck : public TWarningPlugin {
public:
    explicit FakeCheck(QString name) : m_name(std::move(name)) {}
    QString className() const override { return m_name; }

private:
    QString m_name;
};

// Receives the help page instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};
} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

    std::unique_ptr<pellorin_test::ProgramDirs> m_dir;
    std::unique_ptr<PrompterGuard> m_prompter;

    QString currentCaption(const TMainFrm *form) const
    {
        const QTabWidget *pages = part<QTabWidget>(form, "PageControl1");
        return pages->tabText(pages->currentIndex());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<pellorin_test::ProgramDirs>();
        m_prompter = std::make_unique<PrompterGuard>();
    }
    void cleanup()
    {
        QCOMPARE((*m_prompter)->unanswered, 0);
        m_prompter.reset();
        LastSearch().clear();
    }

    void firstStart()
    {
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        QCOMPARE(mainFrm(), form);
        QCOMPARE(form->objectName(), QString("MainFrm"));
        QCOMPARE(form->size(), QSize(664, 541));
        QCOMPARE(currentCaption(form), QString("Pre process"));
        QCOMPARE(form->windowTitle(), "Pellorin - " + expectedVersionDate());
        QCOMPARE(form->ConfigFolder(), m_dir->filePath("cfg/pellorin/"));
        QCOMPARE(AppDir(), m_dir->filePath("app/"));
        QCOMPARE(ImagesDir(), m_dir->filePath("app/images/"));
        QVERIFY(!form->GetCurrentDoc());
        QVERIFY(!form->openPage()->isModified());
        QVERIFY(form->CommentRects().empty());
        QVERIFY(!form->textTabs()->htmlTree());
        QCOMPARE(ControlClasses().size(), size_t(12)); // the HTML control kinds are registered
        QVERIFY(form->openPage()->fileName().isEmpty());
        QVERIFY(!QFile::exists(m_dir->iniPath())); // nothing is written before shut-down
    }

    // Beside the main window and the dialogs, a start makes an empty window that is never
    // shown and keeps nothing.
    void emptyWindow()
    {
        {
            Program program(m_dir->options());
            program.mainForm()->show();
            TForm2 *form = form2();
            QVERIFY(form);
            QCOMPARE(form->objectName(), QString("Form2"));
            QCOMPARE(form->windowTitle(), QString("Form2"));
            QVERIFY(form->isWindow());
            QVERIFY(form->findChildren<QWidget *>().isEmpty());
            QVERIFY(!form->isVisible());
        }
        QVERIFY(!form2());
        QVERIFY(!IniFile(m_dir->iniPath()).sectionExists("Form2"));
    }

    void tabs()
    {
        Program program(m_dir->options());
        const QTabWidget *pages = part<QTabWidget>(program.mainForm(), "PageControl1");
        QStringList seen;
        for (int i = 0; i < pages->count(); ++i)
            seen << pages->widget(i)->objectName() + "|" + pages->tabText(i) + "|" +
                        (pages->isTabVisible(i) ? "shown" : "hidden");
        QCOMPARE(seen, QStringList({"PreSheet|Pre process|shown", "PostSheet|Post process|shown",
                                    "HtmlSheet|HTML|shown", "HtmlTable|HTML-Table|hidden", "HtmlGraph|HTML-UI|hidden",
                                    "NotesSheet|WQF Info|shown", "TabSheet1|XML Respond|shown"}));
        // The places the diagram editors, palettes, panels and views fill, found by name.
        for (const char *name :
             {"Panel2",         "ImagePanel",     "Image1",         "PreHorzScroll",   "PreVertScroll",
              "Splitter2",      "PrePanel",       "PreScroll",      "Panel6",          "Panel4",
              "Image2",         "PostHorzScroll", "PostVertScoll",  "Splitter3",       "PostPanel",
              "PostScroll",     "htmlEdit",       "Splitter1",      "JavaScriptMemo",  "SynHTMLSyn1",
              "SynAnySyn1",     "ControlGrid",    "HTMLPanel",      "HTMLImage",       "HTMLHorzScroll",
              "HTMLVertScroll", "Splitter4",      "Panel3",         "lblFuncName",     "txtFuncName",
              "chkNoHTTPPre",   "chkNoHTTPPost",  "lblEditorNotes", "EditorNotesMemo", "ReqListMemo",
              "Splitter5",      "Panel5",         "ListBox1",       "SearchTimer",     "PopupMenu1",
              "MainMenu1"})
            QVERIFY2(program.mainForm()->findChild<QObject *>(name), name);
        QCOMPARE(part<QWidget>(program.mainForm(), "Panel2")->height(), 68);
        QCOMPARE(part<QWidget>(program.mainForm(), "Panel5")->parentWidget(),
                 part<QSplitter>(program.mainForm(), "Splitter5"));
        const QTimer *typeAhead = part<QTimer>(program.mainForm(), "SearchTimer");
        QVERIFY(!typeAhead->isActive());
        QCOMPARE(typeAhead->interval(), 500);
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("File") << "File" << QStringList{"Open|Ctrl+O|on",
                                                       "Open Recent||on",
                                                       "Save|Ctrl+S|on",
                                                       "Save As...|Ctrl+Shift+S|on",
                                                       "-",
                                                       "Exit|Alt+F4|on"};
        QTest::newRow("Edit") << "Edit" << QStringList{"Copy|Ctrl+C|on", "Paste|Ctrl+V|on"};
        QTest::newRow("Search") << "Search"
                                << QStringList{"Find|Ctrl+F|on", "Find Next|F3|on", "Search Result|Ctrl+Alt+F|on"};
        // The queued entries come after the menu's own, in queue order.
        QTest::newRow("Tools") << "Tools"
                               << QStringList{"Check WQF file|Ctrl+F9|on",    "Flip Select/Insert Query|Ctrl+T|on",
                                              "Flush Query Params|Ctrl+Q|on", "Section Screen Shot||on",
                                              "SQL test params|Ctrl+L|on",    "Preferences|Ctrl+P|on"};
        QTest::newRow("Help") << "Help" << QStringList{"Online Help||on", "-", "About||on"};
    }
    void menus()
    {
        QFETCH(QString, menu);
        Program program(m_dir->options());
        QMenuBar *bar = part<QMenuBar>(program.mainForm(), "MainMenu1");
        QStringList tops;
        for (QAction *a : bar->actions())
            tops << a->text();
        QCOMPARE(tops, QStringList({"File", "Edit", "Search", "Tools", "Help"}));
        QMenu *m = topMenu(bar, menu);
        QVERIFY(m);
        QTEST(entries(m), "items");
    }

    void popupMenu()
    {
        Program program(m_dir->options());
        QCOMPARE(entries(part<QMenu>(program.mainForm(), "PopupMenu1")),
                 QStringList({"Copy||on", "Paste||on", "Delete||on"}));
    }

    void toolsEntriesInQueueOrder()
    {
        // A module that starts before the main window queues its entry; the main window
        // attaches every entry in the order queued.
        StartOptions o = m_dir->options();
        initModules(o);
        AddMenuItem("Tools")->setText("Tidy HTML");
        AddMenuItem("Nowhere")->setText("Lost");
        {
            MainFrmOptions formOptions{o.programFolder, QStringList()};
            TMainFrm form(formOptions);
            const QStringList items = entries(part<QMenu>(&form, "mnuTools"));
            QCOMPARE(items.mid(4),
                     QStringList({"SQL test params|Ctrl+L|on", "Preferences|Ctrl+P|on", "Tidy HTML||on"}));
            // Added after the main menu is known: attached at once.
            AddMenuItem("Tools")->setText("Late");
            QCOMPARE(part<QMenu>(&form, "mnuTools")->actions().last()->text(), QString("Late"));
        }
        doneModules();
    }

    void closeStoresAndRestores()
    {
        {
            Program program(m_dir->options());
            TMainFrm *form = program.mainForm();
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form));
            form->setGeometry(100, 120, 700, 560);
            part<QTabWidget>(form, "PageControl1")->setCurrentWidget(part<QWidget>(form, "TabSheet1"));
            QTRY_COMPARE(form->geometry(), QRect(100, 120, 700, 560));
            // Closing asks nothing without a page and lets the window go.
            QVERIFY(form->close());
            QVERIFY(!form->isVisible());
        }
        const IniFile ini(m_dir->iniPath());
        QCOMPARE(ini.readString("Global", "LastTab"), QString("XML Respond"));
        QCOMPARE(readBoundsFrom(ini), QRect(100, 120, 700, 560));

        Program second(m_dir->options());
        QCOMPARE(second.mainForm()->geometry(), QRect(100, 120, 700, 560));
        QCOMPARE(currentCaption(second.mainForm()), QString("XML Respond"));
    }

    // Every window and module stores its part at shut-down, and the file is written once
    // after the last of them: each write is a new file renamed over the old one.
    void quittingWritesTheSettingsOnce()
    {
        auto program = std::make_unique<Program>(m_dir->options());
        program->mainForm()->show();
        QVERIFY(QTest::qWaitForWindowExposed(program->mainForm()));
        ShowSQLSettings();
        createGlobalOptForm()->show();
        QVERIFY(QTest::qWaitForWindowExposed(globalOptForm()));
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        const auto closeWatch = qScopeGuard([watch] { ::close(watch); });
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(m_dir->filePath("cfg/pellorin")).constData(),
                                    IN_MOVED_TO) >= 0);
        program.reset();
        QStringList written;
        alignas(inotify_event) char buffer[16384];
        for (ssize_t size; (size = ::read(watch, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->len > 0)
                    written << QString::fromLocal8Bit(event->name);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        QCOMPARE(written.count("pellorin.ini"), 1);
        const IniFile ini(m_dir->iniPath());
        for (const char *section : {"Global", "MainFrm", "SQLCHECK", "SQLConn", "GlobalOptForm"})
            QVERIFY2(ini.sectionExists(section), section);
    }

    void unknownKeysSurvive()
    {
        m_dir->writeSettings("[Global]\nbackup=0\nSomeoneElse=a,b\\c %d\n[Other]\nx=1\n");
        {
            Program program(m_dir->options());
            QCOMPARE(OptionStore().GetBoolDef(opt::Backup, true), false);
            part<QTabWidget>(program.mainForm(), "PageControl1")
                ->setCurrentWidget(part<QWidget>(program.mainForm(), "HtmlSheet"));
        }
        const QByteArray text = readBytes(m_dir->iniPath());
        QVERIFY(text.startsWith("[Global]\nbackup=0\nSomeoneElse=a,b\\c %d\nLastTab=HTML\n[Other]\nx=1\n"));
    }

    void lastTab_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("active");
        QTest::newRow("XML Respond") << "XML Respond"
                                     << "XML Respond";
        QTest::newRow("HTML") << "HTML"
                              << "HTML";
        QTest::newRow("case differs") << "html"
                                      << "Pre process";
        QTest::newRow("empty") << ""
                               << "Pre process";
        QTest::newRow("no tab") << "Diagrams"
                                << "Pre process";
        QTest::newRow("hidden tab") << "HTML-Table"
                                    << "Pre process";
        QTest::newRow("never shown tab") << "HTML-UI"
                                         << "Pre process";
    }
    void lastTab()
    {
        QFETCH(QString, stored);
        m_dir->writeSettings("[Global]\nLastTab=" + stored.toUtf8() + "\n");
        Program program(m_dir->options());
        QTEST(currentCaption(program.mainForm()), "active");
        QVERIFY(!part<QTabWidget>(program.mainForm(), "PageControl1")->isTabVisible(3));
        QVERIFY(!part<QTabWidget>(program.mainForm(), "PageControl1")->isTabVisible(4));
    }

    void pluginSettings()
    {
        m_dir->writeSettings(
            "[Global]\nTFakeA.enabled=0\nTFakeA.priority=7\nTFakeB.priority=abc\nTFakeB.enabled=true\n");
        StartOptions o = m_dir->options();
        initModules(o);
        auto *a = static_cast<TWarningPlugin *>(RegisterPlugin(std::make_unique<FakeCheck>("TFakeA")));
        auto *b = static_cast<TWarningPlugin *>(RegisterPlugin(std::make_unique<FakeCheck>("TFakeB")));
        auto *c = static_cast<TWarningPlugin *>(RegisterPlugin(std::make_unique<FakeCheck>("TFakeC")));
        {
            TMainFrm form(MainFrmOptions{o.programFolder, QStringList()});
            QCOMPARE(a->Enabled, false);
            QCOMPARE(a->Priority, 7);
            QCOMPARE(b->Enabled, false); // only "1" is true
            QCOMPARE(b->Priority, 12 + 14); // after the eleven built-in checks, of fourteen
            QCOMPARE(c->Enabled, true);
            QCOMPARE(c->Priority, 13 + 14);
        }
        doneModules();
    }

    void hooksAndHostInterface_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("hook");
        QTest::addColumn<QString>("intf");
        QTest::newRow("pre") << "PreSheet"
                             << "preproc"
                             << "preproc";
        QTest::newRow("post") << "PostSheet"
                              << "postproc"
                              << "postproc";
        QTest::newRow("html") << "HtmlSheet"
                              << "html"
                              << "html";
        QTest::newRow("notes") << "NotesSheet"
                               << "notes"
                               << "";
        QTest::newRow("respond") << "TabSheet1"
                                 << ""
                                 << "";
    }
    void hooksAndHostInterface()
    {
        QFETCH(QString, sheet);
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        part<QTabWidget>(form, "PageControl1")->setCurrentWidget(form->findChild<QWidget *>(sheet));
        QTEST(CallGetCurrentSectionName(), "hook");
        TWQFFile *doc = reinterpret_cast<TWQFFile *>(1);
        QTEST(GetAppIntf()->GetCurrent(doc), "intf");
        QCOMPARE(doc, nullptr);
        QCOMPARE(CallGetCurrentDoc(), nullptr);
        form->SetFileName("/pages/a.wqf");
        QCOMPARE(GetAppIntf()->GetFileName(), QString("/pages/a.wqf"));
        QVERIFY(dynamic_cast<TMainFormPellorinIntf *>(GetAppIntf()));
    }

    void hooksLetGoOfTheWindow()
    {
        StartOptions o = m_dir->options();
        initModules(o);
        {
            TMainFrm form(MainFrmOptions{o.programFolder, QStringList()});
            part<QTabWidget>(&form, "PageControl1")->setCurrentWidget(part<QWidget>(&form, "HtmlSheet"));
            QCOMPARE(CallGetCurrentSectionName(), QString("html"));
            QVERIFY(hostHooks().OnGetCurrentDoc && hostHooks().OnDocReloaded && hostHooks().onStoreViewTexts &&
                    hostHooks().onDocReplaced);
        }
        QCOMPARE(mainFrm(), nullptr);
        QCOMPARE(CallGetCurrentSectionName(), QString());
        QVERIFY(!hostHooks().OnGetCurrentDoc && !hostHooks().OnGetCurrentSectionName && !hostHooks().OnDocReloaded &&
                !hostHooks().onStoreViewTexts && !hostHooks().onDocReplaced);
        auto page = std::make_unique<TWQFFile>();
        QVERIFY(!callDocReplaced(page));
        QVERIFY(page);
        callStoreViewTexts();
        QCOMPARE(GetAppIntf()->GetFileName(), QString());
        doneModules();
    }

    void findNext()
    {
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        auto *pages = part<QTabWidget>(form, "PageControl1");
        auto *html = part<QsciScintilla>(form, "htmlEdit");
        auto *findNext = part<QAction>(form, "mnuFindNext");
        QVERIFY(findNext->isEnabled());
        form->show();
        pages->setCurrentWidget(part<QWidget>(form, "HtmlSheet"));
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        html->setText("<DIV>a</div>\nx div");
        html->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), html);
        html->setCursorPosition(0, 0);

        findNext->trigger(); // nothing searched yet: nothing happens
        QVERIFY(!html->hasSelectedText());

        LastSearch() = "div";
        auto selection = [html] {
            int l1, c1, l2, c2;
            html->getSelection(&l1, &c1, &l2, &c2);
            return QString("%1:%2-%3:%4").arg(l1).arg(c1).arg(l2).arg(c2);
        };
        findNext->trigger();
        QCOMPARE(selection(), QString("0:1-0:4")); // "DIV": case ignored
        findNext->trigger();
        QCOMPARE(selection(), QString("0:8-0:11"));
        findNext->trigger();
        QCOMPARE(selection(), QString("1:2-1:5"));
        findNext->trigger(); // no further occurrence, no wrap: the selection stays
        QCOMPARE(selection(), QString("1:2-1:5"));

        // Another kind of control has the focus: nothing happens.
        auto *functionName = part<QLineEdit>(form, "txtFuncName");
        pages->setCurrentWidget(part<QWidget>(form, "NotesSheet"));
        functionName->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), functionName);
        html->setCursorPosition(0, 0);
        findNext->trigger();
        QVERIFY(!html->hasSelectedText());
        QCOMPARE((*m_prompter)->prompts.size(), 0);
    }

    void exitEndsWithoutAPage()
    {
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QSignalSpy closed(form, &TMainFrm::closed);
        part<QAction>(form, "mnuExit")->trigger();
        QVERIFY(!form->isVisible());
        QCOMPARE(closed.count(), 1);
    }

    void aboutAndHelp()
    {
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        form->show();
        QString title, rights;
        // Reads the box once it shows, then closes it.
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            poll.stop();
            title = box->windowTitle();
            rights = box->findChild<QWidget *>("Label1")->property("text").toString();
            box->close();
        });
        poll.start();
        part<QAction>(form, "mnAbout")->trigger();
        QCOMPARE(title, "Pellorin " + expectedVersionDate());
        QCOMPARE(rights, QString("Copyright (c) %1 the Pellorin developers").arg(PELLORIN_VERSION_MAJOR));

        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        part<QAction>(form, "mnOnlineHelp")->trigger();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(m_dir->filePath("app/README.md"))}));

        // Nothing here can show it: the user is told where the page is.
        QCOMPARE((*m_prompter)->prompts.size(), 0);
        (*m_prompter)->answers << pbOK;
        part<QAction>(form, "mnOnlineHelp")->trigger();
        QCOMPARE((*m_prompter)->prompts.size(), 1);
        QCOMPARE((*m_prompter)->prompts[0].text,
                 "Unable to open the help page \"" + m_dir->filePath("app/README.md") + '"');
    }

    void debugLog()
    {
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        form->DebugLog("quiet");
        OptionStore().SetDbgClip(true);
        form->DebugLog("copied 2 components");
        QCOMPARE(form->messageLines(), QStringList{"copied 2 components"});
    }

    void tabKeysNeedCtrl()
    {
        Program program(m_dir->options());
        for (QsciScintilla *editor : {part<QsciScintilla>(program.mainForm(), "htmlEdit"),
                                      part<QsciScintilla>(program.mainForm(), "JavaScriptMemo")}) {
            QsciCommand *tab = editor->standardCommands()->find(QsciCommand::Tab);
            QCOMPARE(QKeySequence(tab->key()), QKeySequence(Qt::CTRL | Qt::Key_Tab));
            QsciCommand *backtab = editor->standardCommands()->find(QsciCommand::Backtab);
            QCOMPARE(QKeySequence(backtab->key()), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab));
        }
        // The response editor keeps its plain Tab.
        QsciCommand *tab =
            part<QsciScintilla>(program.mainForm(), "ReqListMemo")->standardCommands()->find(QsciCommand::Tab);
        QCOMPARE(QKeySequence(tab->key()), QKeySequence(Qt::Key_Tab));
    }

    void listFiles()
    {
        QDir().mkpath(m_dir->filePath("app/components/sub.ini"));
        for (const char *name : {"b.ini", "A.INI", "c.txt"})
            writeBytes(m_dir->filePath(QString("app/components/") + name), "");
        QStringList list{"kept"};
        ListFiles(m_dir->filePath("app/components"), "*.ini", platform::faAnyFile, &list);
        QCOMPARE(list, QStringList({"kept", "A.INI", "b.ini", "sub.ini"}));
        ListFiles(m_dir->filePath("app/missing/"), "*.ini", platform::faAnyFile, &list);
        QCOMPARE(list.size(), 4);
        ListFiles(m_dir->filePath("app/components"), "*.ini", platform::faAnyFile, nullptr);
    }

    void failedStartLeavesNoWindow()
    {
        // Without its modules the window cannot read its settings; the error goes on.
        QVERIFY_THROWS_EXCEPTION(ERunError, TMainFrm(MainFrmOptions{m_dir->path(), QStringList()}));
        QCOMPARE(mainFrm(), nullptr);
    }

    void unhandledExceptionDialog_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("OK") << int(pbOK) << true;
        QTest::newRow("Abort") << int(pbAbort) << false;
    }
    void unhandledExceptionDialog()
    {
        QFETCH(int, answer);
        (*m_prompter)->answers << PromptButton(answer);
        QTEST(askIgnoreException("Range check error"), "goesOn");
        QCOMPARE((*m_prompter)->prompts.size(), 1);
        const auto &asked = (*m_prompter)->prompts[0];
        QCOMPARE(
            asked.text,
            QString(
                "Range check error\n\nPress OK to ignore and risk data corruption.\nPress Abort to kill the program."));
        QCOMPARE(asked.icon, PromptIcon::Error);
        QCOMPARE(asked.buttons, PromptButtons(pbOK | pbAbort));
        QCOMPARE(asked.defaultButton, pbOK);
    }

    void guardedSlot_data()
    {
        QTest::addColumn<QString>("raised");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("own") << "own" << QStringList{unhandledExceptionText("Range check error")};
        QTest::newRow("library") << "library" << QStringList{unhandledExceptionText("no more processes")};
        QTest::newRow("abort") << "abort" << QStringList();
        QTest::newRow("none") << "none" << QStringList();
    }
    void guardedSlot()
    {
        // Once the modules are set up, the dialog shows inside the slot; the signal's sender
        // goes on normally.
        QFETCH(QString, raised);
        QFETCH(QStringList, shown);
        initModules(m_dir->options());
        auto done = qScopeGuard([] { doneModules(); });
        (*m_prompter)->answers << pbOK;
        QAction action;
        int ran = 0;
        connect(&action, &QAction::triggered, guarded([&] {
            ++ran;
            if (raised == "own")
                throw ERunError::rangeCheck();
            if (raised == "library")
                throw std::runtime_error("no more processes");
            if (raised == "abort")
                throw EAbort();
        }));
        action.trigger();
        QCOMPARE(ran, 1);
        QStringList texts;
        for (const auto &p : (*m_prompter)->prompts)
            texts << p.text;
        QCOMPARE(texts, shown);
        if (shown.isEmpty())
            (*m_prompter)->answers.clear();
        else
            QCOMPARE((*m_prompter)->prompts[0].buttons, PromptButtons(pbOK | pbAbort));
    }

private:
    static QRect readBoundsFrom(const IniFile &ini)
    {
        return QRect(ini.readInteger("MainFrm", "Left", -1), ini.readInteger("MainFrm", "Top", -1),
                     ini.readInteger("MainFrm", "Width", -1), ini.readInteger("MainFrm", "Height", -1));
    }
};

PELLORIN_TEST_CLASS(TestMainForm)
#include "test_mainform.moc"
