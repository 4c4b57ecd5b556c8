// Tokenizing and building the element tree of a large generated HTML part, next to a plain
// byte scan for '<' over the same bytes; then the same at ten times the size.
#include "benchutil.h"
#include "model/htmlparsingtree.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// Long chains of form controls, deep nesting of containers and runs of unclosed elements,
// in blocks until the text reaches the size asked for.
QByteArray generateHtml(qsizetype size)
{
    QByteArray out;
    out.reserve(size + 65536);
    out += "<div class=\"EditableContent\" id=\"page\">\r\n";
    int n = 0;
    while (out.size() < size) {
        for (int i = 0; i < 200; ++i, ++n) {
            const QByteArray k = QByteArray::number(n);
            out += "  <div class=\"EditorText\" id=\"e" + k + "\" style=\"left:" + QByteArray::number(n % 700) +
                   "px;top:" + QByteArray::number(n % 900) + "px;width:120px\"><span>Name " + k +
                   "</span><input type=\"text\" name=\"f" + k + "\" title='Enter the name.' disabled></div>\r\n";
        }
        for (int d = 0; d < 500; ++d)
            out += "<div class=\"StaticContainer\"><h3>Group</h3>\r\n";
        out += "<img src=\"x.png\"><!-- deepest -->";
        for (int d = 0; d < 500; ++d)
            out += "</div>\r\n";
        out += "<div class=\"ScriptingContainer\"><script>for (i = 0; i<n; i++) a[i] = b<c;</script>";
        for (int p = 0; p < 300; ++p)
            out += "<p>line " + QByteArray::number(p) + "<br>";
        out += "</div>\r\n";
    }
    out += "</div>\r\n";
    return out;
}

using bench::bestOf;

qsizetype volatile sink;

struct Figures {
    double scan;
    double tokenize;
    double build;
    double free;
};

Figures measure(const QByteArray &html, int runs)
{
    Figures f{};
    f.scan = bestOf(runs, [&] {
        qsizetype count = 0;
        const char *p = html.constData();
        const char *end = p + html.size();
        while ((p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p))))) {
            ++count;
            ++p;
        }
        sink = count;
    });
    f.tokenize = bestOf(runs, [&] {
        TMarkupParser parser;
        parser.Init(html, 1);
        qsizetype count = 0;
        while (parser.Next())
            ++count;
        sink = count;
    });
    f.build = 1e30;
    f.free = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        std::unique_ptr<TMLTree> tree = ParseHTML(html);
        f.build = std::min(f.build, t.nsecsElapsed() / 1e9);
        if (!tree || !tree->Root())
            std::abort();
        t.restart();
        tree.reset();
        f.free = std::min(f.free, t.nsecsElapsed() / 1e9);
    }
    return f;
}

void report(const char *label, qsizetype bytes, const Figures &f)
{
    const double mb = bytes / 1e6;
    std::printf("%s: %.2f MB\n", label, mb);
    std::printf("  memchr scan for '<'     %9.2f ms %9.1f MB/s\n", f.scan * 1e3, mb / f.scan);
    std::printf("  tokenize only           %9.2f ms %9.1f MB/s  %5.2fx the scan's time\n", f.tokenize * 1e3,
                mb / f.tokenize, f.tokenize / f.scan);
    std::printf("  tokenize + build tree   %9.2f ms %9.1f MB/s  %5.2fx the scan's time\n", f.build * 1e3, mb / f.build,
                f.build / f.scan);
    std::printf("  free the tree           %9.2f ms\n", f.free * 1e3);
}

} // namespace

int main()
{
    const QByteArray small = generateHtml(5 * 1000 * 1000);
    const QByteArray large = generateHtml(50 * 1000 * 1000);
    const Figures a = measure(small, 7);
    const Figures b = measure(large, 3);
    report("HTML part", small.size(), a);
    report("ten times larger", large.size(), b);
    std::printf("size x%.2f: build time x%.2f, scan time x%.2f\n", double(large.size()) / small.size(),
                b.build / a.build, b.scan / a.scan);
    return 0;
}
