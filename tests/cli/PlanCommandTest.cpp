#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <sys/wait.h>

#include "base/Codepage.h"
#include "cli/CommandRun.h"
#include "cli/PlanCommand.h"
#include "support/TempFolder.h"

namespace {

CommandResult Plan(const std::vector<std::string>& args)
{
    return RunCommand(RunPlanCommand, args);
}


std::size_t CountLines(const std::string& text)
{
    std::size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

}  // namespace

TEST(PlanCommand, JsonHasTheDocumentedShape)
{
    // Two pieces of 3000 fill one of two bars of 6000 exactly; the other bar
    // stays in the leftover list. No plan can use less than that one bar, so
    // the bound is 6000 (1 bar) and the plan is optimal.
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "A 3000 2 订单1\n");
    const std::string stock = ListFile(folder, "stock.txt", "A 6000 2\n");
    const CommandResult r = Plan({"--cut", cut, "--stock", stock, "--kerf", "0", "--json"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "{\"error\": null, \"totalLength\": 6000, \"totalBars\": 1, \"utilisation\": 1, \"lowerBound\": 6000, "
              "\"lowerBoundBars\": 1, \"optimal\": true, \"groups\": [{\"spec\": \"A\", \"totalLength\": 6000, "
              "\"totalBars\": 1, \"utilisation\": 1, \"lowerBound\": 6000, \"lowerBoundBars\": 1, \"optimal\": true, "
              "\"used\": [[6000, 1, 6000]], "
              "\"patterns\": [{\"barLength\": 6000, \"barCount\": 1, \"utilisation\": 1, \"remnant\": 0, \"pieces\": "
              "[[3000, 2]], \"marks\": [{\"barCount\": 1, \"pieces\": [[3000, 2, \"订单1\"]]}]}]}], \"leftover\": "
              "[[6000, 1, \"A\", 0]]}\n");
}

TEST(PlanCommand, NumbersReadBackToTheSameDouble)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "A 1000.1 3\n");
    const std::string stock = ListFile(folder, "stock.txt", "A 6000 0\n");
    const CommandResult r = Plan({"--cut", cut, "--stock", stock, "--kerf", "0.3", "--json"});
    ASSERT_EQ(r.status, 0);
    // 3 x 1000.1 / 6000 is not a short decimal: written with 17 digits.
    char expected[64];
    std::snprintf(expected, sizeof expected, "\"utilisation\": %.17g", 3 * 1000.1 / 6000);
    EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("[[1000.1, 3]]"), std::string::npos) << r.out;
}

