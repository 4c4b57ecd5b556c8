// A section of 500 and of 5,000 linked components on a 1280 x 1024 view that shows the same
// 100: one full repaint, one mouse-move step of a drag of 500 selected boxes (move and
// repaint), the drop that ends it, and one rubber-band selection. The links are read from
// the components at every paint, or drawn from a snapshot taken at every rebuild; last, the
// section's own diagram binding, which paints pictures, captions and notes as well.
#include "editors/grapheditor.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfdrawutils.h"
#include "editors/wqfeditors.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int viewW = 1280, viewH = 1024;
constexpr int stepX = 128, stepY = 104; // 10 x 10 boxes in the view

// Components in rows of `columns`; exit 0 to the right-hand neighbour, exit 1 far away.
QByteArray generatePage(int count, int columns)
{
    QByteArray out = "<wqf><function><fn>bench</fn></function><preproc>\r\n";
    for (int i = 0; i < count; ++i)
        out += "<c><n>" + QByteArray::number(i) + "</n><t>SET</t><c/><j>" + QByteArray::number(i + 1) + "</j><j>" +
               QByteArray::number((i * 7919 + 13) % count) + "</j><x>" + QByteArray::number((i % columns) * stepX) +
               "</x><y>" + QByteArray::number((i / columns) * stepY) + "</y><values/></c>\r\n";
    return out + "</preproc><postproc/></wqf>\r\n";
}

// What the links need of every component, by name.
struct LinkSnapshot {
    std::vector<LinkBox> boxes;
    std::vector<QStringList> exits;
    QHash<QString, size_t> byName;
    FindLinkBox find = [this](const QString &name) -> std::optional<LinkBox> {
        auto it = byName.constFind(name);
        if (it == byName.cend())
            return std::nullopt;
        return boxes[*it];
    };

    void take(const WQFItemList &items)
    {
        boxes.clear();
        exits.clear();
        byName.clear();
        for (const auto &item : items) {
            boxes.push_back(linkBoxOf(*item));
            exits.push_back(exitsOf(*item));
            if (!byName.contains(boxes.back().name))
                byName.insert(boxes.back().name, boxes.size() - 1);
        }
    }
};

class BenchSource : public TGraphEditorSource {
public:
    BenchSource(TWQFSection *section, bool snapshot) : section(section), useSnapshot(snapshot) {}

    TWQFSection *section;
    bool useSnapshot;
    LinkSnapshot snapshot;
    TGraphEditor *editor = nullptr;

    void GetItems(DataList &list) override
    {
        for (const auto &item : section->Items())
            list.push_back(item.get());
        if (useSnapshot)
            snapshot.take(section->Items());
    }
    void GetItemInfo(void *data, Rect &r, bool &, QString &caption) override
    {
        const TWQFItem &item = *static_cast<TWQFItem *>(data);
        r = Rect::fromSize(item.GetX(), item.GetY(), boxWidth, boxHeight);
        caption = item.GetName();
    }
    void MoveItem(void *data, int dx, int dy) override
    {
        TWQFItem &item = *static_cast<TWQFItem *>(data);
        item.SetX(item.GetX() + dx);
        item.SetY(item.GetY() + dy);
        editor->Rebuild();
    }
    void PaintBackground(DrawingSurface &canvas, int offsetX, int offsetY, const TGraphPaintInfo &info) override
    {
        const Point size = info.ToView ? editor->GetViewSize() : editor->GetGraphSize();
        canvas.setBrushStyle(bsSolid);
        canvas.setBrushColor(clWhite);
        canvas.fillRect(Rect(0, 0, size.x, size.y));
        canvas.setOrigin(-offsetX, -offsetY);
        canvas.setBrushStyle(bsClear);
        const Rect visible = Rect::fromSize(offsetX, offsetY, size.x, size.y);
        if (useSnapshot) {
            for (size_t i = 0; i < snapshot.boxes.size(); ++i)
                drawBoxLinks(&canvas, &snapshot.boxes[i], snapshot.exits[i], snapshot.find, damOutOfSight, visible,
                             1.0);
        } else {
            const ItemsByName byName(section->Items());
            for (const auto &item : section->Items())
                DrawItemLinks(&canvas, item.get(), byName, damOutOfSight, visible, 1.0);
        }
        canvas.setOrigin(0, 0);
    }
    void PaintItem(DrawingSurface &canvas, void *data, int x, int y, bool selected,
                   const TGraphPaintInfo &info) override
    {
        const TWQFItem &item = *static_cast<TWQFItem *>(data);
        if (selected && info.Dragging) {
            x += info.DX;
            y += info.DY;
        }
        canvas.setBrushStyle(bsSolid);
        canvas.setBrushColor(clFirstExit);
        canvas.rectangle(Rect::fromSize(x, y, boxWidth, boxHeight));
        canvas.setBrushStyle(bsClear);
        if (selected)
            canvas.rectangle(Rect::fromSize(x - 2, y - 2, 36, 30));
        canvas.textOut(x + 36, y + 6, item.GetName());
    }
    void PaintOverlay(DrawingSurface &canvas, int, int, const TGraphPaintInfo &info) override
    {
        if (!info.ShowRubberBand)
            return;
        canvas.setPenColor(clBlack);
        canvas.setBrushStyle(bsClear);
        canvas.rectangle(info.RubberBand);
    }
};

