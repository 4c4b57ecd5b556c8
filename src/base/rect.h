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
    static Rect fromSize(int l, int t, int w, int h) { return Rect(l, t, clampedAdd(l, w), clampedAdd(t, h)); }

    int width() const { return clampedSub(Right, Left); }
    int height() const { return clampedSub(Bottom, Top); }
    bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    bool contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    Rect offset(int dx, int dy) const
    {
        return Rect(clampedAdd(Left, dx), clampedAdd(Top, dy), clampedAdd(Right, dx), clampedAdd(Bottom, dy));
    }
    QRect toQRect() const { return QRect(Left, Top, width(), height()); }
    friend bool operator==(const Rect &, const Rect &) = default;
};
