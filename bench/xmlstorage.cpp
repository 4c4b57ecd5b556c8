// Load, save and load+save of a large generated page, next to a bare QXmlStreamReader pass.
#include "model/wqftypes.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QXmlStreamReader>

#include <cstdio>
#include <functional>

namespace {

QByteArray generatePage(int components)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\r\n<wqf>\r\n  <function>\r\n"
                     "    <fn>bench</fn>\r\n    <editorNotes><![CDATA[notes]]></editorNotes>\r\n  </function>\r\n";
    for (const char *section : {"preproc", "postproc"}) {
        out += QByteArray("  <") + section + ">\r\n";
        for (int i = 0; i < components / 2; ++i) {
            const QByteArray n = QByteArray::number(i);
            out += "    <c>\r\n      <n>" + n +
                   "</n>\r\n      <t>SELECTQUERY</t>\r\n      <c>Read the orders of customer " + n +
                   " &amp; their lines</c>\r\n      <j>" + QByteArray::number(i + 1) +
                   "</j>\r\n      <j/>\r\n      <x>" + QByteArray::number((i % 20) * 120) + "</x>\r\n      <y>" +
                   QByteArray::number((i / 20) * 80) +
                   "</y>\r\n      <values>\r\n        <query><![CDATA[SELECT o.id, o.total, c.name\nFROM orders o\n"
                   "JOIN customers c ON c.id = o.customer\nWHERE o.customer = :cust:i:0 AND o.state <> 'X'\n"
                   "ORDER BY o.id]]></query>\r\n";
            for (int p = 0; p < 3; ++p)
                out += "        <param>\r\n          <n>p" + QByteArray::number(p) +
                       "</n>\r\n          <t>INTEGER</t>\r\n          <v>" + QByteArray::number(p * i) +
                       "</v>\r\n        </param>\r\n";
            out += "      </values>\r\n    </c>\r\n";
        }
        out += QByteArray("  </") + section + ">\r\n";
    }
    out += "  <html><![CDATA[<html><body><pre id=\"script\"></pre></body></html>]]></html>\r\n</wqf>\r\n";
    return out;
}

// Best of several runs, in seconds. The work may hand back what it built, so that freeing it
// is not part of the time.
double best(int runs, const std::function<std::unique_ptr<TWQFFile>()> &work)
{
    double bestTime = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        std::unique_ptr<TWQFFile> built = work();
        bestTime = std::min(bestTime, t.nsecsElapsed() / 1e9);
    }
    return bestTime;
}

void report(const char *what, double seconds, qsizetype bytes, double baseline)
{
    std::printf("%-28s %8.2f ms %8.1f MB/s  %5.2fx the bare reader's time\n", what, seconds * 1e3,
                bytes / 1e6 / seconds, seconds / baseline);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray page = generatePage(5000);
    std::printf("page: 5000 components, %.2f MB\n", page.size() / 1e6);
    const int runs = 7;

    const double bare = best(runs, [&] {
        QXmlStreamReader r(page);
        r.setNamespaceProcessing(false);
        qsizetype chars = 0;
        while (!r.atEnd())
            if (r.readNext() == QXmlStreamReader::Characters)
                chars += r.text().size();
        if (r.hasError() || chars == 0)
            std::abort();
        return nullptr;
    });
    report("bare QXmlStreamReader pass", bare, page.size(), bare);

    auto load = [&](TWQFFile &file, PageOptions options) {
        QByteArray copy = page;
        QBuffer in(&copy);
        in.open(QIODevice::ReadOnly);
        if (!file.LoadFromStream(in, options) || !file.FindSection("postproc"))
            std::abort();
    };
    const double loadTime = best(runs, [&] {
        auto file = std::make_unique<TWQFFile>();
        load(*file, poForceHeader);
        return file;
    });
    report("load (DOM and sections)", loadTime, page.size(), bare);
    const double loadWs = best(runs, [&] {
        auto file = std::make_unique<TWQFFile>();
        load(*file, poWhitespace);
        return file;
    });
    report("load, whitespace kept", loadWs, page.size(), bare);

    TWQFFile loaded;
    load(loaded, poForceHeader);
    QByteArray written;
    const double saveTime = best(runs, [&] {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        if (!loaded.SaveToStream(out, poForceHeader))
            std::abort();
        written = out.data();
        return nullptr;
    });
    report("save", saveTime, written.size(), bare);
    if (written != page)
        std::printf("warning: the page did not come back byte for byte\n");

    const double both = best(runs, [&] {
        auto file = std::make_unique<TWQFFile>();
        load(*file, poForceHeader);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        file->SaveToStream(out, poForceHeader);
        return file;
    });
    report("load + save", both, page.size(), bare);
    return 0;
}
