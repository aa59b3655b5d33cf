#include "support/orderlyStop.h"

#include <cstdlib>
#include <iostream>

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

void stopRun(std::ostream& out, std::string_view message, int exitStatus)
{
    std::cout.flush();
    out << message << '\n';
    out.flush();
    if (stopHandler() != nullptr) {
        stopHandler()(message, exitStatus);
    }
    std::exit(exitStatus);
}

void stopRun(std::string_view message, int exitStatus)
{
    stopRun(std::cout, message, exitStatus);
}

}  // namespace kesp
