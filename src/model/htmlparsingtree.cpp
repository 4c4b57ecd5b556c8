#include "htmlparsingtree.h"

#include "base/textutils.h"

#include <QHash>

namespace {

// The text itself (shared, no copy) when it holds no capital letter.
QString lowerShared(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            return LowerCaseAscii(s);
    return s;
}

// Blank after trimming: every byte up to U+0020, as Trim sees it.
bool isBlank(QByteArrayView text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    return true;
}

// The lower-case names met while building one tree, each made once and shared by every node
// that carries it; and which open elements bear each name, so that a closing tag finds its
// element without searching the whole stack.
class NameTable {
public:
    explicit NameTable(const TMLTree &tree) : m_tree(tree) {}

    int Id(QByteArrayView raw)
    {
        const QByteArray key = QByteArray::fromRawData(raw.data(), raw.size());
        const auto hit = m_byRaw.constFind(key);
        if (hit != m_byRaw.constEnd())
            return *hit;
        const QString lower = QString::fromUtf8(raw.toByteArray().toLower());
        int id = m_byLower.value(lower, -1);
        if (id < 0) {
            id = int(m_names.size());
            m_names.push_back(Name{lower, m_tree.IsVoidTag(lower), {}});
            m_byLower.insert(lower, id);
        }
        m_byRaw.insert(raw.toByteArray(), id);
        return id;
    }
    const QString &Text(int id) const { return m_names[id].Lower; }
    bool IsVoid(int id) const { return m_names[id].Void; }
    // Stack positions of the open elements of that name, innermost last.
    std::vector<size_t> &Open(int id) { return m_names[id].Open; }

private:
    struct Name {
        QString Lower;
        bool Void;
        std::vector<size_t> Open;
    };
    const TMLTree &m_tree;
    QHash<QByteArray, int> m_byRaw;
    QHash<QString, int> m_byLower;
    std::vector<Name> m_names;
};

} // namespace

TMLItem::TMLItem(QString name, std::vector<TTagAttributes> attributes) : m_name(std::move(name))
{
    SetAttributes(std::move(attributes));
}

std::unique_ptr<TMLItem> TMLItem::CreateText(QString text)
{
    auto node = std::make_unique<TMLItem>(QString());
    node->m_isText = true;
    node->m_text = std::move(text);
    return node;
}

TMLItem::~TMLItem()
{
    // A long sibling chain or a deep nesting must not nest destructor calls: rotate every
    // first child up into the sibling chain and free the chain from its head, so that each
    // node is freed with no links left.
    for (std::unique_ptr<TMLItem> *start : {&m_nextSibling, &m_firstChild}) {
        std::unique_ptr<TMLItem> cur = std::move(*start);
        while (cur) {
            if (cur->m_firstChild) {
                std::unique_ptr<TMLItem> child = std::move(cur->m_firstChild);
                cur->m_firstChild = std::move(child->m_nextSibling);
                child->m_nextSibling = std::move(cur);
                cur = std::move(child);
            } else {
                cur = std::move(cur->m_nextSibling);
            }
        }
    }
}

void TMLItem::SetFirstChild(std::unique_ptr<TMLItem> child)
{
    if (child)
        child->m_parent = this;
    m_firstChild = std::move(child);
}

void TMLItem::SetNextSibling(std::unique_ptr<TMLItem> sibling)
{
    if (sibling)
        sibling->m_parent = m_parent;
    m_nextSibling = std::move(sibling);
}

void TMLItem::SetAttributes(std::vector<TTagAttributes> attributes)
{
    m_attributes = std::move(attributes);
    for (TTagAttributes &a : m_attributes) {
        a.Name = lowerShared(a.Name);
        if (a.Name == u"class") {
            if (m_classText.isEmpty())
                m_classText = a.Value;
            else
                m_classText += u' ' + a.Value;
        } else if (a.Name == u"id") {
            m_idText = a.Value;
        }
    }
}

QString TMLItem::GetAttribute(QStringView name, bool stripQuotes) const
{
    for (const TTagAttributes &a : m_attributes) {
        if (!SameTextAscii(a.Name, name))
            continue;
        QString value = Trim(a.Value);
        if (stripQuotes && (value.startsWith(u'"') || value.startsWith(u'\'')))
            value = value.mid(1, qMax<qsizetype>(0, value.size() - 2));
        return value;
    }
    return QString();
}

TMLItem *TMLItem::ChildByName(QStringView name) const
{
    for (TMLItem *c = FirstChild(); c; c = c->NextSibling())
        if (SameTextAscii(c->m_name, name))
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
    if (FirstChild())
        appendMarkup(FirstChild(), true, out);
    return out;
}

