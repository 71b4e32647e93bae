// Reading workbook files: .xlsx through liborcus' import interfaces, legacy
// .xls through freexl. Only what the program uses is kept: sheet names, cell
// texts and numbers, formulas with their stored results, merges, row heights
// and column widths. Styles are not read.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>

#if defined(__unix__)
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <exception>
#include <stdexcept>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <freexl.h>
#include <orcus/exception.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/sax_parser.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"

namespace fs = std::filesystem;
namespace ss = orcus::spreadsheet;

namespace {

constexpr int32_t MAX_ROW = 1048576;
constexpr int32_t MAX_COLUMN = 16384;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The spreadsheet's serial number of a date and time (days since 1899-12-30).
double SerialDate(int year, int month, int day, int hour, int minute, double second)
{
    const int64_t days = DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30);
    return static_cast<double>(days) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

// The book being filled, with the reading limits applied to every cell.
class BookBuilder {
public:
    BookBuilder(Workbook& book, const ReadLimits& limits) : m_book(book), m_limits(limits) {}

    Workbook& Book() { return m_book; }

    // The cell at 0-based row and column, or null when it is beyond the limits.
    Cell* Place(std::size_t sheet, int32_t row, int32_t column)
    {
        if (sheet >= m_book.sheets.size() || row < 0 || column < 0 || row >= MAX_ROW || column >= MAX_COLUMN)
            return nullptr;
        if (row >= m_limits.maxRows) {
            m_book.truncated = true;
            return nullptr;
        }
        auto& cells = m_book.sheets[sheet].cells;
        const std::pair<int32_t, int32_t> key(row + 1, column + 1);
        const auto it = cells.find(key);
        if (it != cells.end())
            return &it->second;
        if (m_full || m_cellCount >= m_limits.maxCells) {
            // The row being read is left out whole, so that no row is kept
            // with some of its cells missing; nothing after it is kept.
            if (!m_full)
                DropRow(sheet, row + 1);
            m_full = true;
            m_book.truncated = true;
            return nullptr;
        }
        ++m_cellCount;
        return &cells[key];
    }

    void SetText(std::size_t sheet, int32_t row, int32_t column, std::u16string text)
    {
        if (Cell* cell = Place(sheet, row, column)) {
            Forget(sheet, row, column);
            cell->kind = Cell::Kind::Text;
            cell->text = std::move(text);
        }
    }

    void SetNumber(std::size_t sheet, int32_t row, int32_t column, double number)
    {
        if (Cell* cell = Place(sheet, row, column)) {
            Forget(sheet, row, column);
            cell->kind = Cell::Kind::Number;
            cell->text.clear();
            cell->number = number;
        }
    }

    void SetFormula(std::size_t sheet, int32_t row, int32_t column, std::u16string formula, bool resultIsText,
                    double resultNumber, std::u16string resultText)
    {
        if (Cell* cell = Place(sheet, row, column)) {
            cell->kind = Cell::Kind::Formula;
            cell->text = std::move(formula);
            cell->resultIsText = resultIsText;
            cell->resultNumber = resultNumber;
            cell->resultText = std::move(resultText);
            m_book.sheets[sheet].formulas.insert({row + 1, column + 1});
        }
    }

    void Copy(std::size_t sheet, int32_t fromRow, int32_t column, int32_t toRow)
    {
        if (sheet >= m_book.sheets.size())
            return;
        const Cell* source = m_book.sheets[sheet].Find(column + 1, fromRow + 1);
        if (!source)
            return;
        const Cell copy = *source;
        if (Cell* cell = Place(sheet, toRow, column)) {
            *cell = copy;
            if (copy.kind == Cell::Kind::Formula)
                m_book.sheets[sheet].formulas.insert({toRow + 1, column + 1});
        }
    }

private:
    Workbook& m_book;
    ReadLimits m_limits;
    std::size_t m_cellCount = 0;
    bool m_full = false;  // the cell limit was reached

    void DropRow(std::size_t sheet, int32_t row)
    {
        Worksheet& data = m_book.sheets[sheet];
        const auto first = data.cells.lower_bound({row, 0});
        const auto last = data.cells.lower_bound({row + 1, 0});
        m_cellCount -= static_cast<std::size_t>(std::distance(first, last));
        data.cells.erase(first, last);
        data.formulas.erase(data.formulas.lower_bound({row, 0}), data.formulas.lower_bound({row + 1, 0}));
    }

    void Forget(std::size_t sheet, int32_t row, int32_t column)
    {
        m_book.sheets[sheet].formulas.erase({row + 1, column + 1});
    }
};

// ---------------------------------------------------------------- .xlsx

// The shared strings of a workbook are kept whole before any cell is read, so
// their number and size are limited: a file of a few megabytes can declare
// tens of millions of them. Beyond these the file is refused.
constexpr std::size_t MAX_SHARED_STRINGS = 1000000;
constexpr std::size_t MAX_SHARED_STRING_BYTES = 32u << 20;

// Thrown inside the reading when a limit is passed; ReadXlsx turns it into
// the error text.
struct WorkbookTooLarge : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Texts in a workbook write characters that XML cannot hold (control
// characters) as "_xHHHH_", and a text that itself holds such a pattern has
// its "_" written as "_x005F_". Reading turns them back into the characters.
std::string UnescapeXlsxText(std::string_view text)
{
    if (text.find("_x") == std::string_view::npos)
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '_' && i + 7 <= text.size() && text[i + 1] == 'x' && IsHexDigit(text[i + 2]) &&
            IsHexDigit(text[i + 3]) && IsHexDigit(text[i + 4]) && IsHexDigit(text[i + 5]) && text[i + 6] == '_') {
            const unsigned long unit = std::strtoul(std::string(text.substr(i + 2, 4)).c_str(), nullptr, 16);
            result += Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(unit)));
            i += 7;
        } else {
            result.push_back(text[i++]);
        }
    }
    return result;
}

