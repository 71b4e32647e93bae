#pragma once

#include <string>

#include "automation/SpreadsheetConnection.h"

// The small formula evaluator behind SetFormula. It knows numbers, cell
// references (A1, $A$1), + - * / with unary minus and parentheses, and
// SUM(...) over cells, ranges and expressions. References to other sheets and
// every other function are not known; such formulas keep the result they have.
//
// Values follow the spreadsheet's rules: an empty cell is 0 in arithmetic, a
// text in arithmetic is the error "#VALUE!", SUM skips texts and empty cells,
// division by zero is "#DIV/0!", errors travel through every operation. A
// formula that refers to one empty cell yields 0.

// Computes the formula ("=" first) over the sheet into the result members of
// `cell`. False (and `cell` unchanged) when the formula is not one the
// evaluator knows.
bool ComputeFormula(const std::u16string& formula, const Worksheet& sheet, Cell& cell);

// Recomputes the formula cells listed in sheet.formulas in sheet order, pass
// after pass until no result changes (at most a fixed number of passes, so a
// circular reference ends). Cells whose formula is unknown keep their result.
void RecalculateFormulas(Worksheet& sheet);

// True for the error values the evaluator produces ("#VALUE!", "#DIV/0!", ...).
bool IsErrorText(const std::u16string& text);
