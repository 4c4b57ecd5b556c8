#pragma once
// The tabs that show the page as text: "HTML" (the HTML and, below it, its script block),
// "WQF Info" (function name, the two flags, the notes without their note markers), "XML
// Respond", and the two that never show, "HTML-Table" and "HTML-UI". They are filled when a
// page's views are built; function name, flags and notes go into the page as they are edited,
// the HTML at save. Every edit makes the page modified, a typed HTML or script by the page's
// mark of a change its tree does not have yet; a fill from the page writes nothing back.
#include "model/commentrects.h"
#include "model/htmlcontrols.h"
#include "model/htmlparsingtree.h"

#include <QObject>
#include <QString>
#include <memory>

class OpenPage;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollBar;
class QSplitter;
class QTableWidget;
class QWidget;
class QsciLexerHTML;
class QsciScintilla;
class THTMLEditor;
class TImage;
class KeywordLexer;
class TWQFFile;

// Replaces an editor's text without running its change handler. Only the part that differs
// is rewritten, as one undo step, so the caret and the selection stay where they were; the
// first visible line and the horizontal scroll position are kept (as far as the new text
// reaches).
void SetEditorText(QsciScintilla *editor, const QString &text);

class TextTabs : public QObject {
    Q_OBJECT
public:
    // page and notes are the views'; the sheets are made here and taken over by the tab
    // widget.
    TextTabs(OpenPage &page, CommentRectList &notes);
    ~TextTabs() override;

    QWidget *htmlSheet() const { return m_htmlSheet; }
    QWidget *htmlTableSheet() const { return m_htmlTableSheet; }
    QWidget *htmlGraphSheet() const { return m_htmlGraphSheet; }
    QWidget *notesSheet() const { return m_notesSheet; }
    QWidget *respondSheet() const { return m_respondSheet; }

    // From the page, writing nothing back: the notes with their markers moved into the note
    // list, the HTML with CR LF line breaks and its script, the function name and the flags.
    void fill(const TWQFFile &page);
    // Empties notes, function name and flags without writing into the page; the HTML stays.
    void clear();
    // What lives only here, into the page at save: the HTML, the notes with their markers,
    // the function name.
    void writeInto(TWQFFile &page) const;
    // The notes text with a marker line for every note, into the open page's editor notes;
    // after every change of the notes text or of a note.
    void storeNotes();

    // Fills the HTML editor and, from its script block, the script editor.
    void setHtmlText(const QString &text);
    // Tab and Shift+Tab of the two HTML editors indent only together with Ctrl.
    void rebindTabKeys();

    // The HTML editor, whose text the page search reads and selects in.
    QsciScintilla *htmlEditor() const { return m_htmlEdit; }

    // Showing "HTML-Table" or "HTML-UI" (which never show in the window): the form controls
    // of the page's stored HTML into the HTML-UI view and the grid. Nothing without a page or
    // when the HTML gives no tree.
    void htmlTableShow();
    // The element tree of the HTML, built when a hidden tab needs it; none until then.
    const TMLTree *htmlTree() const { return m_htmlTree.get(); }
    const HTMLControlList &htmlControls() const { return m_htmlControls; }
    // The HTML-UI view; it lives as long as the tabs.
    const THTMLEditor *htmlUiEditor() const { return m_htmlUiEditor.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createHtmlSheet();
    QWidget *createHtmlGraphSheet();
    QWidget *createNotesSheet();
    void connectEditors();
    // The notes text with the notes' markers, as the page stores it.
    QString storedNotes() const;

    void htmlEditChange();
    void javaScriptMemoChange();
    void txtFuncNameChange();
    void chkNoHTTPPreChange();
    void chkNoHTTPPostChange();
    void editorNotesMemoChange();
    void reqListMemoChange();
    // Empties the HTML-UI view, then frees the controls: they point into the tree.
    void dropHtmlControls();
    void fillControlGrid();

    OpenPage &m_page;
    CommentRectList &m_notes;

    QWidget *m_htmlSheet;
    QsciScintilla *m_htmlEdit;
    QsciLexerHTML *m_htmlLexer;
    QSplitter *m_htmlSplitter;
    QsciScintilla *m_scriptEdit;
    KeywordLexer *m_scriptLexer;

    QWidget *m_htmlTableSheet;
    QTableWidget *m_controlGrid;

    QWidget *m_htmlGraphSheet;
    QWidget *m_htmlUiPanel;
    TImage *m_htmlUiImage;
    QScrollBar *m_htmlUiHorzScroll;
    QScrollBar *m_htmlUiVertScroll;
    QSplitter *m_htmlUiSplitter;
    QWidget *m_htmlUiSide;

    QWidget *m_notesSheet;
    QLabel *m_functionNameLabel;
    QLineEdit *m_functionName;
    QCheckBox *m_denyUrlCall;
    QCheckBox *m_denyAjaxCall;
    QLabel *m_notesLabel;
    QPlainTextEdit *m_notesEdit;

    QWidget *m_respondSheet;
    QsciScintilla *m_responseEdit;

    std::unique_ptr<TMLTree> m_htmlTree;
    HTMLControlList m_htmlControls;
    // Declared last: it shows the controls, so it goes before them.
    std::unique_ptr<THTMLEditor> m_htmlUiEditor;
};
