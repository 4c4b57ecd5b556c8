#include "base/exception.h"
#include "common/testmain.h"
#include "platform/filestamp.h"
#include "platform/launcher.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void hasDrive_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("drive");
        QTest::newRow("drive letter") << "D:\\backups" << true;
        QTest::newRow("drive letter alone") << "c:" << true;
        QTest::newRow("share") << "\\\\server\\share" << true;
        QTest::newRow("share with slashes") << "//server/share/x" << true;
        QTest::newRow("absolute POSIX path") << "/var/backups" << true;
        QTest::newRow("relative") << "bak" << false;
        QTest::newRow("dot relative") << ".\\old" << false;
        QTest::newRow("digit and colon") << "1:x" << false;
        QTest::newRow("empty") << "" << false;
    }
    void hasDrive()
    {
        QFETCH(QString, path);
        QTEST(platform::HasDrive(path), "drive");
    }

    void withTrailingSlash_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("joined");
        QTest::newRow("without") << "/opt/pellorin"
                                 << "/opt/pellorin/";
        QTest::newRow("with") << "/opt/pellorin/"
                              << "/opt/pellorin/";
        QTest::newRow("relative") << "plugins"
                                  << "plugins/";
    }
    void withTrailingSlash()
    {
        QFETCH(QString, folder);
        QTEST(platform::withTrailingSlash(folder), "joined");
    }

    void packedFileTime()
    {
        // 2021-02-19 14:05:09: seconds go in two-second steps.
        const int32_t stamp = platform::packFileTime(QDateTime(QDate(2021, 2, 19), QTime(14, 5, 9)));
        QCOMPARE(uint32_t(stamp), (41u << 25) | (2u << 21) | (19u << 16) | (14u << 11) | (5u << 5) | 4u);
        QCOMPARE(platform::packFileTime(QDateTime(QDate(2021, 2, 19), QTime(14, 5, 8))), stamp);
        // From 2044 on the number is negative, as the platform's signed stamp is.
        QVERIFY(platform::packFileTime(QDateTime(QDate(2050, 1, 1), QTime(0, 0))) < 0);
    }

    void fileStamp()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("a.wqf");
        int32_t stamp = 7;
        QVERIFY(!platform::GetFileStamp(file, stamp));
        QVERIFY(!platform::GetFileStamp(dir.path(), stamp));
        QVERIFY(!platform::GetFileStamp(QString(), stamp));
        QCOMPARE(stamp, 7);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QDateTime when(QDate(2020, 5, 6), QTime(7, 8, 10));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(platform::GetFileStamp(file, stamp));
        QCOMPARE(stamp, platform::packFileTime(when));
    }

    void launcherReportsFailure()
    {
        QTemporaryDir dir;
        bool raised = false;
        try {
            platform::instanceLauncher().start(dir.filePath("no such program"), {dir.filePath("page with blanks.wqf")});
        } catch (const Exception &e) {
            raised = true;
            QVERIFY2(e.message().contains("no such program"), qPrintable(e.message()));
        }
        QVERIFY(raised);
    }
};

PELLORIN_TEST_CLASS(TestPaths)
#include "test_paths.moc"
