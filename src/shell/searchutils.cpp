#include "searchutils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr ByteSet makeWordDelimiters()
{
    ByteSet set;
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
constexpr ByteSet kWordDelimiters = makeWordDelimiters();

bool isWholeWordAt(std::string_view text, size_t at, size_t length, const ByteSet &delimiters)
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

const ByteSet &WordDelimiters() { return kWordDelimiters; }

namespace {
// a to z upper-cased in Count bytes, eight at a time: bit 7 of each byte marks a lower-case
// ASCII letter, shifted down to the case bit.
void upperCaseAscii(const char *From, char *To, size_t Count)
{
    constexpr uint64_t ones = 0x0101010101010101ULL;
    size_t i = 0;
    for (; i + 8 <= Count; i += 8) {
        uint64_t x;
        std::memcpy(&x, From + i, 8);
        const uint64_t low7 = x & (0x7f * ones);
        const uint64_t fromA = low7 + (0x80 - 'a') * ones;
        const uint64_t beyondZ = low7 + (0x80 - 'z' - 1) * ones;
        const uint64_t lower = fromA & ~beyondZ & ~x & (0x80 * ones);
        x ^= lower >> 2;
        std::memcpy(To + i, &x, 8);
    }
    for (; i < Count; ++i)
        To[i] = (From[i] >= 'a' && From[i] <= 'z') ? char(From[i] - ('a' - 'A')) : From[i];
}

constexpr size_t kUpperBlock = 64 * 1024;
} // namespace

void UpperCaseAsciiInto(const QByteArray &Text, QByteArray &Target)
{
    Target.resize(Text.size());
    upperCaseAscii(Text.constData(), Target.data(), size_t(Text.size()));
}

qsizetype FindFrom(std::string_view Text, std::string_view Pattern, size_t From)
{
    if (Pattern.empty() || Text.size() < Pattern.size())
        return -1;
    const char first = Pattern[0];
    const size_t rest = Pattern.size() - 1;
    const size_t last = Text.size() - Pattern.size(); // the last place a hit can start
    const char *data = Text.data();
    for (size_t p = From; p <= last; ++p) {
        // The first byte decides most places; memchr skips the others in bulk.
        const void *found = std::memchr(data + p, first, last - p + 1);
        if (!found)
            return -1;
        p = size_t(static_cast<const char *>(found) - data);
        if (std::memcmp(data + p + 1, Pattern.data() + 1, rest) == 0)
            return qsizetype(p);
    }
    return -1;
}

QByteArray UpperCaseAsciiBytes(QByteArray Text)
{
    upperCaseAscii(Text.constData(), Text.data(), size_t(Text.size()));
    return Text;
}

UpperCaseFinder::UpperCaseFinder(std::string_view Text, std::string_view UpperPattern)
    : m_text(Text), m_pattern(UpperPattern)
{}

void UpperCaseFinder::load(size_t From)
{
    m_blockStart = From;
    m_blockLength = std::min(m_text.size() - From, kUpperBlock + m_pattern.size() - 1);
    m_block.resize(m_blockLength);
    upperCaseAscii(m_text.data() + From, m_block.data(), m_blockLength);
    m_loaded = true;
}

qsizetype UpperCaseFinder::FindFrom(size_t From)
{
    if (m_pattern.empty() || m_text.size() < m_pattern.size())
        return -1;
    const size_t last = m_text.size() - m_pattern.size();
    while (From <= last) {
        if (!m_loaded || From < m_blockStart || From >= m_blockStart + kUpperBlock)
            load(From);
        // The block holds every hit that starts inside it, up to its last byte.
        const qsizetype hit =
            ::FindFrom(std::string_view(m_block.data(), m_blockLength), m_pattern, From - m_blockStart);
        if (hit >= 0 && size_t(hit) < kUpperBlock)
            return qsizetype(m_blockStart) + hit;
        From = m_blockStart + kUpperBlock;
    }
    return -1;
}

void FindAll(std::string_view Text, std::string_view Pattern, bool WholeWord, bool FirstOnly, const ByteSet &Delimiters,
             qsizetype &Count, TDynIntegerArray &Positions)
{
    Count = 0;
    if (Text.empty())
        return;
    size_t p = 0;
    for (qsizetype hit; (hit = FindFrom(Text, Pattern, p)) >= 0;) {
        p = size_t(hit);
        if (WholeWord && !isWholeWordAt(Text, p, Pattern.size(), Delimiters)) {
            ++p;
            continue;
        }
        addPosition(Count, Positions, qsizetype(p) + 1);
        if (FirstOnly)
            return;
        p += Pattern.size();
    }
}