QString TMLItem::GetHTML(TMLMarkupPart part) const
{
    QString out;
    switch (part) {
    case mpWhole:
        appendMarkup(this, false, out);
        break;
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
    return out;
}

QString TMLItem::OpenTagText() const
{
    QString out;
    appendOpenTag(out);
    return out;
}

QString TMLItem::CloseTagText() const
{
    QString out;
    appendCloseTag(out);
    return out;
}

QString TMLItem::AttributesText() const
{
    QString out;
    for (const TTagAttributes &a : m_attributes) {
        if (!out.isEmpty())
            out += u' ';
        out += a.Name;
        if (a.HasValue)
            out += u'=' + a.Value;
    }
    return out;
}

void TMLItem::appendOpenTag(QString &out) const
{
    if (m_isText) {
        out += m_text;
        return;
    }
    out += u'<';
    out += m_name;
    if (!m_attributes.empty()) {
        out += u' ';
        out += AttributesText();
    }
    out += u'>';
}

void TMLItem::appendCloseTag(QString &out) const
{
    if (m_isText)
        return;
    out += u"</";
    out += m_name;
    out += u'>';
}

void TMLItem::appendMarkup(const TMLItem *first, bool siblings, QString &out)
{
    // Depth first along the links, climbing back by the parents, so that neither nesting nor
    // a long chain nests calls.
    const TMLItem *level = first->m_parent;
    const TMLItem *n = first;
    while (n) {
        n->appendOpenTag(out);
        if (n->FirstChild()) {
            n = n->FirstChild();
            continue;
        }
        n->appendCloseTag(out);
        for (;;) {
            if (n->m_parent == level) {
                n = siblings ? n->NextSibling() : nullptr;
                break;
            }
            if (n->NextSibling()) {
                n = n->NextSibling();
                break;
            }
            n = n->m_parent;
            n->appendCloseTag(out);
        }
    }
}

const QStringList &DefaultVoidTags()
{
    static const QStringList tags{QStringLiteral("img"), QStringLiteral("input")};
    return tags;
}

bool TMLTree::IsVoidTag(QStringView name) const
{
    for (const QString &tag : m_voidTags)
        if (SameTextAscii(tag, name))
            return true;
    return false;
}

bool TMLTree::Parse(const QByteArray &utf8)
{
    m_root.reset();
    NameTable names(*this);
    struct OpenElement {
        int Name;
        TMLItem *Node;
    };
    std::vector<OpenElement> stack;
    TMLItem *last = nullptr;
    bool asSibling = false;
    std::vector<TTagAttributes> attributes;

    TMarkupParser parser;
    parser.Init(utf8, 1);
    while (parser.Next()) {
        std::unique_ptr<TMLItem> node;
        bool selfClosed = false;
        switch (parser.Kind()) {
        case mtText: {
            const QByteArrayView text = parser.TextBytes();
            if (m_dropBlankText && isBlank(text))
                continue;
            node = TMLItem::CreateText(QString::fromUtf8(text));
            break;
        }
        case mtOpenTag:
        case mtSelfClosed: {
            const int name = names.Id(parser.TagNameBytes());
            attributes.clear();
            attributes.reserve(parser.AttrCount());
            for (int i = 0; i < parser.AttrCount(); ++i)
                attributes.push_back(TTagAttributes{names.Text(names.Id(parser.AttributeNameBytes(i))),
                                                    QString::fromUtf8(parser.AttributeValueBytes(i)),
                                                    parser.AttributeHasValue(i)});
            node = std::make_unique<TMLItem>(names.Text(name), std::move(attributes));
            attributes = {};
            selfClosed = parser.Kind() == mtSelfClosed || names.IsVoid(name) || names.Text(name) == u"!--";
            if (!selfClosed) {
                names.Open(name).push_back(stack.size());
                stack.push_back(OpenElement{name, node.get()});
            }
            break;
        }
        case mtCloseTag: {
            std::vector<size_t> &open = names.Open(names.Id(parser.TagNameBytes()));
            if (open.empty())
                continue;
            const size_t found = open.back();
            while (stack.size() > found) {
                names.Open(stack.back().Name).pop_back();
                last = stack.back().Node;
                stack.pop_back();
            }
            asSibling = true;
            continue;
        }
        }

        TMLItem *placed = node.get();
        if (!last)
            m_root = std::move(node);
        else if (asSibling)
            last->SetNextSibling(std::move(node));
        else
            last->SetFirstChild(std::move(node));
        last = placed;
        asSibling = selfClosed || placed->IsText();
    }
    return true;
}

std::unique_ptr<TMLTree> ParseHTML(const QByteArray &utf8)
{
    try {
        auto tree = std::make_unique<TMLTree>();
        tree->VoidTags() = DefaultVoidTags();
        tree->Parse(utf8);
        return tree;
    } catch (...) {
        return nullptr;
    }
}

std::unique_ptr<TMLTree> ParseHTML(const QString &text)
{
    try {
        return ParseHTML(text.toUtf8());
    } catch (...) {
        return nullptr;
    }
}
