#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "engine/PatternSearch.h"
#include "engine/Run.h"
#include "support/Recorders.h"

namespace {

// A piece list from single pieces in any order.
PieceList Pieces(std::vector<double> pieces)
{
    std::sort(pieces.begin(), pieces.end(), std::greater<double>());
    PieceList list;
    for (double p : pieces)
        list.Append(p, 1);
    return list;
}

struct Ready : RunHooks {};

// Runs the free search as the plan does for a lead piece on one bar.
PatternBest Free(double room, double kerf, const std::vector<double>& pieces, int32_t level = 0)
{
    static Ready hooks;
    g_resultWindow = &hooks;
    g_speedLevel = level;
    WireOptimize group;
    group.m_kerfWidth = kerf;
    PieceList list = Pieces(pieces);
    Candidates c = CandidateLengths(list, room - kerf);
    group.m_tolerance = FreeTolerance(room, list, kerf, c.D.size());
    PatternBest best;
    EXPECT_TRUE(SearchFree(group, room, c, best));
    g_resultWindow = nullptr;
    return best;
}

PatternBest Limited(double room, double kerf, double lead, int32_t kinds, const std::vector<double>& pieces,
                    int32_t level = 0, double* toleranceLeft = nullptr)
{
    g_speedLevel = level;
    WireOptimize group;
    group.m_kerfWidth = kerf;
    group.m_maxLengthKinds = kinds;
    group.m_leadLength = lead;
    PieceList list = Pieces(pieces);
    PatternBest best;
    SearchLimited(group, room, CandidateLengths(list, room - kerf), best);
    if (toleranceLeft)
        *toleranceLeft = group.m_tolerance;
    return best;
}

}  // namespace

TEST(PieceList, RunsBehaveLikeOneEntryPerPiece)
{
    PieceList list = Pieces({5, 3, 5, 1, 3, 3});
    EXPECT_EQ(list.m_length, (std::vector<double>{5, 3, 1}));
    EXPECT_EQ(list.m_count, (std::vector<int64_t>{2, 3, 1}));
    EXPECT_EQ(list.Total(), 6);
    EXPECT_TRUE(list.RemoveOne(3));
    EXPECT_FALSE(list.RemoveOne(4));
    list.PopFront();
    list.PopFront();
    EXPECT_EQ(list.First(), 3);
    list.PushFront(7);
    list.RemoveLongerThan(3);
    EXPECT_EQ(list.m_length, (std::vector<double>{3, 1}));
    EXPECT_EQ(list.m_count, (std::vector<int64_t>{2, 1}));
}

TEST(CandidateLengths, KeepsWhatFitsAndCapsWithoutKerf)
{
    PieceList list = Pieces({3000, 1500, 1500, 1500, 700, 0.000001});
    Candidates all = CandidateLengths(list, 0);  // x of 0: no filtering
    EXPECT_EQ(all.D.size(), 4u);
    Candidates c = CandidateLengths(list, 2999.99);
    // 3000 does not fit; 3000.00 - 0.00001 margin only; the tiny piece is no companion.
    EXPECT_EQ(c.D, (std::vector<double>{1500, 700}));
    // trunc(2999.99 / 1500 + 0.00001) = trunc(2.0000033) = 2: the margin is on the
    // quotient; 700 has only one piece.
    EXPECT_EQ(c.Q, (std::vector<int64_t>{2, 1}));
    Candidates tight = CandidateLengths(list, 2999.9);
    EXPECT_EQ(tight.Q, (std::vector<int64_t>{1, 1}));  // trunc(1.99994 + 0.00001) = 1
    Candidates edge = CandidateLengths(list, 2999.999995);
    EXPECT_EQ(edge.D.front(), 3000);  // within the 0.00001 margin
}

TEST(FreeTolerance, IsAShareOfTheRoomGrowingWithTheLevel)
{
    // Level 1, five candidate lengths, six short pieces of 100 fit into 650:
    // t = max(1, log10(5) - 0.5) * 6 / 3 = 2, times 1 % = 2 % of the room.
    PieceList list = Pieces({500, 400, 300, 200, 100, 100, 100, 100, 100, 100});
    g_speedLevel = 1;
    EXPECT_DOUBLE_EQ(FreeTolerance(650, list, 0, 5), 0.02 * 650);
    g_speedLevel = 0;
    EXPECT_EQ(FreeTolerance(650, list, 0, 5), 0);
    // Never more than 30 % of the room: all ten pieces fit into 100000, so
    // t = 10 / 3, times 5 % is 16.7 %; twenty pieces would give 33 %, capped.
    g_speedLevel = 5;
    EXPECT_DOUBLE_EQ(FreeTolerance(100000, list, 0, 5), 10.0 / 3 * 5 * 0.01 * 100000);
    list.Append(50, 10);
    EXPECT_DOUBLE_EQ(FreeTolerance(100000, list, 0, 5), 0.3 * 100000);
}

