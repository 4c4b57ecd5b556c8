#pragma once
// The page files' own serialiser: UTF-8, CR LF, two blanks per level, and three flags.
#include "xmldom.h"

#include <QByteArray>
#include <QFlags>
#include <QIODevice>
#include <cstdint>

enum WriterFlag : uint8_t {
    wfForceHeader = 1, // the declaration even when none was read
    wfNoIndent = 2, // no line breaks or blanks of the writer's own
    wfNoFinalEol = 4, // nothing after the document's last node
};
Q_DECLARE_FLAGS(WriterFlags, WriterFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(WriterFlags)

// Raises EConvertError ("Illegal character", "High surrogate without low one",
// "Low surrogate without high one", or for an element name the reader would not take back);
// the output made before the error reaches the stream.
void WriteXMLFlags(const XmlNode &node, QIODevice &stream, WriterFlags flags);
QByteArray WriteXMLToBytes(const XmlNode &node, WriterFlags flags);
