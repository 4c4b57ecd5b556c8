#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using pellorin_test::part;
namespace {
QString screenshotPath(const QString &name)
{
    QDir().mkpath(PELLORIN_SCREENSHOTS);
    return QString(PELLORIN_SCREENSHOTS) + "/" + name + "-" + QGuiApplication::platformName() + ".png";
}

// A real display shows everything on its screen; offscreen, the window paints itself.
QImage shoot(QWidget *window)
{
    if (QGuiApplication::platformName() == "xcb")
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    return window->grab().toImage();
}

int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}
} // namespace

// Pictures of the started main window, for people to look at; run by CTest offscreen and,
// where Xvfb is installed, on a virtual X display.
class TestMainFormScreen : public QObject {
    Q_OBJECT
private slots:
    void startedWindow()
    {
        pellorin_test::PrompterGuard prompter;
        QTemporaryDir dir;
        TStartOptions options;
        options.ConfigDir = dir.filePath("cfg/pellorin/");
        options.ProgramFileName = "pellorin";
        options.CommandLine = QStringList();
        TProgram program(options);
        TMainFrm *form = program.MainForm();
        form->move(0, 0);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::qWait(200);

        const QImage window = shoot(form);
        QVERIFY(!window.isNull());
        QVERIFY(window.width() >= form->width() && window.height() >= form->height());
        QVERIFY(colourCount(window) > 3);
        QVERIFY(window.save(screenshotPath("mainform")));

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
        const QImage menu = QGuiApplication::platformName() == "xcb" ? shoot(form) : tools->grab().toImage();
        QVERIFY(menu.save(screenshotPath("mainform-tools")));
        tools->close();
        QCOMPARE(prompter->Prompts.size(), 0);
    }

    // The sample page opened from the command line, as ./run.sh starts it: both diagrams, the
    // HTML with its script and the page's information.
    void openedSample()
    {
        pellorin_test::PrompterGuard prompter;
        QTemporaryDir dir;
        TStartOptions options;
        options.ConfigDir = dir.filePath("cfg/pellorin/");
        options.ProgramFileName = "pellorin";
        options.CommandLine = QStringList{QString(PELLORIN_RESOURCES) + "/samples/customer_orders.wqf"};
        TProgram program(options);
        TMainFrm *form = program.MainForm();
        QVERIFY(form->GetCurrentDoc());
        form->move(0, 0);
        form->resize(1000, 700);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        for (QWidget *sheet : {part<QWidget>(form, "PreSheet"), part<QWidget>(form, "PostSheet"),
                               part<QWidget>(form, "HtmlSheet"), part<QWidget>(form, "NotesSheet")}) {
            part<QTabWidget>(form, "PageControl1")->setCurrentWidget(sheet);
            QTest::qWait(150);
            const QImage picture = shoot(form);
            QVERIFY(colourCount(picture) > 3);
            QVERIFY(picture.save(screenshotPath("opened-" + sheet->objectName())));
        }
        QVERIFY(!form->openPage()->isModified());
        QCOMPARE(prompter->Prompts.size(), 0);

        // The sample is written as the editor writes pages: saving it unchanged gives its bytes.
        const QString copy = dir.filePath("copy.wqf");
        QVERIFY(form->SaveFile(copy));
        QCOMPARE(pellorin_test::readBytes(copy), pellorin_test::readBytes(options.CommandLine->first()));
    }
};

PELLORIN_TEST_CLASS(TestMainFormScreen)
#include "test_mainformscreen.moc"
