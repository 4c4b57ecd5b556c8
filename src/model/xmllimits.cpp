// The screening of a document before the reader sees it (document type size, entity expansion), on
// the characters the reader will decode.
#include "xmllimits.h"

#include "xmldecoding.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// An element, and a document type, may hold this many attributes or attribute definitions.
// Reading 1024 of them costs the reader half a million comparisons, a few milliseconds.
constexpr qsizetype kMaxAttributes = 1024;
// What the document type's entities and attribute defaults may add to the document, in
// characters: a short entity used a few times stays far below it.
constexpr qsizetype kMaxExpansion = qsizetype(1) << 20;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The position after byte offset, as the reader counts lines (CR LF, CR or LF) and characters.
QString positionOf(const QByteArray &b, qsizetype offset)
{
    qsizetype line = 1, lineStart = 0;
    for (qsizetype i = 0; i < offset; ++i)
        if (b[i] == '\n' || (b[i] == '\r' && (i + 1 >= b.size() || b[i + 1] != '\n'))) {
            ++line;
            lineStart = i + 1;
        }
    const qsizetype column = QString::fromUtf8(b.constData() + lineStart, offset + 1 - lineStart).size();
    return QStringLiteral("(line %1 pos %2)").arg(line).arg(column);
}

QString errorAt(const QByteArray &b, qsizetype offset, const QString &text)
{
    return QStringLiteral("In 'stream:' %1: %2").arg(positionOf(b, offset), text);
}

// The offset of the last byte of end found from on; -1 when there is none.
qsizetype findEnd(const QByteArray &b, const char *end, qsizetype from)
{
    const qsizetype at = b.indexOf(end, from);
    return at < 0 ? at : at + qsizetype(std::strlen(end)) - 1;
}

// The end of the markup starting at i (the offset of its last byte), skipping what it holds;
// -1 when it does not end. count receives the "=" of a start tag outside its values.
qsizetype markupEnd(const QByteArray &b, qsizetype i, qsizetype &count)
{
    const QByteArrayView rest = QByteArrayView(b).sliced(i);
    count = 0;
    if (rest.startsWith("<!--"))
        return findEnd(b, "-->", i + 4);
    if (rest.startsWith("<![CDATA["))
        return findEnd(b, "]]>", i + 9);
    if (rest.startsWith("<?"))
        return findEnd(b, "?>", i + 2);
    const bool declaration = rest.startsWith("<!");
    bool subset = false;
    char quote = 0;
    for (qsizetype j = i + 1; j < b.size(); ++j) {
        const char c = b[j];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (declaration && subset && QByteArrayView(b).sliced(j).startsWith("<!--")) {
            j = findEnd(b, "-->", j + 4);
        } else if (declaration && subset && QByteArrayView(b).sliced(j).startsWith("<?")) {
            j = findEnd(b, "?>", j + 2);
        } else if (declaration && (c == '[' || c == ']')) {
            subset = c == '[';
        } else if (c == '>' && !subset) {
            return j;
        } else if (c == '=') {
            ++count;
        }
        if (j < 0)
            return -1;
    }
    return -1;
}

// Cheap first: an element's attributes lie between its "<" and the next one, each with an "=",
// so most inputs need no closer look.
bool mayHoldTooManyAttributes(const QByteArray &b)
{
    const char *p = b.constData();
    const char *end = p + b.size();
    for (const char *lt = static_cast<const char *>(std::memchr(p, '<', size_t(end - p))); lt;) {
        const char *next = static_cast<const char *>(std::memchr(lt + 1, '<', size_t(end - lt - 1)));
        if (std::count(lt, next ? next : end, '=') > kMaxAttributes)
            return true;
        lt = next;
    }
    return false;
}

