#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "programdirs.h"
#include "screenshots.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using namespace pellorin_test;
namespace {
int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

// The colour most pixels of the area have.
QRgb commonest(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            best = it.key();
            most = it.value();
        }
    return best;
}

// The share of the area's pixels that are not of the colour.
double shareOtherThan(const QImage &image, const QRect &area, QRgb colour)
{
    int other = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            other += image.pixel(x, y) != colour ? 1 : 0;
    return area.isEmpty() ? 0.0 : double(other) / double(area.width() * area.height());
}

// Every component of the diagram that is in view shows on the shot at the place the editor
// gives it, over the diagram's background; answers how many were looked at.
int checkComponentsShown(const QImage &shot, QWidget *window, TImageGraphEditor *editor, QWidget *image)
{
    const QRect place = placeInShot(window, image);
    const QRgb background = commonest(shot, place);
    auto *source = static_cast<TWQFEditorSource *>(editor->Source());
    int seen = 0;
    for (int i = 0; i < editor->ItemCount(); ++i) {
        const TGraphEditorItem *item = editor->Items(i);
        const TWQFItem *component = source->componentOf(item->Data);
        if (!component)
            continue;
        const Point at = editor->GraphToClient(item->Rect.Left, item->Rect.Top);
        const QRect drawn = QRect(place.topLeft() + QPoint(at.x, at.y), QSize(item->Rect.width(), item->Rect.height()))
                                .intersected(place);
        if (drawn.width() < item->Rect.width() || drawn.height() < item->Rect.height())
            continue; // not wholly in view
        const double share = shareOtherThan(shot, drawn, background);
        if (share < 0.3) {
            qWarning("component %s is not drawn where the editor has it", qPrintable(component->GetName()));
            return -1;
        }
        ++seen;
    }
    return seen;
}

// Each component of the page's section that lies wholly in view shows its picture, over the
// diagram's white, at the place its stored x and y give at the diagram's zoom and scroll
// position; answers how many were looked at.
int checkComponentsAtTheirPlaces(const QImage &shot, TMainFrm *window, TImageGraphEditor *editor, QWidget *image,
                                 const QString &section)
{
    const QRect place = placeInShot(window, image);
    auto *source = static_cast<TWQFEditorSource *>(editor->Source());
    const Point scroll = editor->GetScrollPos();
    int seen = 0;
    for (const auto &component : window->GetCurrentDoc()->FindSection(section)->Items()) {
        const QImage *picture = window->GetRuleImage(component->GetType());
        if (!picture || picture->isNull()) {
            qWarning("no picture for %s", qPrintable(component->GetType()));
            return -1;
        }
        const Rect box = ScaleRect(Rect::fromSize(component->GetX(), component->GetY(), 32, 32), source->Zoom());
        const QRect drawn(place.topLeft() + QPoint(box.Left - scroll.x, box.Top - scroll.y), picture->size());
        if (!place.contains(drawn))
            continue;
        // The picture as the diagram draws it: over white.
        QImage expected(picture->size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter(&expected).drawImage(0, 0, *picture);
        int same = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                same += shot.pixel(drawn.left() + x, drawn.top() + y) == expected.pixel(x, y) ? 1 : 0;
        if (same < drawn.width() * drawn.height() * 9 / 10) {
            qWarning("component %s is not drawn at %d,%d", qPrintable(component->GetName()), component->GetX(),
                     component->GetY());
            return -1;
        }
        ++seen;
    }
    return seen;
}

// The share of a column of the area, from top to bottom, that has the colour.
double columnShare(const QImage &shot, const QRect &area, int x, QRgb colour)
{
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        hits += shot.pixel(area.left() + x, y) == colour ? 1 : 0;
    return double(hits) / area.height();
}

// The diagram's ground is white, and the margin line two pixels of grey at its place.
void checkGroundAndMargin(const QImage &shot, TMainFrm *window, TImageGraphEditor *editor, QWidget *image)
{
    const QRect place = placeInShot(window, image);
    QCOMPARE(QColor(commonest(shot, place)), QColor(Qt::white));
    const int margin = static_cast<TWQFEditorSource *>(editor->Source())->VertSplit - editor->GetScrollPos().x;
    QVERIFY2(margin > 0 && margin + 2 < place.width(), "the margin line is out of view");
    const QRgb grey = qRgb(128, 128, 128);
    QVERIFY(columnShare(shot, place, margin, grey) > 0.9);
    QVERIFY(columnShare(shot, place, margin + 1, grey) > 0.9);
    QVERIFY(columnShare(shot, place, margin - 1, grey) < 0.1);
    QVERIFY(columnShare(shot, place, margin + 2, grey) < 0.1);
}
} // namespace

