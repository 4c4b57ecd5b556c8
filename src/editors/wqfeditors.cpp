// One page section as a graph source for the graph editor.
#include "wqfeditors.h"

#include "morivanecomponents.h"

#include "base/mathutils.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {
constexpr int gridX = 32;
constexpr int gridY = 26;
constexpr int noteBarHeight = 20;
constexpr int handleSize = 15;
constexpr int minNoteWidth = 50;
constexpr int minNoteHeight = 30;

const QString &diagramFont()
{
    static const QString name = QStringLiteral("Trebuchet MS");
    return name;
}

int scaled(double v, double zoom) { return roundToInt(v * zoom); }

// The nearest grid line, ties going right and down; never left of or above the origin.
int snap(int value, int delta, int grid)
{
    const int64_t v = (int64_t(value) + delta + grid / 2) / grid * grid; // truncates toward zero
    return clampToInt(std::max<int64_t>(0, v));
}

// A drag of view pixels in model units.
int unzoomed(int delta, double zoom) { return zoom == 0 ? 0 : roundToInt(delta / zoom); }

// A note whose title bar lies left of or above the diagram can no longer be clicked, moved or
// deleted: a move stops it at the edge, its size unchanged.
Rect keptInDiagram(const Rect &r) { return r.offset(r.Left < 0 ? -r.Left : 0, r.Top < 0 ? -r.Top : 0); }

bool rectsMeet(const Rect &a, const Rect &b)
{
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.bottom && b.Top <= a.bottom;
}
} // namespace

Rect ScaleRect(const Rect &R, double Zoom)
{
    return Rect(scaled(R.Left, Zoom), scaled(R.Top, Zoom), scaled(R.Right, Zoom), scaled(R.bottom, Zoom));
}

// ---- TCmtDrag ----

Rect TCmtDrag::GetRect() const
{
    if (!Comment)
        return Rect(-1, -1, -1, -1);
    return Rect::fromSize(clampedSub(Comment->Rect.Right, handleSize), clampedSub(Comment->Rect.bottom, handleSize),
                          handleSize, handleSize);
}

// ---- TWQFEditorSource ----

TWQFEditorSource::TWQFEditorSource(TWQFSection *Section, CommentRectList *Comments)
    : m_section(Section), m_comments(Comments)
{}

TWQFEditorSource::~TWQFEditorSource() = default;

void TWQFEditorSource::setSection(TWQFSection *Section)
{
    m_section = Section;
    // Nothing of the old section may be drawn or answered for until the next listing.
    m_drawn.clear();
    m_componentIndex.clear();
    m_byName.clear();
    m_paintPos.clear();
    m_shifted.clear();
}

void TWQFEditorSource::SetZoom(double Value)
{
    if (Value != m_zoom)
        m_zoom = Value;
}

const QImage *TWQFEditorSource::GetImage(TWQFItem *Item, const QString &Kind) const
{
    return OnGetImage ? OnGetImage(Item, Kind) : nullptr;
}

TCmtDrag *TWQFEditorSource::HandleOf(const TCommentRect *note) const
{
    if (!note)
        return nullptr;
    for (const auto &handle : m_handles)
        if (handle->Comment == note)
            return handle.get();
    return nullptr;
}

TCommentRect *TWQFEditorSource::CommentOf(const void *Data) const
{
    if (kindOf(Data) != dikHandle)
        return nullptr;
    return static_cast<const TCmtDrag *>(Data)->Comment;
}

DiagramItemKind TWQFEditorSource::kindOf(const void *Data) const
{
    if (!Data)
        return dikNone;
    if (m_componentIndex.contains(Data))
        return dikComponent;
    return m_noteKinds.value(Data, dikNone);
}

TWQFItem *TWQFEditorSource::componentOf(const void *Data) const
{
    const int i = componentIndex(Data);
    return i < 0 ? nullptr : m_drawn[size_t(i)].Item;
}

TCommentRect *TWQFEditorSource::noteOf(const void *Data) const
{
    return kindOf(Data) == dikNote ? static_cast<TCommentRect *>(const_cast<void *>(Data)) : nullptr;
}

int TWQFEditorSource::componentIndex(const void *data) const { return data ? m_componentIndex.value(data, -1) : -1; }

bool TWQFEditorSource::listsNote(const TCommentRect &note) const
{
    // Exact, case included: a note of "PreProc" is not one of "preproc".
    return m_section && note.Section == m_section->GetName();
}

bool TWQFEditorSource::isSelected(const void *data) const
{
    return Editor && data && Editor->IsSelected(const_cast<void *>(data));
}

