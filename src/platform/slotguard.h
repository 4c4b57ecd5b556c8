#pragma once
// Qt lets no exception cross its frames, so a slot that calls code which may raise runs it
// through RunGuarded: the exception is handed to the program's handler inside the slot, and
// the slot returns normally.
#include <functional>

void RunGuarded(const std::function<void()> &Work);
// Work wrapped for connect().
template <class F> auto Guarded(F Work)
{
    return [Work = std::move(Work)] { RunGuarded(Work); };
}

// Called inside the catch handler with the exception being handled; the shell shows the
// unhandled-exception dialog. Without one, the message goes to the log. None removes it.
void SetGuardHandler(std::function<void()> Handler);
