#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "base/FormatLength.h"
#include "base/ReportConventions.h"
#include "engine/Job.h"
#include "engine/Run.h"
#include "reports/SpreadsheetReports.h"
#include "support/HandPatterns.h"
#include "support/PlanJob.h"
#include "support/Recorders.h"
#include "support/TempFolder.h"

// The workbooks are built in memory and read back cell by cell. Cells are
// named as the spreadsheet names them ("DD4" is column 108, row 4) and shown
// as short texts ("n:6000", "t:Φ12", "f:=C3*D3=24000") so that a failure
// says what the cell holds.

namespace {

// ---------------------------------------------------------------------------
// Reading the workbook

struct Address {
    int32_t column = 0;
    int32_t row = 0;
};

Address At(const std::string& name)
{
    Address a;
    std::size_t i = 0;
    for (; i < name.size() && name[i] >= 'A' && name[i] <= 'Z'; ++i)
        a.column = a.column * 26 + (name[i] - 'A' + 1);
    a.row = std::stoi(name.substr(i));
    return a;
}

std::string Number(double value)
{
    return FormatGeneral(value, 15);
}

// "empty", "t:<text>", "n:<number>" or "f:<formula>=<computed value>".
std::string Show(const Worksheet& sheet, int32_t column, int32_t row)
{
    const Cell* cell = sheet.Find(column, row);
    if (cell == nullptr)
        return "empty";
    switch (cell->kind) {
    case Cell::Kind::Empty:
        return "empty";
    case Cell::Kind::Text:
        return "t:" + Utf16ToUtf8(cell->text);
    case Cell::Kind::Number:
        return "n:" + Number(cell->number);
    case Cell::Kind::Formula:
        return "f:" + Utf16ToUtf8(cell->text) + "=" +
               (cell->resultIsText ? Utf16ToUtf8(cell->resultText) : Number(cell->resultNumber));
    }
    return "?";
}

std::string Show(const Worksheet& sheet, const std::string& name)
{
    const Address a = At(name);
    return Show(sheet, a.column, a.row);
}

// The format of a cell; a cell never touched has the default format.
CellFormat FormatOf(const Worksheet& sheet, const std::string& name)
{
    const Address a = At(name);
    const Cell* cell = sheet.Find(a.column, a.row);
    return cell != nullptr ? cell->format : CellFormat();
}

std::string Range(const CellRange& r)
{
    return ColumnLetters(r.column1) + std::to_string(r.row1) + ":" + ColumnLetters(r.column2) + std::to_string(r.row2);
}

// The merged block that holds the cell, as "I3:AG3"; "none" when the cell is
// in no merged block of more than one cell.
std::string MergeOf(const Worksheet& sheet, const std::string& name)
{
    const Address a = At(name);
    for (const CellRange& r : sheet.merges) {
        if (r.column1 == r.column2 && r.row1 == r.row2)
            continue;  // a merged single cell is the cell itself
        if (a.column >= r.column1 && a.column <= r.column2 && a.row >= r.row1 && a.row <= r.row2)
            return Range(r);
    }
    return "none";
}

// The fill of a cell as hex 0xBBGGRR, or "none".
std::string FillOf(const Worksheet& sheet, const std::string& name)
{
    const CellFormat f = FormatOf(sheet, name);
    if (!f.hasFill)
        return "none";
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(f.fill));
    return text;
}

std::string FontOf(const Worksheet& sheet, const std::string& name)
{
    const CellFormat f = FormatOf(sheet, name);
    char text[64];
    std::snprintf(text, sizeof text, "%s %g %06X", f.bold ? "bold" : "plain", f.fontSize,
                  static_cast<unsigned>(f.fontColour));
    return text;
}

std::string EdgesOf(const Worksheet& sheet, const std::string& name)
{
    const CellFormat f = FormatOf(sheet, name);
    auto edge = [](const CellBorder& b) { return std::to_string(b.lineStyle) + "/" + std::to_string(b.weight); };
    return "top " + edge(f.top) + " bottom " + edge(f.bottom) + " left " + edge(f.left) + " right " + edge(f.right);
}

double RowHeight(const Worksheet& sheet, int32_t row)
{
    const auto it = sheet.rowHeights.find(row);
    return it != sheet.rowHeights.end() ? it->second : -1;
}

double ColumnWidth(const Worksheet& sheet, int32_t column)
{
    const auto it = sheet.columnWidths.find(column);
    return it != sheet.columnWidths.end() ? it->second : -1;
}

// The blocks of a diagram row from column I on: "I:AG 1500 0066FF/FFFFFF" for
// a labelled piece (columns, label, fill, font colour), "AH:DD remnant" for the
// unfilled remnant block. A run of columns that is no merged block is listed
// cell by cell.
std::vector<std::string> DiagramBlocks(const Worksheet& sheet, int32_t row)
{
    std::vector<std::string> blocks;
    int32_t column = 9;
    while (column <= 108) {
        int32_t last = column;
        for (const CellRange& r : sheet.merges) {
            if (r.row1 == row && r.row2 == row && r.column1 == column)
                last = r.column2;
        }
        const Cell* cell = sheet.Find(column, row);
        if (cell != nullptr) {
            const std::string columns = ColumnLetters(column) + ":" + ColumnLetters(last);
            char colours[32];
            std::snprintf(colours, sizeof colours, "%06X/%06X", static_cast<unsigned>(cell->format.fill),
                          static_cast<unsigned>(cell->format.fontColour));
            if (cell->kind == Cell::Kind::Text)
                blocks.push_back(columns + " " + Utf16ToUtf8(cell->text) + " " + colours);
            else if (!cell->format.hasFill)
                blocks.push_back(columns + " remnant " + colours);
            else
                blocks.push_back(columns + " ? " + colours);
        }
        column = last + 1;
    }
    return blocks;
}

// ---------------------------------------------------------------------------
// Plans filled in by hand