void TWQFEditorSource::readComponent(Drawn &drawn) const
{
    const TWQFItem &item = *drawn.Item;
    drawn.Box = linkBoxOf(item);
    drawn.Type = item.GetType();
    drawn.Caption = drawn.Box.Name + QStringLiteral(": ") + item.GetComment();
    drawn.Exits = exitsOf(item);
}

void TWQFEditorSource::takeSnapshot()
{
    m_drawn.clear();
    m_componentIndex.clear();
    m_byName.clear();
    m_shifted.clear();
    if (m_section) {
        const WQFItemList &items = m_section->Items();
        m_drawn.reserve(items.size());
        m_componentIndex.reserve(qsizetype(items.size()));
        for (const auto &item : items) {
            if (!item)
                continue;
            Drawn drawn;
            drawn.Item = item.get();
            readComponent(drawn);
            const int index = int(m_drawn.size());
            m_componentIndex.insert(drawn.Item, index);
            if (!drawn.Box.Name.isEmpty() && !m_byName.contains(drawn.Box.Name))
                m_byName.insert(drawn.Box.Name, index);
            m_drawn.push_back(std::move(drawn));
        }
    }
    m_paintPos.resize(m_drawn.size());
    for (size_t i = 0; i < m_drawn.size(); ++i)
        m_paintPos[i] = {m_drawn[i].Box.X, m_drawn[i].Box.Y};
}

void TWQFEditorSource::refresh() { takeSnapshot(); }

void TWQFEditorSource::updateHandles()
{
    std::vector<std::unique_ptr<TCmtDrag>> previous = std::move(m_handles);
    m_handles.clear();
    m_noteKinds.clear();
    if (!m_comments)
        return;
    for (const auto &note : *m_comments) {
        if (!note || !listsNote(*note))
            continue;
        auto kept = std::find_if(previous.begin(), previous.end(),
                                 [&](const auto &h) { return h && h->Comment == note.get(); });
        m_handles.push_back(kept != previous.end() ? std::move(*kept) : std::make_unique<TCmtDrag>(note.get()));
        m_noteKinds.insert(note.get(), dikNote);
        m_noteKinds.insert(m_handles.back().get(), dikHandle);
    }
}

void TWQFEditorSource::GetItems(DataList &List)
{
    updateHandles();
    // Notes lie under every component, each followed by its handle.
    for (const auto &handle : m_handles) {
        List.push_back(handle->Comment);
        List.push_back(handle.get());
    }
    takeSnapshot();
    for (const Drawn &drawn : m_drawn)
        List.push_back(drawn.Item);
}

void TWQFEditorSource::GetItemInfo(void *Data, Rect &R, bool &Groupable, QString &Caption)
{
    switch (kindOf(Data)) {
    case dikComponent: {
        const Drawn &drawn = m_drawn[size_t(componentIndex(Data))];
        R = Rect::fromSize(drawn.Box.X, drawn.Box.Y, boxWidth, boxHeight);
        Caption = drawn.Box.Name;
        break;
    }
    case dikNote: {
        // Only the title bar can be hit and selected.
        const Rect &note = static_cast<TCommentRect *>(Data)->Rect;
        const int bar = clampedAdd(note.Top, noteBarHeight);
        R = Rect(note.Left, note.Top, note.Right, note.bottom < note.Top ? bar : std::min(note.bottom, bar));
        break;
    }
    case dikHandle:
        R = static_cast<TCmtDrag *>(Data)->GetRect();
        Groupable = false;
        break;
    case dikNone:
        return;
    }
    R = ScaleRect(R, m_zoom);
}

void TWQFEditorSource::MoveItem(void *Data, int DX, int DY)
{
    const int dx = unzoomed(DX, m_zoom);
    const int dy = unzoomed(DY, m_zoom);
    switch (kindOf(Data)) {
    case dikComponent: {
        Drawn &drawn = m_drawn[size_t(componentIndex(Data))];
        TWQFItem &item = *drawn.Item;
        const int x = snap(item.GetX(), dx, gridX);
        const int y = snap(item.GetY(), dy, gridY);
        item.SetX(x);
        item.SetY(y);
        drawn.Box.X = x;
        drawn.Box.Y = y;
        m_paintPos[size_t(componentIndex(Data))] = {x, y};
        break;
    }
    case dikNote: {
        Rect &r = static_cast<TCommentRect *>(Data)->Rect;
        r = keptInDiagram(r.offset(dx, dy));
        break;
    }
    case dikHandle: {
        TCommentRect *note = static_cast<TCmtDrag *>(Data)->Comment;
        if (!note)
            break;
        Rect &r = note->Rect;
        r.Right = clampedAdd(r.Right, dx);
        r.bottom = clampedAdd(r.bottom, dy);
        if (r.Right < r.Left)
            std::swap(r.Left, r.Right);
        if (r.bottom < r.Top)
            std::swap(r.Top, r.bottom);
        if (int64_t(r.Right) - r.Left < minNoteWidth)
            r.Right = clampedAdd(r.Left, minNoteWidth);
        if (int64_t(r.bottom) - r.Top < minNoteHeight)
            r.bottom = clampedAdd(r.Top, minNoteHeight);
        r = keptInDiagram(r);
        break;
    }
    case dikNone:
        break;
    }
    if (Editor)
        Editor->Rebuild();
}

