// The constant-only language of IF and HTML conditions.
#include "exprparser.h"

#include "base/textutils.h"

#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

QString exprTypeName(ExprType type)
{
    switch (type) {
    case ExprType::Boolean:
        return QStringLiteral("Boolean");
    case ExprType::Integer:
        return QStringLiteral("Integer");
    case ExprType::Float:
        return QStringLiteral("Float");
    case ExprType::String:
        return QStringLiteral("String");
    }
    return QString();
}

namespace {
QString floatText(double v)
{
    // Fifteen significant digits, the exponent written without "+" and leading zeros.
    QString text = QString::number(v, 'g', 15);
    const qsizetype e = text.indexOf(u'e');
    if (e < 0)
        return text;
    QString exponent = text.mid(e + 1);
    const bool negative = exponent.startsWith(u'-');
    if (negative || exponent.startsWith(u'+'))
        exponent.remove(0, 1);
    while (exponent.size() > 1 && exponent.startsWith(u'0'))
        exponent.remove(0, 1);
    return text.left(e) + u'E' + (negative ? QStringLiteral("-") : QString()) + exponent;
}
} // namespace

QString exprValueText(const ExprValue &value)
{
    switch (value.type) {
    case ExprType::Boolean:
        return value.boolean ? QStringLiteral("True") : QStringLiteral("False");
    case ExprType::Integer:
        return QString::number(value.integer);
    case ExprType::Float:
        return floatText(value.real);
    case ExprType::String:
        return value.string;
    }
    return QString();
}

