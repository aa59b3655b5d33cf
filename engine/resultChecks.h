#pragma once
// A run never reports a number that is not finite: each check stops the run
// (RunError) naming the quantity and the input items it comes from, before
// the console or the report would show it.

#include <vector>

#include "kesp/engine/runResults.h"
#include "kesp/input/runSettings.h"

namespace kesp {

// What the particle and dosimetry sections show of a single particle.
void checkParticlePhysics(const ParticlePhysics& physics, const RunSettings& settings);

// The kinematics of a particle as set up (component `position`, from 1):
// a single particle and every component of a mixed field are held to the
// same rule, so an energy whose momentum is not finite stops either.
void checkParticleKinematics(const ParticleState& particle, int position, const RunSettings& settings);

// A row of the mixed-field tables (component `position`, from 1).
void checkComponentRow(const ComponentRow& row, int position, const RunSettings& settings);

// The weighted sums of the tables' average rows.
void checkComponentAverages(const std::vector<ComponentRow>& rows, const RunSettings& settings);

// TABLE 1 to TABLE 6.
void checkStatistics(const ClusterStatistics& statistics, const RunSettings& settings);

}  // namespace kesp
