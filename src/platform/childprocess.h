#pragma once
// Runs a child program to its end or a time-out, reading what it prints. The program and its
// arguments are separate, so no shell ever reads them and no path is split at its blanks.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>

namespace platform {

// How much of a child's output a run keeps. A line ends at CR LF, CR or LF. The defaults
// hold far more than any check program's findings (300,000 lines of 100 bytes each) and far
// less than would exhaust the memory or stall the window that shows them.
struct ChildOutputLimit {
    qint64 bytes = qint64(32) << 20;
    qint64 lines = 500000;
};

struct ChildRun {
    // False when the program could not be started; error then says why.
    bool started = false;
    // The time-out passed and the program was stopped, with every process it started.
    bool timedOut = false;
    // How a program that ended by itself ended: killed by a signal, or its exit status.
    bool crashed = false;
    int exitCode = 0;
    // The program printed more than the limit: its output was read no further, and it was
    // stopped with every process it started. output holds what fits, up to the end of the
    // last whole line kept when the line count was reached.
    bool cut = false;
    QString error;
    // Standard output and error output merged, in the order they were written.
    QByteArray output;
};

// Starts program with arguments (standard input empty), reads its merged output while it
// runs and waits for its end. After timeoutMs milliseconds, or once the output passes limit,
// the program's whole process group is killed, so children of a script that still hold the
// output open end with it; the output read so far is kept. A program that ends by itself takes
// what it left running in its group with it too.
ChildRun runChildProcess(const QString &program, const QStringList &arguments, int64_t timeoutMs,
                         const ChildOutputLimit &limit = {});

} // namespace platform
