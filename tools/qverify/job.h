#pragma once
// The job file the editor hands over, and the statement files it names.
#include <QByteArray>
#include <QString>
#include <QStringList>

struct Job {
    QString host;
    QString user;
    QString password;
    QString database;
    QStringList statementFiles;
};

// The lines "Hostname=", "Username=", "Password=", "Database=", each at most once, then one
// "wqf<n>=<path>" per statement file with n never falling (CR LF or LF; names without case).
// Any other line, a connection value after a statement file, or a number that falls fails
// the job: it is the trace of a value that held a line break.
Job readJob(const QString &path);
// Fails when the file cannot be read.
QByteArray readFile(const QString &path, const char *what);
// A statement file, which must be a plain file and no link.
QByteArray readStatement(const QString &path);
// Overwrites a statement file with the verdict; never follows a link and never creates a file.
void writeVerdict(const QString &path, const QString &verdict);
