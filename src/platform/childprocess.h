#pragma once
// Runs a child program to its end or a time-out, reading what it prints. The program and its
// arguments are separate, so no shell ever reads them and no path is split at its blanks.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace platform {

struct ChildRun {
    // False when the program could not be started; error then says why.
    bool started = false;
    // The time-out passed and the program was stopped, with every process it started.
    bool timedOut = false;
    // How a program that ended by itself ended: killed by a signal, or its exit status.
    bool crashed = false;
    int exitCode = 0;
    QString error;
    // Standard output and error output merged, in the order they were written.
    QByteArray output;
};

// Starts program with arguments (standard input empty), reads its merged output while it
// runs and waits for its end. After timeoutMs milliseconds the program's whole process group
// is killed, so children of a script that still hold the output open end with it; the output
// read so far is kept.
ChildRun RunChildProcess(const QString &program, const QStringList &arguments, int64_t timeoutMs);

} // namespace platform
