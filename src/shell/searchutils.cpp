// What a search asks for, and the byte-wise search.
#include "searchutils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr ByteSet makeWordDelimiters()
{
    ByteSet set;
    set.includeRange(0, 32);
    set.include(33);
    set.includeRange(35, 38);
    set.includeRange(40, 47);
    set.includeRange(59, 62);
    set.include(64);
    set.includeRange(91, 94);
    set.include(124);
    set.include(255);
    return set;
}
constexpr ByteSet kWordDelimiters = makeWordDelimiters();

bool isWholeWordAt(std::string_view text, size_t at, size_t length, const ByteSet &delimiters)
{
    if (at > 0 && !delimiters.contains(static_cast<unsigned char>(text[at - 1])))
        return false;
    const size_t after = at + length;
    return after >= text.size() || delimiters.contains(static_cast<unsigned char>(text[after]));
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
// a to z upper-cased in count bytes, eight at a time: bit 7 of each byte marks a lower-case
// ASCII letter, shifted down to the case bit.
void upperCaseAscii(const char *from, char *to, size_t count)
{
    constexpr uint64_t ones = 0x0101010101010101ULL;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t x;
        std::memcpy(&x, from + i, 8);
        const uint64_t low7 = x & (0x7f * ones);
        const uint64_t fromA = low7 + (0x80 - 'a') * ones;
        const uint64_t beyondZ = low7 + (0x80 - 'z' - 1) * ones;
        const uint64_t lower = fromA & ~beyondZ & ~x & (0x80 * ones);
        x ^= lower >> 2;
        std::memcpy(to + i, &x, 8);
    }
    for (; i < count; ++i)
        to[i] = (from[i] >= 'a' && from[i] <= 'z') ? char(from[i] - ('a' - 'A')) : from[i];
}

constexpr size_t kUpperBlock = 64 * 1024;
} // namespace

void upperCaseAsciiInto(const QByteArray &text, QByteArray &target)
{
    target.resize(text.size());
    upperCaseAscii(text.constData(), target.data(), size_t(text.size()));
}

qsizetype findFrom(std::string_view text, std::string_view pattern, size_t from)
{
    if (pattern.empty() || text.size() < pattern.size())
        return -1;
    const char first = pattern[0];
    const size_t rest = pattern.size() - 1;
    const size_t last = text.size() - pattern.size(); // the last place a hit can start
    const char *data = text.data();
    for (size_t p = from; p <= last; ++p) {
        // The first byte decides most places; memchr skips the others in bulk.
        const void *found = std::memchr(data + p, first, last - p + 1);
        if (!found)
            return -1;
        p = size_t(static_cast<const char *>(found) - data);
        if (std::memcmp(data + p + 1, pattern.data() + 1, rest) == 0)
            return qsizetype(p);
    }
    return -1;
}

QByteArray upperCaseAsciiBytes(QByteArray text)
{
    upperCaseAscii(text.constData(), text.data(), size_t(text.size()));
    return text;
}

UpperCaseFinder::UpperCaseFinder(std::string_view text, std::string_view upperPattern)
    : m_text(text), m_pattern(upperPattern)
{}

void UpperCaseFinder::load(size_t from)
{
    m_blockStart = from;
    m_blockLength = std::min(m_text.size() - from, kUpperBlock + m_pattern.size() - 1);
    m_block.resize(m_blockLength);
    upperCaseAscii(m_text.data() + from, m_block.data(), m_blockLength);
    m_loaded = true;
}

qsizetype UpperCaseFinder::findFrom(size_t from)
{
    if (m_pattern.empty() || m_text.size() < m_pattern.size())
        return -1;
    const size_t last = m_text.size() - m_pattern.size();
    while (from <= last) {
        if (!m_loaded || from < m_blockStart || from >= m_blockStart + kUpperBlock)
            load(from);
        // The block holds every hit that starts inside it, up to its last byte.
        const qsizetype hit =
            ::findFrom(std::string_view(m_block.data(), m_blockLength), m_pattern, from - m_blockStart);
        if (hit >= 0 && size_t(hit) < kUpperBlock)
            return qsizetype(m_blockStart) + hit;
        from = m_blockStart + kUpperBlock;
    }
    return -1;
}

void FindAll(std::string_view text, std::string_view pattern, bool wholeWord, bool firstOnly, const ByteSet &delimiters,
             qsizetype &count, TDynIntegerArray &positions)
{
    count = 0;
    if (text.empty())
        return;
    size_t p = 0;
    for (qsizetype hit; (hit = findFrom(text, pattern, p)) >= 0;) {
        p = size_t(hit);
        if (wholeWord && !isWholeWordAt(text, p, pattern.size(), delimiters)) {
            ++p;
            continue;
        }
        addPosition(count, positions, qsizetype(p) + 1);
        if (firstOnly)
            return;
        p += pattern.size();
    }
}
