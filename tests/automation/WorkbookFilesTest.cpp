#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "base/ReportConventions.h"
#include "support/Recorders.h"
#include "support/TempFolder.h"
#include "support/XlsxParts.h"

namespace {

std::string Utf8(const std::u16string& text)
{
    return Utf16ToUtf8(text);
}

// A two-sheet workbook shaped like the program's exported cut list.
void BuildCutList(SpreadsheetConnection& connection)
{
    connection.Start();
    connection.SetSheetName(u"下料");
    connection.SelectRange(1, 1, 6, 1);
    connection.Merge();
    connection.SetValue(u"Trevak线材下料优化---下料信息");
    connection.SetBorder(1, 3);
    connection.SetFont(true, 14, 0);
    connection.CentreCells();
    connection.SetRowHeight(30);
    connection.SetFill(0xB4E0C6);  // red 198, green 224, blue 180

    const char16_t* headers[] = {u"序 号", u"规   格", u"长 度", u"数 量", u"标   记", u"总 长"};
    for (int32_t column = 1; column <= 6; ++column) {
        connection.SelectRange(column, 2);
        connection.SetValue(headers[column - 1]);
        connection.SetBorder(1, 2);
    }
    // Rows 3 and 4: two list rows; the second quantity is a text.
    connection.SelectRange(1, 3);
    connection.SetValue(1.0);
    connection.SelectRange(2, 3);
    connection.SetValue(u"HRB400Φ12");
    connection.SelectRange(3, 3);
    connection.SetValue(2995.5);
    connection.SelectRange(4, 3);
    connection.SetValue(4.0);
    connection.SelectRange(5, 3);
    connection.SetValue(u"订单A-01");
    connection.SelectRange(6, 3);
    connection.SetFormula(u"=C3*D3");
    connection.SelectRange(1, 4);
    connection.SetValue(2.0);
    connection.SelectRange(2, 4);
    connection.SetValue(u"Q235");
    connection.SelectRange(3, 4);
    connection.SetValue(6000.0);
    connection.SelectRange(4, 4);
    connection.SetValue(u"不限");
    connection.SelectRange(6, 4);
    connection.SetFormula(u"---");
    connection.SelectRange(3, 5);
    connection.SetValue(u"汇 总");
    connection.SelectRange(4, 5);
    connection.SetFormula(u"=SUM(D3:D4)");
    connection.SelectRange(6, 5);
    connection.SetFormula(u"=SUM(F3:F4)");
    connection.SelectRange(1, 3, 6, 5);
    connection.SetBorder(1, 3);
    connection.SelectRange(2, 1);
    connection.SetColumnWidth(40);
    connection.FitColumns(1, 1, 1);

    connection.AddSheetAfter(1);
    connection.SetSheetName(u"原料统计");
    connection.SelectRange(1, 1);
    connection.SetValue(u"第二页");
    connection.SelectRange(2, 2);
    connection.SetValue(-0.125);
    connection.SelectSheet(1);
    connection.ActivateSheet();
}

CellValue ValueAt(SpreadsheetConnection& connection, int32_t column, int32_t row)
{
    connection.SelectRange(column, row);
    return connection.GetValue();
}

void ExpectText(SpreadsheetConnection& connection, int32_t column, int32_t row, const std::u16string& text)
{
    const CellValue value = ValueAt(connection, column, row);
    EXPECT_EQ(value.kind, CellValue::Kind::Text) << ColumnLetters(column) << row;
    EXPECT_EQ(Utf8(value.text), Utf8(text)) << ColumnLetters(column) << row;
}

void ExpectNumber(SpreadsheetConnection& connection, int32_t column, int32_t row, double number)
{
    const CellValue value = ValueAt(connection, column, row);
    EXPECT_EQ(value.kind, CellValue::Kind::Number) << ColumnLetters(column) << row;
    EXPECT_DOUBLE_EQ(value.number, number) << ColumnLetters(column) << row;
}

// The error names the file and is not empty.
void ExpectErrorNaming(const std::u16string& error, const std::string& path)
{
    EXPECT_FALSE(error.empty());
    EXPECT_NE(Utf8(error).find(path), std::string::npos) << Utf8(error);
}

void ExpectReadBackOfCutList(SpreadsheetConnection& reader)
{
    const Workbook& book = reader.Book();
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(Utf8(book.sheets[0].name), "下料");
    EXPECT_EQ(Utf8(book.sheets[1].name), "原料统计");
    EXPECT_EQ(reader.CurrentSheet(), 1);

    ExpectText(reader, 1, 1, u"Trevak线材下料优化---下料信息");
    ExpectText(reader, 2, 2, u"规   格");
    ExpectNumber(reader, 1, 3, 1);
    ExpectText(reader, 2, 3, u"HRB400Φ12");
    ExpectNumber(reader, 3, 3, 2995.5);
    ExpectText(reader, 5, 3, u"订单A-01");
    ExpectNumber(reader, 6, 3, 11982);  // 2995.5 * 4, the stored result of =C3*D3
    ExpectText(reader, 4, 4, u"不限");
    ExpectText(reader, 6, 4, u"---");
    ExpectNumber(reader, 4, 5, 4);  // SUM(D3:D4) skips "不限"
    ExpectNumber(reader, 6, 5, 11982);
    // The hidden cells of the merged title come back empty.
    EXPECT_EQ(ValueAt(reader, 2, 1).kind, CellValue::Kind::Empty);

    // The formulas themselves are kept.
    const Cell* product = book.sheets[0].Find(6, 3);
    ASSERT_NE(product, nullptr);
    EXPECT_EQ(product->kind, Cell::Kind::Formula);
    EXPECT_EQ(Utf8(product->text), "=C3*D3");

    ASSERT_EQ(book.sheets[0].merges.size(), 1u);
    EXPECT_EQ(book.sheets[0].merges[0].column1, 1);
    EXPECT_EQ(book.sheets[0].merges[0].column2, 6);
    EXPECT_EQ(book.sheets[0].merges[0].row1, 1);
    EXPECT_EQ(book.sheets[0].merges[0].row2, 1);
    EXPECT_EQ(book.sheets[0].rowHeights.count(1), 1u);
    if (book.sheets[0].rowHeights.count(1)) {
        EXPECT_DOUBLE_EQ(book.sheets[0].rowHeights.at(1), 30);
    }

    reader.SelectSheet(2);
    ExpectText(reader, 1, 1, u"第二页");
    ExpectNumber(reader, 2, 2, -0.125);
}

bool HaveOpenpyxl()
{
    return std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0;
}

}  // namespace

