#include "kesp/support/threadStart.h"

#include <signal.h>

#include <new>
#include <system_error>

namespace kesp {

namespace {

// Blocks every signal in the calling thread while it lives, so that the
// threads it starts meanwhile inherit the mask from their first
// instruction on; then puts the caller's mask back.
class SignalsBlocked {
public:
    SignalsBlocked()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t previous_{};
};

}  // namespace

std::vector<JoiningThread> startThreads(unsigned count, const std::function<void(unsigned)>& body)
{
    std::vector<JoiningThread> threads;
    threads.reserve(count);
    const SignalsBlocked blocked;
    for (unsigned k = 0; k < count; ++k) {
        try {
            threads.emplace_back([body, k] { body(k); });
        } catch (const std::system_error&) {
            break;  // no thread to be had: a limit of the process or the system
        } catch (const std::bad_alloc&) {
            break;  // no memory for another thread's stack or its start-up
        }
    }
    return threads;
}

}  // namespace kesp
