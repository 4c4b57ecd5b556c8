// The HTML, script, page information and response tabs.
#include "texttabs.h"

#include "base/textutils.h"
#include "diagramtab.h"
#include "editors/codeeditors.h"
#include "editors/dynamicctrlutils.h"
#include "editors/htmleditors.h"
#include "editors/keywordlexer.h"
#include "editors/lclgrapheditor.h"
#include "formparts.h"
#include "model/requestlisttext.h"
#include "model/scriptcontainer.h"
#include "model/wqftypes.h"
#include "openpage.h"
#include "platform/slotguard.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The words of the script editor's highlighter.
const QStringList kScriptKeywords = {
    "ALERT", "BREAK", "CASE",   "CATCH",  "CONFIRM", "DEFAULT", "ELSE", "FALSE", "FOR", "FUNCTION", "IF",
    "IN",    "NEW",   "PROMPT", "RETURN", "SWITCH",  "THROW",   "TRUE", "TRY",   "VAR", "WHILE",
};
const QStringList kScriptConstants = {"NULL"};
const QStringList kScriptObjects = {
    "$",        "ARRAY", "COMMUNICATION", "CUSTOMSCRIPT", "DATE",   "DOCUMENT", "GLOBAL", "HISTORY",
    "LOCATION", "MATH",  "NAVIGATOR",     "NUMBER",       "REGEXP", "SCREEN",   "STRING", "WINDOW",
};

const QString kDenyUrl = QStringLiteral("DenyURLExecution");
const QString kDenyAjax = QStringLiteral("DenyAjaxExecution");

QWidget *namedWidget(const char *name) { return named(new QWidget, name); }

QVBoxLayout *bareVBox(QWidget *widget)
{
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

// The notes as typed: the memo's plain text would turn non-breaking blanks into blanks.
QString memoText(const QPlainTextEdit *memo)
{
    return memo->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// The editor's text as it holds it: UTF-8, or Latin-1 in single-byte mode.
QByteArray editorBytes(const QString &text, const QsciScintilla *editor)
{
    return editor->isUtf8() ? text.toUtf8() : text.toLatin1();
}

// One undo step of the editor, closed also when the edit inside raises.
class UndoStep {
public:
    explicit UndoStep(QsciScintilla *editor) : m_editor(editor)
    {
        m_editor->SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    }
    ~UndoStep() { m_editor->SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION); }
    UndoStep(const UndoStep &) = delete;
    UndoStep &operator=(const UndoStep &) = delete;

private:
    QsciScintilla *m_editor;
};

// The horizontal scroll position Column limited to the editor's text: no further than shows
// the end of its widest line. A position past every line would show an empty view.
long limitedXOffset(QsciScintilla *editor, long column)
{
    if (column <= 0)
        return 0;
    auto x = [editor](long position) {
        return long(editor->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position));
    };
    const long lines = editor->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
    const long textLeft = x(0) + editor->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET);
    const long textWidth = editor->viewport()->width() - textLeft;
    // One pixel more for the caret at the end of the widest line.
    long widest = 0;
    for (long line = 0; line < lines && widest < column + textWidth; ++line) {
        const long start = editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
        const long end = editor->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
        widest = std::max(widest, x(end) - x(start) + 1);
    }
    return std::clamp(widest - textWidth, 0L, column);
}
} // namespace

void SetEditorText(QsciScintilla *editor, const QString &text)
{
    const int line = editor->firstVisibleLine();
    const long column = editor->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET);
    const QByteArray now = editorBytes(editor->text(), editor);
    const QByteArray next = editorBytes(text, editor);
    // The differing middle, cut at whole characters.
    const qsizetype shorter = std::min(now.size(), next.size());
    qsizetype head = std::mismatch(now.cbegin(), now.cbegin() + shorter, next.cbegin()).first - now.cbegin();
    while (head > 0 && ((head < now.size() && isUtf8Continuation(now[head])) ||
                        (head < next.size() && isUtf8Continuation(next[head]))))
        --head;
    qsizetype tail = 0;
    while (tail < shorter - head && now[now.size() - 1 - tail] == next[next.size() - 1 - tail])
        ++tail;
    while (tail > 0 && isUtf8Continuation(now[now.size() - tail]))
        --tail;
    if (head == now.size() && head == next.size())
        return;
    const qsizetype oldEnd = now.size() - tail;
    // The editor keeps a caret at the end of the replaced part before the new text; it
    // belongs after it, as after typing.
    auto moved = [&](long position) { return position >= oldEnd ? long(position + next.size() - now.size()) : -1L; };
    const long caret = moved(editor->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
    const long anchor = moved(editor->SendScintilla(QsciScintillaBase::SCI_GETANCHOR));
    {
        const QSignalBlocker blocker(editor);
        const UndoStep step(editor);
        editor->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, uintptr_t(head), intptr_t(oldEnd));
        editor->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, uintptr_t(next.size() - tail - head),
                              next.constData() + head);
        if (anchor >= 0)
            editor->SendScintilla(QsciScintillaBase::SCI_SETANCHOR, uintptr_t(anchor));
        if (caret >= 0)
            editor->SendScintilla(QsciScintillaBase::SCI_SETCURRENTPOS, uintptr_t(caret));
    }
    editor->setFirstVisibleLine(line);
    editor->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, limitedXOffset(editor, column));
}

