#include "common/testmain.h"
#include "shell/aboutformunit.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void versionToDate_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("date");
        QTest::newRow("four parts") << "2021.2.19.0"
                                    << "02/19/2021";
        QTest::newRow("two-digit month") << "2021.12.3.7"
                                         << "12/03/2021";
        QTest::newRow("no build part") << "2021.2.19"
                                       << "02/00/2021"; // the day is not followed by a dot
        QTest::newRow("empty") << ""
                               << "00/00/0000";
        QTest::newRow("year only") << "2021"
                                   << "00/00/0000";
        QTest::newRow("year and dot") << "2021."
                                      << "00/00/2021";
        QTest::newRow("empty parts") << ".."
                                     << "00/00/0000";
        QTest::newRow("not a number") << "20x1.2.19.0"
                                      << "02/19/0000";
        QTest::newRow("short year") << "21.2.19.0"
                                    << "02/19/0021";
        QTest::newRow("long year") << "123456.1.1.0"
                                   << "01/01/123456";
        QTest::newRow("after the third part") << "2021.2.19.x.y.z"
                                              << "02/19/2021";
        QTest::newRow("too large") << "99999999999.2.19.0"
                                   << "02/19/0000";
    }
    void versionToDate()
    {
        QFETCH(QString, version);
        QTEST(VersionToDate(version), "date");
    }

    void versionDate()
    {
        QCOMPARE(GetVersionDate(VersionInfo{"Pellorin", "2021.2.19.0", 2021}), QString("02/19/2021"));
        QCOMPARE(GetVersionDate(std::nullopt), QString());
        // The program's own version is compiled in.
        QVERIFY(readVersionResource());
        QVERIFY(!GetVersionDate().isEmpty());
    }

    void aboutBox()
    {
        TAboutForm form(nullptr, VersionInfo{"Pellorin", "2021.12.3.7", 2021});
        QCOMPARE(form.objectName(), QString("AboutForm"));
        QCOMPARE(form.windowTitle(), QString("Pellorin 12/03/2021"));
        QCOMPARE(form.size(), QSize(320, 96));
        QCOMPARE(form.Label1->text(), QString("Copyright (c) 2021 the Pellorin developers"));
        QCOMPARE(form.Button1->text(), QString("OK"));
        form.show();
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.isVisible());
    }

    void aboutBoxWithoutVersion()
    {
        TAboutForm form(nullptr, std::nullopt);
        QCOMPARE(form.windowTitle(), QString("About"));
        QCOMPARE(form.Label1->text(), QString("Copyright (c) the Pellorin developers"));
    }
};

PELLORIN_TEST_CLASS(TestAbout)
#include "test_about.moc"
