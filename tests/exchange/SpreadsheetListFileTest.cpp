#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "exchange/ExampleFiles.h"
#include "exchange/ExampleLists.h"
#include "exchange/SpreadsheetListFile.h"
#include "lists/InputLists.h"
#include "support/TempFolder.h"

namespace {

const uint32_t TITLE_FILL = 0xB4E0C6;  // red 198, green 224, blue 180
const uint32_t BAND_FILL = 0xCCF2FF;   // red 255, green 242, blue 204

InputLists ThreeCutRows()
{
    InputLists lists;
    lists.AppendCutRow(u"Type_1", 2995, 15, u"订单1");
    lists.AppendCutRow(u"Type_1", 4280.5, 8, u"");
    lists.AppendCutRow(u"Q235 圆钢", 985, 20, u"A-7");
    return lists;
}

InputLists StockRows()
{
    InputLists lists;
    lists.AppendStockRow(u"Type_1", 6000, -1, 1);  // unlimited, priority
    lists.AppendStockRow(u"Type_1", 12000, 30, 0);
    lists.AppendStockRow(u"Type_2", 9000, 25, 1);
    lists.AppendStockRow(u"Type_3", 6000, -7, 0);  // unlimited with a remembered count
    return lists;
}

const Cell& At(const Worksheet& sheet, int32_t column, int32_t row)
{
    const Cell* cell = sheet.Find(column, row);
    static const Cell none;
    EXPECT_NE(cell, nullptr) << "no cell at column " << column << " row " << row;
    return cell ? *cell : none;
}

bool HasMerge(const Worksheet& sheet, int32_t column1, int32_t row1, int32_t column2, int32_t row2)
{
    for (const CellRange& r : sheet.merges) {
        if (r.column1 == column1 && r.row1 == row1 && r.column2 == column2 && r.row2 == row2)
            return true;
    }
    return false;
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

void ExpectFormula(const Worksheet& sheet, int32_t column, int32_t row, const std::u16string& formula, double value)
{
    const Cell& cell = At(sheet, column, row);
    EXPECT_EQ(cell.kind, Cell::Kind::Formula) << "column " << column << " row " << row;
    EXPECT_EQ(cell.text, formula) << "column " << column << " row " << row;
    EXPECT_FALSE(cell.resultIsText);
    EXPECT_DOUBLE_EQ(cell.resultNumber, value) << "column " << column << " row " << row;
}

// A sheet built cell by cell, as a user would type it.
class SheetBuilder {
public:
    SheetBuilder() { m_sheet.Start(); }

    SheetBuilder& Text(int32_t column, int32_t row, const std::u16string& text)
    {
        m_sheet.SelectRange(column, row);
        m_sheet.SetValue(text);
        return *this;
    }
    SheetBuilder& Number(int32_t column, int32_t row, double number)
    {
        m_sheet.SelectRange(column, row);
        m_sheet.SetValue(number);
        return *this;
    }
    SheetBuilder& Formula(int32_t column, int32_t row, const std::u16string& formula)
    {
        m_sheet.SelectRange(column, row);
        m_sheet.SetFormula(formula);
        return *this;
    }
    // B, C, D (and E) of one row: specification, length, quantity (and mark).
    SheetBuilder& Row(int32_t row, const std::u16string& spec, double length, double quantity,
                      const std::u16string& mark = u"")
    {
        Text(2, row, spec).Number(3, row, length).Number(4, row, quantity);
        if (!mark.empty())
            Text(5, row, mark);
        return *this;
    }

    SpreadsheetImportReport Read(ListKind kind, InputLists& lists) { return ReadListSheet(m_sheet, kind, lists); }

    std::string Save(const TempFolder& folder, const std::string& name)
    {
        const std::string path = folder.File(name);
        std::u16string error;
        EXPECT_TRUE(m_sheet.SaveAs(path, error)) << Utf16ToUtf8(error);
        return path;
    }

private:
    SpreadsheetConnection m_sheet;
};

void ExpectSameCutRows(const InputLists& actual, const InputLists& expected)
{
    ASSERT_EQ(actual.CutRowCount(), expected.CutRowCount());
    for (std::size_t i = 0; i < expected.CutRowCount(); ++i) {
        EXPECT_EQ(actual.m_cutSpec[i], expected.m_cutSpec[i]) << "row " << i;
        EXPECT_EQ(actual.m_cutLength[i], expected.m_cutLength[i]) << "row " << i;
        EXPECT_EQ(actual.m_cutQuantity[i], expected.m_cutQuantity[i]) << "row " << i;
        EXPECT_EQ(actual.m_cutMark[i], expected.m_cutMark[i]) << "row " << i;
    }
}

void ExpectSameStockRows(const InputLists& actual, const InputLists& expected)
{
    ASSERT_EQ(actual.StockRowCount(), expected.StockRowCount());
    for (std::size_t i = 0; i < expected.StockRowCount(); ++i) {
        EXPECT_EQ(actual.m_stockSpec[i], expected.m_stockSpec[i]) << "row " << i;
        EXPECT_EQ(actual.m_stockLength[i], expected.m_stockLength[i]) << "row " << i;
        EXPECT_EQ(actual.m_stockQuantity[i], expected.m_stockQuantity[i]) << "row " << i;
        EXPECT_EQ(actual.m_stockPriority[i], expected.m_stockPriority[i]) << "row " << i;
    }
}

// ---------------------------------------------------------------- export layout

TEST(SpreadsheetExportTest, CutSheetTitleHeaderRowsAndTotals)
{
    SpreadsheetConnection connection;
    BuildListWorkbook(connection, LIST_CUT, ThreeCutRows());
    ASSERT_EQ(connection.Book().sheets.size(), 1u);
    const Worksheet& sheet = connection.Book().sheets[0];
    EXPECT_EQ(sheet.name, u"下料");

    // Row 1: the title in A1, merged over A1:F1, the cells under it empty.
    EXPECT_TRUE(HasMerge(sheet, 1, 1, 6, 1));
    ExpectText(sheet, 1, 1, u"Trevak线材下料优化---下料信息");
    for (int32_t column = 2; column <= 6; ++column) {
        const Cell* cell = sheet.Find(column, 1);
        EXPECT_TRUE(cell == nullptr || cell->kind == Cell::Kind::Empty) << column;
    }

    // Row 2: the header.
    const std::u16string header[] = {u"序 号", u"规   格", u"长 度", u"数 量", u"标   记", u"总 长"};
    for (int32_t column = 1; column <= 6; ++column)
        ExpectText(sheet, column, 2, header[column - 1]);

    // Rows 3 to 5: serial number, the row, and the total length of the row.
    ExpectNumber(sheet, 1, 3, 1);
    ExpectText(sheet, 2, 3, u"Type_1");
    ExpectNumber(sheet, 3, 3, 2995);
    ExpectNumber(sheet, 4, 3, 15);
    ExpectText(sheet, 5, 3, u"订单1");
    ExpectFormula(sheet, 6, 3, u"=C3*D3", 2995.0 * 15);

    ExpectNumber(sheet, 1, 4, 2);
    ExpectNumber(sheet, 3, 4, 4280.5);
    ExpectText(sheet, 5, 4, u"");  // a row without a mark still gets its (empty) cell
    ExpectFormula(sheet, 6, 4, u"=C4*D4", 4280.5 * 8);

    ExpectNumber(sheet, 1, 5, 3);
    ExpectText(sheet, 2, 5, u"Q235 圆钢");  // blanks of a specification are written as they are
    ExpectFormula(sheet, 6, 5, u"=C5*D5", 985.0 * 20);

    // Row 6: totals over rows 3 to 5: 15 + 8 + 20 pieces.
    ExpectText(sheet, 3, 6, u"汇 总");
    ExpectFormula(sheet, 4, 6, u"=SUM(D3:D5)", 43);
    ExpectFormula(sheet, 6, 6, u"=SUM(F3:F5)", 2995.0 * 15 + 4280.5 * 8 + 985.0 * 20);
    const Cell* e6 = sheet.Find(5, 6);
    EXPECT_TRUE(e6 == nullptr || e6->kind == Cell::Kind::Empty || (e6->kind == Cell::Kind::Text && e6->text.empty()));
    EXPECT_EQ(sheet.Find(1, 6) == nullptr || sheet.Find(1, 6)->kind == Cell::Kind::Empty, true);

    // Nothing below the totals.
    for (int32_t column = 1; column <= 6; ++column) {
        const Cell* cell = sheet.Find(column, 7);
        EXPECT_TRUE(cell == nullptr || cell->kind == Cell::Kind::Empty) << column;
    }
}

TEST(SpreadsheetExportTest, CutSheetFormatting)
{
    SpreadsheetConnection connection;
    BuildListWorkbook(connection, LIST_CUT, ThreeCutRows());
    const Worksheet& sheet = connection.Book().sheets[0];

    // Title: bold 14, black, centred, green fill, a medium outline.
    const CellFormat& title = At(sheet, 1, 1).format;
    EXPECT_TRUE(title.bold);
    EXPECT_EQ(title.fontSize, 14);
    EXPECT_EQ(title.fontColour, 0u);
    EXPECT_TRUE(title.centred);
    EXPECT_TRUE(title.hasFill);
    EXPECT_EQ(title.fill, TITLE_FILL);
    EXPECT_EQ(title.top.weight, 3);
    EXPECT_EQ(title.left.weight, 3);
    EXPECT_EQ(title.bottom.weight, 3);
    EXPECT_EQ(At(sheet, 6, 1).format.right.weight, 3);
    EXPECT_EQ(At(sheet, 6, 1).format.right.lineStyle, 1);
    EXPECT_EQ(sheet.rowHeights.at(1), 30);

    // Header: bold 11, yellow fill; a medium outline around the band, thin
    // borders between its cells.
    for (int32_t column = 1; column <= 6; ++column) {
        const CellFormat& f = At(sheet, column, 2).format;
        EXPECT_TRUE(f.bold) << column;
        EXPECT_EQ(f.fontSize, 11) << column;
        EXPECT_TRUE(f.centred) << column;
        EXPECT_TRUE(f.hasFill) << column;
        EXPECT_EQ(f.fill, BAND_FILL) << column;
        EXPECT_EQ(f.top.weight, 3) << column;
        EXPECT_EQ(f.bottom.weight, 3) << column;
    }
    EXPECT_EQ(At(sheet, 1, 2).format.left.weight, 3);
    EXPECT_EQ(At(sheet, 6, 2).format.right.weight, 3);
    EXPECT_EQ(At(sheet, 3, 2).format.right.weight, 2);
    EXPECT_EQ(At(sheet, 3, 2).format.right.lineStyle, 1);
    EXPECT_EQ(sheet.rowHeights.at(2), 19);

    // List rows: not bold, size 11, centred, no fill; the block outlined.
    for (int32_t row = 3; row <= 5; ++row) {
        for (int32_t column = 1; column <= 6; ++column) {
            const CellFormat& f = At(sheet, column, row).format;
            EXPECT_FALSE(f.bold) << column << "," << row;
            EXPECT_EQ(f.fontSize, 11) << column << "," << row;
            EXPECT_TRUE(f.centred) << column << "," << row;
            EXPECT_FALSE(f.hasFill) << column << "," << row;
        }
        EXPECT_EQ(At(sheet, 1, row).format.left.weight, 3) << row;
        EXPECT_EQ(At(sheet, 6, row).format.right.weight, 3) << row;
        EXPECT_EQ(At(sheet, 3, row).format.left.weight, 2) << row;  // thin between cells
        EXPECT_EQ(sheet.rowHeights.at(row), 19) << row;
    }
    EXPECT_EQ(At(sheet, 2, 3).format.top.weight, 3);
    EXPECT_EQ(At(sheet, 2, 4).format.top.weight, 2);
    EXPECT_EQ(At(sheet, 2, 5).format.bottom.weight, 3);

    // Totals: C to F bold with the yellow fill and an outline; A and B untouched.
    for (int32_t column = 3; column <= 6; ++column) {
        const CellFormat& f = At(sheet, column, 6).format;
        EXPECT_TRUE(f.bold) << column;
        EXPECT_TRUE(f.hasFill) << column;
        EXPECT_EQ(f.fill, BAND_FILL) << column;
        EXPECT_EQ(f.bottom.weight, 3) << column;
    }
    EXPECT_EQ(At(sheet, 3, 6).format.left.weight, 3);
    EXPECT_EQ(At(sheet, 6, 6).format.right.weight, 3);
    EXPECT_EQ(At(sheet, 4, 6).format.right.weight, 2);  // D's own thin border, E has none
    const Cell* b6 = sheet.Find(2, 6);
    EXPECT_TRUE(b6 == nullptr || !b6->format.hasFill);
    EXPECT_EQ(sheet.rowHeights.at(6), 19);

    // Every column of the cut sheet has a fitted, whole width.
    for (int32_t column = 1; column <= 6; ++column) {
        ASSERT_EQ(sheet.columnWidths.count(column), 1u) << column;
        const double width = sheet.columnWidths.at(column);
        EXPECT_GT(width, 0) << column;
        EXPECT_EQ(width, double(int64_t(width))) << column;
    }
}

TEST(SpreadsheetExportTest, StockSheetUnlimitedRowsAndPriority)
{
    SpreadsheetConnection connection;
    BuildListWorkbook(connection, LIST_STOCK, StockRows());
    const Worksheet& sheet = connection.Book().sheets[0];
    EXPECT_EQ(sheet.name, u"原料");
    ExpectText(sheet, 1, 1, u"Trevak线材下料优化---原料信息");
    ExpectText(sheet, 5, 2, u"优先级");
    ExpectText(sheet, 6, 2, u"总 长");

    // Unlimited stock: "不限" and no total length.
    ExpectText(sheet, 4, 3, u"不限");
    ExpectText(sheet, 6, 3, u"---");
    ExpectText(sheet, 5, 3, u"优先");
    ExpectNumber(sheet, 4, 4, 30);
    ExpectText(sheet, 5, 4, u"");
    ExpectFormula(sheet, 6, 4, u"=C4*D4", 12000.0 * 30);
    ExpectText(sheet, 5, 5, u"优先");
    ExpectFormula(sheet, 6, 5, u"=C5*D5", 9000.0 * 25);
    // -7 is unlimited too.
    ExpectText(sheet, 4, 6, u"不限");
    ExpectText(sheet, 6, 6, u"---");

    // The totals still sum D and F; the texts count for nothing.
    ExpectText(sheet, 3, 7, u"汇 总");
    ExpectFormula(sheet, 4, 7, u"=SUM(D3:D6)", 30 + 25);
    ExpectFormula(sheet, 6, 7, u"=SUM(F3:F6)", 12000.0 * 30 + 9000.0 * 25);

    // The stock sheet fits A to E only; F keeps no width of its own.
    EXPECT_EQ(sheet.columnWidths.count(6), 0u);
    for (int32_t column = 1; column <= 5; ++column)
        EXPECT_EQ(sheet.columnWidths.count(column), 1u) << column;
}

TEST(SpreadsheetExportTest, EmptyListGetsTitleHeaderAndZeroTotals)
{
    SpreadsheetConnection connection;
    BuildListWorkbook(connection, LIST_CUT, InputLists());
    const Worksheet& sheet = connection.Book().sheets[0];
    ExpectText(sheet, 1, 1, u"Trevak线材下料优化---下料信息");
    ExpectText(sheet, 2, 2, u"规   格");
    // The totals row is row 3; a SUM over rows 3 to 2 would include itself.
    ExpectText(sheet, 3, 3, u"汇 总");
    ExpectNumber(sheet, 4, 3, 0);
    ExpectNumber(sheet, 6, 3, 0);
    EXPECT_TRUE(At(sheet, 3, 3).format.bold);
    EXPECT_EQ(At(sheet, 3, 3).format.fill, BAND_FILL);
    EXPECT_EQ(sheet.formulas.size(), 0u);
}

TEST(SpreadsheetExportTest, FormulaLikeTextsStayTexts)
{
    InputLists lists;
    lists.AppendCutRow(u"=1+1", 100, 2, u"=SUM(A1:A2)");
    SpreadsheetConnection connection;
    BuildListWorkbook(connection, LIST_CUT, lists);
    const Worksheet& sheet = connection.Book().sheets[0];
    ExpectText(sheet, 2, 3, u"=1+1");
    ExpectText(sheet, 5, 3, u"=SUM(A1:A2)");
}

TEST(SpreadsheetExportTest, ExportToAFolderThatDoesNotExistFailsNamingTheFile)
{
    TempFolder folder;
    const std::string path = folder.File("missing/list.xlsx");
    std::u16string error;
    EXPECT_FALSE(ExportSpreadsheetList(path, LIST_CUT, ThreeCutRows(), error));
    EXPECT_NE(error.find(u"list.xlsx"), std::u16string::npos);
}

// ---------------------------------------------------------------- round trips

TEST(SpreadsheetRoundTripTest, ExportedCutSheetReadsBackAsTheSameThreeRows)
{
    TempFolder folder;
    const std::string path = folder.File("cut.xls");  // .xlsx content whatever the name
    std::u16string error;
    ASSERT_TRUE(ExportSpreadsheetList(path, LIST_CUT, ThreeCutRows(), error));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(TempFolder::ReadFile(path).substr(0, 2), "PK");

    InputLists lists;
    const SpreadsheetImportReport report = ImportSpreadsheetList(path, LIST_CUT, lists);
    ASSERT_TRUE(report.m_opened) << Utf16ToUtf8(report.m_error);
    // The blank inside "Q235 圆钢" is removed on reading, as the list editors do.
    InputLists expected = ThreeCutRows();
    expected.m_cutSpec[2] = u"Q235圆钢";
    ExpectSameCutRows(lists, expected);
    // Rows 1 and 2 (title, header) are bad, 3 to 5 good, then the totals row
    // and four empty rows end the reading at row 10.
    EXPECT_EQ(report.m_goodRowCount, 3);
    EXPECT_EQ(report.m_rowCount, 10);
    EXPECT_EQ(report.m_badRowCount, 7);
    // None of them looks like a broken list row.
    EXPECT_EQ(report.m_reportedBadRowCount, 0);
    EXPECT_TRUE(report.m_badRowText.empty());
    EXPECT_TRUE(report.m_error.empty());
    EXPECT_FALSE(report.m_truncated);
}

TEST(SpreadsheetRoundTripTest, StockListWithUnlimitedRowsAndPriority)
{
    TempFolder folder;
    const std::string path = folder.File("stock.xlsx");
    std::u16string error;
    ASSERT_TRUE(ExportSpreadsheetList(path, LIST_STOCK, StockRows(), error));
    InputLists lists;
    const SpreadsheetImportReport report = ImportSpreadsheetList(path, LIST_STOCK, lists);
    ASSERT_TRUE(report.m_opened) << Utf16ToUtf8(report.m_error);
    InputLists expected = StockRows();
    expected.m_stockQuantity[3] = -1;  // "不限" reads as unlimited without the remembered count
    ExpectSameStockRows(lists, expected);
    EXPECT_EQ(report.m_reportedBadRowCount, 0);
}

TEST(SpreadsheetRoundTripTest, ImportAppendsAfterTheRowsTheListHolds)
{
    TempFolder folder;
    const std::string path = folder.File("cut.xlsx");
    std::u16string error;
    ASSERT_TRUE(ExportSpreadsheetList(path, LIST_CUT, ThreeCutRows(), error));
    InputLists lists;
    lists.AppendCutRow(u"Old", 100, 1, u"");
    lists.AppendStockRow(u"S", 6000, 3, 0);
    ImportSpreadsheetList(path, LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 4u);
    EXPECT_EQ(lists.m_cutSpec[0], u"Old");
    EXPECT_EQ(lists.m_cutSpec[1], u"Type_1");
    EXPECT_EQ(lists.StockRowCount(), 1u);  // the other list is left alone
}

TEST(SpreadsheetRoundTripTest, ExampleWorkbooksReadAsTheExampleRows)
{
    TempFolder folder;
    const InputLists example = ExampleJobLists();
    for (ListKind kind : {LIST_CUT, LIST_STOCK}) {
        const std::string path = folder.File(kind == LIST_CUT ? "cut-example.xlsx" : "stock-example.xlsx");
        std::u16string error;
        ASSERT_TRUE(WriteExampleWorkbook(path, kind, error));
        InputLists lists;
        const SpreadsheetImportReport report = ImportSpreadsheetList(path, kind, lists);
        ASSERT_TRUE(report.m_opened) << Utf16ToUtf8(report.m_error);
        // The header in row 1 is a bad row passed over without a report.
        EXPECT_EQ(report.m_reportedBadRowCount, 0);
        if (kind == LIST_CUT) {
            EXPECT_EQ(report.m_goodRowCount, 15);
            ExpectSameCutRows(lists, example);
        } else {
            EXPECT_EQ(report.m_goodRowCount, 4);
            ExpectSameStockRows(lists, example);
        }
        // Header, then five empty rows after the table.
        EXPECT_EQ(report.m_badRowCount, 6);
    }
}

// ---------------------------------------------------------------- cell conversion

TEST(SpreadsheetImportTest, NumberLengthAndTextQuantity)
{
    SheetBuilder sheet;
    sheet.Text(2, 1, u"Type_1").Number(3, 1, 2995).Text(4, 1, u"15");
    // The blank goes first, then the quantity rule reads the leading digits.
    sheet.Text(2, 2, u"Type_1").Number(3, 2, 2995).Text(4, 2, u"15 块");
    sheet.Text(2, 3, u"Type_1").Text(3, 3, u"2995.5mm").Number(4, 3, 3);
    sheet.Text(2, 4, u"Type_1").Text(3, 4, u" 1 200 ").Text(4, 4, u"\u00A02\u3000");
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 4u);
    EXPECT_EQ(lists.m_cutLength[0], 2995);
    EXPECT_EQ(lists.m_cutQuantity[0], 15);
    EXPECT_EQ(lists.m_cutQuantity[1], 15);
    EXPECT_EQ(lists.m_cutLength[2], 2995.5);
    EXPECT_EQ(lists.m_cutLength[3], 1200);
    EXPECT_EQ(lists.m_cutQuantity[3], 2);
    EXPECT_EQ(report.m_goodRowCount, 4);
}

TEST(SpreadsheetImportTest, NumberSpecificationsAndMarksReadAsTheyShow)
{
    SheetBuilder sheet;
    sheet.Number(2, 1, 12.7).Number(3, 1, 100).Number(4, 1, 1).Number(5, 1, 2024);
    sheet.Number(2, 2, 12).Number(3, 2, 100).Number(4, 2, 1).Number(5, 2, -3.25);
    sheet.Number(2, 3, 1234567).Number(3, 3, 100).Number(4, 3, 1);
    InputLists lists;
    sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 3u);
    // 12.7 stays 12.7: cutting it to 12 would merge it with the specification 12.
    EXPECT_EQ(lists.m_cutSpec[0], u"12.7");
    EXPECT_EQ(lists.m_cutMark[0], u"2024");
    EXPECT_EQ(lists.m_cutSpec[1], u"12");
    EXPECT_EQ(lists.m_cutMark[1], u"-3.25");
    EXPECT_EQ(lists.m_cutSpec[2], u"1234567");
    EXPECT_EQ(lists.m_cutMark[2], u"");
}

