#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "programdirs.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/qtprompter.h"
#include "shell/startup.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
// The component of the diagram with that name and its place on the overlay.
struct Placed {
    TWQFItem *component = nullptr;
    QPoint centre;
};
Placed placed(TImageGraphEditor *editor, const QString &name)
{
    auto *source = static_cast<TWQFEditorSource *>(editor->Source());
    for (int i = 0; i < editor->ItemCount(); ++i) {
        const TGraphEditorItem *item = editor->Items(i);
        TWQFItem *component = source->componentOf(item->Data);
        if (!component || component->GetName() != name)
            continue;
        const Point at = editor->GraphToClient(item->Rect.Left, item->Rect.Top);
        return {component, QPoint(at.x + item->Rect.width() / 2, at.y + item->Rect.height() / 2)};
    }
    return {};
}
} // namespace

// The mouse on the main window's diagrams as a user works it, the real dialogs included.
class TestDiagramMouse : public QObject {
    Q_OBJECT

private slots:
    // Press on a component, Ctrl+O while holding, release over the open dialog, cancel it and
    // move on with no button: the component stays where it is and the page is not touched.
    void dragWhoseReleaseWentToADialog()
    {
        pellorin_test::ProgramDirs dir;
        const QString page = dir.copyOf(pellorin_test::kSamplePage, "customer_orders.wqf");
        auto previous = setPrompter(std::make_unique<QtPrompter>());
        {
            Program program(dir.options({page}));
            TMainFrm *form = program.mainForm();
            form->move(0, 0);
            form->resize(1000, 700);
            form->show();
            form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(form));
            TImageGraphEditor *editor = form->PreEditor();
            QVERIFY(editor);
            TContent *content = editor->Content();
            const Placed first = placed(editor, "0");
            QVERIFY(first.component);
            const int x = first.component->GetX(), y = first.component->GetY();

            QTest::mousePress(content, Qt::LeftButton, {}, first.centre);
            QTest::mouseMove(content, first.centre + QPoint(40, 30));
            QVERIFY(editor->mouseIsDown());
            bool dialogShown = false;
            auto *poll = new QTimer(form);
            poll->setInterval(10);
            connect(poll, &QTimer::timeout, [&dialogShown, poll] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                if (!dialog || !dialog->isVisible())
                    return;
                poll->stop();
                dialogShown = true;
                QTest::mouseRelease(dialog, Qt::LeftButton, {}, QPoint(10, 10));
                dialog->reject();
            });
            poll->start();
            QTest::keyClick(form, Qt::Key_O, Qt::ControlModifier);
            QVERIFY(dialogShown);
            QVERIFY(form->GetCurrentDoc());

            // The pointer goes on over the diagram without a button, then clicks elsewhere.
            QTest::mouseMove(content, first.centre + QPoint(120, 90));
            QMouseEvent move(QEvent::MouseMove, QPointF(first.centre + QPoint(150, 110)),
                             content->mapToGlobal(QPointF(first.centre + QPoint(150, 110))), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(content, &move);
            QVERIFY(!editor->mouseIsDown());
            QTest::mouseRelease(content, Qt::LeftButton, {}, first.centre + QPoint(150, 110));
            QCOMPARE(first.component->GetX(), x);
            QCOMPARE(first.component->GetY(), y);
            QCOMPARE(placed(editor, "0").centre, first.centre);
        }
        setPrompter(std::move(previous));
        QCOMPARE(readBytes(page), readBytes(pellorin_test::kSamplePage));
    }
};

PELLORIN_TEST_CLASS(TestDiagramMouse)
#include "test_diagrammouse.moc"
