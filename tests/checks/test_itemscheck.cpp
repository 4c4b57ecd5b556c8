#include "base/textutils.h"
#include "checkfixture.h"
#include "checks/itemscheck.h"
#include "common/testmain.h"
#include "common/testutil.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace pellorin_test;

namespace {
QByteArray ifCond(const QByteArray &condition) { return "<v>" + condition + "</v>"; }

// The loop check as plainly as it can be said, over the model's own walks: what is reached
// after the loop, and a breadth-first walk of the body that never passes the query itself.
QString slowLoopLine(TWQFItem *query)
{
    const WQFItemList &items = query->Section()->Items();
    const QString exit0 = query->GetJump(0), exit1 = query->GetJump(1);
    if (!exit0.isEmpty() && exit0 == exit1)
        return "WARN Gray and blue arrows are pointing to the same step " + exit0;
    StringList visited;
    CollectReachable(FindItemByName(items, exit0), visited);
    TWQFItem *body = FindItemByName(items, exit1);
    if (!body || sameTextAscii(body->GetName(), query->GetName()))
        return QString();
    StringList seen;
    seen.add(body->GetName());
    std::vector<TWQFItem *> queue{body};
    for (size_t i = 0; i < queue.size(); ++i) {
        if (!queue[i])
            continue;
        for (int j = 0; j < queue[i]->JumpCount(); ++j) {
            const QString exit = queue[i]->GetJump(j);
            if (exit.isEmpty() || sameTextAscii(exit, query->GetName()))
                continue;
            if (visited.indexOf(exit) >= 0)
                return "WARN SQL \"loop\" query goes out of the loop at " + queue[i]->GetName() + " -> " + exit +
                       " link";
            if (seen.indexOf(exit) < 0) {
                seen.add(exit);
                queue.push_back(FindItemByName(items, exit));
            }
        }
    }
    return QString();
}
} // namespace

class TestItemsCheck : public QObject {
    Q_OBJECT
private slots:
    void registrationAndDescriptions()
    {
        initPluginRegistry();
        initItemsCheck();
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        QStringList rows;
        for (TWarningPlugin *check : checks)
            rows << check->className() + " = " + check->GetDescription() + (check->InQuickCheck() ? "" : " (full)");
        donePluginRegistry();
        QCOMPARE(rows, QStringList({
                           "TDeveloperRights = Developer Rights are hardcoded on the page!",
                           "TSQLUnderLoopCheck = SQL \"loop\" query goes out of the loop",
                           "TSVarCheck = Unclosed #S variable",
                           "TConnectCheck = IF statement must have both arrows / pointing to the same component",
                           "TUnconnectCheck = A component, not referenced by any element",
                           "TFileNameCheck = WQF Function name (%s) doesn't match file name (%S)",
                           "TTemplateNameCheck = Template name (%s) doesn't match the WQF function name %s)",
                           "TIFCondCheck = If condition check",
                       }));
    }

    void developerRights_data()
    {
        QTest::addColumn<QByteArray>("component");
        QTest::addColumn<bool>("warned");
        const QByteArray pattern = "(''#SUserRight_0_0_0_1#''=''1'')";
        QTest::newRow("pattern") << comp("0", "IF", {"1", "1"}, ifCond(pattern)) << true;
        QTest::newRow("blanks") << comp("0", "IF", {}, ifCond(" ( ''#SUserRight_0_0_0_1#''  =  ''1'' ) ")) << true;
        QTest::newRow("component 1") << comp("1", "IF", {}, ifCond(pattern)) << false;
        QTest::newRow("lower-case type") << comp("0", "if", {}, ifCond(pattern)) << false;
        QTest::newRow("other right") << comp("0", "IF", {}, ifCond("(''#SUserRight_0_0_0_2#''=''1'')")) << false;
        QTest::newRow("tab is no blank") << comp("0", "IF", {}, ifCond("(''#SUserRight_0_0_0_1#''\t=''1'')")) << false;
    }
    void developerRights()
    {
        QFETCH(QByteArray, component);
        QFETCH(bool, warned);
        auto page = pageWith(component);
        QCOMPARE(runCheck(std::make_unique<TDeveloperRights>(), page.get()),
                 warned ? QStringList({"preproc 0: WARN Developer Rights are hardcoded on the page!"}) : QStringList());
    }

