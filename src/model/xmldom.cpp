#include "xmldom.h"

namespace {
// A plain node kind without extra fields.
class XmlLeaf : public XmlNode {
public:
    XmlLeaf(XmlNodeType type, QString name, QString data) : XmlNode(type, std::move(name), std::move(data)) {}
};
} // namespace

XmlNode::XmlNode(XmlNodeType type, QString name, QString data)
    : m_type(type), m_name(std::move(name)), m_data(std::move(data))
{}

XmlNode::~XmlNode()
{
    // Iterative, so that neither long sibling chains nor deep nesting use the stack.
    Children pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<XmlNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto &child : node->m_children)
            pending.push_back(std::move(child));
        node->m_children.clear();
    }
}

QString XmlNode::nodeName() const
{
    switch (m_type) {
    case XmlNodeType::Document:
        return QStringLiteral("#document");
    case XmlNodeType::Text:
        return QStringLiteral("#text");
    case XmlNodeType::CDataSection:
        return QStringLiteral("#cdata-section");
    case XmlNodeType::Comment:
        return QStringLiteral("#comment");
    default:
        return m_name;
    }
}

bool XmlNode::isWhitespaceText() const
{
    if (!isTextOrCData())
        return false;
    for (QChar c : m_data)
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
            return false;
    return true;
}

XmlElement *XmlNode::toElement() { return isElement() ? static_cast<XmlElement *>(this) : nullptr; }
const XmlElement *XmlNode::toElement() const { return isElement() ? static_cast<const XmlElement *>(this) : nullptr; }

XmlNode *XmlNode::nextSibling() const
{
    if (!m_parent || m_index + 1 >= m_parent->m_children.size())
        return nullptr;
    return m_parent->m_children[m_index + 1].get();
}

XmlNode *XmlNode::previousSibling() const
{
    if (!m_parent || m_index == 0)
        return nullptr;
    return m_parent->m_children[m_index - 1].get();
}

XmlElement *XmlNode::firstChildElement(const QString &name) const
{
    for (const auto &child : m_children)
        if (child->isElement() && child->m_name == name)
            return static_cast<XmlElement *>(child.get());
    return nullptr;
}

XmlNode *XmlNode::appendChild(std::unique_ptr<XmlNode> child) { return insertBefore(std::move(child), nullptr); }

XmlNode *XmlNode::insertBefore(std::unique_ptr<XmlNode> child, XmlNode *ref)
{
    XmlNode *raw = child.get();
    size_t at = m_children.size();
    if (ref && ref->m_parent == this)
        at = ref->m_index;
    raw->m_parent = this;
    m_children.insert(m_children.begin() + std::ptrdiff_t(at), std::move(child));
    for (size_t i = at; i < m_children.size(); ++i)
        m_children[i]->m_index = i;
    return raw;
}

std::unique_ptr<XmlNode> XmlNode::removeChild(XmlNode *child)
{
    if (!child || child->m_parent != this)
        return nullptr;
    const size_t at = child->m_index;
    std::unique_ptr<XmlNode> owned = std::move(m_children[at]);
    m_children.erase(m_children.begin() + std::ptrdiff_t(at));
    for (size_t i = at; i < m_children.size(); ++i)
        m_children[i]->m_index = i;
    owned->m_parent = nullptr;
    owned->m_index = 0;
    return owned;
}

void XmlNode::removeChildren()
{
    Children old = std::move(m_children);
    m_children.clear();
}

QString XmlNode::textContent() const
{
    if (m_type != XmlNodeType::Element && m_type != XmlNodeType::Document)
        return m_data;
    // The usual element holds one text: shared, without a walk.
    if (m_children.size() == 1 && m_children.front()->isTextOrCData())
        return m_children.front()->m_data;
    QString out;
    // Depth-first in document order without recursion.
    std::vector<std::pair<const XmlNode *, size_t>> stack{{this, 0}};
    while (!stack.empty()) {
        auto &[node, next] = stack.back();
        if (next >= node->m_children.size()) {
            stack.pop_back();
            continue;
        }
        const XmlNode *child = node->m_children[next++].get();
        if (child->isTextOrCData())
            out += child->m_data;
        else if (child->hasChildNodes())
            stack.emplace_back(child, 0);
    }
    return out;
}

