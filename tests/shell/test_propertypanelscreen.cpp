#include "common/testmain.h"
#include "panelwindow.h"
#include "screenshots.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

using namespace pellorin_test;

namespace {
// The property panel as it shows: on a real display what the screen shows there.
QImage shootPanel(QWidget *panel)
{
    QCoreApplication::processEvents();
    if (onRealDisplay()) {
        const QPoint at = panel->mapToGlobal(QPoint(0, 0));
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, at.x(), at.y(), panel->width(), panel->height())
            .toImage();
    }
    return panel->grab().toImage();
}

// The share of pixels that are not the commonest colour: something is drawn.
double inkShare(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    int most = 0;
    for (int n : counts)
        most = std::max(most, n);
    const int all = image.width() * image.height();
    return all ? double(all - most) / all : 0.0;
}
} // namespace

// The property panel in the started window, as a user works it: a click on a component, a
// value typed into its panel, Ctrl+S, and the page's bytes. Pictures of the panels of a query,
// a SET, an IF and a note are saved for people to look at. Run offscreen and, where Xvfb is
// installed, on a virtual X display.
class TestPropertyPanelScreen : public QObject {
    Q_OBJECT
private slots:
    void typeAValueAndSave()
    {
        PanelsWindow window;
        window.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.form));
        QTest::qWait(100);

        window.click("6");
        QCOMPARE(window.rowTexts().first(), "label:6: EXTERNAL");
        auto *file = window.control<TWheelSynEdit>();
        QVERIFY(file && file->isVisible());
        // Into the editor with the mouse, all of its text selected, the new name typed.
        QTest::mouseClick(file->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
        QTRY_COMPARE(QApplication::focusWidget(), file);
        QTest::keyClick(file, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(file, "other.wqf");
        QCOMPARE(file->text(), "other.wqf");
        QVERIFY(window.modified());
        // The window's shortcut saves.
        QTest::keyClick(file, Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(!window.modified());
        QByteArray expected = PanelsWindow::fixtureBytes();
        QVERIFY(expected.contains("<n>totals.wqf</n>"));
        expected.replace("<n>totals.wqf</n>", "<n>other.wqf</n>");
        QCOMPARE(readBytes(window.path()), expected);
    }

    void pictures_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("name"); // a component, or a note's title
        QTest::newRow("SELECTQUERY") << 0 << "0";
        QTest::newRow("IF") << 0 << "1";
        QTest::newRow("SET") << 0 << "2";
        QTest::newRow("note") << 1 << "Second note";
    }
    void pictures()
    {
        QFETCH(int, tab);
        QFETCH(QString, name);
        PanelsWindow window;
        window.showTab(tab);
        if (TCommentRect *note = window.note(name))
            window.click(note, {}, tab);
        else
            window.click(name, {}, tab);
        QVERIFY(!window.rowTexts(tab).isEmpty());
        QTest::qWait(150);
        const QImage panel = shootPanel(window.scroll(tab));
        QVERIFY(!panel.isNull());
        QVERIFY(inkShare(panel) > 0.02);
        QVERIFY(panel.save(screenshotPath(QString("panel-") + QTest::currentDataTag())));
        const QImage whole =
            onRealDisplay() ? QGuiApplication::primaryScreen()->grabWindow(0).toImage() : window.form->grab().toImage();
        QVERIFY(whole.save(screenshotPath(QString("panel-window-") + QTest::currentDataTag())));
    }
};

PELLORIN_TEST_CLASS(TestPropertyPanelScreen)
#include "test_propertypanelscreen.moc"
