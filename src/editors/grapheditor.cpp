// The data-agnostic editor of boxes and arrows on a surface.
#include "grapheditor.h"

#include "base/exception.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

Rect normalizedRect(Point a, Point b)
{
    return Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y));
}

bool RectsTouch(const Rect &item, const Rect &band)
{
    return PointInRect(band, item.Left, item.Top) || PointInRect(band, item.Right, item.Top) ||
           PointInRect(band, item.Left, item.Bottom) || PointInRect(band, item.Right, item.Bottom) ||
           PointInRect(item, band.Left, band.Top) || PointInRect(item, band.Right, band.Bottom);
}

// ---- TGraphEditorSource ----

void TGraphEditorSource::PaintBackground(DrawingSurface &, int, int, const TGraphPaintInfo &) {}
void TGraphEditorSource::PaintItem(DrawingSurface &, void *, int, int, bool, const TGraphPaintInfo &) {}
void TGraphEditorSource::PaintOverlay(DrawingSurface &, int, int, const TGraphPaintInfo &) {}

// ---- TGraphEditor ----

TGraphEditor::TGraphEditor(std::unique_ptr<TGraphEditorSource> source)
    : m_ownedSource(std::move(source)), m_source(m_ownedSource.get())
{}

TGraphEditor::TGraphEditor(TGraphEditorSource *source) : m_source(source) {}

TGraphEditor::~TGraphEditor()
{
    // The source goes first: it may still hold data the items point at.
    m_ownedSource.reset();
    m_source = nullptr;
    m_items.clear();
}

TGraphEditorSource &TGraphEditor::source() const
{
    if (!m_source)
        throw ERunError::nilReference();
    return *m_source;
}

Point TGraphEditor::GetScrollPos() const { return m_scrollPos; }
void TGraphEditor::Invalidate() {}
void TGraphEditor::GraphSizeChanged() {}
void TGraphEditor::SelectionChanged() {}

void TGraphEditor::BeginUpdate()
{
    // A flag, not a counter: the first EndUpdate ends the batch.
    m_inUpdate = true;
    m_changed = false;
}

void TGraphEditor::EndUpdate()
{
    m_inUpdate = false;
    if (!m_changed)
        return;
    m_changed = false;
    DataList selected;
    GetSelected(&selected);
    Rebuild();
    const std::unordered_set<void *> wanted(selected.begin(), selected.end());
    int restored = 0;
    for (const auto &item : m_items) {
        if (wanted.count(item->Data)) {
            item->Selected = true;
            ++restored;
        }
    }
    if (restored == 1 || restored != int(selected.size()))
        SelectionChanged();
}

void TGraphEditor::SetScrollPos(Point p)
{
    m_scrollPos = p;
    Invalidate();
}

void TGraphEditor::ClearItems() { m_items.clear(); }

void TGraphEditor::Rebuild()
{
    if (m_inUpdate) {
        m_changed = true;
        return;
    }
    ClearItems();
    DataList list;
    try {
        source().GetItems(list);
        for (void *data : list) {
            if (!data)
                continue;
            auto item = std::make_unique<TGraphEditorItem>(data, Rect());
            source().GetItemInfo(data, item->Rect, item->Groupable, item->Caption);
            m_items.push_back(std::move(item));
        }
    } catch (...) {
        Invalidate();
        throw;
    }
    Invalidate();
}

void TGraphEditor::SetGraphSize(Point p)
{
    const bool changed = !(p == m_graphSize);
    m_graphSize = p;
    if (changed)
        GraphSizeChanged();
}

Point TGraphEditor::ClientToGraph(int x, int y) const
{
    return {clampedAdd(x, m_scrollPos.x), clampedAdd(y, m_scrollPos.y)};
}

Point TGraphEditor::GraphToClient(int x, int y) const
{
    return {clampedSub(x, m_scrollPos.x), clampedSub(y, m_scrollPos.y)};
}

TGraphEditorItem *TGraphEditor::Items(int index) const
{
    if (index < 0 || index >= ItemCount())
        throw ERunError::rangeCheck();
    return m_items[size_t(index)].get();
}

TGraphEditorItem *TGraphEditor::FindItem(void *data) const
{
    if (!data)
        return nullptr;
    for (const auto &item : m_items)
        if (item->Data == data)
            return item.get();
    return nullptr;
}

bool TGraphEditor::GetItemRect(void *data, Rect &r) const
{
    const TGraphEditorItem *item = FindItem(data);
    if (!item)
        return false;
    r = item->Rect;
    return true;
}

