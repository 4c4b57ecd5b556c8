#include "base/exception.h"
#include "common/pagefixture.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/morivanecomponents.h"
#include "model/wqftypes.h"
#include "model/xmlread.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace pellorin_test;

namespace {
// The kind and its fields in one line each, every key of the description file.
QString dump(const TComponentDescr &kind)
{
    auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    QString out = QStringLiteral("%1|%2|max %3|min %4|one %5")
                      .arg(kind.Name, kind.UserName)
                      .arg(kind.MaxConn)
                      .arg(kind.MinConn)
                      .arg(flag(kind.OneValReq));
    for (const TComponentField &f : kind.Fields)
        out += QStringLiteral("\n[%1] var %2 tag=%3 default=%4 name=%5 type=%6 host=%7 types=%8 dbl %9 nocdata %10 "
                              "edit %11 values=%12")
                   .arg(f.Name, flag(f.Variable), f.Tag, f.Default, f.NameTag, f.TypeTag, f.HostTag, f.Types,
                        flag(f.DblQuote))
                   .arg(flag(f.NoCData), flag(f.Editable), f.Values);
    return out;
}

TComponentDescr kindFrom(const QByteArray &ini, const QString &fileName = QStringLiteral("KIND.ini"))
{
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    writeBytes(path, ini);
    TComponentDescr kind;
    kind.LoadFromIni(path);
    return kind;
}

TComponentField field(const QString &name, const QString &tag)
{
    TComponentField f;
    f.Name = name;
    f.Tag = tag;
    f.Editable = true;
    return f;
}

TComponentField variable(const QString &name, const QString &nameTag, const QString &tag,
                         const QString &hostTag = QString(), const QString &typeTag = QString())
{
    TComponentField f = field(name, tag);
    f.Variable = true;
    f.NameTag = nameTag;
    f.HostTag = hostTag;
    f.TypeTag = typeTag;
    return f;
}

TComponentDescr kindWith(std::vector<TComponentField> fields, bool oneValReq = false)
{
    TComponentDescr kind;
    kind.Name = QStringLiteral("K");
    kind.UserName = QStringLiteral("K");
    kind.Fields = std::move(fields);
    kind.OneValReq = oneValReq;
    return kind;
}

// The fixed field a (tag x, default 1) and the variable field b (nametag n, tag v).
TComponentDescr fixedAndVariable(bool oneValReq)
{
    TComponentField a = field("a", "x");
    a.Default = "1";
    return kindWith({a, variable("b", "n", "v")}, oneValReq);
}

std::unique_ptr<TWQFFile> pageWithValues(const QByteArray &values, PageOptions options = {})
{
    return pageWith("<c><n>0</n><t>K</t><c/><j/><j/><x>0</x><y>0</y>" + values + "</c>", options);
}

TWQFItem *firstItem(TWQFFile &page) { return page.FindSection("preproc")->Items().at(0).get(); }

QByteArray valuesOf(TWQFFile &page) { return written(firstItem(page)->ValuesNode()); }
} // namespace

Q_DECLARE_METATYPE(TComponentDescr)

