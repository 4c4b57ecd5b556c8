#include "common/testmain.h"
#include "model/commentrects.h"
#include "panelfixture.h"

#include <QTest>

using namespace pellorin_test;

namespace {
// Values with many entries of an unwrapped field, so the panel is far taller than its view.
QByteArray manyEntries(int count, const QByteArray &first = "x")
{
    QByteArray values;
    for (int i = 0; i < count; ++i)
        values += "<n>" + (i == 0 ? first : QByteArray::number(i)) + "</n><v>value " + QByteArray::number(i) + "</v>";
    return values;
}

struct Scrolled {
    PanelWindow window{320, 300};
    std::unique_ptr<TComponentDescr> descr = kind("S", {variableField("var", "", "n", "", "v")});
    std::unique_ptr<TWQFFile> page;
    TScrolledTagsEditor panel;

    explicit Scrolled(int entries = 30, const QString &fileName = {})
    {
        QByteArray components;
        for (const char *name : {"1", "2"})
            components += QByteArray("<c><n>") + name + "</n><t>S</t><c/><j/><j/><x>0</x><y>0</y><values>" +
                          manyEntries(entries) + "</values></c>";
        page = pageWith(components);
        if (!fileName.isEmpty())
            setFileName(*page, fileName);
        panel.ScrollBox = window.scroll;
        QVERIFY(QTest::qWaitForWindowExposed(&window.window));
    }
    TWQFItem *item(int i) { return page->Sections().front()->Items()[size_t(i)].get(); }
    void show(int i) { panel.BuildPropertyPanel(item(i), window.container, descr.get()); }
    QScrollBar *bar() { return window.scroll->verticalScrollBar(); }
    int lowestBottom()
    {
        int bottom = 0;
        for (QWidget *w : window.container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!w->isHidden())
                bottom = std::max(bottom, w->geometry().bottom() + 1);
        return bottom;
    }
    static void setFileName(TWQFFile &file, const QString &name)
    {
        // The key needs a file name; saving gives the page one.
        QVERIFY(file.SaveToFile(name, {}));
    }
};
} // namespace

class TestScrolledTagsEditor : public QObject {
    Q_OBJECT
private slots:
    void rangeFollowsRows()
    {
        Scrolled s;
        s.show(0);
        QCOMPARE(s.panel.scrollRange(), s.lowestBottom() + 12);
        QCOMPARE(s.bar()->maximum(), s.panel.scrollRange() - s.window.scroll->viewport()->height());
        s.panel.Clear();
        QCOMPARE(s.panel.scrollRange(), 12);
        QCOMPARE(s.bar()->value(), 0);
    }

