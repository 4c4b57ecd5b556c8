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
enum TDstColumn : uint8_t { dcLeft = 0, dcRight = 1, dcBelow = 2 };

struct TDstLabel {
    QString Name;
    uint8_t Column = dcBelow;
    TColor Colour = 0;
};

constexpr TColor clFirstExit = RGBToColor(166, 202, 240);
constexpr TColor clOtherExit = RGBToColor(128, 128, 128);
// Exit 0 light blue, every other exit grey.
constexpr TColor LinkColour(int exitIndex) { return exitIndex == 0 ? clFirstExit : clOtherExit; }

// A component box is 32 x 26 model units.
constexpr int BoxWidth = 32;
constexpr int BoxHeight = 26;

// The routed line and head of an arrow, in canvas pixels.
struct TArrowShape {
    std::array<TPoint, 6> Line;
    std::array<TPoint, 3> Head;
    int PenWidth = 0;
    // Everything the arrow may touch, the pen's width included.
    Rect Bounds() const;
};

// X1, Y1 is the top-left corner of the source box, X2, Y2 that of the target box, both
// already scaled. The arrow leaves the source's bottom centre downward and enters the
// target's top centre from above; a target straight below and touching is reached by a
// detour to the side.
TArrowShape ArrowShape(int X1, int Y1, int X2, int Y2, double Zoom);
void DrawArrow(TCanvas *Canvas, int X1, int Y1, int X2, int Y2, double Zoom);

// A component as the link drawing sees it: its name and stored position in model units.
struct TLinkBox {
    QString Name;
    int X = 0;
    int Y = 0;
};
// The component of a name, as the section's list answers it; none for no such component.
using TFindLinkBox = std::function<std::optional<TLinkBox>(const QString &Name)>;

// Nothing when either box is missing. Pen and brush take Colour for the arrow and are
// restored afterwards.
void DrawArrowBetween(TCanvas *Canvas, const TLinkBox *Source, const TLinkBox *Target, TColor Colour, double Zoom);

// The arrows of all exits of Item and its destination labels. VisibleArea is the visible
// part of the diagram in canvas pixels; arrows and labels wholly outside it are not drawn,
// which changes nothing on screen and keeps a large diagram's paint to what is seen.
void DrawBoxLinks(TCanvas *Canvas, const TLinkBox *Item, const QStringList &Exits, const TFindLinkBox &Find,
                  TDstArrowMode Mode, const Rect &VisibleArea, double Zoom);

// A full step of 500 above the lowest point, and at least Minimum.
int SteppedSectionHeight(int MaxY, int Minimum);

// ---- on the components of a section ----

TLinkBox LinkBoxOf(const TWQFItem &Item);
// The texts of all exits, exit 0 first.
QStringList ExitsOf(const TWQFItem &Item);

// The components of a list by name, for drawing the links of a whole section at once: the
// first of equal names wins, as FindItemByName answers. Valid while the list is unchanged.
class TItemsByName {
public:
    explicit TItemsByName(const WQFItemList &Items);
    TWQFItem *Find(const QString &Name) const;
    TFindLinkBox Finder() const;

private:
    QHash<QString, TWQFItem *> m_items;
};

void DrawArrowBetween(TCanvas *Canvas, const TWQFItem *Source, const TWQFItem *Target, TColor Colour, double Zoom);
// The arrows and destination labels of Item's exits; targets are looked up in Items.
void DrawItemLinks(TCanvas *Canvas, const TWQFItem *Item, const WQFItemList *Items, TDstArrowMode Mode,
                   const Rect &VisibleArea, double Zoom);
void DrawItemLinks(TCanvas *Canvas, const TWQFItem *Item, const TItemsByName &Items, TDstArrowMode Mode,
                   const Rect &VisibleArea, double Zoom);

// The largest x + AddX and y + AddY of the components; 0 for none (or only smaller values).
void GetItemsExtent(const WQFItemList *Items, int AddX, int AddY, int &MaxX, int &MaxY);
// The height stored for a section: Minimum for none or an empty one.
int SectionHeight(const TWQFSection *Section, int Minimum);

// The first selected data of an editor; nil for no editor or no selection.
void *FirstSelectedData(const TGraphEditor *Editor);
