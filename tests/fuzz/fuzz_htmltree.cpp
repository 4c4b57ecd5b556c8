// The HTML part as a tree, its form controls and its script block: the tree's links agree,
// its texts come from the text and are never blank, an element's markup is its open tag, its
// children's markup and its close tag, every control is bound to an element of the tree and
// laid out, and a script put into the block reads back as it was.
#include "fuzzcheck.h"
#include "model/htmlcontrols.h"
#include "model/htmlparsingtree.h"
#include "model/scriptcontainer.h"

#include <algorithm>

namespace {

// Where a node's markup lies in the markup the checker assembles from every node's own tags.
struct Placed {
    const TMLItem *item;
    qsizetype begin;
    qsizetype end;
    qsizetype inner; // where its children's markup begins
    qsizetype innerEnd;
};

// An element's markup is its tags around its children's, and the tree's markup is every node's
// tags in document order: the checker assembles it once, from each node's own tags, and compares
// every element's markup with its part of that. Building an element's markup costs its length,
// so comparing every element would cost the length times the depth: the elements are compared
// smallest first while the bytes compared stay within a multiple of the text, which takes in
// every element of any but deeply nested texts; the top-level nodes, which hold every node once,
// are always compared.
void checkMarkup(const std::vector<Placed> &elements, const std::vector<Placed> &topLevel, const QString &assembled,
                 qsizetype budget)
{
    const auto part = [&](const Placed &p) { return QStringView(assembled).mid(p.begin, p.end - p.begin); };
    for (const Placed &p : topLevel)
        FUZZ_CHECK(p.item->GetHTML() == part(p), "a top-level node's markup is its tags around its children's: \"" +
                                                     fuzz::escaped(p.item->GetHTML()) + '"');
    std::vector<Placed> bySize = elements;
    std::sort(bySize.begin(), bySize.end(),
              [](const Placed &a, const Placed &b) { return a.end - a.begin < b.end - b.begin; });
    for (const Placed &p : bySize) {
        budget -= 2 * (p.end - p.begin);
        if (budget < 0)
            break;
        FUZZ_CHECK(p.item->GetHTML() == part(p), "an element's markup is its tags around its children's");
        FUZZ_CHECK(p.item->InnerHTML() == QStringView(assembled).mid(p.inner, p.innerEnd - p.inner),
                   "an element's inner markup is its children's");
    }
}

void checkTree(const TMLTree &tree, const QByteArray &html)
{
    // Depth-first over every node, without recursion; a node comes twice, the second time to
    // close it.
    struct Visit {
        const TMLItem *item;
        const TMLItem *parent; // expected
        qsizetype begin; // of its markup, once opened; -1 before
        qsizetype inner; // of its children's markup
    };
    std::vector<Visit> pending;
    for (const TMLItem *item = tree.Root(); item; item = item->NextSibling())
        pending.push_back({item, nullptr, -1, -1});
    std::reverse(pending.begin(), pending.end());
    QString assembled;
    std::vector<Placed> elements, topLevel;
    qsizetype nodes = 0;
    // Texts are spans of the text: with valid UTF-8 they are found in it (on short inputs, where
    // the search is cheap).
    const bool checkTexts = html.size() <= 4096 && QString::fromUtf8(html).toUtf8() == html;
    while (!pending.empty()) {
        Visit visit = pending.back();
        pending.pop_back();
        const TMLItem *item = visit.item;
        if (visit.begin >= 0) {
            const qsizetype innerEnd = assembled.size();
            assembled += item->CloseTagText();
            const Placed placed{item, visit.begin, assembled.size(), visit.inner, innerEnd};
            elements.push_back(placed);
            if (!visit.parent)
                topLevel.push_back(placed);
            continue;
        }
        FUZZ_CHECK(++nodes <= html.size() + 1, "no more nodes than bytes");
        FUZZ_CHECK(item->Parent() == visit.parent, "a node's parent holds it among its children");
        if (item->IsText()) {
            FUZZ_CHECK(!item->FirstChild() && item->AttrCount() == 0, "a text node has no children nor attributes");
            const QString text = item->Text();
            FUZZ_CHECK(!text.trimmed().isEmpty() || !tree.DropBlankText(), "blank text is dropped");
            FUZZ_CHECK(!checkTexts || html.contains(text.toUtf8()),
                       "a text comes from the text: \"" + fuzz::escaped(text) + '"');
            FUZZ_CHECK(item->GetHTML() == text, "a text node's markup is its text");
            const qsizetype begin = assembled.size();
            assembled += text;
            if (!visit.parent)
                topLevel.push_back({item, begin, assembled.size(), begin, begin});
            continue;
        }
        FUZZ_CHECK(
            std::none_of(item->Name().begin(), item->Name().end(), [](QChar c) { return c >= u'A' && c <= u'Z'; }),
            "names are in lower case: " + item->Name());
        FUZZ_CHECK(!tree.IsVoidTag(item->Name()) || !item->FirstChild(), "a void element has no children");
        const QString open = item->OpenTagText();
        const QString tags = item->GetHTML(mpWithoutChildren);
        FUZZ_CHECK(tags.startsWith(open) && QStringView(tags).mid(open.size()) == item->CloseTagText(),
                   "an element without its children is its two tags");
        for (int i = 0; i < item->AttrCount(); ++i)
            FUZZ_CHECK(item->attribute(i).HasValue || item->attribute(i).Value.isEmpty(),
                       "an attribute without '=' has no value");
        const qsizetype begin = assembled.size();
        assembled += open;
        pending.push_back({item, visit.parent, begin, assembled.size()});
        const size_t children = pending.size();
        for (const TMLItem *child = item->FirstChild(); child; child = child->NextSibling())
            pending.push_back({child, item, -1, -1});
        std::reverse(pending.begin() + qsizetype(children), pending.end());
    }
    checkMarkup(elements, topLevel, assembled, 16 * (assembled.size() + 4096));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startGuiApplication();
    initHTMLControls();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray html = input.bytes();

    if (const std::unique_ptr<TMLTree> tree = ParseHTML(html)) {
        checkTree(*tree, html);

        HTMLControlList controls;
        BuildControls(tree.get(), controls);
        LayoutControls(controls);
        for (const auto &control : controls) {
            FUZZ_CHECK(control->Item() && control->Item()->Data() == control.get(),
                       "a control is bound to its element");
            Rect r;
            AbsoluteBounds(control.get(), r);
            (void)ControlOffset(QPoint(), control.get());
        }
        (void)FindEditableControl(controls);
        controls.clear(); // before the tree its controls are bound to
    }

    FUZZ_CHECK(HtmlUnescape(HtmlEscape(html)) == html, "escaping is undone by unescaping");
    const QByteArray script = "a < b && c > d;\n&lt;";
    const QByteArray replaced = SetScript(html, script);
    if (FindScriptBlock(html).found())
        FUZZ_CHECK(GetScript(replaced) == script,
                   "a script put into the block reads back: \"" + fuzz::escaped(GetScript(replaced)) + '"');
    else
        FUZZ_CHECK(replaced == html && GetScript(html).isEmpty(), "without a block nothing changes");
    return 0;
}