// Seven patterns over two specifications, kerf 0 (each row's sheet row is
// pattern number + 2):
//   Φ12  1: bar 6000 x 4 bars, 1500x2 + 800x3 = 5400: 90.0 %, remnant 600.
//        2: bar 1000 x 1, 994x1: 99.4 %, remnant 6.
//        3: bar 1000 x 1, 500x2: exactly full, 100.0 %, remnant 0.
//        4: bar 1000 x 1, 300 + 3 + 200 = 503: 50.3 %, remnant 497.
//   Φ16  5: bar 6000 x 1, 1500x1: 25.0 %, remnant 4500.
//        6: bar 0 x 1, 100x1: utilisation 0, remnant 0 (no diagram).
//        7: bar 5000 x 1, no pieces: 0.0 %, remnant 5000.
// Mark records of pattern 1 as the marks (Φ12, 1500, 订单1, 3) and
// (Φ12, 800, 订单2, 1) leave them: bar 1 1500x2 订单1 + 800 订单2 + 800x2;
// bar 2 1500 订单1 + 1500 + 800x3; bars 3 and 4 unmarked and combined.
// The other patterns keep one unmarked record each (pattern 7's is left
// unbuilt).
// Used stock: Φ12 6000 x 4 (pieces 4 x 5400 = 21600), 7000 x 0,
// 1000 x 3 (994 + 1000 + 503 = 2497); Φ16 6000 x 1 (1500), 0 x 1 (0),
// 5000 x 1 (0). Job: 10 bars, 24000 + 3000 + 6000 + 0 + 5000 = 38000 long,
// pieces 21600 + 2497 + 1500 = 25597.
WireOptimize_Whole HandPlan()
{
    WireOptimize_Whole job;
    WireOptimize a;
    a.m_spec = u"Φ12";
    a.m_patterns.push_back(Pattern(6000, 4, 0.9, 600, {1500, 800}, {2, 3}));
    a.m_patterns.back().m_markRecords = {
        Record(1, {1500, 800, 800}, {2, 1, 2}, {u"订单1", u"订单2", u""}),
        Record(1, {1500, 1500, 800}, {1, 1, 3}, {u"订单1", u"", u""}),
        Record(2, {1500, 800}, {2, 3}, {u"", u""}),
    };
    a.m_patterns.push_back(Pattern(1000, 1, 0.994, 6, {994}, {1}));
    a.m_patterns.back().m_markRecords = {Record(1, {994}, {1}, {u""})};
    a.m_patterns.push_back(Pattern(1000, 1, 1.0, 0, {500}, {2}));
    a.m_patterns.back().m_markRecords = {Record(1, {500}, {2}, {u""})};
    a.m_patterns.push_back(Pattern(1000, 1, 0.503, 497, {300, 3, 200}, {1, 1, 1}));
    a.m_patterns.back().m_markRecords = {Record(1, {300, 3, 200}, {1, 1, 1}, {u"", u"", u""})};
    a.m_usedLength = {6000, 7000, 1000};
    a.m_usedBars = {4, 0, 3};
    a.m_usedPieceLength = {21600, 0, 2497};

    WireOptimize b;
    b.m_spec = u"Φ16";
    b.m_patterns.push_back(Pattern(6000, 1, 0.25, 4500, {1500}, {1}));
    b.m_patterns.back().m_markRecords = {Record(1, {1500}, {1}, {u""})};
    b.m_patterns.push_back(Pattern(0, 1, 0, 0, {100}, {1}));
    b.m_patterns.back().m_markRecords = {Record(1, {100}, {1}, {u""})};
    b.m_patterns.push_back(Pattern(5000, 1, 0, 5000, {}, {}));
    b.m_usedLength = {6000, 0, 5000};
    b.m_usedBars = {1, 1, 1};
    b.m_usedPieceLength = {1500, 0, 0};

    job.m_groups = {a, b};
    job.m_totalBars = 10;
    job.m_totalLength = 38000;
    job.m_utilisation = 25597.0 / 38000;
    job.m_markSpec = {u"Φ12", u"Φ12"};
    job.m_markText = {u"订单1", u"订单2"};
    job.m_markLength = {1500, 800};
    job.m_markQuantity = {3, 1};
    return job;
}

// A job of one specification "S" with the given patterns and nothing else.
WireOptimize_Whole OneGroup(std::vector<WireCombine> patterns)
{
    WireOptimize_Whole job;
    WireOptimize group;
    group.m_spec = u"S";
    group.m_patterns = std::move(patterns);
    job.m_groups = {group};
    return job;
}

// Leftover list (minimum 100 in the tests):
//   6000 x 6 Φ12; 50 x 3 Φ12 (too short); 9000 unlimited Φ16; 100 x 4 Φ16
//   (exactly the minimum); 1000 x 2 without a specification (m_leftoverSpec
//   is one short).
WireOptimize_Whole HandLeftovers()
{
    WireOptimize_Whole job;
    job.m_leftoverLength = {6000, 50, 9000, 100, 1000};
    job.m_leftoverQuantity = {6, 3, -1, 4, 2};
    job.m_leftoverSpec = {u"Φ12", u"Φ12", u"Φ16", u"Φ16"};
    job.m_leftoverPriority = {1, -1, 0, -1, -1};
    return job;
}

SpreadsheetConnection BuildPlan(const WireOptimize_Whole& job, bool withMarks)
{
    SpreadsheetConnection c;
    EXPECT_TRUE(c.Start());
    BuildPlanWorkbook(c, job, withMarks);
    return c;
}

SpreadsheetConnection BuildLeftover(const WireOptimize_Whole& job, double minimum)
{
    SpreadsheetConnection c;
    EXPECT_TRUE(c.Start());
    BuildLeftoverWorkbook(c, job, minimum);
    return c;
}

using Strings = std::vector<std::string>;

const char* const TITLE_FILL = "B4E0C6";
const char* const HEADER_FILL = "CCF2FF";
const char* const BAND_FILL = "FFFFCC";

// ---------------------------------------------------------------------------
// Piece colours

TEST(SpreadsheetReportsColours, PaletteHoldsThirtyFourColoursAsBlueGreenRed)
{
    // (red, green, blue) of the palette entries; 0xBBGGRR puts red in the low byte.
    EXPECT_EQ(SegmentColour(0), 0x0066FFu);   // 255, 102, 0
    EXPECT_EQ(SegmentColour(3), 0x99CCFFu);   // 255, 204, 153
    EXPECT_EQ(SegmentColour(9), 0x669929u);   // 41, 153, 102
    EXPECT_EQ(SegmentColour(13), 0xCCCC29u);  // 41, 204, 204
    EXPECT_EQ(SegmentColour(18), 0xFF6629u);  // 41, 102, 255
    EXPECT_EQ(SegmentColour(26), 0x969696u);  // 150, 150, 150
    EXPECT_EQ(SegmentColour(28), 0x662900u);  // 0, 41, 102
    EXPECT_EQ(SegmentColour(33), 0x002999u);  // 153, 41, 0

    std::set<uint32_t> distinct;
    for (int i = 0; i < SEGMENT_PALETTE_SIZE; ++i)
        distinct.insert(SegmentColour(i));
    EXPECT_EQ(distinct.size(), 34u);

    // The index wraps: entry 34 is entry 0 again, -1 is the last.
    EXPECT_EQ(SegmentColour(34), SegmentColour(0));
    EXPECT_EQ(SegmentColour(35 + 34 * 5), SegmentColour(1));
    EXPECT_EQ(SegmentColour(-1), SegmentColour(33));
}

TEST(SpreadsheetReportsColours, LabelsAreBlackOnLightColoursAndWhiteOnDarkOnes)
{
    // The black-text entries of the palette.
    const std::set<int> black = {2, 3, 6, 7, 10, 11, 13, 14, 15, 19, 20, 24, 27, 32};
    for (int i = 0; i < SEGMENT_PALETTE_SIZE; ++i) {
        EXPECT_EQ(SegmentTextIsBlack(i), black.count(i) == 1) << i;
        EXPECT_EQ(SegmentTextColour(i), black.count(i) == 1 ? 0u : 0xFFFFFFu) << i;
    }
    EXPECT_TRUE(SegmentTextIsBlack(34 + 2));
}

TEST(SpreadsheetReportsColours, RegistryNumbersPiecesByLengthAndSpecification)
{
    SegmentColourRegistry registry;
    EXPECT_EQ(registry.IndexOf(1000, u"A"), 0);
    EXPECT_EQ(registry.IndexOf(1000.000005, u"A"), 0);  // within 0.00001: the same piece
    EXPECT_EQ(registry.IndexOf(1000.00002, u"A"), 1);   // 0.00002 apart: another piece
    EXPECT_EQ(registry.IndexOf(1000, u"B"), 2);         // same length, other specification
    EXPECT_EQ(registry.IndexOf(1000, u"A "), 3);        // names compare exactly
    EXPECT_EQ(registry.IndexOf(1000.00002, u"A"), 1);
    EXPECT_EQ(registry.Size(), 4u);
}

