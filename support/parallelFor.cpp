#include "kesp/support/parallelFor.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "kesp/support/threadStart.h"

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
    // The threads there are take the tasks left; they are joined on return.
    const std::vector<JoiningThread> pool =
        startThreads(static_cast<unsigned>(helpers), [&work](unsigned) { work(); });
    work();
}

}  // namespace kesp
