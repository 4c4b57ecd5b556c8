#include "common/testmain.h"
#include "model/htmlparsing.h"

#include <QTest>

namespace {

// Every token as one line: kind letter, tag name and attributes (a value only after '='),
// or the text; then the token's errors. A last line tells how tokenizing ended.
QStringList tokens(const QByteArray &source)
{
    static const char kinds[] = {'T', 'O', 'C', 'S'};
    QStringList out;
    TMarkupParser p;
    p.Init(source, 1);
    bool more;
    while ((more = p.Next())) {
        QString line = QChar(kinds[p.Kind()]) + QStringLiteral(":");
        if (p.Kind() == mtText) {
            line += p.Text();
        } else {
            line += p.TagName();
            if (p.TagName() == u"!--")
                line += u'[' + p.Text() + u']';
            for (int i = 0; i < p.AttrCount(); ++i) {
                const TTagAttributes a = p.attribute(i);
                line += u' ' + a.Name + (a.HasValue ? u'=' + a.Value : QString());
            }
        }
        if (!p.Errors().isEmpty())
            line += QStringLiteral(" !") + QString(p.Errors()).replace(QStringLiteral("\r\n"), QStringLiteral(" | "));
        out << line;
    }
    out << (p.Errors().isEmpty() ? QStringLiteral("END") : QStringLiteral("FAIL ") + p.Errors());
    return out;
}

} // namespace

