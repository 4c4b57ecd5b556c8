// The DOM that keeps everything a page holds, and counts its changes.
#include "xmldom.h"

#include <utility>

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

void XmlNode::changed()
{
    if (m_document)
        m_document->countChange();
}

void XmlNode::setData(const QString &data)
{
    if (m_data == data)
        return;
    m_data = data;
    changed();
}

void XmlNode::setDocumentOfTree(XmlDocument *document)
{
    if (m_document == document)
        return;
    // Without recursion, like the destructor.
    std::vector<XmlNode *> pending{this};
    while (!pending.empty()) {
        XmlNode *node = pending.back();
        pending.pop_back();
        node->m_document = document;
        for (const auto &child : node->m_children)
            pending.push_back(child.get());
    }
}

void XmlNode::attach(std::unique_ptr<XmlNode> child, size_t at)
{
    XmlNode *raw = child.get();
    raw->m_parent = this;
    m_children.insert(m_children.begin() + std::ptrdiff_t(at), std::move(child));
    for (size_t i = at; i < m_children.size(); ++i)
        m_children[i]->m_index = i;
    raw->setDocumentOfTree(m_document);
}

std::unique_ptr<XmlNode> XmlNode::detach(size_t at)
{
    std::unique_ptr<XmlNode> owned = std::move(m_children[at]);
    m_children.erase(m_children.begin() + std::ptrdiff_t(at));
    for (size_t i = at; i < m_children.size(); ++i)
        m_children[i]->m_index = i;
    owned->m_parent = nullptr;
    owned->m_index = 0;
    // A detached tree is its own: a document at its root owns it, else no one does.
    owned->setDocumentOfTree(owned->m_type == XmlNodeType::Document ? static_cast<XmlDocument *>(owned.get())
                                                                    : nullptr);
    return owned;
}

XmlNode *XmlNode::appendChild(std::unique_ptr<XmlNode> child) { return insertBefore(std::move(child), nullptr); }

XmlNode *XmlNode::insertBefore(std::unique_ptr<XmlNode> child, XmlNode *ref)
{
    XmlNode *raw = child.get();
    attach(std::move(child), ref && ref->m_parent == this ? ref->m_index : m_children.size());
    changed();
    return raw;
}

std::unique_ptr<XmlNode> XmlNode::removeChild(XmlNode *child)
{
    if (!child || child->m_parent != this)
        return nullptr;
    std::unique_ptr<XmlNode> owned = detach(child->m_index);
    changed();
    return owned;
}

void XmlNode::removeChildren()
{
    if (m_children.empty())
        return;
    Children().swap(m_children);
    changed();
}

void XmlNode::removeChildrenIf(const std::function<bool(const XmlNode &)> &remove)
{
    if (std::erase_if(m_children, [&](const std::unique_ptr<XmlNode> &child) { return remove(*child); }) == 0)
        return;
    for (size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->m_index = i;
    changed();
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
        setData(text);
        return;
    }
    // Already so: one plain text node with the text, or nothing for an empty text.
    if (text.isEmpty() ? m_children.empty()
                       : m_children.size() == 1 && m_children.front()->isText() && m_children.front()->m_data == text)
        return;
    Children().swap(m_children);
    if (!text.isEmpty())
        attach(newText(text), 0);
    changed();
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
            if (a.value == value)
                return;
            a.value = value;
            changed();
            return;
        }
    appendAttribute(name, value);
}

void XmlElement::appendAttribute(const QString &name, const QString &value)
{
    m_attributes.push_back({name, value});
    changed();
}

void XmlElement::removeAttribute(const QString &name)
{
    if (std::erase_if(m_attributes, [&](const XmlAttribute &a) { return a.name == name; }) > 0)
        changed();
}

XmlDocument::XmlDocument() : XmlNode(XmlNodeType::Document, {}, {}) { m_document = this; }

void XmlDocument::setXmlVersion(const QString &version)
{
    if (m_xmlVersion == version)
        return;
    m_xmlVersion = version;
    changed();
}

void XmlDocument::setXmlEncoding(const QString &encoding)
{
    if (m_xmlEncoding == encoding)
        return;
    m_xmlEncoding = encoding;
    changed();
}

void XmlDocument::setXmlStandalone(bool standalone)
{
    if (m_xmlStandalone == standalone)
        return;
    m_xmlStandalone = standalone;
    changed();
}

void XmlDocument::countChange()
{
    ++m_revision;
    if (!m_notice)
        return;
    // Forgotten before it runs, so that it may ask for the next change again.
    const std::function<void()> notice = std::exchange(m_notice, nullptr);
    notice();
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

std::unique_ptr<XmlElement> newElement(const QString &name) { return std::make_unique<XmlElement>(name); }
std::unique_ptr<XmlNode> newText(const QString &data)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::Text, QString(), data);
}
std::unique_ptr<XmlNode> newCData(const QString &data)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::CDataSection, QString(), data);
}
std::unique_ptr<XmlNode> newComment(const QString &data)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::Comment, QString(), data);
}
std::unique_ptr<XmlNode> newProcessingInstruction(const QString &target, const QString &data)
{
    return std::make_unique<XmlLeaf>(XmlNodeType::ProcessingInstruction, target, data);
}
std::unique_ptr<XmlNode> newEntityReference(const QString &name)
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
        doc->setXmlVersion(src.xmlVersion());
        doc->setXmlEncoding(src.xmlEncoding());
        doc->setXmlStandalone(src.xmlStandalone());
        return doc;
    }
    case XmlNodeType::Element: {
        auto e = newElement(node.name());
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

std::unique_ptr<XmlNode> cloneNode(const XmlNode &node)
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
