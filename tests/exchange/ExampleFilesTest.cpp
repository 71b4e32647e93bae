#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "base/ReportConventions.h"
#include "exchange/ExampleFiles.h"
#include "exchange/SpreadsheetListFile.h"
#include "exchange/TextListFile.h"
#include "lists/InputLists.h"
#include "support/Recorders.h"
#include "support/TempFolder.h"
#include "support/Text.h"

namespace {


// Installs an opener for one test and puts the previous one back.
template <typename Opener>
class Installed {
public:
    Installed(Opener*& slot, Opener* opener) : m_slot(slot), m_previous(slot) { m_slot = opener; }
    ~Installed() { m_slot = m_previous; }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

private:
    Opener*& m_slot;
    Opener* m_previous;
};

const Cell& At(const Worksheet& sheet, int32_t column, int32_t row)
{
    const Cell* cell = sheet.Find(column, row);
    static const Cell none;
    EXPECT_NE(cell, nullptr) << "no cell at column " << column << " row " << row;
    return cell ? *cell : none;
}

void ExpectText(const Worksheet& sheet, int32_t column, int32_t row, const std::u16string& text)
{
    const Cell& cell = At(sheet, column, row);
    EXPECT_EQ(cell.kind, Cell::Kind::Text) << "column " << column << " row " << row;
    EXPECT_EQ(cell.text, text) << "column " << column << " row " << row;
}

void ExpectNumber(const Worksheet& sheet, int32_t column, int32_t row, double number)
{
    const Cell& cell = At(sheet, column, row);
    EXPECT_EQ(cell.kind, Cell::Kind::Number) << "column " << column << " row " << row;
    EXPECT_EQ(cell.number, number) << "column " << column << " row " << row;
}

struct CutExampleRow {
    const char16_t* m_spec;
    double m_length;
    double m_quantity;
    const char16_t* m_mark;
};

// ---------------------------------------------------------------- text example

TEST(TextExampleTest, StockExampleIsFourLinesInCodePage936WithCrLf)
{
    TempFolder folder;
    const std::string path = folder.File("stock.txt");
    ASSERT_TRUE(WriteTextExampleFile(path, LIST_STOCK));
    const std::string expected = Gbk(u"Type_1\t6000\t不限\t\t优先\r\n"
                                       u"Type_1\t12000\t30\r\n"
                                       u"Type_2\t6000\t不限\r\n"
                                       u"Type_3\t9000\t25\r\n");
    EXPECT_EQ(TempFolder::ReadFile(path), expected);
}

TEST(TextExampleTest, CutExampleHasFifteenLinesAndReadsWithoutBadLines)
{
    TempFolder folder;
    const std::string path = folder.File("cut.txt");
    ASSERT_TRUE(WriteTextExampleFile(path, LIST_CUT));
    const std::string bytes = TempFolder::ReadFile(path);
    // The seventh line passes over an empty field with its double tab.
    const std::string first = "Type_1\t2995\t15\t" + Gbk(u"订单1") + "\r\n";
    const std::string last = "Type_3\t1900\t18\r\n";
    ASSERT_GT(bytes.size(), first.size() + last.size());
    EXPECT_EQ(bytes.substr(0, first.size()), first);
    EXPECT_NE(bytes.find("\r\nType_1\t985\t\t20\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - last.size()), last);

    TextFileReader reader;
    ASSERT_EQ(OpenTextList(path, reader), TextListOpenResult::Ok);
    // Its marks are code page 936, never taken for UTF-8.
    EXPECT_EQ(reader.Encoding(), TextEncoding::Cp936);
    InputLists lists;
    const TextImportReport report = ReadTextList(reader, LIST_CUT, lists);
    EXPECT_EQ(report.m_lineCount, 15);
    EXPECT_EQ(report.m_badLineCount, 0);
    ASSERT_EQ(lists.CutRowCount(), 15u);
    // Lines 5 and 6 are the same row twice.
    EXPECT_EQ(lists.m_cutLength[4], 4280);
    EXPECT_EQ(lists.m_cutLength[5], 4280);
    EXPECT_EQ(lists.m_cutQuantity[5], 8);
    EXPECT_EQ(lists.m_cutLength[6], 985);
    EXPECT_EQ(lists.m_cutQuantity[6], 20);
    EXPECT_EQ(lists.m_cutMark[6], u"");
}

TEST(TextExampleTest, StockExampleReadsAsFourRows)
{
    TempFolder folder;
    const std::string path = folder.File("stock.txt");
    ASSERT_TRUE(WriteTextExampleFile(path, LIST_STOCK));
    TextFileReader reader;
    ASSERT_EQ(OpenTextList(path, reader), TextListOpenResult::Ok);
    InputLists lists;
    EXPECT_EQ(ReadTextList(reader, LIST_STOCK, lists).m_badLineCount, 0);
    ASSERT_EQ(lists.StockRowCount(), 4u);
    EXPECT_EQ(lists.m_stockSpec[0], u"Type_1");
    EXPECT_EQ(lists.m_stockLength[0], 6000);
    EXPECT_EQ(lists.m_stockQuantity[0], -1);
    EXPECT_EQ(lists.m_stockPriority[0], 1);
    EXPECT_EQ(lists.m_stockQuantity[1], 30);
    EXPECT_EQ(lists.m_stockPriority[1], 0);
    EXPECT_EQ(lists.m_stockSpec[2], u"Type_2");
    EXPECT_EQ(lists.m_stockQuantity[2], -1);
    EXPECT_EQ(lists.m_stockLength[3], 9000);
    EXPECT_EQ(lists.m_stockQuantity[3], 25);
}

TEST(TextExampleTest, ShowTextExampleWritesIntoTheConfigFolderAndOpensIt)
{
    TempFolder folder;
    RecordingReportOpener opener;
    Installed<ReportOpener> installed(g_reportOpener, &opener);
    const std::string program = folder.File("程序");
    ShowTextExample(program, LIST_CUT);  // neither the program folder nor Config exists yet
    const std::string expectedPath =
        (std::filesystem::u8path(program) / "Config" / std::filesystem::u8path("示例.txt")).u8string();
    ASSERT_EQ(opener.m_textEditor.size(), 1u);
    EXPECT_EQ(opener.m_textEditor[0], expectedPath);
    EXPECT_EQ(TempFolder::ReadFile(expectedPath).substr(0, 12), "Type_1\t2995\t");

    // The same file serves the stock list and is overwritten.
    ShowTextExample(program, LIST_STOCK);
    ASSERT_EQ(opener.m_textEditor.size(), 2u);
    EXPECT_EQ(opener.m_textEditor[1], expectedPath);
    EXPECT_EQ(TempFolder::ReadFile(expectedPath).substr(0, 12), "Type_1\t6000\t");
}

TEST(TextExampleTest, UnwritableFolderStillOpensThePath)
{
    TempFolder folder;
    // A plain file where the program folder should be: nothing can be written.
    const std::string program = folder.WriteFile("not-a-folder", "x");
    RecordingReportOpener opener;
    Installed<ReportOpener> installed(g_reportOpener, &opener);
    ShowTextExample(program, LIST_CUT);
    ASSERT_EQ(opener.m_textEditor.size(), 1u);
    EXPECT_EQ(TempFolder::ReadFile(program), "x");
    EXPECT_FALSE(WriteTextExampleFile(opener.m_textEditor[0], LIST_CUT));
}

// ---------------------------------------------------------------- example workbook

TEST(ExampleWorkbookTest, CutWorkbookCellsAndFormatting)
{
    SpreadsheetConnection connection;
    BuildExampleWorkbook(connection, LIST_CUT);
    ASSERT_EQ(connection.Book().sheets.size(), 1u);
    const Worksheet& sheet = connection.Book().sheets[0];
    EXPECT_EQ(sheet.name, u"下料信息导入文件格式示例");

    const std::u16string header[] = {u"序 号", u"规 格", u"长 度", u"数 量", u"标 记"};
    for (int32_t column = 1; column <= 5; ++column)
        ExpectText(sheet, column, 1, header[column - 1]);

    const CutExampleRow rows[] = {
        {u"Type_1", 2995, 15, u"订单1"}, {u"Type_1", 2995, 21, u"订单2"}, {u"Type_1", 3550, 9, u"订单2"},
        {u"Type_1", 2500, 15, u"订单3"}, {u"Type_1", 4280, 8, u""},      {u"Type_1", 4280, 8, u""},
        {u"Type_1", 985, 20, u""},       {u"Type_2", 1500, 15, u""},     {u"Type_2", 2550, 19, u""},
        {u"Type_2", 785, 25, u""},       {u"Type_2", 5200, 18, u""},     {u"Type_2", 4900, 8, u""},
        {u"Type_3", 885, 5, u""},        {u"Type_3", 1200, 28, u""},     {u"Type_3", 1900, 18, u""},
    };
    for (int32_t i = 0; i < 15; ++i) {
        const int32_t row = i + 2;
        ExpectNumber(sheet, 1, row, i + 1);
        ExpectText(sheet, 2, row, rows[i].m_spec);
        ExpectNumber(sheet, 3, row, rows[i].m_length);
        ExpectNumber(sheet, 4, row, rows[i].m_quantity);
        ExpectText(sheet, 5, row, rows[i].m_mark);  // an empty text where there is no mark
    }
    EXPECT_EQ(sheet.Find(2, 17), nullptr);

    // Every cell outlined thin, the table the same; size 11, not bold, black,
    // centred, rows 19 high.
    for (int32_t row = 1; row <= 16; ++row) {
        for (int32_t column = 1; column <= 5; ++column) {
            const CellFormat& f = At(sheet, column, row).format;
            EXPECT_EQ(f.top.weight, 2) << column << "," << row;
            EXPECT_EQ(f.bottom.weight, 2) << column << "," << row;
            EXPECT_EQ(f.left.weight, 2) << column << "," << row;
            EXPECT_EQ(f.right.weight, 2) << column << "," << row;
            EXPECT_EQ(f.left.lineStyle, 1) << column << "," << row;
            EXPECT_FALSE(f.bold) << column << "," << row;
            EXPECT_EQ(f.fontSize, 11) << column << "," << row;
            EXPECT_EQ(f.fontColour, 0u) << column << "," << row;
            EXPECT_TRUE(f.centred) << column << "," << row;
            EXPECT_FALSE(f.hasFill) << column << "," << row;
        }
        EXPECT_EQ(sheet.rowHeights.at(row), 19) << row;
    }
    EXPECT_EQ(sheet.rowHeights.count(17), 0u);
    // A to E fitted to whole widths; nothing beyond E.
    for (int32_t column = 1; column <= 5; ++column) {
        ASSERT_EQ(sheet.columnWidths.count(column), 1u) << column;
        EXPECT_EQ(sheet.columnWidths.at(column), double(int64_t(sheet.columnWidths.at(column)))) << column;
    }
    EXPECT_EQ(sheet.columnWidths.count(6), 0u);
    EXPECT_TRUE(sheet.merges.empty());
}

TEST(ExampleWorkbookTest, StockWorkbookCells)
{
    SpreadsheetConnection connection;
    BuildExampleWorkbook(connection, LIST_STOCK);
    const Worksheet& sheet = connection.Book().sheets[0];
    EXPECT_EQ(sheet.name, u"原料信息导入文件格式示例");
    ExpectText(sheet, 4, 1, u"库存数量");
    ExpectText(sheet, 5, 1, u"优先使用");

    ExpectNumber(sheet, 1, 2, 1);
    ExpectText(sheet, 2, 2, u"Type_1");
    ExpectNumber(sheet, 3, 2, 6000);
    ExpectText(sheet, 4, 2, u"不限");
    ExpectText(sheet, 5, 2, u"优先");

    ExpectNumber(sheet, 3, 3, 12000);
    ExpectNumber(sheet, 4, 3, 30);
    ExpectText(sheet, 5, 3, u"");

    ExpectText(sheet, 2, 4, u"Type_2");
    ExpectText(sheet, 4, 4, u"不限");

    ExpectNumber(sheet, 1, 5, 4);
    ExpectText(sheet, 2, 5, u"Type_3");
    ExpectNumber(sheet, 3, 5, 9000);
    ExpectNumber(sheet, 4, 5, 25);
    EXPECT_EQ(sheet.Find(2, 6), nullptr);
    EXPECT_EQ(At(sheet, 5, 5).format.bottom.weight, 2);
    EXPECT_EQ(sheet.rowHeights.at(5), 19);
}

TEST(ExampleWorkbookTest, BuildingAgainStartsAFreshWorkbook)
{
    SpreadsheetConnection connection;
    BuildExampleWorkbook(connection, LIST_CUT);
    BuildExampleWorkbook(connection, LIST_STOCK);
    ASSERT_EQ(connection.Book().sheets.size(), 1u);
    const Worksheet& sheet = connection.Book().sheets[0];
    EXPECT_EQ(sheet.name, u"原料信息导入文件格式示例");
    EXPECT_EQ(sheet.Find(2, 6), nullptr);  // no cut row left behind
}

TEST(ExampleWorkbookTest, WrittenWorkbookReadsBack)
{
    TempFolder folder;
    const std::string path = folder.File("example.xls");
    std::u16string error;
    ASSERT_TRUE(WriteExampleWorkbook(path, LIST_STOCK, error));
    EXPECT_TRUE(error.empty());
    SpreadsheetConnection connection;
    ASSERT_TRUE(connection.OpenWorkbook(path, error)) << Utf16ToUtf8(error);
    const Worksheet& sheet = connection.Book().sheets[0];
    EXPECT_EQ(sheet.name, u"原料信息导入文件格式示例");
    ExpectText(sheet, 4, 2, u"不限");
    ExpectNumber(sheet, 4, 3, 30);
}

TEST(ExampleWorkbookTest, UnwritablePathFailsNamingTheFile)
{
    TempFolder folder;
    std::u16string error;
    EXPECT_FALSE(WriteExampleWorkbook(folder.File("no/such/example.xlsx"), LIST_CUT, error));
    EXPECT_NE(error.find(u"example.xlsx"), std::u16string::npos);
}

TEST(ExampleWorkbookTest, ShownWorkbookIsSavedInTheWorkbookFolderAndOpened)
{
    TempFolder folder;
    const std::string previousDocuments = g_documentsFolder;
    g_documentsFolder = folder.File("documents");
    RecordingWorkbookOpener opener;
    {
        Installed<WorkbookOpener> installed(g_workbookOpener, &opener);
        std::string savedPath;
        EXPECT_TRUE(ShowSpreadsheetExample(LIST_CUT, savedPath));
        ASSERT_EQ(opener.m_opened.size(), 1u);
        EXPECT_EQ(opener.m_opened[0], savedPath);
        EXPECT_EQ(std::filesystem::u8path(savedPath).parent_path(), std::filesystem::u8path(WorkbookFolder()));

        // The user can import what was shown.
        InputLists lists;
        const SpreadsheetImportReport report = ImportSpreadsheetList(savedPath, LIST_CUT, lists);
        EXPECT_TRUE(report.m_opened) << Utf16ToUtf8(report.m_error);
        EXPECT_EQ(lists.CutRowCount(), 15u);
    }
    g_documentsFolder = previousDocuments;
}

TEST(ExampleWorkbookTest, NothingToShowTheWorkbookWith)
{
    TempFolder folder;
    const std::string previousDocuments = g_documentsFolder;
    g_documentsFolder = folder.File("documents");
    {
        Installed<WorkbookOpener> installed(g_workbookOpener, nullptr);
        std::string savedPath;
        EXPECT_FALSE(ShowSpreadsheetExample(LIST_STOCK, savedPath));
    }
    g_documentsFolder = previousDocuments;
}

}  // namespace