// ---------------------------------------------------------------------------
// Plan workbook, format A

TEST(SpreadsheetReportsPlan, WorkbookHasThreeNamedSheetsAndTheFirstIsActive)
{
    SpreadsheetConnection c = BuildPlan(HandPlan(), true);
    const Workbook& book = c.Book();
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(Utf16ToUtf8(book.sheets[0].name), "下料组合(格式A)");
    EXPECT_EQ(Utf16ToUtf8(book.sheets[1].name), "下料组合(格式B)");
    EXPECT_EQ(Utf16ToUtf8(book.sheets[2].name), "原料统计");
    EXPECT_EQ(book.activeSheet, 0u);
    EXPECT_EQ(c.CurrentSheet(), 1);
}

TEST(SpreadsheetReportsPlan, FormatATitleAndHeader)
{
    SpreadsheetConnection c = BuildPlan(HandPlan(), false);
    const Worksheet& s = c.Book().sheets[0];

    EXPECT_EQ(Show(s, "A1"), "t:Trevak线材下料优化---下料组合统计");
    EXPECT_EQ(MergeOf(s, "A1"), "A1:G1");
    EXPECT_EQ(FontOf(s, "A1"), "bold 14 000000");
    EXPECT_EQ(FillOf(s, "A1"), TITLE_FILL);
    EXPECT_TRUE(FormatOf(s, "A1").centred);
    // The medium outline goes around the merged block: A1 holds its left end, G1 its right.
    EXPECT_EQ(EdgesOf(s, "A1"), "top 1/3 bottom 1/3 left 1/3 right 0/0");
    EXPECT_EQ(EdgesOf(s, "G1"), "top 1/3 bottom 1/3 left 0/0 right 1/3");
    EXPECT_EQ(RowHeight(s, 1), 30);

    const Strings header = {"序 号", "规   格", "原料长度", "数 量", "利用率", "下料组合", "余 长"};
    for (int32_t column = 1; column <= 7; ++column) {
        const std::string name = ColumnLetters(column) + "2";
        EXPECT_EQ(Show(s, name), "t:" + header[column - 1]) << name;
        EXPECT_EQ(FontOf(s, name), "bold 11 000000") << name;
        EXPECT_EQ(FillOf(s, name), HEADER_FILL) << name;
        EXPECT_TRUE(FormatOf(s, name).centred) << name;
    }
    // Inner edges keep the thin cell border, the outline of the row is medium.
    EXPECT_EQ(EdgesOf(s, "C2"), "top 1/3 bottom 1/3 left 1/2 right 1/2");
    EXPECT_EQ(EdgesOf(s, "A2"), "top 1/3 bottom 1/3 left 1/3 right 1/2");
    EXPECT_EQ(RowHeight(s, 2), 19);
    EXPECT_EQ(Show(s, "H2"), "empty");

    // The diagram's frame: a merged, empty row 1 and the caption over row 2.
    EXPECT_EQ(MergeOf(s, "I1"), "I1:DD1");
    EXPECT_EQ(Show(s, "I2"), "t:分段示意图");
    EXPECT_EQ(MergeOf(s, "AZ2"), "I2:DD2");
    EXPECT_EQ(FontOf(s, "I2"), "plain 11 000000");
    EXPECT_TRUE(FormatOf(s, "I2").centred);
    // SetBorder(0, 2): line style 0 around I2:DD2, which draws no line.
    EXPECT_EQ(EdgesOf(s, "I2"), "top 0/2 bottom 0/2 left 0/2 right 0/0");
    EXPECT_EQ(EdgesOf(s, "DD2"), "top 0/2 bottom 0/2 left 0/0 right 0/2");
    for (int32_t column = 9; column <= 108; ++column)
        EXPECT_EQ(ColumnWidth(s, column), 1) << column;
}

TEST(SpreadsheetReportsPlan, FormatAOneRowPerPattern)
{
    SpreadsheetConnection c = BuildPlan(HandPlan(), false);
    const Worksheet& s = c.Book().sheets[0];

    const Strings row3 = {"n:1", "t:Φ12", "n:6000", "n:4", "t:90.0%", "t:1500x2+800x3", "n:600", "t:Φ12"};
    for (int32_t column = 1; column <= 8; ++column)
        EXPECT_EQ(Show(s, column, 3), row3[column - 1]) << column;
    EXPECT_EQ(Show(s, "DE3"), "t:Φ12");

    // 0.994 x 100 = 99.4 in one decimal; 300 + 3 + 200 joined with "+".
    EXPECT_EQ(Show(s, "E4"), "t:99.4%");
    EXPECT_EQ(Show(s, "F4"), "t:994x1");
    EXPECT_EQ(Show(s, "G4"), "n:6");
    EXPECT_EQ(Show(s, "E5"), "t:100.0%");
    EXPECT_EQ(Show(s, "F6"), "t:300x1+3x1+200x1");
    EXPECT_EQ(Show(s, "G6"), "n:497");

    // Pattern numbers go on across specifications.
    EXPECT_EQ(Show(s, "A7"), "n:5");
    EXPECT_EQ(Show(s, "B7"), "t:Φ16");
    EXPECT_EQ(Show(s, "H7"), "t:Φ16");
    EXPECT_EQ(Show(s, "DE7"), "t:Φ16");
    EXPECT_EQ(Show(s, "C8"), "n:0");
    EXPECT_EQ(Show(s, "E8"), "t:0.0%");
    EXPECT_EQ(Show(s, "A9"), "n:7");
    EXPECT_EQ(Show(s, "F9"), "t:");
    EXPECT_EQ(Show(s, "G9"), "n:5000");
    EXPECT_EQ(Show(s, "A10"), "empty");
    EXPECT_EQ(Show(s, "H10"), "empty");
}

TEST(SpreadsheetReportsPlan, FormatABodyStyleAndBandsOnEvenPatterns)
{
    SpreadsheetConnection c = BuildPlan(HandPlan(), false);
    const Worksheet& s = c.Book().sheets[0];

    for (int32_t row = 3; row <= 9; ++row) {
        const bool even = (row - 2) % 2 == 0;  // pattern number = row - 2
        for (const char* column : {"A", "D", "G", "H", "DE"}) {
            const std::string name = column + std::to_string(row);
            EXPECT_EQ(FillOf(s, name), even ? BAND_FILL : "none") << name;
            EXPECT_EQ(FontOf(s, name), "plain 11 000000") << name;
            EXPECT_TRUE(FormatOf(s, name).centred) << name;
        }
        EXPECT_EQ(RowHeight(s, row), 19) << row;
    }
    // Cell borders inside, the body's outline medium; H and DE have no border.
    EXPECT_EQ(EdgesOf(s, "D5"), "top 1/2 bottom 1/2 left 1/2 right 1/2");
    EXPECT_EQ(EdgesOf(s, "A3"), "top 1/3 bottom 1/2 left 1/3 right 1/2");
    EXPECT_EQ(EdgesOf(s, "G9"), "top 1/2 bottom 1/3 left 1/2 right 1/3");
    EXPECT_EQ(EdgesOf(s, "DE5"), "top 0/0 bottom 0/0 left 0/0 right 0/0");
}

