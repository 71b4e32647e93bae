#include <gtest/gtest.h>

#include "base/Messages.h"
#include "engine/Job.h"
#include "support/Recorders.h"

namespace {

WireOptimize_Whole Load(const InputLists& lists, double trim = 0, double kerf = 0, int32_t kinds = 0,
                        int32_t level = 1)
{
    PlanParameters parameters;
    parameters.m_trimLength = trim;
    parameters.m_kerfWidth = kerf;
    parameters.m_maxLengthKinds = kinds;
    parameters.m_speedLevel = level;
    WireOptimize_Whole job;
    LoadJob(job, lists, parameters);
    return job;
}

}  // namespace

TEST(LoadJob, UnlimitedStockBecomesTheEngineMarkerAndParametersAreCopied)
{
    InputLists lists;
    lists.AppendCutRow(u"A", 1000, 3, u"m");
    lists.AppendStockRow(u"A", 6000, -1, 1);
    lists.AppendStockRow(u"A", 9000, 0, 0);
    lists.AppendStockRow(u"A", 12000, 7, 0);
    WireOptimize_Whole job = Load(lists, 5, 3, 2, 4);
    EXPECT_EQ(job.m_stockQuantity, (std::vector<int32_t>{UNLIMITED_QUANTITY, UNLIMITED_QUANTITY, 7}));
    EXPECT_EQ(job.m_stockPriority, (std::vector<int32_t>{1, 0, 0}));
    EXPECT_EQ(g_speedLevel, 4);
    EXPECT_EQ(job.m_trimLength, 5);
    EXPECT_EQ(job.m_kerfWidth, 3);
    EXPECT_EQ(job.m_maxLengthKinds, 2);
}

TEST(SetUpJob, RowsDifferingOnlyInTheirMarkBecomeOneJobRow)
{
    InputLists lists;
    lists.AppendCutRow(u"A", 2995, 15, u"订单1");
    lists.AppendCutRow(u"A", 2995, 21, u"订单2");
    lists.AppendStockRow(u"A", 6000, -1, 0);
    WireOptimize_Whole job = Load(lists);
    JobError error;
    ASSERT_TRUE(SetUpJob(job, error));
    ASSERT_EQ(job.m_cutLength.size(), 1u);
    EXPECT_EQ(job.m_cutQuantity[0], 36);
    ASSERT_EQ(job.m_groups.size(), 1u);
    EXPECT_EQ(job.m_groups[0].m_cutQuantity, (std::vector<int64_t>{36}));
}

TEST(SetUpJob, TwoRowsOfTwoBillionPiecesAreCountedIn64Bits)
{
    InputLists lists;
    lists.AppendCutRow(u"A", 100, 2000000000, u"");
    lists.AppendCutRow(u"A", 100, 2000000000, u"x");
    lists.AppendStockRow(u"A", 6000, -1, 0);
    WireOptimize_Whole job = Load(lists);
    JobError error;
    ASSERT_TRUE(SetUpJob(job, error));
    EXPECT_EQ(job.m_groups[0].m_cutQuantity, (std::vector<int64_t>{4000000000LL}));
}

TEST(SetUpJob, FractionFlagIgnoresNoiseBelowOneThousandth)
{
    for (auto [length, expected] : {std::pair{2995.0005, 0}, std::pair{2995.5, 1}, std::pair{2995.0, 0}}) {
        InputLists lists;
        lists.AppendCutRow(u"A", length, 1, u"");
        lists.AppendStockRow(u"A", 6000, 1, 0);
        WireOptimize_Whole job = Load(lists);
        JobError error;
        ASSERT_TRUE(SetUpJob(job, error));
        EXPECT_EQ(job.m_hasFraction, expected) << length;
    }
}

