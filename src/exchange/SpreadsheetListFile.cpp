#include "exchange/SpreadsheetListFile.h"

#include <cmath>
#include <filesystem>
#include <vector>

#include "automation/SheetCells.h"
#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "base/FormatLength.h"
#include "base/ReportFile.h"
#include "exchange/TextListFile.h"

namespace {

// Columns of the exported sheet and of the sheet read by import.
constexpr int32_t COLUMN_SERIAL = 1;    // A
constexpr int32_t COLUMN_SPEC = 2;      // B
constexpr int32_t COLUMN_LENGTH = 3;    // C
constexpr int32_t COLUMN_QUANTITY = 4;  // D
constexpr int32_t COLUMN_MARK = 5;      // E: mark or priority
constexpr int32_t COLUMN_TOTAL = 6;     // F

constexpr int32_t TITLE_ROW = 1;
constexpr int32_t HEADER_ROW = 2;
constexpr int32_t FIRST_LIST_ROW = 3;
// The most rows a worksheet holds.
constexpr int64_t MAX_SHEET_ROWS = 1048576;

// Reading ends at this many bad rows in a row.
constexpr int32_t BAD_ROWS_TO_STOP = 5;
// A bad row is shown in the report with at most this many code units.
constexpr std::size_t MAX_REPORTED_ROW_UNITS = 255;

const char16_t* const PRIORITY_TEXT = u"优先";
const char16_t* const UNLIMITED_TEXT = u"不限";
const char16_t* const NO_TOTAL_TEXT = u"---";
const char16_t* const CELL_SEPARATOR = u"   ";

// ---------------------------------------------------------------- export

// ---------------------------------------------------------------- errors

std::u16string FileName(const std::string& path)
{
    return Utf8ToUtf16(std::filesystem::u8path(path).filename().u8string());
}

// The error of a failed open or save, made to name the file when it does not.
std::u16string FileError(const std::u16string& error, const std::string& path, const char16_t* fallback)
{
    const std::u16string name = FileName(path);
    if (error.empty())
        return u"文件 < " + Utf8ToUtf16(path) + u" > " + fallback;
    if (!name.empty() && error.find(name) == std::u16string::npos)
        return u"文件 < " + Utf8ToUtf16(path) + u" > : " + error;
    return error;
}

// ---------------------------------------------------------------- import

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\u3000' || c == u'\u00A0';
}

std::u16string WithoutBlanks(const std::u16string& text)
{
    std::u16string result;
    result.reserve(text.size());
    for (char16_t c : text) {
        if (!IsBlank(c))
            result.push_back(c);
    }
    return result;
}

// A number as the text that reads back to it: 12 gives "12", 12.7 gives "12.7",
// 3000000000 gives "3000000000" (whole numbers below 10^15 in full).
std::u16string NumberText(double value)
{
    if (std::trunc(value) == value && std::fabs(value) < 1e15)
        return CountString(int64_t(value));  // -0 gives "0"
    return Widen(FormatRealExact(value));
}

// A specification or a mark from its cell.
std::u16string CellText(const CellValue& cell)
{
    switch (cell.kind) {
    case CellValue::Kind::Text:
        return WithoutBlanks(cell.text);
    case CellValue::Kind::Number:
        return std::isfinite(cell.number) ? NumberText(cell.number) : std::u16string();
    case CellValue::Kind::Empty:
        break;
    }
    return std::u16string();
}

double CellLength(const CellValue& cell)
{
    switch (cell.kind) {
    case CellValue::Kind::Text: {
        const std::string bytes = Utf16ToCp936(WithoutBlanks(cell.text));
        return ParseRealC(bytes.c_str(), nullptr);
    }
    case CellValue::Kind::Number:
        return cell.number;
    case CellValue::Kind::Empty:
        break;
    }
    return 0;
}

// The quantity of a cell; false when the cell holds something that is not a
// quantity: a text ParseQuantityText refuses, or a number that is not a whole
// number within the 32-bit range.
bool CellQuantity(const CellValue& cell, int32_t& quantity)
{
    quantity = 0;
    switch (cell.kind) {
    case CellValue::Kind::Text: {
        bool ok = false;
        quantity = ParseQuantityText(WithoutBlanks(cell.text), ok);
        return ok;
    }
    case CellValue::Kind::Number: {
        const double v = cell.number;
        if (!(v >= -2147483648.0 && v <= 2147483647.0) || std::trunc(v) != v)
            return false;
        quantity = int32_t(v);
        return true;
    }
    case CellValue::Kind::Empty:
        break;
    }
    return true;
}