Point TWQFEditorSource::paintSize(const TGraphPaintInfo &info) const
{
    if (!Editor)
        return {};
    return info.ToView ? Editor->GetViewSize() : Editor->GetGraphSize();
}

Rect TWQFEditorSource::paintArea(int offsetX, int offsetY, const TGraphPaintInfo &info) const
{
    if (!Editor) {
        // No view to keep to: everything is drawn.
        constexpr int far = std::numeric_limits<int>::max() / 4;
        return Rect(-far, -far, far, far);
    }
    const Point size = paintSize(info);
    return Rect::fromSize(offsetX, offsetY, size.X, size.Y);
}

void TWQFEditorSource::unshift()
{
    for (int i : m_shifted)
        if (size_t(i) < m_drawn.size())
            m_paintPos[size_t(i)] = {m_drawn[size_t(i)].Box.X, m_drawn[size_t(i)].Box.Y};
    m_shifted.clear();
}

void TWQFEditorSource::shiftDragged(const TGraphPaintInfo &info)
{
    unshift();
    if (!Editor || !info.Dragging || m_zoom == 0)
        return;
    const double dx = info.DX / m_zoom;
    const double dy = info.DY / m_zoom;
    for (int i = 0; i < Editor->ItemCount(); ++i) {
        const TGraphEditorItem &item = *Editor->Items(i);
        if (!Editor->isItemSelected(item))
            continue;
        const int index = componentIndex(item.Data);
        if (index < 0)
            continue;
        const LinkBox &box = m_drawn[size_t(index)].Box;
        m_paintPos[size_t(index)] = {roundToInt(box.X + dx), roundToInt(box.Y + dy)};
        m_shifted.push_back(index);
    }
}

void TWQFEditorSource::paintComments(DrawingSurface &canvas, const Rect &Visible, const TGraphPaintInfo &info)
{
    if (!m_comments)
        return;
    for (const auto &owned : *m_comments) {
        TCommentRect *note = owned.get();
        if (!note || !listsNote(*note))
            continue;
        // A note being dragged or resized is drawn with the items, where it will land.
        if (info.Dragging && (isSelected(note) || isSelected(HandleOf(note))))
            continue;
        const Rect shown = ScaleRect(note->Rect, m_zoom);
        const Rect bounds(shown.Left, shown.Top, std::max(shown.Right, shown.Left),
                          std::max({shown.bottom, shown.Top, clampedAdd(shown.Top, scaled(noteBarHeight, m_zoom))}));
        if (!rectsMeet(bounds, Visible))
            continue;
        DrawComment(canvas, note, shown.Left, shown.Top, isSelected(note), TGraphPaintInfo());
    }
}

void TWQFEditorSource::PaintBackground(DrawingSurface &canvas, int offsetX, int offsetY, const TGraphPaintInfo &info)
{
    const Point size = paintSize(info);
    canvas.setBrushStyle(bsSolid);
    canvas.setBrushColor(clWhite);
    canvas.fillRect(Rect(0, 0, size.X, size.Y));
    if (VertSplit >= 0) {
        canvas.setBrushColor(clMarginLine);
        canvas.fillRect(Rect::fromSize(clampedSub(VertSplit, offsetX), 0, 2, size.Y));
        canvas.setBrushColor(clWhite);
    }
    canvas.setOrigin(-offsetX, -offsetY);
    canvas.setBrushStyle(bsClear);
    canvas.setPenColor(clBlack);
    canvas.setPenWidth(1);
    canvas.setFontName(diagramFont());
    canvas.setFontSize(10);
    canvas.setFontColor(clBlack);

    const Rect visible = paintArea(offsetX, offsetY, info);
    paintComments(canvas, visible, info);

    // The arrows follow the dragged components through the positions drawn in this paint;
    // the page itself is never touched by painting.
    shiftDragged(info);
    const FindLinkBox find = [this](const QString &name) -> std::optional<LinkBox> {
        const auto it = m_byName.constFind(name);
        if (it == m_byName.cend())
            return std::nullopt;
        const Point p = m_paintPos[size_t(*it)];
        return LinkBox{name, p.X, p.Y};
    };
    for (size_t i = 0; i < m_drawn.size(); ++i) {
        const LinkBox box{QString(), m_paintPos[i].X, m_paintPos[i].Y};
        drawBoxLinks(&canvas, &box, m_drawn[i].Exits, find, DstArrow, visible, m_zoom);
    }
    canvas.setOrigin(0, 0);
}