TEST(WorkbookFilesTest, SavedWorkbookReadsBack)
{
    TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    SpreadsheetConnection writer;
    BuildCutList(writer);
    const std::string path = folder.File("下料清单.xlsx");
    std::u16string error;
    ASSERT_TRUE(writer.SaveAs(path, error)) << Utf8(error);
    EXPECT_TRUE(error.empty());
    // The connection is unchanged by saving.
    EXPECT_EQ(writer.Book().sheets.size(), 2u);

    SpreadsheetConnection reader;
    ASSERT_TRUE(reader.OpenWorkbook(path, error)) << Utf8(error);
    ExpectReadBackOfCutList(reader);
}

TEST(WorkbookFilesTest, ContentDecidesNotTheExtension)
{
    TempFolder folder;
    SpreadsheetConnection writer;
    BuildCutList(writer);
    const std::string path = folder.File("list.xls");
    std::u16string error;
    ASSERT_TRUE(writer.SaveAs(path, error)) << Utf8(error);
    EXPECT_EQ(TempFolder::ReadFile(path).substr(0, 2), "PK");

    SpreadsheetConnection reader;
    ASSERT_TRUE(reader.OpenWorkbook(path, error)) << Utf8(error);
    ExpectReadBackOfCutList(reader);
}

TEST(WorkbookFilesTest, BytesInMemoryReadLikeTheFile)
{
    TempFolder folder;
    SpreadsheetConnection writer;
    BuildCutList(writer);
    const std::string path = folder.File("a.xlsx");
    std::u16string error;
    ASSERT_TRUE(writer.SaveAs(path, error));
    Workbook book;
    ASSERT_TRUE(ReadWorkbookBytes(TempFolder::ReadFile(path), book, error)) << Utf8(error);
    ASSERT_EQ(book.sheets.size(), 2u);
    const Cell* cell = book.sheets[0].Find(2, 3);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(Utf8(cell->text), "HRB400Φ12");
}

