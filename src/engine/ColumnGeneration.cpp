#include "engine/ColumnGeneration.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_set>
#include <cstdio>
#include <cstdlib>

#include <coin/ClpSimplex.hpp>
#include <coin/CoinMessageHandler.hpp>

#include "engine/PatternPricing.h"
#include "engine/SearchMath.h"

namespace {

using Clock = std::chrono::steady_clock;

// The Lagrangian bound of prices pi: with theta * pi made feasible for the
// dual of the master program (every pattern of an unlimited class costs at
// least what it is worth, a limited class paying the excess through its
// quantity row), theta * (demand . pi) less the excess is a lower bound on
// every plan. `worth` holds an upper bound on the worth of any pattern of
// each class.
double LagrangianBound(const CuttingProblem& problem, const std::vector<double>& cost, double demandWorth,
                       const std::vector<double>& worth)
{
    double thetaMax = std::numeric_limits<double>::infinity();
    std::vector<double> breaks;
    for (std::size_t j = 0; j < problem.stock.size(); ++j) {
        if (!(worth[j] > 0))
            continue;
        const double t = cost[j] / worth[j];
        if (problem.stock[j].quantity < 0)
            thetaMax = std::min(thetaMax, t);
        else
            breaks.push_back(t);
    }
    auto at = [&](double theta) {
        double v = theta * demandWorth;
        for (std::size_t j = 0; j < problem.stock.size(); ++j)
            if (problem.stock[j].quantity >= 0)
                v += double(problem.stock[j].quantity) * std::min(0.0, cost[j] - theta * worth[j]);
        return v;
    };
    double best = 0;
    if (std::isfinite(thetaMax))
        best = std::max(best, at(thetaMax));
    for (double t : breaks)
        if (t <= thetaMax)
            best = std::max(best, at(t));
    return best;
}

// Steps of the grid program that bounds the pricing.
constexpr int64_t GRID_CELLS = 16384;
// Steps of the grid when it is to be exact on the lengths' own step.
constexpr int64_t EXACT_GRID_CELLS = 1 << 20;

}  // namespace

std::size_t PatternColumnHash::operator()(const PatternColumn& column) const
{
    uint64_t h = 1469598103934665603ull ^ column.stock;  // FNV-1a over the counts
    for (int64_t c : column.counts)
        h = (h ^ uint64_t(c)) * 1099511628211ull;
    return std::size_t(h);
}

double MaterialBound(const CuttingProblem& problem, const std::vector<double>& cost)
{
    // Each piece takes its length and a kerf; a bar holds its usable length
    // and one kerf (the first piece's, given back) and the fit margin.
    double need = 0;
    for (std::size_t i = 0; i < problem.pieceLength.size(); ++i)
        need += double(problem.demand[i]) * (problem.pieceLength[i] + problem.kerf);
    std::vector<std::size_t> order;
    for (std::size_t j = 0; j < problem.stock.size(); ++j)
        if (problem.stock[j].usable + problem.kerf > 0)
            order.push_back(j);
    auto room = [&](std::size_t j) { return problem.stock[j].usable + problem.kerf + FIT_MARGIN; };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return cost[a] / room(a) < cost[b] / room(b); });
    double total = 0;
    for (std::size_t j : order) {
        if (!(need > 0))
            break;
        const double bars = problem.stock[j].quantity < 0 ? need / room(j)
                                                           : std::min(need / room(j), double(problem.stock[j].quantity));
        total += bars * cost[j];
        need -= bars * room(j);
    }
    // Stock that cannot hold the pieces bounds nothing.
    return need > 1e-9 * std::max(1.0, total) ? 0 : total * (1 - 1e-12);
}

CuttingProblem ProblemOfGroup(const WireOptimize& group)
{
    CuttingProblem problem;
    problem.kerf = group.m_kerfWidth;
    problem.maxKinds = group.m_maxLengthKinds;
    for (std::size_t i = 0; i < group.m_cutLength.size(); ++i) {
        auto it = std::find(problem.pieceLength.begin(), problem.pieceLength.end(), group.m_cutLength[i]);
        if (it == problem.pieceLength.end()) {
            problem.pieceLength.push_back(group.m_cutLength[i]);
            problem.demand.push_back(group.m_cutQuantity[i]);
        } else {
            problem.demand[std::size_t(it - problem.pieceLength.begin())] += group.m_cutQuantity[i];
        }
    }
    for (std::size_t i = 0; i < group.m_stockLength.size(); ++i) {
        const double length = group.m_stockLength[i];
        const bool preferred = group.m_stockPriority[i] != 0;
        const int64_t quantity = group.m_stockQuantity[i] >= UNLIMITED_QUANTITY ? -1 : group.m_stockQuantity[i];
        auto it = std::find_if(problem.stock.begin(), problem.stock.end(), [&](const StockClass& s) {
            return s.length == length && s.preferred == preferred;
        });
        if (it == problem.stock.end()) {
            StockClass s;
            s.length = length;
            s.usable = length - (group.m_trimLength > 0 ? group.m_trimLength : 0);
            s.quantity = quantity;
            s.preferred = preferred;
            problem.stock.push_back(s);
        } else if (it->quantity >= 0) {
            it->quantity = quantity < 0 ? -1 : it->quantity + quantity;
        }
    }
    return problem;
}

