#include "common/pagefixture.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "diagramwindow.h"
#include "editors/wqfeditors.h"
#include "recordingcanvas.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <stdexcept>

using namespace pellorin_test;

namespace {
// Component 2 stands off the grid, component 3 has no position elements, component 4 lies
// far down and right; postproc has a component of its own.
const char *const page = R"(<wqf><function><fn>f</fn></function><preproc>
<c><n>1</n><t>IF</t><c>first</c><j>2</j><j>3</j><x>64</x><y>52</y></c>
<c><n>2</n><t>SET</t><c>second</c><j></j><x>33</x><y>131</y></c>
<c><n>3</n><t>SET</t><c/><j>1</j></c>
<c><n>4</n><t>TEMPLATE</t><c>far</c><x>1600</x><y>1300</y></c>
</preproc><postproc><c><n>1</n><t>SET</t><x>0</x><y>0</y></c></postproc></wqf>)";

using pellorin_test::loadPage;

QByteArray pageBytes(TWQFFile &file)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    file.SaveToStream(buffer, {});
    return buffer.data();
}

// A source over the preproc section of a page, served by a plain editor on an 800 x 600 view.
struct Diagram {
    explicit Diagram(double zoom = 1.0, const char *bytes = page) : file(loadPage(bytes))
    {
        section = file->FindSection(QStringLiteral("preproc"));
        source = std::make_unique<TWQFEditorSource>(section, &notes);
        source->SetZoom(zoom);
        editor = std::make_unique<TGraphEditor>(source.get());
        source->Editor = editor.get();
        editor->SetViewSize({800, 600});
        editor->SetGraphSize({2000, 1600});
    }
    TCommentRect *addNote(const Rect &r, const QString &sectionName = QStringLiteral("preproc"), bool showText = false)
    {
        auto note = std::make_unique<TCommentRect>();
        note->Rect = r;
        note->Section = sectionName;
        note->Title = QStringLiteral("Plan");
        note->Text = QStringLiteral("Body");
        note->ShowText = showText;
        notes.push_back(std::move(note));
        return notes.back().get();
    }
    TWQFItem *item(int index) const { return section->Items()[size_t(index)].get(); }
    void select(const DataList &list)
    {
        editor->SetSelected(nullptr, false);
        editor->SetSelected(&list, true);
    }
    void mouse(int x, int y, MouseEventKind kind, Qt::MouseButton button = Qt::LeftButton)
    {
        editor->MouseEvent(x, y, kind, button, {});
    }

    std::unique_ptr<TWQFFile> file;
    TWQFSection *section = nullptr;
    CommentRectList notes;
    std::unique_ptr<TWQFEditorSource> source;
    std::unique_ptr<TGraphEditor> editor; // goes first: it points at the source
};

const CanvasOp *textOp(const RecordingCanvas &canvas, const QString &text)
{
    for (const CanvasOp &op : canvas.recorded)
        if (op.kind == u"text" && op.text == text)
            return &op;
    return nullptr;
}

Point textAt(const RecordingCanvas &canvas, const QString &text)
{
    const CanvasOp *op = textOp(canvas, text);
    return op ? op->points[0] : Point{-9999, -9999};
}

// Rectangles drawn with a solid brush of the colour.
QStringList filledRects(const RecordingCanvas &canvas, Color brush)
{
    QStringList out;
    for (const CanvasOp &op : canvas.ops(QStringLiteral("rectangle")))
        if (op.brushStyle == bsSolid && op.brush == brush)
            out << rectText(op.r);
    return out;
}

QStringList clearRects(const RecordingCanvas &canvas)
{
    QStringList out;
    for (const CanvasOp &op : canvas.ops(QStringLiteral("rectangle")))
        if (op.brushStyle == bsClear)
            out << rectText(op.r);
    return out;
}

QRgb rgbOf(Color c) { return qRgb(colorRed(c), colorGreen(c), colorBlue(c)); }

int countPixels(const QImage &image, Color colour)
{
    const QRgb want = rgbOf(colour);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF);
    return n;
}

