#include "wqfdrawutils.h"

#include "base/exception.h"
#include "base/mathutils.h"

#include <algorithm>
#include <cmath>

namespace {
int scaled(double v, double zoom) { return RoundToInt(v * zoom); }
int add(int64_t a, int64_t b) { return ClampToInt(a + b); }

bool rectsMeet(const Rect &a, const Rect &b)
{
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

void requireCanvas(const DrawingSurface *canvas)
{
    if (!canvas)
        throw ERunError::nilReference();
}
} // namespace

Rect ArrowShape::Bounds() const
{
    Rect r(Line[0].X, Line[0].Y, Line[0].X, Line[0].Y);
    auto take = [&r](const Point &p) {
        r.Left = std::min(r.Left, p.X);
        r.Top = std::min(r.Top, p.Y);
        r.Right = std::max(r.Right, p.X);
        r.Bottom = std::max(r.Bottom, p.Y);
    };
    for (const Point &p : Line)
        take(p);
    for (const Point &p : Head)
        take(p);
    const int pen = std::max(1, PenWidth);
    return Rect(ClampedSub(r.Left, pen), ClampedSub(r.Top, pen), ClampedAdd(r.Right, pen), ClampedAdd(r.Bottom, pen));
}

ArrowShape arrowShape(int X1, int Y1, int X2, int Y2, double Zoom)
{
    const double z = Zoom;
    const int h = scaled(13, z);
    const Point s{add(X1, scaled(16, z)), add(Y1, scaled(26, z))}; // bottom centre of the source
    const Point e{add(X2, scaled(16, z)), Y2}; // top centre of the target
    int m = int((int64_t(e.X) - s.X) / 2);
    if (m == 0 && std::abs(double(int64_t(s.Y) - e.Y)) < 2 * z)
        m = e.X < s.X ? scaled(32, z) : scaled(-32, z);
    const int y1 = add(s.Y, h);
    int y2 = add(e.Y, -int64_t(h));
    // Levels this close would show as a step of a pixel or two: one level instead.
    if (std::abs(int64_t(y1) - y2) < scaled(3, z))
        y2 = y1;
    const int mx = add(s.X, m);

    ArrowShape shape;
    shape.Line = {s, Point{s.X, y1}, Point{mx, y1}, Point{mx, y2}, Point{e.X, y2}, e};
    const int headY = add(e.Y, -int64_t(scaled(6, z)));
    shape.Head = {e, Point{add(e.X, -int64_t(scaled(5, z))), headY}, Point{add(e.X, scaled(4, z)), headY}};
    shape.PenWidth = scaled(2, z);
    return shape;
}

namespace {
void drawShape(DrawingSurface &canvas, const ArrowShape &shape)
{
    const int oldWidth = canvas.PenWidth();
    canvas.SetPenWidth(shape.PenWidth);
    canvas.Polyline({shape.Line.begin(), shape.Line.end()});
    canvas.SetPenWidth(oldWidth);
    canvas.SetBrushStyle(bsSolid);
    canvas.Polygon({shape.Head.begin(), shape.Head.end()});
}

// Pen and brush in Colour for the arrow; what the caller had comes back afterwards.
void drawShapeIn(DrawingSurface &canvas, const ArrowShape &shape, Color colour)
{
    const Color penColour = canvas.PenColor();
    const int penWidth = canvas.PenWidth();
    const Color brushColour = canvas.BrushColor();
    const BrushFill brushStyle = canvas.BrushStyle();
    canvas.SetPenColor(colour);
    canvas.SetBrushColor(colour);
    drawShape(canvas, shape);
    canvas.SetPenColor(penColour);
    canvas.SetPenWidth(penWidth);
    canvas.SetBrushColor(brushColour);
    canvas.SetBrushStyle(brushStyle);
}

ArrowShape shapeBetween(const LinkBox &source, const LinkBox &target, double zoom)
{
    return arrowShape(scaled(source.X, zoom), scaled(source.Y, zoom), scaled(target.X, zoom), scaled(target.Y, zoom),
                      zoom);
}

uint8_t columnOf(const LinkBox &item, const LinkBox &target)
{
    if (int64_t(target.X) - item.X > 8)
        return dcRight;
    if (int64_t(item.X) - target.X > 8)
        return dcLeft;
    return dcBelow;
}
} // namespace

void DrawArrow(DrawingSurface *Canvas, int X1, int Y1, int X2, int Y2, double Zoom)
{
    requireCanvas(Canvas);
    drawShape(*Canvas, arrowShape(X1, Y1, X2, Y2, Zoom));
}

void DrawArrowBetween(DrawingSurface *Canvas, const LinkBox *Source, const LinkBox *Target, Color Colour, double Zoom)
{
    if (!Source || !Target)
        return;
    requireCanvas(Canvas);
    drawShapeIn(*Canvas, shapeBetween(*Source, *Target, Zoom), Colour);
}

void DrawBoxLinks(DrawingSurface *Canvas, const LinkBox *Item, const QStringList &Exits, const FindLinkBox &Find,
                  TDstArrowMode Mode, const Rect &VisibleArea, double Zoom)
{
    if (!Canvas || !Item || !Find || Exits.isEmpty())
        return;
    const double z = Zoom;
    // The visible area in model units, where targets count as in sight.
    const Rect v = Rect::FromSize(RoundToInt(VisibleArea.Left / z), RoundToInt(VisibleArea.Top / z),
                                  RoundToInt((int64_t(VisibleArea.Right) - VisibleArea.Left) / z),
                                  RoundToInt((int64_t(VisibleArea.Bottom) - VisibleArea.Top) / z));

    std::vector<TDstLabel> labels;
    for (int i = 0; i < Exits.size(); ++i) {
        const std::optional<LinkBox> target = Find(Exits[i]);
        if (!target)
            continue;
        const Color colour = LinkColour(i);
        const ArrowShape shape = shapeBetween(*Item, *target, z);
        if (rectsMeet(shape.Bounds(), VisibleArea))
            drawShapeIn(*Canvas, shape, colour);
        const bool outOfSight = !PointInRect(v, target->X, target->Y);
        if (Mode == damAlways || (Mode == damOutOfSight && outOfSight))
            labels.push_back({target->Name, columnOf(*Item, *target), colour});
    }
    if (labels.empty())
        return;

    const bool addedBold = !Canvas->FontBold();
    if (addedBold)
        Canvas->SetFontBold(true);
    const Color fontColour = Canvas->FontColor();
    const Color penColour = Canvas->PenColor();
    const int top = scaled(int64_t(Item->Y) + 38, z);
    // Left-hand frames end at leftEnd + 4, the others start at rightStart, and every column
    // runs downward: labels that cannot reach the visible area are not even measured.
    const int leftEnd = scaled(int64_t(Item->X) + 12, z);
    const int rightStart = scaled(int64_t(Item->X) + 20, z);
    int y = top;
    for (uint8_t column : {dcLeft, dcRight, dcBelow}) {
        // Right-hand labels start level with the left-hand ones; those below continue under them.
        if (column == dcRight)
            y = top;
        const bool columnAside =
            column == dcLeft ? int64_t(leftEnd) + 4 < VisibleArea.Left : rightStart > VisibleArea.Right;
        for (const TDstLabel &label : labels) {
            if (label.Column != column)
                continue;
            if (columnAside || y > VisibleArea.Bottom)
                break;
            const int height = Canvas->TextHeight(label.Name);
            if (int64_t(y) + height < VisibleArea.Top) { // above the view: only its height matters
                y = add(y, int64_t(height) + 1);
                continue;
            }
            const Point extent = Canvas->TextExtent(label.Name);
            const int x = column == dcLeft ? ClampedSub(leftEnd, extent.X) : rightStart;
            const Rect frame = Rect::FromSize(x, y, ClampedAdd(extent.X, 4), extent.Y);
            if (rectsMeet(frame, VisibleArea)) {
                Canvas->SetFontColor(label.Colour);
                Canvas->TextOut(ClampedAdd(x, 2), y, label.Name);
                Canvas->SetPenColor(label.Colour);
                Canvas->Rectangle(frame);
            }
            y = add(y, int64_t(extent.Y) + 1);
        }
    }
    if (addedBold)
        Canvas->SetFontBold(false);
    Canvas->SetFontColor(fontColour);
    Canvas->SetPenColor(penColour);
}

int SteppedSectionHeight(int MaxY, int Minimum)
{
    return std::max(Minimum, ClampToInt((int64_t(MaxY) / 500 + 1) * 500));
}

void *FirstSelectedData(const TGraphEditor *Editor)
{
    if (!Editor)
        return nullptr;
    for (int i = 0; i < Editor->ItemCount(); ++i)
        if (Editor->Items(i)->Selected)
            return Editor->Items(i)->Data;
    return nullptr;
}

// ---- on the components of a section ----

LinkBox LinkBoxOf(const TWQFItem &Item) { return LinkBox{Item.GetName(), Item.GetX(), Item.GetY()}; }

QStringList ExitsOf(const TWQFItem &Item)
{
    QStringList exits;
    const int count = Item.JumpCount();
    for (int i = 0; i < count; ++i)
        exits << Item.GetJump(i);
    return exits;
}

ItemsByName::ItemsByName(const WQFItemList &Items)
{
    m_items.reserve(qsizetype(Items.size()));
    for (const auto &item : Items) {
        if (!item)
            continue;
        const QString name = item->GetName();
        if (!name.isEmpty() && !m_items.contains(name))
            m_items.insert(name, item.get());
    }
}

TWQFItem *ItemsByName::Find(const QString &Name) const { return Name.isEmpty() ? nullptr : m_items.value(Name); }

namespace {
// A target found by its exact name carries that name: no need to read it back.
std::optional<LinkBox> targetBox(const TWQFItem *item, const QString &name)
{
    if (!item)
        return std::nullopt;
    return LinkBox{name, item->GetX(), item->GetY()};
}

// The source box of the links; its own name plays no part in them.
LinkBox sourceBox(const TWQFItem &item) { return LinkBox{QString(), item.GetX(), item.GetY()}; }
} // namespace

FindLinkBox ItemsByName::Finder() const
{
    return [this](const QString &name) { return targetBox(Find(name), name); };
}

void DrawArrowBetween(DrawingSurface *Canvas, const TWQFItem *Source, const TWQFItem *Target, Color Colour, double Zoom)
{
    if (!Source || !Target)
        return;
    const LinkBox s = LinkBoxOf(*Source), t = LinkBoxOf(*Target);
    DrawArrowBetween(Canvas, &s, &t, Colour, Zoom);
}

void DrawItemLinks(DrawingSurface *Canvas, const TWQFItem *Item, const WQFItemList *Items, TDstArrowMode Mode,
                   const Rect &VisibleArea, double Zoom)
{
    if (!Canvas || !Item || !Items)
        return;
    const LinkBox box = sourceBox(*Item);
    const FindLinkBox find = [Items](const QString &name) { return targetBox(FindItemByName(*Items, name), name); };
    DrawBoxLinks(Canvas, &box, ExitsOf(*Item), find, Mode, VisibleArea, Zoom);
}

void DrawItemLinks(DrawingSurface *Canvas, const TWQFItem *Item, const ItemsByName &Items, TDstArrowMode Mode,
                   const Rect &VisibleArea, double Zoom)
{
    if (!Canvas || !Item)
        return;
    const LinkBox box = sourceBox(*Item);
    DrawBoxLinks(Canvas, &box, ExitsOf(*Item), Items.Finder(), Mode, VisibleArea, Zoom);
}

void GetItemsExtent(const WQFItemList *Items, int AddX, int AddY, int &MaxX, int &MaxY)
{
    MaxX = 0;
    MaxY = 0;
    if (!Items)
        return;
    for (const auto &item : *Items) {
        if (!item)
            continue;
        MaxX = std::max(MaxX, ClampedAdd(item->GetX(), AddX));
        MaxY = std::max(MaxY, ClampedAdd(item->GetY(), AddY));
    }
}

int SectionHeight(const TWQFSection *Section, int Minimum)
{
    if (!Section || Section->Items().empty())
        return Minimum;
    int maxX = 0, maxY = 0;
    GetItemsExtent(&Section->Items(), 32, 32, maxX, maxY);
    return SteppedSectionHeight(maxY, Minimum);
}
