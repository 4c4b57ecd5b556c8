// The message list and the way a check program's lines reach it.
//  - Repaint: a list set up as the window's, filled by a check run, drawn offscreen: one row
//    of 8 MB against a list of short rows.
//  - Matching: a program's output of one line per component, turned into messages tagged
//    with their components, at 2,000 and at 20,000 components and lines.
#include "benchutil.h"
#include "checks/extappplugin.h"
#include "checks/pellorinplugin.h"
#include "shell/checkmessages.h"

#include <QApplication>
#include <QListWidget>

#include <cstdio>

namespace {

// A check that gives a fixed list of lines.
class FixedLinesCheck : public TWarningPlugin {
public:
    explicit FixedLinesCheck(QStringList lines) : m_lines(std::move(lines)) { Enabled = true; }
    QString className() const override { return QStringLiteral("FixedLinesCheck"); }
    bool InQuickCheck() override { return true; }
    void CheckFile(TWQFFile *, CheckMessageList &messages) override
    {
        for (const QString &line : m_lines)
            messages.append(CheckMessage{line, nullptr});
    }

private:
    QStringList m_lines;
};

// The best time of drawing a list that a quick check over page filled with lines.
double repaintTime(TWQFFile *page, const QStringList &lines, int runs)
{
    initPluginRegistry();
    RegisterPlugin(std::make_unique<FixedLinesCheck>(lines));
    QListWidget list;
    list.setUniformItemSizes(true);
    list.resize(800, 200);
    runChecksInto(&list, page, true);
    donePluginRegistry();
    return bench::bestOf(runs, [&list] { list.grab(); });
}

std::unique_ptr<TWQFFile> pageOf(int components)
{
    QByteArray xml = "<wqf><preproc>";
    for (int i = 0; i < components; ++i)
        xml += "<c><n>" + QByteArray::number(i) + "</n><t>SET</t></c>";
    return bench::loadPage(xml + "</preproc><postproc/></wqf>");
}

// The best time of turning one line per component, last component first, into messages.
double matchTime(int count)
{
    auto page = pageOf(count);
    QByteArray output;
    for (int i = count - 1; i >= 0; --i)
        output += "W preproc " + QByteArray::number(i) + ": message\n";
    qsizetype tagged = 0;
    const double seconds = bench::bestOf(3, [&] {
        CheckMessageList messages;
        emitPluginOutput(nullptr, page.get(), messages, output);
        tagged = std::count_if(messages.begin(), messages.end(), [](const CheckMessage &m) { return m.item; });
    });
    if (tagged != count) {
        std::fprintf(stderr, "%lld of %d lines tagged\n", static_cast<long long>(tagged), count);
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    auto page = pageOf(1);

    QStringList shortRows;
    for (int i = 0; i < 1000; ++i)
        shortRows << QStringLiteral("WARN message number %1 of the program").arg(i);
    const double shortPaint = repaintTime(page.get(), shortRows, 5);
    const double longPaint = repaintTime(page.get(), {QStringLiteral("WARN ") + QString(8 << 20, u'x')}, 2);
    std::printf("repaint: 1,000 short rows %.4f s, one 8 MB row %.4f s, ratio %.1f\n", shortPaint, longPaint,
                longPaint / shortPaint);

    const double small = matchTime(2000);
    const double large = matchTime(20000);
    std::printf("matching: 2,000 x 2,000 %.4f s, 20,000 x 20,000 %.4f s, ratio %.1f\n", small, large, large / small);
    return 0;
}
