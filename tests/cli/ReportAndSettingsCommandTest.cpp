#include <gtest/gtest.h>

#include <sstream>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "cli/CommandRun.h"
#include "cli/PlanCommand.h"
#include "cli/SettingsCommands.h"
#include "reports/TextReports.h"
#include "support/PlanJob.h"
#include "support/TempFolder.h"

namespace {

CommandResult Plan(const std::vector<std::string>& args)
{
    return RunCommand(RunPlanCommand, args);
}

}  // namespace

TEST(PlanReports, TextReportGoesToTheGivenFileInCodePage936)
{
    // Two pieces of 2995 on a bar of 6000 with kerf 10 (2995 + 10 + 2995 = 6000):
    // utilisation 5990 / 6000 = 99.8 %, remnant 6000 - 5990 - 2 x 10 < 0, shown as 0.
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "Q235 2995 2\n");
    const std::string stock = ListFile(folder, "stock.txt", "Q235 6000 3\n");
    const std::string report = folder.File("plan.txt");
    const CommandResult r = Plan({"--cut", cut, "--stock", stock, "--report", "txt", "--out", report});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = TempFolder::ReadFile(report);
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);  // CR LF line ends
    EXPECT_NE(Utf8Of(bytes).find("   1      6000      1     99.8%        0     Q235  2995x2\r\n"), std::string::npos)
        << Utf8Of(bytes);
    // The window's command, planning the same lists with the window's default
    // kerf, writes the same bytes.
    InputLists lists;
    lists.AppendCutRow(u"Q235", 2995, 2, u"");
    lists.AppendStockRow(u"Q235", 6000, 3, 0);
    WireOptimize_Whole job;
    JobError error;
    ASSERT_TRUE(PlanJob(job, lists, error, 0, 10, 0, 1)) << error.code;
    const std::string direct = folder.File("direct.txt");
    ASSERT_TRUE(WritePlanTextReport(job, direct));
    EXPECT_EQ(TempFolder::ReadFile(direct), bytes);
}

TEST(PlanReports, LeftoverReportsFilterByTheMinimumLength)
{
    // Bars of 1000 with 3 x 300 (kerf 0) leave remnants of 100: kept at the
    // default minimum of 100, dropped at 100.5.
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "A 300 6\n");
    const std::string stock = ListFile(folder, "stock.txt", "A 1000 5\n");
    const std::string txt = folder.File("left.txt");
    CommandResult r = Plan({"--cut", cut, "--stock", stock, "--kerf", "0", "--leftover", "txt", "--out", txt});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Utf8Of(TempFolder::ReadFile(txt)), "A   1000   3\r\nA   100   2\r\n");
    r = Plan({"--cut", cut, "--stock", stock, "--kerf", "0", "--leftover", "txt", "--min", "100.5", "--out", txt});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(Utf8Of(TempFolder::ReadFile(txt)), "A   1000   3\r\n");
    const std::string doc = folder.File("left.doc");
    r = Plan({"--cut", cut, "--stock", stock, "--kerf", "0", "--leftover", "doc", "--out", doc});
    ASSERT_EQ(r.status, 0);
    const std::string rtf = TempFolder::ReadFile(doc);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg936", 0), 0u);
    EXPECT_NE(Utf8Of(rtf).find("{\\f15 2}{\\cell }{\\f15 A}{\\cell }{\\f15 100}{\\cell }{\\f15 2}{\\cell }{\\f15 200}"),
              std::string::npos);
}

TEST(PlanReports, PlanDocumentHasTheMarkColumnOnlyWithMarks)
{
    TempFolder folder;
    const std::string stock = ListFile(folder, "stock.txt", "A 6000 0\n");
    const std::string doc = folder.File("plan.doc");
    const std::string marked = ListFile(folder, "marked.txt", "A 3000 2 订单1\n");
    ASSERT_EQ(Plan({"--cut", marked, "--stock", stock, "--kerf", "0", "--report", "doc", "--out", doc}).status, 0);
    EXPECT_NE(Utf8Of(TempFolder::ReadFile(doc)).find("{\\f15\\b 标记}"), std::string::npos);
    const std::string plain = ListFile(folder, "plain.txt", "A 3000 2\n");
    ASSERT_EQ(Plan({"--cut", plain, "--stock", stock, "--kerf", "0", "--report", "doc", "--out", doc}).status, 0);
    EXPECT_EQ(Utf8Of(TempFolder::ReadFile(doc)).find("标记"), std::string::npos);
}