class SharedStrings : public ss::iface::import_shared_strings {
public:
    std::vector<std::string> m_strings;

    std::size_t append(std::string_view s) override
    {
        Keep(std::string(s));
        return m_strings.size() - 1;
    }
    std::size_t add(std::string_view s) override { return append(s); }
    void set_segment_font(std::size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void append_segment(std::string_view s) override
    {
        if (m_bytes + m_segments.size() + s.size() > MAX_SHARED_STRING_BYTES)
            throw WorkbookTooLarge(TooLarge());
        m_segments.append(s.data(), s.size());
    }
    std::size_t commit_segments() override
    {
        Keep(std::move(m_segments));
        m_segments.clear();
        return m_strings.size() - 1;
    }

private:
    std::string m_segments;
    std::size_t m_bytes = 0;

    static std::string TooLarge()
    {
        return "more than " + std::to_string(MAX_SHARED_STRINGS) + " shared strings or " +
               std::to_string(MAX_SHARED_STRING_BYTES >> 20) + " MiB of them";
    }

    void Keep(std::string text)
    {
        m_bytes += text.size();
        if (m_strings.size() >= MAX_SHARED_STRINGS || m_bytes > MAX_SHARED_STRING_BYTES)
            throw WorkbookTooLarge(TooLarge());
        m_strings.push_back(UnescapeXlsxText(text));
    }
};

class GlobalSettings : public ss::iface::import_global_settings {
public:
    void set_origin_date(int, int, int) override {}
    void set_default_formula_grammar(ss::formula_grammar_t grammar) override { m_grammar = grammar; }
    ss::formula_grammar_t get_default_formula_grammar() const override { return m_grammar; }
    void set_character_set(orcus::character_set_t) override {}

private:
    ss::formula_grammar_t m_grammar = ss::formula_grammar_t::xlsx;
};

// Cell addresses in A1 notation ("B3", "$B$3", "A1:F1", "Sheet1!A:A"), which
// the .xlsx reader needs for sheet dimensions and merged areas.
class ReferenceResolver : public ss::iface::import_reference_resolver {
public:
    ss::src_address_t resolve_address(std::string_view address) override
    {
        ss::src_address_t result{0, 0, 0};
        std::string_view text = WithoutSheet(address);
        if (!ParsePart(text, result, false, false) || !text.empty())
            throw orcus::invalid_arg_error("invalid cell address: " + std::string(address));
        return result;
    }

    ss::src_range_t resolve_range(std::string_view range) override
    {
        std::string_view text = WithoutSheet(range);
        const std::size_t colon = text.find(':');
        std::string_view firstText = text.substr(0, colon);
        std::string_view lastText = colon == std::string_view::npos ? firstText : text.substr(colon + 1);
        ss::src_range_t result{{0, 0, 0}, {0, 0, 0}};
        if (!ParsePart(firstText, result.first, true, false) || !firstText.empty()
            || !ParsePart(lastText, result.last, true, true) || !lastText.empty())
            throw orcus::invalid_arg_error("invalid cell range: " + std::string(range));
        return result;
    }

private:
    static std::string_view WithoutSheet(std::string_view text)
    {
        const std::size_t bang = text.rfind('!');
        return bang == std::string_view::npos ? text : text.substr(bang + 1);
    }

    // Reads "$A$1", "A" or "1" off the front of text (0-based result). A part
    // without a row or a column (allowed in ranges) spans the whole sheet.
    static bool ParsePart(std::string_view& text, ss::src_address_t& address, bool partial, bool last)
    {
        std::size_t i = 0;
        if (i < text.size() && text[i] == '$')
            ++i;
        int64_t column = 0;
        int letters = 0;
        while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])) && letters < 4) {
            column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
            ++letters;
            ++i;
        }
        if (i < text.size() && text[i] == '$')
            ++i;
        int64_t row = 0;
        int digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 8) {
            row = row * 10 + (text[i] - '0');
            ++digits;
            ++i;
        }
        if (letters == 0 && digits == 0)
            return false;
        if ((letters == 0 || digits == 0) && !partial)
            return false;
        if ((letters && (column < 1 || column > MAX_COLUMN)) || (digits && (row < 1 || row > MAX_ROW)))
            return false;
        address.sheet = 0;
        address.column = letters ? static_cast<ss::col_t>(column - 1) : (last ? MAX_COLUMN - 1 : 0);
        address.row = digits ? static_cast<ss::row_t>(row - 1) : (last ? MAX_ROW - 1 : 0);
        text.remove_prefix(i);
        return true;
    }
};

class SheetImporter;

class FormulaImporter : public ss::iface::import_formula {
public:
    FormulaImporter(BookBuilder& builder, std::size_t sheet) : m_builder(builder), m_sheet(sheet) {}

