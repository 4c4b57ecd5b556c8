#include "base/exception.h"
#include "common/linkplanter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "model/filehelpers.h"
#include "platform/fileattr.h"
#include "platform/folderlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
struct TmpDirGuard {
    QByteArray old = qgetenv("TMPDIR");
    ~TmpDirGuard() { old.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", old); }
};
} // namespace

class TestFileHelpers : public QObject {
    Q_OBJECT
private slots:
    void listFolder()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("b.ini"), "x");
        writeBytes(dir.filePath("A.ini"), "");
        writeBytes(dir.filePath("c.txt"), "");
        QVERIFY(QDir(dir.path()).mkdir("sub"));

        QStringList list{"kept"};
        ListFolder(dir.path(), "*.ini", platform::faAnyFile, &list);
        QCOMPARE(list, QStringList({"kept", "A.ini", "b.ini"}));
        ListFolder(dir.path() + "/", "*.ini", platform::faAnyFile, &list); // appended again
        QCOMPARE(list, QStringList({"kept", "A.ini", "b.ini", "A.ini", "b.ini"}));

        list.clear();
        ListFolder(dir.path(), "*", platform::faAnyFile, &list);
        QCOMPARE(list, QStringList({"A.ini", "b.ini", "c.txt", "sub"}));

        list.clear();
        ListFolder(dir.filePath("missing"), "*", platform::faAnyFile, &list);
        QVERIFY(list.isEmpty());
        ListFolder(dir.path(), "*", platform::faAnyFile, nullptr);
    }

    void loadFile()
    {
        QTemporaryDir dir;
        const QByteArray bytes("line\r\nnext\n\xc3\xa9\0end", 16);
        writeBytes(dir.filePath("full"), bytes);
        QCOMPARE(LoadFileToString(dir.filePath("full")), bytes);
        writeBytes(dir.filePath("empty"), "");
        QCOMPARE(LoadFileToString(dir.filePath("empty")), QByteArray());
        QCOMPARE(LoadFileToString(dir.filePath("missing")), QByteArray());
        QCOMPARE(LoadFileToString(dir.path()), QByteArray());
        QCOMPARE(LoadFileToString(QString()), QByteArray());
    }

    void saveFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.txt");
        writeBytes(path, "old content that is longer");
        QVERIFY(SaveStringToFile("new\r\n", path));
        QCOMPARE(readBytes(path), QByteArray("new\r\n"));
        QVERIFY(SaveStringToFile(QByteArray(), path));
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
        QVERIFY(!SaveStringToFile("x", dir.filePath("no/such/folder/f")));
        QVERIFY(!SaveStringToFile("x", dir.path()));
    }

    void tempFiles()
    {
        const QString first = TempFileName();
        // The name is taken by an empty file of our own, closed to everyone else.
        QVERIFY(QFileInfo(first).isFile());
        QCOMPARE(QFileInfo(first).size(), 0);
        QCOMPARE(platform::fileMode(first).value_or(0), 0600u);
        QCOMPARE(QFileInfo(first).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        const QString second = TempFileName();
        QVERIFY(second != first);

        QString saved;
        const QByteArray bytes("a\r\nb\0c", 6);
        QVERIFY(SaveToTempFile(bytes, saved));
        QVERIFY(saved != first && saved != second);
        QCOMPARE(readBytes(saved), bytes);
        for (const QString &f : {first, second, saved})
            QVERIFY(QFile::remove(f));
    }

    // The copy is written through the handle that created it: a link planted at its name in a
    // folder others can write is never followed.
    void tempFileWrittenThroughItsHandle()
    {
        const TmpDirGuard guard;
        QTemporaryDir shared;
        QTemporaryDir home;
        const QString victim = home.filePath("victim.txt");
        writeBytes(victim, "the victim's own");
        qputenv("TMPDIR", shared.path().toLocal8Bit());
        QString saved;
        {
            const pellorin_test::LinkPlanter planter(shared.path(), victim);
            QVERIFY(SaveToTempFile("page bytes", saved));
            QCOMPARE(planter.planted(), 1);
        }
        QCOMPARE(readBytes(victim), QByteArray("the victim's own"));
        QVERIFY(QFile::remove(saved));
    }

    // A run's folder lies in the temporary folder, for its owner alone, and so do the files made
    // in it; it reads back only plain files of its own, never through a link and never waiting
    // on a pipe; it goes with everything in it.
    void runFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error"); // <path> stands for the file's path
        QTest::newRow("link") << "link"
                              << "\"<path>\" is a link";
        QTest::newRow("folder") << "sub"
                                << "\"<path>\" is not a plain file";
        QTest::newRow("pipe") << "pipe"
                              << "\"<path>\" is not a plain file";
        QTest::newRow("missing") << "missing"
                                 << "No such file or directory";
        QTest::newRow("elsewhere") << "../elsewhere"
                                   << "\"<path>\" is not a file of this run";
    }
    void runFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, error);
        const TmpDirGuard guard;
        QTemporaryDir shared;
        qputenv("TMPDIR", shared.path().toLocal8Bit());
        QString path;
        {
            const RunFolder folder;
            path = folder.path();
            QCOMPARE(QFileInfo(path).path(), shared.path());
            QCOMPARE(platform::fileMode(path).value_or(0), 0700u);
            QString saved;
            QVERIFY(folder.saveFile("a\r\nb", saved));
            QCOMPARE(QFileInfo(saved).path(), path);
            QCOMPARE(platform::fileMode(saved).value_or(0), 0600u);
            QCOMPARE(folder.loadFile(saved), QByteArray("a\r\nb"));

            QVERIFY(QFile::link(saved, path + "/link"));
            QVERIFY(QDir(path).mkdir("sub"));
            QCOMPARE(::mkfifo(QFile::encodeName(path + "/pipe").constData(), 0600), 0);
            writeBytes(shared.filePath("elsewhere"), "x");
            const QString other = QDir::cleanPath(path + "/" + name);
            QString why;
            QVERIFY(!folder.openFile(other, why));
            QCOMPARE(why, QString(error).replace("<path>", other));
            QCOMPARE(folder.loadFile(other), QByteArray());
        }
        QVERIFY(!QFileInfo::exists(path));
    }

    // Another user renames the run's folder away and puts a link to someone's folder under its
    // name: files are still made in the run's own folder, and its removal takes them and
    // nothing of that other folder.
    void runFolderSwapped()
    {
        const TmpDirGuard guard;
        QTemporaryDir shared;
        qputenv("TMPDIR", shared.path().toLocal8Bit());
        QVERIFY(QDir(shared.path()).mkdir("theirs"));
        writeBytes(shared.filePath("theirs/own"), "someone's own file");
        QString path;
        {
            const RunFolder folder;
            path = folder.path();
            QVERIFY(QFile::rename(path, shared.filePath("moved")));
            QVERIFY(QFile::link(shared.filePath("theirs"), path));
            QString saved;
            QVERIFY(folder.saveFile("statement", saved));
            QCOMPARE(QFileInfo(saved).path(), path);
            QCOMPARE(QDir(shared.filePath("moved")).entryList(QDir::Files).size(), 1);
            QCOMPARE(folder.loadFile(saved), QByteArray("statement"));
        }
        QCOMPARE(QDir(shared.filePath("theirs")).entryList(QDir::Files), QStringList{"own"});
        QCOMPARE(readBytes(shared.filePath("theirs/own")), QByteArray("someone's own file"));
        QCOMPARE(QDir(shared.filePath("moved")).entryList(QDir::Files), QStringList());
        QVERIFY(QFileInfo(path).isSymLink());
    }

    void tempFolder()
    {
        const TmpDirGuard guard;
        QTemporaryDir dir;
        const QString folder = dir.filePath("a/b");
        qputenv("TMPDIR", folder.toLocal8Bit());
        const QString name = TempFileName();
        QCOMPARE(QFileInfo(name).absolutePath(), folder);
        QVERIFY(QFileInfo(name).isFile());

        // A folder that cannot be made is an error, not a name in nowhere.
        writeBytes(dir.filePath("file"), "");
        qputenv("TMPDIR", dir.filePath("file/sub").toLocal8Bit());
        QVERIFY_THROWS_EXCEPTION(Exception, TempFileName());
        QString saved = "unchanged";
        QVERIFY_THROWS_EXCEPTION(Exception, SaveToTempFile("x", saved));
    }
};

PELLORIN_TEST_CLASS(TestFileHelpers)
#include "test_filehelpers.moc"
