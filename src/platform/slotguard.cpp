// Runs raising code inside a slot and hands an exception to the program's handler.
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

void setGuardHandler(std::function<void()> newHandler) { handler() = std::move(newHandler); }

void runGuarded(const std::function<void()> &work)
{
    try {
        work();
    } catch (...) {
        if (handler())
            handler()();
        else
            qWarning("unhandled exception in a slot: %s", qPrintable(currentExceptionMessage()));
    }
}
