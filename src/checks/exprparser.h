#pragma once
// The language of IF and HTML conditions, which hold constants only: numbers, single-quoted
// strings ('' stands for one quote), True and False, parentheses, + - * / ^ mod, one
// comparison per level (= <> < > <= >=), and, or, xor, not at the start of a level, and the
// forms if(c, a, b) and case(e, default, label, value, ...). Any other name is unknown.
//
// Types are checked when the text is parsed and values computed when it is evaluated; a
// fault of either raises EExprParser with the message the user sees. The whole expression
// is folded while it is parsed, so no tree is kept, and nesting is bounded, so no text can
// exhaust the stack.
#include "base/exception.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

enum class ExprType : uint8_t { Boolean, Integer, Float, String };

// "Boolean", "Integer", "Float", "String".
QString exprTypeName(ExprType type);

struct ExprValue {
    ExprType type = ExprType::Integer;
    bool boolean = false;
    int64_t integer = 0;
    double real = 0;
    QString string;
};

// The value as the messages write it: True or False, decimal digits, a float with 15
// significant digits ("0.5", "1E20"), a string as it is.
QString exprValueText(const ExprValue &value);

// A fault of syntax, types or evaluation.
class EExprParser : public Exception {
public:
    using Exception::Exception;
};

// One pass over a text. Parse faults come first (the first one in the text), then type
// faults, then evaluation faults, each the first in evaluation order.
struct ExprOutcome {
    // parsed and type-checked; Error then holds an evaluation fault, if any.
    bool parsed = false;
    QString error;
    ExprValue value;
};

// Deepest nesting of brackets, powers and if/case arguments.
constexpr int maxExprNesting = 128;

// Parses, checks and evaluates UTF-8 text; positions in messages count bytes from 1. Never
// raises on any input (memory aside).
ExprOutcome parseExpression(QByteArrayView utf8);

// The parser object of the condition checks: set a text (which parses it), then evaluate.
class ExpressionParser {
public:
    const QString &expression() const { return m_expression; }
    // Parses text, raising EExprParser for a fault of syntax or types. An empty text holds
    // no expression. Setting the text already held does nothing: clear() first to parse again.
    void setExpression(const QString &text);
    void clear();
    // Raises EExprParser without an expression, after a failed parse, or for a fault of
    // evaluation.
    ExprValue evaluate() const;

private:
    QString m_expression;
    ExprOutcome m_outcome;
};
