#include "support/interrupts.h"

#include <atomic>

namespace kesp {

namespace {

// What the handler sets. Both are lock-free, which makes setting them from a
// signal handler safe; the run reads them once the handler has returned.
StopFlag interruptRequested{false};
std::atomic<int> firstSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler sets the signal number");

constexpr int signalStatusBase = 128;

void restoreDefaultAction(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

extern "C" void onInterrupt(int signal);

// The next SIGINT or SIGTERM ends the process, unless it was left ignored.
void endOnNextSignal(int signal)
{
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == onInterrupt) {
        restoreDefaultAction(signal);
    }
}

// Only async-signal-safe calls. Both signals are blocked while it runs, so
// a second one waits until the actions are the default ones; one that
// reaches it anyway is raised again with its default action, which takes
// effect when the handler returns.
extern "C" void onInterrupt(int signal)
{
    if (interruptRequested.load()) {
        restoreDefaultAction(signal);
        raise(signal);
        return;
    }
    firstSignal.store(signal);
    interruptRequested.store(true);
    endOnNextSignal(SIGINT);
    endOnNextSignal(SIGTERM);
}

// Installs the handler for the signal unless the signal is ignored; the
// action found goes to `previous`.
void catchSignal(int signal, struct sigaction& previous)
{
    sigaction(signal, nullptr, &previous);
    const bool ignored = (previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN;
    if (ignored) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    // Writes to the console that the signal breaks off go on.
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

InterruptCatcher::InterruptCatcher()
{
    interruptRequested.store(false);
    firstSignal.store(0);
    catchSignal(SIGINT, previousInterrupt_);
    catchSignal(SIGTERM, previousTerminate_);
}

InterruptCatcher::~InterruptCatcher()
{
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    sigaction(SIGTERM, &previousTerminate_, nullptr);
}

const StopFlag& InterruptCatcher::stopFlag() const
{
    return interruptRequested;
}

int InterruptCatcher::exitStatus() const
{
    return signalStatusBase + firstSignal.load();
}

}  // namespace kesp
