#pragma once
// The palettes across the top of the two diagram tabs: one button per component kind of the
// catalogue, a button "NOTE" and one button per script macro. A click adds a component, a
// macro component or a note to that tab's diagram at the top-left corner of the part in view,
// and makes the page modified.
#include "editors/grapheditor.h"

#include <QSize>
#include <QString>
class DiagramTab;
class QAbstractButton;
class QImage;
class QWidget;
class TComponentDescr;
class TGraphEditor;
class TWQFFile;
class TWQFItem;
class TWQFSection;
class WindowHost;

// round(48 x dpi / 96) x round(64 x dpi / 96), halves to even.
QSize paletteButtonSize(double screenDpi);
// A scroll bar's position in model units: position / (dpi / 96), halves to even.
int modelScrollPos(int position, double screenDpi);
// Where a new component lands for the model scroll position (h, v): the nearest point of the
// 32 x 26 grid.
Point gridLandingPoint(int h, int v);

// A new macro component's code from its macro's defaults, written as the component's "v"
// value; code stays empty for a component without a macro.
void ApplyMacro(const TWQFFile *doc, const TWQFSection *section, QString &code, TWQFItem *item);

class Palette {
public:
    Palette(WindowHost &window, double screenDpi);

    // The kinds of the catalogue, "NOTE", the macros: one row of buttons from the left; the
    // panel grows to hold them and never shrinks.
    void buildPalette(QWidget *panel);

    // The buttons' clicks; a button's "Tag" property is its index in the catalogue or the macro
    // list.
    void paletteButtonClick(QAbstractButton *sender);
    void macroButtonClick(QAbstractButton *sender);
    void noteButtonClick(QAbstractButton *sender);

private:
    QAbstractButton *placePaletteButton(QWidget *panel, int &left, const QImage *glyph, const QString &caption);
    // The pre-process tab for a button of its palette, the post-process tab for any other.
    DiagramTab &tabOf(const QAbstractButton *sender) const;
    // The scroll position of the tab's diagram in model units.
    Point modelScrollOf(const DiagramTab &tab) const;
    // A new component of the type at the end of the section with the kind's value elements, at
    // the landing point of the tab; none, with a message, when the kind cannot make them.
    TWQFItem *addComponent(const DiagramTab &tab, TWQFSection *section, const TComponentDescr &kind,
                           const QString &type, bool withDefaults);
    // The diagram shows what was added.
    void added(TGraphEditor *editor);

    WindowHost &m_window;
    double m_screenDpi;
};
