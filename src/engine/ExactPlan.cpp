#include "engine/ExactPlan.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <unordered_set>
#include <utility>

#include <coin/CbcEventHandler.hpp>
#include <coin/CbcModel.hpp>
#include <coin/OsiClpSolverInterface.hpp>

#include "base/Messages.h"
#include "engine/LowerBound.h"
#include "engine/PatternPricing.h"
#include "engine/PlanSearch.h"
#include "engine/ResultModel.h"
#include "engine/SearchMath.h"

const char16_t* const EXACT_INTERRUPTED_MESSAGE = u"优化计算中断，已保留目前找到的最好方案 !";

namespace {

using Clock = std::chrono::steady_clock;

// Preferred bars are the offcuts on hand: in the optimiser's programs a
// metre of them costs this much of a metre of new stock, so that they are
// used wherever they save new stock, and among plans of equal new stock the
// one with the least offcuts wins.
constexpr double PREFERRED_WEIGHT = 0.001;

struct PlanCost {
    double normal = 0;
    double preferred = 0;
};

bool Better(const PlanCost& a, const PlanCost& b)
{
    const double tol = 1e-9 * std::max(1.0, b.normal);
    if (a.normal < b.normal - tol)
        return true;
    if (a.normal > b.normal + tol)
        return false;
    return a.preferred < b.preferred - 1e-9 * std::max(1.0, b.preferred);
}

PlanCost CostOf(const CuttingProblem& problem, const std::vector<PlannedPattern>& plan)
{
    PlanCost cost;
    for (const PlannedPattern& p : plan) {
        const StockClass& s = problem.stock[p.stock];
        (s.preferred ? cost.preferred : cost.normal) += double(p.bars) * s.length;
    }
    return cost;
}

double Weighted(const PlanCost& cost)
{
    return cost.normal + PREFERRED_WEIGHT * cost.preferred;
}

std::vector<int64_t> BarsPerClass(const CuttingProblem& problem, const std::vector<PlannedPattern>& plan)
{
    std::vector<int64_t> used(problem.stock.size(), 0);
    for (const PlannedPattern& p : plan)
        used[p.stock] += p.bars;
    return used;
}

std::size_t PieceIndex(const CuttingProblem& problem, double length)
{
    return std::size_t(std::find(problem.pieceLength.begin(), problem.pieceLength.end(), length) -
                       problem.pieceLength.begin());
}

// The patterns a run of the plan search left in `after`, as a plan over the
// problem's stock classes. The search does not record which row a pattern's
// bars came from; the rows it used up or shortened tell how many bars of
// each class it took, and bars of equal length are interchangeable.
bool SearchedPlan(const CuttingProblem& problem, const WireOptimize& before, const WireOptimize& after,
                  std::vector<PlannedPattern>& plan)
{
    const double trim = before.m_trimLength > 0 ? before.m_trimLength : 0;
    std::vector<int64_t> used(problem.stock.size(), 0);
    for (std::size_t j = 0; j < problem.stock.size(); ++j) {
        const StockClass& s = problem.stock[j];
        const double planned = trim > 0 ? s.length - trim : s.length;
        int64_t had = 0, left = 0;
        for (std::size_t r = 0; r < before.m_stockLength.size(); ++r)
            if (before.m_stockLength[r] == s.length && (before.m_stockPriority[r] != 0) == s.preferred)
                had += before.m_stockQuantity[r];
        for (std::size_t r = 0; r < after.m_stockLength.size(); ++r)
            if (after.m_stockLength[r] == planned && (after.m_stockPriority[r] != 0) == s.preferred)
                left += after.m_stockQuantity[r];
        // Rows without a limit are not counted down bar by bar: their bars
        // are there for any pattern of their length.
        used[j] = s.quantity < 0 ? std::numeric_limits<int64_t>::max() : had - left;
    }
    for (const WireCombine& pattern : after.m_patterns) {
        PlannedPattern p;
        p.counts.assign(problem.pieceLength.size(), 0);
        for (std::size_t t = 0; t < pattern.m_pieceLength.size(); ++t) {
            const std::size_t i = PieceIndex(problem, pattern.m_pieceLength[t]);
            if (i >= problem.pieceLength.size())
                return false;
            p.counts[i] += pattern.m_pieceCount[t];
        }
        // The rows counted down first, then those without a limit.
        int64_t bars = pattern.m_barCount;
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t j = 0; j < problem.stock.size() && bars > 0; ++j) {
                if ((problem.stock[j].quantity < 0) != (pass == 1) || problem.stock[j].length != pattern.m_barLength ||
                    used[j] <= 0)
                    continue;
                p.stock = j;
                p.bars = std::min(bars, used[j]);
                used[j] -= p.bars;
                bars -= p.bars;
                plan.push_back(p);
            }
        }
        if (bars > 0)
            return false;
    }
    return true;
}

