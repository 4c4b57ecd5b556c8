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
        doneGlobalOptions();
        doneAppIni();
    }

    void fileAndFolder()
    {
        initAppIni(m_config, "pellorin.exe");
        QCOMPARE(ConfigDir(), m_config);
        QCOMPARE(GetIniFileName(), m_config + "pellorin.ini");
        QVERIFY(QFileInfo(m_config).isDir()); // created when missing
        QVERIFY(!QFile::exists(GetIniFileName()));
        WriteBounds("MainFrm", Rect::fromSize(1, 2, 3, 4));
        QCOMPARE(readBytes(GetIniFileName()), QByteArray("[MainFrm]\nLeft=1\nTop=2\nWidth=3\nHeight=4\n"));
        doneAppIni();
        QCOMPARE(SettingsIni(), nullptr);
        QCOMPARE(ReadBounds("MainFrm"), Rect()); // closed: defaults, no error

        // By default: the per-user configuration folder and the program's own name.
        initAppIni();
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QCOMPARE(ConfigDir(), base + "/test_shell/");
        QCOMPARE(GetIniFileName(), base + "/test_shell/test_shell.ini");
    }

    void unwritableFolder()
    {
        // The folder cannot be made (a file is in the way): writes fail silently.
        writeBytes(m_dir->filePath("blocked"), "x");
        initAppIni(m_dir->filePath("blocked/sub"), "pellorin");
        initGlobalOptions();
        OptionStore().SetBool(opt::Backup, false);
        WriteBounds("MainFrm", Rect::fromSize(1, 2, 3, 4));
        doneGlobalOptions();
        QCOMPARE(readBytes(m_dir->filePath("blocked")), QByteArray("x"));
    }

    void clamp_data()
    {
        QTest::addColumn<Rect>("stored");
        QTest::addColumn<Rect>("restored");
        // The screen is 1024 x 768.
        QTest::newRow("inside") << Rect::fromSize(10, 20, 300, 200) << Rect::fromSize(10, 20, 300, 200);
        QTest::newRow("beyond the right edge")
            << Rect::fromSize(1024, 20, 300, 200) << Rect::fromSize(924, 20, 300, 200);
        QTest::newRow("beyond the bottom") << Rect::fromSize(10, 5000, 300, 200) << Rect::fromSize(10, 668, 300, 200);
        QTest::newRow("just inside") << Rect::fromSize(1023, 767, 300, 200) << Rect::fromSize(1023, 767, 300, 200);
        QTest::newRow("negative kept") << Rect::fromSize(-1500, -40, 300, 200) << Rect::fromSize(-1500, -40, 300, 200);
        QTest::newRow("tiny") << Rect::fromSize(10, 20, 5, 19) << Rect::fromSize(10, 20, 20, 20);
        QTest::newRow("negative size") << Rect::fromSize(10, 20, -50, 0) << Rect::fromSize(10, 20, 20, 20);
        QTest::newRow("nothing stored") << Rect() << Rect::fromSize(0, 0, 20, 20);
    }
    void clamp()
    {
        QFETCH(Rect, stored);
        QTEST(clampFormBounds(stored, QSize(1024, 768)), "restored");
    }

    void formBounds()
    {
        initAppIni(m_config, "pellorin");
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
        QCOMPARE(ReadBounds("MainFrm"), Rect::fromSize(70, 80, 400, 300)); // the normal bounds

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
        initAppIni(m_config, "pellorin");
        initGlobalOptions();
        TGlobalOptions &o = OptionStore();
        QVERIFY(o.values().isEmpty()); // read only when the main window asks
        o.Load();
        QVERIFY(!o.GetBoolDef(opt::Backup, opt::defaultBackup));
        QCOMPARE(o.getIntDef(opt::VertSplit, opt::defaultVertSplit), 820);
        QCOMPARE(o.GetString(opt::LastTab), QStringLiteral("XML Respond"));
        QCOMPARE(o.GetString("FUTURE.KEY"), QStringLiteral("a,b\\c \"%x%\""));
        QVERIFY(o.GetBoolDef(opt::XMLForceHeader, opt::defaultXMLForceHeader));
        QVERIFY(!o.GetDbgClip());

        o.SetBool("Backup", true);
        o.SetString(opt::DstArrow, "");
        o.SetDbgClip(true);
        o.SetString("TSQLParamCheck.priority", "3");
        QCOMPARE(readBytes(GetIniFileName()), before); // memory only until shut-down
        doneGlobalOptions();
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
        initAppIni(m_config, "pellorin");
        QCOMPARE(readSqlCheck().host, QString());
        writeSqlCheck({"db.local", "sa", "p;a=ss%", "orders"});
        const SqlCheckValues v = readSqlCheck();
        QCOMPARE(v.host, QStringLiteral("db.local"));
        QCOMPARE(v.user, QStringLiteral("sa"));
        QCOMPARE(v.password, QStringLiteral("p;a=ss%"));
        QCOMPARE(v.database, QStringLiteral("orders"));
        QVERIFY(readBytes(GetIniFileName())
                    .contains("[SQLCHECK]\nHOSTNAME=db.local\nUSERNAME=sa\nPASSWORD=p;a=ss%\nDATABASE=orders\n"));
    }
};

PELLORIN_TEST_CLASS(TestSettings)
#include "test_settings.moc"
