// Workbook list files as other programs write them and as hostile files make
// them: inline strings, escaped characters, huge shared strings, sheets past
// the reading limits.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/SpreadsheetConnection.h"
#include "exchange/SpreadsheetListFile.h"
#include "support/TempFolder.h"
#include "support/XlsxParts.h"

namespace {

std::string SharedStrings(const std::vector<std::string>& texts)
{
    std::string part = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (const std::string& text : texts)
        part += "<si><t>" + text + "</t></si>";
    return part + "</sst>";
}

TEST(WorkbookListReadingTest, InlineStringCellsAreReadLikeSharedOnes)
{
    // B1 and D1 inline, E1 "优先" in two runs with a phonetic reading that is
    // no part of the text; row 2 from shared strings. Without the inline
    // texts, the quantity 7 would be lost and the row read as unlimited.
    const std::string rows =
        "<row r=\"1\"><c r=\"B1\" t=\"inlineStr\"><is><t>T</t></is></c><c r=\"C1\"><v>6000</v></c>"
        "<c r=\"D1\" t=\"inlineStr\"><is><t>7</t></is></c>"
        "<c r=\"E1\" t=\"inlineStr\"><is><r><t>优</t></r><r><t>先</t></r><rPh sb=\"0\" eb=\"1\"><t>ゆう</t></rPh></is></c>"
        "</row>"
        "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c><c r=\"C2\"><v>5000</v></c><c t=\"inlineStr\"><is><t>3</t></is></c></row>";
    TempFolder folder;
    const std::string path = folder.WriteFile("inline.xlsx", XlsxFromParts(rows, SharedStrings({"U"})));
    InputLists lists;
    const SpreadsheetImportReport report = ImportSpreadsheetList(path, LIST_STOCK, lists);
    ASSERT_TRUE(report.m_opened) << std::string(report.m_error.begin(), report.m_error.end());
    ASSERT_EQ(lists.StockRowCount(), 2u);
    EXPECT_EQ(lists.m_stockSpec, std::vector<MyString>({u"T", u"U"}));
    EXPECT_EQ(lists.m_stockQuantity, std::vector<int32_t>({7, 3}));  // D2 by position after C2
    EXPECT_EQ(lists.m_stockPriority, std::vector<int32_t>({1, 0}));
}

TEST(WorkbookListReadingTest, EscapedCharactersAreReadAsTheCharacters)
{
    // _x0001_ is a control character written in the file's escape form,
    // _x005F_ an escaped "_" that keeps a literal "_x0041_" as text.
    const std::string rows =
        "<row r=\"1\"><c r=\"B1\" t=\"s\"><v>0</v></c><c r=\"C1\"><v>100</v></c><c r=\"D1\"><v>1</v></c>"
        "<c r=\"E1\" t=\"inlineStr\"><is><t>A_x005F_x0041_</t></is></c></row>"
        "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>1</v></c><c r=\"C2\"><v>200</v></c><c r=\"D2\"><v>2</v></c></row>";
    Workbook book;
    std::u16string error;
    ASSERT_TRUE(ReadWorkbookBytes(XlsxFromParts(rows, SharedStrings({"T_x0001_X", "_x004B_g_x"})), book, error));
    EXPECT_EQ(book.sheets[0].Find(2, 1)->text, u"T\u0001X");
    EXPECT_EQ(book.sheets[0].Find(5, 1)->text, u"A_x0041_");
    EXPECT_EQ(book.sheets[0].Find(2, 2)->text, u"Kg_x");  // an incomplete pattern stays as it is
}

TEST(WorkbookListReadingTest, AListWithAControlCharacterSurvivesAWorkbookRoundTrip)
{
    TempFolder folder;
    InputLists lists;
    lists.AppendCutRow(u"T\u0001X", 2995, 3, u"m\u001Fk");
    const std::string path = folder.File("round.xlsx");
    std::u16string error;
    ASSERT_TRUE(ExportSpreadsheetList(path, LIST_CUT, lists, error));
    InputLists back;
    ASSERT_TRUE(ImportSpreadsheetList(path, LIST_CUT, back).m_opened);
    EXPECT_EQ(back.m_cutSpec, lists.m_cutSpec);
    EXPECT_EQ(back.m_cutMark, lists.m_cutMark);
}

TEST(WorkbookListReadingTest, SharedStringsBeyondTheLimitsAreRefused)
{
    const std::string row = "<row r=\"1\"><c r=\"B1\" t=\"s\"><v>0</v></c><c r=\"C1\"><v>6000</v></c></row>";
    std::vector<std::string> files;
    // More than a million empty strings (13 MB of markup).
    std::string many = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (int i = 0; i < 1000001; ++i)
        many += "<si><t/></si>";
    files.push_back(XlsxFromParts(row, many + "</sst>"));
    // More than 32 MiB of text in a few strings.
    files.push_back(XlsxFromParts(row, SharedStrings(std::vector<std::string>(34, std::string(1 << 20, 'x')))));
    // A shared strings part of 70 MB, refused before it is inflated.
    std::string huge = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    huge += std::string(70u << 20, ' ');
    files.push_back(XlsxFromParts(row, huge + "</sst>"));
    for (std::size_t i = 0; i < files.size(); ++i) {
        Workbook book;
        std::u16string error;
        EXPECT_FALSE(ReadWorkbookBytes(files[i], book, error, ReadLimits(), "big.xlsx")) << i;
        EXPECT_NE(error.find(u"超出读取上限"), std::u16string::npos) << i;
        EXPECT_NE(error.find(u"big.xlsx"), std::u16string::npos) << i;
        EXPECT_TRUE(book.sheets.empty()) << i;
    }
    // Just under the count limit reads.
    std::string fewer = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>S</t></si>";
    for (int i = 1; i < 1000000; ++i)
        fewer += "<si><t/></si>";
    Workbook book;
    std::u16string error;
    ASSERT_TRUE(ReadWorkbookBytes(XlsxFromParts(row, fewer + "</sst>"), book, error));
    EXPECT_EQ(book.sheets[0].Find(2, 1)->text, u"S");
}

TEST(WorkbookListReadingTest, ASheetCutShortByTheLimitsIsReportedAndKeepsOnlyWholeRows)
{
    // Ten stock rows of three cells; 20 cells keep rows 1 to 6 and would keep
    // two cells of row 7, whose missing quantity would read as unlimited.
    std::string rows;
    for (int r = 1; r <= 10; ++r) {
        const std::string n = std::to_string(r);
        rows += "<row r=\"" + n + "\"><c r=\"B" + n + "\" t=\"s\"><v>0</v></c><c r=\"C" + n + "\"><v>" +
                std::to_string(1000 + r) + "</v></c><c r=\"D" + n + "\"><v>5</v></c></row>";
    }
    TempFolder folder;
    const std::string path = folder.WriteFile("cut.xlsx", XlsxFromParts(rows, SharedStrings({"S"})));
    SpreadsheetConnection sheet;
    sheet.SetReadLimit(1048576, 20);
    std::u16string error;
    ASSERT_TRUE(sheet.OpenWorkbook(path, error));
    InputLists lists;
    const SpreadsheetImportReport report = ReadListSheet(sheet, LIST_STOCK, lists);
    EXPECT_TRUE(report.m_truncated);
    ASSERT_EQ(lists.StockRowCount(), 6u);
    EXPECT_EQ(lists.m_stockQuantity, std::vector<int32_t>(6, 5));
    EXPECT_EQ(report.m_reportedBadRowCount, 1);
    EXPECT_EQ(report.m_badRowText, u"以下各行数据格式有误:\n\n第7行: (未读入)\n\n"
                                   u"工作表超出读取上限，读取在第7行结束，该行及以后各行未读入 !\n");

    // Read whole, nothing is reported.
    SpreadsheetConnection whole;
    ASSERT_TRUE(whole.OpenWorkbook(path, error));
    InputLists all;
    const SpreadsheetImportReport complete = ReadListSheet(whole, LIST_STOCK, all);
    EXPECT_FALSE(complete.m_truncated);
    EXPECT_EQ(all.StockRowCount(), 10u);
    EXPECT_TRUE(complete.m_badRowText.empty());
}

}  // namespace
