// Condition expressions. Every text gives a value or a message, never both or neither, and the
// message is one of the parser's own, of the kind its outcome says (parse, type or evaluation);
// one that names a position points into the text or just past its end, at the token it quotes.
// The same text gives the same outcome twice, and the parser object agrees with the function.
// A text that parses (its value, type or evaluation fault) keeps its outcome inside one pair of
// brackets; a parse fault stays a parse fault there, unless a stray ")" was what ended it.
// Nesting beyond the bound is refused with its message, only a text with that many brackets
// or powers gets it, and as many brackets as the bound leaves room for are never refused. The condition check never raises, agrees with the parser on the
// text with its #S variables zeroed, and reads "#S...#" where a "0" stood as that "0".
#include "base/textutils.h"
#include "checks/exprparser.h"
#include "checks/itemscheck.h"
#include "fuzzcheck.h"

#include <QRegularExpression>
#include <cmath>
#include <functional>
#include <optional>

namespace {

enum class Kind { Parse, Type, Evaluation };

struct MessageForm {
    QRegularExpression pattern;
    Kind kind;
    // The pattern's first capture is a position (from 1), the second, when there is one, the
    // token found there as the text writes it.
    bool position = false;
};

const QString kType = QStringLiteral("(?:Boolean|Integer|Float|String)");

MessageForm form(const QString &pattern, Kind kind, bool position = false)
{
    return {QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                               QRegularExpression::DotMatchesEverythingOption),
            kind, position};
}

const std::vector<MessageForm> &messageForms()
{
    static const std::vector<MessageForm> forms{
        form(QStringLiteral("Badly terminated expression\\. Found token at position (\\d+) : (.+)"), Kind::Parse, true),
        form(QStringLiteral("Unknown character at pos (\\d+): \"(.+)\""), Kind::Parse, true),
        form(QStringLiteral("Expected \\) bracket at position (\\d+), but got (.+)"), Kind::Parse, true),
        form(QStringLiteral("Expected \\( bracket at position (\\d+), but got (.+)"), Kind::Parse, true),
        form(QStringLiteral("Expected comma \\(,\\) at position (\\d+), but got (.+)"), Kind::Parse, true),
        form(QStringLiteral("Unknown token at pos (\\d+) : (.+)"), Kind::Parse, true),
        form(QStringLiteral("Expression nested deeper than %1 levels at position (\\d+)").arg(maxExprNesting),
             Kind::Parse, true),
        form(QStringLiteral("Unexpected end of expression"), Kind::Parse),
        form(QStringLiteral("Unknown identifier: .+"), Kind::Parse),
        form(QStringLiteral("Unexpected character in number : .+"), Kind::Parse),
        form(QStringLiteral("Invalid numerical value : .+"), Kind::Parse),
        form(QStringLiteral("Unterminated string"), Kind::Parse),
        form(QStringLiteral("Case statement needs to have at least 4 arguments"), Kind::Parse),
        form(QStringLiteral("Case statement needs to have an even number of arguments"), Kind::Parse),
        form(QStringLiteral("Node type \\(%1\\) not in allowed types \\(.+\\) for expression: .*").arg(kType),
             Kind::Type),
        form(QStringLiteral("Type mismatch: %1<>%1 for expressions \".*\" and \".*\"\\.").arg(kType), Kind::Type),
        form(QStringLiteral("Cannot perform \"not\" on expression of type %1: .*").arg(kType), Kind::Type),
        form(QStringLiteral("Cannot negate expression of type %1 : .*").arg(kType), Kind::Type),
        form(QStringLiteral("First argument to IF must be of type boolean: .*"), Kind::Type),
        form(QStringLiteral("Case label \\d+ \".*\" is not a constant expression"), Kind::Type),
        form(QStringLiteral("Case label \\d+ \".*\" needs type %1, but has type %1").arg(kType), Kind::Type),
        form(QStringLiteral("Case value \\d+ \".*\" needs type %1, but has type %1").arg(kType), Kind::Type),
        form(QStringLiteral("Invalid floating point operation"), Kind::Evaluation),
        form(QStringLiteral("Division by zero"), Kind::Evaluation),
        form(QStringLiteral("Floating point overflow"), Kind::Evaluation),
    };
    return forms;
}

