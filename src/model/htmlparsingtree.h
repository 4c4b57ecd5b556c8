#pragma once
// The HTML part of a page as a tree of nodes. Building never rejects a text: elements nest
// by a stack of open elements, void elements and comments close at once, closing tags that
// match nothing are ignored, blank text is dropped, and whatever was built when the tokenizer
// stops early stays. Nodes give their markup back as text.
//
// The tree owns every node and keeps the UTF-8 text it was built from: texts and attribute
// values are spans of it, turned into strings when asked for, and each lower-case name is
// held once. So a large page costs few allocations, and freeing it none per node. A text of
// 4 GiB or more is refused (ParseHTML then gives no tree, as when memory runs out).
#include "model/htmlparsing.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class THTMLControl;
class TMLTree;

// What TMLItem::GetHTML produces.
enum TMLMarkupPart : uint8_t {
    mpWhole = 0, // open tag, children, close tag
    mpOpenTag = 1, // open tag only
    mpWithoutChildren = 2, // open tag and close tag
    mpCloseTag = 3, // close tag only
};

class TMLItem {
public:
    TMLItem(const TMLItem &) = delete;
    TMLItem &operator=(const TMLItem &) = delete;

    // The tag name in lower case; '' for a text node.
    const QString &Name() const;
    bool IsText() const { return m_name < 0; }
    // The text of a text node; '' for an element.
    QString Text() const;
    // Names in lower case, values as written (quotes kept).
    int AttrCount() const { return IsText() ? 0 : int(m_count); }
    TTagAttributes attribute(int i) const;
    // The values of every class attribute joined by one blank; the value of the last id.
    QString ClassText() const;
    QString IdText() const;

    TMLItem *FirstChild() const { return node(m_firstChild); }
    TMLItem *NextSibling() const { return node(m_nextSibling); }
    // None for a node of the top-level chain.
    TMLItem *Parent() const { return node(m_parent); }

    // The control recognised on this element; not owned, and kept by the tree.
    THTMLControl *Data() const;
    void setData(THTMLControl *control);

    // The first attribute of that name (without case), trimmed, and with stripQuotes without
    // its first and last character when it starts with a quote; '' when there is none.
    QString GetAttribute(QStringView name, bool stripQuotes) const;
    // The first direct child of that name (without case), or none.
    TMLItem *ChildByName(QStringView name) const;
    // InnerHTML of that child; '' when there is none.
    QString ChildInnerHTML(QStringView name) const;

    // The whole markup of each child, in order.
    QString InnerHTML() const;
    // Every element comes back closed, void ones included.
    QString GetHTML(TMLMarkupPart part = mpWhole) const;
    QString OpenTagText() const;
    QString CloseTagText() const;
    QString AttributesText() const;

private:
    friend class TMLTree;
    // Left uninitialised: the tree sets every field of a node it hands out, so room for
    // nodes not yet used is never written.
    TMLItem() = default;

    TMLItem *node(uint32_t number) const;
    QByteArrayView textBytes() const;
    QByteArrayView valueBytes(int i) const;
    const QByteArray &nameBytes() const;
    void appendOpenTag(QByteArray &out) const;
    void appendCloseTag(QByteArray &out) const;
    void appendAttributes(QByteArray &out) const;
    // The whole markup of first and, with siblings, of the nodes after it, without a call
    // per nesting level or per sibling.
    static void appendMarkup(const TMLItem *first, bool siblings, QString &out);

    // A large page has a node for every 20 bytes or so, and fresh memory is the larger part
    // of building it; so a node is 32 bytes: links are node numbers, offsets are 32 bits
    // wide (the tree takes no text of 4 GiB or more, which bounds them all), and the few
    // controls bound to elements are kept by the tree.
    TMLTree *m_tree;
    int m_name; // index into the tree's names; -1 for a text node
    // Node numbers: 1 for the first node made, 0 for none.
    uint32_t m_firstChild;
    uint32_t m_nextSibling;
    uint32_t m_parent;
    // A text node's bytes in the tree's text, or an element's run of attributes.
    uint32_t m_first;
    uint32_t m_count;
};

