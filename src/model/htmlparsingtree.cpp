// The HTML part as a tree of nodes.
#include "htmlparsingtree.h"

#include "base/exception.h"
#include "base/textutils.h"

#include <QHash>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

const QString emptyName;
const QByteArray emptyNameBytes;

// Blank after trimming: every byte up to U+0020, as Trim sees it.
bool isBlank(QByteArrayView text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    return true;
}

} // namespace

// TMLItem -------------------------------------------------------------------------------

const QString &TMLItem::Name() const { return m_name < 0 ? emptyName : m_tree->m_names[m_name].text; }

const QByteArray &TMLItem::nameBytes() const { return m_name < 0 ? emptyNameBytes : m_tree->m_names[m_name].bytes; }

QByteArrayView TMLItem::textBytes() const { return QByteArrayView(m_tree->m_source.constData() + m_first, m_count); }

QByteArrayView TMLItem::valueBytes(int i) const
{
    const TMLTree::Attribute &a = *m_tree->m_attributes.at(m_first + i);
    return QByteArrayView(m_tree->m_source.constData() + a.valueStart, a.valueLength);
}

THTMLControl *TMLItem::Data() const { return m_tree->m_controls.value(this); }

void TMLItem::setData(THTMLControl *control)
{
    if (control)
        m_tree->m_controls.insert(this, control);
    else
        m_tree->m_controls.remove(this);
}

QString TMLItem::Text() const { return IsText() ? QString::fromUtf8(textBytes()) : QString(); }

TTagAttributes TMLItem::attribute(int i) const
{
    if (i < 0 || i >= AttrCount())
        throw ERunError::rangeCheck();
    const TMLTree::Attribute &a = *m_tree->m_attributes.at(m_first + i);
    return TTagAttributes{m_tree->m_names[a.name].text, QString::fromUtf8(valueBytes(i)), a.hasValue};
}

QString TMLItem::ClassText() const
{
    QByteArray joined;
    bool first = true;
    for (int i = 0; i < AttrCount(); ++i) {
        if (m_tree->m_attributes.at(m_first + i)->name != m_tree->m_className)
            continue;
        if (!first)
            joined += ' ';
        joined += valueBytes(i);
        first = false;
    }
    return QString::fromUtf8(joined);
}

QString TMLItem::IdText() const
{
    for (int i = AttrCount() - 1; i >= 0; --i)
        if (m_tree->m_attributes.at(m_first + i)->name == m_tree->m_idName)
            return QString::fromUtf8(valueBytes(i));
    return QString();
}

QString TMLItem::GetAttribute(QStringView name, bool stripQuotes) const
{
    for (int i = 0; i < AttrCount(); ++i) {
        if (!sameTextAscii(m_tree->m_names[m_tree->m_attributes.at(m_first + i)->name].text, name))
            continue;
        QString value = trim(QString::fromUtf8(valueBytes(i)));
        if (stripQuotes && (value.startsWith(u'"') || value.startsWith(u'\'')))
            value = value.mid(1, qMax<qsizetype>(0, value.size() - 2));
        return value;
    }
    return QString();
}

TMLItem *TMLItem::ChildByName(QStringView name) const
{
    for (TMLItem *c = FirstChild(); c; c = c->NextSibling())
        if (sameTextAscii(c->Name(), name))
            return c;
    return nullptr;
}

QString TMLItem::ChildInnerHTML(QStringView name) const
{
    const TMLItem *child = ChildByName(name);
    return child ? child->InnerHTML() : QString();
}

QString TMLItem::InnerHTML() const
{
    QString out;
    if (const TMLItem *first = FirstChild())
        appendMarkup(first, true, out);
    return out;
}

QString TMLItem::GetHTML(TMLMarkupPart part) const
{
    QByteArray out;
    switch (part) {
    case mpWhole: {
        QString whole;
        appendMarkup(this, false, whole);
        return whole;
    }
    case mpOpenTag:
        appendOpenTag(out);
        break;
    case mpWithoutChildren:
        appendOpenTag(out);
        appendCloseTag(out);
        break;
    case mpCloseTag:
        appendCloseTag(out);
        break;
    }
    return QString::fromUtf8(out);
}

