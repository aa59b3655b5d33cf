#include "driver/runSequence.h"

#include <fstream>
#include <iostream>

#include "driver/banner.h"
#include "driver/commandLine.h"
#include "support/cpuClock.h"
#include "support/text.h"

namespace kesp {

int runKesp(std::span<const std::string_view> arguments)
{
    const double startSeconds = cpuSeconds();
    (void)startSeconds;
    writeBanner(std::cout);
    RunOptions& options = runOptions();
    readCommandLine(arguments, options);

    const std::string inputName(trimmed(options.inputFileName));
    std::ifstream input(inputName);
    if (!input) {
        std::cout << "Input file " << inputName << " is not found\n";
        return 0;
    }
    input.close();
    std::cout << "END KESP\n";
    return 0;
}

}  // namespace kesp
