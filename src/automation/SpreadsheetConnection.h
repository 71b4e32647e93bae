#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Spreadsheets without a spreadsheet application: an in-memory workbook on
// which the program's spreadsheet operations act over the current range, saved
// as .xlsx and read from .xlsx or legacy .xls files.
//
// Cells are addressed by 1-based column and row numbers (column 1 is A, 27 is
// AA). Colours are 0xBBGGRR numbers (blue in the high byte, red in the low).

struct CellBorder {
    int32_t lineStyle = 0;  // 0 none, 1 continuous (the only style the program draws)
    int32_t weight = 0;     // 1 hairline, 2 thin, 3 medium, 4 thick
};

struct CellFormat {
    bool bold = false;
    double fontSize = 11;
    uint32_t fontColour = 0;  // 0xBBGGRR
    bool hasFill = false;
    uint32_t fill = 0;  // 0xBBGGRR
    bool centred = false;  // horizontally and vertically
    std::u16string numberFormat;  // empty: general
    CellBorder top, bottom, left, right;
};

struct Cell {
    enum class Kind { Empty, Text, Number, Formula };
    Kind kind = Kind::Empty;
    std::u16string text;     // Text: the text; Formula: the formula, "=" first
    double number = 0;       // Number: the value
    // Formula: the computed value, a number or (resultIsText) a text.
    bool resultIsText = false;
    double resultNumber = 0;
    std::u16string resultText;
    CellFormat format;
};

struct CellRange {
    int32_t column1 = 1, row1 = 1, column2 = 1, row2 = 1;  // inclusive, column1 <= column2, row1 <= row2
};

// How a sheet prints: the spreadsheet's page setup.
struct PageSetup {
    bool landscape = false;
    int32_t paper = 0;  // the spreadsheet's paper code: 0 the printer's default, 9 A4
    // More than 0: scaled to fit this many pages wide, as many pages high as
    // needed. The spreadsheet then ignores manual page breaks.
    int32_t fitPagesWide = 0;
    int32_t scale = 100;  // per cent, when not fitted
    // Rows printed at the top of every page (1-based, inclusive); 0: none.
    int32_t titleFirstRow = 0, titleLastRow = 0;
    // Rows that start a new page (manual breaks above them).
    std::set<int32_t> breaksBefore;
};

// The most manual page breaks a sheet can hold.
constexpr std::size_t MAX_PAGE_BREAKS = 1023;

struct Worksheet {
    std::u16string name;
    PageSetup pageSetup;
    std::map<std::pair<int32_t, int32_t>, Cell> cells;  // key (row, column)
    std::vector<CellRange> merges;
    std::map<int32_t, double> rowHeights;     // points
    std::map<int32_t, double> columnWidths;   // characters
    // Keys (row, column) of the formula cells, in sheet order; kept by
    // SpreadsheetConnection and the readers so that recalculation need not
    // visit every cell.
    std::set<std::pair<int32_t, int32_t>> formulas;

    const Cell* Find(int32_t column, int32_t row) const;
};

struct Workbook {
    std::vector<Worksheet> sheets;
    std::size_t activeSheet = 0;  // 0-based
    // Set by the readers when cells beyond the reading limit were left out.
    bool truncated = false;
};

// How much of a workbook file the readers keep, so that a huge file cannot
// exhaust memory. Cells arrive row by row, so a limit cuts off the end of a
// sheet and keeps its first rows complete. The defaults keep every row a
// spreadsheet can hold but at most half a million cells over the whole
// workbook (a cell takes some 300 bytes here, so about 150 MB at most, beside
// the part being parsed); cells past a limit are left out and
// Workbook::truncated is set.
struct ReadLimits {
    int32_t maxRows = 1048576;      // rows past this are left out
    std::size_t maxCells = 500000;  // cells past this many are left out
};

