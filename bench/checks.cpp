// The full check with the component and file checks over a generated page of 500 and of
// 5,000 components: both sections built from blocks of ten, each a query looping over a
// short body, an IF, a template and plain steps; every 50th body leaves its loop and every
// 25th block has an unreferenced component with a large number. Warm figures are the best of
// back-to-back runs, where the smaller page stays in the core's cache and the larger does
// not; the figures from memory evict the caches before each run.
#include "benchutil.h"
#include "checks/itemscheck.h"
#include "checks/pellorinplugin.h"
#include "model/wqftypes.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray component(int name, const char *type, const QList<int> &exits, const QByteArray &values = {})
{
    QByteArray xml = "<c><n>" + QByteArray::number(name) + "</n><t>" + type + "</t><c/>";
    for (int exit : exits)
        xml += "<j>" + (exit < 0 ? QByteArray() : QByteArray::number(exit)) + "</j>";
    return xml + "<x>0</x><y>0</y><values>" + values + "</values></c>\r\n";
}

QByteArray section(const char *name, int count)
{
    QByteArray xml = QByteArray("<") + name + ">\r\n";
    for (int b = 0; b + 10 <= count; b += 10) {
        const bool leaves = (b / 10) % 50 == 49;
        xml += component(b, "SELECTQUERY", {b + 4, b + 1}, "<query>select 1</query>");
        xml += component(b + 1, "SET", {b + 2, -1});
        xml += component(b + 2, "SET", {leaves ? b + 5 : b + 3, -1});
        xml += component(b + 3, "SET", {b, -1});
        xml += component(b + 4, "IF", {b + 5, b + 6}, "<v>1=1</v>");
        xml += component(b + 5, "SET", {b + 7, -1});
        xml += component(b + 6, "SET", {b + 7, -1});
        xml += component(b + 7, "TEMPLATE", {b + 8, -1}, "<n>bench</n>");
        xml += component(b + 8, "SET", {b + 9, -1});
        xml += component(b + 9, "SET", {b + 10, -1});
        if ((b / 10) % 25 == 24)
            xml += component(100000000 + b, "SET", {b + 9, -1});
    }
    return xml + "</" + name + ">\r\n";
}

std::unique_ptr<TWQFFile> generatePage(int count)
{
    const QByteArray xml = "<wqf><function><fn>bench</fn></function>\r\n" + section("preproc", count / 2) +
                           section("postproc", count - count / 2) + "</wqf>\r\n";
    return bench::loadPage(xml);
}

// Writes more memory than the caches hold, so the next run reads the page from memory as a
// check after some editing would.
void evictCaches()
{
    static std::vector<char> scratch(64 << 20);
    static char round = 0;
    ++round;
    for (size_t i = 0; i < scratch.size(); i += 64)
        scratch[i] = round;
}

// The best of several full runs, in milliseconds; lines of the last one.
double timeFullCheck(TWQFFile *page, qsizetype &lines, bool cold = false)
{
    double best = 1e30;
    const int rounds = page->Sections().front()->Items().size() > 10000 ? 5 : 25;
    for (int round = 0; round < rounds; ++round) {
        CheckMessageList messages;
        if (cold)
            evictCaches();
        QElapsedTimer timer;
        timer.start();
        RunWarningPlugins(page, false, &messages);
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
        lines = messages.size();
    }
    return best;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    initPluginRegistry();
    initItemsCheck();
    // 50,000 shows the growth once neither page fits the core's cache.
    double times[3], coldTimes[3];
    const int counts[3] = {500, 5000, 50000};
    for (int i = 0; i < 3; ++i) {
        auto page = generatePage(counts[i]);
        qsizetype components = 0, lines = 0;
        for (const auto &s : page->Sections())
            components += qsizetype(s->Items().size());
        times[i] = timeFullCheck(page.get(), lines);
        coldTimes[i] = timeFullCheck(page.get(), lines, true);
        std::printf("full check, %5lld components: %8.3f ms warm, %8.3f ms from memory, %lld lines\n",
                    (long long)components, times[i], coldTimes[i], (long long)lines);
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        for (TWarningPlugin *alone : checks) {
            for (TWarningPlugin *check : checks)
                check->Enabled = check == alone;
            qsizetype own = 0;
            std::printf("    %-20s %8.3f ms\n", qPrintable(alone->className()), timeFullCheck(page.get(), own));
        }
        for (TWarningPlugin *check : checks)
            check->Enabled = true;
    }
    std::printf("ratio 5,000 / 500: %.1fx warm, %.1fx from memory (goal: at most 12x)\n", times[1] / times[0],
                coldTimes[1] / coldTimes[0]);
    std::printf("ratio 50,000 / 5,000: %.1fx warm, %.1fx from memory\n", times[2] / times[1],
                coldTimes[2] / coldTimes[1]);
    donePluginRegistry();
    return 0;
}