TEST(WorkbookFilesTest, ReadingStopsAtTheLimits)
{
    TempFolder folder;
    SpreadsheetConnection writer;
    writer.Start();
    // 200 rows of two cells.
    for (int32_t row = 1; row <= 200; ++row) {
        writer.SelectRange(1, row);
        writer.SetValue(static_cast<double>(row));
        writer.SelectRange(2, row);
        writer.SetValue(u"行");
    }
    const std::string path = folder.File("long.xlsx");
    std::u16string error;
    ASSERT_TRUE(writer.SaveAs(path, error));

    SpreadsheetConnection reader;
    ASSERT_TRUE(reader.OpenWorkbook(path, error));
    EXPECT_EQ(reader.Book().sheets[0].cells.size(), 400u);
    EXPECT_FALSE(reader.Book().truncated);

    reader.SetReadLimit(50);
    ASSERT_TRUE(reader.OpenWorkbook(path, error));
    EXPECT_EQ(reader.Book().sheets[0].cells.size(), 100u);  // rows 1 to 50
    EXPECT_TRUE(reader.Book().truncated);
    ExpectNumber(reader, 1, 50, 50);
    EXPECT_EQ(ValueAt(reader, 1, 51).kind, CellValue::Kind::Empty);

    // At most 31 cells: rows 1 to 15 whole; row 16, of which only A16 would
    // fit, is left out whole, so that no row is kept with cells missing (a
    // stock row without its quantity would read as unlimited stock).
    reader.SetReadLimit(1000, 31);
    ASSERT_TRUE(reader.OpenWorkbook(path, error));
    EXPECT_EQ(reader.Book().sheets[0].cells.size(), 30u);
    EXPECT_TRUE(reader.Book().truncated);
    ExpectText(reader, 2, 15, u"行");
    EXPECT_EQ(ValueAt(reader, 1, 16).kind, CellValue::Kind::Empty);
}

TEST(WorkbookFilesTest, MissingEmptyAndForeignFilesAreRefusedWithTheirName)
{
    TempFolder folder;
    SpreadsheetConnection connection;
    std::u16string error;

    const std::string missing = folder.File("无此文件.xlsx");
    EXPECT_FALSE(connection.OpenWorkbook(missing, error));
    ExpectErrorNaming(error, missing);
    EXPECT_TRUE(connection.Book().sheets.empty());

    const std::string empty = folder.WriteFile("empty.xlsx", "");
    EXPECT_FALSE(connection.OpenWorkbook(empty, error));
    ExpectErrorNaming(error, empty);

    const std::string text = folder.WriteFile("list.xls", "HRB400\t2995\t4\r\nQ235\t6000\t2\r\n");
    EXPECT_FALSE(connection.OpenWorkbook(text, error));
    ExpectErrorNaming(error, text);
    EXPECT_NE(Utf8(error).find("不是电子表格文件"), std::string::npos);

    std::string noise;
    unsigned state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        noise.push_back(static_cast<char>(state >> 16));
    }
    noise[0] = 'x';  // not "PK", not a compound file
    const std::string random = folder.WriteFile("random.xlsx", noise);
    EXPECT_FALSE(connection.OpenWorkbook(random, error));
    ExpectErrorNaming(error, random);

    EXPECT_FALSE(connection.OpenWorkbook(folder.File(""), error));  // a folder
    EXPECT_FALSE(error.empty());
}

