#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Job.h"

// The rows the reports list, read once from the result model: the patterns of
// every specification with their mark groups, the stock lengths used and the
// leftovers. Numbering, the mark groups of patterns whose marks were never
// assigned, the used lengths without bars and the leftovers below the minimum
// are settled here; the text, rich-text, workbook and cutting-sheet writers
// only lay the rows out. Values stay numbers: each writer prints them its own
// way.

// The default of "可用余料的最小长度：".
constexpr double DEFAULT_MINIMUM_LEFTOVER_LENGTH = 100;

// Pieces of one length on one bar: count of them, all with the same mark
// (empty when unmarked).
struct ReportPiece {
    double length = 0;
    int64_t count = 0;
    MyString mark;
};

// The bars of a pattern that carry the same marks in the same places.
struct ReportMarkGroup {
    std::u16string number;  // the pattern's number, "3"; "3-1", "3-2" ... when it has several groups
    int64_t block = 0;      // counts mark groups from 1 over the whole plan
    int64_t barCount = 0;
    bool hasMark = false;             // some piece carries a mark
    std::vector<ReportPiece> pieces;  // one bar's pieces in the pattern's order
};

// One cutting pattern.
struct ReportPatternRow {
    int64_t number = 0;  // from 1 over all specifications, as the result table numbers them
    double barLength = 0;
    int64_t barCount = 0;
    double utilisation = 0;  // a fraction
    double remnant = 0;
    std::vector<ReportPiece> pieces;          // the distinct lengths of one bar with their counts, unmarked
    std::vector<ReportMarkGroup> markGroups;  // at least one; together they hold all the bars
};

// One specification group.
struct ReportGroupRows {
    MyString spec;
    double kerfWidth = 0;
    int64_t totalBars = 0;
    double totalLength = 0;
    double utilisation = 0;
    double remnantLength = 0;  // the remnants of all its bars together
    // The group's lower bound (0 when unknown), in bars where it has one stock
    // length (else -1), and whether the plan reaches it.
    double lowerBound = 0;
    int64_t lowerBoundBars = -1;
    bool optimal = false;
    std::vector<ReportPatternRow> patterns;
};

// One stock length a specification used.
struct ReportStockRow {
    int64_t number = 0;  // from 1 over the table
    MyString spec;
    double length = 0;
    int64_t bars = 0;        // above 0
    double totalLength = 0;  // bars x length
    double utilisation = 0;  // of the bars of this length, 0 when totalLength is not above 0
};

// One entry of the leftover list at least the minimum long.
struct ReportLeftoverRow {
    int64_t number = 0;  // from 1 over the table
    MyString spec;
    double length = 0;
    bool unlimited = false;  // a quantity of 0 or less
    int64_t quantity = 0;    // as the leftover list holds it
    double totalLength = 0;  // quantity x length; 0 when unlimited
};

struct ReportRows {
    // The plan's parameters.
    double trimLength = 0;
    double kerfWidth = 0;
    int32_t maxLengthKinds = 0;
    bool hasFraction = false;  // some cut length has a fractional part

    // The whole plan.
    int64_t totalBars = 0;
    double totalLength = 0;
    double utilisation = 0;

    std::vector<ReportGroupRows> groups;
    std::vector<ReportStockRow> stock;  // the used lengths with bars, group by group

    double minimumLeftover = 0;
    std::vector<ReportLeftoverRow> leftover;
    // The listed leftovers of finite quantity together.
    int64_t leftoverBars = 0;
    double leftoverLength = 0;
};

// The rows of a planned job; leftovers shorter than minimumLeftover are not
// listed. A damaged result is read as far as it goes: a piece length without
// a count counts 0 pieces, a missing mark is none, a used length without its
// piece length has utilisation 0, and a leftover entry without a quantity is
// not listed (one without a specification is).
ReportRows BuildReportRows(const WireOptimize_Whole& job, double minimumLeftover);

// A piece entry as "1500x2" with times "x": the length by FormatLength, times,
// the count.
std::u16string PieceText(const ReportPiece& piece, const std::u16string& times);

// The entries by PieceText joined by join ("1500x2 + 800x3"); with marks, each
// mark follows its entry after a blank.
std::u16string PiecesText(const std::vector<ReportPiece>& pieces, const std::u16string& times,
                          const std::u16string& join, bool withMarks = false);
