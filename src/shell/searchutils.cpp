#include "searchutils.h"

#include <cstring>

namespace {
constexpr TByteSet makeWordDelimiters()
{
    TByteSet set;
    set.IncludeRange(0, 32);
    set.Include(33);
    set.IncludeRange(35, 38);
    set.IncludeRange(40, 47);
    set.IncludeRange(59, 62);
    set.Include(64);
    set.IncludeRange(91, 94);
    set.Include(124);
    set.Include(255);
    return set;
}
constexpr TByteSet kWordDelimiters = makeWordDelimiters();

bool isWholeWordAt(std::string_view text, size_t at, size_t length, const TByteSet &delimiters)
{
    if (at > 0 && !delimiters.Contains(static_cast<unsigned char>(text[at - 1])))
        return false;
    const size_t after = at + length;
    return after >= text.size() || delimiters.Contains(static_cast<unsigned char>(text[after]));
}

void addPosition(qsizetype &count, TDynIntegerArray &positions, qsizetype position)
{
    if (size_t(count) >= positions.size())
        positions.resize(positions.empty() ? 4 : positions.size() * 2);
    positions[size_t(count++)] = position;
}
} // namespace

const TByteSet &WordDelimiters() { return kWordDelimiters; }

QByteArray UpperCaseAsciiBytes(QByteArray Text)
{
    char *p = Text.data();
    const qsizetype n = Text.size();
    for (qsizetype i = 0; i < n; ++i)
        if (p[i] >= 'a' && p[i] <= 'z')
            p[i] = char(p[i] - ('a' - 'A'));
    return Text;
}

void FindAll(std::string_view Text, std::string_view Pattern, bool WholeWord, bool FirstOnly,
             const TByteSet &Delimiters, qsizetype &Count, TDynIntegerArray &Positions)
{
    Count = 0;
    if (Text.empty() || Pattern.empty() || Text.size() < Pattern.size())
        return;
    const char first = Pattern[0];
    const size_t rest = Pattern.size() - 1;
    const size_t last = Text.size() - Pattern.size(); // the last place a hit can start, 0-based
    size_t p = 0;
    while (p <= last) {
        // The first byte decides most places; memchr skips the others in bulk.
        const void *found = std::memchr(Text.data() + p, first, last - p + 1);
        if (!found)
            return;
        p = size_t(static_cast<const char *>(found) - Text.data());
        if (std::memcmp(Text.data() + p + 1, Pattern.data() + 1, rest) != 0 ||
            (WholeWord && !isWholeWordAt(Text, p, Pattern.size(), Delimiters))) {
            ++p;
            continue;
        }
        addPosition(Count, Positions, qsizetype(p) + 1);
        if (FirstOnly)
            return;
        p += Pattern.size();
    }
}
