#pragma once

#include <cstdint>
#include <string>

#include "lists/InputLists.h"

class SpreadsheetConnection;

// The cut list and the stock list as spreadsheet files (.xls, .xlsx).
//
// Export writes one formatted worksheet ("下料" or "原料"): a merged title row,
// a header row, one row per list row and a totals row:
//
//   row 1      A1:F1 merged: "Trevak线材下料优化---下料信息" / "...---原料信息"
//   row 2      序 号 | 规   格 | 长 度 | 数 量 | 标   记 / 优先级 | 总 长
//   row 3..    serial | spec | length | quantity | mark / "优先" | =C*D
//   last row   "汇 总" in C, =SUM over D and F
//
// Import reads columns B (specification), C (length), D (quantity) and
// E (mark, or "优先" for a priority stock row) of the first worksheet from row 1
// on, so that both the exported sheet and a plain table read back. A row that
// does not hold a list row is a bad row; reading ends at the fifth bad row in a
// row, which passes over a title and a header and stops after the table.

// What an import read.
struct SpreadsheetImportReport {
    // False when the file could not be read: no row was added and m_error says
    // why, naming the file.
    bool m_opened = false;
    std::u16string m_error;

    int64_t m_rowCount = 0;      // sheet rows read, the bad rows that ended the reading included
    int64_t m_goodRowCount = 0;  // rows appended
    int64_t m_badRowCount = 0;   // bad rows read, empty ones included
    // The workbook was too large to be read whole, and the reading went on to
    // where its kept part ends: rows after that were not read. The first row
    // left out is then the last reported bad row ("第N行: (未读入)"), and
    // m_badRowText ends with a line that says where the reading ended.
    bool m_truncated = false;

    // Bad rows that hold something and look like a broken list row: those
    // between two good rows, those after the last good row that have a
    // specification (a totals row has none), and, when no row at all was good,
    // every non-empty bad row. The rows before the first good row (a title, a
    // header) and the empty rows are passed over silently.
    int64_t m_reportedBadRowCount = 0;
    // For m_reportedBadRowCount > 0: "以下各行数据格式有误:\n\n", then
    // "第N行: " + the texts of cells B to E (three blanks between them, empty
    // cells at the end left out) + "\n\n" for the first five reported rows, and
    // "............\n" once from the sixth. Empty when nothing is reported.
    std::u16string m_badRowText;
};

// Builds the export sheet of the list of kind in a new workbook of the
// connection (the workbook is not saved).
void BuildListWorkbook(SpreadsheetConnection& sheet, ListKind kind, const InputLists& lists);

// Writes the list of kind to path (UTF-8) as a spreadsheet (.xlsx content
// whatever the extension). Returns false with error set when the file could
// not be written or the list does not fit on one worksheet.
//
// An empty list gets the title, the header and the totals row in row 3, whose
// totals are the number 0: a SUM over the rows 3 to 2 would name the totals
// cell itself.
bool ExportSpreadsheetList(const std::string& path, ListKind kind, const InputLists& lists, std::u16string& error);

// Reads the first worksheet of the workbook at path (UTF-8) and appends its
// good rows to the list of kind, after the rows it holds.
//
// Cells: texts lose their blanks (U+0020, U+3000, U+00A0) first.
//   specification, mark: a text as it stands; a number as its shortest exact
//     decimal text (12 gives "12", 12.7 gives "12.7"); longer than
//     MYSTRING_MAX_UNITS code units: a bad row.
//   length: a number; a text read as strtod reads it ("2995.5mm" is 2995.5);
//     a bad row unless finite and above 0.
//   quantity: a text by ParseQuantityText, a bad row when that finds no
//     quantity ("1.5", "2x3"); a number must be a whole number within the
//     32-bit range, else the row is bad (2.5 is not read as 2).
//   priority: 1 when the text is exactly "优先", else 0.
// The row rules are those of the text import: the cut list needs a quantity
// above 0; the stock list stores 0 as -1 (unlimited), other values as read.
SpreadsheetImportReport ImportSpreadsheetList(const std::string& path, ListKind kind, InputLists& lists);

// The reading of ImportSpreadsheetList over worksheet 1 of a workbook already
// open in the connection. m_opened is true.
SpreadsheetImportReport ReadListSheet(SpreadsheetConnection& sheet, ListKind kind, InputLists& lists);
