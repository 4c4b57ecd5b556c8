#pragma once
// Text routines whose exact behaviour stored files and other programs rely on.
#include <QString>
#include <QStringView>

// Removes characters up to U+0020 from both ends (not the Unicode notion of blanks).
QString trim(QStringView s);
QString trimLeft(QStringView s);
QString trimRight(QStringView s);

// Integer conversion with the run-time library's rules: leading blanks and tabs, a sign,
// "$", "x", "0x" (hex), "%" (binary) and "&" (octal) prefixes; nothing may follow the digits.
bool tryStrToInt(QStringView s, int &value);
int strToIntDef(QStringView s, int defaultValue);
// A decimal number only: an optional sign and digits, nothing before or after.
bool tryDecimalToInt(QStringView s, int &value);

// Case mapping and comparison by ASCII rules only; other characters stay as they are.
QString upperCaseAscii(QStringView s);
QString lowerCaseAscii(QStringView s);
bool sameTextAscii(QStringView a, QStringView b);
int compareTextAscii(QStringView a, QStringView b);
inline char16_t upCaseAscii(char16_t c) { return (c >= 'a' && c <= 'z') ? char16_t(c - 32) : c; }
inline char16_t lowCaseAscii(char16_t c) { return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c; }

// Byte-level UTF-8, for texts the editors hand over as bytes: whether a byte continues a
// character, and how many bytes a character takes after its lead byte.
inline bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
inline int utf8SequenceLength(char lead)
{
    const auto c = static_cast<unsigned char>(lead);
    return c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
}
