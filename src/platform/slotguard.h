#pragma once
// Qt lets no exception cross its frames, so a slot that calls code which may raise runs it
// through runGuarded: the exception is handed to the program's handler inside the slot, and
// the slot returns normally.
#include <functional>

void runGuarded(const std::function<void()> &work);
// The work wrapped for connect().
template <class F> auto guarded(F work)
{
    return [work = std::move(work)] { runGuarded(work); };
}

// Called inside the catch handler with the exception being handled; the shell shows the
// unhandled-exception dialog. Without one, the message goes to the log. None removes it.
void setGuardHandler(std::function<void()> newHandler);
