#include "common/pagefixture.h"
#include "common/testmain.h"
#include "model/wqftypes.h"
#include "model/xmlread.h"

#include <QTest>

using namespace pellorin_test;

namespace {
// Components of the given names, held by one element.
struct NamedItems {
    std::unique_ptr<XmlElement> holder = newElement("s");
    WQFItemList items;
    explicit NamedItems(const QStringList &names)
    {
        for (const QString &name : names) {
            auto *c = static_cast<XmlElement *>(holder->appendChild(newElement("c")));
            c->appendChild(newElement("n"))->setTextContent(name);
            items.push_back(std::make_unique<TWQFItem>(c, nullptr));
        }
    }
};

QStringList linesOf(const StringList &list) { return list.lines(); }
} // namespace

class TestComponents : public QObject {
    Q_OBJECT
private slots:
    void accessors()
    {
        auto page = pageWith("<c><n>4</n><t>IF</t><c>a &lt; b</c><j>5</j><q/><j>6</j><j>7</j>"
                             "<x>10</x><y>-20</y><values/></c>");
        TWQFItem *item = page->FindSection("preproc")->Items().at(0).get();
        QCOMPARE(item->GetName(), QString("4"));
        QCOMPARE(item->GetType(), QString("IF"));
        QCOMPARE(item->GetComment(), QString("a < b"));
        QCOMPARE(item->GetX(), 10);
        QCOMPARE(item->GetY(), -20);
        QCOMPARE(item->JumpCount(), 3);
        QCOMPARE(item->GetJump(1), QString("6")); // counted among the j children only
        QCOMPARE(item->GetJump(2), QString("7"));
        QCOMPARE(item->GetJump(3), QString());
        QCOMPARE(item->GetJump(-1), QString());
        QCOMPARE(item->getJumps(), QStringList({"5", "6", "7"}));
        QCOMPARE(item->GetDocument(), page->Doc());

        item->SetName("9");
        item->SetType("SET");
        item->SetComment("x & y");
        item->SetJump(1, "8");
        item->SetJump(3, "no such exit");
        item->SetX(-3);
        item->SetY(2147483647);
        QCOMPARE(written(item->Node()), QByteArray("<c><n>9</n><t>SET</t><c>x &amp; y</c><j>5</j><q/><j>8</j><j>7</j>"
                                                   "<x>-3</x><y>2147483647</y><values/></c>"));
    }

    void missingChildren()
    {
        auto page = pageWith("<c><n>1</n><n>2</n><j>3</j><x>12ab</x><values/></c>");
        TWQFItem *item = page->FindSection("preproc")->Items().at(0).get();
        QCOMPARE(item->GetName(), QString("2")); // the later of two children counts
        QCOMPARE(item->GetType(), QString());
        QCOMPARE(item->GetComment(), QString());
        QCOMPARE(item->GetX(), 0);
        QCOMPARE(item->GetY(), 0);
        QCOMPARE(item->GetJump(1), QString());
        QCOMPARE(item->getJumps(), QStringList({"3"}));
        item->SetType("IF");
        item->SetComment("c");
        item->SetJump(1, "4");
        item->SetY(5);
        QCOMPARE(item->YNode(), item->Node()->lastChild());
        QCOMPARE(item->GetY(), 5);
        QCOMPARE(written(item->Node()), QByteArray("<c><n>1</n><n>2</n><j>3</j><x>12ab</x><values/><y>5</y></c>"));
    }

    void addItem_data()
    {
        QTest::addColumn<QByteArray>("components");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty section") << QByteArray() << "0";
        QTest::newRow("gap") << QByteArray("<c><n>0</n></c><c><n>1</n></c><c><n>3</n></c>") << "2";
        QTest::newRow("leading zero does not take the number") << QByteArray("<c><n>00</n></c>") << "0";
    }
    void addItem()
    {
        QFETCH(QByteArray, components);
        QFETCH(QString, name);
        auto page = pageWith(components);
        TWQFSection *section = page->FindSection("preproc");
        const size_t before = section->Items().size();
        TWQFItem *item = section->AddItem("SELECTQUERY");
        QCOMPARE(section->Items().size(), before + 1);
        QCOMPARE(section->Items().back().get(), item);
        QCOMPARE(section->Node()->lastChild(), item->Node());
        QCOMPARE(written(item->Node()), "<c><n>" + name.toUtf8() +
                                            "</n><t>SELECTQUERY</t><c/><j/><j/>"
                                            "<x>0</x><y>0</y><values/></c>");
        QCOMPARE(item->XNode()->textContent(), QString("0"));
        QCOMPARE(item->JumpCount(), 2);
    }

