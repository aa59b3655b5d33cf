#include <string_view>
#include <vector>

#include "kesp/support/processOutput.h"
#include "driver/runSequence.h"

int main(int argc, char** argv)
{
    kesp::prepareProcessOutput();
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return kesp::runKesp(arguments);
}