    void set_position(ss::row_t row, ss::col_t col) override
    {
        m_row = row;
        m_column = col;
        m_formula.clear();
        m_resultIsText = true;
        m_resultNumber = 0;
        m_resultText.clear();
    }
    void set_formula(ss::formula_grammar_t, std::string_view formula) override { m_formula = formula; }
    void set_shared_formula_index(std::size_t) override {}
    void set_result_string(std::string_view value) override
    {
        m_resultIsText = true;
        m_resultText = Utf8ToUtf16(UnescapeXlsxText(value));
    }
    void set_result_value(double value) override
    {
        m_resultIsText = false;
        m_resultNumber = value;
    }
    // A logical result reads like an empty one.
    void set_result_bool(bool) override { set_result_empty(); }
    void set_result_empty() override
    {
        m_resultIsText = true;
        m_resultText.clear();
    }
    void commit() override
    {
        if (m_formula.empty()) {
            // A cell sharing another cell's formula comes without its own
            // text; its stored result is kept as a plain value.
            if (m_resultIsText) {
                if (!m_resultText.empty())
                    m_builder.SetText(m_sheet, m_row, m_column, m_resultText);
            } else {
                m_builder.SetNumber(m_sheet, m_row, m_column, m_resultNumber);
            }
            return;
        }
        m_builder.SetFormula(m_sheet, m_row, m_column, u"=" + Utf8ToUtf16(m_formula), m_resultIsText,
                             m_resultNumber, m_resultText);
    }

private:
    BookBuilder& m_builder;
    std::size_t m_sheet;
    ss::row_t m_row = 0;
    ss::col_t m_column = 0;
    std::string m_formula;
    bool m_resultIsText = true;
    double m_resultNumber = 0;
    std::u16string m_resultText;
};

class SheetProperties : public ss::iface::import_sheet_properties {
public:
    SheetProperties(BookBuilder& builder, std::size_t sheet) : m_builder(builder), m_sheet(sheet) {}

    void set_column_width(ss::col_t col, double width, orcus::length_unit_t unit) override
    {
        if (col >= 0 && col < MAX_COLUMN && unit == orcus::length_unit_t::xlsx_column_digit)
            Sheet().columnWidths[col + 1] = width;
    }
    void set_column_hidden(ss::col_t, bool) override {}
    void set_row_height(ss::row_t row, double height, orcus::length_unit_t unit) override
    {
        if (row >= 0 && row < MAX_ROW && unit == orcus::length_unit_t::point
            && Sheet().rowHeights.size() < MAX_ROWS_KEPT)
            Sheet().rowHeights[row + 1] = height;
    }
    void set_row_hidden(ss::row_t, bool) override {}
    void set_merge_cell_range(const ss::range_t& range) override
    {
        if (range.first.row < 0 || range.first.column < 0 || range.last.row >= MAX_ROW
            || range.last.column >= MAX_COLUMN || range.first.row > range.last.row
            || range.first.column > range.last.column || Sheet().merges.size() >= MAX_MERGES_KEPT)
            return;
        CellRange merge;
        merge.column1 = range.first.column + 1;
        merge.row1 = range.first.row + 1;
        merge.column2 = range.last.column + 1;
        merge.row2 = range.last.row + 1;
        Sheet().merges.push_back(merge);
    }

private:
    static constexpr std::size_t MAX_ROWS_KEPT = 1048576;
    static constexpr std::size_t MAX_MERGES_KEPT = 100000;
    BookBuilder& m_builder;
    std::size_t m_sheet;

    Worksheet& Sheet() { return m_builder.Book().sheets[m_sheet]; }
};

class SheetImporter : public ss::iface::import_sheet {
public:
    SheetImporter(BookBuilder& builder, SharedStrings& strings, std::size_t sheet)
        : m_builder(builder), m_strings(strings), m_sheet(sheet), m_formula(builder, sheet),
          m_properties(builder, sheet)
    {
    }

    ss::iface::import_formula* get_formula() override { return &m_formula; }
    ss::iface::import_sheet_properties* get_sheet_properties() override { return &m_properties; }

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override
    {
        m_builder.SetText(m_sheet, row, col, Utf8ToUtf16(UnescapeXlsxText(s)));
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t index) override
    {
        const std::string text = index < m_strings.m_strings.size() ? m_strings.m_strings[index] : std::string();
        m_builder.SetText(m_sheet, row, col, Utf8ToUtf16(text));
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override
    {
        m_builder.SetNumber(m_sheet, row, col, value);
    }
    // Logical cells read like empty ones.
    void set_bool(ss::row_t, ss::col_t, bool) override {}
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute,
                       double second) override
    {
        m_builder.SetNumber(m_sheet, row, col, SerialDate(year, month, day, hour, minute, second));
    }
    void set_format(ss::row_t, ss::col_t, std::size_t) override {}
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, std::size_t) override {}
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t rangeSize) override
    {
        for (ss::row_t i = 1; i <= rangeSize && row + i < MAX_ROW; ++i)
            m_builder.Copy(m_sheet, row, col, row + i);
    }
    ss::range_size_t get_sheet_size() const override
    {
        ss::range_size_t size;
        size.rows = MAX_ROW;
        size.columns = MAX_COLUMN;
        return size;
    }

private:
    BookBuilder& m_builder;
    SharedStrings& m_strings;
    std::size_t m_sheet;
    FormulaImporter m_formula;
    SheetProperties m_properties;
};

class XlsxFactory : public ss::iface::import_factory {
public:
    explicit XlsxFactory(BookBuilder& builder) : m_builder(builder) {}

