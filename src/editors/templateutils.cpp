// Text templates with %name% placeholders.
#include "templateutils.h"

namespace {
// Appends a section behind last and answers it; the first becomes the head.
TTmplSection *appendSection(std::unique_ptr<TTmplSection> &head, TTmplSection *last, const QString &raw,
                            bool isVariable)
{
    auto section = std::make_unique<TTmplSection>(raw, isVariable);
    TTmplSection *added = section.get();
    (last ? last->Next : head) = std::move(section);
    return added;
}

// Adds or replaces the entry of name, also with an empty value (which SetValue would remove).
void storeValue(StringList &values, const QString &name, const QString &value)
{
    const qsizetype i = values.indexOfName(name);
    if (i >= 0)
        values.setString(i, name + u'=' + value);
    else
        values.add(name + u'=' + value);
}

QString failure(const QString &literal) { return QStringLiteral("failed to find the text section: ") + literal; }
} // namespace

TTmplSection::TTmplSection(const QString &raw, bool isVariable) : Raw(raw), IsVariable(isVariable)
{
    if (isVariable)
        Text = raw.mid(1, raw.size() - 2);
    else
        Text = QString(raw).replace(QStringLiteral("%%"), QStringLiteral("%"));
}

TTmplSection::~TTmplSection()
{
    // Freed one by one, so that a long chain does not recurse as deep as it is long.
    std::unique_ptr<TTmplSection> rest = std::move(Next);
    while (rest)
        rest = std::move(rest->Next);
}

std::unique_ptr<TTmplSection> ParseTemplate(const QString &pattern)
{
    std::unique_ptr<TTmplSection> head;
    TTmplSection *last = nullptr;
    QString literal;
    const qsizetype n = pattern.size();
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype percent = pattern.indexOf(u'%', pos);
        const QStringView taken = QStringView(pattern).mid(pos, (percent < 0 ? n : percent) - pos);
        if (percent >= 0 && percent + 1 < n && pattern[percent + 1] == u'%') {
            literal += taken;
            literal += QStringLiteral("%%");
            pos = percent + 2;
        } else if (percent >= 0 && percent + 1 == n) {
            literal += taken;
            literal += u'%';
            pos = n;
        } else {
            literal += taken;
            if (!literal.isEmpty())
                last = appendSection(head, last, literal, false);
            literal.clear();
            if (percent < 0)
                break;
            const qsizetype close = pattern.indexOf(u'%', percent + 1);
            const qsizetype end = close < 0 ? n : close;
            const QString name = pattern.mid(percent + 1, end - percent - 1);
            last = appendSection(head, last, u'%' + name + u'%', true);
            pos = close < 0 ? n : close + 1;
        }
    }
    if (!literal.isEmpty())
        appendSection(head, last, literal, false);
    return head;
}

void RenderTemplate(const TTmplSection *first, const StringList &values, QString &text)
{
    text.clear();
    for (const TTmplSection *s = first; s; s = s->Next.get())
        text += s->IsVariable ? values.value(s->Text) : s->Text;
}

bool MatchTemplate(const QString &text, const TTmplSection *first, StringList &values, QString &error)
{
    QStringView rest(text);
    for (const TTmplSection *s = first; s; s = s->Next.get()) {
        if (!s->IsVariable) {
            if (!rest.startsWith(s->Text)) {
                error = failure(s->Text);
                return false;
            }
            rest = rest.mid(s->Text.size());
            continue;
        }
        const TTmplSection *literal = s->Next.get();
        while (literal && literal->IsVariable)
            literal = literal->Next.get();
        if (!literal) {
            storeValue(values, s->Text, rest.toString());
            continue;
        }
        const qsizetype at = rest.indexOf(literal->Text);
        if (at < 0) {
            error = failure(literal->Text);
            return false;
        }
        storeValue(values, s->Text, rest.left(at).toString());
        rest = rest.mid(at);
    }
    return true;
}
