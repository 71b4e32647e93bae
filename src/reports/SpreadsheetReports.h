#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "automation/SpreadsheetConnection.h"
#include "engine/Job.h"

// The plan and the leftover list as spreadsheets, built cell by cell through a
// SpreadsheetConnection, and the colour rule for pieces that the segment
// diagram and the pattern detail view share.

// ---------------------------------------------------------------------------
// Piece colours

// The number of entries of the piece palette.
constexpr int SEGMENT_PALETTE_SIZE = 34;

// The fill colour (0xBBGGRR) of palette entry index modulo 34; a negative
// index counts from the end, so every int yields an entry.
uint32_t SegmentColour(int index);

// Whether a label drawn on a piece of that palette entry is black (light
// colours) rather than white (dark ones).
bool SegmentTextIsBlack(int index);

// The label colour of that entry as 0xBBGGRR: 0 (black) or 0xFFFFFF (white).
uint32_t SegmentTextColour(int index);

// The pieces met so far, in order of first appearance: a piece's palette index
// is its position here. Empty when a report sheet or a painting starts.
class SegmentColourRegistry {
public:
    // The position of the first entry whose length differs from length by less
    // than 0.00001 and whose specification equals spec exactly; when there is
    // none, the pair is appended and its new position returned.
    int IndexOf(double length, const MyString& spec);

    std::size_t Size() const { return m_length.size(); }

private:
    std::vector<double> m_length;
    std::vector<MyString> m_spec;
};

// ---------------------------------------------------------------------------
// Workbooks

// Builds the plan workbook on a started connection (its workbook holds one
// empty worksheet): worksheet 1 "下料组合(格式A)", one row per pattern with its
// segment diagram over the columns I to DD; worksheet 2 "下料组合(格式B)", one
// block of rows per mark record (with the 标记 column when withMarks is set);
// worksheet 3 "原料统计", the stock bars used with formulas and totals.
// Worksheet 1 is selected and activated at the end. Every sheet prints A4
// landscape with its title and header rows on every page; sheets 1 and 3 are
// fitted to one page wide, sheet 2 is scaled to one page wide and breaks its
// pages between patterns (a fitted sheet would lose the breaks).
//
// Segment diagrams of unusual patterns: a bar length of 0 or less (or not a
// number) draws no diagram; pieces that run past the end of the bar are cut
// off at column DD (no block ever reaches column DE, which holds the
// specification); pieces too short to reach the next per cent share no
// column, so a bar draws at most 100 blocks whatever its number of pieces; at
// most SEGMENT_PIECE_LIMIT pieces of one bar are walked, and whatever lies
// beyond them is drawn as remnant.
void BuildPlanWorkbook(SpreadsheetConnection& connection, const WireOptimize_Whole& job, bool withMarks);

// Builds the leftover workbook on a started connection: worksheet 1 "余料",
// every leftover entry at least minimumLength long ("不限" and "---" for
// unlimited quantities) and the totals row with its formulas, printing A4
// landscape one page wide with its title and header rows on every page.
// Worksheet 1 is selected and activated at the end.
void BuildLeftoverWorkbook(SpreadsheetConnection& connection, const WireOptimize_Whole& job, double minimumLength);

// The most pieces of one bar that the segment diagram walks (see
// BuildPlanWorkbook); a bar of a real plan holds far fewer.
constexpr int64_t SEGMENT_PIECE_LIMIT = 1000000;

// Starts a connection, builds the workbook and saves it as .xlsx to path
// (UTF-8). Returns false with error set when the workbook could not be
// started or saved.
bool WritePlanWorkbook(const WireOptimize_Whole& job, bool withMarks, const std::string& path,
                       std::u16string& error);
bool WriteLeftoverWorkbook(const WireOptimize_Whole& job, double minimumLength, const std::string& path,
                           std::u16string& error);

// The window's commands: build the workbook and hand it to the user
// (SpreadsheetConnection::ShowToUser: saved under a fresh "QRM" name in the
// workbook folder and opened). Returns false when the workbook could not be
// started, saved or opened; savedPath is the saved file (empty when none).
bool ShowPlanWorkbook(const WireOptimize_Whole& job, bool withMarks, std::string& savedPath);
bool ShowLeftoverWorkbook(const WireOptimize_Whole& job, double minimumLength, std::string& savedPath);
