#include "base/stringlist.h"
#include "common/testmain.h"

#include <QTest>

class TestStringList : public QObject {
    Q_OBJECT
private slots:
    void nameValueRules()
    {
        StringList list(QStringList{"plain line", "=empty name", "Left=1=2", "left=shadowed"});
        QCOMPARE(list.IndexOfName(u"plain line"), -1); // no "=", no name
        QCOMPARE(list.IndexOfName(u""), 1);
        QCOMPARE(list.Value(u"LEFT"), QString("1=2")); // first line wins, value after the first "="
        QCOMPARE(list.Name(2), QString("Left"));
        QCOMPARE(list.Value(u"missing"), QString());

        list.SetValue("LEFT", "5"); // replaced in place, with the new spelling
        QCOMPARE(list.Lines(), QStringList({"plain line", "=empty name", "LEFT=5", "left=shadowed"}));
        list.SetValue("top", "7");
        QCOMPARE(list[4], QString("top=7"));
        list.SetValue("Left", "");
        QCOMPARE(list.Lines(), QStringList({"plain line", "=empty name", "left=shadowed", "top=7"}));
        list.SetValue("absent", "");
        QCOMPARE(list.Count(), 4);
    }

    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("final break adds nothing") << "a\r\n" << QStringList{"a"};
        QTest::newRow("mixed breaks") << "a\rb\nc\r\nd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
        QTest::newRow("empty lines kept") << "\r\n\r\nx\n\n" << QStringList{"", "", "x", ""};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QTEST(SplitLines(text), "lines");
    }
};

PELLORIN_TEST_CLASS(TestStringList)
#include "test_stringlist.moc"
