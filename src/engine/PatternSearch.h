#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "engine/Job.h"

// The remaining pieces of a group, longest first, as runs of equal lengths:
// run i stands for m_count[i] pieces of length m_length[i]. It means exactly
// the list with one entry per piece; runs keep a row of two billion pieces
// from costing two billion entries.
struct PieceList {
    std::vector<double> m_length;  // strictly descending
    std::vector<int64_t> m_count;  // each at least 1

    bool Empty() const { return m_length.empty(); }
    int64_t Total() const;
    double First() const { return m_length.front(); }
    double Last() const { return m_length.back(); }
    void PushFront(double length);  // one piece, longer than or equal to the first
    void PopFront();                // one piece of the first run
    void Append(double length, int64_t count);  // pieces no longer than the last
    // Removes one piece equal to `length`; false when there is none.
    bool RemoveOne(double length);
    // Removes every piece longer than `limit`.
    void RemoveLongerThan(double limit);
};

// The leftover of the record before any pattern is found: above every real
// leftover, however long the bar, so that the first pattern always replaces it.
constexpr double NO_PATTERN_REMNANT = std::numeric_limits<double>::infinity();

// Best-so-far record of one lead piece.
struct PatternBest {
    double remnant = NO_PATTERN_REMNANT;
    std::vector<double> companions;  // in the order of the pattern
    double available = 0;            // room of the bar it was found on
    int32_t stockIndex = 0;          // that bar's position in the group's stock arrays
};

// Candidate lengths D (distinct, descending) with their counts Q.
struct Candidates {
    std::vector<double> D;
    std::vector<int64_t> Q;
};

// D and Q of the list; with x > 0 only lengths that fit into x stay, their
// counts capped at how many fit without kerf.
Candidates CandidateLengths(const PieceList& list, double x);

// Tolerance of the free search in room `room`: a share of the room that grows
// with g_speedLevel (0 at level 0).
double FreeTolerance(double room, const PieceList& list, double kerf, std::size_t candidateCount);

// Steps a search makes before it builds its tables of reachable sums, which
// pay off only for long searches (default 20000). The tables never change a
// plan; tests set 0 to have them built at once.
extern uint64_t g_searchTableAfterSteps;

// Tries every multiset of companions by number of pieces; false when the run
// was interrupted (the message has been shown).
bool SearchFree(WireOptimize& group, double room, Candidates candidates, PatternBest& best);

// Tries every choice of up to m_maxLengthKinds - 1 further distinct lengths and
// every count of each. Sets m_tolerance itself. False when the run was
// interrupted (the message has been shown).
bool SearchLimited(WireOptimize& group, double room, Candidates candidates, PatternBest& best);
