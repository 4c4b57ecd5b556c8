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
        values.SetString(i, name + u'=' + value);
    else
        values.add(name + u'=' + value);
}

QString failure(const QString &literal) { return QStringLiteral("failed to find the text section: ") + literal; }
} // namespace

TTmplSection::TTmplSection(const QString &Raw, bool IsVariable) : Raw(Raw), IsVariable(IsVariable)
{
    if (IsVariable)
        Text = Raw.mid(1, Raw.size() - 2);
    else
        Text = QString(Raw).replace(QStringLiteral("%%"), QStringLiteral("%"));
}

TTmplSection::~TTmplSection()
{
    // Freed one by one, so that a long chain does not recurse as deep as it is long.
    std::unique_ptr<TTmplSection> rest = std::move(Next);
    while (rest)
        rest = std::move(rest->Next);
}

std::unique_ptr<TTmplSection> ParseTemplate(const QString &Template)
{
    std::unique_ptr<TTmplSection> head;
    TTmplSection *last = nullptr;
    QString literal;
    const qsizetype n = Template.size();
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype percent = Template.indexOf(u'%', pos);
        const QStringView taken = QStringView(Template).mid(pos, (percent < 0 ? n : percent) - pos);
        if (percent >= 0 && percent + 1 < n && Template[percent + 1] == u'%') {
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
            const qsizetype close = Template.indexOf(u'%', percent + 1);
            const qsizetype end = close < 0 ? n : close;
            const QString name = Template.mid(percent + 1, end - percent - 1);
            last = appendSection(head, last, u'%' + name + u'%', true);
            pos = close < 0 ? n : close + 1;
        }
    }
    if (!literal.isEmpty())
        appendSection(head, last, literal, false);
    return head;
}

void RenderTemplate(const TTmplSection *first, const StringList &Values, QString &Text)
{
    Text.clear();
    for (const TTmplSection *s = first; s; s = s->Next.get())
        Text += s->IsVariable ? Values.Value(s->Text) : s->Text;
}

bool MatchTemplate(const QString &Text, const TTmplSection *first, StringList &Values, QString &Error)
{
    QStringView rest(Text);
    for (const TTmplSection *s = first; s; s = s->Next.get()) {
        if (!s->IsVariable) {
            if (!rest.startsWith(s->Text)) {
                Error = failure(s->Text);
                return false;
            }
            rest = rest.mid(s->Text.size());
            continue;
        }
        const TTmplSection *literal = s->Next.get();
        while (literal && literal->IsVariable)
            literal = literal->Next.get();
        if (!literal) {
            storeValue(Values, s->Text, rest.toString());
            continue;
        }
        const qsizetype at = rest.indexOf(literal->Text);
        if (at < 0) {
            Error = failure(literal->Text);
            return false;
        }
        storeValue(Values, s->Text, rest.left(at).toString());
        rest = rest.mid(at);
    }
    return true;
}
