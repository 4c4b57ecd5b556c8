#include "common/pagefixture.h"
#include "common/testmain.h"
#include "model/wqftypes.h"

#include <QTest>
#include <functional>

using namespace pellorin_test;

namespace {
using Operation = std::function<void(TWQFItem &)>;

TWQFItem *firstItem(TWQFFile &page) { return page.FindSection("preproc")->Items().at(0).get(); }
} // namespace

Q_DECLARE_METATYPE(Operation)

class TestValues : public QObject {
    Q_OBJECT
private slots:
    // Which setter writes CDATA and which plain text, as the writer puts it.
    void setters_data()
    {
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<Operation>("op");
        QTest::addColumn<QByteArray>("expected");
        auto row = [](const char *name, const char *values, Operation op, const char *expected) {
            QTest::newRow(name) << QByteArray(values) << op << QByteArray(expected);
        };
        row(
            "SetValue replaces CDATA by escaped text", "<values><a><![CDATA[x]]></a></values>",
            [](TWQFItem &i) { i.SetValue("a", "1<2 & 3", false); }, "<values><a>1&lt;2 &amp; 3</a></values>");
        row(
            "SetValue empty leaves no child", "<values><a>x</a></values>",
            [](TWQFItem &i) { i.SetValue("a", "", false); }, "<values><a/></values>");
        row(
            "SetValue without create changes nothing", "<values><b/></values>",
            [](TWQFItem &i) { i.SetValue("a", "1", false); }, "<values><b/></values>");
        row(
            "SetValue creates last", "<values><b/></values>", [](TWQFItem &i) { i.SetValue("a", "1", true); },
            "<values><b/><a>1</a></values>");
        row(
            "SetValue takes the first of two", "<values><a>1</a><a>2</a></values>",
            [](TWQFItem &i) { i.SetValue("a", "3", true); }, "<values><a>3</a><a>2</a></values>");
        row(
            "SetValue names are exact", "<values><A>1</A></values>", [](TWQFItem &i) { i.SetValue("a", "3", true); },
            "<values><A>1</A><a>3</a></values>");
        row(
            "SetValueCDATA replaces text and elements", "<values><a>x<b/>y</a></values>",
            [](TWQFItem &i) { i.SetValueCDATA("a", "1<2", false); }, "<values><a><![CDATA[1<2]]></a></values>");
        row(
            "SetValueCDATA empty", "<values><a>x</a></values>", [](TWQFItem &i) { i.SetValueCDATA("a", "", false); },
            "<values><a><![CDATA[]]></a></values>");
        row(
            "SetValueCDATA creates last", "<values><b/></values>", [](TWQFItem &i) { i.SetValueCDATA("a", "v", true); },
            "<values><b/><a><![CDATA[v]]></a></values>");
        row(
            "SetQuery forced into CDATA", "<values><query>old</query></values>",
            [](TWQFItem &i) { i.SetQuery("select 1", true); }, "<values><query><![CDATA[select 1]]></query></values>");
        row(
            "SetQuery out of CDATA", "<values><query><![CDATA[old]]></query></values>",
            [](TWQFItem &i) { i.SetQuery("a<b", false); }, "<values><query>a&lt;b</query></values>");
        row(
            "SetQuery creates query last", "<values><param/></values>", [](TWQFItem &i) { i.SetQuery("q", false); },
            "<values><param/><query>q</query></values>");
        row(
            "SetQuery writes the first of two", "<values><query>1</query><query>2</query></values>",
            [](TWQFItem &i) { i.SetQuery("3", true); },
            "<values><query><![CDATA[3]]></query><query>2</query></values>");
        row(
            "AddParam", "<values/>", [](TWQFItem &i) { i.AddParam("id", "INTEGER", "a&b"); },
            "<values><param><n><![CDATA[id]]></n><t>INTEGER</t><v><![CDATA[a&b]]></v></param></values>");
        row(
            "AddParam with empty texts", "<values><x/></values>", [](TWQFItem &i) { i.AddParam("", "", ""); },
            "<values><x/><param><n><![CDATA[]]></n><t></t><v><![CDATA[]]></v></param></values>");
    }
    void setters()
    {
        QFETCH(QByteArray, values);
        QFETCH(Operation, op);
        auto page = pageWith("<c><n>0</n><t>IF</t>" + values + "</c>");
        TWQFItem *item = firstItem(*page);
        op(*item);
        QTEST(written(item->ValuesNode()), "expected");
    }