// Median of several runs, in milliseconds.
double timeIt(int runs, const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

enum Mode { ReadLinks, Snapshot, Binding };

void run(int count, int columns, Mode mode)
{
    TWQFFile file;
    QBuffer buffer;
    buffer.setData(generatePage(count, columns));
    if (!buffer.open(QIODevice::ReadOnly) || !file.LoadFromStream(buffer, {})) {
        std::printf("page not loaded: %s\n", qPrintable(file.LastError()));
        return;
    }
    TWQFSection *section = file.FindSection(QStringLiteral("preproc"));
    BenchSource bench(section, mode == Snapshot);
    CommentRectList notes;
    notes.push_back(NewCommentRect(QStringLiteral("preproc"), 40, 40));
    TWQFEditorSource binding(section, &notes);
    binding.DstArrow = damOutOfSight;
    binding.VertSplit = 820;
    TGraphEditor editor(mode == Binding ? static_cast<TGraphEditorSource *>(&binding) : &bench);
    bench.editor = &editor;
    binding.Editor = &editor;
    editor.SetViewSize({viewW, viewH});
    editor.SetGraphSize({columns * stepX, (count / columns + 1) * stepY});
    editor.Rebuild();

    QImage image(viewW, viewH, QImage::Format_RGB32);
    auto repaint = [&] {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        editor.Paint(canvas, true);
    };
    int visible = 0;
    for (int i = 0; i < editor.ItemCount(); ++i) {
        const Rect &r = editor.Items(i)->Rect;
        visible += r.Right > 0 && r.Bottom > 0 && r.Left < viewW && r.Top < viewH;
    }
    const auto nothing = [] {};
    const double paintMs = timeIt(21, nothing, repaint);
    // The same with the view in the middle of the diagram, boxes on every side of it.
    editor.SetScrollPos({(columns / 2 - 5) * stepX, (count / columns / 2 - 5) * stepY});
    const double middleMs = timeIt(21, nothing, repaint);
    editor.SetScrollPos({0, 0});

    // A drag of the first 500 boxes, pressed on box 0.
    DataList selection;
    for (int i = 0; i < 500 && i < count; ++i)
        selection.push_back(section->Items()[size_t(i)].get());
    int step = 0;
    auto pressOnSelection = [&] {
        editor.SetSelected(nullptr, false);
        editor.SetSelected(&selection, true);
        editor.MouseEvent(5, 5, mekDown, Qt::LeftButton, {});
        editor.MouseEvent(6, 6, mekMove, Qt::LeftButton, {});
        step = 0;
    };
    pressOnSelection();
    const double dragMs = timeIt(
        21, [&] { ++step; },
        [&] {
            editor.MouseEvent(6 + step, 6 + step, mekMove, Qt::LeftButton, {});
            repaint();
        });
    editor.MouseEvent(6, 6, mekUp, Qt::RightButton, {});
    const double dropMs = timeIt(11, pressOnSelection, [&] { editor.MouseEvent(6, 6, mekUp, Qt::LeftButton, {}); });

    // A band from empty space at the view's bottom right up to the top left corner.
    const double bandMs = timeIt(21, nothing, [&] {
        editor.MouseEvent(viewW - 10, viewH - 10, mekDown, Qt::LeftButton, {});
        editor.MouseEvent(600, 500, mekMove, Qt::LeftButton, {});
        editor.MouseEvent(40, 30, mekUp, Qt::LeftButton, {});
    });
    const int caught = editor.SelectedCount();

    std::printf(
        "%-8s %5d boxes (%3d in view): repaint %7.3f ms (view in the middle %7.3f ms) | drag step, 500 selected "
        "%7.3f ms | drop %7.3f ms | band (%d caught) %7.3f ms\n",
        mode == Binding    ? "binding"
        : mode == Snapshot ? "snapshot"
                           : "read",
        count, visible, paintMs, middleMs, dragMs, dropMs, caught, bandMs);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (Mode mode : {ReadLinks, Snapshot, Binding}) {
        run(500, 10, mode);
        run(5000, 50, mode);
    }
    return 0;
}