class TestMorivaneComponents : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { clearComponentDescrs(); }

    void loadFromIni_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no MAIN section") << QByteArray("[sql]\ntag=query\n[Params]\nvariable=1\n")
                                         << "KIND|KIND|max 1|min 0|one 0\n"
                                            "[sql] var 0 tag=query default= name= type= host= types= dbl 0 nocdata 0 "
                                            "edit 1 values=\n"
                                            "[Params] var 1 tag= default= name= type= host= types= dbl 0 nocdata 0 "
                                            "edit 1 values=";
        QTest::newRow("MAIN in any case")
            << QByteArray("[main]\nName=SELECTQUERY\nUserName=Select\nMaxConn=2\nMinConn=1\nonevalreq=1\n")
            << "SELECTQUERY|Select|max 2|min 1|one 1";
        QTest::newRow("caption defaults to the name read")
            << QByteArray("[MAIN]\nName=IF\n") << "IF|IF|max 1|min 0|one 0";
        QTest::newRow("empty values give the defaults")
            << QByteArray("[MAIN]\nName=\nUserName=\nMaxConn=\nonevalreq=\n[f]\nvariable=\neditable=\ntag=\n")
            << "KIND|KIND|max 1|min 0|one 0\n"
               "[f] var 0 tag= default= name= type= host= types= dbl 0 nocdata 0 edit 1 values=";
        QTest::newRow("numbers that do not parse")
            << QByteArray("[MAIN]\nMaxConn=two\nMinConn=1x\n") << "KIND|KIND|max 1|min 0|one 0";
        QTest::newRow("hex number") << QByteArray("[MAIN]\nMaxConn=$10\n") << "KIND|KIND|max 16|min 0|one 0";
        QTest::newRow("Booleans by their first character")
            << QByteArray("[MAIN]\nonevalreq=true\n[f]\nvariable=10\ndblquote=yes\nnocdata=1\neditable=true\n")
            << "KIND|KIND|max 1|min 0|one 0\n"
               "[f] var 1 tag= default= name= type= host= types= dbl 0 nocdata 1 edit 0 values=";
        QTest::newRow("editable=1")
            << QByteArray("[f]\neditable=1\n")
            << "KIND|KIND|max 1|min 0|one 0\n"
               "[f] var 0 tag= default= name= type= host= types= dbl 0 nocdata 0 edit 1 values=";
        QTest::newRow("every key, as written")
            << QByteArray("[Parameters]\nvariable=1\nhosttag=param\nnametag=n\ntypetag=t\ntag=v\n"
                          "types=STRING, \"A B\"\ndblquote=1\ndefault='%x%' \\n\nvalues=GET,POST\n")
            << "KIND|KIND|max 1|min 0|one 0\n"
               "[Parameters] var 1 tag=v default='%x%' \\n name=n type=t host=param types=STRING, \"A B\" dbl 1 "
               "nocdata 0 edit 1 values=GET,POST";
        QTest::newRow("keys and sections without case, first key wins")
            << QByteArray("[F]\nTAG=a\ntag=b\n[f]\nNameTag=c\n")
            << "KIND|KIND|max 1|min 0|one 0\n"
               "[F] var 0 tag=a default= name=c type= host= types= dbl 0 nocdata 0 edit 1 values=";
        QTest::newRow("comments and blank lines")
            << QByteArray("; kind\r\n\r\n[MAIN]\r\n;Name=X\r\nName=Y\r\n") << "Y|Y|max 1|min 0|one 0";
    }
    void loadFromIni()
    {
        QFETCH(QByteArray, ini);
        QTEST(dump(kindFrom(ini)), "expected");
    }

    void loadFromIniNames()
    {
        // Only the last extension goes; the name keeps its case.
        QCOMPARE(kindFrom("", "My.Kind.ini").Name, QString("My.Kind"));
        QCOMPARE(kindFrom("[MAIN]\nUserName=Caption\n", "set.ini").Name, QString("set"));
    }

    // Keys missing from a second file keep what the first one gave; flags and texts with a
    // fixed default do not.
    void loadTwiceKeepsCurrentValues()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("a.ini"), "[MAIN]\nMaxConn=3\nMinConn=2\n[f]\ntag=x\nnametag=n\ntypetag=t\nhosttag=h\n"
                                          "types=A\nvariable=1\ndefault=d\nvalues=V\neditable=0\n");
        writeBytes(dir.filePath("b.ini"), "[MAIN]\nName=B\n[f]\n[g]\ntag=y\n");
        TComponentDescr kind;
        kind.LoadFromIni(dir.filePath("a.ini"));
        kind.LoadFromIni(dir.filePath("b.ini"));
        QCOMPARE(dump(kind),
                 QString("B|B|max 3|min 2|one 0\n"
                         "[f] var 0 tag=x default= name=n type=t host=h types=A dbl 0 nocdata 0 edit 1 "
                         "values=\n"
                         "[g] var 0 tag=y default= name= type= host= types= dbl 0 nocdata 0 edit 1 values="));
    }

    void loadFromIniFailures()
    {
        QTemporaryDir dir;
        TComponentDescr kind;
        kind.Name = "kept";
        const QString missing = dir.filePath("missing.ini");
        try {
            kind.LoadFromIni(missing);
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.message(), "Cannot read the file \"" + missing + "\": No such file or directory");
        }
        QVERIFY(QDir(dir.path()).mkdir("folder.ini"));
        QVERIFY_THROWS_EXCEPTION(Exception, kind.LoadFromIni(dir.filePath("folder.ini")));
        const QString binary = dir.filePath("binary.ini");
        writeBytes(binary, "[MAIN]\nName=\xff\xfe\n");
        try {
            kind.LoadFromIni(binary);
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.message(), "The file \"" + binary + "\" is not UTF-8 text");
        }
        writeBytes(binary, QByteArray("[MAIN]\nName=a\0b\n", 16));
        QVERIFY_THROWS_EXCEPTION(Exception, kind.LoadFromIni(binary));
        QCOMPARE(dump(kind), QString("kept||max 1|min 0|one 0"));
    }

    void findOrAddField()
    {
        TComponentDescr kind = kindWith({field("Sql", "query")});
        QCOMPARE(kind.FindOrAddField("Sql"), 0);
        QCOMPARE(kind.FindOrAddField("sql"), 1); // names compare with their case
        QCOMPARE(kind.FieldCount(), 2);
        kind.Fields[1].Name = "sql";
        QCOMPARE(kind.FindOrAddField("sql"), 1);
        // A new field is empty, every flag off, until the file's keys are read into it.
        kind.FindOrAddField("new");
        QCOMPARE(dump(kind).section('\n', 3),
                 QString("[] var 0 tag= default= name= type= host= types= dbl 0 nocdata 0 edit 0 values="));
    }

    void createParamNodes_data()
    {
        QTest::addColumn<TComponentDescr>("kind");
        QTest::addColumn<bool>("withDefaults");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("onevalreq: fixed entry, then a bare entry of every field")
            << fixedAndVariable(true) << true << QByteArray("<values><x>1</x><x/><n/><v/></values>");
        QTest::newRow("fixed entry only") << fixedAndVariable(false) << true << QByteArray("<values><x>1</x></values>");
        QTest::newRow("without defaults") << fixedAndVariable(false) << false << QByteArray("<values><x/></values>");

        TComponentField named = field("f", "v");
        named.NameTag = "n";
        named.TypeTag = "t";
        named.Default = "a<b & 'c'";
        QTest::newRow("name, value and type of a fixed field; the default as plain text")
            << kindWith({named}) << true << QByteArray("<values><n/><v>a&lt;b &amp; 'c'</v><t/></values>");

        QTest::newRow("second pass uses no host") << kindWith({variable("p", "n", "v", "param", "t")}, true) << true
                                                  << QByteArray("<values><n/><v/><t/></values>");
        TComponentField defaulted = variable("p", "n", "v");
        defaulted.Default = "d";
        QTest::newRow("second pass writes no default")
            << kindWith({defaulted}, true) << true << QByteArray("<values><n/><v/></values>");
        QTest::newRow("variable fields only")
            << kindWith({variable("p", "n", "v", "param", "t")}) << true << QByteArray("<values/>");
        QTest::newRow("no fields") << kindWith({}, true) << true << QByteArray("<values/>");
    }
    void createParamNodes()
    {
        QFETCH(TComponentDescr, kind);
        QFETCH(bool, withDefaults);
        auto page = pageWithValues("<values/>");
        kind.CreateParamNodes(firstItem(*page), withDefaults);
        QTEST(valuesOf(*page), "expected");
    }

    void addVariableParamNodes_data()
    {
        QTest::addColumn<TComponentDescr>("kind");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("without host: name and value")
            << fixedAndVariable(false) << QByteArray("<values><x>1</x><n/><v/><n/><v/></values>");
        QTest::newRow("without host: no type element")
            << kindWith({variable("p", "n", "v", QString(), "t")}) << QByteArray("<values><n/><v/><n/><v/></values>");
        QTest::newRow("host holding name, type and value")
            << kindWith({variable("p", "n", "v", "param", "t")})
            << QByteArray("<values><param><n/><t/><v/></param><param><n/><t/><v/></param></values>");
        QTest::newRow("every variable field in field order")
            << kindWith({variable("p", "n", "v", "param", "t"), field("f", "x"), variable("q", "a", "b")})
            << QByteArray(
                   "<values><x/><param><n/><t/><v/></param><a/><b/><param><n/><t/><v/></param><a/><b/></values>");
    }
    // Two clicks of "Add" on a component placed from the palette.
    void addVariableParamNodes()
    {
        QFETCH(TComponentDescr, kind);
        auto page = pageWithValues("<values/>");
        TWQFItem *item = firstItem(*page);
        kind.CreateParamNodes(item, true);
        kind.AddVariableParamNodes(item);
        kind.AddVariableParamNodes(item);
        QTEST(valuesOf(*page), "expected");
    }

    void missingValuesElement()
    {
        auto page = pageWith("<c><n>0</n><t>K</t></c>");
        TWQFItem *item = firstItem(*page);
        const TComponentDescr kind = fixedAndVariable(true);
        kind.CreateParamNodes(item, true);
        kind.AddVariableParamNodes(item);
        kind.CreateParamNodes(nullptr, true);
        QCOMPARE(written(item->Node()), QByteArray("<c><n>0</n><t>K</t></c>"));
    }

    // A kind that names an element it cannot create is refused before its first element.
    void unusableElementNames_data()
    {
        QTest::addColumn<TComponentDescr>("kind");
        QTest::addColumn<bool>("variableEntry");
        QTest::addColumn<QString>("message");
        const QString prefix = QStringLiteral("The kind \"K\" cannot create its elements: ");
        QTest::newRow("empty tag of a fixed field after a good one")
            << kindWith({field("good", "x"), field("Sql", "")}) << false
            << prefix + "the field \"Sql\" names no element in \"tag\"";
        QTest::newRow("blank in a name") << kindWith({field("f", "a b")}) << false
                                         << prefix + "\"a b\" in \"tag\" of the field \"f\" is no element name";
        QTest::newRow("name starting with a digit")
            << kindWith({field("f", "1x")}) << false
            << prefix + "\"1x\" in \"tag\" of the field \"f\" is no element name";
        QTest::newRow("lone surrogate") << kindWith({field("f", QString(QChar(0xD800)) + "a")}) << false
                                        << prefix + "\"" + QChar(0xD800) +
                                               "a\" in \"tag\" of the field \"f\" is no element name";
        TComponentField typed = field("f", "v");
        typed.TypeTag = "t>";
        QTest::newRow("type element of a fixed field")
            << kindWith({typed}) << false << prefix + "\"t>\" in \"typetag\" of the field \"f\" is no element name";
        QTest::newRow("second pass: empty tag of a variable field")
            << kindWith({field("f", "x"), variable("p", "n", "")}, true) << false
            << prefix + "the field \"p\" names no element in \"tag\"";
        QTest::newRow("variable entry without name element")
            << kindWith({variable("p", "", "v")}) << true << prefix + "the field \"p\" names no element in \"nametag\"";
        QTest::newRow("hosted entry without type element")
            << kindWith({variable("ok", "a", "b"), variable("p", "n", "v", "param")}) << true
            << prefix + "the field \"p\" names no element in \"typetag\"";
        QTest::newRow("host name with a blank")
            << kindWith({variable("p", "n", "v", "par am", "t")}) << true
            << prefix + "\"par am\" in \"hosttag\" of the field \"p\" is no element name";
        // The type name and the defaults go into the page as texts.
        TComponentField controlDefault = field("f", "v");
        controlDefault.Default = "a\x01";
        QTest::newRow("default with a control character")
            << kindWith({field("good", "x"), controlDefault}) << false
            << prefix + "the default of the field \"f\" holds a character that a page cannot hold";
        TComponentField notACharacter = field("f", "v");
        notACharacter.Default = QString(QChar(0xFFFF));
        QTest::newRow("default that is no character")
            << kindWith({notACharacter}) << false
            << prefix + "the default of the field \"f\" holds a character that a page cannot hold";
        TComponentDescr controlName = kindWith({field("f", "v")});
        controlName.Name = "K\x04";
        QTest::newRow("name with a control character")
            << controlName << false
            << "The kind \"K\x04\" cannot create its elements: its name holds a character that a page cannot hold";
        // A page read again drops a blank text, and the component would lose its kind.
        TComponentDescr blankName = kindWith({field("f", "v")});
        blankName.Name = "\t \t";
        QTest::newRow("blank name") << blankName << false
                                    << "The kind \"\t \t\" cannot create its elements: its name is blank, which a page "
                                       "does not keep";
        // Names the reader refuses, though the name rule of XML as it is now allows them.
        auto cp = [](char32_t c) { return QStringView(QChar::fromUcs4(c)).toString(); };
        for (const QString &name : {QString(":query"), QString("a:"), QString("a::b"), QString("a:b:c"), QString("a:1"),
                                    "a" + cp(0xFEFF), cp(0x2070), "a" + cp(0x3001), cp(0xFDF0), cp(0x10000) + "x"})
            QTest::newRow(qPrintable("refused by the reader: " + name))
                << kindWith({field("SQL", name)}) << false
                << prefix + "\"" + name + "\" in \"tag\" of the field \"SQL\" is no element name";
    }
    void unusableElementNames()
    {
        QFETCH(TComponentDescr, kind);
        QFETCH(bool, variableEntry);
        QFETCH(QString, message);
        auto page = pageWithValues("<values><keep/></values>");
        TWQFItem *item = firstItem(*page);
        QCOMPARE(variableEntry ? kind.variableParamNodesError() : kind.paramNodesError(), message);
        try {
            if (variableEntry)
                kind.AddVariableParamNodes(item);
            else
                kind.CreateParamNodes(item, true);
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(valuesOf(*page), QByteArray("<values><keep/></values>"));
    }

    void usableElementNames()
    {
        // Unicode letters, digits after the first character, and the marks XML allows.
        const TComponentDescr kind = kindWith(
            {field("f", QString::fromUtf8("wert_1.a-b")), field("g", QString::fromUtf8("\xc3\xa9t\xc3\xa9")),
             field("h", "ns:v"), field("i", QString::fromUtf8("x\xc2\xb7")), variable("p", "n", "v", "param", "t")},
            true);
        QCOMPARE(kind.paramNodesError(), QString());
        QCOMPARE(kind.variableParamNodesError(), QString());
        // A variable field's empty name and type elements matter only when it gets entries.
        QCOMPARE(kindWith({variable("p", "", "")}).paramNodesError(), QString());
        QVERIFY(!kindWith({variable("p", "", "")}).variableParamNodesError().isEmpty());
    }

    // Any kind the catalogue takes gives a page that saves and opens again with the same
    // elements, and a name it refuses the reader refuses as well: every character of the basic
    // plane and a spread of the others, first and after a letter (the colon has rows of its own).
    void acceptedNamesSaveAndReopen()
    {
        auto readsBack = [](const QString &name) {
            try {
                auto doc = readXMLBytes("<wqf><preproc><" + name.toUtf8() + "/></preproc></wqf>", false);
                const XmlNode *element = doc->documentElement()->firstChild()->firstChild();
                return element && element->name() == name;
            } catch (const EXMLReadError &) {
                return false;
            }
        };
        std::vector<TComponentField> accepted;
        QStringList refusedButReadable;
        TComponentDescr one = kindWith({field("f", QString())});
        for (char32_t c = 1; c < 0x110000; c += c < 0x10000 ? 1 : 0x1001) {
            if (QChar::isSurrogate(c))
                continue;
            const QString ch = QStringView(QChar::fromUcs4(c)).toString();
            for (const QString &name : {ch, "a" + ch}) {
                one.Fields[0].Tag = name;
                if (one.paramNodesError().isEmpty())
                    accepted.push_back(field(QString::number(accepted.size()), name));
                else if (readsBack(name))
                    refusedButReadable << name;
            }
        }
        QCOMPARE(refusedButReadable, QStringList());

        auto page = pageWithValues("<values/>");
        kindWith(accepted).CreateParamNodes(firstItem(*page), true);
        QBuffer saved;
        saved.open(QIODevice::WriteOnly);
        QVERIFY2(page->SaveToStream(saved, {}), qPrintable(page->LastError()));
        TWQFFile reopened;
        QBuffer read(&saved.buffer());
        read.open(QIODevice::ReadOnly);
        QVERIFY2(reopened.LoadFromStream(read, {}), qPrintable(reopened.LastError()));
        QStringList expected, got;
        for (const TComponentField &f : accepted)
            expected << f.Tag;
        for (const auto &child : firstItem(reopened)->ValuesNode()->childNodes())
            got << child->nodeName();
        QCOMPARE(got.size(), expected.size());
        QCOMPARE(got, expected);
    }

    void findComponentDescr()
    {
        for (const char *name : {"SetVar", "SETVAR", "If"}) {
            auto kind = std::make_unique<TComponentDescr>();
            kind->Name = name;
            ComponentDescrs().push_back(std::move(kind));
        }
        QCOMPARE(FindComponentDescr("setvar"), ComponentDescrs()[0].get());
        QCOMPARE(FindComponentDescr("SETVAR"), ComponentDescrs()[0].get());
        QCOMPARE(FindComponentDescr("iF"), ComponentDescrs()[2].get());
        QCOMPARE(FindComponentDescr("IF "), nullptr);
        QCOMPARE(FindComponentDescr(""), nullptr);
        // Upper-casing is ASCII only.
        ComponentDescrs()[2]->Name = QString::fromUtf8("\xc3\xa9");
        QCOMPARE(FindComponentDescr(QString::fromUtf8("\xc3\x89")), nullptr);
    }

    void getParamValues_data()
    {
        QTest::addColumn<TComponentDescr>("kind");
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<QStringList>("expected");
        const TComponentDescr hosted = kindWith({field("sql", "query"), variable("p", "n", "v", "param", "t")});
        QTest::newRow("hosted entries: name, type and value each")
            << hosted
            << QByteArray("<values><query>select</query><param><n>a</n><t>S</t><v>1</v></param>"
                          "<param><v>2</v><n>b</n></param></values>")
            << QStringList{"select", "a", "S", "1", "b", "2"};
        QTest::newRow("first child of each name in a host")
            << hosted << QByteArray("<values><param><n>a</n><n>b</n><v><![CDATA[x]]></v></param></values>")
            << QStringList{"a", "x"};
        const TComponentDescr pairs = kindWith({variable("p", "n", "v"), field("other", "s")});
        QTest::newRow("name and value") << pairs << QByteArray("<values><n>a</n><v>1</v><n>b</n><v>2</v></values>")
                                        << QStringList{"a", "1", "b", "2"};
        QTest::newRow("a stray element after a name is passed over")
            << pairs << QByteArray("<values><n>a</n><s>x</s><v>1</v></values>") << QStringList{"a", "1"};
        QTest::newRow("the same element on its own is a value")
            << pairs << QByteArray("<values><s>x</s><n>a</n><v>1</v></values>") << QStringList{"x", "a", "1"};
        QTest::newRow("a name element last ends the walk")
            << pairs << QByteArray("<values><v>0</v><n>a</n></values>") << QStringList{"0", "a"};
        QTest::newRow("a comment after a name is its follower")
            << pairs << QByteArray("<values><n>a</n><!--c--><s>x</s></values>") << QStringList{"a", "x"};
        QTest::newRow("names compare with their case")
            << pairs << QByteArray("<values><N>a</N><V>1</V><v>2</v></values>") << QStringList{"2"};
        QTest::newRow("doubled apostrophes stay")
            << kindWith({field("c", "v")}) << QByteArray("<values><v>a = ''x''</v></values>")
            << QStringList{"a = ''x''"};
        QTest::newRow("first field in field order wins")
            << kindWith({field("first", "v"), variable("p", "n", "v")})
            << QByteArray("<values><v>1</v><n>a</n><v>2</v></values>") << QStringList{"1", "a", "2"};
        QTest::newRow("empty name and type elements never match")
            << kindWith({variable("p", "", "v")}) << QByteArray("<values><v>1</v></values>") << QStringList{"1"};
        QTest::newRow("no values element") << pairs << QByteArray() << QStringList();
    }
    void getParamValues()
    {
        QFETCH(TComponentDescr, kind);
        QFETCH(QByteArray, values);
        ComponentDescrs().push_back(std::make_unique<TComponentDescr>(kind));
        auto page = pageWithValues(values);
        QStringList texts{"before"};
        GetParamValues(firstItem(*page), &texts);
        QFETCH(QStringList, expected);
        expected.prepend("before");
        QCOMPARE(texts, expected);
    }

    void getParamValuesWhitespace()
    {
        ComponentDescrs().push_back(std::make_unique<TComponentDescr>(kindWith({variable("p", "n", "v")})));
        // Kept whitespace between a name and its value is passed over.
        auto page = pageWithValues("<values>\n  <n>a</n>\n  <v>1</v>\n</values>", poWhitespace);
        QStringList texts;
        GetParamValues(firstItem(*page), &texts);
        QCOMPARE(texts, QStringList({"a", "1"}));
    }

    void getParamValuesNothing()
    {
        auto page = pageWithValues("<values><v>1</v></values>");
        QStringList texts;
        GetParamValues(firstItem(*page), &texts); // kind not in the catalogue
        GetParamValues(nullptr, &texts);
        QCOMPARE(texts, QStringList());
        ComponentDescrs().push_back(std::make_unique<TComponentDescr>(kindWith({field("c", "v")})));
        GetParamValues(firstItem(*page), nullptr);
        GetParamValues(firstItem(*page), &texts);
        QCOMPARE(texts, QStringList({"1"}));
    }

    // One unreadable or broken file is skipped with a line naming it; the others load in
    // the order of the folder listing.
    void loadComponentDescrs()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("b.ini"), "[MAIN]\nName=SECOND\n");
        writeBytes(dir.filePath("A.ini"), "[MAIN]\nName=FIRST\n[f]\ntag=v\n");
        writeBytes(dir.filePath("c.ini"), "[MAIN]\nName=\x80\n");
        writeBytes(dir.filePath("d.INI"), "");
        writeBytes(dir.filePath("e.txt"), "[MAIN]\nName=NOT\n");
        QVERIFY(QDir(dir.path()).mkdir("bad.ini"));
        const QString folder = dir.path() + '/';
        const QStringList messages = LoadComponentDescrs(dir.path());
        QCOMPARE(messages, QStringList({"Component kind skipped: Cannot read the file \"" + folder +
                                            "bad.ini\": file to open is a directory",
                                        "Component kind skipped: The file \"" + folder + "c.ini\" is not UTF-8 text"}));
        QStringList names;
        for (const auto &kind : ComponentDescrs())
            names << kind->Name;
        QCOMPARE(names, QStringList({"FIRST", "SECOND", "d"}));
        QCOMPARE(ComponentDescrs()[0]->FieldCount(), 1);
        // A second load appends; a missing folder adds nothing.
        QCOMPARE(LoadComponentDescrs(folder + "missing"), QStringList());
        QCOMPARE(ComponentDescrs().size(), size_t(3));
    }
};

PELLORIN_TEST_CLASS(TestMorivaneComponents)
#include "test_morivanecomponents.moc"
