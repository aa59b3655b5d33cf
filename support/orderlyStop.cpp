#include "support/orderlyStop.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>

namespace kesp {

namespace {

StopHandler& stopHandler()
{
    static StopHandler handler = nullptr;
    return handler;
}

}  // namespace

void setStopHandler(StopHandler handler)
{
    stopHandler() = handler;
}

// A stop may come from a worker thread (the mixed-field physics runs on all
// cores) while others are still busy: one stop at a time writes its message,
// and the process ends without running static destructors under the feet of
// threads that still use them.
void stopRun(std::ostream& out, std::string_view message, int exitStatus)
{
    static std::mutex stopping;
    const std::lock_guard<std::mutex> onlyOne(stopping);
    std::cout.flush();
    out << message << '\n';
    out.flush();
    if (stopHandler() != nullptr) {
        stopHandler()(message, exitStatus);
    }
    std::fflush(nullptr);
    std::_Exit(exitStatus);
}

void stopRun(std::string_view message, int exitStatus)
{
    stopRun(std::cout, message, exitStatus);
}

}  // namespace kesp