class TestHtmlParsing : public QObject {
    Q_OBJECT
private slots:
    void tokenize_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("expected");
        const QString gt = QStringLiteral("\">\" symbol not found");
        QTest::newRow("plain text") << QByteArray("abc") << QStringList{"T:abc", "END"};
        QTest::newRow("one character") << QByteArray("a") << QStringList{"T:a", "END"};
        QTest::newRow("empty source") << QByteArray() << QStringList{"END"};
        QTest::newRow("'<' at the end") << QByteArray("a<") << QStringList{"T:a", "FAIL \"<\" symbol not found"};
        QTest::newRow("self-closed") << QByteArray("<br/>") << QStringList{"S:br", "END"};
        QTest::newRow("self-closed, blank") << QByteArray("<br />") << QStringList{"S:br", "END"};
        QTest::newRow("self-closed, two slashes") << QByteArray("<br//>") << QStringList{"S:br", "END"};
        QTest::newRow("self-close mark on a close tag")
            << QByteArray("</a/>b") << QStringList{"C:a !Self close one close. (i.e. \"</a/>\")", "T:b", "END"};
        QTest::newRow("name glued to '/'") << QByteArray("<div a/>") << QStringList{"O:div", "END"};
        QTest::newRow("name, blank, '/'") << QByteArray("<div a />") << QStringList{"S:div a", "END"};
        QTest::newRow("name ends at '>'") << QByteArray("<input disabled>") << QStringList{"O:input", "END"};
        QTest::newRow("name before a blank")
            << QByteArray("<input disabled >") << QStringList{"O:input disabled", "END"};
        QTest::newRow("quoted and unquoted values") << QByteArray("<p class=\"x y\" id=z title='a b'>")
                                                    << QStringList{"O:p class=\"x y\" id=z title='a b'", "END"};
        QTest::newRow("blanks around '=' value") << QByteArray("<p a=  b>") << QStringList{"O:p a=b", "END"};
        QTest::newRow("empty value before '>'") << QByteArray("<p a=>") << QStringList{"O:p a=", "END"};
        QTest::newRow("'/' ends a value") << QByteArray("<a href=x/y>") << QStringList{"O:a href=x", "END"};
        QTest::newRow("'/' after a value closes") << QByteArray("<a href=x/>") << QStringList{"S:a href=x", "END"};
        QTest::newRow("blank before '='")
            << QByteArray("<a href =x>t") << QStringList{"FAIL Invalid attribute name: \"\""};
        QTest::newRow("unterminated value, text after it missing")
            << QByteArray("before<a title=\"x>after")
            << QStringList{"T:before", "FAIL Invalid attribute value: \"\"x>after\""};
        QTest::newRow("unterminated single-quoted value")
            << QByteArray("<a t='x") << QStringList{"FAIL Invalid attribute value: \"'x\""};
        QTest::newRow("'=' at the end") << QByteArray("<a href=")
                                        << QStringList{"O:a href= !" + gt + " | " + gt, "END"};
        QTest::newRow("tag never ended") << QByteArray("<a b") << QStringList{"O:a !" + gt + " | " + gt, "END"};
        QTest::newRow("empty tag name") << QByteArray("<>x") << QStringList{"O: !Invalid tag name: \"\"", "T:x", "END"};
        QTest::newRow("blanks inside the tag") << QByteArray("< / a >") << QStringList{"C:a", "END"};
        QTest::newRow("names keep their case") << QByteArray("<DiV ID=A>") << QStringList{"O:DiV ID=A", "END"};
        QTest::newRow("script text is raw") << QByteArray("<script>if(a<b)x();</script>")
                                            << QStringList{"O:script", "T:if(a<b)x();", "C:script", "END"};
        QTest::newRow("script end tag in other case")
            << QByteArray("<SCRIPT>a<b</Script>") << QStringList{"O:SCRIPT", "T:a<b", "C:Script", "END"};
        QTest::newRow("script with src is not raw")
            << QByteArray("<script src=x>a<b>c</script>")
            << QStringList{"O:script src=x", "T:a", "O:b", "T:c", "C:script", "END"};
        QTest::newRow("script never closed") << QByteArray("<script>a<b") << QStringList{"O:script", "T:a<b", "END"};
        QTest::newRow("script end tag cut short")
            << QByteArray("<script>a</scrip") << QStringList{"O:script", "T:a</scrip", "END"};
        QTest::newRow("comment with blanks") << QByteArray("<!-- note -->") << QStringList{"O:!--[ note ]", "END"};
        QTest::newRow("comment glued") << QByteArray("<!--x-->y") << QStringList{"O:!--[x]", "T:y", "END"};
        QTest::newRow("empty comment") << QByteArray("<!---->") << QStringList{"O:!--[]", "END"};
        QTest::newRow("comment holding a tag") << QByteArray("<!--<b>-->") << QStringList{"O:!--[<b>]", "END"};
        QTest::newRow("comment never closed") << QByteArray("<!-- x") << QStringList{"FAIL Unterminated comments"};
        QTest::newRow("utf-8 text and values")
            << QByteArray("\xc3\xa9<b t=\xe2\x82\xac>") << QStringList{"T:\u00e9", "O:b t=\u20ac", "END"};
    }
    void tokenize()
    {
        QFETCH(QByteArray, source);
        QFETCH(QStringList, expected);
        QCOMPARE(tokens(source), expected);
    }

    void positionsCountBytes()
    {
        TMarkupParser p;
        p.Init(QByteArray("\xc3\xa9<a>xy</a>"), 0);
        QCOMPARE(p.Pos(), 1);
        const qsizetype expected[][2] = {{1, 2}, {3, 3}, {6, 2}, {8, 4}};
        for (const auto &token : expected) {
            QVERIFY(p.Next());
            QCOMPARE(p.TokenStart(), token[0]);
            QCOMPARE(p.TokenLength(), token[1]);
            QCOMPARE(p.Pos(), token[0] + token[1]);
        }
        QVERIFY(!p.Next());
        QVERIFY(p.Errors().isEmpty());

        TMarkupParser mid;
        mid.Init(QByteArray("ab<c>"), 3);
        QVERIFY(mid.Next());
        QCOMPARE(mid.Kind(), mtOpenTag);
        QCOMPARE(mid.TagName(), QString("c"));
        QVERIFY(!mid.Next());
    }

    void previousOpenTagAndAttributes()
    {
        TMarkupParser p;
        p.Init(QByteArray("<b x=1>t<i/>u<p a b c d e >v<q z>"), 1);
        QVERIFY(p.Next());
        QCOMPARE(p.PrevOpenTag(), QString());
        QVERIFY(p.Next()); // t: follows an opening tag, still carries its attributes
        QCOMPARE(p.PrevOpenTag(), QString("b"));
        QCOMPARE(p.AttrCount(), 1);
        QCOMPARE(p.attribute(0), (TTagAttributes{"x", "1", true}));
        QVERIFY(p.Next()); // <i/>
        QCOMPARE(p.PrevOpenTag(), QString());
        QCOMPARE(p.AttrCount(), 0);
        QVERIFY(p.Next()); // u follows a self-closed tag
        QCOMPARE(p.PrevOpenTag(), QString());
        QCOMPARE(p.attrCapacity(), 4);
        QVERIFY(p.Next()); // <p a b c d e >: the fifth attribute doubles the room
        QCOMPARE(p.AttrCount(), 5);
        QCOMPARE(p.attrCapacity(), 8);
        QCOMPARE(p.attribute(4), (TTagAttributes{"e", "", false}));
        QVERIFY(p.Next());
        QVERIFY(p.Next()); // <q z>: fewer attributes, the room stays
        QCOMPARE(p.AttrCount(), 0);
        QCOMPARE(p.attrCapacity(), 8);
    }

    void errorsClearedByNext()
    {
        TMarkupParser p;
        p.Init(QByteArray("<>a"), 1);
        QVERIFY(p.Next());
        QVERIFY(!p.Errors().isEmpty());
        QVERIFY(p.Next());
        QVERIFY(p.Errors().isEmpty());
        QVERIFY(!p.Next());
        QVERIFY(!p.Next());
    }

    void commentAfterScriptIsNotRaw()
    {
        // A comment is an opening tag named "!--"; text after it is plain again.
        TMarkupParser p;
        p.Init(QByteArray("<script><!-- x -->a<b>"), 1);
        QVERIFY(p.Next());
        QVERIFY(p.Next());
        QCOMPARE(p.TagName(), QString("!--"));
        QCOMPARE(p.Kind(), mtOpenTag);
        QVERIFY(p.Next());
        QCOMPARE(p.Text(), QString("a"));
        QCOMPARE(p.PrevOpenTag(), QString("!--"));
    }
};

PELLORIN_TEST_CLASS(TestHtmlParsing)
#include "test_htmlparsing.moc"
