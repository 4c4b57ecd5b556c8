// A line of the compiler's output: a place is found only on an error line, and row and column
// are never negative.
#include "editors/pascompiler.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QString line = input.text();
    int col = -1, row = -1;
    const bool place = ParseErrorLine(line, col, row);
    FUZZ_CHECK(col >= 0 && row >= 0, QStringLiteral("row %1 and column %2").arg(row).arg(col));
    FUZZ_CHECK(place || (col == 0 && row == 0), "a line without a place gives 0 and 0");
    FUZZ_CHECK(!place || (line.contains(QStringLiteral("[Error]")) && line.contains(u'(')),
               "a place is found only on an error line");
    return 0;
}