    ss::iface::import_global_settings* get_global_settings() override { return &m_settings; }
    ss::iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    ss::iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t) override
    {
        return &m_resolver;
    }

    ss::iface::import_sheet* append_sheet(ss::sheet_t, std::string_view name) override
    {
        Workbook& book = m_builder.Book();
        Worksheet sheet;
        sheet.name = Utf8ToUtf16(std::string(name));
        book.sheets.push_back(std::move(sheet));
        m_sheets.push_back(std::make_unique<SheetImporter>(m_builder, m_strings, book.sheets.size() - 1));
        return m_sheets.back().get();
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override
    {
        const std::u16string wanted = Utf8ToUtf16(std::string(name));
        const Workbook& book = m_builder.Book();
        for (std::size_t i = 0; i < book.sheets.size(); ++i)
            if (book.sheets[i].name == wanted)
                return m_sheets[i].get();
        return nullptr;
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override
    {
        if (index < 0 || static_cast<std::size_t>(index) >= m_sheets.size())
            return nullptr;
        return m_sheets[static_cast<std::size_t>(index)].get();
    }
    void finalize() override {}

private:
    BookBuilder& m_builder;
    SharedStrings m_strings;
    GlobalSettings m_settings;
    ReferenceResolver m_resolver;
    std::vector<std::unique_ptr<SheetImporter>> m_sheets;
};

// ---------------------------------------------------------------- inline strings

// Cells whose text stands in the sheet itself (t="inlineStr", as many programs
// other than spreadsheet applications write them) are passed over by orcus;
// they are read in a second pass over the sheet parts that hold any.
class InlineStringCells {
public:
    InlineStringCells(BookBuilder& builder, std::size_t sheet) : m_builder(builder), m_sheet(sheet) {}

    void doctype(const orcus::sax::doctype_declaration&) {}
    void start_declaration(std::string_view) {}
    void end_declaration(std::string_view) {}
    void attribute(const orcus::sax::parser_attribute& attr)
    {
        if (attr.name == "r")
            m_reference.assign(attr.value);
        else if (attr.name == "t")
            m_type.assign(attr.value);
    }
    void start_element(const orcus::sax::parser_element& elem)
    {
        if (elem.name == "row") {
            int32_t row = 0, column = 0;
            m_row = ParseReference(m_reference, row, column, true) ? row : m_row + 1;
            m_column = -1;
        } else if (elem.name == "c") {
            int32_t row = 0, column = 0;
            if (ParseReference(m_reference, row, column, false)) {
                m_row = row;
                m_column = column;
            } else {
                ++m_column;
            }
            m_inline = m_type == "inlineStr";
            m_text.clear();
        } else if (elem.name == "rPh") {
            ++m_phonetic;  // the reading aid of East Asian texts is not part of the text
        } else if (elem.name == "t") {
            m_inText = m_inline && m_phonetic == 0;
        }
        m_reference.clear();
        m_type.clear();
    }
    void end_element(const orcus::sax::parser_element& elem)
    {
        if (elem.name == "t") {
            m_inText = false;
        } else if (elem.name == "rPh") {
            --m_phonetic;
        } else if (elem.name == "c") {
            if (m_inline && m_row >= 0 && m_column >= 0) {
                if (m_text.size() > MAX_SHARED_STRING_BYTES)
                    throw WorkbookTooLarge("an inline text of more than " +
                                           std::to_string(MAX_SHARED_STRING_BYTES >> 20) + " MiB");
                m_builder.SetText(m_sheet, m_row, m_column, Utf8ToUtf16(UnescapeXlsxText(m_text)));
            }
            m_inline = false;
        }
    }
    void characters(std::string_view value, bool)
    {
        if (m_inText && m_text.size() <= MAX_SHARED_STRING_BYTES)
            m_text.append(value.data(), value.size());
    }

private:
    // "B12" (or "12" for a row) to 0-based numbers.
    static bool ParseReference(const std::string& text, int32_t& row, int32_t& column, bool rowOnly)
    {
        std::size_t i = 0;
        int64_t c = 0, r = 0;
        for (; !rowOnly && i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])) && i < 4; ++i)
            c = c * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
        const std::size_t digits = i;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 8; ++i)
            r = r * 10 + (text[i] - '0');
        if (i != text.size() || i == digits || r < 1 || r > MAX_ROW || (!rowOnly && (c < 1 || c > MAX_COLUMN)))
            return false;
        row = static_cast<int32_t>(r - 1);
        column = static_cast<int32_t>(c - 1);
        return true;
    }

    BookBuilder& m_builder;
    std::size_t m_sheet;
    std::string m_reference, m_type, m_text;
    int32_t m_row = -1, m_column = -1;
    int m_phonetic = 0;
    bool m_inline = false, m_inText = false;
};

// Collects one attribute of every element of a name: the r:id of the sheets
// of a workbook part, or the Id and Target of the relationships.
class AttributeList {
public:
    AttributeList(std::string_view element, std::string_view first, std::string_view second)
        : m_element(element), m_first(first), m_second(second)
    {
    }
    std::vector<std::pair<std::string, std::string>> m_found;

    void doctype(const orcus::sax::doctype_declaration&) {}
    void start_declaration(std::string_view) {}
    void end_declaration(std::string_view) {}
    void attribute(const orcus::sax::parser_attribute& attr)
    {
        if (attr.name == m_first)
            m_firstValue.assign(attr.value);
        else if (attr.name == m_second)
            m_secondValue.assign(attr.value);
    }
    void start_element(const orcus::sax::parser_element& elem)
    {
        if (elem.name == m_element)
            m_found.emplace_back(m_firstValue, m_secondValue);
        m_firstValue.clear();
        m_secondValue.clear();
    }
    void end_element(const orcus::sax::parser_element&) {}
    void characters(std::string_view, bool) {}

private:
    std::string_view m_element, m_first, m_second;
    std::string m_firstValue, m_secondValue;
};

template <typename Handler>
void ParsePart(const std::vector<unsigned char>& part, Handler& handler)
{
    orcus::sax_parser<Handler> parser(reinterpret_cast<const char*>(part.data()), part.size(), handler);
    parser.parse();
}

// The folder of a part ("xl/" for "xl/workbook.xml") and a target relative to it.
std::string PartPath(const std::string& from, const std::string& target)
{
    if (!target.empty() && target[0] == '/')
        return target.substr(1);
    const std::size_t slash = from.rfind('/');
    std::string path = slash == std::string::npos ? std::string() : from.substr(0, slash + 1);
    std::string rest = target;
    while (rest.compare(0, 3, "../") == 0) {
        rest.erase(0, 3);
        const std::size_t up = path.find_last_of('/', path.size() >= 2 ? path.size() - 2 : 0);
        path = up == std::string::npos ? std::string() : path.substr(0, up + 1);
    }
    return path + rest;
}

