// The forgiving tokenizer of the HTML part.
#include "htmlparsing.h"

#include "model/stylescan.h"

#include <cstring>

namespace {

const CharSet tagNameEnd = blankChars | CharSet("/>");
const CharSet attrNameEnd = blankChars | CharSet("=>");
const CharSet slashes("/");
const CharSet doubleQuote("\"");
const CharSet singleQuote("'");

// Fatal errors say so with the result of Next; the texts themselves are what callers read.
const char *const errLtNotFound = "\"<\" symbol not found";
const char *const errTagName = "Invalid tag name: \"%1\"";
const char *const errAttrName = "Invalid attribute name: \"%1\"";
const char *const errAttrValue = "Invalid attribute value: \"%1\"";
const char *const errGtNotFound = "\">\" symbol not found";
const char *const errSelfCloseOnClose = "Self close one close. (i.e. \"</a/>\")";
const char *const errComment = "Unterminated comments";

bool sameAsciiNoCase(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && qstrnicmp(a.data(), b.data(), a.size()) == 0;
}

// Inline: a library call per tag costs more than the three bytes it compares.
bool startsComment(QByteArrayView name)
{
    return name.size() >= 3 && name[0] == '!' && name[1] == '-' && name[2] == '-';
}

} // namespace

void TMarkupParser::Init(const QByteArray &source, qsizetype startPos)
{
    m_source = source;
    m_pos = startPos < 1 ? 1 : startPos;
}

TTagAttributes TMarkupParser::attribute(int i) const
{
    const AttrSpans &a = m_attrs.at(i);
    return TTagAttributes{QString::fromUtf8(span(a.name)), QString::fromUtf8(span(a.value)), a.hasValue};
}

void TMarkupParser::SetError(const QString &text, bool replace)
{
    if (replace || m_errors.isEmpty())
        m_errors = text;
    else
        m_errors += QStringLiteral("\r\n") + text;
}

void TMarkupParser::SetErrorFmt(const char *tmpl, QByteArrayView argument, bool replace)
{
    SetError(QString::fromUtf8(tmpl).arg(QString::fromUtf8(argument)), replace);
}

void TMarkupParser::AddAttribute(Span name, Span value, bool hasValue)
{
    if (m_attrCount >= int(m_attrs.size()))
        m_attrs.resize(m_attrCount == 0 ? 4 : 2 * size_t(m_attrCount));
    AttrSpans &a = m_attrs[m_attrCount++];
    a.name = name;
    a.value = value;
    a.hasValue = hasValue;
}

bool TMarkupParser::Next()
{
    m_errors.clear();
    if (m_pos < 1 || atEnd())
        return false;
    m_prevOpenTag = m_kind == mtOpenTag ? m_tagName : Span{};
    m_tagName = Span{};
    m_text = Span{};
    m_tokenStart = m_pos;
    bool result = true;
    if (current() == '<') {
        m_attrCount = 0;
        result = ParseTag();
    } else {
        m_kind = mtText;
        ReadText();
    }
    m_tokenLength = m_pos - m_tokenStart;
    return result;
}

bool TMarkupParser::isRawText() const
{
    if (!sameAsciiNoCase(span(m_prevOpenTag), "script"))
        return false;
    for (int i = 0; i < m_attrCount; ++i)
        if (sameAsciiNoCase(span(m_attrs[i].name), "src"))
            return false;
    return true;
}

void TMarkupParser::ReadText()
{
    const char *data = m_source.constData();
    const qsizetype size = m_source.size();
    const qsizetype start = m_pos;
    const bool raw = isRawText();
    qsizetype i = m_pos - 1; // 0-based scan index
    for (;;) {
        const void *lt = std::memchr(data + i, '<', size_t(size - i));
        if (!lt) {
            i = size;
            break;
        }
        i = static_cast<const char *>(lt) - data;
        // Inside a script only its own end tag ends the text, so "a<b" stays in it.
        if (!raw || sameAsciiNoCase(QByteArrayView(data + i, qMin<qsizetype>(9, size - i)), "</script>"))
            break;
        ++i;
    }
    m_pos = i + 1;
    m_text = spanTo(start, m_pos);
}

