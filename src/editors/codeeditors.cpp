// The QScintilla code editor and its font scaling.
#include "codeeditors.h"

#include "base/textutils.h"
#include "keywordlexer.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexer.h>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexerjavascript.h>
#include <Qsci/qscilexerpascal.h>
#include <Qsci/qscilexersql.h>

#include <QAbstractScrollArea>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <initializer_list>

namespace {
int countPresent(const QString &lower, std::initializer_list<const char *> needles)
{
    int n = 0;
    for (const char *needle : needles)
        if (lower.contains(QLatin1String(needle)))
            ++n;
    return n;
}

constexpr QsciCommand::Command kPageCommands[] = {
    QsciCommand::PageUp,         QsciCommand::PageDown,         QsciCommand::PageUpExtend,
    QsciCommand::PageDownExtend, QsciCommand::PageUpRectExtend, QsciCommand::PageDownRectExtend,
};

// The shortcuts of the main window's menu, its queued Tools entries ("SQL test params" Ctrl+L,
// "Preferences" Ctrl+P) included; copy and paste are left out on purpose.
const QKeyCombination kMenuKeys[] = {
    Qt::CTRL | Qt::Key_O,           Qt::CTRL | Qt::Key_S,  Qt::CTRL | Qt::SHIFT | Qt::Key_S,
    Qt::ALT | Qt::Key_F4,           Qt::CTRL | Qt::Key_F,  Qt::Key_F3,
    Qt::CTRL | Qt::ALT | Qt::Key_F, Qt::CTRL | Qt::Key_F9, Qt::CTRL | Qt::Key_T,
    Qt::CTRL | Qt::Key_Q,           Qt::CTRL | Qt::Key_L,  Qt::CTRL | Qt::Key_P,
};

bool isMenuKey(int key)
{
    return key != 0 && std::find(std::begin(kMenuKeys), std::end(kMenuKeys), QKeyCombination::fromCombined(key)) !=
                           std::end(kMenuKeys);
}

bool pagesUp(QsciCommand::Command command)
{
    return command == QsciCommand::PageUp || command == QsciCommand::PageUpExtend ||
           command == QsciCommand::PageUpRectExtend;
}

} // namespace

int visibleHeightOf(const QWidget *container)
{
    if (!container)
        return 0;
    if (const QWidget *viewport = container->parentWidget())
        if (auto *area = qobject_cast<const QAbstractScrollArea *>(viewport->parentWidget()))
            if (area->viewport() == viewport)
                return viewport->height();
    return container->contentsRect().height();
}

HighlighterKind GuessHighlighter(const QString &text)
{
    const QString lower = lowerCaseAscii(text);
    const int pascal = countPresent(lower, {"begin", "var", ":="});
    const int sql = countPresent(lower, {"select", "insert", "update", "from", "where"});
    const int html = countPresent(lower, {"<div>", "<a>", "<table>"});
    if (pascal > 0 && pascal >= sql && pascal >= html)
        return HighlighterKind::Pascal;
    if (sql > 0 && sql >= html)
        return HighlighterKind::SQL;
    if (html > 0)
        return HighlighterKind::HTML;
    return HighlighterKind::None;
}

QsciLexer *newHighlighterLexer(HighlighterKind kind, QObject *parent)
{
    switch (kind) {
    case HighlighterKind::Pascal:
        return new QsciLexerPascal(parent);
    case HighlighterKind::SQL:
        return new QsciLexerSQL(parent);
    case HighlighterKind::HTML:
        return new QsciLexerHTML(parent);
    case HighlighterKind::JavaScript:
        return new QsciLexerJavaScript(parent);
    case HighlighterKind::Keywords:
        return new KeywordLexer(parent);
    case HighlighterKind::None:
        break;
    }
    return nullptr;
}

void RebindTabKeys(QsciScintilla *editor)
{
    if (!editor)
        return;
    QsciCommandSet *commands = editor->standardCommands();
    if (QsciCommand *tab = commands->find(QsciCommand::Tab)) {
        tab->setKey(QKeyCombination(Qt::CTRL, Qt::Key_Tab).toCombined());
        tab->setAlternateKey(0);
    }
    if (QsciCommand *backtab = commands->find(QsciCommand::Backtab)) {
        backtab->setKey(QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Tab).toCombined());
        backtab->setAlternateKey(0);
    }
}

void releaseMenuKeys(QsciScintilla *editor)
{
    if (!editor)
        return;
    for (QsciCommand *command : editor->standardCommands()->commands()) {
        if (isMenuKey(command->key()))
            command->setKey(0);
        if (isMenuKey(command->alternateKey()))
            command->setAlternateKey(0);
    }
}

QFont scaleFontToDpi(QFont font, int dpi)
{
    if (dpi > 96)
        font.setStyleStrategy(QFont::PreferDefault);
    if (dpi != 96 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    return font;
}

void ScaleSynEditToDpi(QsciScintilla *editor)
{
    if (!editor)
        return;
    const int dpi = editor->logicalDpiY();
    editor->setFont(scaleFontToDpi(editor->font(), dpi));
    QsciLexer *lexer = editor->lexer();
    if (!lexer)
        return;
    lexer->setDefaultFont(scaleFontToDpi(lexer->defaultFont(), dpi));
    for (int style = 0; style <= QsciScintillaBase::STYLE_MAX; ++style)
        if (!lexer->description(style).isEmpty())
            lexer->setFont(scaleFontToDpi(lexer->font(style), dpi), style);
}

void ScaleEditorFonts(QWidget *control)
{
    if (!control)
        return;
    for (QObject *child : control->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget)
            continue;
        if (auto *editor = qobject_cast<QsciScintilla *>(widget))
            ScaleSynEditToDpi(editor);
        else
            ScaleEditorFonts(widget);
    }
}