QString outputFolder()
{
    const QString dir = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("test-output"));
    QDir().mkpath(dir);
    return dir;
}
} // namespace

class TestWQFEditors : public QObject {
    Q_OBJECT
private slots:
    void snapping_data()
    {
        QTest::addColumn<Point>("from");
        QTest::addColumn<Point>("drag"); // view pixels
        QTest::addColumn<double>("zoom");
        QTest::addColumn<Point>("to");
        QTest::newRow("just short of half a step") << Point{0, 0} << Point{47, 38} << 1.0 << Point{32, 26};
        QTest::newRow("half a step goes right and down") << Point{0, 0} << Point{48, 39} << 1.0 << Point{64, 52};
        QTest::newRow("odd position, no drag") << Point{33, 131} << Point{0, 0} << 1.0 << Point{32, 130};
        QTest::newRow("left of and above the origin") << Point{0, 0} << Point{-17, -14} << 1.0 << Point{0, 0};
        QTest::newRow("far beyond the origin") << Point{64, 52} << Point{-500, -500} << 1.0 << Point{0, 0};
        QTest::newRow("negative stored position") << Point{-40, -30} << Point{0, 0} << 1.0 << Point{0, 0};
        // At zoom 2 the drag halves, halves of a pixel rounding to even.
        QTest::newRow("zoom 2: 47.5 and 39.5 round up") << Point{0, 0} << Point{95, 79} << 2.0 << Point{64, 52};
        QTest::newRow("zoom 2: 46.5 and 38.5 round down") << Point{0, 0} << Point{93, 77} << 2.0 << Point{32, 26};
        QTest::newRow("zoom 2: odd negative drag") << Point{18, 15} << Point{-3, -3} << 2.0 << Point{32, 26};
        QTest::newRow("zoom 2: odd position, odd drag") << Point{17, 13} << Point{-3, -1} << 2.0 << Point{0, 26};
        QTest::newRow("zoom 0 moves nothing") << Point{64, 52} << Point{300, 300} << 0.0 << Point{64, 52};
    }
    void snapping()
    {
        QFETCH(Point, from);
        QFETCH(Point, drag);
        QFETCH(double, zoom);
        QFETCH(Point, to);
        Diagram d(zoom);
        TWQFItem *item = d.item(0);
        item->SetX(from.x);
        item->SetY(from.y);
        d.editor->Rebuild();
        d.source->MoveItem(item, drag.x, drag.y);
        QCOMPARE((Point{item->GetX(), item->GetY()}), to);
        // The move rebuilt the editor: its item stands where the component now is.
        Rect r;
        QVERIFY(d.editor->GetItemRect(item, r));
        QCOMPARE(r, ScaleRect(Rect::fromSize(to.x, to.y, 32, 26), zoom));
    }

    void snappingCreatesMissingPosition()
    {
        Diagram d;
        TWQFItem *item = d.item(2);
        QVERIFY(!item->XNode() && !item->YNode());
        d.editor->Rebuild();
        d.source->MoveItem(item, 20, 20);
        QVERIFY(item->XNode() && item->YNode());
        QCOMPARE((Point{item->GetX(), item->GetY()}), (Point{32, 26}));
    }

