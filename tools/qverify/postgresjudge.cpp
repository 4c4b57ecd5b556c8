// PostgreSQL through libpq's prepare, in a read-only session whose lock waits share the job's
// budget.
#include "postgresjudge.h"

#include "failure.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringList>

#include <libpq-fe.h>

#include <array>
#include <utility>
#include <vector>

namespace {
// Statements whose names and types PostgreSQL resolves when it parses them; of any other
// (CREATE, DROP, DO, ...) it reads only the syntax, and the rest waits for a run.
const QStringList kAnalysed = {"SELECT", "INSERT", "UPDATE", "DELETE",  "MERGE",   "VALUES",
                               "TABLE",  "WITH",   "(",      "EXPLAIN", "DECLARE", "CALL"};

// The longest one statement waits for a lock, and for the server to parse it (milliseconds).
constexpr qint64 kLockWaitMs = 3000;
constexpr qint64 kStatementMs = 5000;

// The server gave up waiting: for a lock (lock_not_available) or at the statement time-out
// (query_canceled).
bool stoppedWaiting(const PGresult *result)
{
    const char *state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    return state && (qstrcmp(state, "55P03") == 0 || qstrcmp(state, "57014") == 0);
}

struct ClearResult {
    void operator()(PGresult *result) const { PQclear(result); }
};

// A token a message quotes may hold line breaks of either kind.
QString firstLine(const char *text)
{
    for (const QString &line : QString::fromUtf8(text).split(QRegularExpression(QStringLiteral("[\r\n]"))))
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    return QString();
}
} // namespace

void PostgresJudge::CloseConnection::operator()(pg_conn *connection) const { PQfinish(connection); }

PostgresJudge::PostgresJudge(const Job &job, qint64 waitBudgetMs) : m_budget(waitBudgetMs), m_lockTimeoutMs(kLockWaitMs)
{
    QString host = job.host;
    QString port;
    // "host:port"; a socket folder may hold colons of its own, so only digits count.
    const qsizetype colon = host.lastIndexOf(u':');
    bool isPort = false;
    if (colon > 0) {
        host.mid(colon + 1).toUShort(&isPort);
        if (isPort) {
            port = host.mid(colon + 1);
            host.truncate(colon);
        }
    }
    const QByteArray values[] = {host.toUtf8(), port.toUtf8(), job.user.toUtf8(), job.password.toUtf8(),
                                 job.database.toUtf8()};
    // Read-only as a second guard; the statements themselves are never run. A table another
    // session holds locked makes the parse wait for it, so the waits are short and the verdict
    // is the database's own word on it.
    const QByteArray options =
        "-c default_transaction_read_only=on -c lock_timeout=" + QByteArray::number(kLockWaitMs) +
        " -c statement_timeout=" + QByteArray::number(kStatementMs);
    const std::array<std::pair<const char *, const char *>, 9> settings = {{
        {"host", values[0].constData()},
        {"port", values[1].constData()},
        {"user", values[2].constData()},
        {"password", values[3].constData()},
        {"dbname", values[4].constData()},
        {"connect_timeout", "15"},
        {"options", options.constData()},
        {"client_encoding", "UTF8"},
        {"application_name", "qverify"},
    }};
    std::vector<const char *> keywords;
    std::vector<const char *> texts;
    for (const auto &[keyword, text] : settings) {
        keywords.push_back(keyword);
        texts.push_back(text);
    }
    keywords.push_back(nullptr);
    texts.push_back(nullptr);
    // The database name is a name, never a connection string of its own.
    m_connection.reset(PQconnectdbParams(keywords.data(), texts.data(), 0));
    if (!m_connection)
        fail(QStringLiteral("cannot connect to PostgreSQL on %1: out of memory").arg(job.host));
    if (PQstatus(m_connection.get()) != CONNECTION_OK)
        fail(QStringLiteral("cannot connect to PostgreSQL on %1: %2")
                 .arg(job.host, firstLine(PQerrorMessage(m_connection.get()))));
}

PostgresJudge::~PostgresJudge() = default;

void PostgresJudge::setLockTimeout(qint64 ms)
{
    const QByteArray command = "SET lock_timeout = " + QByteArray::number(ms);
    const std::unique_ptr<PGresult, ClearResult> result(PQexec(m_connection.get(), command.constData()));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        fail(QStringLiteral("cannot shorten the wait for locks on PostgreSQL: %1")
                 .arg(firstLine(PQerrorMessage(m_connection.get()))));
    m_lockTimeoutMs = ms;
}

QString PostgresJudge::verdict(const QString &statement, const SqlShape &shape)
{
    // Once the job has waited its budget, the rest are not sent: on a table that stays locked
    // each would only wait again.
    if (m_budget.spent())
        return QStringLiteral("not judged: earlier statements used up the %1 seconds qverify waits on the database, "
                              "most likely for tables another session holds locked")
            .arg(double(m_budget.totalMs()) / 1000);
    if (const qint64 wait = m_budget.nextWaitMs(kLockWaitMs); wait != m_lockTimeoutMs)
        setLockTimeout(wait);
    QElapsedTimer clock;
    clock.start();
    // The unnamed statement: the next prepare replaces it, and the session ends soon after.
    const std::unique_ptr<PGresult, ClearResult> result(
        PQprepare(m_connection.get(), "", statement.toUtf8().constData(), 0, nullptr));
    if (result && stoppedWaiting(result.get()))
        m_budget.spend(clock.elapsed());
    if (PQstatus(m_connection.get()) != CONNECTION_OK)
        fail(
            QStringLiteral("lost the connection to PostgreSQL: %1").arg(firstLine(PQerrorMessage(m_connection.get()))));
    if (!result)
        fail(QStringLiteral("PostgreSQL gave no answer: %1").arg(firstLine(PQerrorMessage(m_connection.get()))));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
        const char *primary = PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY);
        const QString message = firstLine(primary ? primary : PQresultErrorMessage(result.get()));
        return message.isEmpty() ? QStringLiteral("the database refused the statement") : message;
    }
    if (!kAnalysed.contains(shape.firstWord))
        return QStringLiteral("qverify checked only the syntax of this %1 statement: PostgreSQL checks the rest "
                              "only when the statement runs, and qverify runs none")
            .arg(shape.firstWord);
    return QString();
}