void TWQFEditorSource::PaintItem(DrawingSurface &canvas, void *Data, int X, int Y, bool Selected,
                                 const TGraphPaintInfo &info)
{
    switch (kindOf(Data)) {
    case dikNote: {
        auto *note = static_cast<TCommentRect *>(Data);
        if (info.Dragging && (Selected || isSelected(HandleOf(note))))
            DrawComment(canvas, note, X, Y, Selected, info);
        break;
    }
    case dikHandle: {
        auto *handle = static_cast<TCmtDrag *>(Data);
        const Rect shown = ScaleRect(handle->GetRect(), m_zoom);
        Rect r = Rect::fromSize(X, Y, shown.Width(), shown.Height());
        if (info.Dragging && (Selected || isSelected(handle->Comment)))
            r = r.offset(info.DX, info.DY);
        canvas.setBrushStyle(bsSolid);
        canvas.setBrushColor(clWhite);
        canvas.setPenColor(clBlack);
        canvas.rectangle(r);
        break;
    }
    case dikComponent: {
        const Drawn &drawn = m_drawn[size_t(componentIndex(Data))];
        const QImage *picture = GetImage(drawn.Item, drawn.Type);
        if (Selected && info.Dragging) {
            X = clampedAdd(X, info.DX);
            Y = clampedAdd(Y, info.DY);
        }
        canvas.setPenColor(clBlack);
        if (picture && !picture->isNull()) {
            canvas.stretchDraw(
                Rect::fromSize(X, Y, scaled(picture->width(), m_zoom), scaled(picture->height(), m_zoom)), *picture);
        } else {
            // The plain box keeps its size at every zoom; its frame and hit area scale.
            canvas.setBrushStyle(bsSolid);
            canvas.setBrushColor(clPlainBox);
            canvas.rectangle(Rect::fromSize(X, Y, 32, 32));
            canvas.setBrushStyle(bsClear);
            const int fontSize = canvas.fontSize();
            canvas.setFontSize(6);
            canvas.setFontColor(clBlack);
            canvas.textOut(clampedSub(X, 8), clampedAdd(Y, 20), drawn.Type);
            canvas.setFontSize(fontSize);
        }
        if (Selected) {
            const int margin = scaled(2, m_zoom);
            canvas.setBrushStyle(bsClear);
            canvas.rectangle(
                Rect::fromSize(clampedSub(X, margin), clampedSub(Y, margin), scaled(36, m_zoom), scaled(36, m_zoom)));
        }
        break;
    }
    case dikNone:
        break;
    }
}

void TWQFEditorSource::PaintOverlay(DrawingSurface &canvas, int offsetX, int offsetY, const TGraphPaintInfo &info)
{
    canvas.setOrigin(-offsetX, -offsetY);
    canvas.setBrushStyle(bsClear);
    canvas.setFontName(diagramFont());
    canvas.setFontSize(10);
    canvas.setFontColor(clBlack);
    const Rect visible = paintArea(offsetX, offsetY, info);
    for (size_t i = 0; i < m_drawn.size(); ++i) {
        const QString &caption = m_drawn[i].Caption;
        const Point p = m_paintPos[i];
        const int height = canvas.textHeight(caption);
        const int x = scaled(int64_t(p.X) + 36, m_zoom);
        const int y = clampedSub(scaled(int64_t(p.Y) + 13, m_zoom), height / 2);
        // Captions out of view are not even measured.
        if (x > visible.Right || y > visible.bottom || int64_t(y) + height < visible.Top)
            continue;
        if (x < visible.Left && int64_t(x) + canvas.textExtent(caption).X < visible.Left)
            continue;
        canvas.textOut(x, y, caption);
    }
    canvas.setOrigin(0, 0);
    if (info.ShowRubberBand) {
        canvas.setPenColor(clBlack);
        canvas.setBrushStyle(bsClear);
        canvas.rectangle(info.RubberBand);
    }
    unshift();
}

