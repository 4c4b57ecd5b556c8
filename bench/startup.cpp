// Start-up: the time from starting the program's process to its main window shown with the
// sample page open, next to a bare application with an empty main window started the same
// way. Each is started several times, in turn; the figures are the medians. Run it under the
// display to measure (QT_QPA_PLATFORM is passed on to both).
//
// bench_startup            the bench
// bench_startup --child P  the program as main() starts it, with page P on its command line
#include "shell/startup.h"
#include "platform/prompter.h"
#include "shell/mainform.h"
#include "shell/pellorinapp.h"
#include "shell/qtprompter.h"
#include "startupshown.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
constexpr int kRuns = 11;

int runProgram(int argc, char **argv, const QString &page, const QElapsedTimer &sinceMain)
{
    PellorinApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellorin"));
    setPrompter(std::make_unique<QtPrompter>());
    // A settings folder of its own, so that the bench neither reads nor writes the user's.
    QTemporaryDir config;
    StartOptions options;
    options.configDir = config.filePath(QStringLiteral("pellorin/"));
    options.commandLine = QStringList{page};
    int result = 0;
    {
        Program program(options);
        if (!program.mainForm()->GetCurrentDoc()) {
            std::fputs("the sample page did not open\n", stderr);
            return 1;
        }
        new ShownReporter(program.mainForm(), sinceMain);
        program.mainForm()->show();
        result = app.exec();
    }
    setPrompter(nullptr);
    return result;
}

struct Start {
    double total = -1; // from starting the process to its "shown" line
    double inMain = -1; // the part from the beginning of main()
};

// A failed start gives -1.
Start timeToShown(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return {};
    QByteArray out;
    while (!out.contains('\n')) {
        if (!process.waitForReadyRead(30000))
            return {};
        out += process.readAllStandardOutput();
    }
    Start start;
    start.total = double(clock.nsecsElapsed()) / 1e6;
    if (out.startsWith("shown "))
        start.inMain = out.mid(6).trimmed().toDouble();
    process.waitForFinished(30000);
    return start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]), sinceMain);

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    const QString bare = QFileInfo(self).absolutePath() + QStringLiteral("/bench_startup_bare");
    const QStringList child{QStringLiteral("--child"), QStringLiteral(PELLORIN_SAMPLE_PAGE)};
    std::vector<double> program, programMain, baseline, baselineMain;
    // One start of each first, so that both find the libraries in the file cache.
    timeToShown(bare, {});
    timeToShown(self, child);
    for (int i = 0; i < kRuns; ++i) {
        const Start b = timeToShown(bare, {});
        const Start p = timeToShown(self, child);
        if (b.total < 0 || p.total < 0 || b.inMain < 0 || p.inMain < 0) {
            std::fputs("a start failed\n", stderr);
            return 1;
        }
        baseline.push_back(b.total);
        baselineMain.push_back(b.inMain);
        program.push_back(p.total);
        programMain.push_back(p.inMain);
    }
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    std::printf("platform: %s; medians of %d starts each, in milliseconds\n",
                platform.isEmpty() ? "(default)" : platform.constData(), kRuns);
    std::printf("                                       process start to shown   of it in main()\n");
    std::printf("bare QApplication + QMainWindow        %8.1f                 %8.1f\n", median(baseline),
                median(baselineMain));
    std::printf("pellorin with the sample page          %8.1f                 %8.1f\n", median(program),
                median(programMain));
    std::printf("ratio: %.2f (goal: at most 1.50)\n", median(program) / median(baseline));
    return 0;
}
