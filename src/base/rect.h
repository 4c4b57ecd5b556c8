#pragma once
// Model geometry: right and bottom are exclusive (unlike QRect::right()).
#include "mathutils.h"

#include <QRect>

struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), bottom(b) {}
    static Rect fromSize(int l, int t, int w, int h) { return Rect(l, t, clampedAdd(l, w), clampedAdd(t, h)); }

    int Width() const { return clampedSub(Right, Left); }
    int Height() const { return clampedSub(bottom, Top); }
    bool isEmpty() const { return Right <= Left || bottom <= Top; }
    bool contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < bottom; }
    Rect offset(int dx, int dy) const
    {
        return Rect(clampedAdd(Left, dx), clampedAdd(Top, dy), clampedAdd(Right, dx), clampedAdd(bottom, dy));
    }
    QRect toQRect() const { return QRect(Left, Top, Width(), Height()); }
    friend bool operator==(const Rect &, const Rect &) = default;
};
