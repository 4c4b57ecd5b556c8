#include "base/exception.h"
#include "common/pagefixture.h"
#include "common/testmain.h"
#include "editors/wqfdrawutils.h"
#include "recordingcanvas.h"
#include "recordingsource.h"

#include <QBuffer>
#include <QHash>
#include <QTest>

using namespace pellorin_test;

namespace {
// A section's components by name, as the link drawing looks them up.
struct Boxes {
    QHash<QString, LinkBox> byName;
    void add(const QString &name, int x, int y) { byName.insert(name, LinkBox{name, x, y}); }
    FindLinkBox finder() const
    {
        return [this](const QString &name) -> std::optional<LinkBox> {
            auto it = byName.find(name);
            if (it == byName.end())
                return std::nullopt;
            return *it;
        };
    }
};

// Component 1 has exits to 2, to a missing 9 and, in a third j, to 3; two components share
// the name 4, and the first of them is the one links go to.
const char *const page = R"(<wqf><function><fn>f</fn></function><preproc>
<c><n>1</n><t>IF</t><c/><j>2</j><j>9</j><j>3</j><x>0</x><y>0</y></c>
<c><n>2</n><t>SET</t><j/><x>0</x><y>52</y><values/></c>
<c><n>3</n><t>SET</t><j>4</j><j></j><x>96</x><y>104</y></c>
<c><n>4</n><t>SET</t><x>320</x><y>467</y></c>
<c><n>4</n><t>SET</t><x>640</x><y>0</y></c>
</preproc><postproc/></wqf>)";

using pellorin_test::loadPage;

QString labelsText(const RecordingCanvas &canvas)
{
    QStringList out;
    for (const CanvasOp &op : canvas.ops(QStringLiteral("text")))
        out << QStringLiteral("%1@%2,%3").arg(op.text).arg(op.points[0].x).arg(op.points[0].y);
    return out.join(QLatin1Char(' '));
}
} // namespace

class TestDrawUtils : public QObject {
    Q_OBJECT
private slots:
    void arrowRouting_data()
    {
        QTest::addColumn<Point>("from");
        QTest::addColumn<Point>("to");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("head");
        QTest::addColumn<int>("penWidth");
        QTest::newRow("target below and touching: detour left")
            << Point{0, 0} << Point{0, 26} << 1.0 << "(16,26) (16,39) (-16,39) (-16,13) (16,13) (16,26)"
            << "(16,26) (11,20) (20,20)" << 2;
        QTest::newRow("target touching, one pixel left: detour right")
            << Point{0, 0} << Point{-1, 26} << 1.0 << "(16,26) (16,39) (48,39) (48,13) (15,13) (15,26)"
            << "(15,26) (10,20) (19,20)" << 2;
        QTest::newRow("straight below with a gap")
            << Point{0, 0} << Point{0, 52} << 1.0 << "(16,26) (16,39) (16,39) (16,39) (16,39) (16,52)"
            << "(16,52) (11,46) (20,46)" << 2;
        QTest::newRow("below and right") << Point{0, 0} << Point{96, 104} << 1.0
                                         << "(16,26) (16,39) (64,39) (64,91) (112,91) (112,104)"
                                         << "(112,104) (107,98) (116,98)" << 2;
        QTest::newRow("levels 2 apart merge")
            << Point{0, 0} << Point{96, 54} << 1.0 << "(16,26) (16,39) (64,39) (64,39) (112,39) (112,54)"
            << "(112,54) (107,48) (116,48)" << 2;
        QTest::newRow("levels 3 apart stay")
            << Point{0, 0} << Point{96, 55} << 1.0 << "(16,26) (16,39) (64,39) (64,42) (112,42) (112,55)"
            << "(112,55) (107,49) (116,49)" << 2;
        QTest::newRow("target above: the middle runs up")
            << Point{0, 100} << Point{64, 0} << 1.0 << "(16,126) (16,139) (48,139) (48,-13) (80,-13) (80,0)"
            << "(80,0) (75,-6) (84,-6)" << 2;
        QTest::newRow("odd distance truncates toward zero")
            << Point{0, 0} << Point{-3, 104} << 1.0 << "(16,26) (16,39) (15,39) (15,91) (13,91) (13,104)"
            << "(13,104) (8,98) (17,98)" << 2;
        QTest::newRow("zoom 1.5 touching")
            << Point{0, 0} << Point{0, 26} << 1.5 << "(24,39) (24,59) (-24,59) (-24,19) (24,19) (24,39)"
            << "(24,39) (16,30) (30,30)" << 3;
    }
    void arrowRouting()
    {
        QFETCH(Point, from);
        QFETCH(Point, to);
        QFETCH(double, zoom);
        const LinkBox source{QStringLiteral("1"), from.x, from.y};
        const LinkBox target{QStringLiteral("2"), to.x, to.y};
        RecordingCanvas canvas;
        canvas.setPenColor(clBlack);
        canvas.setBrushColor(clWhite);
        canvas.setBrushStyle(bsClear);
        const Color colour = rgbToColor(1, 2, 3);
        DrawArrowBetween(&canvas, &source, &target, colour, zoom);

        QCOMPARE(canvas.recorded.size(), size_t(2));
        const CanvasOp &line = canvas.recorded[0];
        const CanvasOp &head = canvas.recorded[1];
        QCOMPARE(line.kind, QStringLiteral("polyline"));
        QTEST(pointsText(line.points), "line");
        QTEST(line.penWidth, "penWidth");
        QCOMPARE(line.pen, colour);
        QCOMPARE(head.kind, QStringLiteral("polygon"));
        QTEST(pointsText(head.points), "head");
        QCOMPARE(head.penWidth, 1);
        QCOMPARE(head.brush, colour);
        QCOMPARE(head.brushStyle, bsSolid);
        // What the caller had comes back.
        QCOMPARE(canvas.penColor(), clBlack);
        QCOMPARE(canvas.penWidth(), 1);
        QCOMPARE(canvas.brushColor(), clWhite);
        QCOMPARE(canvas.brushStyle(), bsClear);
    }

