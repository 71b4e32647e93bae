#include "automation/SheetCells.h"

#include <cstddef>

namespace {

const uint32_t BLACK = 0;
const uint32_t TITLE_FILL = 0xB4E0C6;   // 198, 224, 180
const uint32_t HEADER_FILL = 0xCCF2FF;  // 255, 242, 204

void Style(SpreadsheetConnection& sheet, bool bold, double size, double height)
{
    sheet.SetBorder(BORDER_CONTINUOUS, BORDER_MEDIUM);
    sheet.SetFont(bold, size, BLACK);
    sheet.CentreCells();
    sheet.SetRowHeight(height);
}

}  // namespace

void ThinBorder(SpreadsheetConnection& sheet) { sheet.SetBorder(BORDER_CONTINUOUS, BORDER_THIN); }

void WriteTextCell(SpreadsheetConnection& sheet, int32_t column, int32_t row, const std::u16string& text)
{
    sheet.SelectRange(column, row);
    sheet.SetValue(text);
    ThinBorder(sheet);
}

void WriteNumberCell(SpreadsheetConnection& sheet, int32_t column, int32_t row, double number)
{
    sheet.SelectRange(column, row);
    sheet.SetValue(number);
    ThinBorder(sheet);
}

void WriteFormulaCell(SpreadsheetConnection& sheet, int32_t column, int32_t row, const std::u16string& formula)
{
    sheet.SelectRange(column, row);
    sheet.SetFormula(formula);
    ThinBorder(sheet);
}

void TitleStyle(SpreadsheetConnection& sheet)
{
    Style(sheet, true, 14, 30);
    sheet.SetFill(TITLE_FILL);
}

void HeaderStyle(SpreadsheetConnection& sheet)
{
    Style(sheet, true, 11, 19);
    sheet.SetFill(HEADER_FILL);
}

void BodyStyle(SpreadsheetConnection& sheet) { Style(sheet, false, 11, 19); }

void SetColumnWidthAt(SpreadsheetConnection& sheet, int32_t column, double width)
{
    sheet.SelectRange(column, 1);
    sheet.SetColumnWidth(width);
}

void SetColumnWidths(SpreadsheetConnection& sheet, const std::vector<double>& widths)
{
    for (std::size_t i = 0; i < widths.size(); ++i) SetColumnWidthAt(sheet, static_cast<int32_t>(i + 1), widths[i]);
}
