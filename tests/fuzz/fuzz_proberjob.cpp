// The prober's job file, as the prober reads it: a job it refuses fails with one line naming the
// line of the job file; a job it takes names a statement file for every "wqf" line, and the same
// job written again with the editor's own job lines reads back the same, unless a value holds a
// line break, which the editor refuses to write.
#include "base/exception.h"
#include "checks/sqlquerycheck.h"
#include "failure.h"
#include "fuzzcheck.h"
#include "job.h"

#include <QFile>

namespace {

// The job as the editor leaves it, for its owner alone: the prober refuses any other unread.
void writeJob(const QString &path, const QByteArray &bytes)
{
    fuzz::writeFile(path, bytes);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

bool holdsLineBreak(const QString &value) { return value.contains(u'\n') || value.contains(u'\r'); }

QString shown(const Job &job)
{
    return QStringLiteral("host \"%1\" user \"%2\" password \"%3\" database \"%4\" files \"%5\"")
        .arg(fuzz::escaped(job.host), fuzz::escaped(job.user), fuzz::escaped(job.password), fuzz::escaped(job.database),
             fuzz::escaped(job.statementFiles.join(u'|')));
}

// The job as the editor writes it; false when a value cannot be written.
bool rewritten(const Job &job, QByteArray &bytes)
{
    const QStringList names{"Hostname", "Username", "Password", "Database"};
    const QStringList values{job.host, job.user, job.password, job.database};
    bool writable = true;
    for (qsizetype i = 0; i < values.size(); ++i) {
        try {
            bytes += jobLine(names[i], values[i]);
        } catch (const Exception &) {
            FUZZ_CHECK(holdsLineBreak(values[i]), "only a value with a line break is refused: " + values[i]);
            writable = false;
        }
    }
    for (qsizetype i = 0; i < job.statementFiles.size(); ++i) {
        try {
            bytes += jobLine(QStringLiteral("wqf%1").arg(i), job.statementFiles[i]);
        } catch (const Exception &) {
            FUZZ_CHECK(holdsLineBreak(job.statementFiles[i]), "only a path with a line break is refused");
            writable = false;
        }
    }
    return writable;
}

// Reads the job, or gives the failure's line.
bool read(const QString &path, Job &job, QString &failure)
{
    try {
        job = readJob(path);
        return true;
    } catch (const Failure &f) {
        failure = f.line;
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray bytes = input.bytes();
    const QString path = fuzz::scratchDir() + QStringLiteral("job.txt");
    writeJob(path, bytes);
    Job job;
    QString failure;
    if (!read(path, job, failure)) {
        FUZZ_CHECK(!holdsLineBreak(failure), "a refused job gives one line: " + fuzz::escaped(failure));
        FUZZ_CHECK(failure.startsWith(QStringLiteral("qverify: line ")) && failure.contains(path),
                   "a refused job names its line and the file: " + failure);
        return 0;
    }
    qsizetype statements = 0;
    for (const QByteArray &line : bytes.split('\n'))
        statements += line.left(3).toLower() == "wqf" ? 1 : 0;
    FUZZ_CHECK(job.statementFiles.size() == statements, "every wqf line names a statement file: " + shown(job));

    QByteArray again;
    if (!rewritten(job, again))
        return 0;
    writeJob(path, again);
    Job reread;
    FUZZ_CHECK(read(path, reread, failure), "the job as the editor writes it is read: " + failure);
    FUZZ_CHECK(reread.host == job.host && reread.user == job.user && reread.password == job.password &&
                   reread.database == job.database && reread.statementFiles == job.statementFiles,
               "the job as the editor writes it reads back the same:\n   " + shown(job) + "\n   " + shown(reread));
    return 0;
}