TextTabs::TextTabs(OpenPage &page, CommentRectList &notes) : m_page(page), m_notes(notes)
{
    m_htmlSheet = createHtmlSheet();
    m_htmlTableSheet = namedWidget("HtmlTable");
    m_controlGrid = named(new QTableWidget(m_htmlTableSheet), "ControlGrid");
    bareVBox(m_htmlTableSheet)->addWidget(m_controlGrid);
    m_htmlGraphSheet = createHtmlGraphSheet();
    m_notesSheet = createNotesSheet();
    m_respondSheet = namedWidget("TabSheet1");
    m_responseEdit = named(new QsciScintilla(m_respondSheet), "ReqListMemo");
    bareVBox(m_respondSheet)->addWidget(m_responseEdit);
    m_htmlUiEditor = std::make_unique<THTMLEditor>(m_htmlUiImage, m_htmlUiHorzScroll, m_htmlUiVertScroll,
                                                   std::make_unique<THTMLEditorSource>());
    connectEditors();
    m_htmlTableSheet->installEventFilter(this);
    m_htmlGraphSheet->installEventFilter(this);
}

TextTabs::~TextTabs()
{
    // The view goes first: it lists the controls, which point into the tree.
    m_htmlUiEditor.reset();
}

QWidget *TextTabs::createHtmlSheet()
{
    auto *sheet = namedWidget("HtmlSheet");
    m_htmlEdit = named(new QsciScintilla, "htmlEdit");
    m_htmlLexer = named(new QsciLexerHTML(m_htmlEdit), "SynHTMLSyn1");
    m_htmlLexer->setDefaultFont(fixedFont());
    m_htmlLexer->setFont(fixedFont());
    m_htmlEdit->setLexer(m_htmlLexer);

    m_scriptEdit = named(new QsciScintilla, "JavaScriptMemo");
    m_scriptLexer = named(new KeywordLexer(m_scriptEdit), "SynAnySyn1");
    m_scriptLexer->scanner().setWords(kScriptKeywords, kScriptConstants, kScriptObjects);
    m_scriptLexer->setDefaultFont(fixedFont());
    m_scriptEdit->setLexer(m_scriptLexer);
    m_scriptEdit->setMarginType(0, QsciScintilla::NumberMargin);
    m_scriptEdit->setMarginLineNumbers(0, true);
    m_scriptEdit->setMarginWidth(0, QStringLiteral("00000"));

    m_htmlSplitter = named(new QSplitter(Qt::Vertical, sheet), "Splitter1");
    m_htmlSplitter->addWidget(m_htmlEdit);
    m_htmlSplitter->addWidget(m_scriptEdit);
    m_htmlSplitter->setStretchFactor(0, 1);
    m_htmlSplitter->setStretchFactor(1, 0);
    m_htmlSplitter->setSizes({mainDesignHeight - 150, 150});
    bareVBox(sheet)->addWidget(m_htmlSplitter);
    return sheet;
}

QWidget *TextTabs::createHtmlGraphSheet()
{
    auto *sheet = namedWidget("HtmlGraph");
    m_htmlUiPanel = namedWidget("HTMLPanel");
    m_htmlUiImage = named(new TImage(m_htmlUiPanel), "HTMLImage");
    m_htmlUiHorzScroll = named(new QScrollBar(Qt::Horizontal, m_htmlUiPanel), "HTMLHorzScroll");
    m_htmlUiVertScroll = named(new QScrollBar(Qt::Vertical, m_htmlUiPanel), "HTMLVertScroll");
    layoutDiagramPlace(m_htmlUiPanel, m_htmlUiImage, m_htmlUiHorzScroll, m_htmlUiVertScroll);
    m_htmlUiSide = namedWidget("Panel3");
    m_htmlUiSplitter = named(new QSplitter(Qt::Horizontal, sheet), "Splitter4");
    m_htmlUiSplitter->addWidget(m_htmlUiPanel);
    m_htmlUiSplitter->addWidget(m_htmlUiSide);
    // The view takes the room, as a diagram does beside its property panel.
    m_htmlUiSplitter->setStretchFactor(0, 1);
    m_htmlUiSplitter->setStretchFactor(1, 0);
    m_htmlUiSplitter->setSizes({mainDesignWidth - 260, 260});
    bareVBox(sheet)->addWidget(m_htmlUiSplitter);
    return sheet;
}