TEST(SpreadsheetImportTest, BlanksAreRemovedFromTexts)
{
    SheetBuilder sheet;
    sheet.Text(2, 1, u" Q 235\u3000").Number(3, 1, 100).Number(4, 1, 1).Text(5, 1, u"订\u00A0单 1");
    InputLists lists;
    sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 1u);
    EXPECT_EQ(lists.m_cutSpec[0], u"Q235");
    EXPECT_EQ(lists.m_cutMark[0], u"订单1");
}

TEST(SpreadsheetImportTest, StockQuantitiesAndPriority)
{
    SheetBuilder sheet;
    sheet.Text(2, 1, u"Type_1").Number(3, 1, 6000).Text(4, 1, u"不限").Text(5, 1, u"优先");
    sheet.Text(2, 2, u"Type_1").Number(3, 2, 6000).Number(4, 2, 0).Number(5, 2, 1);  // number 1 is no priority
    sheet.Text(2, 3, u"Type_2").Number(3, 3, 9000).Number(4, 3, -5).Text(5, 3, u"优 先");
    sheet.Text(2, 4, u"Type_2").Number(3, 4, 9000).Number(4, 4, 30).Text(5, 4, u"优先使用");
    sheet.Text(2, 5, u"Type_3").Number(3, 5, 9000);  // empty quantity: unlimited
    InputLists lists;
    sheet.Read(LIST_STOCK, lists);
    ASSERT_EQ(lists.StockRowCount(), 5u);
    EXPECT_EQ(lists.m_stockQuantity[0], -1);
    EXPECT_EQ(lists.m_stockPriority[0], 1);
    EXPECT_EQ(lists.m_stockQuantity[1], -1);
    EXPECT_EQ(lists.m_stockPriority[1], 0);
    EXPECT_EQ(lists.m_stockQuantity[2], -5);  // stored as read
    EXPECT_EQ(lists.m_stockPriority[2], 1);   // the blank is removed first
    EXPECT_EQ(lists.m_stockQuantity[3], 30);
    EXPECT_EQ(lists.m_stockPriority[3], 0);
    EXPECT_EQ(lists.m_stockQuantity[4], -1);
}

