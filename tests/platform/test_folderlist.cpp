#include "common/testmain.h"
#include "platform/folderlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace platform;

class TestFolderList : public QObject {
    Q_OBJECT
private slots:
    void masks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("matches");
        QTest::newRow("star ext") << "Alpha.INI"
                                  << "*.ini" << true;
        QTest::newRow("other ext") << "alpha.inf"
                                   << "*.ini" << false;
        QTest::newRow("longer ext") << "unit.pascls"
                                    << "*.pas" << false;
        QTest::newRow("single star") << "anything"
                                     << "*" << true;
        QTest::newRow("question") << "a1.txt"
                                  << "a?.txt" << true;
        QTest::newRow("question needs one") << "a.txt"
                                            << "a?.txt" << false;
        QTest::newRow("bracket literal") << "a[1].ini"
                                         << "a[1].ini" << true;
        QTest::newRow("bracket not a class") << "a1.ini"
                                             << "a[1].ini" << false;
        QTest::newRow("backtracking") << "abcabcabd"
                                      << "*abd" << true;
        QTest::newRow("two stars") << "x.tar.gz"
                                   << "*.*.gz" << true;
        QTest::newRow("unicode case") << QString::fromUtf8("\xc3\x89t\xc3\xa9.ini")
                                      << QString::fromUtf8("\xc3\xa9T\xc3\x89.INI") << true;
        QTest::newRow("empty mask") << "a"
                                    << "" << false;
    }
    void masks()
    {
        QFETCH(QString, name);
        QFETCH(QString, mask);
        QTEST(MatchesMask(name, mask), "matches");
    }

    void listingSortedAndByKind()
    {
        QTemporaryDir dir;
        for (const char *name : {"beta.ini", "Alpha.ini", "gamma.INI", ".hidden.ini", "notes.txt"}) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir("Delta.ini"));
        QCOMPARE(listFolderEntries(dir.path(), "*.ini", faAnyFile),
                 QStringList({".hidden.ini", "Alpha.ini", "beta.ini", "Delta.ini", "gamma.INI"}));
        QCOMPARE(listFolderEntries(dir.path(), "*.ini", 0), QStringList({"Alpha.ini", "beta.ini", "gamma.INI"}));
        QCOMPARE(listFolderEntries(dir.path() + "/missing", "*", faAnyFile), QStringList());
    }
};

PELLORIN_TEST_CLASS(TestFolderList)
#include "test_folderlist.moc"
