#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "model/wqftypes.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"
#include "windowtest.h"

#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

using pellorin_test::part;
using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
QByteArray setComp(const QByteArray &name, int x, int y, const QByteArray &type = "SET",
                   const QByteArray &values = QByteArray())
{
    return "<c><n>" + name + "</n><t>" + type + "</t><c/><j/><j/><x>" + QByteArray::number(x) + "</x><y>" +
           QByteArray::number(y) + "</y><values>" + values + "</values></c>";
}
} // namespace

// The keys as the window system hands them to the started window, through its own window:
// the shortcut map, the focused control and the window's key handling all take part. Run
// under xvfb-run as well as offscreen.
class TestKeyDispatchScreen : public pellorin_test::WindowTest {
    Q_OBJECT

    QWindow *window() const { return form->windowHandle(); }
    TWQFItem *component(const QString &name) const
    {
        return FindItemByName(form->GetCurrentDoc()->FindSection("preproc")->Items(), name);
    }
    // A click on the component as the user makes it, at its middle on the diagram.
    void clickOn(const QString &name)
    {
        TImageGraphEditor *editor = form->PreEditor();
        Rect r;
        QVERIFY(editor->GetItemRect(component(name), r));
        const Point client = editor->GraphToClient((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        const QPoint at = editor->Host()->mapTo(form, QPoint(client.x, client.y));
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(editor->IsSelected(component(name)));
    }

private slots:
    void init()
    {
        prepare();
        start();
        writeBytes(m_dir->filePath("keys.wqf"),
                   "<wqf><function><fn>keys</fn></function><preproc>" + setComp("10", 32, 26) + setComp("21", 32, 104) +
                       setComp("5", 224, 26, "EXTERNAL", "<n>other</n>") + "</preproc><postproc>" +
                       setComp("0", 64, 52) + "</postproc></wqf>");
        writeBytes(m_dir->filePath("other.wqf"), "<wqf><function><fn>other</fn></function><preproc/><postproc/></wqf>");
        form->OpenFile(m_dir->filePath("keys.wqf"));
        QVERIFY(form->GetCurrentDoc());
        part<QTabWidget>(form, "PageControl1")->setCurrentWidget(part<QWidget>(form, "PreSheet"));
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
    }
    void cleanup() { finish(); }

    void altRightMovesAndTheSaveHoldsIt()
    {
        clickOn("10");
        QTest::keyClick(window(), Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(component("10")->GetX(), 64);
        QCOMPARE(component("21")->GetX(), 32);
        QCOMPARE(part<QTabWidget>(form, "PageControl1")->currentWidget(), part<QWidget>(form, "PreSheet"));
        QVERIFY(form->openPage()->isModified());
        QTest::keyClick(window(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!form->openPage()->isModified());
        const QString saved = QString::fromUtf8(readBytes(m_dir->filePath("keys.wqf")));
        const QRegularExpression placeOf10("<n>10</n>.*?<x>(\\d+)</x>", QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch match = placeOf10.match(saved);
        QVERIFY(match.hasMatch());
        QCOMPARE(match.captured(1), QString("64"));
    }

    void ctrlEnterOpensThePageBeside()
    {
        clickOn("5");
        QTest::keyClick(window(), Qt::Key_Return, Qt::ControlModifier);
        QTRY_COMPARE(form->openPage()->fileName(), m_dir->filePath("other.wqf"));
        QCOMPARE(form->GetCurrentDoc()->GetFunctionName(), QString("other"));
        QCOMPARE((*m_prompter)->prompts.size(), 0);
    }

    void typedNameSelects()
    {
        clickOn("10");
        QTest::keyClick(window(), Qt::Key_2, Qt::NoModifier);
        QTest::keyClick(window(), Qt::Key_1, Qt::NoModifier);
        QVERIFY(form->PreEditor()->IsSelected(component("21")));
        QVERIFY(!form->PreEditor()->IsSelected(component("10")));
    }
};

PELLORIN_TEST_CLASS(TestKeyDispatchScreen)
#include "test_keydispatchscreen.moc"
