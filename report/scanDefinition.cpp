#include "kesp/report/scanDefinition.h"

#include "kesp/support/text.h"

namespace kesp {

bool applySwitch(std::string_view text, RunSwitches& switches)
{
    std::string word(text);
    toLower(word, word.size());
    return applySwitchWord(word, switches);
}

}  // namespace kesp