// Reads the inline-string cells of every sheet into the book; the sheets come
// in the order of the workbook part, as orcus appended them.
void ReadInlineStrings(orcus::zip_archive_stream& stream, BookBuilder& builder)
{
    orcus::zip_archive archive(&stream);
    archive.load();
    std::vector<unsigned char> part;
    std::string workbookPath = "xl/workbook.xml";
    if (archive.read_file_entry("_rels/.rels", part)) {
        AttributeList relations("Relationship", "Type", "Target");
        ParsePart(part, relations);
        for (const auto& [type, target] : relations.m_found)
            if (type.size() >= 15 && type.compare(type.size() - 15, 15, "/officeDocument") == 0)
                workbookPath = PartPath("", target);
    }
    if (!archive.read_file_entry(workbookPath, part))
        return;
    AttributeList sheets("sheet", "id", "name");
    ParsePart(part, sheets);
    const std::size_t slash = workbookPath.rfind('/');
    const std::string relsPath = (slash == std::string::npos ? std::string() : workbookPath.substr(0, slash + 1)) +
                                 "_rels/" + workbookPath.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
    if (!archive.read_file_entry(relsPath, part))
        return;
    AttributeList relations("Relationship", "Id", "Target");
    ParsePart(part, relations);

    const std::string_view mark = "inlineStr";
    for (std::size_t i = 0; i < sheets.m_found.size() && i < builder.Book().sheets.size(); ++i) {
        std::string target;
        for (const auto& [id, where] : relations.m_found)
            if (id == sheets.m_found[i].first)
                target = where;
        if (target.empty() || !archive.read_file_entry(PartPath(workbookPath, target), part))
            continue;
        if (std::search(part.begin(), part.end(), mark.begin(), mark.end()) == part.end())
            continue;
        InlineStringCells cells(builder, i);
        ParsePart(part, cells);
    }
}

std::u16string Quoted(const std::string& name)
{
    return u"“" + Utf8ToUtf16(name) + u"”";
}

std::u16string DamagedXlsx(const std::string& name, const std::string& detail)
{
    std::u16string message =
        u"无法读取电子表格文件" + Quoted(name) + u"：文件已损坏或不是有效的 .xlsx 工作簿";
    if (!detail.empty())
        message += u"（" + Utf8ToUtf16(detail) + u"）";
    return message + u"。";
}

std::u16string BeyondLimits(const std::string& name, const std::string& detail)
{
    return u"无法读取电子表格文件" + Quoted(name) + u"：文件内容超出读取上限（" + Utf8ToUtf16(detail) + u"）。";
}

// An .xlsx file is a zip archive whose parts the reader inflates whole into
// memory and parses. Before that, the sizes the archive declares are checked,
// so that a small file of hostile content cannot make it allocate gigabytes or
// parse for minutes: no part above 128 MiB, not above 160 MiB together (a
// sheet of 1,048,576 rows of a list takes some 120 MiB; parsing runs at about
// 20 MiB a second), none packed larger than the file, and none inflating more
// than deflate can (about 1:1032).
constexpr uint64_t MAX_PART_SIZE = 128ull << 20;
constexpr uint64_t MAX_TOTAL_SIZE = 160ull << 20;
constexpr uint64_t MAX_INFLATION = 1100;

// The shared strings are inflated whole before they are parsed, so their part
// has a limit of its own, in line with MAX_SHARED_STRING_BYTES (each string
// takes some 20 bytes of markup besides its text).
constexpr uint64_t MAX_SHARED_STRINGS_PART_SIZE = 64ull << 20;

bool IsSharedStringsPart(std::string_view name)
{
    const std::string_view suffix = "sharedstrings.xml";
    if (name.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - suffix.size() + i])) != suffix[i])
            return false;
    return true;
}

// Reads `length` bytes at `offset` of the archive; fewer at its end.
using ArchiveReader = std::string (*)(const void* source, uint64_t offset, std::size_t length);

uint32_t Little32(const std::string& b, std::size_t at)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at]))
           | static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8
           | static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16
           | static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

