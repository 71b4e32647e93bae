// The one way into planning: checks, parameters, hooks and marks.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/Messages.h"
#include "engine/Run.h"
#include "support/Recorders.h"

namespace {

// Hooks that note whether they were the run's window while it ran, and can
// withdraw the run at their first check as the interrupt button does.
class WatchedHooks : public RunHooks {
public:
    void DispatchPending() override
    {
        m_installedWhileRunning = m_installedWhileRunning && g_resultWindow == this;
        ++m_dispatches;
        if (m_withdraw)
            g_resultWindow = nullptr;
    }
    void BeginRun() override
    {
        m_begun = true;
        m_installedWhileRunning = g_resultWindow == this;
    }

    bool m_withdraw = false;
    bool m_begun = false;
    bool m_installedWhileRunning = false;
    int m_dispatches = 0;
};

InputLists SmallLists()
{
    InputLists lists;
    lists.AppendCutRow(u"A", 400, 5, u"");
    lists.AppendCutRow(u"A", 300, 4, u"");
    lists.AppendStockRow(u"A", 1000, -1, 0);
    return lists;
}

// A job that a refused plan must leave as it is.
WireOptimize_Whole MarkedJob()
{
    WireOptimize_Whole job;
    job.m_totalBars = 77;
    job.m_trimLength = 4;
    job.m_groups.resize(2);
    return job;
}

struct Refusal {
    const char* what;
    InputLists lists;
    double trim;
    double kerf;
    PlanCheck check;
    std::u16string message;
};

}  // namespace

TEST(PlanLists, RefusesBadInputInTheComputeCommandsOrderWithoutTouchingJobOrHooks)
{
    InputLists noCuts;
    noCuts.AppendStockRow(u"A", 1000, -1, 0);
    InputLists noStock;
    noStock.AppendCutRow(u"A", 100, 1, u"");
    const std::vector<Refusal> cases = {
        // Both parameters wrong: the trim is named first.
        {"trim", SmallLists(), -1, -2, PlanCheck::NEGATIVE_TRIM, u"剔除的料头长度不应小于 0 !"},
        // A wrong kerf comes before empty lists.
        {"kerf", InputLists(), 0, -0.5, PlanCheck::NEGATIVE_KERF, u"切割缝宽不应小于 0 !"},
        // Both lists empty: the cut list is named first.
        {"both lists", InputLists(), 0, 0, PlanCheck::NO_CUT_ROWS, u"请先输入下料信息!"},
        {"cut list", noCuts, 0, 0, PlanCheck::NO_CUT_ROWS, u"请先输入下料信息!"},
        {"stock list", noStock, 0, 0, PlanCheck::NO_STOCK_ROWS, u"请先输入原料长度信息!"},
    };
    RecordingSink sink;
    g_messageSink = &sink;
    RunHooks previous;
    g_resultWindow = &previous;
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.what);
        PlanParameters parameters;
        parameters.m_trimLength = c.trim;
        parameters.m_kerfWidth = c.kerf;
        EXPECT_EQ(CheckPlanInput(c.lists, parameters), c.check);

        WireOptimize_Whole job = MarkedJob();
        WatchedHooks hooks;
        PlanOutcome outcome;
        outcome.m_withdrawn = true;
        outcome.m_error.code = 5;
        EXPECT_FALSE(PlanLists(job, c.lists, parameters, hooks, outcome));
        EXPECT_EQ(outcome.m_check, c.check);
        EXPECT_EQ(PlanCheckMessage(outcome.m_check), c.message);
        EXPECT_EQ(outcome.m_error.code, 0);
        EXPECT_FALSE(outcome.m_withdrawn);
        EXPECT_FALSE(hooks.m_begun);
        EXPECT_EQ(g_resultWindow, &previous);
        EXPECT_EQ(job.m_totalBars, 77);
        EXPECT_EQ(job.m_trimLength, 4);
        EXPECT_EQ(job.m_groups.size(), 2u);
    }
    // The caller says why: the checks themselves show nothing.
    EXPECT_TRUE(sink.m_messages.empty());
    EXPECT_TRUE(PlanCheckMessage(PlanCheck::PASSED).empty());

    // Zero trim and kerf and one row each pass.
    PlanParameters zero;
    EXPECT_EQ(CheckPlanInput(SmallLists(), zero), PlanCheck::PASSED);
    g_resultWindow = nullptr;
    g_messageSink = nullptr;
}

