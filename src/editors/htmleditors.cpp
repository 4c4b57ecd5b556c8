// The hidden HTML-UI and HTML-Table views of the form controls.
#include "htmleditors.h"

#include "htmlctrldrawer.h"

void THTMLEditorSource::SetControls(const HTMLControlList &list)
{
    m_controls.clear();
    m_controls.reserve(list.size());
    for (const std::unique_ptr<THTMLControl> &control : list)
        m_controls.push_back(control.get());
}

void THTMLEditorSource::GetItems(DataList &list)
{
    for (THTMLControl *control : m_controls)
        list.push_back(control);
}

void THTMLEditorSource::GetItemInfo(void *data, Rect &r, bool &, QString &)
{
    AbsoluteBounds(static_cast<const THTMLControl *>(data), r);
}

void THTMLEditorSource::MoveItem(void *, int, int) {}

void THTMLEditorSource::PaintItem(DrawingSurface &canvas, void *data, int x, int y, bool, const TGraphPaintInfo &)
{
    TDrawHMTLControl::Draw(*static_cast<const THTMLControl *>(data), canvas, x, y);
}

THTMLEditor::THTMLEditor(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                         std::unique_ptr<THTMLEditorSource> source)
    : TImageGraphEditor(host, hScrollBar, vScrollBar, std::move(source))
{}

THTMLEditor::THTMLEditor(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar, THTMLEditorSource *source)
    : TImageGraphEditor(host, hScrollBar, vScrollBar, source)
{}