bool isNesting(const ExprOutcome &o) { return o.error.startsWith(QStringLiteral("Expression nested deeper than ")); }

bool sameValue(const ExprValue &a, const ExprValue &b)
{
    return a.type == b.type && a.boolean == b.boolean && a.integer == b.integer &&
           (a.real == b.real || (std::isnan(a.real) && std::isnan(b.real))) && a.string == b.string;
}

bool same(const ExprOutcome &a, const ExprOutcome &b)
{
    return a.parsed == b.parsed && a.error == b.error && sameValue(a.value, b.value);
}

QString esc(const QString &text) { return QString::fromUtf8(fuzz::escaped(text)); }

QString shown(const ExprOutcome &o)
{
    if (!o.error.isEmpty())
        return (o.parsed ? QStringLiteral("parsed, ") : QStringLiteral("not parsed, ")) + u'"' + esc(o.error) + u'"';
    return exprTypeName(o.value.type) + u' ' + esc(exprValueText(o.value));
}

// The outcome's message checked against the parser's forms; answers its kind.
Kind checkMessage(const QByteArray &text, const ExprOutcome &o)
{
    for (const MessageForm &f : messageForms()) {
        const QRegularExpressionMatch match = f.pattern.match(o.error);
        if (!match.hasMatch())
            continue;
        if (f.position) {
            const qsizetype position = match.captured(1).toLongLong();
            FUZZ_CHECK(position >= 1 && position <= text.size() + 1,
                       "a position inside the text or just past its end: " + shown(o));
            const QString token = match.captured(2);
            // Bytes that are not UTF-8 come out of the message as replacement characters.
            if (!token.isEmpty() && QString::fromUtf8(text).toUtf8() == text)
                FUZZ_CHECK(QString::fromUtf8(text.mid(position - 1)).startsWith(token),
                           "the token quoted stands at the position named: " + shown(o));
        }
        return f.kind;
    }
    fuzz::fail("a message of the parser's own", __FILE__, __LINE__, shown(o));
}

// The byte count of the constructs that nest: brackets (also those of if and case) and powers.
qsizetype nestingBytes(const QByteArray &text) { return text.count('(') + text.count('^'); }

QString raised(const std::function<void()> &work)
{
    try {
        work();
    } catch (const EExprParser &e) {
        FUZZ_CHECK(!e.message().isEmpty(), "a fault raised with a message");
        return e.message();
    }
    return QString();
}

// The parser object on Text agrees with the function on the text's UTF-8.
void checkParserObject(const QString &text)
{
    ExpressionParser parser;
    const QString set = raised([&] { parser.setExpression(text); });
    FUZZ_CHECK(parser.expression() == text, "the object holds the text it was given");
    ExprValue value;
    const QString evaluated = raised([&] { value = parser.evaluate(); });
    if (text.isEmpty()) {
        FUZZ_CHECK(set.isEmpty() && evaluated == QStringLiteral("Cannot evaluate: empty expression"),
                   "an empty text holds no expression: " + set + " / " + evaluated);
        return;
    }
    const ExprOutcome expected = parseExpression(text.toUtf8());
    if (!expected.parsed) {
        FUZZ_CHECK(set == expected.error,
                   "setting the text raises the parse fault: " + esc(set) + " against " + shown(expected));
        FUZZ_CHECK(evaluated == QStringLiteral("Cannot evaluate: error in expression"),
                   "evaluating a text that failed says so: " + esc(evaluated));
        FUZZ_CHECK(raised([&] { parser.setExpression(text); }).isEmpty(), "the text held is not parsed again");
        parser.clear();
        FUZZ_CHECK(raised([&] { parser.setExpression(text); }) == expected.error,
                   "after Clear the text is parsed again");
        return;
    }
    FUZZ_CHECK(set.isEmpty(), "a text that parses sets without a fault: " + esc(set));
    FUZZ_CHECK(evaluated == expected.error,
               "evaluating raises the evaluation fault: " + esc(evaluated) + " against " + shown(expected));
    if (expected.error.isEmpty())
        FUZZ_CHECK(sameValue(value, expected.value), "evaluating gives the value of the function: " +
                                                         exprValueText(value) + " against " + shown(expected));
}