// The offset of the first c in [from, to), -1 when there is none; never looks beyond to, so that
// the many short spans of one pass cost no more than the input.
qsizetype indexIn(const QByteArray &b, char c, qsizetype from, qsizetype to)
{
    if (from >= to)
        return -1;
    const void *at = std::memchr(b.constData() + from, c, size_t(to - from));
    return at ? static_cast<const char *>(at) - b.constData() : -1;
}

// The bytes of a name starting at i: up to a blank or a character that ends a name in markup.
QByteArray nameAt(QByteArrayView b, qsizetype i, qsizetype end)
{
    qsizetype j = i;
    while (j < end && !isBlank(b[j]) && !std::strchr("/>=;'\"[]()|%&<", b[j]))
        ++j;
    return b.sliced(i, j - i).toByteArray();
}

// The characters the reader makes of bytes: UTF-16 units of UTF-8.
qsizetype utf16Length(QByteArrayView bytes)
{
    qsizetype n = 0;
    for (const char c : bytes)
        n += (uchar(c) & 0xC0) == 0x80 ? 0 : uchar(c) >= 0xF0 ? 2 : 1;
    return n;
}

// The code point of the character reference "&#...;" whose digits (after "#") are digits.
std::optional<char32_t> characterReference(QByteArrayView digits)
{
    bool ok = false;
    const uint code = digits.startsWith('x') ? digits.sliced(1).toUInt(&ok, 16) : digits.toUInt(&ok);
    if (!ok || code > 0x10FFFF)
        return std::nullopt;
    return char32_t(code);
}

// What the reader keeps of an entity's value when it is declared: its character references
// replaced, so that "&#38;" may make a reference and "&#60;" an element when it is used.
QByteArray declaredValue(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '#') {
            const qsizetype semicolon = text.indexOf(';', i + 2);
            if (semicolon > i + 2)
                if (const auto code = characterReference(text.sliced(i + 2, semicolon - i - 2))) {
                    out += QString::fromUcs4(&*code, 1).toUtf8();
                    i = semicolon;
                    continue;
                }
        }
        out += text[i];
    }
    return out;
}

// Characters a saturating count stops at: one more than any expansion accepted.
constexpr qsizetype kSaturated = kMaxExpansion + 1;

qsizetype saturatingAdd(qsizetype a, qsizetype b) { return std::min(a + b, kSaturated); }

// For each node of a graph, its own weight and, once per edge, the sum of the node the edge
// leads to. An edge back to a node still being summed adds nothing: the reader refuses an entity
// that refers to itself when it meets it. Without recursion, so that a long chain uses no stack.
std::vector<qsizetype> sumsAlongEdges(const std::vector<std::vector<qsizetype>> &edges,
                                      const std::vector<qsizetype> &own)
{
    enum class State { Unseen, Summing, Done };
    std::vector<State> state(own.size(), State::Unseen);
    std::vector<qsizetype> sums = own;
    std::vector<std::pair<qsizetype, size_t>> stack; // a node and its next edge
    for (qsizetype root = 0; root < qsizetype(own.size()); ++root) {
        if (state[root] != State::Unseen)
            continue;
        state[root] = State::Summing;
        stack.emplace_back(root, 0);
        while (!stack.empty()) {
            auto &[node, next] = stack.back();
            if (next == edges[node].size()) {
                state[node] = State::Done;
                stack.pop_back();
                continue;
            }
            const qsizetype target = edges[node][next];
            if (state[target] == State::Unseen) {
                state[target] = State::Summing;
                stack.emplace_back(target, 0); // the edge is taken again once the target is done
                continue;
            }
            if (state[target] == State::Done)
                sums[node] = saturatingAdd(sums[node], sums[target]);
            ++next;
        }
    }
    return sums;
}

bool isPredefinedEntity(QByteArrayView name)
{
    return name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot";
}

// What a text of the document type brings where the reader expands it: its own characters,
// the entities it refers to and the elements it holds.
struct Expansion {
    qsizetype characters = 0; // a reference to a declared entity counts as none
    QList<QByteArray> references; // once per reference
    QList<QByteArray> elements;
};