TEST(PlanLists, InstallsItsHooksForTheRunAndPutsThePreviousOnesBackHoweverItEnds)
{
    RecordingSink sink;
    g_messageSink = &sink;
    RunHooks previous;
    PlanParameters parameters;
    parameters.m_speedLevel = 1;

    // Planned.
    {
        g_resultWindow = &previous;
        WatchedHooks hooks;
        WireOptimize_Whole job;
        PlanOutcome outcome;
        EXPECT_TRUE(PlanLists(job, SmallLists(), parameters, hooks, outcome));
        EXPECT_TRUE(hooks.m_begun);
        EXPECT_GT(hooks.m_dispatches, 0);
        EXPECT_TRUE(hooks.m_installedWhileRunning);
        EXPECT_FALSE(outcome.m_withdrawn);
        EXPECT_EQ(outcome.m_check, PlanCheck::PASSED);
        EXPECT_EQ(g_resultWindow, &previous);
        // 3200 of pieces need four bars of 1000: 400+300+300 twice, 400+400, 400.
        EXPECT_EQ(job.m_totalBars, 4);
    }
    // Failed after the checks: a specification without stock.
    {
        g_resultWindow = &previous;
        InputLists lists = SmallLists();
        lists.AppendCutRow(u"B", 100, 1, u"");
        WatchedHooks hooks;
        WireOptimize_Whole job;
        PlanOutcome outcome;
        EXPECT_FALSE(PlanLists(job, lists, parameters, hooks, outcome));
        EXPECT_EQ(outcome.m_check, PlanCheck::PASSED);
        EXPECT_EQ(outcome.m_error.code, 4);
        EXPECT_EQ(outcome.m_error.text, u"B");
        EXPECT_FALSE(outcome.m_withdrawn);
        EXPECT_EQ(g_resultWindow, &previous);
    }
    // Withdrawn at its first check, and with nothing installed before.
    {
        g_resultWindow = nullptr;
        sink.m_messages.clear();
        WatchedHooks hooks;
        hooks.m_withdraw = true;
        WireOptimize_Whole job;
        PlanOutcome outcome;
        EXPECT_FALSE(PlanLists(job, SmallLists(), parameters, hooks, outcome));
        EXPECT_TRUE(outcome.m_withdrawn);
        EXPECT_EQ(outcome.m_error.code, 0);
        EXPECT_EQ(hooks.m_dispatches, 1);
        EXPECT_EQ(sink.m_messages, std::vector<std::u16string>{u"优化计算中断 !"});
        EXPECT_EQ(g_resultWindow, nullptr);
    }
    // Withdrawn with other hooks installed before: those come back.
    {
        g_resultWindow = &previous;
        WatchedHooks hooks;
        hooks.m_withdraw = true;
        WireOptimize_Whole job;
        PlanOutcome outcome;
        EXPECT_FALSE(PlanLists(job, SmallLists(), parameters, hooks, outcome));
        EXPECT_TRUE(outcome.m_withdrawn);
        EXPECT_EQ(g_resultWindow, &previous);
    }
    g_resultWindow = nullptr;
    g_messageSink = nullptr;
}

