#include "engine/LowerBound.h"

#include <cmath>

void SetGroupBound(WireOptimize& group, const CuttingProblem& problem, double bound)
{
    const double single = SingleStockLength(problem);
    const double step = single > 0 ? single : StockGranularity(problem);
    group.m_lowerBound = RoundUpBound(bound, step);
    group.m_lowerBoundBars = single > 0 ? int64_t(std::llround(group.m_lowerBound / single)) : -1;
}

bool BoundGroup(WireOptimize& group, const CuttingProblem& problem)
{
    std::vector<double> cost;
    for (const StockClass& s : problem.stock)
        cost.push_back(s.length);
    SolveControl control;
    control.deadline = std::chrono::steady_clock::now() +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(LOWER_BOUND_SECONDS));
    // A bound within a tenth of a per cent (what the bound line shows) of the program's value tells
    // the user all there is to tell; the exact optimiser goes on to the end.
    control.gapTolerance = 1e-3;
    bool interrupted = false;
    control.keepGoing = [&]() {
        interrupted = !ContinueRun();
        return !interrupted;
    };
    const double single = SingleStockLength(problem);
    const std::vector<PatternColumn> planned = ColumnsOfPlan(problem, group);
    const MasterSolution master =
        SolveMaster(problem, cost, single > 0 ? single : StockGranularity(problem), control, &planned);
    if (interrupted)
        return false;
    SetGroupBound(group, problem, master.bound);
    MarkOptimal(group);
    return true;
}

void MarkOptimal(WireOptimize& group)
{
    if (group.m_lowerBoundBars >= 0)
        group.m_optimal = group.m_totalBars <= group.m_lowerBoundBars;
    else
        group.m_optimal = group.m_lowerBound > 0 &&
                          group.m_totalLength <= group.m_lowerBound * (1 + 1e-12) + 1e-9;
}

void TotalJobBound(WireOptimize_Whole& job)
{
    job.m_lowerBound = 0;
    job.m_lowerBoundBars = job.m_groups.empty() ? -1 : 0;
    job.m_optimal = !job.m_groups.empty();
    for (const WireOptimize& g : job.m_groups) {
        if (!(g.m_lowerBound > 0)) {
            // A group without a bound leaves the job without one.
            job.m_lowerBound = 0;
            job.m_lowerBoundBars = -1;
            job.m_optimal = false;
            return;
        }
        job.m_lowerBound += g.m_lowerBound;
        if (g.m_lowerBoundBars < 0 || job.m_lowerBoundBars < 0)
            job.m_lowerBoundBars = -1;
        else
            job.m_lowerBoundBars += g.m_lowerBoundBars;
        job.m_optimal = job.m_optimal && g.m_optimal;
    }
}
