#include "engine/engine.h"

#include "support/text.h"

namespace outside {

std::string Engine::describe() const
{
    return shout("engine with " + std::to_string(gears) + " gears");
}

}  // namespace outside
