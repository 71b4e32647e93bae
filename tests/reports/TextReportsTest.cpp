#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "base/Codepage.h"
#include "base/ReportConventions.h"
#include "engine/Job.h"
#include "engine/Run.h"
#include "lists/InputLists.h"
#include "reports/TextReports.h"
#include "support/PlanJob.h"
#include "support/Recorders.h"
#include "support/TempFolder.h"
#include "support/Text.h"

namespace fs = std::filesystem;

namespace {

// The title, the totals and the pattern header of the plan report.
std::string PlanHead(const std::string& totalLength, const std::string& totalBars, const std::string& utilisation)
{
    return Gbk("                 下料优化输出结果\r\n\r\n"
               " 所用原料总长 " + totalLength + "\r\n\r\n"
               " 所用原料总数 " + totalBars + "\r\n\r\n"
               " 原料利用率 " + utilisation + "%\r\n\r\n"
               " 序号   原料长度  数量   利用率      余长      规格     下料组合\r\n\r\n");
}

std::string SummaryHead()
{
    return Gbk("\r\n 所用原料统计\r\n\r\n 序号   原料长度  数量    利用率     规格 \r\n\r\n");
}

class TextReportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsValid());
        m_previousOpener = g_reportOpener;
        m_previousDocuments = g_documentsFolder;
        g_reportOpener = &m_opener;
    }
    void TearDown() override
    {
        g_reportOpener = m_previousOpener;
        g_documentsFolder = m_previousDocuments;
        g_resultWindow = nullptr;
    }

    std::string Plan(const WireOptimize_Whole& job)
    {
        const std::string path = m_folder.File("plan.txt");
        EXPECT_TRUE(WritePlanTextReport(job, path));
        return TempFolder::ReadFile(path);
    }

    std::string Leftover(const WireOptimize_Whole& job, double minimum)
    {
        const std::string path = m_folder.File("leftover.txt");
        EXPECT_TRUE(WriteLeftoverTextReport(job, minimum, path));
        return TempFolder::ReadFile(path);
    }

    TempFolder m_folder;
    RecordingReportOpener m_opener;
    ReportOpener* m_previousOpener = nullptr;
    std::string m_previousDocuments;
};

// Two specifications planned by the engine, kerf 10, no trim:
//   Type_1: 6 pieces of 1990 from unlimited 6000 bars. Three fit a bar
//           (3 x 1990 + 2 kerfs = 5990), so 1990x3 on 2 bars: utilisation
//           5970 / 6000 = 99.5 %, remnant 6000 - 5970 - 3 x 10 = 0.
//   Ф121x6.0: 2 pieces of 2500 (marked 订单1) from 5 bars of 6000 used first:
//           2500x2 on 1 bar: 5000 / 6000 = 83.3 %, remnant 6000 - 5000 - 20 = 980.
WireOptimize_Whole PlannedJob()
{
    InputLists lists;
    lists.AppendCutRow(u"Type_1", 1990, 6, u"");
    lists.AppendCutRow(u"Ф121x6.0", 2500, 2, u"订单1");
    lists.AppendStockRow(u"Type_1", 6000, -1, 0);
    lists.AppendStockRow(u"Ф121x6.0", 6000, 5, 1);
    WireOptimize_Whole job;
    JobError error;
    EXPECT_TRUE(PlanJob(job, lists, error, 0, 10)) << error.code;
    return job;
}