namespace {
using T = ExprType;

// The parser recurses through its levels once per bracket; helpers kept out of line leave
// each level a small frame.
#define NOINLINE __attribute__((noinline))

enum class Tok : uint8_t {
    End,
    Number,
    String,
    Identifier,
    True,
    False,
    If,
    Case,
    And,
    Or,
    Xor,
    Not,
    Mod,
    Plus,
    Minus,
    Mul,
    Div,
    Power,
    Equal,
    Unequal,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Left,
    Right,
    Comma,
};

struct Token {
    Tok kind = Tok::End;
    qsizetype start = 0; // byte offset in the source
    qsizetype end = 0;
    QString text; // a string's content, quotes undone
};

// A parse fault: it ends the parse at once.
struct ParseFault {
    QString message;
};

// A folded operand: its type, its value as evaluation would give it (or the first fault of
// that evaluation), and the source it came from, for messages.
struct Operand {
    ExprValue value;
    QString evalError;
    qsizetype start = 0;
    qsizetype end = 0;
    // A number, string or truth value as written, possibly in brackets.
    bool literal = false;
};

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDelimiter(char c)
{
    switch (c) {
    case '+':
    case '-':
    case '<':
    case '>':
    case '=':
    case '/':
    case '*':
    case '^':
    case ',':
    case '(':
    case ')':
        return true;
    default:
        return false;
    }
}
// Names and numbers run up to one of these.
bool endsWord(char c) { return isWhite(c) || isDelimiter(c) || c == '\0'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool isNumeric(ExprType t) { return t == ExprType::Integer || t == ExprType::Float; }

double asFloat(const ExprValue &v) { return v.type == ExprType::Integer ? double(v.integer) : v.real; }

// Integer arithmetic wraps, as the language's 64-bit integers do.
int64_t wrap(uint64_t v) { return int64_t(v); }

class Parser {
public:
    explicit Parser(QByteArrayView source) : m_src(source) {}

    ExprOutcome run()
    {
        ExprOutcome outcome;
        try {
            // A leading "=" is the formula sign, as in a spreadsheet.
            if (!m_src.isEmpty() && m_src[0] == '=')
                m_pos = 1;
            next();
            Operand result = level1();
            if (m_tok.kind != Tok::End)
                tokenFault(QStringLiteral("Badly terminated expression. Found token at position %1 : %2"));
            if (m_typeError) {
                outcome.error = *m_typeError;
                return outcome;
            }
            outcome.parsed = true;
            outcome.error = result.evalError;
            if (outcome.error.isEmpty())
                outcome.value = std::move(result.value);
        } catch (const ParseFault &f) {
            outcome.parsed = false;
            outcome.error = f.message;
        }
        return outcome;
    }

private:
    // ---- scanning ----

    [[noreturn]] NOINLINE void fault(const QString &message) { throw ParseFault{message}; }
    [[noreturn]] NOINLINE void unexpectedEnd() { fault(QStringLiteral("Unexpected end of expression")); }
    [[noreturn]] NOINLINE void unknownIdentifier() { fault(QStringLiteral("Unknown identifier: %1").arg(tokenText())); }
    // A fault about the current token: the pattern takes its position (%1) and text (%2).
    [[noreturn]] NOINLINE void tokenFault(const QString &pattern)
    {
        fault(pattern.arg(m_tok.start + 1).arg(tokenText()));
    }

    QString text(qsizetype start, qsizetype end) const { return QString::fromUtf8(m_src.sliced(start, end - start)); }
    QString tokenText() const { return text(m_tok.start, m_tok.end); }
    QString sourceOf(const Operand &o) const { return text(o.start, o.end); }

    // The whole UTF-8 sequence of the character at i.
    qsizetype charLength(qsizetype i) const
    {
        const qsizetype n = std::min<qsizetype>(utf8SequenceLength(m_src[i]), m_src.size() - i);
        for (qsizetype k = 1; k < n; ++k)
            if (!isUtf8Continuation(m_src[i + k]))
                return k;
        return n;
    }

    NOINLINE void next()
    {
        while (m_pos < m_src.size() && isWhite(m_src[m_pos]))
            ++m_pos;
        m_tok = Token();
        m_tok.start = m_pos;
        if (m_pos >= m_src.size()) {
            m_tok.end = m_pos;
            return;
        }
        const char c = m_src[m_pos];
        if (isDelimiter(c))
            scanOperator();
        else if (c == '\'')
            scanString();
        else if (isDigit(c) || c == '.')
            scanNumber();
        else if (isLetter(c))
            scanWord();
        else
            fault(QStringLiteral("Unknown character at pos %1: \"%2\"")
                      .arg(m_pos + 1)
                      .arg(text(m_pos, m_pos + charLength(m_pos))));
        m_tok.end = m_pos;
    }

    void scanOperator()
    {
        const char c = m_src[m_pos++];
        const char d = m_pos < m_src.size() ? m_src[m_pos] : '\0';
        auto two = [&](Tok kind) {
            ++m_pos;
            m_tok.kind = kind;
        };
        switch (c) {
        case '<':
            if (d == '=')
                return two(Tok::LessEqual);
            if (d == '>')
                return two(Tok::Unequal);
            m_tok.kind = Tok::Less;
            return;
        case '>':
            if (d == '=')
                return two(Tok::GreaterEqual);
            m_tok.kind = Tok::Greater;
            return;
        case '+':
            m_tok.kind = Tok::Plus;
            return;
        case '-':
            m_tok.kind = Tok::Minus;
            return;
        case '*':
            m_tok.kind = Tok::Mul;
            return;
        case '/':
            m_tok.kind = Tok::Div;
            return;
        case '^':
            m_tok.kind = Tok::Power;
            return;
        case '=':
            m_tok.kind = Tok::Equal;
            return;
        case '(':
            m_tok.kind = Tok::Left;
            return;
        case ')':
            m_tok.kind = Tok::Right;
            return;
        default:
            m_tok.kind = Tok::Comma;
            return;
        }
    }

    void scanString()
    {
        QByteArray content;
        qsizetype runStart = ++m_pos;
        for (;;) {
            const qsizetype quote = m_src.indexOf('\'', m_pos);
            if (quote < 0)
                fault(QStringLiteral("Unterminated string"));
            content.append(m_src.sliced(runStart, quote - runStart));
            m_pos = quote + 1;
            if (m_pos < m_src.size() && m_src[m_pos] == '\'') {
                content.append('\'');
                runStart = ++m_pos;
                continue;
            }
            break;
        }
        m_tok.kind = Tok::String;
        m_tok.text = QString::fromUtf8(content);
    }

    void scanNumber()
    {
        const qsizetype start = m_pos;
        char prev = '\0';
        while (m_pos < m_src.size()) {
            const char c = m_src[m_pos];
            // A sign belongs to the number only right after its exponent letter.
            if (endsWord(c) && !((c == '+' || c == '-') && (prev == 'e' || prev == 'E')))
                break;
            if (!isDigit(c) && c != '.' && c != 'e' && c != 'E' && c != '+' && c != '-')
                fault(
                    QStringLiteral("Unexpected character in number : %1").arg(text(m_pos, m_pos + charLength(m_pos))));
            prev = c;
            ++m_pos;
        }
        m_tok.kind = Tok::Number;
        m_tok.end = m_pos;
        const QByteArrayView digits = m_src.sliced(start, m_pos - start);
        if (!validNumber(digits))
            fault(QStringLiteral("Invalid numerical value : %1").arg(tokenText()));
    }

    // Digits with at most one point and an optional exponent; at least one mantissa digit.
    static bool validNumber(QByteArrayView s)
    {
        qsizetype i = 0, mantissa = 0;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++mantissa;
        if (i < s.size() && s[i] == '.')
            for (++i; i < s.size() && isDigit(s[i]); ++i)
                ++mantissa;
        if (mantissa == 0)
            return false;
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
            ++i;
            if (i < s.size() && (s[i] == '+' || s[i] == '-'))
                ++i;
            const qsizetype exponentStart = i;
            while (i < s.size() && isDigit(s[i]))
                ++i;
            if (i == exponentStart)
                return false;
        }
        return i == s.size();
    }

    void scanWord()
    {
        while (m_pos < m_src.size() && !endsWord(m_src[m_pos]))
            ++m_pos;
        const QByteArray word = m_src.sliced(m_tok.start, m_pos - m_tok.start).toByteArray().toLower();
        static const std::pair<const char *, Tok> keywords[] = {
            {"or", Tok::Or},   {"xor", Tok::Xor}, {"and", Tok::And},   {"true", Tok::True}, {"false", Tok::False},
            {"not", Tok::Not}, {"if", Tok::If},   {"case", Tok::Case}, {"mod", Tok::Mod},
        };
        m_tok.kind = Tok::Identifier;
        for (const auto &[name, kind] : keywords)
            if (word == name)
                m_tok.kind = kind;
    }

    // ---- nesting ----

    [[noreturn]] NOINLINE void tooDeep()
    {
        fault(QStringLiteral("Expression nested deeper than %1 levels at position %2")
                  .arg(maxExprNesting)
                  .arg(m_tok.start + 1));
    }

    class Nested {
    public:
        explicit Nested(Parser &p) : m_p(p)
        {
            if (++m_p.m_depth > maxExprNesting)
                m_p.tooDeep();
        }
        ~Nested() { --m_p.m_depth; }
        Nested(const Nested &) = delete;
        Nested &operator=(const Nested &) = delete;

    private:
        Parser &m_p;
    };

    // ---- types ----

    // Only the first type fault counts; after it the values are no longer computed.
    bool typeFault(const QString &message)
    {
        if (!m_typeError)
            m_typeError = message;
        return false;
    }
    bool allowed(const Operand &o, std::initializer_list<ExprType> types)
    {
        for (ExprType t : types)
            if (o.value.type == t)
                return true;
        QStringList names;
        for (ExprType t : types)
            names << exprTypeName(t);
        return typeFault(QStringLiteral("Node type (%1) not in allowed types (%2) for expression: %3")
                             .arg(exprTypeName(o.value.type), names.join(QStringLiteral(", ")), sourceOf(o)));
    }
    bool mismatch(const Operand &a, const Operand &b)
    {
        return typeFault(QStringLiteral("Type mismatch: %1<>%2 for expressions \"%3\" and \"%4\".")
                             .arg(exprTypeName(a.value.type), exprTypeName(b.value.type), sourceOf(a), sourceOf(b)));
    }
    // Same types, or an integer and a float, which then both become floats.
    bool compatible(Operand &a, Operand &b)
    {
        if (a.value.type == b.value.type)
            return true;
        if (!isNumeric(a.value.type) || !isNumeric(b.value.type))
            return mismatch(a, b);
        promote(a);
        promote(b);
        return true;
    }
    static void promote(Operand &o)
    {
        if (o.value.type == ExprType::Integer) {
            o.value.real = double(o.value.integer);
            o.value.type = ExprType::Float;
        }
    }

    // ---- operands ----

    Operand span(Operand value, qsizetype start, qsizetype end)
    {
        value.start = start;
        value.end = end;
        value.literal = false;
        return value;
    }
    static void failWith(Operand &o, const Operand &a, const Operand &b, const QString &own = QString())
    {
        if (o.evalError.isEmpty())
            o.evalError = !a.evalError.isEmpty() ? a.evalError : !b.evalError.isEmpty() ? b.evalError : own;
    }
    static QString floatFault(double result, double a, double b, bool division)
    {
        if (std::isnan(result))
            return QStringLiteral("Invalid floating point operation");
        if (std::isinf(result) && std::isfinite(a) && std::isfinite(b))
            return division ? QStringLiteral("Division by zero") : QStringLiteral("Floating point overflow");
        return QString();
    }

    NOINLINE Operand binary(Tok op, Operand a, Operand b)
    {
        Operand r;
        r.start = a.start;
        r.end = b.end;
        if (m_typeError)
            return r;
        bool ok;
        switch (op) {
        case Tok::Plus:
            ok = allowed(a, {T::Integer, T::Float, T::String}) && allowed(b, {T::Integer, T::Float, T::String}) &&
                 compatible(a, b);
            break;
        case Tok::Minus:
        case Tok::Mul:
        case Tok::Div:
        case Tok::Power:
            ok = allowed(a, {T::Integer, T::Float}) && allowed(b, {T::Integer, T::Float}) && compatible(a, b);
            break;
        case Tok::Mod:
            ok = allowed(a, {T::Integer}) && allowed(b, {T::Integer});
            break;
        case Tok::And:
        case Tok::Or:
        case Tok::Xor:
            ok = allowed(a, {T::Integer, T::Boolean}) && allowed(b, {T::Integer, T::Boolean}) &&
                 (a.value.type == b.value.type || mismatch(a, b));
            break;
        case Tok::Less:
        case Tok::Greater:
        case Tok::LessEqual:
        case Tok::GreaterEqual:
            ok = allowed(a, {T::Integer, T::Float, T::String}) && allowed(b, {T::Integer, T::Float, T::String}) &&
                 compatible(a, b);
            break;
        default: // = and <>
            ok = compatible(a, b);
            break;
        }
        if (!ok)
            return r;
        failWith(r, a, b);
        if (!r.evalError.isEmpty())
            return r;
        compute(op, a.value, b.value, r);
        return r;
    }

    void compute(Tok op, ExprValue &a, const ExprValue &b, Operand &r)
    {
        ExprValue &v = r.value;
        const T type = a.type;
        v.type = type;
        auto fail = [&](const QString &message) { r.evalError = message; };
        switch (op) {
        case Tok::Plus:
        case Tok::Minus:
        case Tok::Mul:
            if (type == T::String) {
                // The left text is taken over, so a long chain of joins grows one string.
                v.string = std::move(a.string);
                v.string += b.string;
            } else if (type == T::Integer) {
                const uint64_t x = uint64_t(a.integer), y = uint64_t(b.integer);
                v.integer = wrap(op == Tok::Plus ? x + y : op == Tok::Minus ? x - y : x * y);
            } else {
                v.real = op == Tok::Plus ? a.real + b.real : op == Tok::Minus ? a.real - b.real : a.real * b.real;
                fail(floatFault(v.real, a.real, b.real, false));
            }
            return;
        case Tok::Div: {
            v.type = T::Float;
            const double x = asFloat(a), y = asFloat(b);
            if (y == 0)
                return fail(x == 0 || std::isnan(x) ? QStringLiteral("Invalid floating point operation")
                                                    : QStringLiteral("Division by zero"));
            v.real = x / y;
            return fail(floatFault(v.real, x, y, false));
        }
        case Tok::Power: {
            v.type = T::Float;
            const double x = asFloat(a), y = asFloat(b);
            v.real = std::pow(x, y);
            return fail(floatFault(v.real, x, y, x == 0 && y < 0));
        }
        case Tok::Mod:
            if (b.integer == 0)
                return fail(QStringLiteral("Division by zero"));
            v.integer = b.integer == -1 ? 0 : a.integer % b.integer;
            return;
        case Tok::And:
        case Tok::Or:
        case Tok::Xor:
            if (type == T::Boolean)
                v.boolean = op == Tok::And  ? a.boolean && b.boolean
                            : op == Tok::Or ? a.boolean || b.boolean
                                            : a.boolean != b.boolean;
            else
                v.integer = op == Tok::And  ? a.integer & b.integer
                            : op == Tok::Or ? a.integer | b.integer
                                            : a.integer ^ b.integer;
            return;
        default: {
            v.type = T::Boolean;
            const int order = compare(a, b);
            switch (op) {
            case Tok::Equal:
                v.boolean = order == 0;
                break;
            case Tok::Unequal:
                v.boolean = order != 0;
                break;
            case Tok::Less:
                v.boolean = order < 0;
                break;
            case Tok::Greater:
                v.boolean = order > 0;
                break;
            case Tok::LessEqual:
                v.boolean = order <= 0;
                break;
            default:
                v.boolean = order >= 0;
                break;
            }
            return;
        }
        }
    }

    // -1, 0 or 1; both of one type, floats never NaN.
    static int compare(const ExprValue &a, const ExprValue &b)
    {
        switch (a.type) {
        case T::Boolean:
            return int(a.boolean) - int(b.boolean);
        case T::Integer:
            return a.integer < b.integer ? -1 : a.integer > b.integer ? 1 : 0;
        case T::Float:
            return a.real < b.real ? -1 : a.real > b.real ? 1 : 0;
        case T::String: {
            const int c = a.string.compare(b.string);
            return c < 0 ? -1 : c > 0 ? 1 : 0;
        }
        }
        return 0;
    }

    // ---- grammar ----

    // Boolean level: an optional "not" at its start, then and/or/xor from left to right.
    Operand level1()
    {
        Operand result;
        if (m_tok.kind == Tok::Not) {
            const qsizetype start = m_tok.start;
            next();
            if (m_tok.kind == Tok::End)
                unexpectedEnd();
            result = negation(level2(), start);
        } else {
            result = level2();
        }
        while (m_tok.kind == Tok::And || m_tok.kind == Tok::Or || m_tok.kind == Tok::Xor) {
            const Tok op = m_tok.kind;
            next();
            if (m_tok.kind == Tok::End)
                unexpectedEnd();
            result = binary(op, std::move(result), level2());
        }
        return result;
    }

    NOINLINE Operand negation(Operand o, qsizetype start)
    {
        const qsizetype from = o.start, end = o.end;
        Operand r = span(std::move(o), start, end);
        if (m_typeError)
            return r;
        if (r.value.type == T::Boolean)
            r.value.boolean = !r.value.boolean;
        else if (r.value.type == T::Integer)
            r.value.integer = ~r.value.integer;
        else
            typeFault(QStringLiteral("Cannot perform \"not\" on expression of type %1: %2")
                          .arg(exprTypeName(r.value.type), text(from, end)));
        return r;
    }

    // One comparison at most: a second one is left for the caller, which does not take it.
    Operand level2()
    {
        Operand left = level3();
        switch (m_tok.kind) {
        case Tok::Equal:
        case Tok::Unequal:
        case Tok::Less:
        case Tok::Greater:
        case Tok::LessEqual:
        case Tok::GreaterEqual: {
            const Tok op = m_tok.kind;
            next();
            if (m_tok.kind == Tok::End)
                unexpectedEnd();
            return binary(op, std::move(left), level3());
        }
        default:
            return left;
        }
    }

    Operand level3()
    {
        Operand result = level4();
        while (m_tok.kind == Tok::Plus || m_tok.kind == Tok::Minus) {
            const Tok op = m_tok.kind;
            next();
            if (m_tok.kind == Tok::End)
                unexpectedEnd();
            result = binary(op, std::move(result), level4());
        }
        return result;
    }

    Operand level4()
    {
        Operand result = level5();
        while (m_tok.kind == Tok::Mul || m_tok.kind == Tok::Div || m_tok.kind == Tok::Mod) {
            const Tok op = m_tok.kind;
            next();
            if (m_tok.kind == Tok::End)
                unexpectedEnd();
            result = binary(op, std::move(result), level5());
        }
        return result;
    }

    // One sign at most, applied after the powers: -2^2 is -4.
    Operand level5()
    {
        if (m_tok.kind != Tok::Plus && m_tok.kind != Tok::Minus)
            return level6();
        const bool minus = m_tok.kind == Tok::Minus;
        const qsizetype start = m_tok.start;
        next();
        Operand o = level6();
        return minus ? negated(std::move(o), start) : o;
    }

    NOINLINE Operand negated(Operand o, qsizetype start)
    {
        const qsizetype from = o.start, end = o.end;
        Operand r = span(std::move(o), start, end);
        if (m_typeError)
            return r;
        if (r.value.type == T::Integer)
            r.value.integer = wrap(0 - uint64_t(r.value.integer));
        else if (r.value.type == T::Float)
            r.value.real = -r.value.real;
        else
            typeFault(QStringLiteral("Cannot negate expression of type %1 : %2")
                          .arg(exprTypeName(r.value.type), text(from, end)));
        return r;
    }

    // Powers group to the right: 2^3^2 is 2^9.
    Operand level6()
    {
        Operand base = level7();
        if (m_tok.kind != Tok::Power)
            return base;
        next();
        Nested nested(*this);
        return binary(Tok::Power, std::move(base), level5());
    }

    Operand level7()
    {
        if (m_tok.kind != Tok::Left)
            return primitive();
        const qsizetype start = m_tok.start;
        Nested nested(*this);
        next();
        Operand inner = level1();
        expectRight();
        inner.start = start;
        inner.end = m_tok.end;
        next();
        return inner;
    }

    void expectRight()
    {
        if (m_tok.kind == Tok::End)
            unexpectedEnd();
        if (m_tok.kind != Tok::Right)
            tokenFault(QStringLiteral("Expected ) bracket at position %1, but got %2"));
    }

    Operand primitive()
    {
        Operand o;
        o.start = m_tok.start;
        o.end = m_tok.end;
        o.literal = true;
        switch (m_tok.kind) {
        case Tok::Number:
            o.value = number();
            break;
        case Tok::String:
            o.value.type = T::String;
            o.value.string = m_tok.text;
            break;
        case Tok::True:
        case Tok::False:
            o.value.type = T::Boolean;
            o.value.boolean = m_tok.kind == Tok::True;
            break;
        case Tok::If:
        case Tok::Case:
            return form();
        case Tok::Identifier:
            unknownIdentifier();
        case Tok::End:
            unexpectedEnd();
        default:
            tokenFault(QStringLiteral("Unknown token at pos %1 : %2"));
        }
        next();
        return o;
    }

    // An integer while it fits in 64 bits, else a float; a float too large is refused, one
    // too small is 0.
    NOINLINE ExprValue number() const
    {
        ExprValue v;
        const QByteArrayView digits = m_src.sliced(m_tok.start, m_tok.end - m_tok.start);
        if (std::all_of(digits.begin(), digits.end(), isDigit)) {
            const auto [end, ec] = std::from_chars(digits.begin(), digits.end(), v.integer);
            if (ec == std::errc() && end == digits.end()) {
                v.type = T::Integer;
                return v;
            }
        }
        v.type = T::Float;
        const auto [end, ec] = std::from_chars(digits.begin(), digits.end(), v.real);
        if (ec == std::errc::result_out_of_range && !overflows(digits))
            v.real = 0;
        else if (ec != std::errc() || end != digits.end() || !std::isfinite(v.real))
            throw ParseFault{QStringLiteral("Invalid numerical value : %1").arg(tokenText())};
        return v;
    }

    // Whether a number out of the float range is too large rather than too small: the power
    // of ten of its first significant digit is positive.
    static bool overflows(QByteArrayView s)
    {
        qsizetype i = 0, intDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++intDigits;
        int64_t first = 0;
        bool found = false;
        for (qsizetype k = 0, place = intDigits - 1; k < s.size() && s[k] != 'e' && s[k] != 'E'; ++k) {
            if (s[k] == '.')
                continue;
            if (s[k] != '0') {
                first = place;
                found = true;
                break;
            }
            --place;
        }
        if (!found)
            return false;
        const qsizetype e = std::max(s.indexOf('e'), s.indexOf('E'));
        int64_t exponent = 0;
        if (e >= 0) {
            const bool negative = s[e + 1] == '-';
            for (qsizetype k = e + 1; k < s.size(); ++k)
                if (isDigit(s[k]))
                    exponent = std::min<int64_t>(exponent * 10 + (s[k] - '0'), int64_t(1) << 40);
            if (negative)
                exponent = -exponent;
        }
        return first + exponent > 0;
    }

    // if(c, a, b) and case(e, default, label, value, ...).
    Operand form()
    {
        const bool isIf = m_tok.kind == Tok::If;
        const qsizetype start = m_tok.start;
        next();
        if (m_tok.kind == Tok::End)
            unexpectedEnd();
        if (m_tok.kind != Tok::Left)
            tokenFault(QStringLiteral("Expected ( bracket at position %1, but got %2"));
        Nested nested(*this);
        next();
        std::vector<Operand> args;
        for (;;) {
            args.push_back(level1());
            if (isIf && args.size() == 3)
                break;
            if (m_tok.kind == Tok::Comma) {
                next();
                continue;
            }
            if (isIf) {
                if (m_tok.kind == Tok::End)
                    unexpectedEnd();
                tokenFault(QStringLiteral("Expected comma (,) at position %1, but got %2"));
            }
            break;
        }
        expectRight();
        const qsizetype end = m_tok.end;
        if (!isIf && args.size() < 4)
            fault(QStringLiteral("Case statement needs to have at least 4 arguments"));
        if (!isIf && args.size() % 2 != 0)
            fault(QStringLiteral("Case statement needs to have an even number of arguments"));
        next();
        Operand r = isIf ? ifForm(args) : caseForm(args);
        r.start = start;
        r.end = end;
        r.literal = false;
        return r;
    }

    NOINLINE Operand ifForm(std::vector<Operand> &args)
    {
        Operand r;
        if (m_typeError)
            return r;
        Operand &c = args[0];
        if (c.value.type != T::Boolean) {
            typeFault(QStringLiteral("First argument to IF must be of type boolean: %1").arg(sourceOf(c)));
            return r;
        }
        if (!compatible(args[1], args[2]))
            return r;
        if (!c.evalError.isEmpty()) {
            r.value = args[1].value;
            r.evalError = c.evalError;
            return r;
        }
        Operand &chosen = c.value.boolean ? args[1] : args[2];
        r.value = std::move(chosen.value);
        r.evalError = chosen.evalError;
        return r;
    }

    NOINLINE Operand caseForm(std::vector<Operand> &args)
    {
        Operand r;
        if (m_typeError)
            return r;
        Operand &e = args[0];
        const size_t labels = args.size() / 2 - 1;
        for (size_t k = 1; k <= labels; ++k) {
            Operand &label = args[2 * k];
            if (!label.literal) {
                typeFault(
                    QStringLiteral("Case label %1 \"%2\" is not a constant expression").arg(k).arg(sourceOf(label)));
                return r;
            }
            if (label.value.type != e.value.type && !(isNumeric(label.value.type) && isNumeric(e.value.type))) {
                typeFault(QStringLiteral("Case label %1 \"%2\" needs type %3, but has type %4")
                              .arg(k)
                              .arg(sourceOf(label), exprTypeName(e.value.type), exprTypeName(label.value.type)));
                return r;
            }
        }
        // The result is a float when the default or any value is one.
        Operand &fallback = args[1];
        for (size_t k = 1; k <= labels; ++k) {
            Operand &value = args[2 * k + 1];
            if (value.value.type != fallback.value.type &&
                !(isNumeric(value.value.type) && isNumeric(fallback.value.type))) {
                typeFault(QStringLiteral("Case value %1 \"%2\" needs type %3, but has type %4")
                              .arg(k)
                              .arg(sourceOf(value), exprTypeName(fallback.value.type), exprTypeName(value.value.type)));
                return r;
            }
        }
        bool anyFloat = fallback.value.type == T::Float;
        for (size_t k = 1; k <= labels; ++k)
            anyFloat = anyFloat || args[2 * k + 1].value.type == T::Float;
        if (!e.evalError.isEmpty()) {
            r.evalError = e.evalError;
            return r;
        }
        Operand *chosen = &fallback;
        for (size_t k = 1; k <= labels; ++k) {
            Operand &label = args[2 * k];
            ExprValue a = e.value, b = label.value;
            if (a.type != b.type) {
                a.real = asFloat(a);
                b.real = asFloat(b);
                a.type = b.type = T::Float;
            }
            if (compare(a, b) == 0) {
                chosen = &args[2 * k + 1];
                break;
            }
        }
        if (anyFloat)
            promote(*chosen);
        r.value = std::move(chosen->value);
        r.evalError = chosen->evalError;
        return r;
    }

    QByteArrayView m_src;
    qsizetype m_pos = 0;
    Token m_tok;
    int m_depth = 0;
    std::optional<QString> m_typeError;
};

} // namespace

ExprOutcome parseExpression(QByteArrayView utf8) { return Parser(utf8).run(); }

void ExpressionParser::setExpression(const QString &text)
{
    if (text == m_expression)
        return;
    m_expression = text;
    m_outcome = ExprOutcome();
    if (text.isEmpty())
        return;
    m_outcome = parseExpression(text.toUtf8());
    if (!m_outcome.parsed)
        throw EExprParser(m_outcome.error);
}

void ExpressionParser::clear()
{
    m_expression.clear();
    m_outcome = ExprOutcome();
}

ExprValue ExpressionParser::evaluate() const
{
    if (m_expression.isEmpty())
        throw EExprParser(QStringLiteral("Cannot evaluate: empty expression"));
    if (!m_outcome.parsed)
        throw EExprParser(QStringLiteral("Cannot evaluate: error in expression"));
    if (!m_outcome.error.isEmpty())
        throw EExprParser(m_outcome.error);
    return m_outcome.value;
}
