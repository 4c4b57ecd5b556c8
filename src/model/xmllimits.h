#pragma once
// What the reader is spared before it starts: inputs whose reading would take time or memory
// out of all proportion to their size. Qt's reader compares every attribute of an element, and
// every attribute definition of the document type, with each one before it; it gives every
// element all the defaults the document type declares for it, and joins the expansions of
// adjacent entity references into one text. Page files carry no attributes and no document
// type of their own, so the bounds are far beyond what a page needs.
#include <QByteArray>
#include <QString>

// The most characters one entity reference may expand to; the reader is set to it.
constexpr int kEntityExpansionLimit = 4096;

// Empty when the input is within the limits; otherwise the error as the reader words its own:
// "In 'stream:' (line L pos C): ...". The limits hold on the characters the reader decodes, in
// whatever encoding the input is.
QString xmlLimitError(const QByteArray &input);
