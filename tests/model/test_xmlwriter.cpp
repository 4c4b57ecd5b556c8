#include "base/exception.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "model/xmlread.h"
#include "model/xmlwrite2.h"

#include <QBuffer>
#include <QTest>

using pellorin_test::visible;

namespace {
QByteArray roundTrip(const QByteArray &in, bool keep, WriterFlags flags)
{
    auto doc = readXMLBytes(in, keep);
    return writeXMLToBytes(*doc, flags);
}
} // namespace

class TestXmlWriter : public QObject {
    Q_OBJECT
private slots:
    void bytes_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("out");

        QTest::newRow("no declaration, no flag") << QByteArray("<a/>") << false << 0 << QByteArray("\r\n<a/>\r\n");
        QTest::newRow("forced header") << QByteArray("<a/>") << false << int(wfForceHeader)
                                       << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\r\n<a/>\r\n");
        QTest::newRow("declaration without encoding dropped")
            << QByteArray("<?xml version=\"1.0\"?><a/>") << false << 0 << QByteArray("\r\n<a/>\r\n");
        QTest::newRow("encoding in capitals kept")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>") << false << 0
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<a/>\r\n");
        QTest::newRow("foreign encoding becomes utf-8")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xe9</a>") << false << 0
            << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\r\n<a>\xc3\xa9</a>\r\n");
        QTest::newRow("standalone yes kept")
            << QByteArray("<?xml version=\"1.0\" standalone=\"yes\"?><a/>") << false << int(wfForceHeader)
            << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\r\n\r\n<a/>\r\n");
        QTest::newRow("standalone no dropped")
            << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?><a/>") << false << 0
            << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\r\n<a/>\r\n");
        QTest::newRow("no indent") << QByteArray("<a><b/></a>") << false << int(wfNoIndent)
                                   << QByteArray("<a><b/></a>\r\n");
        QTest::newRow("no final eol") << QByteArray("<a><b/></a>") << false << int(wfNoFinalEol)
                                      << QByteArray("\r\n<a>\r\n  <b/>\r\n</a>");
        QTest::newRow("all flags") << QByteArray("<a>\n <b/>\n</a>") << true << 7
                                   << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<a>\r\n <b/>\r\n</a>");
        QTest::newRow("nesting") << QByteArray("<a><b><c>t</c><d/></b></a>") << false << 0
                                 << QByteArray("\r\n<a>\r\n  <b>\r\n    <c>t</c>\r\n    <d/>\r\n  </b>\r\n</a>\r\n");
        QTest::newRow("mixed content keeps the text's line")
            << QByteArray("<a><m>t<b><c/></b>u</m></a>") << false << 0
            << QByteArray("\r\n<a>\r\n  <m>t<b>\r\n      <c/>\r\n    </b>u</m>\r\n</a>\r\n");
        QTest::newRow("element after text gets its end indent")
            << QByteArray("<a><m>t<b/></m></a>") << false << 0
            << QByteArray("\r\n<a>\r\n  <m>t<b/>\r\n  </m>\r\n</a>\r\n");
        QTest::newRow("no blanks after a text between elements")
            << QByteArray("<c><n>0</n> ~ <t>SET</t><!--x-->y<![CDATA[z]]></c>") << false << 0
            << QByteArray("\r\n<c>\r\n  <n>0</n> ~ <t>SET</t>\r\n  <!--x-->y<![CDATA[z]]></c>\r\n");
        QTest::newRow("empty cdata") << QByteArray("<a><![CDATA[]]></a>") << false << 0
                                     << QByteArray("\r\n<a><![CDATA[]]></a>\r\n");
        QTest::newRow("cdata after element is indented") << QByteArray("<a><b/><![CDATA[x]]></a>") << false << 0
                                                         << QByteArray("\r\n<a>\r\n  <b/>\r\n  <![CDATA[x]]></a>\r\n");
        QTest::newRow("cdata split") << QByteArray("<a><![CDATA[x]]]]><![CDATA[>y]]></a>") << false << 0
                                     << QByteArray("\r\n<a><![CDATA[x]]]]><![CDATA[>y]]></a>\r\n");
        QTest::newRow("text escaping") << QByteArray("<a>&amp;&lt;&gt;\"'\t&#13;&#10;x&#13;y&#10;</a>") << false << 0
                                       << QByteArray("\r\n<a>&amp;&lt;&gt;\"'\t\r\nx\r\ny\r\n</a>\r\n");
        QTest::newRow("cdata keeps line breaks") << QByteArray("<a><![CDATA[x\ny\tz<&>]]></a>") << false << 0
                                                 << QByteArray("\r\n<a><![CDATA[x\ny\tz<&>]]></a>\r\n");
        QTest::newRow("attribute escaping")
            << QByteArray("<a v='&quot;&amp;&lt;&gt;&#9;&#10;&#13;&apos;'/>") << false << 0
            << QByteArray("\r\n<a v=\"&quot;&amp;&lt;&gt;&#x9;&#xA;&#xD;'\"/>\r\n");
        QTest::newRow("attribute order") << QByteArray("<a z=\"1\" b=\"2\" m=\"3\"/>") << false << 0
                                         << QByteArray("\r\n<a z=\"1\" b=\"2\" m=\"3\"/>\r\n");
        QTest::newRow("comment line breaks") << QByteArray("<a><!-- x\ny&amp; --></a>") << false << 0
                                             << QByteArray("\r\n<a>\r\n  <!-- x\r\ny&amp; -->\r\n</a>\r\n");
        QTest::newRow("processing instructions") << QByteArray("<a><?p  d\ne?><?q?></a>") << false << 0
                                                 << QByteArray("\r\n<a>\r\n  <?p d\r\ne?>\r\n  <?q?>\r\n</a>\r\n");
        QTest::newRow("document level nodes") << QByteArray("<!--c--><?p x?><a/><!--d-->") << false << 0
                                              << QByteArray("\r\n<!--c-->\r\n<?p x?>\r\n<a/>\r\n<!--d-->\r\n");
        QTest::newRow("doctype system") << QByteArray("<!DOCTYPE a SYSTEM \"a.dtd\"><a/>") << false << 0
                                        << QByteArray("\r\n<!DOCTYPE a SYSTEM \"a.dtd\">\r\n<a/>\r\n");
        QTest::newRow("doctype public with quote")
            << QByteArray("<!DOCTYPE a PUBLIC \"-//p\" 'say\"x'><a/>") << false << int(wfNoIndent)
            << QByteArray("\r\n<!DOCTYPE a PUBLIC \"-//p\" 'say\"x'><a/>\r\n");
        QTest::newRow("doctype subset only") << QByteArray("<!DOCTYPE a [\r\n<!ELEMENT a ANY>\r\n]><a/>") << false << 0
                                             << QByteArray("\r\n<!DOCTYPE a [\r\n<!ELEMENT a ANY>\r\n]>\r\n<a/>\r\n");
        QTest::newRow("doctype default attribute not written")
            << QByteArray("<!DOCTYPE a [<!ATTLIST a d CDATA \"v\">]><a/>") << false << int(wfNoIndent)
            << QByteArray("\r\n<!DOCTYPE a [<!ATTLIST a d CDATA \"v\">]><a/>\r\n");
        QTest::newRow("utf-8 and surrogate pair")
            << QByteArray("<a>\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80</a>") << false << 0
            << QByteArray("\r\n<a>\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80</a>\r\n");
        QTest::newRow("version 1.1 kept") << QByteArray("<?xml version='1.1'?><a/>") << false << int(wfForceHeader)
                                          << QByteArray("<?xml version=\"1.1\" encoding=\"utf-8\"?>\r\n\r\n<a/>\r\n");
    }
    void bytes()
    {
        QFETCH(QByteArray, in);
        QFETCH(bool, keep);
        QFETCH(int, flags);
        QFETCH(QByteArray, out);
        const QByteArray got = roundTrip(in, keep, WriterFlags::fromInt(flags));
        if (got != out)
            qWarning().noquote() << "got:\n" << visible(got) << "\nexpected:\n" << visible(out);
        QCOMPARE(got, out);
    }

    void errors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inAttribute");
        QTest::addColumn<bool>("inCData");
        QTest::addColumn<QString>("error");
        const QString illegal = "Illegal character";
        QTest::newRow("U+0001 text") << QString(QChar(1)) << false << false << illegal;
        QTest::newRow("U+0001 attribute") << QString(QChar(1)) << true << false << illegal;
        QTest::newRow("U+001F cdata") << QString(QChar(0x1f)) << false << true << illegal;
        QTest::newRow("U+000B text") << QString(QChar(0x0b)) << false << false << illegal;
        QTest::newRow("U+FFFE text") << QString(QChar(0xfffe)) << false << false << illegal;
        QTest::newRow("U+FFFF cdata") << QString(QChar(0xffff)) << false << true << illegal;
        QTest::newRow("lone high") << QString(QChar(0xd800)) + "x" << false << false
                                   << "High surrogate without low one";
        QTest::newRow("high at end") << QString(QChar(0xd800)) << true << false << "High surrogate without low one";
        QTest::newRow("lone low") << QString(QChar(0xdc00)) << false << true << "Low surrogate without high one";
    }
    void errors()
    {
        QFETCH(QString, text);
        QFETCH(bool, inAttribute);
        QFETCH(bool, inCData);
        QFETCH(QString, error);
        XmlDocument doc;
        auto *root = static_cast<XmlElement *>(doc.appendChild(newElement("a")));
        if (inAttribute)
            root->setAttribute("v", text);
        else
            root->appendChild(inCData ? newCData(text) : newText(text));
        try {
            writeXMLToBytes(doc, {});
            QFAIL("no error raised");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), error);
        }
    }

    void outputBeforeErrorReachesStream()
    {
        XmlDocument doc;
        auto *root = doc.appendChild(newElement("a"));
        root->appendChild(newElement("b"));
        root->appendChild(newText(QString(QChar(2))));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY_THROWS_EXCEPTION(EConvertError, WriteXMLFlags(doc, buffer, {}));
        QCOMPARE(buffer.data(), QByteArray("\r\n<a>\r\n  <b/>"));
    }

    // A name made from outside text that the reader would refuse would leave a page that cannot
    // be opened: the writer refuses it as it refuses a character.
    void elementNameTheReaderRefuses()
    {
        XmlDocument doc;
        auto *root = doc.appendChild(newElement("wqf"));
        root->appendChild(newElement("ns:b"));
        root->appendChild(newElement(":query"));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        try {
            WriteXMLFlags(doc, buffer, {});
            QFAIL("no error raised");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), QString("The element name \":query\" cannot be read back"));
        }
        QCOMPARE(buffer.data(), QByteArray("\r\n<wqf>\r\n  <ns:b/>"));
    }

    // The question asked of texts made from outside text, answered as a save would.
    void xmlText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("writable");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("markup, tab and line breaks") << QString("<a> & ]]> \t\r\n") << true;
        QTest::newRow("pair of surrogates") << QString::fromUcs4(U"x\U00010000") << true;
        QTest::newRow("control character") << QString("a\x01") << false;
        QTest::newRow("U+FFFE") << QString(QChar(0xFFFE)) << false;
        QTest::newRow("lone surrogate") << QString(QChar(0xDC00)) << false;
    }
    void xmlText()
    {
        QFETCH(QString, text);
        QTEST(isXmlText(text), "writable");
    }

    void entityReferenceAndSingleElement()
    {
        XmlDocument doc;
        auto *root = doc.appendChild(newElement("a"));
        auto *c = root->appendChild(newElement("c"));
        c->appendChild(newText("x"));
        c->appendChild(newEntityReference("co"));
        // An entity reference is not text: the end tag gets its own line.
        QCOMPARE(writeXMLToBytes(doc, wfNoFinalEol), QByteArray("\r\n<a>\r\n  <c>x&co;\r\n  </c>\r\n</a>"));
        // An element alone: no declaration and no final line break.
        QCOMPARE(writeXMLToBytes(*c, {}), QByteArray("\r\n<c>x&co;\r\n</c>"));
    }

    // Indentation grows with depth squared: 10,000 levels would need 200 MB of blanks, 100,000
    // levels 20 GB. Such a tree is refused before anything is written; without indentation it
    // is written as usual.
    void tooDeepToIndentIsRefusedUpFront()
    {
        for (int depth : {10000, 100000}) {
            const QByteArray in = QByteArray("<e>").repeated(depth) + QByteArray("</e>").repeated(depth);
            auto doc = readXMLBytes(in, false);
            for (const WriterFlags flags : {WriterFlags(), WriterFlags(wfForceHeader), WriterFlags(wfNoFinalEol)}) {
                QBuffer out;
                out.open(QIODevice::WriteOnly);
                try {
                    WriteXMLFlags(*doc, out, flags);
                    QFAIL("no error raised");
                } catch (const Exception &e) {
                    QVERIFY2(e.message().startsWith("The page is too deeply nested to write indented; "),
                             qPrintable(e.message()));
                }
                QCOMPARE(out.data(), QByteArray());
            }
            QCOMPARE(writeXMLToBytes(*doc, wfNoIndent).size(), in.size() - 3 + 2); // "<e/>" and CR LF
        }
    }

    void deepNestingDoesNotRecurse()
    {
        QByteArray in;
        const int depth = 200000;
        for (int i = 0; i < depth; ++i)
            in += "<e>";
        for (int i = 0; i < depth; ++i)
            in += "</e>";
        auto doc = readXMLBytes(in, false);
        const QByteArray out = writeXMLToBytes(*doc, wfNoIndent | wfNoFinalEol);
        QByteArray expected;
        for (int i = 0; i < depth - 1; ++i)
            expected += "<e>";
        expected += "<e/>";
        for (int i = 0; i < depth - 1; ++i)
            expected += "</e>";
        QCOMPARE(out, expected);
    }
};

PELLORIN_TEST_CLASS(TestXmlWriter)
#include "test_xmlwriter.moc"
