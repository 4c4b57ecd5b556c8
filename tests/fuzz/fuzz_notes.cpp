// Note markers in the editor notes: the notes read from a text, written back after its free
// text and read again, come back the same, and so does the free text.
#include "fuzzcheck.h"
#include "model/commentrects.h"

namespace {
QString describe(const CommentRectList &list)
{
    QString out;
    for (const auto &n : list)
        out += QStringLiteral("%1,%2,%3,%4 %5 %6 [%7] [%8]\n")
                   .arg(n->Rect.Left)
                   .arg(n->Rect.Top)
                   .arg(n->Rect.Right)
                   .arg(n->Rect.Bottom)
                   .arg(n->Section)
                   .arg(n->ShowText ? 1 : 0)
                   .arg(n->Title, n->Text);
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    CommentRectList read;
    const QString free = ExtractCommentRects(input.text(), read);
    // Free text that holds the marker's opening is read as a note: the format's own limit.
    if (free.contains(QStringLiteral("[[@@rect")))
        return 0;
    const QString written = WriteCommentRects(free, read);
    CommentRectList again;
    const QString freeAgain = ExtractCommentRects(written, again);
    FUZZ_CHECK(describe(again) == describe(read), "the notes read back:\n" + describe(read) + "as\n" + describe(again) +
                                                      "from \"" + fuzz::escaped(written) + '"');
    const bool lineFeedAdded = !read.empty() && !free.isEmpty() && !free.endsWith(u'\n');
    FUZZ_CHECK(freeAgain == (lineFeedAdded ? free + u'\n' : free),
               "the free text reads back: \"" + fuzz::escaped(freeAgain) + '"');
    return 0;
}
