#pragma once
// A data-agnostic editor of rectangles on a surface. It knows nothing of what it shows: a
// source lists opaque data pointers, describes, moves and paints them. The editor keeps the
// selection and turns mouse events into clicks, Ctrl toggles, drags with an Alt axis lock and
// rubber-band selection. It has no window; a window binding feeds it events and repaints.
#include "base/rect.h"

#include <QImage>
#include <QString>
#include <Qt>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point &, const Point &) = default;
};

// Inclusive on all four edges, unlike Rect::contains: the graph editor hits and catches on
// the right and bottom edges too.
inline bool PointInRect(const Rect &r, int x, int y)
{
    return r.Left <= x && x <= r.Right && r.Top <= y && y <= r.Bottom;
}
Rect normalizedRect(Point a, Point b);

// A colour as the canvas takes it: red in the low byte, green in the middle, blue above.
using Color = uint32_t;
constexpr Color rgbToColor(int r, int g, int b)
{
    return Color(r & 0xFF) | Color(g & 0xFF) << 8 | Color(b & 0xFF) << 16;
}
constexpr int colorRed(Color c) { return int(c & 0xFF); }
constexpr int colorGreen(Color c) { return int(c >> 8 & 0xFF); }
constexpr int colorBlue(Color c) { return int(c >> 16 & 0xFF); }
constexpr Color clBlack = rgbToColor(0, 0, 0);
constexpr Color clWhite = rgbToColor(255, 255, 255);

enum BrushFill : uint8_t { bsSolid, bsClear };

// The drawing primitives the sources paint with. The window paints through a QPainter
// implementation; tests record the calls. State (pen, brush, font, origin) stays set until
// changed, as on a device context.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    virtual Color penColor() const = 0;
    virtual void setPenColor(Color c) = 0;
    virtual int penWidth() const = 0;
    virtual void setPenWidth(int w) = 0;
    virtual Color brushColor() const = 0;
    virtual void setBrushColor(Color c) = 0;
    virtual BrushFill brushStyle() const = 0;
    virtual void setBrushStyle(BrushFill s) = 0;

    virtual QString fontName() const = 0;
    virtual void setFontName(const QString &name) = 0;
    virtual int fontSize() const = 0; // points
    virtual void setFontSize(int points) = 0;
    virtual bool fontBold() const = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual Color fontColor() const = 0;
    virtual void setFontColor(Color c) = 0;

    // Drawing at (x, y) lands at (x + origin.X, y + origin.Y) of the device.
    virtual Point origin() const = 0;
    virtual void setOrigin(int x, int y) = 0;

    // Connected segments in the pen.
    virtual void polyline(const std::vector<Point> &points) = 0;
    // Filled with the brush (unless clear), outlined with the pen.
    virtual void polygon(const std::vector<Point> &points) = 0;
    // Right and bottom exclusive; filled with the brush (unless clear), outlined with the pen.
    virtual void rectangle(const Rect &r) = 0;
    // The brush only, no outline.
    virtual void fillRect(const Rect &r) = 0;
    // Top-left of the text at (x, y); a solid brush fills the text's background.
    virtual void textOut(int x, int y, const QString &text) = 0;
    // Width and height of the text in the current font.
    virtual Point textExtent(const QString &text) = 0;
    // The height textExtent gives, where measuring the width would cost more.
    virtual int textHeight(const QString &text) { return textExtent(text).y; }
    // Text inside the box from its top-left corner: tabs expanded, word-wrapped, clipped to
    // the box, ending in an ellipsis when it does not fit.
    virtual void textRect(const Rect &r, const QString &text) = 0;
    virtual void stretchDraw(const Rect &r, const QImage &picture) = 0;
};

using DataList = std::vector<void *>;

// What the editor tells the source at each paint. Zeroed at the start of every paint.
struct TGraphPaintInfo {
    bool ShowRubberBand = false;
    Rect RubberBand; // client coordinates, normalised
    bool Dragging = false;
    int DX = 0; // drag offset in graph pixels, only while Dragging
    int DY = 0;
    bool ToView = false; // false: the whole graph is painted (a picture)
};

