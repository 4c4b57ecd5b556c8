// qverify: judges the SQL statements of a page on a test database for the editor's full check.
//
//   qverify <job file>
//
// The job file holds the lines "Hostname=", "Username=", "Password=", "Database=" and one
// "wqf<n>=<path>" per statement file (see job.h). With an empty Hostname, Database is an
// SQLite file, opened read-only, and each statement is compiled. With a Hostname ("host",
// "host:port" or a socket folder), each statement is parsed by a PostgreSQL server in a
// read-only session; the waits of one job for tables that other sessions hold locked share a
// budget, and the statements left when it is spent are not sent but told so. No statement is
// ever run, whatever it holds.
//
// Exit status 0: every statement file has been rewritten with its verdict, empty when the
// database accepts the statement, otherwise why not, on one line. Exit status 1: the job
// could not be done (no such database, connection refused, a file that cannot be read or
// written, or a job or statement file that is a link, belongs to another user or is open to
// others); one line on standard error says why, and the statement files hold no verdicts to be
// read.
#include "failure.h"
#include "job.h"
#include "postgresjudge.h"
#include "sqlitejudge.h"
#include "waitbudget.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

QString verdictOf(Judge &judge, const QString &statement)
{
    // The databases read a text only up to its first NUL, so the rest would go unjudged.
    if (statement.contains(QChar(0)))
        return QStringLiteral("the statement holds a NUL character");
    const SqlShape shape = shapeOf(statement, judge.dialect());
    if (shape.body.isEmpty())
        return QStringLiteral("the statement is empty");
    return judge.verdict(statement, shape);
}

#ifdef Q_OS_UNIX
// Every statement file stays open from its reading to its verdict, and a page may hold more
// statements than the usual soft limit of descriptors.
void allowAllOpenFiles()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}
#endif

int run(const QStringList &arguments)
{
    if (arguments.size() != 2)
        fail(QStringLiteral("usage: qverify <job file>"));
    const Job job = readJob(arguments[1]);
#ifdef Q_OS_UNIX
    allowAllOpenFiles();
#endif
    std::vector<std::unique_ptr<JobFile>> files;
    QStringList statements;
    for (const QString &path : job.statementFiles) {
        files.push_back(std::make_unique<JobFile>(path, "statement file", true));
        statements << QString::fromUtf8(files.back()->readAll());
    }
    if (statements.isEmpty())
        return 0;
    std::unique_ptr<Judge> judge;
    if (job.host.isEmpty())
        judge = std::make_unique<SqliteJudge>(job.database);
    else
        judge = std::make_unique<PostgresJudge>(job, waitBudgetMs());
    QStringList verdicts;
    for (const QString &statement : statements)
        verdicts << verdictOf(*judge, statement);
    judge.reset();
    // Every statement is judged before the first file changes, so a database that fails
    // midway leaves the statements as they were.
    for (qsizetype i = 0; i < statements.size(); ++i)
        files[size_t(i)]->rewrite(verdicts[i].toUtf8());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        return run(QCoreApplication::arguments());
    } catch (const Failure &failure) {
        std::fprintf(stderr, "%s\n", failure.line.toUtf8().constData());
        return 1;
    }
}
