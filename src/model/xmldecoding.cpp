// The characters the reader decodes from a document's bytes, in whatever encoding its declaration
// names.
#include "xmldecoding.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>

namespace {
// The first look at a document's start: a declaration is rarely longer.
constexpr qsizetype kFirstLook = 256;
} // namespace

XmlDecoding::XmlDecoding(const QByteArray &input) : m_input(input)
{
    // The reader itself says what its declaration names and where it ends, asked on the shortest
    // start of the input that holds the declaration whole: what it decodes of a start is the start
    // of what it decodes of the whole, so it would stop there at the same place.
    for (qsizetype length = kFirstLook;; length *= 2) {
        const bool whole = length >= input.size();
        QXmlStreamReader reader(whole ? input : input.first(length));
        reader.setNamespaceProcessing(false);
        if (reader.readNext() == QXmlStreamReader::StartDocument) {
            m_declared = reader.documentEncoding().toUtf8();
            m_declarationEnd = reader.characterOffset();
            break;
        }
        if (whole || reader.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
            m_readsNothing = true;
            return;
        }
    }
    m_guessed = QStringConverter::encodingForData(input, u'<').value_or(QStringConverter::Utf8);
    // Decoding again as before changes nothing.
    if (QStringConverter::encodingForName(m_declared.constData()) == m_guessed)
        m_declared.clear();
}

bool XmlDecoding::isUtf8() const
{
    return !m_readsNothing && m_guessed == QStringConverter::Utf8 && m_declared.isEmpty();
}

QString XmlDecoding::text() const
{
    if (m_readsNothing)
        return {};
    QStringDecoder guessed(m_guessed);
    if (m_declared.isEmpty())
        return guessed(m_input);
    // The declaration from no more bytes than its characters take: four each at most, and a
    // byte-order mark.
    const qsizetype length = std::min(m_input.size(), 4 * (m_declarationEnd + 1));
    QString declaration = guessed(QByteArrayView(m_input).first(length));
    declaration.truncate(m_declarationEnd);
    QString rest = QStringDecoder(m_declared.constData())(m_input);
    return rest.replace(0, std::min(declaration.size(), rest.size()), declaration);
}