// Printing estimates for the default font of a saved workbook (11 point, a
// digit 7 pixels wide): a column of w characters prints trunc(7w + 5) pixels
// of 0.75 point wide (0 when hidden), a row without a height of its own 15
// points high.
double ColumnWidthPoints(const Worksheet& sheet, int32_t column);
double RowHeightPoints(const Worksheet& sheet, int32_t row);
constexpr double STANDARD_COLUMN_WIDTH = 8.43;  // characters, a column with nothing in it
constexpr double STANDARD_ROW_HEIGHT = 15;      // points

// What GetValue yields: a text, a number, or nothing.
struct CellValue {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    std::u16string text;
    double number = 0;
};

// Shows a saved workbook to the user; installed by the window (the desktop's
// default application), null in the command line and the tests.
class WorkbookOpener {
public:
    virtual ~WorkbookOpener() = default;
    // Returns false when nothing could open the file.
    virtual bool OpenWorkbookFile(const std::string& path) = 0;
};

extern WorkbookOpener* g_workbookOpener;

// Column letters: 1 -> "A", 26 -> "Z", 27 -> "AA", 53 -> "BA", 108 -> "DD".
std::string ColumnLetters(int32_t column);

// Reads a workbook from the bytes of an .xlsx or legacy .xls file, chosen by the
// first bytes as OpenWorkbook does. `name` stands for the file in the error
// text. Never throws; on failure `book` is empty.
bool ReadWorkbookBytes(const std::string& bytes, Workbook& book, std::u16string& error,
                       const ReadLimits& limits = ReadLimits(), const std::string& name = std::string());

// Reads a workbook file (UTF-8 path) as OpenWorkbook does, without a connection.
bool ReadWorkbookFile(const std::string& path, Workbook& book, std::u16string& error,
                      const ReadLimits& limits = ReadLimits());

// Writes a workbook as .xlsx; false with `error` naming the file on failure.
bool WriteWorkbookFile(const Workbook& book, const std::string& path, std::u16string& error);

// The text a cell shows with the general number format: texts as they are,
// numbers in their shortest form at 15 significant digits, formulas their
// computed value, empty cells "".
std::u16string DisplayText(const Cell& cell);

// The width of a text in character units: a CJK or full-width character
// counts as two, every other character as one.
double TextWidth(const std::u16string& text);

class SpreadsheetConnection {
public:
    // A new workbook with one empty worksheet, current. Never fails.
    bool Start();

    // Reads a workbook file (UTF-8 path): .xlsx when it starts with "PK", legacy
    // .xls (BIFF) when it starts with D0 CF 11 E0, whatever its extension.
    // Worksheet 1 becomes current. On failure returns false with `error` a text
    // for the user that names the file and what is wrong (not a spreadsheet,
    // damaged, password-protected ...); the workbook is then empty. Formula
    // cells of .xlsx files keep their formula and stored result; those of
    // legacy .xls files read as empty (freexl does not read formula records).
    // How much is kept: SetReadLimit.
    bool OpenWorkbook(const std::string& path, std::u16string& error);

    // The current range: one cell, or the rectangle between two cells, corners
    // in either order, clamped to the sheet (16384 columns, 1048576 rows).
    void SelectRange(int32_t column, int32_t row);
    void SelectRange(int32_t column, int32_t row, int32_t column2, int32_t row2);

    // The value of the first cell of the range: a text, a number, or empty;
    // formula cells yield their computed value (an error value reads empty).
    CellValue GetValue() const;