    void wheel_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("moved");
        QTest::newRow("one notch toward the user") << -120 << 15;
        QTest::newRow("one notch away") << 120 << -15;
        QTest::newRow("two notches") << -240 << 30;
        QTest::newRow("a fraction truncates") << -100 << 12;
        QTest::newRow("a small one") << -7 << 0;
    }
    void wheel()
    {
        QFETCH(int, delta);
        Scrolled s;
        s.show(0);
        s.panel.setScrollPosition(100);
        auto *editor = nthControl<TWheelSynEdit>(s.panel, 1);
        editor->setText(QString("a\n").repeated(40));
        const int top = editor->firstVisibleLine();
        // The editor must be on screen for the turn to reach it where it is.
        QVERIFY(turnWheel(editor->viewport(), delta));
        QFETCH(int, moved);
        QCOMPARE(s.bar()->value(), 100 + moved);
        QCOMPARE(editor->firstVisibleLine(), top);
    }

    void wheelOverTypeKeepsItem()
    {
        Scrolled s(0);
        s.descr = kind("S", {variableField("var", "p", "n", "t", "v", "A,B,C")});
        QByteArray values;
        for (int i = 0; i < 20; ++i)
            values += "<p><n>n</n><t>B</t><v>v</v></p>";
        s.page = componentPage("S", values);
        s.panel.BuildPropertyPanel(firstItem(*s.page), s.window.container, s.descr.get());
        auto *type = nthControl<TWheelComboBox>(s.panel);
        QVERIFY(turnWheel(type, -120));
        QCOMPARE(type->currentText(), "B");
        QCOMPARE(s.bar()->value(), 15);
    }

    void wheelDoesNothingWhenAllFits()
    {
        Scrolled s(1);
        s.show(0);
        QVERIFY(s.panel.scrollRange() < s.window.scroll->viewport()->height());
        QVERIFY(turnWheel(nthControl<TWheelSynEdit>(s.panel)->viewport(), -120));
        QCOMPARE(s.bar()->value(), 0);
    }

    // A code editor made once its row came near the view, and a note's text, take a turn as
    // every control of the panel does: the panel scrolls as far as it is taller than the view,
    // the editor stays as it is and the focus stays outside.
    void wheelKeepsTheFocus_data()
    {
        QTest::addColumn<bool>("note");
        QTest::newRow("editor made from its stand-in") << false;
        QTest::newRow("note text") << true;
    }
    void wheelKeepsTheFocus()
    {
        QFETCH(bool, note);
        Scrolled s;
        auto *outside = new QLineEdit(&s.window.window);
        s.window.window.resize(320, 340);
        outside->setGeometry(0, 310, 320, 24);
        outside->show();
        outside->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), outside);
        TCommentRect comment;
        comment.Text = QString("line\n").repeated(40);
        QsciScintilla *editor = nullptr;
        if (note) {
            s.panel.BuildNotesPanel(&comment, s.window.container);
            editor = nthControl<QsciScintilla>(s.panel);
        } else {
            s.show(0);
            const TControlBind &last = *s.panel.Owned()[s.panel.Owned().size() - 3];
            QVERIFY(qobject_cast<CodeEditorStandIn *>(last.Control.data()));
            s.panel.setScrollPosition(s.bar()->maximum() - 30);
            editor = qobject_cast<TWheelSynEdit *>(last.Control.data());
        }
        QVERIFY(editor);
        const int start = s.bar()->value();
        const int top = editor->firstVisibleLine();
        turnWheel(editor->viewport(), -120);
        QCOMPARE(s.bar()->value(), std::min(start + 15, s.bar()->maximum()));
        QCOMPARE(editor->firstVisibleLine(), top);
        QCOMPARE(QApplication::focusWidget(), outside);
    }

    void positionRemembered()
    {
        QTemporaryDir dir;
        Scrolled s(30, dir.filePath("a.wqf"));
        s.show(0);
        s.panel.setScrollPosition(240);
        s.show(1);
        QCOMPARE(s.bar()->value(), 0);
        s.panel.setScrollPosition(60);
        s.show(0);
        QCOMPARE(s.bar()->value(), 240);
        s.show(1);
        QCOMPARE(s.bar()->value(), 60);
        QCOMPARE(s.panel.EditSpot()->GetInt(dir.filePath("a.wqf") + ":preproc_1"), 240);
        QCOMPARE(TScrolledTagsEditor::SpotKey(s.item(1)), dir.filePath("a.wqf") + ":preproc_2");

        // Another page, even with the same component names, starts at the top.
        Scrolled other(30, dir.filePath("b.wqf"));
        other.panel.BuildPropertyPanel(s.item(0), other.window.container, other.descr.get());
        other.panel.setScrollPosition(240);
        other.show(0);
        QCOMPARE(other.bar()->value(), 0);
    }

    void storedPositionBeyondRange()
    {
        Scrolled s(30);
        s.show(0);
        s.panel.setScrollPosition(s.bar()->maximum());
        const int stored = s.bar()->value();
        s.show(1);
        // The first component's values become shorter.
        XmlElement *values = s.item(0)->ValuesNode();
        while (values->childNodes().size() > 4)
            values->removeChild(values->lastChild());
        s.show(0);
        QVERIFY(s.panel.scrollRange() <= stored);
        QCOMPARE(s.bar()->value(), 0);
    }

    void caretKeptInView()
    {
        Scrolled s(3);
        s.show(0);
        auto *editor = nthControl<TWheelSynEdit>(s.panel, 2);
        editor->setFocus();
        editor->setCursorPosition(0, editor->text(0).size());
        const int lineHeight = editor->lineHeight();
        QWidget *view = s.window.scroll->viewport();
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(editor, Qt::Key_Return);
            const long pos = editor->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
            const int y = int(editor->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, pos));
            const int caretInView = editor->viewport()->mapTo(view, QPoint(0, y)).y();
            QVERIFY2(caretInView >= 0 && caretInView + lineHeight <= view->height(),
                     qPrintable(QString("step %1: caret at %2").arg(i).arg(caretInView)));
        }
        QVERIFY(s.bar()->value() > 0);
        // Scrolled in whole lines.
        QCOMPARE(s.panel.scrollRange(), s.lowestBottom() + 12);
    }

    void tabbingBringsRowsIntoView()
    {
        Scrolled s(10);
        s.show(0);
        auto *first = nthControl<QLineEdit>(s.panel, 1);
        auto *far = nthControl<QLineEdit>(s.panel, 10);
        QWidget *view = s.window.scroll->viewport();
        QVERIFY(far->mapTo(view, QPoint(0, 0)).y() > view->height());
        far->setFocus();
        const int farTop = far->mapTo(view, QPoint(0, 0)).y();
        QVERIFY(farTop >= 0 && farTop + far->height() <= view->height());
        first->setFocus();
        QCOMPARE(s.bar()->value(), 0);
    }

    void addKeepsDistanceFromEnd()
    {
        Scrolled s(30);
        s.show(0);
        s.panel.setScrollPosition(s.bar()->maximum());
        const int fromEnd = s.panel.scrollRange() - s.bar()->value();
        QPushButton *add = nullptr;
        for (const auto &b : s.panel.Owned())
            if (auto *button = qobject_cast<QPushButton *>(b->Control.data()); button && button->text() == "Add")
                add = button;
        QWidget *focused = nthControl<QLineEdit>(s.panel, 3);
        focused->setFocus();
        pellorin_test::click(add);
        QCOMPARE(s.panel.UpdateCount(), 0);
        QCOMPARE(s.panel.scrollRange() - s.bar()->value(), fromEnd);
        QVERIFY(s.window.scroll->isVisible());
        // The new entry is in view.
        auto *newest = nthControl<QLineEdit>(s.panel, 31);
        QVERIFY(newest);
        QVERIFY(newest->mapTo(s.window.scroll->viewport(), QPoint(0, 0)).y() < s.window.scroll->viewport()->height());
    }

    void addToAFittingPanelGoesToTop()
    {
        Scrolled s(1);
        s.show(0);
        QPushButton *add = nullptr;
        for (const auto &b : s.panel.Owned())
            if (auto *button = qobject_cast<QPushButton *>(b->Control.data()); button && button->text() == "Add")
                add = button;
        pellorin_test::click(add);
        QCOMPARE(s.bar()->value(), 0);
        QCOMPARE(describeRows(s.panel).first(), "label:1: S (var: 2)");
    }

    void withoutScrollBox()
    {
        PanelWindow window;
        auto descr = kind("S", {variableField("var", "", "n", "", "v")});
        auto page = componentPage("S", manyEntries(3));
        TScrolledTagsEditor panel;
        panel.BuildPropertyPanel(firstItem(*page), window.container, descr.get());
        bool handled = false;
        panel.ControlMouseWheel(nullptr, {}, -120, {}, handled);
        QVERIFY(handled);
        panel.UpdateScrollRange();
        panel.KeepCaretVisible(nullptr);
        panel.ScrollToShow(0, 10);
        QCOMPARE(panel.scrollPosition(), 0);
    }
};

PELLORIN_TEST_CLASS(TestScrolledTagsEditor)
#include "test_scrolledtagseditor.moc"
