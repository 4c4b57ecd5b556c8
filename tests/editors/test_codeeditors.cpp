#include "common/testmain.h"
#include "editors/codeeditors.h"

#include "editors/editspot.h"
#include "editors/keywordlexer.h"
#include "panelfixture.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexerjavascript.h>
#include <Qsci/qscilexerpascal.h>
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

Q_DECLARE_METATYPE(HighlighterKind)

using pellorin_test::turnWheel;

namespace {
QString lines(int count)
{
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list << QString("line %1").arg(i);
    return list.join('\n');
}

// A window whose scroll area shows a tall content widget holding one code editor.
struct ScrolledEditor {
    QWidget window;
    QScrollArea *area;
    QWidget *content;
    TWheelSynEdit *editor;
    QLineEdit *after;

    explicit ScrolledEditor(int viewportHeight = 200)
    {
        area = new QScrollArea(&window);
        area->setFrameShape(QFrame::NoFrame);
        content = new QWidget;
        content->setFixedSize(300, 2000);
        editor = new TWheelSynEdit(content);
        editor->setGeometry(0, 100, 280, 300);
        editor->setText(lines(300));
        after = new QLineEdit(content);
        after->setGeometry(0, 420, 280, 24);
        area->setWidget(content);
        area->setGeometry(0, 0, 320, viewportHeight);
        window.resize(320, viewportHeight);
        window.show();
        QApplication::setActiveWindow(&window);
    }
};
} // namespace

class TestCodeEditors : public QObject {
    Q_OBJECT
private slots:
    void tabKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << "a\n  b\nc";
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "a\n  b\nc";
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << "  a\n    b\nc";
        QTest::newRow("Ctrl+Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                        << "a\nb\nc";
    }
    void tabKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QsciScintilla editor;
        editor.setIndentationWidth(2);
        editor.setTabWidth(2);
        editor.setIndentationsUseTabs(false);
        RebindTabKeys(&editor);
        editor.setText("a\n  b\nc");
        editor.setSelection(0, 0, 1, 3);
        editor.show();
        QApplication::setActiveWindow(&editor);
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QTest::keyClick(editor.viewport(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(editor.text(), "text");
    }

    void fontToDpi_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<double>("pointSize");
        QTest::addColumn<bool>("defaultQuality");
        QFont pixels("Courier New");
        pixels.setPixelSize(16);
        pixels.setStyleStrategy(QFont::NoAntialias);
        QFont points("Courier New", 10);
        points.setStyleStrategy(QFont::NoAntialias);
        QTest::newRow("pixels at 96") << pixels << 96 << 16 << -1.0 << false;
        QTest::newRow("pixels at 144") << pixels << 144 << -1 << 12.0 << true;
        QTest::newRow("pixels at 72") << pixels << 72 << -1 << 12.0 << false;
        QTest::newRow("points at 144") << points << 144 << -1 << 10.0 << true;
        QTest::newRow("points at 96") << points << 96 << -1 << 10.0 << false;
    }
    void fontToDpi()
    {
        QFETCH(QFont, font);
        QFETCH(int, dpi);
        const QFont scaled = scaleFontToDpi(font, dpi);
        QTEST(scaled.pixelSize(), "pixelSize");
        QTEST(scaled.pointSizeF(), "pointSize");
        QTEST(scaled.styleStrategy() == QFont::PreferDefault, "defaultQuality");
        // Applying it again changes nothing more.
        QCOMPARE(scaleFontToDpi(scaled, dpi), scaled);
        QCOMPARE(scaled.family(), font.family());
    }

    void editorAndHighlighterFonts()
    {
        QsciScintilla editor;
        auto *lexer = new QsciLexerHTML(&editor);
        QFont font("Courier New");
        font.setPixelSize(14);
        lexer->setFont(font);
        editor.setLexer(lexer);
        ScaleSynEditToDpi(&editor);
        const int dpi = editor.logicalDpiY();
        QCOMPARE(lexer->font(QsciLexerHTML::Tag), scaleFontToDpi(font, dpi));
        ScaleSynEditToDpi(nullptr);
    }

