#include "automation/SheetCells.h"

#include <cstddef>

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

void SetColumnWidthAt(SpreadsheetConnection& sheet, int32_t column, double width)
{
    sheet.SelectRange(column, 1);
    sheet.SetColumnWidth(width);
}

void SetColumnWidths(SpreadsheetConnection& sheet, const std::vector<double>& widths)
{
    for (std::size_t i = 0; i < widths.size(); ++i) SetColumnWidthAt(sheet, static_cast<int32_t>(i + 1), widths[i]);
}
