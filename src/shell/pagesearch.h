#pragma once
// The main window's side of the find dialog: a check box that widens the search to every
// element text of every component and to the HTML editor's text, the hits listed in the
// result window, and a chosen hit shown on its tab. It reaches the window only through a
// search host, so it runs without the main window too.
#include "searchresultformunit.h"
#include "searchutils.h"
#include "searchwindow.h"

#include <QObject>

#include <memory>

class QsciScintilla;
class TWQFFile;
class WindowHost;

// The dialog's extension for the page: search all components instead of the focused editor.
class TWQFSearchExtension : public TSearchExtension {
public:
    bool SearchInComp = false;
};

// What the page search asks of the main window.
class SearchHost {
public:
    virtual ~SearchHost() = default;
    // The open page; none while no page is open.
    virtual TWQFFile *searchPage() = 0;
    // The HTML editor's current text (not the page's stored HTML), as UTF-8.
    virtual QByteArray htmlEditorText() = 0;
    // Selects the Length bytes from the 0-based byte Start of that text in the HTML editor.
    virtual void selectHtmlText(qsizetype Start, qsizetype Length) = 0;
    // Activates "Pre process" for exactly "preproc", "Post process" for "postproc" and
    // "HTML" for "html"; any other name keeps the active tab.
    virtual void showSectionTab(const QString &sectionName) = 0;
    // Selects and shows the component of the active diagram by its name (exact, else the
    // first whose name contains it); nothing without an active diagram.
    virtual void SelectItemByName(const QString &Name) = 0;
    // The window the message box belongs to.
    virtual QWidget *messageParent() = 0;
};

// The search host of the main window: its page, the tabs that show it and the HTML editor
// among them.
class WidgetSearchHost : public SearchHost {
public:
    explicit WidgetSearchHost(WindowHost &Window) : m_window(Window) {}

    TWQFFile *searchPage() override;
    QByteArray htmlEditorText() override;
    void selectHtmlText(qsizetype Start, qsizetype Length) override;
    void showSectionTab(const QString &sectionName) override;
    void SelectItemByName(const QString &Name) override;
    QWidget *messageParent() override;

private:
    WindowHost &m_window;
};

// A text editor's text as UTF-8.
QByteArray editorTextBytes(const QsciScintilla *Editor);
// Selects the bytes [Start, Start + Length) of editorTextBytes in the editor, the caret at
// their end, scrolled into view.
void selectEditorBytes(QsciScintilla *Editor, qsizetype Start, qsizetype Length);
// When Target is a text editor: selects the next occurrence of Text after its caret, case
// only with CaseSensitive, whole words not required, no wrap; false when none is found or
// Target is no text editor.
bool findInTextEditor(QWidget *Target, const QString &Text, bool CaseSensitive);

// Every hit of the search text in Text, overlapping ones too, case as the options say,
// whole words not required; each hit's Position is one more than its own.
void SearchTextHits(const QString &sectionName, const TSearchOptions &options, const QByteArray &Text,
                    SearchResults &Results);
// The first hit in each element text of each component of the page, sections and
// components in their order; case and whole words as the options say.
void searchPageComponents(const TWQFFile &Page, const TSearchOptions &options, SearchResults &Results);

class PageSearch : public QObject {
    Q_OBJECT
public:
    explicit PageSearch(std::unique_ptr<SearchHost> Host, QObject *Parent = nullptr);
    ~PageSearch() override;

    // Search > "Find": the find dialog with the page's panel, for the focused control.
    void showFindDialog();
    // Search > "Find Next": the last Find's text in the focused text editor, case ignored.
    void FindNext(QWidget *focused);
    // Search > "Search Result": the result window with its last hits.
    void showLastResults();

    // The dialog's callbacks.
    void InitSearchPanel(TSearchForm *Sender, QWidget *Panel, std::unique_ptr<TSearchExtension> &Extension);
    void ReadSearchPanel(TSearchForm *Sender, QWidget *Panel, TSearchExtension *Extension);
    void DoFind(TSearchForm *Sender, QWidget *Target, const TSearchOptions &options);

    // Every hit of the open page: its components, then the HTML editor's text; nothing
    // while no page is open.
    void SearchAllComponents(const TSearchOptions &options, SearchResults &Results);
    // A chosen hit: its tab and component, or for an HTML hit the matched text selected.
    void SearchResultSelect(TSearchResultForm *Sender, const TSearchResult &result);
    void ShowSectionItem(const QString &sectionName, const QString &ItemName);

    SearchHost &Host() const { return *m_host; }

private:
    std::unique_ptr<SearchHost> m_host;
};
