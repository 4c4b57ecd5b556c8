#include "checks/exprparser.h"
#include "common/testmain.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
// "Type value" of a clean pass, else the message.
QString verdict(const ExprOutcome &outcome)
{
    if (outcome.parsed && outcome.error.isEmpty())
        return exprTypeName(outcome.value.type) + u' ' + exprValueText(outcome.value);
    return outcome.error;
}
} // namespace

class TestExprParser : public QObject {
    Q_OBJECT
private slots:
    void language_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const char *text, bool valid, const char *expected) {
            QTest::newRow(name) << QString::fromUtf8(text) << valid << QString::fromUtf8(expected);
        };
        // Precedence: powers (to the right), sign, * / mod, + -, one comparison, and/or/xor.
        row("product before sum", "1 + 2 * 3", true, "Integer 7");
        row("brackets", "(1 + 2) * 3", true, "Integer 9");
        row("power to the right", "2 ^ 3 ^ 2", true, "Float 512");
        row("sign after power", "-2 ^ 2", true, "Float -4");
        row("signed exponent", "2 ^ -1", true, "Float 0.5");
        row("mod and product left to right", "7 mod 3 * 2", true, "Integer 2");
        row("difference left to right", "10 - 4 - 3", true, "Integer 3");
        row("division gives a float", "7 / 2", true, "Float 3.5");
        row("sum before comparison", "1 + 2 = 3", true, "Boolean True");
        row("comparison before and", "1 = 1 and 2 = 3", true, "Boolean False");
        row("and, or left to right", "True or False and False", true, "Boolean False");
        row("keywords in any case", "NOT FALSE And tRUE", true, "Boolean True");
        // "not" stands only at the start of a boolean level, and takes a whole comparison.
        row("not takes the comparison", "not 1 = 2", true, "Boolean True");
        row("not before and", "not True and False", true, "Boolean False");
        row("not before an unknown name", "not a = 1", false, "Unknown identifier: a");
        row("not after and", "1 = 1 and not 2 = 2", false, "Unknown token at pos 11 : not");
        row("not after a bracket", "(not 2 = 2) or 1 = 1", true, "Boolean True");
        row("not of an integer", "not 0", true, "Integer -1");
        // One comparison per level.
        row("chained comparison", "1 < 2 < 3", false, "Badly terminated expression. Found token at position 7 : <");
        row("chained in brackets", "(1 < 2 < 3)", false, "Expected ) bracket at position 8, but got <");
        // Strings.
        row("string join", "'ab' + 'cd'", true, "String abcd");
        row("doubled quote", "'it''s'", true, "String it's");
        row("empty string", "''", true, "String ");
        row("string order", "'a' < 'b'", true, "Boolean True");
        row("unterminated string", "'abc", false, "Unterminated string");
        row("quote doubled at the end", "'abc''", false, "Unterminated string");
        // Types are checked while parsing.
        row("string plus number", "'a' + 1", false,
            "Type mismatch: String<>Integer for expressions \"'a'\" and \"1\".");
        row("number equals string", "1 = 'a'", false,
            "Type mismatch: Integer<>String for expressions \"1\" and \"'a'\".");
        row("truth equals number", "True = 1", false,
            "Type mismatch: Boolean<>Integer for expressions \"True\" and \"1\".");
        row("integer promoted", "1 = 1.0", true, "Boolean True");
        row("operand text as written", "(1 + 2) = 'x'", false,
            "Type mismatch: Integer<>String for expressions \"(1 + 2)\" and \"'x'\".");
        row("string minus", "'a' - 1", false,
            "Node type (String) not in allowed types (Integer, Float) for expression: 'a'");
        row("ordered truths", "True < False", false,
            "Node type (Boolean) not in allowed types (Integer, Float, String) for expression: True");
        row("mod on a float", "7.5 mod 2", false,
            "Node type (Float) not in allowed types (Integer) for expression: 7.5");
        row("bitwise and", "5 and 3", true, "Integer 1");
        row("xor of number and truth", "1 xor True", false,
            "Type mismatch: Integer<>Boolean for expressions \"1\" and \"True\".");
        row("negated string", "-'a'", false, "Cannot negate expression of type String : 'a'");
        row("not of a string", "not 'a'", false, "Cannot perform \"not\" on expression of type String: 'a'");
        // Evaluation faults.
        row("mod by zero", "7 mod 0", false, "Division by zero");
        row("division by zero", "1 / 0", false, "Division by zero");
        row("zero by zero", "0 / 0", false, "Invalid floating point operation");
        row("float overflow", "1e308 * 10", false, "Floating point overflow");
        row("root of a negative", "(-8) ^ 0.5", false, "Invalid floating point operation");
        row("integers wrap", "9223372036854775807 + 1", true, "Integer -9223372036854775808");
        // Faults are reported parse first, then types, then evaluation, each the first met.
        row("parse fault beats type fault", "1 + 'a' +", false, "Unexpected end of expression");
        row("type fault beats evaluation", "1 / 0 = 'a'", false,
            "Type mismatch: Float<>String for expressions \"1 / 0\" and \"'a'\".");
        row("first evaluation fault", "0 / 0 = 1 / 0", false, "Invalid floating point operation");
        // Characters and numbers.
        row("lone hash", "1 = 1 #", false, "Unknown character at pos 7: \"#\"");
        row("ampersand", "1 & 2", false, "Unknown character at pos 3: \"&\"");
        row("non-ASCII character", "1 = é", false, "Unknown character at pos 5: \"é\"");
        row("positions count bytes", "'é' = 1 #", false, "Unknown character at pos 10: \"#\"");
        row("letters in a number", "2abc", false, "Unexpected character in number : a");
        row("two points", "1.2.3", false, "Invalid numerical value : 1.2.3");
        row("float too large", "1e400", false, "Invalid numerical value : 1e400");
        row("float too small", "1e-400", true, "Float 0");
        row("integer too large", "9223372036854775808", true, "Float 9.22337203685478E18");
        row("exponent", "1.5e3", true, "Float 1500");
        row("leading point", ".5 + 1", true, "Float 1.5");
        // Names.
        row("identifier", "Count > 2", false, "Unknown identifier: Count");
        row("function", "abs(-1)", false, "Unknown identifier: abs");
        row("name runs to a delimiter", "Count# > 2", false, "Unknown identifier: Count#");
        // Structure.
        row("missing operand", "1 +", false, "Unexpected end of expression");
        row("missing bracket", "(1 + 2", false, "Unexpected end of expression");
        row("extra bracket", "(1 + 2))", false, "Badly terminated expression. Found token at position 8 : )");
        row("two numbers", "1 2", false, "Badly terminated expression. Found token at position 3 : 2");
        row("operator first", "* 2", false, "Unknown token at pos 1 : *");
        row("two signs", "--1", false, "Unknown token at pos 2 : -");
        row("formula sign", "=1 = 1", true, "Boolean True");
        row("blank", " \t", false, "Unexpected end of expression");
        // if and case.
        row("if", "if(1 < 2, 'yes', 'no')", true, "String yes");
        row("if needs a truth", "if(1, 2, 3)", false, "First argument to IF must be of type boolean: 1");
        row("if branches of two types", "If(True, 1, 'a')", false,
            "Type mismatch: Integer<>String for expressions \"1\" and \"'a'\".");
        row("if branches promoted", "if(True, 1, 2.5)", true, "Float 1");
        row("if leaves the other branch", "if(True, 1, 1 / 0)", true, "Float 1");
        row("if takes the other branch", "if(False, 1, 1 / 0)", false, "Division by zero");
        row("if with two arguments", "if(True, 1)", false, "Expected comma (,) at position 11, but got )");
        row("if with four arguments", "if(True, 1, 2, 3)", false, "Expected ) bracket at position 14, but got ,");
        row("if without bracket", "if 1", false, "Expected ( bracket at position 4, but got 1");
        row("case", "case(2, 'none', 1, 'one', 2, 'two')", true, "String two");
        row("case default", "CASE(3, 'none', 1, 'one', 2, 'two')", true, "String none");
        row("case promotes its values", "case(1, 0, 1, 2.5)", true, "Float 2.5");
        row("case with three arguments", "case(1, 2, 3)", false, "Case statement needs to have at least 4 arguments");
        row("case with five arguments", "case(1, 2, 3, 4, 5)", false,
            "Case statement needs to have an even number of arguments");
        row("case label computed", "case(1, 0, 1 + 1, 5)", false,
            "Case label 1 \"1 + 1\" is not a constant expression");
        row("case label in brackets", "case(1, 0, (1), 5)", true, "Integer 5");
        row("case label of another type", "case(1, 0, 2, 3, 'x', 5)", false,
            "Case label 2 \"'x'\" needs type Integer, but has type String");
        row("case value of another type", "case(1, 'x', 1, 5)", false,
            "Case value 1 \"5\" needs type String, but has type Integer");
        row("case leaves the other values", "case(1, 0, 1, 2, 2, 1 mod 0)", true, "Integer 2");
    }
    void language()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, expected);
        const ExprOutcome outcome = parseExpression(text.toUtf8());
        QCOMPARE(verdict(outcome), expected);
        QCOMPARE(outcome.parsed && outcome.error.isEmpty(), valid);
    }

    // Deep nesting is refused with a message, at any depth, before the stack runs out.
    void nestingIsBounded_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        const int deep = 100000;
        const int limit = maxExprNesting;
        const QString refused = QStringLiteral("Expression nested deeper than %1 levels at position %2").arg(limit);
        QTest::newRow("brackets at the limit")
            << QByteArray(limit, '(') + '1' + QByteArray(limit, ')') << QStringLiteral("Integer 1");
        QTest::newRow("brackets beyond") << QByteArray(limit + 1, '(') + '1' + QByteArray(limit + 1, ')')
                                         << refused.arg(limit + 1);
        QTest::newRow("100000 brackets") << QByteArray(deep, '(') + '1' + QByteArray(deep, ')')
                                         << refused.arg(limit + 1);
        QTest::newRow("unclosed brackets") << QByteArray(deep, '(') << refused.arg(limit + 1);
        QTest::newRow("100000 powers") << "2" + QByteArray("^2").repeated(deep) << refused.arg(2 * limit + 3);
        QTest::newRow("100000 ifs") << QByteArray("if(").repeated(deep) << refused.arg(3 * limit + 3);
        QTest::newRow("100000 cases") << QByteArray("case(").repeated(deep) << refused.arg(5 * limit + 5);
        // Long chains are loops, not nesting.
        QTest::newRow("100000 sums") << "1" + QByteArray("+1").repeated(deep) << QStringLiteral("Integer 100001");
        QTest::newRow("100000 joins") << "'a'" + QByteArray("+'a'").repeated(deep)
                                      << "String " + QString(deep + 1, u'a');
        QTest::newRow("100000 ands") << "1=1" + QByteArray(" and 1=1").repeated(deep) << QStringLiteral("Boolean True");
    }
    void nestingIsBounded()
    {
        QFETCH(QByteArray, text);
        QTEST(verdict(parseExpression(text)), "expected");
    }

    // Any bytes give a verdict: a value or a message, never a crash.
    void anyBytesGiveAVerdict()
    {
        QRandomGenerator random(23);
        const QByteArray alphabet = "0123456789.eE+-*/^=<>(),' \tabcdfimnortux#&_\"\xc3\xa9\x80";
        const QList<QByteArray> words{"if(", "case(", "not ", " and ", " mod ", "True", "'x'", "1e308", "))"};
        for (int round = 0; round < 20000; ++round) {
            QByteArray text;
            const int length = int(random.bounded(40));
            for (int i = 0; i < length; ++i) {
                if (random.bounded(5) == 0)
                    text += words[random.bounded(int(words.size()))];
                else
                    text += alphabet[random.bounded(int(alphabet.size()))];
            }
            const ExprOutcome outcome = parseExpression(text);
            if (!outcome.parsed || !outcome.error.isEmpty())
                QVERIFY2(!outcome.error.isEmpty(), text.constData());
        }
    }

    void parserObject()
    {
        ExpressionParser parser;
        QVERIFY_THROWS_EXCEPTION(EExprParser, parser.evaluate());
        try {
            parser.evaluate();
        } catch (const EExprParser &e) {
            QCOMPARE(e.message(), QString("Cannot evaluate: empty expression"));
        }

        parser.setExpression("1 + 2");
        QCOMPARE(parser.expression(), QString("1 + 2"));
        QCOMPARE(exprValueText(parser.evaluate()), QString("3"));

        // A fault of syntax raises when the text is set; the same text again is not parsed
        // again, and then only evaluating tells that it failed.
        auto message = [](const std::function<void()> &work) {
            try {
                work();
            } catch (const EExprParser &e) {
                return e.message();
            }
            return QString();
        };
        QCOMPARE(message([&] { parser.setExpression("Count > 2"); }), QString("Unknown identifier: Count"));
        QCOMPARE(message([&] { parser.setExpression("Count > 2"); }), QString());
        QCOMPARE(message([&] { parser.evaluate(); }), QString("Cannot evaluate: error in expression"));
        parser.clear();
        QCOMPARE(parser.expression(), QString());
        QCOMPARE(message([&] { parser.setExpression("Count > 2"); }), QString("Unknown identifier: Count"));

        // Evaluation faults raise on evaluating only.
        parser.clear();
        QCOMPARE(message([&] { parser.setExpression("1 / 0 > 1"); }), QString());
        QCOMPARE(message([&] { parser.evaluate(); }), QString("Division by zero"));

        parser.setExpression(QString());
        QCOMPARE(message([&] { parser.evaluate(); }), QString("Cannot evaluate: empty expression"));
    }
};

PELLORIN_TEST_CLASS(TestExprParser)
#include "test_exprparser.moc"