    // Every cell of the range gets the value; a text stays a text. Cells that a
    // merge hides keep what they are given but are saved blank, as the
    // spreadsheet keeps only the top-left value of a merged area.
    void SetValue(const std::u16string& text);
    void SetValue(double number);
    // A text beginning with "=" is a formula (computed at once: cell
    // references, +, -, *, /, parentheses, numbers and SUM over ranges); any
    // other text is stored as a plain value, as SetValue would. Formulas the
    // evaluator does not know are kept with the result "#NAME?". Every change
    // of a cell recomputes the formulas of its sheet.
    void SetFormula(const std::u16string& formula);
    void SetNumberFormat(const std::u16string& format);
    // Records the range as merged; a merge overlapping earlier ones takes them
    // in (the merged area grows to cover them); a single cell is no merge.
    void Merge();
    // A border around the range: the top edge of the top row, the bottom edge
    // of the bottom row, the left and right edges of the outer columns. Line
    // style 0 draws nothing (it removes those edges).
    void SetBorder(int32_t lineStyle, int32_t weight);
    void SetFont(bool bold, double size, uint32_t colour);
    void SetFill(uint32_t colour);
    void CentreCells();
    void SetRowHeight(double height);    // every row of the range
    void SetColumnWidth(double width);   // every column of the range
    // Widths of the columns first..last fitted to their cell texts (a CJK
    // character counting as two), then each min(width + extra, 200), truncated.
    // The fitted width is the widest DisplayText of the column plus a padding
    // of 1; cells of merged areas spanning several columns do not count; a
    // column without any text gets the standard width 8.43 (plus extra).
    // Font size and boldness are not taken into account.
    void FitColumns(int32_t first, int32_t last, double extra);

    // Page setup of the current sheet (see PageSetup). FitToPagesWide and
    // SetPrintScale exclude each other: the later call counts. A page break
    // above row 1 or past the last row, or beyond MAX_PAGE_BREAKS, is ignored.
    void SetLandscape(bool landscape);
    void SetPaper(int32_t paper);
    void FitToPagesWide(int32_t pages);
    void SetPrintScale(int32_t percent);  // 10 to 400
    void SetPrintTitleRows(int32_t first, int32_t last);
    void AddPageBreakBefore(int32_t row);

    // Worksheets are numbered from 1; a number without a sheet is ignored. New
    // sheets are named "SheetN" with the next free N.
    void SelectSheet(int32_t index);
    void AddSheetAfter(int32_t index);  // the new sheet becomes current
    void SetSheetName(const std::u16string& name);
    void ActivateSheet();

    // Writes the workbook as .xlsx to path (UTF-8), whatever the extension:
    // every sheet with its cells, formats, merges, sizes, and the active sheet;
    // formulas with their computed results. Sheet names the file format does
    // not allow are mended ([]:*?/\ become "_", at most 31 characters, a
    // repeated name gets "(2)"). Returns false with `error` set when it could
    // not be written.
    bool SaveAs(const std::string& path, std::u16string& error);
    void CloseAll();
    // Saves the workbook in folder (UTF-8; the callers give the workbook
    // folder) as name + ".xlsx" and asks g_workbookOpener to open it. The
    // folder is created when missing and never cleared; a name already taken
    // (a second workbook within the same second) gets "-2", "-3" ... before
    // the extension. Returns false when it could not be saved or nothing could
    // open it; savedPath is the file's path (empty when not saved), for the
    // caller's message.
    bool ShowToUser(const std::string& folder, const std::string& name, std::string& savedPath);
    void Release();

    // How much of a file OpenWorkbook keeps (see ReadLimits).
    void SetReadLimit(int32_t maxRows, std::size_t maxCells = ReadLimits().maxCells);

    // Recomputes every formula of every sheet, e.g. after the workbook was
    // changed through Book(). Formula results are brought up to date
    // whenever they are read (GetValue, FitColumns, saving, Book()), once for
    // all the writes before: a sheet of n rows costs n writes, not n
    // recalculations of every formula.
    void Recalculate();

    const Workbook& Book() const
    {
        Refresh();
        return m_book;
    }
    Workbook& Book()
    {
        Refresh();
        return m_book;
    }
    int32_t CurrentSheet() const { return m_sheet; }  // 1-based
    const CellRange& CurrentRange() const { return m_range; }

private:
    // The formula results are a cache of the cells: kept current lazily.
    mutable Workbook m_book;
    mutable bool m_stale = false;  // cells changed since the formulas were last computed
    int32_t m_sheet = 1;
    CellRange m_range;
    ReadLimits m_readLimits;

    Worksheet* CurrentSheetData();
    const Worksheet* CurrentSheetData() const;
    // Calls visit(cell) for every cell of the current range, creating them.
    template <typename Visit>
    void ForEachCell(Visit visit);
    // Recomputes the formulas when cells changed since the last time.
    void Refresh() const;
};
