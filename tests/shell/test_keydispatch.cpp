#include "checks/pellorinplugin.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "shell/keydispatch.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"
#include "windowtest.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using pellorin_test::part;
using pellorin_test::writeBytes;

namespace {
QByteArray setComp(const QByteArray &name, int x, int y)
{
    return "<c><n>" + name + "</n><t>SET</t><c/><j/><j/><x>" + QByteArray::number(x) + "</x><y>" +
           QByteArray::number(y) + "</y><values/></c>";
}

// Components "10", "21", "31", "2" and, far below the view, "12"; an external component
// naming "other"; one note on the pre-process diagram.
QByteArray keysPage()
{
    return "<wqf><function><fn>keys</fn><editorNotes>[[@@rect 420 200 192 64 preproc 1 Note||||text@@]]"
           "</editorNotes></function><preproc>" +
           setComp("10", 32, 26) + setComp("21", 32, 104) + setComp("31", 32, 182) + setComp("2", 32, 260) +
           setComp("12", 32, 1800) +
           "<c><n>5</n><t>EXTERNAL</t><c/><j/><j/><x>224</x><y>26</y><values><n>other</n></values></c>"
           "</preproc><postproc>" +
           setComp("0", 64, 52) + "</postproc></wqf>";
}

// Every key the main window offers to the plug-ins; it handles Ctrl+Up itself.
class KeyRecorder : public TShortCutPlugin {
public:
    explicit KeyRecorder(QList<QPair<int, int>> *keys) : m_keys(keys) {}
    QString className() const override { return QStringLiteral("TKeyRecorder"); }
    bool Accepts(uint16_t, TShiftState) override { return true; }
    void Execute(uint16_t key, TShiftState shift, bool &handled) override
    {
        m_keys->append({key, int(shift.toInt())});
        handled = key == VK_UP && shift == ssCtrl;
    }

private:
    QList<QPair<int, int>> *m_keys;
};

// Counts the key presses that reach an object past the application's filters.
class KeySpy : public QObject {
public:
    explicit KeySpy(QObject *watched) : m_watched(watched) { watched->installEventFilter(this); }
    ~KeySpy() override
    {
        if (m_watched)
            m_watched->removeEventFilter(this);
    }
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return false;
    }

private:
    QPointer<QObject> m_watched;
};
} // namespace

class TestKeyDispatch : public pellorin_test::WindowTest {
    Q_OBJECT

    QList<QPair<int, int>> m_offered;

    QTimer *timer() const { return part<QTimer>(form, "SearchTimer"); }
    const QString &typeAhead() const { return form->keyDispatch()->typeAhead(); }
    QString pagePath() const { return m_dir->filePath("keys.wqf"); }

    void openPage()
    {
        writeBytes(pagePath(), keysPage());
        form->OpenFile(pagePath());
        QVERIFY(form->GetCurrentDoc());
    }
    void showTab(const char *sheet)
    {
        part<QTabWidget>(form, "PageControl1")->setCurrentWidget(part<QWidget>(form, sheet));
    }
    // A control that is no text control, as the diagram's image is.
    QWidget *focusDiagram()
    {
        QWidget *image = part<QWidget>(form, "Image1");
        image->setFocus();
        return image;
    }
    // A line edit where the property panel puts its edit boxes.
    QLineEdit *panelEdit(const QString &text)
    {
        auto *scroll = part<QScrollArea>(form, "PreScroll");
        auto *panel = new QWidget;
        auto *edit = new QLineEdit(text, panel);
        edit->setObjectName("panelEdit");
        (new QVBoxLayout(panel))->addWidget(edit);
        scroll->setWidget(panel);
        edit->setFocus();
        edit->setCursorPosition(0);
        return edit;
    }
    // The key as the window system delivers it: to the window's focused control.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = QString())
    {
        QWidget *target = form->focusWidget() ? form->focusWidget() : form;
        QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(target, &up);
    }
    void type(char c) { press(Qt::Key(QChar(c).toUpper().unicode()), Qt::NoModifier, QString(QChar(c))); }

    QStringList selectedNames(TGraphEditor *editor) const
    {
        QStringList names;
        auto *source = static_cast<TWQFEditorSource *>(editor->Source());
        DataList selected;
        editor->GetSelected(&selected);
        for (void *data : selected)
            if (TWQFItem *item = source->componentOf(data))
                names << item->GetName();
            else if (source->noteOf(data))
                names << "note";
        return names;
    }
    TWQFItem *component(const char *section, const QString &name) const
    {
        return FindItemByName(form->GetCurrentDoc()->FindSection(section)->Items(), name);
    }
    void select(TGraphEditor *editor, const DataList &data)
    {
        editor->SetSelected(nullptr, false);
        editor->SetSelected(&data, true);
    }
    QList<int> offeredKeys() const
    {
        QList<int> keys;
        for (const auto &k : m_offered)
            keys << k.first;
        return keys;
    }

private slots:
    void init()
    {
        prepare();
        start();
        m_offered.clear();
        RegisterPlugin(std::make_unique<KeyRecorder>(&m_offered));
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
    }
    void cleanup() { finish(); }