TEST(SpreadsheetImportTest, NumbersThatAreNotQuantitiesMakeTheRowBad)
{
    // Each bad row sits between good ones so that reading goes on.
    SheetBuilder sheet;
    sheet.Row(1, u"G", 100, 1);
    sheet.Row(2, u"A", 100, 2.5);           // not a whole number: not read as 2
    sheet.Row(3, u"G", 100, 2);
    sheet.Row(4, u"B", 100, 3e9);           // beyond the 32-bit range
    sheet.Row(5, u"G", 100, 3);
    sheet.Row(6, u"C", 100, 2147483647);    // the largest quantity is fine
    sheet.Text(2, 7, u"D").Number(3, 7, 100).Text(4, 7, u"1.5");  // refused by the quantity text rule
    sheet.Row(8, u"G", 100, 4);
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 5u);
    EXPECT_EQ(lists.m_cutQuantity[0], 1);
    EXPECT_EQ(lists.m_cutQuantity[1], 2);
    EXPECT_EQ(lists.m_cutQuantity[2], 3);
    EXPECT_EQ(lists.m_cutSpec[3], u"C");
    EXPECT_EQ(lists.m_cutQuantity[3], 2147483647);
    EXPECT_EQ(lists.m_cutQuantity[4], 4);
    EXPECT_EQ(report.m_reportedBadRowCount, 3);
    EXPECT_EQ(report.m_badRowText,
              u"以下各行数据格式有误:\n\n第2行: A   100   2.5\n\n第4行: B   100   3000000000\n\n第7行: D   100   1.5\n\n");
}

