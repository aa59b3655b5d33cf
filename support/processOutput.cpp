#include "kesp/support/processOutput.h"

#include <csignal>
#include <cstdio>
#include <iostream>

namespace kesp {

void prepareProcessOutput()
{
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

bool consoleWritten()
{
    std::cout.flush();
    // The C stream notes a failed write even where the C++ stream does not
    // see it (a line flushed after it was buffered).
    return std::cout.good() && std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}

}  // namespace kesp