// "img" and "input": the elements that never have children.
const QStringList &DefaultVoidTags();

class TMLTree {
public:
    TMLTree();
    virtual ~TMLTree();
    TMLTree(const TMLTree &) = delete;
    TMLTree &operator=(const TMLTree &) = delete;

    // The first node of the top-level chain; the others are its next siblings.
    TMLItem *Root() const { return m_root; }
    // Compared without case; empty after creation.
    QStringList &VoidTags() { return m_voidTags; }
    const QStringList &VoidTags() const { return m_voidTags; }
    bool DropBlankText() const { return m_dropBlankText; }
    void setDropBlankText(bool drop) { m_dropBlankText = drop; }

    virtual bool IsVoidTag(QStringView name) const;
    // Builds the nodes, replacing any built before; always true. Raises std::length_error
    // for a text of 4 GiB or more.
    bool Parse(const QByteArray &utf8);
    bool Parse(const QString &text) { return Parse(text.toUtf8()); }

private:
    friend class TMLItem;
    struct Name {
        QString text;
        QByteArray bytes;
    };
    struct Attribute {
        int name;
        uint32_t valueStart;
        uint32_t valueLength;
        bool hasValue;
    };
    class Builder;

    // Entries of one kind in slabs of memory that never move: an index finds its entry in
    // two steps, through the chunk that holds it. Slabs double from one chunk up to a few
    // megabytes, so a small page takes little room and a large one few allocations. Touching
    // fresh memory is most of the time spent on a large tree, so the large slabs are aligned
    // for huge pages and ask for them. Room is not written until it is used.
    class SlabStore {
    public:
        void clear();

    protected:
        static constexpr int chunkBits = 12;
        static constexpr uint32_t chunkMask = (uint32_t(1) << chunkBits) - 1;
        explicit SlabStore(size_t entrySize) : m_entrySize(entrySize) {}
        // Adds a slab, so that count entries from m_size on have room.
        void grow(uint32_t count);

        struct FreeSlab {
            void operator()(void *slab) const;
        };
        size_t m_entrySize;
        std::vector<void *> m_chunks; // inside the slabs
        std::vector<std::unique_ptr<void, FreeSlab>> m_slabs;
        uint32_t m_size = 0; // entries handed out
        uint32_t m_end = 0; // one past the last entry of the last slab
    };
    template <class T> class Slabs : public SlabStore {
    public:
        Slabs() : SlabStore(sizeof(T)) {}
        T *at(uint32_t i) const { return static_cast<T *>(m_chunks[i >> chunkBits]) + (i & chunkMask); }
        // The index of the first of count new entries.
        uint32_t append(uint32_t count)
        {
            if (count > m_end - m_size)
                grow(count);
            const uint32_t first = m_size;
            m_size += count;
            return first;
        }
    };

    // Node numbers are indexes plus one, so that 0 says none.
    TMLItem *nodeAt(uint32_t number) const { return m_nodes.at(number - 1); }
    uint32_t newItem(int name, uint32_t first, uint32_t count);
    void clear();

    QByteArray m_source;
    std::vector<Name> m_names;
    Slabs<Attribute> m_attributes;
    int m_className = -1;
    int m_idName = -1;
    Slabs<TMLItem> m_nodes;
    QHash<const TMLItem *, THTMLControl *> m_controls;
    TMLItem *m_root = nullptr;
    QStringList m_voidTags;
    bool m_dropBlankText = true;
};

inline TMLItem *TMLItem::node(uint32_t number) const { return number ? m_tree->nodeAt(number) : nullptr; }

// A tree with the default void tags, or none when the text is too large for the tree or
// memory runs out; content never raises.
std::unique_ptr<TMLTree> ParseHTML(const QByteArray &utf8);
std::unique_ptr<TMLTree> ParseHTML(const QString &text);
