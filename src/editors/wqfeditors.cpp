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
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}
} // namespace

Rect ScaleRect(const Rect &r, double zoom)
{
    return Rect(scaled(r.Left, zoom), scaled(r.Top, zoom), scaled(r.Right, zoom), scaled(r.Bottom, zoom));
}

// ---- TCmtDrag ----

Rect TCmtDrag::GetRect() const
{
    if (!Comment)
        return Rect(-1, -1, -1, -1);
    return Rect::fromSize(clampedSub(Comment->Rect.Right, handleSize), clampedSub(Comment->Rect.Bottom, handleSize),
                          handleSize, handleSize);
}

// ---- TWQFEditorSource ----

TWQFEditorSource::TWQFEditorSource(TWQFSection *section, CommentRectList *comments)
    : m_section(section), m_comments(comments)
{}

TWQFEditorSource::~TWQFEditorSource() = default;

void TWQFEditorSource::setSection(TWQFSection *section)
{
    m_section = section;
    // Nothing of the old section may be drawn or answered for until the next listing.
    m_drawn.clear();
    m_componentIndex.clear();
    m_byName.clear();
    m_paintPos.clear();
    m_shifted.clear();
}

void TWQFEditorSource::SetZoom(double value)
{
    if (value != m_zoom)
        m_zoom = value;
}

const QImage *TWQFEditorSource::GetImage(TWQFItem *item, const QString &kind) const
{
    return OnGetImage ? OnGetImage(item, kind) : nullptr;
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

TCommentRect *TWQFEditorSource::CommentOf(const void *data) const
{
    if (kindOf(data) != dikHandle)
        return nullptr;
    return static_cast<const TCmtDrag *>(data)->Comment;
}

DiagramItemKind TWQFEditorSource::kindOf(const void *data) const
{
    if (!data)
        return dikNone;
    if (m_componentIndex.contains(data))
        return dikComponent;
    return m_noteKinds.value(data, dikNone);
}

TWQFItem *TWQFEditorSource::componentOf(const void *data) const
{
    const int i = componentIndex(data);
    return i < 0 ? nullptr : m_drawn[size_t(i)].item;
}

TCommentRect *TWQFEditorSource::noteOf(const void *data) const
{
    return kindOf(data) == dikNote ? static_cast<TCommentRect *>(const_cast<void *>(data)) : nullptr;
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
    const TWQFItem &item = *drawn.item;
    drawn.box = linkBoxOf(item);
    drawn.type = item.GetType();
    drawn.caption = drawn.box.name + QStringLiteral(": ") + item.GetComment();
    drawn.exits = exitsOf(item);
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
            drawn.item = item.get();
            readComponent(drawn);
            const int index = int(m_drawn.size());
            m_componentIndex.insert(drawn.item, index);
            if (!drawn.box.name.isEmpty() && !m_byName.contains(drawn.box.name))
                m_byName.insert(drawn.box.name, index);
            m_drawn.push_back(std::move(drawn));
        }
    }
    m_paintPos.resize(m_drawn.size());
    for (size_t i = 0; i < m_drawn.size(); ++i)
        m_paintPos[i] = {m_drawn[i].box.x, m_drawn[i].box.y};
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

void TWQFEditorSource::GetItems(DataList &list)
{
    updateHandles();
    // Notes lie under every component, each followed by its handle.
    for (const auto &handle : m_handles) {
        list.push_back(handle->Comment);
        list.push_back(handle.get());
    }
    takeSnapshot();
    for (const Drawn &drawn : m_drawn)
        list.push_back(drawn.item);
}

void TWQFEditorSource::GetItemInfo(void *data, Rect &r, bool &groupable, QString &caption)
{
    switch (kindOf(data)) {
    case dikComponent: {
        const Drawn &drawn = m_drawn[size_t(componentIndex(data))];
        r = Rect::fromSize(drawn.box.x, drawn.box.y, boxWidth, boxHeight);
        caption = drawn.box.name;
        break;
    }
    case dikNote: {
        // Only the title bar can be hit and selected.
        const Rect &note = static_cast<TCommentRect *>(data)->Rect;
        const int bar = clampedAdd(note.Top, noteBarHeight);
        r = Rect(note.Left, note.Top, note.Right, note.Bottom < note.Top ? bar : std::min(note.Bottom, bar));
        break;
    }
    case dikHandle:
        r = static_cast<TCmtDrag *>(data)->GetRect();
        groupable = false;
        break;
    case dikNone:
        return;
    }
    r = ScaleRect(r, m_zoom);
}