uint16_t Little16(const std::string& b, std::size_t at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

// Empty when the archive's declared sizes are acceptable, else the reason.
// Archives whose directory cannot be found are left to the reader to refuse.
std::string CheckArchiveSizes(const void* source, uint64_t size, ArchiveReader read)
{
    const std::size_t tailLength = static_cast<std::size_t>(std::min<uint64_t>(size, 65535 + 22));
    const std::string tail = read(source, size - tailLength, tailLength);
    if (tail.size() < 22)
        return std::string();
    std::size_t end = std::string::npos;
    for (std::size_t at = tail.size() - 22 + 1; at-- > 0;) {
        if (Little32(tail, at) == 0x06054b50) {
            end = at;
            break;
        }
    }
    if (end == std::string::npos)
        return std::string();
    const uint32_t directorySize = Little32(tail, end + 12);
    const uint32_t directoryOffset = Little32(tail, end + 16);
    if (directoryOffset == 0xFFFFFFFF || static_cast<uint64_t>(directoryOffset) + directorySize > size)
        return std::string();
    const std::string directory = read(source, directoryOffset, directorySize);
    uint64_t total = 0;
    for (std::size_t at = 0; at + 46 <= directory.size() && Little32(directory, at) == 0x02014b50;) {
        const uint64_t packed = Little32(directory, at + 20);
        const uint64_t unpacked = Little32(directory, at + 24);
        if (packed > size)
            return "a part declares " + std::to_string(packed) + " packed bytes in a file of " + std::to_string(size);
        if (unpacked > MAX_PART_SIZE || (unpacked > (1u << 20) && unpacked > packed * MAX_INFLATION))
            return "a part declares " + std::to_string(unpacked) + " bytes";
        const std::size_t nameLength = Little16(directory, at + 28);
        if (at + 46 + nameLength <= directory.size() &&
            IsSharedStringsPart(std::string_view(directory).substr(at + 46, nameLength)) &&
            unpacked > MAX_SHARED_STRINGS_PART_SIZE)
            return "the shared strings part declares " + std::to_string(unpacked) + " bytes";
        total += unpacked;
        if (total > MAX_TOTAL_SIZE)
            return "the parts declare more than " + std::to_string(MAX_TOTAL_SIZE) + " bytes";
        at += 46 + static_cast<std::size_t>(Little16(directory, at + 28)) + Little16(directory, at + 30)
              + Little16(directory, at + 32);
    }
    return std::string();
}

std::string ReadFromBytes(const void* source, uint64_t offset, std::size_t length)
{
    const std::string& bytes = *static_cast<const std::string*>(source);
    if (offset >= bytes.size())
        return std::string();
    return bytes.substr(static_cast<std::size_t>(offset), length);
}

std::string ReadFromFile(const void* source, uint64_t offset, std::size_t length)
{
    std::ifstream& in = *static_cast<std::ifstream*>(const_cast<void*>(source));
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    std::string part(length, '\0');
    in.read(&part[0], static_cast<std::streamsize>(length));
    part.resize(static_cast<std::size_t>(in.gcount()));
    return part;
}

// Reads .xlsx from a file (path) or from memory (bytes); exceptions stop here.
bool ReadXlsx(const std::string* path, const std::string* bytes, const std::string& name, Workbook& book,
              std::u16string& error, const ReadLimits& limits)
{
    book = Workbook();
    std::string tooLarge;
    if (bytes) {
        tooLarge = CheckArchiveSizes(bytes, bytes->size(), ReadFromBytes);
    } else {
        std::ifstream in(fs::u8path(*path), std::ios::binary);
        std::error_code code;
        const uint64_t size = fs::file_size(fs::u8path(*path), code);
        if (in && !code)
            tooLarge = CheckArchiveSizes(&in, size, ReadFromFile);
    }
    if (!tooLarge.empty()) {
        error = BeyondLimits(name, tooLarge);
        return false;
    }
    try {
        BookBuilder builder(book, limits);
        XlsxFactory factory(builder);
        orcus::orcus_xlsx reader(&factory);
        if (path)
            reader.read_file(*path);
        else
            reader.read_stream(std::string_view(*bytes));
        if (path) {
            orcus::zip_archive_stream_fd stream(path->c_str());
            ReadInlineStrings(stream, builder);
        } else {
            orcus::zip_archive_stream_blob stream(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
            ReadInlineStrings(stream, builder);
        }
    } catch (const WorkbookTooLarge& e) {
        book = Workbook();
        error = BeyondLimits(name, e.what());
        return false;
    } catch (const std::bad_alloc&) {
        book = Workbook();
        error = u"无法读取电子表格文件" + Quoted(name) + u"：内存不足。";
        return false;
    } catch (const std::exception& e) {
        book = Workbook();
        error = DamagedXlsx(name, e.what());
        return false;
    } catch (...) {
        book = Workbook();
        error = DamagedXlsx(name, std::string());
        return false;
    }
    if (book.sheets.empty()) {
        error = DamagedXlsx(name, "no worksheet");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- .xls

std::string FreexlReason(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return "file not found";
    case FREEXL_INSUFFICIENT_MEMORY:
        return "insufficient memory";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return "broken compound file structure";
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return "read error, the file is damaged or cut short";
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        return "broken workbook records";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return "no workbook inside the file";
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return "unsupported character set";
    case FREEXL_CRAFTED_FILE:
        return "severely damaged file";
    default:
        return "error " + std::to_string(code);
    }
}

// Encrypted workbooks (a password to open) are compound files whose streams
// carry these names; freexl cannot read them.
bool LooksEncrypted(const std::string& bytes)
{
    static const char16_t* const names[] = {u"EncryptedPackage", u"EncryptionInfo"};
    for (const char16_t* name : names) {
        std::string pattern;
        for (const char16_t* p = name; *p; ++p) {
            pattern.push_back(static_cast<char>(*p & 0xFF));
            pattern.push_back(static_cast<char>(*p >> 8));
        }
        if (bytes.find(pattern) != std::string::npos)
            return true;
    }
    return false;
}

std::u16string PasswordProtected(const std::string& name)
{
    return u"电子表格文件" + Quoted(name)
           + u"有密码保护，无法读取。请在电子表格软件中取消密码后再导入。";
}

std::u16string DamagedXls(const std::string& name, const std::string& detail)
{
    return u"无法读取电子表格文件" + Quoted(name) + u"：文件已损坏或不是有效的 .xls 工作簿（"
           + Utf8ToUtf16(detail) + u"）。";
}

// Parses "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" into a serial number.
bool ParseDateText(const char* text, int type, double& serial)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
    if (type == FREEXL_CELL_DATE) {
        if (std::sscanf(text, "%d-%d-%d", &year, &month, &day) != 3)
            return false;
        serial = SerialDate(year, month, day, 0, 0, 0);
    } else if (type == FREEXL_CELL_DATETIME) {
        if (std::sscanf(text, "%d-%d-%d %d:%d:%lf", &year, &month, &day, &hour, &minute, &second) != 6)
            return false;
        serial = SerialDate(year, month, day, hour, minute, second);
    } else {
        if (std::sscanf(text, "%d:%d:%lf", &hour, &minute, &second) != 3)
            return false;
        serial = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    }
    return true;
}

bool ReadXls(const std::string& path, const std::string& name, const std::string& head, Workbook& book,
             std::u16string& error, const ReadLimits& limits)
{
    book = Workbook();
    const void* handle = nullptr;
    const int opened = freexl_open(path.c_str(), &handle);
    if (opened != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        error = LooksEncrypted(head) ? PasswordProtected(name) : DamagedXls(name, FreexlReason(opened));
        return false;
    }
    struct Closer {
        const void* handle;
        ~Closer() { freexl_close(handle); }
    } closer{handle};

    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
        error = PasswordProtected(name);
        return false;
    }
    unsigned int sheetCount = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK || sheetCount == 0) {
        error = LooksEncrypted(head) ? PasswordProtected(name) : DamagedXls(name, "no worksheet");
        return false;
    }

    BookBuilder builder(book, limits);
    for (unsigned int s = 0; s < sheetCount && s < 65535; ++s) {
        const char* sheetName = nullptr;
        Worksheet sheet;
        if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(s), &sheetName) == FREEXL_OK && sheetName)
            sheet.name = Utf8ToUtf16(sheetName);
        book.sheets.push_back(std::move(sheet));
        const std::size_t index = book.sheets.size() - 1;

        int result = freexl_select_active_worksheet(handle, static_cast<unsigned short>(s));
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (result == FREEXL_OK)
            result = freexl_worksheet_dimensions(handle, &rows, &columns);
        if (result != FREEXL_OK) {
            book = Workbook();
            error = DamagedXls(name, FreexlReason(result));
            return false;
        }
        for (unsigned int row = 0; row < rows && row < static_cast<unsigned int>(MAX_ROW); ++row) {
            if (static_cast<int32_t>(row) >= limits.maxRows) {
                book.truncated = true;
                break;
            }
            for (unsigned short column = 0; column < columns; ++column) {
                FreeXL_CellValue value;
                std::memset(&value, 0, sizeof(value));
                if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK)
                    continue;
                const int32_t r = static_cast<int32_t>(row), c = column;
                switch (value.type) {
                case FREEXL_CELL_INT:
                    builder.SetNumber(index, r, c, value.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    builder.SetNumber(index, r, c, value.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    if (value.value.text_value)
                        builder.SetText(index, r, c, Utf8ToUtf16(value.value.text_value));
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME: {
                    double serial = 0;
                    if (value.value.text_value && ParseDateText(value.value.text_value, value.type, serial))
                        builder.SetNumber(index, r, c, serial);
                    break;
                }
                default:
                    break;
                }
            }
        }
    }
    return true;
}