std::vector<PatternColumn> ColumnsOfPlan(const CuttingProblem& problem, const WireOptimize& planned)
{
    std::vector<PatternColumn> columns;
    for (const WireCombine& pattern : planned.m_patterns) {
        std::vector<int64_t> counts(problem.pieceLength.size(), 0);
        bool known = true;
        for (std::size_t t = 0; t < pattern.m_pieceLength.size() && known; ++t) {
            auto it = std::find(problem.pieceLength.begin(), problem.pieceLength.end(), pattern.m_pieceLength[t]);
            known = it != problem.pieceLength.end();
            if (known)
                counts[std::size_t(it - problem.pieceLength.begin())] += pattern.m_pieceCount[t];
        }
        if (!known)
            continue;
        for (std::size_t j = 0; j < problem.stock.size(); ++j)
            if (problem.stock[j].length == pattern.m_barLength)
                columns.push_back({j, counts});
    }
    return columns;
}

double StockGranularity(const CuttingProblem& problem)
{
    int64_t g = 0;
    for (const StockClass& s : problem.stock) {
        if (!(s.length > 0) || s.length > 1e15 || s.length != std::floor(s.length))
            return 0;
        g = std::gcd(g, int64_t(s.length));
    }
    return double(g);
}

double SingleStockLength(const CuttingProblem& problem)
{
    double length = 0;
    for (const StockClass& s : problem.stock) {
        if (length != 0 && s.length != length)
            return 0;
        length = s.length;
    }
    return length;
}

double RoundUpBound(double value, double granularity)
{
    if (!(granularity > 0) || !(value > 0))
        return value;
    return std::ceil(value / granularity - 1e-7) * granularity;
}