TEST(SearchFree, FindsAnExactFitAndStops)
{
    PatternBest best = Free(3000, 0, {1500, 1500, 1000});
    EXPECT_EQ(best.companions, (std::vector<double>{1500, 1500}));
    EXPECT_EQ(best.remnant, 0);
    EXPECT_EQ(best.available, 3000);
}

TEST(SearchFree, ChargesAKerfForEveryCompanion)
{
    // 2 x (1500 + 10) = 3020 > 3000: only one 1500 fits.
    PatternBest best = Free(3000, 10, {1500, 1500});
    EXPECT_EQ(best.companions, (std::vector<double>{1500}));
    EXPECT_EQ(best.remnant, 1490);
}

TEST(SearchFree, TwoOfThreeEqualPiecesFit)
{
    PatternBest best = Free(1700, 0, {800, 800, 800});
    EXPECT_EQ(best.companions, (std::vector<double>{800, 800}));
    EXPECT_EQ(best.remnant, 100);
}

TEST(SearchFree, NothingFitsLeavesTheRecordUntouched)
{
    PatternBest best = Free(500, 0, {600, 700});
    EXPECT_TRUE(best.companions.empty());
    EXPECT_EQ(best.remnant, NO_PATTERN_REMNANT);
}

TEST(SearchFree, InterruptionIsReportedOnce)
{
    g_resultWindow = nullptr;  // nobody wants the run any more
    g_speedLevel = 0;
    WireOptimize group;
    PieceList list = Pieces({100, 200});
    PatternBest best;
    EXPECT_FALSE(SearchFree(group, 1000, CandidateLengths(list, 1000), best));
}

TEST(SearchFree, LevelZeroFindsTheLeastLeftoverOverAllMultisets)
{
    // Level 0 is exhaustive: compare with a brute force over every sub-multiset.
    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        const double kerf = std::uniform_int_distribution<int>(0, 1)(random) ? 0 : 3;
        const int n = std::uniform_int_distribution<int>(1, 9)(random);
        std::vector<double> pieces;
        for (int i = 0; i < n; ++i)
            pieces.push_back(std::uniform_int_distribution<int>(2, 40)(random) * 50.0);
        const double room = std::uniform_int_distribution<int>(5, 80)(random) * 50.0 + kerf;
        double least = NO_PATTERN_REMNANT;
        for (int mask = 1; mask < (1 << n); ++mask) {
            double s = 0;
            int m = 0;
            for (int i = 0; i < n; ++i)
                if (mask & (1 << i)) {
                    s += pieces[std::size_t(i)];
                    ++m;
                }
            const double h = room - (s + m * kerf);
            if (h >= -0.00001)
                least = std::min(least, h);
        }
        PatternBest best = Free(room, kerf, pieces);
        EXPECT_EQ(best.remnant, least) << "round " << round;
    }
}

TEST(SearchLimited, SingleKindOfTheLeadThenFurtherKindsInIndexOrder)
{
    // Lead 2500: no further piece of its length, so the one-kind choices are
    // {2000}, {1500}, {700}; 1500 x 2 fills the room of 3000 exactly.
    PatternBest best = Limited(3000, 0, 2500, 2, {2000, 1500, 1500, 700});
    EXPECT_EQ(best.companions, (std::vector<double>{1500, 1500}));
    EXPECT_EQ(best.remnant, 0);
    // Lead 2000 with another 2000 left: the lead's own length takes part in
    // every choice, so {2000, 700} beats {2000, 1500} for a room of 2700.
    best = Limited(2700, 0, 2000, 2, {2000, 1500, 700});
    EXPECT_EQ(best.companions, (std::vector<double>{2000, 700}));
    EXPECT_EQ(best.remnant, 0);
}

TEST(SearchLimited, OneKindWithoutFurtherPiecesOfTheLeadFindsNothing)
{
    PatternBest best = Limited(3000, 0, 2500, 1, {1500, 1000});
    EXPECT_TRUE(best.companions.empty());
    EXPECT_EQ(best.remnant, NO_PATTERN_REMNANT);
}

TEST(SearchLimited, CountsMayOvershootTheRoomByTheMargin)
{
    // 3 x 1000.000003 = 3000.000009: within the 0.00001 margin, kept with a
    // leftover just below 0.
    PatternBest best = Limited(3000, 0, 5000, 1 + 1, {1000.000003, 1000.000003, 1000.000003});
    EXPECT_EQ(best.companions.size(), 3u);
    EXPECT_LT(best.remnant, 0);
    EXPECT_GT(best.remnant, -0.00001);
}