Expansion expansionOf(QByteArrayView text)
{
    Expansion out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype semicolon = text[i] == '&' ? text.indexOf(';', i + 1) : -1;
        if (semicolon > i + 1 && text[i + 1] == '#') {
            if (const auto code = characterReference(text.sliced(i + 2, semicolon - i - 2))) {
                out.characters += *code > 0xFFFF ? 2 : 1;
                i = semicolon;
                continue;
            }
        } else if (semicolon > i + 1) {
            const QByteArray name = nameAt(text, i + 1, text.size());
            if (i + 1 + name.size() == semicolon) {
                if (isPredefinedEntity(name))
                    ++out.characters;
                else
                    out.references.push_back(name);
                i = semicolon;
                continue;
            }
        } else if (text[i] == '<' && i + 1 < text.size() && !std::strchr("/!?", text[i + 1])) {
            out.elements.push_back(nameAt(text, i + 1, text.size()));
        }
        out.characters += utf16Length(text.sliced(i, 1));
    }
    return out;
}

// One pass over the markup of the input, counting what the reader would be asked to do.
class LimitScan {
public:
    explicit LimitScan(const QByteArray &b) : m_b(b) {}

    QString run()
    {
        qsizetype i = 0;
        while (i < m_b.size()) {
            const qsizetype lt = m_b.indexOf('<', i);
            if (const QString error = references(i, lt < 0 ? m_b.size() : lt); !error.isEmpty())
                return error;
            if (lt < 0)
                break;
            qsizetype count = 0;
            const qsizetype last = markupEnd(m_b, lt, count);
            if (count > kMaxAttributes)
                return errorAt(m_b, lt, QStringLiteral("Element with more than %1 attributes.").arg(kMaxAttributes));
            if (last < 0)
                return {}; // the reader names what is wrong
            const QString error =
                QByteArrayView(m_b).sliced(lt).startsWith("<!DOCTYPE") ? documentType(lt, last) : startTag(lt, last);
            if (!error.isEmpty())
                return error;
            i = last + 1;
        }
        return {};
    }

private:
    // A general entity's value as the reader uses it. What a reference adds is known only once
    // the whole subset is, since a value may refer to entities declared after it.
    struct Entity {
        Expansion value;
        qsizetype size = 0; // characters one reference adds, the entities it refers to included
        qsizetype defaults = 0; // what the defaults of the elements it brings add, likewise
    };
    // An attribute default: the reader expands its references when it reads the declaration.
    struct Default {
        QByteArray element;
        QByteArrayView text;
    };

    QString grow(qsizetype offset, qsizetype characters)
    {
        m_expansion += characters;
        if (m_expansion <= kMaxExpansion)
            return {};
        return errorAt(m_b, offset,
                       QStringLiteral("Entities and attribute defaults of the document type add more than %1 "
                                      "characters.")
                           .arg(kMaxExpansion));
    }

    // The entity references between from and to, outside markup or inside a start tag's values.
    QString references(qsizetype from, qsizetype to)
    {
        if (m_entities.isEmpty())
            return {};
        for (qsizetype amp = indexIn(m_b, '&', from, to); amp >= 0; amp = indexIn(m_b, '&', amp + 1, to)) {
            const auto entity = m_entities.constFind(nameAt(m_b, amp + 1, to));
            if (entity == m_entities.cend())
                continue; // a character reference, a predefined entity or one the reader refuses
            // The reader refuses a reference whose expansion passes its limit by more than the
            // reference's own length: such a one is the reader's to name.
            const qsizetype size = std::min(entity->size, qsizetype(kEntityExpansionLimit));
            if (const QString error = grow(amp, saturatingAdd(size, entity->defaults)); !error.isEmpty())
                return error;
        }
        return {};
    }

