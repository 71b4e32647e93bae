#include "automation/SpreadsheetConnection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "automation/Formula.h"

namespace fs = std::filesystem;

WorkbookOpener* g_workbookOpener = nullptr;

namespace {

constexpr int32_t MAX_ROW = 1048576;
constexpr int32_t MAX_COLUMN = 16384;
// Added to the longest text of a column so that it does not touch the grid.
constexpr double FIT_PADDING = 1;
constexpr double FIT_MAXIMUM = 200;

int32_t Clamp(int32_t value, int32_t low, int32_t high)
{
    return std::min(std::max(value, low), high);
}

bool IsWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF)
           || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF)
           || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
           || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::u16string FromAscii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

void MakeText(Cell& cell, const std::u16string& text)
{
    cell.kind = Cell::Kind::Text;
    cell.text = text;
    cell.number = 0;
    cell.resultIsText = false;
    cell.resultNumber = 0;
    cell.resultText.clear();
}

}  // namespace

const Cell* Worksheet::Find(int32_t column, int32_t row) const
{
    const auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

std::string ColumnLetters(int32_t column)
{
    if (column < 1)
        return std::string();
    std::string letters;
    int64_t n = column;
    while (n > 0) {
        const int64_t digit = (n - 1) % 26;
        letters.insert(letters.begin(), static_cast<char>('A' + digit));
        n = (n - 1) / 26;
    }
    return letters;
}

std::u16string DisplayText(const Cell& cell)
{
    double number = 0;
    switch (cell.kind) {
    case Cell::Kind::Empty:
        return std::u16string();
    case Cell::Kind::Text:
        return cell.text;
    case Cell::Kind::Number:
        number = cell.number;
        break;
    case Cell::Kind::Formula:
        if (cell.resultIsText)
            return cell.resultText;
        number = cell.resultNumber;
        break;
    }
    if (!std::isfinite(number))
        return u"#NUM!";
    if (number == 0)
        return u"0";  // also -0
    // The shortest form that reads back as the same number, at most 15
    // significant digits (the precision the spreadsheet shows), written out
    // in full unless it is very large or very small.
    char buffer[400];
    std::snprintf(buffer, sizeof(buffer), "%.14e", number);
    number = std::strtod(buffer, nullptr);
    int digits = 1;
    for (; digits < 15; ++digits) {
        std::snprintf(buffer, sizeof(buffer), "%.*e", digits - 1, number);
        if (std::strtod(buffer, nullptr) == number)
            break;
    }
    std::snprintf(buffer, sizeof(buffer), "%.*e", digits - 1, number);
    const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
    if (exponent >= -5 && exponent < 15)
        std::snprintf(buffer, sizeof(buffer), "%.*f", std::max(0, digits - 1 - exponent), number);
    return FromAscii(buffer);
}

double TextWidth(const std::u16string& text)
{
    double width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        width += IsWide(c) ? 2 : 1;
    }
    return width;
}

Worksheet* SpreadsheetConnection::CurrentSheetData()
{
    if (m_sheet < 1 || static_cast<std::size_t>(m_sheet) > m_book.sheets.size())
        return nullptr;
    return &m_book.sheets[static_cast<std::size_t>(m_sheet) - 1];
}

const Worksheet* SpreadsheetConnection::CurrentSheetData() const
{
    if (m_sheet < 1 || static_cast<std::size_t>(m_sheet) > m_book.sheets.size())
        return nullptr;
    return &m_book.sheets[static_cast<std::size_t>(m_sheet) - 1];
}

template <typename Visit>
void SpreadsheetConnection::ForEachCell(Visit visit)
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    for (int32_t row = m_range.row1; row <= m_range.row2; ++row)
        for (int32_t column = m_range.column1; column <= m_range.column2; ++column)
            visit(sheet->cells[{row, column}], row, column);
}

void SpreadsheetConnection::Recalculate()
{
    for (Worksheet& sheet : m_book.sheets)
        if (!sheet.formulas.empty())
            RecalculateFormulas(sheet);
    m_stale = false;
}

void SpreadsheetConnection::Refresh() const
{
    // Only the cached formula results change.
    if (m_stale)
        const_cast<SpreadsheetConnection*>(this)->Recalculate();
}

bool SpreadsheetConnection::Start()
{
    m_book = Workbook();
    Worksheet sheet;
    sheet.name = u"Sheet1";
    m_book.sheets.push_back(std::move(sheet));
    m_sheet = 1;
    m_range = CellRange();
    return true;
}

