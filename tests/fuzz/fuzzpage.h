#pragma once
// What the targets that write pages share: a page read from and written to memory, and the
// elements of two trees compared.
#include "model/wqftypes.h"

#include <QByteArray>
#include <QString>

class XmlNode;

namespace fuzz {

// What the program's default settings read and write pages with.
inline constexpr PageOptions kProgramOptions = PageOptions(poForceHeader);
// A small page: the function block, one component in the pre-process section, an empty
// post-process section.
extern const QByteArray kSmallPage;

bool loadPage(TWQFFile &file, const QByteArray &bytes, PageOptions options);
bool savePage(TWQFFile &file, PageOptions options, QByteArray &bytes);

// The reader hands every text over with LF; a CR can only come from a character reference.
QString lineEnds(QString s);

// Empty when both trees hold the same elements, in the same order and nesting, with the same
// attributes and the same texts; otherwise where they first differ. Texts are compared as the
// reader gives them back from a written page without whitespace: line breaks as LF, and a
// text node of nothing but blanks, tabs and line breaks as none.
QString elementDifference(const XmlNode &a, const XmlNode &b);

} // namespace fuzz