TEST(WorkbookFilesTest, DamagedXlsxIsRefusedWithoutCrashing)
{
    TempFolder folder;
    SpreadsheetConnection writer;
    BuildCutList(writer);
    const std::string good = folder.File("good.xlsx");
    std::u16string error;
    ASSERT_TRUE(writer.SaveAs(good, error));
    const std::string bytes = TempFolder::ReadFile(good);
    ASSERT_GT(bytes.size(), 1000u);

    SpreadsheetConnection reader;
    const std::string truncated = folder.WriteFile("truncated.xlsx", bytes.substr(0, bytes.size() / 2));
    EXPECT_FALSE(reader.OpenWorkbook(truncated, error));
    ExpectErrorNaming(error, truncated);
    EXPECT_TRUE(reader.Book().sheets.empty());

    const std::string header = folder.WriteFile("header.xlsx", "PK\x03\x04 this is no zip archive");
    EXPECT_FALSE(reader.OpenWorkbook(header, error));
    ExpectErrorNaming(error, header);

    // Damage in many places: every read ends with true or a named error, never a crash.
    unsigned state = 99;
    for (int attempt = 0; attempt < 150; ++attempt) {
        std::string damaged = bytes;
        for (int hit = 0; hit < 8; ++hit) {
            state = state * 1103515245u + 12345u;
            const std::size_t at = 2 + (state >> 8) % (damaged.size() - 2);
            damaged[at] = static_cast<char>(damaged[at] ^ (1 + (state & 0x7F)));
        }
        Workbook book;
        if (!ReadWorkbookBytes(damaged, book, error, ReadLimits(), "damaged.xlsx")) {
            ExpectErrorNaming(error, "damaged.xlsx");
            EXPECT_TRUE(book.sheets.empty());
        }
    }
}