QWidget *TextTabs::createNotesSheet()
{
    auto *sheet = namedWidget("NotesSheet");
    m_functionNameLabel = named(new QLabel(QStringLiteral("Function Name"), sheet), "lblFuncName");
    m_functionName = named(new QLineEdit(sheet), "txtFuncName");
    m_functionNameLabel->setBuddy(m_functionName);
    m_denyUrlCall =
        named(new QCheckBox(QStringLiteral("Do not allow the page to be called via HTTP call"), sheet), "chkNoHTTPPre");
    m_denyAjaxCall = named(
        new QCheckBox(
            QStringLiteral("Do not allow the page to be called with X-Requested-With=XMLHttpRequest parameter"), sheet),
        "chkNoHTTPPost");
    m_notesLabel = named(new QLabel(QStringLiteral("Editor Notes"), sheet), "lblEditorNotes");
    m_notesEdit = named(new QPlainTextEdit(sheet), "EditorNotesMemo");
    m_notesLabel->setBuddy(m_notesEdit);

    auto *layout = new QVBoxLayout(sheet);
    layout->addWidget(m_functionNameLabel);
    layout->addWidget(m_functionName);
    layout->addWidget(m_denyUrlCall);
    layout->addWidget(m_denyAjaxCall);
    layout->addWidget(m_notesLabel);
    layout->addWidget(m_notesEdit, 1);
    return sheet;
}

void TextTabs::connectEditors()
{
    for (QsciScintilla *editor : {m_htmlEdit, m_scriptEdit, m_responseEdit}) {
        releaseMenuKeys(editor);
        // Typed line breaks are CR LF like those of the page's text.
        editor->setEolMode(QsciScintilla::EolWindows);
    }
    connect(m_htmlEdit, &QsciScintilla::textChanged, this, guarded([this] { htmlEditChange(); }));
    connect(m_scriptEdit, &QsciScintilla::textChanged, this, guarded([this] { javaScriptMemoChange(); }));
    connect(m_functionName, &QLineEdit::textChanged, this, guarded([this] { txtFuncNameChange(); }));
    connect(m_denyUrlCall, &QCheckBox::toggled, this, guarded([this] { chkNoHTTPPreChange(); }));
    connect(m_denyAjaxCall, &QCheckBox::toggled, this, guarded([this] { chkNoHTTPPostChange(); }));
    connect(m_notesEdit, &QPlainTextEdit::textChanged, this, guarded([this] { editorNotesMemoChange(); }));
    // The editor refuses changes to its own text while it reports one: the conversion runs
    // right after.
    connect(m_responseEdit, &QsciScintilla::textChanged, this, guarded([this] { reqListMemoChange(); }),
            Qt::QueuedConnection);
}

void TextTabs::rebindTabKeys()
{
    RebindTabKeys(m_htmlEdit);
    RebindTabKeys(m_scriptEdit);
}

void TextTabs::fill(const TWQFFile &page)
{
    const QString notes = ExtractCommentRects(page.GetEditorNotes(), m_notes);
    {
        const QSignalBlocker blocker(m_notesEdit);
        m_notesEdit->setPlainText(notes);
    }
    setHtmlText(page.GetHtml().replace(u'\n', QStringLiteral("\r\n")));
    const QSignalBlocker name(m_functionName), url(m_denyUrlCall), ajax(m_denyAjaxCall);
    m_functionName->setText(page.GetFunctionName());
    m_denyAjaxCall->setChecked(page.GetFlag(kDenyAjax));
    m_denyUrlCall->setChecked(page.GetFlag(kDenyUrl));
}

void TextTabs::clear()
{
    const QSignalBlocker notes(m_notesEdit), name(m_functionName), url(m_denyUrlCall), ajax(m_denyAjaxCall);
    m_notesEdit->clear();
    m_functionName->clear();
    m_denyUrlCall->setChecked(false);
    m_denyAjaxCall->setChecked(false);
}

void TextTabs::writeInto(TWQFFile &page) const
{
    page.SetHtml(m_htmlEdit->text());
    page.SetEditorNotes(storedNotes());
    page.SetFunctionName(m_functionName->text());
}

QString TextTabs::storedNotes() const { return WriteCommentRects(memoText(m_notesEdit), m_notes); }

void TextTabs::storeNotes()
{
    if (TWQFFile *page = m_page.document())
        page->SetEditorNotes(storedNotes());
}

