// A document type whose internal subset holds many comments or processing instructions, read by
// the program's reader and by a bare QXmlStreamReader pass, as a ratio.
#include "benchutil.h"
#include "model/xmlread.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

#include <cstdio>

namespace {

QByteArray subsetPage(int count, const QByteArray &node)
{
    return "<!DOCTYPE wqf [" + node.repeated(count) + "]><wqf/>";
}

void readBare(const QByteArray &page)
{
    QXmlStreamReader r(page);
    while (!r.atEnd())
        r.readNext();
    if (r.hasError())
        std::abort();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const struct {
        const char *what;
        QByteArray node;
    } kinds[] = {{"comments", "<!-- c -->"}, {"processing instructions", "<?p d?>"}};
    for (const auto &kind : kinds)
        for (int count : {10000, 100000}) {
            const QByteArray page = subsetPage(count, kind.node);
            const double program = bench::bestOf(3, [&] { readXMLBytes(page, false); });
            const double bare = bench::bestOf(3, [&] { readBare(page); });
            std::printf("%7d subset %-24s reader %9.2f ms   QXmlStreamReader %7.2f ms   %7.1fx\n", count, kind.what,
                        program * 1e3, bare * 1e3, program / bare);
            std::fflush(stdout);
        }
    return 0;
}