struct SheetRow {
    CellValue m_spec, m_length, m_quantity, m_mark;
};

bool IsEmptyCell(const CellValue& cell)
{
    return cell.kind == CellValue::Kind::Empty ||
           (cell.kind == CellValue::Kind::Text && WithoutBlanks(cell.text).empty());
}

bool IsEmptyRow(const SheetRow& row)
{
    return IsEmptyCell(row.m_spec) && IsEmptyCell(row.m_length) && IsEmptyCell(row.m_quantity) &&
           IsEmptyCell(row.m_mark);
}

// Applies the row rules and appends the row when it is good.
bool AppendSheetRow(const SheetRow& row, ListKind kind, InputLists& lists)
{
    const std::u16string spec = CellText(row.m_spec);
    if (spec.empty() || spec.size() > MYSTRING_MAX_UNITS)
        return false;
    const double length = CellLength(row.m_length);
    if (!std::isfinite(length) || !(length > 0))
        return false;
    int32_t quantity = 0;
    if (!CellQuantity(row.m_quantity, quantity))
        return false;

    if (kind == LIST_CUT) {
        if (quantity <= 0)
            return false;
        const std::u16string mark = CellText(row.m_mark);
        if (mark.size() > MYSTRING_MAX_UNITS)
            return false;
        lists.AppendCutRow(spec, length, quantity, mark);
    } else {
        if (quantity == 0)
            quantity = -1;  // unlimited
        const bool priority =
            row.m_mark.kind == CellValue::Kind::Text && WithoutBlanks(row.m_mark.text) == PRIORITY_TEXT;
        lists.AppendStockRow(spec, length, quantity, priority ? 1 : 0);
    }
    return true;
}

// A cell as the report shows it: a text as it stands, a number as it reads back.
std::u16string ShownText(const CellValue& cell)
{
    switch (cell.kind) {
    case CellValue::Kind::Text:
        return cell.text;
    case CellValue::Kind::Number:
        return NumberText(cell.number);
    case CellValue::Kind::Empty:
        break;
    }
    return std::u16string();
}

std::u16string ShownRow(const SheetRow& row)
{
    const std::u16string cells[] = {ShownText(row.m_spec), ShownText(row.m_length), ShownText(row.m_quantity),
                                    ShownText(row.m_mark)};
    std::size_t count = 4;
    while (count > 0 && cells[count - 1].empty())
        --count;
    std::u16string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            text += CELL_SEPARATOR;
        text += cells[i];
        if (text.size() > MAX_REPORTED_ROW_UNITS)
            break;
    }
    if (text.size() > MAX_REPORTED_ROW_UNITS)
        text.resize(MAX_REPORTED_ROW_UNITS);
    return text;
}

// A non-empty bad row whose reporting waits for what follows it.
struct PendingRow {
    int64_t m_row = 0;
    std::u16string m_text;
    bool m_hasSpec = false;
};

void ReportRow(SpreadsheetImportReport& report, const PendingRow& row)
{
    ++report.m_reportedBadRowCount;
    AppendBadLineReport(report.m_badRowText, report.m_reportedBadRowCount, row.m_row, row.m_text);
}

CellValue ReadCell(SpreadsheetConnection& sheet, int32_t column, int32_t row)
{
    sheet.SelectRange(column, row);
    return sheet.GetValue();
}

}  // namespace

