#pragma once
// A platform answer pasted on the response tab, turned into readable lines: the "||"-separated
// entries of the answer's reqlist, or plain text split at "||" or at double blanks. "<br>"
// always ends a line.
#include "xmldom.h"

#include <QString>
#include <QStringList>
#include <memory>

// The morivane element of text, cut out at its first start and end tags and read with the
// standard reading; none when text holds no such tag or the cut-out is not well-formed.
std::unique_ptr<XmlDocument> ParsePlatformAnswer(const QString &text);

// Fills lines with the readable lines of text and answers true. False, with lines untouched,
// for an empty text, a missing list, or an answer without reqlist.
bool FillRequestList(const QString &text, QStringList *lines);