    void guessHighlighter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<HighlighterKind>("kind");
        using K = HighlighterKind;
        QTest::newRow("SQL in capitals beats one assignment") << "SELECT a FROM b WHERE c := 1" << K::SQL;
        QTest::newRow("tie of begin and select") << "begin select" << K::Pascal;
        QTest::newRow("var inside variable ties from") << "the variable from" << K::Pascal;
        QTest::newRow("a tag with attributes") << "<a href=\"x\">y</a>" << K::None;
        QTest::newRow("bare a tag") << "<a>y</a>" << K::HTML;
        QTest::newRow("empty") << "" << K::None;
        QTest::newRow("each string counts once") << "select select select begin var" << K::Pascal;
        QTest::newRow("SQL ties HTML") << "<div><table> select from" << K::SQL;
        QTest::newRow("HTML beats SQL") << "<div><table><a> update" << K::HTML;
        QTest::newRow("HTML beats Pascal") << "<div><table> begin" << K::HTML;
        QTest::newRow("Pascal ties HTML") << "<div><table> begin :=" << K::Pascal;
        QTest::newRow("upper-case tags") << "<DIV>" << K::HTML;
        QTest::newRow("plain words") << "hello world" << K::None;
    }
    void guessHighlighter()
    {
        QFETCH(QString, text);
        QTEST(GuessHighlighter(text), "kind");
    }

    void lexerPerEditor_data()
    {
        QTest::addColumn<HighlighterKind>("kind");
        QTest::addColumn<QString>("language");
        QTest::newRow("Pascal") << HighlighterKind::Pascal << QsciLexerPascal().language();
        QTest::newRow("SQL") << HighlighterKind::SQL << QsciLexerSQL().language();
        QTest::newRow("HTML") << HighlighterKind::HTML << QsciLexerHTML().language();
        QTest::newRow("JavaScript") << HighlighterKind::JavaScript << QsciLexerJavaScript().language();
        QTest::newRow("keywords") << HighlighterKind::Keywords << KeywordLexer().language();
    }
    void lexerPerEditor()
    {
        QFETCH(HighlighterKind, kind);
        TWheelSynEdit first, second;
        first.setHighlighter(kind);
        second.setHighlighter(kind);
        QVERIFY(first.lexer());
        QTEST(QString(first.lexer()->language()), "language");
        QVERIFY(first.lexer() != second.lexer());
        QCOMPARE(first.lexer()->parent(), &first);
        QPointer<QsciLexer> old = first.lexer();
        first.setHighlighter(HighlighterKind::None);
        QVERIFY(!first.lexer());
        QVERIFY(old.isNull());
        QCOMPARE(newHighlighterLexer(HighlighterKind::None, nullptr), nullptr);
    }

    void pageStep_data()
    {
        QTest::addColumn<int>("viewportLines");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("step");
        const int none = 0, half = TWheelSynEdit::HalfPageScroll, less = TWheelSynEdit::ScrollByOneLess;
        const int down = Qt::Key_PageDown, up = Qt::Key_PageUp;
        QTest::newRow("page down") << 12 << none << down << 0 << 12;
        QTest::newRow("page down, half page") << 12 << half << down << 0 << 6;
        QTest::newRow("page down, one less") << 12 << less << down << 0 << 11;
        QTest::newRow("page down, half and one less") << 12 << (half | less) << down << 0 << 5;
        QTest::newRow("page up") << 12 << none << up << 0 << -12;
        QTest::newRow("shift page down selects nothing") << 12 << none << down << int(Qt::ShiftModifier) << 12;
        QTest::newRow("shift page up") << 12 << none << up << int(Qt::ShiftModifier) << -12;
        QTest::newRow("column select page down")
            << 12 << none << down << int(Qt::ShiftModifier | Qt::AltModifier) << 12;
        QTest::newRow("view lower than a line") << 0 << none << down << 0 << 1;
        QTest::newRow("one line, one less") << 1 << less << down << 0 << 1;
        QTest::newRow("two lines, half page") << 2 << half << down << 0 << 1;
    }
    void pageStep()
    {
        QFETCH(int, viewportLines);
        QFETCH(int, options);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        ScrolledEditor view;
        const int lh = view.editor->lineHeight();
        QVERIFY(lh > 0);
        view.area->resize(320, viewportLines * lh + lh / 2);
        view.editor->setPageOptions(TWheelSynEdit::PageOptions(options));
        view.editor->setFirstVisibleLine(100);
        view.editor->setCursorPosition(100, 3);
        view.editor->setFocus();
        QTest::keyClick(view.editor, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QFETCH(int, step);
        QCOMPARE(view.editor->firstVisibleLine(), 100 + step);
        int line = -1, index = -1;
        view.editor->getCursorPosition(&line, &index);
        QCOMPARE(line, 100 + step);
        QCOMPARE(index, 3);
        QVERIFY(!view.editor->hasSelectedText());
    }

    void pageStepWithoutParent()
    {
        TWheelSynEdit editor;
        editor.setText(lines(50));
        QCOMPARE(editor.pageLines(), 1);
        QVERIFY(editor.executePageCommand(QsciCommand::PageDown));
        QCOMPARE(editor.firstVisibleLine(), 1);
        QVERIFY(!editor.executePageCommand(QsciCommand::LineDown));
    }

    void wheelGoesToTheHandler()
    {
        ScrolledEditor view;
        QScrollBar *bar = view.area->verticalScrollBar();
        int calls = 0;
        view.editor->OnMouseWheel = [&](QObject *sender, Qt::KeyboardModifiers shift, int delta, QPoint,
                                        bool &handled) {
            ++calls;
            QCOMPARE(sender, view.editor);
            QCOMPARE(shift, Qt::ControlModifier);
            bar->setValue(bar->value() - delta / 8);
            handled = true;
        };
        bar->setValue(200);
        QVERIFY(turnWheel(view.editor->viewport(), -120, Qt::ControlModifier));
        QCOMPARE(calls, 1);
        QCOMPARE(bar->value(), 215);
        QCOMPARE(view.editor->firstVisibleLine(), 0);
    }

    // Over the editor's horizontal scroll bar the turn is the editor's too: it goes to the
    // handler and never scrolls the editor sideways. The turn comes as the window system
    // brings it, to the window, which finds the bar under the mouse.
    void wheelOverTheEditorsScrollBar()
    {
        ScrolledEditor view;
        view.editor->setText(QString(400, u'x') + "\n" + lines(3));
        view.editor->setGeometry(0, 0, 280, 120);
        QScrollBar *sideways = view.editor->horizontalScrollBar();
        QVERIFY(QTest::qWaitForWindowExposed(&view.window));
        QVERIFY(sideways->isVisible());
        QScrollBar *bar = view.area->verticalScrollBar();
        int calls = 0;
        QPoint where;
        view.editor->OnMouseWheel = [&](QObject *sender, Qt::KeyboardModifiers, int delta, QPoint pos, bool &handled) {
            ++calls;
            QCOMPARE(sender, view.editor);
            where = pos;
            bar->setValue(bar->value() - delta / 8);
            handled = true;
        };
        const QPoint middle(sideways->width() / 2, sideways->height() / 2);
        auto turn = [&] {
            const QPointF at = sideways->mapTo(&view.window, middle);
            QWheelEvent event(at, view.window.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&event);
            QCoreApplication::sendEvent(view.window.windowHandle(), &event);
        };
        QCOMPARE(view.window.childAt(sideways->mapTo(&view.window, middle)), sideways);
        turn();
        QCOMPARE(calls, 1);
        QCOMPARE(bar->value(), 15);
        QCOMPARE(sideways->value(), 0);
        QCOMPARE(where, sideways->mapTo(view.editor, middle));
        view.editor->OnMouseWheel = nullptr;
        turn();
        QCOMPARE(sideways->value(), 0);
    }

    void unhandledWheelLeavesTheEditor()
    {
        // Without a handler the editor does not scroll and the turn reaches the parents.
        ScrolledEditor view;
        QScrollBar *bar = view.area->verticalScrollBar();
        bar->setValue(100);
        turnWheel(view.editor->viewport(), -120);
        QCOMPARE(view.editor->firstVisibleLine(), 0);
        QVERIFY(bar->value() > 100);
        // A handler that declines does the same.
        view.editor->OnMouseWheel = [](QObject *, Qt::KeyboardModifiers, int, QPoint, bool &) {};
        const int before = bar->value();
        turnWheel(view.editor->viewport(), -120);
        QCOMPARE(view.editor->firstVisibleLine(), 0);
        QVERIFY(bar->value() > before);
    }

    void comboWheelKeepsItem()
    {
        QWidget window;
        auto *combo = new TWheelComboBox(&window);
        combo->addItems({"STRING", "INTEGER", "FLOAT"});
        combo->setCurrentIndex(1);
        window.show();
        int calls = 0;
        QVERIFY(turnWheel(combo, -120));
        combo->OnMouseWheel = [&](QObject *, Qt::KeyboardModifiers, int delta, QPoint, bool &) {
            ++calls;
            QCOMPARE(delta, 120);
        };
        QVERIFY(turnWheel(combo, 120));
        QCOMPARE(calls, 1);
        QCOMPARE(combo->currentIndex(), 1);
    }

    // An editable box made cheaply behaves as one made by setEditable: inline completion of
    // its items, case ignored, once it has the focus; the same line edit, popup and size.
    void cheapEditableBoxIsTheUsualOne()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *usual = new TWheelComboBox;
        usual->addItems({"STRING", "INTEGER", "FLOAT"});
        usual->setEditable(true);
        auto *cheap = new TWheelComboBox;
        cheap->makeEditable();
        cheap->addItems({"STRING", "INTEGER", "FLOAT"});
        layout->addWidget(usual);
        layout->addWidget(cheap);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(cheap->isEditable());
        QCOMPARE(cheap->sizeHint(), usual->sizeHint());
        QCOMPARE(cheap->focusPolicy(), usual->focusPolicy());
        QCOMPARE(cheap->lineEdit()->hasFrame(), usual->lineEdit()->hasFrame());
        QCOMPARE(cheap->lineEdit()->contextMenuPolicy(), usual->lineEdit()->contextMenuPolicy());
        QCOMPARE(cheap->lineEdit()->focusProxy(), cheap);
        QCOMPARE(cheap->lineEdit()->geometry(), usual->lineEdit()->geometry());
        for (TWheelComboBox *box : {usual, cheap}) {
            box->setFocus();
            QVERIFY(box->hasFocus());
            box->lineEdit()->clear();
            QTest::keyClicks(box, "I");
            QCOMPARE(box->currentText(), "INTEGER");
            QCOMPARE(box->lineEdit()->selectedText(), "NTEGER");
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(box->currentIndex(), 1);
        }
        QCompleter *a = usual->completer(), *b = cheap->completer();
        QCOMPARE(b->caseSensitivity(), a->caseSensitivity());
        QCOMPARE(b->completionMode(), a->completionMode());
        QCOMPARE(b->completionColumn(), a->completionColumn());
        QCOMPARE(b->model(), cheap->model());
        QCOMPARE(b->widget(), cheap);
        QCOMPARE(cheap->view()->verticalScrollBarPolicy(), usual->view()->verticalScrollBarPolicy());
        // A box that never had the focus completes nothing, not even from another box's items.
        auto *other = new TWheelComboBox;
        other->makeEditable();
        layout->addWidget(other);
        QVERIFY(other->completer()->completionModel()->rowCount() == 0);
    }

    void tabMovesFocus()
    {
        ScrolledEditor view;
        QVERIFY(QTest::qWaitForWindowActive(&view.window));
        view.editor->setText("a\nb");
        view.editor->setWantTabs(false);
        RebindTabKeys(view.editor);
        view.editor->setFocus();
        QVERIFY(view.editor->hasFocus());
        view.editor->setCursorPosition(1, 0);
        QTest::keyClick(view.editor, Qt::Key_Tab);
        QCOMPARE(view.editor->text(), "a\nb");
        QVERIFY(view.after->hasFocus());
        QTest::keyClick(view.after, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(view.editor->hasFocus());
        view.editor->setCursorPosition(1, 0);
        view.editor->setIndentationsUseTabs(false);
        view.editor->setIndentationWidth(2);
        QTest::keyClick(view.editor, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(view.editor->text(), "a\n  b");
        QVERIFY(view.editor->hasFocus());
    }

    void editSpot()
    {
        TEditSpot spot;
        QCOMPARE(spot.GetInt("never"), 0);
        spot.SetInt("C:\\pages\\a=b.wqf:preproc_3", 120);
        QCOMPARE(spot.GetInt("c:\\PAGES\\A=B.WQF:PREPROC_3"), 120);
        spot.SetInt("C:\\PAGES\\a=b.wqf:preproc_3", -7);
        QCOMPARE(spot.GetInt("c:\\pages\\a=b.wqf:preproc_3"), -7);
        QCOMPARE(spot.GetInt("c:\\pages\\a=b.wqf:preproc_30"), 0);
    }
};

PELLORIN_TEST_CLASS(TestCodeEditors)
#include "test_codeeditors.moc"
