// The cutting sheet's content and pages: bars measured along their length,
// rows per pattern and mark group, headers, tables, pagination.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/ResultModel.h"
#include "reports/CuttingSheet.h"
#include "support/HandPatterns.h"

namespace {

// Group A: 1500 x 2 + 800 x 3 on 6000 (kerf 10, so 5 x 10 of kerf and a
// remnant of 6000 - 5400 - 50 = 550), three bars; 2995 x 2 on 6000, one bar.
// Group B: 4000 x 1 on 9000, two bars.
WireOptimize_Whole TwoGroupJob()
{
    WireOptimize_Whole job;
    job.m_kerfWidth = 10;
    job.m_trimLength = 5;
    job.m_maxLengthKinds = 3;
    WireOptimize a;
    a.m_spec = u"Φ12{A}";
    a.m_kerfWidth = 10;
    a.m_patterns.push_back(Pattern(6000, 3, 0, 0, {1500, 800}, {2, 3}));
    a.m_patterns.push_back(Pattern(6000, 1, 0, 0, {2995}, {2}));
    WireOptimize b;
    b.m_spec = u"B";
    b.m_kerfWidth = 10;
    b.m_patterns.push_back(Pattern(9000, 2, 0, 0, {4000}, {1}));
    job.m_groups = {a, b};
    for (WireOptimize& group : job.m_groups) TotalGroup(group);
    TotalJob(job);
    return job;
}

SheetSettings Settings()
{
    SheetSettings settings;
    settings.madeAt = 0;
    settings.speedLevel = 3;
    settings.minimumLeftover = 100;
    return settings;
}

std::vector<double> Starts(const std::vector<BarPart>& parts, BarPartKind kind)
{
    std::vector<double> starts;
    for (const BarPart& part : parts) {
        if (part.kind == kind) starts.push_back(part.start);
    }
    return starts;
}

// A job of one group with n patterns of 1000 x 5 on 6000.
WireOptimize_Whole ManyPatterns(int n)
{
    WireOptimize_Whole job;
    WireOptimize group;
    group.m_spec = u"C";
    for (int i = 0; i < n; ++i) group.m_patterns.push_back(Pattern(6000 + i, 1, 0, 0, {1000}, {5}));
    job.m_groups = {group};
    TotalGroup(job.m_groups[0]);
    TotalJob(job);
    return job;
}

}  // namespace

TEST(CuttingSheetTest, BarPartsFollowThePiecesWithAKerfAfterEach)
{
    SegmentColourRegistry registry;
    const std::vector<BarPart> parts = BarParts(6000, 10, {1500, 800}, {2, 3}, {u"", u"订单1"}, registry);
    // Pieces start after every earlier piece and its kerf: 0, 1510, 3020,
    // 3830, 4640; the remnant after the last kerf at 5450 is 550 long.
    EXPECT_EQ(Starts(parts, BarPartKind::Piece), (std::vector<double>{0, 1510, 3020, 3830, 4640}));
    EXPECT_EQ(Starts(parts, BarPartKind::Kerf), (std::vector<double>{1500, 3010, 3820, 4630, 5440}));
    ASSERT_EQ(parts.back().kind, BarPartKind::Remnant);
    EXPECT_DOUBLE_EQ(parts.back().start, 5450);
    EXPECT_DOUBLE_EQ(parts.back().length, 550);
    EXPECT_EQ(parts.back().label, u"550");
    // Labels, marks and colours per length.
    EXPECT_EQ(parts[0].label, u"1500");
    EXPECT_EQ(parts[0].mark, u"");
    EXPECT_EQ(parts[4].label, u"800");
    EXPECT_EQ(parts[4].mark, u"订单1");
    EXPECT_EQ(parts[0].colourIndex, parts[2].colourIndex);
    EXPECT_NE(parts[0].colourIndex, parts[4].colourIndex);

    // The registry carries over: 800 keeps its colour on the next bar, where
    // it comes first.
    const std::vector<BarPart> next = BarParts(6000, 10, {800}, {1}, {}, registry);
    EXPECT_EQ(next[0].colourIndex, parts[4].colourIndex);
}

TEST(CuttingSheetTest, BarPartsOfUnusualBars)
{
    SegmentColourRegistry registry;
    EXPECT_TRUE(BarParts(0, 10, {100}, {1}, {}, registry).empty());
    EXPECT_TRUE(BarParts(-5, 10, {100}, {1}, {}, registry).empty());
    // Full to the last kerf: no remnant part.
    const std::vector<BarPart> full = BarParts(2020, 10, {1000}, {2}, {}, registry);
    EXPECT_EQ(full.back().kind, BarPartKind::Kerf);
    // Without a kerf the cuts are still listed, zero wide.
    const std::vector<BarPart> noKerf = BarParts(3000, 0, {1000}, {2}, {}, registry);
    ASSERT_EQ(noKerf.size(), 5u);
    EXPECT_EQ(noKerf[1].kind, BarPartKind::Kerf);
    EXPECT_EQ(noKerf[1].length, 0);
    EXPECT_EQ(noKerf[2].start, 1000);
}

