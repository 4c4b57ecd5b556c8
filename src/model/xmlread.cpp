// XML into the DOM, with the element-name rule every writer follows.
#include "xmlread.h"

#include "xmldecoding.h"
#include "xmllimits.h"

#include <QFileDevice>
#include <QSet>
#include <QXmlStreamReader>

namespace {

bool isXmlBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool allBlank(QStringView s)
{
    for (QChar c : s)
        if (!isXmlBlank(c))
            return false;
    return true;
}

// The reader only knows XML 1.0; a 1.1 declaration is read as 1.0 and recorded as written.
bool patchVersion11(QByteArray &bytes)
{
    const QByteArray &b = bytes; // read without detaching the caller's copy
    const qsizetype start = b.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (b.mid(start, 5) != "<?xml")
        return false;
    const qsizetype end = b.indexOf("?>", start);
    const qsizetype v = b.indexOf("version", start);
    if (v < 0 || (end >= 0 && v > end))
        return false;
    auto blank = [&](qsizetype i) { return b[i] == ' ' || b[i] == '\t' || b[i] == '\r' || b[i] == '\n'; };
    qsizetype i = v + 7;
    while (i < b.size() && blank(i))
        ++i;
    if (i >= b.size() || b[i] != '=')
        return false;
    ++i;
    while (i < b.size() && blank(i))
        ++i;
    if (i + 4 < b.size() && (b[i] == '"' || b[i] == '\'') && b.mid(i + 1, 3) == "1.1" && b[i + 4] == b[i]) {
        bytes[i + 3] = '0';
        return true;
    }
    return false;
}

// The part of "<!DOCTYPE name ... [subset]>" between the brackets, outside quoted literals.
QStringView internalSubset(QStringView dtd)
{
    qsizetype open = -1;
    QChar quote;
    for (qsizetype i = 0; i < dtd.size(); ++i) {
        const QChar c = dtd[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'[') {
            open = i;
            break;
        }
    }
    if (open < 0)
        return {};
    const qsizetype close = dtd.lastIndexOf(u']');
    if (close <= open)
        return {};
    return dtd.mid(open + 1, close - open - 1);
}

// XML's line-end rule, as the reader applies it to every text it hands over.
QString normalizeLineEnds(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\r') {
            out += u'\n';
            if (i + 1 < s.size() && s[i + 1] == u'\n')
                ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Where the document type starts in the decoded input: only the declaration, comments,
// processing instructions and blanks can come before it. -1 when it is not found there.
qsizetype doctypeStart(QStringView text)
{
    qsizetype i = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    for (;;) {
        while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n'))
            ++i;
        const QStringView rest = text.mid(i);
        if (rest.startsWith(u"<!DOCTYPE"))
            return i;
        qsizetype end = -1;
        if (rest.startsWith(u"<!--"))
            end = text.indexOf(u"-->", i + 4) + 3;
        else if (rest.startsWith(u"<?"))
            end = text.indexOf(u"?>", i + 2) + 2;
        if (end < i + 2)
            return -1;
        i = end;
    }
}

// Element names repeat endlessly in a page; share one string per name.
class NameCache {
public:
    QString get(QStringView name)
    {
        for (const QString &s : m_names)
            if (s == name)
                return s;
        QString s = name.toString();
        if (m_names.size() < 64)
            m_names.push_back(s);
        return s;
    }

private:
    std::vector<QString> m_names;
};

class Builder {
public:
    Builder(bool keepWhitespace) : m_keep(keepWhitespace), m_doc(std::make_unique<XmlDocument>())
    {
        m_open.push_back(m_doc.get());
    }

    std::unique_ptr<XmlDocument> run(const QByteArray &input)
    {
        QByteArray bytes = input;
        const bool version11 = patchVersion11(bytes);
        // Screened as the reader gets them: the screen asks a reader about the declaration, and
        // version 1.1 would stop that one.
        if (const QString error = xmlLimitError(bytes); !error.isEmpty())
            throw EXMLReadError(error);
        QXmlStreamReader r(bytes);
        r.setNamespaceProcessing(false);
        r.setEntityExpansionLimit(kEntityExpansionLimit);
        while (!r.atEnd()) {
            switch (r.readNext()) {
            case QXmlStreamReader::StartDocument:
                m_doc->setXmlVersion(r.documentVersion().toString());
                if (version11)
                    m_doc->setXmlVersion(QStringLiteral("1.1"));
                m_doc->setXmlEncoding(r.documentEncoding().toString());
                m_doc->setXmlStandalone(r.isStandaloneDocument());
                break;
            case QXmlStreamReader::StartElement: {
                flushText();
                m_rootSeen = true;
                auto element = newElement(m_names.get(r.qualifiedName()));
                for (const QXmlStreamAttribute &a : r.attributes())
                    if (!a.isDefault()) // defaults of the document type are not part of the page
                        element->appendAttribute(a.qualifiedName().toString(), a.value().toString());
                m_open.push_back(m_open.back()->appendChild(std::move(element)));
                break;
            }
            case QXmlStreamReader::EndElement:
                flushText();
                m_open.pop_back();
                break;
            case QXmlStreamReader::Characters:
                if (r.isCDATA()) {
                    flushText();
                    m_open.back()->appendChild(newCData(r.text().toString()));
                } else if (m_open.size() > 1) { // never text outside the root
                    m_text += r.text();
                }
                break;
            case QXmlStreamReader::Comment:
                flushText();
                notePrologNode(r, m_open.back()->appendChild(newComment(r.text().toString())));
                break;
            case QXmlStreamReader::ProcessingInstruction:
                flushText();
                notePrologNode(
                    r, m_open.back()->appendChild(newProcessingInstruction(r.processingInstructionTarget().toString(),
                                                                           r.processingInstructionData().toString())));
                break;
            case QXmlStreamReader::DTD:
                addDocumentType(r, bytes);
                break;
            case QXmlStreamReader::EntityReference:
                flushText();
                m_open.back()->appendChild(newEntityReference(r.name().toString()));
                break;
            default:
                break;
            }
        }
        if (r.hasError())
            throw EXMLReadError(QStringLiteral("In 'stream:' (line %1 pos %2): %3")
                                    .arg(r.lineNumber())
                                    .arg(r.columnNumber())
                                    .arg(r.errorString()));
        return std::move(m_doc);
    }

private:
    // The reader reports the comments and processing instructions of the internal subset
    // before the document type itself; they must not become nodes of the document as well.
    void notePrologNode(const QXmlStreamReader &r, XmlNode *node)
    {
        if (!m_rootSeen && !m_doctypeSeen && m_open.size() == 1)
            m_prolog.emplace_back(node, r.characterOffset());
    }

    // The reader hands over the subset with its entity and character references replaced,
    // which would change its meaning when written back: it is taken from the input as written.
    void addDocumentType(QXmlStreamReader &r, const QByteArray &bytes)
    {
        if (m_rootSeen) {
            r.raiseError(QStringLiteral("Document type declaration after the start of the root element."));
            return;
        }
        if (m_doctypeSeen) {
            r.raiseError(QStringLiteral("More than one document type declaration."));
            return;
        }
        m_doctypeSeen = true;
        const QString text = XmlDecoding(bytes).text();
        const qsizetype end = r.characterOffset();
        const qsizetype start = doctypeStart(text);
        if (start < 0 || end > text.size() || end <= start || text[end - 1] != u'>') {
            r.raiseError(QStringLiteral("The document type declaration cannot be kept as written."));
            return;
        }
        // In one pass: a subset may hold a great many of them.
        QSet<const XmlNode *> inside;
        for (const auto &[node, offset] : m_prolog)
            if (offset > start)
                inside.insert(node);
        if (!inside.isEmpty())
            m_doc->removeChildrenIf([&](const XmlNode &node) { return inside.contains(&node); });
        m_prolog.clear();
        const QString subset = normalizeLineEnds(internalSubset(QStringView(text).mid(start, end - start)));
        m_doc->appendChild(std::make_unique<XmlDocumentType>(r.dtdName().toString(), r.dtdPublicId().toString(),
                                                             r.dtdSystemId().toString(), subset));
    }

    // Adjacent character tokens make one text node; whitespace-only text is judged whole.
    void flushText()
    {
        if (m_text.isEmpty())
            return;
        if (m_keep || !allBlank(m_text))
            m_open.back()->appendChild(newText(m_text));
        m_text.clear();
    }

    bool m_keep;
    bool m_rootSeen = false;
    bool m_doctypeSeen = false;
    std::vector<std::pair<XmlNode *, qint64>> m_prolog; // comments and PIs before the root, with their end
    std::unique_ptr<XmlDocument> m_doc;
    std::vector<XmlNode *> m_open;
    QString m_text;
    NameCache m_names;
};

QByteArray readAllOrThrow(QIODevice &stream)
{
    if (!stream.isReadable())
        throw EXMLReadError(QStringLiteral("Stream read error"));
    QByteArray bytes = stream.readAll();
    auto *file = qobject_cast<QFileDevice *>(&stream);
    if (file && file->error() != QFileDevice::NoError)
        throw EXMLReadError(file->errorString());
    return bytes;
}
} // namespace

bool isXmlElementName(const QString &name)
{
    // The reader is asked itself: its rule is older than the one XML has now, bounds the length
    // and differs between the root and the elements inside it.
    const QByteArray bytes = name.toUtf8();
    if (name.isEmpty() || QString::fromUtf8(bytes) != name) // a lone surrogate has no UTF-8 form
        return false;
    // One reader for every question: making one costs more than the answer. It is never told
    // where the input ends, so the question ends at the root's end tag.
    thread_local QXmlStreamReader r;
    r.clear();
    r.setNamespaceProcessing(false);
    r.addData("<r><" + bytes + "/><" + bytes + ">x</" + bytes + "></r>");
    for (const QStringView tag : {QStringView(u"r"), QStringView(name), QStringView(name), QStringView(name),
                                  QStringView(name), QStringView(u"r")}) {
        QXmlStreamReader::TokenType token;
        do
            token = r.readNext();
        while (token != QXmlStreamReader::StartElement && token != QXmlStreamReader::EndElement &&
               token != QXmlStreamReader::Invalid);
        if (token == QXmlStreamReader::Invalid || r.qualifiedName() != tag)
            return false;
    }
    return true;
}

std::unique_ptr<XmlDocument> readXMLBytes(const QByteArray &data, bool preserveWhitespace)
{
    return Builder(preserveWhitespace).run(data);
}

std::unique_ptr<XmlDocument> ReadXMLFile(QIODevice &stream) { return readXMLBytes(readAllOrThrow(stream), false); }

std::unique_ptr<XmlDocument> ReadXMLFilePreservingWhitespace(QIODevice &stream)
{
    return readXMLBytes(readAllOrThrow(stream), true);
}