void TWQFEditorSource::MoveItem(void *data, int dx, int dy)
{
    const int modelDx = unzoomed(dx, m_zoom);
    const int modelDy = unzoomed(dy, m_zoom);
    switch (kindOf(data)) {
    case dikComponent: {
        Drawn &drawn = m_drawn[size_t(componentIndex(data))];
        TWQFItem &item = *drawn.item;
        const int x = snap(item.GetX(), modelDx, gridX);
        const int y = snap(item.GetY(), modelDy, gridY);
        item.SetX(x);
        item.SetY(y);
        drawn.box.x = x;
        drawn.box.y = y;
        m_paintPos[size_t(componentIndex(data))] = {x, y};
        break;
    }
    case dikNote: {
        Rect &r = static_cast<TCommentRect *>(data)->Rect;
        r = keptInDiagram(r.offset(modelDx, modelDy));
        break;
    }
    case dikHandle: {
        TCommentRect *note = static_cast<TCmtDrag *>(data)->Comment;
        if (!note)
            break;
        Rect &r = note->Rect;
        r.Right = clampedAdd(r.Right, modelDx);
        r.Bottom = clampedAdd(r.Bottom, modelDy);
        if (r.Right < r.Left)
            std::swap(r.Left, r.Right);
        if (r.Bottom < r.Top)
            std::swap(r.Top, r.Bottom);
        if (int64_t(r.Right) - r.Left < minNoteWidth)
            r.Right = clampedAdd(r.Left, minNoteWidth);
        if (int64_t(r.Bottom) - r.Top < minNoteHeight)
            r.Bottom = clampedAdd(r.Top, minNoteHeight);
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
    return Rect::fromSize(offsetX, offsetY, size.x, size.y);
}

void TWQFEditorSource::unshift()
{
    for (int i : m_shifted)
        if (size_t(i) < m_drawn.size())
            m_paintPos[size_t(i)] = {m_drawn[size_t(i)].box.x, m_drawn[size_t(i)].box.y};
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
        const LinkBox &box = m_drawn[size_t(index)].box;
        m_paintPos[size_t(index)] = {roundToInt(box.x + dx), roundToInt(box.y + dy)};
        m_shifted.push_back(index);
    }
}

void TWQFEditorSource::paintComments(DrawingSurface &canvas, const Rect &visible, const TGraphPaintInfo &info)
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
                          std::max({shown.Bottom, shown.Top, clampedAdd(shown.Top, scaled(noteBarHeight, m_zoom))}));
        if (!rectsMeet(bounds, visible))
            continue;
        DrawComment(canvas, note, shown.Left, shown.Top, isSelected(note), TGraphPaintInfo());
    }
}

void TWQFEditorSource::PaintBackground(DrawingSurface &canvas, int offsetX, int offsetY, const TGraphPaintInfo &info)
{
    const Point size = paintSize(info);
    canvas.setBrushStyle(bsSolid);
    canvas.setBrushColor(clWhite);
    canvas.fillRect(Rect(0, 0, size.x, size.y));
    if (VertSplit >= 0) {
        canvas.setBrushColor(clMarginLine);
        canvas.fillRect(Rect::fromSize(clampedSub(VertSplit, offsetX), 0, 2, size.y));
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
        return LinkBox{name, p.x, p.y};
    };
    for (size_t i = 0; i < m_drawn.size(); ++i) {
        const LinkBox box{QString(), m_paintPos[i].x, m_paintPos[i].y};
        drawBoxLinks(&canvas, &box, m_drawn[i].exits, find, DstArrow, visible, m_zoom);
    }
    canvas.setOrigin(0, 0);
}

