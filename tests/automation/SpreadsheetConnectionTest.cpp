#include <gtest/gtest.h>

#include <string>

#include "automation/SpreadsheetConnection.h"

namespace {

const Cell& CellAt(const SpreadsheetConnection& connection, int32_t column, int32_t row)
{
    static const Cell empty;
    const Cell* cell = connection.Book().sheets.at(static_cast<std::size_t>(connection.CurrentSheet()) - 1)
                           .Find(column, row);
    return cell ? *cell : empty;
}

double NumberAt(SpreadsheetConnection& connection, int32_t column, int32_t row)
{
    connection.SelectRange(column, row);
    const CellValue value = connection.GetValue();
    EXPECT_EQ(value.kind, CellValue::Kind::Number) << ColumnLetters(column) << row;
    return value.number;
}

std::u16string TextAt(SpreadsheetConnection& connection, int32_t column, int32_t row)
{
    connection.SelectRange(column, row);
    const CellValue value = connection.GetValue();
    EXPECT_EQ(value.kind, CellValue::Kind::Text) << ColumnLetters(column) << row;
    return value.text;
}

double WidthOf(const SpreadsheetConnection& connection, int32_t column)
{
    const auto& widths = connection.Book().sheets.at(static_cast<std::size_t>(connection.CurrentSheet()) - 1)
                             .columnWidths;
    const auto it = widths.find(column);
    return it == widths.end() ? -1 : it->second;
}

}  // namespace

TEST(ColumnLettersTest, NumbersColumnsLikeTheSpreadsheet)
{
    EXPECT_EQ(ColumnLetters(1), "A");
    EXPECT_EQ(ColumnLetters(8), "H");
    EXPECT_EQ(ColumnLetters(26), "Z");
    EXPECT_EQ(ColumnLetters(27), "AA");
    EXPECT_EQ(ColumnLetters(52), "AZ");
    EXPECT_EQ(ColumnLetters(53), "BA");
    EXPECT_EQ(ColumnLetters(108), "DD");
    EXPECT_EQ(ColumnLetters(109), "DE");
    EXPECT_EQ(ColumnLetters(702), "ZZ");    // 26 + 26 * 26
    EXPECT_EQ(ColumnLetters(703), "AAA");
    EXPECT_EQ(ColumnLetters(16384), "XFD");  // the last column of a sheet
}

TEST(SpreadsheetConnectionTest, StartGivesOneEmptySheet)
{
    SpreadsheetConnection connection;
    ASSERT_TRUE(connection.Start());
    ASSERT_EQ(connection.Book().sheets.size(), 1u);
    EXPECT_EQ(connection.CurrentSheet(), 1);
    connection.SelectRange(3, 4);
    EXPECT_EQ(connection.GetValue().kind, CellValue::Kind::Empty);
}

TEST(SpreadsheetConnectionTest, ValuesGoToEveryCellOfTheRange)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(2, 3, 3, 4);
    connection.SetValue(u"规格");
    for (int32_t row = 3; row <= 4; ++row)
        for (int32_t column = 2; column <= 3; ++column)
            EXPECT_EQ(TextAt(connection, column, row), u"规格");
    connection.SelectRange(1, 1);
    EXPECT_EQ(connection.GetValue().kind, CellValue::Kind::Empty);

    connection.SelectRange(2, 3);
    connection.SetValue(2995.5);
    EXPECT_DOUBLE_EQ(NumberAt(connection, 2, 3), 2995.5);
    // The number replaced the text of that cell only.
    EXPECT_EQ(TextAt(connection, 3, 3), u"规格");
}

TEST(SpreadsheetConnectionTest, SelectRangeAcceptsCornersInEitherOrder)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(5, 9, 2, 3);
    EXPECT_EQ(connection.CurrentRange().column1, 2);
    EXPECT_EQ(connection.CurrentRange().row1, 3);
    EXPECT_EQ(connection.CurrentRange().column2, 5);
    EXPECT_EQ(connection.CurrentRange().row2, 9);
}