// Plans a copy of the group at level 1; false when it could not.
bool PlanAtLevelOne(const WireOptimize& original, const CuttingProblem& problem, std::vector<PlannedPattern>& plan,
                    JobError& error)
{
    WireOptimize copy = original;
    const int32_t level = g_speedLevel;
    g_speedLevel = 1;
    const bool planned = PlanGroup(copy, error);
    g_speedLevel = level;
    return planned && SearchedPlan(problem, original, copy, plan);
}

// Stops CBC at the deadline or when the run is withdrawn; asks the run at
// most every 50 ms.
class StopWatch : public CbcEventHandler {
public:
    StopWatch(Clock::time_point deadline, const std::function<bool()>* keepGoing, bool* stopped)
        : m_deadline(deadline), m_keepGoing(keepGoing), m_stopped(stopped)
    {
    }
    CbcAction event(CbcEvent) override
    {
        const Clock::time_point now = Clock::now();
        if (now >= m_deadline)
            return stop;
        if (now >= m_nextAsk) {
            m_nextAsk = now + std::chrono::milliseconds(50);
            if (*m_keepGoing && !(*m_keepGoing)()) {
                *m_stopped = true;
                return stop;
            }
        }
        return noAction;
    }
    CbcEventHandler* clone() const override { return new StopWatch(*this); }

private:
    Clock::time_point m_deadline;
    Clock::time_point m_nextAsk = Clock::now();
    const std::function<bool()>* m_keepGoing;
    bool* m_stopped;
};

// An integer program over the generated patterns: bars of each pattern
// cutting at least `demand` within `stockLeft` (-1 = unlimited) at the least
// cost. Only solutions below `cutoff` are sought. True when CBC found one.
bool SolveInteger(const CuttingProblem& problem, const std::vector<PatternColumn>& columns,
                  const std::vector<double>& cost, const std::vector<int64_t>& demand,
                  const std::vector<int64_t>& stockLeft, double cutoff, Clock::time_point deadline,
                  const std::function<bool()>& keepGoing, bool& stopped, std::vector<int64_t>& bars)
{
    const std::size_t n = problem.pieceLength.size();
    std::vector<int> quantityRow(problem.stock.size(), -1);
    int rows = int(n);
    for (std::size_t j = 0; j < problem.stock.size(); ++j)
        if (stockLeft[j] >= 0)
            quantityRow[j] = rows++;
    // The matrix is put together column by column in plain arrays and
    // handed over at once.
    std::vector<CoinBigIndex> start = {0};
    std::vector<int> index;
    std::vector<double> element;
    std::vector<double> lower, upper, objective;
    for (const PatternColumn& c : columns) {
        double most = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (c.counts[i] > 0 && demand[i] > 0) {
                index.push_back(int(i));
                element.push_back(double(c.counts[i]));
                most = std::max(most, std::ceil(double(demand[i]) / double(c.counts[i])));
            }
        }
        if (quantityRow[c.stock] >= 0) {
            index.push_back(quantityRow[c.stock]);
            element.push_back(1);
            most = std::min(most, double(stockLeft[c.stock]));
        }
        start.push_back(CoinBigIndex(index.size()));
        lower.push_back(0);
        upper.push_back(most);
        objective.push_back(cost[c.stock]);
    }
    std::vector<double> rowLower(std::size_t(rows), -COIN_DBL_MAX), rowUpper(std::size_t(rows), COIN_DBL_MAX);
    for (std::size_t i = 0; i < n; ++i)
        rowLower[i] = double(demand[i]);
    for (std::size_t j = 0; j < problem.stock.size(); ++j)
        if (quantityRow[j] >= 0)
            rowUpper[std::size_t(quantityRow[j])] = double(stockLeft[j]);

    OsiClpSolverInterface solver;
    solver.messageHandler()->setLogLevel(0);
    solver.getModelPtr()->setLogLevel(0);
    solver.loadProblem(int(columns.size()), rows, start.data(), index.data(), element.data(), lower.data(),
                       upper.data(), objective.data(), rowLower.data(), rowUpper.data());
    for (int c = 0; c < int(columns.size()); ++c)
        solver.setInteger(c);
    CbcModel model(solver);
    model.setLogLevel(0);
    model.messageHandler()->setLogLevel(0);
    const double seconds = std::chrono::duration<double>(deadline - Clock::now()).count();
    if (seconds <= 0)
        return false;
    model.setMaximumSeconds(seconds);
    if (std::isfinite(cutoff))
        model.setCutoff(cutoff);
    StopWatch watch(deadline, &keepGoing, &stopped);
    model.passInEventHandler(&watch);
    model.branchAndBound();
    const double* best = model.bestSolution();
    if (!best)
        return false;
    bars.assign(columns.size(), 0);
    for (std::size_t c = 0; c < columns.size(); ++c)
        bars[c] = int64_t(std::llround(best[c]));
    // Check what CBC gave back before it is trusted.
    std::vector<int64_t> cut(n, 0), taken(problem.stock.size(), 0);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (bars[c] < 0)
            return false;
        taken[columns[c].stock] += bars[c];
        for (std::size_t i = 0; i < n; ++i)
            cut[i] += bars[c] * columns[c].counts[i];
    }
    for (std::size_t i = 0; i < n; ++i)
        if (cut[i] < demand[i])
            return false;
    for (std::size_t j = 0; j < problem.stock.size(); ++j)
        if (stockLeft[j] >= 0 && taken[j] > stockLeft[j])
            return false;
    return true;
}

