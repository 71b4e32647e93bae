#include "engine/Run.h"

#include "engine/ExactPlan.h"
#include "engine/LowerBound.h"
#include "engine/PlanSearch.h"
#include "engine/ResultModel.h"

bool RunOptimisation(WireOptimize_Whole& job, JobError& error)
{
    error = JobError();
    job.m_lowerBound = 0;
    job.m_lowerBoundBars = -1;
    job.m_optimal = false;
    if (job.m_exactPlan)
        return RunExactPlan(job, error);
    if (g_resultWindow)
        g_resultWindow->BeginRun();
    bool planned = SetUpJob(job, error);
    for (std::size_t i = 0; planned && i < job.m_groups.size(); ++i) {
        // The bound needs the group's stock as it is before planning uses it up.
        const CuttingProblem problem = ProblemOfGroup(job.m_groups[i]);
        planned = PlanGroup(job.m_groups[i], error) && BoundGroup(job.m_groups[i], problem);
    }
    if (planned) {
        TotalJob(job);
        TotalJobBound(job);
        BuildLeftoverList(job);
        AssignMarks(job, true, g_resultWindow ? g_resultWindow->MarkSource() : nullptr);
    }
    // After an interruption g_resultWindow is null: the interrupt command has
    // already restored the window.
    if (g_resultWindow)
        g_resultWindow->EndRun();
    return planned;
}
