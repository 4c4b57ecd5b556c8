#pragma once
// One HTML form control drawn as a box: a blue frame of its laid-out size and its caption in
// the font a draw style names.
#include "base/stringlist.h"
#include "grapheditor.h"

#include <QString>

class THTMLControl;

// Named drawing values: "color", "font-family", "font-size".
class TDrawStyle {
public:
    virtual ~TDrawStyle() = default;
    // Empty when the name is missing.
    virtual QString GetValue(const QString &name) const = 0;
    virtual void SetValue(const QString &name, const QString &value) = 0;
};

// The values as name=value lines whose names compare without case.
class TTextDrawStyle : public TDrawStyle {
public:
    QString GetValue(const QString &name) const override;
    // Replaces the value of the name, or appends a line for it.
    void SetValue(const QString &name, const QString &value) override;

    StringList Values;
};

// Black "Trebuchet MS" at size 10, for the whole program's life.
TTextDrawStyle &DefaultDrawStyle();

// The style's font on the canvas. The colour is read as the canvas takes it, its low byte
// red, so "#0000ff" is red. A size that is missing, not a number or not positive gives 12.
void ApplyFont(DrawingSurface &canvas, const TDrawStyle &style);

class TDrawHMTLControl {
public:
    TDrawHMTLControl() = delete;
    // The control's box with its top-left corner at x, y of the canvas: a blue frame, and
    // the caption at that corner. None for style takes the default style.
    static void Draw(const THTMLControl &control, DrawingSurface &canvas, int x, int y,
                     const TDrawStyle *style = nullptr);
};
