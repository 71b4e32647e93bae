// Writing a Workbook as .xlsx with libxlsxwriter.

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <xlsxwriter.h>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "base/FileAccess.h"

namespace {

constexpr int32_t MAX_ROW = 1048576;
constexpr int32_t MAX_COLUMN = 16384;
// The longest text a cell can hold, in characters.
constexpr std::size_t MAX_CELL_TEXT = 32767;
// The longest sheet name, in characters.
constexpr std::size_t MAX_SHEET_NAME = 31;

using FormatKey = std::tuple<bool, double, uint32_t, bool, uint32_t, bool, std::u16string, int32_t, int32_t, int32_t,
                             int32_t, int32_t, int32_t, int32_t, int32_t>;

FormatKey KeyOf(const CellFormat& f)
{
    return FormatKey(f.bold, f.fontSize, f.fontColour, f.hasFill, f.hasFill ? f.fill : 0, f.centred, f.numberFormat,
                     f.top.lineStyle, f.top.weight, f.bottom.lineStyle, f.bottom.weight, f.left.lineStyle,
                     f.left.weight, f.right.lineStyle, f.right.weight);
}

// 0xBBGGRR to libxlsxwriter's 0xRRGGBB, where plain 0 would mean "no colour".
lxw_color_t ToRgb(uint32_t bgr)
{
    const uint32_t red = bgr & 0xFF, green = (bgr >> 8) & 0xFF, blue = (bgr >> 16) & 0xFF;
    const uint32_t rgb = (red << 16) | (green << 8) | blue;
    return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

// Line style 1 (continuous) by weight; line style 0 draws nothing.
uint8_t BorderStyle(const CellBorder& border)
{
    if (border.lineStyle == 0)
        return LXW_BORDER_NONE;
    switch (border.weight) {
    case 1:
        return LXW_BORDER_HAIR;
    case 3:
        return LXW_BORDER_MEDIUM;
    case 4:
        return LXW_BORDER_THICK;
    default:
        return LXW_BORDER_THIN;
    }
}

// A text cut to at most `limit` characters, never inside a surrogate pair.
std::u16string Truncated(const std::u16string& text, std::size_t limit)
{
    std::size_t units = 0, characters = 0;
    while (units < text.size() && characters < limit) {
        const bool pair = text[units] >= 0xD800 && text[units] <= 0xDBFF && units + 1 < text.size()
                          && text[units + 1] >= 0xDC00 && text[units + 1] <= 0xDFFF;
        units += pair ? 2 : 1;
        ++characters;
    }
    return text.substr(0, units);
}

std::string CellText(const std::u16string& text)
{
    return Utf16ToUtf8(Truncated(text, MAX_CELL_TEXT));
}

// Sheet names as the file format allows them: no []:*?/\, not empty, at most
// 31 characters, no two alike (ignoring letter case). A name that breaks a rule
// is mended rather than refused.
std::vector<std::string> SheetNames(const Workbook& book)
{
    std::vector<std::string> names;
    std::set<std::u16string> used;
    auto folded = [](std::u16string s) {
        for (char16_t& c : s)
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - u'a' + u'A');
        return s;
    };
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        std::u16string name = book.sheets[i].name;
        for (char16_t& c : name)
            if (c == u'[' || c == u']' || c == u':' || c == u'*' || c == u'?' || c == u'/' || c == u'\\')
                c = u'_';
        if (!name.empty() && name.front() == u'\'')
            name.front() = u'_';
        if (!name.empty() && name.back() == u'\'')
            name.back() = u'_';
        if (name.empty())
            name = u"Sheet";
        name = Truncated(name, MAX_SHEET_NAME);
        std::u16string candidate = name;
        for (int n = 2; used.count(folded(candidate)); ++n) {
            const std::string suffix = "(" + std::to_string(n) + ")";
            const std::u16string suffix16(suffix.begin(), suffix.end());
            candidate = Truncated(name, MAX_SHEET_NAME - suffix16.size()) + suffix16;
        }
        used.insert(folded(candidate));
        names.push_back(Utf16ToUtf8(candidate));
    }
    return names;
}

class XlsxFile {
public:
    explicit XlsxFile(lxw_workbook* workbook) : m_workbook(workbook) {}

