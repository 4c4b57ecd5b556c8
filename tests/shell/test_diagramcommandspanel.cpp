#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/dynamicctrlutils.h"
#include "editors/lclgrapheditor.h"
#include "editors/morivanecomponents.h"
#include "editors/wqfeditors.h"
#include "editors/wqfmacros.h"
#include "programdirs.h"
#include "shell/diagramcommands.h"
#include "shell/diagramtab.h"
#include "shell/globaloptions.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "testwindow.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

using pellorin_test::PrompterGuard;
using pellorin_test::writeBytes;

namespace {
QByteArray component(const QByteArray &name, const QByteArray &type, const QByteArray &exit1, int x,
                     const QByteArray &values)
{
    return "<c><n>" + name + "</n><t>" + type + "</t><c>" + name + " comment</c><j/><j>" + exit1 + "</j><x>" +
           QByteArray::number(x) + "</x><y>52</y><values>" + values + "</values></c>";
}

} // namespace

// The diagram commands with the property panel beside each diagram: a paste into one of the
// panel's fields, and the panel let go of, built again or updated by the commands.
class TestDiagramCommandsPanel : public QObject {
    Q_OBJECT

    std::unique_ptr<pellorin_test::ProgramDirs> m_dirs;
    std::unique_ptr<PrompterGuard> m_prompter;
    std::unique_ptr<pellorin_test::TestWindow> m_window;
    std::unique_ptr<DiagramCommands> m_commands;
    QStringList m_log;

