#include "support/orderlyStop.h"

#include <cstdlib>
#include <iostream>

namespace kesp {

void stopRun(std::ostream& out, std::string_view message, int exitStatus)
{
    std::cout.flush();
    out << message << '\n';
    out.flush();
    std::exit(exitStatus);
}

void stopRun(std::string_view message, int exitStatus)
{
    stopRun(std::cout, message, exitStatus);
}

}  // namespace kesp
