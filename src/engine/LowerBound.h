#pragma once

#include "engine/ColumnGeneration.h"
#include "engine/Job.h"

// The lower bound shown with every plan: the least stock length any plan of
// the group can use, from column generation over all patterns that fit (kerf,
// trim and length-kinds limit as the searches apply them), rounded up to the
// step of the stock lengths; with one stock length also the least bars.

// How long the bound of one group may take at the speed levels.
constexpr double LOWER_BOUND_SECONDS = 1.0;

// Fills the group's bound fields from the master solution of its problem.
void SetGroupBound(WireOptimize& group, const CuttingProblem& problem, double bound);

// Computes the bound of a planned group from its problem (taken before
// planning changed the group's stock). False when the run was interrupted.
bool BoundGroup(WireOptimize& group, const CuttingProblem& problem);

// Whether the group's plan reaches its bound; sets m_optimal.
void MarkOptimal(WireOptimize& group);

// The job's bound fields from its groups.
void TotalJobBound(WireOptimize_Whole& job);
