#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "lists/InputLists.h"

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

namespace {

// The row-by-row merges as first written: every row compared with every later
// row. The hashed merges must give the same lists.
void PairwiseMergeCut(InputLists& l)
{
    const std::size_t n = l.CutRowCount();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (l.m_cutLength[i] == l.m_cutLength[j] && l.m_cutSpec[i] == l.m_cutSpec[j]
                && l.m_cutMark[i] == l.m_cutMark[j]) {
                const int64_t sum = int64_t(l.m_cutQuantity[i]) + l.m_cutQuantity[j];
                if (sum > std::numeric_limits<int32_t>::max() || sum < std::numeric_limits<int32_t>::min())
                    continue;
                l.m_cutQuantity[i] = int32_t(sum);
                l.m_cutQuantity[j] = 0;
            }
        }
    }
    for (std::size_t i = n; i-- > 0;) {
        if (l.m_cutQuantity[i] <= 0)
            l.RemoveCutRow(i);
    }
}

void PairwiseMergeStock(InputLists& l)
{
    const std::size_t n = l.StockRowCount();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (l.m_stockLength[i] == l.m_stockLength[j] && l.m_stockSpec[i] == l.m_stockSpec[j]) {
                if (l.m_stockQuantity[i] < 0 || l.m_stockQuantity[j] < 0) {
                    l.m_stockQuantity[i] = -1;
                } else {
                    const int64_t sum = int64_t(l.m_stockQuantity[i]) + l.m_stockQuantity[j];
                    l.m_stockQuantity[i] = int32_t(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
                }
                l.m_stockQuantity[j] = 0;
            }
        }
    }
    for (std::size_t i = n; i-- > 0;) {
        if (l.m_stockQuantity[i] == 0)
            l.RemoveStockRow(i);
    }
}

// Lengths compared bit for bit, so that a NaN matches a NaN and -0 is told from +0.
std::vector<uint64_t> Bits(const std::vector<double>& lengths)
{
    std::vector<uint64_t> bits;
    for (double length : lengths) {
        uint64_t b = 0;
        std::memcpy(&b, &length, sizeof b);
        bits.push_back(b);
    }
    return bits;
}

void ExpectSameLists(const InputLists& hashed, const InputLists& pairwise, const std::string& what)
{
    EXPECT_EQ(Bits(hashed.m_cutLength), Bits(pairwise.m_cutLength)) << what;
    EXPECT_EQ(hashed.m_cutQuantity, pairwise.m_cutQuantity) << what;
    EXPECT_EQ(hashed.m_cutSpec, pairwise.m_cutSpec) << what;
    EXPECT_EQ(hashed.m_cutMark, pairwise.m_cutMark) << what;
    EXPECT_EQ(Bits(hashed.m_stockLength), Bits(pairwise.m_stockLength)) << what;
    EXPECT_EQ(hashed.m_stockQuantity, pairwise.m_stockQuantity) << what;
    EXPECT_EQ(hashed.m_stockSpec, pairwise.m_stockSpec) << what;
    EXPECT_EQ(hashed.m_stockPriority, pairwise.m_stockPriority) << what;
}

// Random lists from few values, so that many rows are equal. `huge` draws
// quantities near the 32-bit limit (both signs), where sums are refused.
InputLists RandomLists(std::mt19937& random, std::size_t rows, bool huge)
{
    const std::vector<double> lengths = {100, 250.5, 0.0, -0.0, 6000, std::numeric_limits<double>::quiet_NaN(), -5};
    const std::vector<MyString> specs = {u"A", u"a", u"Ф121x6.0", u""};
    const std::vector<MyString> marks = {u"", u"订单1", u"订单2"};
    std::uniform_int_distribution<std::size_t> pick(0, 1000);
    std::uniform_int_distribution<int32_t> small(-3, 9);
    std::uniform_int_distribution<int32_t> big(-2147483647 - 1, 2147483647);
    std::uniform_int_distribution<int32_t> nearLimit(1500000000, 2147483647);
    auto quantity = [&]() -> int32_t {
        if (!huge)
            return small(random);
        switch (pick(random) % 4) {
        case 0:
            return small(random);
        case 1:
            return nearLimit(random);
        case 2:
            return -nearLimit(random);
        default:
            return big(random);
        }
    };
    InputLists lists;
    for (std::size_t i = 0; i < rows; ++i) {
        lists.AppendCutRow(specs[pick(random) % specs.size()], lengths[pick(random) % lengths.size()], quantity(),
                           marks[pick(random) % marks.size()]);
        lists.AppendStockRow(specs[pick(random) % specs.size()], lengths[pick(random) % lengths.size()], quantity(),
                             int32_t(pick(random) % 2));
    }
    return lists;
}

}  // namespace