// Diagram columns: a running end of s of a bar b ends its block at column
// truncate(s x 100 / b + 0.5) + 8 (column 9, I, is the first per cent).
TEST(SpreadsheetReportsPlan, FormatADiagramBlocksAndColours)
{
    SpreadsheetConnection c = BuildPlan(HandPlan(), false);
    const Worksheet& s = c.Book().sheets[0];

    // Pattern 1, bar 6000: ends 1500 -> 25.5 -> 25 (I:AG), 3000 -> 50 (AH:BF),
    // 3800 -> 63.83 -> 63 (BG:BS), 4600 -> 77.17 -> 77 (BT:CG), 5400 -> 90.5 -> 90
    // (CH:CT), remnant CU:DD. 1500 of Φ12 is the first piece met (colour 0:
    // 255, 102, 0, white label), 800 the second (255, 153, 0, white).
    EXPECT_EQ(DiagramBlocks(s, 3), (Strings{"I:AG 1500 0066FF/FFFFFF", "AH:BF 1500 0066FF/FFFFFF",
                                            "BG:BS 800 0099FF/FFFFFF", "BT:CG 800 0099FF/FFFFFF",
                                            "CH:CT 800 0099FF/FFFFFF", "CU:DD remnant 000000/000000"}));
    EXPECT_EQ(MergeOf(s, "AG3"), "I3:AG3");
    EXPECT_EQ(FontOf(s, "I3"), "plain 10 FFFFFF");
    // The thin border goes around the block: I3 holds its left end, AG3 its right.
    EXPECT_EQ(EdgesOf(s, "I3"), "top 1/2 bottom 1/2 left 1/2 right 0/0");
    EXPECT_EQ(EdgesOf(s, "AG3"), "top 1/2 bottom 1/2 left 0/0 right 1/2");
    EXPECT_TRUE(FormatOf(s, "I3").centred);
    EXPECT_EQ(MergeOf(s, "CU3"), "CU3:DD3");
    EXPECT_EQ(Show(s, "CU3"), "empty");
    EXPECT_EQ(FontOf(s, "CU3"), "plain 10 000000");
    EXPECT_EQ(EdgesOf(s, "CU3"), "top 1/2 bottom 1/2 left 1/2 right 0/0");
    EXPECT_EQ(EdgesOf(s, "DD3"), "top 1/2 bottom 1/2 left 0/0 right 1/2");
    EXPECT_TRUE(FormatOf(s, "CU3").centred);

    // Pattern 2: 994 of 1000 ends at 99.9 -> 99 (I:DC), a one-column remnant at DD.
    // 994 is the third piece: colour 2, 255, 204, 0 with a black label.
    EXPECT_EQ(DiagramBlocks(s, 4), (Strings{"I:DC 994 00CCFF/000000", "DD:DD remnant 000000/000000"}));

    // Pattern 3: 500 + 500 fill the bar: 50.5 -> 50 (I:BF), 100.5 -> 100 (BG:DD), no remnant.
    EXPECT_EQ(DiagramBlocks(s, 5), (Strings{"I:BF 500 99CCFF/000000", "BG:DD 500 99CCFF/000000"}));

    // Pattern 4: 300 -> 30.5 -> 30 (I:AL); 303 -> 30.8 -> 30 again: the 3 gets no
    // block and no colour; 503 -> 50.8 -> 50: the 200 takes AM:BF, starting
    // where the 3 would have started. Colours 4 and 5.
    EXPECT_EQ(DiagramBlocks(s, 6), (Strings{"I:AL 300 008080/FFFFFF", "AM:BF 200 00CC99/FFFFFF",
                                            "BG:DD remnant 000000/000000"}));

    // Pattern 5: 1500 of Φ16 is not 1500 of Φ12: colour 6 (255, 255, 0), black
    // label. Had the 3 of pattern 4 been registered, it would be colour 7.
    EXPECT_EQ(DiagramBlocks(s, 7), (Strings{"I:AG 1500 00FFFF/000000", "AH:DD remnant 000000/000000"}));

    // Pattern 6 has a bar length of 0: no diagram. Pattern 7 has no pieces: only
    // the remnant block over I:DD.
    EXPECT_EQ(DiagramBlocks(s, 8), Strings{});
    EXPECT_EQ(DiagramBlocks(s, 9), (Strings{"I:DD remnant 000000/000000"}));

    // The specification labels on both sides are never covered by a block.
    EXPECT_EQ(MergeOf(s, "H5"), "none");
    EXPECT_EQ(MergeOf(s, "DE5"), "none");
}

TEST(SpreadsheetReportsPlan, SameLengthOfTheSameSpecificationKeepsItsColourOnEveryRow)
{
    // 2000 of S on two rows and 1000 between them: 2000 is colour 0 on both.
    SpreadsheetConnection c = BuildPlan(OneGroup({Pattern(6000, 1, 0.5, 3000, {2000, 1000}, {1, 1}),
                                                  Pattern(6000, 1, 0.5, 3000, {1000, 2000}, {1, 1})}),
                                        false);
    const Worksheet& s = c.Book().sheets[0];
    // Row 3: 2000 -> 33.83 -> 33 (I:AO), 3000 -> 50.5 -> 50 (AP:BF).
    // Row 4: 1000 -> 17.17 -> 17 (I:Y), 3000 -> 50 (Z:BF).
    EXPECT_EQ(DiagramBlocks(s, 3), (Strings{"I:AO 2000 0066FF/FFFFFF", "AP:BF 1000 0099FF/FFFFFF",
                                            "BG:DD remnant 000000/000000"}));
    EXPECT_EQ(DiagramBlocks(s, 4), (Strings{"I:Y 1000 0099FF/FFFFFF", "Z:BF 2000 0066FF/FFFFFF",
                                            "BG:DD remnant 000000/000000"}));
}

TEST(SpreadsheetReportsPlan, ThirtyFifthDistinctPieceTakesTheFirstColourAgain)
{
    // 35 distinct lengths 100, 100.001, ..., 100.034 on a bar of 3600: each
    // piece spans about 2.8 per cent, so every one has its block.
    std::vector<double> lengths;
    for (int i = 0; i < 35; ++i)
        lengths.push_back(100 + 0.001 * i);
    SpreadsheetConnection c =
        BuildPlan(OneGroup({Pattern(3600, 1, 0.97, 100, lengths, std::vector<int64_t>(35, 1))}), false);
    const Strings blocks = DiagramBlocks(c.Book().sheets[0], 3);
    ASSERT_EQ(blocks.size(), 36u);  // 35 pieces and the remnant
    auto colourOf = [&](const std::string& label) {
        for (const std::string& block : blocks) {
            const std::size_t space = block.find(' ');
            if (block.compare(space + 1, label.size() + 1, label + " ") == 0)
                return block.substr(space + label.size() + 2);
        }
        return std::string("missing");
    };
    EXPECT_EQ(colourOf("100"), "0066FF/FFFFFF");
    EXPECT_EQ(colourOf("100.033"), "002999/FFFFFF");  // entry 33: 153, 41, 0
    EXPECT_EQ(colourOf("100.034"), "0066FF/FFFFFF");  // entry 34 mod 34 = 0
}