// The stock rows of the group less the bars of `used` per class, for a
// search of the pieces left.
WireOptimize RemainingGroup(const WireOptimize& original, const CuttingProblem& problem,
                            const std::vector<int64_t>& demandLeft, const std::vector<int64_t>& used)
{
    WireOptimize rest = original;
    rest.m_cutLength.clear();
    rest.m_cutQuantity.clear();
    for (std::size_t i = 0; i < problem.pieceLength.size(); ++i) {
        if (demandLeft[i] > 0) {
            rest.m_cutLength.push_back(problem.pieceLength[i]);
            rest.m_cutQuantity.push_back(demandLeft[i]);
        }
    }
    std::vector<int64_t> toTake = used;
    for (std::size_t r = 0; r < rest.m_stockLength.size(); ++r) {
        if (rest.m_stockQuantity[r] >= UNLIMITED_QUANTITY)
            continue;
        for (std::size_t j = 0; j < problem.stock.size(); ++j) {
            const StockClass& s = problem.stock[j];
            if (s.length != rest.m_stockLength[r] || s.preferred != (rest.m_stockPriority[r] != 0) || s.quantity < 0)
                continue;
            const int64_t take = std::min<int64_t>(toTake[j], rest.m_stockQuantity[r]);
            rest.m_stockQuantity[r] -= int32_t(take);
            toTake[j] -= take;
        }
    }
    // Rows used up are left out.
    WireOptimize kept = rest;
    kept.m_stockLength.clear();
    kept.m_stockQuantity.clear();
    kept.m_stockPriority.clear();
    for (std::size_t r = 0; r < rest.m_stockLength.size(); ++r) {
        if (rest.m_stockQuantity[r] > 0) {
            kept.m_stockLength.push_back(rest.m_stockLength[r]);
            kept.m_stockQuantity.push_back(rest.m_stockQuantity[r]);
            kept.m_stockPriority.push_back(rest.m_stockPriority[r]);
        }
    }
    return kept;
}

struct GroupSearch {
    GroupSearch(const WireOptimize& group, const CuttingProblem& cutting, Clock::time_point end)
        : original(group), problem(cutting), deadline(end)
    {
    }

    const WireOptimize& original;
    const CuttingProblem& problem;
    Clock::time_point deadline;
    std::function<bool()> keepGoing;
    bool stopped = false;
    bool haveBest = false;
    std::vector<PlannedPattern> best;
    PlanCost bestCost;
    double bound = 0;  // least total stock length, rounded; 0 = unknown
    bool boundKnown = false;
    // The group whose progress the run shows, once its bound is known.
    const WireOptimize* shown = nullptr;

    void Offer(std::vector<PlannedPattern> plan)
    {
        RemoveSurplus(problem, plan);
        const PlanCost cost = CostOf(problem, plan);
        if (!haveBest || Better(cost, bestCost)) {
            best = std::move(plan);
            bestCost = cost;
            haveBest = true;
            if (shown && g_resultWindow)
                g_resultWindow->ShowExactProgress(*shown, shown->m_lowerBound, cost.normal + cost.preferred);
        }
    }

    // The program's own objective (preferred stock weighted) has its own
    // bound: a plan that reaches it cannot be bettered either.
    double objectiveBound = 0;
    double objectiveStep = 0;
    bool Done() const
    {
        if (AtBound())
            return true;
        if (!haveBest || !(objectiveBound > 0))
            return false;
        const double value = Weighted(bestCost);
        return value <= RoundUpBound(objectiveBound, objectiveStep) + 1e-9 * std::max(1.0, value);
    }

