// The page writer: UTF-8, CR LF, two blanks per level, three flags.
#include "xmlwrite2.h"

#include "base/exception.h"
#include "base/textutils.h"
#include "xmlread.h"

#include <QSet>
#include <algorithm>
#include <vector>

namespace {

const char kEol[] = "\r\n";

[[noreturn]] void illegalCharacter() { throw EConvertError(QStringLiteral("Illegal character")); }

constexpr quint64 kMaxIndentation = quint64(64) << 20;
constexpr quint64 kMaxRatio = 16;

// The indentation grows with the depth of every line, so a deep enough nesting would need more
// memory than any machine has: such a tree is refused before a byte is written.
void checkIndentationSize(const XmlNode &root)
{
    const IndentationCost cost = measureIndentation(root);
    if (indentationTooLarge(cost))
        throw Exception(QStringLiteral("The page is too deeply nested to write indented; turn on \"Preserve XML "
                                       "whitespaces\" in Preferences to save it without indentation (%1 levels would "
                                       "need %2 MB of blanks)")
                            .arg(cost.depth)
                            .arg(cost.blanks >> 20));
}

class XmlWriter {
public:
    XmlWriter(QByteArray &out, uint8_t flags, QIODevice *stream) : m_out(out), m_flags(flags), m_stream(stream) {}

    void write(const XmlNode &node)
    {
        if (!(m_flags & wfNoIndent))
            checkIndentationSize(node);
        if (node.nodeType() == XmlNodeType::Document)
            writeDocument(static_cast<const XmlDocument &>(node));
        else
            writeTree(node);
        flush();
    }

    void flush()
    {
        if (m_stream && !m_out.isEmpty()) {
            const qint64 n = m_stream->write(m_out);
            m_out.clear();
            if (n < 0)
                throw Exception(m_stream->errorString());
        }
    }

private:
    enum class Mode { Text, Attribute, CData, Markup };

    void put(const char *s) { m_out.append(s); }
    void put(char c) { m_out.append(c); }
    void maybeFlush()
    {
        if (m_stream && m_out.size() >= 65536)
            flush();
    }

    void indent(int level)
    {
        // Blanks written right after a text would join it when the page is read again, and
        // a text between two elements would grow on every save.
        if ((m_flags & wfNoIndent) || m_afterText)
            return;
        put(kEol);
        m_out.append(qsizetype(level) * 2, ' ');
    }

    void putUnicode(char32_t cp)
    {
        if (cp < 0x80) {
            put(char(cp));
        } else if (cp < 0x800) {
            put(char(0xC0 | (cp >> 6)));
            put(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            put(char(0xE0 | (cp >> 12)));
            put(char(0x80 | ((cp >> 6) & 0x3F)));
            put(char(0x80 | (cp & 0x3F)));
        } else {
            put(char(0xF0 | (cp >> 18)));
            put(char(0x80 | ((cp >> 12) & 0x3F)));
            put(char(0x80 | ((cp >> 6) & 0x3F)));
            put(char(0x80 | (cp & 0x3F)));
        }
    }

    // Encodes s with the escaping of its place in the document.
    void putText(const QString &s, Mode mode)
    {
        const char16_t *p = reinterpret_cast<const char16_t *>(s.constData());
        const qsizetype n = s.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = p[i];
            if (c >= 0x20 && c < 0x80) {
                switch (c) {
                case '&':
                    if (mode == Mode::Text || mode == Mode::Attribute)
                        put("&amp;");
                    else
                        put('&');
                    continue;
                case '<':
                    if (mode == Mode::Text || mode == Mode::Attribute)
                        put("&lt;");
                    else
                        put('<');
                    continue;
                case '>':
                    if (mode == Mode::Text || mode == Mode::Attribute)
                        put("&gt;");
                    else if (mode == Mode::CData && i >= 2 && p[i - 1] == ']' && p[i - 2] == ']')
                        put("]]><![CDATA[>"); // "]]>" closes the section after "]]" and reopens it
                    else
                        put('>');
                    continue;
                case '"':
                    put(mode == Mode::Attribute ? "&quot;" : "\"");
                    continue;
                default:
                    put(char(c));
                    continue;
                }
            }
            if (c < 0x20) {
                if (c == '\t') {
                    put(mode == Mode::Attribute ? "&#x9;" : "\t");
                } else if (c == '\n') {
                    if (mode == Mode::Attribute)
                        put("&#xA;");
                    else if (mode == Mode::CData)
                        put('\n');
                    else
                        put(kEol);
                } else if (c == '\r') {
                    if (mode == Mode::Attribute) {
                        put("&#xD;");
                    } else if (mode == Mode::CData) {
                        put('\r');
                    } else {
                        put(kEol); // CR LF and a lone CR both become CR LF
                        if (i + 1 < n && p[i + 1] == '\n')
                            ++i;
                    }
                } else if (mode == Mode::Markup) {
                    put(char(c));
                } else {
                    illegalCharacter();
                }
                continue;
            }
            if (c >= 0xD800 && c <= 0xDBFF) {
                if (i + 1 >= n || p[i + 1] < 0xDC00 || p[i + 1] > 0xDFFF)
                    throw EConvertError(QStringLiteral("High surrogate without low one"));
                putUnicode(0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(p[i + 1]) - 0xDC00));
                ++i;
                continue;
            }
            if (c >= 0xDC00 && c <= 0xDFFF)
                throw EConvertError(QStringLiteral("Low surrogate without high one"));
            if (c == 0xFFFE || c == 0xFFFF) // no reader accepts them back
                illegalCharacter();
            putUnicode(c);
        }
    }