    void noteMoves_data()
    {
        QTest::addColumn<bool>("handle");
        QTest::addColumn<Point>("drag");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<Rect>("result");
        const bool note = false, handle = true;
        QTest::newRow("note moves freely") << note << Point{7, -3} << 1.0 << Rect(17, 17, 117, 57);
        QTest::newRow("note at zoom 2") << note << Point{5, -5} << 2.0 << Rect(12, 18, 112, 58);
        // Its title bar stays where it can be clicked again.
        QTest::newRow("note stops at the top-left edge") << note << Point{-30, -40} << 1.0 << Rect(0, 0, 100, 40);
        QTest::newRow("note stops at the left edge") << note << Point{-30, 5} << 1.0 << Rect(0, 25, 100, 65);
        QTest::newRow("handle grows the note") << handle << Point{30, 20} << 1.0 << Rect(10, 20, 140, 80);
        // (-40, -40, 10, 20) after the swap, then moved back to the edge.
        QTest::newRow("handle past the top-left corner swaps")
            << handle << Point{-150, -100} << 1.0 << Rect(0, 0, 50, 60);
        QTest::newRow("handle shrinks to the minimum") << handle << Point{-80, -30} << 1.0 << Rect(10, 20, 60, 50);
        QTest::newRow("swap, then the minimum") << handle << Point{-105, -45} << 1.0 << Rect(5, 15, 55, 45);
        QTest::newRow("handle at zoom 2") << handle << Point{21, 9} << 2.0 << Rect(10, 20, 120, 64);
    }
    void noteMoves()
    {
        QFETCH(bool, handle);
        QFETCH(Point, drag);
        QFETCH(double, zoom);
        QFETCH(Rect, result);
        Diagram d(zoom);
        TCommentRect *note = d.addNote(Rect(10, 20, 110, 60));
        d.editor->Rebuild();
        const QByteArray before = pageBytes(*d.file);
        d.source->MoveItem(handle ? static_cast<void *>(d.source->HandleOf(note)) : note, drag.x, drag.y);
        QCOMPARE(note->Rect, result);
        // Notes live in the note list only.
        QCOMPARE(pageBytes(*d.file), before);
    }