    lxw_format* Format(const CellFormat& format)
    {
        static const CellFormat plain;
        const FormatKey key = KeyOf(format);
        if (key == KeyOf(plain))
            return nullptr;
        const auto it = m_formats.find(key);
        if (it != m_formats.end())
            return it->second;
        lxw_format* f = workbook_add_format(m_workbook);
        if (format.bold)
            format_set_bold(f);
        format_set_font_size(f, format.fontSize);
        if (format.fontColour != 0)
            format_set_font_color(f, ToRgb(format.fontColour));
        if (format.hasFill) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, ToRgb(format.fill));
        }
        if (format.centred) {
            format_set_align(f, LXW_ALIGN_CENTER);
            format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        }
        if (!format.numberFormat.empty())
            format_set_num_format(f, Utf16ToUtf8(format.numberFormat).c_str());
        format_set_top(f, BorderStyle(format.top));
        format_set_bottom(f, BorderStyle(format.bottom));
        format_set_left(f, BorderStyle(format.left));
        format_set_right(f, BorderStyle(format.right));
        m_formats.emplace(key, f);
        return f;
    }

    lxw_error WriteSheet(const Worksheet& sheet, lxw_worksheet* ws)
    {
        // The cells a merge hides (all but its top-left cell) are written blank.
        std::set<std::pair<int32_t, int32_t>> hidden;
        for (const CellRange& merge : sheet.merges) {
            if (!InSheet(merge.column1, merge.row1) || !InSheet(merge.column2, merge.row2))
                continue;
            if (merge.column1 == merge.column2 && merge.row1 == merge.row2)
                continue;
            // A failing merge (one overlapping another) is left out; the cells stay.
            if (worksheet_merge_range(ws, static_cast<lxw_row_t>(merge.row1 - 1),
                                      static_cast<lxw_col_t>(merge.column1 - 1),
                                      static_cast<lxw_row_t>(merge.row2 - 1),
                                      static_cast<lxw_col_t>(merge.column2 - 1), "", nullptr)
                != LXW_NO_ERROR)
                continue;
            auto it = sheet.cells.lower_bound({merge.row1, merge.column1});
            const auto end = sheet.cells.upper_bound({merge.row2, merge.column2});
            for (; it != end; ++it) {
                const int32_t column = it->first.second;
                if (column >= merge.column1 && column <= merge.column2
                    && !(it->first.first == merge.row1 && column == merge.column1))
                    hidden.insert(it->first);
            }
        }

        for (const auto& entry : sheet.cells) {
            const int32_t row = entry.first.first, column = entry.first.second;
            if (!InSheet(column, row))
                continue;
            const Cell& cell = entry.second;
            lxw_format* format = Format(cell.format);
            const lxw_row_t r = static_cast<lxw_row_t>(row - 1);
            const lxw_col_t c = static_cast<lxw_col_t>(column - 1);
            lxw_error result = LXW_NO_ERROR;
            if (hidden.count(entry.first) || cell.kind == Cell::Kind::Empty) {
                result = worksheet_write_blank(ws, r, c, format);
            } else if (cell.kind == Cell::Kind::Text) {
                result = worksheet_write_string(ws, r, c, CellText(cell.text).c_str(), format);
            } else if (cell.kind == Cell::Kind::Number) {
                if (std::isfinite(cell.number))
                    result = worksheet_write_number(ws, r, c, cell.number, format);
                else
                    result = worksheet_write_string(ws, r, c, "#NUM!", format);
            } else {
                const std::string formula = CellText(cell.text);
                if (cell.resultIsText)
                    result = worksheet_write_formula_str(ws, r, c, formula.c_str(), format,
                                                         CellText(cell.resultText).c_str());
                else
                    result = worksheet_write_formula_num(ws, r, c, formula.c_str(), format, cell.resultNumber);
            }
            if (result != LXW_NO_ERROR)
                return result;
        }

        for (const auto& entry : sheet.rowHeights)
            if (entry.first >= 1 && entry.first <= MAX_ROW)
                worksheet_set_row(ws, static_cast<lxw_row_t>(entry.first - 1), entry.second, nullptr);
        for (const auto& entry : sheet.columnWidths)
            if (entry.first >= 1 && entry.first <= MAX_COLUMN)
                worksheet_set_column(ws, static_cast<lxw_col_t>(entry.first - 1),
                                     static_cast<lxw_col_t>(entry.first - 1), entry.second, nullptr);
        return WritePageSetup(sheet.pageSetup, ws);
    }

    static lxw_error WritePageSetup(const PageSetup& page, lxw_worksheet* ws)
    {
        if (page.landscape)
            worksheet_set_landscape(ws);
        if (page.paper > 0 && page.paper <= 255)
            worksheet_set_paper(ws, static_cast<uint8_t>(page.paper));
        if (page.fitPagesWide > 0)
            worksheet_fit_to_pages(ws, static_cast<uint16_t>(std::min(page.fitPagesWide, 32767)), 0);
        else if (page.scale != 100)
            worksheet_set_print_scale(ws, static_cast<uint16_t>(std::clamp(page.scale, 10, 400)));
        if (page.titleFirstRow >= 1 && page.titleLastRow >= page.titleFirstRow && page.titleLastRow <= MAX_ROW) {
            const lxw_error result = worksheet_repeat_rows(ws, static_cast<lxw_row_t>(page.titleFirstRow - 1),
                                                           static_cast<lxw_row_t>(page.titleLastRow - 1));
            if (result != LXW_NO_ERROR)
                return result;
        }
        // Zero-based rows that start a page, ended by 0 (so row 1 never can).
        std::vector<lxw_row_t> breaks;
        for (const int32_t row : page.breaksBefore)
            if (row > 1 && row <= MAX_ROW && breaks.size() < MAX_PAGE_BREAKS)
                breaks.push_back(static_cast<lxw_row_t>(row - 1));
        if (!breaks.empty()) {
            breaks.push_back(0);
            return worksheet_set_h_pagebreaks(ws, breaks.data());
        }
        return LXW_NO_ERROR;
    }

