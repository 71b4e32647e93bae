#include "engine/Run.h"

#include "engine/PlanSearch.h"
#include "engine/ResultModel.h"

bool RunOptimisation(WireOptimize_Whole& job, JobError& error)
{
    error = JobError();
    if (g_resultWindow)
        g_resultWindow->BeginRun();
    bool planned = SetUpJob(job, error);
    for (std::size_t i = 0; planned && i < job.m_groups.size(); ++i)
        planned = PlanGroup(job.m_groups[i], error);
    if (planned) {
        TotalJob(job);
        BuildLeftoverList(job);
        AssignMarks(job, true, g_resultWindow ? g_resultWindow->MarkSource() : nullptr);
    }
    // After an interruption g_resultWindow is null: the interrupt command has
    // already restored the window.
    if (g_resultWindow)
        g_resultWindow->EndRun();
    return planned;
}
