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
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

void requireCanvas(const DrawingSurface *canvas)
{
    if (!canvas)
        throw ERunError::nilReference();
}
} // namespace

Rect ArrowShape::bounds() const
{
    Rect r(line[0].x, line[0].y, line[0].x, line[0].y);
    auto take = [&r](const Point &p) {
        r.Left = std::min(r.Left, p.x);
        r.Top = std::min(r.Top, p.y);
        r.Right = std::max(r.Right, p.x);
        r.Bottom = std::max(r.Bottom, p.y);
    };
    for (const Point &p : line)
        take(p);
    for (const Point &p : head)
        take(p);
    const int pen = std::max(1, penWidth);
    return Rect(clampedSub(r.Left, pen), clampedSub(r.Top, pen), clampedAdd(r.Right, pen), clampedAdd(r.Bottom, pen));
}

ArrowShape arrowShape(int x1, int y1, int x2, int y2, double zoom)
{
    const double z = zoom;
    const int h = scaled(13, z);
    const Point s{add(x1, scaled(16, z)), add(y1, scaled(26, z))}; // bottom centre of the source
    const Point e{add(x2, scaled(16, z)), y2}; // top centre of the target
    int m = int((int64_t(e.x) - s.x) / 2);
    if (m == 0 && std::abs(double(int64_t(s.y) - e.y)) < 2 * z)
        m = e.x < s.x ? scaled(32, z) : scaled(-32, z);
    const int firstLevel = add(s.y, h);
    int lastLevel = add(e.y, -int64_t(h));
    // Levels this close would show as a step of a pixel or two: one level instead.
    if (std::abs(int64_t(firstLevel) - lastLevel) < scaled(3, z))
        lastLevel = firstLevel;
    const int mx = add(s.x, m);

    ArrowShape shape;
    shape.line = {s, Point{s.x, firstLevel}, Point{mx, firstLevel}, Point{mx, lastLevel}, Point{e.x, lastLevel}, e};
    const int headY = add(e.y, -int64_t(scaled(6, z)));
    shape.head = {e, Point{add(e.x, -int64_t(scaled(5, z))), headY}, Point{add(e.x, scaled(4, z)), headY}};
    shape.penWidth = scaled(2, z);
    return shape;
}

namespace {
void drawShape(DrawingSurface &canvas, const ArrowShape &shape)
{
    const int oldWidth = canvas.penWidth();
    canvas.setPenWidth(shape.penWidth);
    canvas.polyline({shape.line.begin(), shape.line.end()});
    canvas.setPenWidth(oldWidth);
    canvas.setBrushStyle(bsSolid);
    canvas.polygon({shape.head.begin(), shape.head.end()});
}

// Pen and brush in Colour for the arrow; what the caller had comes back afterwards.
void drawShapeIn(DrawingSurface &canvas, const ArrowShape &shape, Color colour)
{
    const Color penColour = canvas.penColor();
    const int penWidth = canvas.penWidth();
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
    return arrowShape(scaled(source.x, zoom), scaled(source.y, zoom), scaled(target.x, zoom), scaled(target.y, zoom),
                      zoom);
}

uint8_t columnOf(const LinkBox &item, const LinkBox &target)
{
    if (int64_t(target.x) - item.x > 8)
        return dcRight;
    if (int64_t(item.x) - target.x > 8)
        return dcLeft;
    return dcBelow;
}
} // namespace

void DrawArrow(DrawingSurface *canvas, int x1, int y1, int x2, int y2, double zoom)
{
    requireCanvas(canvas);
    drawShape(*canvas, arrowShape(x1, y1, x2, y2, zoom));
}

void DrawArrowBetween(DrawingSurface *canvas, const LinkBox *source, const LinkBox *target, Color colour, double zoom)
{
    if (!source || !target)
        return;
    requireCanvas(canvas);
    drawShapeIn(*canvas, shapeBetween(*source, *target, zoom), colour);
}

