// The script block inside the HTML part.
#include "scriptcontainer.h"

#include <QByteArrayView>
#include <algorithm>
#include <cstring>
#include <string>

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// Whether needle (lower case) stands at text[at] in any ASCII letter case.
bool matchesAt(QByteArrayView text, qsizetype at, QByteArrayView needle)
{
    if (at < 0 || text.size() - at < needle.size())
        return false;
    for (qsizetype k = 0; k < needle.size(); ++k)
        if (lowerAscii(text[at + k]) != needle[k])
            return false;
    return true;
}

// 0-based index of needle (lower case) from 'from' on, -1 when it does not occur.
qsizetype indexOfNoCase(QByteArrayView text, QByteArrayView needle, qsizetype from)
{
    for (qsizetype i = from; i + needle.size() <= text.size(); ++i)
        if (matchesAt(text, i, needle))
            return i;
    return -1;
}

const THtmlEntity *entityOf(char ch)
{
    for (const THtmlEntity &e : htmlEntities)
        if (e.Ch == ch)
            return &e;
    return nullptr;
}

constexpr size_t longestEntity()
{
    size_t n = 0;
    for (const THtmlEntity &e : htmlEntities)
        n = std::max(n, std::char_traits<char>::length(e.Entity));
    return n;
}

} // namespace

QByteArray EntityFor(char ch)
{
    const THtmlEntity *e = entityOf(ch);
    return e ? QByteArray(e->Entity) : QByteArray();
}

QByteArray HtmlEscape(const QByteArray &text)
{
    if (text.isEmpty())
        return QByteArray();
    QByteArray out(text.size() * qsizetype(longestEntity()), Qt::Uninitialized);
    char *w = out.data();
    const char *p = text.constData();
    const char *end = p + text.size();
    while (p < end) {
        const char *run = p;
        const THtmlEntity *e = nullptr;
        while (p < end && !(e = entityOf(*p)))
            ++p;
        std::memcpy(w, run, size_t(p - run));
        w += p - run;
        if (e) {
            const size_t n = std::char_traits<char>::length(e->Entity);
            std::memcpy(w, e->Entity, n);
            w += n;
            ++p;
        }
    }
    out.truncate(w - out.constData());
    return out;
}

QByteArray HtmlUnescape(const QByteArray &text)
{
    // One pass decoding all three is the same as decoding "&lt;" and "&gt;" first and "&amp;"
    // last: no two entities can overlap, and a decoded '&' is never read again.
    QByteArray out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf('&', i);
        if (amp < 0) {
            out.append(text.constData() + i, text.size() - i);
            break;
        }
        out.append(text.constData() + i, amp - i);
        i = amp;
        bool decoded = false;
        for (const THtmlEntity &e : htmlEntities) {
            const QByteArrayView entity(e.Entity);
            if (matchesAt(text, i, entity)) {
                out.append(e.Ch);
                i += entity.size();
                decoded = true;
                break;
            }
        }
        if (!decoded)
            out.append(text[i++]);
    }
    return out;
}

ScriptBlock FindScriptBlock(const QByteArray &html)
{
    ScriptBlock block;
    const qsizetype marker = indexOfNoCase(html, "ref=\"scriptingcontainer\"", 0);
    if (marker < 0)
        return block;
    const qsizetype pre = indexOfNoCase(html, "<pre", marker);
    if (pre < 0)
        return block;
    const qsizetype tagEnd = html.indexOf('>', pre);
    if (tagEnd < 0)
        return block;
    const qsizetype close = indexOfNoCase(html, "</pre", tagEnd);
    if (close < 0)
        return block;
    block.start = tagEnd + 2;
    block.length = close - (tagEnd + 1);
    return block;
}

QByteArray GetScript(const QByteArray &html)
{
    const ScriptBlock block = FindScriptBlock(html);
    return block.found() ? HtmlUnescape(html.mid(block.start - 1, block.length)) : QByteArray();
}

QByteArray SetScript(const QByteArray &html, const QByteArray &script)
{
    const ScriptBlock block = FindScriptBlock(html);
    if (!block.found())
        return html;
    QByteArray out = html;
    out.replace(block.start - 1, block.length, HtmlEscape(script));
    return out;
}

QString scriptOfHtml(const QString &html) { return QString::fromUtf8(GetScript(html.toUtf8())); }

std::optional<QString> htmlWithScript(const QString &html, const QString &script)
{
    const QByteArray bytes = html.toUtf8();
    if (!FindScriptBlock(bytes).found())
        return std::nullopt;
    return QString::fromUtf8(SetScript(bytes, script.toUtf8()));
}
