// The full check's run of the SQL prober: the job and statement files, the prober's verdicts
// and its failures, first with small stand-in probers, then with the real one on the sample
// page, against the shipped SQLite database and against a PostgreSQL server of its own.
#include "checkfixture.h"
#include "checks/sqlquerycheck.h"
#include "common/linkplanter.h"
#include "common/testmain.h"
#include "common/testutil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pellorin_test;

namespace {
const QString kBinDir = QStringLiteral(PELLORIN_BIN_DIR "/");
const QString kSamplePage = QStringLiteral(PELLORIN_RESOURCES "/samples/customer_orders.wqf");
const QString kSampleScript = QStringLiteral(PELLORIN_RESOURCES "/samples/customer_orders.sql");

QByteArray query(const QByteArray &sql) { return "<query><![CDATA[" + sql + "]]></query>"; }
QByteArray param(const QByteArray &name, const QByteArray &type)
{
    return "<param><n>" + name + "</n><t>" + type + "</t><v>0</v></param>";
}
QByteArray pair(const QByteArray &name, const QByteArray &value) { return "<n>" + name + "</n><v>" + value + "</v>"; }

// A file for its owner alone, as the editor makes the prober's files.
void writePrivate(const QString &path, const QByteArray &bytes)
{
    writeBytes(path, bytes);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// A page with the components of each section.
std::unique_ptr<TWQFFile> page(const QByteArray &pre, const QByteArray &post = {})
{
    return loadPage("<wqf><function><fn>f</fn></function><preproc>" + pre + "</preproc><postproc>" + post +
                    "</postproc></wqf>");
}

// The modules as the program sets them up, with the prober and the temporary files in
// folders whose names hold blanks.
class ProberFixture {
public:
    ProberFixture(const QString &programFolder = QString())
        : m_root(QDir::tempPath() + QStringLiteral("/sql check XXXXXX")), m_oldTmp(qgetenv("TMPDIR"))
    {
        m_program = programFolder.isEmpty() ? m_root.filePath("my program") + u'/' : programFolder;
        m_temp = m_root.filePath("temp files");
        QDir().mkpath(m_temp);
        qputenv("TMPDIR", m_temp.toLocal8Bit());
        initPluginRegistry();
        initSQLQueryCheck(m_program);
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        for (TWarningPlugin *check : checks)
            if (auto *group = dynamic_cast<TGroupSQLCheck *>(check))
                m_group = group;
    }
    ~ProberFixture()
    {
        doneSQLQueryCheck();
        donePluginRegistry();
        qputenv("TMPDIR", m_oldTmp);
    }

    QString root(const QString &name) const { return m_root.filePath(name); }
    TGroupSQLCheck *group() const { return m_group; }
    // Every entry of the temporary folder, hidden ones included.
    QStringList tempFiles() const
    {
        return QDir(m_temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // A stand-in prober: a shell script started as the program itself.
    void writeProber(const QByteArray &script, bool executable = true) const
    {
        QDir().mkpath(m_program + "qverify");
        writeBytes(m_group->proberProgram, "#!/bin/sh\n" + script);
        QFile::setPermissions(m_group->proberProgram, executable
                                                          ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                          : QFile::ReadOwner | QFile::WriteOwner);
    }
    void writeMasks(const QByteArray &text) const
    {
        QDir().mkpath(QFileInfo(m_group->maskFileName).path());
        writeBytes(m_group->maskFileName, text);
    }
    // The full check, as the message list shows its lines; the temporary folder must be as
    // empty afterwards as it was before.
    QStringList fullCheck(TWQFFile *doc) const
    {
        const QStringList before = tempFiles();
        CheckMessageList messages;
        RunWarningPlugins(doc, false, &messages);
        [&] { QCOMPARE(tempFiles(), before); }();
        return shown(messages);
    }

private:
    QTemporaryDir m_root;
    QByteArray m_oldTmp;
    QString m_program;
    QString m_temp;
    TGroupSQLCheck *m_group = nullptr;
};

// Writes a copy of the job file beside the stand-in's folder.
QByteArray copyJob(const ProberFixture &f) { return "cp \"$1\" \"" + f.root("job.txt").toUtf8() + "\"\n"; }

// Each statement file of the job, in order, with the commands run on "$f".
QByteArray eachStatement(const QByteArray &commands)
{
    return "tr -d '\\r' < \"$1\" | grep '^wqf' | cut -d= -f2- | {\nn=0\nwhile read -r f; do\nn=$((n+1))\n" + commands +
           "\ndone\n}\n";
}

// The job's lines with every statement path replaced by "<tmp>", after checking it names a
// file in a folder of the temporary folder.
QStringList jobLines(const ProberFixture &f, QByteArray *rawJob = nullptr)
{
    const QByteArray job = readBytes(f.root("job.txt"));
    if (rawJob)
        *rawJob = job;
    QStringList lines = QString::fromUtf8(job).split(QStringLiteral("\r\n"));
    const QRegularExpression statement("^(wqf\\d+=)" + QRegularExpression::escape(f.root("temp files")) +
                                       "/[^/]+/[^/]+$");
    for (QString &line : lines)
        if (const auto m = statement.match(line); m.hasMatch())
            line = m.captured(1) + "<tmp>";
    return lines;
}
// The sample page into doc, from replaced by to in the SQL of every query that holds it
// (nothing replaced for an empty from).
bool loadSampleReplacing(TWQFFile &doc, const QString &from, const QString &to)
{
    if (!doc.LoadFromFile(kSamplePage, {}))
        return false;
    for (const auto &section : doc.Sections())
        for (const auto &item : section->Items())
            if (!from.isEmpty() && item->GetQuery().contains(from))
                item->SetQuery(item->GetQuery().replace(from, to), true);
    return true;
}
// The rows of statements both databases judge, with each one's verdict (empty: accepted).
void addVerdictRows()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QString>("postgres");
    const QString several = "cannot insert multiple commands into a prepared statement";
    QTest::newRow("line comment after") << "SELECT 1; -- note"
                                        << ""
                                        << "";
    QTest::newRow("comments, semicolons and blank lines after")
        << "SELECT name FROM customers /* a */ ; /* b ; c */ ;\n\n  "
        << ""
        << "";
    QTest::newRow("comment signs in strings") << "SELECT '-- ;', \"a;--\" FROM (SELECT 1 AS \"a;--\") AS s; -- x"
                                              << ""
                                              << "";
    QTest::newRow("only comments") << "-- nothing\n/* at all */ ;"
                                   << "the statement is empty"
                                   << "the statement is empty";
    QTest::newRow("explain") << "EXPLAIN SELECT name FROM customers"
                             << ""
                             << "";
    QTest::newRow("explain of a missing column") << "EXPLAIN SELECT nme FROM customers"
                                                 << "no such column: nme"
                                                 << "column \"nme\" does not exist";
    QTest::newRow("DDL") << "DROP TABLE customers"
                         << ""
                         << "qverify checked only the syntax of this DROP statement: PostgreSQL checks the rest "
                            "only when the statement runs, and qverify runs none";
    QTest::newRow("DDL with a syntax error") << "DROP TABLES customers"
                                             << "near \"TABLES\": syntax error"
                                             << "syntax error at or near \"TABLES\"";
    QTest::newRow("second statement after a comment") << "SELECT 1; -- a\nDELETE FROM orders"
                                                      << "Unable to execute multiple statements at a time" << several;
    // A verdict is one line, also when the database quotes a token that holds a line break; a
    // CR reaches the statement only as a character reference, here after the CDATA section.
    QTest::newRow("quoted token with a CR") << "SELECT \"a]]>&#13;b<![CDATA["
                                            << "unrecognized token: \"\"a"
                                            << "unterminated quoted identifier at or near \"\"a";
}

// The page of one query holding sql, as the prober judges it.
QStringList verdictLines(const ProberFixture &f, const QString &sql)
{
    auto doc = page(comp("0", "SELECTQUERY", {}, query(sql.toUtf8())));
    return f.fullCheck(doc.get());
}
QStringList expectedLines(const QString &verdict)
{
    return verdict.isEmpty() ? QStringList() : QStringList{"preproc 0: " + verdict};
}
} // namespace

class TestSQLProberRun : public QObject {
    Q_OBJECT
private slots:
    void jobWithoutMaskFile()
    {
        ProberFixture f;
        f.writeProber(copyJob(f));
        sqlCheckState().TestValues = {"UserId=42"};
        // Every component is collected; only the queries give statements. A stand-in that
        // leaves the files as they were shows each statement as it was sent.
        auto doc = page(comp("0", "SELECTQUERY", {}, query("SELECT :qty, #suserid#") + param("qty", "INTEGER")) +
                            comp("1", "SET", {}, pair("SQLText", "SELECT 1")) + comp("2", "IF", {}, "<v>1</v>"),
                        comp("0", "INSERTUPDATEQUERY", {}, query("UPDATE t SET s = :s") + param("s", "STRING")));
        QCOMPARE(f.fullCheck(doc.get()), QStringList({"preproc 0: SELECT 0, 42", "postproc 0: UPDATE t SET s = ''"}));
        QCOMPARE(jobLines(f),
                 QStringList({"Hostname=", "Username=", "Password=", "Database=", "wqf0=<tmp>", "wqf3=<tmp>", ""}));
    }

    void jobWithMasks()
    {
        ProberFixture f;
        f.writeProber(copyJob(f));
        f.writeMasks("sql*\r\n\r\n*where\r\n");
        // Only queries and SET components are collected now; the second file of a component
        // comes last, under the component's number.
        auto doc = page(
            comp("0", "SET", {}, pair("SQLText", "SELECT 1") + pair("cond_where", "a = :x") + pair("other", "no")) +
            comp("1", "IF", {}, "<v>1</v>") + comp("2", "SELECTQUERY", {}, query("SELECT 2")));
        QCOMPARE(f.fullCheck(doc.get()),
                 QStringList({"preproc 0: SELECT 1", "preproc 2: SELECT 2", "preproc 0: a = null"}));
        QCOMPARE(jobLines(f).mid(4), QStringList({"wqf0=<tmp>", "wqf0=<tmp>", "wqf1=<tmp>", ""}));
    }

    void pageWithoutQueries()
    {
        ProberFixture f;
        f.writeProber(copyJob(f));
        SQLCheckState &state = sqlCheckState();
        state.SQLHost = "db.local";
        state.SQLUser = "sa";
        state.SQLPassword = "p w=%;";
        state.SQLDatabase = "orders";
        auto doc = page(comp("0", "IF", {}, "<v>1</v>") + comp("1", "SET", {}, pair("x", "1")));
        QCOMPARE(f.fullCheck(doc.get()), QStringList());
        QByteArray job;
        jobLines(f, &job);
        QCOMPARE(job, QByteArray("Hostname=db.local\r\nUsername=sa\r\nPassword=p w=%;\r\nDatabase=orders\r\n"));
    }

    void verdicts()
    {
        ProberFixture f;
        // Accepted (empty), refused (kept untrimmed), blank (accepted).
        f.writeProber(eachStatement("case $n in 1) : > \"$f\";; 2) printf 'bad  column\\n' > \"$f\";; "
                                    "*) printf '  \\n' > \"$f\";; esac"));
        auto doc = page(comp("0", "SELECTQUERY", {}, query("a")) + comp("1", "SELECTQUERY", {}, query("b")) +
                        comp("2", "SELECTQUERY", {}, query("c")));
        QCOMPARE(f.fullCheck(doc.get()), QStringList({"preproc 1: bad  column\n"}));
    }

    void filesOnlyForTheOwner()
    {
        ProberFixture f;
        f.writeProber("j=$(stat -c %a \"$1\")\n" + eachStatement("printf '%s %s' $j $(stat -c %a \"$f\") > \"$f\""));
        auto doc = page(comp("0", "SELECTQUERY", {}, query("a")));
        QCOMPARE(f.fullCheck(doc.get()), QStringList({"preproc 0: 600 600"}));
    }

    void proberFailures_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("line");
        QTest::newRow("missing") << QByteArray() << true << "qverify: could not be started (<prober>): ";
        QTest::newRow("not executable") << QByteArray("exit 0\n") << false
                                        << "qverify: could not be started (<prober>): ";
        QTest::newRow("own failure line")
            << QByteArray("echo '' >&2\necho 'qverify: no way in' >&2\nexit 1\n") << true << "qverify: no way in";
        QTest::newRow("exit code alone") << QByteArray("exit 3\n") << true << "qverify: ended with exit code 3";
        QTest::newRow("crash") << QByteArray("kill -SEGV $$\n") << true << "qverify: crashed (<prober>)";
        QTest::newRow("time-out") << QByteArray("exec sleep 60\n") << true
                                  << "qverify: did not end within 1 seconds and was stopped";
    }
    void proberFailures()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, executable);
        QFETCH(QString, line);
        ProberFixture f;
        if (!script.isEmpty())
            f.writeProber(script, executable);
        f.group()->timeoutSeconds = 1;
        line.replace("<prober>", f.group()->proberProgram);
        auto doc = page(comp("0", "SELECTQUERY", {}, query("SELECT 1")) + comp("1", "SELECTQUERY", {}, query("x")));
        QElapsedTimer clock;
        clock.start();
        const QStringList lines = f.fullCheck(doc.get());
        QVERIFY(clock.elapsed() < 20000);
        // One untagged line, whatever the prober left in the statement files.
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(line), qPrintable(lines[0]));
    }

    // A prober stopped at its time-out takes what it started with it.
    void timeOutStopsWhatTheProberStarted()
    {
        ProberFixture f;
        const QString pidFile = f.root("child.pid");
        f.writeProber("sleep 60 &\necho $! > \"" + pidFile.toUtf8() + "\"\nwait\n");
        f.group()->timeoutSeconds = 1;
        auto doc = page(comp("0", "SELECTQUERY", {}, query("SELECT 1")));
        QCOMPARE(f.fullCheck(doc.get()), QStringList({"qverify: did not end within 1 seconds and was stopped"}));
        const qint64 child = readBytes(pidFile).trimmed().toLongLong();
        QVERIFY(child > 0);
        const auto noStray = qScopeGuard([child] {
            if (processAlive(child))
                ::kill(pid_t(child), SIGKILL);
        });
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(child), 5000);
    }

    // Every file the prober gets lies in one folder made for the run alone, which no one but
    // its owner may enter, and the folder goes with the run however the run ends.
    void filesInAFolderOfTheRun_data()
    {
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("verdicts given") << QByteArray("exit 0\n");
        QTest::newRow("failure") << QByteArray("exit 1\n");
        QTest::newRow("crash") << QByteArray("kill -SEGV $$\n");
        QTest::newRow("time-out") << QByteArray("exec sleep 60\n");
    }
    void filesInAFolderOfTheRun()
    {
        QFETCH(QByteArray, end);
        ProberFixture f;
        const QByteArray seen = f.root("seen.txt").toUtf8();
        // The job's folder with its mode and owner, then the folder of each statement file.
        f.writeProber("d=$(dirname \"$1\")\necho \"$d\" > '" + seen + "'\nstat -c '%a %u' \"$d\" >> '" + seen + "'\n" +
                      eachStatement("dirname \"$f\" >> '" + seen + "'") + end);
        f.group()->timeoutSeconds = 1;
        auto doc = page(comp("0", "SELECTQUERY", {}, query("a")) + comp("1", "SELECTQUERY", {}, query("b")));
        f.fullCheck(doc.get());
        const QStringList lines = QString::fromUtf8(readBytes(f.root("seen.txt"))).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        const QString folder = lines[0];
        QCOMPARE(QFileInfo(folder).path(), f.root("temp files"));
        QCOMPARE(lines[1], "700 " + QString::number(::geteuid()));
        QCOMPARE(lines.mid(2), QStringList({folder, folder}));
        QVERIFY(!QFileInfo::exists(folder));
    }

    // Another user who renames the run's folder away and puts a folder of their own under its
    // name gets none of their text shown: the verdicts are read through the run's own folder.
    // Another user moves the run's folder away and puts a folder of their own, or a link to
    // someone's folder, under its name: the verdicts still come from the run's own folder, the
    // run's own files go with it, and nothing at the name is removed or emptied.
    void verdictsReadFromTheRunsOwnFolder_data()
    {
        QTest::addColumn<QString>("swap"); // what takes the folder's name
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a link to someone's folder") << "link";
    }
    void verdictsReadFromTheRunsOwnFolder()
    {
        QFETCH(QString, swap);
        ProberFixture f;
        const QByteArray gone = f.root("gone").toUtf8();
        const QByteArray theirs = f.root("theirs").toUtf8();
        QVERIFY(QDir().mkpath(f.root("theirs")));
        writeBytes(f.root("theirs/own"), "someone's own file");
        const QByteArray replace = swap == "folder" ? "mkdir \"$d\"\n" : "ln -s '" + theirs + "' \"$d\"\n";
        // The job is read again from its copy once the folder has moved.
        f.writeProber(copyJob(f) + eachStatement("printf 'verdict %s' $n > \"$f\"") +
                      "d=$(dirname \"$1\")\nmv \"$d\" '" + gone + "'\n" + replace + "set -- '" +
                      f.root("job.txt").toUtf8() + "'\n" + eachStatement("printf 'their text' > \"$f\""));
        auto doc = page(comp("0", "SELECTQUERY", {}, query("a")) + comp("1", "SELECTQUERY", {}, query("b")));
        CheckMessageList messages;
        RunWarningPlugins(doc.get(), false, &messages);
        QCOMPARE(shown(messages), QStringList({"preproc 0: verdict 1", "preproc 1: verdict 2"}));
        QCOMPARE(QDir(f.root("gone")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(readBytes(f.root("theirs/own")), QByteArray("someone's own file"));
        const QStringList left = f.tempFiles();
        QCOMPARE(left.size(), 1);
        // The other user's statement-named files stay with them.
        QCOMPARE(QDir(f.root("temp files/" + left[0])).entryList({"TMP*"}, QDir::Files).size(), 2);
    }

    void temporaryFolderUnusable()
    {
        ProberFixture f;
        f.writeProber("exit 0\n");
        writeBytes(f.root("a file"), "x");
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", f.root("a file/below").toLocal8Bit());
        CheckMessageList messages;
        auto doc = page(comp("0", "SELECTQUERY", {}, query("SELECT 1")));
        RunWarningPlugins(doc.get(), false, &messages);
        qputenv("TMPDIR", oldTmp);
        QCOMPARE(shown(messages), QStringList({"Unable to create directory \"" + f.root("a file/below") + "\""}));
    }
};

// The real prober on the sample page and the test database the build makes from its script.
class TestQVerifySQLite : public QObject {
    Q_OBJECT
private slots:
    void samplePage_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QStringList>("lines");
        const QString db = kBinDir + "samples/customer_orders.sqlite";
        QTest::newRow("as shipped") << ""
                                    << "" << db << QStringList();
        QTest::newRow("missing column") << "o.total"
                                        << "o.totl" << db << QStringList{"preproc 2: no such column: o.totl"};
        QTest::newRow("missing table") << "FROM customers"
                                       << "FROM customer" << db << QStringList{"preproc 0: no such table: customer"};
        QTest::newRow("second statement") << "DESC"
                                          << "DESC; DELETE FROM orders" << db
                                          << QStringList{"preproc 2: Unable to execute multiple statements at a time"};
        QTest::newRow("no such database")
            << ""
            << ""
            << "/nowhere/x.sqlite" << QStringList{"qverify: the SQLite database \"/nowhere/x.sqlite\" does not exist"};
        QTest::newRow("no database") << ""
                                     << ""
                                     << "" << QStringList{"qverify: no database given (Database= is empty)"};
        QTest::newRow("not a database") << ""
                                        << "" << kSampleScript
                                        << QStringList{"qverify: cannot read the SQLite database \"" + kSampleScript +
                                                       "\": file is not a database"};
    }
    void samplePage()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, database);
        ProberFixture f(kBinDir);
        sqlCheckState().SQLDatabase = database;
        const QByteArray shipped = readBytes(kBinDir + "samples/customer_orders.sqlite");
        QVERIFY(!shipped.isEmpty());
        TWQFFile doc;
        QVERIFY(loadSampleReplacing(doc, from, to));
        QTEST(f.fullCheck(&doc), "lines");
        // Opened read-only: not a byte of it changed.
        QVERIFY(readBytes(kBinDir + "samples/customer_orders.sqlite") == shipped);
    }

    // Comments and blank tails as PostgreSQL reads them; compiled, never run.
    void verdicts_data() { addVerdictRows(); }
    void verdicts()
    {
        QFETCH(QString, sql);
        QFETCH(QString, sqlite);
        ProberFixture f(kBinDir);
        sqlCheckState().SQLDatabase = kBinDir + "samples/customer_orders.sqlite";
        const QByteArray shipped = readBytes(kBinDir + "samples/customer_orders.sqlite");
        QCOMPARE(verdictLines(f, sql), expectedLines(sqlite));
        QVERIFY(readBytes(kBinDir + "samples/customer_orders.sqlite") == shipped);
    }

    // A connection value holding a line break would add a statement file of its choosing to
    // the job, which the prober overwrites: no job is written.
    void lineBreakInAConnectionValue_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("lineBreak");
        QTest::newRow("Hostname") << "Hostname"
                                  << "\r\n";
        QTest::newRow("Username") << "Username"
                                  << "\n";
        QTest::newRow("Password") << "Password"
                                  << "\r\n";
        QTest::newRow("Database") << "Database"
                                  << "\r";
    }
    void lineBreakInAConnectionValue()
    {
        QFETCH(QString, name);
        QFETCH(QString, lineBreak);
        ProberFixture f(kBinDir);
        const QString victim = f.root("victim.txt");
        writeBytes(victim, "SELECT 1");
        SQLCheckState &state = sqlCheckState();
        state.SQLDatabase = kBinDir + "samples/customer_orders.sqlite";
        QString *const values[] = {&state.SQLHost, &state.SQLUser, &state.SQLPassword, &state.SQLDatabase};
        const QStringList names = {"Hostname", "Username", "Password", "Database"};
        *values[names.indexOf(name)] += lineBreak + "wqf99=" + victim;
        QCOMPARE(verdictLines(f, "SELECT 1"),
                 QStringList{"qverify: the " + name +
                             " value holds a line break, which the job file cannot carry; no statement was checked"});
        QCOMPARE(readBytes(victim), QByteArray("SELECT 1"));
    }

    // The prober itself takes a job only as the editor writes it, and writes only into plain
    // files.
    void jobRefused_data()
    {
        QTest::addColumn<QString>("job");
        QTest::newRow("connection value after a statement file") << "Hostname=\r\nwqf0=<victim>\r\nDatabase=<db>\r\n";
        QTest::newRow("connection value twice") << "Database=<db>\r\nDatabase=<db>\r\nwqf0=<victim>\r\n";
        QTest::newRow("numbers falling") << "Database=<db>\r\nwqf1=<statement>\r\nwqf0=<victim>\r\n";
        QTest::newRow("line of no value") << "Database=<db>\r\nnote\r\nwqf0=<victim>\r\n";
        QTest::newRow("unknown name") << "Database=<db>\r\nwqfx=<victim>\r\n";
        QTest::newRow("link as statement file") << "Database=<db>\r\nwqf0=<link>\r\n";
    }
    void jobRefused()
    {
        QFETCH(QString, job);
        QTemporaryDir dir;
        const QString victim = dir.filePath("victim.txt");
        writeBytes(victim, "SELECT 1");
        writeBytes(dir.filePath("statement.txt"), "SELECT 2");
        QVERIFY(QFile::link(victim, dir.filePath("link.txt")));
        job.replace("<db>", kBinDir + "samples/customer_orders.sqlite")
            .replace("<victim>", victim)
            .replace("<statement>", dir.filePath("statement.txt"))
            .replace("<link>", dir.filePath("link.txt"));
        // Private as the editor makes them, so each job is refused for its own fault.
        writePrivate(dir.filePath("job.txt"), job.toUtf8());
        QFile::setPermissions(victim, QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(dir.filePath("statement.txt"), QFile::ReadOwner | QFile::WriteOwner);
        QProcess prober;
        prober.start(kBinDir + "qverify/qverify", {dir.filePath("job.txt")});
        QVERIFY(prober.waitForFinished(30000));
        QCOMPARE(prober.exitCode(), 1);
        QVERIFY2(prober.readAllStandardError().startsWith("qverify: "), "one line says why");
        QCOMPARE(readBytes(victim), QByteArray("SELECT 1"));
        QCOMPARE(readBytes(dir.filePath("statement.txt")), QByteArray("SELECT 2"));
    }

    // The prober trusts only files made for it alone: a job or statement file that is a link,
    // that belongs to another user, or that others may read or write is refused unread, with
    // its own reason, and nothing is written anywhere.
    void untrustedFileRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        for (const char *file : {"job", "statement"}) {
            QTest::addRow("%s file a link", file) << file << "link"
                                                  << "it is a link";
            QTest::addRow("%s file of another user", file) << file << "owner"
                                                           << "it belongs to another user";
            QTest::addRow("%s file 0644", file) << file << "644"
                                                << "others may read or write it";
            QTest::addRow("%s file 0620", file) << file << "620"
                                                << "others may read or write it";
        }
    }
    void untrustedFileRefused()
    {
        QFETCH(QString, file);
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString statement = dir.filePath("statement.txt");
        const QString job = dir.filePath("job.txt");
        writePrivate(statement, "SELECT 1");
        writePrivate(job, "Database=" + kBinDir.toUtf8() +
                              "samples/customer_orders.sqlite\r\nwqf0=" + statement.toUtf8() + "\r\n");
        const QString faulty = file == "job" ? job : statement;
        const QByteArray name = QFile::encodeName(faulty);
        if (fault == "link") {
            const QString target = dir.filePath("target.txt");
            QVERIFY(QFile::rename(faulty, target));
            QVERIFY(QFile::link(target, faulty));
        } else if (fault == "owner") {
            if (::geteuid() != 0)
                QSKIP("only root gives a file to another user");
            QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
        } else {
            QCOMPARE(::chmod(name.constData(), mode_t(fault.toUInt(nullptr, 8))), 0);
        }
        QProcess prober;
        prober.start(kBinDir + "qverify/qverify", {job});
        QVERIFY(prober.waitForFinished(30000));
        QCOMPARE(prober.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(prober.readAllStandardError()),
                 "qverify: cannot read the " + file + " file \"" + faulty + "\": " + reason + "\n");
        QCOMPARE(readBytes(statement), QByteArray("SELECT 1"));
    }

    // Another user who swaps the name of the job the editor made for a link to a job of their
    // own, naming a file of the user's, gets nothing written: the prober refuses the link.
    void jobSwappedForALink()
    {
        ProberFixture f(kBinDir);
        const QString db = kBinDir + "samples/customer_orders.sqlite";
        sqlCheckState().SQLDatabase = db;
        const QString victim = f.root("victim.txt");
        writePrivate(victim, "SELECT 1");
        const QString theirs = f.root("their job.txt");
        writePrivate(theirs, "Database=" + db.toUtf8() + "\r\nwqf0=" + victim.toUtf8() + "\r\n");
        auto doc = page(comp("0", "SELECTQUERY", {}, query("SELECT 2")));
        const LinkPlanter planter(f.root("temp files"), theirs);
        const QStringList lines = f.fullCheck(doc.get());
        QCOMPARE(planter.planted(), 2);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("qverify: cannot read the job file \"" + f.root("temp files/")) &&
                     lines[0].endsWith("\": it is a link"),
                 qPrintable(lines[0]));
        QCOMPARE(readBytes(victim), QByteArray("SELECT 1"));
    }
};

