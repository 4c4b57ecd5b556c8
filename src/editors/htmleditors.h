#pragma once
// The HTML-UI view: the page's form controls as boxes where the page lays them out, on a
// scrolling graph editor. It only shows: boxes can be selected and dragged, but a drag moves
// nothing.
#include "lclgrapheditor.h"
#include "model/htmlcontrols.h"

#include <memory>
#include <vector>

class THTMLEditorSource : public TGraphEditorSource {
public:
    // The controls shown, in list order; they stay their owner's, who must keep them alive
    // while they are listed here.
    const std::vector<THTMLControl *> &Controls() const { return m_controls; }
    // Shows the controls of List instead; the owner rebuilds the editor afterwards.
    void SetControls(const HTMLControlList &List);

    void GetItems(DataList &List) override;
    // The control's box in the coordinates of the page.
    void GetItemInfo(void *Data, Rect &R, bool &Groupable, QString &Caption) override;
    void MoveItem(void *Data, int DX, int DY) override;
    // The box at X, Y; the selection is not drawn.
    void PaintItem(DrawingSurface &canvas, void *Data, int X, int Y, bool Selected,
                   const TGraphPaintInfo &info) override;

private:
    std::vector<THTMLControl *> m_controls;
};

// The editor on the HTML-UI tab's image and its two scroll bars.
class THTMLEditor : public TImageGraphEditor {
public:
    // The editor owns the source.
    THTMLEditor(TImage *Host, QScrollBar *HScrollBar, QScrollBar *VScrollBar,
                std::unique_ptr<THTMLEditorSource> Source);
    // The source stays the caller's.
    THTMLEditor(TImage *Host, QScrollBar *HScrollBar, QScrollBar *VScrollBar, THTMLEditorSource *Source);
};
