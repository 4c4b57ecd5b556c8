#pragma once
// Model geometry: right and bottom are exclusive (unlike QRect::right()).
#include "mathutils.h"

#include <QRect>

struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    static Rect FromSize(int l, int t, int w, int h) { return Rect(l, t, ClampedAdd(l, w), ClampedAdd(t, h)); }

    int Width() const { return ClampedSub(Right, Left); }
    int Height() const { return ClampedSub(Bottom, Top); }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    Rect Offset(int dx, int dy) const
    {
        return Rect(ClampedAdd(Left, dx), ClampedAdd(Top, dy), ClampedAdd(Right, dx), ClampedAdd(Bottom, dy));
    }
    QRect toQRect() const { return QRect(Left, Top, Width(), Height()); }
    friend bool operator==(const Rect &, const Rect &) = default;
};
