#include "common/testmain.h"
#include "common/testutil.h"
#include "platform/childprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace platform;
using pellorin_test::processAlive;
using pellorin_test::readBytes;
using pellorin_test::writeScript;

class TestChildProcess : public QObject {
    Q_OBJECT
private slots:
    void mergesOutputInOrder()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("talk.sh");
        writeScript(script, "echo one\necho two >&2\necho three\n");
        const ChildRun run = runChildProcess(script, {}, 10000);
        QVERIFY(run.started);
        QVERIFY(!run.timedOut);
        QCOMPARE(run.output, QByteArray("one\ntwo\nthree\n"));
    }

    // No shell reads the arguments: blanks, quotes and shell signs arrive as they were given.
    void argumentsArriveUnchanged()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("with blank/args.sh");
        QVERIFY(QDir().mkpath(dir.filePath("with blank")));
        writeScript(script, "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n");
        const ChildRun run = runChildProcess(script, {"a b", "\"q\"", "$HOME;*", ""}, 10000);
        QVERIFY2(run.started, qPrintable(run.error));
        QCOMPARE(run.output, QByteArray("[a b]\n[\"q\"]\n[$HOME;*]\n[]\n"));
    }

    void standardInputIsEmpty()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("cat.sh");
        writeScript(script, "cat; echo end\n");
        const ChildRun run = runChildProcess(script, {}, 10000);
        QCOMPARE(run.output, QByteArray("end\n"));
        QVERIFY(!run.timedOut);
    }

    // More than a pipe holds: the output is read while the program writes it.
    void longOutput()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("long.sh");
        writeScript(script, "i=0\nwhile [ $i -lt 4000 ]; do echo 0123456789012345678901234567890123456789; "
                            "i=$((i+1)); done\n");
        const ChildRun run = runChildProcess(script, {}, 30000);
        QVERIFY(!run.timedOut);
        QCOMPARE(run.output.size(), 4000 * 41);
    }

    void missingProgram_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "absent.sh";
        QTest::newRow("not executable") << "plain.txt";
    }
    void missingProgram()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        pellorin_test::writeBytes(dir.filePath("plain.txt"), "echo no\n");
        const ChildRun run = runChildProcess(dir.filePath(name), {}, 10000);
        QVERIFY(!run.started);
        QVERIFY(!run.timedOut);
        QVERIFY(!run.error.isEmpty());
        QVERIFY(run.output.isEmpty());
    }

    // The script's child holds the output open and would outlive the script: the time-out
    // ends both, soon after it passes, and keeps what was printed before.
    void timeOutEndsTheWholeGroup()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("hang.sh");
        const QString pidFile = dir.filePath("child.pid");
        writeScript(script, "echo before\nsleep 30 &\necho $! > \"$1\"\nwait\necho after\n");
        QElapsedTimer clock;
        clock.start();
        const ChildRun run = runChildProcess(script, {pidFile}, 500);
        const qint64 took = clock.elapsed();
        QVERIFY(run.started);
        QVERIFY(run.timedOut);
        QVERIFY2(took < 1500, qPrintable(QString::number(took)));
        QCOMPARE(run.output, QByteArray("before\n"));
        const qint64 child = readBytes(pidFile).trimmed().toLongLong();
        QVERIFY(child > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(child), 2000);
    }

    // Past the limit nothing more is kept: the output ends after the last whole line a line
    // limit lets in (CR LF, CR and LF each end one) or at the byte limit. Output that ends
    // right at the limit is whole.
    void outputLimit_data()
    {
        QTest::addColumn<QByteArray>("print"); // the script's command
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<qint64>("lines");
        QTest::addColumn<QByteArray>("kept");
        QTest::addColumn<bool>("cut");
        QTest::newRow("lines of an endless program")
            << QByteArray("yes") << qint64(1000) << qint64(3) << QByteArray("y\ny\ny\n") << true;
        QTest::newRow("line breaks of every kind") << QByteArray("printf 'a\\r\\nb\\rc\\nd'") << qint64(1000)
                                                   << qint64(3) << QByteArray("a\r\nb\rc\n") << true;
        QTest::newRow("bytes of an endless line") << QByteArray("tr -d '\\n' < /dev/zero | tr '\\0' x") << qint64(10)
                                                  << qint64(3) << QByteArray("xxxxxxxxxx") << true;
        QTest::newRow("ends at the limit")
            << QByteArray("printf 'a\\nb\\r\\n'") << qint64(5) << qint64(2) << QByteArray("a\nb\r\n") << false;
    }
    void outputLimit()
    {
        QFETCH(QByteArray, print);
        QFETCH(qint64, bytes);
        QFETCH(qint64, lines);
        QTemporaryDir dir;
        const QString script = dir.filePath("print.sh");
        writeScript(script, print + "\n");
        const ChildRun run = runChildProcess(script, {}, 600000, ChildOutputLimit{bytes, lines});
        QVERIFY(run.started);
        QVERIFY(!run.timedOut);
        QTEST(run.output, "kept");
        QTEST(run.cut, "cut");
    }

    // A cut stops the program at once, with the child that would outlive it.
    void cutEndsTheWholeGroup()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("endless.sh");
        const QString pidFile = dir.filePath("child.pid");
        writeScript(script, "sleep 600 > /dev/null &\necho $! > \"$1\"\nyes\n");
        const ChildRun run = runChildProcess(script, {pidFile}, 600000, ChildOutputLimit{1 << 20, 100000});
        QVERIFY(run.cut);
        QVERIFY(!run.timedOut);
        QCOMPARE(run.output, QByteArray("y\n").repeated(100000));
        const qint64 child = readBytes(pidFile).trimmed().toLongLong();
        QVERIFY(child > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(child), 2000);
    }

    // What a program leaves running goes with it once it has ended, whether or not the
    // leftover still holds the output open.
    void endEndsTheWholeGroup_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("holding the output") << QByteArray("sleep 45 &");
        QTest::newRow("output elsewhere") << QByteArray("sleep 45 > /dev/null 2>&1 &");
    }
    void endEndsTheWholeGroup()
    {
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        const QString script = dir.filePath("leaves.sh");
        const QString pidFile = dir.filePath("child.pid");
        writeScript(script, start + "\necho $! > \"$1\"\necho line\n");
        const ChildRun run = runChildProcess(script, {pidFile}, 60000);
        QVERIFY(run.started);
        QVERIFY(!run.timedOut);
        QVERIFY(!run.crashed);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QByteArray("line\n"));
        const qint64 child = readBytes(pidFile).trimmed().toLongLong();
        QVERIFY(child > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(child), 2000);
    }

    // A program that ends before the time-out is not stopped.
    void endsInTime()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("quick.sh");
        writeScript(script, "sleep 0.2\necho done\nexit 3\n");
        const ChildRun run = runChildProcess(script, {}, 5000);
        QVERIFY(!run.timedOut);
        QCOMPARE(run.output, QByteArray("done\n"));
    }
};

PELLORIN_TEST_CLASS(TestChildProcess)
#include "test_childprocess.moc"
