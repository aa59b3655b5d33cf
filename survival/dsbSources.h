#pragma once
/// \file
/// What the survival model takes from a KESP run: the DSB yield per cell per
/// Gy (Sigma, with its SEM) and the frequency-mean specific energy zF of each
/// radiation the run simulated, with its share of the dose.

#include <span>
#include <vector>

#include "kesp/engine/runResults.h"
#include "kesp/survival/cellParameters.h"
#include "kesp/survival/linearQuadratic.h"

namespace kesp {

/// The DSB sources of a run: a single particle's Sigma and zF (dose fraction
/// 1); a mixed field's components, each with its weight as its dose fraction
/// (every cell receives the same dose) and Sigma from its own cells. Throws
/// RunError of kind input for a run without a cell, a mixed field stopped
/// before its last component, or a component of the field without a cell.
std::vector<DsbSource> dsbSources(const RunResults& run);

/// A run of the reference radiation as the one source the cell parameters
/// come from (marked as the reference run). A mixed field is folded into
/// \<Sigma\> and zF = \<zF Sigma^2\> / \<Sigma\>^2, which give it the same alpha
/// and beta; its SEM is that of \<Sigma\> from its components' SEMs.
DsbSource referenceSource(const RunResults& run);
/// The same from the run's DSB sources (dsbSources), as kept apart from
/// the run; throws RunError of kind input when there is none.
DsbSource referenceSource(std::span<const DsbSource> sources);

/// The reference radiation as a user knows it: its measured alpha_R (Gy^-1)
/// and beta_R (Gy^-2) and a run of it under the conditions of the
/// measurement.
ReferenceRadiation referenceRadiation(double alphaPerGy, double betaPerGy2, const RunResults& run);
/// The same from the run's DSB sources.
ReferenceRadiation referenceRadiation(double alphaPerGy, double betaPerGy2, std::span<const DsbSource> sources);

}  // namespace kesp
