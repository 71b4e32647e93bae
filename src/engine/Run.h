#pragma once

#include "engine/Job.h"

// Sets up the job, plans every group, then totals the plan and derives the
// leftover list and the cut marks. True when the result model is complete.
bool RunOptimisation(WireOptimize_Whole& job, JobError& error);