QString TMLItem::OpenTagText() const { return GetHTML(mpOpenTag); }
QString TMLItem::CloseTagText() const { return GetHTML(mpCloseTag); }

QString TMLItem::AttributesText() const
{
    QByteArray out;
    appendAttributes(out);
    return QString::fromUtf8(out);
}

void TMLItem::appendAttributes(QByteArray &out) const
{
    for (int i = 0; i < AttrCount(); ++i) {
        const TMLTree::Attribute &a = *m_tree->m_attributes.at(m_first + i);
        if (i > 0)
            out += ' ';
        out += m_tree->m_names[a.name].bytes;
        if (a.hasValue) {
            out += '=';
            out += valueBytes(i);
        }
    }
}

void TMLItem::appendOpenTag(QByteArray &out) const
{
    if (IsText()) {
        out += textBytes();
        return;
    }
    out += '<';
    out += nameBytes();
    if (AttrCount() > 0) {
        out += ' ';
        appendAttributes(out);
    }
    out += '>';
}

void TMLItem::appendCloseTag(QByteArray &out) const
{
    if (IsText())
        return;
    out += "</";
    out += nameBytes();
    out += '>';
}

void TMLItem::appendMarkup(const TMLItem *first, bool siblings, QString &out)
{
    // Each tag is decoded on its own, as OpenTagText and CloseTagText decode it: broken byte
    // runs on both sides of a dropped tag must not join into a character the page never held.
    QByteArray tag;
    const auto append = [&](const TMLItem *item, bool open) {
        tag.clear();
        if (open)
            item->appendOpenTag(tag);
        else
            item->appendCloseTag(tag);
        out += QString::fromUtf8(tag);
    };
    // Depth first along the links, climbing back by the parents.
    const uint32_t level = first->m_parent;
    const TMLItem *n = first;
    while (n) {
        append(n, true);
        if (const TMLItem *child = n->FirstChild()) {
            n = child;
            continue;
        }
        append(n, false);
        for (;;) {
            if (n->m_parent == level) {
                n = siblings ? n->NextSibling() : nullptr;
                break;
            }
            if (const TMLItem *next = n->NextSibling()) {
                n = next;
                break;
            }
            n = n->Parent();
            append(n, false);
        }
    }
}

// TMLTree -------------------------------------------------------------------------------

const QStringList &DefaultVoidTags()
{
    static const QStringList tags{QStringLiteral("img"), QStringLiteral("input")};
    return tags;
}

TMLTree::TMLTree() = default;
TMLTree::~TMLTree() = default;

bool TMLTree::IsVoidTag(QStringView name) const
{
    for (const QString &tag : m_voidTags)
        if (sameTextAscii(tag, name))
            return true;
    return false;
}

void TMLTree::SlabStore::FreeSlab::operator()(void *slab) const { std::free(slab); }

void TMLTree::SlabStore::grow(uint32_t count)
{
    constexpr size_t hugePage = size_t(2) << 20;
    const size_t chunkBytes = m_entrySize << chunkBits;
    const size_t largest = std::max<size_t>(1, 2 * hugePage / chunkBytes);
    const size_t grown = std::min<size_t>(size_t(1) << std::min<size_t>(m_slabs.size(), 16), largest);
    const size_t missing = size_t(m_size) + count - m_end;
    const size_t chunks = std::max<size_t>(grown, (missing + chunkMask) >> chunkBits);
    size_t bytes = chunks * chunkBytes;
    const bool large = bytes >= hugePage;
    if (large)
        bytes = (bytes + hugePage - 1) / hugePage * hugePage; // aligned_alloc takes whole alignments
    if (uint64_t(m_end) + (uint64_t(chunks) << chunkBits) > UINT32_MAX)
        throw std::bad_alloc();
    void *slab = std::aligned_alloc(large ? hugePage : alignof(std::max_align_t), bytes);
    if (!slab)
        throw std::bad_alloc();
    m_slabs.emplace_back(slab);
#ifdef MADV_HUGEPAGE
    if (large)
        madvise(slab, bytes, MADV_HUGEPAGE); // only a hint: without it the pages stay small
#endif
    for (size_t i = 0; i < chunks; ++i)
        m_chunks.push_back(static_cast<char *>(slab) + i * chunkBytes);
    m_end = uint32_t(m_chunks.size() << chunkBits);
}