    void connections_data()
    {
        QTest::addColumn<QByteArray>("component");
        QTest::addColumn<QStringList>("lines");
        const QString both = "preproc 1: WARN both blue and gray arrows are pointing to the same component 5";
        const QString error = "preproc 1: ERROR IF statement must have both arrows";
        QTest::newRow("IF with exit 0 only") << comp("1", "IF", {"5", ""}) << QStringList{error};
        QTest::newRow("IF with exit 1 only") << comp("1", "IF", {"", "5"}) << QStringList{error};
        QTest::newRow("IF with one j") << comp("1", "IF", {"5"}) << QStringList{error};
        QTest::newRow("IF without j") << comp("1", "IF") << QStringList{error};
        QTest::newRow("IF to one target") << comp("1", "IF", {"5", "5"}) << QStringList{both};
        QTest::newRow("IF fine") << comp("1", "IF", {"5", "6"}) << QStringList();
        QTest::newRow("SET to one target") << comp("1", "SET", {"5", "5"}) << QStringList{both};
        QTest::newRow("query to one target") << comp("1", "SELECTQUERY", {"5", "5"}) << QStringList{both};
        QTest::newRow("three equal exits") << comp("1", "SET", {"5", "5", "5"}) << QStringList();
        QTest::newRow("both empty SET") << comp("1", "SET", {"", ""}) << QStringList();
        QTest::newRow("case differs") << comp("1", "SET", {"a", "A"}) << QStringList();
    }
    void connections()
    {
        QFETCH(QByteArray, component);
        QFETCH(QStringList, lines);
        auto page = pageWith(component);
        QCOMPARE(runCheck(std::make_unique<TConnectCheck>(), page.get()), lines);
    }

