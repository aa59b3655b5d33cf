#include "report/componentPhysics.h"

namespace kesp {

ComponentPhysicsTable& componentPhysics()
{
    static ComponentPhysicsTable table{};
    return table;
}

}  // namespace kesp