    bool AtBound() const
    {
        if (!haveBest || !boundKnown)
            return false;
        const double total = bestCost.normal + bestCost.preferred;
        return total <= bound * (1 + 1e-12) + 1e-9;
    }

    // The plan from the master program's solution: every pattern on as many
    // bars as it has whole bars there, then the pieces left by the plan
    // search.
    void RoundMaster(const MasterSolution& master)
    {
        const std::size_t n = problem.pieceLength.size();
        std::vector<PlannedPattern> plan;
        std::vector<int64_t> left = problem.demand;
        std::vector<int64_t> stockLeft(problem.stock.size());
        for (std::size_t j = 0; j < problem.stock.size(); ++j)
            stockLeft[j] = problem.stock[j].quantity;
        for (std::size_t c = 0; c < master.columns.size(); ++c) {
            const int64_t bars = TruncCount(std::floor(master.usage[c] + 1e-9));
            if (bars <= 0)
                continue;
            const PatternColumn& col = master.columns[c];
            plan.push_back({col.stock, col.counts, bars});
            for (std::size_t i = 0; i < n; ++i)
                left[i] = std::max<int64_t>(0, left[i] - bars * col.counts[i]);
            if (stockLeft[col.stock] >= 0)
                stockLeft[col.stock] -= bars;
        }
        bool done = std::all_of(left.begin(), left.end(), [](int64_t d) { return d == 0; });
        if (!done && !stopped) {
            WireOptimize rest = RemainingGroup(original, problem, left, BarsPerClass(problem, plan));
            if (rest.m_stockLength.empty())
                return;
            JobError ignored;
            std::vector<PlannedPattern> searched;
            WireOptimize before = rest;
            if (!PlanAtLevelOne(before, problem, searched, ignored))
                return;
            plan.insert(plan.end(), searched.begin(), searched.end());
            done = true;
        }
        if (done)
            Offer(std::move(plan));
    }

    // Diving with limited discrepancy. At each step some bars are fixed:
    // either every pattern's whole bars with one more bar of the pattern
    // whose share lies nearest a whole bar, or (the closer dive) the
    // patterns the solution holds on whole bars with the pattern whose share
    // lies nearest a whole number of bars (at least one). The program is then
    // solved again, new patterns priced, for the pieces left, until every
    // piece is cut. A step whose fixed bars and the bound of what is left
    // cannot beat the best plan is given up; near the top of the dive the
    // next-nearest patterns are then tried instead, and a pattern passed over
    // is not chosen again below that step. DiveFrom returns true when the
    // search is over: the best plan reached the bound, the time is up or the
    // run was withdrawn.
    struct DiveStep {
        CuttingProblem rest;
        std::vector<PlannedPattern> plan;
        double fixedCost = 0;
    };

    // Discrepancies allowed in one dive, and the depth below which none is taken.
    static constexpr int DIVE_DISCREPANCIES = 3;
    static constexpr int DIVE_DISCREPANCY_DEPTH = 6;
    // How near its bound the program of a step is solved.
    static constexpr double DIVE_GAP = 1e-4;

    bool m_roundAllDown = true;
    // Every pattern the dives met, for the integer program at the end.
    std::vector<PatternColumn> m_pool;
    std::unordered_set<PatternColumn, PatternColumnHash> m_poolSeen;
    void AddToPool(const PatternColumn& column)
    {
        if (m_poolSeen.insert(column).second)
            m_pool.push_back(column);
    }

    bool Finished() const { return Done() || stopped || Clock::now() >= deadline; }

    void Dive(const MasterSolution& root, const std::vector<double>& cost, double granularity)
    {
        DiveStep start;
        start.rest = problem;
        for (const PatternColumn& c : root.columns)
            AddToPool(c);
        // Rounding every share down at each step is quick on long plans;
        // where it fails, steps of one pattern at a time follow the program
        // more closely.
        m_roundAllDown = true;
        if (DiveFrom(start, &root, nullptr, {}, DIVE_DISCREPANCIES, 0, cost, granularity))
            return;
        m_roundAllDown = false;
        DiveFrom(std::move(start), &root, nullptr, {}, DIVE_DISCREPANCIES, 0, cost, granularity);
    }