namespace {
// A PostgreSQL server in a temporary folder, run by a user other than root (the server
// refuses root) and reached through a socket in that folder only.
class PostgresServer {
public:
    PostgresServer() : m_dir(QStringLiteral("/tmp/pellorin-pg-XXXXXX")) {}
    ~PostgresServer()
    {
        if (m_started)
            run(m_bin + "pg_ctl", {"-D", m_dir.filePath("data"), "-m", "immediate", "-w", "stop"}, true);
    }

    // Empty when the server runs, else why it could not be started.
    QString start()
    {
        m_bin = findBinFolder();
        if (m_bin.isEmpty())
            return "initdb not found (package postgresql)";
        if (geteuid() == 0) {
            const passwd *user = getpwnam("postgres");
            if (!user)
                user = getpwnam("nobody");
            m_runuser = QStandardPaths::findExecutable("runuser", {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
            if (!user || m_runuser.isEmpty())
                return "no user other than root to run the server as";
            m_user = QString::fromLocal8Bit(user->pw_name);
            if (chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0)
                return "cannot hand the server's folder over to " + m_user;
        }
        QString out;
        if (!run(m_bin + "initdb",
                 {"-D", m_dir.filePath("data"), "-A", "trust", "-U", "pellorin", "--no-sync", "--no-locale", "-E",
                  "UTF8"},
                 true, &out))
            return "initdb failed: " + out;
        if (!run(m_bin + "pg_ctl",
                 {"-D", m_dir.filePath("data"), "-l", m_dir.filePath("server.log"), "-w", "-t", "60", "-o",
                  "-k " + m_dir.path() + " -c listen_addresses=''", "start"},
                 true, &out))
            return "pg_ctl start failed: " + out + QString::fromUtf8(readBytes(m_dir.filePath("server.log")));
        m_started = true;
        if (!run(m_bin + "psql",
                 {"-h", m_dir.path(), "-U", "pellorin", "-d", "postgres", "-v", "ON_ERROR_STOP=1", "-q", "-f",
                  kSampleScript},
                 false, &out))
            return "psql could not load the sample tables: " + out;
        return QString();
    }
    QString socketFolder() const { return m_dir.path(); }
    // The folder of the server's programs, psql among them.
    QString bin() const { return m_bin; }
    // Every row of the sample tables and the names of all tables.
    QString contents() const
    {
        return value("SELECT (SELECT string_agg(id || ':' || name || ':' || coalesce(note, '-'), ',' ORDER BY id) "
                     "FROM customers) || ' | ' || (SELECT string_agg(id || ':' || customer_id || ':' || placed_on "
                     "|| ':' || total, ',' ORDER BY id) FROM orders) || ' | ' || (SELECT string_agg(tablename, ',' "
                     "ORDER BY tablename) FROM pg_tables WHERE schemaname = 'public')");
    }
    // One value of a query run with psql.
    QString value(const QString &sql) const
    {
        QString out;
        run(m_bin + "psql", {"-h", m_dir.path(), "-U", "pellorin", "-d", "postgres", "-tA", "-c", sql}, false, &out);
        return out.trimmed();
    }

private:
    static QString findBinFolder()
    {
        const QString onPath = QStandardPaths::findExecutable("initdb");
        // Its neighbours pg_ctl and psql lie beside the real file, not beside a link to it.
        if (!onPath.isEmpty())
            return QFileInfo(QFileInfo(onPath).canonicalFilePath()).path() + u'/';
        QStringList versions = QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(),
                  [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
        for (const QString &v : versions)
            if (QFileInfo::exists("/usr/lib/postgresql/" + v + "/bin/initdb"))
                return "/usr/lib/postgresql/" + v + "/bin/";
        return QString();
    }
    // The server's own programs run as m_user when the tests run as root.
    bool run(const QString &program, const QStringList &args, bool asServerUser, QString *out = nullptr) const
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(m_dir.path());
        if (asServerUser && !m_user.isEmpty())
            p.start(m_runuser, QStringList{"-u", m_user, "--", program} + args);
        else
            p.start(program, args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (out)
            *out = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_runuser;
    QString m_user;
    bool m_started = false;
};

// Another session that holds the orders table ACCESS EXCLUSIVE while the object lives.
class OrdersLock {
public:
    explicit OrdersLock(const PostgresServer &server) : m_server(server)
    {
        m_holder.setProcessChannelMode(QProcess::ForwardedChannels);
        m_holder.start(server.bin() + "psql", {"-h", server.socketFolder(), "-U", "pellorin", "-d", "postgres", "-v",
                                               "ON_ERROR_STOP=1", "-q"});
        if (m_holder.waitForStarted())
            m_holder.write("BEGIN;\nLOCK TABLE orders IN ACCESS EXCLUSIVE MODE;\n");
    }
    ~OrdersLock()
    {
        m_holder.write("ROLLBACK;\n");
        m_holder.closeWriteChannel();
        if (!m_holder.waitForFinished(30000))
            m_holder.kill();
    }
    OrdersLock(const OrdersLock &) = delete;
    OrdersLock &operator=(const OrdersLock &) = delete;

    // Whether the server has granted the lock, asked for up to 30 s.
    bool held() const
    {
        return m_holder.state() == QProcess::Running && QTest::qWaitFor([this] { return granted(); }, 30000);
    }

private:
    bool granted() const
    {
        return m_server.value("SELECT count(*) FROM pg_locks WHERE relation = 'orders'::regclass AND mode = "
                              "'AccessExclusiveLock' AND granted") == "1";
    }

    const PostgresServer &m_server;
    QProcess m_holder;
};
} // namespace

class TestQVerifyPostgres : public QObject {
    Q_OBJECT
    std::unique_ptr<PostgresServer> m_server;

private slots:
    void initTestCase()
    {
        m_server = std::make_unique<PostgresServer>();
        const QString reason = m_server->start();
        if (!reason.isEmpty())
            QSKIP(qPrintable("no PostgreSQL server: " + reason));
    }
    void cleanupTestCase() { m_server.reset(); }

    void samplePage_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("as shipped") << ""
                                    << ""
                                    << "postgres" << QStringList();
        QTest::newRow("missing column") << "o.total"
                                        << "o.totl"
                                        << "postgres" << QStringList{"preproc 2: column o.totl does not exist"};
        QTest::newRow("update of a missing column") << "SET note"
                                                    << "SET notes"
                                                    << "postgres"
                                                    << QStringList{"postproc 1: column \"notes\" of relation "
                                                                   "\"customers\" does not exist"};
        // Parsed only, never run: the second command is refused before anything runs.
        QTest::newRow("second command") << "DESC"
                                        << "DESC; DELETE FROM orders"
                                        << "postgres"
                                        << QStringList{
                                               "preproc 2: cannot insert multiple commands into a prepared statement"};
        QTest::newRow("no such database") << ""
                                          << ""
                                          << "nodb" << QStringList{"<connect>"};
    }
    void samplePage()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, database);
        QFETCH(QStringList, lines);
        ProberFixture f(kBinDir);
        SQLCheckState &state = sqlCheckState();
        state.SQLHost = m_server->socketFolder();
        state.SQLUser = "pellorin";
        state.SQLDatabase = database;
        TWQFFile doc;
        QVERIFY(loadSampleReplacing(doc, from, to));
        const QStringList got = f.fullCheck(&doc);
        if (lines == QStringList{"<connect>"}) {
            QCOMPARE(got.size(), 1);
            QVERIFY2(got[0].startsWith("qverify: cannot connect to PostgreSQL on " + m_server->socketFolder() + ": ") &&
                         got[0].contains("\"nodb\" does not exist"),
                     qPrintable(got[0]));
        } else {
            QCOMPARE(got, lines);
        }
        QCOMPARE(m_server->value("SELECT count(*) FROM orders"), QString("3"));
    }

