#include "base/exception.h"
#include "common/testmain.h"
#include "editors/lclgrapheditor.h"
#include "recordingcanvas.h"
#include "recordingsource.h"

#include <QApplication>
#include <QDialog>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

using namespace pellorin_test;

namespace {
// Paints every item as a solid box, selected ones red, so a picture can be checked by pixel.
class BoxPainter : public RecordingSource {
public:
    using RecordingSource::RecordingSource;
    void PaintItem(DrawingSurface &canvas, void *data, int x, int y, bool selected,
                   const TGraphPaintInfo &info) override
    {
        RecordingSource::PaintItem(canvas, data, x, y, selected, info);
        const Rect &r = static_cast<Box *>(data)->r;
        canvas.setBrushStyle(bsSolid);
        canvas.setBrushColor(selected ? rgbToColor(255, 0, 0) : rgbToColor(0, 0, 255));
        canvas.fillRect(Rect::fromSize(x, y, r.width(), r.height()));
    }
};

class CountingScroll : public TImageGraphEditor {
public:
    using TImageGraphEditor::TImageGraphEditor;
    int scrollCalls = 0;
    void SetScrollPos(Point p) override
    {
        ++scrollCalls;
        TImageGraphEditor::SetScrollPos(p);
    }
};

// A form with the host image at (10, 10) and the two bars beside it.
struct Form {
    explicit Form(int w = 300, int h = 200)
    {
        window.resize(w + 40, h + 40);
        host = new TImage(&window);
        host->setObjectName(QStringLiteral("Image1"));
        host->setGeometry(10, 10, w, h);
        hbar = new QScrollBar(Qt::Horizontal, &window);
        hbar->setGeometry(10, 10 + h, w, 16);
        vbar = new QScrollBar(Qt::Vertical, &window);
        vbar->setGeometry(10 + w, 10, 16, h);
        window.show();
    }
    QWidget window;
    TImage *host;
    QScrollBar *hbar;
    QScrollBar *vbar;
};

void sendWheel(QWidget *target, QPoint angle, bool *accepted = nullptr)
{
    QWheelEvent e(QPointF(20, 20), QPointF(20, 20), QPoint(), angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(target, &e);
    if (accepted)
        *accepted = e.isAccepted();
}
} // namespace

class TestImageGraphEditor : public QObject {
    Q_OBJECT
private slots:
    void overlayFollowsHost()
    {
        Form form;
        RecordingSource source;
        TImageGraphEditor editor(form.host, form.hbar, form.vbar, &source);
        TContent *content = editor.Content();
        QVERIFY(content);
        QCOMPARE(content->parentWidget(), &form.window);
        QCOMPARE(content->geometry(), form.host->geometry());
        QVERIFY(content->isVisible());
        QCOMPARE(editor.GetViewSize(), (Point{300, 200}));
        QCOMPARE(form.host->picture().size(), QSize(300, 200));
        QCOMPARE(form.host->picture().pixelColor(299, 199), QColor(Qt::white));

        form.host->setGeometry(20, 30, 250, 150);
        QCOMPARE(content->geometry(), QRect(20, 30, 250, 150));
        QCOMPARE(editor.GetViewSize(), (Point{250, 150}));
        QCOMPARE(form.host->picture().size(), QSize(250, 150));
        form.host->hide();
        QVERIFY(!content->isVisible());
        form.host->show();
        QVERIFY(content->isVisible());
    }

    void requiresBars()
    {
        Form form;
        RecordingSource source;
        QVERIFY_THROWS_EXCEPTION(ERunError, TImageGraphEditor(form.host, nullptr, form.vbar, &source));
        QVERIFY_THROWS_EXCEPTION(ERunError, TImageGraphEditor(form.host, form.hbar, nullptr, &source));
    }

    void overlayGoesWithTheEditor()
    {
        Form form;
        auto editor =
            std::make_unique<TImageGraphEditor>(form.host, form.hbar, form.vbar, std::make_unique<RecordingSource>());
        QVERIFY(form.window.findChild<TContent *>());
        editor.reset();
        QVERIFY(!form.window.findChild<TContent *>());
        // The form may also go first.
        auto *window = new Form;
        editor = std::make_unique<TImageGraphEditor>(window->host, window->hbar, window->vbar,
                                                     std::make_unique<RecordingSource>());
        delete window;
        editor->Invalidate();
        editor->SetGraphSize({10, 10});
        editor.reset();
    }

