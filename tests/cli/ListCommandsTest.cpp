#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "cli/CommandRun.h"
#include "cli/ListCommands.h"
#include "exchange/ExampleLists.h"
#include "exchange/TextListFile.h"
#include "support/TempFolder.h"

namespace {


CommandResult Import(const std::vector<std::string>& args)
{
    return RunCommand(RunImportCommand, args);
}

CommandResult Export(const std::vector<std::string>& args)
{
    return RunCommand(RunExportCommand, args);
}

CommandResult Example(const std::vector<std::string>& args)
{
    return RunCommand(RunExampleCommand, args);
}



const char* const CUT_TEXT =
    "Type_1   2995   15   订单1\n"
    "Type_1\t4280.5\t8\n"
    "Q235?985?20?A-7\n";

// ---------------------------------------------------------------- import

TEST(ImportCommandTest, PrintsTheRowsOfATextFile)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", CUT_TEXT);
    const CommandResult r = Import({"cut", cut});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Type_1   2995   15   订单1\nType_1   4280.5   8   \nQ235   985   20   A-7\n");
    EXPECT_EQ(r.err, "");
}

TEST(ImportCommandTest, PrintsStockRowsWithUnlimitedAndPriority)
{
    TempFolder folder;
    const std::string stock = ListFile(folder, "stock.txt", "Type_1 6000 不限 优先\nType_2 12000 30\nType_3 9000 -5\n");
    const CommandResult r = Import({"stock", stock});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Type_1   6000   不限   优先\nType_2   12000   30\nType_3   9000   不限\n");
}

TEST(ImportCommandTest, JsonHoldsTheRowsTheBadLinesAndTheReport)
{
    TempFolder folder;
    const std::string stock = ListFile(folder, "stock.txt", "Type_1 6000 0 优先\nA 100\nType_2 12000 30\n");
    const CommandResult r = Import({"stock", stock, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"rows\": [[\"Type_1\", 6000, -1, 1], [\"Type_2\", 12000, 30, 0]], \"badLines\": 1, "
              "\"report\": \"以下各行数据格式有误:\\n\\n第2行: A 100\\n\\n\"}\n");
    // The report goes to stderr as well.
    EXPECT_NE(r.err.find("第2行: A 100"), std::string::npos) << r.err;
}

TEST(ImportCommandTest, ReadsASpreadsheetByItsName)
{
    TempFolder folder;
    SpreadsheetConnection sheet;
    sheet.Start();
    sheet.SelectRange(2, 1);
    sheet.SetValue(u"Type_1");
    sheet.SelectRange(3, 1);
    sheet.SetValue(2995.0);
    sheet.SelectRange(4, 1);
    sheet.SetValue(u"15");
    sheet.SelectRange(5, 1);
    sheet.SetValue(u"订单1");
    const std::string path = folder.File("list.XLSX");
    std::u16string error;
    ASSERT_TRUE(sheet.SaveAs(path, error));
    const CommandResult r = Import({"cut", path, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"rows\": [[\"Type_1\", 2995, 15, \"订单1\"]], \"badLines\": 0, \"report\": \"\"}\n");
}

TEST(ImportCommandTest, UnreadableFilesExitWithTwoNamingTheFile)
{
    TempFolder folder;
    for (const char* name : {"missing.txt", "missing.xlsx"}) {
        const CommandResult r = Import({"cut", folder.File(name)});
        EXPECT_EQ(r.status, 2) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
    }
    const std::string broken = folder.WriteFile("broken.xls", "not a workbook at all");
    CommandResult r = Import({"stock", broken});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("broken.xls"), std::string::npos) << r.err;

    const std::string utf16 = folder.WriteFile("utf16.txt", std::string("\xFF\xFE" "A\0 \0" "1\0", 8));
    r = Import({"cut", utf16});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Unicode"), std::string::npos) << r.err;
}

TEST(ImportCommandTest, BadArgumentsExitWithTwo)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", CUT_TEXT);
    EXPECT_EQ(Import({}).status, 2);
    EXPECT_EQ(Import({"cut"}).status, 2);
    EXPECT_EQ(Import({"pieces", cut}).status, 2);
    EXPECT_EQ(Import({"cut", cut, "extra"}).status, 2);
    EXPECT_EQ(Import({"cut", cut, "--xml"}).status, 2);
    EXPECT_EQ(Import({"--help"}).status, 2);
}

// ---------------------------------------------------------------- export

TEST(ExportCommandTest, TextToWorkbookToTextGivesTheSameRows)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", CUT_TEXT);
    const std::string xlsx = folder.File("cut.xlsx");
    const std::string back = folder.File("back.txt");
    CommandResult r = Export({"cut", "--from", cut, "--out", xlsx});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, xlsx + ": 3 rows\n");
    EXPECT_EQ(TempFolder::ReadFile(xlsx).substr(0, 2), "PK");
    r = Export({"cut", "--from", xlsx, "--out", back});
    ASSERT_EQ(r.status, 0) << r.err;
    // Exact lengths, three blanks, a row without a mark ends in three blanks.
    EXPECT_EQ(Utf8Of(TempFolder::ReadFile(back)),
              "Type_1   2995   15   订单1\r\nType_1   4280.5   8   \r\nQ235   985   20   A-7\r\n");
    EXPECT_EQ(Import({"cut", back, "--json"}).out, Import({"cut", cut, "--json"}).out);
}

