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
        AssignMarks(job);
    }
    // After an interruption g_resultWindow is null: the interrupt command has
    // already restored the window.
    if (g_resultWindow)
        g_resultWindow->EndRun();
    return planned;
}

PlanCheck CheckPlanInput(const InputLists& lists, const PlanParameters& parameters)
{
    if (parameters.m_trimLength < 0)
        return PlanCheck::NEGATIVE_TRIM;
    if (parameters.m_kerfWidth < 0)
        return PlanCheck::NEGATIVE_KERF;
    if (lists.CutRowCount() == 0)
        return PlanCheck::NO_CUT_ROWS;
    if (lists.StockRowCount() == 0)
        return PlanCheck::NO_STOCK_ROWS;
    return PlanCheck::PASSED;
}

std::u16string PlanCheckMessage(PlanCheck check)
{
    switch (check) {
    case PlanCheck::NEGATIVE_TRIM:
        return u"剔除的料头长度不应小于 0 !";
    case PlanCheck::NEGATIVE_KERF:
        return u"切割缝宽不应小于 0 !";
    case PlanCheck::NO_CUT_ROWS:
        return u"请先输入下料信息!";
    case PlanCheck::NO_STOCK_ROWS:
        return u"请先输入原料长度信息!";
    case PlanCheck::PASSED:
        break;
    }
    return std::u16string();
}

bool PlanLists(WireOptimize_Whole& job, const InputLists& lists, const PlanParameters& parameters, RunHooks& hooks,
               PlanOutcome& outcome)
{
    outcome = PlanOutcome();
    outcome.m_check = CheckPlanInput(lists, parameters);
    if (outcome.m_check != PlanCheck::PASSED)
        return false;
    const RunHooksGuard installed(&hooks);
    LoadJob(job, lists, parameters);
    const bool planned = RunOptimisation(job, outcome.m_error);
    outcome.m_withdrawn = g_resultWindow == nullptr;
    return planned;
}
