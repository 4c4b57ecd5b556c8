// The HTML tokenizer: every token and every span it hands out lies inside the text, each step
// moves on, and the number of steps is bounded by the length of the text.
#include "fuzzcheck.h"
#include "model/htmlparsing.h"

namespace {
// A view inside the source, or an empty one.
bool inside(QByteArrayView view, const QByteArray &source)
{
    if (view.isEmpty())
        return true;
    const char *begin = source.constData();
    return view.data() >= begin && view.data() + view.size() <= begin + source.size();
}

// The same text: sharing the bytes of text answers at once, without reading them; every step
// asks, so comparing byte by byte would cost the text's length per token.
bool sameText(const QByteArray &source, const QByteArray &text)
{
    return (source.constData() == text.constData() && source.size() == text.size()) || source == text;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray text = input.bytes();
    // Also from a start inside the text, as the script block and the editors use it.
    for (const qsizetype start : {qsizetype(1), qsizetype(text.size() / 2 + 1)}) {
        TMarkupParser parser;
        parser.Init(text, start);
        qsizetype pos = parser.Pos();
        qsizetype steps = 0;
        bool more = true;
        while (more) {
            more = parser.Next();
            FUZZ_CHECK(++steps <= text.size() + 1, "tokenizing ends within one step per byte");
            const QByteArray &source = parser.Source();
            FUZZ_CHECK(sameText(source, text), "the tokenizer keeps its text");
            if (more || parser.TokenLength() > 0) {
                FUZZ_CHECK(parser.TokenStart() >= 1 && parser.TokenLength() >= 0 &&
                               parser.TokenStart() + parser.TokenLength() <= text.size() + 1,
                           QStringLiteral("the token lies inside the text: %1 + %2 of %3")
                               .arg(parser.TokenStart())
                               .arg(parser.TokenLength())
                               .arg(text.size()));
            }
            FUZZ_CHECK(!more || parser.Pos() > pos,
                       QStringLiteral("each token moves on: %1 after %2").arg(parser.Pos()).arg(pos));
            FUZZ_CHECK(parser.Pos() <= text.size() + 1, "the position stays within the text");
            pos = parser.Pos();
            FUZZ_CHECK(inside(parser.tagNameBytes(), source) && inside(parser.textBytes(), source),
                       "the tag name and the text are spans of the text");
            FUZZ_CHECK(parser.AttrCount() >= 0 && parser.AttrCount() <= parser.attrCapacity(),
                       "the attributes fit their room");
            for (int i = 0; i < parser.AttrCount(); ++i) {
                FUZZ_CHECK(inside(parser.attributeNameBytes(i), source) &&
                               inside(parser.attributeValueBytes(i), source),
                           "the attributes are spans of the text");
                FUZZ_CHECK(parser.attributeHasValue(i) || parser.attributeValueBytes(i).isEmpty(),
                           "an attribute without '=' has no value");
            }
            (void)parser.Text();
            (void)parser.PrevOpenTag();
        }
    }
    return 0;
}