bool SpreadsheetConnection::OpenWorkbook(const std::string& path, std::u16string& error)
{
    Workbook book;
    m_sheet = 1;
    m_range = CellRange();
    if (!ReadWorkbookFile(path, book, error, m_readLimits)) {
        m_book = Workbook();
        return false;
    }
    if (book.sheets.empty()) {
        Worksheet sheet;
        sheet.name = u"Sheet1";
        book.sheets.push_back(std::move(sheet));
    }
    m_book = std::move(book);
    return true;
}

void SpreadsheetConnection::SelectRange(int32_t column, int32_t row)
{
    SelectRange(column, row, column, row);
}

void SpreadsheetConnection::SelectRange(int32_t column, int32_t row, int32_t column2, int32_t row2)
{
    // Clamped to the sheet, corners in either order.
    column = Clamp(column, 1, MAX_COLUMN);
    column2 = Clamp(column2, 1, MAX_COLUMN);
    row = Clamp(row, 1, MAX_ROW);
    row2 = Clamp(row2, 1, MAX_ROW);
    m_range.column1 = std::min(column, column2);
    m_range.column2 = std::max(column, column2);
    m_range.row1 = std::min(row, row2);
    m_range.row2 = std::max(row, row2);
}

CellValue SpreadsheetConnection::GetValue() const
{
    Refresh();
    CellValue value;
    const Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return value;
    const Cell* cell = sheet->Find(m_range.column1, m_range.row1);
    if (!cell)
        return value;
    switch (cell->kind) {
    case Cell::Kind::Empty:
        break;
    case Cell::Kind::Text:
        value.kind = CellValue::Kind::Text;
        value.text = cell->text;
        break;
    case Cell::Kind::Number:
        value.kind = CellValue::Kind::Number;
        value.number = cell->number;
        break;
    case Cell::Kind::Formula:
        if (cell->resultIsText) {
            // An error value reads like anything else that is neither text nor number: empty.
            if (!IsErrorText(cell->resultText)) {
                value.kind = CellValue::Kind::Text;
                value.text = cell->resultText;
            }
        } else {
            value.kind = CellValue::Kind::Number;
            value.number = cell->resultNumber;
        }
        break;
    }
    return value;
}

void SpreadsheetConnection::SetValue(const std::u16string& text)
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    ForEachCell([&](Cell& cell, int32_t row, int32_t column) {
        MakeText(cell, text);
        sheet->formulas.erase({row, column});
    });
    m_stale = true;
}

void SpreadsheetConnection::SetValue(double number)
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    ForEachCell([&](Cell& cell, int32_t row, int32_t column) {
        MakeText(cell, std::u16string());
        cell.kind = Cell::Kind::Number;
        cell.number = number;
        sheet->formulas.erase({row, column});
    });
    m_stale = true;
}

void SpreadsheetConnection::SetFormula(const std::u16string& formula)
{
    if (formula.empty() || formula[0] != u'=') {
        SetValue(formula);
        return;
    }
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    ForEachCell([&](Cell& cell, int32_t row, int32_t column) {
        MakeText(cell, formula);
        cell.kind = Cell::Kind::Formula;
        // Until the evaluator says otherwise, a formula it does not know is "#NAME?".
        cell.resultIsText = true;
        cell.resultText = u"#NAME?";
        sheet->formulas.insert({row, column});
    });
    m_stale = true;
}

void SpreadsheetConnection::SetNumberFormat(const std::u16string& format)
{
    ForEachCell([&](Cell& cell, int32_t, int32_t) { cell.format.numberFormat = format; });
}

void SpreadsheetConnection::Merge()
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    CellRange merged = m_range;
    if (merged.column1 == merged.column2 && merged.row1 == merged.row2)
        return;  // one cell: nothing to merge
    // A merge that overlaps earlier ones takes them in, as the spreadsheet
    // does, so that merged areas never overlap.
    bool grown = true;
    while (grown) {
        grown = false;
        for (auto it = sheet->merges.begin(); it != sheet->merges.end();) {
            const bool overlaps = it->column1 <= merged.column2 && merged.column1 <= it->column2
                                  && it->row1 <= merged.row2 && merged.row1 <= it->row2;
            if (!overlaps) {
                ++it;
                continue;
            }
            const CellRange old = *it;
            it = sheet->merges.erase(it);
            const CellRange before = merged;
            merged.column1 = std::min(merged.column1, old.column1);
            merged.column2 = std::max(merged.column2, old.column2);
            merged.row1 = std::min(merged.row1, old.row1);
            merged.row2 = std::max(merged.row2, old.row2);
            if (merged.column1 != before.column1 || merged.column2 != before.column2 || merged.row1 != before.row1
                || merged.row2 != before.row2)
                grown = true;
        }
    }
    sheet->merges.push_back(merged);
}