TEST(SpreadsheetImportTest, RowRulesOfTheTextImport)
{
    SheetBuilder sheet;
    sheet.Row(1, u"G", 100, 1);
    sheet.Row(2, u"", 100, 1);               // no specification
    sheet.Row(3, u"G", 100, 1);
    sheet.Row(4, u"A", 0, 1);                // length 0
    sheet.Row(5, u"A", -100, 1);             // negative length
    sheet.Text(2, 6, u"A").Text(3, 6, u"abc").Number(4, 6, 1);  // no number in the length
    sheet.Row(7, u"G", 100, 1);
    sheet.Row(8, u"A", 100, 0);              // a cut quantity must be above 0
    sheet.Row(9, u"A", 100, -2);
    sheet.Row(10, u"G", 100, 1);
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    EXPECT_EQ(lists.CutRowCount(), 4u);
    EXPECT_EQ(report.m_goodRowCount, 4);
    EXPECT_EQ(report.m_reportedBadRowCount, 6);
    // The sixth reported row adds the dots once.
    EXPECT_NE(report.m_badRowText.find(u"第2行:    100   1\n\n"), std::u16string::npos) << "row without a specification";
    EXPECT_NE(report.m_badRowText.find(u"第8行: A   100   0\n\n"), std::u16string::npos);
    EXPECT_EQ(report.m_badRowText.find(u"第9行"), std::u16string::npos);
    EXPECT_EQ(report.m_badRowText.substr(report.m_badRowText.size() - 14), u"\n............\n");
}

