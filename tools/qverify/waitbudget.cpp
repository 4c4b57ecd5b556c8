// How long the statements of one job may wait on the database in all.
#include "waitbudget.h"

#include <QString>

namespace {
constexpr qint64 kDefaultMs = 30000;
} // namespace

qint64 waitBudgetMs()
{
    // Only ever smaller: the editor's time-out counts on the default.
    bool isNumber = false;
    const qint64 asked = qEnvironmentVariable("QVERIFY_WAIT_BUDGET_MS").toLongLong(&isNumber);
    return isNumber && asked > 0 && asked < kDefaultMs ? asked : kDefaultMs;
}
