#pragma once
// What several benchmarks do alike: a generated page read into the model, and the best time of
// a few runs.
#include "model/wqftypes.h"

#include <QBuffer>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace bench {
// The page the bytes hold; the benchmark ends with the reader's error when they hold none.
inline std::unique_ptr<TWQFFile> loadPage(const QByteArray &xml)
{
    auto page = std::make_unique<TWQFFile>();
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    if (!page->LoadFromStream(buffer, {})) {
        std::fprintf(stderr, "the generated page does not load: %s\n", qPrintable(page->LastError()));
        std::exit(1);
    }
    return page;
}

// The shortest of runs runs of work, in seconds.
inline double bestOf(int runs, const std::function<void()> &work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}
} // namespace bench
