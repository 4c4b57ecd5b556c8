// The tabs that show the page and the life of its views.
#include "pageviews.h"

#include "diagramtab.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "editors/wqfmacros.h"
#include "formparts.h"
#include "globaloptions.h"
#include "openpage.h"
#include "platform/slotguard.h"
#include "texttabs.h"
#include "windowhost.h"

#include <QTabWidget>

PageViews::PageViews(WindowHost &window) : m_window(window), m_pages(named(new QTabWidget, "PageControl1"))
{
    OpenPage &page = window.page();
    for (int i = 0; i < int(m_tabs.size()); ++i) {
        DiagramTab *tab = new DiagramTab(i);
        m_tabs[size_t(i)] = tab;
        m_pages->addTab(tab, tab->caption());
        connect(tab, &DiagramTab::changed, this, guarded([this] { editorChanged(); }));
    }
    m_textTabs = std::make_unique<TextTabs>(page, m_notes);
    m_pages->addTab(m_textTabs->htmlSheet(), QStringLiteral("HTML"));
    const int tableIndex = m_pages->addTab(m_textTabs->htmlTableSheet(), QStringLiteral("HTML-Table"));
    const int graphIndex = m_pages->addTab(m_textTabs->htmlGraphSheet(), QStringLiteral("HTML-UI"));
    m_pages->addTab(m_textTabs->notesSheet(), QStringLiteral("WQF Info"));
    m_pages->addTab(m_textTabs->respondSheet(), QStringLiteral("XML Respond"));
    m_pages->setTabVisible(tableIndex, false);
    m_pages->setTabVisible(graphIndex, false);

    connect(&page, &OpenPage::opened, this, guarded([this] { pageOpened(); }));
    connect(&page, &OpenPage::aboutToClose, this, guarded([this] { closeViews(false); }));
    connect(&page, &OpenPage::reloaded, this, guarded([this] { pageReloaded(); }));
    connect(&page, &OpenPage::aboutToReplace, this, guarded([this] { pageReplacing(); }));
    connect(&page, &OpenPage::replaced, this, guarded([this] { pageReplaced(); }));
}

PageViews::~PageViews() = default;

// ---- building and letting go ----

void PageViews::pageOpened()
{
    clearCommentRects();
    loadViews();
    m_window.windowWidget()->update();
}

void PageViews::pageReloaded()
{
    closeViews(false);
    clearCommentRects();
    if (!loadViews()) {
        // Nothing may save the previous page's texts into the new content.
        closeViews(true);
        return;
    }
    m_window.windowWidget()->update();
}

void PageViews::pageReplacing()
{
    closeViews(false);
    clearCommentRects();
}

void PageViews::pageReplaced()
{
    loadViews();
    m_window.windowWidget()->update();
}

void PageViews::closeViews(bool freeDoc)
{
    for (DiagramTab *tab : m_tabs)
        tab->clear();
    m_textTabs->clear();
    if (freeDoc)
        m_window.page().close(false);
}

DiagramSettings PageViews::diagramSettings()
{
    const QWidget *window = m_window.windowWidget();
    DiagramSettings settings;
    settings.zoom = window->logicalDpiY() / 96.0;
    settings.screenDpi = screenDpiOf(window);
    settings.vertSplit = OptionStore().getIntDef(opt::VertSplit, opt::defaultVertSplit);
    settings.dstArrow = ParseArrowMode(OptionStore().GetString(opt::DstArrow));
    settings.getImage = [this](TWQFItem *item, const QString &kind) { return m_pictures.getItemImage(item, kind); };
    return settings;
}

bool PageViews::loadViews()
{
    OpenPage &page = m_window.page();
    TWQFFile *doc = page.document();
    std::array<TWQFSection *, 2> sections{};
    for (size_t i = 0; i < m_tabs.size(); ++i) {
        sections[i] = doc ? doc->FindSection(m_tabs[i]->section()) : nullptr;
        if (!sections[i]) {
            page.showMessage(diagramSections()[i].missingMessage);
            return false;
        }
    }
    m_textTabs->fill(*doc);
    for (TWQFSection *section : sections)
        ApplyMacros(section->Items(), QStringLiteral("macro:"));
    const DiagramSettings settings = diagramSettings();
    for (size_t i = 0; i < m_tabs.size(); ++i)
        m_tabs[i]->build(sections[i], &m_notes, settings);
    return true;
}

// The page's editor notes carry the notes.
void PageViews::editorChanged() { m_textTabs->storeNotes(); }

// ---- the tab in front ----

DiagramTab *PageViews::activeDiagramTab() const
{
    return m_window.page().document() ? diagramTabOfSheet(m_tabs, m_pages->currentWidget()) : nullptr;
}

TGraphEditor *PageViews::activeGraphEditor() const
{
    const DiagramTab *tab = activeDiagramTab();
    return tab ? tab->editor() : nullptr;
}

TImageGraphEditor *PageViews::diagramEditor(const QString &section) const
{
    const DiagramTab *tab = diagramTabOf(m_tabs, section);
    return tab ? tab->editor() : nullptr;
}

void PageViews::selectItemByName(const QString &name)
{
    TGraphEditor *editor = activeGraphEditor();
    auto *source = editor ? dynamic_cast<TWQFEditorSource *>(editor->Source()) : nullptr;
    if (!source || !source->Section())
        return;
    if (TWQFItem *item = FindItemFuzzy(source->Section()->Items(), name))
        editor->ShowItem(item);
}

QString PageViews::currentSectionName() const
{
    QWidget *page = m_pages->currentWidget();
    if (const DiagramTab *tab = diagramTabOfSheet(m_tabs, page))
        return tab->section();
    if (page == m_textTabs->htmlSheet())
        return QStringLiteral("html");
    if (page == m_textTabs->notesSheet())
        return QStringLiteral("notes");
    return QString();
}

void PageViews::showSectionTab(const QString &sectionName)
{
    if (DiagramTab *tab = diagramTabOf(m_tabs, sectionName))
        showTab(tab);
    else if (sectionName == u"html")
        showTab(m_textTabs->htmlSheet());
}

void PageViews::showTab(QWidget *sheet) { m_pages->setCurrentWidget(sheet); }

void PageViews::selectTabByCaption(const QString &caption)
{
    int index = 0;
    for (int i = 0; i < m_pages->count(); ++i)
        if (m_pages->tabText(i) == caption) {
            index = i;
            break;
        }
    // HTML-Table and HTML-UI never show, not even when the settings name them.
    if (!m_pages->isTabVisible(index))
        index = 0;
    m_pages->setCurrentIndex(index);
}

QString PageViews::currentTabCaption() const
{
    const int active = m_pages->currentIndex();
    return active >= 0 ? m_pages->tabText(active) : QString();
}
