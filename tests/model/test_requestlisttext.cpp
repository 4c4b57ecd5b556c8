#include "common/testmain.h"
#include "model/requestlisttext.h"

#include <QTest>

class TestRequestListText : public QObject {
    Q_OBJECT
private slots:
    void lines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("reqlist")
            << "junk <?x?> <morivane><status>ok</status><reqlist>a=1||b=2||c=3</reqlist></morivane> tail <"
            << QStringList{"a=1", "b=2", "c=3"};
        QTest::newRow("reqlist with escaped br")
            << "<morivane><reqlist>a&lt;br&gt;b||c<![CDATA[<br>d]]></reqlist></morivane>"
            << QStringList{"a", "b", "c", "d"};
        QTest::newRow("reqlist text below children")
            << "<morivane><reqlist><i>a|</i>|b</reqlist></morivane>" << QStringList{"a", "b"};
        QTest::newRow("reqlist blanks kept")
            << "<morivane><reqlist>  a  b  </reqlist></morivane>" << QStringList{"  a  b  "};
        QTest::newRow("empty reqlist") << "<morivane><reqlist/></morivane>" << QStringList();
        QTest::newRow("plain ||") << "a||b  c||<br>d" << QStringList{"a", "b  c", "", "d"};
        QTest::newRow("plain double blanks") << "a  b   c    d<br>e" << QStringList{"a", "b", " c", "", "d", "e"};
        QTest::newRow("plain, breaks only") << "a\r\nb<br>c\n" << QStringList{"a", "b", "c"};
        QTest::newRow("br is case-sensitive") << "a<BR>b" << QStringList{"a<BR>b"};
        QTest::newRow("start tag only") << "x <morivane><reqlist>a||b" << QStringList{"x <morivane><reqlist>a", "b"};
        QTest::newRow("start tag only, blanks") << "<morivane>a  b" << QStringList{"<morivane>a", "b"};
        QTest::newRow("broken xml") << "<morivane><reqlist>a||b</morivane>"
                                    << QStringList{"<morivane><reqlist>a", "b</morivane>"};
        QTest::newRow("broken xml, blanks")
            << "<morivane><a>x  y</b></morivane>" << QStringList{"<morivane><a>x", "y</b></morivane>"};
        QTest::newRow("tag case matters") << "<Morivane><reqlist>a||b</reqlist></Morivane>"
                                          << QStringList{"<Morivane><reqlist>a", "b</reqlist></Morivane>"};
    }
    void lines()
    {
        QFETCH(QString, text);
        QStringList lines{"old"};
        QVERIFY(FillRequestList(text, &lines));
        QTEST(lines, "lines");
    }

    void untouched_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("no reqlist") << "<morivane><status>ok||x</status></morivane>";
        QTest::newRow("reqlist not a child of the root") << "<morivane><a><reqlist>x</reqlist></a></morivane>";
    }
    void untouched()
    {
        QFETCH(QString, text);
        QStringList lines{"old"};
        QVERIFY(!FillRequestList(text, &lines));
        QCOMPARE(lines, QStringList{"old"});
        QVERIFY(!FillRequestList("a||b", nullptr));
    }

    void parse()
    {
        QVERIFY(!ParsePlatformAnswer("no answer"));
        QVERIFY(!ParsePlatformAnswer("<morivane>"));
        const auto doc =
            ParsePlatformAnswer("<?xml version=\"1.0\"?><morivane>\n  <reqlist>x</reqlist>\n</morivane>junk");
        QVERIFY(doc);
        const XmlElement *root = doc->documentElement();
        QVERIFY(root);
        QCOMPARE(root->name(), QString("morivane"));
        QCOMPARE(root->childNodes().size(), size_t(1)); // whitespace-only text dropped
    }
};

PELLORIN_TEST_CLASS(TestRequestListText)
#include "test_requestlisttext.moc"