    // `given` is the program of this step when already solved (the root);
    // otherwise it is solved from the patterns `parent` used.
    bool DiveFrom(DiveStep step, const MasterSolution* given, const MasterSolution* parent,
                  std::vector<PatternColumn> tabu, int discrepancies, int depth, const std::vector<double>& cost,
                  double granularity)
    {
        const std::size_t n = problem.pieceLength.size();
        if (std::all_of(step.rest.demand.begin(), step.rest.demand.end(), [](int64_t d) { return d == 0; })) {
            Offer(std::move(step.plan));
            return Finished();
        }
        if (Finished())
            return true;
        MasterSolution solved;
        if (!given) {
            std::vector<PatternColumn> start;
            std::unordered_set<PatternColumn, PatternColumnHash> seen;
            // The patterns the step before used, cut down to the pieces
            // left, start the program: few columns solve fast, and pricing
            // brings back what is missing.
            for (std::size_t u = 0; u < parent->columns.size() && u < parent->usage.size(); ++u) {
                if (!(parent->usage[u] > 1e-9))
                    continue;
                const PatternColumn& c = parent->columns[u];
                PatternColumn capped = c;
                bool any = false;
                for (std::size_t i = 0; i < n; ++i) {
                    capped.counts[i] = std::min(capped.counts[i], step.rest.demand[i]);
                    any = any || capped.counts[i] > 0;
                }
                if (any && step.rest.stock[c.stock].quantity != 0 && seen.insert(capped).second)
                    start.push_back(std::move(capped));
            }
            SolveControl control;
            control.deadline = deadline;
            control.keepGoing = [this]() {
                if (!keepGoing())
                    stopped = true;
                return !stopped;
            };
            // A step needs a good solution to follow, not the last digit of
            // its value (its bound is a true one however early it stops).
            control.gapTolerance = DIVE_GAP;
            solved = SolveMaster(step.rest, cost, granularity, control, &start);
            if (!solved.solved || !solved.feasible)
                return Finished();
            for (const PatternColumn& c : solved.columns)
                AddToPool(c);
            given = &solved;
        }
        const MasterSolution& master = *given;
        if (haveBest && step.fixedCost + RoundUpBound(master.bound, granularity) >=
                            Weighted(bestCost) - 1e-9 * std::max(1.0, Weighted(bestCost)))
            return false;
        // Whole bars are fixed at once; the shares left are the choices.
        struct Choice {
            std::size_t column;
            int64_t bars;
            double distance;
        };
        std::vector<Choice> choices;
        bool fixed = false;
        for (std::size_t c = 0; c < master.columns.size() && c < master.usage.size(); ++c) {
            const double x = master.usage[c];
            if (!(x > 1e-6))
                continue;
            const PatternColumn& col = master.columns[c];
            const double nearest = std::round(x);
            if (!m_roundAllDown && nearest >= 1 && std::fabs(x - nearest) <= 1e-6) {
                fixed = Fix(step, col, int64_t(nearest), cost) || fixed;
                continue;
            }
            const double whole = m_roundAllDown ? std::floor(x + 1e-6) : 0;
            if (whole >= 1)
                fixed = Fix(step, col, int64_t(whole), cost) || fixed;
            const double share = x - whole;
            if (share <= 1e-6)
                continue;
            if (std::find(tabu.begin(), tabu.end(), col) != tabu.end())
                continue;
            if (m_roundAllDown)
                choices.push_back({c, 1, 1 - share});
            else
                choices.push_back({c, std::max<int64_t>(1, int64_t(nearest)), std::fabs(std::max(1.0, nearest) - x)});
        }
        std::stable_sort(choices.begin(), choices.end(),
                         [](const Choice& a, const Choice& b) { return a.distance < b.distance; });
        if (choices.empty())
            return fixed && DiveFrom(std::move(step), nullptr, &master, std::move(tabu), discrepancies, depth + 1,
                                     cost, granularity);
        for (std::size_t k = 0; k < choices.size() && int(k) <= discrepancies; ++k) {
            DiveStep child = step;
            const PatternColumn& col = master.columns[choices[k].column];
            if (!Fix(child, col, choices[k].bars, cost))
                continue;
            std::vector<PatternColumn> passed = tabu;
            for (std::size_t p = 0; p < k; ++p)
                passed.push_back(master.columns[choices[p].column]);
            if (DiveFrom(std::move(child), nullptr, &master, std::move(passed), discrepancies - int(k), depth + 1,
                         cost, granularity))
                return true;
            if (depth >= DIVE_DISCREPANCY_DEPTH)
                break;
        }
        return false;
    }