    void writeDocument(const XmlDocument &doc)
    {
        if ((m_flags & wfForceHeader) || !doc.xmlEncoding().isEmpty()) {
            put("<?xml version=\"");
            putText(doc.xmlVersion().isEmpty() ? QStringLiteral("1.0") : doc.xmlVersion(), Mode::Markup);
            put("\" encoding=\"");
            // The bytes are always UTF-8: another name would make the file read as other text.
            putText(sameTextAscii(doc.xmlEncoding(), u"utf-8") ? doc.xmlEncoding() : QStringLiteral("utf-8"),
                    Mode::Markup);
            put('"');
            if (doc.xmlStandalone())
                put(" standalone=\"yes\"");
            put("?>");
            put(kEol);
        }
        for (const auto &child : doc.childNodes())
            writeTree(*child);
        if (!(m_flags & wfNoFinalEol))
            put(kEol);
    }

    // Markup text (comments, PIs, document type): only line breaks become CR LF.
    void putMarkupText(const QString &s) { putText(s, Mode::Markup); }

    void putLiteral(const QString &s)
    {
        const char q = s.contains(u'"') ? '\'' : '"';
        put(q);
        putMarkupText(s);
        put(q);
    }

    void writeLeaf(const XmlNode &node)
    {
        switch (node.nodeType()) {
        case XmlNodeType::Text:
            putText(node.data(), Mode::Text);
            break;
        case XmlNodeType::CDataSection:
            if (!m_insideText)
                indent(m_level);
            put("<![CDATA[");
            putText(node.data(), Mode::CData);
            put("]]>");
            break;
        case XmlNodeType::Comment:
            if (!m_insideText)
                indent(m_level);
            put("<!--");
            putMarkupText(node.data());
            put("-->");
            break;
        case XmlNodeType::ProcessingInstruction:
            if (!m_insideText)
                indent(m_level);
            put("<?");
            putMarkupText(node.name());
            if (!node.data().isEmpty()) {
                put(' ');
                putMarkupText(node.data());
            }
            put("?>");
            break;
        case XmlNodeType::EntityReference:
            put('&');
            putMarkupText(node.name());
            put(';');
            break;
        case XmlNodeType::DocumentType: {
            const auto &dt = static_cast<const XmlDocumentType &>(node);
            put(kEol);
            put("<!DOCTYPE ");
            putMarkupText(dt.name());
            put(' ');
            if (!dt.publicId().isEmpty()) {
                put("PUBLIC ");
                putLiteral(dt.publicId());
                put(' ');
                putLiteral(dt.systemId());
            } else if (!dt.systemId().isEmpty()) {
                put("SYSTEM ");
                putLiteral(dt.systemId());
            }
            if (!dt.internalSubset().isEmpty()) {
                put('[');
                putMarkupText(dt.internalSubset());
                put(']');
            }
            put('>');
            break;
        }
        default:
            break;
        }
        maybeFlush();
    }

    // A name the reader refuses would make the whole output unreadable.
    void checkElementName(const QString &name)
    {
        if (m_readableNames.contains(name))
            return;
        if (!isXmlElementName(name))
            throw EConvertError(QStringLiteral("The element name \"%1\" cannot be read back").arg(name));
        m_readableNames.insert(name);
    }

