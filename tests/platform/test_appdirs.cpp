#include "common/testmain.h"
#include "platform/appdirs.h"

#include <QDir>
#include <QTest>

class TestAppDirs : public QObject {
    Q_OBJECT
private slots:
    void withoutExtension_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("windows program") << "pellorin.exe"
                                         << "pellorin";
        QTest::newRow("no extension") << "pellorin"
                                      << "pellorin";
        QTest::newRow("last extension only") << "my.tool.exe"
                                             << "my.tool";
        QTest::newRow("leading dot") << ".pellorin"
                                     << ".pellorin";
    }
    void withoutExtension()
    {
        QFETCH(QString, file);
        QTEST(platform::withoutExtension(file), "name");
    }

    void folders()
    {
        QCOMPARE(platform::programFileName(), QStringLiteral("test_platform"));
        // The test runner points the per-user configuration at a temporary folder.
        const QString base = QDir::fromNativeSeparators(qEnvironmentVariable("XDG_CONFIG_HOME"));
        QCOMPARE(platform::appConfigDir(), base + "/test_platform/");
        QVERIFY(platform::programFolder().endsWith('/'));
        QVERIFY(QFile::exists(platform::programFolder() + "test_platform"));
    }
};

PELLORIN_TEST_CLASS(TestAppDirs)
#include "test_appdirs.moc"
