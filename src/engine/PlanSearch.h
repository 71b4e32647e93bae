#pragma once

#include "engine/Job.h"

// Plans one specification group: longest piece first, preferred stock first,
// each chosen pattern repeated as often as pieces and stock allow. Returns
// false on an input problem, on running out of stock (code 6) or when the run
// was interrupted (code 0).
bool PlanGroup(WireOptimize& group, JobError& error);