// Legacy .xls files are read by libfreexl, which has memory faults on some
// damaged files (a stack-buffer overrun inside freexl_open). So that such a
// file can never harm the program, the reading runs in a child process that
// sends the cells back through a pipe; a child that dies means "damaged".

void PutU32(std::string& out, uint32_t v)
{
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void PutText(std::string& out, const std::u16string& text)
{
    PutU32(out, static_cast<uint32_t>(text.size()));
    out.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
}

class Unpacker {
public:
    explicit Unpacker(const std::string& data) : m_data(data) {}
    bool U32(uint32_t& v) { return Raw(&v, sizeof v); }
    bool Double(double& v) { return Raw(&v, sizeof v); }
    bool Text(std::u16string& text)
    {
        uint32_t size = 0;
        if (!U32(size) || size > (m_data.size() - m_at) / sizeof(char16_t))
            return false;
        text.resize(size);
        return Raw(text.data(), size * sizeof(char16_t));
    }
    bool AtEnd() const { return m_at == m_data.size(); }

private:
    bool Raw(void* to, std::size_t size)
    {
        if (m_data.size() - m_at < size)
            return false;
        std::memcpy(to, m_data.data() + m_at, size);
        m_at += size;
        return true;
    }
    const std::string& m_data;
    std::size_t m_at = 0;
};

// The result of a read as bytes: ok, error, truncated, then the sheets with
// their text and number cells (the only cells the .xls reader makes).
std::string PackRead(bool ok, const Workbook& book, const std::u16string& error)
{
    std::string out;
    PutU32(out, ok ? 1 : 0);
    PutText(out, error);
    PutU32(out, book.truncated ? 1 : 0);
    PutU32(out, static_cast<uint32_t>(book.sheets.size()));
    for (const Worksheet& sheet : book.sheets) {
        PutText(out, sheet.name);
        PutU32(out, static_cast<uint32_t>(sheet.cells.size()));
        for (const auto& [key, cell] : sheet.cells) {
            PutU32(out, static_cast<uint32_t>(key.first));
            PutU32(out, static_cast<uint32_t>(key.second));
            const bool text = cell.kind == Cell::Kind::Text;
            PutU32(out, text ? 1 : 0);
            if (text) {
                PutText(out, cell.text);
            } else {
                out.append(reinterpret_cast<const char*>(&cell.number), sizeof cell.number);
            }
        }
    }
    return out;
}

bool UnpackRead(const std::string& data, bool& ok, Workbook& book, std::u16string& error)
{
    Unpacker in(data);
    uint32_t flag = 0, truncated = 0, sheets = 0;
    if (!in.U32(flag) || !in.Text(error) || !in.U32(truncated) || !in.U32(sheets))
        return false;
    ok = flag != 0;
    book = Workbook();
    book.truncated = truncated != 0;
    for (uint32_t s = 0; s < sheets; ++s) {
        Worksheet sheet;
        uint32_t cells = 0;
        if (!in.Text(sheet.name) || !in.U32(cells))
            return false;
        for (uint32_t c = 0; c < cells; ++c) {
            uint32_t row = 0, column = 0, text = 0;
            if (!in.U32(row) || !in.U32(column) || !in.U32(text))
                return false;
            Cell cell;
            if (text) {
                cell.kind = Cell::Kind::Text;
                if (!in.Text(cell.text))
                    return false;
            } else {
                cell.kind = Cell::Kind::Number;
                if (!in.Double(cell.number))
                    return false;
            }
            sheet.cells.emplace(std::make_pair(static_cast<int32_t>(row), static_cast<int32_t>(column)),
                                std::move(cell));
        }
        book.sheets.push_back(std::move(sheet));
    }
    return in.AtEnd();
}

bool ReadXlsIsolated(const std::string& path, const std::string& name, const std::string& head, Workbook& book,
                     std::u16string& error, const ReadLimits& limits)
{
#if defined(__unix__)
    int fds[2];
    if (pipe(fds) != 0)
        return ReadXls(path, name, head, book, error, limits);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return ReadXls(path, name, head, book, error, limits);
    }
    if (child == 0) {
        close(fds[0]);
        Workbook read;
        std::u16string readError;
        const bool ok = ReadXls(path, name, head, read, readError, limits);
        const std::string packed = PackRead(ok, read, readError);
        std::size_t at = 0;
        while (at < packed.size()) {
            const ssize_t n = write(fds[1], packed.data() + at, packed.size() - at);
            if (n <= 0)
                _exit(2);
            at += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            data.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    bool ok = false;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !UnpackRead(data, ok, book, error)) {
        book = Workbook();
        error = DamagedXls(name, "the file could not be read");
        return false;
    }
    return ok;
#else
    return ReadXls(path, name, head, book, error, limits);
#endif
}

// ---------------------------------------------------------------- dispatch

enum class FileKind { Empty, Xlsx, Xls, Other };

FileKind KindOf(const std::string& head)
{
    if (head.empty())
        return FileKind::Empty;
    if (head.size() >= 2 && head[0] == 'P' && head[1] == 'K')
        return FileKind::Xlsx;
    static const char cfb[] = {'\xD0', '\xCF', '\x11', '\xE0'};
    if (head.size() >= 4 && std::memcmp(head.data(), cfb, 4) == 0)
        return FileKind::Xls;
    return FileKind::Other;
}

std::u16string NotSpreadsheet(const std::string& name, bool empty)
{
    if (empty)
        return u"文件" + Quoted(name) + u"是空文件，不是电子表格文件。";
    return u"文件" + Quoted(name) + u"不是电子表格文件（.xlsx 或 .xls）。";
}

// A file of our own in the temporary folder, removed when the object goes.
class TemporaryFile {
public:
    bool Create(const std::string& bytes)
    {
        std::random_device random;
        std::error_code error;
        const fs::path folder = fs::temp_directory_path(error);
        if (error)
            return false;
        for (int attempt = 0; attempt < 20; ++attempt) {
            const fs::path candidate = folder / ("trevak-workbook-" + std::to_string(random()) + ".xls");
            if (fs::exists(candidate, error))
                continue;
            std::ofstream out(candidate, std::ios::binary);
            if (!out)
                continue;
            m_path = candidate;
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            out.close();
            return static_cast<bool>(out);
        }
        return false;
    }
    ~TemporaryFile()
    {
        std::error_code error;
        if (!m_path.empty())
            fs::remove(m_path, error);
    }
    std::string Path() const { return m_path.u8string(); }

private:
    fs::path m_path;
};

}  // namespace

