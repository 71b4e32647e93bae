#pragma once

// Runs a job without a window, as the command line does: the run goes on and
// the cut marks come from the lists.

#include <cstdint>

#include "engine/Job.h"
#include "engine/Run.h"
#include "lists/InputLists.h"

// The parameters of a run, in the order the helpers below take them.
inline PlanParameters MakeParameters(double trim = 0, double kerf = 0, int32_t kinds = 0, int32_t level = 0)
{
    PlanParameters parameters;
    parameters.m_trimLength = trim;
    parameters.m_kerfWidth = kerf;
    parameters.m_maxLengthKinds = kinds;
    parameters.m_speedLevel = level;
    return parameters;
}

// Plans the lists into job. Returns whether it planned; error holds the
// reason otherwise.
inline bool PlanJob(WireOptimize_Whole& job, const InputLists& lists, JobError& error, double trim = 0,
                    double kerf = 0, int32_t kinds = 0, int32_t level = 0)
{
    RunHooks hooks;
    PlanOutcome outcome;
    const bool planned = PlanLists(job, lists, MakeParameters(trim, kerf, kinds, level), hooks, outcome);
    error = outcome.m_error;
    return planned;
}
