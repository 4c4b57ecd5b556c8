#include "wqftypes.h"

#include "base/textutils.h"
#include "platform/fileattr.h"
#include "xmlread.h"
#include "xmlwrite2.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

uint8_t WriterFlagsFromOptions(uint8_t options)
{
    uint8_t flags = 0;
    if (options & poWhitespace)
        flags |= wfNoIndent;
    if (options & poForceHeader)
        flags |= wfForceHeader;
    if (options & poClearEol)
        flags |= wfNoFinalEol;
    return flags;
}

// ---- TWQFItem ----

TWQFItem::TWQFItem(XmlElement *node, TWQFSection *section) : m_node(node), m_section(section)
{
    if (!node)
        return;
    for (const auto &child : node->childNodes()) {
        XmlElement *e = child->toElement();
        if (!e)
            continue;
        const QString &n = e->name();
        if (n == u"x")
            m_x = e;
        else if (n == u"y")
            m_y = e;
        else if (n == u"n")
            m_n = e;
        else if (n == u"t")
            m_t = e;
        else if (n == u"c")
            m_c = e;
    }
}

TWQFItem::~TWQFItem() = default;

// ---- TWQFSection ----

TWQFSection::TWQFSection(TWQFFile *file, XmlNode *node) : m_owner(file), m_node(node) {}

TWQFSection::~TWQFSection() { Clear(); }

void TWQFSection::Clear() { m_items.clear(); }

QString TWQFSection::GetName() const { return m_node ? m_node->nodeName() : QString(); }

void TWQFSection::LoadItems(XmlNode *node, TWQFSection *section)
{
    if (!node || !section)
        return;
    for (const auto &child : node->childNodes())
        if (child->isElement() && child->name() == u"c")
            section->m_items.push_back(std::make_unique<TWQFItem>(child->toElement(), section));
}

// ---- TWQFFile ----

TWQFFile::TWQFFile() = default;

TWQFFile::~TWQFFile()
{
    Clear();
    m_sections.clear();
    m_doc.reset();
}

void TWQFFile::Clear()
{
    SetHtml(QString());
    m_sections.clear();
}

bool TWQFFile::LoadFromFile(const QString &fileName, uint8_t options)
{
    m_fileName = fileName;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_sections.clear();
        m_doc.reset();
        m_html = m_function = nullptr;
        m_lastError = QStringLiteral("Unable to open file \"%1\": %2").arg(fileName, file.errorString());
        return false;
    }
    return LoadFromStream(file, options);
}

bool TWQFFile::LoadFromStream(QIODevice &stream, uint8_t options)
{
    // Sections point into the document about to be freed.
    m_sections.clear();
    m_doc.reset();
    m_html = m_function = nullptr;
    try {
        m_doc = (options & poWhitespace) ? ReadXMLFilePreservingWhitespace(stream) : ReadXMLFile(stream);
        XmlElement *root = nullptr;
        for (const auto &child : m_doc->childNodes())
            if (child->isElement() && child->name() == u"wqf") {
                root = child->toElement();
                break;
            }
        if (!root) {
            m_lastError = QStringLiteral("The document has no root element \"wqf\"");
            return false;
        }
        for (const auto &child : root->childNodes()) {
            if (child->isElement() && child->name() == u"function") {
                m_function = child->toElement();
            } else if (child->isElement() && child->name() == u"html") {
                m_html = child->toElement();
            } else {
                auto section = std::make_unique<TWQFSection>(this, child.get());
                TWQFSection::LoadItems(child.get(), section.get());
                m_sections.push_back(std::move(section));
            }
        }
        return true;
    } catch (const Exception &e) {
        m_lastError = e.message();
    } catch (const std::exception &e) {
        m_lastError = QString::fromUtf8(e.what());
    }
    m_sections.clear();
    m_doc.reset();
    m_html = m_function = nullptr;
    return false;
}

bool TWQFFile::serialize(QByteArray &bytes, uint8_t options)
{
    if (!m_doc)
        return false;
    try {
        bytes = WriteXMLToBytes(*m_doc, WriterFlagsFromOptions(options));
        return true;
    } catch (const Exception &e) {
        m_lastError = e.message();
    } catch (const std::exception &e) {
        m_lastError = QString::fromUtf8(e.what());
    }
    return false;
}

bool TWQFFile::SaveToStream(QIODevice &stream, uint8_t options)
{
    if (!m_doc)
        return false;
    try {
        WriteXMLFlags(*m_doc, stream, WriterFlagsFromOptions(options));
        return true;
    } catch (const Exception &e) {
        m_lastError = e.message();
    } catch (const std::exception &e) {
        m_lastError = QString::fromUtf8(e.what());
    }
    return false;
}

