#include "input/runOptions.h"

namespace kesp {

bool applySwitchWord(std::string_view word, RunOptions& options)
{
    if (word == "/strict") {
        options.strict = true;
    } else if (word == "/2006") {
        options.masses2006 = true;
        options.oxygenEffect = false;
        options.zebDependentOxygen = false;
    } else if (word == "/no2") {
        options.oxygenEffect = false;
    } else if (word == "/nq") {
        options.zebDependentOxygen = false;
    } else {
        return false;
    }
    return true;
}

}  // namespace kesp
