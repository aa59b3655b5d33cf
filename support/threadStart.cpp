#include "support/threadStart.h"

#include <new>
#include <system_error>

namespace kesp {

std::vector<std::jthread> startThreads(unsigned count, const std::function<void(unsigned)>& body)
{
    std::vector<std::jthread> threads;
    threads.reserve(count);
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
