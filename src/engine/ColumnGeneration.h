#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/Job.h"

// The cutting problem of one specification group as a linear program over
// patterns (Gilmore and Gomory): cut every piece, within the bars on hand, at
// the least cost of stock. The master program is solved with COIN-OR CLP; new
// patterns come from the pricing knapsack (PatternPricing.h).

// Bars of one length and kind: the group's stock rows of equal length and
// equal preference taken together.
struct StockClass {
    double length = 0;     // full bar length, trim included
    double usable = 0;     // length after the trim
    int64_t quantity = -1; // bars on hand; -1 = unlimited
    bool preferred = false;
};

struct CuttingProblem {
    std::vector<double> pieceLength;  // distinct
    std::vector<int64_t> demand;      // pieces of each length
    std::vector<StockClass> stock;
    double kerf = 0;
    int32_t maxKinds = 0;  // 0 = any number of distinct lengths per pattern
};

// The problem of a group as the job setup left it (untrimmed, unsorted stock).
CuttingProblem ProblemOfGroup(const WireOptimize& group);

// One pattern on one stock class: pieces of each length per bar.
struct PatternColumn {
    std::size_t stock = 0;
    std::vector<int64_t> counts;  // parallel to the problem's piece lengths

    bool operator==(const PatternColumn& other) const { return stock == other.stock && counts == other.counts; }
};

// A hash of a pattern, for sets of patterns.
struct PatternColumnHash {
    std::size_t operator()(const PatternColumn& column) const;
};

// When to stop: a deadline, and a question asked between two rounds (false =
// stop at once).
struct SolveControl {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::function<bool()> keepGoing;
    int64_t pricingSteps = 20000;  // step budget of one quick pricing search
    double gapTolerance = 0;       // stop once (value - bound) / value is below this
};

struct MasterSolution {
    std::vector<PatternColumn> columns;
    std::vector<double> usage;  // the program's value of each column
    double value = 0;           // objective of the last master program solved
    double bound = 0;           // no plan costs less (a Lagrangian bound from the last prices)
    bool solved = false;        // the master program was solved at least once
    bool feasible = false;      // the last master program meets the demand with real patterns
    bool converged = false;     // no pattern prices out: value is the optimum of the program
    bool stopped = false;       // keepGoing answered false
};

// Column generation with the cost of a bar of each stock class. Stops at
// convergence, at the deadline, when keepGoing answers false, or as soon as
// the bound rounded up to a multiple of `granularity` (> 0) reaches the value.
// `startColumns` (optional) join the program from the start.
MasterSolution SolveMaster(const CuttingProblem& problem, const std::vector<double>& cost, double granularity,
                           const SolveControl& control, const std::vector<PatternColumn>* startColumns = nullptr);

// The least cost of bars whose room (usable length and one kerf) holds the
// pieces with a kerf each: a quick bound below the program's value. 0 when
// the stock on hand cannot hold them.
double MaterialBound(const CuttingProblem& problem, const std::vector<double>& cost);

// The patterns of a planned group as columns (bars of a length count on
// every class of that length).
std::vector<PatternColumn> ColumnsOfPlan(const CuttingProblem& problem, const WireOptimize& planned);

// The step in which every plan's cost moves: the greatest common divisor of
// the full bar lengths when they are all whole numbers, else 0.
double StockGranularity(const CuttingProblem& problem);

// The one full bar length of the problem, or 0 when it has several.
double SingleStockLength(const CuttingProblem& problem);

// `value` rounded up to a multiple of `granularity` (unchanged when it is 0),
// with a margin for rounding errors of the solver.
double RoundUpBound(double value, double granularity);
