#include "base/atomicfile.h"
#include "base/inifile.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "common/tmpfsmount.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace pellorin_test;

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void replacesAndKeepsPermissions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.txt");
        QString error;
        QVERIFY(WriteFileAtomically(path, "one", &error));
        QCOMPARE(readBytes(path), QByteArray("one"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(WriteFileAtomically(path, QByteArray(), &error));
        QCOMPARE(readBytes(path), QByteArray());
        QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.txt"});
    }

    void missingFolderIsAFailure()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!WriteFileAtomically(dir.filePath("no/such/a.txt"), "x", &error));
        QVERIFY(!error.isEmpty());
    }

    // A full disk: the old bytes stay and the answer names the reason. The buffered write of
    // a small file fails only at its last flush, which the rename must not follow.
    void fullDisk_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("buffered") << 100;
        QTest::newRow("larger than the buffer") << 200000;
    }
    void fullDisk()
    {
        QFETCH(int, size);
        TmpfsMount disk(64);
        PELLORIN_REQUIRE_MOUNT(disk);
        const QString path = disk.path("page.wqf");
        QVERIFY(WriteFileAtomically(path, "old bytes"));
        QVERIFY(disk.fill());
        QString error;
        QVERIFY(!WriteFileAtomically(path, QByteArray(size, 'n'), &error));
        QCOMPARE(error, QString("No space left on device"));
        QCOMPARE(readBytes(path), QByteArray("old bytes"));
        QCOMPARE(disk.entries(), (QStringList{"filler", "page.wqf"}));
    }

    void iniFileOnAFullDisk()
    {
        TmpfsMount disk(64);
        PELLORIN_REQUIRE_MOUNT(disk);
        const QString path = disk.path("settings.ini");
        IniFile ini(path);
        QVERIFY(ini.writeString("S", "a", "1"));
        QVERIFY(ini.updateFile());
        QVERIFY(disk.fill());
        ini.setAutoUpdate(true);
        QVERIFY(!ini.writeString("S", "b", "2"));
        QCOMPARE(readBytes(path), QByteArray("[S]\na=1\n"));
        QCOMPARE(disk.entries(), (QStringList{"filler", "settings.ini"}));
    }
};

PELLORIN_TEST_CLASS(TestAtomicFile)
#include "test_atomicfile.moc"
