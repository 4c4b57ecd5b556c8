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

// A file the editor made for this job alone. On Unix it is opened once, without following a
// link at its name, and refused unless it is a plain file of qverify's own user that no one
// else may read or write; from then on it is read and rewritten through that descriptor only,
// so a name another user swaps later leads nowhere.
class JobFile {
public:
    // what names the file in messages ("job file", "statement file"); a string literal.
    JobFile(const QString &path, const char *what, bool forRewriting);
    ~JobFile();
    JobFile(const JobFile &) = delete;
    JobFile &operator=(const JobFile &) = delete;

    // The whole file; fails when it cannot be read.
    QByteArray readAll();
    // Makes the file hold exactly bytes; fails when it cannot.
    void rewrite(const QByteArray &bytes);

private:
    QString m_path;
    const char *m_what;
#ifdef Q_OS_UNIX
    int m_fd = -1;
#endif
};

// The lines "Hostname=", "Username=", "Password=", "Database=", each at most once, then one
// "wqf<n>=<path>" per statement file with n never falling (CR LF or LF; names without case).
// Any other line, a connection value after a statement file, or a number that falls fails
// the job: it is the trace of a value that held a line break.
Job readJob(const QString &path);