void *TGraphEditor::DataAt(int x, int y) const
{
    const Point p = ClientToGraph(x, y);
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (PointInRect((*it)->Rect, p.x, p.y))
            return (*it)->Data;
    return nullptr;
}

bool TGraphEditor::itemSelected(const TGraphEditorItem &item) const
{
    if (item.Selected)
        return true;
    // Items an Alt drag carries along: those beyond the press point on the axis of the move.
    if (!(m_mouseDown && m_altLock && item.BeyondDownPoint))
        return false;
    if (m_curPoint.x == m_downPoint.x && item.Rect.Bottom < m_downPoint.y)
        return false;
    if (m_curPoint.y == m_downPoint.y && item.Rect.Right < m_downPoint.x)
        return false;
    return true;
}

bool TGraphEditor::IsSelected(void *data) const
{
    const TGraphEditorItem *item = FindItem(data);
    return item && itemSelected(*item);
}

int TGraphEditor::SelectedCount() const
{
    return int(std::count_if(m_items.begin(), m_items.end(), [](const auto &item) { return item->Selected; }));
}

void TGraphEditor::GetSelected(DataList *list) const
{
    if (!list)
        return;
    for (const auto &item : m_items)
        if (item->Selected)
            list->push_back(item->Data);
}

void TGraphEditor::SetSelected(const DataList *list, bool value)
{
    bool changed = false;
    if (!list) {
        for (const auto &item : m_items)
            item->Selected = value;
        changed = true;
    } else if (!list->empty()) {
        // One walk over the items, so that selecting many costs no more than listing them.
        const std::unordered_set<void *> wanted(list->begin(), list->end());
        for (const auto &item : m_items)
            if (item->Selected != value && wanted.count(item->Data)) {
                item->Selected = value;
                changed = true;
            }
    }
    if (changed) {
        NotifySelection(true);
        Invalidate();
    }
}

void TGraphEditor::DropUngroupable()
{
    if (SelectedCount() < 2)
        return;
    for (const auto &item : m_items)
        if (item->Selected && !item->Groupable)
            item->Selected = false;
}

void TGraphEditor::NotifySelection(bool silent)
{
    DropUngroupable();
    SelectionChanged();
    if (!silent && OnSelectionChange)
        OnSelectionChange(this);
}

void TGraphEditor::MarkBeyond(Point p)
{
    for (const auto &item : m_items)
        item->BeyondDownPoint = item->Groupable && (item->Rect.Bottom > p.y || item->Rect.Right > p.x);
}

namespace {
// The scroll position along one axis that brings an item into the middle of the view.
int centredScroll(int scroll, int view, int lo, int hi)
{
    if (lo >= scroll && int64_t(lo) <= int64_t(scroll) + view)
        return scroll;
    const int64_t s = int64_t(lo) - (int64_t(view) - (int64_t(hi) - lo)) / 2;
    return clampToInt(std::max<int64_t>(0, s));
}
} // namespace

void TGraphEditor::ShowItem(void *data)
{
    const TGraphEditorItem *item = FindItem(data);
    if (!item)
        return;
    Point s = GetScrollPos();
    s.y = centredScroll(s.y, m_viewSize.y, item->Rect.Top, item->Rect.Bottom);
    s.x = centredScroll(s.x, m_viewSize.x, item->Rect.Left, item->Rect.Right);
    SetScrollPos(s);
    SetSelected(nullptr, false);
    const DataList only{data};
    SetSelected(&only, true);
}

void TGraphEditor::MouseEvent(int x, int y, MouseEventKind kind, Qt::MouseButton button, Qt::KeyboardModifiers shift)
{
    switch (kind) {
    case mekDown:
        mouseDown(x, y, button, shift);
        break;
    case mekUp:
        mouseUp(x, y, button, shift);
        break;
    case mekMove:
        mouseMove(x, y, shift);
        break;
    }
}

void TGraphEditor::mouseDown(int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers shift)
{
    // Shift-clicks belong to the window (exit linking).
    if (button != Qt::LeftButton || shift.testFlag(Qt::ShiftModifier))
        return;
    // A lock left over from a cancelled drag would make the press test against a stale point.
    m_altLock = false;
    m_mouseDown = true;
    m_downData = DataAt(x, y);
    m_downPoint = ClientToGraph(x, y);
    m_moved = false;
    if (!shift.testFlag(Qt::ControlModifier)) {
        if (!m_downData || !IsSelected(m_downData)) {
            if (SelectedCount() > 0) {
                SetSelected(nullptr, false);
                NotifySelection(false);
            }
        }
        // Looked up again: a selection handler may have rebuilt the items.
        if (TGraphEditorItem *item = FindItem(m_downData)) {
            item->Selected = true;
            NotifySelection(false);
        }
    }
    Invalidate();
    MarkBeyond(m_downPoint);
}

