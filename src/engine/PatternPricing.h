#pragma once

#include <cstdint>
#include <vector>

// The most valuable pattern of one bar: a bounded knapsack over real-valued
// lengths, solved exactly by depth-first branch and bound.
//
// A pattern fits a bar whose usable (trimmed) length is `usable` when the sum
// of (piece + kerf) over its pieces, less one kerf, is at most usable +
// 0.00001: the fit rule of the pattern searches. At most `maxKinds` distinct
// lengths (0 = any) and at most `limit[i]` pieces of length i.

// How far pieces may pass the usable length and still fit, as the pattern
// searches allow.
constexpr double FIT_MARGIN = 0.00001;

struct PricingItem {
    double length = 0;
    double value = 0;   // worth of one piece (a dual price); items worth 0 or less are never taken
    int64_t limit = 0;  // most pieces of this length in one pattern
};

struct PricedPattern {
    double value = 0;             // worth of the best pattern found
    double upperBound = 0;        // no pattern is worth more; equals value when the search finished
    std::vector<int64_t> counts;  // pieces of each item, parallel to the items
    bool exact = false;           // the search finished within its step budget
    // Runners-up the search met on its way to the best, best last (at most a
    // few; not filled by the grid program).
    std::vector<std::vector<int64_t>> runnersUp;
};

// The best pattern; `stepBudget` bounds the nodes of the search (0 = none).
// Past the budget the best pattern found so far is returned with an upper
// bound from the root's relaxation.
PricedPattern PriceBestPattern(const std::vector<PricingItem>& items, double usable, double kerf, int32_t maxKinds,
                               int64_t stepBudget = 0);

// The best pattern by dynamic programming over the lengths on a grid of at
// most `cells` steps. Where every length, the kerf and the bar are whole
// multiples of 1, 0.1, 0.01 or 0.001 and the bar fits the grid, the result is
// exact (pattern and value); otherwise each length is rounded down to the
// grid, which makes `upperBound` a bound no pattern exceeds, and `counts` the
// best pattern of the grid when it fits the bar, else empty. The length-kinds
// limit is left out of the program; a pattern over the limit is not returned.
PricedPattern GridBestPattern(const std::vector<PricingItem>& items, double usable, double kerf, int32_t maxKinds,
                              int64_t cells);

// A good pattern that surely fits, by the grid program with every length
// rounded up to the grid: where the grid is the lengths' own step, the same
// as GridBestPattern; otherwise `counts` fit the bar and `upperBound` is
// infinite (the program bounds nothing).
PricedPattern GridFittingPattern(const std::vector<PricingItem>& items, double usable, double kerf, int32_t maxKinds,
                                 int64_t cells);

// Whether the pieces (counts parallel to lengths) fit one bar of usable length.
bool PatternFits(const std::vector<double>& lengths, const std::vector<int64_t>& counts, double usable, double kerf);
