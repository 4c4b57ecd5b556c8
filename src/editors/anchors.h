#pragma once
// Edges of a control held at their distance from the parent's edges when the parent is
// resized, as a form designer's anchors do: left and right together stretch the control,
// right alone moves it; the same for top and bottom. Qt's layouts would place the rows
// themselves; the property panel places them by hand and only needs them to follow the width.
#include <QFlags>

class QWidget;

enum Anchor : unsigned { akLeft = 0x1, akTop = 0x2, akRight = 0x4, akBottom = 0x8 };
Q_DECLARE_FLAGS(Anchors, Anchor)
Q_DECLARE_OPERATORS_FOR_FLAGS(Anchors)

// The distances are taken from the control's geometry in its parent now; set the geometry
// first. Left and top alone (the default) leave the control where it is.
void setAnchors(QWidget *control, Anchors edges);
Anchors getAnchors(const QWidget *control);
