#pragma once
// Independent tasks shared out over threads.

#include <cstddef>
#include <functional>

namespace kesp {

// Runs task(0) to task(count - 1), each once and handed out in this order,
// on the calling thread and up to threads - 1 more (never more than there
// are tasks); hands out no further task once stopped() is true. When the
// system refuses a thread, the tasks go on with the threads there are, the
// calling one at least. A task must not throw.
void parallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& task,
                 const std::function<bool()>& stopped = [] { return false; });

}  // namespace kesp
