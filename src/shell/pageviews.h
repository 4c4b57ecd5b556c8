#pragma once
// The tabs that show the open page, in the tab widget PageControl1: the two diagram tabs, then
// HTML, HTML-Table, HTML-UI (those two never show), WQF Info and XML Respond; with them the
// notes the diagrams show and the pictures they are drawn with. The views are built from the
// page when it is opened, reloaded or replaced, and let go of it before it is freed; which tab
// is in front decides the active diagram.
#include "model/commentrects.h"
#include "picturecache.h"

#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <span>

class DiagramTab;
class QTabWidget;
class QWidget;
class TGraphEditor;
class TImageGraphEditor;
class TextTabs;
struct DiagramSettings;
class WindowHost;

class PageViews : public QObject {
    Q_OBJECT
public:
    // Follows the window's open page from now on.
    explicit PageViews(WindowHost &window);
    ~PageViews() override;
    PageViews(const PageViews &) = delete;
    PageViews &operator=(const PageViews &) = delete;

    // The window lays it out, and owns it from then on.
    QTabWidget *tabWidget() const { return m_pages; }
    // In tab order; the tab widget owns them.
    std::span<DiagramTab *const> diagramTabs() const { return m_tabs; }
    TextTabs &textTabs() const { return *m_textTabs; }
    // The open page's notes, which its diagrams show.
    CommentRectList &notes() { return m_notes; }
    const CommentRectList &commentRects() const { return m_notes; }
    PictureCache &pictures() { return m_pictures; }

    // Builds every view from the open page; false, with a message and nothing built, when
    // the page lacks one of the two diagram sections.
    bool loadViews();
    // Frees both diagram editors and empties the notes, function name and flags without
    // writing into the page; frees the page too when freeDoc.
    void closeViews(bool freeDoc);
    // Frees the open page's notes.
    void clearCommentRects() { m_notes.clear(); }
    // The diagram editors' change (a move, a panel edit): the notes, which it may have moved
    // or edited, into the page.
    void editorChanged();

    // The diagram tab in front while a page is open; none on the other tabs and without a page.
    DiagramTab *activeDiagramTab() const;
    TGraphEditor *activeGraphEditor() const;
    // The editor of the section named exactly so; none for any other name or without a page.
    TImageGraphEditor *diagramEditor(const QString &section) const;
    // Selects and shows the component of the active diagram with that name, else the first
    // whose name contains it.
    void selectItemByName(const QString &name);
    // "preproc", "postproc", "html" or "notes" by the tab in front, else empty.
    QString currentSectionName() const;
    // Brings "Pre process" to the front for exactly "preproc", "Post process" for "postproc"
    // and "HTML" for "html"; any other name keeps the tab in front.
    void showSectionTab(const QString &sectionName);
    void showTab(QWidget *sheet);
    // The first tab, hidden ones counted, whose caption is exactly caption; "Pre process" when
    // none is, or when the match is a tab that never shows.
    void selectTabByCaption(const QString &caption);
    // The caption of the tab in front; empty without one.
    QString currentTabCaption() const;

private:
    // What the open page's signals do to the views.
    void pageOpened();
    void pageReloaded();
    void pageReplacing();
    void pageReplaced();
    DiagramSettings diagramSettings();

    WindowHost &m_window;
    // Declared before what shows them.
    CommentRectList m_notes;
    PictureCache m_pictures;
    QTabWidget *m_pages;
    std::array<DiagramTab *, 2> m_tabs;
    std::unique_ptr<TextTabs> m_textTabs;
};