    // Fixes up to `bars` bars of the pattern, as many as the stock left
    // allows; false when none could be.
    static bool Fix(DiveStep& step, const PatternColumn& column, int64_t bars, const std::vector<double>& cost)
    {
        const int64_t quantity = step.rest.stock[column.stock].quantity;
        if (quantity >= 0)
            bars = std::min(bars, quantity);
        if (bars <= 0)
            return false;
        step.plan.push_back({column.stock, column.counts, bars});
        step.fixedCost += double(bars) * cost[column.stock];
        for (std::size_t i = 0; i < step.rest.demand.size(); ++i)
            step.rest.demand[i] = std::max<int64_t>(0, step.rest.demand[i] - bars * column.counts[i]);
        if (quantity >= 0)
            step.rest.stock[column.stock].quantity -= bars;
        return true;
    }
    // All bars of the plan by one integer program over every generated
    // pattern, seeking only plans that cost less than the best one.
    void SolveWhole(const std::vector<PatternColumn>& columns, const std::vector<double>& cost, double granularity)
    {
        std::vector<int64_t> stockLeft(problem.stock.size());
        for (std::size_t j = 0; j < problem.stock.size(); ++j)
            stockLeft[j] = problem.stock[j].quantity;
        double cutoff = INFINITY;
        if (haveBest) {
            const double current = Weighted(bestCost);
            cutoff = granularity > 0 ? current - granularity * 0.5 : current * (1 - 1e-9);
        }
        std::vector<int64_t> bars;
        if (!SolveInteger(problem, columns, cost, problem.demand, stockLeft, cutoff, deadline, keepGoing, stopped,
                          bars))
            return;
        std::vector<PlannedPattern> plan;
        for (std::size_t c = 0; c < bars.size(); ++c)
            if (bars[c] > 0)
                plan.push_back({columns[c].stock, columns[c].counts, bars[c]});
        Offer(std::move(plan));
    }
};

// Most patterns listed for the exact integer program of a small job.
constexpr std::size_t ENUMERATED_PATTERNS = 20000;

// Appends every pattern of every class to which no further piece of the job
// can be added (the others are never needed: a plan with one is as good with
// a fuller one and its surplus taken away). False when there are more than
// `limit`.
bool EnumeratePatterns(const CuttingProblem& problem, std::size_t limit, std::vector<PatternColumn>& out)
{
    const std::size_t n = problem.pieceLength.size();
    std::vector<PatternColumn> found;
    bool complete = true;
    for (std::size_t j = 0; j < problem.stock.size() && complete; ++j) {
        const double room = problem.stock[j].usable + problem.kerf + FIT_MARGIN;
        std::vector<int64_t> counts(n, 0);
        std::function<void(std::size_t, double, int32_t)> walk = [&](std::size_t i, double used, int32_t kinds) {
            if (!complete)
                return;
            if (i == n) {
                // Full: no length with pieces to spare fits any more.
                for (std::size_t t = 0; t < n; ++t) {
                    const bool kindOk = counts[t] > 0 || problem.maxKinds == 0 || kinds < problem.maxKinds;
                    if (counts[t] < problem.demand[t] && kindOk &&
                        used + problem.pieceLength[t] + problem.kerf <= room)
                        return;
                }
                if (kinds == 0)
                    return;
                if (found.size() >= limit) {
                    complete = false;
                    return;
                }
                found.push_back({j, counts});
                return;
            }
            const double w = problem.pieceLength[i] + problem.kerf;
            int64_t most = std::min<int64_t>(problem.demand[i], TruncCount((room - used) / w));
            if (problem.maxKinds > 0 && kinds >= problem.maxKinds)
                most = 0;
            for (int64_t c = most; c >= 0 && complete; --c) {
                counts[i] = c;
                walk(i + 1, used + double(c) * w, kinds + (c > 0));
            }
            counts[i] = 0;
        };
        walk(0, 0, 0);
    }
    if (!complete)
        return false;
    out.insert(out.end(), found.begin(), found.end());
    return true;
}

// The step in which a plan's cost moves: the greatest common divisor of the
// costs of a bar where they are all whole multiples of 1, 0.1, ... 0.0001
// (and not too large), else 0.
double CostGranularity(const std::vector<double>& cost)
{
    for (double scale = 1; scale <= 10000; scale *= 10) {
        int64_t g = 0;
        bool whole = true;
        for (double c : cost) {
            const double units = c * scale;
            if (!(units > 0) || units > 1e15 || std::fabs(units - std::round(units)) > 1e-6) {
                whole = false;
                break;
            }
            g = std::gcd(g, int64_t(std::llround(units)));
        }
        if (whole && g > 0)
            return double(g) / scale;
    }
    return 0;
}