TEST(CuttingSheetTest, SectionsNumberPatternsOverAllGroups)
{
    const WireOptimize_Whole job = TwoGroupJob();
    const CuttingSheet sheet = BuildCuttingSheet(job, Settings());
    ASSERT_EQ(sheet.sections.size(), 2u);
    EXPECT_EQ(sheet.sections[0].spec, u"Φ12{A}");
    ASSERT_EQ(sheet.sections[0].rows.size(), 2u);
    ASSERT_EQ(sheet.sections[1].rows.size(), 1u);
    EXPECT_EQ(sheet.sections[0].rows[1].number, u"2");
    EXPECT_EQ(sheet.sections[1].rows[0].number, u"3");
    EXPECT_EQ(sheet.sections[1].rows[0].barCount, 2);
    EXPECT_EQ(sheet.sections[0].rows[0].composition, u"1500 × 2 + 800 × 3");
    // Utilisation 5400 / 6000; remnant 550 as the result model reckons it.
    EXPECT_EQ(sheet.sections[0].rows[0].figures, u"利用率 90.0%    余长 550");

    // The header: parameters, then the group's totals: 4 bars, 24000 of
    // stock, pieces 3 x 5400 + 5990 = 22190 (92.5 %), remnants 3 x 550 and
    // 6000 - 5990 - 2 x 10 below 0, so 0: 1650.
    const std::vector<std::u16string>& header = sheet.sections[0].headerLines;
    ASSERT_EQ(header.size(), 2u);
    EXPECT_NE(header[0].find(u"剔除料头 5    切割缝宽 10    长度种类 不超过 3 种    优化等级 3"), std::u16string::npos);
    EXPECT_EQ(header[1], u"原料 4 根    原料总长 24000    利用率 92.5%    余料总长 1650");
}

TEST(CuttingSheetTest, MarkGroupsAreRowsOfTheirOwn)
{
    WireOptimize_Whole job = TwoGroupJob();
    WireCombine& first = job.m_groups[0].m_patterns[0];
    first.m_markRecords = {Record(2, {1500, 800}, {2, 3}, {u"订单1", u"订单2"}),
                           Record(1, {1500, 800}, {2, 3}, {u"订单1", u""})};
    // One record with a mark: the pattern's own row carries it.
    job.m_groups[1].m_patterns[0].m_markRecords = {Record(2, {4000}, {1}, {u"订单9"})};
    job.m_markSpec = {u"Φ12{A}"};

    const CuttingSheet sheet = BuildCuttingSheet(job, Settings());
    const std::vector<SheetBarRow>& rows = sheet.sections[0].rows;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_FALSE(rows[0].markGroup);
    EXPECT_EQ(rows[0].barCount, 3);
    EXPECT_TRUE(rows[1].markGroup);
    EXPECT_EQ(rows[1].number, u"1-1");
    EXPECT_EQ(rows[1].barCount, 2);
    EXPECT_EQ(rows[1].composition, u"1500 × 2 订单1 + 800 × 3 订单2");
    EXPECT_TRUE(rows[1].withMarks);
    EXPECT_EQ(rows[2].number, u"1-2");
    EXPECT_EQ(rows[2].barCount, 1);
    EXPECT_EQ(rows[3].number, u"2");
    EXPECT_FALSE(rows[3].withMarks);

    const SheetBarRow& single = sheet.sections[1].rows.at(0);
    EXPECT_TRUE(single.withMarks);
    EXPECT_EQ(single.parts[0].mark, u"订单9");
    EXPECT_EQ(single.barCount, 2);
}

TEST(CuttingSheetTest, TablesListStockUsedAndLongEnoughLeftovers)
{
    WireOptimize_Whole job = TwoGroupJob();
    job.m_leftoverLength = {550, 90, 6000};
    job.m_leftoverQuantity = {3, 4, -1};
    job.m_leftoverSpec = {u"Φ12{A}", u"Φ12{A}", u"B"};
    job.m_leftoverPriority = {-1, -1, 0};
    const CuttingSheet sheet = BuildCuttingSheet(job, Settings());

    ASSERT_EQ(sheet.stock.rows.size(), 2u);
    EXPECT_EQ(sheet.stock.rows[0], (std::vector<std::u16string>{u"1", u"Φ12{A}", u"6000", u"4", u"24000", u"92.5%"}));
    EXPECT_EQ(sheet.stock.totals[3], u"6");

    // 90 is below the minimum of 100; unlimited stock shows as 不限.
    ASSERT_EQ(sheet.leftover.rows.size(), 2u);
    EXPECT_EQ(sheet.leftover.rows[0][2], u"550");
    EXPECT_EQ(sheet.leftover.rows[0][4], u"1650");
    EXPECT_EQ(sheet.leftover.rows[1][3], u"不限");
    EXPECT_EQ(sheet.leftover.totals[3], u"3");
}