void SpreadsheetConnection::SetBorder(int32_t lineStyle, int32_t weight)
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    CellBorder border;
    border.lineStyle = lineStyle;
    border.weight = weight;
    // Only the cells on the edges of the range are touched.
    for (int32_t column = m_range.column1; column <= m_range.column2; ++column) {
        sheet->cells[{m_range.row1, column}].format.top = border;
        sheet->cells[{m_range.row2, column}].format.bottom = border;
    }
    for (int32_t row = m_range.row1; row <= m_range.row2; ++row) {
        sheet->cells[{row, m_range.column1}].format.left = border;
        sheet->cells[{row, m_range.column2}].format.right = border;
    }
}

void SpreadsheetConnection::SetFont(bool bold, double size, uint32_t colour)
{
    ForEachCell([&](Cell& cell, int32_t, int32_t) {
        cell.format.bold = bold;
        cell.format.fontSize = size;
        cell.format.fontColour = colour & 0xFFFFFF;
    });
}

void SpreadsheetConnection::SetFill(uint32_t colour)
{
    ForEachCell([&](Cell& cell, int32_t, int32_t) {
        cell.format.hasFill = true;
        cell.format.fill = colour & 0xFFFFFF;
    });
}

void SpreadsheetConnection::CentreCells()
{
    ForEachCell([&](Cell& cell, int32_t, int32_t) { cell.format.centred = true; });
}

void SpreadsheetConnection::SetRowHeight(double height)
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    for (int32_t row = m_range.row1; row <= m_range.row2; ++row)
        sheet->rowHeights[row] = height;
}

void SpreadsheetConnection::SetColumnWidth(double width)
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    for (int32_t column = m_range.column1; column <= m_range.column2; ++column)
        sheet->columnWidths[column] = width;
}

void SpreadsheetConnection::SetLandscape(bool landscape)
{
    if (Worksheet* sheet = CurrentSheetData())
        sheet->pageSetup.landscape = landscape;
}

void SpreadsheetConnection::SetPaper(int32_t paper)
{
    if (Worksheet* sheet = CurrentSheetData())
        sheet->pageSetup.paper = std::max<int32_t>(0, paper);
}

void SpreadsheetConnection::FitToPagesWide(int32_t pages)
{
    if (Worksheet* sheet = CurrentSheetData())
        sheet->pageSetup.fitPagesWide = std::max<int32_t>(0, pages);
}

void SpreadsheetConnection::SetPrintScale(int32_t percent)
{
    if (Worksheet* sheet = CurrentSheetData()) {
        sheet->pageSetup.fitPagesWide = 0;
        sheet->pageSetup.scale = Clamp(percent, 10, 400);
    }
}

void SpreadsheetConnection::SetPrintTitleRows(int32_t first, int32_t last)
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    if (first < 1 || last < first || last > MAX_ROW)
        first = last = 0;
    sheet->pageSetup.titleFirstRow = first;
    sheet->pageSetup.titleLastRow = last;
}

void SpreadsheetConnection::AddPageBreakBefore(int32_t row)
{
    Worksheet* sheet = CurrentSheetData();
    if (!sheet || row <= 1 || row > MAX_ROW || sheet->pageSetup.breaksBefore.size() >= MAX_PAGE_BREAKS)
        return;
    sheet->pageSetup.breaksBefore.insert(row);
}

double ColumnWidthPoints(const Worksheet& sheet, int32_t column)
{
    const auto it = sheet.columnWidths.find(column);
    const double width = it == sheet.columnWidths.end() ? STANDARD_COLUMN_WIDTH : it->second;
    if (!(width > 0))
        return 0;
    return std::trunc(width * 7 + 5) * 0.75;
}

double RowHeightPoints(const Worksheet& sheet, int32_t row)
{
    const auto it = sheet.rowHeights.find(row);
    return it == sheet.rowHeights.end() ? STANDARD_ROW_HEIGHT : it->second;
}