void drawBoxLinks(DrawingSurface *canvas, const LinkBox *item, const QStringList &exits, const FindLinkBox &find,
                  TDstArrowMode mode, const Rect &visibleArea, double zoom)
{
    if (!canvas || !item || !find || exits.isEmpty())
        return;
    const double z = zoom;
    // The visible area in model units, where targets count as in sight.
    const Rect v = Rect::fromSize(roundToInt(visibleArea.Left / z), roundToInt(visibleArea.Top / z),
                                  roundToInt((int64_t(visibleArea.Right) - visibleArea.Left) / z),
                                  roundToInt((int64_t(visibleArea.Bottom) - visibleArea.Top) / z));

    std::vector<TDstLabel> labels;
    for (int i = 0; i < exits.size(); ++i) {
        const std::optional<LinkBox> target = find(exits[i]);
        if (!target)
            continue;
        const Color colour = linkColour(i);
        const ArrowShape shape = shapeBetween(*item, *target, z);
        if (rectsMeet(shape.bounds(), visibleArea))
            drawShapeIn(*canvas, shape, colour);
        const bool outOfSight = !PointInRect(v, target->x, target->y);
        if (mode == damAlways || (mode == damOutOfSight && outOfSight))
            labels.push_back({target->name, columnOf(*item, *target), colour});
    }
    if (labels.empty())
        return;

    const bool addedBold = !canvas->fontBold();
    if (addedBold)
        canvas->setFontBold(true);
    const Color fontColour = canvas->fontColor();
    const Color penColour = canvas->penColor();
    const int top = scaled(int64_t(item->y) + 38, z);
    // Left-hand frames end at leftEnd + 4, the others start at rightStart, and every column
    // runs downward: labels that cannot reach the visible area are not even measured.
    const int leftEnd = scaled(int64_t(item->x) + 12, z);
    const int rightStart = scaled(int64_t(item->x) + 20, z);
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
            if (columnAside || y > visibleArea.Bottom)
                break;
            const int height = canvas->textHeight(label.name);
            if (int64_t(y) + height < visibleArea.Top) { // above the view: only its height matters
                y = add(y, int64_t(height) + 1);
                continue;
            }
            const Point extent = canvas->textExtent(label.name);
            const int x = column == dcLeft ? clampedSub(leftEnd, extent.x) : rightStart;
            const Rect frame = Rect::fromSize(x, y, clampedAdd(extent.x, 4), extent.y);
            if (rectsMeet(frame, visibleArea)) {
                canvas->setFontColor(label.colour);
                canvas->textOut(clampedAdd(x, 2), y, label.name);
                canvas->setPenColor(label.colour);
                canvas->rectangle(frame);
            }
            y = add(y, int64_t(extent.y) + 1);
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

void *FirstSelectedData(const TGraphEditor *editor)
{
    if (!editor)
        return nullptr;
    for (int i = 0; i < editor->ItemCount(); ++i)
        if (editor->Items(i)->Selected)
            return editor->Items(i)->Data;
    return nullptr;
}

// ---- on the components of a section ----

LinkBox linkBoxOf(const TWQFItem &item) { return LinkBox{item.GetName(), item.GetX(), item.GetY()}; }

QStringList exitsOf(const TWQFItem &item)
{
    QStringList exits;
    const int count = item.JumpCount();
    for (int i = 0; i < count; ++i)
        exits << item.GetJump(i);
    return exits;
}

ItemsByName::ItemsByName(const WQFItemList &items)
{
    m_items.reserve(qsizetype(items.size()));
    for (const auto &item : items) {
        if (!item)
            continue;
        const QString name = item->GetName();
        if (!name.isEmpty() && !m_items.contains(name))
            m_items.insert(name, item.get());
    }
}

TWQFItem *ItemsByName::find(const QString &name) const { return name.isEmpty() ? nullptr : m_items.value(name); }

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
    return [this](const QString &name) { return targetBox(find(name), name); };
}

void DrawArrowBetween(DrawingSurface *canvas, const TWQFItem *source, const TWQFItem *target, Color colour, double zoom)
{
    if (!source || !target)
        return;
    const LinkBox s = linkBoxOf(*source), t = linkBoxOf(*target);
    DrawArrowBetween(canvas, &s, &t, colour, zoom);
}

void DrawItemLinks(DrawingSurface *canvas, const TWQFItem *item, const WQFItemList *items, TDstArrowMode mode,
                   const Rect &visibleArea, double zoom)
{
    if (!canvas || !item || !items)
        return;
    const LinkBox box = sourceBox(*item);
    const FindLinkBox find = [items](const QString &name) { return targetBox(FindItemByName(*items, name), name); };
    drawBoxLinks(canvas, &box, exitsOf(*item), find, mode, visibleArea, zoom);
}

void DrawItemLinks(DrawingSurface *canvas, const TWQFItem *item, const ItemsByName &items, TDstArrowMode mode,
                   const Rect &visibleArea, double zoom)
{
    if (!canvas || !item)
        return;
    const LinkBox box = sourceBox(*item);
    drawBoxLinks(canvas, &box, exitsOf(*item), items.finder(), mode, visibleArea, zoom);
}

void GetItemsExtent(const WQFItemList *items, int addX, int addY, int &maxX, int &maxY)
{
    maxX = 0;
    maxY = 0;
    if (!items)
        return;
    for (const auto &item : *items) {
        if (!item)
            continue;
        maxX = std::max(maxX, clampedAdd(item->GetX(), addX));
        maxY = std::max(maxY, clampedAdd(item->GetY(), addY));
    }
}

int SectionHeight(const TWQFSection *section, int minimum)
{
    if (!section || section->Items().empty())
        return minimum;
    int maxX = 0, maxY = 0;
    GetItemsExtent(&section->Items(), 32, 32, maxX, maxY);
    return steppedSectionHeight(maxY, minimum);
}