// ---------------------------------------------------------------------------
// Unusual patterns in the diagram

TEST(SpreadsheetReportsPlan, PiecesPastTheEndOfTheBarStopAtColumnDD)
{
    // 700 x 2 on a bar of 1000: 700 -> 70.5 -> 70 (I:BZ); 1400 would end at
    // 140, held at 100 (CA:DD); no remnant block, DE keeps its label.
    SpreadsheetConnection c = BuildPlan(OneGroup({Pattern(1000, 1, 1.4, 0, {700}, {2})}), false);
    const Worksheet& s = c.Book().sheets[0];
    EXPECT_EQ(DiagramBlocks(s, 3), (Strings{"I:BZ 700 0066FF/FFFFFF", "CA:DD 700 0066FF/FFFFFF"}));
    EXPECT_EQ(Show(s, "DE3"), "t:S");
    EXPECT_EQ(MergeOf(s, "DE3"), "none");
    EXPECT_EQ(Show(s, "DF3"), "empty");
}

TEST(SpreadsheetReportsPlan, AThousandPiecesDrawAtMostOneBlockPerColumn)
{
    // 1000 pieces of 1 on a bar of 1000: piece k ends at truncate(k / 10 + 0.5),
    // which first reaches per cent w at k = 10w - 5: one single-column block per
    // column I..DD (100 blocks), all colour 0; the pieces in between share them.
    SpreadsheetConnection c = BuildPlan(OneGroup({Pattern(1000, 1, 1, 0, {1}, {1000})}), false);
    const Worksheet& s = c.Book().sheets[0];
    const Strings blocks = DiagramBlocks(s, 3);
    ASSERT_EQ(blocks.size(), 100u);
    EXPECT_EQ(blocks.front(), "I:I 1 0066FF/FFFFFF");
    EXPECT_EQ(blocks.back(), "DD:DD 1 0066FF/FFFFFF");
    EXPECT_EQ(Show(s, "DE3"), "t:S");
}

TEST(SpreadsheetReportsPlan, AbsurdPatternsAreDrawnWithoutCrashingOrLeavingTheDiagram)
{
    // 10^12 pieces and endless counts: the walk must stop (a walk that did
    // not would never end, and the test's time limit would fail it).
    const double nan = std::numeric_limits<double>::quiet_NaN();
    SpreadsheetConnection c = BuildPlan(
        OneGroup({
            Pattern(-500, 1, 0, 0, {100}, {1}),                  // row 3: negative bar, no diagram
            Pattern(nan, 1, 0, 0, {100}, {1}),                   // row 4: bar not a number, no diagram
            Pattern(1000, 1, 0, 0, {0}, {1000000000000}),        // row 5: 10^12 pieces of 0
            Pattern(1000, 1, 0, 0, {1000}, {INT64_MAX}),         // row 6: endless pieces of a full bar
            Pattern(1000, 1, 0, 0, {-100, 600}, {3, 1}),         // row 7: negative pieces
            Pattern(1000, 1, 0, 0, {nan, 500}, {1, 1}),          // row 8: a piece not a number
            Pattern(1000, 1, 0, 0, {400, 300}, {1}),             // row 9: counts one short
        }),
        false);
    const Worksheet& s = c.Book().sheets[0];
    EXPECT_EQ(DiagramBlocks(s, 3), Strings{});
    EXPECT_EQ(DiagramBlocks(s, 4), Strings{});
    // Pieces of 0 never reach a per cent; the walk stops after
    // SEGMENT_PIECE_LIMIT pieces and the whole bar is remnant.
    EXPECT_EQ(DiagramBlocks(s, 5), (Strings{"I:DD remnant 000000/000000"}));
    // The first piece fills the bar (1000 -> 100.5 -> 100): the first piece
    // registered in the sheet, colour 0; the walk ends there.
    EXPECT_EQ(DiagramBlocks(s, 6), (Strings{"I:DD 1000 0066FF/FFFFFF"}));
    // Running ends -100, -200, -300 stay below the first per cent and are not
    // registered; then 300 -> 30.5 -> 30 (I:AL) for the 600, colour 1.
    EXPECT_EQ(DiagramBlocks(s, 7), (Strings{"I:AL 600 0099FF/FFFFFF", "AM:DD remnant 000000/000000"}));
    // A sum that is not a number reaches no per cent: the bar is all remnant.
    EXPECT_EQ(DiagramBlocks(s, 8), (Strings{"I:DD remnant 000000/000000"}));
    // A missing count is 0: 400 -> 40.5 -> 40 (I:AV, colour 2), the 300 is not drawn.
    EXPECT_EQ(DiagramBlocks(s, 9), (Strings{"I:AV 400 00CCFF/000000", "AW:DD remnant 000000/000000"}));
    EXPECT_EQ(Show(s, "F9"), "t:400x1+300x0");
    for (int32_t row = 3; row <= 9; ++row)
        EXPECT_EQ(Show(s, 109, row), "t:S") << row;
}

// ---------------------------------------------------------------------------
// Plan workbook, format B

TEST(SpreadsheetReportsPlan, FormatBHeaderWithAndWithoutMarks)
{
    {
        SpreadsheetConnection c = BuildPlan(HandPlan(), true);
        const Worksheet& s = c.Book().sheets[1];
        EXPECT_EQ(Show(s, "A1"), "t:Trevak线材下料优化---下料组合统计");
        EXPECT_EQ(MergeOf(s, "A1"), "A1:H1");
        EXPECT_EQ(FillOf(s, "H1"), TITLE_FILL);
        const Strings header = {"序 号", "规   格", "原料长度", "数 量", "利用率", "余 长", "下料组合", "标  记"};
        for (int32_t column = 1; column <= 8; ++column) {
            EXPECT_EQ(Show(s, column, 2), "t:" + header[column - 1]) << column;
            EXPECT_EQ(FontOf(s, ColumnLetters(column) + "2"), "bold 11 000000") << column;
        }
        EXPECT_EQ(Show(s, "I2"), "empty");
    }
    {
        SpreadsheetConnection c = BuildPlan(HandPlan(), false);
        const Worksheet& s = c.Book().sheets[1];
        EXPECT_EQ(MergeOf(s, "A1"), "A1:G1");
        EXPECT_EQ(Show(s, "G2"), "t:下料组合");
        EXPECT_EQ(Show(s, "H2"), "empty");
        EXPECT_EQ(Show(s, "H3"), "empty");
        EXPECT_EQ(FillOf(s, "H6"), "none");  // block 2's band stops at G
        EXPECT_EQ(FillOf(s, "G6"), BAND_FILL);
    }
}