private:
    lxw_workbook* m_workbook;
    std::map<FormatKey, lxw_format*> m_formats;

    static bool InSheet(int32_t column, int32_t row)
    {
        return column >= 1 && column <= MAX_COLUMN && row >= 1 && row <= MAX_ROW;
    }
};

std::u16string SaveError(const std::string& path, const std::string& reason)
{
    return u"无法保存文件“" + Utf8ToUtf16(path) + u"”：" + Utf8ToUtf16(reason);
}

}  // namespace

bool WriteWorkbookFile(const Workbook& book, const std::string& path, std::u16string& error)
{
    error.clear();
    // The workbook is written to a temporary file beside the target, which
    // replaces the target only once it is complete.
    AtomicFile target;
    if (!target.Create(path)) {
        error = SaveError(path, target.Error());
        return false;
    }
    lxw_workbook* workbook = workbook_new(target.TemporaryPath().c_str());
    if (!workbook) {
        error = SaveError(path, "the workbook could not be created");
        return false;
    }
    XlsxFile file(workbook);
    const std::vector<std::string> names = SheetNames(book);
    lxw_error failure = LXW_NO_ERROR;
    std::vector<lxw_worksheet*> sheets;
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        lxw_worksheet* ws = workbook_add_worksheet(workbook, names[i].c_str());
        if (!ws) {
            error = SaveError(path, "the sheet \"" + names[i] + "\" could not be added");
            workbook_close(workbook);
            return false;
        }
        sheets.push_back(ws);
        const lxw_error result = file.WriteSheet(book.sheets[i], ws);
        if (result != LXW_NO_ERROR && failure == LXW_NO_ERROR)
            failure = result;
    }
    if (!sheets.empty())
        worksheet_activate(sheets[book.activeSheet < sheets.size() ? book.activeSheet : 0]);
    const lxw_error closed = workbook_close(workbook);
    if (closed != LXW_NO_ERROR) {
        error = SaveError(path, lxw_strerror(closed));
        return false;
    }
    if (failure != LXW_NO_ERROR) {
        error = SaveError(path, lxw_strerror(failure));
        return false;
    }
    if (!target.Commit()) {
        error = SaveError(path, target.Error());
        return false;
    }
    return true;
}
