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
    // Selects the length bytes from the 0-based byte start of that text in the HTML editor.
    virtual void selectHtmlText(qsizetype start, qsizetype length) = 0;
    // Activates "Pre process" for exactly "preproc", "Post process" for "postproc" and
    // "HTML" for "html"; any other name keeps the active tab.
    virtual void showSectionTab(const QString &sectionName) = 0;
    // Selects and shows the component of the active diagram by its name (exact, else the
    // first whose name contains it); nothing without an active diagram.
    virtual void selectItemByName(const QString &name) = 0;
    // The window the message box belongs to.
    virtual QWidget *messageParent() = 0;
};

// The search host of the main window: its page, the tabs that show it and the HTML editor
// among them.
class WidgetSearchHost : public SearchHost {
public:
    explicit WidgetSearchHost(WindowHost &window) : m_window(window) {}

    TWQFFile *searchPage() override;
    QByteArray htmlEditorText() override;
    void selectHtmlText(qsizetype start, qsizetype length) override;
    void showSectionTab(const QString &sectionName) override;
    void selectItemByName(const QString &name) override;
    QWidget *messageParent() override;

private:
    WindowHost &m_window;
};

// A text editor's text as UTF-8.
QByteArray editorTextBytes(const QsciScintilla *editor);
// Selects the bytes [Start, start + Length) of editorTextBytes in the editor, the caret at
// their end, scrolled into view.
void selectEditorBytes(QsciScintilla *editor, qsizetype start, qsizetype length);
// When target is a text editor: selects the next occurrence of text after its caret, case
// only with caseSensitive, whole words not required, no wrap; false when none is found or
// Target is no text editor.
bool findInTextEditor(QWidget *target, const QString &text, bool caseSensitive);

// Every hit of the search text in text, overlapping ones too, case as the options say,
// whole words not required; each hit's Position is one more than its own.
void SearchTextHits(const QString &sectionName, const TSearchOptions &options, const QByteArray &text,
                    SearchResults &results);
// The first hit in each element text of each component of the page, sections and
// components in their order; case and whole words as the options say.
void searchPageComponents(const TWQFFile &page, const TSearchOptions &options, SearchResults &results);

class PageSearch : public QObject {
    Q_OBJECT
public:
    explicit PageSearch(std::unique_ptr<SearchHost> host, QObject *parent = nullptr);
    ~PageSearch() override;

    // Search > "Find": the find dialog with the page's panel, for the focused control.
    void showFindDialog();
    // Search > "Find Next": the last Find's text in the focused text editor, case ignored.
    void findNext(QWidget *focused);
    // Search > "Search Result": the result window with its last hits.
    void showLastResults();

    // The dialog's callbacks.
    void initSearchPanel(TSearchForm *sender, QWidget *panel, std::unique_ptr<TSearchExtension> &extension);
    void readSearchPanel(TSearchForm *sender, QWidget *panel, TSearchExtension *extension);
    void doFind(TSearchForm *sender, QWidget *target, const TSearchOptions &options);

    // Every hit of the open page: its components, then the HTML editor's text; nothing
    // while no page is open.
    void searchAllComponents(const TSearchOptions &options, SearchResults &results);
    // A chosen hit: its tab and component, or for an HTML hit the matched text selected.
    void searchResultSelect(TSearchResultForm *sender, const TSearchResult &result);
    void showSectionItem(const QString &sectionName, const QString &itemName);

    SearchHost &host() const { return *m_host; }

private:
    std::unique_ptr<SearchHost> m_host;
};