void BuildListWorkbook(SpreadsheetConnection& sheet, ListKind kind, const InputLists& lists)
{
    const bool cut = kind == LIST_CUT;
    const int32_t n = int32_t(cut ? lists.CutRowCount() : lists.StockRowCount());

    sheet.Start();
    sheet.SelectSheet(1);
    sheet.SetSheetName(cut ? u"下料" : u"原料");

    SetColumnWidthAt(sheet, COLUMN_SERIAL, 8);
    SetColumnWidthAt(sheet, COLUMN_SPEC, 40);
    SetColumnWidthAt(sheet, COLUMN_LENGTH, 18);
    SetColumnWidthAt(sheet, COLUMN_QUANTITY, 15);
    SetColumnWidthAt(sheet, COLUMN_MARK, 22);
    if (cut)
        SetColumnWidthAt(sheet, COLUMN_TOTAL, 22);

    // Row 1: the title over the whole table. The text goes into A1 alone, so
    // that the cells under the merge stay empty.
    sheet.SelectRange(COLUMN_SERIAL, TITLE_ROW);
    sheet.SetValue(cut ? u"Trevak线材下料优化---下料信息" : u"Trevak线材下料优化---原料信息");
    sheet.SelectRange(COLUMN_SERIAL, TITLE_ROW, COLUMN_TOTAL, TITLE_ROW);
    sheet.Merge();
    TitleStyle(sheet);

    // Row 2: the header.
    WriteTextCell(sheet, COLUMN_SERIAL, HEADER_ROW, u"序 号");
    WriteTextCell(sheet, COLUMN_SPEC, HEADER_ROW, u"规   格");
    WriteTextCell(sheet, COLUMN_LENGTH, HEADER_ROW, u"长 度");
    WriteTextCell(sheet, COLUMN_QUANTITY, HEADER_ROW, u"数 量");
    WriteTextCell(sheet, COLUMN_MARK, HEADER_ROW, cut ? u"标   记" : u"优先级");
    WriteTextCell(sheet, COLUMN_TOTAL, HEADER_ROW, u"总 长");
    sheet.SelectRange(COLUMN_SERIAL, HEADER_ROW, COLUMN_TOTAL, HEADER_ROW);
    HeaderStyle(sheet);

    // The list rows.
    for (int32_t i = 0; i < n; ++i) {
        const int32_t row = FIRST_LIST_ROW + i;
        const std::u16string r = CountString(row);
        WriteNumberCell(sheet, COLUMN_SERIAL, row, double(i) + 1);
        if (cut) {
            WriteTextCell(sheet, COLUMN_SPEC, row, lists.m_cutSpec[i]);
            WriteNumberCell(sheet, COLUMN_LENGTH, row, lists.m_cutLength[i]);
            WriteNumberCell(sheet, COLUMN_QUANTITY, row, lists.m_cutQuantity[i]);
            WriteTextCell(sheet, COLUMN_MARK, row, lists.m_cutMark[i]);
            WriteFormulaCell(sheet, COLUMN_TOTAL, row, u"=C" + r + u"*D" + r);
        } else {
            WriteTextCell(sheet, COLUMN_SPEC, row, lists.m_stockSpec[i]);
            WriteNumberCell(sheet, COLUMN_LENGTH, row, lists.m_stockLength[i]);
            const bool unlimited = lists.m_stockQuantity[i] < 1;
            if (unlimited)
                WriteTextCell(sheet, COLUMN_QUANTITY, row, UNLIMITED_TEXT);
            else
                WriteNumberCell(sheet, COLUMN_QUANTITY, row, lists.m_stockQuantity[i]);
            WriteTextCell(sheet, COLUMN_MARK, row, lists.m_stockPriority[i] == 1 ? PRIORITY_TEXT : u"");
            if (unlimited)
                WriteTextCell(sheet, COLUMN_TOTAL, row, NO_TOTAL_TEXT);
            else
                WriteFormulaCell(sheet, COLUMN_TOTAL, row, u"=C" + r + u"*D" + r);
        }
    }
    if (n > 0) {
        sheet.SelectRange(COLUMN_SERIAL, FIRST_LIST_ROW, COLUMN_TOTAL, FIRST_LIST_ROW + n - 1);
        BodyStyle(sheet);
    }

    // The totals row. Over an empty list the range 3..2 would take in the
    // totals cell itself; the totals are then plainly 0.
    const int32_t totalsRow = FIRST_LIST_ROW + n;
    WriteTextCell(sheet, COLUMN_LENGTH, totalsRow, u"汇 总");
    if (n > 0) {
        const std::u16string range = CountString(FIRST_LIST_ROW) + u":";
        const std::u16string last = CountString(totalsRow - 1);
        WriteFormulaCell(sheet, COLUMN_QUANTITY, totalsRow, u"=SUM(D" + range + u"D" + last + u")");
        WriteFormulaCell(sheet, COLUMN_TOTAL, totalsRow, u"=SUM(F" + range + u"F" + last + u")");
    } else {
        WriteNumberCell(sheet, COLUMN_QUANTITY, totalsRow, 0);
        WriteNumberCell(sheet, COLUMN_TOTAL, totalsRow, 0);
    }
    sheet.SelectRange(COLUMN_LENGTH, totalsRow, COLUMN_TOTAL, totalsRow);
    HeaderStyle(sheet);

    sheet.FitColumns(COLUMN_SERIAL, COLUMN_SERIAL, 1);
    sheet.FitColumns(COLUMN_SPEC, cut ? COLUMN_TOTAL : COLUMN_MARK, 4);
    sheet.SelectSheet(1);
    sheet.ActivateSheet();
}

