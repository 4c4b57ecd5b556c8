// Style texts: the bytes and the text read the same, the names are stored as one SetValue
// after another would store them, and the readers of lengths and colours take any text.
#include "fuzzcheck.h"
#include "model/htmlcontrols.h"
#include "model/stylescan.h"

namespace {
// The style scan with one SetValue per name, as it was first written.
void parseOneByOne(const QByteArray &text, StringList &list)
{
    const CharSet nameStart = letterChars | digitChars;
    const CharSet nameChars = nameStart | CharSet("_");
    qsizetype pos = 1;
    while (!text.isEmpty() && pos <= text.size()) {
        TakeUntil(text, pos, nameStart);
        const QByteArray name = TakeWhile(text, pos, nameChars);
        TakeUntil(text, pos, CharSet(":"));
        ++pos;
        TakeWhile(text, pos, blankChars);
        list.setValue(QString::fromUtf8(name), QString::fromUtf8(TakeUntil(text, pos, CharSet(";"))));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray bytes = input.bytes();
    const QStringList start{"left=1", "Top=2", "plain", "=x"};
    StringList fromBytes(start), expected(start);
    ParseStyle(bytes, &fromBytes);
    parseOneByOne(bytes, expected);
    FUZZ_CHECK(fromBytes == expected, "the names are stored as by SetValue: " + fromBytes.lines().join(u'|') +
                                          " instead of " + expected.lines().join(u'|'));
    const QString text = input.text();
    if (text.toUtf8() == bytes) {
        StringList fromText(start);
        ParseStyle(text, &fromText);
        FUZZ_CHECK(fromText == fromBytes, "the text reads as its bytes: " + fromText.lines().join(u'|'));
    }
    (void)StyleToRect(fromBytes);
    (void)LeadingInt(text, -1);
    (void)ParseHTMLColor(text);
    (void)ParseCSSLength(text, 3, 4);
    (void)StyleValue(text, QStringLiteral("width"));
    return 0;
}