TEST(WorkbookFilesTest, DamagedAndEncryptedCompoundFilesAreRefused)
{
    TempFolder folder;
    SpreadsheetConnection reader;
    std::u16string error;

    std::string cfb("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    std::string damaged = cfb + std::string(600, '\x07');
    const std::string path = folder.WriteFile("旧格式.xls", damaged);
    EXPECT_FALSE(reader.OpenWorkbook(path, error));
    ExpectErrorNaming(error, path);
    EXPECT_TRUE(reader.Book().sheets.empty());

    const std::string shortFile = folder.WriteFile("short.xls", cfb);
    EXPECT_FALSE(reader.OpenWorkbook(shortFile, error));
    ExpectErrorNaming(error, shortFile);

    // A password-protected workbook is a compound file holding an
    // "EncryptedPackage" stream; its directory entry names it in UTF-16.
    std::string encrypted = cfb + std::string(504, '\0');
    for (char c : std::string("EncryptedPackage")) {
        encrypted.push_back(c);
        encrypted.push_back('\0');
    }
    encrypted += std::string(1024, '\0');
    const std::string locked = folder.WriteFile("locked.xlsx", encrypted);
    EXPECT_FALSE(reader.OpenWorkbook(locked, error));
    ExpectErrorNaming(error, locked);
    EXPECT_NE(Utf8(error).find("密码"), std::string::npos) << Utf8(error);

    Workbook book;
    EXPECT_FALSE(ReadWorkbookBytes(damaged, book, error, ReadLimits(), "mem.xls"));
    ExpectErrorNaming(error, "mem.xls");
}

TEST(WorkbookFilesTest, LegacyXlsIsRead)
{
    // Written by tests/data/automation/make_legacy_xls.py: a BIFF8 workbook with the
    // sheet "下料" (A1 "序 号", B1 "规   格", A2 1, B2 "HRB400Φ12", C2 2995.5, C3 =C2*2)
    // and the sheet "原料" (A1 "x").
    const std::string path = std::string(TREVAK_TEST_DATA_DIR) + "/automation/legacy.xls";
    SpreadsheetConnection reader;
    std::u16string error;
    ASSERT_TRUE(reader.OpenWorkbook(path, error)) << Utf8(error);
    ASSERT_EQ(reader.Book().sheets.size(), 2u);
    EXPECT_EQ(Utf8(reader.Book().sheets[0].name), "下料");
    EXPECT_EQ(Utf8(reader.Book().sheets[1].name), "原料");
    ExpectText(reader, 1, 1, u"序 号");
    ExpectText(reader, 2, 1, u"规   格");
    ExpectNumber(reader, 1, 2, 1);
    ExpectText(reader, 2, 2, u"HRB400Φ12");
    ExpectNumber(reader, 3, 2, 2995.5);
    // freexl does not read formula records: a formula cell of a legacy file reads empty.
    EXPECT_EQ(ValueAt(reader, 3, 3).kind, CellValue::Kind::Empty);
    reader.SelectSheet(2);
    ExpectText(reader, 1, 1, u"x");

    // The same bytes from memory, under another extension.
    Workbook book;
    ASSERT_TRUE(ReadWorkbookBytes(TempFolder::ReadFile(path), book, error)) << Utf8(error);
    ASSERT_EQ(book.sheets.size(), 2u);
    ASSERT_NE(book.sheets[0].Find(3, 2), nullptr);
    EXPECT_EQ(book.sheets[0].Find(3, 2)->number, 2995.5);

    // Reading limits hold for legacy files too.
    reader.SetReadLimit(1);
    ASSERT_TRUE(reader.OpenWorkbook(path, error)) << Utf8(error);
    EXPECT_TRUE(reader.Book().truncated);
    EXPECT_EQ(reader.Book().sheets[0].cells.size(), 2u);  // A1 and B1
}

TEST(WorkbookFilesTest, PasswordProtectedLegacyXlsIsRefused)
{
    // The same workbook with a FILEPASS record, as a password to open leaves it.
    const std::string path = std::string(TREVAK_TEST_DATA_DIR) + "/automation/locked.xls";
    SpreadsheetConnection reader;
    std::u16string error;
    EXPECT_FALSE(reader.OpenWorkbook(path, error));
    ExpectErrorNaming(error, path);
    EXPECT_NE(Utf8(error).find("密码"), std::string::npos) << Utf8(error);
    EXPECT_TRUE(reader.Book().sheets.empty());
}

TEST(WorkbookFilesTest, LegacyXlsThatTrapsTheLibraryIsRefusedWithoutHarm)
{
    // A damaged .xls on which libfreexl overruns a stack buffer inside
    // freexl_open (found by fuzzing). Read in a child process, it can only end
    // that child: the program gets an error naming the file and no cells.
    const std::string path = std::string(TREVAK_TEST_DATA_DIR) + "/automation/freexl-overrun.xls";
    SpreadsheetConnection reader;
    std::u16string error;
    EXPECT_FALSE(reader.OpenWorkbook(path, error));
    EXPECT_NE(Utf8(error).find("freexl-overrun.xls"), std::string::npos) << Utf8(error);
    EXPECT_TRUE(reader.Book().sheets.empty() || reader.Book().sheets[0].cells.empty());
    // The process is unharmed: a sound legacy file still reads.
    SpreadsheetConnection again;
    EXPECT_TRUE(again.OpenWorkbook(std::string(TREVAK_TEST_DATA_DIR) + "/automation/legacy.xls", error))
        << Utf8(error);
}

TEST(WorkbookFilesTest, SaveToAnImpossiblePlaceFailsWithTheName)
{
    TempFolder folder;
    SpreadsheetConnection writer;
    writer.Start();
    const std::string path = folder.File("no-such-folder/out.xlsx");
    std::u16string error;
    EXPECT_FALSE(writer.SaveAs(path, error));
    ExpectErrorNaming(error, path);
}

TEST(WorkbookFilesTest, AwkwardSheetNamesAreMendedSoTheFileStillSaves)
{
    TempFolder folder;
    SpreadsheetConnection writer;
    writer.Start();
    writer.SetSheetName(u"a/b:c*d?[e]");
    writer.AddSheetAfter(1);
    writer.SetSheetName(u"A/B:C*D?[E]");  // the same after mending, ignoring case
    writer.AddSheetAfter(2);
    writer.SetSheetName(std::u16string(40, u'长'));
    writer.AddSheetAfter(3);
    writer.SetSheetName(u"");
    const std::string path = folder.File("names.xlsx");
    std::u16string error;
    ASSERT_TRUE(writer.SaveAs(path, error)) << Utf8(error);
    SpreadsheetConnection reader;
    ASSERT_TRUE(reader.OpenWorkbook(path, error)) << Utf8(error);
    ASSERT_EQ(reader.Book().sheets.size(), 4u);
    EXPECT_EQ(Utf8(reader.Book().sheets[0].name), "a_b_c_d__e_");
    EXPECT_EQ(Utf8(reader.Book().sheets[1].name), "A_B_C_D__E_(2)");
    EXPECT_EQ(reader.Book().sheets[2].name, std::u16string(31, u'长'));
    EXPECT_EQ(Utf8(reader.Book().sheets[3].name), "Sheet");
}

TEST(WorkbookFilesTest, ShowToUserSavesANewReportAndOpensIt)
{
    TempFolder folder;
    const std::string savedDocuments = g_documentsFolder;
    g_documentsFolder = folder.File("文档");
    RecordingWorkbookOpener opener;
    WorkbookOpener* const savedOpener = g_workbookOpener;
    g_workbookOpener = &opener;

    // An older file in the workbook folder stays.
    std::filesystem::create_directories(std::filesystem::u8path(WorkbookFolder()));
    const std::string older = (std::filesystem::u8path(WorkbookFolder()) / "QRM20000101000000.xlsx").u8string();
    folder.WriteFile("dummy", "");
    std::filesystem::copy_file(std::filesystem::u8path(folder.File("dummy")), std::filesystem::u8path(older));

    SpreadsheetConnection connection;
    BuildCutList(connection);
    std::string first, second;
    EXPECT_TRUE(connection.ShowToUser(WorkbookFolder(), MakeReportName(REPORT_PREFIX), first));
    EXPECT_TRUE(connection.ShowToUser(WorkbookFolder(), MakeReportName(REPORT_PREFIX), second));
    ASSERT_EQ(opener.m_opened.size(), 2u);
    EXPECT_EQ(opener.m_opened[0], first);
    EXPECT_NE(first, second);  // the second within the same second gets its own name
    const std::filesystem::path firstPath = std::filesystem::u8path(first);
    EXPECT_EQ(firstPath.parent_path().u8string(), WorkbookFolder());
    EXPECT_EQ(firstPath.parent_path().filename().u8string(), "Trevak_Excel");
    const std::string name = firstPath.filename().string();
    // "QRM", the fourteen digits of the local time, ".xlsx".
    ASSERT_EQ(name.size(), 3u + 14u + 5u) << name;
    EXPECT_EQ(name.substr(0, 3), "QRM");
    EXPECT_EQ(name.find_first_not_of("0123456789", 3), 17u) << name;
    EXPECT_EQ(name.substr(17), ".xlsx");
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(older)));

    SpreadsheetConnection reader;
    std::u16string error;
    ASSERT_TRUE(reader.OpenWorkbook(first, error)) << Utf8(error);
    ExpectReadBackOfCutList(reader);

    // Nothing to open it with: saved all the same, but false.
    g_workbookOpener = nullptr;
    std::string third;
    EXPECT_FALSE(connection.ShowToUser(WorkbookFolder(), MakeReportName(REPORT_PREFIX), third));
    EXPECT_FALSE(third.empty());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(third)));

    g_workbookOpener = &opener;
    opener.m_answer = false;
    std::string fourth;
    EXPECT_FALSE(connection.ShowToUser(WorkbookFolder(), MakeReportName(REPORT_PREFIX), fourth));
    EXPECT_FALSE(fourth.empty());

    g_workbookOpener = savedOpener;
    g_documentsFolder = savedDocuments;
}

