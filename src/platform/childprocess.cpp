#include "childprocess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace platform {
namespace {
// How long one wait lasts before the time-out is looked at again.
constexpr int kPollMs = 50;

// Ends the program and everything it started; a script's children would otherwise keep
// running and holding the output pipe.
void killGroup(QProcess &process, qint64 pid)
{
#ifdef Q_OS_UNIX
    // The program is not reaped before the next wait, so its group still exists.
    if (pid > 0 && ::kill(-pid_t(pid), SIGKILL) == 0)
        return;
#else
    Q_UNUSED(pid);
#endif
    process.kill();
}
} // namespace

ChildRun RunChildProcess(const QString &program, const QStringList &arguments, int64_t timeoutMs)
{
    ChildRun run;
    QElapsedTimer clock;
    clock.start();

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    // A group of its own, so that a time-out can end the program's children too.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    process.start();
    if (!process.waitForStarted(-1)) {
        run.error = process.errorString();
        return run;
    }
    run.started = true;
    const qint64 pid = process.processId();

    while (process.state() != QProcess::NotRunning) {
        const int64_t left = timeoutMs - clock.elapsed();
        if (left < 0) {
            run.timedOut = true;
            break;
        }
        // The wait reads the output as it comes, so a talkative program never blocks on a
        // full pipe.
        process.waitForFinished(int(std::min<int64_t>(left, kPollMs)));
        run.output += process.readAll();
    }
    if (run.timedOut) {
        killGroup(process, pid);
        process.waitForFinished(5000);
    } else {
        run.crashed = process.exitStatus() == QProcess::CrashExit;
        run.exitCode = process.exitCode();
    }
    run.output += process.readAll();
    return run;
}

} // namespace platform