void TWQFEditorSource::PaintItem(DrawingSurface &canvas, void *data, int x, int y, bool selected,
                                 const TGraphPaintInfo &info)
{
    switch (kindOf(data)) {
    case dikNote: {
        auto *note = static_cast<TCommentRect *>(data);
        if (info.Dragging && (selected || isSelected(HandleOf(note))))
            DrawComment(canvas, note, x, y, selected, info);
        break;
    }
    case dikHandle: {
        auto *handle = static_cast<TCmtDrag *>(data);
        const Rect shown = ScaleRect(handle->GetRect(), m_zoom);
        Rect r = Rect::fromSize(x, y, shown.width(), shown.height());
        if (info.Dragging && (selected || isSelected(handle->Comment)))
            r = r.offset(info.DX, info.DY);
        canvas.setBrushStyle(bsSolid);
        canvas.setBrushColor(clWhite);
        canvas.setPenColor(clBlack);
        canvas.rectangle(r);
        break;
    }
    case dikComponent: {
        const Drawn &drawn = m_drawn[size_t(componentIndex(data))];
        const QImage *picture = GetImage(drawn.item, drawn.type);
        if (selected && info.Dragging) {
            x = clampedAdd(x, info.DX);
            y = clampedAdd(y, info.DY);
        }
        canvas.setPenColor(clBlack);
        if (picture && !picture->isNull()) {
            canvas.stretchDraw(
                Rect::fromSize(x, y, scaled(picture->width(), m_zoom), scaled(picture->height(), m_zoom)), *picture);
        } else {
            // The plain box keeps its size at every zoom; its frame and hit area scale.
            canvas.setBrushStyle(bsSolid);
            canvas.setBrushColor(clPlainBox);
            canvas.rectangle(Rect::fromSize(x, y, 32, 32));
            canvas.setBrushStyle(bsClear);
            const int fontSize = canvas.fontSize();
            canvas.setFontSize(6);
            canvas.setFontColor(clBlack);
            canvas.textOut(clampedSub(x, 8), clampedAdd(y, 20), drawn.type);
            canvas.setFontSize(fontSize);
        }
        if (selected) {
            const int margin = scaled(2, m_zoom);
            canvas.setBrushStyle(bsClear);
            canvas.rectangle(
                Rect::fromSize(clampedSub(x, margin), clampedSub(y, margin), scaled(36, m_zoom), scaled(36, m_zoom)));
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
        const QString &caption = m_drawn[i].caption;
        const Point p = m_paintPos[i];
        const int height = canvas.textHeight(caption);
        const int x = scaled(int64_t(p.x) + 36, m_zoom);
        const int y = clampedSub(scaled(int64_t(p.y) + 13, m_zoom), height / 2);
        // Captions out of view are not even measured.
        if (x > visible.Right || y > visible.Bottom || int64_t(y) + height < visible.Top)
            continue;
        if (x < visible.Left && int64_t(x) + canvas.textExtent(caption).x < visible.Left)
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

void TWQFEditorSource::DrawComment(DrawingSurface &canvas, TCommentRect *note, int x, int y, bool selected,
                                   const TGraphPaintInfo &info)
{
    if (!note)
        return;
    const bool resizing = info.Dragging && !selected && isSelected(HandleOf(note));
    const int w = note->Rect.width();
    const int h = note->Rect.height();
    const int height = scaled(h, m_zoom);
    Rect r(x, y, clampedAdd(x, scaled(w, m_zoom)), clampedAdd(y, height));
    if (info.Dragging) {
        if (!resizing) {
            r.Left = clampedAdd(r.Left, info.DX);
            r.Top = clampedAdd(r.Top, info.DY);
        }
        r.Right = clampedAdd(r.Right, info.DX);
        r.Bottom = clampedAdd(r.Bottom, info.DY);
    }

    Rect bar = r;
    const int barBottom = roundToInt(r.Top + noteBarHeight * m_zoom);
    bar.Bottom = r.Bottom < r.Top ? barBottom : std::min(r.Bottom, barBottom);
    canvas.setPenColor(clBlack);
    canvas.setBrushColor(selected ? clSelectedNoteBar : clNoteBar);
    canvas.setBrushStyle(bsSolid);
    canvas.rectangle(bar);

    r.Bottom = clampedAdd(r.Top, resizing ? clampedAdd(height, info.DY) : height);
    canvas.setBrushStyle(bsClear);
    canvas.rectangle(r);

    canvas.setFontColor(clBlack);
    canvas.textOut(clampedAdd(r.Left, 2), clampedAdd(r.Top, 2), note->Title);
    if (note->ShowText) {
        const int two = scaled(2, m_zoom);
        const Rect body(clampedAdd(r.Left, two), clampedAdd(r.Top, scaled(22, m_zoom)), clampedSub(r.Right, two),
                        clampedSub(r.Bottom, two));
        canvas.textRect(body, note->Text);
    }
}

// ---- TPanelChanger ----

TPanelChanger::TPanelChanger(QWidget *panel, TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                             std::unique_ptr<TGraphEditorSource> source)
    : TImageGraphEditor(host, hScrollBar, vScrollBar, std::move(source))
{
    init(panel);
}

TPanelChanger::TPanelChanger(QWidget *panel, TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                             TGraphEditorSource *source)
    : TImageGraphEditor(host, hScrollBar, vScrollBar, source)
{
    init(panel);
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

void TPanelChanger::PanelChange(TTagsEditor *sender)
{
    // The diagram paints what it read of the components; an edited comment shows at once.
    if (auto *source = dynamic_cast<TWQFEditorSource *>(Source()))
        source->refresh();
    Invalidate();
    if (OnChange)
        OnChange(sender);
}