TEST(SpreadsheetImportTest, TextsLongerThan99UnitsMakeTheRowBad)
{
    const std::u16string spec99(99, u'规');
    const std::u16string spec100(100, u'规');
    SheetBuilder sheet;
    sheet.Row(1, spec99, 100, 1, std::u16string(99, u'M'));
    sheet.Row(2, spec100, 100, 1);
    sheet.Row(3, u"A", 100, 1, std::u16string(100, u'M'));
    // 100 units with a blank among them: 99 once the blank is gone.
    sheet.Row(4, std::u16string(50, u'x') + u" " + std::u16string(49, u'x'), 100, 1);
    InputLists lists;
    sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 2u);
    EXPECT_EQ(lists.m_cutSpec[0], spec99);
    EXPECT_EQ(lists.m_cutSpec[1], std::u16string(99, u'x'));
}

TEST(SpreadsheetImportTest, FormulaCellsGiveTheirValues)
{
    SheetBuilder sheet;
    sheet.Text(2, 1, u"Type_1").Formula(3, 1, u"=1000+500").Formula(4, 1, u"=2*3");
    InputLists lists;
    sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 1u);
    EXPECT_EQ(lists.m_cutLength[0], 1500);
    EXPECT_EQ(lists.m_cutQuantity[0], 6);
}