TEST(PlanLists, EveryParameterReachesTheJobInItsOwnPlace)
{
    // Values all different, so that two parameters swapped on the way show.
    PlanParameters parameters;
    parameters.m_trimLength = 7;
    parameters.m_kerfWidth = 3;
    parameters.m_maxLengthKinds = 2;
    parameters.m_speedLevel = 4;
    parameters.m_exactPlan = true;
    parameters.m_exactSeconds = 2.5;
    WireOptimize_Whole job;
    LoadJob(job, SmallLists(), parameters);
    EXPECT_EQ(job.m_trimLength, 7);
    EXPECT_EQ(job.m_kerfWidth, 3);
    EXPECT_EQ(job.m_maxLengthKinds, 2);
    EXPECT_EQ(g_speedLevel, 4);
    EXPECT_TRUE(job.m_exactPlan);
    EXPECT_EQ(job.m_exactSeconds, 2.5);

    // A later load without the exact optimiser does not inherit it.
    LoadJob(job, SmallLists(), PlanParameters());
    EXPECT_FALSE(job.m_exactPlan);
    EXPECT_EQ(job.m_exactSeconds, 10);
    EXPECT_EQ(g_speedLevel, 0);

    // And through a whole plan: two pieces of 496 fill a bar of 1000 exactly
    // enough without trim, not once 10 is trimmed off each bar.
    InputLists lists;
    lists.AppendCutRow(u"A", 496, 2, u"");
    lists.AppendStockRow(u"A", 1000, -1, 0);
    RunHooks hooks;
    for (const double trim : {0.0, 10.0}) {
        PlanParameters p;
        p.m_trimLength = trim;
        p.m_speedLevel = 1;
        WireOptimize_Whole planned;
        PlanOutcome outcome;
        ASSERT_TRUE(PlanLists(planned, lists, p, hooks, outcome)) << trim;
        EXPECT_EQ(planned.m_trimLength, trim);
        EXPECT_EQ(planned.m_totalBars, trim == 0 ? 1 : 2) << trim;
    }
}

TEST(PlanLists, TheCutMarksTravelWithTheJobWhateverTheHooks)
{
    InputLists lists;
    lists.AppendCutRow(u"A", 400, 3, u"门框");
    lists.AppendCutRow(u"A", 400, 2, u"");
    lists.AppendCutRow(u"A", 300, 4, u"窗");
    lists.AppendCutRow(u"B", 250, 1, u"门框");
    lists.AppendStockRow(u"A", 1000, -1, 0);
    lists.AppendStockRow(u"B", 1000, -1, 0);

    // Plain hooks that know nothing of the lists.
    RunHooks hooks;
    PlanParameters parameters;
    parameters.m_speedLevel = 1;
    WireOptimize_Whole job;
    PlanOutcome outcome;
    ASSERT_TRUE(PlanLists(job, lists, parameters, hooks, outcome));

    // The mark list is the marked rows, in list order.
    EXPECT_EQ(job.m_markText, (std::vector<MyString>{u"门框", u"窗", u"门框"}));
    EXPECT_EQ(job.m_markSpec, (std::vector<MyString>{u"A", u"A", u"B"}));
    EXPECT_EQ(job.m_markLength, (std::vector<double>{400, 300, 250}));
    EXPECT_EQ(job.m_markQuantity, (std::vector<int32_t>{3, 4, 1}));

    // The bars carry every marked piece once: per specification, mark and
    // length as many pieces as the rows hold.
    std::map<std::u16string, int64_t> placed;
    for (const WireOptimize& group : job.m_groups)
        for (const WireCombine& pattern : group.m_patterns)
            for (const WireCombine_Mark& record : pattern.m_markRecords)
                for (std::size_t i = 0; i < record.m_pieceMark.size(); ++i)
                    if (!record.m_pieceMark[i].empty())
                        placed[group.m_spec + u"/" + record.m_pieceMark[i] + u"/" +
                               (record.m_pieceLength[i] == 400   ? u"400"
                                : record.m_pieceLength[i] == 300 ? u"300"
                                                                 : u"250")] +=
                            record.m_barCount * record.m_pieceCount[i];
    const std::map<std::u16string, int64_t> expected = {
        {u"A/门框/400", 3}, {u"A/窗/300", 4}, {u"B/门框/250", 1}};
    EXPECT_EQ(placed, expected);

    // The next job brings its own marks: none here, so none are left over.
    InputLists unmarked;
    unmarked.AppendCutRow(u"A", 400, 3, u"");
    unmarked.AppendStockRow(u"A", 1000, -1, 0);
    ASSERT_TRUE(PlanLists(job, unmarked, parameters, hooks, outcome));
    EXPECT_TRUE(job.m_markText.empty());
    for (const WireCombine& pattern : job.m_groups[0].m_patterns)
        for (const WireCombine_Mark& record : pattern.m_markRecords)
            for (const MyString& mark : record.m_pieceMark)
                EXPECT_TRUE(mark.empty());
}
