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
        InitHTMLControls();
        InitPluginRegistry();
        InitItemsCheck();
        InitHTMLChecks();
        ClearComponentDescrs();
        QCOMPARE(LoadComponentDescrs(PELLORIN_RESOURCES "/components"), QStringList());
    }
    void cleanup()
    {
        ClearComponentDescrs();
        DonePluginRegistry();
    }

    void registrationOrder()
    {
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        QStringList names;
        for (TWarningPlugin *check : checks)
            names << check->ClassName();
        QCOMPARE(names, QStringList({"TDeveloperRights", "TSQLUnderLoopCheck", "TSVarCheck", "TConnectCheck",
                                     "TUnconnectCheck", "TFileNameCheck", "TTemplateNameCheck", "TIFCondCheck",
                                     "THTMLVerify"}));
    }

    // The sample's variables are all closed; its IF condition stores its empty string with
    // the apostrophes doubled, which the IF check reads back as '' and then finds compared
    // with the number a variable stands for; its inputs' tooltips lack a full stop or are
    // missing. The quick check of a save lists the same.
    void samplePage()
    {
        TWQFFile page;
        QVERIFY(page.LoadFromFile(PELLORIN_RESOURCES "/samples/customer_orders.wqf", {}));
        TWQFItem *condition = page.FindSection("preproc")->Items()[1].get();
        QCOMPARE(condition->GetIfCondition(), QString("#Sname# <> ''''"));
        for (const bool quick : {false, true}) {
            TCheckMessages messages;
            RunWarningPlugins(&page, quick, &messages);
            QCOMPARE(shown(messages), QStringList({
                                          "preproc 1: WARN If component condition: Type mismatch: "
                                          "Integer<>String for expressions \"0\" and \"''\".",
                                          "HINT: HTML \"name\": Period (\".\") is missing at the end of the tooltip",
                                          "HINT: HTML \"note\": Period (\".\") is missing at the end of the tooltip",
                                          "HINT: HTML \"action\": No tooltip specified",
                                      }));
            // The IF line is tagged with its component, so a double-click finds it; the
            // HTML lines are not tagged.
            QCOMPARE(messages[0].Item, condition);
            for (qsizetype i = 1; i < messages.size(); ++i)
                QCOMPARE(messages[i].Item, nullptr);
        }
    }
};

PELLORIN_TEST_CLASS(TestSampleChecks)
#include "test_samplechecks.moc"