TEST(SpreadsheetImportTest, ColumnsAAndFOnAreIgnored)
{
    SheetBuilder sheet;
    sheet.Text(1, 1, u"ignored").Row(1, u"A", 100, 1, u"m").Text(6, 1, u"also ignored").Number(7, 1, 5);
    sheet.Number(1, 2, 7).Number(6, 2, 9);  // a row with A and F only is empty
    sheet.Row(3, u"B", 200, 2);
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 2u);
    EXPECT_EQ(lists.m_cutMark[0], u"m");
    EXPECT_EQ(report.m_reportedBadRowCount, 0);  // row 2 is empty where it is read
}

// ---------------------------------------------------------------- the five bad rows

TEST(SpreadsheetImportTest, FiveEmptyRowsEndTheReading)
{
    SheetBuilder sheet;
    sheet.Row(1, u"A", 100, 1).Row(2, u"A", 200, 1);
    // Rows 3 to 7 empty: row 8 is never read.
    sheet.Row(8, u"B", 300, 1);
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    EXPECT_EQ(lists.CutRowCount(), 2u);
    EXPECT_EQ(report.m_rowCount, 7);
    EXPECT_EQ(report.m_badRowCount, 5);
}

TEST(SpreadsheetImportTest, FourEmptyRowsArePassedOver)
{
    SheetBuilder sheet;
    sheet.Row(1, u"A", 100, 1).Row(2, u"A", 200, 1);
    // Rows 3 to 6 empty.
    sheet.Row(7, u"B", 300, 1);
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), 3u);
    EXPECT_EQ(lists.m_cutSpec[2], u"B");
    EXPECT_EQ(report.m_rowCount, 12);  // row 7, then rows 8 to 12 end it
    EXPECT_EQ(report.m_reportedBadRowCount, 0);  // empty rows are never reported
}

