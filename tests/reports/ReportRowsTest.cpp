// The rows every report lists, read from the result model: pattern and mark
// group numbering, bar counts, totals, the stock summary and the leftovers.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "engine/Job.h"
#include "engine/ResultModel.h"
#include "lists/InputLists.h"
#include "reports/ReportRows.h"
#include "support/HandPatterns.h"
#include "support/PlanJob.h"

namespace {

std::vector<std::u16string> Numbers(const ReportPatternRow& pattern)
{
    std::vector<std::u16string> numbers;
    for (const ReportMarkGroup& group : pattern.markGroups) numbers.push_back(group.number);
    return numbers;
}

// Planned by the engine, no kerf, no trim:
//   A: 5000 and 4000 from unlimited 6000 bars: no two fit one bar, so
//      pattern 1 is 5000 alone (remnant 1000), pattern 2 4000 alone (2000).
//   Φ12: 3100, 2000 and 900, three of each, from 5 preferred bars of 6000:
//      two 3100 do not fit a bar, 3100 + 2000 + 900 fills one exactly, so
//      pattern 3 is that on 3 bars. Two of the 3100 carry 订单1 and one of the
//      900 订单2: the first bar gets both marks, the second the other 订单1,
//      the third none, so the pattern falls into three mark groups of one bar
//      each.
WireOptimize_Whole MarkedPlan()
{
    InputLists lists;
    lists.AppendCutRow(u"A", 5000, 1, u"");
    lists.AppendCutRow(u"A", 4000, 1, u"");
    lists.AppendCutRow(u"Φ12", 3100, 2, u"订单1");
    lists.AppendCutRow(u"Φ12", 3100, 1, u"");
    lists.AppendCutRow(u"Φ12", 2000, 3, u"");
    lists.AppendCutRow(u"Φ12", 900, 1, u"订单2");
    lists.AppendCutRow(u"Φ12", 900, 2, u"");
    lists.AppendStockRow(u"A", 6000, -1, 0);
    lists.AppendStockRow(u"Φ12", 6000, 5, 1);
    WireOptimize_Whole job;
    JobError error;
    EXPECT_TRUE(PlanJob(job, lists, error)) << error.code;
    return job;
}

TEST(ReportRowsTest, PatternsOfAPlannedJobAreNumberedOverAllGroupsWithTheirMarkGroups)
{
    const ReportRows rows = BuildReportRows(MarkedPlan(), 1500);
    ASSERT_EQ(rows.groups.size(), 2u);
    const ReportGroupRows& a = rows.groups[0];
    const ReportGroupRows& marked = rows.groups[1];
    EXPECT_EQ(a.spec, u"A");
    EXPECT_EQ(marked.spec, u"Φ12");
    ASSERT_EQ(a.patterns.size(), 2u);
    ASSERT_EQ(marked.patterns.size(), 1u);

    // A's patterns: one unmarked group each, numbered like their pattern.
    EXPECT_EQ(a.patterns[0].number, 1);
    EXPECT_EQ(a.patterns[1].number, 2);
    EXPECT_EQ(Numbers(a.patterns[0]), std::vector<std::u16string>{u"1"});
    EXPECT_EQ(Numbers(a.patterns[1]), std::vector<std::u16string>{u"2"});
    EXPECT_DOUBLE_EQ(a.patterns[0].remnant, 1000);
    EXPECT_DOUBLE_EQ(a.patterns[1].remnant, 2000);
    EXPECT_FALSE(a.patterns[0].markGroups[0].hasMark);

    // The numbering runs on into the next group: pattern 3, groups 3-1 to 3-3.
    const ReportPatternRow& pattern = marked.patterns[0];
    EXPECT_EQ(pattern.number, 3);
    EXPECT_EQ(pattern.barCount, 3);
    EXPECT_DOUBLE_EQ(pattern.barLength, 6000);
    EXPECT_DOUBLE_EQ(pattern.utilisation, 1);
    ASSERT_EQ(pattern.pieces.size(), 3u);
    EXPECT_EQ(PiecesText(pattern.pieces, u"x", u"+"), u"3100x1+2000x1+900x1");
    EXPECT_EQ(Numbers(pattern), (std::vector<std::u16string>{u"3-1", u"3-2", u"3-3"}));

    // Blocks count mark groups over the plan: A's two, then 3, 4, 5.
    EXPECT_EQ(a.patterns[1].markGroups[0].block, 2);
    int64_t bars = 0;
    for (std::size_t g = 0; g < 3; ++g) {
        const ReportMarkGroup& group = pattern.markGroups[g];
        EXPECT_EQ(group.block, static_cast<int64_t>(g) + 3);
        EXPECT_EQ(group.barCount, 1);
        bars += group.barCount;
    }
    EXPECT_EQ(bars, pattern.barCount);
    EXPECT_EQ(PiecesText(pattern.markGroups[0].pieces, u" × ", u" + ", true),
              u"3100 × 1 订单1 + 2000 × 1 + 900 × 1 订单2");
    EXPECT_EQ(PiecesText(pattern.markGroups[1].pieces, u" × ", u" + ", true), u"3100 × 1 订单1 + 2000 × 1 + 900 × 1");
    EXPECT_TRUE(pattern.markGroups[1].hasMark);
    EXPECT_FALSE(pattern.markGroups[2].hasMark);
    // Marks stay out of the pattern's own pieces.
    for (const ReportPiece& piece : pattern.pieces) EXPECT_TRUE(piece.mark.empty());
}

TEST(ReportRowsTest, TotalsAndTheStockSummaryOfAPlannedJob)
{
    const ReportRows rows = BuildReportRows(MarkedPlan(), 1500);
    // A: 2 bars of 6000 for 9000 of pieces; Φ12: 3 full bars of 6000.
    EXPECT_EQ(rows.groups[0].totalBars, 2);
    EXPECT_DOUBLE_EQ(rows.groups[0].totalLength, 12000);
    EXPECT_DOUBLE_EQ(rows.groups[0].utilisation, 0.75);
    EXPECT_DOUBLE_EQ(rows.groups[0].remnantLength, 3000);
    EXPECT_DOUBLE_EQ(rows.groups[1].remnantLength, 0);
    EXPECT_EQ(rows.totalBars, 5);
    EXPECT_DOUBLE_EQ(rows.totalLength, 30000);
    EXPECT_DOUBLE_EQ(rows.utilisation, 27000.0 / 30000);

    ASSERT_EQ(rows.stock.size(), 2u);
    EXPECT_EQ(rows.stock[0].number, 1);
    EXPECT_EQ(rows.stock[0].spec, u"A");
    EXPECT_EQ(rows.stock[0].bars, 2);
    EXPECT_DOUBLE_EQ(rows.stock[0].totalLength, 12000);
    EXPECT_DOUBLE_EQ(rows.stock[0].utilisation, 0.75);
    EXPECT_EQ(rows.stock[1].number, 2);
    EXPECT_EQ(rows.stock[1].spec, u"Φ12");
    EXPECT_EQ(rows.stock[1].bars, 3);
    EXPECT_DOUBLE_EQ(rows.stock[1].utilisation, 1);
}

TEST(ReportRowsTest, LeftoversOfAPlannedJobFromTheMinimumOn)
{
    // The leftover list: A's unlimited 6000, Φ12's 6000 less the 3 bars
    // used (2 left), then A's remnants 1000 and 2000. The 1000 is below the
    // minimum of 1500.
    const ReportRows rows = BuildReportRows(MarkedPlan(), 1500);
    EXPECT_DOUBLE_EQ(rows.minimumLeftover, 1500);
    ASSERT_EQ(rows.leftover.size(), 3u);
    EXPECT_EQ(rows.leftover[0].spec, u"A");
    EXPECT_TRUE(rows.leftover[0].unlimited);
    EXPECT_DOUBLE_EQ(rows.leftover[0].totalLength, 0);
    EXPECT_EQ(rows.leftover[1].spec, u"Φ12");
    EXPECT_FALSE(rows.leftover[1].unlimited);
    EXPECT_EQ(rows.leftover[1].quantity, 2);
    EXPECT_DOUBLE_EQ(rows.leftover[1].totalLength, 12000);
    EXPECT_EQ(rows.leftover[2].spec, u"A");
    EXPECT_DOUBLE_EQ(rows.leftover[2].length, 2000);
    for (std::size_t i = 0; i < rows.leftover.size(); ++i)
        EXPECT_EQ(rows.leftover[i].number, static_cast<int64_t>(i) + 1);
    // Finite rows only: 2 + 1 bars, 12000 + 2000 long.
    EXPECT_EQ(rows.leftoverBars, 3);
    EXPECT_DOUBLE_EQ(rows.leftoverLength, 14000);

    // Exactly at the minimum is listed.
    const ReportRows atMinimum = BuildReportRows(MarkedPlan(), 1000);
    ASSERT_EQ(atMinimum.leftover.size(), 4u);
    EXPECT_DOUBLE_EQ(atMinimum.leftover[2].length, 1000);
    EXPECT_EQ(atMinimum.leftover[3].number, 4);
}

TEST(ReportRowsTest, PatternsWithoutMarkRecordsGetOneUnmarkedGroupOfAllTheirBars)
{
    WireOptimize_Whole job;
    WireOptimize group;
    group.m_spec = u"B";
    group.m_patterns.push_back(Pattern(6000, 4, 0.9, 500, {1500, 800}, {2, 3}));
    group.m_patterns.push_back(Pattern(9000, 2, 0.5, 4500, {4000}, {1}));
    group.m_patterns[1].m_markRecords = {Record(1, {4000}, {1}, {u"x"}), Record(1, {4000}, {1}, {u""})};
    job.m_groups = {group};

    const ReportRows rows = BuildReportRows(job, 0);
    const ReportPatternRow& plain = rows.groups[0].patterns[0];
    ASSERT_EQ(plain.markGroups.size(), 1u);
    EXPECT_EQ(plain.markGroups[0].number, u"1");
    EXPECT_EQ(plain.markGroups[0].barCount, 4);
    EXPECT_EQ(PiecesText(plain.markGroups[0].pieces, u"x", u" + "), u"1500x2 + 800x3");
    EXPECT_FALSE(plain.markGroups[0].hasMark);
    // The bars times their remnant: 4 x 500 + 2 x 4500.
    EXPECT_DOUBLE_EQ(rows.groups[0].remnantLength, 11000);
    EXPECT_EQ(Numbers(rows.groups[0].patterns[1]), (std::vector<std::u16string>{u"2-1", u"2-2"}));
    EXPECT_EQ(rows.groups[0].patterns[1].markGroups[1].block, 3);
}

TEST(ReportRowsTest, StockSummarySkipsLengthsWithoutBarsAndNumbersOverGroups)
{
    WireOptimize_Whole job;
    WireOptimize a;
    a.m_spec = u"A";
    a.m_usedLength = {5000, 6000};
    a.m_usedBars = {0, 2};
    a.m_usedPieceLength = {0, 9000};
    WireOptimize b;
    b.m_spec = u"B";
    b.m_usedLength = {-0.5, 7000};
    b.m_usedBars = {3, 1};
    b.m_usedPieceLength = {1, 3500};
    job.m_groups = {a, b};

    const ReportRows rows = BuildReportRows(job, 0);
    ASSERT_EQ(rows.stock.size(), 3u);
    EXPECT_EQ(rows.stock[0].spec, u"A");
    EXPECT_DOUBLE_EQ(rows.stock[0].length, 6000);
    EXPECT_DOUBLE_EQ(rows.stock[0].utilisation, 0.75);
    // 3 bars of -0.5 make no length: utilisation 0, not -2/3.
    EXPECT_EQ(rows.stock[1].number, 2);
    EXPECT_DOUBLE_EQ(rows.stock[1].totalLength, -1.5);
    EXPECT_DOUBLE_EQ(rows.stock[1].utilisation, 0);
    EXPECT_EQ(rows.stock[2].number, 3);
    EXPECT_DOUBLE_EQ(rows.stock[2].utilisation, 0.5);
}

TEST(ReportRowsTest, DamagedResultsAreReadAsFarAsTheyGo)
{
    WireOptimize_Whole job;
    WireOptimize group;
    group.m_spec = u"C";
    // A count and a mark short.
    WireCombine pattern = Pattern(1000, 1, 0.7, 0, {400, 300}, {1});
    pattern.m_markRecords = {Record(1, {400, 300}, {1, 1}, {u"m"})};
    group.m_patterns.push_back(pattern);
    // A used length without its piece length.
    group.m_usedLength = {1000};
    group.m_usedBars = {1};
    job.m_groups = {group};
    // The last entry has no quantity, the third no specification; a quantity
    // of 0 reads as unlimited.
    job.m_leftoverLength = {500, 600, 700, 800};
    job.m_leftoverQuantity = {0, 2, 3};
    job.m_leftoverSpec = {u"C", u"C"};

    const ReportRows rows = BuildReportRows(job, 0);
    const ReportPatternRow& row = rows.groups[0].patterns[0];
    EXPECT_EQ(PiecesText(row.pieces, u"x", u"+"), u"400x1+300x0");
    EXPECT_EQ(PiecesText(row.markGroups[0].pieces, u"x", u"+", true), u"400x1 m+300x1");
    ASSERT_EQ(rows.stock.size(), 1u);
    EXPECT_DOUBLE_EQ(rows.stock[0].utilisation, 0);

    ASSERT_EQ(rows.leftover.size(), 3u);
    EXPECT_TRUE(rows.leftover[0].unlimited);
    EXPECT_EQ(rows.leftover[2].spec, u"");
    EXPECT_EQ(rows.leftover[2].quantity, 3);
    EXPECT_EQ(rows.leftoverBars, 5);
    EXPECT_DOUBLE_EQ(rows.leftoverLength, 2 * 600 + 3 * 700);
}

TEST(ReportRowsTest, ParametersAndFractionsComeFromTheJob)
{
    WireOptimize_Whole job;
    job.m_trimLength = 5;
    job.m_kerfWidth = 3;
    job.m_maxLengthKinds = 2;
    job.m_hasFraction = 1;
    WireOptimize group;
    group.m_kerfWidth = 3;
    job.m_groups = {group};
    const ReportRows rows = BuildReportRows(job, std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(rows.trimLength, 5);
    EXPECT_DOUBLE_EQ(rows.kerfWidth, 3);
    EXPECT_EQ(rows.maxLengthKinds, 2);
    EXPECT_TRUE(rows.hasFraction);
    EXPECT_DOUBLE_EQ(rows.groups[0].kerfWidth, 3);
    EXPECT_TRUE(rows.groups[0].patterns.empty());
    EXPECT_TRUE(rows.leftover.empty());
}

}  // namespace