bool ReadWorkbookFile(const std::string& path, Workbook& book, std::u16string& error, const ReadLimits& limits)
{
    book = Workbook();
    error.clear();
    std::ifstream in(fs::u8path(path), std::ios::binary);
    std::error_code code;
    if (!in || fs::is_directory(fs::u8path(path), code)) {
        error = u"无法打开文件" + Quoted(path) + u"。";
        return false;
    }
    // The first bytes choose the reader; a compound file is searched whole
    // (up to 64 MiB) for the marks of encryption.
    std::string head(8, '\0');
    in.read(&head[0], static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    switch (KindOf(head)) {
    case FileKind::Empty:
        error = NotSpreadsheet(path, true);
        return false;
    case FileKind::Other:
        error = NotSpreadsheet(path, false);
        return false;
    case FileKind::Xlsx:
        in.close();
        return ReadXlsx(&path, nullptr, path, book, error, limits);
    case FileKind::Xls: {
        in.seekg(0);
        std::string whole(std::min<std::uintmax_t>(fs::file_size(fs::u8path(path), code), 64u << 20), '\0');
        in.read(&whole[0], static_cast<std::streamsize>(whole.size()));
        whole.resize(static_cast<std::size_t>(in.gcount()));
        in.close();
        return ReadXlsIsolated(path, path, whole, book, error, limits);
    }
    }
    return false;
}

bool ReadWorkbookBytes(const std::string& bytes, Workbook& book, std::u16string& error, const ReadLimits& limits,
                       const std::string& name)
{
    book = Workbook();
    error.clear();
    const std::string shown = name.empty() ? std::string("(内存中的数据)") : name;
    switch (KindOf(bytes.substr(0, 8))) {
    case FileKind::Empty:
        error = NotSpreadsheet(shown, true);
        return false;
    case FileKind::Other:
        error = NotSpreadsheet(shown, false);
        return false;
    case FileKind::Xlsx:
        return ReadXlsx(nullptr, &bytes, shown, book, error, limits);
    case FileKind::Xls: {
        // freexl reads only files.
        TemporaryFile file;
        if (!file.Create(bytes)) {
            error = u"无法读取电子表格文件" + Quoted(shown) + u"：无法写入临时文件。";
            return false;
        }
        return ReadXlsIsolated(file.Path(), shown, bytes, book, error, limits);
    }
    }
    return false;
}