TEST(WorkbookFilesTest, ShowToUserSavesUnderTheFolderAndNameItIsGiven)
{
    TempFolder folder;
    // The documents folder points elsewhere: the workbook goes only where the
    // caller says.
    const std::string savedDocuments = g_documentsFolder;
    g_documentsFolder = folder.File("documents");
    RecordingWorkbookOpener opener;
    WorkbookOpener* const savedOpener = g_workbookOpener;
    g_workbookOpener = &opener;

    const std::string target = folder.File("reports/工作簿");  // missing, two levels deep
    SpreadsheetConnection connection;
    BuildCutList(connection);
    std::string first, second, third;
    EXPECT_TRUE(connection.ShowToUser(target, "计划", first));
    EXPECT_TRUE(connection.ShowToUser(target, "计划", second));
    EXPECT_TRUE(connection.ShowToUser(target, "计划", third));
    const std::filesystem::path base = std::filesystem::u8path(target);
    EXPECT_EQ(first, (base / std::filesystem::u8path("计划.xlsx")).u8string());
    EXPECT_EQ(second, (base / std::filesystem::u8path("计划-2.xlsx")).u8string());
    EXPECT_EQ(third, (base / std::filesystem::u8path("计划-3.xlsx")).u8string());
    EXPECT_EQ(opener.m_opened, (std::vector<std::string>{first, second, third}));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(g_documentsFolder)));

    SpreadsheetConnection reader;
    std::u16string error;
    ASSERT_TRUE(reader.OpenWorkbook(third, error)) << Utf8(error);
    ExpectReadBackOfCutList(reader);

    g_workbookOpener = savedOpener;
    g_documentsFolder = savedDocuments;
}