TEST(ExportCommandTest, StockListThroughAWorkbookKeepsUnlimitedAndPriority)
{
    TempFolder folder;
    const std::string stock =
        ListFile(folder, "stock.txt", "Type_1 6000 不限 优先\nType_2 12000 30\nType_3 9000 25 优先\n");
    const std::string xls = folder.File("stock.xls");
    const std::string back = folder.File("back.txt");
    ASSERT_EQ(Export({"stock", "--from", stock, "--out", xls}).status, 0);
    ASSERT_EQ(Export({"stock", "--from", xls, "--out", back}).status, 0);
    EXPECT_EQ(Utf8Of(TempFolder::ReadFile(back)),
              "Type_1   6000   不限   优先\r\nType_2   12000   30\r\nType_3   9000   25   优先\r\n");
}

TEST(ExportCommandTest, WorkbookCellsOfTheExport)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", CUT_TEXT);
    const std::string xlsx = folder.File("cut.xlsx");
    ASSERT_EQ(Export({"cut", "--from", cut, "--out", xlsx}).status, 0);
    SpreadsheetConnection sheet;
    std::u16string error;
    ASSERT_TRUE(sheet.OpenWorkbook(xlsx, error));
    const Worksheet& data = sheet.Book().sheets[0];
    EXPECT_EQ(data.name, u"下料");
    ASSERT_NE(data.Find(6, 3), nullptr);
    EXPECT_EQ(data.Find(6, 3)->text, u"=C3*D3");
    ASSERT_NE(data.Find(4, 6), nullptr);
    EXPECT_EQ(data.Find(4, 6)->text, u"=SUM(D3:D5)");
    sheet.SelectRange(4, 6);
    EXPECT_EQ(sheet.GetValue().number, 15 + 8 + 20);
}

TEST(ExportCommandTest, FailuresExitWithTwo)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", CUT_TEXT);
    CommandResult r = Export({"cut", "--from", folder.File("missing.txt"), "--out", folder.File("x.txt")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("missing.txt"), std::string::npos);
    r = Export({"cut", "--from", cut, "--out", folder.File("no/such/out.xlsx")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("out.xlsx"), std::string::npos) << r.err;
    r = Export({"cut", "--from", cut, "--out", folder.File("no/such/out.txt")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Export({"cut", "--from", cut}).status, 2);
    EXPECT_EQ(Export({"cut", "--out", cut}).status, 2);
    EXPECT_EQ(Export({"--from", cut, "--out", folder.File("y.txt")}).status, 2);
    EXPECT_EQ(Export({"cut", "--from"}).status, 2);
}

// ---------------------------------------------------------------- example

TEST(ExampleCommandTest, TextAndWorkbookExamplesReadAsTheSameRows)
{
    TempFolder folder;
    for (const char* kindName : {"cut", "stock"}) {
        const std::string kind = kindName;
        const std::string txt = folder.File(kind + ".txt");
        const std::string xlsx = folder.File(kind + ".xlsx");
        const CommandResult r = Example({kind, "--txt", txt, "--xlsx", xlsx});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, txt + "\n" + xlsx + "\n");
        const CommandResult fromText = Import({kind, txt, "--json"});
        const CommandResult fromWorkbook = Import({kind, xlsx, "--json"});
        ASSERT_EQ(fromText.status, 0);
        ASSERT_EQ(fromWorkbook.status, 0);
        EXPECT_EQ(fromText.out, fromWorkbook.out);
        EXPECT_NE(fromText.out.find("\"badLines\": 0"), std::string::npos);
    }
    // The stock example's first row: unlimited with priority.
    EXPECT_EQ(Import({"stock", folder.File("stock.txt"), "--json"}).out.rfind("{\"rows\": [[\"Type_1\", 6000, -1, 1], ", 0),
              0u);
    // Fifteen cut rows.
    const std::string out = Import({"cut", folder.File("cut.xlsx")}).out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 15);
}

TEST(ExampleCommandTest, BadArgumentsAndUnwritableFiles)
{
    TempFolder folder;
    EXPECT_EQ(Example({"cut"}).status, 2);
    EXPECT_EQ(Example({"both", "--txt", folder.File("a.txt")}).status, 2);
    EXPECT_EQ(Example({"cut", "--txt"}).status, 2);
    CommandResult r = Example({"cut", "--txt", folder.File("no/such/a.txt")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("a.txt"), std::string::npos);
    r = Example({"stock", "--xlsx", folder.File("no/such/b.xlsx")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("b.xlsx"), std::string::npos);
}

// ---------------------------------------------------------------- the program

TEST(ListCommandsProgramTest, CommandsAreRegistered)
{
    TempFolder folder;
    const std::string txt = folder.File("example.txt");
    const std::string command = std::string(TREVAK_CLI_PATH) + " example stock --txt '" + txt + "' >/dev/null 2>&1 && " +
                                TREVAK_CLI_PATH + " import stock '" + txt + "' --json 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        out.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
    EXPECT_EQ(out.rfind("{\"rows\": [[\"Type_1\", 6000, -1, 1], ", 0), 0u) << out;

    pipe = popen((std::string(TREVAK_CLI_PATH) + " export cut --from '" + folder.File("none.txt") + "' --out '" +
                  folder.File("x.xlsx") + "' 2>/dev/null")
                     .c_str(),
                 "r");
    ASSERT_NE(pipe, nullptr);
    const int failed = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(failed) && WEXITSTATUS(failed) == 2);
}

}  // namespace
