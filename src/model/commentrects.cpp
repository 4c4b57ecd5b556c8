// The diagram notes, kept as marker lines of the page.
#include "commentrects.h"

#include "base/mathutils.h"
#include "base/textutils.h"

namespace {
const QString kOpen = QStringLiteral("[[@@rect");
const QString kBar = QStringLiteral("||||");
const QString kClose = QStringLiteral("@@]]");

// Each line break of any form gives one replacement, the pairs taken first in this order,
// so that "\r\n\r" gives two. The replacement itself holds no line break.
QString replaceLineBreaks(QString s, const QString &with)
{
    s.replace(QStringLiteral("\r\n"), with);
    s.replace(QStringLiteral("\n\r"), with);
    s.replace(QStringLiteral("\r"), with);
    return s.replace(QStringLiteral("\n"), with);
}

// A title is read up to the first four bars and trimmed. So that every title reads back as
// it was: a blank (trimmed away again) keeps a final bar from joining the separator, and a run
// of four or more bars inside the title is written as character references, as is an "&"
// that would otherwise start one.
const QString kBarRef = QStringLiteral("&#124;");
const QString kAmpRef = QStringLiteral("&#38;");

QString writtenTitle(const QString &title)
{
    QString out;
    out.reserve(title.size());
    for (qsizetype i = 0; i < title.size();) {
        if (title[i] == u'|') {
            qsizetype end = i;
            while (end < title.size() && title[end] == u'|')
                ++end;
            for (qsizetype k = i; k < end; ++k)
                out += end - i >= kBar.size() ? kBarRef : QStringLiteral("|");
            i = end;
            continue;
        }
        const QStringView rest = QStringView(title).mid(i);
        out += rest.startsWith(kBarRef) || rest.startsWith(kAmpRef) ? kAmpRef : QString(title[i]);
        ++i;
    }
    if (out.endsWith(u'|'))
        out += u' ';
    return out;
}

QString readTitle(QStringView written)
{
    const QString trimmed = trim(written);
    if (!trimmed.contains(u'&'))
        return trimmed;
    QString out;
    for (qsizetype i = 0; i < trimmed.size();) {
        const QStringView rest = QStringView(trimmed).mid(i);
        if (rest.startsWith(kBarRef)) {
            out += u'|';
            i += kBarRef.size();
        } else if (rest.startsWith(kAmpRef)) {
            out += u'&';
            i += kAmpRef.size();
        } else {
            out += trimmed[i++];
        }
    }
    return out;
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QString markerLine(const TCommentRect &note)
{
    const QChar blank = u' ';
    return kOpen + blank + QString::number(note.Rect.Left) + blank + QString::number(note.Rect.Top) + blank +
           QString::number(note.Rect.width()) + blank + QString::number(note.Rect.height()) + blank + note.Section +
           blank + (note.ShowText ? u'1' : u'0') + blank + writtenTitle(oneLineTitle(note.Title)) + kBar +
           replaceLineBreaks(note.Text, QStringLiteral("<br>")) + kClose + u'\n';
}
} // namespace

QString oneLineTitle(const QString &title) { return replaceLineBreaks(title, QStringLiteral(" ")); }

std::unique_ptr<TCommentRect> NewCommentRect(const QString &section, int x, int y)
{
    auto note = std::make_unique<TCommentRect>();
    note->Rect = Rect::fromSize(x, y, 100, 40);
    note->Section = section;
    note->Title = QStringLiteral("Note");
    note->Text = QStringLiteral("Note text");
    return note;
}

QString WriteCommentRects(const QString &notes, const CommentRectList &list)
{
    QString result = notes;
    if (list.empty())
        return result;
    if (!result.isEmpty() && !result.endsWith(u'\n'))
        result += u'\n';
    for (const auto &note : list)
        result += markerLine(*note);
    return result;
}

QString ExtractCommentRects(const QString &notes, CommentRectList &list)
{
    // The free text is gathered piece by piece: cutting each marker out of one string would
    // move the rest of the notes once per marker.
    QString result;
    qsizetype from = 0;
    while (from < notes.size()) {
        const qsizetype at = notes.indexOf(kOpen, from);
        if (at < 0)
            break;
        result += QStringView(notes).mid(from, at - from);
        auto note = std::make_unique<TCommentRect>();
        qsizetype p = at;
        ParseCommentMarker(notes, p, *note);
        list.push_back(std::move(note));
        from = p;
    }
    if (from == 0)
        return notes;
    result += QStringView(notes).mid(from);
    return result;
}

int ReadMarkerInt(QStringView text, qsizetype &p, int defaultValue)
{
    while (p < text.size() && !isDigit(text[p]))
        ++p;
    if (p >= text.size())
        return defaultValue;
    const qsizetype start = p;
    while (p < text.size() && isDigit(text[p]))
        ++p;
    const bool negative = start > 0 && text[start - 1] == u'-';
    bool ok = false;
    const qint64 magnitude = text.mid(start, p - start).toLongLong(&ok);
    if (!ok)
        return defaultValue;
    const qint64 value = negative ? -magnitude : magnitude;
    return value == clampToInt(value) ? int(value) : defaultValue;
}

QString ReadMarkerWord(QStringView text, qsizetype &p, const QString &defaultValue)
{
    while (p < text.size() && (text[p] == u' ' || text[p] == u'\t'))
        ++p;
    if (p >= text.size())
        return defaultValue;
    const qsizetype start = p;
    while (p < text.size() && text[p] != u' ' && text[p] != u'\t' && text[p] != u'\r' && text[p] != u'\n')
        ++p;
    return p > start ? text.mid(start, p - start).toString() : defaultValue;
}

void ParseCommentMarker(QStringView text, qsizetype &p, TCommentRect &note)
{
    // Everything is read from the marker's own line, so a damaged marker cannot take the
    // notes after it.
    qsizetype lineEnd = p;
    while (lineEnd < text.size() && text[lineEnd] != u'\n' && text[lineEnd] != u'\r')
        ++lineEnd;
    const QStringView line = text.left(lineEnd);
    p = std::min(p + kOpen.size(), lineEnd);

    const int left = ReadMarkerInt(line, p, 0);
    const int top = ReadMarkerInt(line, p, 0);
    const int width = ReadMarkerInt(line, p, 100);
    const int height = ReadMarkerInt(line, p, 40);
    note.Rect = Rect::fromSize(left, top, width, height);
    note.Section = ReadMarkerWord(line, p, QStringLiteral("preproc"));
    note.ShowText = ReadMarkerInt(line, p, 0) == 1;

    const qsizetype bar = line.indexOf(kBar, p);
    note.Title = readTitle(line.mid(p, (bar < 0 ? lineEnd : bar) - p));
    note.Text.clear();
    if (bar < 0) {
        p = lineEnd;
    } else {
        p = bar + kBar.size();
        const qsizetype close = line.indexOf(kClose, p);
        QString body = line.mid(p, (close < 0 ? lineEnd : close) - p).toString();
        note.Text = body.replace(QStringLiteral("<br>"), QStringLiteral("\n"), Qt::CaseInsensitive);
        p = close < 0 ? lineEnd : close + kClose.size();
    }
    // The line break that ends the marker, and nothing else.
    if (p < text.size() && text[p] == u'\r') {
        ++p;
        if (p < text.size() && text[p] == u'\n')
            ++p;
    } else if (p < text.size() && text[p] == u'\n') {
        ++p;
    }
}