// Pictures of the started main window, saved for people to look at, and what they must show:
// an empty diagram without a page, the components of the opened sample where the diagram
// editors have them, and a picture of its own for each tab. Run by CTest offscreen and, where
// Xvfb is installed, on a virtual X display.
class TestMainFormScreen : public QObject {
    Q_OBJECT
private slots:
    void startedWindow()
    {
        pellorin_test::PrompterGuard prompter;
        pellorin_test::ProgramDirs dir;
        Program program(dir.shippedOptions({}));
        TMainFrm *form = program.mainForm();
        form->move(0, 0);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::qWait(200);

        const QImage window = shoot(form);
        QVERIFY(!window.isNull());
        QVERIFY(window.width() >= form->width() && window.height() >= form->height());
        QVERIFY(colourCount(window) > 3);
        QVERIFY(window.save(screenshotPath("mainform")));
        // Without a page the diagram shows nothing: one colour all over, the tab's ground that
        // the empty palette above it shows too, not the white of a diagram.
        const QRect diagram = placeInShot(form, part<QWidget>(form, "Image1"));
        QCOMPARE(shareOtherThan(window, diagram, commonest(window, diagram)), 0.0);
        QCOMPARE(QColor(commonest(window, diagram)),
                 QColor(commonest(window, placeInShot(form, part<QWidget>(form, "Panel2")))));
        QVERIFY(QColor(commonest(window, diagram)) != QColor(Qt::white));
        // The menu bar shows its captions over its own ground.
        const QRect bar = placeInShot(form, part<QWidget>(form, "MainMenu1"));
        QVERIFY(shareOtherThan(window, bar, commonest(window, bar)) > 0.02);

        // Each tab as it shows without a page.
        for (QWidget *sheet : {part<QWidget>(form, "HtmlSheet"), part<QWidget>(form, "NotesSheet")}) {
            part<QTabWidget>(form, "PageControl1")->setCurrentWidget(sheet);
            QTest::qWait(100);
            QVERIFY(shoot(form).save(screenshotPath("mainform-" + sheet->objectName())));
        }
        part<QTabWidget>(form, "PageControl1")->setCurrentWidget(part<QWidget>(form, "PreSheet"));

        // The Tools menu with the entries queued at start-up.
        QMenu *tools = part<QMenu>(form, "mnuTools");
        tools->popup(form->mapToGlobal(QPoint(140, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(tools));
        QTest::qWait(200);
        const QImage menu = onRealDisplay() ? shoot(form) : tools->grab().toImage();
        QVERIFY(menu.save(screenshotPath("mainform-tools")));
        // The open menu shows its entries' captions over its ground.
        const QRect entries = onRealDisplay() ? tools->geometry() : tools->rect();
        QVERIFY(shareOtherThan(menu, entries, commonest(menu, entries)) > 0.02);
        tools->close();
        QCOMPARE(prompter->prompts.size(), 0);
    }

    // The sample page opened from the command line, as ./run.sh starts it: both diagrams, the
    // HTML with its script and the page's information.
    void openedSample()
    {
        pellorin_test::PrompterGuard prompter;
        pellorin_test::ProgramDirs dir;
        Program program(dir.shippedOptions({pellorin_test::kSamplePage}));
        TMainFrm *form = program.mainForm();
        QVERIFY(form->GetCurrentDoc());
        form->move(0, 0);
        // Wide enough for the diagrams to show their margin line.
        form->resize(1270, 860);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // A little scrolled, so that a diagram drawn without its scroll position shows.
        for (const char *bar : {"PreHorzScroll", "PostHorzScroll"})
            part<QScrollBar>(form, bar)->setValue(7);
        for (const char *bar : {"PreVertScroll", "PostVertScoll"})
            part<QScrollBar>(form, bar)->setValue(11);
        QCOMPARE(form->PreEditor()->GetScrollPos(), (Point{7, 11}));
        QList<QImage> shots;
        for (QWidget *sheet : {part<QWidget>(form, "PreSheet"), part<QWidget>(form, "PostSheet"),
                               part<QWidget>(form, "HtmlSheet"), part<QWidget>(form, "NotesSheet")}) {
            part<QTabWidget>(form, "PageControl1")->setCurrentWidget(sheet);
            QTest::qWait(150);
            const QImage picture = shoot(form);
            QVERIFY(colourCount(picture) > 3);
            QVERIFY(picture.save(screenshotPath("opened-" + sheet->objectName())));
            shots << picture;
        }
        // Each diagram shows its components where its editor has them, and where the page puts
        // them, on its white ground with the margin line.
        QVERIFY(checkComponentsShown(shots[0], form, form->PreEditor(), part<QWidget>(form, "Image1")) >= 2);
        QVERIFY(checkComponentsShown(shots[1], form, form->PostEditor(), part<QWidget>(form, "Image2")) >= 2);
        QVERIFY(checkComponentsAtTheirPlaces(shots[0], form, form->PreEditor(), part<QWidget>(form, "Image1"),
                                             "preproc") >= 2);
        QVERIFY(checkComponentsAtTheirPlaces(shots[1], form, form->PostEditor(), part<QWidget>(form, "Image2"),
                                             "postproc") >= 2);
        checkGroundAndMargin(shots[0], form, form->PreEditor(), part<QWidget>(form, "Image1"));
        checkGroundAndMargin(shots[1], form, form->PostEditor(), part<QWidget>(form, "Image2"));
        // The two text tabs' pictures are for people to look at; what they hold is tested by
        // the text tabs' own tests.
        // Every tab shows something of its own.
        for (int i = 0; i < shots.size(); ++i)
            for (int j = i + 1; j < shots.size(); ++j)
                QVERIFY2(shots[i] != shots[j], qPrintable(QString("tabs %1 and %2 look the same").arg(i).arg(j)));
        QVERIFY(!form->openPage()->isModified());
        QCOMPARE(prompter->prompts.size(), 0);

        // The sample is written as the editor writes pages: saving it unchanged gives its bytes.
        const QString copy = dir.filePath("copy.wqf");
        QVERIFY(form->SaveFile(copy));
        QCOMPARE(pellorin_test::readBytes(copy), pellorin_test::readBytes(pellorin_test::kSamplePage));
    }
};

PELLORIN_TEST_CLASS(TestMainFormScreen)
#include "test_mainformscreen.moc"