bool TWQFFile::SaveToFile(const QString &fileName, uint8_t options)
{
    m_fileName = fileName;
    const std::optional<unsigned> oldMode = platform::FileMode(fileName);
    const bool readOnly = oldMode && QFileInfo(fileName).isFile() && platform::FileIsReadOnly(fileName);
    if (readOnly) {
        bool allow = true;
        DoReadOnly(fileName, allow);
        if (!allow)
            return false;
    }
    QByteArray bytes;
    if (!serialize(bytes, options))
        return false;

    if (readOnly)
        platform::SetFileReadOnly(fileName, false);
    QSaveFile file(fileName);
    bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    if (ok)
        ok = file.commit();
    if (!ok) {
        m_lastError = QStringLiteral("Unable to write file \"%1\": %2").arg(fileName, file.errorString());
        file.cancelWriting();
    }
    // The replaced file keeps the old one's mode, the read-only bit included.
    if (oldMode)
        platform::SetFileMode(fileName, *oldMode);
    return ok;
}

void TWQFFile::DoReadOnly(const QString &fileName, bool &allow)
{
    allow = true;
    if (!OnReadOnly)
        return;
    try {
        OnReadOnly(fileName, allow);
    } catch (...) {
        // A failing hook leaves the answer it had reached.
    }
}

TWQFSection *TWQFFile::FindSection(const QString &name) const
{
    for (const auto &section : m_sections)
        if (SameTextAscii(section->GetName(), name))
            return section.get();
    return nullptr;
}

XmlElement *TWQFFile::FindFunctionChild(const QString &name) const
{
    if (!m_function)
        return nullptr;
    if (name.isEmpty())
        return m_function;
    return m_function->firstChildElement(name);
}

QString TWQFFile::GetHtml() const { return m_html ? ContentText(m_html) : QString(); }

void TWQFFile::SetHtml(const QString &text)
{
    if (m_html)
        SetContentText(m_html, text);
}

QString TWQFFile::GetEditorNotes() const
{
    XmlElement *notes = FindFunctionChild(QStringLiteral("editorNotes"));
    return notes ? ContentText(notes) : QString();
}

void TWQFFile::SetEditorNotes(const QString &text)
{
    if (!m_function)
        return;
    XmlElement *notes = FindFunctionChild(QStringLiteral("editorNotes"));
    if (!notes) {
        if (text.isEmpty())
            return;
        notes = static_cast<XmlElement *>(m_function->appendChild(NewElement(QStringLiteral("editorNotes"))));
        notes->appendChild(NewCData(QString()));
    }
    SetContentText(notes, text);
}

QString TWQFFile::GetFunctionName() const { return NodeTextDef(FindFunctionChild(QStringLiteral("fn")), QString()); }

void TWQFFile::SetFunctionName(const QString &text)
{
    if (XmlElement *fn = FindFunctionChild(QStringLiteral("fn")))
        fn->setTextContent(text);
}

void TWQFFile::SetPreHeight(int value) { SetNodeInt(FindFunctionChild(QStringLiteral("preHeight")), value); }

void TWQFFile::SetPostHeight(int value) { SetNodeInt(FindFunctionChild(QStringLiteral("postHeight")), value); }

bool TWQFFile::GetFlag(const QString &name) const
{
    if (name.isEmpty())
        return false;
    const XmlElement *flag = FindFunctionChild(name);
    return flag && flag->textContent() == u"1";
}

void TWQFFile::SetFlag(const QString &name, bool value)
{
    if (!m_function || name.isEmpty())
        return;
    XmlElement *flag = FindFunctionChild(name);
    if (!flag)
        flag = static_cast<XmlElement *>(m_function->appendChild(NewElement(name)));
    flag->setTextContent(value ? QStringLiteral("1") : QStringLiteral("0"));
}

// ---- routines ----

bool IsWQFStream(QIODevice &stream)
{
    try {
        std::unique_ptr<XmlDocument> doc = ReadXMLFile(stream);
        // Only the very first node counts: a comment or a document type before the root fails.
        const XmlNode *first = doc->firstChild();
        return first && first->isElement() && first->name() == u"wqf";
    } catch (...) {
        return false;
    }
}

bool IsWQFFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return IsWQFStream(file);
}

QString NodeTextDef(const XmlNode *node, const QString &defaultValue)
{
    return node ? node->textContent() : defaultValue;
}

int NodeIntDef(const XmlNode *node, int defaultValue)
{
    return node ? StrToIntDef(node->textContent(), defaultValue) : defaultValue;
}

void SetNodeInt(XmlNode *node, int value)
{
    if (node)
        node->setTextContent(QString::number(value));
}

namespace {
bool isContentNode(const XmlNode &n) { return n.isCData() || (n.isText() && !n.isWhitespaceText()); }
} // namespace

QString ContentText(const XmlNode *element)
{
    QString out;
    if (!element)
        return out;
    for (const auto &child : element->childNodes())
        if (isContentNode(*child))
            out += child->data();
    return out;
}

void SetContentText(XmlNode *element, const QString &text)
{
    if (!element)
        return;
    XmlNode *target = nullptr;
    for (const auto &child : element->childNodes())
        if (child->isTextOrCData() && !child->isWhitespaceText()) {
            target = child.get();
            break;
        }
    if (!target)
        for (const auto &child : element->childNodes())
            if (child->isTextOrCData()) {
                target = child.get();
                break;
            }
    if (!target)
        target = element->appendChild(NewCData(QString()));
    target->setData(text);
    for (size_t i = element->childNodes().size(); i-- > 0;) {
        XmlNode *child = element->childNodes()[i].get();
        if (child != target && isContentNode(*child))
            element->removeChild(child);
    }
}