TEST(SpreadsheetConnectionTest, TextThatLooksLikeANumberStaysText)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(5, 3);
    connection.SetValue(u"98.8%");
    EXPECT_EQ(CellAt(connection, 5, 3).kind, Cell::Kind::Text);
    EXPECT_EQ(TextAt(connection, 5, 3), u"98.8%");
    connection.SelectRange(1, 3);
    connection.SetValue(u"3-1");
    EXPECT_EQ(TextAt(connection, 1, 3), u"3-1");
}

TEST(SpreadsheetConnectionTest, SetFormulaWithoutEqualsSignStoresAPlainValue)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(5, 3);
    connection.SetFormula(u"---");
    EXPECT_EQ(CellAt(connection, 5, 3).kind, Cell::Kind::Text);
    EXPECT_EQ(TextAt(connection, 5, 3), u"---");
    EXPECT_TRUE(connection.Book().sheets[0].formulas.empty());
}

TEST(SpreadsheetConnectionTest, ProductFormulaIsComputedAndFollowsChanges)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(3, 3);
    connection.SetValue(6000.0);
    connection.SelectRange(4, 3);
    connection.SetValue(7.0);
    connection.SelectRange(6, 3);
    connection.SetFormula(u"=C3*D3");
    EXPECT_EQ(CellAt(connection, 6, 3).kind, Cell::Kind::Formula);
    EXPECT_EQ(CellAt(connection, 6, 3).text, u"=C3*D3");
    EXPECT_DOUBLE_EQ(NumberAt(connection, 6, 3), 42000);

    connection.SelectRange(4, 3);
    connection.SetValue(3.0);
    EXPECT_DOUBLE_EQ(NumberAt(connection, 6, 3), 18000);
}

TEST(SpreadsheetConnectionTest, SumSkipsTextsAndEmptyCellsAndFollowsChanges)
{
    SpreadsheetConnection connection;
    connection.Start();
    // D3..D6: 5, "不限", empty, 7; the total row below sums D3:D6.
    connection.SelectRange(4, 3);
    connection.SetValue(5.0);
    connection.SelectRange(4, 4);
    connection.SetValue(u"不限");
    connection.SelectRange(4, 6);
    connection.SetValue(7.0);
    connection.SelectRange(4, 7);
    connection.SetFormula(u"=SUM(D3:D6)");
    EXPECT_DOUBLE_EQ(NumberAt(connection, 4, 7), 12);

    // A cell outside the range does not count, one inside does.
    connection.SelectRange(5, 5);
    connection.SetValue(100.0);
    EXPECT_DOUBLE_EQ(NumberAt(connection, 4, 7), 12);
    connection.SelectRange(4, 5);
    connection.SetValue(30.0);
    EXPECT_DOUBLE_EQ(NumberAt(connection, 4, 7), 42);
}

TEST(SpreadsheetConnectionTest, FormulasOverFormulasSettleInAnyOrder)
{
    SpreadsheetConnection connection;
    connection.Start();
    // The total above its rows, and rows computed from other formulas.
    connection.SelectRange(6, 1);
    connection.SetFormula(u"=SUM(F3:F4)");
    connection.SelectRange(3, 3, 3, 4);
    connection.SetValue(10.0);
    connection.SelectRange(4, 3, 4, 4);
    connection.SetValue(2.0);
    connection.SelectRange(6, 3);
    connection.SetFormula(u"=C3*D3");
    connection.SelectRange(6, 4);
    connection.SetFormula(u"=F3+C4*D4");
    EXPECT_DOUBLE_EQ(NumberAt(connection, 6, 3), 20);
    EXPECT_DOUBLE_EQ(NumberAt(connection, 6, 4), 40);
    EXPECT_DOUBLE_EQ(NumberAt(connection, 6, 1), 60);
}

