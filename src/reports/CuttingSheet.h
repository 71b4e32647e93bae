#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "engine/Job.h"
#include "reports/ReportRows.h"
#include "reports/SpreadsheetReports.h"

// The cutting sheet: the whole plan drawn pattern by pattern for the saw. This
// part holds its content (texts, figures and the parts of every bar along its
// length) and its division into pages, in millimetres; the drawing library
// paints it on a PDF page or a printer. Nothing here needs Qt.

// ---------------------------------------------------------------------------
// Bars drawn to scale

enum class BarPartKind { Piece, Kerf, Remnant };

// One stretch of a bar, measured from the bar's left end in length units.
struct BarPart {
    BarPartKind kind = BarPartKind::Piece;
    double start = 0;
    double length = 0;
    int colourIndex = 0;   // pieces: palette entry of SegmentColour
    std::u16string label;  // pieces and remnant: the length as text
    std::u16string mark;   // pieces: the piece's mark, empty when it has none
};

// The parts of one bar as it is cut: every piece in order, each followed by a
// kerf cut of width kerf (after the last piece too, as the remnant is
// reckoned), then the remnant, whatever is left of barLength when that is more
// than nothing. Kerf cuts of width 0 are still listed: they mark the cut.
// A piece's colour is its length's entry in registry (the specification is not
// looked at), so one registry for a whole specification gives a length one
// colour on every bar of it. Nothing for a barLength of 0 or less or not a
// number; at most SEGMENT_PIECE_LIMIT pieces are walked and the walk stops at
// a length that is not finite.
std::vector<BarPart> BarParts(double barLength, double kerf, const std::vector<ReportPiece>& pieces,
                              SegmentColourRegistry& registry);
// The same for parallel arrays of lengths and counts; marks may be shorter than
// lengths (missing marks are empty).
std::vector<BarPart> BarParts(double barLength, double kerf, const std::vector<double>& lengths,
                              const std::vector<int64_t>& counts, const std::vector<MyString>& marks,
                              SegmentColourRegistry& registry);

// ---------------------------------------------------------------------------
// Content

// One drawn bar of the sheet: a pattern, or one mark group of a pattern
// (the bars of the pattern that carry the same marks) drawn under it.
struct SheetBarRow {
    std::u16string number;  // "3", or "3-1" for the first mark group of pattern 3
    bool markGroup = false;
    bool withMarks = false;  // some piece carries a mark: the bar is drawn taller
    double barLength = 0;
    int64_t barCount = 0;
    std::vector<BarPart> parts;
    std::u16string composition;  // "2995 × 2 + 985 × 1", marks after their lengths
    std::u16string figures;      // pattern rows: "利用率 90.0%    余长 600"
};

// One specification: its header lines and its bars.
struct SheetSection {
    std::u16string spec;
    std::vector<std::u16string> headerLines;
    std::vector<SheetBarRow> rows;
};

// A table after the patterns: the stock summary or the leftover list.
struct SheetTable {
    std::u16string title;
    std::vector<std::u16string> header;
    std::vector<double> columnWidths;  // millimetres
    std::vector<std::vector<std::u16string>> rows;
    std::vector<std::u16string> totals;  // empty: no totals row
};

struct CuttingSheet {
    std::u16string title;
    std::u16string madeAt;  // "2026-12-09 15:45"
    bool landscape = false;
    std::vector<SheetSection> sections;
    SheetTable stock;
    SheetTable leftover;
};

// What the sheet shows besides the result model.
struct SheetSettings {
    std::time_t madeAt = 0;        // printed as local time
    int32_t speedLevel = 0;        // the level the plan was computed at
    double minimumLeftover = 100;  // shorter leftovers are not listed
};

// The sheet of a planned job: one section per specification group with its
// patterns in result order (numbered over all groups as the result table
// numbers them), each pattern followed by its mark groups when it has more
// than one; then the stock lengths used and the leftovers of at least
// settings.minimumLeftover.
CuttingSheet BuildCuttingSheet(const WireOptimize_Whole& job, const SheetSettings& settings);
// The same from the job's report rows: their leftovers are listed, whatever
// settings.minimumLeftover says.
CuttingSheet BuildCuttingSheet(const ReportRows& rows, const SheetSettings& settings);

// ---------------------------------------------------------------------------
// Pages (A4, millimetres)

constexpr double SHEET_PAGE_SHORT_MM = 210;
constexpr double SHEET_PAGE_LONG_MM = 297;
constexpr double SHEET_MARGIN_MM = 12;
constexpr double SHEET_FOOTER_MM = 8;

// Heights of the items a page is made of.
constexpr double SHEET_TITLE_MM = 12;
constexpr double SHEET_HEADER_LINE_MM = 5.5;
constexpr double SHEET_SPEC_LINE_MM = 8;
constexpr double SHEET_COLUMN_HEADER_MM = 6;
constexpr double SHEET_ROW_MM = 13;
constexpr double SHEET_MARKED_ROW_MM = 16;
constexpr double SHEET_TABLE_TITLE_MM = 11;
constexpr double SHEET_TABLE_ROW_MM = 5.5;

// The columns left of the bars: number, stock length, bar count; the bars
// take the rest of the width but a small margin.
constexpr double SHEET_NUMBER_MM = 13;
constexpr double SHEET_LENGTH_MM = 18;
constexpr double SHEET_COUNT_MM = 15;
constexpr double SHEET_BAR_LEFT_MM = SHEET_NUMBER_MM + SHEET_LENGTH_MM + SHEET_COUNT_MM + 2;
constexpr double SHEET_BAR_RIGHT_MARGIN_MM = 2;

// A piece narrower than this on a portrait page could not show its length,
// so such a plan is laid out on landscape pages.
constexpr double SHEET_LABEL_ROOM_MM = 8;

// The size of the printable body of a page: the page less the margins and the
// footer.
double SheetBodyWidth(bool landscape);
double SheetBodyHeight(bool landscape);

enum class SheetItemKind {
    Title,           // the document's title line (first page)
    SectionHeader,   // a specification's header lines and the column header
    SectionResumed,  // the specification and column header again on a following page
    BarRow,
    TableTitle,    // a table's title and its column header
    TableResumed,  // the column header again on a following page
    TableRow,
    TableTotals,
};

struct SheetItem {
    SheetItemKind kind = SheetItemKind::Title;
    std::size_t section = 0;  // sections: the section; tables: 0 stock, 1 leftover
    std::size_t row = 0;      // bar and table rows
    double top = 0;           // from the top of the body
    double height = 0;
};

struct SheetPage {
    std::vector<SheetItem> items;
    double longestBar = 0;  // the scale of the page: this length fills the bar width
};

// The height of an item of the sheet.
double SheetItemHeight(const CuttingSheet& sheet, const SheetItem& item);

// Lays the sheet out on pages of the given body height. Items follow each
// other top down; a section header stays with its first bar, a pattern with
// its first mark group, a table title with its first row; a section or table
// that goes on over a page starts the page with its header again. Every page
// holds at least one item, so an item taller than a page still gets one.
std::vector<SheetPage> PaginateSheet(const CuttingSheet& sheet, double bodyHeight);
