#include "common/testmain.h"
#include "editors/htmlctrldrawer.h"
#include "editors/htmleditors.h"
#include "model/htmlcontrols.h"
#include "model/htmlparsingtree.h"
#include "recordingcanvas.h"

#include <QScrollBar>
#include <QTest>

using namespace pellorin_test;

namespace {
// A page of three controls laid out as the page would be: an edit box with a caption, a link
// without one, and a static box further down with its caption.
const QByteArray kHtml = R"(<div class="EditableContent">
  <div class="EditorText" style="left: 20px; top: 30px; width: 150px; height: 40px"><span>Name</span><input name="name"></div>
  <div class="EditorLink" style="left: 200px; top: 100px; width: 60px; height: 20px"><a href="help.html">Help</a></div>
  <div class="StaticContainer" style="left: 40px; top: 400px; width: 300px; height: 80px"><h3>Orders</h3></div>
</div>)";

struct Page {
    Page() : tree(ParseHTML(kHtml))
    {
        BuildControls(tree.get(), controls);
        LayoutControls(controls);
    }
    // The controls of a kind, in order.
    THTMLControl *control(const QString &cssClass) const
    {
        for (const auto &c : controls)
            if (c->CSSClass() == cssClass)
                return c.get();
        return nullptr;
    }
    std::unique_ptr<TMLTree> tree;
    HTMLControlList controls;
};

Rect absolute(const THTMLControl *control)
{
    Rect r;
    AbsoluteBounds(control, r);
    return r;
}

// A form with the HTML-UI image at (10, 10) and its two bars beside it.
struct Form {
    Form()
    {
        window.resize(440, 340);
        host = new TImage(&window);
        host->setObjectName(QStringLiteral("HTMLImage"));
        host->setGeometry(10, 10, 400, 300);
        hbar = new QScrollBar(Qt::Horizontal, &window);
        hbar->setGeometry(10, 310, 400, 16);
        vbar = new QScrollBar(Qt::Vertical, &window);
        vbar->setGeometry(410, 10, 16, 300);
        window.show();
    }
    QWidget window;
    TImage *host;
    QScrollBar *hbar;
    QScrollBar *vbar;
};

// The page's controls on an HTML-UI editor of that graph size in the window, built.
struct PageOnEditor {
    explicit PageOnEditor(Point graphSize)
    {
        static_cast<THTMLEditorSource *>(editor.Source())->SetControls(page.controls);
        editor.SetGraphSize(graphSize);
        editor.Rebuild();
    }
    Form form;
    Page page;
    THTMLEditor editor{form.host, form.hbar, form.vbar, std::make_unique<THTMLEditorSource>()};
};

bool isBlue(const QColor &c) { return c.red() < 60 && c.green() < 60 && c.blue() > 200; }
bool isDark(const QColor &c) { return c.red() < 128 && c.green() < 128 && c.blue() < 128; }
} // namespace