// One group of whole-number bars and one of a fractional bar, filled by hand:
//   A: 6000.7 cut into 1500.5 x 2 + 2000.3 on 3 bars: the pieces of a bar make
//      5001.3, utilisation 5001.3 / 6000.7 = 83.3 %, remnant (kerf 0) 999.4.
//   B: 4000 cut into one 3999.9 on 1 bar: 99.9975 % prints as 100.0, remnant 0.1.
// B's used lengths list a 5000 with no bars first: it gets no summary row.
WireOptimize_Whole HandFilledJob(int32_t hasFraction)
{
    WireOptimize_Whole job;
    job.m_hasFraction = hasFraction;

    WireOptimize a;
    a.m_spec = u"A";
    WireCombine pa;
    pa.m_barLength = 6000.7;
    pa.m_barCount = 3;
    pa.m_utilisation = 5001.3 / 6000.7;
    pa.m_remnant = 999.4;
    pa.m_pieceLength = {1500.5, 2000.3};
    pa.m_pieceCount = {2, 1};
    a.m_patterns.push_back(pa);
    a.m_usedLength = {6000.7};
    a.m_usedBars = {3};
    a.m_usedPieceLength = {3 * 5001.3};

    WireOptimize b;
    b.m_spec = u"B";
    WireCombine pb;
    pb.m_barLength = 4000;
    pb.m_barCount = 1;
    pb.m_utilisation = 3999.9 / 4000;
    pb.m_remnant = 0.1;
    pb.m_pieceLength = {3999.9};
    pb.m_pieceCount = {1};
    b.m_patterns.push_back(pb);
    b.m_usedLength = {5000, 4000};
    b.m_usedBars = {0, 1};
    b.m_usedPieceLength = {0, 3999.9};

    job.m_groups = {a, b};
    // 3 x 6000.7 + 4000 = 22002.1; pieces 3 x 5001.3 + 3999.9 = 19003.8,
    // 19003.8 / 22002.1 = 86.37 %.
    job.m_totalLength = 3 * 6000.7 + 4000;
    job.m_totalBars = 4;
    job.m_utilisation = (3 * 5001.3 + 3999.9) / job.m_totalLength;
    return job;
}

// ---------------------------------------------------------------------------
// Plan report

TEST_F(TextReportsTest, PlanOfAnEngineRunIsWrittenFieldByField)
{
    const WireOptimize_Whole job = PlannedJob();

    // Totals: 3 bars of 6000 = 18000; pieces 2 x 5970 + 5000 = 16940, and
    // 16940 / 18000 = 94.1 %.
    // Pattern rows: " %3d", "  %8d ", "%6d    ", "%5.1f%%  ", "%7d   ", "  %s  ", pieces.
    // Summary rows: " %3d", "  %8d ", "%6d    ", "%5.1f%%    ", "  %s ".
    const std::string expected = PlanHead("18000", "3", "94.1") +
                                 Gbk("   1      6000      2     99.5%        0     Type_1  1990x3\r\n\r\n"
                                     "   2      6000      1     83.3%      980     Ф121x6.0  2500x2\r\n\r\n") +
                                 SummaryHead() +
                                 Gbk("   1      6000      2     99.5%      Type_1 \r\n\r\n"
                                     "   2      6000      1     83.3%      Ф121x6.0 \r\n\r\n");
    EXPECT_EQ(Plan(job), expected);
}

TEST_F(TextReportsTest, PlanWithoutFractionsTruncatesBarsAndRemnants)
{
    // 6000.7 prints as 6000 and the remnant 999.4 as 999: cut toward zero,
    // not rounded (rounding would give 6001). The second group's row number
    // runs on to 2; the summary numbers again from 1 and skips B's 5000,
    // which has no bars.
    const std::string expected = PlanHead("22002", "4", "86.4") +
                                 Gbk("   1      6000      3     83.3%      999     A  1500.5x2 + 2000.3x1\r\n\r\n"
                                     "   2      4000      1    100.0%        0     B  3999.9x1\r\n\r\n") +
                                 SummaryHead() +
                                 Gbk("   1      6000      3     83.3%      A \r\n\r\n"
                                     "   2      4000      1    100.0%      B \r\n\r\n");
    EXPECT_EQ(Plan(HandFilledJob(0)), expected);
}

TEST_F(TextReportsTest, PlanWithFractionsShowsOneDecimalButTheSummaryStaysWhole)
{
    // "  %8.1f " and "%7.1f   " in the pattern rows; the summary is unchanged.
    const std::string expected = PlanHead("22002", "4", "86.4") +
                                 Gbk("   1    6000.7      3     83.3%    999.4     A  1500.5x2 + 2000.3x1\r\n\r\n"
                                     "   2    4000.0      1    100.0%      0.1     B  3999.9x1\r\n\r\n") +
                                 SummaryHead() +
                                 Gbk("   1      6000      3     83.3%      A \r\n\r\n"
                                     "   2      4000      1    100.0%      B \r\n\r\n");
    EXPECT_EQ(Plan(HandFilledJob(1)), expected);
}

TEST_F(TextReportsTest, PlanTitleIsWrittenInCodePage936)
{
    const std::string text = Plan(HandFilledJob(0));
    // Seventeen blanks, then 下料优化输出结果 (CF C2 C1 CF D3 C5 BB AF CA E4 B3 F6 BD E1 B9 FB).
    const std::string title = std::string(17, ' ') +
                              "\xCF\xC2\xC1\xCF\xD3\xC5\xBB\xAF\xCA\xE4\xB3\xF6\xBD\xE1\xB9\xFB\r\n\r\n";
    EXPECT_EQ(text.substr(0, title.size()), title);
}

