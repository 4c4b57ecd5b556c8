#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
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

// Where a widget of the window shows in a shot: on a real display the shot is the screen.
QRect placeInShot(QWidget *window, QWidget *widget)
{
    const QPoint origin = QGuiApplication::platformName() == "xcb" ? widget->mapToGlobal(QPoint(0, 0))
                                                                   : widget->mapTo(window, QPoint(0, 0));
    return QRect(origin, widget->size());
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
        const TWQFItem *component = source->ComponentOf(item->Data);
        if (!component)
            continue;
        const TPoint at = editor->GraphToClient(item->Rect.Left, item->Rect.Top);
        const QRect drawn = QRect(place.topLeft() + QPoint(at.X, at.Y), QSize(item->Rect.Width(), item->Rect.Height()))
                                .intersected(place);
        if (drawn.width() < item->Rect.Width() || drawn.height() < item->Rect.Height())
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
        // Without a page the diagram shows nothing: one colour all over.
        QCOMPARE(shareOtherThan(window, placeInShot(form, part<QWidget>(form, "Image1")),
                                commonest(window, placeInShot(form, part<QWidget>(form, "Image1")))),
                 0.0);

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
        // Each diagram shows its components where its editor has them.
        QVERIFY(checkComponentsShown(shots[0], form, form->PreEditor(), part<QWidget>(form, "Image1")) >= 2);
        QVERIFY(checkComponentsShown(shots[1], form, form->PostEditor(), part<QWidget>(form, "Image2")) >= 2);
        // Every tab shows something of its own.
        for (int i = 0; i < shots.size(); ++i)
            for (int j = i + 1; j < shots.size(); ++j)
                QVERIFY2(shots[i] != shots[j], qPrintable(QString("tabs %1 and %2 look the same").arg(i).arg(j)));
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
