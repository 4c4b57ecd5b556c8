#include "checkfixture.h"
#include "checks/sqlquerycheck.h"
#include "common/testmain.h"
#include "common/testutil.h"

#include <QTemporaryDir>
#include <QTest>

using namespace pellorin_test;

namespace {
QByteArray param(const QByteArray &name, const QByteArray &type = "INTEGER")
{
    return "<param><n>" + name + "</n><t>" + type + "</t><v>0</v></param>";
}
QByteArray query(const QByteArray &sql) { return "<query><![CDATA[" + sql + "]]></query>"; }
} // namespace

class TestSQLQueryCheck : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        initPluginRegistry();
        initSQLQueryCheck(QStringLiteral("/nowhere/"));
    }
    void cleanup()
    {
        doneSQLQueryCheck();
        donePluginRegistry();
    }

    void registration()
    {
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        QStringList rows;
        for (TWarningPlugin *check : checks)
            rows << check->className() + " = " + check->GetDescription() + (check->InQuickCheck() ? "" : " (full)");
        QCOMPARE(rows, QStringList({"TSQLParamCheck = Parameter #(%s) not used in query",
                                    "TGroupSQLCheck = (qverify) SQL Statement verification (full)"}));
        auto *group = dynamic_cast<TGroupSQLCheck *>(checks[1]);
        QCOMPARE(group->proberProgram, QStringLiteral("/nowhere/qverify/qverify"));
        QCOMPARE(group->maskFileName, QStringLiteral("/nowhere/plugins/qverify/mask.txt"));
        QCOMPARE(group->timeoutSeconds, 120);
    }

    void replaceSVars_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("result");
        QTest::newRow("case ignored") << "id = #suserid#" << QStringList{"UserId=42"} << "id = 42";
        QTest::newRow("every occurrence") << "#SA#,#sa#,#SA" << QStringList{"a=1"} << "1,1,#SA";
        QTest::newRow("value after the first =") << "#Sx#" << QStringList{"x=a=b"} << "a=b";
        QTest::newRow("lines in order") << "#Sa#" << QStringList{"a=#Sb#", "b=2"} << "2";
        QTest::newRow("a value put in is not searched again") << "#Sa#" << QStringList{"a=#Sa#"} << "#Sa#";
        QTest::newRow("unknown name stays") << "#Sother#" << QStringList{"a=1"} << "#Sother#";
        QTest::newRow("line without = names nothing") << "#S#" << QStringList{"junk"} << "#S#";
        QTest::newRow("empty value") << "[#Sa#]" << QStringList{"a="} << "[]";
    }
    void replaceSVars()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, values);
        QTEST(ReplaceSVars(text, values), "result");
    }

    void substituteParams_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("nameTypes");
        QTest::addColumn<QString>("result");
        QTest::newRow("integer") << "qty = :qty" << QStringList{"qty=INTEGER"} << "qty = 0";
        QTest::newRow("boolean") << ":b" << QStringList{"b=BOOLEAN"} << "0";
        QTest::newRow("float and currency") << ":f, :c" << QStringList{"f=FLOAT", "c=currency"} << "0.0, 0.0";
        QTest::newRow("string") << "s = :s" << QStringList{"s=STRING"} << "s = ''";
        QTest::newRow("datetime") << ":d" << QStringList{"d=DATETIME"} << "'1/1/1900'";
        QTest::newRow("type trimmed and upper-cased") << ":d" << QStringList{"d= datetime "} << "'1/1/1900'";
        QTest::newRow("unknown type") << ":x" << QStringList{"x=BLOB"} << "null";
        QTest::newRow("no type") << ":x" << QStringList{"x"} << "null";
        QTest::newRow("unlisted") << "a = :x" << QStringList{} << "a = null";
        QTest::newRow("name case ignored") << ":ID" << QStringList{"id=INTEGER"} << "0";
        // :id must not be taken out of :idx.
        QTest::newRow("id next to idx") << ":id, :idx" << QStringList{"id=INTEGER", "idx=STRING"} << "0, ''";
        QTest::newRow("idx listed first") << ":idx, :id" << QStringList{"idx=STRING", "id=INTEGER"} << "'', 0";
        QTest::newRow("longer name unlisted") << ":id + :id_2" << QStringList{"id=INTEGER"} << "0 + null";
        QTest::newRow("followed by a bracket") << "(:id)" << QStringList{"id=INTEGER"} << "(0)";
        QTest::newRow("at the end") << "x=:id" << QStringList{"id=STRING"} << "x=''";
        QTest::newRow("inside a string") << "'at 10:30'" << QStringList{} << "'at 10null'";
        QTest::newRow("lone colon stays") << "a : b :" << QStringList{} << "a : b :";
        QTest::newRow("nameless parameter replaces nothing") << "a : b" << QStringList{"=INTEGER"} << "a : b";
        QTest::newRow("scanned from the end") << "::abc" << QStringList{} << "null";
    }
    void substituteParams()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, nameTypes);
        QTEST(SubstituteParams(sql, nameTypes), "result");
    }

    void prepareSQL_data()
    {
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<bool>("withTestValues");
        QTest::addColumn<bool>("withParams");
        QTest::addColumn<QString>("result");
        const QByteArray q = query("SELECT * FROM t WHERE u = #suserid# AND n = ''x'' AND q = :qty AND s = :s "
                                   "AND o = :other") +
                             param("qty", "INTEGER") + param("s", "STRING");
        QTest::newRow("all") << q << true << true
                             << "SELECT * FROM t WHERE u = 42 AND n = 'x' AND q = 0 AND s = '' AND o = null";
        QTest::newRow("no test values") << q << false << true
                                        << "SELECT * FROM t WHERE u = #suserid# AND n = 'x' AND q = 0 AND s = '' "
                                           "AND o = null";
        QTest::newRow("no parameters") << q << true << false
                                       << "SELECT * FROM t WHERE u = 42 AND n = 'x' AND q = null AND s = null AND "
                                          "o = null";
        // Quotes doubled after the test values went in: a test value's "''" becomes "'" too.
        QTest::newRow("quotes in a test value") << query("#Sname#") << true << false << "'a'";
    }
    void prepareSQL()
    {
        QFETCH(QByteArray, values);
        QFETCH(bool, withTestValues);
        QFETCH(bool, withParams);
        auto page = pageWith(comp("0", "SELECTQUERY", {}, values));
        TWQFItem *item = page->Sections()[0]->Items()[0].get();
        WQFParamList params;
        item->GetParams(params);
        const QStringList testValues{"UserId=42", "name=''a''"};
        QTEST(PrepareSQL(item->GetQuery(), withTestValues ? &testValues : nullptr, withParams ? &params : nullptr),
              "result");
    }

    void masks_data()
    {
        QTest::addColumn<QString>("maskText");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("prefix") << "sql*"
                                << "SQLText" << true;
        QTest::newRow("suffix") << "*where"
                                << "cond_WHERE" << true;
        QTest::newRow("both lines") << "sql*\n*where"
                                    << "cond_where" << true;
        QTest::newRow("neither") << "sql*\n*where"
                                 << "wherever" << false;
        QTest::newRow("inside") << "*ql*"
                                << "mysqltext" << true;
        QTest::newRow("exact") << "query"
                               << "QUERY" << true;
        QTest::newRow("exact, not a prefix") << "query"
                                             << "query2" << false;
        QTest::newRow("star alone matches all") << "*"
                                                << "anything" << true;
        QTest::newRow("two stars alone") << "**"
                                         << "anything" << true;
        QTest::newRow("masks lower-cased") << "SQL*"
                                           << "sqltext" << true;
        QTest::newRow("CR LF lines") << "nothing\r\nsql*\r\n"
                                     << "sqlx" << true;
        QTest::newRow("no masks") << ""
                                  << "sql" << false;
        // A blank line has no first or last character: skipped, so it matches nothing.
        QTest::newRow("blank lines skipped") << "\n   \nsql*"
                                             << "other" << false;
        QTest::newRow("blank line before a match") << "\n \nsql*"
                                                   << "sqlx" << true;
        // The core is the line as it stands, blanks included.
        QTest::newRow("blank kept in the core") << " sql*"
                                                << "sqlx" << false;
    }
    void masks()
    {
        QFETCH(QString, maskText);
        QFETCH(QString, name);
        QTEST(MatchesMask(SetMasks(maskText), name), "matches");
    }

    void readMaskFile()
    {
        QTemporaryDir dir;
        QCOMPARE(ReadMaskFile(dir.filePath("missing.txt")), QString());
        writeBytes(dir.filePath("mask.txt"), "sql*\r\n*where\r\n");
        QCOMPARE(ReadMaskFile(dir.filePath("mask.txt")), QString("sql*\r\n*where\r\n"));
    }

    void paramCheck_data()
    {
        QTest::addColumn<QByteArray>("component");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("used, name case ignored")
            << comp("0", "SELECTQUERY", {}, query("SELECT 1 WHERE a = :id") + param("ID")) << QStringList();
        QTest::newRow("not used") << comp("0", "SELECTQUERY", {},
                                          query("SELECT 1 WHERE a = :id") + param("ID") + param("name", "STRING"))
                                  << QStringList{"preproc 0: ERROR Parameter #2 name not used in query"};
        QTest::newRow("two without a name") << comp("0", "INSERTUPDATEQUERY", {}, query("x") + param("") + param(""))
                                            << QStringList{"preproc 0: ERROR Missing name for SQL parameter #1",
                                                           "preproc 0: ERROR Missing name for SQL parameter #1"};
        QTest::newRow("numbered among the named")
            << comp("0", "SELECTQUERY", {}, query(":a") + param("a") + param("") + param("b"))
            << QStringList{"preproc 0: ERROR Missing name for SQL parameter #2",
                           "preproc 0: ERROR Parameter #2 b not used in query"};
        // A plain substring search: :id counts as used inside :idx.
        QTest::newRow("prefix of a longer name counts")
            << comp("0", "SELECTQUERY", {}, query("WHERE a = :idx") + param("id")) << QStringList();
        QTest::newRow("used through a test value")
            << comp("0", "SELECTQUERY", {}, query("WHERE #Scond#") + param("id")) << QStringList();
        QTest::newRow("doubled quotes and case")
            << comp("0", "SELECTQUERY", {}, query("WHERE a = '':X''") + param("x")) << QStringList();
        QTest::newRow("other type") << comp("0", "SET", {}, query("x") + param("id")) << QStringList();
        QTest::newRow("no parameters") << comp("0", "SELECTQUERY", {}, query("x")) << QStringList();
    }
    void paramCheck()
    {
        QFETCH(QByteArray, component);
        sqlCheckState().TestValues = {"cond=b = :id"};
        auto page = pageWith(component);
        QTEST(runCheck(std::make_unique<TSQLParamCheck>(), page.get()), "lines");
    }
};

PELLORIN_TEST_CLASS(TestSQLQueryCheck)
#include "test_sqlquerycheck.moc"