TEST(SearchLimited, ToleranceStaysZeroUpToThreeKindsAndGrowsBeyond)
{
    double tolerance = -1;
    // Lengths that never fill 10000 exactly, so every stage runs.
    const std::vector<double> pieces{3001, 2003, 1007, 709};
    Limited(10000, 0, 9000, 3, pieces, 3, &tolerance);
    EXPECT_EQ(tolerance, 0);
    Limited(10000, 0, 9000, 4, pieces, 3, &tolerance);
    // Three further kinds at level 3: (3 - 1) x 0.005 x 10000 x 3 = 300, 3 % of the room.
    EXPECT_DOUBLE_EQ(tolerance, 300);
}

namespace {

// Withdraws the run, as the interrupt button does, at its n-th dispatch.
class WithdrawAt : public RunHooks {
public:
    explicit WithdrawAt(int n) : m_n(n) {}
    void DispatchPending() override
    {
        if (++m_dispatches >= m_n)
            g_resultWindow = nullptr;
    }
    int m_dispatches = 0;

private:
    int m_n;
};

// Short lengths in tenths that never fill the room: 1000.05 always leaves at
// least 0.05, so the limited search never stops early, and every length fits
// about ninety times, so no count is cut off by its cap. With five kinds this
// search runs for hours.
std::vector<double> EndlessTenths()
{
    std::vector<double> pieces;
    for (int t = 101; t <= 300; ++t)
        for (int c = 0; c < 100; ++c)
            pieces.push_back(t / 10.0);
    return pieces;
}

}  // namespace

TEST(SearchLimited, LongSearchAnswersAWithdrawnRunFromInside)
{
    // The limited search calls the run hooks only from its inner loops: the
    // one dispatch, and the false, come from there.
    RecordingSink sink;
    g_messageSink = &sink;
    WithdrawAt hooks(1);
    g_resultWindow = &hooks;
    g_speedLevel = 0;
    WireOptimize group;
    group.m_maxLengthKinds = 5;
    group.m_leadLength = 5000;
    PieceList list = Pieces(EndlessTenths());
    PatternBest best;
    EXPECT_FALSE(SearchLimited(group, 1000.05, CandidateLengths(list, 1000.05), best));
    EXPECT_EQ(hooks.m_dispatches, 1);
    EXPECT_EQ(g_resultWindow, nullptr);
    EXPECT_EQ(sink.m_messages, std::vector<std::u16string>{u"优化计算中断 !"});
    g_messageSink = nullptr;
}

TEST(SearchFree, LongCombinationSearchAnswersAWithdrawnRun)
{
    // 100.0, 101.1, 102.2, ... three of each at the best level: the decimal
    // sums tie so often that this search does not end in minutes (see the
    // benchmark); a withdrawn run ends it all the same, with one message.
    RecordingSink sink;
    g_messageSink = &sink;
    WithdrawAt hooks(2);
    g_resultWindow = &hooks;
    g_speedLevel = 0;
    std::vector<double> pieces;
    for (int i = 0; i < 99; ++i)
        for (int c = 0; c < 3; ++c)
            pieces.push_back(std::round((100 + 1.1 * i) * 1000) / 1000);
    WireOptimize group;
    PieceList list = Pieces(pieces);
    PatternBest best;
    const double room = 6000 - 208.9;
    EXPECT_FALSE(SearchFree(group, room, CandidateLengths(list, room), best));
    EXPECT_EQ(hooks.m_dispatches, 2);
    EXPECT_EQ(sink.m_messages, std::vector<std::u16string>{u"优化计算中断 !"});
    g_messageSink = nullptr;
}

TEST(RunOptimisation, InterruptDuringALimitedSearchEndsTheRunWithCodeZero)
{
    // The plan checks once per group and once per stock row; the third
    // dispatch comes from inside the limited search of the first lead piece.
    InputLists lists;
    lists.AppendStockRow(u"A", 1100.05, -1, 0);
    lists.AppendCutRow(u"A", 100, 1, u"");
    for (int t = 101; t <= 300; ++t)
        lists.AppendCutRow(u"A", t / 10.0, 100, u"");
    RecordingSink sink;
    g_messageSink = &sink;
    WithdrawAt hooks(3);
    WireOptimize_Whole job;
    PlanParameters parameters;
    parameters.m_maxLengthKinds = 5;
    LoadJob(job, lists, parameters);
    g_resultWindow = &hooks;
    JobError error;
    error.code = 7;
    EXPECT_FALSE(RunOptimisation(job, error));
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(hooks.m_dispatches, 3);
    EXPECT_EQ(sink.m_messages, std::vector<std::u16string>{u"优化计算中断 !"});
    EXPECT_TRUE(job.m_groups[0].m_patterns.empty());
    g_messageSink = nullptr;
    g_resultWindow = nullptr;
}