TEST(MergeLists, HashedMergesEqualThePairwiseMergesOnRandomLists)
{
    std::mt19937 random(20260430);
    for (int round = 0; round < 400; ++round) {
        const bool huge = round % 2 == 1;
        const std::size_t rows = 1 + std::size_t(round % 60);
        InputLists hashed = RandomLists(random, rows, huge);
        InputLists pairwise = hashed;
        const bool cutChanged = hashed.MergeCutList();
        const bool stockChanged = hashed.MergeStockList();
        const std::size_t cutRows = pairwise.CutRowCount();
        const std::size_t stockRows = pairwise.StockRowCount();
        PairwiseMergeCut(pairwise);
        PairwiseMergeStock(pairwise);
        const std::string what = "round " + std::to_string(round);
        EXPECT_EQ(cutChanged, pairwise.CutRowCount() != cutRows) << what;
        EXPECT_EQ(stockChanged, pairwise.StockRowCount() != stockRows) << what;
        ExpectSameLists(hashed, pairwise, what);
    }
}

TEST(MergeCutList, RefusedSumsFollowTheRowByRowOrder)
{
    // Row by row: the first row (2e9) refuses the second (4e9 leaves 32
    // bits), takes the third (0.5e9) and the fourth (0.6e9), refuses the
    // last (2.6e9). The second row refuses the last as well; the third,
    // emptied, then takes it. Three rows remain: 0.6e9, 2e9, 2e9.
    InputLists lists =
        CutRows({{u"A", 100, 2000000000, u""}, {u"A", 100, 2000000000, u""}, {u"A", 100, -1500000000, u""},
                 {u"A", 100, 100000000, u""}, {u"A", 100, 2000000000, u""}});
    InputLists pairwise = lists;
    PairwiseMergeCut(pairwise);
    lists.MergeCutList();
    EXPECT_EQ(lists.m_cutQuantity, std::vector<int32_t>({600000000, 2000000000, 2000000000}));
    ExpectSameLists(lists, pairwise, "refused sums");
}

TEST(MergeCutList, AnEmptiedRowTakesARefusedQuantityAtItsOwnPlace)
{
    // Rows 0, 1 and 3 are equal (row 2 has another mark). Row 1 joins row 0
    // (2e9 + 5 fits) and is left at 0; row 3 is refused by row 0 and taken by
    // the emptied row 1, so its quantity appears before the marked row.
    InputLists lists =
        CutRows({{u"A", 7, 2000000000, u""}, {u"A", 7, 5, u""}, {u"A", 7, 7, u"x"}, {u"A", 7, 2000000000, u""}});
    lists.MergeCutList();
    ASSERT_EQ(lists.CutRowCount(), 3u);
    EXPECT_EQ(lists.m_cutQuantity, std::vector<int32_t>({2000000005, 2000000000, 7}));
    EXPECT_EQ(lists.m_cutMark, std::vector<MyString>({u"", u"", u"x"}));
}

TEST(MergeLists, ZeroAndMinusZeroAreOneLength)
{
    InputLists lists = CutRows({{u"A", 0.0, 2, u""}, {u"A", -0.0, 3, u""}});
    lists.AppendStockRow(u"A", -0.0, 4, 0);
    lists.AppendStockRow(u"A", 0.0, 5, 1);
    lists.MergeCutList();
    lists.MergeStockList();
    EXPECT_EQ(lists.m_cutQuantity, std::vector<int32_t>({5}));
    EXPECT_EQ(lists.m_stockQuantity, std::vector<int32_t>({9}));
}

