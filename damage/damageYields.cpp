#include "damage/damageYields.h"

namespace kesp {

namespace {
DamageYields theDamageYields;
}

DamageYields& damageYields()
{
    return theDamageYields;
}

void resetDamageYields()
{
    theDamageYields = DamageYields{};
}

}  // namespace kesp
