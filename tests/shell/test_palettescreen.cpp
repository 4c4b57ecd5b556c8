#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "palettebuttons.h"
#include "programdirs.h"
#include "screenshots.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"

#include <QAbstractButton>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

using namespace pellorin_test;
using pellorin_test::readBytes;
using pellorin_test::visible;
using pellorin_test::writeBytes;

namespace {
// The share of the area's pixels that are of the colour.
double shareOf(const QImage &image, const QRect &area, QRgb colour)
{
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            hits += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff) ? 1 : 0;
    return area.isEmpty() ? 0.0 : double(hits) / double(area.width() * area.height());
}
} // namespace

// The palette of the sample page in the shown window, clicked with the mouse as a user would:
// a component and a note appear where the diagram is scrolled to, and the save writes them.
// Run by CTest offscreen and, where Xvfb is installed, on a virtual X display.
class TestPaletteScreen : public QObject {
    Q_OBJECT
private slots:
    void clickSaveCompare()
    {
        pellorin_test::PrompterGuard prompter;
        pellorin_test::ProgramDirs dir;
        const QString page = dir.copyOf(pellorin_test::kSamplePage, "customer_orders.wqf");
        Program program(dir.shippedOptions({page}));
        TMainFrm *form = program.mainForm();
        QVERIFY(form->GetCurrentDoc());
        form->move(0, 0);
        form->resize(1000, 700);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::qWait(150);
        QCOMPARE(form->screen()->logicalDotsPerInch(), 96.0);

        // Scrolled to (150, 300): the kind lands on (160, 312).
        part<QScrollBar>(form, "PreHorzScroll")->setValue(150);
        part<QScrollBar>(form, "PreVertScroll")->setValue(300);
        QWidget *palette = part<QWidget>(form, "Panel2");
        QAbstractButton *set = buttonNamed(palette, "Set");
        QVERIFY(set->isVisible());
        QTest::mouseClick(set, Qt::LeftButton, Qt::NoModifier, set->rect().center());
        // Scrolled up to (150, 200) the note lands at (155, 205), above the component.
        part<QScrollBar>(form, "PreVertScroll")->setValue(200);
        QAbstractButton *note = buttonNamed(palette, "NOTE");
        QTest::mouseClick(note, Qt::LeftButton, Qt::NoModifier, note->rect().center());
        QVERIFY(form->openPage()->isModified());
        QTest::qWait(150);

        const QImage shot = shoot(form);
        QVERIFY(shot.save(screenshotPath("palette-added")));
        QWidget *image = part<QWidget>(form, "Image1");
        TImageGraphEditor *editor = form->PreEditor();
        // The new component's box, over the ground of the diagram.
        const Point box = editor->GraphToClient(160, 312);
        const QRect boxArea(inShot(form, image, QPoint(box.x, box.y)), QSize(32, 32));
        const QRgb ground = shot.pixel(inShot(form, image, QPoint(box.x + 40, box.y + 40)));
        QVERIFY2(shareOf(shot, boxArea, ground) < 0.7, "the new component is not drawn");
        // The note's title bar is yellow.
        const Point bar = editor->GraphToClient(155, 205);
        QVERIFY2(shareOf(shot, QRect(inShot(form, image, QPoint(bar.x + 2, bar.y + 2)), QSize(90, 8)),
                         qRgb(255, 255, 0)) > 0.3,
                 "the new note is not drawn");

        // The shown page goes to the file with the component and the note's marker.
        QVERIFY(form->SaveFile(page));
        QByteArray expected = insertedBefore(readBytes(pellorin_test::kSamplePage), "  </preproc>",
                                             "    <c>\r\n      <n>6</n>\r\n      <t>SET</t>\r\n      <c/>\r\n"
                                             "      <j/>\r\n      <j/>\r\n      <x>160</x>\r\n      <y>312</y>\r\n"
                                             "      <values>\r\n        <n/>\r\n        <v/>\r\n      </values>\r\n"
                                             "    </c>\r\n");
        expected =
            insertedBefore(expected, "]]></editorNotes>", "[[@@rect 155 205 100 40 preproc 0 Note||||Note text@@]]\n");
        QCOMPARE(visible(readBytes(page)), visible(expected));
        QVERIFY(!form->openPage()->isModified());
        QCOMPARE(prompter->prompts.size(), 0);
    }
};

PELLORIN_TEST_CLASS(TestPaletteScreen)
#include "test_palettescreen.moc"