    void uniqueItemName_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("fresh");
        QTest::newRow("none") << QStringList() << "0";
        QTest::newRow("first gap") << QStringList{"1", "0", "3"} << "2";
        QTest::newRow("names are compared as text") << QStringList{"0", "01", " 1", "1 "} << "1";
        QTest::newRow("other names ignored") << QStringList{"a", "", "-1"} << "0";
    }
    void uniqueItemName()
    {
        QFETCH(QStringList, names);
        NamedItems items(names);
        QTEST(UniqueItemName(items.items), "fresh");
    }

    void uniqueItemNameWhenAllAreTaken()
    {
        QStringList names;
        for (int i = 0; i <= 99998; ++i)
            names << QString::number(i);
        NamedItems items(names);
        QCOMPARE(UniqueItemName(items.items), QString());
        items.items.pop_back();
        QCOMPARE(UniqueItemName(items.items), QString("99998"));
    }

    void findItem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("exact");
        QTest::addColumn<int>("fuzzy");
        QTest::newRow("contained") << "1" << -1 << 0;
        QTest::newRow("exact before contained") << "21" << 1 << 1;
        QTest::newRow("nothing") << "7" << -1 << -1;
        QTest::newRow("empty") << "" << -1 << -1;
        QTest::newRow("case counts") << "a" << -1 << -1;
        QTest::newRow("exact letter name") << "A1" << 3 << 3;
    }
    void findItem()
    {
        QFETCH(QString, text);
        QFETCH(int, exact);
        QFETCH(int, fuzzy);
        NamedItems items({"10", "21", "31", "A1"});
        auto at = [&](int i) { return i < 0 ? nullptr : items.items[size_t(i)].get(); };
        QCOMPARE(FindItemByName(items.items, text), at(exact));
        QCOMPARE(FindItemFuzzy(items.items, text), at(fuzzy));
    }

    void pasteItems_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QByteArray>("pasted");
        QTest::addColumn<QStringList>("result"); // name:exit0:exit1 of each pasted component
        const QStringList zeroToFive{"0", "1", "2", "3", "4", "5"};
        QTest::newRow("inside and outside the group")
            << zeroToFive << QByteArray("<c><n>5</n><t>IF</t><j>6</j><j>9</j></c><c><n>6</n><t>SET</t><j/><j/></c>")
            << QStringList{"6:7:", "7::"};
        QTest::newRow("loop on itself") << QStringList{"0"} << QByteArray("<c><n>3</n><t>IF</t><j>3</j><j/></c>")
                                        << QStringList{"1:1:"};
        QTest::newRow("names taken in the section")
            << QStringList{"0", "1", "2"}
            << QByteArray("<c><n>0</n><t>A</t><j>1</j><j/></c><c><n>1</n><t>B</t><j>0</j><j>1</j></c>")
            << QStringList{"3:4:", "4:3:4"};
        QTest::newRow("exit to a section component is emptied")
            << QStringList{"0", "1", "2"} << QByteArray("<c><n>7</n><t>A</t><j>0</j><j>2</j></c>")
            << QStringList{"3::"};
        QTest::newRow("old names ignore case")
            << QStringList() << QByteArray("<c><n>a</n><t>A</t><j>B</j><j/></c><c><n>b</n><t>B</t><j>A</j><j/></c>")
            << QStringList{"0:1:", "1:0:"};
        QTest::newRow("only c with t and n")
            << QStringList()
            << QByteArray("<!--x--><c><n>4</n></c><x/>text<c><t>IF</t></c><c><n>5</n><t>IF</t><j>4</j><j>5</j></c>")
            << QStringList{"0::0"};
        QTest::newRow("a repeated old name maps to the later copy")
            << QStringList() << QByteArray("<c><n>1</n><t>A</t><j>1</j><j/></c><c><n>1</n><t>B</t><j>1</j><j/></c>")
            << QStringList{"0:1:", "1:1:"};
        QTest::newRow("old names holding an equals sign")
            << QStringList() << QByteArray("<c><n>a=b</n><t>A</t><j/><j/></c><c><n>a</n><t>B</t><j>a</j><j>A=b</j></c>")
            << QStringList{"0::", "1:1:0"};
        QTest::newRow("empty exits stay empty beside an unnamed component")
            << QStringList() << QByteArray("<c><n/><t>A</t><j/><j>x</j></c><c><n>2</n><t>B</t><j/><j/></c>")
            << QStringList{"0::", "1::"};
    }
    void pasteItems()
    {
        QFETCH(QStringList, existing);
        QFETCH(QByteArray, pasted);
        QByteArray components;
        for (const QString &name : existing)
            components += "<c><n>" + name.toUtf8() + "</n><t>SET</t><j/><j/></c>";
        auto page = pageWith(components);
        TWQFSection *section = page->FindSection("preproc");
        auto clip = readXMLBytes("<clip>" + pasted + "</clip>", false);

        std::vector<TWQFItem *> result = refs(section->Items()); // replaced, not appended to
        PasteItems(clip->firstChild()->firstChild(), section, result);
        QTEST(namesAndExits(result), "result");
        QCOMPARE(section->Items().size(), size_t(existing.size()) + result.size());
        for (size_t i = 0; i < result.size(); ++i) {
            QCOMPARE(section->Items()[size_t(existing.size()) + i].get(), result[i]);
            QCOMPARE(result[i]->Section(), section);
        }
        if (!result.empty())
            QCOMPARE(section->Node()->lastChild(), result.back()->Node());
    }

    void pasteKeepsFurtherExitsAndContent()
    {
        auto page = pageWith("");
        TWQFSection *section = page->FindSection("postproc");
        const QByteArray component = "<c k=\"1\" l=\"&quot;\"><n>2</n><t>IF</t><c>note</c><j>2</j><j/><j>9</j><x>5</x>"
                                     "<y>6</y><values><v><![CDATA[a]]></v><!--k--><?pi d?><w>x<i/>y</w></values></c>";
        auto clip = readXMLBytes("<clip>" + component + "</clip>", false);
        std::vector<TWQFItem *> result;
        PasteItems(clip->firstChild()->firstChild(), section, result);
        QCOMPARE(result.size(), size_t(1));
        QCOMPARE(written(result[0]->Node()), QByteArray(component).replace("<n>2</n><t>IF</t><c>note</c><j>2</j>",
                                                                           "<n>0</n><t>IF</t><c>note</c><j>0</j>"));
        QVERIFY(written(clip.get()).contains(component)); // the source stays as it was
    }

    void itemTexts()
    {
        auto page = pageWith("<c><n>5</n><t>SELECTQUERY</t><c>about</c><j>6</j><j/><x>1</x><y>2</y><values>"
                             "<query><![CDATA[select 1]]></query><param><n>id</n><t>INTEGER</t><v/></param>"
                             "<N>x</N><V>y</V></values></c>");
        StringList lines;
        lines.add("keep");
        lines.add("N0=replaced");
        GetItemTexts(page->FindSection("preproc")->Items().at(0).get(), lines);
        QCOMPARE(linesOf(lines), QStringList({"keep", "n0=5", "t0=SELECTQUERY", "c1=about", "j0=6", "x0=1", "y0=2",
                                              "query0=select 1", "N1=x", "V0=y", "n2=id", "t1=INTEGER"}));
    }

    void exitWalks()
    {
        // 0 query -> 1, loop 3; 1 IF -> 2 and 4; 4 -> 9 (no such component); 5 has a third exit.
        auto page = pageWith("<c><n>0</n><t>SELECTQUERY</t><j>1</j><j>3</j></c>"
                             "<c><n>1</n><t>IF</t><j>2</j><j>4</j></c>"
                             "<c><n>2</n><t>SET</t><j/><j/></c>"
                             "<c><n>3</n><t>SET</t><j>0</j><j/></c>"
                             "<c><n>4</n><t>SET</t><j>9</j><j/></c>"
                             "<c><n>5</n><t>SET</t><j/><j/><j>3</j></c>");
        const WQFItemList &items = page->FindSection("preproc")->Items();

        StringList reached;
        CollectReachable(items[0].get(), reached);
        QCOMPARE(linesOf(reached), QStringList({"0", "1", "2", "4"}));
        QCOMPARE(reached.object<TWQFItem>(3), items[4].get());
        reached.clear();
        CollectReachable(items[1].get(), reached);
        QCOMPARE(linesOf(reached), QStringList({"1", "2", "4"}));

        StringList targets;
        targets.add("1");
        QString exitName, fromName;
        QVERIFY(ReachesAny(items[3].get(), targets, exitName, fromName));
        QCOMPARE(exitName, QString("1"));
        QCOMPARE(fromName, QString("0"));
        // The start's own name is not a target; the walk ends at unknown names.
        QVERIFY(!ReachesAny(items[1].get(), targets, exitName, fromName));
        targets.add("2");
        QVERIFY(ReachesAny(items[5].get(), targets, exitName, fromName)); // 5 -> 3 -> 0 -> 1
        QCOMPARE(fromName, QString("0"));
        StringList loop;
        loop.add("3"); // exit 1 of a query counts here
        QVERIFY(ReachesAny(items[0].get(), loop, exitName, fromName));
        QCOMPARE(fromName, QString("0"));
        QVERIFY(!ReachesAny(nullptr, loop, exitName, fromName));
    }

    void keepItemsOnly()
    {
        struct Other {
            virtual ~Other() = default;
        };
        struct Handle : Other {};
        struct Component : Other, TWQFItem {
            Component() : TWQFItem(nullptr, nullptr) {}
        };
        Handle h;
        Component a, b;
        std::vector<Other *> selection{&h, &a, &h, &b};
        KeepItemsOnly(selection);
        QCOMPARE(selection, (std::vector<Other *>{&a, &b}));
    }
};

PELLORIN_TEST_CLASS(TestComponents)
#include "test_components.moc"