    OpenPage &page() const { return m_window->page(); }
    DiagramTab *tab(int n) const { return m_window->views().diagramTabs()[size_t(n)]; }
    TWQFSection *section() const { return page().document()->FindSection("preproc"); }
    TWQFItem *item(const QString &name) const { return FindItemByName(section()->Items(), name); }
    TPanelChanger *pre() const { return tab(0)->editor(); }
    // The widget the property panel's rows are built on.
    QWidget *rows() const { return tab(0)->propertyScroll()->widget(); }
    TTagsEditor *panel() const { return pre()->TagsEditor(); }
    void select(const QString &name)
    {
        const DataList one{item(name)};
        pre()->SetSelected(nullptr, false);
        pre()->SetSelected(&one, true);
    }
    template <class T> T *control(int n = 0) const
    {
        for (const auto &binding : panel()->Owned())
            if (auto *c = qobject_cast<T *>(binding->Control.data()))
                if (n-- == 0)
                    return c;
        return nullptr;
    }
    QPoint middleOf(const QString &name) const
    {
        Rect r;
        if (!pre()->GetItemRect(item(name), r))
            qFatal("no such component on the diagram");
        const Point p = pre()->GraphToClient((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        return QPoint(p.x, p.y);
    }

private slots:
    void init()
    {
        m_dirs = std::make_unique<pellorin_test::ProgramDirs>();
        m_prompter = std::make_unique<PrompterGuard>();
        initModules(m_dirs->options());
        QVERIFY(LoadComponentDescrs(QString(PELLORIN_RESOURCES) + "/components").isEmpty());
        QVERIFY(LoadMacros(QString(PELLORIN_RESOURCES) + "/macros").isEmpty());
        OptionStore().SetDbgClip(true);

        const QString path = m_dirs->filePath("page.wqf");
        writeBytes(path, "<wqf><function><fn>orders</fn></function><preproc>" +
                             component("1", "SELECTQUERY", "", 64, "<query>select 1</query>") +
                             component("2", "SET", "", 256, "<n>a</n><v>1</v>") +
                             component("3", "SCRIPT", "", 448, "<v>x := 1;</v>") + "</preproc><postproc/></wqf>");
        m_window = std::make_unique<pellorin_test::TestWindow>();
        QWidget *window = m_window->windowWidget();
        window->resize(1100, 600);
        QVERIFY(page().open(path));
        m_log.clear();
        m_commands = std::make_unique<DiagramCommands>(*m_window);
        connect(m_commands.get(), &DiagramCommands::diagnostic, this, [this](const QString &line) { m_log << line; });
        // As the window wires the mouse releases on its diagram images.
        for (DiagramTab *each : m_window->views().diagramTabs())
            connect(each, &DiagramTab::imageReleased, this,
                    [this, each](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                        m_commands->image1MouseUp(each->image(), button, shift, x, y);
                    });
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    void cleanup()
    {
        m_commands.reset();
        m_window.reset();
        ClearMacros();
        clearComponentDescrs();
        doneModules();
        const int unanswered = (*m_prompter)->unanswered;
        m_prompter.reset();
        m_dirs.reset();
        QCOMPARE(unanswered, 0);
    }

    void pasteIntoAPanelField()
    {
        select("1");
        auto *comment = control<QLineEdit>();
        auto *query = control<QsciScintilla>();
        QVERIFY(comment && query);
        QCOMPARE(comment->text(), QString("1 comment"));
        const QString copied = "<c><n>9</n><t>SET</t><j/><j/><x>0</x><y>0</y></c>";
        QGuiApplication::clipboard()->setText(copied);

        comment->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), comment);
        comment->setCursorPosition(0);
        m_commands->pasteCommand(0, 0);
        QCOMPARE(comment->text(), copied + "1 comment");
        QCOMPARE(item("1")->GetComment(), copied + "1 comment"); // the field writes into the page
        QCOMPARE(m_log, QStringList{"is edit control focused :QLineEdit"});

        query->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), query);
        query->selectAll();
        m_commands->pasteCommand(0, 0);
        QCOMPARE(item("1")->GetQuery(), copied);
        QCOMPARE(section()->Items().size(), size_t(3)); // no component was added
        QVERIFY(m_log.last().startsWith("is edit control focused "));
    }

    void deleteLetsGoOfThePanel()
    {
        select("2");
        QVERIFY(!panel()->Owned().empty());
        QCOMPARE(panel()->Item(), item("2"));
        (*m_prompter)->answers << pbYes;
        m_commands->deleteSelected(pre());
        QVERIFY(!item("2"));
        QVERIFY(panel()->Owned().empty());
        QVERIFY(!panel()->Item());
        QCoreApplication::processEvents(); // controls deleted later go now
        QCOMPARE(rows()->findChildren<QLineEdit *>().size(), 0);
    }

    void flipBuildsThePanelAgain()
    {
        select("1");
        m_commands->flipQueryType();
        QCOMPARE(panel()->Item(), item("1"));
        QCOMPARE(control<QLabel>()->text(), QString("1: INSERTUPDATEQUERY"));
    }

    void shiftClickShowsTheNewCode()
    {
        TWQFItem *script = item("3");
        auto macro = std::make_unique<TWQFPasMacro>(Macros().find("looplimit"));
        QVERIFY(macro->Macro);
        macro->Macro->InitValues(macro->Values);
        script->setMacro(std::move(macro));
        regenerateMacroCode(script);
        select("3");
        QsciScintilla *generated = nullptr;
        for (QsciScintilla *editor : rows()->findChildren<QsciScintilla *>())
            if (editor->isReadOnly())
                generated = editor;
        QVERIFY(generated);
        QVERIFY(!generated->text().contains("orders_pre_2;"));

        QTest::mouseClick(pre()->Content(), Qt::RightButton, Qt::ShiftModifier, middleOf("2"));
        QCOMPARE(script->GetJump(1), QString("2"));
        QVERIFY(GetCode(script).contains("orders_pre_2;"));
        QCOMPARE(generated->text(), GetCode(script));
        QCOMPARE(panel()->Item(), script); // the panel was not built again
        QVERIFY(page().isModified());
    }
};

PELLORIN_TEST_CLASS(TestDiagramCommandsPanel)
#include "test_diagramcommandspanel.moc"
