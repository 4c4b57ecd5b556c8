#pragma once
// Drawing and measuring routines of the flow diagrams that do not depend on the graph
// editor's state: routed arrows between component boxes, destination labels of exits whose
// targets lie out of sight, and the extent and stored height of a component list.
#include "grapheditor.h"
#include "model/wqftypes.h"

#include <QHash>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// When the labels naming exit targets are drawn.
enum TDstArrowMode : uint8_t { damNever = 0, damOutOfSight = 1, damAlways = 2 };

// Where a label stands: left of the source box, right of it, or below.
enum DstColumn : uint8_t { dcLeft = 0, dcRight = 1, dcBelow = 2 };

struct TDstLabel {
    QString name;
    uint8_t column = dcBelow;
    Color colour = 0;
};

constexpr Color clFirstExit = rgbToColor(166, 202, 240);
constexpr Color clOtherExit = rgbToColor(128, 128, 128);
// Exit 0 light blue, every other exit grey.
constexpr Color linkColour(int exitIndex) { return exitIndex == 0 ? clFirstExit : clOtherExit; }

// A component box is 32 x 26 model units.
constexpr int boxWidth = 32;
constexpr int boxHeight = 26;

// The routed line and head of an arrow, in canvas pixels.
struct ArrowShape {
    std::array<Point, 6> line;
    std::array<Point, 3> head;
    int penWidth = 0;
    // Everything the arrow may touch, the pen's width included.
    Rect bounds() const;
};

// X1, y1 is the top-left corner of the source box, x2, y2 that of the target box, both
// already scaled. The arrow leaves the source's bottom centre downward and enters the
// target's top centre from above; a target straight below and touching is reached by a
// detour to the side.
ArrowShape arrowShape(int x1, int y1, int x2, int y2, double zoom);
void DrawArrow(DrawingSurface *canvas, int x1, int y1, int x2, int y2, double zoom);

// A component as the link drawing sees it: its name and stored position in model units.
struct LinkBox {
    QString name;
    int x = 0;
    int y = 0;
};
// The component of a name, as the section's list answers it; none for no such component.
using FindLinkBox = std::function<std::optional<LinkBox>(const QString &Name)>;

// Nothing when either box is missing. Pen and brush take colour for the arrow and are
// restored afterwards.
void DrawArrowBetween(DrawingSurface *canvas, const LinkBox *source, const LinkBox *target, Color colour, double zoom);

// The arrows of all exits of item and its destination labels. visibleArea is the visible
// part of the diagram in canvas pixels; arrows and labels wholly outside it are not drawn,
// which changes nothing on screen and keeps a large diagram's paint to what is seen.
void drawBoxLinks(DrawingSurface *canvas, const LinkBox *item, const QStringList &exits, const FindLinkBox &find,
                  TDstArrowMode mode, const Rect &visibleArea, double zoom);

// A full step of 500 above the lowest point, and at least minimum.
int steppedSectionHeight(int maxY, int minimum);

// ---- on the components of a section ----

LinkBox linkBoxOf(const TWQFItem &item);
// The texts of all exits, exit 0 first.
QStringList exitsOf(const TWQFItem &item);

// The components of a list by name, for drawing the links of a whole section at once: the
// first of equal names wins, as FindItemByName answers. Valid while the list is unchanged.
class ItemsByName {
public:
    explicit ItemsByName(const WQFItemList &items);
    TWQFItem *find(const QString &name) const;
    FindLinkBox finder() const;

private:
    QHash<QString, TWQFItem *> m_items;
};

void DrawArrowBetween(DrawingSurface *canvas, const TWQFItem *source, const TWQFItem *target, Color colour,
                      double zoom);
// The arrows and destination labels of item's exits; targets are looked up in items.
void DrawItemLinks(DrawingSurface *canvas, const TWQFItem *item, const WQFItemList *items, TDstArrowMode mode,
                   const Rect &visibleArea, double zoom);
void DrawItemLinks(DrawingSurface *canvas, const TWQFItem *item, const ItemsByName &items, TDstArrowMode mode,
                   const Rect &visibleArea, double zoom);

// The largest x + addX and y + addY of the components; 0 for none (or only smaller values).
void GetItemsExtent(const WQFItemList *items, int addX, int addY, int &maxX, int &maxY);
// The height stored for a section: minimum for none or an empty one.
int SectionHeight(const TWQFSection *section, int minimum);

// The first selected data of an editor; nil for no editor or no selection.
void *FirstSelectedData(const TGraphEditor *editor);
