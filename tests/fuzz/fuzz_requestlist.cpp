// A pasted platform answer: the readable lines never hold a line break, a "||" or a "<br>",
// and every answer, well-formed or not, is taken without harm.
#include "fuzzcheck.h"
#include "model/requestlisttext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QString text = input.text();
    QStringList lines{QStringLiteral("untouched")};
    if (!FillRequestList(text, &lines)) {
        FUZZ_CHECK(lines == QStringList{"untouched"}, "a refused answer leaves the lines");
        return 0;
    }
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n') && !line.contains(QStringLiteral("||")) &&
                       !line.contains(QStringLiteral("<br>")),
                   "a line is one readable line: \"" + fuzz::escaped(line) + '"');
    return 0;
}