bool TMarkupParser::ParseTag()
{
    // The scan runs on a local 1-based position that is stored back on every way out, so
    // the hot loop keeps it in a register.
    const QByteArrayView src(m_source);
    const char *data = src.data();
    const qsizetype size = src.size();
    qsizetype pos = m_pos;
    const auto at = [&](qsizetype p) { return data[p - 1]; };

    m_kind = mtOpenTag;
    bool selfClosed = false;
    ++pos;
    if (pos > size) {
        m_pos = pos;
        SetError(QString::fromUtf8(errLtNotFound));
        return false;
    }
    pos = skipWhile(src, pos, blankChars);
    if (pos <= size && at(pos) == '/') {
        m_kind = mtCloseTag;
        pos = skipWhile(src, pos + 1, blankChars);
    }
    const qsizetype nameStart = pos;
    pos = skipUntil(src, pos, tagNameEnd);
    m_tagName = spanTo(nameStart, pos);
    if (!IsValidTagName(span(m_tagName)))
        SetErrorFmt(errTagName, span(m_tagName));
    if (startsComment(span(m_tagName))) {
        m_tagName.length = 3;
        m_pos = pos;
        return ParseComment(nameStart + 3);
    }

    pos = skipWhile(src, pos, blankChars);
    while (pos <= size && at(pos) != '>') {
        if (at(pos) == '/') {
            const qsizetype slash = pos;
            pos = skipWhile(src, skipWhile(src, pos, slashes), blankChars);
            if (pos > size || at(pos) == '>') {
                selfClosed = true;
                break;
            }
            // Not the end of the tag: the '/' starts an attribute name.
            pos = slash;
        }
        const qsizetype attrStart = pos;
        pos = skipUntil(src, pos, attrNameEnd);
        const Span name = spanTo(attrStart, pos);
        if (!IsValidAttrName(span(name))) {
            m_pos = pos;
            SetErrorFmt(errAttrName, span(name));
            return false;
        }
        if (pos <= size && at(pos) == '=') {
            pos = skipWhile(src, pos + 1, blankChars);
            const qsizetype valueStart = pos;
            const char quote = pos <= size ? at(pos) : 0;
            if (quote == '"' || quote == '\'') {
                pos = skipUntil(src, pos + 1, quote == '"' ? doubleQuote : singleQuote);
                if (pos > size) {
                    m_pos = pos;
                    SetErrorFmt(errAttrValue, span(spanTo(valueStart, pos)));
                    return false;
                }
                ++pos;
            } else {
                pos = skipUntil(src, pos, tagNameEnd);
            }
            AddAttribute(name, spanTo(valueStart, pos), true);
        } else if (pos <= size && blankChars.contains(at(pos))) {
            AddAttribute(name, Span{}, false);
        }
        pos = skipWhile(src, pos, blankChars);
    }

    if (pos > size)
        SetError(QString::fromUtf8(errGtNotFound));
    if (selfClosed) {
        if (m_kind == mtOpenTag)
            m_kind = mtSelfClosed;
        else
            SetError(QString::fromUtf8(errSelfCloseOnClose));
    }
    pos = skipWhile(src, pos, blankChars);
    if (pos <= size && at(pos) == '>')
        ++pos;
    else
        SetError(QString::fromUtf8(errGtNotFound));
    m_pos = pos;
    return true;
}

bool TMarkupParser::ParseComment(qsizetype bodyStart)
{
    const qsizetype end = QByteArrayView(m_source).indexOf("-->", bodyStart - 1);
    if (end < 0) {
        SetError(QString::fromUtf8(errComment));
        return false;
    }
    m_text = Span{bodyStart - 1, end - (bodyStart - 1)};
    m_pos = end + 3 + 1;
    return true;
}
