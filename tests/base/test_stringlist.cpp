#include "base/exception.h"
#include "base/stringlist.h"
#include "common/testmain.h"

#include <QTest>

class TestStringList : public QObject {
    Q_OBJECT
private slots:
    void nameValueRules()
    {
        StringList list(QStringList{"plain line", "=empty name", "Left=1=2", "left=shadowed"});
        QCOMPARE(list.indexOfName(u"plain line"), -1); // no "=", no name
        QCOMPARE(list.indexOfName(u""), 1);
        QCOMPARE(list.value(u"LEFT"), QString("1=2")); // first line wins, value after the first "="
        QCOMPARE(list.name(2), QString("Left"));
        QCOMPARE(list.value(u"missing"), QString());

        list.setValue("LEFT", "5"); // replaced in place, with the new spelling
        QCOMPARE(list.lines(), QStringList({"plain line", "=empty name", "LEFT=5", "left=shadowed"}));
        list.setValue("top", "7");
        QCOMPARE(list[4], QString("top=7"));
        list.setValue("Left", "");
        QCOMPARE(list.lines(), QStringList({"plain line", "=empty name", "left=shadowed", "top=7"}));
        list.setValue("absent", "");
        QCOMPARE(list.count(), 4);
    }

    void value_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("value");
        QTest::newRow("first = splits") << QStringList{"a=b=c"} << "a" << 0 << "b=c";
        QTest::newRow("names ignore case") << QStringList{"x=0", "Key=1"} << "KEY" << 1 << "1";
        QTest::newRow("line without = has no name") << QStringList{"a", "a=2"} << "a" << 1 << "2";
        QTest::newRow("empty name") << QStringList{"b=1", "=x"} << "" << 1 << "x";
        QTest::newRow("first of duplicates") << QStringList{"k=1", "K=2"} << "k" << 0 << "1";
        QTest::newRow("blank is part of the name") << QStringList{"k =1"} << "k" << -1 << "";
        QTest::newRow("missing") << QStringList{"k=1"} << "z" << -1 << "";
        QTest::newRow("non-ASCII case differs") << QStringList{"\u00e9=1"} << "\u00c9" << -1 << "";
    }
    void value()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, name);
        StringList list(lines);
        QTEST(int(list.indexOfName(name)), "index");
        QTEST(list.value(name), "value");
    }

    void setValue()
    {
        StringList list;
        int object = 7;
        list.addObject("a", &object);
        list.add("Key=1");
        list.setValue("key", "2"); // replaced in place, with the name as given
        list.setValue("new", "3");
        QCOMPARE(list.lines(), QStringList({"a", "key=2", "new=3"}));
        list.setValue("KEY", "");
        list.setValue("absent", "");
        QCOMPARE(list.lines(), QStringList({"a", "new=3"}));
        QCOMPARE(list.object<int>(0), &object);

        StringList exact(true);
        exact.add("A=1");
        exact.setValue("a", "2");
        QCOMPARE(exact.lines(), QStringList({"A=1", "a=2"}));
        QCOMPARE(exact.indexOf(u"a=2"), 1);
        QCOMPARE(exact.indexOf(u"A=2"), -1);
        QCOMPARE(list.indexOf(u"NEW=3"), 1);
    }

    // The bulk form gives exactly the lines and objects of one SetValue after another.
    void setValues_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("pairs"); // name:value
        QTest::addColumn<bool>("caseSensitive");
        const QStringList lines{"plain", "=empty", "Left=1", "x=a=b", "left=2", "top=3"};
        QTest::newRow("replace, add, remove") << lines << QStringList{"LEFT:5", "new:1", "top:", "new:2"} << false;
        QTest::newRow("removing uncovers a later line")
            << lines << QStringList{"left:", "left:", "left:", "LEFT:9", "left:"} << false;
        QTest::newRow("case-sensitive") << lines << QStringList{"LEFT:5", "left:", "left:7"} << true;
        QTest::newRow("names holding an equals sign")
            << lines << QStringList{"x=a:1", "q=r:2", "q:3", "x:", "x:4"} << false;
        QTest::newRow("empty name") << lines << QStringList{":1", ":", ":", ":2"} << false;
        QTest::newRow("empty list") << QStringList() << QStringList{"a:1", "A:", "a:2", "b:3"} << false;
    }
    void setValues()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, pairs);
        QFETCH(bool, caseSensitive);
        StringList one(lines), all(lines);
        int objects[8];
        for (qsizetype i = 0; i < lines.size(); ++i) {
            one.setObject(i, &objects[i]);
            all.setObject(i, &objects[i]);
        }
        one.setCaseSensitive(caseSensitive);
        all.setCaseSensitive(caseSensitive);
        std::vector<std::pair<QString, QString>> bulk;
        for (const QString &pair : pairs) {
            const qsizetype colon = pair.lastIndexOf(u':');
            one.setValue(pair.left(colon), pair.mid(colon + 1));
            bulk.emplace_back(pair.left(colon), pair.mid(colon + 1));
        }
        all.setValues(bulk);
        QCOMPARE(all.lines(), one.lines());
        for (qsizetype i = 0; i < one.count(); ++i)
            QCOMPARE(all.object<int>(i), one.object<int>(i));
    }

    void namesAndValuesByIndex()
    {
        StringList list;
        list.add("plain");
        list.add("n=v");
        QCOMPARE(list.name(0), QString());
        QCOMPARE(list.valueFromIndex(0), QString("plain"));
        QCOMPARE(list.name(1), QString("n"));
        QCOMPARE(list.valueFromIndex(1), QString("v"));
    }

    void objectsAreTyped()
    {
        StringList list;
        int i = 1;
        double d = 2;
        list.addObject("i", &i);
        list.addObject("d", &d);
        list.add("none");
        QCOMPARE(list.object<int>(0), &i);
        QCOMPARE(list.object<double>(0), nullptr);
        QCOMPARE(list.object<double>(1), &d);
        QCOMPARE(list.object<int>(2), nullptr);
        list.setString(0, "renamed");
        QCOMPARE(list.object<int>(0), &i);
        list.removeAt(0);
        QCOMPARE(list.object<double>(0), &d);
    }

    void indexOutOfRange()
    {
        StringList list;
        list.add("a");
        QVERIFY_THROWS_EXCEPTION(ERunError, list[1]);
        QVERIFY_THROWS_EXCEPTION(ERunError, list.removeAt(-1));
        QVERIFY_THROWS_EXCEPTION(ERunError, list.insert(2, "x"));
        list.insert(1, "b");
        list.insert(0, "c");
        QCOMPARE(list.lines(), QStringList({"c", "a", "b"}));
        try {
            list.object<int>(5);
            QFAIL("no exception");
        } catch (const ERunError &e) {
            QCOMPARE(e.message(), QString("Range check error"));
        }
    }

    void splitsLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("final break adds nothing") << "a\r\n" << QStringList{"a"};
        QTest::newRow("mixed breaks") << "a\rb\nc\r\nd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
        QTest::newRow("empty lines kept") << "\r\n\r\nx\n\n" << QStringList{"", "", "x", ""};
    }
    void splitsLines()
    {
        QFETCH(QString, text);
        QTEST(splitLines(text), "lines");
    }

    void splitsCommaText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("blanks only") << " \t " << QStringList();
        QTest::newRow("commas") << "STRING,INTEGER,FLOAT" << QStringList{"STRING", "INTEGER", "FLOAT"};
        QTest::newRow("blanks around items") << "  GET , POST\t" << QStringList{"GET", "POST"};
        QTest::newRow("blank separates") << "a b,c" << QStringList{"a", "b", "c"};
        QTest::newRow("line break separates") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("empty item between commas") << "a,,b" << QStringList{"a", "", "b"};
        QTest::newRow("leading comma") << ",a" << QStringList{"", "a"};
        QTest::newRow("final comma") << "a," << QStringList{"a", ""};
        QTest::newRow("final comma and blank") << "a, " << QStringList{"a"};
        QTest::newRow("quoted keeps commas and blanks") << "\"a, b\",c" << QStringList{"a, b", "c"};
        QTest::newRow("doubled quote inside quotes") << "\"say \"\"hi\"\"\"" << QStringList{"say \"hi\""};
        QTest::newRow("empty quoted") << "\"\",x" << QStringList{"", "x"};
        QTest::newRow("unclosed quote runs to the end") << "a,\"b, c" << QStringList{"a", "b, c"};
        QTest::newRow("text after the closing quote") << "\"a\"b,c" << QStringList{"a", "b", "c"};
        QTest::newRow("quote inside an item") << "a\"b\",c" << QStringList{"a\"b\"", "c"};
        QTest::newRow("ends at character 0") << QString("a,b") + QChar(0) + ",c" << QStringList{"a", "b"};
    }
    void splitsCommaText()
    {
        QFETCH(QString, text);
        QTEST(splitCommaText(text), "items");
    }
};

PELLORIN_TEST_CLASS(TestStringList)
#include "test_stringlist.moc"
