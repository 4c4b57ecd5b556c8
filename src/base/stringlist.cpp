// Lines with name=value and comma-text rules.
#include "stringlist.h"

#include "exception.h"
#include "textutils.h"

#include <QHash>
#include <optional>

qsizetype StringList::check(qsizetype i) const
{
    if (i < 0 || i >= m_lines.size())
        throw ERunError::rangeCheck();
    return i;
}

bool StringList::same(QStringView a, QStringView b) const { return m_caseSensitive ? a == b : sameTextAscii(a, b); }

qsizetype StringList::add(const QString &line)
{
    m_lines.append(line);
    m_objects.emplace_back();
    return m_lines.size() - 1;
}

void StringList::insert(qsizetype i, const QString &line)
{
    if (i < 0 || i > m_lines.size())
        throw ERunError::rangeCheck();
    m_lines.insert(i, line);
    m_objects.insert(m_objects.begin() + i, std::any());
}

void StringList::removeAt(qsizetype i)
{
    m_lines.removeAt(check(i));
    m_objects.erase(m_objects.begin() + i);
}

void StringList::clear()
{
    m_lines.clear();
    m_objects.clear();
}

qsizetype StringList::indexOf(QStringView line) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (same(m_lines[i], line))
            return i;
    return -1;
}

qsizetype StringList::indexOfName(QStringView name) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const qsizetype eq = m_lines[i].indexOf(u'=');
        if (eq >= 0 && same(QStringView(m_lines[i]).left(eq), name))
            return i;
    }
    return -1;
}

QString StringList::name(qsizetype i) const
{
    const QString &line = m_lines[check(i)];
    const qsizetype eq = line.indexOf(u'=');
    return eq >= 0 ? line.left(eq) : QString();
}

QString StringList::valueFromIndex(qsizetype i) const
{
    const QString &line = m_lines[check(i)];
    const qsizetype eq = line.indexOf(u'=');
    return eq >= 0 ? line.mid(eq + 1) : line;
}

QString StringList::value(QStringView name) const
{
    const qsizetype i = indexOfName(name);
    return i >= 0 ? valueFromIndex(i) : QString();
}

void StringList::setValue(const QString &name, const QString &value)
{
    const qsizetype i = indexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0)
            removeAt(i);
    } else if (i >= 0) {
        m_lines[i] = name + u'=' + value;
    } else {
        add(name + u'=' + value);
    }
}

void StringList::setValues(const std::vector<std::pair<QString, QString>> &pairs)
{
    auto key = [&](QStringView name) { return m_caseSensitive ? name.toString() : lowerCaseAscii(name); };
    auto nameOf = [](const QString &line) {
        const qsizetype eq = line.indexOf(u'=');
        return eq >= 0 ? std::optional<QStringView>(QStringView(line).left(eq)) : std::nullopt;
    };
    // For each name the chain of its live lines in order, the first being the one indexOfName
    // would find: the head and tail by name, the next line of the same name by line.
    struct Chain {
        qsizetype head = -1, tail = -1;
    };
    QHash<QString, Chain> byName;
    std::vector<qsizetype> next;
    auto append = [&](qsizetype line, const QString &k) {
        next.push_back(-1);
        Chain &chain = byName[k];
        if (chain.head < 0)
            chain.head = line;
        else
            next[size_t(chain.tail)] = line;
        chain.tail = line;
    };
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (const auto name = nameOf(m_lines[i]))
            append(i, key(*name));
        else
            next.push_back(-1);
    }
    std::vector<bool> dead(size_t(m_lines.size()), false);
    bool removed = false;
    for (const auto &[name, value] : pairs) {
        // A name holding "=" never equals the name of a line.
        Chain *chain = nullptr;
        if (!name.contains(u'=')) {
            const auto it = byName.find(key(name));
            if (it != byName.end() && it->head >= 0)
                chain = &*it;
        }
        if (value.isEmpty()) {
            if (chain) {
                dead[size_t(chain->head)] = true;
                removed = true;
                chain->head = next[size_t(chain->head)];
            }
        } else if (chain) {
            m_lines[chain->head] = name + u'=' + value;
        } else {
            const qsizetype i = add(name + u'=' + value);
            dead.push_back(false);
            append(i, key(*nameOf(m_lines[i])));
        }
    }
    if (!removed)
        return;
    QStringList lines;
    std::vector<std::any> objects;
    for (size_t i = 0; i < dead.size(); ++i)
        if (!dead[i]) {
            lines.append(m_lines[qsizetype(i)]);
            objects.push_back(std::move(m_objects[i]));
        }
    m_lines = std::move(lines);
    m_objects = std::move(objects);
}

QStringList splitLines(QStringView text)
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

namespace {
bool isBlank(QChar c) { return c.unicode() >= 1 && c.unicode() <= 0x20; }
} // namespace

QStringList splitCommaText(QStringView text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text = text.left(nul);
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    while (i < n) {
        QString item;
        if (text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(text[i]) && text[i] != u',')
                ++i;
            item = text.mid(start, i - start).toString();
        }
        items.append(item);
        while (i < n && isBlank(text[i]))
            ++i;
        if (i < n && text[i] == u',') {
            if (i + 1 == n)
                items.append(QString());
            ++i;
            while (i < n && isBlank(text[i]))
                ++i;
        }
    }
    return items;
}
