#include "checkfixture.h"
#include "checks/exprparser.h"
#include "checks/itemscheck.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/morivanecomponents.h"

#include <QTemporaryDir>
#include <QTest>

using namespace pellorin_test;

namespace {
// Kinds whose values the #S check reads: SET keeps name and value pairs, IF a condition,
// the code kinds a text.
void loadCatalogue(const QTemporaryDir &dir)
{
    writeBytes(dir.filePath("SET.ini"), "[MAIN]\nName=SET\n[Variables]\nvariable=1\nnametag=n\ntag=v\n");
    writeBytes(dir.filePath("IF.ini"), "[MAIN]\nName=IF\n[Condition]\ntag=v\n");
    writeBytes(dir.filePath("SCRIPT.ini"), "[MAIN]\nName=SCRIPT\n[Code]\ntag=v\n");
    writeBytes(dir.filePath("DELPHI.ini"), "[MAIN]\nName=DELPHI\n[Code]\ntag=v\n");
    clearComponentDescrs();
    QCOMPARE(LoadComponentDescrs(dir.path()), QStringList());
}

QByteArray pair(const QByteArray &name, const QByteArray &value) { return "<n>" + name + "</n><v>" + value + "</v>"; }
} // namespace

class TestConditions : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { clearComponentDescrs(); }

    void svarsClosed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pos");
        QTest::newRow("closed") << "#SUserName#" << true << "" << 0;
        QTest::newRow("closed among text") << "a #SUserName# and #sother#" << true << "" << 0;
        QTest::newRow("every name character") << "#S_az09\"',.:{}#" << true << "" << 0;
        QTest::newRow("ends inside") << "x = #SCount" << false << "#SCount" << 5;
        QTest::newRow("blank ends the name") << "#Sa b#" << false << "#Sa" << 1;
        QTest::newRow("lower-case s") << "#sa-1#" << false << "#sa" << 1;
        QTest::newRow("S at the end") << "abc #S" << false << "#S" << 5;
        QTest::newRow("second one open") << "#SA##SB" << false << "#SB" << 5;
        QTest::newRow("non-ASCII letter ends it") << "#Sé#" << false << "#S" << 1;
        QTest::newRow("no variable") << "50 # of 70" << true << "" << 0;
        QTest::newRow("hash at the end") << "text #" << true << "" << 0;
        QTest::newRow("empty") << "" << true << "" << 0;
    }
    void svarsClosed()
    {
        QFETCH(QString, text);
        QString name = "untouched";
        int pos = 0;
        QTEST(CheckSVarsClosed(text, name, pos), "closed");
        QFETCH(bool, closed);
        if (!closed) {
            QTEST(name, "name");
            QTEST(pos, "pos");
        }
    }

    void svarHashes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pos");
        QTest::newRow("written right") << "#SUserName#" << true << "" << 0;
        QTest::newRow("hash missing after a blank") << "a SUserName# b" << false << "SUserName#" << 3;
        QTest::newRow("hash missing at the start") << "SUserName#" << false << "SUserName#" << 1;
        QTest::newRow("after an equals sign") << "x=sName#" << false << "sName#" << 3;
        QTest::newRow("after a tab") << "\tSName#" << false << "SName#" << 2;
        QTest::newRow("after control 31") << "\x1fSName#" << false << "SName#" << 2;
        QTest::newRow("carriage return is no delimiter") << "\rSName#" << true << "" << 0;
        QTest::newRow("letter before it") << "aSName#" << true << "" << 0;
        QTest::newRow("after a good one") << "(#SA# + SB#)" << false << "SB#" << 9;
        QTest::newRow("hash alone") << "#" << true << "" << 0;
        QTest::newRow("S and hash") << "S#" << false << "S#" << 1;
        QTest::newRow("opening hash at the end") << "a #S" << true << "" << 0;
    }
    void svarHashes()
    {
        QFETCH(QString, text);
        QString name = "untouched";
        int pos = 0;
        QTEST(CheckSVarHashes(text, name, pos), "passes");
        QFETCH(bool, passes);
        if (!passes) {
            QTEST(name, "name");
            QTEST(pos, "pos");
        }
    }

    // The look back from each "#" must not make a text of many of them slow; its answers
    // are those of looking back from every "#" in turn.
    void svarHashesAgreeWithTheLookBack()
    {
        auto slow = [](const QString &t, QString &name, int &pos) {
            const QString delimiters = QStringLiteral("\t\n\x1f \"$%&'()*+,-./;=@\\^");
            for (int i = 0; i < t.size(); ++i) {
                if (t[i] != u'#' || (i + 1 < t.size() && (t[i + 1] == u'S' || t[i + 1] == u's')))
                    continue;
                int k = i - 1;
                while (k >= 0 && !delimiters.contains(t[k]))
                    --k;
                if (t[k + 1] == u'S' || t[k + 1] == u's') {
                    name = t.mid(k + 1, i - k);
                    pos = k + 2;
                    return false;
                }
            }
            return true;
        };
        const QString alphabet = QStringLiteral("#Ss a=\r\t.x");
        quint32 seed = 7;
        for (int round = 0; round < 5000; ++round) {
            QString text;
            for (int i = 0; i < 12; ++i) {
                seed = seed * 1103515245u + 12345u;
                text += alphabet[int((seed >> 16) % uint(alphabet.size()))];
            }
            QString fastName, slowName;
            int fastPos = 0, slowPos = 0;
            const bool fast = CheckSVarHashes(text, fastName, fastPos);
            QCOMPARE(fast, slow(text, slowName, slowPos));
            QCOMPARE(fastName, slowName);
            QCOMPARE(fastPos, slowPos);
        }
        QString name;
        int pos;
        QVERIFY(CheckSVarHashes(QString(1 << 20, u'#'), name, pos));
    }

    void svarCheck_data()
    {
        QTest::addColumn<QByteArray>("component");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("written right") << comp("1", "SET", {}, pair("user", "#SUserName#")) << QStringList();
        QTest::newRow("ends inside") << comp("1", "SET", {}, pair("user", "Dear #SUserName"))
                                     << QStringList{"preproc 1: WARN Unclosed #S variable #SUserName"};
        QTest::newRow("blank inside") << comp("1", "SET", {}, pair("user", "#Sa b#"))
                                      << QStringList{"preproc 1: WARN Unclosed #S variable #Sa"};
        QTest::newRow("hash missing") << comp("1", "SET", {}, pair("user", "Dear SUserName#"))
                                      << QStringList{"preproc 1: HINT Did you mean #S variable SUserName#"};
        QTest::newRow("one line per value") << comp("1", "SET", {}, pair("user", "#Sa SUserName#"))
                                            << QStringList{"preproc 1: WARN Unclosed #S variable #Sa"};
        QTest::newRow("names are values too") << comp("1", "SET", {}, pair("#Sname", "x") + pair("a", "b SC#"))
                                              << QStringList{"preproc 1: WARN Unclosed #S variable #Sname",
                                                             "preproc 1: HINT Did you mean #S variable SC#"};
        QTest::newRow("IF condition") << comp("1", "IF", {}, "<v>#SCount &gt; 2</v>")
                                      << QStringList{"preproc 1: WARN Unclosed #S variable #SCount"};
        QTest::newRow("script") << comp("1", "SCRIPT", {}, "<v>#Sopen</v>") << QStringList();
        QTest::newRow("script in lower case") << comp("1", "script", {}, "<v>#Sopen</v>") << QStringList();
        QTest::newRow("delphi") << comp("1", "Delphi", {}, "<v>#Sopen</v>") << QStringList();
        QTest::newRow("kind not in the catalogue") << comp("1", "FOO", {}, "<v>#Sopen</v>") << QStringList();
        QTest::newRow("element the kind lacks") << comp("1", "SET", {}, "<query>#Sopen</query>") << QStringList();
    }
    void svarCheck()
    {
        QTemporaryDir dir;
        loadCatalogue(dir);
        QFETCH(QByteArray, component);
        auto page = pageWith(component);
        QTEST(runCheck(std::make_unique<TSVarCheck>(), page.get()), "lines");
    }

    void zeroedSVars_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("zeroed");
        QTest::newRow("two variables") << "#SA# + #sB#"
                                       << "0 + 0";
        QTest::newRow("in quotes") << "'#SName#' = 'x'"
                                   << "'0' = 'x'";
        QTest::newRow("unclosed takes the rest") << "#SCount > 2"
                                                 << "0";
        QTest::newRow("other hash kept") << "#x# = 1"
                                         << "#x# = 1";
        QTest::newRow("hash at the end kept") << "1 = 1 #"
                                              << "1 = 1 #";
        QTest::newRow("empty name") << "#S#1"
                                    << "01";
    }
    void zeroedSVars()
    {
        QFETCH(QString, text);
        QTEST(zeroSVars(text), "zeroed");
    }

    void checkCondition_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("error");
        QTest::newRow("variable compared") << "#SCount# > 2" << true << "";
        QTest::newRow("identifier") << "Count > 2" << false << "Unknown identifier: Count";
        QTest::newRow("variable in a string") << "'#SName#' = 'x'" << true << "";
        QTest::newRow("unclosed variable") << "#SCount > 2" << true << "";
        QTest::newRow("empty") << "" << true << "";
        QTest::newRow("blanks and controls") << " \t\r\n\x01 " << true << "";
        QTest::newRow("lone hash at the end") << "#SCount# > 2 #" << false << "Unknown character at pos 7: \"#\"";
        QTest::newRow("hash without S") << "#x# = 1" << false << "Unknown character at pos 1: \"#\"";
        QTest::newRow("doubled quotes stay") << "''#SA#'' = ''x''" << false << "Unexpected character in number : '";
        QTest::newRow("variable against a string") << "#SName# = 'x'" << false
                                                   << "Type mismatch: Integer<>String for expressions \"0\" and "
                                                      "\"'x'\".";
        QTest::newRow("division by the variable") << "1 / #SCount# > 0" << false << "Division by zero";
        QTest::newRow("100000 deep") << QString(100000, u'(') + "#SCount#" + QString(100000, u')') << false
                                     << QStringLiteral("Expression nested deeper than %1 levels at position %2")
                                            .arg(maxExprNesting)
                                            .arg(maxExprNesting + 1);
    }
    void checkCondition()
    {
        QFETCH(QString, condition);
        QString error = "stale";
        QTEST(CheckCondition(condition, error), "valid");
        QTEST(error, "error");
        // The one parser is cleared each time, so the same text is judged again.
        error = "stale";
        QTEST(CheckCondition(condition, error), "valid");
        QTEST(error, "error");
    }

    void oneParserForAll() { QCOMPARE(&ExprParser(), &ExprParser()); }

    void ifCondition_data()
    {
        QTest::addColumn<QByteArray>("component");
        QTest::addColumn<QStringList>("lines");
        auto ifWith = [](const QByteArray &condition) {
            return comp("1", "IF", {"2", "3"}, "<v>" + condition + "</v>");
        };
        const QString warn = "preproc 1: WARN If component condition: ";
        QTest::newRow("variable compared") << ifWith("#SCount# &gt; 2") << QStringList();
        QTest::newRow("identifier") << ifWith("Count &gt; 2") << QStringList{warn + "Unknown identifier: Count"};
        QTest::newRow("empty") << ifWith("") << QStringList();
        QTest::newRow("blank") << ifWith("  ") << QStringList();
        QTest::newRow("no condition element") << comp("1", "IF", {"2", "3"}) << QStringList();
        QTest::newRow("doubled quotes reduced") << ifWith("(''#SUserRight_0_0_0_1#''=''1'')") << QStringList();
        QTest::newRow("empty string reduced to a quote")
            << ifWith("#Sname# &lt;&gt; ''") << QStringList{warn + "Unterminated string"};
        QTest::newRow("lone hash") << ifWith("1 = 1 #") << QStringList{warn + "Unknown character at pos 7: \"#\""};
        QTest::newRow("type in lower case") << comp("1", "if", {}, "<v>Count</v>") << QStringList();
        QTest::newRow("other kind") << comp("1", "SET", {}, "<v>Count</v>") << QStringList();
    }
    void ifCondition()
    {
        QFETCH(QByteArray, component);
        auto page = pageWith(component);
        QTEST(runCheck(std::make_unique<TIFCondCheck>(), page.get()), "lines");
    }
};

PELLORIN_TEST_CLASS(TestConditions)
#include "test_conditions.moc"