    void detourComparedBeforeRounding()
    {
        // At zoom 1.25 the touching test is gap < 2.5: a gap of 2 detours, one of 3 does not.
        RecordingCanvas canvas;
        DrawArrow(&canvas, 0, 0, 0, 34, 1.25);
        QCOMPARE(pointsText(canvas.recorded[0].points),
                 QStringLiteral("(20,32) (20,48) (-20,48) (-20,18) (20,18) (20,34)"));
        QCOMPARE(pointsText(canvas.recorded[1].points), QStringLiteral("(20,34) (14,26) (25,26)"));
        QCOMPARE(canvas.recorded[0].penWidth, 2);
        canvas.recorded.clear();
        DrawArrow(&canvas, 0, 0, 0, 35, 1.25);
        QCOMPARE(canvas.recorded[0].points[2].x, 20);

        DrawArrowBetween(&canvas, static_cast<const LinkBox *>(nullptr), nullptr, clBlack, 1);
        QVERIFY_THROWS_EXCEPTION(ERunError, DrawArrow(nullptr, 0, 0, 0, 0, 1));
    }

    void links()
    {
        Boxes boxes;
        boxes.add("1", 0, 0);
        boxes.add("2", 0, 52);
        boxes.add("3", 96, 104);
        const LinkBox item = boxes.byName["1"];
        RecordingCanvas canvas;
        const Rect all(0, 0, 1000, 1000);
        // A name no component has draws nothing; every exit after the first is grey.
        drawBoxLinks(&canvas, &item, {"2", "9", "3"}, boxes.finder(), damNever, all, 1.0);
        const auto lines = canvas.ops(QStringLiteral("polyline"));
        QCOMPARE(lines.size(), size_t(2));
        QCOMPARE(lines[0].pen, clFirstExit);
        QCOMPARE(lines[0].points.back(), (Point{16, 52}));
        QCOMPARE(lines[1].pen, clOtherExit);
        QCOMPARE(lines[1].points.back(), (Point{112, 104}));
        QCOMPARE(clFirstExit, rgbToColor(166, 202, 240));
        QCOMPARE(clOtherExit, rgbToColor(128, 128, 128));
        QVERIFY(canvas.ops(QStringLiteral("text")).empty());

        canvas.recorded.clear();
        drawBoxLinks(&canvas, &item, {}, boxes.finder(), damAlways, all, 1.0);
        drawBoxLinks(&canvas, nullptr, {"2"}, boxes.finder(), damAlways, all, 1.0);
        drawBoxLinks(nullptr, &item, {"2"}, boxes.finder(), damAlways, all, 1.0);
        drawBoxLinks(&canvas, &item, {"2"}, FindLinkBox(), damAlways, all, 1.0);
        QVERIFY(canvas.recorded.empty());
    }