    void scrollBars_data()
    {
        QTest::addColumn<int>("viewW");
        QTest::addColumn<int>("viewH");
        QTest::addColumn<Point>("graph");
        QTest::addColumn<int>("hMax");
        QTest::addColumn<int>("vMax");
        QTest::addColumn<int>("hPage");
        QTest::addColumn<int>("vPage");
        QTest::newRow("graph smaller than the view") << 300 << 200 << Point{100, 150} << 0 << 0 << 100 << 150;
        QTest::newRow("larger graph") << 300 << 200 << Point{1000, 800} << 700 << 600 << 100 << 150;
        // Each bar pages by half the view across it; halves round to even, never below 1.
        QTest::newRow("101 wide, 1 high") << 101 << 1 << Point{1000, 800} << 899 << 799 << 1 << 50;
        QTest::newRow("103 wide, 5 high") << 103 << 5 << Point{1000, 800} << 897 << 795 << 2 << 52;
    }
    void scrollBars()
    {
        QFETCH(int, viewW);
        QFETCH(int, viewH);
        Form form(viewW, viewH);
        RecordingSource source;
        TImageGraphEditor editor(form.host, form.hbar, form.vbar, &source);
        QFETCH(Point, graph);
        editor.SetGraphSize(graph);
        QCOMPARE(form.hbar->minimum(), 0);
        QTEST(form.hbar->maximum(), "hMax");
        QTEST(form.vbar->maximum(), "vMax");
        QTEST(form.hbar->pageStep(), "hPage");
        QTEST(form.vbar->pageStep(), "vPage");
    }

    void scrollPositionAndBars()
    {
        Form form;
        RecordingSource source;
        CountingScroll editor(form.host, form.hbar, form.vbar, &source);
        editor.SetGraphSize({1000, 800});
        editor.SetScrollPos({50, 60});
        // Setting the bars from inside does not come back through their change handler.
        QCOMPARE(editor.scrollCalls, 1);
        QCOMPARE(form.hbar->value(), 50);
        QCOMPARE(form.vbar->value(), 60);
        // A user's move of a bar scrolls.
        form.hbar->setValue(70);
        QCOMPARE(editor.scrollCalls, 2);
        QCOMPARE(editor.GetScrollPos(), (Point{70, 60}));
        // A bar clamps what it is given.
        editor.SetScrollPos({5000, 0});
        QCOMPARE(form.hbar->value(), 700);
        // The view growing past the graph pulls the scroll position back with the bars.
        form.host->resize(900, 200);
        QCOMPARE(form.hbar->maximum(), 100);
        QCOMPARE(editor.GetScrollPos().x, 100);
    }

    void wheel_data()
    {
        QTest::addColumn<QPoint>("angle");
        QTest::addColumn<int>("expected");
        QTest::newRow("up a notch") << QPoint(0, 120) << 87;
        QTest::newRow("up by any positive delta") << QPoint(0, 1) << 87;
        QTest::newRow("down") << QPoint(0, -360) << 113;
        QTest::newRow("a delta of 0 goes down") << QPoint(0, 0) << 113;
        // Every wheel event scrolls: one without a vertical delta goes down.
        QTest::newRow("a sideways wheel goes down") << QPoint(120, 0) << 113;
        QTest::newRow("a sideways wheel to the left goes down") << QPoint(-120, 0) << 113;
    }
    void wheel()
    {
        Form form;
        RecordingSource source;
        TImageGraphEditor editor(form.host, form.hbar, form.vbar, &source);
        editor.SetGraphSize({1000, 1000});
        form.vbar->setValue(100);
        QFETCH(QPoint, angle);
        bool accepted = true;
        sendWheel(editor.Content(), angle, &accepted);
        QVERIFY(!accepted);
        QTEST(form.vbar->value(), "expected");
        QTEST(editor.GetScrollPos().y, "expected");
    }

    void dragInAScrolledViewGrowsTheGraph_data()
    {
        QTest::addColumn<int>("dy");
        QTest::addColumn<int>("height");
        QTest::newRow("bottom on the edge grows by the item") << 324 << 626;
        QTest::newRow("above the edge stays") << 323 << 600;
    }
    void dragInAScrolledViewGrowsTheGraph()
    {
        Form form;
        RecordingSource source({Box(Rect(150, 250, 182, 276)), Box(Rect(0, 0, 10, 10))});
        TImageGraphEditor editor(form.host, form.hbar, form.vbar, &source);
        source.editor = &editor;
        editor.SetGraphSize({1000, 600});
        editor.Rebuild();
        form.vbar->setValue(200);
        form.hbar->setValue(100);
        QCOMPARE(editor.GetScrollPos(), (Point{100, 200}));

        QStringList order;
        form.host->onMouseDown = [&](QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
            QCOMPARE(sender, form.host);
            QCOMPARE(button, Qt::LeftButton);
            order << QStringLiteral("host down %1,%2 editor %3").arg(x).arg(y).arg(editor.mouseIsDown());
        };
        form.host->onMouseUp = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            order << QStringLiteral("host up editor %1").arg(editor.mouseIsDown());
        };
        QFETCH(int, dy);
        QTest::mousePress(editor.Content(), Qt::LeftButton, {}, QPoint(60, 60));
        QTest::mouseMove(editor.Content(), QPoint(70, 60 + dy));
        QTest::mouseRelease(editor.Content(), Qt::LeftButton, {}, QPoint(70, 60 + dy));

