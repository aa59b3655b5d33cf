#include "kesp/input/runSwitches.h"

namespace kesp {

bool applySwitchWord(std::string_view word, RunSwitches& switches)
{
    if (word == "/strict") {
        switches.strict = true;
    } else if (word == "/2006") {
        switches.masses2006 = true;
        switches.oxygenEffect = false;
        switches.zebDependentOxygen = false;
    } else if (word == "/no2") {
        switches.oxygenEffect = false;
    } else if (word == "/nq") {
        switches.zebDependentOxygen = false;
    } else {
        return false;
    }
    return true;
}

void applySwitches(const RunSwitches& switches, RunSettings& settings)
{
    settings.oxygenModel.enabled = switches.oxygenEffect;
    settings.oxygenModel.zebDependent = switches.zebDependentOxygen;
    settings.masses2006 = switches.masses2006;
}

}  // namespace kesp
