#pragma once

#include "engine/ColumnGeneration.h"
#include "engine/Job.h"

// The exact optimiser ("精确"): the least stock for every group, beside the
// six speed levels. Each group is planned at level 1 first; that plan is kept
// unless column generation and an integer program over the generated patterns
// find one that uses less non-preferred stock (then less preferred stock).
// The search of a group ends at the bound, after job.m_exactSeconds, or when
// the run is withdrawn; the best plan found so far is kept in every case.

// The message shown when the run was withdrawn and the best plans were kept.
extern const char16_t* const EXACT_INTERRUPTED_MESSAGE;

// One pattern of a plan: its stock class, pieces of each length per bar
// (parallel to the problem's lengths) and bars.
struct PlannedPattern {
    std::size_t stock = 0;
    std::vector<int64_t> counts;
    int64_t bars = 0;
};

// Takes away pieces cut beyond the demand, emptied bars included: first from
// the patterns with the fewest pieces.
void RemoveSurplus(const CuttingProblem& problem, std::vector<PlannedPattern>& plan);

// The group's patterns as the plan search records them: full bar length,
// pieces longest first, equal patterns on bars of equal length taken
// together; totalled by TotalGroup.
void RecordPlan(WireOptimize& group, const CuttingProblem& problem, const std::vector<PlannedPattern>& plan);

// Sets up the job and plans every group with the exact optimiser, then
// totals the plan as RunOptimisation does. False on an input problem, when a
// group cannot be planned within its stock, or when the run was withdrawn
// before every group had a plan.
bool RunExactPlan(WireOptimize_Whole& job, JobError& error);
