// Runs a child program in its own process group to its end or a time-out, with bounded output, and
// ends what it leaves in the group.
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

// Ends what is left of the group of a program that has ended and been reaped. Its group
// lives on as long as one of its members does, and no new process takes the program's id
// while it does.
void endLeftovers(qint64 pid)
{
#ifdef Q_OS_UNIX
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
#else
    Q_UNUSED(pid);
#endif
}

// The output as far as the limit lets it grow.
class OutputKeeper {
public:
    explicit OutputKeeper(const ChildOutputLimit &limit) : m_limit(limit) {}

    // Keeps what fits of the next piece; false once a byte beyond the limit has come.
    bool add(const QByteArray &piece)
    {
        qsizetype i = 0;
        for (; i < piece.size(); ++i) {
            const char c = piece[i];
            // The LF of a CR LF belongs to the line the CR ended.
            const bool restOfBreak = c == '\n' && m_afterCR;
            if ((!restOfBreak && m_lines >= m_limit.lines) || m_output.size() + i >= m_limit.bytes)
                break;
            m_afterCR = c == '\r';
            if (c == '\r' || (c == '\n' && !restOfBreak))
                ++m_lines;
        }
        m_output += piece.left(i);
        return i == piece.size();
    }
    QByteArray take() { return std::move(m_output); }

private:
    ChildOutputLimit m_limit;
    QByteArray m_output;
    qint64 m_lines = 0;
    bool m_afterCR = false;
};
} // namespace

ChildRun runChildProcess(const QString &program, const QStringList &arguments, int64_t timeoutMs,
                         const ChildOutputLimit &limit)
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

    OutputKeeper output(limit);
    while (process.state() != QProcess::NotRunning) {
        const int64_t left = timeoutMs - clock.elapsed();
        if (left < 0) {
            run.timedOut = true;
            break;
        }
        // One pipe's worth at a time, so that a talkative program never blocks on a full pipe
        // and never gets far past the limit in our memory.
        process.waitForReadyRead(int(std::min<int64_t>(left, kPollMs)));
        if (!output.add(process.readAll())) {
            run.cut = true;
            break;
        }
    }
    if (run.timedOut || run.cut) {
        killGroup(process, pid);
        process.waitForFinished(5000);
    } else {
        run.crashed = process.exitStatus() == QProcess::CrashExit;
        run.exitCode = process.exitCode();
        // What the program left running in its group would outlive the run.
        endLeftovers(pid);
    }
    if (!run.cut)
        run.cut = !output.add(process.readAll());
    run.output = output.take();
    return run;
}

} // namespace platform
