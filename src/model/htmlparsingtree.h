#pragma once
// The HTML part of a page as a tree of nodes. Building never rejects a text: elements nest
// by a stack of open elements, void elements and comments close at once, closing tags that
// match nothing are ignored, blank text is dropped, and whatever was built when the tokenizer
// stops early stays. Nodes give their markup back as text.
#include "model/htmlparsing.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

class THTMLControl;

// What TMLItem::GetHTML produces.
enum TMLMarkupPart : uint8_t {
    mpWhole = 0,           // open tag, children, close tag
    mpOpenTag = 1,         // open tag only
    mpWithoutChildren = 2, // open tag and close tag
    mpCloseTag = 3,        // close tag only
};

class TMLItem {
public:
    // An element (or, with IsText, a text node); the name is kept as given.
    explicit TMLItem(QString name, std::vector<TTagAttributes> attributes = {});
    static std::unique_ptr<TMLItem> CreateText(QString text);
    // Frees the sibling chain and the children without recursing along them.
    ~TMLItem();
    TMLItem(const TMLItem &) = delete;
    TMLItem &operator=(const TMLItem &) = delete;

    const QString &Name() const { return m_name; }
    bool IsText() const { return m_isText; }
    const QString &Text() const { return m_text; }
    // Names in lower case, values as written (quotes kept).
    const std::vector<TTagAttributes> &Attributes() const { return m_attributes; }
    int AttrCount() const { return int(m_attributes.size()); }
    // The values of every class attribute joined by one blank; the value of the last id.
    const QString &ClassText() const { return m_classText; }
    const QString &IdText() const { return m_idText; }

    TMLItem *FirstChild() const { return m_firstChild.get(); }
    TMLItem *NextSibling() const { return m_nextSibling.get(); }
    TMLItem *Parent() const { return m_parent; }
    void SetFirstChild(std::unique_ptr<TMLItem> child);
    void SetNextSibling(std::unique_ptr<TMLItem> sibling);

    // The control recognised on this element; not owned.
    THTMLControl *Data() const { return m_data; }
    void SetData(THTMLControl *control) { m_data = control; }

    // Lower-cases the names; class and id attributes fill ClassText and IdText.
    void SetAttributes(std::vector<TTagAttributes> attributes);
    // The first attribute of that name (without case), trimmed, and with StripQuotes without
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
    void appendOpenTag(QString &out) const;
    void appendCloseTag(QString &out) const;
    // The whole markup of first and, with siblings, of the nodes after it.
    static void appendMarkup(const TMLItem *first, bool siblings, QString &out);

    QString m_name;
    bool m_isText = false;
    QString m_text;
    std::vector<TTagAttributes> m_attributes;
    std::unique_ptr<TMLItem> m_firstChild;
    std::unique_ptr<TMLItem> m_nextSibling;
    TMLItem *m_parent = nullptr;
    THTMLControl *m_data = nullptr;
    QString m_classText;
    QString m_idText;
};

// "img" and "input": the elements that never have children.
const QStringList &DefaultVoidTags();

class TMLTree {
public:
    TMLTree() = default;
    virtual ~TMLTree() = default;
    TMLTree(const TMLTree &) = delete;
    TMLTree &operator=(const TMLTree &) = delete;

    // The first node of the top-level chain; the others are its next siblings.
    TMLItem *Root() const { return m_root.get(); }
    // Compared without case; empty after creation.
    QStringList &VoidTags() { return m_voidTags; }
    const QStringList &VoidTags() const { return m_voidTags; }
    bool DropBlankText() const { return m_dropBlankText; }
    void SetDropBlankText(bool drop) { m_dropBlankText = drop; }

    virtual bool IsVoidTag(QStringView name) const;
    // Builds the nodes; always true.
    bool Parse(const QByteArray &utf8);
    bool Parse(const QString &text) { return Parse(text.toUtf8()); }

private:
    std::unique_ptr<TMLItem> m_root;
    QStringList m_voidTags;
    bool m_dropBlankText = true;
};

// A tree with the default void tags, or none when building raised (memory exhausted).
std::unique_ptr<TMLTree> ParseHTML(const QByteArray &utf8);
std::unique_ptr<TMLTree> ParseHTML(const QString &text);