// Lists, describes, moves and paints the things an editor shows.
class TGraphEditorSource {
public:
    virtual ~TGraphEditorSource() = default;
    // Bottom-most first: the paint order, and the hit-test priority (last = topmost).
    virtual void GetItems(DataList &list) = 0;
    // Values left untouched keep what the item held.
    virtual void GetItemInfo(void *data, Rect &r, bool &groupable, QString &caption) = 0;
    virtual void MoveItem(void *data, int dx, int dy) = 0;
    virtual void PaintBackground(DrawingSurface &canvas, int offsetX, int offsetY, const TGraphPaintInfo &info);
    // Top-left corner of the item at x, y of the canvas.
    virtual void PaintItem(DrawingSurface &canvas, void *data, int x, int y, bool selected,
                           const TGraphPaintInfo &info);
    virtual void PaintOverlay(DrawingSurface &canvas, int offsetX, int offsetY, const TGraphPaintInfo &info);
};

class TGraphEditorItem {
public:
    TGraphEditorItem(void *data, const Rect &r) : Rect(r), Data(data) {}

    ::Rect Rect; // graph coordinates
    void *Data; // the source's; never owned or dereferenced
    bool Selected = false;
    bool BeyondDownPoint = false; // may be carried by an Alt drag
    bool Groupable = true;
    QString Caption;
};

enum MouseEventKind : uint8_t { mekDown = 0, mekUp = 1, mekMove = 2 };

class TGraphEditor {
public:
    // The editor owns the source.
    explicit TGraphEditor(std::unique_ptr<TGraphEditorSource> source);
    // The source stays the caller's.
    explicit TGraphEditor(TGraphEditorSource *source);
    virtual ~TGraphEditor();
    TGraphEditor(const TGraphEditor &) = delete;
    TGraphEditor &operator=(const TGraphEditor &) = delete;

    TGraphEditorSource *Source() const { return m_source; }
    bool OwnsSource() const { return bool(m_ownedSource); }

    virtual Point GetScrollPos() const;
    virtual void Invalidate();
    virtual void GraphSizeChanged();
    virtual void SelectionChanged();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    virtual void SetScrollPos(Point p);
    virtual void Rebuild();

    Point GetGraphSize() const { return m_graphSize; }
    void SetGraphSize(Point p);
    Point GetViewSize() const { return m_viewSize; }
    void SetViewSize(Point p) { m_viewSize = p; }
    Point ClientToGraph(int x, int y) const;
    Point GraphToClient(int x, int y) const;

    int ItemCount() const { return int(m_items.size()); }
    TGraphEditorItem *Items(int index) const;
    TGraphEditorItem *FindItem(void *data) const;
    bool GetItemRect(void *data, Rect &r) const;
    void *DataAt(int x, int y) const;
    bool IsSelected(void *data) const;
    // IsSelected without the search for the item.
    bool isItemSelected(const TGraphEditorItem &item) const { return itemSelected(item); }
    int SelectedCount() const;
    void GetSelected(DataList *list) const;
    void SetSelected(const DataList *list, bool value);
    void ShowItem(void *data);

    void MouseEvent(int x, int y, MouseEventKind kind, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void Paint(DrawingSurface &canvas, bool toView);

    // Fired after selection changes made with the mouse only.
    std::function<void(TGraphEditor *Sender)> OnSelectionChange;

    // The mouse state, read by the bindings and tests.
    Point DownPoint() const { return m_downPoint; }
    Point CurPoint() const { return m_curPoint; }
    void *DownData() const { return m_downData; }
    bool Moved() const { return m_moved; }
    bool mouseIsDown() const { return m_mouseDown; }
    bool AltLock() const { return m_altLock; }
    bool InUpdate() const { return m_inUpdate; }

protected:
    void ClearItems();
    void NotifySelection(bool silent);
    void DropUngroupable();
    void MarkBeyond(Point p);
    TGraphEditorSource &source() const;

    Point m_graphSize;
    Point m_viewSize;
    Point m_scrollPos;

private:
    void mouseDown(int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void mouseMove(int x, int y, Qt::KeyboardModifiers shift);
    void mouseUp(int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    bool itemSelected(const TGraphEditorItem &item) const;
    void dropDragged();
    void endMouse();

    std::unique_ptr<TGraphEditorSource> m_ownedSource;
    TGraphEditorSource *m_source;
    Point m_downPoint;
    Point m_curPoint;
    void *m_downData = nullptr;
    bool m_moved = false;
    bool m_mouseDown = false;
    bool m_altLock = false;
    std::vector<std::unique_ptr<TGraphEditorItem>> m_items;
    bool m_inUpdate = false;
    bool m_changed = false;
};

// True when one of the item's corners lies in the band, or the band's top-left or
// bottom-right corner lies in the item. A band merely crossing an item does not catch it.
bool RectsTouch(const Rect &item, const Rect &band);