    // ---- type-ahead ----

    void timerOfTheTypeAhead()
    {
        QCOMPARE(timer()->interval(), 500);
        QVERIFY(timer()->isSingleShot());
        QVERIFY(!timer()->isActive());
        QCOMPARE(typeAhead(), QString());
    }

    void keysWithinTheTimerMakeOneName()
    {
        openPage();
        showTab("PreSheet");
        focusDiagram();
        type('1');
        QCOMPARE(typeAhead(), QString("1"));
        QVERIFY(timer()->isActive());
        // "10", "21", "31" in that order: the first that contains it.
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"10"});
        // The timer has not run out when the next key comes; the key starts it again.
        timer()->stop();
        type('2');
        QVERIFY(timer()->isActive());
        QCOMPARE(typeAhead(), QString("12"));
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"12"});
        // "12" lies below the view: it was scrolled into sight.
        Rect r;
        QVERIFY(form->PreEditor()->GetItemRect(component("preproc", "12"), r));
        QVERIFY(form->PreEditor()->GetScrollPos().y > 0);
        QVERIFY(form->PreEditor()->GetScrollPos().y <= r.Top);
    }

    void aPauseStartsANewName()
    {
        openPage();
        showTab("PreSheet");
        focusDiagram();
        type('1');
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"10"});
        QTRY_VERIFY(!timer()->isActive());
        QCOMPARE(typeAhead(), QString());
        type('2');
        QCOMPARE(typeAhead(), QString("2"));
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"2"});
    }

    void lettersFindNoNumber()
    {
        openPage();
        showTab("PreSheet");
        focusDiagram();
        select(form->PreEditor(), {component("preproc", "21")});
        type('a');
        type('Z');
        QCOMPARE(typeAhead(), QString("aZ"));
        QVERIFY(timer()->isActive());
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"21"});
    }

    void notCounted_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("period") << int(Qt::Key_Period) << 0 << ".";
        QTest::newRow("minus") << int(Qt::Key_Minus) << 0 << "-";
        QTest::newRow("space") << int(Qt::Key_Space) << 0 << " ";
        QTest::newRow("e acute") << int(Qt::Key_Eacute) << 0 << QString(QChar(0xE9));
        QTest::newRow("a umlaut") << int(Qt::Key_Adiaeresis) << 0 << QString(QChar(0xE4));
        QTest::newRow("fullwidth digit") << int(Qt::Key_unknown) << 0 << QString(QChar(0xFF11));
        QTest::newRow("ctrl 1") << int(Qt::Key_1) << int(Qt::ControlModifier) << "1";
        QTest::newRow("alt 1") << int(Qt::Key_1) << int(Qt::AltModifier) << "1";
        QTest::newRow("no text") << int(Qt::Key_F2) << 0 << "";
    }
    // Punctuation, non-ASCII letters and digits and Ctrl or Alt combinations neither start
    // nor extend a name.
    void notCounted()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        openPage();
        showTab("PreSheet");
        focusDiagram();
        select(form->PreEditor(), {component("preproc", "31")});
        press(Qt::Key(key), Qt::KeyboardModifiers(modifiers), text);
        QCOMPARE(typeAhead(), QString());
        QVERIFY(!timer()->isActive());
        type('2');
        timer()->stop();
        press(Qt::Key(key), Qt::KeyboardModifiers(modifiers), text);
        QCOMPARE(typeAhead(), QString("2"));
        QVERIFY(!timer()->isActive());
    }

    void notInATextControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("panel edit") << "panel";
        QTest::newRow("function name") << "txtFuncName";
        QTest::newRow("notes") << "EditorNotesMemo";
        QTest::newRow("html") << "htmlEdit";
    }
    void notInATextControl()
    {
        QFETCH(QString, control);
        openPage();
        QWidget *focused = nullptr;
        if (control == "panel") {
            showTab("PreSheet");
            focused = panelEdit(QString());
        } else {
            focused = part<QWidget>(form, control.toLatin1().constData());
            QWidget *sheet = focused;
            while (sheet->parentWidget() && !qobject_cast<QTabWidget *>(sheet->parentWidget()->parentWidget()))
                sheet = sheet->parentWidget();
            part<QTabWidget>(form, "PageControl1")->setCurrentWidget(sheet);
            focused->setFocus();
        }
        QCOMPARE(QApplication::focusWidget(), focused);
        select(form->PreEditor(), {component("preproc", "21")});
        type('1');
        QCOMPARE(typeAhead(), QString());
        QVERIFY(!timer()->isActive());
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"21"});
    }

    // Keys typed on a tab without a diagram grow the name and select nothing.
    void onATabWithoutADiagram()
    {
        openPage();
        showTab("HtmlSheet");
        part<QTabWidget>(form, "PageControl1")->setFocus();
        select(form->PreEditor(), {component("preproc", "21")});
        type('1');
        QCOMPARE(typeAhead(), QString("1"));
        QVERIFY(timer()->isActive());
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"21"});
    }

    void notWithoutAPage()
    {
        showTab("PreSheet");
        focusDiagram();
        type('1');
        QCOMPARE(typeAhead(), QString());
        QVERIFY(!timer()->isActive());
    }

    // The focused control still gets the key, and a key that climbs to the parents counts
    // once.
    void typedKeysGoOn()
    {
        openPage();
        showTab("PreSheet");
        auto *button = new QPushButton("b", part<QWidget>(form, "Panel2"));
        button->show();
        button->setFocus();
        KeySpy atButton(button);
        KeySpy atWindow(form);
        type('1');
        QCOMPARE(atButton.presses, 1);
        QCOMPARE(atWindow.presses, 1); // ignored by the button, it reached the window
        QCOMPARE(typeAhead(), QString("1"));
        QCOMPARE(offeredKeys(), QList<int>{'1'});
    }

    // Opening another page leaves the name as it is; only the timer empties it.
    void openingKeepsTheName()
    {
        openPage();
        showTab("PreSheet");
        focusDiagram();
        type('3');
        form->OpenFile(pagePath());
        QCOMPARE(typeAhead(), QString("3"));
        type('1');
        QCOMPARE(typeAhead(), QString("31"));
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"31"});
    }

    // ---- Delete ----

    void deleteOnTheDiagram_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("plain") << 0;
        QTest::newRow("shift") << int(Qt::ShiftModifier);
        QTest::newRow("ctrl") << int(Qt::ControlModifier);
    }
    void deleteOnTheDiagram()
    {
        QFETCH(int, modifiers);
        openPage();
        showTab("PreSheet");
        QWidget *image = focusDiagram();
        select(form->PreEditor(), {component("preproc", "21")});
        KeySpy spy(image);
        prompter().answers << pbYes;
        press(Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(prompter().prompts.size(), 1);
        QVERIFY(!component("preproc", "21"));
        QVERIFY(component("preproc", "10"));
        QVERIFY(form->openPage()->isModified());
        QCOMPARE(spy.presses, 0);
        QCOMPARE(offeredKeys(), QList<int>());
    }

    void deleteInAPanelEdit()
    {
        openPage();
        showTab("PreSheet");
        select(form->PreEditor(), {component("preproc", "21")});
        QLineEdit *edit = panelEdit("abc");
        press(Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("bc"));
        QCOMPARE(prompter().prompts.size(), 0);
        QVERIFY(component("preproc", "21"));
        QCOMPARE(offeredKeys(), QList<int>());
    }

    void deleteOnTheHtmlTab()
    {
        openPage();
        showTab("HtmlSheet");
        select(form->PreEditor(), {component("preproc", "21")});
        auto *tabs = part<QTabWidget>(form, "PageControl1");
        tabs->setFocus();
        KeySpy spy(form->focusWidget());
        press(Qt::Key_Delete);
        QCOMPARE(spy.presses, 1);
        QCOMPARE(prompter().prompts.size(), 0);
        QVERIFY(component("preproc", "21"));
        QVERIFY(!form->openPage()->isModified());
        QCOMPARE(offeredKeys(), QList<int>());

        // In the HTML editor the key deletes a character.
        auto *html = part<QsciScintilla>(form, "htmlEdit");
        const QString before = html->text();
        html->setFocus();
        html->setCursorPosition(0, 0);
        press(Qt::Key_Delete);
        QCOMPARE(html->text(), before.mid(1));
        QCOMPARE(prompter().prompts.size(), 0);
    }

    void deleteWithoutAPage()
    {
        showTab("PreSheet");
        focusDiagram();
        press(Qt::Key_Delete);
        QCOMPARE(prompter().prompts.size(), 0);
        QCOMPARE(offeredKeys(), QList<int>());
    }

    // ---- the shortcut plug-ins ----

    void aHandledKeyStopsThere_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("notes") << "EditorNotesMemo";
        QTest::newRow("function name") << "txtFuncName";
    }
    void aHandledKeyStopsThere()
    {
        QFETCH(QString, control);
        openPage();
        showTab("NotesSheet");
        QWidget *focused = part<QWidget>(form, control.toLatin1().constData());
        focused->setFocus();
        KeySpy spy(focused);
        press(Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(spy.presses, 0);
        // Every key but Delete reaches the plug-ins, in a text control too.
        press(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(spy.presses, 1);
        press(Qt::Key_X, Qt::NoModifier, "x");
        QCOMPARE(spy.presses, 2);
        QCOMPARE(m_offered, (QList<QPair<int, int>>{{VK_UP, ssCtrl}, {VK_DOWN, ssCtrl}, {'X', 0}}));
    }

    // Keys of another window are its own.
    void otherWindowsKeepTheirKeys()
    {
        openPage();
        QWidget other;
        auto *edit = new QLineEdit(&other);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        edit->setFocus();
        QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::ControlModifier);
        QApplication::sendEvent(edit, &up);
        QKeyEvent one(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
        QApplication::sendEvent(edit, &one);
        QCOMPARE(edit->text(), QString("1"));
        QCOMPARE(offeredKeys(), QList<int>());
        QCOMPARE(typeAhead(), QString());
    }

    // Alt+arrows move components only, not the notes selected with them, and mark the page.
    void altArrowsMoveTheSelectedComponents()
    {
        openPage();
        showTab("PreSheet");
        focusDiagram();
        TGraphEditor *editor = form->PreEditor();
        TCommentRect *note = form->CommentRects().front().get();
        const Rect noteBefore = note->Rect;
        select(editor, {component("preproc", "10"), component("preproc", "21"), note});
        press(Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(component("preproc", "10")->GetX(), 64);
        QCOMPARE(component("preproc", "21")->GetX(), 64);
        QCOMPARE(component("preproc", "31")->GetX(), 32);
        QVERIFY(note->Rect == noteBefore);
        QVERIFY(form->openPage()->isModified());
        QStringList kept = selectedNames(editor);
        kept.sort();
        QCOMPARE(kept, (QStringList{"10", "21", "note"}));
        // The diagram shows the new place.
        Rect r;
        QVERIFY(editor->GetItemRect(component("preproc", "10"), r));
        press(Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(component("preproc", "10")->GetY(), 26 + 24);
        Rect moved;
        QVERIFY(editor->GetItemRect(component("preproc", "10"), moved));
        QVERIFY(moved.Top > r.Top);
    }

    // The tab bar has the focus at start; Alt+arrows move, and the tab stays.
    void altArrowsKeepTheTab()
    {
        openPage();
        showTab("PreSheet");
        auto *tabs = part<QTabWidget>(form, "PageControl1");
        QTabBar *bar = tabs->tabBar();
        bar->setFocus();
        QCOMPARE(QApplication::focusWidget(), bar);
        select(form->PreEditor(), {component("preproc", "10")});
        press(Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(component("preproc", "10")->GetX(), 64);
        QCOMPARE(tabs->currentWidget(), part<QWidget>(form, "PreSheet"));
        press(Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(component("preproc", "10")->GetX(), 32);
        QCOMPARE(tabs->currentWidget(), part<QWidget>(form, "PreSheet"));
        // Without Alt the arrows still go from tab to tab.
        press(Qt::Key_Right);
        QCOMPARE(tabs->currentWidget(), part<QWidget>(form, "PostSheet"));
        QCOMPARE(offeredKeys(), (QList<int>{VK_RIGHT, VK_LEFT, VK_RIGHT}));
    }

    void altArrowsNotInAPanelEdit()
    {
        openPage();
        showTab("PreSheet");
        select(form->PreEditor(), {component("preproc", "10")});
        panelEdit("abc");
        press(Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(component("preproc", "10")->GetX(), 32);
        QVERIFY(!form->openPage()->isModified());
    }

    // Ctrl+Enter opens the page the external component names once the key event is over.
    void ctrlEnterOpensTheLinkedPage()
    {
        openPage();
        writeBytes(m_dir->filePath("other.wqf"), "<wqf><function><fn>other</fn></function><preproc/><postproc/></wqf>");
        showTab("PreSheet");
        focusDiagram();
        TCommentRect *note = form->CommentRects().front().get();
        select(form->PreEditor(), {component("preproc", "5"), note});
        press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(form->openPage()->fileName(), pagePath());
        QTRY_COMPARE(form->openPage()->fileName(), m_dir->filePath("other.wqf"));
        QCOMPARE(form->GetCurrentDoc()->GetFunctionName(), QString("other"));
    }
};

PELLORIN_TEST_CLASS(TestKeyDispatch)
#include "test_keydispatch.moc"
