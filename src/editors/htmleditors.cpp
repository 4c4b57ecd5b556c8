// The hidden HTML-UI and HTML-Table views of the form controls.
#include "htmleditors.h"

#include "htmlctrldrawer.h"

void THTMLEditorSource::SetControls(const HTMLControlList &List)
{
    m_controls.clear();
    m_controls.reserve(List.size());
    for (const std::unique_ptr<THTMLControl> &control : List)
        m_controls.push_back(control.get());
}

void THTMLEditorSource::GetItems(DataList &List)
{
    for (THTMLControl *control : m_controls)
        List.push_back(control);
}

void THTMLEditorSource::GetItemInfo(void *Data, Rect &R, bool &, QString &)
{
    AbsoluteBounds(static_cast<const THTMLControl *>(Data), R);
}

void THTMLEditorSource::MoveItem(void *, int, int) {}

void THTMLEditorSource::PaintItem(DrawingSurface &canvas, void *Data, int X, int Y, bool, const TGraphPaintInfo &)
{
    TDrawHMTLControl::Draw(*static_cast<const THTMLControl *>(Data), canvas, X, Y);
}

THTMLEditor::THTMLEditor(TImage *Host, QScrollBar *HScrollBar, QScrollBar *VScrollBar,
                         std::unique_ptr<THTMLEditorSource> Source)
    : TImageGraphEditor(Host, HScrollBar, VScrollBar, std::move(Source))
{}

THTMLEditor::THTMLEditor(TImage *Host, QScrollBar *HScrollBar, QScrollBar *VScrollBar, THTMLEditorSource *Source)
    : TImageGraphEditor(Host, HScrollBar, VScrollBar, Source)
{}
