#pragma once

// A second, deliberately plain implementation of the optimisation run, kept in
// the test tree as a reference. It holds the pieces still to be cut as a list
// with one entry per piece (longest first) and follows every step of the plan
// search in its literal order: one entry is taken out of the list per piece
// and per bar, one mark record is made per bar and the records are combined
// afterwards. It shares only the data structs, the job setup and the totals
// with the engine; the searches, the plan and the marks are its own.
//
// It is slow on purpose (work grows with the number of pieces and bars) and
// meant for small jobs only.

#include <cstdint>
#include <limits>
#include <vector>

#include "engine/Job.h"
#include "lists/InputLists.h"

namespace model {

// Best-so-far record of one lead piece.
struct Best {
    // Above any leftover of a real bar, so the first pattern found always replaces it.
    double remnant = std::numeric_limits<double>::infinity();
    std::vector<double> companions;  // in the order of the pattern
    double available = 0;            // room of the bar on which it was found
    int32_t stockIndex = 0;          // position of that bar in the group's stock arrays
};

// Distinct lengths D (descending) of a piece list and how many pieces Q of each.
struct CandidateSet {
    std::vector<double> D;
    std::vector<int64_t> Q;
};

// The piece list: one entry per piece, in descending order of length.
using Pieces = std::vector<double>;

CandidateSet CandidateLengths(const Pieces& list, double x);
double FreeTolerance(double room, const Pieces& list, double kerf, std::size_t candidateCount);
void SearchFree(WireOptimize& group, double room, CandidateSet candidates, Best& best);
void SearchLimited(WireOptimize& group, double room, CandidateSet candidates, Best& best);

// Plans one group (no window: never interrupted, no live rows).
bool ModelPlanGroup(WireOptimize& group, JobError& error);

// Rebuilds the mark list from the cut rows of `marks` (none when null) and the
// mark records of every pattern.
void ModelAssignMarks(WireOptimize_Whole& job, const InputLists* marks);

// Builds one pattern's mark records from the working mark entries of its group.
struct WorkingMark {
    MyString mark;
    double length = 0;
    int64_t quantity = 0;
};
void ModelMarkPattern(WireCombine& pattern, std::vector<WorkingMark>& entries);

// The whole run: job setup, every group planned, totals, leftover list, marks.
bool ModelRunOptimisation(WireOptimize_Whole& job, JobError& error, const InputLists* marks);

}  // namespace model
