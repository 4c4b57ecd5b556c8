// A page file, read both ways: a page that loads saves, its save loads again, and the second
// save equals the first. The content values set back into the page read back after a save.
#include "fuzzcheck.h"
#include "fuzzpage.h"
#include "model/commentrects.h"
#include "model/wqftypes.h"

#include <QBuffer>

using fuzz::lineEnds;
using fuzz::loadPage;
using fuzz::savePage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray bytes = input.bytes();
    // The declaration and final line break options follow the size, so both are tried.
    PageOptions extra;
    extra.setFlag(poForceHeader, size & 1);
    extra.setFlag(poClearEol, size & 2);
    for (const PageOptions reading : {PageOptions(), PageOptions(poWhitespace)}) {
        const PageOptions options = reading | extra;
        TWQFFile first;
        if (!loadPage(first, bytes, options)) {
            FUZZ_CHECK(!first.LastError().isEmpty(), "a failed load names its reason");
            continue;
        }
        QByteArray saved;
        if (!savePage(first, options, saved)) {
            FUZZ_CHECK(first.LastError().startsWith("The page is too deeply nested to write indented"),
                       "a page that loads also saves: " + first.LastError());
            continue;
        }
        TWQFFile second;
        FUZZ_CHECK(loadPage(second, saved, options), "the saved page loads again: " + second.LastError());
        QByteArray again;
        FUZZ_CHECK(savePage(second, options, again), "the reloaded page saves: " + second.LastError());
        FUZZ_CHECK(again == saved, "the second save equals the first:\n   first  \"" + fuzz::escaped(saved) +
                                       "\"\n   second \"" + fuzz::escaped(again) + '"');

        // What the window writes back at a save (the HTML, the notes with their markers, the
        // function name) comes back from the saved page.
        CommentRectList notes;
        const QString html = second.GetHtml();
        const QString freeNotes = ExtractCommentRects(second.GetEditorNotes(), notes);
        const QString name = second.GetFunctionName();
        // A blank name goes into plain text, which the standard reading drops.
        const bool blankName = name.trimmed().isEmpty();
        second.SetHtml(html);
        second.SetEditorNotes(WriteCommentRects(freeNotes, notes));
        second.SetFunctionName(name);
        const QString writtenNotes = second.GetEditorNotes();
        QByteArray edited;
        FUZZ_CHECK(savePage(second, options, edited), "the page saves after its values are set: " + second.LastError());
        TWQFFile third;
        FUZZ_CHECK(loadPage(third, edited, options), "the edited page loads: " + third.LastError());
        FUZZ_CHECK(lineEnds(third.GetHtml()) == lineEnds(html),
                   "the HTML reads back: \"" + fuzz::escaped(html) + "\" as \"" + fuzz::escaped(third.GetHtml()) + '"');
        FUZZ_CHECK(lineEnds(third.GetEditorNotes()) == lineEnds(writtenNotes), "the notes read back");
        FUZZ_CHECK(blankName || lineEnds(third.GetFunctionName()) == lineEnds(name), "the function name reads back");
    }
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    IsWQFStream(buffer);
    return 0;
}
