#pragma once
// The page files' own serialiser: UTF-8, CR LF, two blanks per level, and three flags.
#include "xmldom.h"

#include <QByteArray>
#include <QFlags>
#include <QIODevice>
#include <QtGlobal>
#include <cstdint>

enum WriterFlag : uint8_t {
    wfForceHeader = 1, // the declaration even when none was read
    wfNoIndent = 2, // no line breaks or blanks of the writer's own
    wfNoFinalEol = 4, // nothing after the document's last node
};
Q_DECLARE_FLAGS(WriterFlags, WriterFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(WriterFlags)

// What the writer's own indentation of a tree would take, against what the tree holds itself.
struct IndentationCost {
    quint64 blanks = 0; // line breaks and blanks, in bytes
    quint64 content = 0; // names, texts and attributes, in characters
    int depth = 0; // the deepest nesting level
    IndentationCost &operator+=(const IndentationCost &other);
};
// The cost of node and everything below it, with node at the nesting level given.
IndentationCost measureIndentation(const XmlNode &node, int level = 0);
// Whether the writer refuses to indent a tree of that cost: its blanks would need far more memory
// than its content, and more than any page needs.
bool indentationTooLarge(const IndentationCost &cost);

// Raises EConvertError ("Illegal character", "High surrogate without low one",
// "Low surrogate without high one", or for an element name the reader would not take back) and
// Exception for a tree too deep to indent; the output made before the error reaches the stream.
void WriteXMLFlags(const XmlNode &node, QIODevice &stream, WriterFlags flags);
QByteArray writeXMLToBytes(const XmlNode &node, WriterFlags flags);

// Whether the writer takes text as the text of an element: the rule for every text made from
// outside text that goes into a page.
bool isXmlText(const QString &text);