TEST(SpreadsheetImportTest, BadRowsCountInARowOnlyUntilTheNextGoodRow)
{
    SheetBuilder sheet;
    for (int32_t block = 0; block < 3; ++block) {
        const int32_t first = 1 + block * 5;
        for (int32_t i = 0; i < 4; ++i)
            sheet.Text(2, first + i, u"bad").Text(3, first + i, u"x").Number(4, first + i, 1);
        sheet.Row(first + 4, u"G", 100, 1);
    }
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    EXPECT_EQ(lists.CutRowCount(), 3u);
    // The four bad rows before the first good row are the sheet's heading and
    // pass silently; the eight between good rows are reported.
    EXPECT_EQ(report.m_reportedBadRowCount, 8);
    EXPECT_EQ(report.m_badRowText.find(u"第4行"), std::u16string::npos);
    EXPECT_NE(report.m_badRowText.find(u"第6行: bad   x   1\n\n"), std::u16string::npos);
}

TEST(SpreadsheetImportTest, ARowAfterTheTableIsReportedWhenItHasASpecification)
{
    SheetBuilder sheet;
    sheet.Row(1, u"A", 100, 1);
    sheet.Text(2, 2, u"B").Number(3, 2, 100).Text(4, 2, u"x2");  // a broken last row
    sheet.Text(3, 3, u"汇 总").Number(4, 3, 1);                   // totals: no specification
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    EXPECT_EQ(lists.CutRowCount(), 1u);
    EXPECT_EQ(report.m_reportedBadRowCount, 1);
    EXPECT_EQ(report.m_badRowText, u"以下各行数据格式有误:\n\n第2行: B   100   x2\n\n");
}