TEST_F(TextReportsTest, WideNumbersWidenTheirFieldsAndNeverWrap)
{
    WireOptimize_Whole job = HandFilledJob(0);
    // Beyond 32 bits: a 32-bit truncation would not hold these.
    job.m_totalLength = 3e9;
    job.m_totalBars = 12345678901;
    WireCombine& pattern = job.m_groups[0].m_patterns[0];
    pattern.m_barLength = 1099511627776.9;  // 2^40 + 0.9
    pattern.m_barCount = 1234567;           // seven digits in a field of six
    pattern.m_remnant = 1e30;               // beyond 64 bits: the largest 64-bit integer
    job.m_groups[1].m_patterns[0].m_remnant = std::numeric_limits<double>::quiet_NaN();  // prints as 0
    job.m_groups[1].m_usedBars = {0, 0};
    job.m_groups[0].m_usedLength = {-0.5};  // toward zero is 0, printed without a sign

    const std::string expected = PlanHead("3000000000", "12345678901", "86.4") +
                                 Gbk("   1  1099511627776 1234567     83.3%  9223372036854775807     A  "
                                     "1500.5x2 + 2000.3x1\r\n\r\n"
                                     "   2      4000      1    100.0%        0     B  3999.9x1\r\n\r\n") +
                                 SummaryHead() +
                                 // 3 bars x -0.5 is not above 0: utilisation 0.
                                 Gbk("   1         0      3      0.0%      A \r\n\r\n");
    EXPECT_EQ(Plan(job), expected);
}

TEST_F(TextReportsTest, PlanOfAnEmptyResultHasTheHeadingsOnly)
{
    WireOptimize_Whole job;
    EXPECT_EQ(Plan(job), PlanHead("0", "0", "0.0") + SummaryHead());
}

// ---------------------------------------------------------------------------
// Leftover report

WireOptimize_Whole LeftoverJob()
{
    WireOptimize_Whole job;
    auto add = [&](const MyString& spec, double length, int64_t quantity, int32_t priority) {
        job.m_leftoverSpec.push_back(spec);
        job.m_leftoverLength.push_back(length);
        job.m_leftoverQuantity.push_back(quantity);
        job.m_leftoverPriority.push_back(priority);
    };
    add(u"Type_1", 6000, -1, 1);     // unlimited stock
    add(u"Type_1", 100, 3, -1);      // exactly at the default minimum
    add(u"Type_1", 99.9, 2, -1);     // just below it
    add(u"", 123456.7, 1, -1);       // no specification; seven digits
    add(u"Ф121x6.0", 1234.5, 0, 0);  // a quantity of 0 also reads as unlimited
    add(u"B", 50, 7, 0);             // an unused stock row shorter than the minimum
    return job;
}

TEST_F(TextReportsTest, LeftoverListsEntriesFromTheMinimumLengthOn)
{
    // 100 stays and 99.9 goes; 123456.7 has six significant digits as 123457.
    const std::string expected = Gbk("Type_1   6000   数量不限\r\n"
                                     "Type_1   100   3\r\n"
                                     "   123457   1\r\n"
                                     "Ф121x6.0   1234.5   数量不限\r\n");
    EXPECT_EQ(Leftover(LeftoverJob(), DEFAULT_MINIMUM_LEFTOVER_LENGTH), expected);
}

TEST_F(TextReportsTest, LeftoverWithMinimumZeroListsEveryEntry)
{
    const std::string expected = Gbk("Type_1   6000   数量不限\r\n"
                                     "Type_1   100   3\r\n"
                                     "Type_1   99.9   2\r\n"
                                     "   123457   1\r\n"
                                     "Ф121x6.0   1234.5   数量不限\r\n"
                                     "B   50   7\r\n");
    EXPECT_EQ(Leftover(LeftoverJob(), 0), expected);
}

TEST_F(TextReportsTest, UnlimitedIsWrittenInCodePage936)
{
    WireOptimize_Whole job;
    job.m_leftoverSpec = {u"A"};
    job.m_leftoverLength = {6000};
    job.m_leftoverQuantity = {-1};
    job.m_leftoverPriority = {0};
    // 数量不限 = CA FD C1 BF B2 BB CF DE.
    EXPECT_EQ(Leftover(job, 100), "A   6000   \xCA\xFD\xC1\xBF\xB2\xBB\xCF\xDE\r\n");
}

