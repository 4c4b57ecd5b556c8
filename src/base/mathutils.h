#pragma once
// Integer arithmetic for stored coordinates: rounding half to even, sums that cannot overflow.
#include "exception.h"

#include <cmath>
#include <cstdint>
#include <limits>

inline int64_t roundHalfEven(double v) { return int64_t(std::nearbyint(v)); }

inline int clampToInt(int64_t v)
{
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(v);
}

// Rounded to an int, clamped at the int range.
inline int roundToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(roundHalfEven(v));
}

inline int clampedAdd(int a, int b) { return clampToInt(int64_t(a) + int64_t(b)); }
inline int clampedSub(int a, int b) { return clampToInt(int64_t(a) - int64_t(b)); }

// Raises "Arithmetic overflow" where the result does not fit.
inline int checkedAdd(int a, int b)
{
    int r;
    if (__builtin_add_overflow(a, b, &r))
        throw ERunError::overflow();
    return r;
}
inline int checkedSub(int a, int b)
{
    int r;
    if (__builtin_sub_overflow(a, b, &r))
        throw ERunError::overflow();
    return r;
}
inline int checkedMul(int a, int b)
{
    int r;
    if (__builtin_mul_overflow(a, b, &r))
        throw ERunError::overflow();
    return r;
}
