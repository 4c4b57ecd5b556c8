#include "fuzzcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {
namespace {
const uint8_t *g_data = nullptr;
size_t g_size = 0;
} // namespace

Input::Input(const uint8_t *data, size_t size) : m_data(data), m_size(size)
{
    g_data = data;
    g_size = size;
}

Input::~Input()
{
    g_data = nullptr;
    g_size = 0;
}

QByteArray escaped(const QByteArray &bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"')
            out += '\\', out += c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (u < 0x20 || u >= 0x7f)
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

bool isUtf8Text(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    (void)QString(decoder(bytes));
    return !decoder.hasError() && !bytes.contains('\0');
}

TwoFiles twoFiles(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul < 0)
        return {bytes, {}, false};
    return {bytes.left(nul), bytes.mid(nul + 1), true};
}

void fail(const char *property, const char *file, int line, const QString &detail)
{
    std::fprintf(stderr, "\n== property violated: %s\n   at %s:%d\n", property, file, line);
    if (!detail.isEmpty())
        std::fprintf(stderr, "   %s\n", detail.toUtf8().constData());
    if (g_data)
        std::fprintf(stderr, "   input (%zu bytes): \"%s\"\n", g_size,
                     escaped(QByteArray(reinterpret_cast<const char *>(g_data), qsizetype(g_size))).constData());
    std::fflush(stderr);
    std::abort();
}

void startGuiApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication *app = new QGuiApplication(argc, argv); // lives as long as the process
    (void)app;
}

const QString &scratchDir()
{
    // In memory where the system offers it: the settings store syncs every file it writes.
    static const bool inMemory = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    static QTemporaryDir dir(inMemory ? QStringLiteral("/dev/shm/pellorin-fuzz-XXXXXX") : QString());
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder: %s\n", qPrintable(dir.errorString()));
        std::abort();
    }
    static const QString path = dir.path() + u'/';
    return path;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        std::abort();
    }
}

} // namespace fuzz
