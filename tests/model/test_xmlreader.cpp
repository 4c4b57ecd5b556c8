#include "common/testmain.h"
#include "model/xmlread.h"
#include "model/xmlwrite2.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTest>

namespace {
// The row's input reads to a document with a root when the row names no error, and fails with
// exactly that error otherwise.
void readRow()
{
    QFETCH(QByteArray, in);
    QFETCH(QString, error);
    try {
        auto doc = readXMLBytes(in, false);
        QVERIFY2(error.isEmpty(), qPrintable("read without the error " + error));
        QVERIFY(doc->documentElement());
    } catch (const EXMLReadError &e) {
        QCOMPARE(e.message(), error);
    }
}

// ASCII text as one UTF-7 base64 run: none of its bytes is a character it stands for.
QByteArray utf7Run(QByteArrayView ascii)
{
    QByteArray utf16;
    for (const char c : ascii)
        utf16.append('\0').append(c);
    return "+" + utf16.toBase64(QByteArray::OmitTrailingEquals) + "-";
}

QByteArray encoded(const char *encoding, const QString &text, QStringConverter::Flags flags = {})
{
    QStringEncoder encoder(encoding, flags);
    return encoder(text);
}
} // namespace

class TestXmlReader : public QObject {
    Q_OBJECT
private slots:
    void whitespace_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QStringList>("children"); // node names of the root's children, with their data
        QTest::newRow("blanks dropped") << QByteArray("<a>\n  <b/>\t</a>") << false << QStringList{"b"};
        QTest::newRow("blanks kept") << QByteArray("<a>\n  <b/>\t</a>") << true
                                     << QStringList{"#text:\n  ", "b", "#text:\t"};
        QTest::newRow("letter between blanks survives both")
            << QByteArray("<a> x </a>") << false << QStringList{"#text: x "};
        QTest::newRow("crlf normalised") << QByteArray("<a>\r\n\r</a>") << true << QStringList{"#text:\n\n"};
        QTest::newRow("char ref blank is whitespace") << QByteArray("<a>&#32;</a>") << false << QStringList{};
        QTest::newRow("adjacent tokens merge")
            << QByteArray("<a>x&amp;y&#65;</a>") << false << QStringList{"#text:x&yA"};
        QTest::newRow("cdata stays separate")
            << QByteArray("<a>t<![CDATA[ ]]>u</a>") << false << QStringList{"#text:t", "#cdata-section: ", "#text:u"};
        QTest::newRow("blank cdata kept when blanks dropped")
            << QByteArray("<a> <![CDATA[ ]]> </a>") << false << QStringList{"#cdata-section: "};
        QTest::newRow("comment and pi") << QByteArray("<a><!--c--><?p d?></a>") << false
                                        << QStringList{"#comment:c", "p:d"};
        QTest::newRow("colon is a plain name")
            << QByteArray("<a><x:b xmlns:x='u'/></a>") << false << QStringList{"x:b"};
    }
    void whitespace()
    {
        QFETCH(QByteArray, in);
        QFETCH(bool, keep);
        QFETCH(QStringList, children);
        auto doc = readXMLBytes(in, keep);
        QStringList got;
        for (const auto &child : doc->documentElement()->childNodes())
            got << (child->isElement() ? child->nodeName() : child->nodeName() + ":" + child->data());
        QCOMPARE(got, children);
    }

    void declarationAndDocumentType()
    {
        auto doc =
            readXMLBytes("<?xml version=\"1.0\" encoding=\"Utf-8\" standalone=\"yes\"?>\n"
                         "<!DOCTYPE wqf PUBLIC \"-//x\" \"w.dtd\" [<!ENTITY e \"E\"><!ATTLIST wqf d CDATA \"v\">]>\n"
                         "<wqf k=\"1\">&e;</wqf>\n",
                         false);
        QCOMPARE(doc->xmlVersion(), QString("1.0"));
        QCOMPARE(doc->xmlEncoding(), QString("Utf-8"));
        QVERIFY(doc->xmlStandalone());
        XmlDocumentType *dt = doc->doctype();
        QVERIFY(dt);
        QCOMPARE(dt->name(), QString("wqf"));
        QCOMPARE(dt->publicId(), QString("-//x"));
        QCOMPARE(dt->systemId(), QString("w.dtd"));
        QCOMPARE(dt->internalSubset(), QString("<!ENTITY e \"E\"><!ATTLIST wqf d CDATA \"v\">"));
        // Only the attribute that was written; the document type's default is not part of the page.
        QCOMPARE(doc->documentElement()->attributes().size(), size_t(1));
        QCOMPARE(doc->documentElement()->textContent(), QString("E"));
        QCOMPARE(doc->childNodes().size(), size_t(2)); // no whitespace outside the root

        auto bare = readXMLBytes("<a/>", true);
        QVERIFY(bare->xmlVersion().isEmpty());
        QVERIFY(bare->xmlEncoding().isEmpty());
        QVERIFY(!bare->xmlStandalone());
    }

    // The subset comes back exactly as written, its references unexpanded, its line breaks
    // normalised; what the reader reports from inside it is not added to the document again.
    void internalSubsetAsWritten_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("subset");
        QTest::addColumn<QStringList>("nodes"); // the document's children
        QTest::newRow("entity reference") << QByteArray("<!DOCTYPE wqf [<!ATTLIST wqf a CDATA \"x&amp;y\">]><wqf/>")
                                          << "<!ATTLIST wqf a CDATA \"x&amp;y\">" << QStringList{"wqf", "wqf"};
        QTest::newRow("character reference") << QByteArray("<!DOCTYPE wqf [<!ENTITY e \"a&#38;#60;b\">]><wqf/>")
                                             << "<!ENTITY e \"a&#38;#60;b\">" << QStringList{"wqf", "wqf"};
        QTest::newRow("comment inside") << QByteArray("<!DOCTYPE wqf [<!-- c -->]><wqf/>") << "<!-- c -->"
                                        << QStringList{"wqf", "wqf"};
        QTest::newRow("comments and pi around")
            << QByteArray("<?xml version=\"1.0\"?>\n<!--before-->\n<?p d?><!DOCTYPE wqf SYSTEM 'a]b' [<!--in--><?q "
                          "e?>\r\n<!ENTITY x '\"]'>\r]>\n<!--after--><wqf/>")
            << "<!--in--><?q e?>\n<!ENTITY x '\"]'>\n"
            << QStringList{"#comment", "p", "wqf", "#comment", "wqf"};
        QTest::newRow("no subset") << QByteArray("<!--c--><!DOCTYPE wqf SYSTEM \"w.dtd\"><wqf/>") << QString()
                                   << QStringList{"#comment", "wqf", "wqf"};
        QTest::newRow("encoding of the declaration")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!DOCTYPE wqf [<!ENTITY e \"\xe9&#233;\">]>"
                          "<wqf>&e;</wqf>")
            << QString::fromUtf8("<!ENTITY e \"\xc3\xa9&#233;\">") << QStringList{"wqf", "wqf"};
        QTest::newRow("byte-order mark and UTF-8")
            << QByteArray("\xef\xbb\xbf<!-- \xf0\x9f\x98\x80 --><!DOCTYPE wqf [<!ENTITY e \"\xc3\xa9\">]><wqf/>")
            << QString::fromUtf8("<!ENTITY e \"\xc3\xa9\">") << QStringList{"#comment", "wqf", "wqf"};
        // The subset as the reader decoded it, in the encoding the declaration names.
        const QString subset = QStringLiteral("<!ENTITY e \"\u00e9\u20ac\">");
        const QString page = "<!DOCTYPE wqf [" + subset + "]><wqf>&e;</wqf>";
        auto declared = [&](const char *encoding) {
            return "<?xml version=\"1.0\" encoding=\"" + QString(encoding) + "\"?>" + page;
        };
        const QStringList nodes{"wqf", "wqf"};
        QTest::newRow("windows-1252") << encoded("windows-1252", declared("windows-1252")) << subset << nodes;
        QTest::newRow("ISO-8859-15") << encoded("ISO-8859-15", declared("ISO-8859-15")) << subset << nodes;
        QTest::newRow("UTF-16 without byte-order mark or declaration") << encoded("UTF-16LE", page) << subset << nodes;
        QTest::newRow("UTF-16 big-endian with byte-order mark")
            << encoded("UTF-16BE", declared("UTF-16"), QStringConverter::Flag::WriteBom) << subset << nodes;
        QTest::newRow("UTF-32 without byte-order mark") << encoded("UTF-32LE", declared("UTF-32LE")) << subset << nodes;
        QTest::newRow("UTF-7") << encoded("UTF-7", declared("UTF-7")) << subset << nodes;
        QTest::newRow("EBCDIC after the declaration")
            << "<?xml version=\"1.0\" encoding=\"IBM01140\"?>" + encoded("IBM01140", page) << subset << nodes;
    }
    void internalSubsetAsWritten()
    {
        QFETCH(QByteArray, in);
        for (bool keep : {false, true}) {
            auto doc = readXMLBytes(in, keep);
            QVERIFY(doc->doctype());
            QTEST(doc->doctype()->internalSubset(), "subset");
            QStringList nodes;
            for (const auto &child : doc->childNodes())
                nodes << child->nodeName();
            QTEST(nodes, "nodes");
        }
    }

    // Around a document type whose subset holds comments and processing instructions, the
    // document keeps the nodes before it and after it, in their order, and the subset only as the
    // document type's text; written back, the page is what it was.
    void subsetNodes_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QStringList>("nodes"); // the document's children, with their data
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("inside and around")
            << QByteArray("<!--a--><?p 1?><!DOCTYPE wqf [<!--b--><?q 2?><!ENTITY e 'E'><!--c-->]><?r 3?><!--d-->"
                          "<wqf><!--e--></wqf><!--f-->")
            << QStringList{"#comment:a", "p:1", "wqf:", "r:3", "#comment:d", "wqf:", "#comment:f"}
            << QByteArray("\r\n<!--a-->\r\n<?p 1?>\r\n<!DOCTYPE wqf [<!--b--><?q 2?><!ENTITY e 'E'><!--c-->]>\r\n<?r "
                          "3?>\r\n<!--d-->\r\n<wqf>\r\n  <!--e-->\r\n</wqf>\r\n<!--f-->\r\n");
        const QByteArray many = QByteArray("<!--i--><?i?>").repeated(2000);
        QTest::newRow("many inside") << "<!--a--><!DOCTYPE wqf [" + many + "]><!--d--><wqf/>"
                                     << QStringList{"#comment:a", "wqf:", "#comment:d", "wqf:"}
                                     << "\r\n<!--a-->\r\n<!DOCTYPE wqf [" + many + "]>\r\n<!--d-->\r\n<wqf/>\r\n";
    }
    void subsetNodes()
    {
        QFETCH(QByteArray, in);
        QFETCH(QStringList, nodes);
        QFETCH(QByteArray, written);
        const auto doc = readXMLBytes(in, false);
        QStringList got;
        for (const auto &child : doc->childNodes()) {
            got << child->nodeName() + ":" + child->data();
            if (child->previousSibling())
                QCOMPARE(child->previousSibling()->nextSibling(), child.get());
        }
        QCOMPARE(got, nodes);
        QCOMPARE(writeXMLToBytes(*doc, {}), written);
    }

    // What the entities of a document type add is what they really expand to: a character
    // reference is one character, a reference to another entity adds that entity's expansion,
    // an element it holds brings its defaults. The bounds sit just past the rows that pass.
    void entityExpansion_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("error");
        auto expandsAt = [](const QByteArray &before) {
            return "In 'stream:' (line 1 pos " + QString::number(before.size() + 1) +
                   "): Entities and attribute defaults of the document type add more than 1048576 characters.";
        };
        auto page = [](const QByteArray &declarations, const QByteArray &content) {
            return "<!DOCTYPE wqf [" + declarations + "]><wqf>" + content + "</wqf>";
        };
        const QByteArray copyright = "<!ENTITY c \"&#169;\">";
        QTest::newRow("character reference 300 times") << page(copyright, QByteArray("&c;").repeated(300)) << QString();
        QTest::newRow("hexadecimal one in an attribute")
            << page("<!ENTITY c '&#xA9;'>", QByteArray("<b v='&c;'/>").repeated(300)) << QString();
        // Each level refers ten times to the one below: "lol" at level 0.
        auto laughs = [](int levels) {
            QByteArray out = "<!ENTITY l0 'lol'>";
            for (int level = 1; level <= levels; ++level)
                out += "<!ENTITY l" + QByteArray::number(level) + " '" +
                       ("&l" + QByteArray::number(level - 1) + ";").repeated(10) + "'>";
            return out;
        };
        QTest::newRow("billion laughs, each beyond the reader's own limit")
            << page(laughs(9), "&l9;")
            << "In 'stream:' (line 1 pos 539): Entity expands to more characters than the entity expansion limit.";
        QTest::newRow("laughs of 3000 characters 350 times")
            << page(laughs(3), QByteArray("&l3;").repeated(350))
            << expandsAt("<!DOCTYPE wqf [" + laughs(3) + "]><wqf>" + QByteArray("&l3;").repeated(349));
        // Two references to an entity of 1024 characters, one of them declared after it: 2048.
        const QByteArray nested = "<!ENTITY b '&a;&#38;a;'><!ENTITY a '" + QByteArray(1024, 'x') + "'>";
        QTest::newRow("nested 512 times") << page(nested, QByteArray("&b;").repeated(512)) << QString();
        QTest::newRow("nested 513 times")
            << page(nested, QByteArray("&b;").repeated(513))
            << expandsAt("<!DOCTYPE wqf [" + nested + "]><wqf>" + QByteArray("&b;").repeated(512));
        // Two elements with a default of 1022 characters, each adding 1028 with its tag: 2056.
        const QByteArray elements =
            "<!ENTITY e '<b/>'><!ENTITY f '&e;&#60;b/>'><!ATTLIST b d CDATA '" + QByteArray(1022, 'x') + "'>";
        QTest::newRow("elements 510 times") << page(elements, QByteArray("&f;").repeated(510)) << QString();
        QTest::newRow("elements 511 times")
            << page(elements, QByteArray("&f;").repeated(511))
            << expandsAt("<!DOCTYPE wqf [" + elements + "]><wqf>" + QByteArray("&f;").repeated(510));
        // A default with two references to an entity of 1000 characters adds 2002.
        const QByteArray defaults = "<!ENTITY a '" + QByteArray(1000, 'x') + "'><!ATTLIST b d CDATA '&a;&a;'>";
        QTest::newRow("defaults 523 times") << page(defaults, QByteArray("<b/>").repeated(523)) << QString();
        QTest::newRow("defaults 524 times")
            << page(defaults, QByteArray("<b/>").repeated(524))
            << expandsAt("<!DOCTYPE wqf [" + defaults + "]><wqf>" + QByteArray("<b/>").repeated(523));
        QByteArray chain;
        for (int i = 0; i < 5000; ++i)
            chain += "<!ENTITY e" + QByteArray::number(i) + " '&e" + QByteArray::number(i + 1) + ";'>";
        chain += "<!ENTITY e5000 '&#169;'>";
        QTest::newRow("a long chain") << page(chain, "&e0;") << QString();
        QTest::newRow("a cycle is the reader's to name")
            << page("<!ENTITY a 'x&b;'><!ENTITY b '&a;'>", "&a;")
            << "In 'stream:' (line 1 pos 60): Self-referencing entity detected.";
        QTest::newRow("parameter entity reference")
            << page(copyright + "<!ENTITY % p '<!ENTITY d \"x\">'>%p;", "&c;")
            << "In 'stream:' (line 1 pos 1): Document type with a parameter entity reference.";
    }
    void entityExpansion() { readRow(); }

    // An element may hold up to 1024 attributes; what only looks like more of them (an "="
    // in a value, a comment, a CDATA section, a PI or the document type) does not count.
    void attributeLimit_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("error");
        auto attributes = [](int n, const char *value) {
            QByteArray out;
            for (int i = 0; i < n; ++i)
                out += " a" + QByteArray::number(i) + "='" + value + "'";
            return out;
        };
        const QByteArray many = QByteArray("=").repeated(3000);
        QTest::newRow("1024") << "<a" + attributes(1024, "") + "/>" << QString();
        QTest::newRow("1025") << "<r>\n <a" + attributes(1025, "") + "/></r>"
                              << "In 'stream:' (line 2 pos 2): Element with more than 1024 attributes.";
        QTest::newRow("equals signs in values") << "<a" + attributes(1000, "x=y") + "/>" << QString();
        QTest::newRow("equals signs elsewhere")
            << "<!DOCTYPE a [<!ENTITY e '" + many + "'><!--" + many + "'-->]><a>" + many + "<![CDATA[" + many +
                   "]]><!--" + many + "--><?p " + many + "?><b x='>=' y='\"'/></a>"
            << QString();
    }
    void attributeLimit() { readRow(); }

    // The names the reader takes back as elements inside another: its own rule, older than
    // the one XML has now, with at most one colon between two names and at most 4096 characters.
    void elementNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readable");
        auto cp = [](char32_t c) { return QStringView(QChar::fromUcs4(c)).toString(); };
        QTest::newRow("letters, digits, marks") << QString("wert_1.a-b") << true;
        QTest::newRow("one colon") << QString("ns:v") << true;
        QTest::newRow("accented") << QString::fromUtf8("\xc3\xa9t\xc3\xa9") << true;
        QTest::newRow("middle dot after the first") << "a" + cp(0xB7) << true;
        QTest::newRow("4096 characters") << QString(4096, u'a') << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("colon first") << QString(":query") << false;
        QTest::newRow("colon last") << QString("a:") << false;
        QTest::newRow("two colons together") << QString("a::b") << false;
        QTest::newRow("two colons") << QString("a:b:c") << false;
        QTest::newRow("digit after the colon") << QString("a:1") << false;
        QTest::newRow("byte-order mark") << "a" + cp(0xFEFF) << false;
        QTest::newRow("superscript zero") << cp(0x2070) << false;
        QTest::newRow("ideographic comma") << "a" + cp(0x3001) << false;
        QTest::newRow("arabic ligature") << cp(0xFDF0) << false;
        QTest::newRow("beyond the basic plane") << "a" + cp(0x10000) << false;
        QTest::newRow("lone surrogate") << "a" + QString(QChar(0xD800)) << false;
        QTest::newRow("blank") << QString("a b") << false;
        QTest::newRow("markup") << QString("a/><b") << false;
        QTest::newRow("4097 characters") << QString(4097, u'a') << false;
    }
    void elementNames()
    {
        QFETCH(QString, name);
        QTEST(isXmlElementName(name), "readable");
    }

    // What a document type may ask of the reader: the bounds sit just past each row that passes.
    void documentTypeLimits_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("error");
        auto definitions = [](int from, int n) {
            QByteArray out;
            for (int i = from; i < from + n; ++i)
                out += " a" + QByteArray::number(i) + " CDATA #IMPLIED";
            return out;
        };
        auto utf16 = [](const QByteArray &utf8) {
            const QString text = QString::fromUtf8(utf8);
            return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        };
        const QString tooMany =
            QStringLiteral("In 'stream:' (line 1 pos 1): Document type with more than 1024 attribute definitions.");
        QTest::newRow("1024 definitions") << "<!DOCTYPE a [<!ATTLIST a" + definitions(0, 1024) + ">]><a/>" << QString();
        QTest::newRow("1025 definitions in one list")
            << "<!DOCTYPE a [<!ATTLIST a" + definitions(0, 1025) + ">]><a/>" << tooMany;
        QTest::newRow("1025 definitions in two lists")
            << "<!DOCTYPE a [<!ATTLIST a" + definitions(0, 1000) + "><!ATTLIST b" + definitions(0, 25) + ">]><a/>"
            << tooMany;
        QTest::newRow("fixed and default values, enumerations")
            << "<!DOCTYPE a [<!ATTLIST a" + definitions(0, 1021) +
                   " f CDATA #FIXED 'x' g (p|q) 'p' h NOTATION (n) #REQUIRED>]><a/>"
            << QString();
        QTest::newRow("1025 definitions in UTF-16")
            << utf16("\xef\xbb\xbf<!DOCTYPE a [<!ATTLIST a" + definitions(0, 1025) + ">]><a/>") << tooMany;
        QTest::newRow("1025 definitions after the root")
            << "<a/><!DOCTYPE a [<!ATTLIST a" + definitions(0, 1025) + ">]>"
            << "In 'stream:' (line 1 pos 5): Document type with more than 1024 attribute definitions.";
        QTest::newRow("parameter entity reference")
            << QByteArray("<!DOCTYPE a [<!ENTITY % p '<!ATTLIST a b CDATA #IMPLIED>'>%p;]><a/>")
            << "In 'stream:' (line 1 pos 1): Document type with a parameter entity reference.";
        // The error stands at the reference or the element that passes the bound.
        const QString expands =
            "Entities and attribute defaults of the document type add more than 1048576 characters.";
        auto expandsAt = [&](const QByteArray &before) {
            return "In 'stream:' (line 1 pos " + QString::number(before.size() + 1) + "): " + expands;
        };
        // An entity of 1024 characters adds 1024 with every reference.
        const QByteArray entity = "<!DOCTYPE a [<!ENTITY e '" + QByteArray(1024, 'x') + "'>]><a>";
        QTest::newRow("1024 references") << entity + QByteArray("&e;").repeated(1024) + "</a>" << QString();
        QTest::newRow("1025 references") << entity + QByteArray("&e;").repeated(1025) + "</a>"
                                         << expandsAt(entity + QByteArray("&e;").repeated(1024));
        QTest::newRow("references in attribute values")
            << entity + QByteArray("<b v='&e;&e;'/>").repeated(513) + "</a>"
            << expandsAt(entity + QByteArray("<b v='&e;&e;'/>").repeated(512) + "<b v='");
        // A default of 1022 characters adds 1024 to every element it applies to.
        const QByteArray defaults = "<!DOCTYPE a [<!ATTLIST b d CDATA '" + QByteArray(1022, 'x') + "'>]><a>";
        QTest::newRow("defaults of 1024 elements")
            << defaults + QByteArray("<b/>").repeated(1024) + "</a>" << QString();
        QTest::newRow("defaults of 1025 elements") << defaults + QByteArray("<b/>").repeated(1025) + "</a>"
                                                   << expandsAt(defaults + QByteArray("<b/>").repeated(1024));
        // An entity that holds elements brings their defaults with every reference: 1028 each.
        const QByteArray markup =
            "<!DOCTYPE a [<!ENTITY e '<b/>'><!ATTLIST b d CDATA '" + QByteArray(1022, 'x') + "'>]><a>";
        QTest::newRow("elements inside an entity") << markup + QByteArray("&e;").repeated(1021) + "</a>"
                                                   << expandsAt(markup + QByteArray("&e;").repeated(1020));
        QTest::newRow("declarations of all kinds, comments, PIs")
            << QByteArray("<!DOCTYPE a SYSTEM 'x[y' [<!-- % [ ] --><?p %q;?><!ELEMENT a ANY><!NOTATION n SYSTEM 'n'>"
                          "<!ENTITY % p 'x'><!ENTITY x SYSTEM 'x.ent'><!ENTITY y 'ab'>]><a>&y;</a>")
            << QString();
    }
    void documentTypeLimits() { readRow(); }

    // The limits hold on the characters the reader decodes, whatever bytes stand for them; the
    // error stands where the reader counts the character. The bounds sit just past the rows that pass.
    void limitsInEveryEncoding_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("error");
        auto declaration = [](const char *encoding) {
            return "<?xml version=\"1.0\" encoding=\"" + QByteArray(encoding) + "\"?>";
        };
        auto expandsAt = [](const QByteArray &before) {
            return "In 'stream:' (line 1 pos " + QString::number(before.size() + 1) +
                   "): Entities and attribute defaults of the document type add more than 1048576 characters.";
        };
        // Every reference adds 4096 characters: 256 of them add 1048576.
        const QByteArray entity = "<!DOCTYPE wqf [<!ENTITY a '" + QByteArray(4096, 'x') + "'>]><wqf>";
        auto references = [](int n) { return QByteArray("&a;").repeated(n); };
        const QByteArray utf7 = declaration("UTF-7");
        QTest::newRow("UTF-7, 256 hidden references")
            << utf7 + entity + utf7Run(references(256)) + "</wqf>" << QString();
        // About 800 KB; the reader alone took seconds and more than a gigabyte for it.
        QTest::newRow("UTF-7, 100000 hidden references")
            << utf7 + entity + utf7Run(references(100000)) + "</wqf>" << expandsAt(utf7 + entity + references(256));
        auto attributes = [](int n) {
            QByteArray out = "<wqf";
            for (int i = 0; i < n; ++i)
                out += " a" + QByteArray::number(i) + "=''";
            return out + "/>";
        };
        QTest::newRow("UTF-7, 1024 hidden attributes") << utf7 + utf7Run(attributes(1024)) << QString();
        QTest::newRow("UTF-7, 1025 hidden attributes")
            << utf7 + utf7Run(attributes(1025))
            << "In 'stream:' (line 1 pos 39): Element with more than 1024 attributes.";
        QTest::newRow("UTF-7, only the equals signs hidden")
            << utf7 + attributes(1025).replace("=", utf7Run("="))
            << "In 'stream:' (line 1 pos 39): Element with more than 1024 attributes.";
        const QByteArray ebcdic = declaration("IBM037");
        auto inEbcdic = [&](const QByteArray &markup) {
            return ebcdic + encoded("IBM037", QString::fromLatin1(markup));
        };
        QTest::newRow("EBCDIC, 1025 attributes")
            << inEbcdic(attributes(1025)) << "In 'stream:' (line 1 pos 40): Element with more than 1024 attributes.";
        QTest::newRow("EBCDIC, 257 references")
            << inEbcdic(entity + references(257) + "</wqf>") << expandsAt(ebcdic + entity + references(256));
        // The reader decodes the whole input again as UTF-16 and goes on from the 40th character.
        const QByteArray utf16 = declaration("UTF-16");
        QTest::newRow("UTF-16 after a declaration in ASCII")
            << utf16 + QByteArray(utf16.size(), ' ') +
                   encoded("UTF-16LE", QString::fromLatin1(entity + references(257)))
            << expandsAt(utf16 + entity + references(256));
        // A byte of windows-1252 from 0x80 up is one character, whatever it would be in UTF-8.
        const QByteArray cp1252 = declaration("windows-1252");
        const QByteArray euros = "<!DOCTYPE wqf [<!ENTITY a '" + QByteArray(4096, '\x80') + "'>]><wqf>";
        QTest::newRow("windows-1252, 256 references") << cp1252 + euros + references(256) + "</wqf>" << QString();
        QTest::newRow("windows-1252, 257 references")
            << cp1252 + euros + references(257) + "</wqf>" << expandsAt(cp1252 + entity + references(256));
    }
    void limitsInEveryEncoding() { readRow(); }

    // A page reads alike in every encoding it may come in, and so does what the writer makes of it.
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("in");
        const QString text = QStringLiteral("caf\u00e9 \u00dc");
        auto page = [&](const char *encoding) {
            const QString declaration =
                encoding ? "<?xml version=\"1.0\" encoding=\"" + QString(encoding) + "\"?>\n" : QString();
            return declaration + "<wqf a=\"" + text + "\">\n  <fn>" + text + "</fn>\n</wqf>\n";
        };
        const auto bom = QStringConverter::Flag::WriteBom;
        QTest::newRow("UTF-8") << encoded("UTF-8", page("UTF-8"));
        QTest::newRow("UTF-8, no declaration") << encoded("UTF-8", page(nullptr));
        QTest::newRow("UTF-8, byte-order mark") << encoded("UTF-8", page("utf-8"), bom);
        QTest::newRow("UTF-16 LE, byte-order mark") << encoded("UTF-16LE", page("UTF-16"), bom);
        QTest::newRow("UTF-16 BE, byte-order mark") << encoded("UTF-16BE", page("UTF-16"), bom);
        QTest::newRow("UTF-16 LE") << encoded("UTF-16LE", page("UTF-16LE"));
        QTest::newRow("UTF-16 BE") << encoded("UTF-16BE", page("UTF-16BE"));
        QTest::newRow("UTF-16 LE, no declaration") << encoded("UTF-16LE", page(nullptr));
        QTest::newRow("UTF-16 BE, no declaration") << encoded("UTF-16BE", page(nullptr));
        QTest::newRow("UTF-32 LE, byte-order mark") << encoded("UTF-32LE", page("UTF-32"), bom);
        QTest::newRow("UTF-32 BE, byte-order mark") << encoded("UTF-32BE", page("UTF-32"), bom);
        QTest::newRow("UTF-32 LE") << encoded("UTF-32LE", page("UTF-32LE"));
        QTest::newRow("UTF-32 BE") << encoded("UTF-32BE", page("UTF-32BE"));
        QTest::newRow("ISO-8859-1") << encoded("ISO-8859-1", page("ISO-8859-1"));
        QTest::newRow("ISO-8859-15") << encoded("ISO-8859-15", page("ISO-8859-15"));
        QTest::newRow("ISO-8859-2") << encoded("ISO-8859-2", page("ISO-8859-2"));
        QTest::newRow("windows-1252") << encoded("windows-1252", page("windows-1252"));
        QTest::newRow("windows-1250") << encoded("windows-1250", page("windows-1250"));
    }
    void encodings()
    {
        QFETCH(QByteArray, in);
        const QString text = QStringLiteral("caf\u00e9 \u00dc");
        for (bool keep : {false, true}) {
            const auto doc = readXMLBytes(in, keep);
            const XmlElement *root = doc->documentElement();
            QVERIFY(root);
            QCOMPARE(root->attributes().size(), size_t(1));
            QCOMPARE(root->attributes().front().value, text);
            QCOMPARE(root->textContent().trimmed(), text);
            const auto again = readXMLBytes(writeXMLToBytes(*doc, {}), keep);
            QCOMPARE(again->documentElement()->attributes().front().value, text);
            QCOMPARE(again->documentElement()->textContent().trimmed(), text);
        }
    }

    void errors_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("message");
        QTest::newRow("not xml") << QByteArray("not xml") << "In 'stream:' (line 1 pos 1): Start tag expected.";
        QTest::newRow("unclosed") << QByteArray("<a>\n<b>\n</a>")
                                  << "In 'stream:' (line 3 pos 4): Opening and ending tag mismatch.";
        QTest::newRow("lone ampersand") << QByteArray("<a>\n x & y</a>")
                                        << "In 'stream:' (line 2 pos 5): Expected '#' or '[a-zA-Z]', but got ' '.";
        QTest::newRow("empty") << QByteArray("") << "In 'stream:' (line 1 pos 0): Premature end of document.";
        QTest::newRow("undeclared entity")
            << QByteArray("<a>&nbsp;</a>") << "In 'stream:' (line 1 pos 9): Entity 'nbsp' not declared.";
        // No reader takes a document type anywhere but before the root, nor two of them.
        QTest::newRow("document type inside the root")
            << QByteArray("<wqf><!DOCTYPE x><function/></wqf>")
            << "In 'stream:' (line 1 pos 17): Document type declaration after the start of the root element.";
        QTest::newRow("document type after the root")
            << QByteArray("<wqf/>\n<!DOCTYPE x>")
            << "In 'stream:' (line 2 pos 12): Document type declaration after the start of the root element.";
        QTest::newRow("second document type")
            << QByteArray("<!DOCTYPE x><!DOCTYPE y><wqf/>")
            << "In 'stream:' (line 1 pos 24): More than one document type declaration.";
    }
    void errors()
    {
        QFETCH(QByteArray, in);
        QFETCH(QString, message);
        QBuffer buffer(&in);
        buffer.open(QIODevice::ReadOnly);
        try {
            ReadXMLFilePreservingWhitespace(buffer);
            QFAIL("no error raised");
        } catch (const EXMLReadError &e) {
            QCOMPARE(e.message(), message);
        }
    }
};

PELLORIN_TEST_CLASS(TestXmlReader)
#include "test_xmlreader.moc"
