#pragma once
// Text extents in pixels without a window. Everything that measures text for the model uses
// the one shared canvas below, so a width never depends on the screen or on who measured.
#include <QFont>
#include <QPainter>
#include <QSize>
#include <QString>

// The shared canvas: a painter on a hidden 1 x 1 image at 96 dots per inch whose font
// starts as "Arial" size 10. Made on first use (the application object must exist) and
// freed with the application. GUI thread only.
QPainter *MeasureCanvas();

// The canvas takes over every property of font; nothing happens without a font.
void SetCanvasFont(QPainter *canvas, const QFont *font);
// Width and height of text in pixels on canvas, after SetCanvasFont(canvas, font).
QSize TextExtentOn(const QString &text, const QFont *font, QPainter *canvas);
// TextExtentOn on canvas, or on the shared canvas when none is given. A font given here stays
// on the canvas afterwards.
QSize MeasureText(const QString &text, const QFont *font = nullptr, QPainter *canvas = nullptr);