void XmlNode::setTextContent(const QString &text)
{
    if (m_type != XmlNodeType::Element && m_type != XmlNodeType::Document) {
        m_data = text;
        return;
    }
    removeChildren();
    if (!text.isEmpty())
        appendChild(NewText(text));
}

bool XmlElement::hasAttribute(const QString &name) const
{
    for (const auto &a : m_attributes)
        if (a.name == name)
            return true;
    return false;
}

QString XmlElement::attribute(const QString &name) const
{
    for (const auto &a : m_attributes)
        if (a.name == name)
            return a.value;
    return {};
}

void XmlElement::setAttribute(const QString &name, const QString &value)
{
    for (auto &a : m_attributes)
        if (a.name == name) {
            a.value = value;
            return;
        }
    m_attributes.push_back({name, value});
}

void XmlElement::removeAttribute(const QString &name)
{
    std::erase_if(m_attributes, [&](const XmlAttribute &a) { return a.name == name; });
}

XmlElement *XmlDocument::documentElement() const
{
    for (const auto &child : childNodes())
        if (child->isElement())
            return static_cast<XmlElement *>(child.get());
    return nullptr;
}

XmlDocumentType *XmlDocument::doctype() const
{
    for (const auto &child : childNodes())
        if (child->nodeType() == XmlNodeType::DocumentType)
            return static_cast<XmlDocumentType *>(child.get());
    return nullptr;
}

std::unique_ptr<XmlElement> NewElement(const QString &name) { return std::make_unique<XmlElement>(name); }
std::unique_ptr<XmlNode> NewText(const QString &data)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::Text, QString(), data);
}
std::unique_ptr<XmlNode> NewCData(const QString &data)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::CDataSection, QString(), data);
}
std::unique_ptr<XmlNode> NewComment(const QString &data)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::Comment, QString(), data);
}
std::unique_ptr<XmlNode> NewProcessingInstruction(const QString &target, const QString &data)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::ProcessingInstruction, target, data);
}
std::unique_ptr<XmlNode> NewEntityReference(const QString &name)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::EntityReference, name, QString());
}

namespace {
// The node alone, without its children.
std::unique_ptr<XmlNode> cloneShallow(const XmlNode &node)
{
    switch (node.nodeType()) {
    case XmlNodeType::Document: {
        const auto &src = static_cast<const XmlDocument &>(node);
        auto doc = std::make_unique<XmlDocument>();
        doc->xmlVersion = src.xmlVersion;
        doc->xmlEncoding = src.xmlEncoding;
        doc->xmlStandalone = src.xmlStandalone;
        return doc;
    }
    case XmlNodeType::Element: {
        auto e = NewElement(node.name());
        for (const XmlAttribute &a : node.toElement()->attributes())
            e->appendAttribute(a.name, a.value);
        return e;
    }
    case XmlNodeType::DocumentType: {
        const auto &dt = static_cast<const XmlDocumentType &>(node);
        return std::make_unique<XmlDocumentType>(dt.name(), dt.publicId(), dt.systemId(), dt.internalSubset());
    }
    default:
        return std::make_unique<XmlLeaf>(node.nodeType(), node.name(), node.data());
    }
}
} // namespace

std::unique_ptr<XmlNode> CloneNode(const XmlNode &node)
{
    std::unique_ptr<XmlNode> root = cloneShallow(node);
    // Without recursion, like the destructor: pairs of source and copy still to fill.
    std::vector<std::pair<const XmlNode *, XmlNode *>> pending{{&node, root.get()}};
    while (!pending.empty()) {
        auto [src, dst] = pending.back();
        pending.pop_back();
        for (const auto &child : src->childNodes())
            pending.emplace_back(child.get(), dst->appendChild(cloneShallow(*child)));
    }
    return root;
}
