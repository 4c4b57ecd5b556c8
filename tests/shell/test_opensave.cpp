#include "base/exception.h"
#include "checks/appgui.h"
#include "checks/pellorinplugin.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "platform/apptitle.h"
#include "platform/fileattr.h"
#include "platform/filestamp.h"
#include "platform/launcher.h"
#include "shell/backupname.h"
#include "shell/diagramtab.h"
#include "shell/globaloptions.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"
#include "windowtest.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <functional>

using pellorin_test::dataPath;
using pellorin_test::part;
using pellorin_test::readBytes;
using pellorin_test::ScriptedPrompter;
using pellorin_test::visible;
using pellorin_test::writeBytes;

namespace {
const QByteArray kNotAPage = "just some text\n";
const QByteArray kNoPostproc = "<wqf><function><fn>a</fn></function><preproc/></wqf>";
const QByteArray kNoPreproc = "<wqf><function><fn>a</fn></function><postproc/></wqf>";

QByteArray smallPage(const QByteArray &fn)
{
    return "<wqf><function><fn>" + fn + "</fn></function><preproc/><postproc/></wqf>";
}

// Records the second instances instead of starting them.
class RecordingLauncher : public platform::InstanceLauncher {
public:
    explicit RecordingLauncher(QList<QStringList> *started, bool fail = false) : m_started(started), m_fail(fail) {}
    void start(const QString &program, const QStringList &arguments) override
    {
        if (m_fail)
            throw Exception("no more processes");
        *m_started << (QStringList{program} + arguments);
    }

private:
    QList<QStringList> *m_started;
    bool m_fail;
};

class LauncherGuard {
public:
    explicit LauncherGuard(std::unique_ptr<platform::InstanceLauncher> launcher)
        : m_previous(platform::setInstanceLauncher(std::move(launcher)))
    {}
    ~LauncherGuard() { platform::setInstanceLauncher(std::move(m_previous)); }

private:
    std::unique_ptr<platform::InstanceLauncher> m_previous;
};

// Moves the file's modification time, as another program's write would.
void touch(const QString &path, int seconds)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QFileInfo(path).lastModified().addSecs(seconds), QFileDevice::FileModificationTime));
}

QStringList recentMenu(const TMainFrm *form)
{
    QStringList names;
    for (const QAction *item : part<QMenu>(form, "mnuOpenRecent")->actions())
        names << item->data().toString();
    return names;
}

// Runs changed whenever the menu gains an item or one of its items changes.
class MenuWatch : public QObject {
public:
    MenuWatch(QMenu *menu, std::function<void()> changed) : m_changed(std::move(changed))
    {
        menu->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged)
            m_changed();
        return false;
    }

private:
    std::function<void()> m_changed;
};

int diagramNumber(TImageGraphEditor *editor, const QString &name)
{
    auto *source = static_cast<TWQFEditorSource *>(editor->Source());
    for (int i = 0; i < editor->ItemCount(); ++i)
        if (TWQFItem *item = source->componentOf(editor->Items(i)->Data); item && item->GetName() == name)
            return i;
    return -1;
}
} // namespace

class TestOpenSave : public pellorin_test::WindowTest {
    Q_OBJECT

    QString path(const QString &name) const { return m_dir->filePath(name); }
    // A fresh copy of a fixture of tests/data/shell in the temporary folder.
    QString copyPage(const QString &fixture, const QString &name = QString())
    {
        return m_dir->copyOf(dataPath("shell/" + fixture), name.isEmpty() ? fixture : name);
    }
    QString writePage(const QString &name, const QByteArray &bytes)
    {
        writeBytes(path(name), bytes);
        return path(name);
    }
    // The controls of the text tabs, by the names the window gives them.
    QLineEdit *functionName() const { return part<QLineEdit>(form, "txtFuncName"); }
    QsciScintilla *htmlEditor() const { return part<QsciScintilla>(form, "htmlEdit"); }
    QsciScintilla *scriptEditor() const { return part<QsciScintilla>(form, "JavaScriptMemo"); }
    QPlainTextEdit *notesEditor() const { return part<QPlainTextEdit>(form, "EditorNotesMemo"); }
    QCheckBox *denyUrlCall() const { return part<QCheckBox>(form, "chkNoHTTPPre"); }
    QCheckBox *denyAjaxCall() const { return part<QCheckBox>(form, "chkNoHTTPPost"); }
    QStringList backups() const { return QDir(m_dir->path()).entryList({"*.bak"}, QDir::Files, QDir::Name); }

private slots:
    void init()
    {
        prepare();
        start();
    }
    void cleanup() { finish(); }

    // ---- opening and the views ----

