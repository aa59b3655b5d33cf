#include "kesp/support/interrupts.h"

#include <limits.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace kesp {

namespace {

// What the handler sets and reads. All are lock-free, which makes using them
// from a signal handler safe; the run reads them once the handler has set them.
StopFlag interruptRequested{false};
std::atomic<int> firstSignal{0};
// When the first signal came, in nanoseconds of the monotonic clock; 0 before.
std::atomic<std::int64_t> firstSignalTime{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler sets the signal number");
static_assert(std::atomic<std::int64_t>::is_always_lock_free, "a signal handler sets the time of the signal");

// The files a second request removes, kept where the handler can read them
// without allocating; each slot's flag says whether it names one.
char abortFiles[abortFileSlots][PATH_MAX] = {};
std::atomic<bool> abortFileNamed[abortFileSlots] = {};

constexpr int signalStatusBase = 128;
constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;
constexpr std::int64_t sameRequestNanoseconds =
    std::chrono::duration_cast<std::chrono::nanoseconds>(sameRequestWindow).count();

// clock_gettime is async-signal-safe; the result is at least 1, so that 0
// can mean "no signal yet".
std::int64_t monotonicNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t nanoseconds = std::int64_t{now.tv_sec} * nanosecondsPerSecond + now.tv_nsec;
    return nanoseconds > 0 ? nanoseconds : 1;
}

void restoreDefaultAction(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// Ends the process by the signal's default action, which takes effect when
// the handler returns (the signal is blocked while it runs).
void endAtOnce(int signal)
{
    for (int slot = 0; slot < abortFileSlots; ++slot) {
        if (abortFileNamed[slot].load()) {
            unlink(abortFiles[slot]);
        }
    }
    restoreDefaultAction(signal);
    raise(signal);
}

// Only async-signal-safe calls. Both signals are blocked in the thread that
// runs it; another thread may run it at the same time for a signal that came
// together with this one, so the first signal is claimed by one exchange.
extern "C" void onInterrupt(int signal)
{
    const std::int64_t now = monotonicNanoseconds();
    std::int64_t first = 0;
    if (firstSignalTime.compare_exchange_strong(first, now)) {
        firstSignal.store(signal);
        interruptRequested.store(true);
        return;
    }
    if (now - first >= sameRequestNanoseconds) {
        endAtOnce(signal);
    }
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
    firstSignalTime.store(0);
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

int removeOnAbort(const std::filesystem::path& path)
{
    const std::string& name = path.native();
    if (name.empty() || name.size() >= PATH_MAX) {
        return -1;
    }
    for (int slot = 0; slot < abortFileSlots; ++slot) {
        if (!abortFileNamed[slot].load()) {
            std::memcpy(abortFiles[slot], name.c_str(), name.size() + 1);
            abortFileNamed[slot].store(true);
            return slot;
        }
    }
    return -1;
}

void keepOnAbort(int slot)
{
    if (slot >= 0 && slot < abortFileSlots) {
        abortFileNamed[slot].store(false);
    }
}

}  // namespace kesp
