#include "stringlist.h"

#include "textutils.h"

qsizetype StringList::IndexOfName(QStringView name) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const qsizetype eq = m_lines[i].indexOf(u'=');
        if (eq >= 0 && SameTextAscii(QStringView(m_lines[i]).left(eq), name))
            return i;
    }
    return -1;
}

QString StringList::Name(qsizetype i) const
{
    const QString &line = m_lines.at(i);
    const qsizetype eq = line.indexOf(u'=');
    return eq >= 0 ? line.left(eq) : QString();
}

QString StringList::ValueFromIndex(qsizetype i) const
{
    const QString &line = m_lines.at(i);
    const qsizetype eq = line.indexOf(u'=');
    return eq >= 0 ? line.mid(eq + 1) : QString();
}

QString StringList::Value(QStringView name) const
{
    const qsizetype i = IndexOfName(name);
    return i >= 0 ? ValueFromIndex(i) : QString();
}

void StringList::SetValue(const QString &name, const QString &value)
{
    const qsizetype i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0)
            m_lines.removeAt(i);
    } else if (i >= 0) {
        m_lines[i] = name + u'=' + value;
    } else {
        m_lines.append(name + u'=' + value);
    }
}

QStringList SplitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.append(text.mid(start, end - start).toString());
        if (end < n && text[end] == u'\r')
            ++end;
        if (end < n && text[end] == u'\n')
            ++end;
        start = end;
    }
    return lines;
}
