#include "support/parallelFor.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace kesp {

void parallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& task,
                 const std::function<bool()>& stopped)
{
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k = next++; k < count && !stopped(); k = next++) {
            task(k);
        }
    };
    const std::size_t helpers = std::min<std::size_t>(std::max(threads, 1U), std::max<std::size_t>(count, 1)) - 1;
    std::vector<std::jthread> pool;  // joined on return
    for (std::size_t t = 0; t < helpers; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // the threads there are take the tasks left
        }
    }
    work();
}

}  // namespace kesp