// The condition check on Text: no exception leaves it, and it answers what the parser says of
// the text with its #S variables zeroed.
bool checkCondition(const QString &text, QString &error)
{
    bool valid = false;
    error = QStringLiteral("stale");
    try {
        valid = CheckCondition(text, error);
    } catch (...) {
        FUZZ_CHECK(false, "the condition check raises nothing: " + currentExceptionMessage());
    }
    if (trim(text).isEmpty()) {
        FUZZ_CHECK(valid && error.isEmpty(), "a blank condition passes");
        return valid;
    }
    const ExprOutcome expected = parseExpression(zeroSVars(text).toUtf8());
    FUZZ_CHECK(valid == (expected.parsed && expected.error.isEmpty()) && error == expected.error,
               "the check answers what the parser says: " + esc(error) + " against " + shown(expected));
    return valid;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray text = input.bytes();

    const ExprOutcome outcome = parseExpression(text);
    const bool hasValue = outcome.parsed && outcome.error.isEmpty();
    FUZZ_CHECK(hasValue != !outcome.error.isEmpty(), "a value or a message: " + shown(outcome));
    std::optional<Kind> kind;
    if (hasValue) {
        FUZZ_CHECK(outcome.value.type != ExprType::Float || std::isfinite(outcome.value.real),
                   "a float value is finite: " + shown(outcome));
    } else {
        FUZZ_CHECK(sameValue(outcome.value, ExprValue()), "a message comes without a value: " + shown(outcome));
        kind = checkMessage(text, outcome);
        FUZZ_CHECK(outcome.parsed == (*kind == Kind::Evaluation),
                   "only an evaluation fault follows a parse: " + shown(outcome));
    }
    if (isNesting(outcome))
        FUZZ_CHECK(nestingBytes(text) > maxExprNesting, "only a text that deep is refused: " + shown(outcome));

    FUZZ_CHECK(same(parseExpression(text), outcome), "the same text gives the same outcome");

    // The object takes the text as a string: bytes that are not UTF-8 reach it replaced.
    checkParserObject(QString::fromUtf8(text));

    // In brackets, after the formula sign when there is one.
    const bool formula = text.startsWith('=');
    auto inBrackets = [&](qsizetype depth) {
        return (formula ? QByteArray("=") : QByteArray()) + QByteArray(depth, '(') + text.mid(formula ? 1 : 0) +
               QByteArray(depth, ')');
    };
    const QByteArray wrapped = inBrackets(1);
    const ExprOutcome once = parseExpression(wrapped);
    if (isNesting(once)) {
        FUZZ_CHECK(nestingBytes(text) >= maxExprNesting,
                   "one bracket more is too deep only for a text that deep: " + shown(once));
    } else if (!kind || *kind != Kind::Parse) {
        FUZZ_CHECK(same(once, outcome),
                   "a text that parses keeps its outcome in brackets: " + shown(outcome) + " then " + shown(once));
    } else if (!outcome.error.startsWith(QStringLiteral("Badly terminated expression.")) ||
               !outcome.error.endsWith(QStringLiteral(" : )"))) {
        FUZZ_CHECK(!once.parsed && checkMessage(wrapped, once) == Kind::Parse,
                   "a parse fault stays one in brackets: " + shown(outcome) + " then " + shown(once));
    }
    // As many brackets as the bound leaves room for, whatever the text nests. (Parse faults are
    // left out: unwinding from that deep costs more than the run can spare for each input.)
    if (const qsizetype room = maxExprNesting - nestingBytes(text); room > 1 && (!kind || *kind != Kind::Parse)) {
        const ExprOutcome full = parseExpression(inBrackets(room));
        FUZZ_CHECK(same(full, outcome), "a text that parses keeps its outcome in brackets up to the bound: " +
                                            shown(outcome) + " then " + shown(full));
    }

    const QString condition = QString::fromUtf8(text);
    QString error;
    const bool valid = checkCondition(condition, error);
    if (!condition.contains(u'#')) {
        QString placeholders = condition;
        placeholders.replace(u'0', QStringLiteral("#SVar_0#"));
        QString placeholderError;
        FUZZ_CHECK(checkCondition(placeholders, placeholderError) == valid && placeholderError == error,
                   "a #S variable reads as the 0 it stands for: " + esc(placeholderError) + " against " + esc(error));
    }
    return 0;
}