TEST(SetUpJob, GroupsFollowFirstAppearanceInTheCutList)
{
    InputLists lists;
    lists.AppendCutRow(u"B", 100, 1, u"");
    lists.AppendCutRow(u"A", 200, 1, u"");
    lists.AppendCutRow(u"B", 300, 1, u"");
    lists.AppendStockRow(u"A", 6000, 1, 0);
    lists.AppendStockRow(u"C", 5000, 1, 0);  // a specification only in stock forms no group
    lists.AppendStockRow(u"B", 6000, 2, 1);
    WireOptimize_Whole job = Load(lists, 10, 3, 1);
    JobError error;
    ASSERT_TRUE(SetUpJob(job, error));
    ASSERT_EQ(job.m_groups.size(), 2u);
    EXPECT_EQ(job.m_groups[0].m_spec, u"B");
    EXPECT_EQ(job.m_groups[0].m_cutLength, (std::vector<double>{100, 300}));
    EXPECT_EQ(job.m_groups[0].m_stockPriority, (std::vector<int32_t>{1}));
    EXPECT_EQ(job.m_groups[1].m_spec, u"A");
    EXPECT_EQ(job.m_groups[1].m_trimLength, 10);
    EXPECT_EQ(job.m_groups[1].m_kerfWidth, 3);
    EXPECT_EQ(job.m_groups[1].m_maxLengthKinds, 1);
}

TEST(SetUpJob, InputProblemsAreReportedByCodeInRowOrder)
{
    struct Case {
        double stockLength;
        double cutLength;
        int32_t quantity;
        const char16_t* stockSpec;
        int32_t code;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {0, 100, 1, u"A", 1},     // stock length 0
        {6000, -5, 1, u"A", 2},   // cut length below 0
        {6000, 100, 0, u"A", 3},  // quantity 0
        {6000, 100, 1, u"Z", 4},  // A has pieces but no stock
        {inf, 100, 1, u"A", 1},   // an infinite bar is no bar
        {6000, inf, 1, u"A", 2},
    };
    for (const Case& c : cases) {
        InputLists lists;
        lists.AppendCutRow(u"A", c.cutLength, c.quantity, u"");
        lists.AppendStockRow(c.stockSpec, c.stockLength, 1, 0);
        WireOptimize_Whole job = Load(lists);
        JobError error;
        EXPECT_FALSE(SetUpJob(job, error));
        EXPECT_EQ(error.code, c.code) << c.stockLength << " " << c.cutLength;
        EXPECT_EQ(error.text, u"A");
    }
}

TEST(SetUpJob, EmptyListsShowTheirMessageAndReportCodeZero)
{
    RecordingSink collect;
    g_messageSink = &collect;
    InputLists lists;
    lists.AppendCutRow(u"A", 100, 1, u"");
    WireOptimize_Whole job = Load(lists);
    JobError error;
    EXPECT_FALSE(SetUpJob(job, error));
    lists = InputLists();
    lists.AppendStockRow(u"A", 100, 1, 0);
    job = Load(lists);
    EXPECT_FALSE(SetUpJob(job, error));
    g_messageSink = nullptr;
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(collect.m_messages,
              (std::vector<std::u16string>{u"无原料长度数据，请先输入原料长度数据!", u"无下料数据，请先输入下料数据!"}));
}

TEST(CheckRun, StopsWithoutAWindowAndWhenTheDispatchWithdrawsTheRun)
{
    struct Withdraw : RunHooks {
        int steps = 0;
        bool withdraw = false;
        void DispatchPending() override
        {
            if (withdraw)
                g_resultWindow = nullptr;
        }
        void StepProgress() override { ++steps; }
    } hooks;
    g_resultWindow = nullptr;
    EXPECT_FALSE(CheckRun());
    g_resultWindow = &hooks;
    EXPECT_TRUE(CheckRun());
    hooks.withdraw = true;
    EXPECT_FALSE(CheckRun());  // the interrupt button was pressed during the dispatch
    EXPECT_EQ(g_resultWindow, nullptr);
    EXPECT_EQ(hooks.steps, 1);  // no progress step after the withdrawal
}