void TWQFEditorSource::DrawComment(DrawingSurface &canvas, TCommentRect *note, int X, int Y, bool Selected,
                                   const TGraphPaintInfo &info)
{
    if (!note)
        return;
    const bool resizing = info.Dragging && !Selected && isSelected(HandleOf(note));
    const int w = note->Rect.Width();
    const int h = note->Rect.Height();
    const int height = scaled(h, m_zoom);
    Rect r(X, Y, clampedAdd(X, scaled(w, m_zoom)), clampedAdd(Y, height));
    if (info.Dragging) {
        if (!resizing) {
            r.Left = clampedAdd(r.Left, info.DX);
            r.Top = clampedAdd(r.Top, info.DY);
        }
        r.Right = clampedAdd(r.Right, info.DX);
        r.bottom = clampedAdd(r.bottom, info.DY);
    }

    Rect bar = r;
    const int barBottom = roundToInt(r.Top + noteBarHeight * m_zoom);
    bar.bottom = r.bottom < r.Top ? barBottom : std::min(r.bottom, barBottom);
    canvas.setPenColor(clBlack);
    canvas.setBrushColor(Selected ? clSelectedNoteBar : clNoteBar);
    canvas.setBrushStyle(bsSolid);
    canvas.rectangle(bar);

    r.bottom = clampedAdd(r.Top, resizing ? clampedAdd(height, info.DY) : height);
    canvas.setBrushStyle(bsClear);
    canvas.rectangle(r);

    canvas.setFontColor(clBlack);
    canvas.textOut(clampedAdd(r.Left, 2), clampedAdd(r.Top, 2), note->Title);
    if (note->ShowText) {
        const int two = scaled(2, m_zoom);
        const Rect body(clampedAdd(r.Left, two), clampedAdd(r.Top, scaled(22, m_zoom)), clampedSub(r.Right, two),
                        clampedSub(r.bottom, two));
        canvas.textRect(body, note->Text);
    }
}

// ---- TPanelChanger ----

TPanelChanger::TPanelChanger(QWidget *Panel, TImage *Host, QScrollBar *HScrollBar, QScrollBar *VScrollBar,
                             std::unique_ptr<TGraphEditorSource> Source)
    : TImageGraphEditor(Host, HScrollBar, VScrollBar, std::move(Source))
{
    init(Panel);
}

TPanelChanger::TPanelChanger(QWidget *Panel, TImage *Host, QScrollBar *HScrollBar, QScrollBar *VScrollBar,
                             TGraphEditorSource *Source)
    : TImageGraphEditor(Host, HScrollBar, VScrollBar, Source)
{
    init(Panel);
}

void TPanelChanger::init(QWidget *panel)
{
    m_panel = panel;
    m_tagsEditor = std::make_unique<TScrolledTagsEditor>();
    m_tagsEditor->OnChange = [this](TTagsEditor *sender) { PanelChange(sender); };
}

void TPanelChanger::SelectionChanged()
{
    DataList selected;
    GetSelected(&selected);
    auto *source = dynamic_cast<TWQFEditorSource *>(Source());
    if (selected.size() == 1 && source) {
        void *data = selected.front();
        switch (source->kindOf(data)) {
        case dikComponent:
            if (TWQFItem *item = source->componentOf(data)) {
                m_tagsEditor->BuildPropertyPanel(item, m_panel, FindComponentDescr(item->GetType()));
                return;
            }
            break;
        case dikNote:
            // Emptied first: a selection set from code may go from a component straight to a note.
            m_tagsEditor->Clear();
            m_tagsEditor->BuildNotesPanel(source->noteOf(data), m_panel);
            return;
        case dikHandle:
            return;
        case dikNone:
            break;
        }
    }
    m_tagsEditor->BuildPropertyPanel(nullptr, m_panel, nullptr);
}

void TPanelChanger::Rebuild()
{
    m_tagsEditor->Clear();
    TImageGraphEditor::Rebuild();
    // Pasted or keyboard-moved components may lie beyond the graph; so may notes, which the
    // size a page starts with does not count. Each must be reachable by scrolling; one that
    // ends on the edge already is.
    if (!InUpdate())
        growGraphToItems(false);
}

void TPanelChanger::PanelChange(TTagsEditor *Sender)
{
    // The diagram paints what it read of the components; an edited comment shows at once.
    if (auto *source = dynamic_cast<TWQFEditorSource *>(Source()))
        source->refresh();
    Invalidate();
    if (OnChange)
        OnChange(Sender);
}