    void openBuildsEveryView()
    {
        const QString page = copyPage("page.wqf");
        form->SetModified(true); // left over from edits without a page
        form->OpenFile(page);
        QVERIFY(form->GetCurrentDoc());
        QCOMPARE(promptTexts(), QStringList());
        QCOMPARE(form->openPage()->fileName(), page);
        QCOMPARE(form->windowTitle(), "Pellorin: " + page);
        QCOMPARE(platform::applicationTitle(), QString("page.wqf"));
        QVERIFY(!form->openPage()->isModified());

        // Both diagrams, at least 1024 x 1024, bound to their sections; the note on its tab.
        QVERIFY(form->PreEditor() && form->PostEditor());
        auto *pre = static_cast<TWQFEditorSource *>(form->PreEditor()->Source());
        auto *post = static_cast<TWQFEditorSource *>(form->PostEditor()->Source());
        QCOMPARE(pre->Section(), form->GetCurrentDoc()->FindSection("preproc"));
        QCOMPARE(post->Section(), form->GetCurrentDoc()->FindSection("postproc"));
        QCOMPARE(form->PreEditor()->GetGraphSize().x, 1024);
        QCOMPARE(form->PreEditor()->GetGraphSize().y, 1024);
        QCOMPARE(pre->VertSplit, 820);
        QCOMPARE(pre->DstArrow, damOutOfSight);
        QCOMPARE(form->CommentRects().size(), size_t(1));
        QCOMPARE(form->CommentRects()[0]->Title, QString("Loop"));
        QCOMPARE(form->PreEditor()->ItemCount(), 2 + 2); // components, the note and its handle
        QCOMPARE(form->PostEditor()->ItemCount(), 1);

        // The texts, markers taken out of the notes, CR LF in the HTML editor.
        QCOMPARE(notesEditor()->toPlainText(), QString("Free text of the notes.\nSecond line.\n"));
        QVERIFY(htmlEditor()->text().startsWith("<div class=\"EditableContent\">\r\n  <p>"));
        QVERIFY(!htmlEditor()->text().contains(QRegularExpression("[^\r]\n")));
        QCOMPARE(scriptEditor()->text(), QString("var a = 1 < 2;"));
        QCOMPARE(functionName()->text(), QString("page"));
        QVERIFY(denyAjaxCall()->isChecked());
        QVERIFY(!denyUrlCall()->isChecked());

        QCOMPARE(recentMenu(form), QStringList{page});
        int32_t stamp = 0;
        QVERIFY(platform::GetFileStamp(page, stamp));
        QCOMPARE(form->openPage()->fileTime(), stamp);
    }

    void diagramSettingsAndSize()
    {
        OptionStore().SetString(opt::DstArrow, "always");
        OptionStore().SetString(opt::VertSplit, "600");
        form->OpenFile(writePage("far.wqf", "<wqf><preproc><c><n>0</n><t>SET</t><x>1000</x><y>2000</y></c></preproc>"
                                            "<postproc/></wqf>"));
        auto *pre = static_cast<TWQFEditorSource *>(form->PreEditor()->Source());
        QCOMPARE(pre->DstArrow, damAlways);
        QCOMPARE(pre->VertSplit, 600);
        QCOMPARE(form->PreEditor()->GetGraphSize().x, 1032);
        QCOMPARE(form->PreEditor()->GetGraphSize().y, 2032);
    }

