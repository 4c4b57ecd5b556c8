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

void WidgetSearchHost::selectHtmlText(qsizetype Start, qsizetype Length)
{
    selectEditorBytes(m_window.views().textTabs().htmlEditor(), Start, Length);
}

void WidgetSearchHost::showSectionTab(const QString &sectionName) { m_window.views().showSectionTab(sectionName); }

void WidgetSearchHost::SelectItemByName(const QString &Name) { m_window.views().SelectItemByName(Name); }

QWidget *WidgetSearchHost::messageParent() { return m_window.windowWidget(); }

QByteArray editorTextBytes(const QsciScintilla *Editor)
{
    if (!Editor)
        return QByteArray();
    if (!Editor->isUtf8())
        return Editor->text().toUtf8();
    // The editor holds the text as UTF-8 already: one copy, no decoding.
    const auto length = qsizetype(Editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    const auto *bytes =
        reinterpret_cast<const char *>(Editor->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return bytes ? QByteArray(bytes, length) : QByteArray();
}

void selectEditorBytes(QsciScintilla *Editor, qsizetype Start, qsizetype Length)
{
    if (!Editor)
        return;
    qsizetype from = std::max<qsizetype>(Start, 0);
    qsizetype to = std::max(from, from + Length);
    if (!Editor->isUtf8()) {
        // A single-byte editor counts characters: convert the byte positions once.
        const QByteArray bytes = editorTextBytes(Editor);
        from = std::min(from, bytes.size());
        to = std::min(to, bytes.size());
        const qsizetype fromChars = QString::fromUtf8(bytes.constData(), from).size();
        to = fromChars + QString::fromUtf8(bytes.constData() + from, to - from).size();
        from = fromChars;
    }
    const auto length = qsizetype(Editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    from = std::min(from, length);
    to = std::min(to, length);
    Editor->SendScintilla(QsciScintillaBase::SCI_SETSEL, uintptr_t(from), intptr_t(to));
}

bool findInTextEditor(QWidget *Target, const QString &Text, bool CaseSensitive)
{
    auto *editor = qobject_cast<QsciScintilla *>(Target);
    if (!editor || Text.isEmpty())
        return false;
    // Forward from the caret, no regular expression, no whole words, no wrap; the hit is
    // selected and shown.
    return editor->findFirst(Text, false, CaseSensitive, false, false, true, -1, -1, true);
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
    template <class Visit> void Run(const TWQFItem *Item, Visit &&visit)
    {
        if (!Item || !Item->Node())
            return;
        m_nodes.clear();
        m_nodes.push_back(Item->Node());
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
            GetItemTexts(Item, lines);
            for (qsizetype i = 0; i < lines.Count(); ++i)
                visit([&] { return lines.Name(i); }, lines.valueFromIndex(i));
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

void SearchTextHits(const QString &sectionName, const TSearchOptions &options, const QByteArray &Text,
                    SearchResults &Results)
{
    const QByteArray pattern = searchPattern(options);
    if (pattern.isEmpty())
        return;
    UpperCaseFinder upper(bytesOf(Text), bytesOf(pattern));
    auto next = [&](size_t from) {
        return options.CaseSensitive ? findFrom(bytesOf(Text), bytesOf(pattern), from) : upper.findFrom(from);
    };
    // Each search starts one byte after the last hit's first byte, so overlapping hits count.
    for (qsizetype hit = next(0); hit >= 0; hit = next(size_t(hit) + 1))
        Results.emplace_back(sectionName, QString(), QString(), Text, hit + 2);
}

void searchPageComponents(const TWQFFile &Page, const TSearchOptions &options, SearchResults &Results)
{
    const QByteArray pattern = searchPattern(options);
    ItemTextWalk walk;
    TDynIntegerArray positions;
    qsizetype count = 0;
    QByteArray upper;
    for (const auto &section : Page.Sections()) {
        if (section->Items().empty())
            continue;
        const QString sectionName = section->GetName();
        for (const auto &item : section->Items()) {
            walk.Run(item.get(), [&](auto &&key, const QString &text) {
                const QByteArray bytes = text.toUtf8();
                if (!options.CaseSensitive)
                    upperCaseAsciiInto(bytes, upper);
                FindAll(options.CaseSensitive ? bytes : upper, pattern, options.WholeWord, true, WordDelimiters(),
                        count, positions);
                if (count > 0)
                    Results.emplace_back(sectionName, item->GetName(), key(), bytes, positions[0]);
            });
        }
    }
}

PageSearch::PageSearch(std::unique_ptr<SearchHost> Host, QObject *Parent) : QObject(Parent), m_host(std::move(Host)) {}

PageSearch::~PageSearch() = default;

void PageSearch::showFindDialog()
{
    // The dialog outlives this object: its callbacks do nothing once it is gone.
    const QPointer<PageSearch> self(this);
    ShowSearchForm(
        [self](TSearchForm *Sender, QWidget *Target, const TSearchOptions &options) {
            if (self)
                self->DoFind(Sender, Target, options);
        },
        [self](TSearchForm *Sender, QWidget *Panel, std::unique_ptr<TSearchExtension> &Extension) {
            if (self)
                self->InitSearchPanel(Sender, Panel, Extension);
        },
        [self](TSearchForm *Sender, QWidget *Panel, TSearchExtension *Extension) {
            if (self)
                self->ReadSearchPanel(Sender, Panel, Extension);
        });
}

void PageSearch::FindNext(QWidget *focused) { findInTextEditor(focused, LastSearch(), false); }

void PageSearch::showLastResults()
{
    if (TSearchResultForm *form = createSearchResultForm())
        form->show();
}

void PageSearch::InitSearchPanel(TSearchForm *, QWidget *Panel, std::unique_ptr<TSearchExtension> &Extension)
{
    if (!Extension)
        Extension = std::make_unique<TWQFSearchExtension>();
    auto *box = new QCheckBox(QStringLiteral("&Search in all WQF components"), Panel);
    box->setObjectName(QStringLiteral("SearchInComp"));
    box->adjustSize();
    box->move(0, 0);
    if (const auto *extension = dynamic_cast<TWQFSearchExtension *>(Extension.get()))
        box->setChecked(extension->SearchInComp);
}

void PageSearch::ReadSearchPanel(TSearchForm *, QWidget *Panel, TSearchExtension *Extension)
{
    auto *extension = dynamic_cast<TWQFSearchExtension *>(Extension);
    if (!extension || !Panel)
        return;
    const auto *box = Panel->findChild<QCheckBox *>(QStringLiteral("SearchInComp"), Qt::FindDirectChildrenOnly);
    extension->SearchInComp = box && box->isChecked();
}

void PageSearch::DoFind(TSearchForm *, QWidget *Target, const TSearchOptions &options)
{
    if (!Target)
        return;
    const auto *extension = dynamic_cast<const TWQFSearchExtension *>(options.Extension);
    if (!extension || !extension->SearchInComp) {
        if (qobject_cast<QsciScintilla *>(Target)) {
            findInTextEditor(Target, LastSearch(), options.CaseSensitive);
            Target->setFocus();
        }
        return;
    }
    SearchResults results;
    SearchAllComponents(options, results);
    if (results.empty()) {
        ShowMessage(QStringLiteral("No matches found"), m_host->messageParent());
        return;
    }
    const QPointer<PageSearch> self(this);
    ShowSearchResults(options.SearchText, std::move(results),
                      [self](TSearchResultForm *Sender, const TSearchResult &result) {
                          if (self)
                              self->SearchResultSelect(Sender, result);
                      });
}

void PageSearch::SearchAllComponents(const TSearchOptions &options, SearchResults &Results)
{
    const TWQFFile *page = m_host->searchPage();
    if (!page)
        return;
    searchPageComponents(*page, options, Results);
    SearchTextHits(QStringLiteral("html"), options, m_host->htmlEditorText(), Results);
}

void PageSearch::SearchResultSelect(TSearchResultForm *Sender, const TSearchResult &result)
{
    if (!m_host->searchPage())
        return;
    ShowSectionItem(result.Section, result.ItemName);
    if (result.Section != u"html" || !Sender)
        return;
    // Position is one past the hit's 1-based place: the hit starts at byte Position - 2.
    m_host->selectHtmlText(result.Position - 2, Sender->searched().toUtf8().size());
}

void PageSearch::ShowSectionItem(const QString &sectionName, const QString &ItemName)
{
    m_host->showSectionTab(sectionName);
    if (!ItemName.isEmpty())
        m_host->SelectItemByName(ItemName);
}
