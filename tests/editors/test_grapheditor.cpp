#include "base/exception.h"
#include "common/testmain.h"
#include "editors/grapheditor.h"
#include "recordingcanvas.h"
#include "recordingsource.h"

#include <QTest>

using namespace pellorin_test;

namespace {
using Editor = Counting<TGraphEditor>;

// A, B side by side, C below A, a large D, and an ungroupable handle H lying on D.
std::vector<Box> fixtureBoxes()
{
    return {
        {Rect(50, 50, 82, 76)},     {Rect(150, 50, 182, 76)},          {Rect(50, 150, 82, 176)},
        {Rect(250, 250, 450, 450)}, {Rect(430, 430, 445, 445), false},
    };
}

Qt::KeyboardModifiers modifiersOf(const QString &letters)
{
    Qt::KeyboardModifiers m;
    if (letters.contains(QLatin1Char('c')))
        m |= Qt::ControlModifier;
    if (letters.contains(QLatin1Char('a')))
        m |= Qt::AltModifier;
    if (letters.contains(QLatin1Char('s')))
        m |= Qt::ShiftModifier;
    return m;
}

// "d X Y [mods]" left press, "m X Y [mods]" move, "u X Y [mods]" left release, "rd"/"ru X Y"
// right press and release; mods: c Ctrl, a Alt, s Shift.
void runScript(TGraphEditor &editor, const QString &script)
{
    for (const QString &step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList w = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QVERIFY2(w.size() >= 3, qPrintable(step));
        const int x = w[1].toInt(), y = w[2].toInt();
        const Qt::KeyboardModifiers mods = modifiersOf(w.value(3));
        const QString &op = w[0];
        if (op == u"d")
            editor.MouseEvent(x, y, mekDown, Qt::LeftButton, mods);
        else if (op == u"m")
            editor.MouseEvent(x, y, mekMove, Qt::LeftButton, mods);
        else if (op == u"u")
            editor.MouseEvent(x, y, mekUp, Qt::LeftButton, mods);
        else if (op == u"rd")
            editor.MouseEvent(x, y, mekDown, Qt::RightButton, mods);
        else if (op == u"ru")
            editor.MouseEvent(x, y, mekUp, Qt::RightButton, mods);
        else
            QFAIL(qPrintable(step));
    }
}

void selectIndices(TGraphEditor &editor, RecordingSource &source, const QString &indices)
{
    DataList list;
    for (const QString &i : indices.split(QLatin1Char(','), Qt::SkipEmptyParts))
        list.push_back(source.data(i.toInt()));
    editor.SetSelected(&list, true);
}
} // namespace

class TestGraphEditor : public QObject {
    Q_OBJECT
private slots:
    void mouseScripts_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<int>("selectionChanged");
        QTest::addColumn<int>("onSelectionChange");

