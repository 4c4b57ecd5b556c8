#include "base/exception.h"
#include "common/testmain.h"
#include "model/htmlparsingtree.h"

#include <QTest>

namespace {

// A chain of nodes as text: elements by name with their children in brackets, text nodes
// quoted. Checks on the way that every child points at its parent.
QString dump(const TMLItem *first, const TMLItem *parent = nullptr)
{
    QStringList parts;
    for (const TMLItem *n = first; n; n = n->NextSibling()) {
        if (n->Parent() != parent)
            return QStringLiteral("<wrong parent>");
        QString s = n->IsText() ? u'"' + n->Text() + u'"' : n->Name();
        if (n->FirstChild())
            s += u'[' + dump(n->FirstChild(), n) + u']';
        parts << s;
    }
    return parts.join(u',');
}

QString dumpTree(const QByteArray &html)
{
    const std::unique_ptr<TMLTree> tree = ParseHTML(html);
    return tree ? dump(tree->Root()) : QStringLiteral("<no tree>");
}

class BreakIsVoid : public TMLTree {
public:
    bool IsVoidTag(QStringView name) const override { return name == u"br" || TMLTree::IsVoidTag(name); }
};

} // namespace

class TestHtmlParsingTree : public QObject {
    Q_OBJECT
private slots:
    void shape_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("shape");
        QTest::newRow("close tag closes inner elements") << QByteArray("<p>a<b>c</p>d") << R"(p["a",b["c"]],"d")";
        QTest::newRow("stray close tag") << QByteArray("</x>a") << R"("a")";
        QTest::newRow("void tag in capitals") << QByteArray("<IMG src=x>t") << R"(img,"t")";
        QTest::newRow("input is void") << QByteArray("<div><input>t</div>") << R"(div[input,"t"])";
        QTest::newRow("self-closed element") << QByteArray("<div/>x") << R"(div,"x")";
        QTest::newRow("unclosed li nests") << QByteArray("<ul><li>1<li>2</ul>") << R"(ul[li["1",li["2"]]])";
        QTest::newRow("blank text dropped, padded text kept")
            << QByteArray("<p> \r\n\t</p><p> a </p>") << R"(p,p[" a "])";
        QTest::newRow("comment is a leaf") << QByteArray("<!-- c --><div>x</div>") << R"(!--,div["x"])";
        QTest::newRow("blanks only") << QByteArray("  \n ") << "";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("close finds the nearest of its name") << QByteArray("<a><b><a><c></b>x") << R"(a[b[a[c]],"x"])";
        QTest::newRow("close tag without case") << QByteArray("<P>a</p>b") << R"(p["a"],"b")";
        QTest::newRow("still open at the end") << QByteArray("<a><b>x") << R"(a[b["x"]])";
        QTest::newRow("script text is one node") << QByteArray("<script>a<b</script>c") << R"(script["a<b"],"c")";
        QTest::newRow("fatal error keeps what came before")
            << QByteArray("<p>a</p>before<a title=\"x>after") << R"(p["a"],"before")";
        QTest::newRow("comment never closed") << QByteArray("<i>x</i><!-- y") << R"(i["x"])";
    }
    void shape()
    {
        QFETCH(QByteArray, html);
        QTEST(dumpTree(html), "shape");
    }

    void topLevelChainHasNoParent()
    {
        const std::unique_ptr<TMLTree> tree = ParseHTML(QByteArray("<p>a<b>c</p>d"));
        const TMLItem *p = tree->Root();
        QVERIFY(p && !p->Parent());
        QCOMPARE(p->NextSibling()->Text(), QString("d"));
        QVERIFY(!p->NextSibling()->Parent());
        QCOMPARE(p->FirstChild()->NextSibling()->Name(), QString("b"));
        QCOMPARE(p->FirstChild()->NextSibling()->Parent(), p);
    }

    void voidTags()
    {
        QCOMPARE(DefaultVoidTags(), (QStringList{"img", "input"}));
        TMLTree plain;
        QVERIFY(plain.VoidTags().isEmpty());
        QVERIFY(plain.DropBlankText());
        QVERIFY(plain.Parse(QByteArray("<img>x")));
        QCOMPARE(dump(plain.Root()), QString(R"(img["x"])"));

        BreakIsVoid own;
        own.Parse(QByteArray("<p>a<br>b</p>"));
        QCOMPARE(dump(own.Root()), QString(R"(p["a",br,"b"])"));

        TMLTree listed;
        listed.VoidTags() << "HR";
        QVERIFY(listed.IsVoidTag(u"hr"));
        listed.Parse(QString("<hr>x"));
        QCOMPARE(dump(listed.Root()), QString(R"(hr,"x")"));
    }

    void keepBlankText()
    {
        TMLTree tree;
        tree.setDropBlankText(false);
        tree.Parse(QByteArray("<p> </p>\n"));
        QCOMPARE(dump(tree.Root()), QString(R"(p[" "],")"
                                            "\n"
                                            R"(")"));
    }

    void attributes()
    {
        const std::unique_ptr<TMLTree> tree =
            ParseHTML(QByteArray("<A CLASS=x class=y Id=1 id=2 hidden title=\" a b \" v='q' w=\"\" e=>"));
        const TMLItem *a = tree->Root();
        QCOMPARE(a->Name(), QString("a"));
        QCOMPARE(a->AttrCount(), 9);
        QCOMPARE(a->attribute(0), (TTagAttributes{"class", "x", true}));
        QCOMPARE(a->attribute(4), (TTagAttributes{"hidden", "", false}));
        QCOMPARE(a->ClassText(), QString("x y"));
        QCOMPARE(a->IdText(), QString("2"));
        QCOMPARE(a->GetAttribute(u"CLASS", false), QString("x"));
        QCOMPARE(a->GetAttribute(u"title", false), QString("\" a b \""));
        QCOMPARE(a->GetAttribute(u"title", true), QString(" a b "));
        QCOMPARE(a->GetAttribute(u"v", true), QString("q"));
        QCOMPARE(a->GetAttribute(u"v", false), QString("'q'"));
        QCOMPARE(a->GetAttribute(u"w", true), QString());
        QCOMPARE(a->GetAttribute(u"e", true), QString());
        QCOMPARE(a->GetAttribute(u"missing", true), QString());
        QCOMPARE(a->AttributesText(), QString("class=x class=y id=1 id=2 hidden title=\" a b \" v='q' w=\"\" e="));

        const std::unique_ptr<TMLTree> quoted = ParseHTML(QByteArray("<a class=\"x\" class='y' id=\"1\">"));
        QCOMPARE(quoted->Root()->ClassText(), QString("\"x\" 'y'"));
        QCOMPARE(quoted->Root()->IdText(), QString("\"1\""));

        QVERIFY_THROWS_EXCEPTION(ERunError, a->attribute(9));
    }

    void manyAttributesKeepTheirElements()
    {
        // Runs of attributes of every length, and one far longer than the rest, so that
        // runs meet the ends of the tree's blocks of room.
        QByteArray html;
        auto attrCount = [](int e) { return e == 7000 ? 9000 : 1 + e % 7; };
        const int elements = 20000;
        for (int e = 0; e < elements; ++e) {
            html += "<p";
            for (int a = 0; a < attrCount(e); ++a)
                html += " a" + QByteArray::number(a) + "=" + QByteArray::number(e);
            html += ">";
        }
        const std::unique_ptr<TMLTree> tree = ParseHTML(html);
        const TMLItem *p = tree->Root();
        for (int e = 0; e < elements; ++e, p = p->FirstChild()) {
            QVERIFY(p);
            QCOMPARE(p->AttrCount(), attrCount(e));
            for (int a : {0, attrCount(e) / 2, attrCount(e) - 1})
                QCOMPARE(p->attribute(a), (TTagAttributes{"a" + QString::number(a), QString::number(e), true}));
        }
        QVERIFY(!p);
    }

    void lookups()
    {
        const std::unique_ptr<TMLTree> tree =
            ParseHTML(QByteArray("<div><span>a<b class=y>z</b></span><SPAN>second</SPAN><i></i></div>"));
        const TMLItem *div = tree->Root();
        QCOMPARE(div->ChildByName(u"SPAN"), div->FirstChild());
        QVERIFY(!div->ChildByName(u"b"));
        QCOMPARE(div->ChildInnerHTML(u"span"), QString("a<b class=y>z</b>"));
        QCOMPARE(div->ChildInnerHTML(u"i"), QString());
        QCOMPARE(div->ChildInnerHTML(u"none"), QString());
    }

    void markup_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("markup");
        QTest::newRow("void element closed") << QByteArray("<img src=x>") << int(mpWhole) << "<img src=x></img>";
        const QByteArray a = "<A x Y='1'>t<b>u</b></a>";
        QTest::newRow("whole") << a << int(mpWhole) << "<a x y='1'>t<b>u</b></a>";
        QTest::newRow("open tag") << a << int(mpOpenTag) << "<a x y='1'>";
        QTest::newRow("without children") << a << int(mpWithoutChildren) << "<a x y='1'></a>";
        QTest::newRow("close tag") << a << int(mpCloseTag) << "</a>";
        QTest::newRow("text node") << QByteArray("x") << int(mpWhole) << "x";
        QTest::newRow("text node close tag") << QByteArray("x") << int(mpCloseTag) << "";
        QTest::newRow("comment") << QByteArray("<!--c-->") << int(mpWhole) << "<!--></!-->";
        QTest::newRow("siblings not included") << QByteArray("<p><i>1</i></p><q>") << int(mpWhole) << "<p><i>1</i></p>";
        QTest::newRow("unclosed nesting") << QByteArray("<p>1<p>2<p>3") << int(mpWhole) << "<p>1<p>2<p>3</p></p></p>";
        // A dropped stray tag between two broken byte runs must not join them into a character
        // the page never held (e5 9a 87 would read as U+5687).
        QTest::newRow("broken bytes around a dropped tag")
            << QByteArray("<p>a\xe5</x>\x9a\x87</p>") << int(mpWhole)
            << QString::fromUtf8("<p>a") + QString::fromUtf8("\xe5") + QString::fromUtf8("\x9a\x87") + "</p>";
    }
    void markup()
    {
        QFETCH(QByteArray, html);
        QFETCH(int, part);
        const std::unique_ptr<TMLTree> tree = ParseHTML(html);
        QTEST(tree->Root()->GetHTML(TMLMarkupPart(part)), "markup");
    }

    void innerMarkup()
    {
        const std::unique_ptr<TMLTree> tree = ParseHTML(QByteArray("<p>x <b class=y>z</b></p>"));
        QCOMPARE(tree->Root()->InnerHTML(), QString("x <b class=y>z</b>"));
        QCOMPARE(tree->Root()->OpenTagText(), QString("<p>"));
        QCOMPARE(tree->Root()->CloseTagText(), QString("</p>"));
        QCOMPARE(tree->Root()->FirstChild()->InnerHTML(), QString());
    }

    void fromDocumentText()
    {
        const std::unique_ptr<TMLTree> tree = ParseHTML(QString::fromUtf8("<b title=\"\u20ac\">\u00e9</b>"));
        QCOMPARE(tree->Root()->GetAttribute(u"title", true), QString::fromUtf8("\u20ac"));
        QCOMPARE(tree->Root()->FirstChild()->Text(), QString::fromUtf8("\u00e9"));
    }

    void largePagesNeitherRecurseNorCrawl_data()
    {
        QTest::addColumn<QByteArray>("unit");
        QTest::addColumn<int>("depthPerUnit");
        QTest::newRow("unclosed p") << QByteArray("<p>") << 1;
        QTest::newRow("br siblings") << QByteArray("<br>") << 1;
        QTest::newRow("stray close tags in a deep stack") << QByteArray("<p>x</b>") << 1;
        QTest::newRow("void siblings") << QByteArray("<img>") << 0;
    }
    void largePagesNeitherRecurseNorCrawl()
    {
        QFETCH(QByteArray, unit);
        QFETCH(int, depthPerUnit);
        const int count = 100000;
        std::unique_ptr<TMLTree> tree = ParseHTML(unit.repeated(count));
        QVERIFY(tree && tree->Root());
        int depth = 0;
        const TMLItem *n = tree->Root();
        for (;;) {
            const TMLItem *element = n->FirstChild();
            while (element && element->IsText())
                element = element->NextSibling();
            if (!element)
                break;
            n = element;
            ++depth;
        }
        QCOMPARE(depth, depthPerUnit * (count - 1));
        const QString html = tree->Root()->GetHTML(mpWhole);
        QVERIFY(html.startsWith(u'<'));
        QVERIFY(html.endsWith(u'>'));
        tree.reset();
    }
};

PELLORIN_TEST_CLASS(TestHtmlParsingTree)
#include "test_htmlparsingtree.moc"