    QString startTag(qsizetype lt, qsizetype last)
    {
        if (m_defaults.isEmpty() && m_entities.isEmpty())
            return {};
        if (lt + 1 > last || std::strchr("/!?", m_b[lt + 1]))
            return {};
        if (const QString error = grow(lt, m_defaults.value(nameAt(m_b, lt + 1, last))); !error.isEmpty())
            return error;
        return references(lt, last);
    }

    // The end of the literal whose quote is at i, or of the declaration starting at i.
    qsizetype literalEnd(qsizetype i, qsizetype end) const
    {
        const qsizetype close = indexIn(m_b, m_b[i], i + 1, end);
        return close < 0 ? end : close;
    }
    qsizetype declarationEnd(qsizetype i, qsizetype end) const
    {
        for (qsizetype j = i; j < end; ++j) {
            if (m_b[j] == '"' || m_b[j] == '\'')
                j = literalEnd(j, end);
            else if (m_b[j] == '>')
                return j;
        }
        return end;
    }
    qsizetype skipBlanks(qsizetype i, qsizetype end) const
    {
        while (i < end && isBlank(m_b[i]))
            ++i;
        return i;
    }

    // The subset as written: a parameter-entity reference would bring declarations that are
    // not written there, so none is taken.
    QString documentType(qsizetype lt, qsizetype last)
    {
        qsizetype open = -1;
        for (qsizetype j = lt; j < last && open < 0; ++j) {
            if (m_b[j] == '"' || m_b[j] == '\'')
                j = literalEnd(j, last);
            else if (m_b[j] == '[')
                open = j;
        }
        const qsizetype close = m_b.lastIndexOf(']', last);
        if (open < 0 || close < open)
            return {};
        qsizetype definitions = 0;
        for (qsizetype j = open + 1; j < close; ++j) {
            const QByteArrayView rest = QByteArrayView(m_b).sliced(j);
            if (isBlank(m_b[j]))
                continue;
            if (rest.startsWith("<!--")) {
                j = findEnd(m_b, "-->", j + 4);
            } else if (rest.startsWith("<?")) {
                j = findEnd(m_b, "?>", j + 2);
            } else if (m_b[j] == '%') {
                return errorAt(m_b, lt, QStringLiteral("Document type with a parameter entity reference."));
            } else if (rest.startsWith("<!ATTLIST")) {
                const qsizetype end = declarationEnd(j, close);
                definitions += attributeList(j + 9, end);
                if (definitions > kMaxAttributes)
                    return errorAt(
                        m_b, lt,
                        QStringLiteral("Document type with more than %1 attribute definitions.").arg(kMaxAttributes));
                j = end;
            } else if (rest.startsWith("<!ENTITY")) {
                const qsizetype end = declarationEnd(j, close);
                entity(QByteArrayView(m_b).sliced(j + 8, end - j - 8));
                j = end;
            } else if (rest.startsWith("<!")) {
                j = declarationEnd(j, close);
            }
            if (j < 0)
                return {};
        }
        resolveExpansions();
        return {};
    }

    // Records the defaults of the list for the element it names; the number of its definitions,
    // each ending in #REQUIRED, #IMPLIED or a default value (after #FIXED or not).
    qsizetype attributeList(qsizetype i, qsizetype end)
    {
        i = skipBlanks(i, end);
        const QByteArray element = nameAt(m_b, i, end);
        qsizetype definitions = 0;
        for (qsizetype j = i + element.size(); j < end; ++j) {
            if (m_b[j] == '"' || m_b[j] == '\'') {
                const qsizetype close = literalEnd(j, end);
                m_defaultTexts.push_back({element, QByteArrayView(m_b).sliced(j + 1, close - j - 1)});
                ++definitions;
                j = close;
            } else if (m_b[j] == '#') {
                if (!QByteArrayView(m_b).sliced(j).startsWith("#FIXED"))
                    ++definitions;
            }
        }
        return definitions;
    }