void TextTabs::setHtmlText(const QString &text)
{
    {
        const QSignalBlocker blocker(m_htmlEdit);
        m_htmlEdit->setText(text);
    }
    SetEditorText(m_scriptEdit, scriptOfHtml(text));
    // Undoing past the fill would bring back the previous page's script into this HTML.
    m_scriptEdit->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    dropHtmlControls();
    m_htmlTree.reset();
}

void TextTabs::htmlEditChange()
{
    // The HTML reaches the page only at the next save.
    m_page.setModified(true);
    SetEditorText(m_scriptEdit, scriptOfHtml(m_htmlEdit->text()));
}

void TextTabs::javaScriptMemoChange()
{
    // Held here, as the HTML it goes into is.
    m_page.setModified(true);
    if (const std::optional<QString> html = htmlWithScript(m_htmlEdit->text(), m_scriptEdit->text()))
        SetEditorText(m_htmlEdit, *html);
}

void TextTabs::txtFuncNameChange()
{
    if (TWQFFile *page = m_page.document())
        page->SetFunctionName(m_functionName->text());
}

void TextTabs::chkNoHTTPPreChange()
{
    if (TWQFFile *page = m_page.document())
        page->SetFlag(kDenyUrl, m_denyUrlCall->isChecked());
}

void TextTabs::chkNoHTTPPostChange()
{
    if (TWQFFile *page = m_page.document())
        page->SetFlag(kDenyAjax, m_denyAjaxCall->isChecked());
}

void TextTabs::editorNotesMemoChange() { storeNotes(); }

void TextTabs::reqListMemoChange()
{
    // The text as lines each ended by a line break, the last one too, unless there are none;
    // the lines come back joined, so a finished line stays finished.
    const QString text = m_responseEdit->text();
    QStringList lines;
    if (!FillRequestList(text.isEmpty() ? text : text + QStringLiteral("\r\n"), &lines))
        return;
    SetEditorText(m_responseEdit, lines.join(QStringLiteral("\r\n")));
}

bool TextTabs::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && (watched == m_htmlTableSheet || watched == m_htmlGraphSheet))
        runGuarded([this] { htmlTableShow(); });
    return QObject::eventFilter(watched, event);
}

void TextTabs::dropHtmlControls()
{
    if (m_htmlControls.empty())
        return;
    auto &source = static_cast<THTMLEditorSource &>(*m_htmlUiEditor->Source());
    source.SetControls({});
    m_htmlUiEditor->Rebuild();
    m_htmlControls.clear();
}

void TextTabs::htmlTableShow()
{
    const TWQFFile *page = m_page.document();
    if (!page)
        return;
    if (!m_htmlTree)
        m_htmlTree = ParseHTML(page->GetHtml());
    if (!m_htmlTree)
        return;
    dropHtmlControls();
    BuildControls(m_htmlTree.get(), m_htmlControls);
    LayoutControls(m_htmlControls);
    auto &source = static_cast<THTMLEditorSource &>(*m_htmlUiEditor->Source());
    source.SetControls(m_htmlControls);
    m_htmlUiEditor->Rebuild();
    // Room for every box, nothing beyond.
    Point extent{0, 0};
    for (int i = 0; i < m_htmlUiEditor->ItemCount(); ++i) {
        const Rect &r = m_htmlUiEditor->Items(i)->Rect;
        extent.x = std::max(extent.x, r.Right);
        extent.y = std::max(extent.y, r.Bottom);
    }
    m_htmlUiEditor->SetGraphSize(extent);
    fillControlGrid();
}

void TextTabs::fillControlGrid()
{
    QStringList columns{QStringLiteral("Control")};
    for (const auto &control : m_htmlControls) {
        StringList types;
        control->GetPropertyTypes(types);
        for (qsizetype i = 0; i < types.count(); ++i)
            if (const QString name = types.name(i); !columns.contains(name))
                columns << name;
    }
    m_controlGrid->clear();
    m_controlGrid->setColumnCount(int(columns.size()));
    m_controlGrid->setRowCount(std::max(2, int(m_htmlControls.size()) + 1));
    auto put = [this](int row, int column, const QString &text) {
        m_controlGrid->setItem(row, column, new QTableWidgetItem(text));
    };
    for (int column = 0; column < int(columns.size()); ++column)
        put(0, column, columns[column]);
    for (int row = 0; row < int(m_htmlControls.size()); ++row) {
        const THTMLControl &control = *m_htmlControls[size_t(row)];
        put(row + 1, 0, control.DisplayName());
        for (int column = 1; column < int(columns.size()); ++column)
            put(row + 1, column, control.GetPropertyValue(columns[column]));
    }
}