TEST(PlanReports, WorkbooksAreWrittenAndReadBack)
{
    TempFolder folder;
    const std::string plan = folder.File("plan.xlsx");
    ASSERT_EQ(Plan({"--example", "--report", "xlsx", "--out", plan}).status, 0);
    SpreadsheetConnection reader;
    std::u16string error;
    ASSERT_TRUE(reader.OpenWorkbook(plan, error)) << Utf16ToUtf8(error);
    EXPECT_GE(reader.Book().sheets.size(), 3u);  // two pattern formats and the stock summary

    // Leftovers of at least 6000: Type_1 6000 unlimited, Type_1 12000 x 30
    // (unused), Type_2 6000 unlimited, Type_3 9000 x 16 (9 of 25 bars used) and
    // the one remnant of 6000 (1200x1+885x2 on a 9000 bar).
    const std::string left = folder.File("left.xlsx");
    ASSERT_EQ(Plan({"--example", "--leftover", "xlsx", "--min", "6000", "--out", left}).status, 0);
    ASSERT_TRUE(reader.OpenWorkbook(left, error)) << Utf16ToUtf8(error);
    reader.SelectRange(3, 3);  // C3: the first length
    EXPECT_EQ(reader.GetValue().number, 6000);
    reader.SelectRange(4, 3);  // D3: unlimited
    EXPECT_EQ(Utf16ToUtf8(reader.GetValue().text), "不限");
    reader.SelectRange(4, 4);
    EXPECT_EQ(reader.GetValue().number, 30);
    reader.SelectRange(3, 4);
    EXPECT_EQ(reader.GetValue().number, 12000);
    reader.SelectRange(4, 6);
    EXPECT_EQ(reader.GetValue().number, 16);
    reader.SelectRange(4, 7);
    EXPECT_EQ(reader.GetValue().number, 1);
}

TEST(PlanReports, ReportOptionsMustComeTogether)
{
    EXPECT_EQ(Plan({"--example", "--report", "txt"}).status, 2);                 // no --out
    EXPECT_EQ(Plan({"--example", "--out", "x.txt"}).status, 2);                  // no report
    EXPECT_EQ(Plan({"--example", "--report", "pdf", "--out", "x"}).status, 2);   // no sheet writer here
    EXPECT_EQ(Plan({"--example", "--report", "rtf", "--out", "x"}).status, 2);   // unknown kind
    EXPECT_EQ(Plan({"--example", "--min", "5"}).status, 2);                      // --min without --leftover
    EXPECT_EQ(Plan({"--example", "--report", "txt", "--leftover", "txt", "--out", "x"}).status, 2);
    TempFolder folder;
    const CommandResult r = Plan({"--example", "--report", "txt", "--out", folder.File("missing/plan.txt")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("missing/plan.txt"), std::string::npos);
}

TEST(SettingsCommands, SavedSettingsPlanLikeTheListsAndOptionsOverrideThem)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "Type_1 2995 15 订单1\nType_1 985 20\n");
    const std::string stock = ListFile(folder, "stock.txt", "Type_1 6000 不限 优先\nType_1 1234567 30\n");
    const std::string settings = folder.File("QRMCfg.txt");
    const CommandResult saved = RunCommand(RunSaveSettingsCommand, {"--cut", cut, "--stock", stock, "--kerf", "3", "--level", "0",
                                                      "--out", settings});
    ASSERT_EQ(saved.status, 0) << saved.err;
    // The lengths are written so that they read back exactly (1234567, not 1.23457e+06).
    EXPECT_NE(TempFolder::ReadFile(settings).find("1234567  30  Type_1  0\r\n"), std::string::npos);

    const CommandResult fromSettings = Plan({"--settings", settings, "--json"});
    const CommandResult fromLists = Plan({"--cut", cut, "--stock", stock, "--kerf", "3", "--level", "0", "--json"});
    ASSERT_EQ(fromSettings.status, 0) << fromSettings.err;
    EXPECT_EQ(fromSettings.out, fromLists.out);

    const CommandResult overridden = Plan({"--settings", settings, "--kerf", "0", "--json"});
    const CommandResult kerfZero = Plan({"--cut", cut, "--stock", stock, "--kerf", "0", "--level", "0", "--json"});
    EXPECT_EQ(overridden.out, kerfZero.out);
    EXPECT_NE(overridden.out, fromSettings.out);

    const CommandResult shown = RunCommand(RunShowSettingsCommand, {settings});
    ASSERT_EQ(shown.status, 0);
    EXPECT_NE(shown.out.find("  Type_1  2995  15  订单1\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("  Type_1  6000  不限  优先\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("切割缝宽 3\n"), std::string::npos);
    EXPECT_NE(shown.out.find("速度等级 0"), std::string::npos);
}

