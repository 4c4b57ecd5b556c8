#pragma once
// Character-set scanners over a text, and the reading of inline CSS built on them.
// Positions are 1-based; a UTF-8 text is scanned byte by byte.
#include "base/rect.h"
#include "base/stringlist.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <string_view>

// A set of byte values.
class CharSet {
public:
    constexpr CharSet() = default;
    constexpr explicit CharSet(std::string_view members)
    {
        for (char c : members)
            add(static_cast<unsigned char>(c));
    }
    static constexpr CharSet range(unsigned char first, unsigned char last)
    {
        CharSet s;
        for (unsigned c = first; c <= last; ++c)
            s.add(static_cast<unsigned char>(c));
        return s;
    }

    constexpr bool contains(unsigned char c) const { return m_members[c]; }
    constexpr bool contains(char c) const { return contains(static_cast<unsigned char>(c)); }
    // A UTF-16 unit above 255 is never a member.
    constexpr bool contains(char16_t c) const { return c < 256 && contains(static_cast<unsigned char>(c)); }
    constexpr bool contains(QChar c) const { return contains(c.unicode()); }

    constexpr CharSet operator|(const CharSet &o) const
    {
        CharSet s;
        for (size_t i = 0; i < m_members.size(); ++i)
            s.m_members[i] = m_members[i] || o.m_members[i];
        return s;
    }
    constexpr CharSet operator~() const
    {
        CharSet s;
        for (size_t i = 0; i < m_members.size(); ++i)
            s.m_members[i] = !m_members[i];
        return s;
    }
    friend constexpr bool operator==(const CharSet &, const CharSet &) = default;

private:
    constexpr void add(unsigned char c) { m_members[c] = true; }
    // One entry per byte value: a scan's membership test is then a single load.
    std::array<bool, 256> m_members{};
};

// Tab, line feed, carriage return and space: nothing else counts as a blank.
inline constexpr CharSet blankChars{"\t\n\r "};
inline constexpr CharSet digitChars = CharSet::range('0', '9');
inline constexpr CharSet letterChars = CharSet::range('A', 'Z') | CharSet::range('a', 'z');

// The run of members of set from pos on; pos then stands on the first character after it
// (length + 1 at the end). A pos below 1 or past the end gives '' and stays as it is.
QByteArray TakeWhile(const QByteArray &text, qsizetype &pos, const CharSet &set);
QString TakeWhile(const QString &text, qsizetype &pos, const CharSet &set);
// The same for the run of characters that are not members, so pos stops on a member.
QByteArray TakeUntil(const QByteArray &text, qsizetype &pos, const CharSet &set);
QString TakeUntil(const QString &text, qsizetype &pos, const CharSet &set);

// The 1-based position after the run of members (or, with members false, of non-members)
// from pos on; pos itself when it is outside the text.
template <class Char>
inline qsizetype skipRun(const Char *data, qsizetype size, qsizetype pos, const CharSet &set, bool members)
{
    if (pos < 1 || pos > size)
        return pos;
    qsizetype end = pos - 1;
    while (end < size && set.contains(data[end]) == members)
        ++end;
    return end + 1;
}
// The position-only forms, for scanners that keep spans instead of copies: where TakeWhile
// and TakeUntil would leave pos.
inline qsizetype skipWhile(QByteArrayView text, qsizetype pos, const CharSet &set)
{
    return skipRun(text.data(), text.size(), pos, set, true);
}
inline qsizetype skipUntil(QByteArrayView text, qsizetype pos, const CharSet &set)
{
    return skipRun(text.data(), text.size(), pos, set, false);
}

// The leading run of signs and digits read as a decimal int ("10px" gives 10), else
// defaultValue (" 10", "auto", "3-4", out of range).
int LeadingInt(QStringView text, int defaultValue);

// Stores each name:value of a style text in list by its name=value rules. A name is letters,
// digits and '_', so "margin-top:5px" is stored as margin=5px; an empty value removes the
// name's line. The list is not cleared first; nothing happens without a list.
void ParseStyle(const QByteArray &text, StringList *list);
void ParseStyle(const QString &text, StringList *list);

// Left, top, width and height of a parsed style (names without case, each 0 when missing);
// sums are clamped to the int range.
Rect StyleToRect(const StringList &list);
