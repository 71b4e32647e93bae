#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Job.h"
#include "reports/PatternDrawing.h"

namespace {

WireCombine Pattern(double barLength, std::vector<double> lengths, std::vector<int64_t> counts)
{
    WireCombine pattern;
    pattern.m_barLength = barLength;
    pattern.m_barCount = 1;
    pattern.m_pieceLength = std::move(lengths);
    pattern.m_pieceCount = std::move(counts);
    return pattern;
}

std::vector<int> Colours(const std::vector<PatternBlock>& blocks)
{
    std::vector<int> colours;
    for (const PatternBlock& block : blocks)
        colours.push_back(block.colourIndex);
    return colours;
}

}  // namespace

TEST(PatternDrawingTest, BoundariesRoundTheRunningSumHalfUp)
{
    const WireCombine pattern = Pattern(6000, {1500, 800}, {2, 3});
    EXPECT_EQ(SegmentBoundaries(pattern, 0, 400), (std::vector<int>{100, 200, 253, 307, 360}));
    // The same bar drawn further right moves every boundary by the offset.
    EXPECT_EQ(SegmentBoundaries(pattern, 7, 407), (std::vector<int>{107, 207, 260, 314, 367}));

    // Each block starts where the one before ended; equal lengths share a colour.
    const std::vector<PatternBlock> blocks = PatternBlocks(pattern, 0, 400);
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks[0].left, 0);
    EXPECT_EQ(blocks[2].left, 200);
    EXPECT_EQ(blocks[4].left, 307);
    EXPECT_EQ(Colours(blocks), (std::vector<int>{0, 0, 1, 1, 1}));
}

TEST(PatternDrawingTest, ColoursFollowTheOrderOfLengthsInEachPattern)
{
    // Every drawing starts a fresh registry: 800 first takes entry 0 here,
    // although an earlier drawing gave it entry 1.
    PatternBlocks(Pattern(6000, {1500, 800}, {2, 3}), 0, 400);
    EXPECT_EQ(Colours(PatternBlocks(Pattern(6000, {800, 1500, 600}, {1, 1, 2}), 0, 400)),
              (std::vector<int>{0, 1, 2, 2}));
}

TEST(PatternDrawingTest, NoBarLengthDrawsNothing)
{
    EXPECT_TRUE(SegmentBoundaries(Pattern(0, {1500}, {2}), 0, 400).empty());
    EXPECT_TRUE(SegmentBoundaries(Pattern(-6000, {1500}, {2}), 0, 400).empty());
}

TEST(PatternDrawingTest, RowsCountPatternsOverAllGroups)
{
    WireOptimize_Whole job;
    job.m_groups.resize(3);
    for (double bar : {6000.0, 9000.0})
        job.m_groups[0].m_patterns.push_back(Pattern(bar, {1000}, {1}));
    // The middle group has no pattern and takes no row.
    for (double bar : {12000.0, 4000.0, 3000.0})
        job.m_groups[2].m_patterns.push_back(Pattern(bar, {1000}, {1}));

    EXPECT_EQ(PatternAtRow(job, 0), &job.m_groups[0].m_patterns[0]);
    EXPECT_EQ(PatternAtRow(job, 2), &job.m_groups[2].m_patterns[0]);
    EXPECT_EQ(PatternAtRow(job, 4), &job.m_groups[2].m_patterns[2]);
    // Row 5 is the totals row.
    EXPECT_EQ(PatternAtRow(job, 5), nullptr);
    EXPECT_EQ(PatternAtRow(job, -1), nullptr);
    EXPECT_EQ(PatternAtRow(WireOptimize_Whole(), 0), nullptr);
}

TEST(PatternDrawingTest, SummaryLine)
{
    WireCombine pattern = Pattern(6000, {1500, 800}, {2, 3});
    pattern.m_utilisation = 0.9;
    pattern.m_remnant = 600;
    EXPECT_EQ(PatternSummaryText(pattern), u"原料长度 6000    分段数 5    利用率 90.0%    余长 600");

    pattern.m_barLength = 6000.5;
    pattern.m_utilisation = 0.89996;
    pattern.m_remnant = 12.25;
    EXPECT_EQ(PatternSummaryText(pattern), u"原料长度 6000.5    分段数 5    利用率 90.0%    余长 12.25");
}