TEST(SpreadsheetReportsPlan, FormatBOneMergedBlockPerMarkRecord)
{
    SpreadsheetConnection c = BuildPlan(HandPlan(), true);
    const Worksheet& s = c.Book().sheets[1];

    // Pattern 1 has three records: rows 3-5, 6-8 and 9-10, numbered 1-1, 1-2,
    // 1-3 as texts in cells formatted "@".
    const Strings block1 = {"t:1-1", "t:Φ12", "n:6000", "n:1", "t:90.0%", "n:600"};
    for (int32_t column = 1; column <= 6; ++column) {
        const std::string top = ColumnLetters(column) + "3";
        EXPECT_EQ(Show(s, top), block1[column - 1]) << top;
        EXPECT_EQ(MergeOf(s, top), ColumnLetters(column) + "3:" + ColumnLetters(column) + "5") << top;
    }
    EXPECT_EQ(Utf16ToUtf8(FormatOf(s, "A3").numberFormat), "@");
    EXPECT_EQ(Show(s, "G3"), "t:1500 x 2");
    EXPECT_EQ(Show(s, "H3"), "t:订单1");
    EXPECT_EQ(Show(s, "G4"), "t:800 x 1");
    EXPECT_EQ(Show(s, "H4"), "t:订单2");
    EXPECT_EQ(Show(s, "G5"), "t:800 x 2");
    EXPECT_EQ(Show(s, "H5"), "t:");
    EXPECT_EQ(MergeOf(s, "G4"), "none");

    EXPECT_EQ(Show(s, "A6"), "t:1-2");
    EXPECT_EQ(MergeOf(s, "D7"), "D6:D8");
    EXPECT_EQ(Show(s, "G7"), "t:1500 x 1");
    EXPECT_EQ(Show(s, "G8"), "t:800 x 3");
    EXPECT_EQ(Show(s, "A9"), "t:1-3");
    EXPECT_EQ(Show(s, "D9"), "n:2");  // the record's bars, not the pattern's 4
    EXPECT_EQ(MergeOf(s, "A10"), "A9:A10");
    EXPECT_EQ(Show(s, "G10"), "t:800 x 3");

    // Patterns with one record are numbered plainly, as numbers; a block of one
    // row is not merged.
    EXPECT_EQ(Show(s, "A11"), "n:2");
    EXPECT_EQ(Utf16ToUtf8(FormatOf(s, "A11").numberFormat), "");
    EXPECT_EQ(MergeOf(s, "A11"), "none");
    EXPECT_EQ(Show(s, "G11"), "t:994 x 1");
    EXPECT_EQ(Show(s, "G12"), "t:500 x 2");
    EXPECT_EQ(MergeOf(s, "B13"), "B13:B15");  // 300, 3, 200: three entries
    EXPECT_EQ(Show(s, "G14"), "t:3 x 1");
    EXPECT_EQ(Show(s, "A16"), "n:5");
    EXPECT_EQ(Show(s, "B16"), "t:Φ16");
    EXPECT_EQ(Show(s, "A17"), "n:6");
    // Pattern 7 has no pieces and no records: one row, nothing in G.
    EXPECT_EQ(Show(s, "A18"), "n:7");
    EXPECT_EQ(Show(s, "F18"), "n:5000");
    EXPECT_EQ(Show(s, "G18"), "empty");
    EXPECT_EQ(Show(s, "A19"), "empty");
}

TEST(SpreadsheetReportsPlan, FormatBBandsFollowBlocksNotRows)
{
    SpreadsheetConnection c = BuildPlan(HandPlan(), true);
    const Worksheet& s = c.Book().sheets[1];
    // Blocks: 1 rows 3-5, 2 rows 6-8, 3 rows 9-10, 4 row 11, 5 row 12,
    // 6 rows 13-15, 7 row 16, 8 row 17, 9 row 18. Even blocks are banded.
    const std::set<int32_t> banded = {6, 7, 8, 11, 13, 14, 15, 17};
    for (int32_t row = 3; row <= 18; ++row) {
        for (const char* column : {"A", "F", "G", "H"}) {
            const std::string name = column + std::to_string(row);
            EXPECT_EQ(FillOf(s, name), banded.count(row) ? BAND_FILL : "none") << name;
            EXPECT_EQ(FontOf(s, name), "plain 11 000000") << name;
        }
        EXPECT_EQ(RowHeight(s, row), 19) << row;
    }
    EXPECT_EQ(EdgesOf(s, "H17"), "top 1/2 bottom 1/2 left 1/2 right 1/3");
    // Pattern 7's row has no piece entry, so G18 and H18 carry only the body's outline.
    EXPECT_EQ(EdgesOf(s, "H18"), "top 0/0 bottom 1/3 left 0/0 right 1/3");
}

// ---------------------------------------------------------------------------
// Plan workbook, stock summary

TEST(SpreadsheetReportsPlan, StockSummaryRowsFormulasAndTotals)
{
    SpreadsheetConnection c = BuildPlan(HandPlan(), false);
    const Worksheet& s = c.Book().sheets[2];

    EXPECT_EQ(Show(s, "A1"), "t:Trevak线材下料优化---原料统计");
    EXPECT_EQ(MergeOf(s, "A1"), "A1:F1");
    const Strings header = {"序 号", "规   格", "原料长度", "数 量", "总 长", "利用率"};
    for (int32_t column = 1; column <= 6; ++column)
        EXPECT_EQ(Show(s, column, 2), "t:" + header[column - 1]) << column;

    // Used lengths with bars; Φ12's 7000 with 0 bars has no row.
    // 21600 / 24000 = 90.0 %; 2497 / 3000 = 83.2 %; 1500 / 6000 = 25.0 %;
    // a stock length of 0 has no utilisation (0.0 %).
    const std::vector<Strings> rows = {
        {"n:1", "t:Φ12", "n:6000", "n:4", "f:=C3*D3=24000", "t:90.0%"},
        {"n:2", "t:Φ12", "n:1000", "n:3", "f:=C4*D4=3000", "t:83.2%"},
        {"n:3", "t:Φ16", "n:6000", "n:1", "f:=C5*D5=6000", "t:25.0%"},
        {"n:4", "t:Φ16", "n:0", "n:1", "f:=C6*D6=0", "t:0.0%"},
        {"n:5", "t:Φ16", "n:5000", "n:1", "f:=C7*D7=5000", "t:0.0%"},
    };
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int32_t row = static_cast<int32_t>(r + 3);
        for (int32_t column = 1; column <= 6; ++column)
            EXPECT_EQ(Show(s, column, row), rows[r][column - 1]) << ColumnLetters(column) << row;
        EXPECT_EQ(FillOf(s, "A" + std::to_string(row)), row % 2 == 0 ? BAND_FILL : "none") << row;
        EXPECT_EQ(FillOf(s, "F" + std::to_string(row)), row % 2 == 0 ? BAND_FILL : "none") << row;
    }
    // Totals: 4 + 3 + 1 + 1 + 1 = 10 bars, 24000 + 3000 + 6000 + 0 + 5000 = 38000;
    // the job's 25597 / 38000 = 67.36 %.
    EXPECT_EQ(Show(s, "A8"), "empty");
    EXPECT_EQ(Show(s, "C8"), "t:汇 总");
    EXPECT_EQ(Show(s, "D8"), "f:=SUM(D3:D7)=10");
    EXPECT_EQ(Show(s, "E8"), "f:=SUM(E3:E7)=38000");
    EXPECT_EQ(Show(s, "F8"), "t:67.4%");
    for (const char* name : {"C8", "D8", "E8", "F8"}) {
        EXPECT_EQ(FontOf(s, name), "bold 11 000000") << name;
        EXPECT_EQ(FillOf(s, name), HEADER_FILL) << name;
    }
    EXPECT_EQ(EdgesOf(s, "C8"), "top 1/3 bottom 1/3 left 1/3 right 1/2");
    EXPECT_EQ(FontOf(s, "C7"), "plain 11 000000");
    EXPECT_EQ(RowHeight(s, 8), 19);
}