// ---- TWheelSynEdit ----

TWheelSynEdit::TWheelSynEdit(QWidget *parent) : QsciScintilla(parent)
{
    ScaleSynEditToDpi(this);
    releaseMenuKeys(this);
    horizontalScrollBar()->installEventFilter(this);
    verticalScrollBar()->installEventFilter(this);
}

bool TWheelSynEdit::eventFilter(QObject *watched, QEvent *event)
{
    auto *bar = qobject_cast<QScrollBar *>(watched);
    if (event->type() != QEvent::Wheel || !bar || (bar != horizontalScrollBar() && bar != verticalScrollBar()))
        return QsciScintilla::eventFilter(watched, event);
    auto *turn = static_cast<QWheelEvent *>(event);
    const QPointF at = bar->mapTo(this, turn->position().toPoint());
    QWheelEvent here(at, turn->globalPosition(), turn->pixelDelta(), turn->angleDelta(), turn->buttons(),
                     turn->modifiers(), turn->phase(), turn->inverted(), turn->source());
    wheelEvent(&here);
    // Never the bar's own scrolling: a turn the handler did not take goes on to the parents.
    event->setAccepted(here.isAccepted());
    return true;
}

void TWheelSynEdit::setHighlighter(HighlighterKind kind)
{
    if (kind == m_highlighter)
        return;
    QsciLexer *old = lexer();
    m_highlighter = kind;
    setLexer(newHighlighterLexer(kind, this));
    delete old;
    ScaleSynEditToDpi(this);
}

int TWheelSynEdit::lineHeight() const
{
    return int(const_cast<TWheelSynEdit *>(this)->SendScintilla(SCI_TEXTHEIGHT, 0));
}

int TWheelSynEdit::pageLines() const
{
    const int height = lineHeight();
    int n = height > 0 ? visibleHeightOf(parentWidget()) / height : 0;
    if (n <= 0)
        n = 1;
    if (m_pageOptions & HalfPageScroll)
        n /= 2;
    if (m_pageOptions & ScrollByOneLess)
        n -= 1;
    return std::max(n, 1);
}

bool TWheelSynEdit::executePageCommand(QsciCommand::Command command)
{
    if (std::find(std::begin(kPageCommands), std::end(kPageCommands), command) == std::end(kPageCommands))
        return false;
    int n = pageLines();
    if (pagesUp(command))
        n = -n;
    setFirstVisibleLine(std::max(0, firstVisibleLine() + n));
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    setCursorPosition(std::clamp(line + n, 0, std::max(0, lines() - 1)), index);
    return true;
}

QsciCommand::Command TWheelSynEdit::pageCommandFor(int key) const
{
    QsciCommandSet *commands = const_cast<TWheelSynEdit *>(this)->standardCommands();
    for (QsciCommand::Command command : kPageCommands)
        if (QsciCommand *c = commands->find(command))
            if (key != 0 && (c->key() == key || c->alternateKey() == key))
                return command;
    return QsciCommand::Command(0);
}

void TWheelSynEdit::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = QKeyCombination(modifiers, Qt::Key(event->key())).toCombined();
    if (const QsciCommand::Command command = pageCommandFor(key); command != QsciCommand::Command(0)) {
        executePageCommand(command);
        event->accept();
        return;
    }
    QsciScintilla::keyPressEvent(event);
}

void TWheelSynEdit::wheelEvent(QWheelEvent *event)
{
    bool handled = false;
    if (OnMouseWheel) {
        const Qt::KeyboardModifiers shift = event->modifiers() & ~Qt::KeypadModifier;
        OnMouseWheel(this, shift, event->angleDelta().y(), event->position().toPoint(), handled);
    }
    // An unhandled turn goes on to the parents; the editor itself never scrolls on it.
    event->setAccepted(handled);
}

bool TWheelSynEdit::focusNextPrevChild(bool next)
{
    if (!m_wantTabs)
        return QAbstractScrollArea::focusNextPrevChild(next);
    return QsciScintilla::focusNextPrevChild(next);
}

// ---- TWheelComboBox ----

TWheelComboBox::TWheelComboBox(QWidget *parent) : QComboBox(parent) {}

namespace {
// The completer that keeps editable boxes from making their own until they take the focus.
// One serves every box: it never completes, and it is never given the focus. It goes with the
// application.
QCompleter *standInCompleter()
{
    static QPointer<QCompleter> standIn;
    if (!standIn) {
        standIn = new QCompleter(QCoreApplication::instance());
        standIn->setCompletionMode(QCompleter::InlineCompletion);
    }
    return standIn;
}
} // namespace

void TWheelComboBox::makeEditable()
{
    if (isEditable())
        return;
    auto *edit = new QLineEdit(this);
    edit->setPalette(palette());
    // A line edit that has a completer keeps the box from making its default one.
    edit->setCompleter(standInCompleter());
    m_completerPending = true;
    setLineEdit(edit);
}

void TWheelComboBox::focusInEvent(QFocusEvent *event)
{
    if (m_completerPending && lineEdit() && lineEdit()->completer() == standInCompleter()) {
        // The completer the box makes for itself when it becomes editable.
        auto *completer = new QCompleter(model(), lineEdit());
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setCompletionMode(QCompleter::InlineCompletion);
        completer->setCompletionColumn(modelColumn());
        setCompleter(completer);
    }
    m_completerPending = false;
    QComboBox::focusInEvent(event);
}

void TWheelComboBox::wheelEvent(QWheelEvent *event)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, event->modifiers() & ~Qt::KeypadModifier, event->angleDelta().y(),
                     event->position().toPoint(), handled);
    event->accept();
}
