#pragma once

#include <string>

#include "engine/Job.h"

// Sets up the job, plans every group, then totals the plan and derives the
// leftover list and the cut marks. True when the result model is complete.
bool RunOptimisation(WireOptimize_Whole& job, JobError& error);

// The checks made before a run, in the order they are made.
enum class PlanCheck {
    PASSED,
    NEGATIVE_TRIM,  // the trim is below 0
    NEGATIVE_KERF,  // the kerf is below 0
    NO_CUT_ROWS,    // the cut list is empty
    NO_STOCK_ROWS,  // the stock list is empty
};

// The first check the lists and parameters fail, or PASSED.
PlanCheck CheckPlanInput(const InputLists& lists, const PlanParameters& parameters);

// What the user is told of a failed check (empty for PASSED).
std::u16string PlanCheckMessage(PlanCheck check);

// How a plan ended besides whether it planned.
struct PlanOutcome {
    PlanCheck m_check = PlanCheck::PASSED;  // the check that refused the input; the job is untouched then
    JobError m_error;                       // why the run failed, once the checks passed
    bool m_withdrawn = false;               // the hooks withdrew the run (interrupt, time limit)
};

// Plans the lists into job with the parameters: checks the input, loads the
// job, installs hooks as the run's window, runs and puts the previous hooks
// back. True when the plan is complete (an exact plan withdrawn after its
// first plan keeps the best one found and is complete).
bool PlanLists(WireOptimize_Whole& job, const InputLists& lists, const PlanParameters& parameters, RunHooks& hooks,
               PlanOutcome& outcome);
