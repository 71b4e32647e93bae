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

TEST(SheetCellsTest, TitleHeaderAndBodyStyles)
{
    SpreadsheetConnection sheet;
    sheet.Start();
    sheet.SelectRange(1, 1, 3, 1);
    TitleStyle(sheet);
    sheet.SelectRange(1, 2, 3, 2);
    HeaderStyle(sheet);
    sheet.SelectRange(1, 3, 3, 4);
    BodyStyle(sheet);

    const Worksheet& s = sheet.Book().sheets.at(0);
    // Title: bold 14 on 198, 224, 180 (0xBBGGRR 0xB4E0C6), 30 high.
    const CellFormat& title = At(sheet, 2, 1).format;
    EXPECT_TRUE(title.bold);
    EXPECT_EQ(title.fontSize, 14);
    EXPECT_TRUE(title.hasFill);
    EXPECT_EQ(title.fill, 0xB4E0C6u);
    EXPECT_EQ(s.rowHeights.at(1), 30);
    // Header: bold 11 on 255, 242, 204, 19 high.
    const CellFormat& header = At(sheet, 2, 2).format;
    EXPECT_TRUE(header.bold);
    EXPECT_EQ(header.fontSize, 11);
    EXPECT_EQ(header.fill, 0xCCF2FFu);
    EXPECT_EQ(s.rowHeights.at(2), 19);
    // Body: plain 11 without fill, every row 19 high.
    const CellFormat& body = At(sheet, 1, 4).format;
    EXPECT_FALSE(body.bold);
    EXPECT_EQ(body.fontSize, 11);
    EXPECT_FALSE(body.hasFill);
    EXPECT_EQ(s.rowHeights.at(3), 19);
    EXPECT_EQ(s.rowHeights.at(4), 19);
    // All centred, black, outlined medium.
    for (const CellFormat* f : {&title, &header, &body}) {
        EXPECT_TRUE(f->centred);
        EXPECT_EQ(f->fontColour, 0u);
    }
    EXPECT_EQ(At(sheet, 1, 1).format.left.weight, 3);
    EXPECT_EQ(At(sheet, 3, 2).format.right.weight, 3);
    EXPECT_EQ(At(sheet, 2, 4).format.bottom.weight, 3);
}
