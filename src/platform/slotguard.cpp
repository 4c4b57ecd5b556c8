#include "slotguard.h"

#include "base/exception.h"

#include <QtGlobal>

namespace {
std::function<void()> &handler()
{
    static std::function<void()> installed;
    return installed;
}
} // namespace

void SetGuardHandler(std::function<void()> Handler) { handler() = std::move(Handler); }

void RunGuarded(const std::function<void()> &Work)
{
    try {
        Work();
    } catch (...) {
        if (handler())
            handler()();
        else
            qWarning("unhandled exception in a slot: %s", qPrintable(currentExceptionMessage()));
    }
}