    // What a reference to each entity adds, and the defaults each element gets, now that the
    // subset is known: an entity counts the entities its value refers to, and the defaults of the
    // elements it holds; a default counts the entities it refers to, as text.
    void resolveExpansions()
    {
        std::vector<Entity *> entities;
        QHash<QByteArray, qsizetype> index;
        for (auto it = m_entities.begin(); it != m_entities.end(); ++it) {
            index.insert(it.key(), qsizetype(entities.size()));
            entities.push_back(&it.value());
        }
        std::vector<std::vector<qsizetype>> edges(entities.size());
        std::vector<qsizetype> own(entities.size());
        for (size_t e = 0; e < entities.size(); ++e) {
            for (const QByteArray &name : entities[e]->value.references)
                if (const auto target = index.constFind(name); target != index.cend())
                    edges[e].push_back(*target); // the reader refuses one it was not told of
            own[e] = entities[e]->value.characters;
        }
        const std::vector<qsizetype> sizes = sumsAlongEdges(edges, own);
        for (size_t e = 0; e < entities.size(); ++e)
            entities[e]->size = sizes[e];

        m_defaults.clear();
        for (const auto &[element, text] : m_defaultTexts) {
            const Expansion value = expansionOf(text);
            qsizetype added = 2 + value.characters; // the value and a name of one character, at least
            for (const QByteArray &name : value.references)
                if (const auto entity = m_entities.constFind(name); entity != m_entities.cend())
                    added = saturatingAdd(added, std::min(entity->size, qsizetype(kEntityExpansionLimit)));
            m_defaults[element] = saturatingAdd(m_defaults.value(element), added);
        }

        for (size_t e = 0; e < entities.size(); ++e) {
            own[e] = 0;
            for (const QByteArray &element : entities[e]->value.elements)
                own[e] = saturatingAdd(own[e], m_defaults.value(element));
        }
        const std::vector<qsizetype> defaults = sumsAlongEdges(edges, own);
        for (size_t e = 0; e < entities.size(); ++e)
            entities[e]->defaults = defaults[e];
    }

    // A general entity with its value (an external one adds nothing); a parameter entity is
    // never referenced.
    void entity(QByteArrayView body)
    {
        qsizetype i = 0;
        auto blanks = [&] {
            while (i < body.size() && isBlank(body[i]))
                ++i;
        };
        blanks();
        if (i < body.size() && body[i] == '%')
            return;
        qsizetype n = i;
        while (n < body.size() && !isBlank(body[n]) && body[n] != '"' && body[n] != '\'')
            ++n;
        const QByteArray name = body.sliced(i, n - i).toByteArray();
        if (m_entities.contains(name))
            return; // the reader keeps the first declaration
        i = n;
        blanks();
        Entity &entity = m_entities[name];
        if (i < body.size() && (body[i] == '"' || body[i] == '\'')) {
            const qsizetype close = body.indexOf(body[i], i + 1);
            // A reference inside, also one made by a character reference, expands in turn.
            entity.value = expansionOf(declaredValue(body.sliced(i + 1, (close < 0 ? body.size() : close) - i - 1)));
        }
    }

    const QByteArray &m_b;
    QHash<QByteArray, Entity> m_entities;
    std::vector<Default> m_defaultTexts; // every default of the document type, in its order
    QHash<QByteArray, qsizetype> m_defaults; // what the defaults add to an element of that name
    qsizetype m_expansion = 0;
};

// The limits on the characters the reader parses, as UTF-8.
QString limitError(const QByteArray &b)
{
    if (!b.contains("<!DOCTYPE") && !mayHoldTooManyAttributes(b))
        return {};
    return LimitScan(b).run();
}

} // namespace

QString xmlLimitError(const QByteArray &input)
{
    const XmlDecoding decoding(input);
    if (decoding.isUtf8())
        return limitError(input);
    // In another encoding the bytes may hide markup from a look at them (UTF-7 writes "&" as
    // "+ACY-"), or count its characters wrong.
    const QByteArray characters = decoding.text().toUtf8();
    return limitError(characters);
}
