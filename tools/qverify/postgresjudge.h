#pragma once
// A PostgreSQL server, reached in a read-only session that waits for a lock only a few
// seconds, and all of a job's statements together no longer than its wait budget. Each statement goes through the protocol's Parse step alone (libpq's prepare),
// which refuses a text of several commands and runs none, so nothing of a statement is ever
// executed.
#include "job.h"
#include "judge.h"
#include "waitbudget.h"

#include <memory>

struct pg_conn;

class PostgresJudge : public Judge {
public:
    PostgresJudge(const Job &job, qint64 waitBudgetMs);
    ~PostgresJudge() override;
    SqlDialect dialect() const override { return SqlDialect::PostgreSQL; }
    QString verdict(const QString &statement, const SqlShape &shape) override;

private:
    struct CloseConnection {
        void operator()(pg_conn *connection) const;
    };
    void setLockTimeout(qint64 ms);

    std::unique_ptr<pg_conn, CloseConnection> m_connection;
    WaitBudget m_budget;
    qint64 m_lockTimeoutMs;
};
