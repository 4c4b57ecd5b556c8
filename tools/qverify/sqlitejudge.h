#pragma once
// An SQLite file, opened read-only; each statement is compiled, never stepped.
#include "judge.h"

class SqliteJudge : public Judge {
public:
    explicit SqliteJudge(const QString &path);
    ~SqliteJudge() override;
    SqlDialect dialect() const override { return SqlDialect::SQLite; }
    QString verdict(const QString &statement, const SqlShape &shape) override;
};