TEST(SpreadsheetConnectionTest, ArithmeticFollowsPrecedenceAndParentheses)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1);
    connection.SetValue(4.0);
    struct Case {
        const char16_t* formula;
        double expected;
    };
    const Case cases[] = {
        {u"=2+3*4", 14},      {u"=(2+3)*4", 20},  {u"=-A1+10", 6},      {u"=10-2-3", 5},
        {u"=12/4/3", 1},      {u"=-(A1*2)", -8},  {u"= 1.5e2 + $A$1", 154}, {u"=sum(a1, 2, -1)", 5},
        {u"=--A1", 4},        {u"=SUM(A1:A1)*2", 8},
    };
    for (const Case& c : cases) {
        connection.SelectRange(2, 1);
        connection.SetFormula(c.formula);
        EXPECT_DOUBLE_EQ(NumberAt(connection, 2, 1), c.expected) << std::string(c.formula, c.formula + 1);
    }
}

TEST(SpreadsheetConnectionTest, TextInArithmeticGivesTheValueError)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(3, 3);
    connection.SetValue(6000.0);
    connection.SelectRange(4, 3);
    connection.SetValue(u"不限");
    connection.SelectRange(6, 3);
    connection.SetFormula(u"=C3*D3");
    const Cell& cell = CellAt(connection, 6, 3);
    EXPECT_TRUE(cell.resultIsText);
    EXPECT_EQ(cell.resultText, u"#VALUE!");
    // An error value reads like an empty cell.
    EXPECT_EQ(connection.GetValue().kind, CellValue::Kind::Empty);

    // Once the text is replaced by a number the formula computes again.
    connection.SelectRange(4, 3);
    connection.SetValue(2.0);
    EXPECT_DOUBLE_EQ(NumberAt(connection, 6, 3), 12000);
}

TEST(SpreadsheetConnectionTest, ErrorsTravelThroughSumAndDivisionByZeroIsAnError)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1);
    connection.SetFormula(u"=1/0");
    EXPECT_EQ(CellAt(connection, 1, 1).resultText, u"#DIV/0!");
    connection.SelectRange(1, 2);
    connection.SetFormula(u"=SUM(A1:A1)+1");
    EXPECT_EQ(CellAt(connection, 1, 2).resultText, u"#DIV/0!");
}

TEST(SpreadsheetConnectionTest, UnknownFormulaIsKeptWithTheNameError)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1);
    connection.SetFormula(u"=ROUND(2.5,0)");
    const Cell& cell = CellAt(connection, 1, 1);
    EXPECT_EQ(cell.kind, Cell::Kind::Formula);
    EXPECT_EQ(cell.text, u"=ROUND(2.5,0)");
    EXPECT_EQ(cell.resultText, u"#NAME?");
    for (const char16_t* broken : {u"=", u"=1+", u"=(1", u"=A0", u"=Sheet2!A1", u"=A1:B2", u"=1 2"}) {
        connection.SetFormula(broken);
        EXPECT_EQ(CellAt(connection, 1, 1).resultText, u"#NAME?") << std::u16string(broken).size();
    }
}

TEST(SpreadsheetConnectionTest, DeeplyNestedFormulaDoesNotOverflow)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1);
    connection.SetFormula(u"=" + std::u16string(100000, u'(') + u"1" + std::u16string(100000, u')'));
    EXPECT_EQ(CellAt(connection, 1, 1).resultText, u"#NAME?");
    connection.SetFormula(u"=" + std::u16string(100000, u'-') + u"1");
    EXPECT_EQ(CellAt(connection, 1, 1).kind, Cell::Kind::Formula);
}

TEST(SpreadsheetConnectionTest, CircularReferenceEnds)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1);
    connection.SetFormula(u"=B1+1");
    connection.SelectRange(2, 1);
    connection.SetFormula(u"=A1+1");
    // Whatever the values, the calls return and both cells stay formulas.
    EXPECT_EQ(CellAt(connection, 1, 1).kind, Cell::Kind::Formula);
    EXPECT_EQ(CellAt(connection, 2, 1).kind, Cell::Kind::Formula);
}