TEST(CuttingSheetTest, ShortPiecesOnLongBarsTurnThePagesToLandscape)
{
    // Portrait bars are 210 - 24 - 48 - 2 = 136 mm wide: 800 of 6000 is 18 mm.
    EXPECT_FALSE(BuildCuttingSheet(TwoGroupJob(), Settings()).landscape);
    // 300 of 12000 would be 3.4 mm, too narrow for its label.
    WireOptimize_Whole job = TwoGroupJob();
    job.m_groups[1].m_patterns.push_back(Pattern(12000, 1, 0, 0, {300}, {1}));
    EXPECT_TRUE(BuildCuttingSheet(job, Settings()).landscape);
}

TEST(CuttingSheetTest, PagesHoldEveryRowOnceInOrder)
{
    WireOptimize_Whole job = ManyPatterns(60);
    job.m_groups.push_back(job.m_groups[0]);
    job.m_groups[1].m_spec = u"D";
    const CuttingSheet sheet = BuildCuttingSheet(job, Settings());
    const double body = SheetBodyHeight(sheet.landscape);
    const std::vector<SheetPage> pages = PaginateSheet(sheet, body);

    std::vector<std::pair<std::size_t, std::size_t>> seen;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const SheetPage& page = pages[p];
        ASSERT_FALSE(page.items.empty());
        double y = 0;
        double longest = 0;
        for (const SheetItem& item : page.items) {
            // Top down without overlap, inside the body.
            EXPECT_DOUBLE_EQ(item.top, y);
            EXPECT_EQ(item.height, SheetItemHeight(sheet, item));
            y += item.height;
            EXPECT_LE(y, body + 1e-6);
            if (item.kind == SheetItemKind::BarRow) {
                seen.emplace_back(item.section, item.row);
                longest = std::max(longest, sheet.sections[item.section].rows[item.row].barLength);
            }
        }
        EXPECT_EQ(page.longestBar, longest);
        // A page that goes on with a section begins with its header again.
        if (p > 0 && page.items[0].kind == SheetItemKind::BarRow)
            ADD_FAILURE() << "page " << p + 1 << " starts without a header";
    }
    ASSERT_EQ(seen.size(), 120u);
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], std::make_pair(i / 60, i % 60));
    EXPECT_EQ(pages[0].items[0].kind, SheetItemKind::Title);
}

TEST(CuttingSheetTest, PageCountGrowsWithThePlan)
{
    // Portrait body: 297 - 24 - 8 = 265 mm; rows of 13 mm.
    std::size_t last = 0;
    for (int n : {1, 20, 40, 80, 160}) {
        const CuttingSheet sheet = BuildCuttingSheet(ManyPatterns(n), Settings());
        const std::size_t pages = PaginateSheet(sheet, SheetBodyHeight(sheet.landscape)).size();
        EXPECT_GE(pages, last);
        // At least the rows' own height spread over whole pages.
        EXPECT_GE(double(pages), n * SHEET_ROW_MM / SheetBodyHeight(false));
        last = pages;
    }
    EXPECT_GE(last, 8u);
}

TEST(CuttingSheetTest, HeaderStaysWithItsFirstRowAndPatternWithItsFirstMarkGroup)
{
    // Choose a body height that leaves room for the title and the first
    // header but not for the header's first row.
    WireOptimize_Whole job = ManyPatterns(3);
    job.m_groups[0].m_patterns[1].m_markRecords = {Record(1, {1000}, {5}, {u"x"}), Record(0, {1000}, {5}, {u"y"})};
    const CuttingSheet sheet = BuildCuttingSheet(job, Settings());
    const SheetItem header{SheetItemKind::SectionHeader, 0, 0, 0, 0};
    const double body = SHEET_TITLE_MM + SheetItemHeight(sheet, header) + 1;
    const std::vector<SheetPage> pages = PaginateSheet(sheet, body);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages[0].items.size(), 1u);
    EXPECT_EQ(pages[1].items[0].kind, SheetItemKind::SectionHeader);
    EXPECT_EQ(pages[1].items[1].kind, SheetItemKind::BarRow);

    // A body of two rows: the pattern with mark groups (row 1) moves to a new
    // page rather than stand apart from its first group (row 2).
    const double rows = SheetItemHeight(sheet, header) + SHEET_ROW_MM * 2 + SHEET_MARKED_ROW_MM;
    const std::vector<SheetPage> tight = PaginateSheet(sheet, std::max(rows, SHEET_TITLE_MM + 40));
    for (const SheetPage& page : tight) {
        const SheetItem& last = page.items.back();
        if (last.kind == SheetItemKind::BarRow) {
            EXPECT_FALSE(last.row == 1) << "a pattern ends a page without its mark groups";
        }
    }
}
