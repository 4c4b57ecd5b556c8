#include "checkfixture.h"
#include "checks/htmlchecks.h"
#include "checks/itemscheck.h"
#include "common/testmain.h"
#include "editors/morivanecomponents.h"
#include "model/htmlcontrols.h"

#include <QTest>

using namespace pellorin_test;

// The checks as the program registers them at start-up, over the shipped sample page: what
// Tools > Check WQF file lists for it.
class TestSampleChecks : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        initHTMLControls();
        initPluginRegistry();
        initItemsCheck();
        initHTMLChecks();
        clearComponentDescrs();
        QCOMPARE(LoadComponentDescrs(PELLORIN_RESOURCES "/components"), QStringList());
    }
    void cleanup()
    {
        clearComponentDescrs();
        donePluginRegistry();
    }

    void registrationOrder()
    {
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        QStringList names;
        for (TWarningPlugin *check : checks)
            names << check->className();
        QCOMPARE(names, QStringList({"TDeveloperRights", "TSQLUnderLoopCheck", "TSVarCheck", "TConnectCheck",
                                     "TUnconnectCheck", "TFileNameCheck", "TTemplateNameCheck", "TIFCondCheck",
                                     "THTMLVerify"}));
    }

    // The sample is written as a careful author writes a page: its variables are closed, its
    // IF condition quotes the variable it compares with a text (the field stores apostrophes
    // doubled), and its inputs have tooltips that end with a full stop. Neither the full check
    // nor the quick check of a save finds anything in it.
    void samplePage()
    {
        TWQFFile page;
        QVERIFY(page.LoadFromFile(PELLORIN_RESOURCES "/samples/customer_orders.wqf", {}));
        TWQFItem *condition = page.FindSection("preproc")->Items()[1].get();
        QCOMPARE(condition->GetIfCondition(), QString("''#Sname#'' <> ''''"));
        for (const bool quick : {false, true}) {
            CheckMessageList messages;
            RunWarningPlugins(&page, quick, &messages);
            QCOMPARE(shown(messages), QStringList());
        }
    }
};

PELLORIN_TEST_CLASS(TestSampleChecks)
#include "test_samplechecks.moc"