TEST(SpreadsheetImportTest, ASheetWithoutGoodRowsReportsWhatItRead)
{
    // Data shifted one column to the left: every row is bad, and the user is
    // told which rows were read.
    SheetBuilder sheet;
    sheet.Text(1, 1, u"Type_1").Number(2, 1, 2995).Number(3, 1, 15);
    sheet.Text(1, 2, u"Type_1").Number(2, 2, 4280).Number(3, 2, 8);
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    EXPECT_EQ(lists.CutRowCount(), 0u);
    EXPECT_EQ(report.m_reportedBadRowCount, 2);
    EXPECT_EQ(report.m_badRowText, u"以下各行数据格式有误:\n\n第1行: 2995   15\n\n第2行: 4280   8\n\n");
}

TEST(SpreadsheetImportTest, ReportedRowTextIsCut)
{
    SheetBuilder sheet;
    sheet.Row(1, u"G", 100, 1);
    sheet.Text(2, 2, std::u16string(1000, u'y')).Text(3, 2, u"x");
    sheet.Row(3, u"G", 100, 1);
    InputLists lists;
    const SpreadsheetImportReport report = sheet.Read(LIST_CUT, lists);
    ASSERT_EQ(report.m_reportedBadRowCount, 1);
    EXPECT_EQ(report.m_badRowText, u"以下各行数据格式有误:\n\n第2行: " + std::u16string(255, u'y') + u"\n\n");
}

TEST(SpreadsheetImportTest, ALongSheetIsReadRowByRow)
{
    // 60000 good rows: reading is linear in the rows read.
    SpreadsheetConnection connection;
    connection.Start();
    Worksheet& data = connection.Book().sheets[0];
    const int32_t rows = 60000;
    for (int32_t r = 1; r <= rows; ++r) {
        Cell spec;
        spec.kind = Cell::Kind::Text;
        spec.text = u"S";
        Cell length;
        length.kind = Cell::Kind::Number;
        length.number = 1000 + r;
        Cell quantity;
        quantity.kind = Cell::Kind::Number;
        quantity.number = 1;
        data.cells[{r, 2}] = spec;
        data.cells[{r, 3}] = length;
        data.cells[{r, 4}] = quantity;
    }
    InputLists lists;
    const SpreadsheetImportReport report = ReadListSheet(connection, LIST_CUT, lists);
    ASSERT_EQ(lists.CutRowCount(), std::size_t(rows));
    EXPECT_EQ(lists.m_cutLength.back(), 1000 + rows);
    EXPECT_EQ(report.m_rowCount, rows + 5);
}

// ---------------------------------------------------------------- unreadable files

TEST(SpreadsheetImportTest, MissingFileAddsNothingAndNamesTheFile)
{
    TempFolder folder;
    InputLists lists;
    lists.AppendCutRow(u"Old", 100, 1, u"");
    const SpreadsheetImportReport report = ImportSpreadsheetList(folder.File("nowhere.xlsx"), LIST_CUT, lists);
    EXPECT_FALSE(report.m_opened);
    EXPECT_NE(report.m_error.find(u"nowhere.xlsx"), std::u16string::npos);
    EXPECT_EQ(lists.CutRowCount(), 1u);
    EXPECT_EQ(report.m_goodRowCount, 0);
    EXPECT_EQ(report.m_rowCount, 0);
}

TEST(SpreadsheetImportTest, CorruptFilesAddNothingAndNameTheFile)
{
    TempFolder folder;
    const std::string files[] = {
        folder.WriteFile("broken.xlsx", std::string("PK\x03\x04", 4) + std::string(200, '\x7f')),
        folder.WriteFile("legacy.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(100, '\0')),
        folder.WriteFile("plain.xls", "Type_1   2995   15\r\n"),
        folder.WriteFile("empty.xlsx", ""),
    };
    for (const std::string& path : files) {
        InputLists lists;
        const SpreadsheetImportReport report = ImportSpreadsheetList(path, LIST_STOCK, lists);
        EXPECT_FALSE(report.m_opened) << path;
        EXPECT_EQ(lists.StockRowCount(), 0u) << path;
        const std::string name = path.substr(path.rfind('/') + 1);
        EXPECT_NE(report.m_error.find(std::u16string(name.begin(), name.end())), std::u16string::npos)
            << path << ": " << Utf16ToUtf8(report.m_error);
    }
}

TEST(SpreadsheetImportTest, ExportedFileNamedWithAChineseNameReadsBack)
{
    TempFolder folder;
    const std::string path = folder.File("下料清单.xlsx");
    std::u16string error;
    ASSERT_TRUE(ExportSpreadsheetList(path, LIST_CUT, ThreeCutRows(), error));
    InputLists lists;
    const SpreadsheetImportReport report = ImportSpreadsheetList(path, LIST_CUT, lists);
    EXPECT_TRUE(report.m_opened) << Utf16ToUtf8(report.m_error);
    EXPECT_EQ(lists.CutRowCount(), 3u);
}

}  // namespace