TEST(SpreadsheetConnectionTest, BorderDrawsOnlyTheOuterEdges)
{
    SpreadsheetConnection connection;
    connection.Start();
    // B2:D4, a block of three by three.
    connection.SelectRange(2, 2, 4, 4);
    connection.SetBorder(1, 3);
    const auto& sheet = connection.Book().sheets[0];
    for (int32_t row = 2; row <= 4; ++row) {
        for (int32_t column = 2; column <= 4; ++column) {
            const Cell* cell = sheet.Find(column, row);
            if (row == 3 && column == 3) {
                // The middle cell is not on any edge: no border, not even created.
                EXPECT_TRUE(cell == nullptr || cell->format.top.weight == 0);
                continue;
            }
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->format.top.weight, row == 2 ? 3 : 0);
            EXPECT_EQ(cell->format.bottom.weight, row == 4 ? 3 : 0);
            EXPECT_EQ(cell->format.left.weight, column == 2 ? 3 : 0);
            EXPECT_EQ(cell->format.right.weight, column == 4 ? 3 : 0);
            if (row == 2) {
                EXPECT_EQ(cell->format.top.lineStyle, 1);
            }
        }
    }
    // A thin border on one cell afterwards changes that cell's four edges only.
    connection.SelectRange(3, 3);
    connection.SetBorder(1, 2);
    const Cell* middle = sheet.Find(3, 3);
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(middle->format.top.weight, 2);
    EXPECT_EQ(middle->format.left.weight, 2);
    EXPECT_EQ(sheet.Find(2, 2)->format.top.weight, 3);
}

TEST(SpreadsheetConnectionTest, FontFillCentreAndNumberFormatReachEveryCell)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 2, 6, 3);
    connection.SetFill(0xCCF2FF);
    connection.SetFont(true, 14, 0xFFFFFF);
    connection.CentreCells();
    connection.SetNumberFormat(u"@");
    const auto& sheet = connection.Book().sheets[0];
    EXPECT_EQ(sheet.cells.size(), 12u);  // six columns by two rows, no more
    for (int32_t row = 2; row <= 3; ++row) {
        for (int32_t column = 1; column <= 6; ++column) {
            const Cell* cell = sheet.Find(column, row);
            ASSERT_NE(cell, nullptr);
            EXPECT_TRUE(cell->format.hasFill);
            EXPECT_EQ(cell->format.fill, 0xCCF2FFu);
            EXPECT_TRUE(cell->format.bold);
            EXPECT_EQ(cell->format.fontSize, 14);
            EXPECT_EQ(cell->format.fontColour, 0xFFFFFFu);
            EXPECT_TRUE(cell->format.centred);
            EXPECT_EQ(cell->format.numberFormat, u"@");
        }
    }
    EXPECT_EQ(sheet.Find(1, 1), nullptr);
    EXPECT_EQ(sheet.Find(7, 2), nullptr);
}

TEST(SpreadsheetConnectionTest, RowHeightsAndColumnWidthsCoverTheRange)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(9, 1, 108, 1);  // I1:DD1
    connection.SetColumnWidth(1);
    connection.SelectRange(1, 3, 7, 5);
    connection.SetRowHeight(19);
    const auto& sheet = connection.Book().sheets[0];
    EXPECT_EQ(sheet.columnWidths.size(), 100u);
    EXPECT_EQ(sheet.columnWidths.at(9), 1);
    EXPECT_EQ(sheet.columnWidths.at(108), 1);
    EXPECT_EQ(sheet.rowHeights.size(), 3u);
    EXPECT_EQ(sheet.rowHeights.at(3), 19);
    EXPECT_EQ(sheet.rowHeights.at(5), 19);
    // Setting sizes creates no cells.
    EXPECT_TRUE(sheet.cells.empty());
}

TEST(SpreadsheetConnectionTest, MergeRecordsTheRangeAndTakesInOverlaps)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1, 6, 1);
    connection.Merge();
    connection.SelectRange(2, 2);
    connection.Merge();  // a single cell is no merge
    const auto& merges = connection.Book().sheets[0].merges;
    ASSERT_EQ(merges.size(), 1u);
    EXPECT_EQ(merges[0].column1, 1);
    EXPECT_EQ(merges[0].column2, 6);
    EXPECT_EQ(merges[0].row1, 1);
    EXPECT_EQ(merges[0].row2, 1);

    // F1:G2 overlaps A1:F1: one merge A1:G2 results.
    connection.SelectRange(6, 1, 7, 2);
    connection.Merge();
    ASSERT_EQ(merges.size(), 1u);
    EXPECT_EQ(merges[0].column1, 1);
    EXPECT_EQ(merges[0].column2, 7);
    EXPECT_EQ(merges[0].row2, 2);
}

