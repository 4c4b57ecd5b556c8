#pragma once
// Notes drawn on a diagram. The page file has no element for them: each is one marker line
// appended to the editor notes,
//   [[@@rect Left Top Width Height Section ShowText Title||||Text@@]]
// with the text's line breaks written as "<br>", and taken out of the notes again on opening.
#include "base/rect.h"

#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

class TCommentRect {
public:
    ::Rect Rect; // diagram pixels
    QString Section; // "preproc", "postproc"
    QString Title; // one line
    QString Text;
    bool ShowText = false;
};

using CommentRectList = std::vector<std::unique_ptr<TCommentRect>>;

// Title "Note", text "Note text", 100 x 40 from (x, y), body hidden.
std::unique_ptr<TCommentRect> NewCommentRect(const QString &section, int x, int y);

// The title as the marker line holds it: each line break, of any form, a blank. A title pasted
// with line breaks into its one-line field is kept so, and shows as it will read back.
QString oneLineTitle(const QString &title);

// The notes with one marker line per note appended (after a line feed when the notes do not
// end with one); the notes unchanged for an empty list. A line break in a title is written
// as a blank, since it would split the marker line; a title ending in "|" gets a blank before
// the separator, and the bars of a run of four or more in it are written as "&#124;" (an "&"
// that starts "&#124;" or "&#38;" as "&#38;"), so that the title reads back as it was.
QString WriteCommentRects(const QString &notes, const CommentRectList &list);
// The notes without their markers; a new note is appended to list for each marker.
QString ExtractCommentRects(const QString &notes, CommentRectList &list);

// Reads the marker starting at index p (0-based) into note and moves p past it and past the
// line break after it. A marker never reaches beyond its own line: one without "||||" or
// "@@]]" ends at its end of line.
void ParseCommentMarker(QStringView text, qsizetype &p, TCommentRect &note);
// Skips to the next digit and reads the run of digits there, negative after a minus sign;
// the default at the end of the text or when the number does not fit 32 bits.
int ReadMarkerInt(QStringView text, qsizetype &p, int defaultValue);
// Skips blanks and tabs and reads up to the next blank, tab, CR or LF; the default for an
// empty word.
QString ReadMarkerWord(QStringView text, qsizetype &p, const QString &defaultValue);
