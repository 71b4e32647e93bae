#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "workbench/InputLists.h"

namespace {

InputLists CutRows(std::initializer_list<std::tuple<const char16_t*, double, int32_t, const char16_t*>> rows)
{
    InputLists lists;
    for (const auto& [spec, length, quantity, mark] : rows)
        lists.AppendCutRow(spec, length, quantity, mark);
    return lists;
}

}  // namespace

TEST(MergeCutList, RowsMergeOnlyWhenLengthSpecAndMarkAreEqual)
{
    InputLists lists = CutRows({{u"Type_1", 2995, 15, u"订单1"},
                                {u"Type_1", 2995, 21, u"订单2"},
                                {u"type_1", 2995, 4, u"订单1"},  // letter case differs: no merge
                                {u"Type_1", 2995, 5, u"订单1"}});
    EXPECT_TRUE(lists.MergeCutList());
    ASSERT_EQ(lists.CutRowCount(), 3u);
    // The first of the equal rows keeps the sum at its own position.
    EXPECT_EQ(lists.m_cutMark[0], u"订单1");
    EXPECT_EQ(lists.m_cutQuantity[0], 20);
    EXPECT_EQ(lists.m_cutQuantity[1], 21);
    EXPECT_EQ(lists.m_cutSpec[2], u"type_1");
}

TEST(MergeCutList, ThreeEqualRowsBecomeOneAndASecondMergeChangesNothing)
{
    InputLists lists = CutRows({{u"A", 100, 2, u""}, {u"B", 50, 1, u""}, {u"A", 100, 3, u""}, {u"A", 100, 4, u""}});
    EXPECT_TRUE(lists.MergeCutList());
    ASSERT_EQ(lists.CutRowCount(), 2u);
    EXPECT_EQ(lists.m_cutQuantity[0], 9);
    EXPECT_EQ(lists.m_cutSpec[1], u"B");
    EXPECT_FALSE(lists.MergeCutList());
    EXPECT_EQ(lists.m_cutQuantity[0], 9);
}

TEST(MergeCutList, RowsOfQuantityZeroOrLessAreRemovedAndNaNEqualsNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    InputLists lists = CutRows({{u"A", 100, 0, u""}, {u"A", nan, 1, u""}, {u"A", nan, 1, u""}, {u"A", 200, -3, u""}});
    EXPECT_TRUE(lists.MergeCutList());
    ASSERT_EQ(lists.CutRowCount(), 2u);  // the two NaN rows stay apart
    EXPECT_TRUE(std::isnan(lists.m_cutLength[0]));
    EXPECT_TRUE(std::isnan(lists.m_cutLength[1]));
}

TEST(MergeCutList, ASumBeyondThirtyTwoBitsIsNotFormed)
{
    // Two rows of two billion pieces would wrap around in 32 bits; they stay
    // two rows and the job setup joins them in 64 bits.
    InputLists lists = CutRows({{u"A", 100, 2000000000, u""}, {u"A", 100, 2000000000, u""}, {u"A", 100, 100000000, u""}});
    lists.MergeCutList();
    ASSERT_EQ(lists.CutRowCount(), 2u);
    EXPECT_EQ(lists.m_cutQuantity[0], 2100000000);
    EXPECT_EQ(lists.m_cutQuantity[1], 2000000000);
}

TEST(MergeStockList, UnlimitedWinsFirstPriorityStaysAndZeroRowsGo)
{
    InputLists lists;
    lists.AppendStockRow(u"Type_1", 6000, 5, 1);
    lists.AppendStockRow(u"Type_1", 6000, -7, 0);  // unlimited, remembering 7
    lists.AppendStockRow(u"Type_1", 9000, 0, 0);   // no bars: removed
    lists.AppendStockRow(u"Type_2", 9000, -1, 0);  // unlimited alone: stays
    EXPECT_TRUE(lists.MergeStockList());
    ASSERT_EQ(lists.StockRowCount(), 2u);
    EXPECT_EQ(lists.m_stockQuantity[0], -1);  // a merged unlimited row keeps no count
    EXPECT_EQ(lists.m_stockPriority[0], 1);
    EXPECT_EQ(lists.m_stockQuantity[1], -1);
    EXPECT_EQ(lists.m_stockSpec[1], u"Type_2");
}

TEST(MergeStockList, FiniteSumsAddAndStayAtTheThirtyTwoBitLimit)
{
    InputLists lists;
    lists.AppendStockRow(u"A", 6000, 3, 0);
    lists.AppendStockRow(u"A", 6000, 4, 1);
    lists.AppendStockRow(u"B", 6000, 2000000000, 0);
    lists.AppendStockRow(u"B", 6000, 2000000000, 0);
    lists.MergeStockList();
    ASSERT_EQ(lists.StockRowCount(), 2u);
    EXPECT_EQ(lists.m_stockQuantity[0], 7);
    EXPECT_EQ(lists.m_stockPriority[0], 0);
    EXPECT_EQ(lists.m_stockQuantity[1], 2147483647);
}

TEST(InputLists, RowOperationsKeepTheArraysParallel)
{
    InputLists lists = CutRows({{u"A", 1, 1, u"x"}, {u"B", 2, 2, u"y"}, {u"C", 3, 3, u"z"}});
    lists.ReorderCutRows({1, 0, 2});
    lists.RemoveCutRow(2);
    ASSERT_EQ(lists.CutRowCount(), 2u);
    EXPECT_EQ(lists.m_cutSpec[0], u"B");
    EXPECT_EQ(lists.m_cutLength[0], 2);
    EXPECT_EQ(lists.m_cutMark[0], u"y");
    EXPECT_EQ(lists.m_cutQuantity[1], 1);
    EXPECT_EQ(lists.m_cutMark.size(), lists.m_cutQuantity.size());
}