void TGraphEditor::mouseMove(int x, int y, Qt::KeyboardModifiers shift)
{
    if (!m_mouseDown)
        return;
    m_moved = true;
    m_curPoint = ClientToGraph(x, y);
    m_altLock = shift.testFlag(Qt::AltModifier);
    if (m_altLock) {
        const int64_t dx = std::abs(int64_t(m_curPoint.x) - m_downPoint.x);
        const int64_t dy = std::abs(int64_t(m_curPoint.y) - m_downPoint.y);
        if (dx > dy)
            m_curPoint.y = m_downPoint.y;
        else
            m_curPoint.x = m_downPoint.x;
    }
    Invalidate();
}

void TGraphEditor::endMouse()
{
    m_altLock = false;
    Invalidate();
    m_mouseDown = false;
    m_moved = false;
}

void TGraphEditor::mouseUp(int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers shift)
{
    if (button != Qt::LeftButton || !m_mouseDown) {
        // Another button cancels a drag or band without moving anything.
        const bool cancelled = m_mouseDown && m_moved;
        m_mouseDown = false;
        m_moved = false;
        m_altLock = false;
        if (cancelled)
            Invalidate(); // the items drawn where they would land go back
        return;
    }
    try {
        if (!m_moved) {
            if (shift.testFlag(Qt::ControlModifier)) {
                if (TGraphEditorItem *item = FindItem(m_downData)) {
                    item->Selected = !item->Selected;
                    NotifySelection(false);
                }
            }
            Invalidate();
        } else if (!m_downData) {
            const Rect band = normalizedRect(m_downPoint, ClientToGraph(x, y));
            bool caught = false;
            for (const auto &item : m_items) {
                if (RectsTouch(item->Rect, band)) {
                    item->Selected = true;
                    caught = true;
                }
            }
            if (caught) {
                NotifySelection(false);
                Invalidate();
            }
        } else {
            dropDragged();
        }
    } catch (...) {
        endMouse();
        throw;
    }
    endMouse();
}

void TGraphEditor::dropDragged()
{
    BeginUpdate();
    try {
        const int dx = clampedSub(m_curPoint.x, m_downPoint.x);
        const int dy = clampedSub(m_curPoint.y, m_downPoint.y);
        // By index: a source that rebuilds inside MoveItem must not leave us on freed items.
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (!itemSelected(*m_items[i]))
                continue;
            void *data = m_items[i]->Data;
            source().MoveItem(data, dx, dy);
            if (i < m_items.size() && m_items[i]->Data == data) {
                TGraphEditorItem &item = *m_items[i];
                source().GetItemInfo(data, item.Rect, item.Groupable, item.Caption);
            }
        }
    } catch (...) {
        // The batch must not stay open, or no rebuild would ever happen again.
        try {
            EndUpdate();
        } catch (...) {}
        throw;
    }
    EndUpdate();
}

void TGraphEditor::Paint(DrawingSurface &canvas, bool toView)
{
    TGraphPaintInfo info;
    info.Dragging = m_mouseDown && m_moved && m_downData;
    if (info.Dragging) {
        info.DX = clampedSub(m_curPoint.x, m_downPoint.x);
        info.DY = clampedSub(m_curPoint.y, m_downPoint.y);
    }
    info.ShowRubberBand = m_mouseDown && m_moved && !info.Dragging;
    info.RubberBand =
        normalizedRect(GraphToClient(m_downPoint.x, m_downPoint.y), GraphToClient(m_curPoint.x, m_curPoint.y));
    const Point offset = toView ? m_scrollPos : Point();
    info.ToView = toView;

    TGraphEditorSource &src = source();
    src.PaintBackground(canvas, offset.x, offset.y, info);
    for (size_t i = 0; i < m_items.size(); ++i) {
        const TGraphEditorItem &item = *m_items[i];
        const Rect r(clampedSub(item.Rect.Left, offset.x), clampedSub(item.Rect.Top, offset.y),
                     clampedSub(item.Rect.Right, offset.x), clampedSub(item.Rect.Bottom, offset.y));
        if (toView && !(r.Right > 0 && r.Bottom > 0 && r.Left < m_viewSize.x && r.Top < m_viewSize.y))
            continue;
        src.PaintItem(canvas, item.Data, r.Left, r.Top, itemSelected(item), info);
    }
    src.PaintOverlay(canvas, offset.x, offset.y, info);
}