TEST_F(TextReportsTest, LeftoverOfAnEngineRun)
{
    // Type_1's unlimited stock stays unlimited after 2 bars; Ф121x6.0 keeps
    // 5 - 1 = 4 bars, and its remnant 980 is a new entry of 1.
    const WireOptimize_Whole job = PlannedJob();
    EXPECT_EQ(Leftover(job, 100), Gbk("Type_1   6000   数量不限\r\n"
                                      "Ф121x6.0   6000   4\r\n"
                                      "Ф121x6.0   980   1\r\n"));
    EXPECT_EQ(Leftover(job, 1000), Gbk("Type_1   6000   数量不限\r\n"
                                       "Ф121x6.0   6000   4\r\n"));
}

TEST_F(TextReportsTest, EmptyLeftoverListWritesAnEmptyFile)
{
    WireOptimize_Whole job;
    const std::string path = m_folder.WriteFile("leftover.txt", "earlier content");
    EXPECT_TRUE(WriteLeftoverTextReport(job, 100, path));
    EXPECT_TRUE(fs::exists(fs::u8path(path)));
    EXPECT_EQ(TempFolder::ReadFile(path), "");
}

TEST_F(TextReportsTest, WritingIntoAMissingFolderFails)
{
    const std::string path = m_folder.File("missing/plan.txt");
    EXPECT_FALSE(WritePlanTextReport(HandFilledJob(0), path));
    EXPECT_FALSE(WriteLeftoverTextReport(LeftoverJob(), 100, path));
}

// ---------------------------------------------------------------------------
// The output commands

TEST_F(TextReportsTest, PlanCommandWritesAFreshReportAndOpensIt)
{
    g_documentsFolder = m_folder.File("docs");
    ASSERT_TRUE(fs::create_directories(fs::u8path(m_folder.File("docs/Trevak_Temp"))));
    const std::string earlier = m_folder.WriteFile("docs/Trevak_Temp/QRM20200101000000.txt", "old");
    const WireOptimize_Whole job = HandFilledJob(1);

    ProducePlanTextReport(job);

    ASSERT_EQ(m_opener.m_textEditor.size(), 1u);
    EXPECT_TRUE(m_opener.m_shell.empty());
    const fs::path report = fs::u8path(m_opener.m_textEditor[0]);
    EXPECT_EQ(report.parent_path(), fs::u8path(ReportFolder()));
    EXPECT_EQ(report.extension().u8string(), ".txt");
    EXPECT_EQ(report.stem().u8string().substr(0, 3), "QRM");
    EXPECT_EQ(TempFolder::ReadFile(m_opener.m_textEditor[0]), Plan(job));
    EXPECT_FALSE(fs::exists(fs::u8path(earlier)));
}

TEST_F(TextReportsTest, LeftoverCommandWritesAFreshReportAndOpensIt)
{
    g_documentsFolder = m_folder.File("docs");
    const WireOptimize_Whole job = LeftoverJob();

    ProduceLeftoverTextReport(job, 1000);

    ASSERT_EQ(m_opener.m_textEditor.size(), 1u);
    EXPECT_EQ(fs::u8path(m_opener.m_textEditor[0]).parent_path(), fs::u8path(ReportFolder()));
    // Minimum 1000: only 6000, 123456.7 and 1234.5 remain.
    EXPECT_EQ(TempFolder::ReadFile(m_opener.m_textEditor[0]), Gbk("Type_1   6000   数量不限\r\n"
                                                                 "   123457   1\r\n"
                                                                 "Ф121x6.0   1234.5   数量不限\r\n"));
}

TEST_F(TextReportsTest, CommandsOpenTheReportEvenWhenItCouldNotBeWritten)
{
    // The documents folder is a file: the report folder cannot be made.
    g_documentsFolder = m_folder.WriteFile("not-a-folder", "x");

    ProducePlanTextReport(HandFilledJob(0));
    ProduceLeftoverTextReport(LeftoverJob(), 100);

    ASSERT_EQ(m_opener.m_textEditor.size(), 2u);
    for (const std::string& path : m_opener.m_textEditor) {
        EXPECT_EQ(fs::u8path(path).parent_path(), fs::u8path(ReportFolder()));
        EXPECT_FALSE(fs::exists(fs::u8path(path)));
    }
}

}  // namespace
