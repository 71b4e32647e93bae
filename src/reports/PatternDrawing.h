#pragma once

#include <string>
#include <vector>

#include "engine/Job.h"

// The arithmetic of the pattern detail view: where each piece of one bar is
// drawn, which pattern a result-table row shows, and the summary line.

// One piece of a drawn bar: from x `left` to x `right` (its right boundary),
// filled with palette entry `colourIndex` of SegmentColour.
struct PatternBlock {
    int left = 0;
    int right = 0;
    int colourIndex = 0;
};

// The pieces of one bar of the pattern drawn over the pixels left..right, in
// pattern order. With the running sum s of the piece lengths, a piece ends at
// left + truncate((right - left) * s / m_barLength + 0.5) and starts where the
// one before it ended. Colours come from a fresh registry in which only the
// length counts: the first distinct length takes entry 0, the next entry 1,
// and so on. Empty when m_barLength is 0 or less (or not a number). At most
// SEGMENT_PIECE_LIMIT pieces are walked; the walk stops at a length that is
// not finite.
std::vector<PatternBlock> PatternBlocks(const WireCombine& pattern, int left, int right);

// The right boundary of every piece of PatternBlocks, in order.
std::vector<int> SegmentBoundaries(const WireCombine& pattern, int left, int right);

// The pattern that result-table row `row` (from 0) shows: the patterns of all
// groups counted group by group in result order. nullptr for a negative row
// and for a row past the last pattern (the totals row).
const WireCombine* PatternAtRow(const WireOptimize_Whole& job, int row);

// "原料长度 6000    分段数 5    利用率 90.0%    余长 600": bar length, pieces
// per bar, utilisation and remnant of the pattern.
std::u16string PatternSummaryText(const WireCombine& pattern);