// Improves the group's plan until the bound, the deadline or the end of the
// run; returns false when the run was withdrawn.
void SearchGroup(GroupSearch& search, WireOptimize& group)
{
    const CuttingProblem& problem = search.problem;
    bool havePreferred = false;
    std::vector<double> length, weighted;
    for (const StockClass& s : problem.stock) {
        havePreferred = havePreferred || s.preferred;
        length.push_back(s.length);
        weighted.push_back(s.preferred ? s.length * PREFERRED_WEIGHT : s.length);
    }
    const double single = SingleStockLength(problem);
    const double lengthStep = single > 0 ? single : StockGranularity(problem);
    const std::vector<double>& cost = havePreferred ? weighted : length;
    const double step = havePreferred ? CostGranularity(weighted) : lengthStep;

    SolveControl control;
    control.deadline = search.deadline;
    control.keepGoing = [&]() {
        if (!search.keepGoing())
            search.stopped = true;
        return !search.stopped;
    };
    // The bound counts every metre of stock alike.
    const MasterSolution master = SolveMaster(problem, cost, step, control);
    search.objectiveBound = master.bound;
    search.objectiveStep = step;
    if (!havePreferred && master.solved) {
        search.bound = master.bound;
    } else if (!search.stopped) {
        const MasterSolution plain = SolveMaster(problem, length, lengthStep, control);
        search.bound = plain.bound;
    }
    SetGroupBound(group, problem, search.bound);
    search.bound = group.m_lowerBound;
    search.boundKnown = group.m_lowerBound > 0;
    search.shown = &group;
    if (g_resultWindow)
        g_resultWindow->ShowExactProgress(group, group.m_lowerBound,
                                          search.haveBest ? search.bestCost.normal + search.bestCost.preferred : 0);
    if (search.Done() || search.stopped || !master.solved || !master.feasible)
        return;
    search.RoundMaster(master);
    if (search.Done() || search.stopped || Clock::now() >= search.deadline)
        return;
    search.Dive(master, cost, step);
    if (search.Done() || search.stopped || Clock::now() >= search.deadline)
        return;
    // Where every pattern can be listed, the integer program over all of
    // them is exact; otherwise it runs over the generated ones.
    std::vector<PatternColumn> columns = master.columns;
    if (EnumeratePatterns(problem, ENUMERATED_PATTERNS, columns))
        search.SolveWhole(columns, cost, step);
    else
        search.SolveWhole(search.m_pool.empty() || search.m_pool.size() > ENUMERATED_PATTERNS ? master.columns
                                                                                            : search.m_pool,
                          cost, step);
}

}  // namespace

void RemoveSurplus(const CuttingProblem& problem, std::vector<PlannedPattern>& plan)
{
    const std::size_t n = problem.pieceLength.size();
    std::vector<int64_t> surplus(n, 0);
    for (const PlannedPattern& p : plan)
        for (std::size_t i = 0; i < n; ++i)
            surplus[i] += p.bars * p.counts[i];
    for (std::size_t i = 0; i < n; ++i)
        surplus[i] -= problem.demand[i];
    auto pieces = [](const PlannedPattern& p) {
        int64_t total = 0;
        for (int64_t c : p.counts)
            total += c;
        return total;
    };
    std::stable_sort(plan.begin(), plan.end(),
                     [&](const PlannedPattern& a, const PlannedPattern& b) { return pieces(a) < pieces(b); });
    // Bars whose every piece is surplus go first, whole.
    for (PlannedPattern& p : plan) {
        int64_t spare = p.bars;
        for (std::size_t i = 0; i < n && spare > 0; ++i)
            if (p.counts[i] > 0)
                spare = std::min(spare, std::max<int64_t>(0, surplus[i]) / p.counts[i]);
        if (spare <= 0 || pieces(p) == 0)
            continue;
        p.bars -= spare;
        for (std::size_t i = 0; i < n; ++i)
            surplus[i] -= spare * p.counts[i];
    }
    std::vector<PlannedPattern> split;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t e = 0; e < plan.size() && surplus[i] > 0; ++e) {
            PlannedPattern& p = plan[e];
            const int64_t a = p.counts[i];
            if (a <= 0 || p.bars <= 0)
                continue;
            // Whole bars without this length, then one bar with part of it.
            const int64_t whole = std::min(p.bars, surplus[i] / a);
            if (whole > 0) {
                PlannedPattern q = p;
                q.bars = whole;
                q.counts[i] = 0;
                split.push_back(q);
                p.bars -= whole;
                surplus[i] -= whole * a;
            }
            if (surplus[i] > 0 && surplus[i] < a && p.bars > 0) {
                PlannedPattern q = p;
                q.bars = 1;
                q.counts[i] = a - surplus[i];
                split.push_back(q);
                p.bars -= 1;
                surplus[i] = 0;
            }
        }
        // The split-off bars may hold the next lengths' surplus too.
        for (PlannedPattern& q : split)
            plan.push_back(q);
        split.clear();
        plan.erase(std::remove_if(plan.begin(), plan.end(), [](const PlannedPattern& p) { return p.bars <= 0; }),
                   plan.end());
    }
    plan.erase(std::remove_if(plan.begin(), plan.end(),
                              [&](const PlannedPattern& p) { return p.bars <= 0 || pieces(p) == 0; }),
               plan.end());
}