void SpreadsheetConnection::FitColumns(int32_t first, int32_t last, double extra)
{
    Refresh();  // widths follow the shown results
    Worksheet* sheet = CurrentSheetData();
    if (!sheet)
        return;
    first = Clamp(first, 1, MAX_COLUMN);
    last = Clamp(last, 1, MAX_COLUMN);
    if (first > last)
        std::swap(first, last);

    // Cells of merged areas that span several columns do not count: their
    // text is spread over those columns.
    std::set<std::pair<int32_t, int32_t>> spread;
    for (const CellRange& merge : sheet->merges) {
        if (merge.column1 == merge.column2 || merge.column2 < first || merge.column1 > last)
            continue;
        auto it = sheet->cells.lower_bound({merge.row1, merge.column1});
        const auto end = sheet->cells.upper_bound({merge.row2, merge.column2});
        for (; it != end; ++it)
            if (it->first.second >= merge.column1 && it->first.second <= merge.column2)
                spread.insert(it->first);
    }

    std::map<int32_t, double> longest;
    for (const auto& entry : sheet->cells) {
        const int32_t column = entry.first.second;
        if (column < first || column > last || spread.count(entry.first))
            continue;
        const std::u16string text = DisplayText(entry.second);
        if (text.empty())
            continue;
        double& width = longest[column];
        width = std::max(width, TextWidth(text));
    }
    for (int32_t column = first; column <= last; ++column) {
        const auto it = longest.find(column);
        // An empty column gets the standard width, as fitting an empty column does.
        const double fitted = it == longest.end() ? STANDARD_COLUMN_WIDTH : it->second + FIT_PADDING;
        sheet->columnWidths[column] = std::trunc(std::min(fitted + extra, FIT_MAXIMUM));
    }
}

void SpreadsheetConnection::SelectSheet(int32_t index)
{
    if (index >= 1 && static_cast<std::size_t>(index) <= m_book.sheets.size())
        m_sheet = index;
}

void SpreadsheetConnection::AddSheetAfter(int32_t index)
{
    const std::size_t position =
        static_cast<std::size_t>(Clamp(index, 0, static_cast<int32_t>(m_book.sheets.size())));
    // The next free name of the form SheetN.
    std::u16string name;
    for (std::size_t n = m_book.sheets.size() + 1;; ++n) {
        name = u"Sheet" + FromAscii(std::to_string(n));
        const bool taken = std::any_of(m_book.sheets.begin(), m_book.sheets.end(),
                                       [&](const Worksheet& sheet) { return sheet.name == name; });
        if (!taken)
            break;
    }
    Worksheet sheet;
    sheet.name = name;
    m_book.sheets.insert(m_book.sheets.begin() + static_cast<std::ptrdiff_t>(position), std::move(sheet));
    if (m_book.activeSheet >= position && m_book.sheets.size() > 1)
        ++m_book.activeSheet;
    m_sheet = static_cast<int32_t>(position) + 1;
}

void SpreadsheetConnection::SetSheetName(const std::u16string& name)
{
    if (Worksheet* sheet = CurrentSheetData())
        sheet->name = name;
}

void SpreadsheetConnection::ActivateSheet()
{
    if (CurrentSheetData())
        m_book.activeSheet = static_cast<std::size_t>(m_sheet) - 1;
}

bool SpreadsheetConnection::SaveAs(const std::string& path, std::u16string& error)
{
    Refresh();
    return WriteWorkbookFile(m_book, path, error);
}

void SpreadsheetConnection::CloseAll()
{
    m_book = Workbook();
    m_sheet = 1;
    m_range = CellRange();
}

bool SpreadsheetConnection::ShowToUser(const std::string& folderName, const std::string& name, std::string& savedPath)
{
    savedPath.clear();
    const fs::path folder = fs::u8path(folderName);
    std::error_code ignored;
    fs::create_directories(folder, ignored);  // an existing folder is fine; other failures show when saving
    // Two workbooks shown within one second would get the same name; the
    // second then gets "-2" (and so on) so that the first stays as it is.
    fs::path path = folder / fs::u8path(name + ".xlsx");
    for (int n = 2; fs::exists(path, ignored) && n < 1000; ++n)
        path = folder / fs::u8path(name + "-" + std::to_string(n) + ".xlsx");
    std::u16string error;
    Refresh();
    if (!WriteWorkbookFile(m_book, path.u8string(), error))
        return false;
    savedPath = path.u8string();
    if (!g_workbookOpener)
        return false;
    return g_workbookOpener->OpenWorkbookFile(savedPath);
}

void SpreadsheetConnection::Release()
{
    CloseAll();
}

void SpreadsheetConnection::SetReadLimit(int32_t maxRows, std::size_t maxCells)
{
    m_readLimits.maxRows = Clamp(maxRows, 0, MAX_ROW);
    m_readLimits.maxCells = maxCells;
}
