#pragma once
// An SQLite file, opened read-only; each statement is compiled, never stepped.
#include "judge.h"

class SqliteJudge : public Judge {
public:
    explicit SqliteJudge(const QString &path);
    ~SqliteJudge() override;
    SqlDialect Dialect() const override { return SqlDialect::SQLite; }
    QString Verdict(const QString &statement, const SqlShape &shape) override;
};
