#pragma once
// How long the statements of one job may wait on the database in all: for locks that other
// sessions hold, or until the server stops a statement. Each statement waiting its own time on
// a locked table would make a long job outlast the time the editor gives the prober, and the
// editor would then show none of its verdicts.
#include <QtGlobal>

#include <algorithm>

class WaitBudget {
public:
    explicit WaitBudget(qint64 totalMs) : m_totalMs(totalMs), m_leftMs(totalMs) {}
    // The longest the next statement may wait: at most capMs, never more than is left.
    qint64 nextWaitMs(qint64 capMs) const { return std::min(capMs, m_leftMs); }
    void spend(qint64 ms) { m_leftMs = std::max<qint64>(0, m_leftMs - ms); }
    bool spent() const { return m_leftMs <= 0; }
    qint64 totalMs() const { return m_totalMs; }

private:
    qint64 m_totalMs;
    qint64 m_leftMs;
};

// A job's budget in milliseconds: 30 seconds, which with the wait for the connection keeps a
// job well inside the editor's two minutes; QVERIFY_WAIT_BUDGET_MS may name a smaller one.
qint64 waitBudgetMs();
