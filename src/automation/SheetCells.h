#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/SpreadsheetConnection.h"

// The cells every sheet of the program is built from (the report workbooks,
// the exported lists, the import examples): one value in one cell framed by a
// thin continuous border, and the widths of the columns.

// SetBorder's line style and weights as the sheets use them.
constexpr int32_t BORDER_CONTINUOUS = 1;
constexpr int32_t BORDER_THIN = 2;
constexpr int32_t BORDER_MEDIUM = 3;

// A thin continuous border around the current range (a cell or a merged block).
void ThinBorder(SpreadsheetConnection& sheet);

// Selects the cell at column, row, gives it the value and its thin border;
// the cell stays the current range.
void WriteTextCell(SpreadsheetConnection& sheet, int32_t column, int32_t row, const std::u16string& text);
void WriteNumberCell(SpreadsheetConnection& sheet, int32_t column, int32_t row, double number);
// A formula, "=" first; any other text is stored as a value, as SetFormula does.
void WriteFormulaCell(SpreadsheetConnection& sheet, int32_t column, int32_t row, const std::u16string& formula);

// The styles of the sheets' ranges, given after their cells: each outlined
// medium and centred. Title: bold 14 on green (198, 224, 180), 30 high;
// header and totals: bold 11 on light yellow (255, 242, 204), 19 high; body:
// 11, 19 high.
void TitleStyle(SpreadsheetConnection& sheet);
void HeaderStyle(SpreadsheetConnection& sheet);
void BodyStyle(SpreadsheetConnection& sheet);

// The width of one column, in characters; and of the columns from A on, one
// width each.
void SetColumnWidthAt(SpreadsheetConnection& sheet, int32_t column, double width);
void SetColumnWidths(SpreadsheetConnection& sheet, const std::vector<double>& widths);
