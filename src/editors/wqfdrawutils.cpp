// Drawing and measuring of the diagrams' boxes and arrows.
#include "wqfdrawutils.h"

#include "base/exception.h"
#include "base/mathutils.h"

#include <algorithm>
#include <cmath>

namespace {
int scaled(double v, double zoom) { return roundToInt(v * zoom); }
int add(int64_t a, int64_t b) { return clampToInt(a + b); }

bool rectsMeet(const Rect &a, const Rect &b)
{
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.bottom && b.Top <= a.bottom;
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
        r.bottom = std::max(r.bottom, p.Y);
    };
    for (const Point &p : Line)
        take(p);
    for (const Point &p : head)
        take(p);
    const int pen = std::max(1, PenWidth);
    return Rect(clampedSub(r.Left, pen), clampedSub(r.Top, pen), clampedAdd(r.Right, pen), clampedAdd(r.bottom, pen));
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
    shape.head = {e, Point{add(e.X, -int64_t(scaled(5, z))), headY}, Point{add(e.X, scaled(4, z)), headY}};
    shape.PenWidth = scaled(2, z);
    return shape;
}

namespace {
void drawShape(DrawingSurface &canvas, const ArrowShape &shape)
{
    const int oldWidth = canvas.PenWidth();
    canvas.setPenWidth(shape.PenWidth);
    canvas.polyline({shape.Line.begin(), shape.Line.end()});
    canvas.setPenWidth(oldWidth);
    canvas.setBrushStyle(bsSolid);
    canvas.polygon({shape.head.begin(), shape.head.end()});
}

// Pen and brush in Colour for the arrow; what the caller had comes back afterwards.
void drawShapeIn(DrawingSurface &canvas, const ArrowShape &shape, Color colour)
{
    const Color penColour = canvas.penColor();
    const int penWidth = canvas.PenWidth();
    const Color brushColour = canvas.brushColor();
    const BrushFill brushStyle = canvas.brushStyle();
    canvas.setPenColor(colour);
    canvas.setBrushColor(colour);
    drawShape(canvas, shape);
    canvas.setPenColor(penColour);
    canvas.setPenWidth(penWidth);
    canvas.setBrushColor(brushColour);
    canvas.setBrushStyle(brushStyle);
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

void DrawArrow(DrawingSurface *canvas, int X1, int Y1, int X2, int Y2, double Zoom)
{
    requireCanvas(canvas);
    drawShape(*canvas, arrowShape(X1, Y1, X2, Y2, Zoom));
}

void DrawArrowBetween(DrawingSurface *canvas, const LinkBox *Source, const LinkBox *Target, Color Colour, double Zoom)
{
    if (!Source || !Target)
        return;
    requireCanvas(canvas);
    drawShapeIn(*canvas, shapeBetween(*Source, *Target, Zoom), Colour);
}

void drawBoxLinks(DrawingSurface *canvas, const LinkBox *Item, const QStringList &Exits, const FindLinkBox &Find,
                  TDstArrowMode Mode, const Rect &visibleArea, double Zoom)
{
    if (!canvas || !Item || !Find || Exits.isEmpty())
        return;
    const double z = Zoom;
    // The visible area in model units, where targets count as in sight.
    const Rect v = Rect::fromSize(roundToInt(visibleArea.Left / z), roundToInt(visibleArea.Top / z),
                                  roundToInt((int64_t(visibleArea.Right) - visibleArea.Left) / z),
                                  roundToInt((int64_t(visibleArea.bottom) - visibleArea.Top) / z));

    std::vector<TDstLabel> labels;
    for (int i = 0; i < Exits.size(); ++i) {
        const std::optional<LinkBox> target = Find(Exits[i]);
        if (!target)
            continue;
        const Color colour = linkColour(i);
        const ArrowShape shape = shapeBetween(*Item, *target, z);
        if (rectsMeet(shape.Bounds(), visibleArea))
            drawShapeIn(*canvas, shape, colour);
        const bool outOfSight = !PointInRect(v, target->X, target->Y);
        if (Mode == damAlways || (Mode == damOutOfSight && outOfSight))
            labels.push_back({target->Name, columnOf(*Item, *target), colour});
    }
    if (labels.empty())
        return;

    const bool addedBold = !canvas->fontBold();
    if (addedBold)
        canvas->setFontBold(true);
    const Color fontColour = canvas->fontColor();
    const Color penColour = canvas->penColor();
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
            column == dcLeft ? int64_t(leftEnd) + 4 < visibleArea.Left : rightStart > visibleArea.Right;
        for (const TDstLabel &label : labels) {
            if (label.column != column)
                continue;
            if (columnAside || y > visibleArea.bottom)
                break;
            const int height = canvas->textHeight(label.Name);
            if (int64_t(y) + height < visibleArea.Top) { // above the view: only its height matters
                y = add(y, int64_t(height) + 1);
                continue;
            }
            const Point extent = canvas->textExtent(label.Name);
            const int x = column == dcLeft ? clampedSub(leftEnd, extent.X) : rightStart;
            const Rect frame = Rect::fromSize(x, y, clampedAdd(extent.X, 4), extent.Y);
            if (rectsMeet(frame, visibleArea)) {
                canvas->setFontColor(label.Colour);
                canvas->textOut(clampedAdd(x, 2), y, label.Name);
                canvas->setPenColor(label.Colour);
                canvas->rectangle(frame);
            }
            y = add(y, int64_t(extent.Y) + 1);
        }
    }
    if (addedBold)
        canvas->setFontBold(false);
    canvas->setFontColor(fontColour);
    canvas->setPenColor(penColour);
}

int steppedSectionHeight(int maxY, int minimum)
{
    return std::max(minimum, clampToInt((int64_t(maxY) / 500 + 1) * 500));
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

LinkBox linkBoxOf(const TWQFItem &Item) { return LinkBox{Item.GetName(), Item.GetX(), Item.GetY()}; }

QStringList exitsOf(const TWQFItem &Item)
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

FindLinkBox ItemsByName::finder() const
{
    return [this](const QString &name) { return targetBox(Find(name), name); };
}

void DrawArrowBetween(DrawingSurface *canvas, const TWQFItem *Source, const TWQFItem *Target, Color Colour, double Zoom)
{
    if (!Source || !Target)
        return;
    const LinkBox s = linkBoxOf(*Source), t = linkBoxOf(*Target);
    DrawArrowBetween(canvas, &s, &t, Colour, Zoom);
}

void DrawItemLinks(DrawingSurface *canvas, const TWQFItem *Item, const WQFItemList *Items, TDstArrowMode Mode,
                   const Rect &visibleArea, double Zoom)
{
    if (!canvas || !Item || !Items)
        return;
    const LinkBox box = sourceBox(*Item);
    const FindLinkBox find = [Items](const QString &name) { return targetBox(FindItemByName(*Items, name), name); };
    drawBoxLinks(canvas, &box, exitsOf(*Item), find, Mode, visibleArea, Zoom);
}

void DrawItemLinks(DrawingSurface *canvas, const TWQFItem *Item, const ItemsByName &Items, TDstArrowMode Mode,
                   const Rect &visibleArea, double Zoom)
{
    if (!canvas || !Item)
        return;
    const LinkBox box = sourceBox(*Item);
    drawBoxLinks(canvas, &box, exitsOf(*Item), Items.finder(), Mode, visibleArea, Zoom);
}

void GetItemsExtent(const WQFItemList *Items, int addX, int addY, int &maxX, int &maxY)
{
    maxX = 0;
    maxY = 0;
    if (!Items)
        return;
    for (const auto &item : *Items) {
        if (!item)
            continue;
        maxX = std::max(maxX, clampedAdd(item->GetX(), addX));
        maxY = std::max(maxY, clampedAdd(item->GetY(), addY));
    }
}

int SectionHeight(const TWQFSection *Section, int minimum)
{
    if (!Section || Section->Items().empty())
        return minimum;
    int maxX = 0, maxY = 0;
    GetItemsExtent(&Section->Items(), 32, 32, maxX, maxY);
    return steppedSectionHeight(maxY, minimum);
}