    // The same statements as on SQLite; nothing of them runs.
    void verdicts_data() { addVerdictRows(); }
    void verdicts()
    {
        QFETCH(QString, sql);
        QFETCH(QString, postgres);
        const QString before = m_server->contents();
        ProberFixture f(kBinDir);
        useServer();
        const QStringList lines = verdictLines(f, sql);
        QCOMPARE(m_server->contents(), before);
        QCOMPARE(lines, expectedLines(postgres));
    }

    // Whatever a statement holds, it is judged and never run: a run of the first would commit
    // its writes, or switch the session's read-only mode off for the next command.
    void neverRuns_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("verdict");
        const QString several = "cannot insert multiple commands into a prepared statement";
        QTest::newRow("commit, then write")
            << "SELECT 1; COMMIT; BEGIN READ WRITE; UPDATE customers SET name = 'x'; COMMIT" << several;
        QTest::newRow("drop") << "SELECT 1; DROP TABLE t" << several;
        QTest::newRow("commit, then drop") << "SELECT 1; COMMIT; BEGIN READ WRITE; DROP TABLE t; COMMIT" << several;
        QTest::newRow("do block") << "DO $$ BEGIN UPDATE customers SET name = name || '+'; END $$"
                                  << "qverify checked only the syntax of this DO statement: PostgreSQL checks the rest "
                                     "only when the statement runs, and qverify runs none";
        QTest::newRow("commit, then a do block")
            << "SELECT 1; COMMIT; BEGIN READ WRITE; DO $$ BEGIN UPDATE customers SET name = name || '+'; END $$; COMMIT"
            << several;
        QTest::newRow("read-only switched off")
            << "SELECT set_config('default_transaction_read_only','off',false); UPDATE customers SET name = name || '+'"
            << several;
        QTest::newRow("read-only switched off, then commit")
            << "SELECT 1; SELECT set_config('default_transaction_read_only','off',false); COMMIT; UPDATE customers "
               "SET name = name || '+'"
            << several;
    }
    void neverRuns()
    {
        QFETCH(QString, sql);
        QFETCH(QString, verdict);
        m_server->value("CREATE TABLE IF NOT EXISTS t (x integer)");
        const QString before = m_server->contents();
        QVERIFY(before.endsWith("| customers,orders,t"));
        ProberFixture f(kBinDir);
        useServer();
        const QStringList lines = verdictLines(f, sql);
        QCOMPARE(m_server->contents(), before);
        QCOMPARE(lines, expectedLines(verdict));
    }

