// Parameter annotations in a query's SQL.
#include "sqlparams.h"

#include "base/textutils.h"

#include <QSet>
#include <algorithm>

namespace {
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameChar(char c) { return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; }
bool isDefaultChar(char c) { return isNameChar(c) || c == '#' || c == '\''; }

QByteArray sortKey(const QString &name) { return lowerCaseAscii(name).toUtf8(); }

int compareKeys(const QString &a, const QString &b)
{
    const QByteArray ka = sortKey(a), kb = sortKey(b);
    return ka < kb ? -1 : (kb < ka ? 1 : 0);
}
} // namespace

QString TSQLParam::typeName() const
{
    if (TypeLetter == u"B")
        return QStringLiteral("BOOLEAN");
    if (TypeLetter == u"C")
        return QStringLiteral("CURRENCY");
    if (TypeLetter == u"D")
        return QStringLiteral("DATETIME");
    if (TypeLetter == u"F")
        return QStringLiteral("FLOAT");
    if (TypeLetter == u"I")
        return QStringLiteral("INTEGER");
    return QStringLiteral("STRING");
}

QString TSQLParam::unquotedDefault() const
{
    if (!Default.startsWith(u"''") || !Default.endsWith(u"''"))
        return Default;
    // Two or three apostrophes hold both pairs at once.
    return Default.size() < 4 ? QString() : Default.mid(2, Default.size() - 4);
}

int CompareSqlParamNames(const TSQLParam &a, const TSQLParam &b) { return compareKeys(a.Name, b.Name); }

int CompareStoredParamNames(const TWQFParam &a, const TWQFParam &b) { return compareKeys(a.Name, b.Name); }

int CompareSqlParamPos(const TSQLParam &a, const TSQLParam &b) { return a.Pos < b.Pos ? -1 : (a.Pos > b.Pos ? 1 : 0); }

void ParseSqlParams(const QByteArray &sql, SQLParamList &occurrences)
{
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        // A colon right after a colon is a cast ("::text"), never a parameter.
        if (sql[i] != ':' || (i > 0 && sql[i - 1] == ':')) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n && isNameChar(sql[end]))
            ++end;
        if (end == i + 1) {
            ++i;
            continue;
        }
        auto p = std::make_unique<TSQLParam>();
        p->Name = QString::fromLatin1(sql.mid(i + 1, end - i - 1));
        p->Pos = int(i + 1);
        p->Len = int(end - i);
        // A colon that ends the text is no annotation.
        if (end + 1 < n && sql[end] == ':' && isAsciiLetter(sql[end + 1])) {
            qsizetype after = end + 2;
            QString defaultText;
            // Nor is a third colon that starts a cast ("::").
            if (after + 1 < n && sql[after] == ':' && sql[after + 1] != ':') {
                qsizetype d = after + 1;
                while (d < n && isDefaultChar(sql[d]))
                    ++d;
                defaultText = QString::fromLatin1(sql.mid(after + 1, d - after - 1));
                after = d;
            }
            // Stripped to its colon and name, an annotation must not join what follows it: a
            // name character would lengthen the name, a colon and a letter become its type. Such
            // an annotation stays in the SQL as written.
            const bool joins = after < n && (isNameChar(sql[after]) ||
                                             (sql[after] == ':' && after + 1 < n && isAsciiLetter(sql[after + 1])));
            if (!joins) {
                p->TypeLetter = QString(QChar(upCaseAscii(char16_t(sql[end + 1]))));
                p->Default = defaultText;
                p->Len = int(after - i);
            }
            end = after;
        }
        occurrences.push_back(std::move(p));
        i = end;
    }
}

void MatchSqlParams(SQLParamList &occurrences, WQFParamList &stored, SQLParamRefs &out)
{
    // Of several occurrences of one name, the one with a default comes first, then one with a
    // type, each in text order: an annotation is not lost to a plain reference of the name.
    auto rank = [](const TSQLParam &p) { return !p.Default.isEmpty() ? 0 : !p.TypeLetter.isEmpty() ? 1 : 2; };
    std::stable_sort(occurrences.begin(), occurrences.end(), [&](const auto &a, const auto &b) {
        const int byName = CompareSqlParamNames(*a, *b);
        return byName != 0 ? byName < 0 : rank(*a) < rank(*b);
    });
    std::stable_sort(stored.begin(), stored.end(),
                     [](const auto &a, const auto &b) { return CompareStoredParamNames(*a, *b) < 0; });
    out.clear();
    size_t next = 0;
    for (const auto &occurrence : occurrences) {
        const QByteArray key = sortKey(occurrence->Name);
        while (next < stored.size() && sortKey(stored[next]->Name) < key)
            ++next;
        if (next < stored.size() && sortKey(stored[next]->Name) == key)
            occurrence->Matched = stored[next++].get();
        out.push_back(occurrence.get());
    }
}

void UpdateStoredParams(TWQFItem *item, const SQLParamRefs &out)
{
    if (!item)
        return;
    QSet<QString> noted; // names lower-cased
    for (const TSQLParam *occurrence : out) {
        const QString key = lowerCaseAscii(occurrence->Name);
        if (TWQFParam *param = occurrence->Matched) {
            if (!occurrence->Default.isEmpty()) {
                if (param->TypeNode)
                    param->TypeNode->setTextContent(occurrence->typeName());
                if (param->ValueNode)
                    param->ValueNode->setTextContent(occurrence->unquotedDefault());
            }
            noted.insert(key);
        } else if (!noted.contains(key)) {
            item->AddParam(occurrence->Name, occurrence->typeName(), occurrence->unquotedDefault());
            noted.insert(key);
        }
    }
}

QByteArray StripParamAnnotations(const QByteArray &sql, SQLParamList &occurrences)
{
    std::stable_sort(occurrences.begin(), occurrences.end(),
                     [](const auto &a, const auto &b) { return CompareSqlParamPos(*a, *b) < 0; });
    QByteArray result = sql;
    // From the last to the first, so the earlier positions stay valid.
    for (auto it = occurrences.rbegin(); it != occurrences.rend(); ++it) {
        const TSQLParam &p = **it;
        result.replace(p.Pos - 1, p.Len, ':' + p.Name.toLatin1());
    }
    return result;
}

bool FlushParams(TWQFItem *item, const QString &sql, bool forceCDATA, bool rewrite)
{
    if (!item)
        return false;
    const QByteArray bytes = sql.toUtf8();
    SQLParamList occurrences;
    ParseSqlParams(bytes, occurrences);
    WQFParamList stored;
    item->GetParams(stored);
    SQLParamRefs sorted;
    MatchSqlParams(occurrences, stored, sorted);
    const bool found = !occurrences.empty();
    if (found)
        UpdateStoredParams(item, sorted);
    if (rewrite)
        item->SetQuery(found ? QString::fromUtf8(StripParamAnnotations(bytes, occurrences)) : sql, forceCDATA);
    return found;
}
