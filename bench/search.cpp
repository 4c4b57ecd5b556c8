// The search over all components and the HTML: "customer" in a generated page of 5,000
// components (blocks of five: a query with a parameter, an IF, two SETs and a template, with
// comments; "customer" in about every third element text) and a 5 MB HTML part (a table
// row of about 200 bytes repeated, "customer" or "Customer" in every row), all hits. The
// baseline is a plain QByteArray::indexOf loop over the same texts, taken from the page
// beforehand, which finds every occurrence in every text with case; the time GetItemTexts
// takes to list the same texts is shown for comparison. Figures are the best of several runs.
#include "benchutil.h"
#include "model/wqftypes.h"
#include "shell/pagesearch.h"
#include "shell/searchutils.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int kComponents = 5000;
constexpr qsizetype kHtmlBytes = 5 * 1024 * 1024;
constexpr int kRuns = 9;

QByteArray component(int name, const char *type, const char *comment, const QByteArray &values)
{
    return "<c><n>" + QByteArray::number(name) + "</n><t>" + type + "</t><c>" + comment + "</c><j>" +
           QByteArray::number(name + 1) + "</j><j/><x>32</x><y>" + QByteArray::number(name * 8) + "</y><values>" +
           values + "</values></c>\r\n";
}

QByteArray section(const char *name, int first, int count)
{
    QByteArray xml = QByteArray("<") + name + ">\r\n";
    for (int b = first; b + 5 <= first + count; b += 5) {
        xml += component(b, "SELECTQUERY", "Load the customer",
                         "<query><![CDATA[SELECT id, name, note\nFROM customers\nWHERE id = :customer_id]]></query>"
                         "<param><n>customer_id</n><t>INTEGER</t><v>0</v></param>");
        xml += component(b + 1, "IF", "Found?", "<v>#Sname# &lt;&gt; ''</v>");
        xml += component(b + 2, "SET", "Count the orders", "<n>order_count</n><v>#Sorder_count# + 1</v>");
        xml += component(b + 3, "SET", "Unknown Customer", "<n>message</n><v>No customer with this number.</v>");
        xml += component(b + 4, "TEMPLATE", "Show the page", "<n>orders</n>");
    }
    return xml + "</" + name + ">\r\n";
}

std::unique_ptr<TWQFFile> generatePage()
{
    const QByteArray xml = "<wqf><function><fn>bench</fn></function>\r\n" + section("preproc", 0, kComponents / 2) +
                           section("postproc", kComponents / 2, kComponents / 2) + "</wqf>\r\n";
    return bench::loadPage(xml);
}

QByteArray generateHtml()
{
    QByteArray html = "<html><body><table class=\"orders\">\r\n";
    for (int row = 0; html.size() < kHtmlBytes; ++row) {
        html += "<tr><td class=\"id\">" + QByteArray::number(row) + "</td><td>" + (row % 2 ? "Customer" : "customer") +
                " &auml; order placed on 2026-01-01</td><td><input name=\"note" + QByteArray::number(row) +
                "\" value=\"\"></td><td>total: 12.50 EUR</td></tr>\r\n";
    }
    return html + "</table></body></html>\r\n";
}

class BenchHost : public SearchHost {
public:
    TWQFFile *page = nullptr;
    QByteArray html;
    TWQFFile *searchPage() override { return page; }
    QByteArray htmlEditorText() override { return html; }
    void selectHtmlText(qsizetype, qsizetype) override {}
    void showSectionTab(const QString &) override {}
    void selectItemByName(const QString &) override {}
    QWidget *messageParent() override { return nullptr; }
};

// Best of kRuns, in milliseconds; Count receives what the last run counted.
double best(const std::function<qsizetype()> &work, qsizetype &count)
{
    return 1e3 * bench::bestOf(kRuns, [&] { count = work(); });
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto page = generatePage();
    BenchHost host;
    host.page = page.get();
    host.html = generateHtml();

    // The same texts, taken from the page beforehand.
    std::vector<QByteArray> texts;
    for (const auto &sec : page->Sections())
        for (const auto &item : sec->Items()) {
            StringList lines;
            GetItemTexts(item.get(), lines);
            for (qsizetype i = 0; i < lines.count(); ++i)
                texts.push_back(lines.valueFromIndex(i).toUtf8());
        }
    qsizetype elementBytes = 0;
    for (const QByteArray &t : texts)
        elementBytes += t.size();
    texts.push_back(host.html);
    std::printf("page: %d components, %zu element texts (%lld bytes), HTML %lld bytes\n", kComponents, texts.size() - 1,
                static_cast<long long>(elementBytes), static_cast<long long>(host.html.size()));

    const QByteArray pattern("customer");
    qsizetype count = 0;
    const double baseline = best(
        [&] {
            qsizetype hits = 0;
            for (const QByteArray &t : texts)
                for (qsizetype at = t.indexOf(pattern); at >= 0; at = t.indexOf(pattern, at + 1))
                    ++hits;
            return hits;
        },
        count);
    std::printf("%-58s %8.2f ms  %lld hits\n", "indexOf loop, case kept, every occurrence", baseline,
                static_cast<long long>(count));

    const double core = best(
        [&] {
            qsizetype hits = 0, n = 0;
            TDynIntegerArray positions;
            for (const QByteArray &t : texts) {
                FindAll(t, pattern, false, false, WordDelimiters(), n, positions);
                hits += n;
            }
            return hits;
        },
        count);
    std::printf("%-58s %8.2f ms  %lld hits  %.2fx\n", "FindAll over the same texts, case kept, every hit", core,
                static_cast<long long>(count), core / baseline);

    const double collect = best(
        [&] {
            qsizetype n = 0;
            for (const auto &sec : page->Sections())
                for (const auto &item : sec->Items()) {
                    StringList lines;
                    GetItemTexts(item.get(), lines);
                    n += lines.count();
                }
            return n;
        },
        count);
    std::printf("%-58s %8.2f ms\n", "GetItemTexts over every component, for comparison", collect);
    PageSearch search(std::make_unique<BenchHost>(host));
    for (const bool caseSensitive : {true, false}) {
        for (const bool wholeWord : {false, true}) {
            TSearchOptions options;
            options.SearchText = QStringLiteral("customer");
            options.CaseSensitive = caseSensitive;
            options.WholeWord = wholeWord;
            qsizetype htmlHits = 0;
            const double full = best(
                [&] {
                    SearchResults results;
                    search.searchAllComponents(options, results);
                    htmlHits = std::count_if(results.begin(), results.end(),
                                             [](const TSearchResult &r) { return r.Section == u"html"; });
                    return qsizetype(results.size());
                },
                count);
            char label[96];
            std::snprintf(label, sizeof label, "SearchAllComponents, case %s%s", caseSensitive ? "kept" : "ignored",
                          wholeWord ? ", whole word" : "");
            std::printf("%-58s %8.2f ms  %lld results (%lld in the HTML)  %.2fx\n", label, full,
                        static_cast<long long>(count), static_cast<long long>(htmlHits), full / baseline);
        }
    }
    return 0;
}