        QTest::newRow("click an item") << ""
                                       << "d 60 60; u 60 60"
                                       << "0"
                                       << "" << 1 << 1;
        QTest::newRow("click a selected item keeps the group") << "0,1"
                                                               << "d 60 60; u 60 60"
                                                               << "0,1"
                                                               << "" << 1 << 1;
        QTest::newRow("click empty space clears") << "0,1"
                                                  << "d 10 10; u 10 10"
                                                  << ""
                                                  << "" << 2 << 1;
        QTest::newRow("click empty space, nothing selected") << ""
                                                             << "d 10 10; u 10 10"
                                                             << ""
                                                             << "" << 0 << 0;
        QTest::newRow("click another item replaces") << "0"
                                                     << "d 160 60; u 160 60"
                                                     << "1"
                                                     << "" << 3 << 2;
        QTest::newRow("click on the right bottom edge") << ""
                                                        << "d 82 76; u 82 76"
                                                        << "0"
                                                        << "" << 1 << 1;
        QTest::newRow("shift press belongs to the window") << "0"
                                                           << "d 160 60 s; u 160 60 s"
                                                           << "0"
                                                           << "" << 0 << 0;
        QTest::newRow("ctrl-click adds") << "0"
                                         << "d 160 60 c; u 160 60 c"
                                         << "0,1"
                                         << "" << 1 << 1;
        QTest::newRow("ctrl-click removes") << "0,1"
                                            << "d 60 60 c; u 60 60 c"
                                            << "1"
                                            << "" << 1 << 1;
        QTest::newRow("ctrl-click empty space") << "0"
                                                << "d 10 10 c; u 10 10 c"
                                                << "0"
                                                << "" << 0 << 0;
        QTest::newRow("band catches a corner") << ""
                                               << "d 40 40; m 90 90; u 90 90"
                                               << "0"
                                               << "" << 1 << 1;
        QTest::newRow("band crossing an item misses it") << ""
                                                         << "d 60 40; m 70 90; u 70 90"
                                                         << ""
                                                         << "" << 0 << 0;
        QTest::newRow("band uses the release point") << ""
                                                     << "d 40 40; m 45 45; u 90 90"
                                                     << "0"
                                                     << "" << 1 << 1;
        QTest::newRow("band replaces the selection") << "1"
                                                     << "d 40 40; m 90 90; u 90 90"
                                                     << "0"
                                                     << "" << 3 << 2;
        QTest::newRow("ctrl band adds") << "1"
                                        << "d 40 40 c; m 90 90 c; u 90 90 c"
                                        << "0,1"
                                        << "" << 1 << 1;
        QTest::newRow("band drops the ungroupable handle") << ""
                                                           << "d 460 460; m 300 300; u 300 300"
                                                           << "3"
                                                           << "" << 1 << 1;
        QTest::newRow("handle alone stays selected") << ""
                                                     << "d 440 440; u 440 440"
                                                     << "4"
                                                     << "" << 1 << 1;
        QTest::newRow("ctrl-click a handle into a group drops it") << "3"
                                                                   << "d 440 440 c; u 440 440 c"
                                                                   << "3"
                                                                   << "" << 1 << 1;
        QTest::newRow("drag the selection") << "0,1"
                                            << "d 60 60; m 80 70; u 200 200"
                                            << "0,1"
                                            << "0:20,10 1:20,10" << 1 << 1;
        QTest::newRow("drag of (0,0) still moves") << ""
                                                   << "d 60 60; m 60 60; u 60 60"
                                                   << "0"
                                                   << "0:0,0" << 2 << 1;
        QTest::newRow("drag an unselected item") << "0"
                                                 << "d 160 60; m 170 70; u 170 70"
                                                 << "1"
                                                 << "1:10,10" << 4 << 2;
        QTest::newRow("ctrl drag moves what was selected") << "0"
                                                           << "d 160 60 c; m 170 70 c; u 170 70 c"
                                                           << "0"
                                                           << "0:10,10" << 1 << 0;
        QTest::newRow("alt vertical carries what lies below") << "2"
                                                              << "d 60 160; m 61 200 a; u 61 200 a"
                                                              << "2"
                                                              << "2:0,40 3:0,40" << 2 << 1;
        QTest::newRow("alt horizontal carries what lies right") << "1"
                                                                << "d 160 60; m 200 61 a; u 200 61 a"
                                                                << "1"
                                                                << "1:40,0 3:40,0" << 2 << 1;
        QTest::newRow("alt lock read at every move") << "1"
                                                     << "d 160 60; m 200 61 a; m 200 61; u 200 61"
                                                     << "1"
                                                     << "1:40,1" << 2 << 1;
        QTest::newRow("right release cancels a drag") << "0"
                                                      << "d 60 60; m 100 100; ru 100 100; u 100 100"
                                                      << "0"
                                                      << "" << 1 << 1;
        QTest::newRow("right press alone does nothing") << "0"
                                                        << "rd 160 60; ru 160 60"
                                                        << "0"
                                                        << "" << 0 << 0;
        // The cancel leaves no Alt lock behind: B is not taken as carried at the next press.
        QTest::newRow("press after a cancelled alt drag") << "2"
                                                          << "d 60 160; m 61 200 a; ru 61 200; d 160 60; u 160 60"
                                                          << "1"
                                                          << "" << 4 << 3;
    }
    void mouseScripts()
    {
        QFETCH(QString, initial);
        QFETCH(QString, script);
        RecordingSource source(fixtureBoxes());
        Editor editor(&source);
        source.editor = &editor;
        editor.Rebuild();
        selectIndices(editor, source, initial);
        editor.selectionChanges = 0;
        int fired = 0;
        editor.OnSelectionChange = [&](TGraphEditor *sender) {
            QCOMPARE(sender, &editor);
            ++fired;
        };

        runScript(editor, script);

        QTEST(selectionText(editor, source), "selection");
        QTEST(source.moves.join(QLatin1Char(' ')), "moves");
        QTEST(editor.selectionChanges, "selectionChanged");
        QTEST(fired, "onSelectionChange");
        QVERIFY(!editor.mouseIsDown());
        QVERIFY(!editor.AltLock());
        QVERIFY(!editor.InUpdate());
    }

    void altLockDuringDrag()
    {
        RecordingSource source(fixtureBoxes());
        Editor editor(&source);
        editor.Rebuild();
        editor.MouseEvent(60, 160, mekDown, Qt::LeftButton, {});
        editor.MouseEvent(70, 200, mekMove, Qt::LeftButton, Qt::AltModifier);
        QVERIFY(editor.AltLock());
        QCOMPARE(editor.CurPoint(), (Point{60, 200}));
        // Carried items paint as selected but do not count.
        QVERIFY(editor.IsSelected(source.data(3)));
        QVERIFY(!editor.IsSelected(source.data(0)));
        QVERIFY(!editor.IsSelected(source.data(4)));
        QCOMPARE(editor.SelectedCount(), 1);
        // A tie is vertical.
        editor.MouseEvent(80, 180, mekMove, Qt::LeftButton, Qt::AltModifier);
        QCOMPARE(editor.CurPoint(), (Point{60, 180}));
        editor.MouseEvent(80, 180, mekUp, Qt::RightButton, {});
        QVERIFY(!editor.AltLock());
        QVERIFY(!editor.IsSelected(source.data(3)));
    }

    void dataAt_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("index");
        QTest::newRow("inside") << 60 << 60 << 0;
        QTest::newRow("left top edge") << 50 << 50 << 0;
        QTest::newRow("right bottom edge") << 82 << 76 << 0;
        QTest::newRow("beyond the right edge") << 83 << 60 << -1;
        QTest::newRow("overlap: the later item wins") << 440 << 440 << 4;
        QTest::newRow("only the lower item") << 300 << 300 << 3;
    }
    void dataAt()
    {
        RecordingSource source(fixtureBoxes());
        TGraphEditor editor(&source);
        QCOMPARE(editor.DataAt(60, 60), nullptr); // no items before the first rebuild
        editor.Rebuild();
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, index);
        void *expected = index < 0 ? nullptr : source.data(index);
        QCOMPARE(editor.DataAt(x, y), expected);
        // Client coordinates: the same point after scrolling.
        editor.SetScrollPos({20, 30});
        QCOMPARE(editor.DataAt(x - 20, y - 30), expected);
        QCOMPARE(editor.ClientToGraph(x - 20, y - 30), (Point{x, y}));
        QCOMPARE(editor.GraphToClient(x, y), (Point{x - 20, y - 30}));
    }

    void rectsTouch_data()
    {
        QTest::addColumn<Rect>("item");
        QTest::addColumn<Rect>("band");
        QTest::addColumn<bool>("touch");
        QTest::newRow("item corner in band") << Rect(10, 10, 20, 20) << Rect(0, 0, 10, 10) << true;
        QTest::newRow("band wholly inside") << Rect(0, 0, 100, 100) << Rect(10, 10, 20, 20) << true;
        QTest::newRow("band top-left inside") << Rect(0, 0, 100, 100) << Rect(90, 90, 200, 200) << true;
        QTest::newRow("crossing without corners") << Rect(0, 10, 100, 20) << Rect(40, 0, 60, 30) << false;
        QTest::newRow("apart") << Rect(0, 0, 10, 10) << Rect(11, 11, 20, 20) << false;
    }
    void rectsTouch()
    {
        QFETCH(Rect, item);
        QFETCH(Rect, band);
        QTEST(RectsTouch(item, band), "touch");
    }

    void rebuild()
    {
        RecordingSource source(fixtureBoxes());
        source.boxes[1].caption = QStringLiteral("B");
        Editor editor(&source);
        QCOMPARE(editor.ItemCount(), 0);
        editor.Rebuild();
        QCOMPARE(editor.ItemCount(), 5);
        QCOMPARE(editor.Items(1)->Caption, QStringLiteral("B"));
        QCOMPARE(editor.Items(0)->Caption, QString());
        QVERIFY(editor.Items(0)->Groupable);
        QVERIFY(!editor.Items(4)->Groupable);
        QVERIFY_THROWS_EXCEPTION(ERunError, editor.Items(5));
        QVERIFY_THROWS_EXCEPTION(ERunError, editor.Items(-1));
        Rect r;
        QVERIFY(editor.GetItemRect(source.data(2), r));
        QCOMPARE(r, Rect(50, 150, 82, 176));
        int unknown = 0;
        QVERIFY(!editor.GetItemRect(&unknown, r));
        QCOMPARE(r, Rect(50, 150, 82, 176));
        QCOMPARE(editor.FindItem(nullptr), nullptr);

        // Outside a batch a rebuild loses the selection.
        selectIndices(editor, source, "0,1");
        editor.Rebuild();
        QCOMPARE(editor.SelectedCount(), 0);
    }

    void rebuildSkipsNilAndSurvivesARaise()
    {
        struct Source : RecordingSource {
            using RecordingSource::RecordingSource;
            void GetItems(DataList &list) override
            {
                list.push_back(nullptr);
                RecordingSource::GetItems(list);
            }
            void GetItemInfo(void *data, Rect &r, bool &g, QString &c) override
            {
                if (indexOf(data) == 2)
                    throw Exception(QStringLiteral("bad item"));
                RecordingSource::GetItemInfo(data, r, g, c);
            }
        } source(fixtureBoxes());
        Editor editor(&source);
        QVERIFY_THROWS_EXCEPTION(Exception, editor.Rebuild());
        QCOMPARE(editor.ItemCount(), 2);
        QCOMPARE(editor.Items(0)->Data, source.data(0));
        QCOMPARE(editor.invalidates, 1);
    }

    void nilSource()
    {
        TGraphEditor editor(static_cast<TGraphEditorSource *>(nullptr));
        QVERIFY_THROWS_EXCEPTION(ERunError, editor.Rebuild());
        QCOMPARE(editor.DataAt(0, 0), nullptr);
    }

    void ownership()
    {
        bool destroyed = false;
        {
            auto source = std::make_unique<RecordingSource>(fixtureBoxes());
            source->destroyed = &destroyed;
            TGraphEditor editor(std::move(source));
            QVERIFY(editor.OwnsSource());
            editor.Rebuild();
        }
        QVERIFY(destroyed);
        destroyed = false;
        RecordingSource borrowed;
        borrowed.destroyed = &destroyed;
        {
            TGraphEditor editor(&borrowed);
            QVERIFY(!editor.OwnsSource());
        }
        QVERIFY(!destroyed);
    }

    void batchRestoresSelection_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("removeIndex"); // the source drops this box during the batch
        QTest::addColumn<QString>("restored");
        QTest::addColumn<int>("selectionChanged");
        QTest::newRow("two kept") << "0,1" << -1 << "0,1" << 0;
        QTest::newRow("one kept") << "1" << -1 << "1" << 1;
        QTest::newRow("count differs") << "0,1,2" << 1 << "0,2" << 1;
        QTest::newRow("none") << "" << -1 << "" << 0;
    }
    void batchRestoresSelection()
    {
        struct Source : RecordingSource {
            using RecordingSource::RecordingSource;
            int skip = -1;
            void GetItems(DataList &list) override
            {
                for (size_t i = 0; i < boxes.size(); ++i)
                    if (int(i) != skip)
                        list.push_back(&boxes[i]);
            }
        } source(fixtureBoxes());
        Editor editor(&source);
        editor.Rebuild();
        QFETCH(QString, selected);
        selectIndices(editor, source, selected);
        editor.selectionChanges = 0;
        int fired = 0;
        editor.OnSelectionChange = [&](TGraphEditor *) { ++fired; };

        editor.BeginUpdate();
        editor.Rebuild();
        QCOMPARE(editor.ItemCount(), 5); // deferred
        QFETCH(int, removeIndex);
        source.skip = removeIndex;
        editor.EndUpdate();
        QCOMPARE(editor.ItemCount(), removeIndex < 0 ? 5 : 4);
        QTEST(selectionText(editor, source), "restored");
        QTEST(editor.selectionChanges, "selectionChanged");
        QCOMPARE(fired, 0);
    }

    void batchIsAFlag()
    {
        RecordingSource source(fixtureBoxes());
        Editor editor(&source);
        editor.Rebuild();
        editor.BeginUpdate();
        editor.Rebuild();
        editor.BeginUpdate(); // forgets the rebuild asked for
        editor.EndUpdate();
        QVERIFY(!editor.InUpdate());
        const int before = editor.invalidates;
        editor.EndUpdate();
        QCOMPARE(editor.invalidates, before);
    }

    void failedMoveClosesTheBatch()
    {
        RecordingSource source(fixtureBoxes());
        Editor editor(&source);
        source.editor = &editor;
        source.throwOnMove = 1;
        editor.Rebuild();
        selectIndices(editor, source, "0,1");
        editor.MouseEvent(60, 60, mekDown, Qt::LeftButton, {});
        editor.MouseEvent(70, 60, mekMove, Qt::LeftButton, {});
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, editor.MouseEvent(70, 60, mekUp, Qt::LeftButton, {}));
        QVERIFY(!editor.InUpdate());
        QVERIFY(!editor.mouseIsDown());
        // The move that went through was rebuilt into the items.
        QCOMPARE(source.moves, QStringList{"0:10,0"});
        QCOMPARE(editor.Items(0)->Rect, Rect(60, 50, 92, 76));
        source.boxes[2].r = Rect(0, 0, 1, 1);
        editor.Rebuild();
        QCOMPARE(editor.Items(2)->Rect, Rect(0, 0, 1, 1));
    }

    void setSelected()
    {
        RecordingSource source(fixtureBoxes());
        Editor editor(&source);
        editor.Rebuild();
        int fired = 0;
        editor.OnSelectionChange = [&](TGraphEditor *) { ++fired; };
        // A nil list is always a change.
        editor.SetSelected(nullptr, false);
        QCOMPARE(editor.selectionChanges, 1);
        DataList list{source.data(0), nullptr, source.data(2)};
        editor.SetSelected(&list, true);
        QCOMPARE(selectionText(editor, source), QStringLiteral("0,2"));
        QCOMPARE(editor.selectionChanges, 2);
        editor.SetSelected(&list, true); // nothing differs
        QCOMPARE(editor.selectionChanges, 2);
        DataList handle{source.data(4)};
        editor.SetSelected(&handle, true); // an ungroupable item never joins a group
        QCOMPARE(selectionText(editor, source), QStringLiteral("0,2"));
        QCOMPARE(fired, 0);
        editor.GetSelected(nullptr);
    }

    void showItem_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Point>("scroll");
        QTest::addColumn<Point>("expected");
        // View 100 x 80.
        QTest::newRow("in view stays") << 0 << Point{0, 0} << Point{0, 0};
        QTest::newRow("top on the view's bottom edge is in view") << 2 << Point{0, 70} << Point{0, 70};
        QTest::newRow("below is centred") << 3 << Point{0, 0} << Point{300, 310};
        QTest::newRow("above is centred") << 2 << Point{300, 300} << Point{16, 123};
        QTest::newRow("never negative") << 0 << Point{300, 300} << Point{0, 0};
        QTest::newRow("only the top-left corner counts") << 1 << Point{60, 0} << Point{60, 0};
    }
    void showItem()
    {
        RecordingSource source(fixtureBoxes());
        source.boxes[0].r = Rect(10, 10, 42, 36);
        Editor editor(&source);
        editor.SetViewSize({100, 80});
        editor.Rebuild();
        selectIndices(editor, source, "1,2");
        int fired = 0;
        editor.OnSelectionChange = [&](TGraphEditor *) { ++fired; };
        QFETCH(Point, scroll);
        editor.SetScrollPos(scroll);
        QFETCH(int, index);
        editor.ShowItem(source.data(index));
        QTEST(editor.GetScrollPos(), "expected");
        QCOMPARE(selectionText(editor, source), QString::number(index));
        QCOMPARE(fired, 0);

        int unknown = 0;
        editor.ShowItem(&unknown);
        editor.ShowItem(nullptr);
        QCOMPARE(selectionText(editor, source), QString::number(index));
    }

    void graphSize()
    {
        struct E : TGraphEditor {
            using TGraphEditor::TGraphEditor;
            int changes = 0;
            void GraphSizeChanged() override { ++changes; }
        } editor(static_cast<TGraphEditorSource *>(nullptr));
        editor.SetGraphSize({0, 0});
        QCOMPARE(editor.changes, 0);
        editor.SetGraphSize({10, 0});
        editor.SetGraphSize({10, 20});
        editor.SetGraphSize({10, 20});
        QCOMPARE(editor.changes, 2);
        QCOMPARE(editor.GetGraphSize(), (Point{10, 20}));
        editor.SetViewSize({5, 6});
        QCOMPARE(editor.GetViewSize(), (Point{5, 6}));
        QCOMPARE(editor.changes, 2);
    }

    void paintToView()
    {
        RecordingSource source(fixtureBoxes());
        Editor editor(&source);
        editor.SetViewSize({200, 100});
        editor.Rebuild();
        selectIndices(editor, source, "1");
        editor.SetScrollPos({100, 0});
        RecordingCanvas canvas;
        editor.Paint(canvas, true);
        // A at 50..82 lies wholly left of the view (its right edge is at client -18).
        QCOMPARE(source.painted, (QStringList{"bg 100,0", "item 1 50,50 sel", "overlay 100,0"}));
        QVERIFY(source.lastInfo.ToView);
        QVERIFY(!source.lastInfo.Dragging);
        QVERIFY(!source.lastInfo.ShowRubberBand);

        // An item whose right edge is exactly at the view's left edge is not handed over.
        source.painted.clear();
        editor.SetScrollPos({82, 0});
        editor.Paint(canvas, true);
        QVERIFY(!source.painted.contains(QStringLiteral("item 0 -32,50")));
        QVERIFY(source.painted.contains(QStringLiteral("item 1 68,50 sel")));

        // The whole graph: every item at its graph position.
        source.painted.clear();
        editor.Paint(canvas, false);
        QCOMPARE(source.painted.size(), 7);
        QCOMPARE(source.painted.first(), QStringLiteral("bg 0,0"));
        QCOMPARE(source.painted[4], QStringLiteral("item 3 250,250"));
        QVERIFY(!source.lastInfo.ToView);
    }

    void paintInfoWhileDragging()
    {
        RecordingSource source(fixtureBoxes());
        Editor editor(&source);
        editor.SetViewSize({500, 500});
        editor.Rebuild();
        editor.SetScrollPos({10, 10});
        RecordingCanvas canvas;
        editor.MouseEvent(50, 50, mekDown, Qt::LeftButton, {});
        editor.MouseEvent(57, 45, mekMove, Qt::LeftButton, {});
        editor.Paint(canvas, true);
        QVERIFY(source.lastInfo.Dragging);
        QCOMPARE(source.lastInfo.DX, 7);
        QCOMPARE(source.lastInfo.DY, -5);
        QVERIFY(!source.lastInfo.ShowRubberBand);
        editor.MouseEvent(57, 45, mekUp, Qt::LeftButton, {});

        // A band from empty space, in client coordinates and normalised.
        editor.MouseEvent(200, 100, mekDown, Qt::LeftButton, {});
        editor.MouseEvent(150, 120, mekMove, Qt::LeftButton, {});
        editor.Paint(canvas, true);
        QVERIFY(source.lastInfo.ShowRubberBand);
        QVERIFY(!source.lastInfo.Dragging);
        QCOMPARE(source.lastInfo.DX, 0);
        QCOMPARE(source.lastInfo.RubberBand, Rect(150, 100, 200, 120));
    }

    void emptySource()
    {
        RecordingSource source;
        Editor editor(&source);
        editor.Rebuild();
        QCOMPARE(editor.ItemCount(), 0);
        runScript(editor, "d 10 10; m 20 20; u 20 20");
        QVERIFY(source.moves.isEmpty());
        QCOMPARE(editor.selectionChanges, 0);
    }
};

PELLORIN_TEST_CLASS(TestGraphEditor)
#include "test_grapheditor.moc"
