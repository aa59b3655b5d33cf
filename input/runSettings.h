#pragma once
/// \file
/// Everything that defines one run: a value, built once (by the input reader
/// or directly by code), copied freely and only read while the run goes on.
/// Each member names its unit and the input item it mirrors.

#include <cstdint>

#include "kesp/input/radiationField.h"

namespace kesp {

/// The random number seed of a run whose input names none (SEED=).
inline constexpr std::int32_t defaultSeed = 987654321;

/// How oxygen fixes damage that would otherwise be chemically repaired: the
/// oxygen enhancement M rises from 1 to the maximum M0 as (Zeff/beta)^2 falls
/// below the half-way point Q (input block EVO2:).
struct OxygenModel {
    bool enabled = true;               ///< the oxygen effect; off with /no2 or /2006
    bool zebDependent = true;          ///< M depends on (Zeff/beta)^2; off with /nq or /2006 (M is M0)
    double maximumEnhancement = 1.74;  ///< M0, at least 1 for a meaningful model (M0=)
    double halfEffectOxygen = 0.3372;  ///< percent O2 at half effect (K=)
    double halfEffectZeb = 946.1;      ///< (Zeff/beta)^2 of the half-way point (Q=)
    double steepness = 2.15;           ///< exponent of the (Zeff/beta)^2 dependence (R=)

    /// Equal when every parameter is equal.
    bool operator==(const OxygenModel&) const = default;
};

/// Scavenging of the radicals that cause strand breaks by DMSO (input block
/// DMSO:).
struct DmsoModel {
    double concentration = 0.0;            ///< DMSO concentration, mol dm^-3; 0 for none (CONC=)
    double nonScavengeableFraction = 0.5;  ///< fraction of the DNA damage DMSO cannot prevent (FNSD=)
    double halfLevelConcentration = 0.5;   ///< mol dm^-3 that halves the scavengeable damage (CHMX=)

    /// Equal when every parameter is equal.
    bool operator==(const DmsoModel&) const = default;
};

/// The settings of one run: the cells, their environment and the radiation
/// field, with the input items they mirror.
struct RunSettings {
    std::int32_t cells = 1;                   ///< cells to simulate, at least 1 (NOCS=)
    std::int32_t seed = defaultSeed;          ///< random number seed; 0 asks for a clock seed (SEED=)
    double oxygenPercent = 100.0;             ///< pO2, percent O2 within [0, 100] (PO2=, or MMHG= converted)
    OxygenModel oxygenModel;                  ///< the oxygen effect (EVO2: M0= K= Q= R=, /no2, /nq)
    DmsoModel dmso;                           ///< scavenging by DMSO (DMSO: CONC= FNSD= CHMX=)
    double dnaContent = 6.0;                  ///< DNA content of the cell, Gbp (DNA=)
    double nucleusDiameter = 5.0;             ///< diameter of the cell nucleus, um (NDIA=)
    double unrepairableBaseFraction = 0.0;    ///< fraction Bl/Bd of base damages never repaired (FBL=)
    bool masses2006 = false;                  ///< the older (2006) set of mass constants (/2006)
    RadiationField field;                     ///< the particle type or mixed field (RADX:)
    /// Threads for the cells and a mixed field's component physics; 0: the
    /// CPUs of the process's affinity mask. The results are the same on any
    /// number; a caller that runs several runs at once gives 1. A run takes no
    /// more threads than it has cells (or components), and refuses more than
    /// maxThreads (engine/engine.h).
    unsigned threads = 0;

    /// Equal when every setting is equal.
    bool operator==(const RunSettings&) const = default;
};

}  // namespace kesp
