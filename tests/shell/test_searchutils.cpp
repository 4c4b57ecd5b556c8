#include "common/pagefixture.h"
#include "common/testmain.h"
#include "shell/pagesearch.h"
#include "shell/searchresultformunit.h"
#include "shell/searchutils.h"

#include <QTest>

using Positions = QList<qsizetype>;

namespace {
Positions findAll(const QByteArray &text, const QByteArray &pattern, bool wholeWord, bool firstOnly)
{
    qsizetype count = -1;
    TDynIntegerArray positions;
    FindAll(text, pattern, wholeWord, firstOnly, WordDelimiters(), count, positions);
    return Positions(positions.begin(), positions.begin() + count);
}

TSearchOptions options(const QString &text, bool caseSensitive = false, bool wholeWord = false)
{
    TSearchOptions o;
    o.SearchText = text;
    o.CaseSensitive = caseSensitive;
    o.WholeWord = wholeWord;
    return o;
}

// "section/item/key@position" of each hit.
QStringList hits(const SearchResults &results)
{
    QStringList out;
    for (const TSearchResult &r : results)
        out << r.Section + u'/' + r.ItemName + u'/' + r.Key + u'@' + QString::number(r.Position);
    return out;
}

// The delimiters as they are listed for users: the control characters and the blank, the
// punctuation below, and 255.
const QByteArray kDelimiterPunctuation = "!#$%&()*+,-./;<=>@[\\]^|";
} // namespace

class TestSearchUtils : public QObject {
    Q_OBJECT
private slots:
    void delimiters()
    {
        int count = 0;
        for (int c = 0; c < 256; ++c) {
            const bool expected = c <= 32 || c == 255 || kDelimiterPunctuation.contains(char(c));
            QVERIFY2(WordDelimiters().contains(uchar(c)) == expected, qPrintable(QString::number(c)));
            count += expected ? 1 : 0;
        }
        QCOMPARE(count, 57);
    }

