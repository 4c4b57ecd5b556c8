// The window's side of Find.
#include "pagesearch.h"

#include "base/textutils.h"
#include "model/wqftypes.h"
#include "openpage.h"
#include "pageviews.h"
#include "platform/prompter.h"
#include "texttabs.h"
#include "windowhost.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QCheckBox>
#include <QPointer>

#include <algorithm>

TWQFFile *WidgetSearchHost::searchPage() { return m_window.page().document(); }

QByteArray WidgetSearchHost::htmlEditorText() { return editorTextBytes(m_window.views().textTabs().htmlEditor()); }

void WidgetSearchHost::selectHtmlText(qsizetype start, qsizetype length)
{
    selectEditorBytes(m_window.views().textTabs().htmlEditor(), start, length);
}

void WidgetSearchHost::showSectionTab(const QString &sectionName) { m_window.views().showSectionTab(sectionName); }

void WidgetSearchHost::selectItemByName(const QString &name) { m_window.views().selectItemByName(name); }

QWidget *WidgetSearchHost::messageParent() { return m_window.windowWidget(); }

QByteArray editorTextBytes(const QsciScintilla *editor)
{
    if (!editor)
        return QByteArray();
    if (!editor->isUtf8())
        return editor->text().toUtf8();
    // The editor holds the text as UTF-8 already: one copy, no decoding.
    const auto length = qsizetype(editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    const auto *bytes =
        reinterpret_cast<const char *>(editor->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return bytes ? QByteArray(bytes, length) : QByteArray();
}

void selectEditorBytes(QsciScintilla *editor, qsizetype start, qsizetype length)
{
    if (!editor)
        return;
    qsizetype from = std::max<qsizetype>(start, 0);
    qsizetype to = std::max(from, from + length);
    if (!editor->isUtf8()) {
        // A single-byte editor counts characters: convert the byte positions once.
        const QByteArray bytes = editorTextBytes(editor);
        from = std::min(from, bytes.size());
        to = std::min(to, bytes.size());
        const qsizetype fromChars = QString::fromUtf8(bytes.constData(), from).size();
        to = fromChars + QString::fromUtf8(bytes.constData() + from, to - from).size();
        from = fromChars;
    }
    const auto editorLength = qsizetype(editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    from = std::min(from, editorLength);
    to = std::min(to, editorLength);
    editor->SendScintilla(QsciScintillaBase::SCI_SETSEL, uintptr_t(from), intptr_t(to));
}

bool findInTextEditor(QWidget *target, const QString &text, bool caseSensitive)
{
    auto *editor = qobject_cast<QsciScintilla *>(target);
    if (!editor || text.isEmpty())
        return false;
    // Forward from the caret, no regular expression, no whole words, no wrap; the hit is
    // selected and shown.
    return editor->findFirst(text, false, caseSensitive, false, false, true, -1, -1, true);
}

namespace {
QByteArray searchPattern(const TSearchOptions &options)
{
    const QByteArray pattern = options.SearchText.toUtf8();
    return options.CaseSensitive ? pattern : upperCaseAsciiBytes(pattern);
}

std::string_view bytesOf(const QByteArray &bytes) { return std::string_view(bytes.constData(), size_t(bytes.size())); }

// The element texts of a component as GetItemTexts lists them, in its order, without
// building its lines: a key is made only for a hit. Keys are an element's name and its
// running number among the elements of that name; a name ending in a digit can make two
// keys alike, which GetItemTexts merges into one line, so such a component goes through
// GetItemTexts itself.
class ItemTextWalk {
public:
    // Visit(key maker, text) for every non-empty text.
    template <class Visit> void run(const TWQFItem *item, Visit &&visit)
    {
        if (!item || !item->Node())
            return;
        m_nodes.clear();
        m_nodes.push_back(item->Node());
        bool digitAtEnd = false;
        for (size_t i = 0; i < m_nodes.size(); ++i) {
            const QString &name = m_nodes[i]->name();
            digitAtEnd = digitAtEnd || (!name.isEmpty() && name.back() >= u'0' && name.back() <= u'9');
            for (const auto &child : m_nodes[i]->childNodes())
                if (child->isElement())
                    m_nodes.push_back(child.get());
        }
        if (digitAtEnd) {
            StringList lines;
            GetItemTexts(item, lines);
            for (qsizetype i = 0; i < lines.count(); ++i)
                visit([&] { return lines.name(i); }, lines.valueFromIndex(i));
            return;
        }
        m_counters.clear();
        for (const XmlNode *node : m_nodes) {
            const int occurrence = next(node->name());
            const QString text = NodeText(node);
            if (!text.isEmpty())
                visit([&] { return node->name() + QString::number(occurrence); }, text);
        }
    }

private:
    // The name's running number, names compared without ASCII case.
    int next(const QString &name)
    {
        for (auto &[known, count] : m_counters)
            if (known->size() == name.size() && (known == &name || sameTextAscii(*known, name)))
                return count++;
        m_counters.emplace_back(&name, 1);
        return 0;
    }

    std::vector<const XmlNode *> m_nodes;
    std::vector<std::pair<const QString *, int>> m_counters;
};
} // namespace

void SearchTextHits(const QString &sectionName, const TSearchOptions &options, const QByteArray &text,
                    SearchResults &results)
{
    const QByteArray pattern = searchPattern(options);
    if (pattern.isEmpty())
        return;
    UpperCaseFinder upper(bytesOf(text), bytesOf(pattern));
    auto next = [&](size_t from) {
        return options.CaseSensitive ? findFrom(bytesOf(text), bytesOf(pattern), from) : upper.findFrom(from);
    };
    // Each search starts one byte after the last hit's first byte, so overlapping hits count.
    for (qsizetype hit = next(0); hit >= 0; hit = next(size_t(hit) + 1))
        results.emplace_back(sectionName, QString(), QString(), text, hit + 2);
}

void searchPageComponents(const TWQFFile &page, const TSearchOptions &options, SearchResults &results)
{
    const QByteArray pattern = searchPattern(options);
    ItemTextWalk walk;
    TDynIntegerArray positions;
    qsizetype count = 0;
    QByteArray upper;
    for (const auto &section : page.Sections()) {
        if (section->Items().empty())
            continue;
        const QString sectionName = section->GetName();
        for (const auto &item : section->Items()) {
            walk.run(item.get(), [&](auto &&key, const QString &text) {
                const QByteArray bytes = text.toUtf8();
                if (!options.CaseSensitive)
                    upperCaseAsciiInto(bytes, upper);
                FindAll(options.CaseSensitive ? bytes : upper, pattern, options.WholeWord, true, WordDelimiters(),
                        count, positions);
                if (count > 0)
                    results.emplace_back(sectionName, item->GetName(), key(), bytes, positions[0]);
            });
        }
    }
}

PageSearch::PageSearch(std::unique_ptr<SearchHost> host, QObject *parent) : QObject(parent), m_host(std::move(host)) {}

PageSearch::~PageSearch() = default;

void PageSearch::showFindDialog()
{
    // The dialog outlives this object: its callbacks do nothing once it is gone.
    const QPointer<PageSearch> self(this);
    ShowSearchForm(
        [self](TSearchForm *sender, QWidget *target, const TSearchOptions &options) {
            if (self)
                self->doFind(sender, target, options);
        },
        [self](TSearchForm *sender, QWidget *panel, std::unique_ptr<TSearchExtension> &extension) {
            if (self)
                self->initSearchPanel(sender, panel, extension);
        },
        [self](TSearchForm *sender, QWidget *panel, TSearchExtension *extension) {
            if (self)
                self->readSearchPanel(sender, panel, extension);
        });
}

void PageSearch::findNext(QWidget *focused) { findInTextEditor(focused, LastSearch(), false); }

void PageSearch::showLastResults()
{
    if (TSearchResultForm *form = createSearchResultForm())
        form->show();
}

void PageSearch::initSearchPanel(TSearchForm *, QWidget *panel, std::unique_ptr<TSearchExtension> &extension)
{
    if (!extension)
        extension = std::make_unique<TWQFSearchExtension>();
    auto *box = new QCheckBox(QStringLiteral("&Search in all WQF components"), panel);
    box->setObjectName(QStringLiteral("SearchInComp"));
    box->adjustSize();
    box->move(0, 0);
    if (const auto *wqfExtension = dynamic_cast<TWQFSearchExtension *>(extension.get()))
        box->setChecked(wqfExtension->SearchInComp);
}

void PageSearch::readSearchPanel(TSearchForm *, QWidget *panel, TSearchExtension *extension)
{
    auto *wqfExtension = dynamic_cast<TWQFSearchExtension *>(extension);
    if (!wqfExtension || !panel)
        return;
    const auto *box = panel->findChild<QCheckBox *>(QStringLiteral("SearchInComp"), Qt::FindDirectChildrenOnly);
    wqfExtension->SearchInComp = box && box->isChecked();
}

void PageSearch::doFind(TSearchForm *, QWidget *target, const TSearchOptions &options)
{
    if (!target)
        return;
    const auto *extension = dynamic_cast<const TWQFSearchExtension *>(options.Extension);
    if (!extension || !extension->SearchInComp) {
        if (qobject_cast<QsciScintilla *>(target)) {
            findInTextEditor(target, LastSearch(), options.CaseSensitive);
            target->setFocus();
        }
        return;
    }
    SearchResults results;
    searchAllComponents(options, results);
    if (results.empty()) {
        showMessage(QStringLiteral("No matches found"), m_host->messageParent());
        return;
    }
    const QPointer<PageSearch> self(this);
    ShowSearchResults(options.SearchText, std::move(results),
                      [self](TSearchResultForm *sender, const TSearchResult &result) {
                          if (self)
                              self->searchResultSelect(sender, result);
                      });
}

void PageSearch::searchAllComponents(const TSearchOptions &options, SearchResults &results)
{
    const TWQFFile *page = m_host->searchPage();
    if (!page)
        return;
    searchPageComponents(*page, options, results);
    SearchTextHits(QStringLiteral("html"), options, m_host->htmlEditorText(), results);
}

void PageSearch::searchResultSelect(TSearchResultForm *sender, const TSearchResult &result)
{
    if (!m_host->searchPage())
        return;
    showSectionItem(result.Section, result.ItemName);
    if (result.Section != u"html" || !sender)
        return;
    // Position is one past the hit's 1-based place: the hit starts at byte Position - 2.
    m_host->selectHtmlText(result.Position - 2, sender->searched().toUtf8().size());
}

void PageSearch::showSectionItem(const QString &sectionName, const QString &itemName)
{
    m_host->showSectionTab(sectionName);
    if (!itemName.isEmpty())
        m_host->selectItemByName(itemName);
}
