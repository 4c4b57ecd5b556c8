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

void checkTree(const TMLTree &tree, const QByteArray &html)
{
    // Depth-first over every node, without recursion.
    std::vector<std::pair<const TMLItem *, const TMLItem *>> pending; // node, expected parent
    for (const TMLItem *item = tree.Root(); item; item = item->NextSibling())
        pending.emplace_back(item, nullptr);
    qsizetype nodes = 0;
    // Texts are spans of the text: with valid UTF-8 they are found in it (on short inputs, where
    // the search is cheap).
    const bool checkTexts = html.size() <= 4096 && QString::fromUtf8(html).toUtf8() == html;
    while (!pending.empty()) {
        const auto [item, parent] = pending.back();
        pending.pop_back();
        FUZZ_CHECK(++nodes <= html.size() + 1, "no more nodes than bytes");
        FUZZ_CHECK(item->Parent() == parent, "a node's parent holds it among its children");
        if (item->IsText()) {
            FUZZ_CHECK(!item->FirstChild() && item->AttrCount() == 0, "a text node has no children nor attributes");
            FUZZ_CHECK(!item->Text().trimmed().isEmpty() || !tree.DropBlankText(), "blank text is dropped");
            FUZZ_CHECK(!checkTexts || html.contains(item->Text().toUtf8()),
                       "a text comes from the text: \"" + fuzz::escaped(item->Text()) + '"');
            continue;
        }
        FUZZ_CHECK(
            std::none_of(item->Name().begin(), item->Name().end(), [](QChar c) { return c >= u'A' && c <= u'Z'; }),
            "names are in lower case: " + item->Name());
        FUZZ_CHECK(!tree.IsVoidTag(item->Name()) || !item->FirstChild(), "a void element has no children");
        FUZZ_CHECK(item->GetHTML() == item->OpenTagText() + item->InnerHTML() + item->CloseTagText(),
                   "an element's markup is its tags around its children's");
        for (int i = 0; i < item->AttrCount(); ++i)
            FUZZ_CHECK(item->Attribute(i).HasValue || item->Attribute(i).Value.isEmpty(),
                       "an attribute without '=' has no value");
        for (const TMLItem *child = item->FirstChild(); child; child = child->NextSibling())
            pending.emplace_back(child, item);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startGuiApplication();
    InitHTMLControls();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray html = input.bytes();

    if (const std::unique_ptr<TMLTree> tree = ParseHTML(html)) {
        checkTree(*tree, html);

        THTMLControlList controls;
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
    if (FindScriptBlock(html).Found())
        FUZZ_CHECK(GetScript(replaced) == script,
                   "a script put into the block reads back: \"" + fuzz::escaped(GetScript(replaced)) + '"');
    else
        FUZZ_CHECK(replaced == html && GetScript(html).isEmpty(), "without a block nothing changes");
    return 0;
}
