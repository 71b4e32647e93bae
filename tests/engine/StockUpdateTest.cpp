// "根据优化结果更新原料库": the stock list after a plan, from the leftover list.

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/StockUpdate.h"
#include "support/PlanJob.h"

namespace {

using StockRow = std::tuple<std::u16string, double, int32_t, int32_t>;

std::vector<StockRow> StockRows(const InputLists& lists)
{
    std::vector<StockRow> rows;
    for (std::size_t i = 0; i < lists.StockRowCount(); ++i)
        rows.emplace_back(lists.m_stockSpec[i], lists.m_stockLength[i], lists.m_stockQuantity[i],
                          lists.m_stockPriority[i]);
    return rows;
}

// Plans the lists (kerf 0, no trim) and updates their stock list.
std::vector<StockRow> UpdatedStock(InputLists lists, const StockUpdateOptions& options)
{
    WireOptimize_Whole job;
    JobError error;
    EXPECT_TRUE(PlanJob(job, lists, error)) << error.code;
    const std::size_t cutRows = lists.CutRowCount();
    UpdateStockFromLeftovers(job, options, lists);
    EXPECT_EQ(lists.CutRowCount(), cutRows);
    return StockRows(lists);
}

}  // namespace

TEST(StockUpdate, UsedRowsShrinkOrGoAndUnlimitedRowsStay)
{
    InputLists lists;
    lists.AppendCutRow(u"A", 6000, 5, u"");  // uses all 5 bars of A 6000, no remnant
    lists.AppendCutRow(u"B", 6000, 3, u"");  // uses 3 of 5
    lists.AppendCutRow(u"C", 5000, 2, u"");  // 2 bars of the unlimited row, remnants 1000
    lists.AppendStockRow(u"A", 6000, 5, 0);
    lists.AppendStockRow(u"B", 6000, 5, 1);
    lists.AppendStockRow(u"C", 6000, -1, 0);

    EXPECT_EQ(UpdatedStock(lists, {}), (std::vector<StockRow>{
                                           {u"B", 6000, 2, 1},
                                           {u"C", 6000, -1, 0},
                                           {u"C", 1000, 2, 1},
                                       }));
}

TEST(StockUpdate, EqualRemnantsOfTwoPatternsMerge)
{
    // 2750 x 3 on 3 bars and 1375 x 4 on 2 bars of 3000: every bar leaves 250.
    InputLists lists;
    lists.AppendCutRow(u"C", 2750, 3, u"");
    lists.AppendCutRow(u"C", 1375, 4, u"");
    lists.AppendStockRow(u"C", 3000, -1, 0);

    EXPECT_EQ(UpdatedStock(lists, {}), (std::vector<StockRow>{{u"C", 3000, -1, 0}, {u"C", 250, 5, 1}}));
}

TEST(StockUpdate, OptionsDecideWhichRemnantsJoin)
{
    InputLists lists;
    lists.AppendCutRow(u"D", 900, 1, u"");    // remnant 100
    lists.AppendCutRow(u"E", 900.1, 1, u"");  // remnant 99.9
    lists.AppendCutRow(u"F", 4000, 1, u"");   // remnant 2000, the length of a stock row
    lists.AppendStockRow(u"D", 1000, -1, 0);
    lists.AppendStockRow(u"E", 1000, -1, 0);
    lists.AppendStockRow(u"F", 6000, 3, 0);
    lists.AppendStockRow(u"F", 2000, 1, 0);

    // The stock rows first, then the remnants. The minimum length keeps a
    // remnant of exactly 100 and drops 99.9.
    StockUpdateOptions options;
    options.minimumLength = 100;
    EXPECT_EQ(UpdatedStock(lists, options), (std::vector<StockRow>{
                                                 {u"D", 1000, -1, 0},
                                                 {u"E", 1000, -1, 0},
                                                 {u"F", 6000, 2, 0},
                                                 {u"F", 2000, 2, 0},
                                                 {u"D", 100, 1, 1},
                                             }));

    // Not preferred: the new remnant rows get priority 0.
    options.remnantsPreferred = false;
    EXPECT_EQ(UpdatedStock(lists, options).back(), (StockRow{u"D", 100, 1, 0}));

    // Remnants not added: no remnant row, but the stock rows are still reduced
    // and the remnant of a stock row's length still joins that row.
    options.addRemnants = false;
    EXPECT_EQ(UpdatedStock(lists, options), (std::vector<StockRow>{
                                                 {u"D", 1000, -1, 0},
                                                 {u"E", 1000, -1, 0},
                                                 {u"F", 6000, 2, 0},
                                                 {u"F", 2000, 2, 0},
                                             }));

    // A minimum of 0 or below lets every remnant in.
    options = StockUpdateOptions();
    options.minimumLength = -5;
    EXPECT_EQ(UpdatedStock(lists, options).size(), 6u);
}

TEST(StockUpdate, RemnantCountsBeyondThirtyTwoBitsAreHeld)
{
    WireOptimize_Whole job;
    job.m_leftoverLength = {250};
    job.m_leftoverQuantity = {5000000000LL};
    job.m_leftoverSpec = {u"A"};
    job.m_leftoverPriority = {-1};
    InputLists lists;
    lists.AppendStockRow(u"old", 1, 1, 0);
    UpdateStockFromLeftovers(job, {}, lists);
    EXPECT_EQ(StockRows(lists), (std::vector<StockRow>{{u"A", 250, 2147483647, 1}}));
}