void TMLTree::SlabStore::clear()
{
    m_chunks.clear();
    m_slabs.clear();
    m_size = m_end = 0;
}

uint32_t TMLTree::newItem(int name, uint32_t first, uint32_t count)
{
    const uint32_t number = m_nodes.append(1) + 1;
    TMLItem *item = new (nodeAt(number)) TMLItem;
    item->m_tree = this;
    item->m_name = name;
    item->m_firstChild = item->m_nextSibling = item->m_parent = 0;
    item->m_first = first;
    item->m_count = count;
    return number;
}

void TMLTree::clear()
{
    m_root = nullptr;
    m_nodes.clear();
    m_controls.clear();
    m_names.clear();
    m_attributes.clear();
    m_className = m_idName = -1;
    m_source.clear();
}

// Builds one tree. Every lower-case name is made once; and the stack positions of the open
// elements of each name are kept, so that a closing tag finds its element without searching
// the whole stack, however deep the page nests.
class TMLTree::Builder {
public:
    explicit Builder(TMLTree &tree) : m_tree(tree) {}

    void run()
    {
        TMarkupParser parser;
        parser.Init(m_tree.m_source, 1);
        const char *base = m_tree.m_source.constData();
        while (parser.Next()) {
            uint32_t node = 0;
            bool selfClosed = false;
            switch (parser.Kind()) {
            case mtText: {
                const QByteArrayView text = parser.textBytes();
                if (m_tree.m_dropBlankText && isBlank(text))
                    continue;
                node = m_tree.newItem(-1, uint32_t(text.data() - base), uint32_t(text.size()));
                break;
            }
            case mtOpenTag:
            case mtSelfClosed: {
                const int name = nameId(parser.tagNameBytes());
                const uint32_t count = uint32_t(parser.AttrCount());
                const uint32_t first = count ? m_tree.m_attributes.append(count) : 0;
                node = m_tree.newItem(name, first, count);
                for (uint32_t i = 0; i < count; ++i) {
                    const QByteArrayView value = parser.attributeValueBytes(int(i));
                    new (m_tree.m_attributes.at(first + i)) TMLTree::Attribute{
                        nameId(parser.attributeNameBytes(int(i))), uint32_t(value.isEmpty() ? 0 : value.data() - base),
                        uint32_t(value.size()), parser.attributeHasValue(int(i))};
                }
                selfClosed = parser.Kind() == mtSelfClosed || m_void[name];
                if (!selfClosed) {
                    m_open[name].push_back(m_stack.size());
                    m_stack.push_back(OpenElement{name, node});
                }
                break;
            }
            case mtCloseTag: {
                std::vector<size_t> &open = m_open[nameId(parser.tagNameBytes())];
                if (open.empty())
                    continue;
                const size_t found = open.back();
                while (m_stack.size() > found) {
                    m_open[m_stack.back().name].pop_back();
                    m_last = m_stack.back().node;
                    m_stack.pop_back();
                }
                m_asSibling = true;
                continue;
            }
            }
            place(node, selfClosed);
        }
        m_tree.m_className = m_byLower.value(QByteArrayLiteral("class"), -1);
        m_tree.m_idName = m_byLower.value(QByteArrayLiteral("id"), -1);
    }

private:
    struct OpenElement {
        int name;
        uint32_t node;
    };

