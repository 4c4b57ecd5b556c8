#include "common/pagefixture.h"
#include "common/testmain.h"
#include "model/sqlparams.h"

#include <QTest>

using namespace pellorin_test;

namespace {
// "name type default pos len" per occurrence.
QStringList describe(const SQLParamList &list)
{
    QStringList out;
    for (const auto &p : list)
        out << QStringLiteral("%1 %2 %3 %4 %5").arg(p->Name, p->TypeLetter, p->Default).arg(p->Pos).arg(p->Len);
    return out;
}
} // namespace

class TestSqlParams : public QObject {
    Q_OBJECT
private slots:
    void grammar_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QStringList>("occurrences");
        QTest::addColumn<QByteArray>("stripped");
        auto row = [](const char *name, const char *sql, const QStringList &occ, const char *stripped) {
            QTest::newRow(name) << QByteArray(sql) << occ << QByteArray(stripped);
        };
        row("plain", "where id = :id", {"id   12 3"}, "where id = :id");
        row("type and default", "where id = :id:i:5", {"id I 5 12 7"}, "where id = :id");
        row("quoted default", "where nm = :nm:s:''abc''", {"nm S ''abc'' 12 13"}, "where nm = :nm");
        row("dot ends the default", "where x = :x:f:1.5", {"x F 1 11 6"}, "where x = :x.5");
        row("colon at the end", "where t = :a:", {"a   11 2"}, "where t = :a:");
        row("blank after the colon is no type", "where t = :a: and b = 1", {"a   11 2"}, "where t = :a: and b = 1");
        row("cast is no type", "where t = :v::text", {"v   11 2"}, "where t = :v::text");
        row("cast is no parameter", "select a::int, ::b", {}, "select a::int, ::b");
        row("cast after a type", ":a:i::b :c", {"a I  1 4", "c   9 2"}, ":a::b :c");
        row("annotation before a name character stays", ":a:ix :b", {"a   1 2", "b   7 2"}, ":a:ix :b");
        row("annotation before a type stays", ":a:i:1:b", {"a   1 2", "b   7 2"}, ":a:i:1:b");
        row("annotation before a number", ":a:i:1:5", {"a I 1 1 6", "5   7 2"}, ":a:5");
        row("inside a literal", "where a = '12:30'", {"30   14 3"}, "where a = '12:30'");
        row("time is no type", "a = '12:30:00'", {"30   8 3", "00   11 3"}, "a = '12:30:00'");
        row("UTF-8 after the colon", ":a:\xc3\xa9 :b", {"a   1 2", "b   7 2"}, ":a:\xc3\xa9 :b");
        row("positions count bytes", "\xc3\xa9:b:i:1", {"b I 1 3 6"}, "\xc3\xa9:b");
        row("unknown letter", ":a:z:1 x", {"a Z 1 1 6"}, ":a x");
        row("lower-case letter", ":a:b:1", {"a B 1 1 6"}, ":a");
        row("empty default takes the third colon", ":a:i: x", {"a I  1 5"}, ":a x");
        row("type at the end", "x=:a:i", {"a I  3 4"}, "x=:a");
        row("third colon at the end stays", ":a:i:", {"a I  1 4"}, ":a:");
        row("default characters", ":a:s:#x_'1'.", {"a S #x_'1' 1 11"}, ":a.");
        row("no name", ": :: :-", {}, ": :: :-");
        row("name characters", ":a_1b-c", {"a_1b   1 5"}, ":a_1b-c");
    }
    void grammar()
    {
        QFETCH(QByteArray, sql);
        SQLParamList list;
        ParseSqlParams(sql, list);
        QTEST(describe(list), "occurrences");
        QTEST(StripParamAnnotations(sql, list), "stripped");
    }

    void typeNamesAndDefaults_data()
    {
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("unquoted");
        QTest::newRow("b") << "B"
                           << "BOOLEAN"
                           << "''abc''"
                           << "abc";
        QTest::newRow("c") << "C"
                           << "CURRENCY"
                           << "''"
                           << "";
        QTest::newRow("d") << "D"
                           << "DATETIME"
                           << "'''"
                           << "";
        QTest::newRow("f") << "F"
                           << "FLOAT"
                           << "''''"
                           << "";
        QTest::newRow("i") << "I"
                           << "INTEGER"
                           << "'x'"
                           << "'x'";
        QTest::newRow("s") << "S"
                           << "STRING"
                           << "''x"
                           << "''x";
        QTest::newRow("none") << ""
                              << "STRING"
                              << "5"
                              << "5";
    }
    void typeNamesAndDefaults()
    {
        TSQLParam p;
        QFETCH(QString, letter);
        QFETCH(QString, written);
        p.TypeLetter = letter;
        p.Default = written;
        QTEST(p.typeName(), "type");
        QTEST(p.unquotedDefault(), "unquoted");
    }

    void flush_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("forceCDATA");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QByteArray>("values");
        const QByteArray idStored = "<param><n>id</n><t>STRING</t><v><![CDATA[0]]></v></param>";
        QTest::newRow("annotations become parameters")
            << "a = :id:i:5 and b = :nm:s:''abc''" << QByteArray() << true << true
            << QByteArray("<values><param><n><![CDATA[id]]></n><t>INTEGER</t><v><![CDATA[5]]></v></param>"
                          "<param><n><![CDATA[nm]]></n><t>STRING</t><v><![CDATA[abc]]></v></param>"
                          "<query><![CDATA[a = :id and b = :nm]]></query></values>");
        QTest::newRow("stored parameters are overwritten as plain text")
            << "a = :ID:i:5" << idStored << false << true
            << QByteArray("<values>" +
                          QByteArray(idStored).replace("<t>STRING</t><v><![CDATA[0]]></v>", "<t>INTEGER</t><v>5</v>") +
                          "<query>a = :ID</query></values>");
        QTest::newRow("a type without default changes nothing")
            << "a = :id:i" << idStored << false << true
            << QByteArray("<values>" + idStored + "<query>a = :id</query></values>");
        QTest::newRow("a name twice with one stored adds nothing")
            << "a = :id or b = :id:i:3" << idStored << false << true
            << QByteArray("<values>" +
                          QByteArray(idStored).replace("<t>STRING</t><v><![CDATA[0]]></v>", "<t>INTEGER</t><v>3</v>") +
                          "<query>a = :id or b = :id</query></values>");
        QTest::newRow("no annotation adds a STRING")
            << "a = :Id" << QByteArray() << false << true
            << QByteArray("<values><param><n><![CDATA[Id]]></n><t>STRING</t><v><![CDATA[]]></v></param>"
                          "<query>a = :Id</query></values>");
        QTest::newRow("a name thrice adds one, the first annotated one in the text")
            << "a = :x or :X:f:2 or :x:i:1" << QByteArray() << false << true
            << QByteArray("<values><param><n><![CDATA[X]]></n><t>FLOAT</t><v><![CDATA[2]]></v></param>"
                          "<query>a = :x or :X or :x</query></values>");
        QTest::newRow("without occurrence the query is only stored again")
            << "select 1 & 2" << idStored << true << false
            << QByteArray("<values>" + idStored + "<query><![CDATA[select 1 & 2]]></query></values>");
        QTest::newRow("a colon after the last name stays")
            << "x = :a:" << QByteArray() << false << true
            << QByteArray("<values><param><n><![CDATA[a]]></n><t>STRING</t><v><![CDATA[]]></v></param>"
                          "<query>x = :a:</query></values>");
        QTest::newRow("text around survives UTF-8")
            << QString::fromUtf8("-- \xc3\xa9t\xc3\xa9 \xe2\x82\xac\nx = :a:d:''2020''") << QByteArray() << false
            << true
            << QByteArray("<values><param><n><![CDATA[a]]></n><t>DATETIME</t><v><![CDATA[2020]]></v></param>"
                          "<query>-- \xc3\xa9t\xc3\xa9 \xe2\x82\xac\r\nx = :a</query></values>");
    }
    void flush()
    {
        QFETCH(QString, sql);
        QFETCH(QByteArray, stored);
        QFETCH(bool, forceCDATA);
        auto page = pageWith("<c><n>0</n><t>SELECTQUERY</t><values>" + stored + "</values></c>");
        TWQFItem *item = page->FindSection("preproc")->Items().at(0).get();
        QTEST(FlushParams(item, sql, forceCDATA, true), "found");
        QTEST(written(item->ValuesNode()), "values");
    }

    // A flushed SQL holds no annotation left to flush: a second flush changes nothing.
    void flushTwiceEqualsOnce_data()
    {
        QTest::addColumn<QString>("sql");
        for (const char *sql : {"x:a:i::b", ":a:i:1:b", ":a:ib", ":a:i:1:5", ":a:i: :b:s:x", "where t = :v::text"})
            QTest::newRow(sql) << QString(sql);
    }
    void flushTwiceEqualsOnce()
    {
        QFETCH(QString, sql);
        auto page = pageWith("<c><n>0</n><t>SELECTQUERY</t><values/></c>");
        TWQFItem *item = page->FindSection("preproc")->Items().at(0).get();
        FlushParams(item, sql, false, true);
        const QByteArray once = written(item->ValuesNode());
        FlushParams(item, item->GetQuery(), false, true);
        QCOMPARE(written(item->ValuesNode()), once);
    }

    void flushWithoutRewriteOrItem()
    {
        auto page = pageWith("<c><n>0</n><t>SELECTQUERY</t><values><query>q</query></values></c>");
        TWQFItem *item = page->FindSection("preproc")->Items().at(0).get();
        QVERIFY(FlushParams(item, "x = :a:i:1", true, false));
        QCOMPARE(written(item->ValuesNode()), QByteArray("<values><query>q</query><param><n><![CDATA[a]]></n>"
                                                         "<t>INTEGER</t><v><![CDATA[1]]></v></param></values>"));
        QVERIFY(!FlushParams(nullptr, "x = :a", true, true));
    }

    void matchPairsEachStoredOnce()
    {
        auto page = pageWith("<c><n>0</n><t>SELECTQUERY</t><values><param><n>b</n></param><param><n>A</n></param>"
                             "<param><n>a</n></param><param><n>c</n></param></values></c>");
        SQLParamList occurrences;
        ParseSqlParams(":c :a :B :a :a", occurrences);
        WQFParamList stored;
        page->FindSection("preproc")->Items().at(0)->GetParams(stored);
        SQLParamRefs out;
        MatchSqlParams(occurrences, stored, out);
        QStringList pairs;
        for (const TSQLParam *p : out)
            pairs << p->Name + QString::number(p->Pos) + u'=' + (p->Matched ? p->Matched->Name : QString("-"));
        QCOMPARE(pairs, QStringList({"a4=A", "a10=a", "a13=-", "B7=b", "c1=c"}));
    }
};

PELLORIN_TEST_CLASS(TestSqlParams)
#include "test_sqlparams.moc"