MasterSolution SolveMaster(const CuttingProblem& problem, const std::vector<double>& cost, double granularity,
                           const SolveControl& control, const std::vector<PatternColumn>* startColumns)
{
    MasterSolution out;
    const std::size_t n = problem.pieceLength.size();
    const std::size_t m = problem.stock.size();
    if (n == 0 || m == 0)
        return out;
    out.bound = MaterialBound(problem, cost);

    // Rows: the demand of each length, then the quantity of each limited class.
    std::vector<int> quantityRow(m, -1);
    int rows = int(n);
    for (std::size_t j = 0; j < m; ++j)
        if (problem.stock[j].quantity >= 0)
            quantityRow[j] = rows++;

    ClpSimplex lp;
    lp.setLogLevel(0);
    lp.messageHandler()->setLogLevel(0);
    // Piece counts and bar lengths need no scaling, and scaling again after
    // every new column costs more than the solve.
    lp.scaling(0);
    lp.resize(rows, 0);
    for (std::size_t i = 0; i < n; ++i) {
        lp.setRowLower(int(i), double(problem.demand[i]));
        lp.setRowUpper(int(i), COIN_DBL_MAX);
    }
    for (std::size_t j = 0; j < m; ++j) {
        if (quantityRow[j] >= 0) {
            lp.setRowLower(quantityRow[j], -COIN_DBL_MAX);
            lp.setRowUpper(quantityRow[j], double(problem.stock[j].quantity));
        }
    }

    // A stand-in for each length at a price above any real bar keeps the
    // program feasible while the stock on hand cannot (yet) cover the demand.
    double highest = 0;
    for (double c : cost)
        highest = std::max(highest, c);
    const double standIn = 10 * highest + 1;
    for (std::size_t i = 0; i < n; ++i) {
        const int row = int(i);
        const double one = 1;
        lp.addColumn(1, &row, &one, 0, COIN_DBL_MAX, standIn);
    }
    const int standIns = int(n);
    // The solution meets the demand with real patterns alone.
    auto standInsUnused = [&](const double* x) {
        for (int c = 0; c < standIns; ++c)
            if (x[c] > 1e-7)
                return false;
        return true;
    };

    // Without a length-kinds limit a piece's place in a pattern can always
    // take a shorter piece instead: the next shorter length may be covered
    // by a piece of the next longer one at no cost. In the dual program this
    // keeps a shorter piece's price at most a longer one's, which spares
    // many rounds; it is lifted for the last rounds, so the program ends at
    // its own optimum.
    int exchanges = 0;
    if (problem.maxKinds == 0) {
        std::vector<std::size_t> order(n);
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return problem.pieceLength[a] > problem.pieceLength[b];
        });
        for (std::size_t k = 0; k + 1 < n; ++k) {
            const int rowsOf[2] = {int(order[k + 1]), int(order[k])};
            const double elements[2] = {1, -1};
            lp.addColumn(2, rowsOf, elements, 0, COIN_DBL_MAX, 0);
            ++exchanges;
        }
    }
    const int prefix = standIns + exchanges;
    auto liftExchanges = [&]() {
        for (int c = standIns; c < prefix; ++c)
            lp.setColumnUpper(c, 0);
        exchanges = 0;
    };

    // Columns wait in a batch and join the program together before the next
    // solve: adding them one at a time copies the whole matrix each time.
    std::unordered_set<PatternColumn, PatternColumnHash> known;
    std::vector<double> batchLower, batchUpper, batchCost, batchElement;
    std::vector<CoinBigIndex> batchStart = {0};
    std::vector<int> batchRow;
    auto addColumn = [&](std::size_t stock, const std::vector<int64_t>& counts) {
        if (!known.insert(PatternColumn{stock, counts}).second)
            return false;
        for (std::size_t i = 0; i < n; ++i) {
            if (counts[i] > 0) {
                batchRow.push_back(int(i));
                batchElement.push_back(double(counts[i]));
            }
        }
        if (quantityRow[stock] >= 0) {
            batchRow.push_back(quantityRow[stock]);
            batchElement.push_back(1);
        }
        batchStart.push_back(CoinBigIndex(batchRow.size()));
        batchLower.push_back(0);
        batchUpper.push_back(COIN_DBL_MAX);
        batchCost.push_back(cost[stock]);
        out.columns.push_back({stock, counts});
        return true;
    };
    auto flush = [&]() {
        if (batchCost.empty())
            return;
        lp.addColumns(int(batchCost.size()), batchLower.data(), batchUpper.data(), batchCost.data(),
                      batchStart.data(), batchRow.data(), batchElement.data());
        batchLower.clear();
        batchUpper.clear();
        batchCost.clear();
        batchElement.clear();
        batchRow.clear();
        batchStart.assign(1, 0);
    };

    // Start with one pattern of a single length on every class it fits.
    for (std::size_t j = 0; j < m; ++j) {
        for (std::size_t i = 0; i < n; ++i) {
            const double w = problem.pieceLength[i] + problem.kerf;
            int64_t c = std::min<int64_t>(problem.demand[i],
                                          TruncCount((problem.stock[j].usable + problem.kerf + FIT_MARGIN) / w));
            std::vector<int64_t> counts(n, 0);
            counts[i] = c;
            while (c > 0 && !PatternFits(problem.pieceLength, counts, problem.stock[j].usable, problem.kerf))
                counts[i] = --c;
            if (c > 0)
                addColumn(j, counts);
        }
    }

    // Patterns of a plan already made give the program a good start.
    if (startColumns)
        for (const PatternColumn& c : *startColumns)
            if (c.stock < m && c.counts.size() == n)
                addColumn(c.stock, c.counts);

    std::vector<PricingItem> items(n);
    for (std::size_t i = 0; i < n; ++i) {
        items[i].length = problem.pieceLength[i];
        items[i].limit = problem.demand[i];
    }
    std::vector<double> worth(m, 0);
    // The prices of the best bound so far: pricing at a point between them
    // and the program's own prices steadies the prices from round to round.
    std::vector<double> centre;
    double centreBound = 0;
    constexpr double SMOOTHING = 0.5;

    for (int round = 0;; ++round) {
        flush();
        if (round == 0)
            lp.dual(0, 1);
        else
            lp.primal(0, 1 | 2);
        if (lp.status() != 0) {
            // Numerical trouble: try once more from scratch.
            lp.allSlackBasis(true);
            lp.primal();
            if (lp.status() != 0)
                break;
        }
        out.solved = true;
        out.value = lp.objectiveValue();
        const double* x = lp.primalColumnSolution();
        out.feasible = standInsUnused(x);

        const double* dual = lp.dualRowSolution();
        std::vector<double> current(n);
        for (std::size_t i = 0; i < n; ++i)
            current[i] = std::max(0.0, dual[i]);
        bool added = false;
        bool exact = true;
        for (int attempt = 0; attempt < 2 && !added; ++attempt) {
            const bool smoothed = attempt == 0 && !centre.empty();
            if (attempt == 1 && centre.empty())
                break;
            double demandWorth = 0;
            for (std::size_t i = 0; i < n; ++i) {
                items[i].value = smoothed ? SMOOTHING * centre[i] + (1 - SMOOTHING) * current[i] : current[i];
                demandWorth += double(problem.demand[i]) * items[i].value;
            }
            exact = true;
            for (std::size_t j = 0; j < m; ++j) {
                const StockClass& s = problem.stock[j];
                const double rowPrice = quantityRow[j] >= 0 ? std::min(0.0, dual[quantityRow[j]]) : 0;
                const double threshold = cost[j] - rowPrice + 1e-9 * std::max(1.0, cost[j]);
                // Worth of a pattern at the program's own prices: it enters
                // when that exceeds the bar's cost.
                auto worthNow = [&](const std::vector<int64_t>& counts) {
                    double v = 0;
                    for (std::size_t i = 0; i < n; ++i)
                        v += double(counts[i]) * current[i];
                    return v;
                };
                auto offer = [&](const std::vector<int64_t>& counts) {
                    return worthNow(counts) > threshold && addColumn(j, counts);
                };
                // A quick search first; the grid program bounds what it may
                // have missed when it found nothing new, and now and then for
                // the bound.
                PricedPattern best = PriceBestPattern(items, s.usable, problem.kerf, problem.maxKinds,
                                                      control.pricingSteps);
                bool addedHere = offer(best.counts);
                for (const std::vector<int64_t>& other : best.runnersUp)
                    addedHere = offer(other) || addedHere;
                double upper = best.upperBound;
                if (!best.exact && (!addedHere || round % 8 == 0)) {
                    const PricedPattern grid =
                        GridBestPattern(items, s.usable, problem.kerf, problem.maxKinds, GRID_CELLS);
                    upper = std::min(upper, grid.upperBound);
                    if (!addedHere && !grid.counts.empty())
                        addedHere = offer(grid.counts);
                    best.value = std::max(best.value, grid.value);
                    // Still nothing: a grid of lengths rounded up finds
                    // patterns that surely fit; failing that, a grid as fine
                    // as the lengths' own step (where that is not too fine)
                    // settles whether any pattern prices out.
                    if (!addedHere && !grid.exact && upper > threshold) {
                        const PricedPattern fitting =
                            GridFittingPattern(items, s.usable, problem.kerf, problem.maxKinds, GRID_CELLS);
                        if (!fitting.counts.empty())
                            addedHere = offer(fitting.counts);
                        best.value = std::max(best.value, fitting.value);
                    }
                    if (!addedHere && !grid.exact) {
                        const PricedPattern fine =
                            GridBestPattern(items, s.usable, problem.kerf, problem.maxKinds, EXACT_GRID_CELLS);
                        upper = std::min(upper, fine.upperBound);
                        if (!fine.counts.empty())
                            addedHere = offer(fine.counts);
                        best.value = std::max(best.value, fine.value);
                    }
                }
                upper = std::max(upper, best.value);
                worth[j] = upper;
                exact = exact && best.value >= upper * (1 - 1e-12) - 1e-12;
                added = added || addedHere;
            }
            // Any prices give a bound; the best one becomes the centre.
            const double bound = LagrangianBound(problem, cost, demandWorth, worth);
            out.bound = std::max(out.bound, bound);
            if (bound > centreBound || centre.empty()) {
                centreBound = bound;
                centre.assign(n, 0);
                for (std::size_t i = 0; i < n; ++i)
                    centre[i] = items[i].value;
            }
            if (!smoothed && !added)
                break;  // the program's own prices find nothing: no second attempt
        }
        const bool done =
            !added ||
            (granularity > 0 && out.feasible &&
             RoundUpBound(out.bound, granularity) >= out.value - 1e-9 * std::max(1.0, out.value)) ||
            (control.gapTolerance > 0 && out.feasible && out.value - out.bound <= control.gapTolerance * out.value);
        if (done && exchanges > 0) {
            // The solution is read as patterns alone: the exchanges go, and
            // the program is solved again without them.
            liftExchanges();
            continue;
        }
        if (!added) {
            out.converged = exact;
            break;
        }
        if (done)
            break;
        if (Clock::now() >= control.deadline)
            break;
        if (control.keepGoing && !control.keepGoing()) {
            out.stopped = true;
            break;
        }
    }
    if (exchanges > 0 && out.solved) {
        liftExchanges();
        flush();
        lp.primal(0, 1 | 2);
        out.solved = lp.status() == 0;
        if (out.solved) {
            out.value = lp.objectiveValue();
            const double* x = lp.primalColumnSolution();
            out.feasible = standInsUnused(x);
        }
    }
    if (out.solved) {
        // Columns added in the last round were not solved for: they stay at 0.
        const double* x = lp.primalColumnSolution();
        const std::size_t solvedColumns = std::size_t(std::max(0, lp.numberColumns() - prefix));
        out.usage.assign(out.columns.size(), 0);
        for (std::size_t c = 0; c < out.columns.size() && c < solvedColumns; ++c)
            out.usage[c] = std::max(0.0, x[prefix + int(c)]);
    }
    return out;
}