TEST(SpreadsheetConnectionTest, FitColumnsCountsCjkAsTwoAndAddsPaddingAndExtra)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(2, 2);
    connection.SetValue(u"规   格");  // two CJK characters and three blanks: width 7
    connection.SelectRange(2, 3);
    connection.SetValue(u"HRB400Φ12");  // nine characters of width one: 9
    connection.SelectRange(3, 3);
    connection.SetValue(2995.5);  // "2995.5": 6
    connection.SelectRange(3, 4);
    connection.SetValue(u"长 度");  // 2 + 1 + 2 = 5
    connection.FitColumns(2, 3, 3);
    // B: 9 + padding 1 + extra 3; C: 6 + 1 + 3.
    EXPECT_EQ(WidthOf(connection, 2), 13);
    EXPECT_EQ(WidthOf(connection, 3), 10);
}

TEST(SpreadsheetConnectionTest, FitColumnsUsesComputedValuesAndTruncates)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(3, 3);
    connection.SetValue(6000.0);
    connection.SelectRange(4, 3);
    connection.SetValue(125.0);
    connection.SelectRange(6, 3);
    connection.SetFormula(u"=C3*D3");  // shows 750000: 6 characters, not the 6 of "=C3*D3"
    connection.SelectRange(6, 4);
    connection.SetValue(u"总 长");  // 5
    connection.FitColumns(6, 6, 0.9);
    // 6 + 1 + 0.9 = 7.9, truncated to 7.
    EXPECT_EQ(WidthOf(connection, 6), 7);

    connection.SelectRange(4, 3);
    connection.SetValue(12500.0);  // now 75000000: 8 characters
    connection.FitColumns(6, 6, 0);
    EXPECT_EQ(WidthOf(connection, 6), 9);
}

TEST(SpreadsheetConnectionTest, FitColumnsCapsAt200)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1);
    connection.SetValue(std::u16string(150, u'长'));  // width 300
    connection.SelectRange(2, 1);
    connection.SetValue(std::u16string(196, u'x'));  // 196 + 1 + 3 = 200 exactly
    connection.SelectRange(3, 1);
    connection.SetValue(std::u16string(197, u'x'));  // 201, capped
    connection.FitColumns(1, 3, 3);
    EXPECT_EQ(WidthOf(connection, 1), 200);
    EXPECT_EQ(WidthOf(connection, 2), 200);
    EXPECT_EQ(WidthOf(connection, 3), 200);
    connection.SelectRange(3, 1);
    connection.SetValue(std::u16string(150, u'x'));
    connection.FitColumns(3, 3, 3);
    EXPECT_EQ(WidthOf(connection, 3), 154);
}

TEST(SpreadsheetConnectionTest, FitColumnsIgnoresMergesOverSeveralColumnsAndEmptyColumnsGetStandardWidth)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1, 6, 1);
    connection.Merge();
    connection.SetValue(u"Trevak线材下料优化---下料信息");  // long, but spread over A:F
    connection.SelectRange(1, 2);
    connection.SetValue(u"序 号");  // 5
    // A vertical merge in one column counts.
    connection.SelectRange(2, 3, 2, 4);
    connection.Merge();
    connection.SetValue(u"ABCDEFGHIJ");  // 10
    connection.FitColumns(1, 3, 1);
    EXPECT_EQ(WidthOf(connection, 1), 7);   // 5 + 1 + 1
    EXPECT_EQ(WidthOf(connection, 2), 12);  // 10 + 1 + 1
    // C holds only the hidden part of the title: the standard 8.43 + 1, truncated.
    EXPECT_EQ(WidthOf(connection, 3), 9);
}

