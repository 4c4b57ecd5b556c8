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
    constexpr void include(unsigned char c) { m_in[c] = true; }
    constexpr void includeRange(unsigned char from, unsigned char to)
    {
        for (unsigned c = from; c <= to; ++c)
            m_in[c] = true;
    }
    constexpr bool contains(unsigned char c) const { return m_in[c]; }

private:
    std::array<bool, 256> m_in{};
};

// The bytes that end a word for the whole-word test: the control characters and the blank,
// ! # $ % & ( ) * + , - . / ; < = > @ [ \ ] ^ | and 255. Quotes, the colon, the question
// mark, the underscore, the grave accent, braces, tilde, DEL and 128 to 254 belong to words.
const ByteSet &WordDelimiters();

// Copy of text with a to z upper-cased, every other byte unchanged.
QByteArray upperCaseAsciiBytes(QByteArray text);
// The same into target, whose room is kept for the next text.
void upperCaseAsciiInto(const QByteArray &text, QByteArray &target);

// The 0-based place of the first pattern in text at from or after, -1 when there is none or
// pattern is empty.
qsizetype findFrom(std::string_view text, std::string_view pattern, size_t from);

// findFrom in the upper-cased Text without an upper-cased copy of all of it: a block at a
// time is upper-cased into a buffer of its own, so a large text is read once and the buffer
// stays in the cache.
class UpperCaseFinder {
public:
    // upperPattern is upper-cased already; both views must outlive the finder.
    UpperCaseFinder(std::string_view text, std::string_view upperPattern);
    qsizetype findFrom(size_t from);

private:
    void load(size_t from);

    std::string_view m_text;
    std::string_view m_pattern;
    std::vector<char> m_block;
    size_t m_blockStart = 0;
    size_t m_blockLength = 0; // the bytes held, the pattern's length - 1 beyond the block
    bool m_loaded = false;
};

// The positions of pattern in text, left to right, hits not overlapping; with wholeWord only
// hits whose neighbours inside the text are delimiters; with firstOnly the first hit alone.
// Count receives the number of hits, held in positions[0 .. Count - 1]; positions is reused
// (grown to 4, then doubled) and may stay longer than count.
void FindAll(std::string_view text, std::string_view pattern, bool wholeWord, bool firstOnly, const ByteSet &delimiters,
             qsizetype &count, TDynIntegerArray &positions);
inline void FindAll(const QByteArray &text, const QByteArray &pattern, bool wholeWord, bool firstOnly,
                    const ByteSet &delimiters, qsizetype &count, TDynIntegerArray &positions)
{
    FindAll(std::string_view(text.constData(), size_t(text.size())),
            std::string_view(pattern.constData(), size_t(pattern.size())), wholeWord, firstOnly, delimiters, count,
            positions);
}