TEST(WorkbookFilesTest, AnotherReaderSeesValuesMergesFillsBordersAndSizes)
{
    if (!HaveOpenpyxl())
        GTEST_SKIP() << "python3 with openpyxl is not available";
    TempFolder folder;
    SpreadsheetConnection writer;
    BuildCutList(writer);
    const std::string path = folder.File("check.xlsx");
    std::u16string error;
    ASSERT_TRUE(writer.SaveAs(path, error)) << Utf8(error);

    const std::string script = folder.WriteFile("check.py", R"PY(
import sys
import openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
def check(condition, what):
    if not condition:
        print("FAILED:", what)
        sys.exit(1)
check(wb.sheetnames == ["下料", "原料统计"], "sheet names %r" % wb.sheetnames)
check(wb.active.title == "下料", "active sheet")
ws = wb["下料"]
check(ws["A1"].value == "Trevak线材下料优化---下料信息", "A1 %r" % ws["A1"].value)
check([str(r) for r in ws.merged_cells.ranges] == ["A1:F1"], "merges %r" % ws.merged_cells.ranges)
check(ws["A1"].font.b and ws["A1"].font.sz == 14, "title font")
check(ws["A1"].fill.fgColor.rgb[-6:] == "C6E0B4", "title fill %r" % ws["A1"].fill.fgColor.rgb)
check(ws["A1"].alignment.horizontal == "center" and ws["A1"].alignment.vertical == "center", "centred")
check(ws["A1"].border.top.style == "medium" and ws["A1"].border.left.style == "medium", "A1 border")
check(ws["A3"].border.top.style == "medium" and ws["A3"].border.left.style == "medium", "A3 border")
check(ws["A3"].border.right.style is None and ws["A3"].border.bottom.style is None, "A3 inner edges")
check(ws["F5"].border.right.style == "medium" and ws["F5"].border.bottom.style == "medium", "F5 border")
check(ws["C4"].border.top.style is None and ws["C4"].border.left.style is None, "C4 inside the block")
check(ws["B2"].border.bottom.style == "thin", "B2 thin border")
check(ws["C3"].value == 2995.5, "C3 %r" % ws["C3"].value)
check(ws["F3"].value == "=C3*D3", "F3 %r" % ws["F3"].value)
check(ws["D5"].value == "=SUM(D3:D4)", "D5 %r" % ws["D5"].value)
check(ws["D4"].value == "不限", "D4")
check(ws.row_dimensions[1].height == 30, "row 1 height %r" % ws.row_dimensions[1].height)
check(abs(ws.column_dimensions["B"].width - 40) < 1, "B width %r" % ws.column_dimensions["B"].width)
check(abs(ws.column_dimensions["A"].width - 7) < 1, "A width %r" % ws.column_dimensions["A"].width)
check(wb["原料统计"]["B2"].value == -0.125, "second sheet")
values = openpyxl.load_workbook(sys.argv[1], data_only=True)["下料"]
check(values["F3"].value == 11982, "cached F3 %r" % values["F3"].value)
check(values["D5"].value == 4, "cached D5 %r" % values["D5"].value)
print("OK")
)PY");
    const std::string command = "/usr/bin/python3 '" + script + "' '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// ---------------------------------------------------------------------------
// Page setup, as the saved file holds it

TEST(WorkbookFilesTest, PageSetupIsSavedForPrinting)
{
    TempFolder folder;
    SpreadsheetConnection c;
    c.Start();
    c.SetSheetName(u"Fitted");
    c.SelectRange(1, 1);
    c.SetValue(u"title");
    c.SetLandscape(true);
    c.SetPaper(9);
    c.FitToPagesWide(1);
    c.SetPrintTitleRows(1, 2);

    c.AddSheetAfter(1);
    c.SetSheetName(u"Scaled");
    c.SelectRange(1, 40);
    c.SetValue(1.0);
    c.FitToPagesWide(1);
    c.SetPrintScale(80);  // the later call counts
    c.AddPageBreakBefore(25);
    c.AddPageBreakBefore(10);
    c.AddPageBreakBefore(1);  // above the first row: no break
    c.AddPageBreakBefore(10);

    c.AddSheetAfter(2);  // plain

    const std::string path = folder.File("print.xlsx");
    std::u16string error;
    ASSERT_TRUE(c.SaveAs(path, error)) << Utf16ToUtf8(error);

    const std::string fitted = XlsxPart(path, "xl/worksheets/sheet1.xml");
    ASSERT_FALSE(fitted.empty());
    EXPECT_EQ(XmlAttribute(fitted, "pageSetup", "orientation"), "landscape");
    EXPECT_EQ(XmlAttribute(fitted, "pageSetup", "paperSize"), "9");
    EXPECT_EQ(XmlAttribute(fitted, "pageSetup", "fitToWidth"), "(none)");  // 1 is the file format's default
    EXPECT_EQ(XmlAttribute(fitted, "pageSetup", "fitToHeight"), "0");
    EXPECT_EQ(XmlAttribute(fitted, "pageSetUpPr", "fitToPage"), "1");
    EXPECT_TRUE(XmlRowBreaks(fitted).empty());

    const std::string scaled = XlsxPart(path, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(XmlAttribute(scaled, "pageSetup", "scale"), "80");
    EXPECT_EQ(XmlAttribute(scaled, "pageSetUpPr", "fitToPage"), "(none)");
    EXPECT_EQ(XmlRowBreaks(scaled), (std::vector<int>{10, 25}));

    const std::string plain = XlsxPart(path, "xl/worksheets/sheet3.xml");
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(XmlAttribute(plain, "pageSetup", "orientation"), "(none)");
    EXPECT_EQ(plain.find("rowBreaks"), std::string::npos);

    // The repeated rows are the workbook's print titles of the first sheet only.
    const std::string workbook = XlsxPart(path, "xl/workbook.xml");
    EXPECT_NE(workbook.find("_xlnm.Print_Titles\" localSheetId=\"0\">Fitted!$1:$2<"), std::string::npos) << workbook;
    EXPECT_EQ(workbook.find("localSheetId=\"1\""), std::string::npos);
}