    void withoutValuesNothingChanges()
    {
        auto page = pageWith("<c><n>0</n><t>SELECTQUERY</t><query>q</query></c>");
        TWQFItem *item = firstItem(*page);
        const QByteArray before = written(item->Node());
        item->SetValue("a", "1", true);
        item->SetValueCDATA("a", "1", true);
        item->SetQuery("q2", true);
        item->AddParam("n", "t", "v");
        QCOMPARE(written(item->Node()), before);
        QCOMPARE(item->ValuesNode(), nullptr);
        QCOMPARE(item->GetQuery(), QString());
        WQFParamList list;
        QVERIFY(!item->GetParams(list));
        QVERIFY(!item->GetNameValueParams(list));
        QVERIFY(list.empty());
    }

    void getters_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("condition");
        QTest::newRow("select") << "SELECTQUERY"
                                << "q1"
                                << "";
        QTest::newRow("insert") << "INSERTUPDATEQUERY"
                                << "q1"
                                << "";
        QTest::newRow("if") << "IF"
                            << ""
                            << "a = 1";
        QTest::newRow("if in other case") << "If"
                                          << ""
                                          << "";
        QTest::newRow("select in other case") << "selectquery"
                                              << ""
                                              << "";
    }
    void getters()
    {
        QFETCH(QString, type);
        auto page = pageWith("<c><n>0</n><t>" + type.toUtf8() +
                             "</t><values><n>file.wqf</n><query>q<![CDATA[1]]></query><query>q2</query>"
                             "<v>a = 1</v></values></c>");
        TWQFItem *item = firstItem(*page);
        QTEST(item->GetQuery(), "query");
        QTEST(item->GetIfCondition(), "condition");
        QCOMPARE(item->GetValueN(), QString("file.wqf"));
        QCOMPARE(item->GetValue("query"), QString("q1"));
        QCOMPARE(item->GetValue("missing"), QString());
    }

    void params()
    {
        auto page = pageWith("<c><n>0</n><t>SELECTQUERY</t><values>"
                             "<param><n><![CDATA[id]]></n><t>INTEGER</t><v><![CDATA[5]]></v></param>"
                             "<other/><param><v>only value</v><n>b</n><n>second</n></param></values></c>");
        TWQFItem *item = firstItem(*page);
        WQFParamList list;
        QVERIFY(item->GetParams(list));
        QCOMPARE(list.size(), size_t(2));
        QCOMPARE(list[0]->Name, QString("id"));
        QCOMPARE(list[0]->Type, QString("INTEGER"));
        QCOMPARE(list[0]->Value, QString("5"));
        QCOMPARE(list[1]->Name, QString("b"));
        QCOMPARE(list[1]->Type, QString());
        QCOMPARE(list[1]->TypeNode, nullptr);
        QCOMPARE(list[1]->Value, QString("only value"));
        // A snapshot: the texts stay, the references write back.
        list[0]->ValueNode->setTextContent("6");
        QCOMPARE(list[0]->Value, QString("5"));
        QVERIFY(written(item->ValuesNode()).contains("<v>6</v>"));
    }

    void nameValueParams_data()
    {
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<bool>("keepWhitespace");
        QTest::addColumn<QStringList>("pairs");
        QTest::newRow("both cases, lone name passed over")
            << QByteArray("<values><N>a</N><V>1</V><n>b</n><v>2</v><n>c</n></values>") << false
            << QStringList{"a=1", "b=2"};
        QTest::newRow("any node follows")
            << QByteArray("<values><x/><n>a</n><!--c--><n>b</n>text</values>") << false << QStringList{"a=c", "b=text"};
        QTest::newRow("the value is not taken again as a name")
            << QByteArray("<values><n>a</n><n>b</n><n>c</n></values>") << false << QStringList{"a=b"};
        QTest::newRow("layout between name and value")
            << QByteArray("<values>\n  <n>a</n>\n  <v>1</v>\n  <n>b</n>\n</values>") << true << QStringList{"a=1"};
        QTest::newRow("whitespace in CDATA is a value")
            << QByteArray("<values><n>a</n><![CDATA[ ]]></values>") << true << QStringList{"a= "};
    }
    void nameValueParams()
    {
        QFETCH(QByteArray, values);
        QFETCH(bool, keepWhitespace);
        auto page = pageWith("<c><n>0</n><t>X</t>" + values + "</c>",
                             keepWhitespace ? PageOptions(poWhitespace) : PageOptions());
        WQFParamList list;
        QVERIFY(firstItem(*page)->GetNameValueParams(list));
        QStringList pairs;
        for (const auto &p : list) {
            pairs << p->Name + u'=' + p->Value;
            QVERIFY(p->NameNode && p->ValueNode && !p->TypeNode);
        }
        QTEST(pairs, "pairs");
    }
};

PELLORIN_TEST_CLASS(TestValues)
#include "test_values.moc"