TEST(PlanCommand, ExampleJobPrintsOneLinePerPatternAndTheTotals)
{
    const CommandResult r = Plan({"--example"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Heading, the patterns, the totals row.
    EXPECT_EQ(r.out.rfind("序号", 0), 0u);
    EXPECT_NE(r.out.find("\n共 "), std::string::npos);
    EXPECT_NE(r.out.find("2995x2"), std::string::npos);
    const CommandResult json = Plan({"--example", "--json"});
    std::size_t patterns = 0;
    for (std::size_t at = 0; (at = json.out.find("\"barLength\"", at)) != std::string::npos; ++at)
        ++patterns;
    EXPECT_EQ(CountLines(r.out), patterns + 2);
    // Three specifications of the example, three groups.
    EXPECT_NE(json.out.find("\"spec\": \"Type_3\""), std::string::npos);
}

TEST(PlanCommand, FailedChecksComeBeforeTheRunWithCodeZero)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "A 3000 2\n");
    const std::string stock = ListFile(folder, "stock.txt", "A 6000 2\n");
    // The trim is checked before the kerf.
    CommandResult r = Plan({"--cut", cut, "--stock", stock, "--trim", "-1", "--kerf", "-1", "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "{\"error\": {\"code\": 0, \"text\": \"\", \"value\": 0, \"message\": \"剔除的料头长度不应小于 0 !\"}}\n");
    r = Plan({"--cut", cut, "--stock", stock, "--kerf", "-1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "切割缝宽不应小于 0 !\n");
    r = Plan({"--stock", stock});
    EXPECT_EQ(r.err, "请先输入下料信息!\n");
    r = Plan({"--cut", cut});
    EXPECT_EQ(r.err, "请先输入原料长度信息!\n");
}

TEST(PlanCommand, InputProblemOfTheRunGivesTheWindowsMessage)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "Q235 6001 1\n");
    const std::string stock = ListFile(folder, "stock.txt", "Q235 6000 5\n");
    const CommandResult r = Plan({"--cut", cut, "--stock", stock, "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "{\"error\": {\"code\": 5, \"text\": \"Q235\", \"value\": 6001, \"message\": \"下料 Q235：\\n\\n下料长度 > "
              "原料长度 !\"}}\n");
}

TEST(PlanCommand, BadLinesAreReportedAndTheGoodRowsPlanned)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "A 3000\nA 3000 2\n");
    const std::string stock = ListFile(folder, "stock.txt", "A 6000 2\n");
    const CommandResult r = Plan({"--cut", cut, "--stock", stock, "--kerf", "0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("以下各行数据格式有误:\n\n第1行: A 3000\n\n"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("3000x2"), std::string::npos);
}

TEST(PlanCommand, BadArgumentsAndUnreadableFilesExitWithTwo)
{
    TempFolder folder;
    EXPECT_EQ(Plan({"--level", "6"}).status, 2);
    EXPECT_EQ(Plan({"--kinds", "x"}).status, 2);
    EXPECT_EQ(Plan({"--kerf"}).status, 2);
    EXPECT_EQ(Plan({"--frobnicate"}).status, 2);
    const CommandResult missing = Plan({"--cut", folder.File("nowhere.txt")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("nowhere.txt"), std::string::npos);
    const std::string utf16 = folder.WriteFile("utf16.txt", std::string("\xFF\xFE" "A\0 \0", 6));
    const CommandResult refused = Plan({"--cut", utf16});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("该文本为 Unicode 格式"), std::string::npos);
}

TEST(PlanCommand, RowsOfTwoBillionPiecesPlanWithoutAPiecePerEntry)
{
    // 120 pieces of 100 fill a bar of 12000; two rows of 2,000,000,000 pieces
    // (marked and unmarked, so they stay two rows in the list) need
    // ceil(4e9 / 120) = 33,333,334 bars, the last one holding 4e9 mod 120 = 40.
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "A 100 2000000000 M\nA 100 2000000000\n");
    const std::string stock = ListFile(folder, "stock.txt", "A 12000 0\n");
    const CommandResult r = Plan({"--cut", cut, "--stock", stock, "--kerf", "0", "--level", "0", "--json"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("\"totalBars\": 33333334,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"barCount\": 33333333, \"utilisation\": 1, \"remnant\": 0, \"pieces\": [[100, 120]]"),
              std::string::npos);
    EXPECT_NE(r.out.find("\"pieces\": [[100, 40]]"), std::string::npos);
    // The 2e9 marked pieces cover 16,666,666 whole bars and 80 pieces of the next.
    EXPECT_NE(r.out.find("{\"barCount\": 16666666, \"pieces\": [[100, 120, \"M\"]]}, {\"barCount\": 1, \"pieces\": "
                         "[[100, 80, \"M\"], [100, 40, \"\"]]}, {\"barCount\": 16666666, \"pieces\": [[100, 120, \"\"]]}"),
              std::string::npos)
        << r.out;
}

TEST(PlanCommand, TheProgramItselfRunsTheExample)
{
    FILE* pipe = popen(TREVAK_CLI_PATH " plan --example --json 2>&1", "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(out.rfind("{\"error\": null, ", 0), 0u) << out;
}

TEST(PlanCommand, TimeLimitEndsTheRunAsTheInterruptDoes)
{
    // A limit that has passed before the first check of the run: the run is
    // withdrawn there, whatever the level, and reported as an interruption.
    for (const char* level : {"0", "1", "5"}) {
        const CommandResult r = Plan({"--example", "--level", level, "--time-limit", "1e-9", "--json"});
        EXPECT_EQ(r.status, 1) << level;
        EXPECT_EQ(r.out, "{\"error\": {\"code\": 0, \"text\": \"\", \"value\": 0, \"message\": \"优化计算中断 !\"}}\n")
            << level;
    }
    const CommandResult text = Plan({"--example", "--time-limit", "1e-9"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, "优化计算中断 !\n");
    EXPECT_EQ(text.out, "");
    // A limit the run stays within changes nothing in the plan.
    const CommandResult free = Plan({"--example", "--json"});
    const CommandResult limited = Plan({"--example", "--json", "--time-limit", "3600"});
    EXPECT_EQ(limited.status, 0);
    EXPECT_EQ(limited.out, free.out);
    // Not a number of seconds above 0.
    for (const char* bad : {"0", "-1", "x", "nan", "inf", ""})
        EXPECT_EQ(Plan({"--example", "--time-limit", bad}).status, 2) << bad;
    EXPECT_EQ(Plan({"--example", "--time-limit"}).status, 2);
}

TEST(PlanCommand, OptimalPlansToTheBoundAndSaysSo)
{
    // 900 + 600 + 500 fill a bar of 2000 exactly, twice, and 800 + 700 + 500
    // once: three full bars, the least any plan can use.
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "A 900 2\nA 800 1\nA 700 1\nA 600 2\nA 500 3\n");
    const std::string stock = ListFile(folder, "stock.txt", "A 2000 0\n");
    const CommandResult r =
        Plan({"--cut", cut, "--stock", stock, "--kerf", "0", "--optimal", "--time-limit", "5", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"error\": null, \"totalLength\": 6000, \"totalBars\": 3, \"utilisation\": 1, "
                          "\"lowerBound\": 6000, \"lowerBoundBars\": 3, \"optimal\": true, ",
                          0),
              0u)
        << r.out;
    // The exact optimiser replaces the speed level: not both.
    EXPECT_EQ(Plan({"--cut", cut, "--stock", stock, "--optimal", "--level", "1"}).status, 2);
}