    void loops_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QStringList>("lines");
        // 1 loops over 2 and 3, then goes on to 5 and 6.
        const QByteArray after = comp("5", "SET", {"6"}) + comp("6", "SET");
        QTest::newRow("body links back") << comp("1", "SELECTQUERY", {"5", "2"}) + comp("2", "SET", {"3"}) +
                                                comp("3", "SET", {"1"}) + after
                                         << QStringList();
        QTest::newRow("body leaves") << comp("1", "SELECTQUERY", {"5", "2"}) + comp("2", "SET", {"3"}) +
                                            comp("3", "IF", {"1", "6"}) + after
                                     << QStringList{
                                            "preproc 1: WARN SQL \"loop\" query goes out of the loop at 3 -> 6 link"};
        QTest::newRow("insert query, one line only")
            << comp("1", "INSERTUPDATEQUERY", {"5", "2"}) + comp("2", "IF", {"5", "6"}) + after
            << QStringList{"preproc 1: WARN SQL \"loop\" query goes out of the loop at 2 -> 5 link"};
        QTest::newRow("body cycles inside")
            << comp("1", "SELECTQUERY", {"5", "2"}) + comp("2", "IF", {"3", "1"}) + comp("3", "SET", {"2"}) + after
            << QStringList();
        // After the loop the flow comes back to the query (an outer loop): the body closing
        // its own loop is still no exit.
        QTest::newRow("after path returns")
            << comp("1", "SELECTQUERY", {"5", "2"}) + comp("2", "SET", {"1"}) + comp("5", "SET", {"1"})
            << QStringList();
        // The path after the loop follows exit 1 of IF, not that of a query.
        QTest::newRow("via IF exit 1") << comp("1", "SELECTQUERY", {"5", "2"}) + comp("2", "SET", {"7"}) +
                                              comp("5", "IF", {"6", "7"}) + comp("6", "SET") + comp("7", "SET")
                                       << QStringList{
                                              "preproc 1: WARN SQL \"loop\" query goes out of the loop at 2 -> 7 link"};
        QTest::newRow("not via query exit 1")
            << comp("1", "SELECTQUERY", {"5", "2"}) + comp("2", "SET", {"7"}) + comp("5", "SELECTQUERY", {"6", "7"}) +
                   comp("6", "SET") + comp("7", "SET")
            << QStringList();
        QTest::newRow("same step") << comp("1", "SELECTQUERY", {"5", "5"}) + after
                                   << QStringList{
                                          "preproc 1: WARN Gray and blue arrows are pointing to the same step 5"};
        QTest::newRow("missing targets") << comp("1", "SELECTQUERY", {"8", "9"}) + comp("9", "SET", {"8"})
                                         << QStringList();
        QTest::newRow("one exit") << comp("1", "SELECTQUERY", {"5"}) + after << QStringList();
        QTest::newRow("self loop") << comp("1", "SELECTQUERY", {"5", "1"}) + after << QStringList();
        QTest::newRow("names without case")
            << comp("q", "SELECTQUERY", {"A", "b"}) + comp("B", "SET", {"c"}) + comp("b", "SET", {"a"}) +
                   comp("A", "SET")
            << QStringList{"preproc q: WARN SQL \"loop\" query goes out of the loop at b -> a link"};
    }
    void loops()
    {
        QFETCH(QByteArray, section);
        QFETCH(QStringList, lines);
        auto page = pageWith(section);
        QCOMPARE(runCheck(std::make_unique<TSQLUnderLoopCheck>(), page.get()), lines);
        // Called alone, without the run's group data, it says the same.
        CheckMessageList messages;
        TSQLUnderLoopCheck check;
        for (const auto &item : page->Sections().front()->Items())
            check.CheckItem(item.get(), messages, nullptr);
        QCOMPARE(messages.size(), lines.size());
    }

    // The loop check takes short cuts through each section; on random flows it must say
    // exactly what the plain walk says.
    void loopsAgreeWithPlainWalk()
    {
        QRandomGenerator random(20261210);
        const QStringList types{"SELECTQUERY", "INSERTUPDATEQUERY", "IF", "SET", "TEMPLATE"};
        int warned = 0;
        for (int round = 0; round < 300; ++round) {
            const int count = 3 + int(random.bounded(14));
            const bool mixedCase = round % 5 == 0;
            auto name = [&](int i) {
                QByteArray n = (mixedCase ? "n" : "") + QByteArray::number(i);
                return mixedCase && random.bounded(2) ? n.toUpper() : n;
            };
            QByteArray xml;
            for (int i = 0; i < count; ++i) {
                QList<QByteArray> exits;
                for (int e = 0, n = int(random.bounded(4)); e < n; ++e)
                    exits << (random.bounded(8) ? name(int(random.bounded(count + 1))) : QByteArray());
                xml += comp(name(i), types[int(random.bounded(types.size()))].toLatin1(), exits);
            }
            auto page = pageWith(xml);
            QStringList expected;
            for (const auto &item : page->Sections().front()->Items()) {
                const QString type = item->GetType();
                if ((type == "SELECTQUERY" || type == "INSERTUPDATEQUERY") && item->JumpCount() >= 2) {
                    const QString line = slowLoopLine(item.get());
                    if (!line.isEmpty())
                        expected << "preproc " + item->GetName() + ": " + line;
                }
            }
            warned += int(expected.size());
            QCOMPARE(runCheck(std::make_unique<TSQLUnderLoopCheck>(), page.get()), expected);
        }
        QVERIFY(warned > 50);
    }

    void unreferenced()
    {
        const QByteArray xml = "<wqf><function><fn>f</fn></function><preproc>" + comp("0", "SET", {"1", "A1"}) +
                               comp("1", "SET", {"A1", "-2"}) + comp("A1", "SET", {"start"}) + comp("2", "SET") +
                               comp("999999999", "SET", {"0"}) + comp("start", "SET") + comp("-2", "SET") +
                               comp("7", "SET", {"6"}) + comp("12", "SET") + "</preproc><other>" +
                               comp("6", "SET", {"012"}) + "</other><postproc>" + comp("0", "SET", {"1", "7"}) +
                               comp("1", "SET") + comp("5", "SET") + "</postproc><Post2>" + comp("5", "SET", {"1"}) +
                               "</Post2></wqf>";
        auto page = loadPage(xml);
        QCOMPARE(runCheck(std::make_unique<TUnconnectCheck>(), page.get()),
                 QStringList({"preproc 2: WARN not referenced by any element",
                              // 7 of preproc is named only in the post sections
                              "preproc 7: WARN not referenced by any element",
                              "preproc 999999999: WARN not referenced by any element",
                              // a later component of a number takes its place
                              "Post2 5: WARN not referenced by any element"}));
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<QString>("line");
        const QString none;
        QTest::newRow("case differs") << "OrderList.wqf" << QByteArray("orderlist") << none;
        QTest::newRow("spelling differs") << "OrderList.wqf" << QByteArray("OrderLst")
                                          << "WARN WQF Function name (OrderLst) doesn't match file name (OrderList)";
        QTest::newRow("inner dots") << "a.b/Order.List.wqf" << QByteArray("Order.List") << none;
        QTest::newRow("beyond ASCII") << "Ärger.wqf" << QByteArray("äRGER") << none;
        QTest::newRow("placeholders stay")
            << "x%s.wqf" << QByteArray("%S") << "WARN WQF Function name (%S) doesn't match file name (x%s)";
    }
    void fileName()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, function);
        QFETCH(QString, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        QDir().mkpath(QFileInfo(path).path());
        writeBytes(path, "<wqf><function><fn>" + function + "</fn></function><preproc>" + comp("1", "SET") +
                             "</preproc></wqf>");
        TWQFFile page;
        QVERIFY(page.LoadFromFile(path, {}));
        QCOMPARE(runCheck(std::make_unique<TFileNameCheck>(), &page),
                 line.isEmpty() ? QStringList() : QStringList{line});
    }

    void fileNameWithoutFile()
    {
        auto page = pageWith(comp("1", "SET"));
        QCOMPARE(runCheck(std::make_unique<TFileNameCheck>(), page.get()),
                 QStringList({"WARN WQF Function name (f) doesn't match file name ()"}));
        QCOMPARE(fileBaseName("/x.y/z"), QStringLiteral("z"));
        QCOMPARE(fileBaseName(QString()), QString());
    }

    void templateName()
    {
        auto page = pageWith(comp("1", "TEMPLATE", {}, "<n>F</n>") + comp("2", "TEMPLATE", {}, "<n>other</n>") +
                             comp("3", "template", {}, "<n>other</n>") + comp("4", "TEMPLATE"));
        QCOMPARE(runCheck(std::make_unique<TTemplateNameCheck>(), page.get()),
                 QStringList({"preproc 2: HINT Template name (other) doesn't match the WQF function name f)",
                              "preproc 4: HINT Template name () doesn't match the WQF function name f)"}));
    }
};

PELLORIN_TEST_CLASS(TestItemsCheck)
#include "test_itemscheck.moc"
