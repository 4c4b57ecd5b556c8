// Inputs that once cost time quadratic in their size: each is timed at a small size, at ten
// times and at a hundred times that size. Linear work grows about 10x and 100x.
//   bench_quadratic [--max-scale 10]   (stop before the largest size, for slow builds)
#include "base/inifile.h"
#include "benchutil.h"
#include "checks/extappplugin.h"
#include "model/commentrects.h"
#include "model/stylescan.h"
#include "model/wqftypes.h"
#include "model/xmlread.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

std::unique_ptr<TWQFFile> load(const QByteArray &xml, bool mustLoad = true)
{
    auto file = std::make_unique<TWQFFile>();
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    if (!file->LoadFromStream(buffer, PageOptions()) && mustLoad) {
        std::fprintf(stderr, "does not load: %s\n", qPrintable(file->LastError()));
        std::exit(1);
    }
    return file;
}

QByteArray attributes(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += " a" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + '"';
    return out;
}

// count components with n attributes each.
QByteArray attributesPage(int count, int n)
{
    const QByteArray component = "<c" + attributes(n) + "><n>0</n><t>SET</t></c>";
    return "<wqf><preproc>" + component.repeated(count) + "</preproc></wqf>";
}

QByteArray components(int n, bool chain)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += "<c><n>" + QByteArray::number(i) + "</n><t>SET</t><j>" + (chain ? QByteArray::number(i + 1) : "") +
               "</j><j/></c>";
    return out;
}

struct Case {
    const char *what;
    int small;
    // Builds the input of a size (not timed) and gives the work to time.
    std::function<std::function<void()>(int)> prepare;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int maxScale = 100;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--max-scale") == 0)
            maxScale = std::atoi(argv[i + 1]);

    const Case cases[] = {
        // Above 1024 attributes on an element the page is refused: Qt's reader would compare
        // each attribute with every one before it.
        {"load: attributes on one element", 1000,
         [](int n) {
             const QByteArray page = attributesPage(1, n);
             return [page] { load(page, false); };
         }},
        {"load: elements of 1000 attributes", 1,
         [](int n) {
             const QByteArray page = attributesPage(n, 1000);
             return [page] { load(page); };
         }},
        // Above 1024 attribute definitions the document type is refused, for the same reason.
        {"load: attribute definitions", 1000,
         [](int n) {
             QByteArray list;
             for (int i = 0; i < n; ++i)
                 list += " a" + QByteArray::number(i) + " CDATA #IMPLIED";
             const QByteArray page = "<!DOCTYPE wqf [<!ATTLIST wqf" + list + ">]><wqf/>";
             return [page] { load(page, false); };
         }},
        // Each default of 1024 reaches every element named: past a megabyte of them the page is
        // refused.
        {"load: elements with 1024 defaults", 100,
         [](int n) {
             QByteArray list;
             for (int i = 0; i < 1024; ++i)
                 list += " a" + QByteArray::number(i) + " CDATA 'x'";
             const QByteArray page =
                 "<!DOCTYPE wqf [<!ATTLIST c" + list + ">]><wqf>" + QByteArray("<c/>").repeated(n) + "</wqf>";
             return [page] { load(page, false); };
         }},
        // References to an entity of 4000 characters, which the reader joins into one text.
        {"load: entity references", 100,
         [](int n) {
             const QByteArray page = "<!DOCTYPE wqf [<!ENTITY e '" + QByteArray(4000, 'x') + "'>]><wqf>" +
                                     QByteArray("&e;").repeated(n) + "</wqf>";
             return [page] { load(page, false); };
         }},
        {"copy of an element with attributes", 1000,
         [](int n) {
             auto element = std::shared_ptr<XmlElement>(newElement("c"));
             for (int i = 0; i < n; ++i)
                 element->appendAttribute("a" + QString::number(i), QString::number(i));
             return [element] { cloneNode(*element); };
         }},
        {"paste components", 200,
         [](int n) {
             auto clip = std::shared_ptr<XmlDocument>(readXMLBytes("<clip>" + components(n, true) + "</clip>", false));
             return [clip] {
                 auto file = load("<wqf><preproc/></wqf>");
                 std::vector<TWQFItem *> pasted;
                 PasteItems(clip->firstChild()->firstChild(), file->Sections()[0].get(), pasted);
             };
         }},
        {"style text: names", 1000,
         [](int n) {
             QByteArray style;
             for (int i = 0; i < n; ++i)
                 style += "name" + QByteArray::number(i) + ": " + QByteArray::number(i) + "px; ";
             return [style] {
                 StringList list;
                 ParseStyle(style, &list);
             };
         }},
        {"INI file: keys of a section", 1000,
         [](int n) {
             QByteArray text = "[S]\n";
             for (int i = 0; i < n; ++i)
                 text += "key" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
             auto ini = std::make_shared<IniFile>(IniFile::fromBytes(text));
             return [ini] { ini->keys("s"); };
         }},
        {"notes: extracting markers", 1000,
         [](int n) {
             QString notes = "free text\n";
             for (int i = 0; i < n; ++i)
                 notes += QStringLiteral("[[@@rect %1 2 100 40 preproc 0 Note||||text<br>more@@]]\n").arg(i);
             return [notes] {
                 CommentRectList list;
                 ExtractCommentRects(notes, list);
             };
         }},
        {"exits: reachable along a chain", 2000,
         [](int n) {
             auto file = std::make_shared<std::unique_ptr<TWQFFile>>(
                 load("<wqf><preproc>" + components(n, true) + "</preproc></wqf>"));
             return [file] {
                 StringList reached;
                 CollectReachable((*file)->Sections()[0]->Items()[0].get(), reached);
                 if (reached.count() != qsizetype((*file)->Sections()[0]->Items().size()))
                     std::abort();
             };
         }},
        {"plugin output: lines before a key", 1000,
         [](int n) {
             const QStringList lines = QStringList(n, QStringLiteral(": a line of the program's output")) << "E:x";
             return [lines] {
                 if (parsePluginOutput(lines).size() != 1)
                     std::abort();
             };
         }},
    };

    for (const Case &c : cases) {
        std::printf("%-36s", c.what);
        double first = 0;
        for (int scale = 1; scale <= maxScale; scale *= 10) {
            const int n = c.small * scale;
            const double s = bench::bestOf(scale >= 1000 ? 1 : 3, c.prepare(n));
            if (scale == 1) {
                first = s;
                std::printf(" %7d: %9.2f ms", n, s * 1e3);
            } else {
                std::printf("   %3dx: %9.2f ms (%6.1fx)", scale, s * 1e3, s / first);
            }
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    return 0;
}