bool ExportSpreadsheetList(const std::string& path, ListKind kind, const InputLists& lists, std::u16string& error)
{
    error.clear();
    const int64_t n = int64_t(kind == LIST_CUT ? lists.CutRowCount() : lists.StockRowCount());
    // Title, header, the rows and the totals row.
    if (n + FIRST_LIST_ROW > MAX_SHEET_ROWS) {
        error = u"列表有 " + CountString(n) + u" 行，超出一个工作表所能容纳的行数，文件 < " + Utf8ToUtf16(path) +
                u" > 未写入 !";
        return false;
    }
    SpreadsheetConnection sheet;
    BuildListWorkbook(sheet, kind, lists);
    std::u16string saveError;
    const bool saved = sheet.SaveAs(path, saveError);
    sheet.CloseAll();
    sheet.Release();
    if (!saved)
        error = FileError(saveError, path, u"写入有误 !");
    return saved;
}

SpreadsheetImportReport ImportSpreadsheetList(const std::string& path, ListKind kind, InputLists& lists)
{
    SpreadsheetImportReport report;
    SpreadsheetConnection sheet;
    std::u16string openError;
    if (!sheet.OpenWorkbook(path, openError)) {
        report.m_error = FileError(openError, path, u"无法读取 !");
        sheet.Release();
        return report;
    }
    report = ReadListSheet(sheet, kind, lists);
    sheet.CloseAll();
    sheet.Release();
    return report;
}

SpreadsheetImportReport ReadListSheet(SpreadsheetConnection& sheet, ListKind kind, InputLists& lists)
{
    SpreadsheetImportReport report;
    report.m_opened = true;
    sheet.SelectSheet(1);

    // Non-empty bad rows since the last good row. At most BAD_ROWS_TO_STOP of
    // them wait at any time, so holding them costs nothing however long the
    // sheet is.
    std::vector<PendingRow> pending;
    bool anyGood = false;
    int32_t badInARow = 0;
    for (int64_t r = 1; badInARow < BAD_ROWS_TO_STOP; ++r) {
        // Past the last row of a worksheet nothing more can be read.
        if (r > MAX_SHEET_ROWS)
            break;
        const int32_t row = int32_t(r);
        SheetRow cells;
        cells.m_spec = ReadCell(sheet, COLUMN_SPEC, row);
        cells.m_length = ReadCell(sheet, COLUMN_LENGTH, row);
        cells.m_quantity = ReadCell(sheet, COLUMN_QUANTITY, row);
        cells.m_mark = ReadCell(sheet, COLUMN_MARK, row);
        ++report.m_rowCount;

        if (AppendSheetRow(cells, kind, lists)) {
            ++report.m_goodRowCount;
            badInARow = 0;
            // Bad rows between two good rows are reported; those before the
            // first good row are the sheet's title and header.
            if (anyGood) {
                for (const PendingRow& p : pending)
                    ReportRow(report, p);
            }
            pending.clear();
            anyGood = true;
            continue;
        }
        ++report.m_badRowCount;
        ++badInARow;
        if (!IsEmptyRow(cells))
            pending.push_back(PendingRow{r, ShownRow(cells), !IsEmptyCell(cells.m_spec)});
    }
    int64_t truncatedAfter = 0;
    if (sheet.Book().truncated && sheet.CurrentSheet() >= 1 &&
        std::size_t(sheet.CurrentSheet()) <= sheet.Book().sheets.size()) {
        const Worksheet& data = sheet.Book().sheets[std::size_t(sheet.CurrentSheet()) - 1];
        const int64_t lastKeptRow = data.cells.empty() ? 0 : data.cells.rbegin()->first.first;
        report.m_truncated = report.m_rowCount > lastKeptRow;
        truncatedAfter = lastKeptRow;
    }
    // The bad rows that ended the reading: after a table, only those with a
    // specification look like list rows (a totals row has none); when nothing
    // was good, every one of them is shown so that the user learns why.
    for (const PendingRow& p : pending) {
        if (!anyGood || p.m_hasSpec)
            ReportRow(report, p);
    }
    if (report.m_truncated) {
        // The first row left out stands for all of them, as the line where a
        // capped text read ended does.
        const int64_t firstLeftOut = truncatedAfter + 1;
        ReportRow(report, PendingRow{firstLeftOut, u"(未读入)", false});
        report.m_badRowText += u"工作表超出读取上限，读取在第" + CountString(firstLeftOut) +
                               u"行结束，该行及以后各行未读入 !\n";
    }
    return report;
}