void RecordPlan(WireOptimize& group, const CuttingProblem& problem, const std::vector<PlannedPattern>& plan)
{
    group.m_patterns.clear();
    // Longest pieces first, as the plan search leads with the longest piece.
    std::vector<std::size_t> order(problem.pieceLength.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return problem.pieceLength[a] > problem.pieceLength[b];
    });
    for (const PlannedPattern& p : plan) {
        WireCombine combine;
        combine.m_barLength = problem.stock[p.stock].length;
        combine.m_barCount = p.bars;
        for (std::size_t i : order) {
            if (p.counts[i] > 0) {
                combine.m_pieceLength.push_back(problem.pieceLength[i]);
                combine.m_pieceCount.push_back(p.counts[i]);
            }
        }
        bool merged = false;
        for (WireCombine& existing : group.m_patterns) {
            if (existing.m_barLength == combine.m_barLength && existing.m_pieceLength == combine.m_pieceLength &&
                existing.m_pieceCount == combine.m_pieceCount) {
                existing.m_barCount += combine.m_barCount;
                merged = true;
                break;
            }
        }
        if (!merged)
            group.m_patterns.push_back(std::move(combine));
    }
    // Longest bars first, then the fullest patterns.
    std::stable_sort(group.m_patterns.begin(), group.m_patterns.end(),
                     [](const WireCombine& a, const WireCombine& b) {
                         if (a.m_pieceLength.front() != b.m_pieceLength.front())
                             return a.m_pieceLength.front() > b.m_pieceLength.front();
                         return a.m_barLength < b.m_barLength;
                     });
    TotalGroup(group);
}

bool RunExactPlan(WireOptimize_Whole& job, JobError& error)
{
    RunHooks* hooks = g_resultWindow;
    if (hooks)
        hooks->BeginRun();
    auto finish = [&](bool result) {
        if (g_resultWindow)
            g_resultWindow->EndRun();
        return result;
    };
    if (!SetUpJob(job, error))
        return finish(false);

    // Every group at level 1 first: the plans to beat, and a plan for every
    // group however early the run is withdrawn afterwards.
    std::vector<WireOptimize> originals = job.m_groups;
    std::vector<CuttingProblem> problems;
    std::vector<std::vector<PlannedPattern>> firstPlans(job.m_groups.size());
    std::vector<bool> haveFirst(job.m_groups.size(), false);
    for (std::size_t g = 0; g < job.m_groups.size(); ++g) {
        problems.push_back(ProblemOfGroup(originals[g]));
        JobError groupError;
        haveFirst[g] = PlanAtLevelOne(originals[g], problems[g], firstPlans[g], groupError);
        // Out of stock at level 1 leaves the group to the search, and so
        // does a plan that could not be read back (no error set).
        const bool readBackOnly = groupError.code == 0 && g_resultWindow != nullptr;
        if (!haveFirst[g] && groupError.code != 6 && !readBackOnly) {
            error = groupError;
            return finish(false);
        }
    }

    bool stopped = false;
    for (std::size_t g = 0; g < job.m_groups.size(); ++g) {
        WireOptimize& group = job.m_groups[g];
        GroupSearch search(originals[g], problems[g],
                           Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(std::max(0.0, job.m_exactSeconds))));
        search.keepGoing = []() { return CheckRun(); };
        search.stopped = stopped;
        if (haveFirst[g])
            search.Offer(firstPlans[g]);
        if (!stopped)
            SearchGroup(search, group);
        stopped = stopped || search.stopped;
        if (!search.haveBest) {
            if (stopped) {
                ShowMessage(u"优化计算中断 !");
                error.code = 0;
                return finish(false);
            }
            error.code = 6;
            error.text = group.m_spec;
            return finish(false);
        }
        RecordPlan(group, problems[g], search.best);
        if (!search.boundKnown) {
            group.m_lowerBound = 0;
            group.m_lowerBoundBars = -1;
        }
        MarkOptimal(group);
    }
    TotalJob(job);
    TotalJobBound(job);
    BuildLeftoverList(job);
    AssignMarks(job);
    if (stopped)
        ShowMessage(EXACT_INTERRUPTED_MESSAGE);
    return finish(true);
}
