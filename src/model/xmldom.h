#pragma once
// A small DOM that keeps everything a page file holds: node order, whitespace when asked,
// comments, processing instructions, the document type and the declaration's details.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

enum class XmlNodeType {
    Document,
    Element,
    Text,
    CDataSection,
    Comment,
    ProcessingInstruction,
    DocumentType,
    EntityReference,
};

class XmlElement;
class XmlDocument;

class XmlNode {
public:
    using Children = std::vector<std::unique_ptr<XmlNode>>;

    virtual ~XmlNode();
    XmlNode(const XmlNode &) = delete;
    XmlNode &operator=(const XmlNode &) = delete;

    XmlNodeType nodeType() const { return m_type; }
    // "#text", "#cdata-section", "#comment", "#document", else the element, PI target,
    // document type or entity name.
    QString nodeName() const;
    // Element tag, PI target, document type name or entity name.
    const QString &name() const { return m_name; }
    // Character data of text, CDATA and comment nodes; the data of a PI.
    const QString &data() const { return m_data; }
    void setData(const QString &data);

    bool isElement() const { return m_type == XmlNodeType::Element; }
    bool isText() const { return m_type == XmlNodeType::Text; }
    bool isCData() const { return m_type == XmlNodeType::CDataSection; }
    bool isTextOrCData() const { return isText() || isCData(); }
    // A text or CDATA node whose data holds only blanks, tabs, CRs and LFs (or nothing).
    bool isWhitespaceText() const;

    XmlElement *toElement();
    const XmlElement *toElement() const;

    XmlNode *parentNode() const { return m_parent; }
    // The document at the root of the node's tree, which counts every change to the node; none
    // while the root is no document (a node made or taken out and not yet put into one).
    XmlDocument *ownerDocument() const { return m_document; }
    const Children &childNodes() const { return m_children; }
    bool hasChildNodes() const { return !m_children.empty(); }
    XmlNode *firstChild() const { return m_children.empty() ? nullptr : m_children.front().get(); }
    XmlNode *lastChild() const { return m_children.empty() ? nullptr : m_children.back().get(); }
    XmlNode *nextSibling() const;
    XmlNode *previousSibling() const;
    // First child element named exactly name, or none.
    XmlElement *firstChildElement(const QString &name) const;

    XmlNode *appendChild(std::unique_ptr<XmlNode> child);
    // Before ref, or at the end when ref is none.
    XmlNode *insertBefore(std::unique_ptr<XmlNode> child, XmlNode *ref);
    std::unique_ptr<XmlNode> removeChild(XmlNode *child);
    void removeChildren();
    // Removes every child for which remove holds, in one pass however many they are; counts one
    // change when any goes, as a single removal would.
    void removeChildrenIf(const std::function<bool(const XmlNode &)> &remove);

    // All text and CDATA data below the node in document order (comments and PIs excluded);
    // a character-data node's own data.
    QString textContent() const;
    // Replaces the children by one plain text node (none for an empty text); for a
    // character-data node, replaces its data and the node keeps its kind.
    void setTextContent(const QString &text);

protected:
    XmlNode(XmlNodeType type, QString name, QString data);
    // The node has just changed: its document counts it.
    void changed();

private:
    friend class XmlDocument;
    // Without counting: the public operations count once, after the whole change.
    void attach(std::unique_ptr<XmlNode> child, size_t at);
    std::unique_ptr<XmlNode> detach(size_t at);
    // Every node of the subtree below and including this one belongs to document from now.
    void setDocumentOfTree(XmlDocument *document);

    XmlNodeType m_type;
    QString m_name;
    QString m_data;
    XmlNode *m_parent = nullptr;
    XmlDocument *m_document = nullptr;
    size_t m_index = 0; // position among the parent's children
    Children m_children;
};

struct XmlAttribute {
    QString name;
    QString value;
};

class XmlElement : public XmlNode {
public:
    explicit XmlElement(QString name) : XmlNode(XmlNodeType::Element, std::move(name), {}) {}

    const std::vector<XmlAttribute> &attributes() const { return m_attributes; }
    bool hasAttribute(const QString &name) const;
    QString attribute(const QString &name) const;
    // Replaces the value of an existing attribute in place, else appends it.
    void setAttribute(const QString &name, const QString &value);
    // Appends without looking for the name, for builders whose names are known to be distinct
    // (the reader refuses a repeated attribute; a copy repeats distinct names).
    void appendAttribute(const QString &name, const QString &value);
    void removeAttribute(const QString &name);

private:
    std::vector<XmlAttribute> m_attributes;
};

class XmlDocumentType : public XmlNode {
public:
    XmlDocumentType(QString name, QString publicId, QString systemId, QString internalSubset)
        : XmlNode(XmlNodeType::DocumentType, std::move(name), {}), m_publicId(std::move(publicId)),
          m_systemId(std::move(systemId)), m_internalSubset(std::move(internalSubset))
    {}
    const QString &publicId() const { return m_publicId; }
    const QString &systemId() const { return m_systemId; }
    const QString &internalSubset() const { return m_internalSubset; }

private:
    QString m_publicId, m_systemId, m_internalSubset;
};

class XmlDocument : public XmlNode {
public:
    XmlDocument();

    // The declaration as read: version and encoding name exactly as written (empty when
    // not declared), standalone only for "yes".
    const QString &xmlVersion() const { return m_xmlVersion; }
    const QString &xmlEncoding() const { return m_xmlEncoding; }
    bool xmlStandalone() const { return m_xmlStandalone; }
    void setXmlVersion(const QString &version);
    void setXmlEncoding(const QString &encoding);
    void setXmlStandalone(bool standalone);

    XmlElement *documentElement() const;
    XmlDocumentType *doctype() const;

    // Grows with every change to the document or any node of its tree; an operation that
    // leaves everything as it was does not count.
    uint64_t revision() const { return m_revision; }
    // notice runs once, right after the next change, and is then forgotten: the changes after
    // it cost nothing more than their count. A second call replaces the first.
    void notifyNextChange(std::function<void()> notice) { m_notice = std::move(notice); }

private:
    friend class XmlNode;
    void countChange();

    QString m_xmlVersion;
    QString m_xmlEncoding;
    bool m_xmlStandalone = false;
    uint64_t m_revision = 0;
    std::function<void()> m_notice;
};

std::unique_ptr<XmlElement> newElement(const QString &name);
std::unique_ptr<XmlNode> newText(const QString &data);
std::unique_ptr<XmlNode> newCData(const QString &data);
std::unique_ptr<XmlNode> newComment(const QString &data);
std::unique_ptr<XmlNode> newProcessingInstruction(const QString &target, const QString &data);
std::unique_ptr<XmlNode> newEntityReference(const QString &name);
// A copy of node with all its descendants, attributes and the declaration's details, not
// attached to any parent.
std::unique_ptr<XmlNode> cloneNode(const XmlNode &node);