    void hitRects_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Rect>("model"); // component: x, y; note: its rectangle
        QTest::addColumn<double>("zoom");
        QTest::addColumn<Rect>("hit");
        QTest::addColumn<bool>("groupable");
        QTest::newRow("component at zoom 1.25: 97.5 rounds to 98")
            << "component" << Rect(64, 52, 0, 0) << 1.25 << Rect(80, 65, 120, 98) << true;
        QTest::newRow("component: 87.5 rounds to 88")
            << "component" << Rect(0, 44, 0, 0) << 1.25 << Rect(0, 55, 40, 88) << true;
        QTest::newRow("component: 92.5 rounds to 92")
            << "component" << Rect(0, 48, 0, 0) << 1.25 << Rect(0, 60, 40, 92) << true;
        QTest::newRow("note: the title bar only")
            << "note" << Rect(10, 20, 110, 60) << 1.0 << Rect(10, 20, 110, 40) << true;
        QTest::newRow("note lower than its bar")
            << "note" << Rect(10, 20, 110, 30) << 1.0 << Rect(10, 20, 110, 30) << true;
        QTest::newRow("note upside down") << "note" << Rect(10, 60, 110, 20) << 1.0 << Rect(10, 60, 110, 80) << true;
        QTest::newRow("note at zoom 2") << "note" << Rect(10, 20, 110, 60) << 2.0 << Rect(20, 40, 220, 80) << true;
        QTest::newRow("handle") << "handle" << Rect(10, 20, 110, 60) << 1.0 << Rect(95, 45, 110, 60) << false;
        QTest::newRow("handle at zoom 2")
            << "handle" << Rect(10, 20, 110, 60) << 2.0 << Rect(190, 90, 220, 120) << false;
    }
    void hitRects()
    {
        QFETCH(QString, kind);
        QFETCH(Rect, model);
        QFETCH(double, zoom);
        QFETCH(Rect, hit);
        QFETCH(bool, groupable);
        Diagram d(zoom);
        TCommentRect *note = d.addNote(model);
        d.item(0)->SetX(model.Left);
        d.item(0)->SetY(model.Top);
        d.editor->Rebuild();
        void *data = kind == u"component" ? static_cast<void *>(d.item(0))
                     : kind == u"note"    ? static_cast<void *>(note)
                                          : static_cast<void *>(d.source->HandleOf(note));
        const TGraphEditorItem *item = d.editor->FindItem(data);
        QVERIFY(item);
        QCOMPARE(item->Rect, hit);
        QCOMPARE(item->Groupable, groupable);
        if (kind == u"component")
            QCOMPARE(item->Caption, QStringLiteral("1"));
    }

    void clicksBelowATitleBarHitWhatLiesUnder()
    {
        Diagram d;
        TCommentRect *note = d.addNote(Rect(0, 0, 200, 100));
        d.editor->Rebuild();
        QCOMPARE(d.editor->DataAt(70, 10), static_cast<void *>(note));
        QCOMPARE(d.editor->DataAt(70, 60), static_cast<void *>(d.item(0))); // component 1 at (64, 52)
        QCOMPARE(d.editor->DataAt(150, 60), nullptr);
        QCOMPARE(d.editor->DataAt(190, 90), static_cast<void *>(d.source->HandleOf(note)));
    }

    void listing()
    {
        Diagram d;
        TCommentRect *a = d.addNote(Rect(0, 0, 100, 40));
        d.addNote(Rect(0, 0, 100, 40), QStringLiteral("postproc"));
        d.addNote(Rect(0, 0, 100, 40), QStringLiteral("PreProc")); // another section by its exact name
        TCommentRect *c = d.addNote(Rect(0, 0, 100, 40));
        DataList list;
        d.source->GetItems(list);
        QCOMPARE(list.size(), size_t(8));
        TCmtDrag *ha = d.source->HandleOf(a);
        TCmtDrag *hc = d.source->HandleOf(c);
        QVERIFY(ha && hc && ha != hc);
        QCOMPARE(list, (DataList{a, ha, c, hc, d.item(0), d.item(1), d.item(2), d.item(3)}));
        QCOMPARE(d.source->HandleOf(d.notes[1].get()), nullptr);
        QCOMPARE(ha->Comment, a);
        QCOMPARE(d.source->CommentOf(ha), a);
        QCOMPARE(d.source->CommentOf(a), nullptr);
        QCOMPARE(d.source->kindOf(a), dikNote);
        QCOMPARE(d.source->kindOf(ha), dikHandle);
        QCOMPARE(d.source->kindOf(d.item(3)), dikComponent);
        QCOMPARE(d.source->kindOf(d.notes[1].get()), dikNone);
        QCOMPARE(d.source->componentOf(d.item(1)), d.item(1));
        QCOMPARE(d.source->componentOf(a), nullptr);
        QCOMPARE(d.source->noteOf(c), c);
        QCOMPARE(d.source->noteOf(hc), nullptr);
        QCOMPARE(TCmtDrag().GetRect(), Rect(-1, -1, -1, -1));

        // A note keeps its handle from one listing to the next; a note gone loses it.
        d.notes.erase(d.notes.begin());
        list.clear();
        d.source->GetItems(list);
        QCOMPARE(d.source->HandleOf(c), hc);
        QCOMPARE(d.source->Handles().size(), size_t(1));
        QCOMPARE(list.size(), size_t(6));

        // Without a note list only the components are listed.
        TWQFEditorSource bare(d.section, nullptr);
        list.clear();
        bare.GetItems(list);
        QCOMPARE(list, (DataList{d.item(0), d.item(1), d.item(2), d.item(3)}));
    }

    void selectedHandleSurvivesARebuild()
    {
        Diagram d;
        TCommentRect *note = d.addNote(Rect(10, 20, 110, 60));
        d.editor->Rebuild();
        // A click on the handle selects it alone; a drag of it ends in a batch rebuild.
        d.mouse(100, 50, mekDown);
        d.mouse(110, 60, mekMove);
        d.mouse(110, 60, mekUp);
        QCOMPARE(note->Rect, Rect(10, 20, 120, 70));
        TCmtDrag *handle = d.source->HandleOf(note);
        QVERIFY(d.editor->IsSelected(handle));
        QCOMPARE(d.editor->SelectedCount(), 1);
    }

    void dragPaintsNeverWriteThePage()
    {
        Diagram d(2.0);
        d.editor->Rebuild();
        TWQFItem *first = d.item(0), *unplaced = d.item(2);
        const QByteArray before = pageBytes(*d.file);
        // Component 1 and the one without position elements, then a drag by an odd offset.
        d.select({first, unplaced});
        RecordingCanvas selectedPaint;
        d.editor->Paint(selectedPaint, true);
        QVERIFY(!unplaced->XNode() && !unplaced->YNode());
        d.mouse(130, 110, mekDown);
        d.mouse(171, 139, mekMove); // 41, 29: 20.5 and 14.5 model units
        RecordingCanvas canvas;
        for (bool toView : {true, false, true}) {
            canvas.recorded.clear();
            d.editor->Paint(canvas, toView);
            QCOMPARE(pageBytes(*d.file), before);
        }
        // Drawn where they will land: the box by the view offset, the caption and the arrows
        // from the shifted positions (84, 66) and (20, 14) in model units.
        QVERIFY(filledRects(canvas, clPlainBox).contains(QStringLiteral("(169,133,201,165)")));
        QCOMPARE(textAt(canvas, QStringLiteral("1: first")), (Point{240, 152}));
        QCOMPARE(textAt(canvas, QStringLiteral("3: ")), (Point{112, 48}));
        QCOMPARE(textAt(canvas, QStringLiteral("2: second")), (Point{138, 282}));
        const std::vector<CanvasOp> lines = canvas.ops(QStringLiteral("polyline"));
        QVERIFY(std::any_of(lines.begin(), lines.end(), [](const CanvasOp &op) {
            return op.points.front() == Point{72, 80} && op.points.back() == Point{200, 132}; // 3 to 1
        }));

        // The drop writes exactly the moved components' x and y, snapped.
        d.mouse(171, 139, mekUp);
        auto expected = loadPage(page);
        TWQFSection *section = expected->FindSection(QStringLiteral("preproc"));
        section->Items()[0]->SetX(96);
        section->Items()[0]->SetY(78);
        section->Items()[2]->SetX(32);
        section->Items()[2]->SetY(26);
        QCOMPARE(pageBytes(*d.file), pageBytes(*expected));
        // And the next paint draws them there.
        canvas.recorded.clear();
        d.editor->Paint(canvas, true);
        QCOMPARE(textAt(canvas, QStringLiteral("1: first")), (Point{264, 176}));
    }

    void failedPaintLeavesNoShift()
    {
        Diagram d(2.0);
        d.source->OnGetImage = [](TWQFItem *, const QString &type) -> const QImage * {
            if (type == u"IF")
                throw std::runtime_error("picture failed");
            return nullptr;
        };
        d.editor->Rebuild();
        const QByteArray before = pageBytes(*d.file);
        d.select({d.item(0)});
        d.mouse(130, 110, mekDown);
        d.mouse(171, 139, mekMove);
        RecordingCanvas canvas;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, d.editor->Paint(canvas, true));
        QCOMPARE(pageBytes(*d.file), before);
        // The drag is cancelled; the next paint draws everything where it is stored.
        d.mouse(171, 139, mekUp, Qt::RightButton);
        d.source->OnGetImage = nullptr;
        canvas.recorded.clear();
        d.editor->Paint(canvas, true);
        QCOMPARE(textAt(canvas, QStringLiteral("1: first")), (Point{200, 124}));
        QCOMPARE(pageBytes(*d.file), before);
    }

    void paintWithoutAnEditor()
    {
        Diagram d;
        d.addNote(Rect(10, 20, 110, 60));
        d.editor->Rebuild();
        d.source->Editor = nullptr;
        TGraphPaintInfo dragging;
        dragging.Dragging = true;
        dragging.DX = 40;
        dragging.DY = 40;
        RecordingCanvas canvas;
        d.source->PaintBackground(canvas, 0, 0, dragging);
        d.source->PaintItem(canvas, d.item(0), 64, 52, true, dragging);
        d.source->PaintItem(canvas, d.notes[0].get(), 10, 20, false, dragging);
        d.source->PaintOverlay(canvas, 0, 0, dragging);
        // Nothing counts as selected: the note stays in the background, captions where stored.
        QCOMPARE(filledRects(canvas, clNoteBar), QStringList{QStringLiteral("(10,20,110,40)")});
        QCOMPARE(textAt(canvas, QStringLiteral("1: first")), (Point{100, 59}));
        d.source->MoveItem(d.item(0), 32, 0);
        QCOMPARE(d.item(0)->GetX(), 96);
    }

    void paintsComponents()
    {
        Diagram d(2.0);
        const QImage picture(40, 30, QImage::Format_RGB32);
        d.source->OnGetImage = [&picture](TWQFItem *, const QString &type) {
            return type == u"IF" ? &picture : nullptr;
        };
        d.source->VertSplit = 300;
        d.editor->Rebuild();
        d.select({d.item(1)});
        RecordingCanvas canvas;
        d.editor->Paint(canvas, true);
        QCOMPARE(canvas.recorded.front().kind, QStringLiteral("fillrect"));
        QCOMPARE(canvas.recorded.front().r, Rect(0, 0, 800, 600));
        QCOMPARE(canvas.recorded.front().brush, clWhite);
        QCOMPARE(canvas.recorded[1].r, Rect(300, 0, 302, 600));
        QCOMPARE(canvas.recorded[1].brush, clMarginLine);
        // The picture scales; the plain box does not, its frame does.
        const std::vector<CanvasOp> stretched = canvas.ops(QStringLiteral("stretch"));
        QCOMPARE(stretched.size(), size_t(1));
        QCOMPARE(stretched[0].r, Rect(128, 104, 208, 164));
        QCOMPARE(filledRects(canvas, clPlainBox), (QStringList{"(66,262,98,294)", "(0,0,32,32)"}));
        QCOMPARE(textAt(canvas, QStringLiteral("SET")), (Point{58, 282}));
        QVERIFY(clearRects(canvas).contains(QStringLiteral("(62,258,134,330)")));
        QCOMPARE(clearRects(canvas).size(), 1);

        // Scrolled, the margin line keeps to the view; it is not scaled.
        d.editor->SetScrollPos({100, 50});
        canvas.recorded.clear();
        d.editor->Paint(canvas, true);
        QCOMPARE(canvas.recorded[1].r, Rect(200, 0, 202, 600));
    }

    void destinationLabels_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("never") << int(damNever) << QStringList();
        QTest::newRow("out of sight: none is") << int(damOutOfSight) << QStringList();
        QTest::newRow("always") << int(damAlways) << QStringList{"2", "3", "1"};
    }
    void destinationLabels()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, labels);
        Diagram d(2.0);
        d.source->DstArrow = TDstArrowMode(mode);
        d.editor->Rebuild();
        RecordingCanvas canvas;
        d.editor->Paint(canvas, true);
        QStringList bold;
        for (const CanvasOp &op : canvas.ops(QStringLiteral("text")))
            if (op.bold)
                bold << op.text;
        QCOMPARE(bold, labels);
        QCOMPARE(canvas.ops(QStringLiteral("polyline")).size(), size_t(3)); // 1 to 2, 1 to 3, 3 to 1
    }

    void outOfViewIsNotDrawn()
    {
        Diagram d;
        d.editor->Rebuild();
        d.editor->SetScrollPos({1500, 1200});
        RecordingCanvas canvas;
        d.editor->Paint(canvas, true);
        QStringList texts;
        for (const CanvasOp &op : canvas.ops(QStringLiteral("text")))
            texts << op.text;
        QCOMPARE(texts, (QStringList{"TEMPLATE", "4: far"}));
        QCOMPARE(canvas.ops(QStringLiteral("polyline")).size(), size_t(0));
        // The whole graph, as for a picture, draws everything.
        canvas.recorded.clear();
        d.editor->Paint(canvas, false);
        QCOMPARE(canvas.ops(QStringLiteral("polyline")).size(), size_t(3));
        QVERIFY(textOp(canvas, QStringLiteral("2: second")));
    }

    void paintsNotes()
    {
        Diagram d(2.0);
        TCommentRect *note = d.addNote(Rect(10, 20, 110, 60), QStringLiteral("preproc"), true);
        d.editor->Rebuild();
        RecordingCanvas canvas;
        d.editor->Paint(canvas, true);
        QCOMPARE(filledRects(canvas, clNoteBar), QStringList{"(20,40,220,80)"});
        QVERIFY(clearRects(canvas).contains(QStringLiteral("(20,40,220,120)")));
        QCOMPARE(textAt(canvas, QStringLiteral("Plan")), (Point{22, 42}));
        const std::vector<CanvasOp> body = canvas.ops(QStringLiteral("textrect"));
        QCOMPARE(body.size(), size_t(1));
        QCOMPARE(body[0].r, Rect(24, 84, 216, 116));
        QCOMPARE(body[0].text, QStringLiteral("Body"));
        QCOMPARE(filledRects(canvas, clWhite).last(), QStringLiteral("(190,90,220,120)")); // the handle

        // Without its text shown the body is left out; selected, the bar turns lime.
        note->ShowText = false;
        d.select({note});
        canvas.recorded.clear();
        d.editor->Paint(canvas, true);
        QCOMPARE(filledRects(canvas, clSelectedNoteBar), QStringList{"(20,40,220,80)"});
        QCOMPARE(canvas.ops(QStringLiteral("textrect")).size(), size_t(0));
    }

    void dragsNotes_data()
    {
        QTest::addColumn<bool>("onHandle");
        QTest::addColumn<QString>("bar");
        QTest::addColumn<Color>("barColour");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<Rect>("dropped");
        // Pressed on the title bar, the note moves; pressed on the handle, it grows.
        QTest::newRow("move") << false << "(30,46,230,86)" << clSelectedNoteBar << "(30,46,230,126)"
                              << Rect(15, 23, 115, 63);
        QTest::newRow("resize") << true << "(20,40,230,80)" << clNoteBar << "(20,40,230,126)" << Rect(10, 20, 115, 63);
    }
    void dragsNotes()
    {
        QFETCH(bool, onHandle);
        QFETCH(QString, bar);
        QFETCH(Color, barColour);
        QFETCH(QString, frame);
        QFETCH(Rect, dropped);
        Diagram d(2.0);
        TCommentRect *note = d.addNote(Rect(10, 20, 110, 60));
        d.editor->Rebuild();
        const Point press = onHandle ? Point{200, 100} : Point{100, 50};
        d.mouse(press.x, press.y, mekDown);
        d.mouse(press.x + 10, press.y + 6, mekMove);
        RecordingCanvas canvas;
        d.editor->Paint(canvas, true);
        // Drawn once, where it will be, with its handle.
        QCOMPARE(filledRects(canvas, barColour), QStringList{bar});
        QVERIFY(clearRects(canvas).contains(frame));
        QCOMPARE(filledRects(canvas, clWhite).last(), QStringLiteral("(200,96,230,126)"));
        d.mouse(press.x + 10, press.y + 6, mekUp);
        QCOMPARE(note->Rect, dropped);
    }

    void rendersColours()
    {
        Diagram d(1.0, R"(<wqf><preproc><c><n>1</n><t>SET</t><x>64</x><y>52</y></c></preproc></wqf>)");
        d.addNote(Rect(150, 20, 250, 80));
        TCommentRect *selected = d.addNote(Rect(150, 150, 250, 210));
        d.source->VertSplit = 300;
        d.editor->SetGraphSize({400, 300});
        d.editor->Rebuild();
        d.select({selected});
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            PainterCanvas canvas(painter);
            d.editor->Paint(canvas, false);
        }
        QCOMPARE(image.pixel(20, 250), rgbOf(clWhite));
        QCOMPARE(image.pixel(300, 100), rgbOf(clMarginLine));
        QCOMPARE(image.pixel(301, 100), rgbOf(clMarginLine));
        QCOMPARE(image.pixel(302, 100), rgbOf(clWhite));
        QCOMPARE(image.pixel(70, 56), rgbOf(clPlainBox));
        QCOMPARE(image.pixel(64, 60), rgbOf(clBlack)); // the box's outline
        QCOMPARE(image.pixel(245, 35), rgbOf(clNoteBar));
        QCOMPARE(image.pixel(245, 165), rgbOf(clSelectedNoteBar));
        QCOMPARE(image.pixel(200, 60), rgbOf(clWhite)); // a note's body is not filled
    }

    void boxText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("widthInX"); // box width in widths of an "x"
        QTest::addColumn<int>("heightInLines");
        QTest::addColumn<int>("lines"); // -1: several
        QTest::addColumn<bool>("ellipsis");
        QTest::newRow("fits") << "Note text" << 40 << 3 << 1 << false;
        QTest::newRow("line breaks") << "one\ntwo\r\nthree" << 40 << 3 << 3 << false;
        QTest::newRow("cut after two lines") << "one\ntwo\nthree" << 40 << 2 << 2 << true;
        QTest::newRow("wrapped at words") << "the quick brown fox jumps over the lazy dog" << 12 << 10 << -1 << false;
        QTest::newRow("wrapped and cut") << "the quick brown fox jumps over the lazy dog" << 12 << 2 << 2 << true;
        QTest::newRow("a box lower than a line shows one") << "one two three" << 40 << 0 << 1 << false;
        QTest::newRow("tabs are expanded") << "x\tyy" << 5 << 3 << 2 << false;
    }
    void boxText()
    {
        QFETCH(QString, text);
        QFETCH(int, widthInX);
        QFETCH(int, heightInLines);
        QFETCH(int, lines);
        QFETCH(bool, ellipsis);
        const QImage device(10, 10, QImage::Format_RGB32);
        const QFont font(QStringLiteral("Arial"), 10);
        const QFontMetrics fm(font, &device);
        const int width = widthInX * fm.horizontalAdvance(QLatin1Char('x'));
        const QStringList out = boxTextLines(text, font, &device, width, std::max(3, heightInLines * fm.height()));
        if (lines < 0)
            QVERIFY(out.size() > 1);
        else
            QCOMPARE(out.size(), lines);
        QCOMPARE(out.last().endsWith(QChar(0x2026)), ellipsis);
        if (!ellipsis) // wrapping loses nothing
            QCOMPARE(out.join(QLatin1Char(' ')).simplified(), text.simplified());
        for (const QString &line : out) {
            QVERIFY2(!line.contains(u'\n') && !line.contains(QChar::LineSeparator), qPrintable(line));
            if (!line.contains(u'\t'))
                QVERIFY2(fm.horizontalAdvance(line) <= width, qPrintable(line));
        }
        QVERIFY(boxTextLines(QString(), font, &device, width, 100).isEmpty());
    }

    void textRectKeepsInsideItsBox()
    {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PainterCanvas canvas(painter);
            canvas.setBrushStyle(bsClear);
            canvas.textRect(Rect(20, 20, 80, 45), QStringLiteral("a long text that never fits into so small a box"));
        }
        int inside = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(255, 255, 255))
                    continue;
                QVERIFY2(x >= 20 && x < 80 && y >= 20 && y < 45, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                ++inside;
            }
        }
        QVERIFY(inside > 0);
    }

    void pictureOfARealPage()
    {
        OpenedPage opened;
        QVERIFY2(opened.load(dataPath(QStringLiteral("diagram/orders.wqf"))), qPrintable(opened.file.LastError()));
        QCOMPARE(opened.notes.size(), size_t(3));
        DiagramWindow window(opened.file.FindSection(QStringLiteral("preproc")), &opened.notes, 1.0);
        window.resize(960, 640);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.editor->ItemCount(), 2 * 2 + 9); // two notes of preproc with handles, nine components

        // A click on the first note's title bar selects it, as a user would.
        TContent *content = window.editor->Content();
        QTest::mouseClick(content, Qt::LeftButton, {}, QPoint(600, 30));
        QCOMPARE(window.editor->SelectedCount(), 1);
        QVERIFY(window.source->noteOf(FirstSelectedData(window.editor.get())));

        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString path = QDir(outputFolder()).filePath(QStringLiteral("diagram-orders-preproc.png"));
        QVERIFY(shot.save(path));
        qInfo("diagram picture: %s", qPrintable(path));
        QVERIFY(countPixels(shot, clPlainBox) > 9 * 500); // nine plain boxes
        QVERIFY(countPixels(shot, clSelectedNoteBar) > 1000);
        QVERIFY(countPixels(shot, clNoteBar) > 1000);
        QCOMPARE(shot.pixel(820, 500) & 0xFFFFFF, rgbOf(clMarginLine) & 0xFFFFFF);
    }
};

PELLORIN_TEST_CLASS(TestWQFEditors)
#include "test_wqfeditors.moc"
