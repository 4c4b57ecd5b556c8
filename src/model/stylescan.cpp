// Character-set scanners and inline CSS.
#include "stylescan.h"

#include "base/textutils.h"

namespace {

template <class Text> Text take(const Text &text, qsizetype &pos, const CharSet &set, bool members)
{
    if (pos < 1 || pos > text.size())
        return Text();
    const qsizetype start = pos;
    pos = skipRun(text.constData(), text.size(), pos, set, members);
    return text.mid(start - 1, pos - start);
}

QString toModelText(const QByteArray &s) { return QString::fromUtf8(s); }
const QString &toModelText(const QString &s) { return s; }

const CharSet nameStart = letterChars | digitChars;
const CharSet nameChars = nameStart | CharSet("_");
const CharSet colon(":");
const CharSet semicolon(";");

template <class Text> void parseStyle(const Text &text, StringList *list)
{
    if (text.isEmpty() || !list)
        return;
    // Stored together: one look-up of the list per name would make a long style quadratic.
    std::vector<std::pair<QString, QString>> pairs;
    qsizetype pos = 1;
    while (pos <= text.size()) {
        TakeUntil(text, pos, nameStart);
        const Text name = TakeWhile(text, pos, nameChars);
        TakeUntil(text, pos, colon);
        ++pos;
        TakeWhile(text, pos, blankChars);
        const Text value = TakeUntil(text, pos, semicolon);
        pairs.emplace_back(toModelText(name), toModelText(value));
    }
    list->setValues(pairs);
}

} // namespace

QByteArray TakeWhile(const QByteArray &text, qsizetype &pos, const CharSet &set) { return take(text, pos, set, true); }
QString TakeWhile(const QString &text, qsizetype &pos, const CharSet &set) { return take(text, pos, set, true); }
QByteArray TakeUntil(const QByteArray &text, qsizetype &pos, const CharSet &set) { return take(text, pos, set, false); }
QString TakeUntil(const QString &text, qsizetype &pos, const CharSet &set) { return take(text, pos, set, false); }

int LeadingInt(QStringView text, int defaultValue)
{
    qsizetype end = 0;
    while (end < text.size() && (text[end] == u'+' || text[end] == u'-' || (text[end] >= u'0' && text[end] <= u'9')))
        ++end;
    return strToIntDef(text.left(end), defaultValue);
}

void ParseStyle(const QByteArray &text, StringList *list) { parseStyle(text, list); }
void ParseStyle(const QString &text, StringList *list) { parseStyle(text, list); }

Rect StyleToRect(const StringList &list)
{
    const int left = LeadingInt(list.value(u"LEFT"), 0);
    const int top = LeadingInt(list.value(u"top"), 0);
    return Rect::fromSize(left, top, LeadingInt(list.value(u"width"), 0), LeadingInt(list.value(u"height"), 0));
}