    void arrowMode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::newRow("NEVER") << "NEVER" << int(damNever);
        QTest::newRow("never") << "never" << int(damNever);
        QTest::newRow("Always") << "Always" << int(damAlways);
        QTest::newRow("empty") << "" << int(damOutOfSight);
        QTest::newRow("other") << "OUTOFSIGHT" << int(damOutOfSight);
    }
    void arrowMode()
    {
        QFETCH(QString, text);
        QTEST(int(ParseArrowMode(text)), "mode");
    }

    void openFailures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a page") << kNotAPage << "In 'stream:' (line 1 pos 1): ";
        QTest::newRow("no preproc") << kNoPreproc << "unable to find PreProcess section. Won't open!";
        QTest::newRow("no postproc") << kNoPostproc << "unable to find PostProcess section. Won't open!";
    }
    void openFailures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString good = writePage("good.wqf", smallPage("good"));
        form->OpenFile(good);
        QVERIFY(form->GetCurrentDoc());
        const QString bad = writePage("bad.wqf", bytes);
        prompter().answers << pbOK;
        form->OpenFile(bad);
        // The page open before is closed, and nothing takes its place.
        QVERIFY(!form->GetCurrentDoc());
        QVERIFY(!form->PreEditor() && !form->PostEditor());
        QCOMPARE(prompter().prompts.size(), 1);
        QVERIFY2(prompter().prompts[0].text.startsWith(message), qPrintable(prompter().prompts[0].text));
        QCOMPARE(form->openPage()->fileName(), good);
        QCOMPARE(form->windowTitle(), "Pellorin: " + good);
        QCOMPARE(recentMenu(form), QStringList{good});
    }

    void openDialog_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("opened");
        QTest::newRow("extension added") << QStringList{"a.wqf"} << "a"
                                         << "a.wqf";
        QTest::newRow("typed name exists") << QStringList{"a", "a.wqf"} << "a"
                                           << "a";
        QTest::newRow("other extension kept") << QStringList{"a.txt.wqf"} << "a.txt"
                                              << "";
        QTest::newRow("cancelled") << QStringList{"a.wqf"} << ""
                                   << "";
    }
    void openDialog()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, typed);
        QFETCH(QString, opened);
        for (const QString &file : files)
            writePage(file, smallPage(file.toUtf8()));
        prompter().fileAnswers << (typed.isEmpty() ? QString() : path(typed));
        if (!typed.isEmpty() && opened.isEmpty())
            prompter().answers << pbOK;
        form->OpenWithDialog();
        QCOMPARE(prompter().fileDialogs.size(), 1);
        QCOMPARE(prompter().fileDialogs[0].filter, QString());
        QCOMPARE(form->GetCurrentDoc() ? form->openPage()->fileName() : QString(),
                 opened.isEmpty() ? QString() : path(opened));
    }

    // ---- closing ----

    void closeQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Yes") << int(pbYes) << true << true;
        QTest::newRow("No") << int(pbNo) << true << false;
        QTest::newRow("Cancel") << int(pbCancel) << false << false;
    }
    void closeQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        OptionStore().SetString(opt::Backup, "0");
        const QString page = copyPage("page.wqf");
        const QByteArray before = readBytes(page);
        form->OpenFile(page);
        functionName()->setText("renamed");
        QVERIFY(form->openPage()->isModified());
        prompter().answers << PromptButton(answer);
        QCOMPARE(form->CloseDocument(true), closed);
        QCOMPARE(prompter().prompts.size(), 1);
        const auto &asked = prompter().prompts[0];
        QCOMPARE(asked.caption, QString("Exit"));
        QCOMPARE(asked.text, QString("Do you want to save changes before exit?"));
        QCOMPARE(asked.icon, PromptIcon::Question);
        QCOMPARE(asked.buttons, pbYes | pbNo | pbCancel);
        QCOMPARE(bool(form->GetCurrentDoc()), !closed);
        QCOMPARE(form->openPage()->isModified(), !closed);
        QCOMPARE(readBytes(page) != before, saved);
        if (closed) {
            // The views are empty, the name and caption stay.
            QVERIFY(!form->PreEditor() && !form->PostEditor());
            QCOMPARE(functionName()->text(), QString());
            QCOMPARE(form->windowTitle(), "Pellorin: " + page);
        }
    }

    void unmodifiedClosesWithoutAsking()
    {
        form->OpenFile(copyPage("page.wqf"));
        QVERIFY(form->CloseDocument(true));
        QVERIFY(!form->GetCurrentDoc());
        QCOMPARE(prompter().prompts.size(), 0);
    }

    void openingAnotherPageAsksFirst()
    {
        const QString first = copyPage("page.wqf");
        const QString second = writePage("second.wqf", smallPage("second"));
        form->OpenFile(first);
        QTest::keyClicks(functionName(), "x");
        prompter().answers << pbCancel;
        form->OpenFile(second);
        QCOMPARE(form->openPage()->fileName(), first);
        QVERIFY(form->openPage()->isModified());
        QCOMPARE(functionName()->text(), QString("pagex"));
        prompter().answers << pbNo;
        form->OpenFile(second);
        QCOMPARE(form->openPage()->fileName(), second);
        QCOMPARE(functionName()->text(), QString("second"));
        QVERIFY(!form->openPage()->isModified());
    }

    void closingTheWindowAsks()
    {
        form->OpenFile(copyPage("page.wqf"));
        denyUrlCall()->setChecked(true);
        prompter().answers << pbCancel << pbNo;
        QVERIFY(!form->close());
        QVERIFY(form->GetCurrentDoc());
        QVERIFY(form->close());
        QCOMPARE(prompter().prompts.size(), 2);
    }

    // ---- the modified flag ----

    void editsMarkModified_data()
    {
        QTest::addColumn<QString>("what");
        for (const char *what :
             {"function name", "flag pre", "flag post", "notes", "html", "script", "move", "plug-in"})
            QTest::newRow(what) << what;
    }
    void editsMarkModified()
    {
        QFETCH(QString, what);
        form->OpenFile(copyPage("page.wqf"));
        QVERIFY(!form->openPage()->isModified());
        if (what == "function name") {
            QTest::keyClicks(functionName(), "2");
        } else if (what == "flag pre") {
            denyUrlCall()->click();
        } else if (what == "flag post") {
            denyAjaxCall()->click();
        } else if (what == "notes") {
            notesEditor()->appendPlainText("more");
        } else if (what == "html") {
            htmlEditor()->insertAt("<b>x</b>", 0, 0);
        } else if (what == "script") {
            scriptEditor()->insertAt("// x\r\n", 0, 0);
        } else if (what == "move") {
            TImageGraphEditor *editor = form->PreEditor();
            const int index = diagramNumber(editor, "1");
            const Rect r = editor->Items(index)->Rect;
            const Point p = editor->GraphToClient(r.Left + 5, r.Top + 5);
            editor->MouseEvent(p.x, p.y, mekDown, Qt::LeftButton, {});
            editor->MouseEvent(p.x + 70, p.y + 60, mekMove, Qt::LeftButton, {});
            editor->MouseEvent(p.x + 70, p.y + 60, mekUp, Qt::LeftButton, {});
            TWQFItem *item = form->GetCurrentDoc()->FindSection("preproc")->Items()[1].get();
            QCOMPARE(item->GetX(), 96);
        } else if (what == "plug-in") {
            TWQFFile *doc = nullptr;
            GetAppIntf()->GetCurrent(doc);
            TWQFItem *item = doc->FindSection("preproc")->Items()[1].get();
            item->SetX(item->GetX() + 32);
        }
        QVERIFY(form->openPage()->isModified());
    }

    void fillingWritesNothing()
    {
        // Filling the controls runs no change handler: the notes stay as the file has them,
        // even where writing them back would differ.
        form->OpenFile(writePage("notes.wqf",
                                 "<wqf><function><fn>f</fn><editorNotes>a[[@@rect 1 2 3 4 preproc 0 T||||x@@]]"
                                 "</editorNotes></function><preproc/><postproc/></wqf>"));
        QCOMPARE(form->GetCurrentDoc()->GetEditorNotes(), QString("a[[@@rect 1 2 3 4 preproc 0 T||||x@@]]"));
        QVERIFY(!form->openPage()->isModified());
        form->CloseDocument(false);
        QCOMPARE(notesEditor()->toPlainText(), QString());
    }

    void notesKeepTheirCharacters()
    {
        const QString notes = QString("a") + QChar(0xA0) + "b\n\ttab " + QChar(0x2028) + "c\n";
        const QString page = writePage("nbsp.wqf", "<wqf><function><fn>f</fn><editorNotes>" + notes.toUtf8() +
                                                       "</editorNotes></function><preproc/><postproc/></wqf>");
        form->OpenFile(page);
        QVERIFY(form->SaveFile(page));
        TWQFFile saved;
        QVERIFY(saved.LoadFromFile(page, {}));
        QCOMPARE(saved.GetEditorNotes(), notes);
        // Typing goes in as line feeds.
        QTest::keyClick(notesEditor(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(notesEditor(), "x");
        QTest::keyClick(notesEditor(), Qt::Key_Return);
        QCOMPARE(form->GetCurrentDoc()->GetEditorNotes(), notes + "x\n");
    }

    // ---- saving ----

    void pageOptions_data()
    {
        QTest::addColumn<int>("options");
        for (int o = 0; o < 8; ++o)
            QTest::newRow(qPrintable(QString("o%1").arg(o))) << o;
    }
    void pageOptions()
    {
        QFETCH(int, options);
        OptionStore().SetString(opt::XMLWhitespace, options & 1 ? "1" : "0");
        OptionStore().SetString(opt::XMLForceHeader, options & 2 ? "1" : "0");
        OptionStore().SetString(opt::XMLClearEol, options & 4 ? "1" : "0");
        OptionStore().SetString(opt::Backup, "0");
        const QString page = copyPage("page.wqf");
        form->OpenFile(page);
        QVERIFY(form->GetCurrentDoc());
        QVERIFY(form->SaveFile(form->openPage()->fileName()));
        const QByteArray golden = readBytes(dataPath(QString("shell/golden/page.o%1.wqf").arg(options)));
        QCOMPARE(visible(readBytes(page)), visible(golden));
        QCOMPARE(promptTexts(), QStringList());
        QVERIFY(backups().isEmpty());
    }

    void defaultOptions()
    {
        // Missing settings: whitespace off, declaration on, final line break on.
        OptionStore().SetString(opt::Backup, "0");
        QCOMPARE(form->XmlOptionFlags(), PageOptions(poForceHeader));
        const QString page = copyPage("page.wqf");
        form->OpenFile(page);
        QVERIFY(form->SaveFile(page));
        QCOMPARE(readBytes(page), readBytes(dataPath("shell/golden/page.o2.wqf")));
    }

    void editedElementsSaved()
    {
        const QString page = copyPage("page.wqf");
        form->OpenFile(page);
        functionName()->setText("orders");
        denyUrlCall()->click();
        denyAjaxCall()->click();
        notesEditor()->setPlainText("New notes.");
        scriptEditor()->setText("if (a && b) x();");
        QVERIFY(form->SaveFile(page));
        QVERIFY(!form->openPage()->isModified());
        QCOMPARE(prompter().prompts.size(), 0);

        TWQFFile saved;
        QVERIFY(saved.LoadFromFile(page, {}));
        QCOMPARE(saved.GetFunctionName(), QString("orders"));
        QVERIFY(saved.GetFlag("DenyURLExecution"));
        QVERIFY(!saved.GetFlag("DenyAjaxExecution"));
        QCOMPARE(saved.GetEditorNotes(),
                 QString("New notes.\n[[@@rect 320 20 192 64 preproc 1 Loop||||Counts<br>the rows.@@]]\n"));
        QVERIFY(saved.GetHtml().contains("<pre>if (a &amp;&amp; b) x();</pre>"));
        // The HTML reaches the file with CR LF.
        QVERIFY(readBytes(page).contains("<div class=\"EditableContent\">\r\n  <p>Orders"));
        // The quick check ran.
        QCOMPARE(form->messageLines().value(form->messageLines().size() - 1), QString("Check complete."));
    }

    void saveAs()
    {
        const QString page = copyPage("page.wqf");
        const QString other = path("other.wqf");
        form->OpenFile(page);
        const QByteArray before = readBytes(page);
        prompter().fileAnswers << other;
        part<QAction>(form, "mnuSaveAs")->trigger();
        QCOMPARE(form->openPage()->fileName(), other);
        QCOMPARE(form->windowTitle(), "Pellorin: " + other);
        QCOMPARE(readBytes(page), before);
        QVERIFY(QFile::exists(other));
        // A new file has nothing to back up.
        QVERIFY(backups().isEmpty());

        // Cancelled: nothing changes.
        prompter().fileAnswers << QString();
        part<QAction>(form, "mnuSaveAs")->trigger();
        QCOMPARE(form->openPage()->fileName(), other);
    }

    void saveWithoutPage()
    {
        part<QAction>(form, "mnuSave")->trigger();
        part<QAction>(form, "mnuSaveAs")->trigger();
        QCOMPARE(prompter().prompts.size() + prompter().fileDialogs.size(), 0);
    }

    void backupNames_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("folder"); // below the temporary folder; "" is the page's
        QTest::newRow("empty") << ""
                               << "pages";
        QTest::newRow("relative") << "bak"
                                  << "pages/bak";
        QTest::newRow("relative, two levels, backslash") << "bak\\old"
                                                         << "pages/bak/old";
        QTest::newRow("dot backslash") << ".\\old"
                                       << "pages";
        QTest::newRow("dot slash") << "./old"
                                   << "pages";
        QTest::newRow("absolute") << "@/backups/all"
                                  << "backups/all";
        QTest::newRow("cannot be created") << "@/blocker/sub"
                                           << "pages";
        QTest::newRow("drive of another platform") << "D:\\backups"
                                                   << "pages";
        QTest::newRow("share of another platform") << "\\\\server\\share"
                                                   << "pages";
    }
    void backupNames()
    {
        QFETCH(QString, setting);
        QFETCH(QString, folder);
        setting.replace("@", m_dir->path());
        writeBytes(path("blocker"), "a file, not a folder");
        QDir().mkpath(path("pages"));
        const QDateTime when(QDate(2021, 2, 19), QTime(14, 5, 9));
        const QLocale british(QLocale::English, QLocale::UnitedKingdom);
        const QString name = makeBackupPath(path("pages/order.wqf"), setting, when, british);
        QCOMPARE(name, path(folder + "/order.19-02-2021_14-05-09.bak"));
        QVERIFY(QFileInfo(path(folder)).isDir());
        QVERIFY(!QFileInfo::exists(m_dir->filePath("D:\\backups")));
    }

    void backupTimeStamps_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("day/month/year") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "19-02-2021_14-05-09";
        QTest::newRow("month/day/year") << QLocale(QLocale::English, QLocale::UnitedStates) << "2-19-21_2-05-09_PM";
        QTest::newRow("dots") << QLocale(QLocale::German, QLocale::Germany) << "19.02.21_14-05-09";
    }
    void backupTimeStamps()
    {
        QFETCH(QLocale, locale);
        QTEST(backupTimeStamp(QDateTime(QDate(2021, 2, 19), QTime(14, 5, 9)), locale), "stamp");
    }

    void backupsOfSaves()
    {
        const QString page = copyPage("page.wqf");
        const QByteArray original = readBytes(page);
        form->openPage()->setClock([] { return QDateTime(QDate(2021, 2, 19), QTime(14, 5, 9)); });
        form->OpenFile(page);
        QVERIFY(form->SaveFile(page));
        const QByteArray first = readBytes(page);
        QTest::keyClicks(functionName(), "2");
        // Two saves within one second keep both backups.
        QVERIFY(form->SaveFile(page));
        const QString stamp = backupTimeStamp(form->openPage()->now(), QLocale::system());
        QStringList made = backups();
        made.sort();
        QCOMPARE(made, QStringList({"page." + stamp + "-2.bak", "page." + stamp + ".bak"}));
        QCOMPARE(readBytes(path("page." + stamp + ".bak")), original);
        QCOMPARE(readBytes(path("page." + stamp + "-2.bak")), first);

        // Backup "0": no copy at all.
        OptionStore().SetString(opt::Backup, "0");
        QTest::keyClicks(functionName(), "3");
        QVERIFY(form->SaveFile(page));
        QCOMPARE(backups().size(), 2);
    }

    // The backup's name can be foreseen: a link put there, even one that leads nowhere, is
    // passed over, and the copy is readable by no one the page is not.
    void backupNeverFollowsALink_data()
    {
        QTest::addColumn<QString>("link"); // what waits at the backup's name
        QTest::addColumn<int>("mode"); // of the page
        QTest::newRow("dangling link") << "dangling" << 0644;
        QTest::newRow("link to a file") << "file" << 0644;
        QTest::newRow("page of its owner alone") << "" << 0600;
    }
    void backupNeverFollowsALink()
    {
        QFETCH(QString, link);
        QFETCH(int, mode);
        const QString page = copyPage("page.wqf");
        const QByteArray original = readBytes(page);
        QVERIFY(platform::setFileMode(page, unsigned(mode)));
        form->openPage()->setClock([] { return QDateTime(QDate(2021, 2, 19), QTime(14, 5, 9)); });
        form->OpenFile(page);
        const QString first = form->MakeBackupName(page);
        const QString target = path("elsewhere.txt");
        if (!link.isEmpty())
            QVERIFY(QFile::link(target, first));
        if (link == "file")
            writeBytes(target, "the user's own file");

        QTest::keyClicks(functionName(), "2");
        QVERIFY(form->SaveFile(page));
        QCOMPARE(promptTexts(), QStringList());
        QCOMPARE(QFileInfo::exists(target), link == "file");
        if (link == "file")
            QCOMPARE(readBytes(target), QByteArray("the user's own file"));
        const QString stamp = backupTimeStamp(form->openPage()->now(), QLocale::system());
        const QString backup = path("page." + stamp + (link.isEmpty() ? ".bak" : "-2.bak"));
        QCOMPARE(readBytes(backup), original);
        QCOMPARE(*platform::fileMode(backup) & 0777, unsigned(mode));
    }

    void readOnlyPolicy_data()
    {
        QTest::addColumn<QString>("policy"); // "-" for a missing setting
        QTest::addColumn<int>("answer"); // of the ASK question; pbNone when none is asked
        QTest::addColumn<bool>("written");
        QTest::newRow("STOP") << "STOP" << int(pbNone) << false;
        QTest::newRow("empty") << "" << int(pbNone) << false;
        QTest::newRow("missing") << "-" << int(pbNone) << false;
        QTest::newRow("stop in lower case is no policy") << "stop" << int(pbNone) << true;
        QTest::newRow("ASK yes") << "ASK" << int(pbYes) << true;
        QTest::newRow("ASK no") << "ASK" << int(pbNo) << false;
        QTest::newRow("IGNORE") << "IGNORE" << int(pbNone) << true;
    }
    void readOnlyPolicy()
    {
        QFETCH(QString, policy);
        QFETCH(int, answer);
        QFETCH(bool, written);
        if (policy != "-")
            OptionStore().SetString(opt::ReadOnly, policy);
        const QString page = copyPage("page.wqf");
        form->OpenFile(page);
        QTest::keyClicks(functionName(), "2");
        const QByteArray before = readBytes(page);
        QVERIFY(platform::setFileMode(page, 0444));
        const bool stops = policy == "STOP" || policy == "" || policy == "-";
        if (stops)
            prompter().answers << pbOK;
        if (answer != pbNone)
            prompter().answers << PromptButton(answer);
        if (!written)
            prompter().answers << pbOK;

        QCOMPARE(form->SaveFile(page), written);
        QCOMPARE(readBytes(page) != before, written);
        QCOMPARE(*platform::fileMode(page), 0444u);
        QCOMPARE(form->openPage()->isModified(), !written);

        QStringList expected;
        if (stops)
            expected << "Cannot save file. Please check out page.wqf first!";
        if (policy == "ASK")
            expected << "page.wqf is read-only. Are you sure you want to overwrite the file?";
        if (!written)
            expected << "Unable to save the file: " + page + " Reason: page.wqf is read-only";
        QCOMPARE(promptTexts(), expected);
        if (policy == "ASK") {
            QCOMPARE(prompter().prompts[0].icon, PromptIcon::Warning);
            QCOMPARE(prompter().prompts[0].buttons, pbYes | pbNo);
        }
    }

    void writeFailures_data()
    {
        QTest::addColumn<bool>("intoFile"); // else an error of the writer
        QTest::addColumn<QString>("reason");
        QTest::newRow("writer error") << false << "Illegal character";
        QTest::newRow("folder is a file") << true << "Unable to write file";
    }
    void writeFailures()
    {
        QFETCH(bool, intoFile);
        QFETCH(QString, reason);
        const QString page = copyPage("page.wqf");
        const QByteArray before = readBytes(page);
        form->OpenFile(page);
        QString target = page;
        if (intoFile) {
            writeBytes(path("blocker"), "a file");
            target = path("blocker/page.wqf");
            QTest::keyClicks(functionName(), "2");
        } else {
            functionName()->setText(QString("bad") + QChar(1));
        }
        prompter().answers << pbOK;
        QVERIFY(!form->SaveFile(target));
        QCOMPARE(prompter().prompts.size(), 1);
        const QString text = prompter().prompts[0].text;
        QVERIFY2(text.startsWith("Unable to save the file: " + target + " Reason: " + reason), qPrintable(text));
        // The page on disk is as it was, the window keeps its name and the edits.
        QCOMPARE(readBytes(page), before);
        QCOMPARE(form->openPage()->fileName(), page);
        QVERIFY(form->openPage()->isModified());
        if (!intoFile) {
            // The backup was made before the write and is an exact copy; nothing was put back.
            QCOMPARE(backups().size(), 1);
            QCOMPARE(readBytes(path(backups()[0])), before);
        }
    }

    void restoreOnlyWhenTouched()
    {
        const QString page = path("p.wqf");
        const QString backup = path("p.bak");
        writeBytes(page, "new");
        writeBytes(backup, "old");
        QVERIFY(restoreBackup(backup, page));
        QCOMPARE(readBytes(page), QByteArray("old"));
        const QDateTime stamp = QFileInfo(page).lastModified();
        QTest::qWait(20);
        touch(page, -100);
        const QDateTime touched = QFileInfo(page).lastModified();
        QVERIFY(touched != stamp);
        // The same bytes: not written again.
        QVERIFY(restoreBackup(backup, page));
        QCOMPARE(QFileInfo(page).lastModified(), touched);
        // A backup that cannot be read puts nothing back.
        QVERIFY(!restoreBackup(path("missing.bak"), page));
        QCOMPARE(readBytes(page), QByteArray("old"));

        QVERIFY(copyFileVerified(page, path("copy.bak")));
        QCOMPARE(readBytes(path("copy.bak")), QByteArray("old"));
        QVERIFY(!copyFileVerified(path("missing"), path("copy2.bak")));
        writeBytes(path("blocker"), "file");
        QVERIFY(!copyFileVerified(page, path("blocker/copy.bak")));
    }

    // ---- recent files ----

    // An open puts the page at the top of the recent list before it builds the views.
    void recentListBeforeTheViews()
    {
        QStringList views;
        MenuWatch watch(part<QMenu>(form, "mnuOpenRecent"),
                        [&] { views << (form->PreEditor() ? "built" : "not built"); });
        form->OpenFile(copyPage("page.wqf"));
        QVERIFY(form->PreEditor());
        QVERIFY(!views.isEmpty());
        QCOMPARE(views.first(), QString("not built"));
    }

    void recentList()
    {
        QStringList pages;
        for (int i = 0; i < 21; ++i)
            pages << writePage(QString("p%1.wqf").arg(i), smallPage("p"));
        for (const QString &page : pages)
            form->OpenFile(page);
        const QString file = path("cfg/pellorin/recentfiles.txt");
        QStringList newestFirst(pages.rbegin(), pages.rend() - 1);
        QCOMPARE(recentMenu(form), newestFirst);
        QCOMPARE(QString::fromUtf8(readBytes(file)), newestFirst.join('\n') + '\n');

        // Opening one already listed, named in other letter case, moves it up and writes nothing.
        const QByteArray written = readBytes(file);
        form->OpenFile(writePage("P5.WQF", smallPage("p")));
        QCOMPARE(recentMenu(form).first(), pages[5]);
        QCOMPARE(recentMenu(form).size(), 20);
        QCOMPARE(readBytes(file), written);
        // At shut-down the new order is written.
        stop();
        QCOMPARE(QString::fromUtf8(readBytes(file)).split('\n').first(), pages[5]);
    }

    void recentListFromFile()
    {
        stop();
        QStringList lines;
        for (int i = 0; i < 25; ++i)
            lines << (i < 5 ? path(QString("gone%1.wqf").arg(i))
                            : writePage(QString("r%1.wqf").arg(i), smallPage("r")));
        QDir().mkpath(path("cfg/pellorin"));
        writeBytes(path("cfg/pellorin/recentfiles.txt"), lines.join("\r\n").toUtf8());
        start();
        QCOMPARE(recentMenu(form), lines.mid(5, 15));
    }

    void recentItemClick()
    {
        const QString page = writePage("a & b.wqf", smallPage("ab"));
        form->OpenFile(page);
        form->CloseDocument(false);
        QAction *item = part<QMenu>(form, "mnuOpenRecent")->actions().first();
        QCOMPARE(item->text(), QString(page).replace("&", "&&"));
        item->trigger();
        QCOMPARE(form->openPage()->fileName(), page);
        QVERIFY(form->GetCurrentDoc());
        QFile::remove(page);
        prompter().answers << pbOK;
        item->trigger();
        QCOMPARE(promptTexts(), QStringList{"\"" + page + "\" file doesn't exists or unavailable"});
        QCOMPARE(part<QMenu>(form, "mnuOpenRecent")->actions().size(), 1);
    }

    // ---- dropped files and the command line ----

    void droppedFiles()
    {
        QList<QStringList> started;
        LauncherGuard guard(std::make_unique<RecordingLauncher>(&started));
        const QString text = writePage("notes.txt", kNotAPage);
        const QString a = writePage("a b.wqf", smallPage("a"));
        const QString b = writePage("b.wqf", smallPage("b"));
        const QString c = writePage("c.wqf", smallPage("c"));
        form->FormDropFiles({text, a, b, path("missing.wqf"), c});
        QCOMPARE(form->openPage()->fileName(), a);
        const QString program = QCoreApplication::applicationFilePath();
        QCOMPARE(started, (QList<QStringList>{{program, b}, {program, c}}));
        QCOMPARE(prompter().prompts.size(), 0);

        // Through the window's drop: the pages open once the drop is over.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(c), QUrl::fromLocalFile(text), QUrl::fromLocalFile(b)});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QVERIFY(form->acceptDrops());
        static_cast<QObject *>(form)->event(&drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(form->openPage()->fileName(), a);
        QTRY_COMPARE(form->openPage()->fileName(), c);
        QCOMPARE(started.size(), 3);
        QCOMPARE(started.last(), (QStringList{program, b}));
    }

    void droppedFileLauncherFails()
    {
        QList<QStringList> started;
        LauncherGuard guard(std::make_unique<RecordingLauncher>(&started, true));
        const QString a = writePage("a.wqf", smallPage("a"));
        const QString b = writePage("b.wqf", smallPage("b"));
        const QString c = writePage("c.wqf", smallPage("c"));
        prompter().answers << pbOK << pbOK;
        form->FormDropFiles({a, b, c});
        QCOMPARE(form->openPage()->fileName(), a);
        QCOMPARE(promptTexts(), QStringList({"on drop files: no more processes", "on drop files: no more processes"}));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("opened");
        QTest::newRow("only the first exists") << QStringList{"a.wqf", "gone.wqf"} << "a.wqf";
        QTest::newRow("both exist") << QStringList{"a.wqf", "b.wqf"} << "b.wqf";
        QTest::newRow("a folder is no file") << QStringList{"a.wqf", "folder"} << "a.wqf";
        QTest::newRow("none exists") << QStringList{"gone.wqf"} << "";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, opened);
        stop();
        writePage("a.wqf", smallPage("a"));
        writePage("b.wqf", smallPage("b"));
        QDir().mkpath(path("folder"));
        for (QString &argument : arguments)
            argument = path(argument);
        start(arguments);
        QCOMPARE(form->GetCurrentDoc() ? form->openPage()->fileName() : QString(),
                 opened.isEmpty() ? QString() : path(opened));
        if (!opened.isEmpty())
            QCOMPARE(form->windowTitle(), "Pellorin: " + path(opened));
    }

    void relativeCommandLine()
    {
        stop();
        writePage("a.wqf", smallPage("a"));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(m_dir->path());
        start({"a.wqf"});
        QDir::setCurrent(cwd);
        QCOMPARE(form->openPage()->fileName(), path("a.wqf"));
    }

    // ---- changes on disk ----

    void changedOnDisk_data()
    {
        QTest::addColumn<bool>("reload");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void changedOnDisk()
    {
        QFETCH(bool, reload);
        const QString page = copyPage("page.wqf");
        form->OpenFile(page);
        QTest::keyClicks(functionName(), "2");
        // The program's own save asks nothing.
        QVERIFY(form->SaveFile(page));
        form->CheckFileChanged();
        QCOMPARE(prompter().prompts.size(), 0);

        writeBytes(page, smallPage("rewritten"));
        touch(page, 10);
        prompter().answers << (reload ? pbYes : pbNo);
        form->AppActivate();
        QCOMPARE(prompter().prompts.size(), 1);
        const auto &asked = prompter().prompts[0];
        QCOMPARE(asked.caption, QString("Changed"));
        QCOMPARE(asked.text,
                 "\"" + page +
                     "\" has been changed by another program. \r\nWould you like to reload changed from disk?");
        QCOMPARE(asked.icon, PromptIcon::Information);
        QCOMPARE(asked.buttons, pbYes | pbNo);
        QCOMPARE(functionName()->text(), QString(reload ? "rewritten" : "page2"));
        // Asked once per change.
        form->AppActivate();
        QCOMPARE(prompter().prompts.size(), 1);
    }

    void changedAfterClose()
    {
        const QString page = writePage("a.wqf", smallPage("a"));
        form->OpenFile(page);
        form->CloseDocument(false);
        touch(page, 10);
        prompter().answers << pbYes;
        form->CheckFileChanged();
        QVERIFY(form->GetCurrentDoc());
        QCOMPARE(form->openPage()->fileName(), page);

        // A file that is gone asks nothing.
        QFile::remove(page);
        form->CheckFileChanged();
        QCOMPARE(prompter().prompts.size(), 1);
    }

    void changedWhileADialogShows()
    {
        // Activation while the open dialog shows must not free the page under it; the
        // check runs once the dialog is over.
        class ActivatingPrompter : public ScriptedPrompter {
        public:
            TMainFrm *form = nullptr;
            QString openFileName(QWidget *parent, const FileDialogOptions &options) override
            {
                form->AppActivate();
                return ScriptedPrompter::openFileName(parent, options);
            }
        };
        auto own = std::make_unique<ActivatingPrompter>();
        ActivatingPrompter *activating = own.get();
        activating->form = form;
        auto previous = setPrompter(std::move(own));

        const QString page = writePage("a.wqf", smallPage("a"));
        const QString other = writePage("b.wqf", smallPage("b"));
        form->OpenFile(page);
        touch(page, 10);
        activating->fileAnswers << other;
        form->OpenWithDialog();
        QCOMPARE(form->openPage()->fileName(), other);
        QCOMPARE(activating->prompts.size(), 0);
        // b has not changed since it was opened.
        QTest::qWait(10);
        QCOMPARE(activating->prompts.size(), 0);

        touch(other, 10);
        activating->fileAnswers << QString();
        activating->answers << pbNo;
        form->OpenWithDialog();
        QCOMPARE(activating->prompts.size(), 0);
        QTRY_COMPARE(activating->prompts.size(), 1);
        QCOMPARE(activating->prompts[0].caption, QString("Changed"));
        QVERIFY(form->GetCurrentDoc());
        QCOMPARE(activating->unanswered, 0);
        setPrompter(std::move(previous));
    }

    // ---- reload by an external program ----

    void reloaded()
    {
        form->OpenFile(copyPage("page.wqf"));
        TWQFFile *doc = form->GetCurrentDoc();
        QVERIFY(doc->LoadFromFile(
            writePage("new.wqf", "<wqf><function><fn>new</fn><editorNotes>n\n[[@@rect 1 2 3 4 postproc 0 T||||x@@]]\n"
                                 "</editorNotes><DenyURLExecution>1</DenyURLExecution></function>"
                                 "<preproc/><postproc/></wqf>"),
            {}));
        CallDocReloaded();
        QCOMPARE(form->GetCurrentDoc(), doc);
        QVERIFY(form->openPage()->isModified());
        QCOMPARE(functionName()->text(), QString("new"));
        QVERIFY(denyUrlCall()->isChecked());
        QCOMPARE(notesEditor()->toPlainText(), QString("n\n"));
        QCOMPARE(form->CommentRects().size(), size_t(1));
        QCOMPARE(form->PostEditor()->ItemCount(), 2);
    }

    void reloadedWithoutSection()
    {
        form->OpenFile(copyPage("page.wqf"));
        QVERIFY(form->GetCurrentDoc()->LoadFromFile(writePage("new.wqf", kNoPreproc), {}));
        prompter().answers << pbOK;
        CallDocReloaded();
        QCOMPARE(promptTexts(), QStringList{"unable to find PreProcess section. Won't open!"});
        // Nothing of the previous page can be saved into the new content.
        QVERIFY(!form->GetCurrentDoc());
        QVERIFY(!form->PreEditor());
        QVERIFY(!form->openPage()->isModified());
    }

    void hostInterfaceOpensAndRefreshes()
    {
        const QString page = copyPage("page.wqf");
        GetAppIntf()->OpenFile(page);
        QTRY_COMPARE(form->openPage()->fileName(), page);
        TImageGraphEditor *editor = form->PreEditor();
        DataList both{editor->Items(diagramNumber(editor, "0"))->Data, editor->Items(diagramNumber(editor, "1"))->Data};
        editor->SetSelected(&both, true);
        GetAppIntf()->RefreshSection("PREPROC");
        QVERIFY(!form->openPage()->isModified());
        GetAppIntf()->RefreshSection("preproc");
        QCOMPARE(editor->SelectedCount(), 2);
        // The plug-in that changed the page says so itself.
        QVERIFY(!form->openPage()->isModified());
    }
};

PELLORIN_TEST_CLASS(TestOpenSave)
#include "test_opensave.moc"