TEST(ListsByKind, RowsReadAndWriteTheirOwnListOnly)
{
    InputLists lists = CutRows({{u"A", 100, 2, u"m1"}, {u"B", 200, 3, u""}});
    lists.AppendStockRow(u"S", 6000, -4, 1);

    const ListRow cut = lists.Row(LIST_CUT, 0);
    EXPECT_EQ(cut.spec, u"A");
    EXPECT_EQ(cut.length, 100);
    EXPECT_EQ(cut.quantity, 2);
    EXPECT_EQ(cut.mark, u"m1");
    const ListRow stock = lists.Row(LIST_STOCK, 0);
    EXPECT_EQ(stock.spec, u"S");
    EXPECT_EQ(stock.quantity, -4);  // the stored encoding, not a display value
    EXPECT_EQ(stock.priority, 1);
    EXPECT_TRUE(stock.mark.empty());

    // A cut row ignores a priority, a stock row a mark.
    lists.SetRow(LIST_CUT, 1, ListRow{u"C", 300, 5, u"m3", 1});
    lists.AppendRow(LIST_STOCK, ListRow{u"T", 9000, 7, u"ignored", 0});
    EXPECT_EQ(lists.m_cutSpec, std::vector<MyString>({u"A", u"C"}));
    EXPECT_EQ(lists.m_cutQuantity, std::vector<int32_t>({2, 5}));
    EXPECT_EQ(lists.m_cutMark, std::vector<MyString>({u"m1", u"m3"}));
    EXPECT_EQ(lists.m_stockLength, std::vector<double>({6000, 9000}));
    EXPECT_EQ(lists.m_stockPriority, std::vector<int32_t>({1, 0}));
    EXPECT_EQ(lists.RowCount(LIST_CUT), 2u);
    EXPECT_EQ(lists.RowCount(LIST_STOCK), 2u);

    lists.ClearList(LIST_STOCK);
    EXPECT_EQ(lists.RowCount(LIST_STOCK), 0u);
    EXPECT_EQ(lists.m_stockPriority.size(), 0u);
    EXPECT_EQ(lists.RowCount(LIST_CUT), 2u);
}

TEST(ListsByKind, RemovingARangeKeepsTheArraysParallel)
{
    InputLists lists;
    for (int i = 0; i < 6; ++i)
        lists.AppendStockRow(MyString(1, char16_t(u'a' + i)), 1000 + i, i + 1, i % 2);
    lists.RemoveRows(LIST_STOCK, 1, 3);  // b, c, d
    EXPECT_EQ(lists.m_stockSpec, std::vector<MyString>({u"a", u"e", u"f"}));
    EXPECT_EQ(lists.m_stockLength, std::vector<double>({1000, 1004, 1005}));
    EXPECT_EQ(lists.m_stockQuantity, std::vector<int32_t>({1, 5, 6}));
    EXPECT_EQ(lists.m_stockPriority, std::vector<int32_t>({0, 0, 1}));
    lists.RemoveRows(LIST_STOCK, 0, 3);
    EXPECT_EQ(lists.RowCount(LIST_STOCK), 0u);
}

TEST(ListsByKind, SortOrderIsStableInBothDirections)
{
    // Rows 0 and 2 have equal lengths and quantities, so their order must
    // hold whichever way the column sorts.
    InputLists lists = CutRows({{u"B", 300, 4, u"y"}, {u"A", 100, 9, u"x"}, {u"Ab", 300, 4, u""}});
    using Order = std::vector<std::size_t>;
    EXPECT_EQ(lists.SortOrder(LIST_CUT, 2, true), Order({1, 0, 2}));
    EXPECT_EQ(lists.SortOrder(LIST_CUT, 2, false), Order({0, 2, 1}));
    EXPECT_EQ(lists.SortOrder(LIST_CUT, 3, true), Order({0, 2, 1}));
    EXPECT_EQ(lists.SortOrder(LIST_CUT, 3, false), Order({1, 0, 2}));
    // Code units: "A" < "Ab" < "B"; the empty mark first.
    EXPECT_EQ(lists.SortOrder(LIST_CUT, 1, true), Order({1, 2, 0}));
    EXPECT_EQ(lists.SortOrder(LIST_CUT, 4, true), Order({2, 1, 0}));
    // No such column: the rows as they are.
    EXPECT_EQ(lists.SortOrder(LIST_CUT, 0, false), Order({0, 1, 2}));

    // Stock: the stored quantity puts unlimited rows (negative) first.
    lists.AppendStockRow(u"S", 6000, 5, 0);
    lists.AppendStockRow(u"S", 6000, -1, 1);
    lists.AppendStockRow(u"S", 6000, 2, 0);
    EXPECT_EQ(lists.SortOrder(LIST_STOCK, 3, true), Order({1, 2, 0}));
    EXPECT_EQ(lists.SortOrder(LIST_STOCK, 4, false), Order({1, 0, 2}));
    lists.ReorderRows(LIST_STOCK, lists.SortOrder(LIST_STOCK, 3, true));
    EXPECT_EQ(lists.m_stockQuantity, std::vector<int32_t>({-1, 2, 5}));
    EXPECT_EQ(lists.m_stockPriority, std::vector<int32_t>({1, 0, 0}));
}
