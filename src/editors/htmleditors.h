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
    // Shows the controls of list instead; the owner rebuilds the editor afterwards.
    void SetControls(const HTMLControlList &list);

    void GetItems(DataList &list) override;
    // The control's box in the coordinates of the page.
    void GetItemInfo(void *data, Rect &r, bool &groupable, QString &caption) override;
    void MoveItem(void *data, int dx, int dy) override;
    // The box at x, y; the selection is not drawn.
    void PaintItem(DrawingSurface &canvas, void *data, int x, int y, bool selected,
                   const TGraphPaintInfo &info) override;

private:
    std::vector<THTMLControl *> m_controls;
};

// The editor on the HTML-UI tab's image and its two scroll bars.
class THTMLEditor : public TImageGraphEditor {
public:
    // The editor owns the source.
    THTMLEditor(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                std::unique_ptr<THTMLEditorSource> source);
    // The source stays the caller's.
    THTMLEditor(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar, THTMLEditorSource *source);
};
