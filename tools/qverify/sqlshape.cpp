// Where a statement's SQL ends once comments and blank tails are gone.
#include "sqlshape.h"

namespace {

bool isWordChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '$' ||
           u >= 0x80;
}

enum class Escapes { None, Doubled, DoubledOrBackslash };

class Scanner {
public:
    Scanner(const QString &text, SqlDialect dialect) : m_text(text), m_pg(dialect == SqlDialect::PostgreSQL) {}

    // Moves past blanks, comments and semicolons; false at the end of the text.
    bool skipFiller()
    {
        while (m_at < m_text.size()) {
            if (m_text[m_at].isSpace() || m_text[m_at] == u';')
                ++m_at;
            else if (peek(0) == u'-' && peek(1) == u'-')
                skipLineComment();
            else if (peek(0) == u'/' && peek(1) == u'*')
                skipBlockComment();
            else
                return true;
        }
        return false;
    }

    // Moves past the token that starts here; true when it is a word.
    bool skipToken()
    {
        const QChar c = m_text[m_at];
        if (c == u'\'')
            skipQuoted(u'\'', Escapes::Doubled);
        else if (m_pg && (c == u'E' || c == u'e') && peek(1) == u'\'') {
            ++m_at;
            skipQuoted(u'\'', Escapes::DoubledOrBackslash);
        } else if (c == u'"')
            skipQuoted(u'"', Escapes::Doubled);
        else if (!m_pg && c == u'`')
            skipQuoted(u'`', Escapes::Doubled);
        else if (!m_pg && c == u'[')
            skipQuoted(u']', Escapes::None);
        else if (m_pg && c == u'$' && skipDollarQuoted())
            ;
        else if (isWordChar(c)) {
            while (m_at < m_text.size() && isWordChar(m_text[m_at]))
                ++m_at;
            return true;
        } else
            ++m_at;
        return false;
    }

    qsizetype at() const { return m_at; }

private:
    QChar peek(qsizetype ahead) const { return m_at + ahead < m_text.size() ? m_text[m_at + ahead] : QChar(); }

    void skipLineComment()
    {
        const qsizetype end = m_text.indexOf(u'\n', m_at);
        m_at = end < 0 ? m_text.size() : end + 1;
    }

    // PostgreSQL nests block comments, SQLite ends one at the first "*/".
    void skipBlockComment()
    {
        int depth = 0;
        while (m_at < m_text.size()) {
            if (peek(0) == u'/' && peek(1) == u'*' && (m_pg || depth == 0)) {
                ++depth;
                m_at += 2;
            } else if (peek(0) == u'*' && peek(1) == u'/') {
                m_at += 2;
                if (--depth == 0)
                    return;
            } else {
                ++m_at;
            }
        }
    }

    // From the opening character past the closer; an unclosed literal runs to the end.
    void skipQuoted(QChar closer, Escapes escapes)
    {
        for (++m_at; m_at < m_text.size(); ++m_at) {
            if (escapes == Escapes::DoubledOrBackslash && m_text[m_at] == u'\\') {
                ++m_at;
            } else if (m_text[m_at] == closer) {
                if (escapes != Escapes::None && peek(1) == closer) {
                    ++m_at;
                    continue;
                }
                ++m_at;
                return;
            }
        }
    }

    // $$...$$ or $tag$...$tag$; false (nothing moved) for a "$" that opens no such string.
    bool skipDollarQuoted()
    {
        qsizetype end = m_at + 1;
        if (end < m_text.size() && isWordChar(m_text[end]) && !m_text[end].isDigit())
            while (end < m_text.size() && isWordChar(m_text[end]) && m_text[end] != u'$')
                ++end;
        if (end >= m_text.size() || m_text[end] != u'$')
            return false;
        const QString tag = m_text.mid(m_at, end - m_at + 1);
        const qsizetype close = m_text.indexOf(tag, end + 1);
        m_at = close < 0 ? m_text.size() : close + tag.size();
        return true;
    }

    const QString &m_text;
    const bool m_pg;
    qsizetype m_at = 0;
};

} // namespace

SqlShape shapeOf(const QString &text, SqlDialect dialect)
{
    SqlShape shape;
    Scanner scanner(text, dialect);
    qsizetype end = 0;
    bool first = true;
    while (scanner.skipFiller()) {
        const qsizetype start = scanner.at();
        const bool word = scanner.skipToken();
        if (first)
            shape.firstWord = word ? text.mid(start, scanner.at() - start).toUpper() : QString(text[start]);
        first = false;
        end = scanner.at();
    }
    shape.body = text.left(end);
    return shape;
}
