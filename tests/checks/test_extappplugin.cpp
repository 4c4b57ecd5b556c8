#include "base/exception.h"
#include "checks/appgui.h"
#include "checks/checkfixture.h"
#include "checks/extappplugin.h"
#include "common/linkplanter.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "platform/slotguard.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace pellorin_test;

namespace {
// The page every run gets: component 12 in "preproc", component 3 in "postproc".
inline QByteArray pageXml()
{
    return "<wqf><function><fn>orders</fn></function><preproc>" + comp("12", "SET") + "</preproc><postproc>" +
           comp("3", "IF") + "</postproc></wqf>";
}

// A plugins folder of fake check programs, each a shell script in its own folder.
class PluginsFolder {
public:
    QString path() const { return m_dir.filePath("plugins"); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // plugins/<file>.ini with the [Main] lines; the script, when given, as
    // plugins/<file>/run.sh.
    void add(const QString &file, const QByteArray &mainLines, const QByteArray &script = {}) const
    {
        QDir().mkpath(path());
        writeBytes(path() + "/" + file + ".ini", "[Main]\n" + mainLines);
        if (!script.isEmpty()) {
            const QString folder = path() + "/" + QFileInfo(file).completeBaseName();
            QDir().mkpath(folder);
            writeScript(folder + "/run.sh", script);
        }
    }

private:
    QTemporaryDir m_dir;
};

// The registry and the menu queue for one test, with the loaded plug-ins.
class Loaded {
public:
    explicit Loaded(const QString &dir)
    {
        initAppGui();
        initPluginRegistry();
        LoadExternalPlugins(dir);
    }
    ~Loaded()
    {
        donePluginRegistry();
        doneAppGui();
    }
    QList<TExtAppWarnPlugin *> plugins() const
    {
        QList<TExtAppWarnPlugin *> list;
        for (TPellorinPlugin *p : pluginRegistry().plugins())
            if (auto *ext = dynamic_cast<TExtAppWarnPlugin *>(p))
                list << ext;
        return list;
    }
    QStringList check(TWQFFile *page, bool quickOnly = false) const
    {
        CheckMessageList messages;
        RunWarningPlugins(page, quickOnly, &messages);
        return shown(messages);
    }
};

// A plug-in made by hand, as the loader would make it from folder/<name>.ini.
std::unique_ptr<TExtAppWarnPlugin> plugin(const QString &folder, const QString &cmd, int timeout = 10000)
{
    auto p = std::make_unique<TExtAppWarnPlugin>();
    p->Name = "Fake";
    p->folder = folder.endsWith('/') ? folder : folder + '/';
    p->Cmd = QuoteFileName(cmd);
    p->Timeout = timeout;
    return p;
}
} // namespace

class TestExtAppPlugin : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        hostHooks() = HostHooks();
        qunsetenv("TMPDIR");
    }

    void quoteFileName_data()
    {
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("bare") << "tidy.sh -q %filename%"
                              << "tidy.sh -q \"%filename%\"";
        QTest::newRow("bare and quoted, any case") << "tidy.sh %FileName% \"%FILENAME%\""
                                                   << "tidy.sh \"%filename%\" \"%filename%\"";
        QTest::newRow("inside an option") << "tidy.sh --in=%filename%"
                                          << "tidy.sh --in=\"%filename%\"";
        QTest::newRow("no field") << "tidy.sh -q"
                                  << "tidy.sh -q";
        QTest::newRow("section left alone") << "tidy.sh %section%"
                                            << "tidy.sh %section%";
    }
    void quoteFileName()
    {
        QFETCH(QString, cmd);
        QTEST(QuoteFileName(cmd), "quoted");
    }

    void buildCommandLine_data()
    {
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no field: the copy appended") << "check.sh -q" << QStringList{"check.sh", "-q", "/tmp/a b.tmp"};
        QTest::newRow("fields in any case")
            << "check.sh %FILENAME% -s %Section%" << QStringList{"check.sh", "/tmp/a b.tmp", "-s", "postproc"};
        QTest::newRow("field inside an argument")
            << "check.sh --page=%filename%:%section%" << QStringList{"check.sh", "--page=/tmp/a b.tmp:postproc"};
        QTest::newRow("percent without field") << "check.sh 50%" << QStringList{"check.sh", "50%"};
        QTest::newRow("quoted program") << "\"my check.sh\" -x" << QStringList{"my check.sh", "-x", "/tmp/a b.tmp"};
    }
    void buildCommandLine()
    {
        QFETCH(QString, cmd);
        QTEST(BuildCommandLine(QuoteFileName(cmd), TEditContext{"/tmp/a b.tmp", "postproc"}), "arguments");
    }

    void outputLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("tagged, repeated key, untagged")
            << QStringList{"E preproc 12: bad query", ": more text", "W: note"}
            << QStringList{"preproc 12: ERROR  bad query", "preproc 12: ERROR  more text", "WARN  note"};
        QTest::newRow("written-out word names another section")
            << QStringList{"ERROR preproc 12:x"} << QStringList{"ERROR x"};
        QTest::newRow("section without case, name exact")
            << QStringList{"h POSTPROC 3:a", "w postproc 03:b", "e nowhere 12:c"}
            << QStringList{"postproc 3: HINT a", "WARN b", "ERROR c"};
        QTest::newRow("lines without a colon ignored")
            << QStringList{"just talk", "", "I:x", "more talk"} << QStringList{"HINT x"};
        QTest::newRow("lines before the first key joined")
            << QStringList{":one", ":two", "W preproc 12:three", "E:four"}
            << QStringList{"preproc 12: WARN one two three", "ERROR four"};
        QTest::newRow("only keyless lines give nothing") << QStringList{":one", " : two"} << QStringList{};
        QTest::newRow("the text keeps its colons") << QStringList{"W:a:b"} << QStringList{"WARN a:b"};
        QTest::newRow("padded key") << QStringList{"  w   preproc   12  :t"} << QStringList{"preproc 12: WARN t"};
        QTest::newRow("empty texts before the first key")
            << QStringList{":", ":one", ":", "W:two"} << QStringList{"WARN one  two"};
    }
    void outputLines()
    {
        QFETCH(QStringList, lines);
        auto page = loadPage(pageXml());
        CheckMessageList messages;
        for (const auto &[key, text] : parsePluginOutput(lines))
            EmitPluginMessage(nullptr, page.get(), messages, key, text);
        QTEST(shown(messages), "messages");
    }

    // The component a line names, alone and after lines that had both sections looked up: the
    // first of equal names, the name's case counting, the section's not.
    void componentOfEachLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("section"); // the found component's; empty for none
        QTest::addColumn<int>("index"); // its place in that section
        QTest::newRow("first of equal names") << "W preproc 3:x"
                                              << "preproc" << 0;
        QTest::newRow("same name, other section") << "W postproc 3:x"
                                                  << "postproc" << 1;
        QTest::newRow("section in any case") << "W PostProc 3:x"
                                             << "postproc" << 1;
        QTest::newRow("lower-case name") << "W preproc a:x"
                                         << "preproc" << 2;
        QTest::newRow("upper-case name") << "W preproc A:x"
                                         << "preproc" << 3;
        QTest::newRow("name with a blank, padded") << "W preproc  a b :x"
                                                   << "preproc" << 4;
        QTest::newRow("name in the other case only") << "W postproc X:x"
                                                     << "" << -1;
        QTest::newRow("name only in the other section") << "W postproc a:x"
                                                        << "" << -1;
        QTest::newRow("a name's own leading blank") << "W preproc  5:x"
                                                    << "" << -1;
        QTest::newRow("name not there") << "W preproc 7:x"
                                        << "" << -1;
        QTest::newRow("section not there") << "W nowhere 3:x"
                                           << "" << -1;
        QTest::newRow("no component named") << "W preproc:x"
                                            << "" << -1;
    }
    void componentOfEachLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, section);
        QFETCH(int, index);
        auto page = loadPage("<wqf><preproc>" + comp("3", "SET") + comp("3", "IF") + comp("a", "SET") +
                             comp("A", "SET") + comp("a b", "SET") + comp(" 5", "SET") + "</preproc><postproc>" +
                             comp("x", "SET") + comp("3", "SET") + "</postproc></wqf>");
        TWQFItem *expected = section.isEmpty() ? nullptr : page->FindSection(section)->Items()[size_t(index)].get();
        // After a line for each section, so that both are looked up before this one.
        CheckMessageList messages;
        emitPluginOutput(nullptr, page.get(), messages, "W preproc a:x\nW postproc x:x\n" + line.toUtf8());
        QCOMPARE(messages.size(), 3);
        QCOMPARE(messages.last().item, expected);
        CheckMessageList alone;
        emitPluginOutput(nullptr, page.get(), alone, line.toUtf8());
        QCOMPARE(alone.value(0).item, expected);
    }

    // The bytes a program printed: UTF-8, lines ending at CR LF, CR or LF.
    void programOutput_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("three line ends") << QByteArray("E preproc 12:a\r\nW:b\rH:c\nI:d")
                                         << QStringList{"preproc 12: ERROR a", "WARN b", "HINT c", "HINT d"};
        QTest::newRow("CR LF is one line end") << QByteArray(":one\r\n\r\nE:two\r\n") << QStringList{"ERROR one two"};
        QTest::newRow("final line end") << QByteArray("W:x\n") << QStringList{"WARN x"};
        QTest::newRow("not UTF-8") << QByteArray("E:\xff!") << QStringList{QString("ERROR ") + QChar(0xFFFD) + "!"};
        QTest::newRow("nothing") << QByteArray() << QStringList{};
    }
    void programOutput()
    {
        QFETCH(QByteArray, output);
        auto page = loadPage(pageXml());
        CheckMessageList messages;
        emitPluginOutput(nullptr, page.get(), messages, output);
        QTEST(shown(messages), "messages");
    }

    // The description files in name order, without case; the keys with their defaults; files
    // without a name or command give nothing; menu entries queued in file order.
    void loading()
    {
        PluginsFolder folder;
        folder.add("b", "Name=Bee\nCmd=run.sh %filename%\nMenu=Run &Bee\n");
        folder.add("A", "name=Ay\ncmd = tool/x.sh -v\nTimeout=abc\nGroupCheck=0\nUpdate=2\nMenu=Run Ay\n");
        folder.add("c", "Name=Sea\nCmd=sea.sh\nTimeout=250\nGroupCheck=-1\nUpdate=0\n");
        folder.add("noname", "Cmd=run.sh\n");
        folder.add("nocmd", "Name=Nothing\nCmd=\n");
        writeBytes(folder.path() + "/readme.txt", "[Main]\nName=Text\nCmd=x\n");
        writeBytes(folder.path() + "/D.INI", "[main]\nNAME=Dee\nCMD=d.sh\n");

        Loaded loaded(folder.path());
        const QList<TExtAppWarnPlugin *> plugins = loaded.plugins();
        QStringList names;
        for (TExtAppWarnPlugin *p : plugins)
            names << p->Name;
        QCOMPARE(names, QStringList({"Ay", "Bee", "Sea", "Dee"}));

        TExtAppWarnPlugin *ay = plugins[0], *bee = plugins[1], *sea = plugins[2];
        QCOMPARE(ay->folder, folder.path() + "/A/");
        QCOMPARE(ay->Cmd, QString("tool/x.sh -v"));
        QCOMPARE(ay->Timeout, 15000);
        QVERIFY(!ay->GroupCheck);
        QVERIFY(ay->Update);
        QCOMPARE(bee->Cmd, QString("run.sh \"%filename%\""));
        QVERIFY(bee->GroupCheck);
        QVERIFY(!bee->Update);
        QCOMPARE(sea->Timeout, 250);
        QVERIFY(!sea->GroupCheck);
        QVERIFY(!sea->menuItem());
        for (TExtAppWarnPlugin *p : plugins) {
            QVERIFY(p->Enabled);
            QVERIFY(!p->InQuickCheck());
            QCOMPARE(p->NeedsGroupData(), p->GroupCheck);
            QCOMPARE(p->GetDescription(), p->Name);
            QCOMPARE(p->className(), QString("TExtAppWarnPlugin"));
        }

        QMenuBar bar;
        bar.addMenu("&Tools")->addAction("Check WQF file");
        SetMainMenu(&bar);
        QStringList tools;
        for (QAction *a : bar.actions().first()->menu()->actions())
            tools << a->text();
        QCOMPARE(tools, QStringList({"Check WQF file", "Run Ay", "Run &Bee"}));
        QCOMPARE(ay->menuItem(), bar.actions().first()->menu()->actions().at(1));
    }

    void missingFolderGivesNone()
    {
        QTemporaryDir dir;
        Loaded loaded(dir.filePath("absent"));
        QVERIFY(loaded.plugins().isEmpty());
    }

    // A full check runs every program, in file order, on a copy of the page made for its
    // owner alone and removed afterwards; the quick check runs none.
    void fullCheckRunsThePrograms()
    {
        PluginsFolder folder;
        const QString seen = folder.filePath("seen");
        folder.add("one", "Name=One\nCmd=run.sh %filename% %section%\n",
                   "cp \"$1\" '" + seen.toUtf8() + ".page'\necho \"$1\" > '" + seen.toUtf8() +
                       ".path'\nstat -c %a \"$1\" > '" + seen.toUtf8() +
                       ".mode'\necho \"E preproc 12: section $2\"\necho 'stray line'\n");
        folder.add("two", "Name=Two\nCmd=run.sh\n", "echo 'W postproc 3:second program'\n");
        hostHooks().OnGetCurrentSectionName = [] { return QString("postproc"); };

        Loaded loaded(folder.path());
        auto page = loadPage(pageXml());
        QCOMPARE(loaded.check(page.get()),
                 QStringList({"preproc 12: ERROR  section postproc", "postproc 3: WARN second program"}));
        TWQFFile copy;
        QVERIFY(copy.LoadFromFile(seen + ".page", {}));
        QCOMPARE(copy.GetFunctionName(), QString("orders"));
        QCOMPARE(readBytes(seen + ".mode").trimmed(), QByteArray("600"));
        QVERIFY(!QFile::exists(QString::fromUtf8(readBytes(seen + ".path").trimmed())));

        QFile::remove(seen + ".page");
        QVERIFY(loaded.check(page.get(), true).isEmpty());
        QVERIFY(!QFile::exists(seen + ".page"));
    }

    // The page's copy is written through the handle that created it: a link planted at its name
    // in a temporary folder others can write is never followed, and the link goes with the run.
    void copyWrittenThroughItsHandle()
    {
        QTemporaryDir shared;
        QTemporaryDir home;
        const QString victim = home.filePath("victim.txt");
        writeBytes(victim, "the victim's own");
        qputenv("TMPDIR", shared.path().toUtf8());
        writeScript(home.filePath("run.sh"), "echo 'H:ran'\n");
        auto p = plugin(home.path(), "run.sh");
        auto page = loadPage(pageXml());
        CheckMessageList messages;
        const LinkPlanter planter(shared.path(), victim);
        QVERIFY(RunExternal(p.get(), page.get(), &messages));
        QCOMPARE(planter.planted(), 1);
        QCOMPARE(shown(messages), QStringList{"HINT ran"});
        QCOMPARE(readBytes(victim), QByteArray("the victim's own"));
        QVERIFY(QDir(shared.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    }

    // The page's copy lies in a folder made for the run alone, which no one but its owner may
    // enter, and the folder goes with the run, also when it fails.
    void copyInAFolderOfTheRun_data()
    {
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<bool>("update");
        QTest::addColumn<bool>("ran");
        QTest::newRow("ends") << QByteArray("exit 0\n") << false << true;
        QTest::newRow("update that does not load") << QByteArray("echo '<wqf>' > \"$1\"\n") << true << false;
        QTest::newRow("time-out") << QByteArray("sleep 5\n") << false << false;
    }
    void copyInAFolderOfTheRun()
    {
        QFETCH(QByteArray, end);
        QFETCH(bool, update);
        QFETCH(bool, ran);
        QTemporaryDir dir;
        const QString shared = dir.filePath("shared");
        QVERIFY(QDir().mkpath(shared));
        qputenv("TMPDIR", shared.toUtf8());
        const QByteArray seen = dir.filePath("seen").toUtf8();
        writeScript(dir.filePath("run.sh"), "d=$(dirname \"$1\")\necho \"$d\" > '" + seen +
                                                "'\nstat -c '%a %u' \"$d\" >> '" + seen + "'\n" + end);
        auto p = plugin(dir.path(), "run.sh", 1000);
        auto page = loadPage(pageXml());
        std::unique_ptr<TWQFFile> updated;
        QCOMPARE(RunExternal(p.get(), page.get(), nullptr, update ? &updated : nullptr), ran);
        const QStringList lines = QString::fromUtf8(readBytes(dir.filePath("seen"))).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(QFileInfo(lines[0]).path(), shared);
        QCOMPARE(lines[1], "700 " + QString::number(::geteuid()));
        QVERIFY(QDir(shared).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    }

    // Another user who renames the run's folder away and puts a folder of their own with a page
    // under its name does not get that page loaded: the rewritten copy is read through the run's
    // own folder.
    void updateReadFromTheRunsOwnFolder()
    {
        QTemporaryDir dir;
        qputenv("TMPDIR", dir.path().toUtf8());
        const QByteArray gone = dir.filePath("gone").toUtf8();
        writeScript(dir.filePath("run.sh"),
                    "sed -i 's/orders/fixed/' \"$1\"\nd=$(dirname \"$1\")\nmv \"$d\" '" + gone +
                        "'\nmkdir \"$d\"\necho '<wqf><function><fn>theirs</fn></function><preproc/>"
                        "<postproc/></wqf>' > \"$1\"\n");
        auto p = plugin(dir.path(), "run.sh");
        auto page = loadPage(pageXml());
        std::unique_ptr<TWQFFile> updated;
        QVERIFY(RunExternal(p.get(), page.get(), nullptr, &updated));
        QVERIFY(updated);
        QCOMPARE(updated->GetFunctionName(), QString("fixed"));
    }

    // Blanks in the plug-in's folder and in the copy's path reach the program whole.
    void pathsWithBlanks()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("my plugins/with blank");
        QDir().mkpath(folder);
        QDir().mkpath(dir.filePath("temp folder"));
        qputenv("TMPDIR", dir.filePath("temp folder").toUtf8());
        writeScript(folder + "/run me.sh", "[ -f \"$1\" ] && echo \"H:[$1]\"\necho \"H:$#\"\n");
        auto p = plugin(folder, "\"run me.sh\" %filename%");
        auto page = loadPage(pageXml());
        CheckMessageList messages;
        QVERIFY(RunExternal(p.get(), page.get(), &messages));
        const QStringList lines = shown(messages);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith("HINT [" + dir.filePath("temp folder/")), qPrintable(lines[0]));
        QCOMPARE(lines[1], QString("HINT 1"));
    }

    // The script's child keeps the output open; the run still ends soon after the time-out,
    // with its warning first and what was printed before it.
    void timeOut()
    {
        QTemporaryDir dir;
        const QString pidFile = dir.filePath("child.pid");
        writeScript(dir.filePath("run.sh"),
                    "echo 'W: before'\nsleep 30 &\necho $! > '" + pidFile.toUtf8() + "'\nwait\necho 'W: after'\n");
        auto p = plugin(dir.path(), "run.sh", 400);
        p->Name = "Slow";
        auto page = loadPage(pageXml());
        CheckMessageList messages;
        QElapsedTimer clock;
        clock.start();
        QString reason;
        QVERIFY(!RunExternal(p.get(), page.get(), &messages, nullptr, &reason));
        QVERIFY2(clock.elapsed() < 1400, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(shown(messages), QStringList({"WARN Plugin call timed out: Slow", "WARN  before"}));
        QCOMPARE(reason, QString("Plugin call timed out: Slow"));
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(readBytes(pidFile).trimmed().toLongLong()), 2000);
    }

    // A program that prints without end is stopped, with what it started, once its output
    // passes the limit: the lines kept, after one line saying the output was cut. A program
    // with a large but normal output keeps every line of it.
    void outputLimit_data()
    {
        QTest::addColumn<QByteArray>("print");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QString>("last"); // the last line of the program's own
        QTest::newRow("endless keyed lines")
            << QByteArray("yes 'E preproc 12: x'") << 500000 << true << "preproc 12: ERROR  x";
        QTest::newRow("one endless line")
            << QByteArray("tr -d '\\n' < /dev/zero | tr '\\0' x") << 0 << true << QString();
        QTest::newRow("300,000 keyed lines of 100 bytes")
            << QByteArray("awk 'BEGIN { for (i = 1; i <= 300000; i++) printf \"E preproc 12: %085d\\n\", i }'")
            << 300000 << false << "preproc 12: ERROR  " + QString("300000").rightJustified(85, '0');
    }
    void outputLimit()
    {
        QFETCH(QByteArray, print);
        QFETCH(int, records);
        QFETCH(bool, cut);
        QFETCH(QString, last);
        QTemporaryDir dir;
        const QString pidFile = dir.filePath("child.pid");
        writeScript(dir.filePath("run.sh"),
                    "sleep 600 > /dev/null &\necho $! > '" + pidFile.toUtf8() + "'\n" + print + "\nkill $!\n");
        auto p = plugin(dir.path(), "run.sh", 600000);
        auto page = loadPage(pageXml());
        CheckMessageList messages;
        QString reason;
        QCOMPARE(RunExternal(p.get(), page.get(), &messages, nullptr, &reason), !cut);
        const QString cutLine = "Plugin output cut at 500000 lines or 32 MB: Fake";
        QCOMPARE(reason, cut ? cutLine : QString());
        QCOMPARE(messages.size(), records + int(cut));
        if (cut)
            QCOMPARE(messages.takeFirst().text, "WARN " + cutLine);
        if (records > 0)
            QCOMPARE(shown({messages.last()}), QStringList{last});
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(readBytes(pidFile).trimmed().toLongLong()), 2000);
    }

    // A program that cannot start leaves one untagged line, so the check does not look clean.
    void programThatCannotStart_data()
    {
        QTest::addColumn<QString>("cmd");
        QTest::newRow("missing") << "absent.sh %filename%";
        QTest::newRow("not executable") << "plain.txt";
        QTest::newRow("only blanks in quotes") << "\"\"";
    }
    void programThatCannotStart()
    {
        QFETCH(QString, cmd);
        PluginsFolder folder;
        folder.add("broken", "Name=Broken\nCmd=" + cmd.toUtf8() + "\n");
        QDir().mkpath(folder.path() + "/broken");
        writeBytes(folder.path() + "/broken/plain.txt", "echo hi\n");
        Loaded loaded(folder.path());
        auto page = loadPage(pageXml());
        const QStringList lines = loaded.check(page.get());
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("Plugin call failed: Broken: ") && lines[0].size() > 28, qPrintable(lines[0]));
    }

    // An update run hands back the rewritten page as a new document; the open one stays as
    // it was until the window takes the new one.
    void updateGivesANewDocument()
    {
        QTemporaryDir dir;
        writeScript(dir.filePath("run.sh"),
                    "cat > \"$1\" <<'EOF'\n<wqf><function><fn>rewritten</fn></function><preproc/>"
                    "<postproc/></wqf>\nEOF\necho 'W: rewrote it'\n");
        auto p = plugin(dir.path(), "run.sh");
        auto page = loadPage(pageXml());
        page->SetFileName("/pages/orders.wqf");
        int asked = 0;
        page->OnReadOnly = [&asked](const QString &) {
            ++asked;
            return true;
        };
        std::unique_ptr<TWQFFile> updated;
        CheckMessageList messages;
        QVERIFY(RunExternal(p.get(), page.get(), &messages, &updated));
        QVERIFY(updated);
        QCOMPARE(updated->GetFunctionName(), QString("rewritten"));
        QCOMPARE(updated->FileName(), QString("/pages/orders.wqf"));
        QVERIFY(updated->OnReadOnly);
        QVERIFY(updated->DoReadOnly("x"));
        QCOMPARE(asked, 1);
        QCOMPARE(page->GetFunctionName(), QString("orders"));
        QCOMPARE(shown(messages), QStringList({"WARN  rewrote it"}));
    }

    // A broken rewrite or a stopped program hands back nothing and says why.
    void updateThatFails_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("reason");
        QTest::newRow("broken page") << QByteArray("echo '<wqf><preproc>' > \"$1\"\n") << "In 'stream:'";
        QTest::newRow("no page") << QByteArray("echo '<other/>' > \"$1\"\n")
                                 << "The document has no root element \"wqf\"";
        QTest::newRow("copy removed") << QByteArray("rm \"$1\"\n") << "No such file";
        QTest::newRow("timed out") << QByteArray("echo '<wqf/>' > \"$1\"\nsleep 5\n") << "Plugin call timed out: Fake";
    }
    void updateThatFails()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        writeScript(dir.filePath("run.sh"), script);
        auto p = plugin(dir.path(), "run.sh", 1000);
        auto page = loadPage(pageXml());
        std::unique_ptr<TWQFFile> updated;
        QString why;
        QVERIFY(!RunExternal(p.get(), page.get(), nullptr, &updated, &why));
        QVERIFY(!updated);
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(page->GetFunctionName(), QString("orders"));
    }

    // The Tools entry: the window's texts go into the page before the copy, and the window
    // is handed the rewritten page.
    void menuRunWithUpdate()
    {
        PluginsFolder folder;
        const QString seen = folder.filePath("seen.page");
        folder.add("fix", "Name=Fix\nCmd=run.sh\nMenu=Fix the page\nUpdate=1\n",
                   "cp \"$1\" '" + seen.toUtf8() + "'\nsed -i 's/typed/fixed/' \"$1\"\necho 'E: shown nowhere'\n");
        Loaded loaded(folder.path());
        auto page = loadPage(pageXml());
        QStringList calls;
        hostHooks().onStoreViewTexts = [&] {
            calls << "store";
            page->SetFunctionName("typed");
        };
        hostHooks().OnGetCurrentDoc = [&] {
            calls << "doc";
            return page.get();
        };
        std::unique_ptr<TWQFFile> taken;
        hostHooks().onDocReplaced = [&](std::unique_ptr<TWQFFile> &doc) {
            calls << "replaced";
            taken = std::move(doc);
            return true;
        };
        PrompterGuard prompter;
        QMenuBar bar;
        bar.addMenu("Tools");
        SetMainMenu(&bar);
        QAction *entry = loaded.plugins().first()->menuItem();
        QVERIFY(entry);
        QCOMPARE(entry->text(), QString("Fix the page"));
        entry->trigger();

        QCOMPARE(calls, QStringList({"store", "doc", "replaced"}));
        TWQFFile copy;
        QVERIFY(copy.LoadFromFile(seen, {}));
        QCOMPARE(copy.GetFunctionName(), QString("typed"));
        QVERIFY(taken);
        QCOMPARE(taken->GetFunctionName(), QString("fixed"));
        QVERIFY(prompter->prompts.isEmpty());
    }

    // A menu run that fails leaves the page to the window untouched and tells the user; a
    // program without an update to make that runs out of time stays silent.
    void menuRunThatFails_data()
    {
        QTest::addColumn<QByteArray>("mainLines");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("box");
        QTest::newRow("broken rewrite") << QByteArray("Update=1\n") << QByteArray("echo '<wqf>' > \"$1\"\n")
                                        << "In 'stream:'";
        QTest::newRow("update timed out")
            << QByteArray("Update=1\nTimeout=300\n") << QByteArray("sleep 5\n") << "Plugin call timed out: Fix";
        QTest::newRow("cannot start") << QByteArray("Cmd=absent.sh\n") << QByteArray() << "Plugin call failed: Fix: ";
        QTest::newRow("check timed out") << QByteArray("Timeout=300\n") << QByteArray("sleep 5\n") << QString();
    }
    void menuRunThatFails()
    {
        QFETCH(QByteArray, mainLines);
        QFETCH(QByteArray, script);
        QFETCH(QString, box);
        PluginsFolder folder;
        folder.add("fix", "Name=Fix\n" + mainLines + "Cmd=run.sh\nMenu=Fix\n", script.isEmpty() ? "" : script);
        Loaded loaded(folder.path());
        auto page = loadPage(pageXml());
        hostHooks().OnGetCurrentDoc = [&] { return page.get(); };
        bool replaced = false;
        hostHooks().onDocReplaced = [&](std::unique_ptr<TWQFFile> &) { return replaced = true; };
        PrompterGuard prompter;
        loaded.plugins().first()->RunFromMenu();
        QVERIFY(!replaced);
        QCOMPARE(page->GetFunctionName(), QString("orders"));
        if (box.isEmpty()) {
            QVERIFY(prompter->prompts.isEmpty());
        } else {
            QCOMPARE(prompter->prompts.size(), 1);
            QVERIFY2(prompter->prompts[0].text.contains(box), qPrintable(prompter->prompts[0].text));
        }
    }

    // A menu run that raises while it stores the views or replaces the page shows the message
    // through the program's handler, as every menu command does.
    void menuRunRaising_data()
    {
        QTest::addColumn<bool>("storing");
        QTest::addColumn<QString>("message");
        QTest::newRow("storing the views") << true << "Cannot store the views";
        QTest::newRow("replacing the page") << false << "Cannot replace the page";
    }
    void menuRunRaising()
    {
        QFETCH(bool, storing);
        QFETCH(QString, message);
        PluginsFolder folder;
        folder.add("fix", "Name=Fix\nCmd=run.sh\nMenu=Fix\nUpdate=1\n", "exit 0\n");
        Loaded loaded(folder.path());
        auto page = loadPage(pageXml());
        hostHooks().OnGetCurrentDoc = [&] { return page.get(); };
        if (storing)
            hostHooks().onStoreViewTexts = [&] { throw Exception(message); };
        else
            hostHooks().onDocReplaced = [&](std::unique_ptr<TWQFFile> &) -> bool { throw Exception(message); };
        QStringList handled;
        setGuardHandler([&] { handled << currentExceptionMessage(); });
        const auto noHandler = qScopeGuard([] { setGuardHandler(nullptr); });
        PrompterGuard prompter;
        QMenuBar bar;
        bar.addMenu("Tools");
        SetMainMenu(&bar);
        loaded.plugins().first()->menuItem()->trigger();
        QCOMPARE(handled, QStringList{message});
        QVERIFY(prompter->prompts.isEmpty());
        QCOMPARE(page->GetFunctionName(), QString("orders"));
    }

    // Without an open page a menu run does nothing.
    void menuRunWithoutPage()
    {
        PluginsFolder folder;
        const QString ran = folder.filePath("ran");
        folder.add("fix", "Name=Fix\nCmd=run.sh\nMenu=Fix\nUpdate=1\n", "touch '" + ran.toUtf8() + "'\n");
        Loaded loaded(folder.path());
        PrompterGuard prompter;
        loaded.plugins().first()->RunFromMenu();
        QVERIFY(!QFile::exists(ran));
        QVERIFY(prompter->prompts.isEmpty());
    }

    // The plug-in takes its Tools entry with it.
    void menuEntryGoesWithThePlugin()
    {
        PluginsFolder folder;
        folder.add("fix", "Name=Fix\nCmd=run.sh\nMenu=Fix\n");
        QMenuBar bar;
        QMenu *tools = bar.addMenu("Tools");
        {
            Loaded loaded(folder.path());
            SetMainMenu(&bar);
            QCOMPARE(tools->actions().size(), 1);
        }
        QVERIFY(tools->actions().isEmpty());
    }
};

PELLORIN_TEST_CLASS(TestExtAppPlugin)
#include "test_extappplugin.moc"