    void labels_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Point>("target");
        QTest::addColumn<Rect>("visible"); // canvas pixels
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QString>("labels");
        // The item stands at (100, 100); the label names the target "T".
        QTest::newRow("mode 0 never") << 0 << Point{400, 900} << Rect(0, 0, 500, 500) << 1.0 << "";
        QTest::newRow("mode 2 in sight") << 2 << Point{200, 200} << Rect(0, 0, 500, 500) << 1.0 << "T@122,138";
        QTest::newRow("mode 1 in sight") << 1 << Point{200, 200} << Rect(0, 0, 500, 500) << 1.0 << "";
        QTest::newRow("mode 1 on the far corner is in sight")
            << 1 << Point{500, 500} << Rect(0, 0, 500, 500) << 1.0 << "";
        QTest::newRow("mode 1 out of sight") << 1 << Point{200, 501} << Rect(0, 0, 500, 500) << 1.0 << "T@122,138";
        QTest::newRow("mode 1 tested in model units")
            << 1 << Point{200, 300} << Rect(0, 0, 1000, 500) << 2.0 << "T@242,276";
        QTest::newRow("8 right is below") << 2 << Point{108, 400} << Rect(0, 0, 500, 500) << 1.0 << "T@122,138";
        QTest::newRow("9 right is right") << 2 << Point{109, 400} << Rect(0, 0, 500, 500) << 1.0 << "T@122,138";
        QTest::newRow("9 left is left, ending at the offset")
            << 2 << Point{91, 400} << Rect(0, 0, 500, 500) << 1.0 << "T@108,138";
        QTest::newRow("8 left is below") << 2 << Point{92, 400} << Rect(0, 0, 500, 500) << 1.0 << "T@122,138";
        QTest::newRow("mode 3 is no mode") << 3 << Point{400, 900} << Rect(0, 0, 500, 500) << 1.0 << "";
    }
    void labels()
    {
        QFETCH(int, mode);
        QFETCH(Point, target);
        QFETCH(Rect, visible);
        QFETCH(double, zoom);
        Boxes boxes;
        boxes.add("I", 100, 100);
        boxes.add("T", target.x, target.y);
        const LinkBox item = boxes.byName["I"];
        RecordingCanvas canvas;
        drawBoxLinks(&canvas, &item, {"T"}, boxes.finder(), TDstArrowMode(mode), visible, zoom);
        QTEST(labelsText(canvas), "labels");
        QCOMPARE(canvas.ops(QStringLiteral("polyline")).size(), size_t(1));
    }

    void labelStacking()
    {
        // Two targets to the right and one straight below, all out of sight.
        Boxes boxes;
        boxes.add("I", 100, 100);
        boxes.add("R1", 200, 1000);
        boxes.add("B", 100, 1000);
        boxes.add("RR2", 300, 1000);
        boxes.add("L", 0, 1000);
        const LinkBox item = boxes.byName["I"];
        RecordingCanvas canvas;
        const Color fontColour = rgbToColor(9, 9, 9);
        const Color penColour = rgbToColor(7, 7, 7);
        canvas.setFontColor(fontColour);
        canvas.setPenColor(penColour);
        canvas.setBrushStyle(bsClear);
        drawBoxLinks(&canvas, &item, {"R1", "B", "RR2", "L"}, boxes.finder(), damOutOfSight, Rect(0, 0, 500, 500), 1.0);

        // Left first; right from the same top; below continues under the right-hand ones.
        QCOMPARE(labelsText(canvas), QStringLiteral("L@108,138 R1@122,138 RR2@122,151 B@122,164"));
        const auto texts = canvas.ops(QStringLiteral("text"));
        QCOMPARE(texts[0].font, clOtherExit);
        QCOMPARE(texts[1].font, clFirstExit);
        QCOMPARE(texts[3].font, clOtherExit);
        for (const CanvasOp &t : texts)
            QVERIFY(t.bold);
        const auto frames = canvas.ops(QStringLiteral("rectangle"));
        QCOMPARE(frames.size(), size_t(4));
        QCOMPARE(frames[0].r, Rect(106, 138, 116, 150));
        QCOMPARE(frames[1].r, Rect(120, 138, 136, 150));
        QCOMPARE(frames[1].pen, clFirstExit);
        QCOMPARE(frames[1].brushStyle, bsClear);
        QCOMPARE(frames[2].r, Rect(120, 151, 142, 163));
        QCOMPARE(frames[3].r, Rect(120, 164, 130, 176));
        QVERIFY(!canvas.fontBold());
        QCOMPARE(canvas.fontColor(), fontColour);
        QCOMPARE(canvas.penColor(), penColour);

        // A bold font stays bold.
        canvas.setFontBold(true);
        drawBoxLinks(&canvas, &item, {"R1"}, boxes.finder(), damAlways, Rect(0, 0, 500, 500), 1.0);
        QVERIFY(canvas.fontBold());
    }

    void labelsAtZoom()
    {
        Boxes boxes;
        boxes.add("I", 100, 100);
        boxes.add("R1", 200, 1000);
        boxes.add("R2", 300, 1000);
        const LinkBox item = boxes.byName["I"];
        RecordingCanvas canvas;
        drawBoxLinks(&canvas, &item, {"R1", "R2"}, boxes.finder(), damAlways, Rect(0, 0, 5000, 5000), 1.25);
        // round(138 * 1.25) = 172 (172.5 to even), x = round(120 * 1.25) = 150.
        QCOMPARE(labelsText(canvas), QStringLiteral("R1@152,172 R2@152,185"));
    }

    void outOfViewIsNotDrawn()
    {
        Boxes boxes;
        boxes.add("I", 100, 100);
        boxes.add("R1", 200, 1000);
        boxes.add("R2", 300, 1000);
        boxes.add("F", 3000, 3000);
        boxes.add("G", 3100, 3100);
        RecordingCanvas canvas;
        // The first label's frame ends on the view's bottom edge; the second lies below it.
        const LinkBox item = boxes.byName["I"];
        drawBoxLinks(&canvas, &item, {"R1", "R2"}, boxes.finder(), damAlways, Rect(0, 0, 300, 150), 1.0);
        QCOMPARE(labelsText(canvas), QStringLiteral("R1@122,138"));
        QCOMPARE(canvas.ops(QStringLiteral("polyline")).size(), size_t(2));
        // Labels above the view still push the later ones down.
        canvas.recorded.clear();
        drawBoxLinks(&canvas, &item, {"R1", "R2"}, boxes.finder(), damAlways, Rect(0, 151, 300, 400), 1.0);
        QCOMPARE(labelsText(canvas), QStringLiteral("R2@122,151"));
        // A left-hand label ends 4 pixels right of its offset.
        boxes.add("L", 0, 1000);
        canvas.recorded.clear();
        drawBoxLinks(&canvas, &item, {"L"}, boxes.finder(), damAlways, Rect(116, 0, 300, 400), 1.0);
        QCOMPARE(labelsText(canvas), QStringLiteral("L@108,138"));
        canvas.recorded.clear();
        drawBoxLinks(&canvas, &item, {"L"}, boxes.finder(), damAlways, Rect(117, 0, 300, 400), 1.0);
        QCOMPARE(labelsText(canvas), QString());
        // An arrow wholly outside the view.
        canvas.recorded.clear();
        const LinkBox far = boxes.byName["F"];
        drawBoxLinks(&canvas, &far, {"G"}, boxes.finder(), damOutOfSight, Rect(0, 0, 300, 150), 1.0);
        QVERIFY(canvas.recorded.empty());
        QVERIFY(!canvas.fontBold());
    }

    void sectionHeight_data()
    {
        QTest::addColumn<int>("maxY");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("height");
        QTest::newRow("499") << 499 << 0 << 500;
        QTest::newRow("500") << 500 << 0 << 1000;
        QTest::newRow("minimum wins") << 499 << 1000 << 1000;
        QTest::newRow("above the minimum") << 1200 << 1000 << 1500;
        QTest::newRow("no overflow") << 2147483647 << 1000 << 2147483647;
    }
    void sectionHeight()
    {
        QFETCH(int, maxY);
        QFETCH(int, minimum);
        QTEST(steppedSectionHeight(maxY, minimum), "height");
    }

    void linksOfComponents()
    {
        const auto file = loadPage(page);
        QVERIFY(file);
        const TWQFSection *section = file->FindSection(QStringLiteral("preproc"));
        QVERIFY(section);
        const WQFItemList &items = section->Items();
        QCOMPARE(items.size(), size_t(5));
        QCOMPARE(exitsOf(*items[0]), (QStringList{"2", "9", "3"}));
        const ItemsByName index(items);
        QCOMPARE(index.find(QStringLiteral("4")), items[3].get());
        QCOMPARE(index.find(QString()), nullptr);

        for (bool indexed : {false, true}) {
            RecordingCanvas canvas;
            const Rect all(0, 0, 2000, 2000);
            for (const auto &item : items) {
                if (indexed)
                    DrawItemLinks(&canvas, item.get(), index, damAlways, all, 1.0);
                else
                    DrawItemLinks(&canvas, item.get(), &items, damAlways, all, 1.0);
            }
            const auto lines = canvas.ops(QStringLiteral("polyline"));
            QCOMPARE(lines.size(), size_t(3));
            QCOMPARE(pointsText(lines[0].points), QStringLiteral("(16,26) (16,39) (16,39) (16,39) (16,39) (16,52)"));
            QCOMPARE(lines[0].pen, clFirstExit);
            QCOMPARE(lines[1].points.back(), (Point{112, 104}));
            QCOMPARE(lines[1].pen, clOtherExit); // the third exit is grey too
            QCOMPARE(lines[2].points.back(), (Point{336, 467}));
            QCOMPARE(labelsText(canvas), QStringLiteral("3@22,38 2@22,51 4@118,142"));
        }
        RecordingCanvas canvas;
        DrawArrowBetween(&canvas, items[2].get(), items[3].get(), clOtherExit, 1.0);
        QCOMPARE(canvas.ops(QStringLiteral("polyline")).size(), size_t(1));
        DrawArrowBetween(&canvas, items[2].get(), nullptr, clOtherExit, 1.0);
        DrawItemLinks(&canvas, items[0].get(), static_cast<const WQFItemList *>(nullptr), damAlways, Rect(), 1.0);
        QCOMPARE(canvas.recorded.size(), size_t(2));
    }

    void extentAndHeight()
    {
        const auto file = loadPage(page);
        QVERIFY(file);
        const TWQFSection *pre = file->FindSection(QStringLiteral("preproc"));
        int maxX = -1, maxY = -1;
        GetItemsExtent(&pre->Items(), 32, 32, maxX, maxY);
        QCOMPARE(maxX, 672);
        QCOMPARE(maxY, 499);
        GetItemsExtent(nullptr, 32, 32, maxX, maxY);
        QCOMPARE(maxX, 0);
        GetItemsExtent(&pre->Items(), -1000, -1000, maxX, maxY);
        QCOMPARE(maxY, 0);
        QCOMPARE(SectionHeight(pre, 0), 500);
        QCOMPARE(SectionHeight(pre, 1000), 1000);
        QCOMPARE(SectionHeight(file->FindSection(QStringLiteral("postproc")), 1000), 1000);
        QCOMPARE(SectionHeight(nullptr, 7), 7);
        pre->Items()[3]->SetY(468);
        QCOMPARE(SectionHeight(pre, 0), 1000);
    }

    void firstSelectedData()
    {
        QCOMPARE(FirstSelectedData(nullptr), nullptr);
        RecordingSource source({Box(Rect(0, 0, 10, 10)), Box(Rect(20, 0, 30, 10)), Box(Rect(40, 0, 50, 10))});
        TGraphEditor editor(&source);
        editor.Rebuild();
        QCOMPARE(FirstSelectedData(&editor), nullptr);
        DataList list{source.data(2), source.data(1)};
        editor.SetSelected(&list, true);
        QCOMPARE(FirstSelectedData(&editor), source.data(1));
    }
};

PELLORIN_TEST_CLASS(TestDrawUtils)
#include "test_wqfdrawutils.moc"
