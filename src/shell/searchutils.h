#pragma once
// What a search asks for and the byte-wise search itself. Texts are searched as their UTF-8
// bytes, so positions are byte positions; case is the callers' concern, which upper-case
// both sides by ASCII rules when it does not matter.
#include <QByteArray>
#include <QString>

#include <array>
#include <string_view>
#include <vector>

// The base of a find dialog's extension: whatever the dialog's owner adds to it.
class TSearchExtension {
public:
    virtual ~TSearchExtension() = default;
};

struct TSearchOptions {
    QString SearchText;
    bool CaseSensitive = false;
    bool WholeWord = false;
    // The dialog's extension, not owned; none while the dialog has none.
    TSearchExtension *Extension = nullptr;
};

// 1-based byte positions.
using TDynIntegerArray = std::vector<qsizetype>;

// A set of byte values.
class ByteSet {
public:
    constexpr ByteSet() = default;
    constexpr void Include(unsigned char c) { m_in[c] = true; }
    constexpr void IncludeRange(unsigned char from, unsigned char to)
    {
        for (unsigned c = from; c <= to; ++c)
            m_in[c] = true;
    }
    constexpr bool Contains(unsigned char c) const { return m_in[c]; }

private:
    std::array<bool, 256> m_in{};
};

// The bytes that end a word for the whole-word test: the control characters and the blank,
// ! # $ % & ( ) * + , - . / ; < = > @ [ \ ] ^ | and 255. Quotes, the colon, the question
// mark, the underscore, the grave accent, braces, tilde, DEL and 128 to 254 belong to words.
const ByteSet &WordDelimiters();

// Copy of Text with a to z upper-cased, every other byte unchanged.
QByteArray UpperCaseAsciiBytes(QByteArray Text);
// The same into Target, whose room is kept for the next text.
void UpperCaseAsciiInto(const QByteArray &Text, QByteArray &Target);

// The 0-based place of the first Pattern in Text at From or after, -1 when there is none or
// Pattern is empty.
qsizetype FindFrom(std::string_view Text, std::string_view Pattern, size_t From);

// FindFrom in the upper-cased Text without an upper-cased copy of all of it: a block at a
// time is upper-cased into a buffer of its own, so a large text is read once and the buffer
// stays in the cache.
class UpperCaseFinder {
public:
    // UpperPattern is upper-cased already; both views must outlive the finder.
    UpperCaseFinder(std::string_view Text, std::string_view UpperPattern);
    qsizetype FindFrom(size_t From);

private:
    void load(size_t From);

    std::string_view m_text;
    std::string_view m_pattern;
    std::vector<char> m_block;
    size_t m_blockStart = 0;
    size_t m_blockLength = 0; // the bytes held, the pattern's length - 1 beyond the block
    bool m_loaded = false;
};

// The positions of Pattern in Text, left to right, hits not overlapping; with WholeWord only
// hits whose neighbours inside the text are delimiters; with FirstOnly the first hit alone.
// Count receives the number of hits, held in Positions[0 .. Count - 1]; Positions is reused
// (grown to 4, then doubled) and may stay longer than Count.
void FindAll(std::string_view Text, std::string_view Pattern, bool WholeWord, bool FirstOnly, const ByteSet &Delimiters,
             qsizetype &Count, TDynIntegerArray &Positions);
inline void FindAll(const QByteArray &Text, const QByteArray &Pattern, bool WholeWord, bool FirstOnly,
                    const ByteSet &Delimiters, qsizetype &Count, TDynIntegerArray &Positions)
{
    FindAll(std::string_view(Text.constData(), size_t(Text.size())),
            std::string_view(Pattern.constData(), size_t(Pattern.size())), WholeWord, FirstOnly, Delimiters, Count,
            Positions);
}