        QCOMPARE(order, (QStringList{"host down 60,60 editor 1", "host up editor 0"}));
        QCOMPARE(source.moves, QStringList{QStringLiteral("0:10,%1").arg(dy)});
        QCOMPARE(selectionText(editor, source), QStringLiteral("0"));
        QTEST(editor.GetGraphSize().y, "height");
        QCOMPARE(editor.GetGraphSize().x, 1000);
        QCOMPARE(form.vbar->maximum(), editor.GetGraphSize().y - 200);
    }

    // The release of the button that started a drag goes to another window: the drag ends as
    // a cancel, and nothing moves, however the pointer goes on.
    void lostReleaseCancelsTheDrag_data()
    {
        QTest::addColumn<QString>("lost");
        QTest::newRow("a move without the button") << "move";
        QTest::newRow("a modal dialog opens") << "modal";
        QTest::newRow("the window is blocked") << "blocked";
        QTest::newRow("another window is activated") << "deactivated";
        QTest::newRow("the diagram is hidden") << "hidden";
    }
    void lostReleaseCancelsTheDrag()
    {
        QFETCH(QString, lost);
        Form form;
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        form.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        RecordingSource source({Box(Rect(50, 50, 82, 76)), Box(Rect(0, 0, 10, 10))});
        TImageGraphEditor editor(form.host, form.hbar, form.vbar, &source);
        source.editor = &editor;
        editor.SetGraphSize({1000, 1000});
        editor.Rebuild();
        QStringList hostMoves;
        form.host->onMouseMove = [&](QObject *, Qt::KeyboardModifiers, int x, int y) {
            hostMoves << QStringLiteral("%1,%2").arg(x).arg(y);
        };
        QTest::mousePress(editor.Content(), Qt::LeftButton, {}, QPoint(60, 60));
        QTest::mouseMove(editor.Content(), QPoint(90, 80));
        QVERIFY(editor.mouseIsDown() && editor.Moved());

        // Takes the release away from the diagram, as a window that gets it does.
        QWidget elsewhere;
        const auto releaseElsewhere = [&](QWidget *target) {
            QTest::mouseRelease(target ? target : &elsewhere, Qt::LeftButton, {}, QPoint(5, 5));
        };
        if (lost == "move") {
            releaseElsewhere(nullptr);
            QVERIFY(editor.mouseIsDown());
            QMouseEvent move(QEvent::MouseMove, QPointF(120, 100), editor.Content()->mapToGlobal(QPointF(120, 100)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(editor.Content(), &move);
            // The window's own handler gets the move all the same.
            QCOMPARE(hostMoves, (QStringList{"90,80", "120,100"}));
        } else if (lost == "modal") {
            QDialog dialog(&form.window);
            dialog.setWindowModality(Qt::ApplicationModal);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            releaseElsewhere(&dialog);
            dialog.reject();
        } else if (lost == "blocked") {
            QEvent blocked(QEvent::WindowBlocked);
            QApplication::sendEvent(&form.window, &blocked);
            releaseElsewhere(nullptr);
        } else if (lost == "deactivated") {
            QWidget other;
            other.setGeometry(400, 0, 100, 100);
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            releaseElsewhere(&other);
        } else {
            form.host->hide();
            releaseElsewhere(nullptr);
            form.host->show();
        }
        QVERIFY(!editor.mouseIsDown());

        // Moves and a release over the diagram later on move nothing either.
        QMouseEvent move(QEvent::MouseMove, QPointF(150, 120), editor.Content()->mapToGlobal(QPointF(150, 120)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(editor.Content(), &move);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(150, 120),
                            editor.Content()->mapToGlobal(QPointF(150, 120)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(editor.Content(), &release);
        QCOMPARE(source.moves, QStringList());
        QVERIFY(!editor.mouseIsDown());
        QCOMPARE(selectionText(editor, source), QStringLiteral("0"));
    }

    void paintsTheView()
    {
        Form form;
        BoxPainter source({Box(Rect(150, 250, 182, 276)), Box(Rect(0, 0, 10, 10))});
        TImageGraphEditor editor(form.host, form.hbar, form.vbar, &source);
        editor.SetGraphSize({1000, 1000});
        editor.Rebuild();
        editor.SetScrollPos({100, 200});
        const QImage shot = editor.Content()->grab().toImage();
        QCOMPARE(source.painted, (QStringList{"bg 100,200", "item 0 50,50", "overlay 100,200"}));
        QVERIFY(source.lastInfo.ToView);
        QCOMPARE(shot.pixelColor(60, 60), QColor(0, 0, 255));
        QCOMPARE(shot.pixelColor(5, 5), QColor(Qt::white));
    }

    void pictureOfTheWholeGraph()
    {
        Form form;
        BoxPainter source({Box(Rect(10, 10, 40, 30)), Box(Rect(900, 700, 950, 750))});
        TImageGraphEditor editor(form.host, form.hbar, form.vbar, &source);
        QVERIFY(editor.paintToImage().isNull()); // no graph size yet
        editor.SetGraphSize({1000, 800});
        editor.Rebuild();
        DataList second{source.data(1)};
        editor.SetSelected(&second, true);
        const QImage picture = editor.paintToImage();
        QCOMPARE(picture.size(), QSize(1000, 800));
        QCOMPARE(picture.format(), QImage::Format_RGB888);
        QCOMPARE(source.painted.first(), QStringLiteral("bg 0,0"));
        QVERIFY(!source.lastInfo.ToView);
        QCOMPARE(picture.pixelColor(20, 20), QColor(0, 0, 255));
        QCOMPARE(picture.pixelColor(940, 740), QColor(255, 0, 0)); // far outside the view
        QCOMPARE(picture.pixelColor(500, 500), QColor(Qt::white));
        editor.PaintTo(nullptr);
    }

    void zoom()
    {
        Form form;
        RecordingSource source;
        TImageGraphEditor editor(form.host, form.hbar, form.vbar, &source);
        QCOMPARE(editor.zoom(), form.host->logicalDpiY() / 96.0);
        editor.setZoom(1.25);
        QCOMPARE(editor.zoom(), 1.25);
    }
};

class TestPainterCanvas : public QObject {
    Q_OBJECT
private slots:
    void rectangleKeepsRightAndBottomOut()
    {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PainterCanvas canvas(painter);
            canvas.setBrushStyle(bsClear);
            canvas.rectangle(Rect(10, 10, 20, 20));
            canvas.setBrushStyle(bsSolid);
            canvas.setBrushColor(rgbToColor(0, 255, 0));
            canvas.fillRect(Rect(30, 30, 32, 32));
        }
        QCOMPARE(image.pixelColor(10, 10), QColor(Qt::black));
        QCOMPARE(image.pixelColor(19, 19), QColor(Qt::black));
        QCOMPARE(image.pixelColor(20, 20), QColor(Qt::white));
        QCOMPARE(image.pixelColor(15, 15), QColor(Qt::white)); // a clear brush leaves the inside
        QCOMPARE(image.pixelColor(31, 31), QColor(0, 255, 0));
        QCOMPARE(image.pixelColor(32, 32), QColor(Qt::white));
    }

    void longLinesAndOrigin()
    {
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PainterCanvas canvas(painter);
            canvas.setPenColor(rgbToColor(255, 0, 0));
            canvas.setPenWidth(2);
            canvas.setOrigin(-1000, 0);
            QCOMPARE(canvas.origin(), (Point{-1000, 0}));
            // Far beyond the device on both ends: what lies inside is drawn, joins included.
            canvas.polyline({{1050, -50000}, {1050, 50}, {1090, 50}, {1090, 80}, {90000, 80}});
            canvas.setOrigin(0, 0);
            canvas.setFontBold(true);
            canvas.setFontColor(rgbToColor(0, 0, 255));
            canvas.setBrushStyle(bsClear);
            const Point extent = canvas.textExtent(QStringLiteral("WWW"));
            QVERIFY(extent.x > 0 && extent.y > 0);
            QCOMPARE(canvas.textHeight(QStringLiteral("x")), extent.y);
            canvas.textOut(5, 5, QStringLiteral("WWW"));
        }
        for (const QPoint p :
             {QPoint(50, 0), QPoint(50, 30), QPoint(50, 50), QPoint(70, 50), QPoint(90, 65), QPoint(99, 80)})
            QVERIFY2(image.pixelColor(p) == QColor(255, 0, 0),
                     qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        QCOMPARE(image.pixelColor(70, 70), QColor(Qt::white));
        bool blue = false;
        for (int x = 5; x < 40 && !blue; ++x)
            for (int y = 5; y < 25 && !blue; ++y)
                blue = image.pixelColor(x, y).blue() > 200 && image.pixelColor(x, y).red() < 100;
        QVERIFY(blue);
    }
};

PELLORIN_TEST_CLASS(TestImageGraphEditor)
PELLORIN_TEST_CLASS(TestPainterCanvas)
#include "test_lclgrapheditor.moc"
