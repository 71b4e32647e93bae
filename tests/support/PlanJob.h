#pragma once

// Runs a job without a window, as the command line does: the run goes on and
// the cut marks come from the lists.

#include <cstdint>

#include "engine/Job.h"
#include "engine/Run.h"
#include "lists/InputLists.h"

// Loads the lists into job and runs it. Returns whether it planned; error
// holds the reason otherwise.
inline bool PlanJob(WireOptimize_Whole& job, const InputLists& lists, JobError& error, double trim = 0,
                    double kerf = 0, int32_t kinds = 0, int32_t level = 0)
{
    LoadJob(job, lists, trim, kerf, kinds, level);
    HeadlessRun hooks(lists);
    RunHooks* previous = g_resultWindow;
    g_resultWindow = &hooks;
    const bool planned = RunOptimisation(job, error);
    g_resultWindow = previous;
    return planned;
}