// ---------------------------------------------------------------------------
// Leftover workbook

TEST(SpreadsheetReportsLeftover, RowsUnlimitedEntriesAndTotals)
{
    SpreadsheetConnection c = BuildLeftover(HandLeftovers(), 100);
    ASSERT_EQ(c.Book().sheets.size(), 1u);
    const Worksheet& s = c.Book().sheets[0];
    EXPECT_EQ(Utf16ToUtf8(s.name), "余料");

    EXPECT_EQ(Show(s, "A1"), "t:Trevak线材下料优化---余料统计");
    EXPECT_EQ(MergeOf(s, "C1"), "A1:E1");
    EXPECT_EQ(FillOf(s, "A1"), TITLE_FILL);
    const Strings header = {"序 号", "规   格", "长 度", "数 量", "总 长"};
    for (int32_t column = 1; column <= 5; ++column) {
        EXPECT_EQ(Show(s, column, 2), "t:" + header[column - 1]) << column;
        EXPECT_EQ(FillOf(s, ColumnLetters(column) + "2"), HEADER_FILL) << column;
    }

    // 50 is below the minimum; 100 is not. The entry without a specification
    // gets an empty text.
    const std::vector<Strings> rows = {
        {"n:1", "t:Φ12", "n:6000", "n:6", "f:=C3*D3=36000"},
        {"n:2", "t:Φ16", "n:9000", "t:不限", "t:---"},
        {"n:3", "t:Φ16", "n:100", "n:4", "f:=C5*D5=400"},
        {"n:4", "t:", "n:1000", "n:2", "f:=C6*D6=2000"},
    };
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int32_t row = static_cast<int32_t>(r + 3);
        for (int32_t column = 1; column <= 5; ++column) {
            const std::string name = ColumnLetters(column) + std::to_string(row);
            EXPECT_EQ(Show(s, column, row), rows[r][column - 1]) << name;
            EXPECT_EQ(FillOf(s, name), row % 2 == 0 ? BAND_FILL : "none") << name;
            EXPECT_EQ(FontOf(s, name), "plain 11 000000") << name;
        }
    }
    // Totals skip the texts of the unlimited row: 6 + 4 + 2 = 12 bars,
    // 36000 + 400 + 2000 = 38400.
    EXPECT_EQ(Show(s, "C7"), "t:汇 总");
    EXPECT_EQ(Show(s, "D7"), "f:=SUM(D3:D6)=12");
    EXPECT_EQ(Show(s, "E7"), "f:=SUM(E3:E6)=38400");
    EXPECT_EQ(Show(s, "B7"), "empty");
    EXPECT_EQ(FontOf(s, "E7"), "bold 11 000000");
    EXPECT_EQ(FillOf(s, "C7"), HEADER_FILL);
    EXPECT_EQ(Show(s, "A8"), "empty");
    EXPECT_EQ(EdgesOf(s, "E4"), "top 1/2 bottom 1/2 left 1/2 right 1/3");
}

TEST(SpreadsheetReportsLeftover, MinimumFiltersTheList)
{
    // Minimum 5000: only 6000 and 9000 remain, numbered 1 and 2.
    SpreadsheetConnection c = BuildLeftover(HandLeftovers(), 5000);
    const Worksheet& s = c.Book().sheets[0];
    EXPECT_EQ(Show(s, "C3"), "n:6000");
    EXPECT_EQ(Show(s, "A4"), "n:2");
    EXPECT_EQ(Show(s, "D4"), "t:不限");
    EXPECT_EQ(Show(s, "C5"), "t:汇 总");
    EXPECT_EQ(Show(s, "D5"), "f:=SUM(D3:D4)=6");
    EXPECT_EQ(Show(s, "E5"), "f:=SUM(E3:E4)=36000");
}

TEST(SpreadsheetReportsLeftover, TotalsRowIsWrittenWhenNothingQualifies)
{
    SpreadsheetConnection c = BuildLeftover(HandLeftovers(), 100000);
    const Worksheet& s = c.Book().sheets[0];
    EXPECT_EQ(Show(s, "A3"), "empty");
    EXPECT_EQ(Show(s, "C3"), "t:汇 总");
    // "=SUM(D3:D2)" would take in the totals cell itself (a circular
    // reference); the total of no rows is 0.
    EXPECT_EQ(Show(s, "D3"), "f:=0=0");
    EXPECT_EQ(Show(s, "E3"), "f:=0=0");
    EXPECT_EQ(FillOf(s, "E3"), HEADER_FILL);
    // The body style goes on A3:E2, which the spreadsheet reads as the
    // rectangle A2:E3: the header row loses its bold face, keeps its fill.
    EXPECT_EQ(FontOf(s, "A2"), "plain 11 000000");
    EXPECT_EQ(FillOf(s, "A2"), HEADER_FILL);
}

// ---------------------------------------------------------------------------
// A plan of the engine

// Specification A, kerf 0, no trim, unlimited bars of 6000; pieces 3100,
// 2000 and 900, three of each. 3100 leads; 3100 + 2000 + 900 fills a bar
// exactly and nothing else of 3100 does, so the plan is that pattern on 3
// bars. Marks (3100, 订单1, 2) and (900, 订单2, 1) give three records of one
// bar: 3100 订单1 + 2000 + 900 订单2; 3100 订单1 + 2000 + 900; all unmarked.
WireOptimize_Whole EnginePlan()
{
    InputLists lists;
    lists.AppendCutRow(u"A", 3100, 2, u"订单1");
    lists.AppendCutRow(u"A", 3100, 1, u"");
    lists.AppendCutRow(u"A", 2000, 3, u"");
    lists.AppendCutRow(u"A", 900, 1, u"订单2");
    lists.AppendCutRow(u"A", 900, 2, u"");
    lists.AppendStockRow(u"A", 6000, -1, 0);
    WireOptimize_Whole job;
    JobError error;
    EXPECT_TRUE(PlanJob(job, lists, error)) << error.code;
    return job;
}

TEST(SpreadsheetReportsEngine, PlanOfARunWithMarks)
{
    const WireOptimize_Whole job = EnginePlan();
    ASSERT_EQ(job.m_groups.size(), 1u);
    ASSERT_EQ(job.m_groups[0].m_patterns.size(), 1u);
    ASSERT_EQ(job.m_groups[0].m_patterns[0].m_markRecords.size(), 3u);

    SpreadsheetConnection c = BuildPlan(job, !job.m_markSpec.empty());
    const Worksheet& a = c.Book().sheets[0];
    EXPECT_EQ(Show(a, "F3"), "t:3100x1+2000x1+900x1");
    EXPECT_EQ(Show(a, "E3"), "t:100.0%");
    EXPECT_EQ(Show(a, "G3"), "n:0");
    // 3100 -> 52.17 -> 52 (I:BH), 5100 -> 85.5 -> 85 (BI:CO), 6000 -> 100 (CP:DD).
    EXPECT_EQ(DiagramBlocks(a, 3), (Strings{"I:BH 3100 0066FF/FFFFFF", "BI:CO 2000 0099FF/FFFFFF",
                                            "CP:DD 900 00CCFF/000000"}));

    const Worksheet& b = c.Book().sheets[1];
    EXPECT_EQ(Show(b, "H2"), "t:标  记");
    EXPECT_EQ(Show(b, "A3"), "t:1-1");
    EXPECT_EQ(Show(b, "A6"), "t:1-2");
    EXPECT_EQ(Show(b, "A9"), "t:1-3");
    EXPECT_EQ(Show(b, "G3"), "t:3100 x 1");
    EXPECT_EQ(Show(b, "H3"), "t:订单1");
    EXPECT_EQ(Show(b, "H5"), "t:订单2");
    EXPECT_EQ(Show(b, "H6"), "t:订单1");
    EXPECT_EQ(Show(b, "H8"), "t:");
    EXPECT_EQ(Show(b, "G11"), "t:900 x 1");
    EXPECT_EQ(Show(b, "A12"), "empty");

    // 3 bars of 6000 = 18000, all of it pieces.
    const Worksheet& st = c.Book().sheets[2];
    EXPECT_EQ(Show(st, "E3"), "f:=C3*D3=18000");
    EXPECT_EQ(Show(st, "F3"), "t:100.0%");
    EXPECT_EQ(Show(st, "D4"), "f:=SUM(D3:D3)=3");
    EXPECT_EQ(Show(st, "F4"), "t:100.0%");
}

