#include "base/inifile.h"
#include "common/testmain.h"
#include "common/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using pellorin_test::visible;

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray global("; settings\r\n[Global]\r\nbackup=0\r\nUnknown=x\r\n\r\n[MainFrm]\r\nLeft=1\r\n");
        QTest::newRow("other letter case replaces in place")
            << global << "GLOBAL"
            << "Backup"
            << "1" << QByteArray("; settings\r\n[Global]\r\nbackup=1\r\nUnknown=x\r\n\r\n[MainFrm]\r\nLeft=1\r\n");
        QTest::newRow("new key after the section's last key, CR LF kept")
            << global << "Global"
            << "DstArrow"
            << ""
            << QByteArray(
                   "; settings\r\n[Global]\r\nbackup=0\r\nUnknown=x\r\nDstArrow=\r\n\r\n[MainFrm]\r\nLeft=1\r\n");
        QTest::newRow("new section at the end") << global << "SQLCHECK"
                                                << "HOSTNAME"
                                                << "db"
                                                << QByteArray("; "
                                                              "settings\r\n[Global]\r\nbackup=0\r\nUnknown=x\r\n\r\n["
                                                              "MainFrm]\r\nLeft=1\r\n[SQLCHECK]\r\nHOSTNAME=db\r\n");
        QTest::newRow("backslashes") << QByteArray() << "S"
                                     << "Path"
                                     << "C:\\pages\\bak\\" << QByteArray("[S]\nPath=C:\\pages\\bak\\\n");
        QTest::newRow("commas, quotes, percent")
            << QByteArray("[S]\nCmd=old\n") << "S"
            << "Cmd"
            << "\"tidy.exe\" -q \"%filename%\", 50%" << QByteArray("[S]\nCmd=\"tidy.exe\" -q \"%filename%\", 50%\n");
        QTest::newRow("value becomes empty") << QByteArray("[S]\nName=x\n") << "S"
                                             << "Name"
                                             << "" << QByteArray("[S]\nName=\n");
        QTest::newRow("spacing before = stays") << QByteArray("[S]\n  Name =  old\n") << "s"
                                                << "name"
                                                << "new" << QByteArray("[S]\n  Name =new\n");
        QTest::newRow("first of duplicates is written") << QByteArray("[S]\na=1\na=2\n") << "S"
                                                        << "A"
                                                        << "3" << QByteArray("[S]\na=3\na=2\n");
        QTest::newRow("no final line break stays so") << QByteArray("[S]\na=1") << "S"
                                                      << "b"
                                                      << "2" << QByteArray("[S]\na=1\nb=2");
        QTest::newRow("bom and foreign bytes of other lines survive")
            << QByteArray("\xEF\xBB\xBF[S]\nx=caf\xE9\na=1\n") << "S"
            << "a" << QStringView(u"\u00E9t\u00E9").toString()
            << QByteArray("\xEF\xBB\xBF[S]\nx=caf\xE9\na=\xC3\xA9t\xC3\xA9\n");
        QTest::newRow("key of a second block of the section") << QByteArray("[S]\na=1\n[T]\n[s]\nb=2\n") << "S"
                                                              << "b"
                                                              << "3" << QByteArray("[S]\na=1\n[T]\n[s]\nb=3\n");
        QTest::newRow("commented key is not the key") << QByteArray("[S]\n;a=1\n") << "S"
                                                      << "a"
                                                      << "2" << QByteArray("[S]\na=2\n;a=1\n");
        QTest::newRow("empty section goes after its header") << QByteArray("[S]\n\n[T]\n") << "S"
                                                             << "a"
                                                             << "1" << QByteArray("[S]\na=1\n\n[T]\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        IniFile ini = IniFile::fromBytes(before);
        QVERIFY(ini.writeString(section, key, value));
        QFETCH(QByteArray, after);
        QCOMPARE(visible(ini.toBytes()), visible(after));
        // The written value reads back exactly.
        QCOMPARE(IniFile::fromBytes(ini.toBytes()).readString(section, key, "missing"), value);
    }

    void refusedWrites_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line feed in value") << "S"
                                            << "a"
                                            << "x\n[Evil]\nb=1";
        QTest::newRow("carriage return in value") << "S"
                                                  << "a"
                                                  << "x\r";
        QTest::newRow("= in key") << "S"
                                  << "a=b"
                                  << "1";
        QTest::newRow("padded key") << "S"
                                    << " a"
                                    << "1";
        QTest::newRow("comment key") << "S"
                                     << ";a"
                                     << "1";
        QTest::newRow("empty key") << "S"
                                   << ""
                                   << "1";
        QTest::newRow("empty section") << ""
                                       << "a"
                                       << "1";
        QTest::newRow("] in section") << "S]x"
                                      << "a"
                                      << "1";
    }
    void refusedWrites()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before("[S]\na=0\n");
        IniFile ini = IniFile::fromBytes(before);
        QVERIFY(!ini.writeString(section, key, value));
        QCOMPARE(ini.toBytes(), before);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("names without case") << QByteArray("[Main]\nNAME=tidy\n") << "MAIN"
                                            << "name"
                                            << "tidy";
        QTest::newRow("value as it stands") << QByteArray("[S]\nCmd = \"a b\" %x%\\y,z \r\n") << "S"
                                            << "cmd"
                                            << " \"a b\" %x%\\y,z ";
        QTest::newRow("empty value is not missing") << QByteArray("[S]\nName=\n") << "S"
                                                    << "Name"
                                                    << "";
        QTest::newRow("text after the first =") << QByteArray("[S]\na=b=c\n") << "S"
                                                << "a"
                                                << "b=c";
        QTest::newRow("first of duplicates") << QByteArray("[S]\na=1\nA=2\n") << "S"
                                             << "a"
                                             << "1";
        QTest::newRow("missing key") << QByteArray("[S]\nb=1\n") << "S"
                                     << "a"
                                     << "DEF";
        QTest::newRow("key of another section") << QByteArray("[T]\na=1\n[S]\n") << "S"
                                                << "a"
                                                << "DEF";
        QTest::newRow("key before any section") << QByteArray("a=1\n[S]\n") << "S"
                                                << "a"
                                                << "DEF";
        QTest::newRow("comment") << QByteArray("[S]\n  ;a=1\n") << "S"
                                 << "a"
                                 << "DEF";
        QTest::newRow("padded header") << QByteArray("  [ S ]  \na=1\n") << "s"
                                       << "a"
                                       << "1";
        QTest::newRow("header without bracket") << QByteArray("[S\na=1\n") << "S"
                                                << "a"
                                                << "1";
        QTest::newRow("duplicate section blocks") << QByteArray("[S]\na=1\n[T]\n[S]\nb=2\n") << "S"
                                                  << "b"
                                                  << "2";
        QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF[S]\na=1\n") << "S"
                             << "a"
                             << "1";
        QTest::newRow("lone CR line breaks") << QByteArray("[S]\ra=1\rb=2") << "S"
                                             << "b"
                                             << "2";
        QTest::newRow("utf-8") << QByteArray("[S]\na=\xC3\xA9\n") << "S"
                               << "a" << QStringView(u"\u00E9").toString();
    }
    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        const IniFile ini = IniFile::fromBytes(content);
        QTEST(ini.readString(section, key, "DEF"), "value");
        QCOMPARE(ini.toBytes(), content);
    }

    void typedReads_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("integer");
        QTest::addColumn<bool>("boolean");
        QTest::newRow("missing") << "" << -1 << true;
        QTest::newRow("empty") << "v=" << -1 << true;
        QTest::newRow("one") << "v=1" << 1 << true;
        QTest::newRow("zero") << "v=0" << 0 << false;
        QTest::newRow("starts with 1") << "v=10" << 10 << true;
        QTest::newRow("word true") << "v=true" << -1 << false;
        QTest::newRow("hex") << "v=$10" << 16 << false;
        QTest::newRow("trailing blank") << "v=5 " << -1 << false;
    }
    void typedReads()
    {
        QFETCH(QString, line);
        const IniFile ini = IniFile::fromText("[S]\n" + line + "\n");
        QTEST(ini.readInteger("S", "v", -1), "integer");
        QTEST(ini.readBool("S", "v", true), "boolean");
        QCOMPARE(ini.readBool("S", "v", false), line.size() > 2 && line.startsWith("v=1"));
    }

    void listing()
    {
        const IniFile ini =
            IniFile::fromText("x=0\n[Main]\nName=a\n; c=1\nname=b\nCmd=c\n[Field]\n[MAIN]\nMenu=m\nCMD=d\n");
        QCOMPARE(ini.sections(), QStringList({"Main", "Field"}));
        QCOMPARE(ini.keys("main"), QStringList({"Name", "Cmd", "Menu"}));
        QCOMPARE(ini.sectionValues("Main"), QList<IniFile::NameValue>({{"Name", "a"}, {"Cmd", "c"}, {"Menu", "m"}}));
        QVERIFY(ini.keys("Field").isEmpty());
        QVERIFY(ini.sectionExists("field"));
        QVERIFY(!ini.sectionExists("Other"));
        QVERIFY(ini.valueExists("MAIN", "menu"));
        QVERIFY(!ini.valueExists("Field", "Name"));
    }

    void erase()
    {
        IniFile ini = IniFile::fromText(";top\n[A]\na=1\n;about B\n[B]\nb=1\nb=2\nc=3\n[a]\nx=1\n[C]\nc=1\n");
        QVERIFY(ini.deleteKey("b", "B"));
        QCOMPARE(ini.text(), ";top\n[A]\na=1\n;about B\n[B]\nc=3\n[a]\nx=1\n[C]\nc=1\n");
        QVERIFY(!ini.deleteKey("B", "b"));
        QVERIFY(ini.eraseSection("A"));
        QCOMPARE(ini.text(), ";top\n[B]\nc=3\n[C]\nc=1\n");
        QVERIFY(!ini.eraseSection("A"));
    }

    void files()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("deep/er/settings.ini");
        IniFile ini(path);
        QVERIFY(ini.readOk());
        QVERIFY(ini.writeString("S", "a", "1"));
        QVERIFY(!QFile::exists(path)); // nothing written before it is asked for
        QVERIFY(ini.updateFile());
        QCOMPARE(pellorin_test::readBytes(path), QByteArray("[S]\na=1\n"));

        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        IniFile again(path);
        again.setAutoUpdate(true);
        QVERIFY(again.writeString("S", "b", "2"));
        QCOMPARE(pellorin_test::readBytes(path), QByteArray("[S]\na=1\nb=2\n"));
        QCOMPARE(QFile::permissions(path) &
                     (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther),
                 QFile::ReadOwner | QFile::WriteOwner);

        // A file that exists but cannot be read is never replaced by what little we know.
        IniFile unreadable(dir.path());
        QVERIFY(!unreadable.readOk());
        unreadable.setAutoUpdate(true);
        QVERIFY(!unreadable.writeString("S", "a", "1"));
        QVERIFY(QFileInfo(dir.path()).isDir());
    }
};

PELLORIN_TEST_CLASS(TestIniFile)
#include "test_inifile.moc"
