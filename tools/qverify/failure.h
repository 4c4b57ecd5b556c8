#pragma once
// A failure of the whole job: main() prints its one line on standard error and ends with 1.
#include <QString>

struct Failure {
    QString line;
};

[[noreturn]] inline void fail(const QString &line) { throw Failure{QStringLiteral("qverify: ") + line}; }
