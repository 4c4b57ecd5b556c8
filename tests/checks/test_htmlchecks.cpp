#include "checkfixture.h"
#include "checks/htmlchecks.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "model/htmlcontrols.h"

#include <QTest>

using namespace pellorin_test;

namespace {
std::unique_ptr<TWQFFile> pageWithHtml(const QByteArray &html)
{
    return loadPage("<wqf><function><fn>f</fn></function><preproc/><html><![CDATA[" + html + "]]></html></wqf>");
}
} // namespace

class TestHTMLChecks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initHTMLControls(); }

    void tooltip_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("msg");
        QTest::newRow("full stop") << "Enter the name."
                                   << "";
        QTest::newRow("blanks around") << " \tEnter the name. \r\n"
                                       << "";
        QTest::newRow("no full stop") << "Enter the name"
                                      << "Period (\".\") is missing at the end of the tooltip";
        QTest::newRow("stop before a blank inside") << "Enter. the name"
                                                    << "Period (\".\") is missing at the end of the tooltip";
        QTest::newRow("empty") << ""
                               << "No tooltip specified";
        QTest::newRow("blanks") << "   "
                                << "No tooltip specified";
    }
    void tooltip()
    {
        QFETCH(QString, title);
        QFETCH(QString, msg);
        QString got = "stale";
        QCOMPARE(CheckTooltip(title, got), msg.isEmpty());
        QCOMPARE(got, msg);
    }

    void controlsOfAPage()
    {
        auto page = pageWithHtml(readBytes(dataPath("html/checks.html")));
        QCOMPARE(runCheck(std::make_unique<THTMLVerify>(), page.get()),
                 QStringList({
                     "HINT: HTML \"nick\": Period (\".\") is missing at the end of the tooltip",
                     "HINT: HTML \"city\": No tooltip specified",
                     "HINT: HTML \"zip\": No tooltip specified",
                     "HINT: HTML \"mail\": Unknown identifier: Count",
                     // no id and no inner element: the message alone
                     "HINT: Unexpected end of expression",
                     // a button without its input: named by its id, and no tooltip check
                     "HINT: HTML \"save\": Type mismatch: Integer<>String for expressions \"0\" and \"'save'\".",
                     // doubled quotes are not reduced here
                     "HINT: HTML \"yes\": Unexpected character in number : '",
                     // the inner element's missing name replaces the id
                     "HINT: Unknown identifier: x",
                 }));
    }

    void pagesWithoutControls_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("plain HTML") << QByteArray(
            "<wqf><function><fn>f</fn></function><html>&lt;p title=''&gt;x</html></wqf>");
        QTest::newRow("no HTML element") << QByteArray("<wqf><function><fn>f</fn></function><preproc/></wqf>");
    }
    void pagesWithoutControls()
    {
        QFETCH(QByteArray, page);
        auto doc = loadPage(page);
        QCOMPARE(runCheck(std::make_unique<THTMLVerify>(), doc.get()), QStringList());
    }

    void registration()
    {
        initPluginRegistry();
        initHTMLChecks();
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        QCOMPARE(checks.size(), 1);
        QCOMPARE(checks[0]->className(), QString("THTMLVerify"));
        QCOMPARE(checks[0]->GetDescription(), QString("HTML Verification: condition and tooltips"));
        QVERIFY(checks[0]->InQuickCheck());
        donePluginRegistry();
    }
};

PELLORIN_TEST_CLASS(TestHTMLChecks)
#include "test_htmlchecks.moc"