    // Returns whether the element has children to write.
    bool startElement(const XmlElement &e)
    {
        checkElementName(e.name());
        if (!m_insideText)
            indent(m_level);
        ++m_level;
        put('<');
        putMarkupText(e.name());
        for (const XmlAttribute &a : e.attributes()) {
            put(' ');
            putMarkupText(a.name);
            put("=\"");
            putText(a.value, Mode::Attribute);
            put('"');
        }
        if (!e.hasChildNodes()) {
            put("/>");
            --m_level;
            return false;
        }
        put('>');
        return true;
    }

    void endElement(const XmlElement &e, bool savedInsideText)
    {
        if (!e.lastChild()->isTextOrCData())
            indent(m_level - 1); // even inside text
        m_insideText = savedInsideText;
        put("</");
        putMarkupText(e.name());
        put('>');
        --m_level;
        maybeFlush();
    }

    // Depth-first without recursion, so that no nesting depth can exhaust the stack.
    void writeTree(const XmlNode &root)
    {
        struct Frame {
            const XmlElement *element;
            size_t next;
            bool savedInsideText;
        };
        auto open = [&](const XmlNode &node, std::vector<Frame> &stack) {
            const XmlElement *e = node.toElement();
            if (!e) {
                writeLeaf(node);
                return;
            }
            if (!startElement(*e))
                return;
            stack.push_back({e, 0, m_insideText});
            m_insideText = e->firstChild()->isTextOrCData();
        };
        std::vector<Frame> stack;
        open(root, stack);
        while (!stack.empty()) {
            Frame &top = stack.back();
            const auto &children = top.element->childNodes();
            if (top.next < children.size()) {
                m_afterText = top.next > 0 && children[top.next - 1]->isText();
                const XmlNode &child = *children[top.next++];
                open(child, stack);
                m_afterText = false;
            } else {
                const Frame done = top;
                stack.pop_back();
                endElement(*done.element, done.savedInsideText);
            }
        }
    }

    QByteArray &m_out;
    uint8_t m_flags;
    QIODevice *m_stream;
    int m_level = 0;
    bool m_insideText = false;
    bool m_afterText = false; // the node being opened follows a text node
    QSet<QString> m_readableNames;
};
} // namespace

IndentationCost &IndentationCost::operator+=(const IndentationCost &other)
{
    blanks += other.blanks;
    content += other.content;
    depth = std::max(depth, other.depth);
    return *this;
}

IndentationCost measureIndentation(const XmlNode &node, int level)
{
    IndentationCost cost;
    std::vector<std::pair<const XmlNode *, int>> pending{{&node, level}};
    while (!pending.empty()) {
        const auto [next, depth] = pending.back();
        pending.pop_back();
        cost.depth = std::max(cost.depth, depth);
        cost.content += quint64(next->name().size() + next->data().size()) + 2;
        if (const XmlElement *e = next->toElement())
            for (const XmlAttribute &a : e->attributes())
                cost.content += quint64(a.name.size() + a.value.size()) + 4;
        if (!next->isText() && next->nodeType() != XmlNodeType::EntityReference)
            cost.blanks += (2 + 2 * quint64(depth)) * (next->hasChildNodes() ? 2 : 1);
        for (const auto &child : next->childNodes())
            pending.emplace_back(child.get(), next->isElement() ? depth + 1 : depth);
    }
    return cost;
}

// Ordinary pages stay far below both limits.
bool indentationTooLarge(const IndentationCost &cost)
{
    return cost.blanks > kMaxIndentation && cost.blanks > kMaxRatio * cost.content;
}

void WriteXMLFlags(const XmlNode &node, QIODevice &stream, WriterFlags flags)
{
    QByteArray buffer;
    XmlWriter writer(buffer, uint8_t(flags.toInt()), &stream);
    try {
        writer.write(node);
    } catch (...) {
        writer.flush();
        throw;
    }
}

QByteArray writeXMLToBytes(const XmlNode &node, WriterFlags flags)
{
    QByteArray out;
    XmlWriter(out, uint8_t(flags.toInt()), nullptr).write(node);
    return out;
}

bool isXmlText(const QString &text)
{
    // The writer is asked itself, so that the rule is the one every save applies.
    try {
        writeXMLToBytes(*newText(text), wfNoIndent);
        return true;
    } catch (const EConvertError &) {
        return false;
    }
}