    // Names repeat all through a page, so each spelling is looked up in a table of spans
    // of the text itself; only a spelling met for the first time costs more. Most names are
    // short: up to 8 bytes they are packed into one integer, hashed and compared as such.
    int nameId(QByteArrayView raw)
    {
        const qsizetype size = raw.size();
        uint64_t key = 0;
        uint32_t hash;
        if (size <= 8) {
            for (char c : raw)
                key = key << 8 | static_cast<unsigned char>(c);
            hash = uint32_t(((key ^ uint64_t(size)) * 0x9E3779B97F4A7C15ull) >> 32);
        } else {
            hash = hashOf(raw);
        }
        const size_t mask = m_slots.size() - 1;
        size_t i = hash & mask;
        for (; m_slots[i].id >= 0; i = (i + 1) & mask) {
            const Slot &s = m_slots[i];
            if (s.hash == hash && s.spelling.size() == size &&
                (size <= 8 ? s.key == key : std::memcmp(s.spelling.data(), raw.data(), size_t(size)) == 0))
                return s.id;
        }
        const int id = lowerNameId(raw.toByteArray().toLower()); // ASCII letters only
        m_slots[i] = Slot{hash, id, key, raw};
        if (++m_spellings * 2 > m_slots.size())
            grow();
        return id;
    }

    int lowerNameId(const QByteArray &lower)
    {
        int id = m_byLower.value(lower, -1);
        if (id >= 0)
            return id;
        id = int(m_tree.m_names.size());
        const QString text = QString::fromUtf8(lower);
        m_tree.m_names.push_back(TMLTree::Name{text, lower});
        // Comments close at once, like void elements.
        m_void.push_back(m_tree.IsVoidTag(text) || text == u"!--");
        m_open.emplace_back();
        m_byLower.insert(lower, id);
        return id;
    }

    static uint32_t hashOf(QByteArrayView s)
    {
        uint32_t h = 2166136261u; // FNV-1a
        for (char c : s)
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        return h;
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Slot &s : old) {
            if (s.id < 0)
                continue;
            size_t i = s.hash & mask;
            while (m_slots[i].id >= 0)
                i = (i + 1) & mask;
            m_slots[i] = s;
        }
    }

    void place(uint32_t number, bool selfClosed)
    {
        // An element is open while it has no next sibling, so no link is ever replaced.
        TMLItem *node = m_tree.nodeAt(number);
        if (!m_last) {
            m_tree.m_root = node;
        } else {
            TMLItem *last = m_tree.nodeAt(m_last);
            if (m_asSibling) {
                last->m_nextSibling = number;
                node->m_parent = last->m_parent;
            } else {
                last->m_firstChild = number;
                node->m_parent = m_last;
            }
        }
        m_last = number;
        m_asSibling = selfClosed || node->IsText();
    }

    struct Slot {
        uint32_t hash = 0;
        int id = -1; // -1: empty
        uint64_t key = 0; // the bytes of a spelling of up to 8
        QByteArrayView spelling; // into the text being built from
    };

    TMLTree &m_tree;
    std::vector<Slot> m_slots = std::vector<Slot>(256);
    size_t m_spellings = 0;
    QHash<QByteArray, int> m_byLower;
    std::vector<bool> m_void;
    std::vector<std::vector<size_t>> m_open;
    std::vector<OpenElement> m_stack;
    uint32_t m_last = 0; // the node placed last
    bool m_asSibling = false;
};

bool TMLTree::Parse(const QByteArray &utf8)
{
    clear();
    // Every node and attribute takes at least one byte of the text, so within this bound
    // the 32-bit offsets, counts and node numbers cannot overflow.
    if (utf8.size() > qsizetype(UINT32_MAX))
        throw std::length_error("HTML text of 4 GiB or more");
    m_source = utf8;
    Builder(*this).run();
    return true;
}

std::unique_ptr<TMLTree> ParseHTML(const QByteArray &utf8)
{
    try {
        auto tree = std::make_unique<TMLTree>();
        tree->VoidTags() = DefaultVoidTags();
        tree->Parse(utf8);
        return tree;
    } catch (const std::bad_alloc &) {
        return nullptr;
    } catch (const std::length_error &) {
        return nullptr;
    }
}

std::unique_ptr<TMLTree> ParseHTML(const QString &text)
{
    try {
        return ParseHTML(text.toUtf8());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
