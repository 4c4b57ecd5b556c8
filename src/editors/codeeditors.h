#pragma once
// The code editors of the program: one QScintilla subclass whose mouse wheel is handed to
// the panel around it, which pages by the height of that panel, and whose Tab keys indent only
// together with Ctrl; a combo box whose wheel never changes its item; the highlighters a code
// editor can carry, each editor with lexer objects of its own, and the guess of one from a
// value's text.
#include <Qsci/qsciscintilla.h>

#include <QComboBox>
#include <QFont>
#include <QPoint>
#include <QString>
#include <Qt>
#include <functional>

class QsciLexer;

// (Sender, shift, wheelDelta, mousePos, handled): the handler sets handled when it took the
// turn. wheelDelta is 120 per notch, positive away from the user; mousePos is in the
// control's own coordinates.
using MouseWheelHandler =
    std::function<void(QObject *Sender, Qt::KeyboardModifiers shift, int wheelDelta, QPoint mousePos, bool &handled)>;

enum class HighlighterKind { None, Pascal, SQL, HTML, JavaScript, Keywords };

// Pascal, SQL or HTML by counting which of their telltale strings the text holds (each
// string once, wherever it occurs, without case); ties go to Pascal, then SQL, then HTML;
// None when no string occurs.
HighlighterKind GuessHighlighter(const QString &text);

// A new lexer of the kind, owned by parent (a lexer serves one editor only); none for None.
// A keyword lexer starts without words.
QsciLexer *newHighlighterLexer(HighlighterKind kind, QObject *parent);

// The height in which container is seen: the visible part of a scroll area when container is
// the widget the area scrolls, else its own client height; 0 for none.
int visibleHeightOf(const QWidget *container);

// Tab and Shift+Tab indent and unindent only together with Ctrl (Ctrl+Tab, Ctrl+Shift+Tab);
// plain Tab and Shift+Tab no longer reach the editor's tab commands.
void RebindTabKeys(QsciScintilla *editor);

// The keys of the main window's menu commands, and of the Tools entries queued for it, no
// longer run the editor's own commands on them (Ctrl+L cuts a line, Ctrl+T swaps two), so the
// menu gets them. Copy and paste stay the editor's: the menu's serve the focused text control.
// Every code editor of the panels does this when made.
void releaseMenuKeys(QsciScintilla *editor);

// A font laid out for 96 dots per inch, adapted to dpi: above 96 the default rendering
// quality; at any other resolution than 96 a size given in pixels becomes the same size in
// points, which then follows the screen. A font sized in points is already independent.
QFont scaleFontToDpi(QFont font, int dpi);
// scaleFontToDpi on the editor's font and its highlighter's fonts at the editor's resolution.
void ScaleSynEditToDpi(QsciScintilla *editor);
// ScaleSynEditToDpi on every text editor below control.
void ScaleEditorFonts(QWidget *control);

class TWheelSynEdit : public QsciScintilla {
    Q_OBJECT
public:
    // Options of the page commands.
    enum PageOption { HalfPageScroll = 0x1, ScrollByOneLess = 0x2 };
    Q_DECLARE_FLAGS(PageOptions, PageOption)

    explicit TWheelSynEdit(QWidget *parent = nullptr);

    // Runs the wheel turn; the turn counts as handled only when the handler says so.
    MouseWheelHandler OnMouseWheel;

    PageOptions getPageOptions() const { return m_pageOptions; }
    void setPageOptions(PageOptions options) { m_pageOptions = options; }

    // False: Tab and Shift+Tab move the focus instead of reaching the editor.
    bool WantTabs() const { return m_wantTabs; }
    void setWantTabs(bool value) { m_wantTabs = value; }

    // The highlighter guessed for a text, or set directly; the editor makes its own lexer.
    HighlighterKind highlighter() const { return m_highlighter; }
    void setHighlighter(HighlighterKind kind);

    // The page commands (page up and down, with selection, with column selection) move the
    // top line and the caret by the height of the control that shows the editor's parent,
    // without selecting; true when command was one of them.
    bool executePageCommand(QsciCommand::Command command);
    // The number of lines a page command moves, before its direction.
    int pageLines() const;

    int lineHeight() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    // A turn over the editor's own scroll bars is a turn over the editor.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QsciCommand::Command pageCommandFor(int key) const;

    PageOptions m_pageOptions;
    bool m_wantTabs = true;
    HighlighterKind m_highlighter = HighlighterKind::None;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TWheelSynEdit::PageOptions)

class TWheelComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TWheelComboBox(QWidget *parent = nullptr);
    // Runs the wheel turn; the turn is always taken, so it never changes the item.
    MouseWheelHandler OnMouseWheel;

    // Editable as setEditable(true) makes it, but Qt's default completer (inline, case
    // ignored, over the box's items) is made when the box first takes the focus: making it is
    // most of the cost of an editable box, and a panel may hold hundreds of them.
    void makeEditable();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    bool m_completerPending = false;
};