TEST(SettingsCommands, UnreadableFilesAndMixedSourcesAreRefused)
{
    TempFolder folder;
    EXPECT_EQ(RunCommand(RunShowSettingsCommand, {folder.File("none.txt")}).status, 2);
    EXPECT_EQ(RunCommand(RunShowSettingsCommand, {}).status, 2);
    EXPECT_EQ(Plan({"--settings", folder.File("none.txt")}).status, 2);
    EXPECT_EQ(Plan({"--settings", folder.File("none.txt"), "--example"}).status, 2);
    EXPECT_EQ(RunCommand(RunSaveSettingsCommand, {"--cut", folder.File("none.txt"), "--out", folder.File("s.txt")}).status,
              2);
    // A settings file whose speed level is out of range is not planned with it.
    const std::string bad = folder.WriteFile("bad.txt", "20260430\r\n1\r\n100  1  A  QQWWSSAA1122\r\n1\r\n"
                                                        "1000  1  A  0\r\n10\r\n10\r\n0\r\n0\r\n0\r\n9\r\n");
    const CommandResult r = Plan({"--settings", bad});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("bad.txt"), std::string::npos);
}

namespace {

// Stands in for the drawing library's PDF writer: records what it was given.
struct SheetCall {
    int calls = 0;
    std::size_t patterns = 0;
    SheetSettings settings;
    std::string path;
    bool answer = true;
};
SheetCall g_sheetCall;

bool RecordSheet(const WireOptimize_Whole& job, const SheetSettings& settings, const std::string& path,
                 std::u16string& error)
{
    ++g_sheetCall.calls;
    g_sheetCall.patterns = 0;
    for (const WireOptimize& group : job.m_groups)
        g_sheetCall.patterns += group.m_patterns.size();
    g_sheetCall.settings = settings;
    g_sheetCall.path = path;
    if (!g_sheetCall.answer)
        error = u"磁盘已满";
    return g_sheetCall.answer;
}

}  // namespace

TEST(PlanReports, PdfReportGoesToTheInstalledSheetWriter)
{
    // Without the drawing library the report is refused with a reason.
    SetCuttingSheetWriter(nullptr);
    const CommandResult refused = Plan({"--example", "--report", "pdf", "--out", "x.pdf"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("not available"), std::string::npos);

    SetCuttingSheetWriter(RecordSheet);
    g_sheetCall = SheetCall();
    const CommandResult r = Plan({"--example", "--level", "4", "--report", "pdf", "--min", "250", "--out", "s.pdf"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(g_sheetCall.calls, 1);
    EXPECT_EQ(g_sheetCall.path, "s.pdf");
    EXPECT_EQ(g_sheetCall.settings.speedLevel, 4);
    EXPECT_EQ(g_sheetCall.settings.minimumLeftover, 250);
    EXPECT_GT(g_sheetCall.settings.madeAt, 0);
    EXPECT_GT(g_sheetCall.patterns, 0u);

    // The leftover report has no PDF form; a failed write is reported.
    EXPECT_EQ(Plan({"--example", "--leftover", "pdf", "--out", "l.pdf"}).status, 2);
    g_sheetCall.answer = false;
    const CommandResult failed = Plan({"--example", "--report", "pdf", "--out", "s.pdf"});
    EXPECT_EQ(failed.status, 2);
    EXPECT_NE(failed.err.find("磁盘已满"), std::string::npos);
    EXPECT_EQ(g_sheetCall.calls, 2);
    SetCuttingSheetWriter(nullptr);
}