    // A table another session holds locked is not waited for until the prober is stopped:
    // the statement gets the database's own word on it.
    void lockedTable()
    {
        OrdersLock lock(*m_server);
        QVERIFY(lock.held());
        ProberFixture f(kBinDir);
        f.group()->timeoutSeconds = 60;
        useServer();
        QCOMPARE(verdictLines(f, "SELECT total FROM orders"), expectedLines("canceling statement due to lock timeout"));
    }

    // Waiting for the lock once per statement, a long job would outlast the prober's time-out
    // and show no verdict at all. The waits of a job share one budget: it ends in time with a
    // verdict for every statement, the database's own word while the budget lasts (each
    // statement waiting 3 s at most) and a line saying so for the statements left.
    void manyStatementsOnALockedTable()
    {
        OrdersLock lock(*m_server);
        QVERIFY(lock.held());
        // Smaller than the default, so that the test waits seconds rather than half a minute.
        qputenv("QVERIFY_WAIT_BUDGET_MS", "5000");
        const auto restore = qScopeGuard([] { qunsetenv("QVERIFY_WAIT_BUDGET_MS"); });
        ProberFixture f(kBinDir);
        useServer();
        const int count = 50;
        QVERIFY(count * 3 > f.group()->timeoutSeconds);
        QByteArray components;
        for (int i = 0; i < count; ++i)
            components += comp(QByteArray::number(i), "SELECTQUERY", {}, query("SELECT total FROM orders"));
        auto doc = page(components);
        QStringList expected;
        for (int i = 0; i < count; ++i)
            expected << QStringLiteral("preproc %1: ").arg(i) +
                            (i < 2 ? QStringLiteral("canceling statement due to lock timeout")
                                   : QStringLiteral("not judged: earlier statements used up the 5 seconds qverify "
                                                    "waits on the database, most likely for tables another session "
                                                    "holds locked"));
        QCOMPARE(f.fullCheck(doc.get()), expected);
    }

private:
    void useServer() const
    {
        SQLCheckState &state = sqlCheckState();
        state.SQLHost = m_server->socketFolder();
        state.SQLUser = "pellorin";
        state.SQLDatabase = "postgres";
    }
};

PELLORIN_TEST_CLASS(TestSQLProberRun)
PELLORIN_TEST_CLASS(TestQVerifySQLite)
PELLORIN_TEST_CLASS(TestQVerifyPostgres)

#include "test_sqlprober.moc"
