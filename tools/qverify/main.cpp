// qverify: judges the SQL statements of a page on a test database for the editor's full check.
//
//   qverify <job file>
//
// The job file holds the lines "Hostname=", "Username=", "Password=", "Database=" and one
// "wqf<n>=<path>" per statement file (CR LF or LF; names without case). With an empty
// Hostname, Database is an SQLite file, opened read-only, and each statement is compiled with
// EXPLAIN. With a Hostname ("host", "host:port" or a socket folder), the statement is
// prepared on a PostgreSQL server in a read-only session, inside a transaction that is rolled
// back. Neither runs the statement.
//
// Exit status 0: every statement file has been rewritten with its verdict, empty when the
// database accepts the statement, otherwise the database's message on one line. Exit status
// 1: the job could not be done (no such database, connection refused, a file that cannot be
// read or written); one line on standard error says why, and the statement files hold no
// verdicts to be read.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

struct Failure {
    QString line;
};

[[noreturn]] void fail(const QString &line) { throw Failure{QStringLiteral("qverify: ") + line}; }

struct Job {
    QString host;
    QString user;
    QString password;
    QString database;
    QStringList statementFiles;
};

QByteArray readFile(const QString &path, const char *what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read the %1 \"%2\": %3").arg(QLatin1String(what), path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("cannot read the %1 \"%2\": %3").arg(QLatin1String(what), path, file.errorString()));
    return bytes;
}

Job readJob(const QString &path)
{
    Job job;
    const QString text = QString::fromUtf8(readFile(path, "job file"));
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString name = line.left(eq).toLower();
        const QString value = line.mid(eq + 1);
        if (name == u"hostname")
            job.host = value;
        else if (name == u"username")
            job.user = value;
        else if (name == u"password")
            job.password = value;
        else if (name == u"database")
            job.database = value;
        else if (name.startsWith(u"wqf"))
            job.statementFiles << value;
    }
    return job;
}

// The first line of a database message, without the severity PostgreSQL puts before it; the
// driver's own text when the database gave none.
QString oneLine(const QSqlError &error)
{
    // SQLite refuses a second statement with no error of its own ("not an error").
    const QString own = error.databaseText();
    if (own != u"not an error") {
        for (const QString &line : own.split(u'\n')) {
            QString t = line.trimmed();
            if (t.startsWith(QStringLiteral("ERROR:")))
                t = t.mid(6).trimmed();
            // PostgreSQL's error code, which the driver appends in parentheses.
            if (!t.isEmpty() && !(t.startsWith(u'(') && t.endsWith(u')')))
                return t;
        }
    }
    QString text = error.driverText();
    if (const qsizetype colon = text.indexOf(QStringLiteral(": ")); text.startsWith(u'Q') && colon > 0)
        text = text.mid(colon + 2);
    return text.isEmpty() ? QStringLiteral("the database refused the statement") : text;
}

void requireDriver(const QString &driver, const char *package)
{
    if (!QSqlDatabase::isDriverAvailable(driver))
        fail(QStringLiteral("the Qt SQL driver %1 is not installed (package %2)").arg(driver, QLatin1String(package)));
}

// One open connection that judges statements; the connection is closed with it.
class Judge {
public:
    virtual ~Judge() { QSqlDatabase::removeDatabase(kConnection); }
    // Empty when the database accepts the statement, otherwise its message.
    virtual QString verdict(const QString &statement) = 0;

protected:
    static inline const QString kConnection = QStringLiteral("qverify");
    QSqlDatabase db() const { return QSqlDatabase::database(kConnection, false); }
};

class SqliteJudge : public Judge {
public:
    explicit SqliteJudge(const QString &path)
    {
        if (path.isEmpty())
            fail(QStringLiteral("no database given (Database= is empty)"));
        // Opening a missing file would create an empty database and refuse every table.
        if (!QFileInfo(path).isFile())
            fail(QStringLiteral("the SQLite database \"%1\" does not exist").arg(path));
        requireDriver(QStringLiteral("QSQLITE"), "libqt6sql6-sqlite");
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        d.setDatabaseName(path);
        d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!d.open())
            fail(QStringLiteral("cannot open the SQLite database \"%1\": %2").arg(path, oneLine(d.lastError())));
        // A file that is not a database opens all the same; the first read tells.
        QSqlQuery probe(d);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            fail(QStringLiteral("cannot read the SQLite database \"%1\": %2").arg(path, oneLine(probe.lastError())));
    }

    QString verdict(const QString &statement) override
    {
        QSqlQuery query(db());
        return query.exec(QStringLiteral("EXPLAIN ") + statement) ? QString() : oneLine(query.lastError());
    }
};

class PostgresJudge : public Judge {
public:
    explicit PostgresJudge(const Job &job)
    {
        requireDriver(QStringLiteral("QPSQL"), "libqt6sql6-psql");
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), kConnection);
        QString host = job.host;
        // "host:port"; a socket folder may hold colons of its own, so only digits count.
        const qsizetype colon = host.lastIndexOf(u':');
        bool isPort = false;
        const int port = colon > 0 ? host.mid(colon + 1).toInt(&isPort) : 0;
        if (isPort) {
            d.setPort(port);
            host.truncate(colon);
        }
        d.setHostName(host);
        d.setUserName(job.user);
        d.setPassword(job.password);
        d.setDatabaseName(job.database);
        d.setConnectOptions(QStringLiteral("connect_timeout=15"));
        if (!d.open())
            fail(QStringLiteral("cannot connect to PostgreSQL on %1: %2").arg(job.host, oneLine(d.lastError())));
        // Whatever a statement holds, this session writes nothing.
        QSqlQuery(d).exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
    }

    QString verdict(const QString &statement) override
    {
        QSqlDatabase d = db();
        if (!d.transaction())
            fail(QStringLiteral("cannot begin a transaction: %1").arg(oneLine(d.lastError())));
        QString result;
        {
            // The driver prepares on the server and answers the last command's result, so
            // a statement followed by a second command is refused as well.
            QSqlQuery query(d);
            if (!query.prepare(statement))
                result = oneLine(query.lastError());
        }
        d.rollback();
        return result;
    }
};

void writeVerdict(const QString &path, const QString &verdict)
{
    QFile file(path);
    const QByteArray bytes = verdict.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        fail(QStringLiteral("cannot write the verdict to \"%1\": %2").arg(path, file.errorString()));
}

int run(const QStringList &arguments)
{
    if (arguments.size() != 2)
        fail(QStringLiteral("usage: qverify <job file>"));
    const Job job = readJob(arguments[1]);
    QStringList statements;
    for (const QString &path : job.statementFiles)
        statements << QString::fromUtf8(readFile(path, "statement file"));
    if (statements.isEmpty())
        return 0;
    std::unique_ptr<Judge> judge;
    if (job.host.isEmpty())
        judge = std::make_unique<SqliteJudge>(job.database);
    else
        judge = std::make_unique<PostgresJudge>(job);
    QStringList verdicts;
    for (const QString &statement : statements)
        verdicts << (statement.trimmed().isEmpty() ? QStringLiteral("the statement is empty")
                                                   : judge->verdict(statement));
    judge.reset();
    // Every statement is judged before the first file changes, so a database that fails
    // midway leaves the statements as they were.
    for (qsizetype i = 0; i < statements.size(); ++i)
        writeVerdict(job.statementFiles[i], verdicts[i]);
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
