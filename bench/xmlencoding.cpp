// Pages whose markup a look at their bytes would not see (UTF-7 base64 runs), next to the same
// pages in UTF-8, and a large ordinary page in the encodings that need decoding before the limits
// are checked. Without an argument every case runs; with a case's name only that one runs, once,
// and the peak memory of the process is printed (for /usr/bin/time -v as well).
#include "model/xmlread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringEncoder>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// ASCII text as one UTF-7 base64 run: no byte of it is the character it stands for.
QByteArray utf7Run(QByteArrayView ascii)
{
    QByteArray utf16;
    for (const char c : ascii)
        utf16 += QByteArray("\0", 1) + c;
    return "+" + utf16.toBase64(QByteArray::OmitTrailingEquals) + "-";
}

QByteArray utf7Page(const QByteArray &body) { return "<?xml version=\"1.0\" encoding=\"UTF-7\"?>" + body; }

QByteArray entityDeclaration() { return "<!DOCTYPE wqf [<!ENTITY a \"" + QByteArray(4096, 'x') + "\">]>"; }

// About 800 KB of references to an entity of 4096 characters.
QByteArray utf7Entities()
{
    return utf7Page(entityDeclaration() + "<wqf>" + utf7Run("&a;").repeated(80000) + "</wqf>");
}
QByteArray utf8Entities() { return entityDeclaration() + "<wqf>" + QByteArray("&a;").repeated(80000) + "</wqf>"; }

// About 3.5 MB of attributes of one element.
QByteArray attributes(const QByteArray &equals)
{
    QByteArray out = "<wqf";
    for (int i = 0; i < 220000; ++i)
        out += " a" + QByteArray::number(i) + equals + "''";
    return out + "/>";
}
QByteArray utf7Attributes() { return utf7Page(attributes(utf7Run("="))); }
QByteArray utf8Attributes() { return attributes("="); }

// An ordinary page of about 2 MB with a small document type, so that the limits are checked.
QString ordinaryText(const QString &encoding)
{
    QString out = "<?xml version=\"1.0\" encoding=\"" + encoding +
                  "\"?>\n<!DOCTYPE wqf [<!ENTITY c \"\u00a9\">]>\n<wqf>\n  <preproc>\n";
    for (int i = 0; i < 20000; ++i)
        out += "    <c><n>q" + QString::number(i) + "</n><t>SELECTQUERY</t><v>&c; caf\u00e9</v></c>\n";
    return out + "  </preproc>\n</wqf>\n";
}
QByteArray ordinary(const char *encoding) { return QStringEncoder(encoding)(ordinaryText(encoding)); }

struct Case {
    const char *name;
    std::function<QByteArray()> page;
};

// Reads the page once: the time in seconds, and what became of it.
double readOnce(const QByteArray &page, QByteArray &outcome)
{
    QElapsedTimer timer;
    timer.start();
    try {
        readXMLBytes(page, false);
        outcome = "read";
    } catch (const EXMLReadError &e) {
        outcome = e.message().left(90).toUtf8();
    }
    return timer.nsecsElapsed() / 1e9;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Case cases[] = {
        {"utf7-entities", utf7Entities},
        {"utf8-entities", utf8Entities},
        {"utf7-attributes", utf7Attributes},
        {"utf8-attributes", utf8Attributes},
        {"ordinary-utf8", [] { return ordinary("UTF-8"); }},
        {"ordinary-utf16", [] { return ordinary("UTF-16"); }},
        {"ordinary-windows-1252", [] { return ordinary("windows-1252"); }},
        {"ordinary-utf7", [] { return ordinary("UTF-7"); }},
    };
    for (const Case &c : cases) {
        if (argc > 1 && std::strcmp(argv[1], c.name) != 0)
            continue;
        const QByteArray page = c.page();
        QByteArray outcome;
        const double seconds = readOnce(page, outcome);
        std::printf("%-22s %8.0f KB %10.2f ms  %s\n", c.name, page.size() / 1024.0, seconds * 1e3, outcome.constData());
        if (argc > 1)
            std::printf("peak memory of the process: %.1f MB\n", peakMegabytes());
        std::fflush(stdout);
    }
    return 0;
}
