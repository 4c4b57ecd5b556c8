#include "base/inifile.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "shell/appini.h"
#include "shell/globaloptions.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using pellorin_test::readBytes;
using pellorin_test::writeBytes;

Q_DECLARE_METATYPE(Rect)

char *toString(const Rect &r)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3, %4)").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom));
}

class TestSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_config;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_config = m_dir->filePath("cfg/pellorin/");
    }
    void cleanup()
    {
        DoneGlobalOptions();
        DoneAppIni();
    }

    void fileAndFolder()
    {
        InitAppIni(m_config, "pellorin.exe");
        QCOMPARE(ConfigDir(), m_config);
        QCOMPARE(GetIniFileName(), m_config + "pellorin.ini");
        QVERIFY(QFileInfo(m_config).isDir()); // created when missing
        QVERIFY(!QFile::exists(GetIniFileName()));
        WriteBounds("MainFrm", Rect::FromSize(1, 2, 3, 4));
        QCOMPARE(readBytes(GetIniFileName()), QByteArray("[MainFrm]\nLeft=1\nTop=2\nWidth=3\nHeight=4\n"));
        DoneAppIni();
        QCOMPARE(SettingsIni(), nullptr);
        QCOMPARE(ReadBounds("MainFrm"), Rect()); // closed: defaults, no error

        // By default: the per-user configuration folder and the program's own name.
        InitAppIni();
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QCOMPARE(ConfigDir(), base + "/test_shell/");
        QCOMPARE(GetIniFileName(), base + "/test_shell/test_shell.ini");
    }

    void unwritableFolder()
    {
        // The folder cannot be made (a file is in the way): writes fail silently.
        writeBytes(m_dir->filePath("blocked"), "x");
        InitAppIni(m_dir->filePath("blocked/sub"), "pellorin");
        InitGlobalOptions();
        OptionStore().SetBool(opt::Backup, false);
        WriteBounds("MainFrm", Rect::FromSize(1, 2, 3, 4));
        DoneGlobalOptions();
        QCOMPARE(readBytes(m_dir->filePath("blocked")), QByteArray("x"));
    }

    void clamp_data()
    {
        QTest::addColumn<Rect>("stored");
        QTest::addColumn<Rect>("restored");
        // The screen is 1024 x 768.
        QTest::newRow("inside") << Rect::FromSize(10, 20, 300, 200) << Rect::FromSize(10, 20, 300, 200);
        QTest::newRow("beyond the right edge")
            << Rect::FromSize(1024, 20, 300, 200) << Rect::FromSize(924, 20, 300, 200);
        QTest::newRow("beyond the bottom") << Rect::FromSize(10, 5000, 300, 200) << Rect::FromSize(10, 668, 300, 200);
        QTest::newRow("just inside") << Rect::FromSize(1023, 767, 300, 200) << Rect::FromSize(1023, 767, 300, 200);
        QTest::newRow("negative kept") << Rect::FromSize(-1500, -40, 300, 200) << Rect::FromSize(-1500, -40, 300, 200);
        QTest::newRow("tiny") << Rect::FromSize(10, 20, 5, 19) << Rect::FromSize(10, 20, 20, 20);
        QTest::newRow("negative size") << Rect::FromSize(10, 20, -50, 0) << Rect::FromSize(10, 20, 20, 20);
        QTest::newRow("nothing stored") << Rect() << Rect::FromSize(0, 0, 20, 20);
    }
    void clamp()
    {
        QFETCH(Rect, stored);
        QTEST(ClampFormBounds(stored, QSize(1024, 768)), "restored");
    }

    void formBounds()
    {
        InitAppIni(m_config, "pellorin");
        QWidget form;
        form.setObjectName("MainFrm");
        form.setGeometry(50, 60, 664, 541);
        RestoreFormBounds(&form); // no section yet: the design bounds stay
        QCOMPARE(form.geometry(), QRect(50, 60, 664, 541));

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.setGeometry(70, 80, 400, 300);
        form.showMaximized();
        QTRY_VERIFY(form.windowState() & Qt::WindowMaximized);
        QTRY_VERIFY(form.geometry().width() > 400);
        SaveFormBounds(&form);
        QCOMPARE(ReadBounds("MainFrm"), Rect::FromSize(70, 80, 400, 300)); // the normal bounds

        QWidget other;
        other.setObjectName("MainFrm");
        RestoreFormBounds(&other);
        QCOMPARE(other.geometry(), QRect(70, 80, 400, 300));

        // Off the screen and tiny: brought back by the rules.
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        SettingsIni()->writeInteger("MainFrm", "Left", screen.width() + 10);
        SettingsIni()->writeInteger("MainFrm", "Width", 5);
        RestoreFormBounds(&other);
        QCOMPARE(other.geometry().x(), screen.width() - 100);
        QCOMPARE(other.geometry().width(), 20);

        SaveFormBounds(nullptr);
        RestoreFormBounds(nullptr);
    }

    void optionsRoundTrip()
    {
        QDir().mkpath(m_config);
        const QByteArray before(
            "; written by hand\r\n[Global]\r\nbackup=0\r\nFuture.Key=a,b\\c \"%x%\"\r\nvertsplit=wide\r\n"
            "LastTab=XML Respond\r\nLastTab=HTML\r\n\r\n[MainFrm]\r\nLeft=5\r\n");
        writeBytes(m_config + "pellorin.ini", before);
        InitAppIni(m_config, "pellorin");
        InitGlobalOptions();
        TGlobalOptions &o = OptionStore();
        QVERIFY(o.Values().isEmpty()); // read only when the main window asks
        o.Load();
        QVERIFY(!o.GetBoolDef(opt::Backup, opt::DefaultBackup));
        QCOMPARE(o.GetIntDef(opt::VertSplit, opt::DefaultVertSplit), 820);
        QCOMPARE(o.GetString(opt::LastTab), QStringLiteral("XML Respond"));
        QCOMPARE(o.GetString("FUTURE.KEY"), QStringLiteral("a,b\\c \"%x%\""));
        QVERIFY(o.GetBoolDef(opt::XMLForceHeader, opt::DefaultXMLForceHeader));
        QVERIFY(!o.GetDbgClip());

        o.SetBool("Backup", true);
        o.SetString(opt::DstArrow, "");
        o.SetDbgClip(true);
        o.SetString("TSQLParamCheck.priority", "3");
        QCOMPARE(readBytes(GetIniFileName()), before); // memory only until shut-down
        DoneGlobalOptions();
        QCOMPARE(pellorin_test::visible(readBytes(GetIniFileName())),
                 pellorin_test::visible(
                     "; written by hand\r\n[Global]\r\nbackup=1\r\nFuture.Key=a,b\\c \"%x%\"\r\nvertsplit=wide\r\n"
                     "LastTab=XML Respond\r\nLastTab=HTML\r\nDstArrow=\r\nDbgClip=1\r\nTSQLParamCheck.priority=3\r\n"
                     "\r\n[MainFrm]\r\nLeft=5\r\n"));
    }

    void booleans_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("value");
        QTest::addColumn<bool>("withDefaultTrue");
        QTest::newRow("one") << "Backup=1" << true << true;
        QTest::newRow("zero") << "Backup=0" << false << false;
        QTest::newRow("word") << "Backup=true" << false << false;
        QTest::newRow("starts with one") << "Backup=10" << false << false;
        QTest::newRow("empty") << "Backup=" << false << false;
        QTest::newRow("missing") << "Other=1" << false << true;
    }
    void booleans()
    {
        QFETCH(QString, line);
        IniFile ini = IniFile::fromText("[Global]\n" + line + "\n");
        TGlobalOptions o(&ini);
        o.Load();
        QTEST(o.GetBool("backup"), "value");
        QTEST(o.GetBoolDef("BACKUP", true), "withDefaultTrue");
    }

    void sqlCheck()
    {
        InitAppIni(m_config, "pellorin");
        QCOMPARE(ReadSqlCheck().Host, QString());
        WriteSqlCheck({"db.local", "sa", "p;a=ss%", "orders"});
        const SqlCheckValues v = ReadSqlCheck();
        QCOMPARE(v.Host, QStringLiteral("db.local"));
        QCOMPARE(v.User, QStringLiteral("sa"));
        QCOMPARE(v.Password, QStringLiteral("p;a=ss%"));
        QCOMPARE(v.Database, QStringLiteral("orders"));
        QVERIFY(readBytes(GetIniFileName())
                    .contains("[SQLCHECK]\nHOSTNAME=db.local\nUSERNAME=sa\nPASSWORD=p;a=ss%\nDATABASE=orders\n"));
    }
};

PELLORIN_TEST_CLASS(TestSettings)
#include "test_settings.moc"