class TestHTMLControlDrawer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initHTMLControls(); }

    void defaultStyle()
    {
        const TTextDrawStyle &style = DefaultDrawStyle();
        QCOMPARE(style.Values.lines(), QStringList({"color=#000000", "font-family=Trebuchet MS", "font-size=10"}));
        QCOMPARE(&DefaultDrawStyle(), &style);
    }

    void textStyle()
    {
        TTextDrawStyle style;
        QCOMPARE(style.GetValue("color"), QString());
        style.SetValue("color", "#0000ff");
        style.SetValue("Font-Size", "14");
        QCOMPARE(style.GetValue("Color"), QString("#0000ff")); // names without case
        QCOMPARE(style.GetValue("FONT-SIZE"), QString("14"));
        style.SetValue("COLOR", "#ff0000"); // replaced in place
        QCOMPARE(style.Values.lines(), QStringList({"COLOR=#ff0000", "Font-Size=14"}));
        QCOMPARE(style.GetValue("font-family"), QString());
    }

    void applyFont_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("size");
        QTest::addColumn<Color>("color");
        QTest::newRow("default style") << QStringList() << "Trebuchet MS" << 10 << clBlack;
        // The colour's digits are taken as the canvas value: low byte red.
        QTest::newRow("0000ff is red") << QStringList{"font-family=Arial", "Color=#0000ff", "font-size=9"} << "Arial"
                                       << 9 << rgbToColor(255, 0, 0);
        QTest::newRow("ff0000 is blue") << QStringList{"color=#ff0000"} << "" << 12 << rgbToColor(0, 0, 255);
        QTest::newRow("no size") << QStringList{"color=#000000"} << "" << 12 << clBlack;
        QTest::newRow("size not a number") << QStringList{"font-size=10px"} << "" << 12 << clBlack;
        QTest::newRow("size not positive") << QStringList{"font-size=0"} << "" << 12 << clBlack;
        QTest::newRow("colour without hash") << QStringList{"color=red"} << "" << 12 << clBlack;
    }
    void applyFont()
    {
        QFETCH(QStringList, values);
        RecordingCanvas canvas;
        canvas.setFontColor(rgbToColor(1, 2, 3));
        if (values.isEmpty()) {
            ApplyFont(canvas, DefaultDrawStyle());
        } else {
            TTextDrawStyle style;
            style.Values = StringList(values);
            ApplyFont(canvas, style);
        }
        QTEST(canvas.fontName(), "font");
        QTEST(canvas.fontSize(), "size");
        QTEST(canvas.fontColor(), "color");
    }

    void drawsFrameAndCaption()
    {
        Page page;
        THTMLControl *edit = page.control("EditorText");
        QVERIFY(edit);
        const Rect bounds = edit->Bounds();
        QVERIFY(bounds.width() > 0 && bounds.height() > 0);
        RecordingCanvas canvas;
        TDrawHMTLControl::Draw(*edit, canvas, 7, 9);
        QCOMPARE(canvas.recorded.size(), size_t(2));
        const CanvasOp &frame = canvas.recorded[0];
        QCOMPARE(frame.kind, QString("rectangle"));
        QCOMPARE(frame.r, Rect::fromSize(7, 9, bounds.width(), bounds.height()));
        QCOMPARE(frame.pen, rgbToColor(0, 0, 255));
        QCOMPARE(frame.brushStyle, bsClear);
        const CanvasOp &caption = canvas.recorded[1];
        QCOMPARE(caption.kind, QString("text"));
        QCOMPARE(caption.text, QString("Name"));
        QCOMPARE(caption.points, (std::vector<Point>{{7, 9}}));
        QCOMPARE(caption.font, clBlack);
        QCOMPARE(canvas.fontName(), QString("Trebuchet MS"));
        QCOMPARE(canvas.fontSize(), 10);

        // A style of its own.
        TTextDrawStyle style;
        style.SetValue("color", "#0000ff");
        RecordingCanvas styled;
        TDrawHMTLControl::Draw(*edit, styled, 0, 0, &style);
        QCOMPARE(styled.recorded[1].font, rgbToColor(255, 0, 0));
        QCOMPARE(styled.fontSize(), 12);
    }

    void withoutCaptionOnlyTheFrame()
    {
        Page page;
        THTMLControl *link = page.control("EditorLink");
        QVERIFY(link);
        QCOMPARE(link->GetPropertyValue("caption"), QString());
        RecordingCanvas canvas;
        TDrawHMTLControl::Draw(*link, canvas, 0, 0);
        QCOMPARE(canvas.recorded.size(), size_t(1));
        QCOMPARE(canvas.recorded[0].kind, QString("rectangle"));
    }
};

class TestHTMLEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initHTMLControls(); }

    void sourceListsTheControls()
    {
        Page page;
        THTMLEditorSource source;
        QVERIFY(source.Controls().empty());
        source.SetControls(page.controls);
        QCOMPARE(source.Controls().size(), page.controls.size());
        DataList items;
        source.GetItems(items);
        QCOMPARE(items.size(), page.controls.size());
        for (size_t i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i], static_cast<void *>(page.controls[i].get()));
            Rect r;
            bool groupable = true;
            QString caption = "kept";
            source.GetItemInfo(items[i], r, groupable, caption);
            QCOMPARE(r, absolute(page.controls[i].get()));
            QVERIFY(groupable);
            QCOMPARE(caption, QString("kept"));
        }
        // A new list replaces the old one; the controls stay the list's.
        HTMLControlList none;
        source.SetControls(none);
        QVERIFY(source.Controls().empty());
        QCOMPARE(page.control("EditorLink")->CSSClass(), QString("EditorLink"));
    }

    // Each box is drawn where the editor puts it, so scrolling moves the boxes.
    void paintsAtTheScrolledPositions()
    {
        PageOnEditor shown({1000, 1000});
        Page &page = shown.page;
        THTMLEditor &editor = shown.editor;
        editor.SetScrollPos({15, 25});
        RecordingCanvas canvas;
        editor.Paint(canvas, true);
        std::vector<Rect> frames;
        for (const CanvasOp &op : canvas.ops("rectangle"))
            frames.push_back(op.r);
        // Boxes out of the view are left out: the page box (0 wide at the left edge) and the
        // static box below.
        QCOMPARE(frames, (std::vector<Rect>{absolute(page.control("EditorText")).offset(-15, -25),
                                            absolute(page.control("EditorLink")).offset(-15, -25)}));
        // The whole graph for a picture: every box, unscrolled, in list order.
        RecordingCanvas picture;
        editor.PaintTo(&picture);
        std::vector<Rect> all;
        for (const CanvasOp &op : picture.ops("rectangle"))
            all.push_back(op.r);
        std::vector<Rect> expected;
        for (const auto &control : page.controls)
            expected.push_back(absolute(control.get()));
        QCOMPARE(all, expected);
        QCOMPARE(picture.ops("text").size(), size_t(2)); // "Name" and "Orders"
    }

    void dragChangesNothing()
    {
        PageOnEditor shown({400, 300});
        Page &page = shown.page;
        THTMLEditor &editor = shown.editor;
        THTMLControl *edit = page.control("EditorText");
        const Rect before = absolute(edit);
        TGraphEditorItem *item = editor.FindItem(edit);
        QVERIFY(item);
        const QPoint inside(before.Left + 3, before.Top + 3);
        QTest::mousePress(editor.Content(), Qt::LeftButton, {}, inside);
        QTest::mouseMove(editor.Content(), inside + QPoint(40, 500));
        QTest::mouseRelease(editor.Content(), Qt::LeftButton, {}, inside + QPoint(40, 500));
        QVERIFY(!editor.mouseIsDown());
        QCOMPARE(absolute(edit), before);
        QCOMPARE(edit->Bounds().width(), before.width());
        QCOMPARE(editor.FindItem(edit), item); // not rebuilt
        QCOMPARE(item->Rect, before);
        QVERIFY(editor.IsSelected(edit));
        QCOMPARE(editor.SelectedCount(), 1);
        // A rebuild, as after a new control list, drops the selection.
        editor.Rebuild();
        QCOMPARE(editor.SelectedCount(), 0);
    }

    void ownsOrBorrowsTheSource()
    {
        Form form;
        THTMLEditorSource borrowed;
        {
            THTMLEditor editor(form.host, form.hbar, form.vbar, &borrowed);
            QVERIFY(!editor.OwnsSource());
            QCOMPARE(editor.Source(), &borrowed);
        }
        THTMLEditor owner(form.host, form.hbar, form.vbar, std::make_unique<THTMLEditorSource>());
        QVERIFY(owner.OwnsSource());
    }

    // The real paint on the offscreen platform: blue frames on white, the caption in dark text
    // inside its box, nothing where no control is.
    void realPaint()
    {
        PageOnEditor shown({1000, 1000});
        Page &page = shown.page;
        THTMLEditor &editor = shown.editor;
        const Rect edit = absolute(page.control("EditorText"));
        const Rect link = absolute(page.control("EditorLink"));

        auto check = [&](const QImage &shot, int dx, int dy) {
            QVERIFY(isBlue(shot.pixelColor(edit.Left - dx, edit.Top - dy + edit.height() / 2)));
            QVERIFY(isBlue(shot.pixelColor(edit.Left - dx + edit.width() / 2, edit.Bottom - 1 - dy)));
            QVERIFY(isBlue(shot.pixelColor(link.Right - 1 - dx, link.Top - dy + 2)));
            QCOMPARE(shot.pixelColor(link.Left - dx + link.width() / 2, link.Top - dy + link.height() / 2),
                     QColor(Qt::white));
            int dark = 0;
            for (int y = edit.Top + 1; y < edit.Bottom - 1; ++y)
                for (int x = edit.Left + 1; x < edit.Right - 1; ++x)
                    dark += isDark(shot.pixelColor(x - dx, y - dy));
            QVERIFY2(dark > 5, "the caption is drawn");
            QCOMPARE(shot.pixelColor(390, 5), QColor(Qt::white));
        };
        check(editor.paintToImage(), 0, 0);
        editor.SetScrollPos({10, 20});
        check(editor.Content()->grab().toImage(), 10, 20);
    }
};

PELLORIN_TEST_CLASS(TestHTMLControlDrawer)
PELLORIN_TEST_CLASS(TestHTMLEditor)

#include "test_htmleditors.moc"
