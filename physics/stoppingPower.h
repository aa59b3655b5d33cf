#pragma once
// Stopping power of the nucleus medium as closed-form fits in u = ln(gamma),
// per unit (Zeff/beta)^2, in keV/um. Protons (Z = 1) have their own pair of
// fits, every ion from helium up shares one pair, the electron (Z = -1) has a
// collisional and a radiative fit.

#include <cstdint>

namespace kesp {

double protonElectronic(double u);
double protonNuclear(double u);
double ionElectronic(double u);
double ionNuclear(double u);
double electronCollisional(double u);
double electronRadiative(double u);

// The electronic and nuclear fits at one u, with ln(u) taken once: the same
// values as protonElectronic and protonNuclear (ionElectronic and ionNuclear).
struct FitPair {
    double electronic;
    double nuclear;
};
FitPair protonFits(double u);
FitPair ionFits(double u);

struct StoppingPair {
    double electronic;  // electronic (collisional for the electron), keV/um
    double total;       // electronic plus nuclear (radiative for the electron), keV/um
};

// Stopping power of a particle of charge number Z at Lorentz factor gamma with
// (Zeff/beta)^2 = zeb. Both values are 0 unless gamma > 1 (so also for NaN).
StoppingPair stoppingPowerFit(std::int32_t Z, double gamma, double zeb);

struct StoppingComponents {
    double electronic;  // keV/um
    double radiative;   // keV/um; 0 for ions
    double nuclear;     // keV/um; 0 for the electron
    double total;       // keV/um
};

// The stopping power components of a particle of charge number Z and rest
// energy restEnergy (MeV) at kinetic energy T (MeV), from its own kinematics.
StoppingComponents stoppingPowerComponents(std::int32_t Z, double restEnergy, double T);

}  // namespace kesp
