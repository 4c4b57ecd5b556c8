#include "base/atomicfile.h"
#include "base/inifile.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "common/tmpfsmount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

using namespace pellorin_test;

namespace {
unsigned modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 0777) : ~0u;
}
bool setMode(const QString &path, unsigned mode) { return ::chmod(QFile::encodeName(path).constData(), mode) == 0; }
} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void replacesAndKeepsPermissions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.txt");
        QString error;
        QVERIFY(writeFileAtomically(path, "one", &error));
        QCOMPARE(readBytes(path), QByteArray("one"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(writeFileAtomically(path, QByteArray(), &error));
        QCOMPARE(readBytes(path), QByteArray());
        QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.txt"});
    }

    // A name the program made up: whatever has it already stays as it was, and nothing is
    // written through a link, not even one that leads nowhere yet.
    void newFileNeverFollowsAName_data()
    {
        QTest::addColumn<QString>("there"); // what has the name beforehand
        QTest::newRow("nothing") << "";
        QTest::newRow("dangling link") << "dangling";
        QTest::newRow("link to a file") << "link";
        QTest::newRow("file") << "file";
        QTest::newRow("folder") << "folder";
    }
    void newFileNeverFollowsAName()
    {
        QFETCH(QString, there);
        QTemporaryDir dir;
        const QString name = dir.filePath("made.png");
        const QString target = dir.filePath("target");
        if (there == "dangling" || there == "link")
            QVERIFY(QFile::link(target, name));
        if (there == "link" || there == "file")
            writeBytes(there == "link" ? target : name, "precious");
        if (there == "folder")
            QVERIFY(QDir().mkdir(name));

        QString error;
        const bool written = writeNewFile(name, "picture", &error, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(written, there.isEmpty());
        if (written) {
            QCOMPARE(readBytes(name), QByteArray("picture"));
            QCOMPARE(modeOf(name), 0600u);
            return;
        }
        QCOMPARE(error, QString("A file or link of that name exists already"));
        QCOMPARE(QFileInfo(name).isSymLink(), there == "dangling" || there == "link");
        QCOMPARE(QFileInfo::exists(target), there == "link");
        if (there == "link" || there == "file")
            QCOMPARE(readBytes(name), QByteArray("precious"));
    }

    // A file that holds secrets is the owner's alone from its first write; a rewrite never
    // widens it and takes from group and others what an older write left them.
    void ownerOnly_data()
    {
        QTest::addColumn<int>("before"); // mode of the existing file; -1 for none
        QTest::addColumn<int>("after");
        QTest::newRow("new") << -1 << 0600;
        QTest::newRow("owner only") << 0600 << 0600;
        QTest::newRow("read-only") << 0400 << 0400;
        QTest::newRow("readable by all") << 0644 << 0600;
        QTest::newRow("group") << 0660 << 0600;
    }
    void ownerOnly()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        if (before >= 0) {
            writeBytes(path, "old");
            QVERIFY(setMode(path, unsigned(before)));
        }
        QVERIFY(writeFileAtomically(path, "PASSWORD=x\n", nullptr, FileAccess::OwnerOnly));
        QCOMPARE(readBytes(path), QByteArray("PASSWORD=x\n"));
        QCOMPARE(modeOf(path), unsigned(after));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.ini"});
    }

    // The name itself gets the bytes: a link there is replaced, never followed, and a file
    // there passes on its mode.
    void replaceNameNeverFollows_data()
    {
        QTest::addColumn<QString>("there"); // what has the name beforehand
        QTest::addColumn<int>("mode"); // of the file written; -1: a new file's
        QTest::newRow("nothing") << "" << -1;
        QTest::newRow("link to a file") << "link" << -1;
        QTest::newRow("dangling link") << "dangling" << -1;
        QTest::newRow("file") << "file" << 0600;
    }
    void replaceNameNeverFollows()
    {
        QFETCH(QString, there);
        QFETCH(int, mode);
        QTemporaryDir dir;
        const QString name = dir.filePath("page.wqf");
        const QString target = dir.filePath("target");
        if (there == "link" || there == "dangling")
            QVERIFY(QFile::link(target, name));
        if (there == "link")
            writeBytes(target, "precious");
        if (there == "file") {
            writeBytes(name, "old");
            QVERIFY(setMode(name, unsigned(mode)));
        }
        QString error;
        QVERIFY2(replaceNameAtomically(name, "page", &error), qPrintable(error));
        QVERIFY(!QFileInfo(name).isSymLink());
        QCOMPARE(readBytes(name), QByteArray("page"));
        QCOMPARE(QFileInfo::exists(target), there == "link");
        if (there == "link")
            QCOMPARE(readBytes(target), QByteArray("precious"));
        if (mode >= 0)
            QCOMPARE(modeOf(name), unsigned(mode));
        QStringList left{"page.wqf"};
        if (there == "link")
            left << "target";
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), left);
    }

    // A sync that fails (a disk or a file server that reports its error late) fails the write:
    // the old bytes stay, nothing is left beside them, and the answer names the reason.
    void failedSync_data()
    {
        QTest::addColumn<QString>("write");
        QTest::newRow("replace") << "replace";
        QTest::newRow("replace the name") << "name";
        QTest::newRow("new file") << "new";
    }
    void failedSync()
    {
        QFETCH(QString, write);
        QTemporaryDir dir;
        const QString path = dir.filePath("page.wqf");
        if (write != "new")
            writeBytes(path, "old bytes");
        const SyncFileFunction sync = setSyncFileFunction([](int) {
            errno = EIO;
            return -1;
        });
        const auto restore = qScopeGuard([sync] { setSyncFileFunction(sync); });
        QString error;
        const bool written = write == "replace" ? writeFileAtomically(path, "new bytes", &error)
                             : write == "name"  ? replaceNameAtomically(path, "new bytes", &error)
                                                : writeNewFile(path, "new bytes", &error);
        QVERIFY(!written);
        QCOMPARE(error, QString("Input/output error"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 write == "new" ? QStringList() : QStringList{"page.wqf"});
        if (write != "new")
            QCOMPARE(readBytes(path), QByteArray("old bytes"));
    }

    // The folder is held, not its path: after it was renamed and another put in its place, a
    // write still lands in the held one. The new file has its bytes and its mode before the
    // last check, which can stop the rename with nothing left behind.
    void writesIntoTheHeldFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("pages"));
        writeBytes(dir.filePath("pages/a.wqf"), "old");
        const HeldFolder folder = HeldFolder::open(dir.filePath("pages"));
        QVERIFY(folder.isHeld());
        QCOMPARE(std::rename(qPrintable(dir.filePath("pages")), qPrintable(dir.filePath("pages.old"))), 0);
        QVERIFY(QDir(dir.path()).mkpath("pages"));
        QVERIFY(!folder.isWherePathLeads(dir.filePath("pages")));
        QVERIFY(folder.isWherePathLeads(dir.filePath("pages.old")));

        QStringList seen;
        ReplaceOptions options;
        options.mode = 0640;
        options.beforeRename = [&] {
            for (const QFileInfo &file : QDir(dir.filePath("pages.old")).entryInfoList(QDir::Files, QDir::Name))
                seen << QString("%1 %2 %3")
                            .arg(file.fileName().endsWith(".new") ? "new" : file.fileName(),
                                 QString::number(modeOf(file.filePath()), 8), QString(readBytes(file.filePath())));
            return true;
        };
        QString error;
        std::optional<NameStatus> written;
        QCOMPARE(replaceInFolder(folder, "a.wqf", "new", options, &error, &written), WriteResult::Written);
        QCOMPARE(seen, (QStringList{"a.wqf 644 old", "new 640 new"}));
        QCOMPARE(readBytes(dir.filePath("pages.old/a.wqf")), QByteArray("new"));
        QCOMPARE(modeOf(dir.filePath("pages.old/a.wqf")), 0640u);
        QVERIFY(written && folder.status("a.wqf")->holds(*written));
        QCOMPARE(QDir(dir.filePath("pages")).entryList(QDir::Files | QDir::Hidden), QStringList());

        options.beforeRename = [] { return false; };
        QCOMPARE(replaceInFolder(folder, "a.wqf", "newer", options, &error), WriteResult::Cancelled);
        QCOMPARE(readBytes(dir.filePath("pages.old/a.wqf")), QByteArray("new"));
        QCOMPARE(QDir(dir.filePath("pages.old")).entryList(QDir::Files | QDir::Hidden), QStringList{"a.wqf"});
    }

    // A held folder reads only a plain file at a name, never through a link, never waiting on
    // a pipe someone put there, and with a file given only while the name holds that file.
    void heldFolderReadsPlainFilesOnly()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("plain"), "bytes");
        QVERIFY(QFile::link(dir.filePath("plain"), dir.filePath("link")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const HeldFolder folder = HeldFolder::open(dir.path());
        unsigned mode = 0;
        QCOMPARE(folder.read("plain", std::nullopt, &mode), std::optional<QByteArray>("bytes"));
        QCOMPARE(mode, modeOf(dir.filePath("plain")));
        for (const char *name : {"link", "pipe", "folder", "missing"})
            QVERIFY2(!folder.read(name), name);
        const std::optional<NameStatus> plain = folder.status("plain");
        QVERIFY(plain && plain->isFile && !plain->isLink);
        QVERIFY(folder.status("link")->isLink);
        QVERIFY(folder.read("plain", plain->identity));
        writeBytes(dir.filePath("other"), "other");
        QVERIFY(!folder.read("plain", folder.status("other")->identity));
    }

    // Each write syncs its new bytes once, then the folder that names them; a folder whose
    // sync fails leaves the bytes in place but is no success.
    void syncsOnceThenTheFolder_data()
    {
        QTest::addColumn<QString>("write");
        QTest::newRow("replace") << "replace";
        QTest::newRow("replace the name") << "name";
        QTest::newRow("new file") << "new";
    }
    void syncsOnceThenTheFolder()
    {
        QFETCH(QString, write);
        static QStringList syncs;
        static bool folderFails;
        syncs.clear();
        folderFails = false;
        const SyncFileFunction file = setSyncFileFunction([](int) {
            syncs << "file";
            return 0;
        });
        const SyncFileFunction folder = setSyncFolderFunction([](int) {
            syncs << "folder";
            if (!folderFails)
                return 0;
            errno = EIO;
            return -1;
        });
        const auto restore = qScopeGuard([file, folder] {
            setSyncFileFunction(file);
            setSyncFolderFunction(folder);
        });
        QTemporaryDir dir;
        const QString path = dir.filePath("page.wqf");
        const auto written = [&](const QByteArray &bytes, QString *error) {
            if (write == "new")
                QFile::remove(path);
            return write == "replace" ? writeFileAtomically(path, bytes, error)
                   : write == "name"  ? replaceNameAtomically(path, bytes, error)
                                      : writeNewFile(path, bytes, error);
        };
        QString error;
        QVERIFY2(written("one", &error), qPrintable(error));
        QCOMPARE(syncs, (QStringList{"file", "folder"}));
        QCOMPARE(readBytes(path), QByteArray("one"));

        folderFails = true;
        QVERIFY(!written("two", &error));
        QCOMPARE(error, QString("Input/output error"));
        // Renamed already, so there: but never reported as written.
        if (write != "new")
            QCOMPARE(readBytes(path), QByteArray("two"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 write == "new" ? QStringList() : QStringList{"page.wqf"});
    }

    void missingFolderIsAFailure()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!writeFileAtomically(dir.filePath("no/such/a.txt"), "x", &error));
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
        QVERIFY(writeFileAtomically(path, "old bytes"));
        QVERIFY(disk.fill());
        QString error;
        QVERIFY(!writeFileAtomically(path, QByteArray(size, 'n'), &error));
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
