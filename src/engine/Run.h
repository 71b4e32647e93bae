#pragma once

#include "engine/Job.h"

// Sets up the job, plans every group, then totals the plan and derives the
// leftover list and the cut marks. True when the result model is complete.
bool RunOptimisation(WireOptimize_Whole& job, JobError& error);

// The hooks of a run without a window (the command line, the tests): the run
// goes on to the end and the cut marks come from the lists that were loaded
// into the job.
class HeadlessRun : public RunHooks {
public:
    explicit HeadlessRun(const InputLists& lists) : m_lists(lists) {}
    const InputLists* MarkSource() const override { return &m_lists; }

private:
    const InputLists& m_lists;
};
