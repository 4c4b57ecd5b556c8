#include "checks/companynameplugin.h"
#include "common/testmain.h"

#include <QTest>

class TestCompanyNamePlugin : public QObject {
    Q_OBJECT
private slots:
    void naming_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("icon");
        QTest::newRow("windows path") << "C:\\Sites\\mtMorivane_Acme\\pages\\list.wqf"
                                      << "Acme"
                                      << "(Acme) list.wqf"
                                      << "/opt/pellorin/companies/Acme.ico";
        QTest::newRow("posix path") << "/srv/sites/mtmorivane_Blue Hills/list.wqf"
                                    << "Blue Hills"
                                    << "(Blue Hills) list.wqf"
                                    << "/opt/pellorin/companies/Blue Hills.ico";
        QTest::newRow("marker in capitals, company keeps its case") << "D:\\MTMORIVANE_NorthWind/a\\b\\orders.wqf"
                                                                    << "NorthWind"
                                                                    << "(NorthWind) orders.wqf"
                                                                    << "/opt/pellorin/companies/NorthWind.ico";
        QTest::newRow("first marker counts") << "/x/mtmorivane_One/mtmorivane_Two/p.wqf"
                                             << "One"
                                             << "(One) p.wqf"
                                             << "/opt/pellorin/companies/One.ico";
        QTest::newRow("marker inside a longer folder name") << "/x/oldmtmorivane_Acme/p.wqf"
                                                            << "Acme"
                                                            << "(Acme) p.wqf"
                                                            << "/opt/pellorin/companies/Acme.ico";
        QTest::newRow("only a file name after the marker") << "C:\\Sites\\mtMorivane_list.wqf"
                                                           << ""
                                                           << ""
                                                           << "";
        QTest::newRow("separator right after the marker") << "/x/mtmorivane_/p.wqf"
                                                          << ""
                                                          << ""
                                                          << "";
        QTest::newRow("no marker") << "/home/me/pages/list.wqf"
                                   << ""
                                   << ""
                                   << "";
        QTest::newRow("no file") << ""
                                 << ""
                                 << ""
                                 << "";
    }
    void naming()
    {
        QFETCH(QString, path);
        QTEST(ExtractCompanyName(path), "company");
        TCompanyNamingPlugin plugin("/opt/pellorin");
        plugin.NotifyFileName(path);
        QCOMPARE(plugin.FileName, path);
        QTEST(plugin.GetAppTitle(), "title");
        QTEST(plugin.GetIconFileName(), "icon");
        // The window's caption stays the full path.
        QCOMPARE(plugin.GetCaption(), QString());
    }

    // Installed at start-up in the default naming plug-in's place; a later file name gives
    // the later company.
    void installed()
    {
        initPluginRegistry();
        initCompanyNamePlugin(GetAppDir());
        QCOMPARE(pluginRegistry().plugins().size(), 1);
        auto *plugin = dynamic_cast<TCompanyNamingPlugin *>(GetNamingPlugin());
        QVERIFY(plugin);
        QCOMPARE(plugin->className(), QString("TCompanyNamingPlugin"));
        plugin->NotifyFileName("/a/mtmorivane_A/p.wqf");
        plugin->NotifyFileName("/a/other/p.wqf");
        QCOMPARE(plugin->GetAppTitle(), QString());
        plugin->NotifyFileName("/a/mtmorivane_B/p.wqf");
        QCOMPARE(plugin->GetIconFileName(), GetAppDir() + "companies/B.ico");
        donePluginRegistry();
    }
};

PELLORIN_TEST_CLASS(TestCompanyNamePlugin)
#include "test_companynameplugin.moc"
