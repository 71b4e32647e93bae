// The cells every sheet of the program is built from.

#include <gtest/gtest.h>

#include <string>

#include "automation/SheetCells.h"
#include "automation/SpreadsheetConnection.h"

namespace {

const Cell& At(const SpreadsheetConnection& sheet, int32_t column, int32_t row)
{
    static const Cell empty;
    const Cell* cell = sheet.Book().sheets.at(0).Find(column, row);
    return cell ? *cell : empty;
}

// A thin continuous line on all four edges.
void ExpectFramed(const Cell& cell)
{
    for (const CellBorder* edge : {&cell.format.top, &cell.format.bottom, &cell.format.left, &cell.format.right}) {
        EXPECT_EQ(edge->lineStyle, 1);
        EXPECT_EQ(edge->weight, 2);
    }
}

}  // namespace

TEST(SheetCellsTest, EachWriterFillsOneFramedCellAndLeavesItCurrent)
{
    SpreadsheetConnection sheet;
    sheet.Start();
    WriteNumberCell(sheet, 3, 2, 6000);
    WriteNumberCell(sheet, 4, 2, 4);
    WriteTextCell(sheet, 2, 2, u"Φ12");
    EXPECT_EQ(sheet.CurrentRange().column1, 2);
    EXPECT_EQ(sheet.CurrentRange().row2, 2);
    WriteFormulaCell(sheet, 5, 2, u"=C2*D2");
    WriteFormulaCell(sheet, 5, 3, u"---");

    EXPECT_EQ(At(sheet, 2, 2).kind, Cell::Kind::Text);
    EXPECT_EQ(At(sheet, 2, 2).text, u"Φ12");
    EXPECT_EQ(At(sheet, 3, 2).kind, Cell::Kind::Number);
    EXPECT_EQ(At(sheet, 3, 2).number, 6000);
    const Cell& product = At(sheet, 5, 2);
    EXPECT_EQ(product.kind, Cell::Kind::Formula);
    EXPECT_EQ(product.resultNumber, 24000);
    // Not a formula: kept as the text it is.
    EXPECT_EQ(At(sheet, 5, 3).kind, Cell::Kind::Text);
    for (int32_t column = 2; column <= 5; ++column) ExpectFramed(At(sheet, column, 2));
    ExpectFramed(At(sheet, 5, 3));
    // Nothing around them is touched.
    EXPECT_EQ(sheet.Book().sheets.at(0).Find(1, 2), nullptr);
    EXPECT_EQ(sheet.Book().sheets.at(0).Find(3, 3), nullptr);
}

TEST(SheetCellsTest, ThinBorderFramesTheWholeRangeOnly)
{
    SpreadsheetConnection sheet;
    sheet.Start();
    sheet.SelectRange(1, 1, 2, 3);
    ThinBorder(sheet);
    // The outer edges of the block, not the lines between its cells.
    EXPECT_EQ(At(sheet, 1, 1).format.top.weight, 2);
    EXPECT_EQ(At(sheet, 1, 1).format.left.weight, 2);
    EXPECT_EQ(At(sheet, 1, 1).format.right.lineStyle, 0);
    EXPECT_EQ(At(sheet, 2, 3).format.bottom.weight, 2);
    EXPECT_EQ(At(sheet, 2, 2).format.top.lineStyle, 0);
}

TEST(SheetCellsTest, ColumnWidthsFromColumnA)
{
    SpreadsheetConnection sheet;
    sheet.Start();
    SetColumnWidths(sheet, {8, 30, 18});
    SetColumnWidthAt(sheet, 6, 22);
    const auto& widths = sheet.Book().sheets.at(0).columnWidths;
    ASSERT_EQ(widths.size(), 4u);
    EXPECT_EQ(widths.at(1), 8);
    EXPECT_EQ(widths.at(2), 30);
    EXPECT_EQ(widths.at(3), 18);
    EXPECT_EQ(widths.at(6), 22);
}
