// Trimming, number parsing and ASCII case routines whose exact results files rely on.
#include "textutils.h"

#include <algorithm>
#include <cstdint>

namespace {
bool isTrimmed(QChar c) { return c.unicode() <= 0x20; }
} // namespace

QString trim(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isTrimmed(s[b]))
        ++b;
    while (e > b && isTrimmed(s[e - 1]))
        --e;
    return s.mid(b, e - b).toString();
}

QString trimLeft(QStringView s)
{
    qsizetype b = 0;
    while (b < s.size() && isTrimmed(s[b]))
        ++b;
    return s.mid(b).toString();
}

QString trimRight(QStringView s)
{
    qsizetype e = s.size();
    while (e > 0 && isTrimmed(s[e - 1]))
        --e;
    return s.left(e).toString();
}

bool tryStrToInt(QStringView s, int &value)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && (s[i] == u' ' || s[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n) {
        const char16_t c = s[i].unicode();
        if (c == '$' || c == 'x' || c == 'X') {
            base = 16;
            ++i;
        } else if (c == '%') {
            base = 2;
            ++i;
        } else if (c == '&') {
            base = 8;
            ++i;
        } else if (c == '0' && i + 1 < n && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
            base = 16;
            i += 2;
        }
    }
    if (i >= n)
        return false;
    // Decimal numbers are range-checked as signed; other bases may use all 32 bits.
    const uint64_t limit = base == 10 ? (negative ? 0x80000000ULL : 0x7FFFFFFFULL) : 0xFFFFFFFFULL;
    uint64_t acc = 0;
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        if (digit >= base)
            return false;
        acc = acc * uint64_t(base) + uint64_t(digit);
        if (acc > limit)
            return false;
    }
    uint32_t bits = uint32_t(acc);
    if (negative)
        bits = 0u - bits;
    value = int32_t(bits);
    return true;
}

int strToIntDef(QStringView s, int defaultValue)
{
    int v;
    return tryStrToInt(s, v) ? v : defaultValue;
}

bool tryDecimalToInt(QStringView s, int &value)
{
    const QStringView digits = (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) ? s.mid(1) : s;
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    return tryStrToInt(s, value);
}

QString upperCaseAscii(QStringView s)
{
    QString r = s.toString();
    for (QChar &c : r)
        c = QChar(upCaseAscii(c.unicode()));
    return r;
}

QString lowerCaseAscii(QStringView s)
{
    QString r = s.toString();
    for (QChar &c : r)
        c = QChar(lowCaseAscii(c.unicode()));
    return r;
}

int compareTextAscii(QStringView a, QStringView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int ca = upCaseAscii(a[i].unicode()), cb = upCaseAscii(b[i].unicode());
        if (ca != cb)
            return ca - cb;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool sameTextAscii(QStringView a, QStringView b) { return a.size() == b.size() && compareTextAscii(a, b) == 0; }