TEST(SpreadsheetConnectionTest, DisplayTextAndTextWidth)
{
    Cell cell;
    cell.kind = Cell::Kind::Number;
    cell.number = 0.1 + 0.2;  // shown as 0.3 at 15 digits
    EXPECT_EQ(DisplayText(cell), u"0.3");
    cell.number = 2995;
    EXPECT_EQ(DisplayText(cell), u"2995");
    cell.number = -12.25;
    EXPECT_EQ(DisplayText(cell), u"-12.25");
    cell.number = -0.0;
    EXPECT_EQ(DisplayText(cell), u"0");
    cell.number = 750000;  // written out, not 7.5e+05
    EXPECT_EQ(DisplayText(cell), u"750000");
    cell.number = 0.00012;
    EXPECT_EQ(DisplayText(cell), u"0.00012");
    cell.number = 123456789012345;
    EXPECT_EQ(DisplayText(cell), u"123456789012345");
    cell.number = 1e20;
    EXPECT_EQ(DisplayText(cell), u"1e+20");
    cell.number = 1.0 / 3;  // 15 significant digits
    EXPECT_EQ(DisplayText(cell), u"0.333333333333333");
    cell.kind = Cell::Kind::Formula;
    cell.resultIsText = true;
    cell.resultText = u"#VALUE!";
    EXPECT_EQ(DisplayText(cell), u"#VALUE!");
    EXPECT_EQ(TextWidth(u"Φ12"), 3);
    EXPECT_EQ(TextWidth(u"下料　组合"), 10);  // the ideographic space is wide too
    EXPECT_EQ(TextWidth(u"ＡＢ"), 4);         // full-width letters
    EXPECT_EQ(TextWidth(u"\U00020000"), 2);   // one CJK character outside the basic plane
}

TEST(SpreadsheetConnectionTest, SheetsAreAddedNamedSelectedAndActivated)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SetSheetName(u"下料组合(格式A)");
    connection.AddSheetAfter(1);
    EXPECT_EQ(connection.CurrentSheet(), 2);
    connection.SetSheetName(u"下料组合(格式B)");
    connection.AddSheetAfter(2);
    connection.SelectSheet(3);
    connection.SetSheetName(u"原料统计");
    connection.SelectRange(1, 1);
    connection.SetValue(u"third");

    const Workbook& book = connection.Book();
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].name, u"下料组合(格式A)");
    EXPECT_EQ(book.sheets[1].name, u"下料组合(格式B)");
    EXPECT_EQ(book.sheets[2].name, u"原料统计");
    EXPECT_NE(book.sheets[2].Find(1, 1), nullptr);
    EXPECT_EQ(book.sheets[0].Find(1, 1), nullptr);

    // A sheet inserted after the first lands in between.
    connection.AddSheetAfter(1);
    EXPECT_EQ(connection.CurrentSheet(), 2);
    EXPECT_EQ(book.sheets[2].name, u"下料组合(格式B)");
    EXPECT_EQ(book.sheets[1].name, u"Sheet4");

    connection.SelectSheet(1);
    connection.ActivateSheet();
    EXPECT_EQ(book.activeSheet, 0u);
    connection.SelectSheet(9);  // no such sheet: stays
    EXPECT_EQ(connection.CurrentSheet(), 1);
}

TEST(SpreadsheetConnectionTest, ReleaseAndCloseAllEmptyTheWorkbook)
{
    SpreadsheetConnection connection;
    connection.Start();
    connection.SelectRange(1, 1);
    connection.SetValue(1.0);
    connection.CloseAll();
    EXPECT_TRUE(connection.Book().sheets.empty());
    // Operations without a workbook do nothing and do not crash.
    connection.SetValue(2.0);
    connection.SetBorder(1, 2);
    connection.FitColumns(1, 2, 1);
    EXPECT_EQ(connection.GetValue().kind, CellValue::Kind::Empty);
    connection.Start();
    connection.Release();
    EXPECT_TRUE(connection.Book().sheets.empty());
}
