#include "texttabs.h"

#include "diagramtab.h"
#include "editors/dynamicctrlutils.h"
#include "editors/keywordlexer.h"
#include "editors/lclgrapheditor.h"
#include "mainform.h"
#include "model/scriptcontainer.h"
#include "model/wqftypes.h"
#include "openpage.h"
#include "platform/slotguard.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

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

template <class T> T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

QWidget *namedWidget(const char *name) { return named(new QWidget, name); }

QVBoxLayout *bareVBox(QWidget *widget)
{
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

QFont fixedFont()
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

// The notes as typed: the memo's plain text would turn non-breaking blanks into blanks.
QString memoText(const QPlainTextEdit *memo)
{
    return memo->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}
} // namespace

void SetEditorText(QsciScintilla *Editor, const QString &Text)
{
    const int line = Editor->firstVisibleLine();
    const long column = Editor->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET);
    {
        const QSignalBlocker blocker(Editor);
        Editor->setText(Text);
    }
    Editor->setFirstVisibleLine(line);
    Editor->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, column);
}

TextTabs::TextTabs(OpenPage &page, TCommentRectList &notes) : m_page(page), m_notes(notes)
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
    connectEditors();
}

TextTabs::~TextTabs() = default;

QWidget *TextTabs::createHtmlSheet()
{
    auto *sheet = namedWidget("HtmlSheet");
    m_htmlEdit = named(new QsciScintilla, "htmlEdit");
    m_htmlLexer = named(new QsciLexerHTML(m_htmlEdit), "SynHTMLSyn1");
    m_htmlLexer->setDefaultFont(fixedFont());
    m_htmlLexer->setFont(fixedFont());
    m_htmlEdit->setLexer(m_htmlLexer);

    m_scriptEdit = named(new QsciScintilla, "JavaScriptMemo");
    m_scriptLexer = named(new TKeywordLexer(m_scriptEdit), "SynAnySyn1");
    m_scriptLexer->Scanner().SetWords(kScriptKeywords, kScriptConstants, kScriptObjects);
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
    m_htmlSplitter->setSizes({TMainFrm::DesignHeight - 150, 150});
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
    // Typed line breaks are CR LF like those of the page's text.
    m_htmlEdit->setEolMode(QsciScintilla::EolWindows);
    m_scriptEdit->setEolMode(QsciScintilla::EolWindows);
    connect(m_htmlEdit, &QsciScintilla::textChanged, this, guarded([this] { htmlEditChange(); }));
    connect(m_scriptEdit, &QsciScintilla::textChanged, this, guarded([this] { JavaScriptMemoChange(); }));
    connect(m_functionName, &QLineEdit::textChanged, this, guarded([this] { txtFuncNameChange(); }));
    connect(m_denyUrlCall, &QCheckBox::toggled, this, guarded([this] { chkNoHTTPPreChange(); }));
    connect(m_denyAjaxCall, &QCheckBox::toggled, this, guarded([this] { chkNoHTTPPostChange(); }));
    connect(m_notesEdit, &QPlainTextEdit::textChanged, this, guarded([this] { EditorNotesMemoChange(); }));
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
    SetHtmlText(page.GetHtml().replace(u'\n', QStringLiteral("\r\n")));
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

void TextTabs::SetHtmlText(const QString &Text)
{
    {
        const QSignalBlocker blocker(m_htmlEdit);
        m_htmlEdit->setText(Text);
    }
    SetEditorText(m_scriptEdit, scriptOfHtml(Text));
    m_htmlTree.reset();
}

void TextTabs::htmlEditChange()
{
    m_page.setModified(true);
    SetEditorText(m_scriptEdit, scriptOfHtml(m_htmlEdit->text()));
}

void TextTabs::JavaScriptMemoChange()
{
    m_page.setModified(true);
    if (const std::optional<QString> html = htmlWithScript(m_htmlEdit->text(), m_scriptEdit->text()))
        SetEditorText(m_htmlEdit, *html);
}

void TextTabs::txtFuncNameChange()
{
    if (TWQFFile *page = m_page.document())
        page->SetFunctionName(m_functionName->text());
    m_page.setModified(true);
}

void TextTabs::chkNoHTTPPreChange()
{
    if (TWQFFile *page = m_page.document())
        page->SetFlag(kDenyUrl, m_denyUrlCall->isChecked());
    m_page.setModified(true);
}

void TextTabs::chkNoHTTPPostChange()
{
    if (TWQFFile *page = m_page.document())
        page->SetFlag(kDenyAjax, m_denyAjaxCall->isChecked());
    m_page.setModified(true);
}

void TextTabs::EditorNotesMemoChange()
{
    TWQFFile *page = m_page.document();
    if (!page)
        return;
    m_page.setModified(true);
    storeNotes();
}
