#pragma once
// Reading XML into the DOM. The standard reading drops text that holds only whitespace;
// the whitespace-keeping reading keeps it. Both record the declaration and report errors
// as "In 'stream:' (line L pos C): ...".
#include "base/exception.h"
#include "xmldom.h"

#include <QByteArray>
#include <QIODevice>
#include <memory>

class EXMLReadError : public Exception {
public:
    using Exception::Exception;
};

// Whether the reader takes name back as the name of an element inside another, in a start tag,
// an end tag and an empty-element tag: the rule for every element name made from outside text.
bool isXmlElementName(const QString &name);

std::unique_ptr<XmlDocument> readXMLBytes(const QByteArray &data, bool preserveWhitespace);
// Read the rest of the stream; raise EXMLReadError on malformed input or a read error.
std::unique_ptr<XmlDocument> ReadXMLFile(QIODevice &stream);
std::unique_ptr<XmlDocument> ReadXMLFilePreservingWhitespace(QIODevice &stream);