TEST(SpreadsheetReportsEngine, LeftoverOfARunKeepsTheUnlimitedRow)
{
    // The unlimited 6000 stays in the leftover list; the bars leave no remnant.
    const WireOptimize_Whole job = EnginePlan();
    SpreadsheetConnection c = BuildLeftover(job, 100);
    const Worksheet& s = c.Book().sheets[0];
    EXPECT_EQ(Show(s, "B3"), "t:A");
    EXPECT_EQ(Show(s, "C3"), "n:6000");
    EXPECT_EQ(Show(s, "D3"), "t:不限");
    EXPECT_EQ(Show(s, "E3"), "t:---");
    EXPECT_EQ(Show(s, "D4"), "f:=SUM(D3:D3)=0");
    EXPECT_EQ(Show(s, "E4"), "f:=SUM(E3:E3)=0");
}

// ---------------------------------------------------------------------------
// Saved workbooks

std::string ReadBack(SpreadsheetConnection& c, int32_t sheet, const std::string& name)
{
    c.SelectSheet(sheet);
    const Address a = At(name);
    c.SelectRange(a.column, a.row);
    const CellValue v = c.GetValue();
    switch (v.kind) {
    case CellValue::Kind::Text:
        return "t:" + Utf16ToUtf8(v.text);
    case CellValue::Kind::Number:
        return "n:" + Number(v.number);
    default:
        return "empty";
    }
}

TEST(SpreadsheetReportsFile, PlanWorkbookSavedAndReadBack)
{
    TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    const std::string path = folder.File("计划.xlsx");
    std::u16string error;
    ASSERT_TRUE(WritePlanWorkbook(HandPlan(), true, path, error)) << Utf16ToUtf8(error);

    SpreadsheetConnection c;
    ASSERT_TRUE(c.OpenWorkbook(path, error)) << Utf16ToUtf8(error);
    ASSERT_EQ(c.Book().sheets.size(), 3u);
    EXPECT_EQ(Utf16ToUtf8(c.Book().sheets[1].name), "下料组合(格式B)");
    EXPECT_EQ(ReadBack(c, 1, "A1"), "t:Trevak线材下料优化---下料组合统计");
    EXPECT_EQ(ReadBack(c, 1, "F3"), "t:1500x2+800x3");
    EXPECT_EQ(ReadBack(c, 1, "AH3"), "t:1500");
    EXPECT_EQ(ReadBack(c, 2, "A6"), "t:1-2");
    EXPECT_EQ(ReadBack(c, 2, "H4"), "t:订单2");
    EXPECT_EQ(ReadBack(c, 3, "C4"), "n:1000");
    EXPECT_EQ(ReadBack(c, 3, "E3"), "n:24000");  // the formula's value
    EXPECT_EQ(ReadBack(c, 3, "E8"), "n:38000");
}

TEST(SpreadsheetReportsFile, LeftoverWorkbookSavedAndReadBack)
{
    TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    const std::string path = folder.File("leftover.xlsx");
    std::u16string error;
    ASSERT_TRUE(WriteLeftoverWorkbook(HandLeftovers(), 100, path, error)) << Utf16ToUtf8(error);

    SpreadsheetConnection c;
    ASSERT_TRUE(c.OpenWorkbook(path, error)) << Utf16ToUtf8(error);
    EXPECT_EQ(Utf16ToUtf8(c.Book().sheets[0].name), "余料");
    EXPECT_EQ(ReadBack(c, 1, "D4"), "t:不限");
    EXPECT_EQ(ReadBack(c, 1, "E4"), "t:---");
    EXPECT_EQ(ReadBack(c, 1, "E5"), "n:400");
    EXPECT_EQ(ReadBack(c, 1, "D7"), "n:12");
}

TEST(SpreadsheetReportsFile, UnwritablePathIsReported)
{
    TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    std::u16string error;
    EXPECT_FALSE(WriteLeftoverWorkbook(HandLeftovers(), 100, folder.File("no-such-folder/x.xlsx"), error));
    EXPECT_FALSE(error.empty());
}

// The window's command: the workbook goes to a fresh "QRM" file in the
// workbook folder beside the report folder, which is then handed to the opener.
TEST(SpreadsheetReportsFile, ShownWorkbookIsSavedInTheWorkbookFolderAndOpened)
{
    TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    const std::string previousDocuments = g_documentsFolder;
    WorkbookOpener* previousOpener = g_workbookOpener;
    RecordingWorkbookOpener opener;
    g_documentsFolder = folder.File("docs");
    g_workbookOpener = &opener;

    std::string saved;
    const bool shown = ShowPlanWorkbook(HandPlan(), false, saved);
    g_documentsFolder = previousDocuments;
    g_workbookOpener = previousOpener;

    EXPECT_TRUE(shown);
    ASSERT_EQ(opener.m_opened.size(), 1u);
    EXPECT_EQ(opener.m_opened[0], saved);
    const std::filesystem::path path = std::filesystem::u8path(saved);
    EXPECT_EQ(path.parent_path(), std::filesystem::u8path(folder.File("docs")) / "Trevak_Excel");
    EXPECT_EQ(path.extension(), ".xlsx");
    EXPECT_EQ(path.filename().string().substr(0, 3), "QRM");

    SpreadsheetConnection c;
    std::u16string error;
    ASSERT_TRUE(c.OpenWorkbook(saved, error)) << Utf16ToUtf8(error);
    EXPECT_EQ(ReadBack(c, 3, "D8"), "n:10");
}

TEST(SpreadsheetReportsFile, ShownWorkbookWithNothingToOpenItFails)
{
    TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    const std::string previousDocuments = g_documentsFolder;
    WorkbookOpener* previousOpener = g_workbookOpener;
    g_documentsFolder = folder.File("docs");
    g_workbookOpener = nullptr;

    std::string saved;
    const bool shown = ShowLeftoverWorkbook(HandLeftovers(), 100, saved);
    g_documentsFolder = previousDocuments;
    g_workbookOpener = previousOpener;

    EXPECT_FALSE(shown);
    EXPECT_FALSE(saved.empty());  // saved, but nothing opened it
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(saved)));
}

}  // namespace