    void findAll_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<bool>("firstOnly");
        QTest::addColumn<Positions>("expected");
        QTest::newRow("at position 1") << QByteArray("abcab") << QByteArray("ab") << false << false << Positions{1, 4};
        QTest::newRow("at the very end") << QByteArray("xxab") << QByteArray("ab") << false << false << Positions{3};
        QTest::newRow("the whole text") << QByteArray("ab") << QByteArray("ab") << true << false << Positions{1};
        QTest::newRow("first byte only") << QByteArray("aab") << QByteArray("ab") << false << false << Positions{2};
        QTest::newRow("last byte differs") << QByteArray("abx") << QByteArray("aby") << false << false << Positions{};
        QTest::newRow("no overlap") << QByteArray("aaaa") << QByteArray("aa") << false << false << Positions{1, 3};
        QTest::newRow("odd overlap") << QByteArray("aaa") << QByteArray("aa") << false << false << Positions{1};
        QTest::newRow("first only") << QByteArray("abab") << QByteArray("ab") << false << true << Positions{1};
        QTest::newRow("pattern longer") << QByteArray("a") << QByteArray("ab") << false << false << Positions{};
        QTest::newRow("empty text") << QByteArray() << QByteArray("a") << false << false << Positions{};
        QTest::newRow("empty pattern") << QByteArray("abc") << QByteArray() << false << false << Positions{};
        QTest::newRow("bytes as they are")
            << QByteArray("Select") << QByteArray("select") << false << false << Positions{};
        // Whole words: the underscore and the colon belong to words, the blank does not.
        QTest::newRow("underscore") << QByteArray("user_id = id") << QByteArray("id") << true << false << Positions{11};
        QTest::newRow("colon") << QByteArray("where x = :id") << QByteArray("id") << true << false << Positions{};
        QTest::newRow("word at both ends") << QByteArray("id") << QByteArray("id") << true << false << Positions{1};
        QTest::newRow("first refused, second taken")
            << QByteArray("idx,id") << QByteArray("id") << true << true << Positions{5};
        QTest::newRow("inside a word") << QByteArray("ididid") << QByteArray("id") << true << false << Positions{};
        QTest::newRow("brackets") << QByteArray("f(id)[id]") << QByteArray("id") << true << false << Positions{3, 7};
        QTest::newRow("quotes belong to words")
            << QByteArray("'id' \"id\"") << QByteArray("id") << true << false << Positions{};
        QTest::newRow("not whole: all hits")
            << QByteArray("ididid") << QByteArray("id") << false << false << Positions{1, 3, 5};
        // UTF-8 bytes of letters above 127 are word bytes.
        QTest::newRow("after a non-ASCII letter")
            << QByteArray("\xc3\xa4id \xc3\xa4 id") << QByteArray("id") << true << false << Positions{9};
    }
    void findAll()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, pattern);
        QFETCH(bool, wholeWord);
        QFETCH(bool, firstOnly);
        QTEST(::findAll(text, pattern, wholeWord, firstOnly), "expected");
    }

    void wholeWordAtEveryByte_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<bool>("delimits");
        for (int c = 0; c < 256; ++c)
            QTest::addRow("%d", c) << c << (c <= 32 || c == 255 || kDelimiterPunctuation.contains(char(c)));
    }
    void wholeWordAtEveryByte()
    {
        // The byte before and after the word decides; "id" itself never contains it.
        QFETCH(int, byte);
        QFETCH(bool, delimits);
        if (byte == 'i' || byte == 'd')
            return;
        const QByteArray b(1, char(byte));
        QCOMPARE(::findAll(b + "id", "id", true, false), delimits ? Positions{2} : Positions{});
        QCOMPARE(::findAll("id" + b, "id", true, false), delimits ? Positions{1} : Positions{});
    }

    void positionsReused()
    {
        // The array grows to 4, then doubles; entries past Count are left as they were.
        TDynIntegerArray positions;
        qsizetype count = 0;
        FindAll(QByteArray("a a a a a"), QByteArray("a"), false, false, WordDelimiters(), count, positions);
        QCOMPARE(count, 5);
        QCOMPARE(positions.size(), size_t(8));
        QCOMPARE(Positions(positions.begin(), positions.begin() + count), Positions({1, 3, 5, 7, 9}));
        FindAll(QByteArray("xa"), QByteArray("a"), false, false, WordDelimiters(), count, positions);
        QCOMPARE(count, 1);
        QCOMPARE(positions[0], 2);
        QCOMPARE(positions[1], 3);
        FindAll(QByteArray("x"), QByteArray("a"), false, false, WordDelimiters(), count, positions);
        QCOMPARE(count, 0);
    }

    void upperCase()
    {
        QCOMPARE(upperCaseAsciiBytes("azAZ09_\xc3\xa4\xc3\xbf"), QByteArray("AZAZ09_\xc3\xa4\xc3\xbf"));
        // Every byte value at every place of a word of eight, and a tail.
        QByteArray all, expected;
        for (int shift = 0; shift < 9; ++shift)
            for (int c = 0; c < 256; ++c) {
                all += char(c);
                expected += char(c >= 'a' && c <= 'z' ? c - 32 : c);
            }
        for (int start = 0; start < 8; ++start) {
            QCOMPARE(upperCaseAsciiBytes(all.mid(start)), expected.mid(start));
            QByteArray into("left over");
            upperCaseAsciiInto(all.mid(start, 13), into);
            QCOMPARE(into, expected.mid(start, 13));
        }
    }

    void upperCaseFinderAcrossBlocks()
    {
        // Hits just before, across and after the edges of the finder's blocks, overlapping
        // ones too, against a search in a whole upper-cased copy.
        QByteArray text(300000, 'x');
        for (int i = 0; i < text.size(); i += 7)
            text[i] = "aBcDeF\xc3"[i % 7];
        const QByteArray word = "MaMaMa";
        for (qsizetype at : {0, 1000, 65533, 65540, 131069, 196600, 299994})
            text.replace(at, word.size(), at % 2 ? word.toLower() : word);
        for (const QByteArray &pattern : {QByteArray("MAMA"), QByteArray("A"), QByteArray("MAMAMA")}) {
            const QByteArray upper = upperCaseAsciiBytes(text);
            Positions expected, found;
            for (qsizetype at = findFrom(std::string_view(upper.constData(), upper.size()),
                                         std::string_view(pattern.constData(), pattern.size()), 0);
                 at >= 0; at = findFrom(std::string_view(upper.constData(), upper.size()),
                                        std::string_view(pattern.constData(), pattern.size()), at + 1))
                expected << at;
            UpperCaseFinder finder(std::string_view(text.constData(), text.size()),
                                   std::string_view(pattern.constData(), pattern.size()));
            for (qsizetype at = finder.findFrom(0); at >= 0; at = finder.findFrom(at + 1))
                found << at;
            QVERIFY(expected.size() >= 5);
            // One of them straddles the first block's end.
            if (pattern.size() > 1)
                QVERIFY(std::any_of(expected.begin(), expected.end(),
                                    [&](qsizetype p) { return p < 65536 && p + pattern.size() > 65536; }));
            QCOMPARE(found, expected);
            // Asked again further back, it finds the same.
            QCOMPARE(
                finder.findFrom(65534),
                expected[int(std::find_if(expected.begin(), expected.end(), [](qsizetype p) { return p >= 65534; }) -
                             expected.begin())]);
        }
        UpperCaseFinder none(std::string_view("ab"), std::string_view("ABC"));
        QCOMPARE(none.findFrom(0), -1);
        UpperCaseFinder empty(std::string_view("ab"), std::string_view());
        QCOMPARE(empty.findFrom(0), -1);
    }

    void textHits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<Positions>("expected");
        // Each Position is one more than the hit's own place.
        QTest::newRow("overlapping") << "aaa"
                                     << "aa" << false << Positions{2, 3};
        QTest::newRow("three times, any case") << "div DIV Div"
                                               << "div" << false << Positions{2, 6, 10};
        QTest::newRow("three times, with case") << "div DIV Div"
                                                << "DIV" << true << Positions{6};
        QTest::newRow("at the very end") << "xxab"
                                         << "ab" << false << Positions{4};
        QTest::newRow("whole text") << "ab"
                                    << "ab" << false << Positions{2};
        QTest::newRow("inside words") << "xdivx"
                                      << "div" << false << Positions{3};
        QTest::newRow("bytes after non-ASCII") << "\u00e4\u20ac<b>"
                                               << "<B>" << false << Positions{7};
        QTest::newRow("non-ASCII pattern") << "Gr\u00fc\u00dfe gr\u00fc\u00dfe"
                                           << "gr\u00fc\u00dfe" << false << Positions{2, 10};
        QTest::newRow("non-ASCII letters keep their case") << "\u00c4 \u00e4"
                                                           << "\u00e4" << false << Positions{5};
        QTest::newRow("empty text") << ""
                                    << "a" << false << Positions{};
        QTest::newRow("empty pattern") << "abc"
                                       << "" << false << Positions{};
    }
    void textHits()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, caseSensitive);
        SearchResults results;
        // Whole words are not asked for in the HTML.
        SearchTextHits("html", options(pattern, caseSensitive, true), text.toUtf8(), results);
        Positions found;
        for (const TSearchResult &r : results) {
            found << r.Position;
            QCOMPARE(r.Section, QString("html"));
            QVERIFY(r.ItemName.isEmpty() && r.Key.isEmpty());
            QCOMPARE(r.Text, text.toUtf8()); // case unchanged
            // The hit's bytes, compared as the search did.
            const QByteArray hit = r.Text.mid(r.Position - 2, pattern.toUtf8().size());
            QCOMPARE(caseSensitive ? hit : upperCaseAsciiBytes(hit),
                     caseSensitive ? pattern.toUtf8() : upperCaseAsciiBytes(pattern.toUtf8()));
        }
        QTEST(found, "expected");
    }

    void componentHits_data()
    {
        QTest::addColumn<QByteArray>("components");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<QStringList>("expected");
        const QByteArray query = "<c><n>12</n><t>SELECTQUERY</t><values><query>SELECT name FROM t</query></values></c>";
        QTest::newRow("case ignored") << query << "select" << false << false
                                      << QStringList{"preproc/12/t0@1", "preproc/12/query0@1"};
        QTest::newRow("case kept") << query << "select" << true << false << QStringList{};
        QTest::newRow("case kept, found")
            << query << "SELECT" << true << false << QStringList{"preproc/12/t0@1", "preproc/12/query0@1"};
        QTest::newRow("whole word") << query << "select" << false << true << QStringList{"preproc/12/query0@1"};
        QTest::newRow("three times in one element")
            << QByteArray("<c><n>1</n><t>SET</t><values><v>a a a</v></values></c>") << "a" << false << false
            << QStringList{"preproc/1/v0@1"};
        QTest::newRow("overlap in an element") << QByteArray("<c><n>1</n><t>SET</t><values><v>aaa</v></values></c>")
                                               << "aa" << false << false << QStringList{"preproc/1/v0@1"};
        QTest::newRow("underscore then blank")
            << QByteArray("<c><n>1</n><t>SET</t><values><v>user_id = id</v></values></c>") << "id" << false << true
            << QStringList{"preproc/1/v0@11"};
        QTest::newRow("after a colon") << QByteArray("<c><n>1</n><t>SET</t><values><v>where x = :id</v></values></c>")
                                       << "id" << false << true << QStringList{};
        QTest::newRow("bytes after non-ASCII")
            << QByteArray("<c><n>1</n><t>SET</t><values><v>\xc3\xa4\xe2\x82\xac x</v></values></c>") << "X" << false
            << false << QStringList{"preproc/1/v0@7"};
        // Components in their order, each element text in the order of the walk, keys counted
        // per name.
        QTest::newRow("order and keys") << QByteArray(
                                               "<c><n>a</n><t>SET</t><values><n>xa</n><v>x</v><n>ax</n></values></c>"
                                               "<c><n>b</n><t>SET</t><c>x</c></c>")
                                        << "x" << false << false
                                        << QStringList{"preproc/a/n1@1", "preproc/a/v0@1", "preproc/a/n2@2",
                                                       "preproc/b/c1@1"};
    }
    void componentHits()
    {
        QFETCH(QByteArray, components);
        QFETCH(QString, pattern);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, wholeWord);
        const auto page = pellorin_test::pageWith(components);
        SearchResults results;
        searchPageComponents(*page, options(pattern, caseSensitive, wholeWord), results);
        QTEST(hits(results), "expected");
    }

    void componentHitsAsTheirTextLines()
    {
        // Keys made the way the component's text lines are, names ending in digits
        // included: "a1" and the eleventh "a" both give "a10", one line, the later text.
        QByteArray values = "<a1>x one</a1>";
        for (int i = 0; i < 11; ++i)
            values += "<a>" + QByteArray(i == 10 ? "later x" : "") + "</a>";
        values += "<A>x</A><p2>x</p2><p>x</p><P>no</P><q><r>x</r><R>x</R></q>";
        const auto page = pellorin_test::pageWith("<c><n>1</n><t>SET</t><values>" + values + "</values></c>" +
                                                  "<c><n>2</n><t>SET</t><values>" +
                                                  QByteArray(values).replace("a1>", "b>") + "</values></c>");
        for (const bool caseSensitive : {false, true}) {
            SearchResults results;
            searchPageComponents(*page, options("x", caseSensitive), results);
            QStringList expected;
            for (const auto &item : page->FindSection("preproc")->Items()) {
                StringList lines;
                GetItemTexts(item.get(), lines);
                for (qsizetype i = 0; i < lines.count(); ++i) {
                    const QByteArray text = lines.valueFromIndex(i).toUtf8();
                    const qsizetype hit = caseSensitive ? text.indexOf("x") : upperCaseAsciiBytes(text).indexOf("X");
                    if (hit >= 0)
                        expected << "preproc/" + item->GetName() + u'/' + lines.name(i) + u'@' +
                                        QString::number(hit + 1);
                }
            }
            QVERIFY(expected.contains("preproc/1/a10@7"));
            QCOMPARE(hits(results), expected);
        }
    }

    void componentHitTexts()
    {
        // The whole element text, case unchanged, in every section of the page.
        const auto page = pellorin_test::loadPage(
            "<wqf><preproc><c><n>0</n><t>SET</t><values><v>Customer Name</v></values></c></preproc>"
            "<postproc><c><n>7</n><t>IF</t><values><v>#Scustomer# = 1</v></values></c></postproc>"
            "<extra><c><n>x</n><t>SET</t><c>the CUSTOMER</c></c></extra></wqf>");
        SearchResults results;
        searchPageComponents(*page, options("customer"), results);
        QCOMPARE(hits(results), QStringList({"preproc/0/v0@1", "postproc/7/v0@3", "extra/x/c1@5"}));
        QCOMPARE(results[0].Text, QByteArray("Customer Name"));
        QCOMPARE(results[1].Text, QByteArray("#Scustomer# = 1"));
        QCOMPARE(results[2].Text, QByteArray("the CUSTOMER"));
    }

    void resultLines_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("searched");
        QTest::addColumn<QString>("line");
        // Five characters before a component hit and five after it.
        QTest::newRow("component") << "preproc"
                                   << "12" << QByteArray("SELECT name FROM t") << 8 << "name"
                                   << "pre: 12 - LECT name FROM";
        QTest::newRow("post") << "postproc"
                              << "3" << QByteArray("a name") << 3 << "name"
                              << "post: 3 - a name";
        QTest::newRow("other section") << "other"
                                       << "x" << QByteArray("abc") << 1 << "a"
                                       << "other: x - abc";
        QTest::newRow("first proc only") << "procproc"
                                         << "x" << QByteArray("abc") << 1 << "a"
                                         << "proc: x - abc";
        QTest::newRow("proc with case") << "PreProc"
                                        << "x" << QByteArray("abc") << 1 << "a"
                                        << "PreProc: x - abc";
        // An HTML hit's position is one further on: four before, six after.
        QTest::newRow("html") << "html"
                              << "" << QByteArray("<p>Hello customer, welcome</p>") << 11 << "customer"
                              << "html - llo customer, welc";
        QTest::newRow("to the end") << "html"
                                    << "" << QByteArray("ab") << 3 << "b"
                                    << "html - ab";
        QTest::newRow("a character cut at the start")
            << "preproc"
            << "1" << QByteArray("x\xc3\xa4\x62\x63\x64\x65name") << 8 << "name"
            << "pre: 1 - bcdename";
        QTest::newRow("a character cut at the end") << "preproc"
                                                    << "1" << QByteArray("nameabcdefghi\xc3\xa4z") << 1 << "name"
                                                    << "pre: 1 - nameabcdefghi";
        QTest::newRow("whole characters kept") << "preproc"
                                               << "1" << QByteArray("\xc3\xa4name\xc3\xa4") << 3 << "name"
                                               << "pre: 1 - \u00e4name\u00e4";
    }
    void resultLines()
    {
        QFETCH(QString, section);
        QFETCH(QString, item);
        QFETCH(QByteArray, text);
        QFETCH(int, position);
        QFETCH(QString, searched);
        QTEST(searchResultLine(TSearchResult(section, item, QString(), text, position), searched), "line");
    }
};

PELLORIN_TEST_CLASS(TestSearchUtils)
#include "test_searchutils.moc"
