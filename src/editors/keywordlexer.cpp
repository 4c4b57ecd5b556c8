// The word-list highlighter of the code editors.
#include "keywordlexer.h"

#include "base/textutils.h"

#include <Qsci/qsciscintilla.h>

namespace {
bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }
bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

QSet<QByteArray> upperSet(const QStringList &words)
{
    QSet<QByteArray> set;
    for (const QString &w : words)
        set.insert(upperCaseAscii(w).toUtf8());
    return set;
}
} // namespace

void KeywordScanner::setWords(const QStringList &keywords, const QStringList &constants, const QStringList &objects)
{
    m_keywords = upperSet(keywords);
    m_constants = upperSet(constants);
    m_objects = upperSet(objects);
}

KeywordScanner::Style KeywordScanner::wordStyle(const QByteArray &word) const
{
    if (!word.isEmpty() && word[0] >= '0' && word[0] <= '9')
        return Number;
    // QByteArray upper-cases ASCII only, as the word lists were upper-cased, and no byte of a
    // longer UTF-8 sequence is an ASCII letter: no word is decoded each time it is styled.
    const QByteArray upper = word.toUpper();
    if (m_keywords.contains(upper))
        return Keyword;
    if (m_constants.contains(upper))
        return Constant;
    if (m_objects.contains(upper))
        return Object;
    return Default;
}

std::vector<KeywordRun> KeywordScanner::scan(const QByteArray &text, bool &inComment) const
{
    std::vector<KeywordRun> runs;
    const qsizetype n = text.size();
    auto add = [&runs](qsizetype length, int style) {
        if (length <= 0)
            return;
        if (!runs.empty() && runs.back().style == style)
            runs.back().length += int(length);
        else
            runs.push_back({int(length), style});
    };
    qsizetype p = 0;
    while (p < n) {
        const qsizetype start = p;
        if (inComment) {
            const qsizetype close = text.indexOf("*/", p);
            p = close < 0 ? n : close + 2;
            inComment = close < 0;
            add(p - start, Comment);
            continue;
        }
        const char c = text[p];
        if (isBlank(c)) {
            while (p < n && isBlank(text[p]))
                ++p;
            add(p - start, Default);
        } else if (c == '/' && p + 1 < n && text[p + 1] == '/') {
            while (p < n && !isLineEnd(text[p]))
                ++p;
            add(p - start, Comment);
        } else if (c == '/' && p + 1 < n && text[p + 1] == '*') {
            p += 2;
            inComment = true;
            add(p - start, Comment);
        } else if (c == '"' || c == '\'') {
            ++p;
            while (p < n && text[p] != c && !isLineEnd(text[p]))
                ++p;
            if (p < n && text[p] == c)
                ++p;
            add(p - start, String);
        } else {
            while (p < n && !isBlank(text[p]))
                ++p;
            add(p - start, wordStyle(text.mid(start, p - start)));
        }
    }
    return runs;
}

KeywordLexer::KeywordLexer(QObject *parent) : QsciLexerCustom(parent) {}

const char *KeywordLexer::language() const { return "Keywords"; }

QString KeywordLexer::description(int style) const
{
    switch (style) {
    case KeywordScanner::Default:
        return QStringLiteral("Default");
    case KeywordScanner::Comment:
        return QStringLiteral("Comment");
    case KeywordScanner::Keyword:
        return QStringLiteral("Keyword");
    case KeywordScanner::Constant:
        return QStringLiteral("Constant");
    case KeywordScanner::Object:
        return QStringLiteral("Object");
    case KeywordScanner::Number:
        return QStringLiteral("Number");
    case KeywordScanner::String:
        return QStringLiteral("String");
    default:
        return QString();
    }
}

QColor KeywordLexer::defaultColor(int style) const
{
    switch (style) {
    case KeywordScanner::Comment:
        return QColor(128, 128, 128);
    case KeywordScanner::Number:
        return QColor(0, 128, 0);
    case KeywordScanner::String:
        return QColor(0, 0, 128);
    case KeywordScanner::Constant:
        return QColor(128, 0, 0);
    case KeywordScanner::Object:
        return QColor(128, 0, 128);
    default:
        return QColor(0, 0, 0);
    }
}

QFont KeywordLexer::defaultFont(int style) const
{
    QFont font = QsciLexerCustom::defaultFont(style);
    if (style == KeywordScanner::Keyword || style == KeywordScanner::Constant)
        font.setBold(true);
    return font;
}

void KeywordLexer::styleText(int start, int end)
{
    QsciScintilla *ed = editor();
    if (!ed || end <= start)
        return;
    // Restart at the beginning of the line, with the comment state the line before left.
    const long firstLine = ed->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, long(start));
    const long lastLine = ed->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, long(end));
    bool inComment = firstLine > 0 && ed->SendScintilla(QsciScintilla::SCI_GETLINESTATE, firstLine - 1) != 0;
    const long from = ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, firstLine);
    startStyling(int(from));
    for (long line = firstLine; line <= lastLine; ++line) {
        const long lineStart = ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line);
        const long lineEnd = ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line + 1);
        const long stop = lineEnd > lineStart ? lineEnd : long(ed->SendScintilla(QsciScintilla::SCI_GETLENGTH));
        if (stop <= lineStart)
            break;
        QByteArray bytes(int(stop - lineStart), '\0');
        ed->SendScintilla(QsciScintilla::SCI_GETTEXTRANGE, lineStart, stop, bytes.data());
        for (const KeywordRun &run : m_scanner.scan(bytes, inComment))
            setStyling(run.length, run.style);
        ed->SendScintilla(QsciScintilla::SCI_SETLINESTATE, line, long(inComment ? 1 : 0));
    }
}
