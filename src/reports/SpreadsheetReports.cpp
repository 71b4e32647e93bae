#include "reports/SpreadsheetReports.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "automation/SheetCells.h"
#include "base/ReportConventions.h"
#include "engine/ResultText.h"
#include "reports/ReportRows.h"

namespace {

// ---------------------------------------------------------------------------
// The palette: red, green, blue and whether a label on it is black.

struct PaletteEntry {
    uint8_t red, green, blue;
    bool blackText;
};

const PaletteEntry PALETTE[SEGMENT_PALETTE_SIZE] = {
    {255, 102, 0, false},   {255, 153, 0, false},   {255, 204, 0, true},    {255, 204, 153, true},
    {128, 128, 0, false},   {153, 204, 0, false},   {255, 255, 0, true},    {255, 255, 153, true},
    {0, 128, 0, false},     {41, 153, 102, false},  {0, 255, 0, true},      {204, 255, 204, true},
    {0, 128, 128, false},   {41, 204, 204, true},   {0, 255, 255, true},    {204, 255, 255, true},
    {41, 41, 153, false},   {0, 0, 255, false},     {41, 102, 255, false},  {0, 204, 255, true},
    {153, 204, 255, true},  {102, 102, 153, false}, {128, 0, 128, false},   {153, 41, 102, false},
    {204, 153, 255, true},  {128, 128, 128, false}, {150, 150, 150, false}, {192, 192, 192, true},
    {0, 41, 102, false},    {128, 0, 0, false},     {255, 0, 0, false},     {255, 0, 255, false},
    {255, 153, 204, true},  {153, 41, 0, false},
};

const PaletteEntry& PaletteAt(int index)
{
    int i = index % SEGMENT_PALETTE_SIZE;
    if (i < 0)
        i += SEGMENT_PALETTE_SIZE;
    return PALETTE[i];
}

// Two piece lengths are the same piece when they differ by less than this.
const double SAME_LENGTH = 0.00001;

// ---------------------------------------------------------------------------
// Fixed styles and colours (0xBBGGRR).

const uint32_t BLACK = 0;
const uint32_t WHITE = 0xFFFFFF;
const uint32_t BAND_FILL = 0xFFFFCC;  // 204, 255, 255

const int32_t LINE_NONE = 0;

// The segment diagram: column I (9) holds the first per cent of a bar, column
// DD (108) the hundredth; H (8) and DE (109) carry the specification.
const int32_t DIAGRAM_OFFSET = 8;
const int32_t DIAGRAM_FIRST = 9;
const int32_t DIAGRAM_LAST = 108;
const int32_t LEFT_LABEL = 8;
const int32_t RIGHT_LABEL = 109;
const int PER_CENT_COLUMNS = 100;

const int32_t FIRST_BODY_ROW = 3;

// Printing: A4 landscape with the spreadsheet's default margins (0.7 inch
// left and right, 0.75 inch top and bottom), the title and header rows on
// every page.
const int32_t PAPER_A4 = 9;
const double PRINT_WIDTH = 841.89 - 2 * 0.7 * 72;   // points
const double PRINT_HEIGHT = 595.28 - 2 * 0.75 * 72;  // points
const int32_t TITLE_ROW = 1;
const int32_t HEADER_ROW = 2;
// Column widths and row heights are estimates (fonts and printers differ):
// pages are filled to this share only.
const double PRINT_SAFETY = 0.95;

const char16_t* const PLAN_TITLE = u"Trevak线材下料优化---下料组合统计";
const char16_t* const STOCK_TITLE = u"Trevak线材下料优化---原料统计";
const char16_t* const LEFTOVER_TITLE = u"Trevak线材下料优化---余料统计";
const char16_t* const NO_APPLICATION = u"未找到 Excel 软件，请先安装 Excel !";


// "=C%d*D%d" with row twice.
std::u16string ProductFormula(int32_t row)
{
    const std::u16string r = CountString(row);
    return u"=C" + r + u"*D" + r;
}

// "=SUM(X%d:X%d)" over one column. With no body rows the range would run from
// the first body row up to the totals row itself, a circular reference that
// the spreadsheet application warns about; the total of nothing is 0.
std::u16string SumFormula(char16_t column, int32_t first, int32_t last)
{
    if (last < first)
        return u"=0";
    return std::u16string(u"=SUM(") + column + CountString(first) + u":" + column + CountString(last) + u")";
}

// Selects the rectangle between two cells given in any order, as the
// spreadsheet application reads a range such as A3:E2 (no body rows) as A2:E3.
void Select(SpreadsheetConnection& c, int32_t column1, int32_t row1, int32_t column2, int32_t row2)
{
    c.SelectRange(std::min(column1, column2), std::min(row1, row2), std::max(column1, column2),
                  std::max(row1, row2));
}

void BandFill(SpreadsheetConnection& c)
{
    c.SetFill(BAND_FILL);
}

// The merged title over row 1, columns A to lastColumn.
void Title(SpreadsheetConnection& c, int32_t lastColumn, const std::u16string& text)
{
    c.SelectRange(1, 1, lastColumn, 1);
    c.Merge();
    c.SetValue(text);
    TitleStyle(c);
}

// Row 2: one bordered header text per column from A, then the header style.
void HeaderRow(SpreadsheetConnection& c, const std::vector<std::u16string>& texts)
{
    for (std::size_t i = 0; i < texts.size(); ++i) {
        c.SelectRange(static_cast<int32_t>(i + 1), 2);
        c.SetValue(texts[i]);
        ThinBorder(c);
    }
    c.SelectRange(1, 2, static_cast<int32_t>(texts.size()), 2);
    HeaderStyle(c);
}

// ---------------------------------------------------------------------------
// Printing

// A sheet of one row per entry: landscape, fitted to one page wide (the
// segment diagram included), the title and header rows on every page.
void PrintOnePageWide(SpreadsheetConnection& c)
{
    c.SetLandscape(true);
    c.SetPaper(PAPER_A4);
    c.FitToPagesWide(1);
    c.SetPrintTitleRows(TITLE_ROW, HEADER_ROW);
}

// A run of rows that should print on one page: one pattern of format B, or,
// when that is longer than a page, each of its mark records.
struct PrintUnit {
    int32_t firstRow = 0;
    std::vector<std::pair<int32_t, int32_t>> records;  // first row, row count
};

// A sheet of blocks of rows (format B): landscape, scaled to one page wide,
// the title and header rows on every page, and a page break before every
// pattern that would not fit on the rest of its page. A fitted sheet would
// lose the breaks (the spreadsheet ignores them then), so the scale that fits
// the columns on one page is worked out here.
void PrintBlocksOnWholePages(SpreadsheetConnection& c, int32_t lastColumn, const std::vector<PrintUnit>& units)
{
    c.SetLandscape(true);
    c.SetPaper(PAPER_A4);
    c.SetPrintTitleRows(TITLE_ROW, HEADER_ROW);
    const Worksheet& sheet = c.Book().sheets[static_cast<std::size_t>(c.CurrentSheet()) - 1];

    double width = 0;
    for (int32_t column = 1; column <= lastColumn; ++column)
        width += ColumnWidthPoints(sheet, column);
    int32_t scale = 100;
    if (width > 0)
        scale = std::clamp(static_cast<int32_t>(100 * PRINT_WIDTH * PRINT_SAFETY / width), 10, 100);
    c.SetPrintScale(scale);

    // The body height a page holds, in the sheet's points.
    const double page = PRINT_HEIGHT * PRINT_SAFETY * 100 / scale - RowHeightPoints(sheet, TITLE_ROW) -
                        RowHeightPoints(sheet, HEADER_ROW);
    auto height = [&](int32_t first, int32_t rows) {
        double sum = 0;
        for (int32_t row = first; row < first + rows; ++row)
            sum += RowHeightPoints(sheet, row);
        return sum;
    };
    double used = 0;
    auto place = [&](int32_t first, double rows) {
        if (used > 0 && used + rows > page) {
            c.AddPageBreakBefore(first);
            used = 0;
        }
        used += rows;
    };
    for (const PrintUnit& unit : units) {
        double whole = 0;
        for (const auto& record : unit.records)
            whole += height(record.first, record.second);
        if (whole <= page) {
            place(unit.firstRow, whole);
            continue;
        }
        for (const auto& record : unit.records)
            place(record.first, height(record.first, record.second));
    }
}

// ---------------------------------------------------------------------------
// Worksheet 1, format A

// The per cent of the bar at which a running sum ends: truncate(sum x 100 /
// bar + 0.5), held within 0 to 100 so that no block leaves the diagram.
int PerCentColumn(double sum, double barLength)
{
    const double w = sum * 100 / barLength + 0.5;
    if (!(w >= 0))  // negative or not a number
        return 0;
    if (w >= PER_CENT_COLUMNS)
        return PER_CENT_COLUMNS;
    return static_cast<int>(w);
}

// One row of the segment diagram: a coloured, labelled block per piece that
// reaches a new per cent of the bar, then the remnant block.
void DiagramRow(SpreadsheetConnection& c, int32_t row, const ReportPatternRow& pattern, const MyString& spec,
                SegmentColourRegistry& registry)
{
    const double barLength = pattern.barLength;
    if (!(barLength > 0))
        return;
    int v = 1;
    int w = -1;  // no piece yet
    double sum = 0;
    int64_t walked = 0;
    for (std::size_t i = 0; i < pattern.pieces.size() && v <= PER_CENT_COLUMNS; ++i) {
        const double piece = pattern.pieces[i].length;
        const int64_t count = pattern.pieces[i].count;
        // Once v passes 100 no later piece can get a block, nor can the remnant.
        for (int64_t k = 0; k < count && v <= PER_CENT_COLUMNS && walked < SEGMENT_PIECE_LIMIT; ++k, ++walked) {
            sum += piece;
            w = PerCentColumn(sum, barLength);
            if (w < v)
                continue;  // too short to reach the next per cent
            c.SelectRange(v + DIAGRAM_OFFSET, row, w + DIAGRAM_OFFSET, row);
            c.Merge();
            c.SetValue(LengthString(piece));
            ThinBorder(c);
            c.CentreCells();
            const int index = registry.IndexOf(piece, spec);
            c.SetFill(SegmentColour(index));
            c.SetFont(false, 10, SegmentTextColour(index));
            v = w + 1;
        }
    }
    if (w > PER_CENT_COLUMNS - 1 || v > PER_CENT_COLUMNS)
        return;
    c.SelectRange(v + DIAGRAM_OFFSET, row, DIAGRAM_LAST, row);
    c.Merge();
    ThinBorder(c);
    c.SetFont(false, 10, BLACK);
    c.CentreCells();
}

void FormatASheet(SpreadsheetConnection& c, const ReportRows& rows)
{
    c.SelectSheet(1);
    c.SetSheetName(u"下料组合(格式A)");
    SetColumnWidths(c, {8, 30, 18, 15, 22, 60, 15});
    Title(c, 7, PLAN_TITLE);
    HeaderRow(c, {u"序 号", u"规   格", u"原料长度", u"数 量", u"利用率", u"下料组合", u"余 长"});

    int32_t row = FIRST_BODY_ROW;
    for (const ReportGroupRows& group : rows.groups) {
        for (const ReportPatternRow& pattern : group.patterns) {
            WriteNumberCell(c, 1, row, static_cast<double>(pattern.number));
            WriteTextCell(c, 2, row, group.spec);
            WriteNumberCell(c, 3, row, pattern.barLength);
            WriteNumberCell(c, 4, row, static_cast<double>(pattern.barCount));
            WriteTextCell(c, 5, row, PercentText(pattern.utilisation));
            WriteTextCell(c, 6, row, PiecesText(pattern.pieces, u"x", u"+"));
            WriteNumberCell(c, 7, row, pattern.remnant);
            c.SelectRange(LEFT_LABEL, row);
            c.SetValue(group.spec);
            c.SelectRange(RIGHT_LABEL, row);
            c.SetValue(group.spec);
            if (pattern.number % 2 == 0) {
                c.SelectRange(1, row, 7, row);
                BandFill(c);
                c.SelectRange(LEFT_LABEL, row);
                BandFill(c);
                c.SelectRange(RIGHT_LABEL, row);
                BandFill(c);
            }
            ++row;
        }
    }
    const int32_t last = row - 1;

    Select(c, 1, FIRST_BODY_ROW, 7, last);
    BodyStyle(c);
    for (const int32_t column : {LEFT_LABEL, RIGHT_LABEL}) {
        Select(c, column, FIRST_BODY_ROW, column, last);
        c.SetFont(false, 11, BLACK);
        c.CentreCells();
        c.SetRowHeight(19);
    }
    c.FitColumns(1, 1, 1);
    c.FitColumns(2, 7, 3);
    c.FitColumns(LEFT_LABEL, LEFT_LABEL, 2);
    c.FitColumns(RIGHT_LABEL, RIGHT_LABEL, 2);

    // The frame: a hundred narrow columns, one per per cent of a bar.
    c.SelectRange(DIAGRAM_FIRST, 1, DIAGRAM_LAST, 1);
    c.SetColumnWidth(1);
    c.SelectRange(DIAGRAM_FIRST, 1, DIAGRAM_LAST, 1);
    c.Merge();
    c.SelectRange(DIAGRAM_FIRST, 2, DIAGRAM_LAST, 2);
    c.Merge();
    c.SetValue(u"分段示意图");
    c.SetBorder(LINE_NONE, BORDER_THIN);
    c.SetFont(false, 11, BLACK);
    c.CentreCells();

    SegmentColourRegistry registry;
    row = FIRST_BODY_ROW;
    for (const ReportGroupRows& group : rows.groups) {
        for (const ReportPatternRow& pattern : group.patterns) {
            DiagramRow(c, row, pattern, group.spec, registry);
            ++row;
        }
    }
    PrintOnePageWide(c);
}

// ---------------------------------------------------------------------------
// Worksheet 2, format B

// Selects one column over a block's rows, merged when the block has more than one.
void BlockColumn(SpreadsheetConnection& c, int32_t column, int32_t firstRow, int32_t rows)
{
    c.SelectRange(column, firstRow, column, firstRow + rows - 1);
    if (rows >= 2)
        c.Merge();
}

void FormatBSheet(SpreadsheetConnection& c, const ReportRows& rows, bool withMarks)
{
    c.AddSheetAfter(1);
    c.SelectSheet(2);
    c.SetSheetName(u"下料组合(格式B)");
    std::vector<double> widths = {8, 30, 18, 15, 22, 15, 30};
    std::vector<std::u16string> header = {u"序 号", u"规   格", u"原料长度", u"数 量",
                                          u"利用率", u"余 长",   u"下料组合"};
    if (withMarks) {
        widths.push_back(30);
        header.push_back(u"标  记");
    }
    const int32_t lastColumn = withMarks ? 8 : 7;
    SetColumnWidths(c, widths);
    Title(c, lastColumn, PLAN_TITLE);
    HeaderRow(c, header);

    int32_t row = FIRST_BODY_ROW;
    std::vector<PrintUnit> units;
    for (const ReportGroupRows& group : rows.groups) {
        for (const ReportPatternRow& pattern : group.patterns) {
            units.emplace_back();
            units.back().firstRow = row;
            for (const ReportMarkGroup& record : pattern.markGroups) {
                // A record always holds the pieces of one bar; one without any
                // still takes a row, so that its bars are listed.
                const std::size_t entries = record.pieces.size();
                const int32_t blockRows = static_cast<int32_t>(std::max<std::size_t>(entries, 1));

                BlockColumn(c, 1, row, blockRows);
                if (pattern.markGroups.size() == 1) {
                    c.SetValue(static_cast<double>(pattern.number));
                } else {
                    c.SetNumberFormat(u"@");
                    c.SetValue(record.number);
                }
                ThinBorder(c);
                BlockColumn(c, 2, row, blockRows);
                c.SetValue(group.spec);
                ThinBorder(c);
                BlockColumn(c, 3, row, blockRows);
                c.SetValue(pattern.barLength);
                ThinBorder(c);
                BlockColumn(c, 4, row, blockRows);
                c.SetValue(static_cast<double>(record.barCount));
                ThinBorder(c);
                BlockColumn(c, 5, row, blockRows);
                c.SetValue(PercentText(pattern.utilisation));
                ThinBorder(c);
                BlockColumn(c, 6, row, blockRows);
                c.SetValue(pattern.remnant);
                ThinBorder(c);

                for (std::size_t j = 0; j < entries; ++j) {
                    const int32_t pieceRow = row + static_cast<int32_t>(j);
                    WriteTextCell(c, 7, pieceRow, PieceText(record.pieces[j], u" x "));
                    if (withMarks)
                        WriteTextCell(c, 8, pieceRow, record.pieces[j].mark);
                }
                if (record.block % 2 == 0) {
                    c.SelectRange(1, row, lastColumn, row + blockRows - 1);
                    BandFill(c);
                }
                units.back().records.emplace_back(row, blockRows);
                row += blockRows;
            }
        }
    }
    const int32_t last = row - 1;

    Select(c, 1, FIRST_BODY_ROW, lastColumn, last);
    BodyStyle(c);
    c.FitColumns(1, 1, 1);
    c.FitColumns(2, lastColumn, 3);
    PrintBlocksOnWholePages(c, lastColumn, units);
}

// ---------------------------------------------------------------------------
// Worksheet 3, stock summary

void StockSheet(SpreadsheetConnection& c, const ReportRows& rows)
{
    c.AddSheetAfter(2);
    c.SelectSheet(3);
    c.SetSheetName(u"原料统计");
    SetColumnWidths(c, {8, 30, 18, 15, 22, 22});
    Title(c, 6, STOCK_TITLE);
    HeaderRow(c, {u"序 号", u"规   格", u"原料长度", u"数 量", u"总 长", u"利用率"});

    int32_t row = FIRST_BODY_ROW;
    for (const ReportStockRow& stock : rows.stock) {
        WriteNumberCell(c, 1, row, static_cast<double>(stock.number));
        WriteTextCell(c, 2, row, stock.spec);
        WriteNumberCell(c, 3, row, stock.length);
        WriteNumberCell(c, 4, row, static_cast<double>(stock.bars));
        WriteFormulaCell(c, 5, row, ProductFormula(row));
        WriteTextCell(c, 6, row, PercentText(stock.utilisation));
        if (stock.number % 2 == 0) {
            c.SelectRange(1, row, 6, row);
            BandFill(c);
        }
        ++row;
    }
    const int32_t last = row - 1;

    Select(c, 1, FIRST_BODY_ROW, 6, last);
    BodyStyle(c);

    const int32_t totals = last + 1;
    WriteTextCell(c, 3, totals, u"汇 总");
    WriteFormulaCell(c, 4, totals, SumFormula(u'D', FIRST_BODY_ROW, last));
    WriteFormulaCell(c, 5, totals, SumFormula(u'E', FIRST_BODY_ROW, last));
    WriteTextCell(c, 6, totals, PercentText(rows.utilisation));
    c.SelectRange(3, totals, 6, totals);
    HeaderStyle(c);

    c.FitColumns(1, 1, 1);
    c.FitColumns(2, 6, 4);
    PrintOnePageWide(c);
}

}  // namespace

// ---------------------------------------------------------------------------
// Piece colours

uint32_t SegmentColour(int index)
{
    const PaletteEntry& entry = PaletteAt(index);
    return static_cast<uint32_t>(entry.red) | static_cast<uint32_t>(entry.green) << 8 |
           static_cast<uint32_t>(entry.blue) << 16;
}

bool SegmentTextIsBlack(int index)
{
    return PaletteAt(index).blackText;
}

uint32_t SegmentTextColour(int index)
{
    return SegmentTextIsBlack(index) ? BLACK : WHITE;
}

int SegmentColourRegistry::IndexOf(double length, const MyString& spec)
{
    for (std::size_t i = 0; i < m_length.size(); ++i) {
        if (std::fabs(m_length[i] - length) < SAME_LENGTH && m_spec[i] == spec)
            return static_cast<int>(i);
    }
    m_length.push_back(length);
    m_spec.push_back(spec);
    return static_cast<int>(m_length.size() - 1);
}

// ---------------------------------------------------------------------------
// Workbooks

void BuildPlanWorkbook(SpreadsheetConnection& connection, const WireOptimize_Whole& job, bool withMarks)
{
    const ReportRows rows = BuildReportRows(job, DEFAULT_MINIMUM_LEFTOVER_LENGTH);
    FormatASheet(connection, rows);
    FormatBSheet(connection, rows, withMarks);
    StockSheet(connection, rows);
    connection.SelectSheet(1);
    connection.ActivateSheet();
}

void BuildLeftoverWorkbook(SpreadsheetConnection& connection, const WireOptimize_Whole& job, double minimumLength)
{
    const ReportRows rows = BuildReportRows(job, minimumLength);
    SpreadsheetConnection& c = connection;
    c.SelectSheet(1);
    c.SetSheetName(u"余料");
    SetColumnWidths(c, {8, 40, 18, 15, 22});
    Title(c, 5, LEFTOVER_TITLE);
    HeaderRow(c, {u"序 号", u"规   格", u"长 度", u"数 量", u"总 长"});

    int32_t row = FIRST_BODY_ROW;
    for (const ReportLeftoverRow& leftover : rows.leftover) {
        WriteNumberCell(c, 1, row, static_cast<double>(leftover.number));
        WriteTextCell(c, 2, row, leftover.spec);
        WriteNumberCell(c, 3, row, leftover.length);
        if (leftover.unlimited) {
            WriteTextCell(c, 4, row, u"不限");
            WriteFormulaCell(c, 5, row, u"---");
        } else {
            WriteNumberCell(c, 4, row, static_cast<double>(leftover.quantity));
            WriteFormulaCell(c, 5, row, ProductFormula(row));
        }
        if (leftover.number % 2 == 0) {
            c.SelectRange(1, row, 5, row);
            BandFill(c);
        }
        ++row;
    }
    const int32_t last = row - 1;

    Select(c, 1, FIRST_BODY_ROW, 5, last);
    BodyStyle(c);

    const int32_t totals = last + 1;
    WriteTextCell(c, 3, totals, u"汇 总");
    WriteFormulaCell(c, 4, totals, SumFormula(u'D', FIRST_BODY_ROW, last));
    WriteFormulaCell(c, 5, totals, SumFormula(u'E', FIRST_BODY_ROW, last));
    c.SelectRange(3, totals, 5, totals);
    HeaderStyle(c);

    c.FitColumns(1, 1, 1);
    c.FitColumns(2, 5, 4);
    PrintOnePageWide(c);
    c.SelectSheet(1);
    c.ActivateSheet();
}

namespace {

template <typename Build>
bool WriteWorkbook(Build build, const std::string& path, std::u16string& error)
{
    SpreadsheetConnection connection;
    if (!connection.Start()) {
        error = NO_APPLICATION;
        return false;
    }
    build(connection);
    const bool saved = connection.SaveAs(path, error);
    connection.Release();
    return saved;
}

template <typename Build>
bool ShowWorkbook(Build build, std::string& savedPath)
{
    savedPath.clear();
    SpreadsheetConnection connection;
    if (!connection.Start())
        return false;
    build(connection);
    const bool shown = connection.ShowToUser(WorkbookFolder(), MakeReportName(REPORT_PREFIX), savedPath);
    connection.Release();
    return shown;
}

}  // namespace

bool WritePlanWorkbook(const WireOptimize_Whole& job, bool withMarks, const std::string& path,
                       std::u16string& error)
{
    return WriteWorkbook([&](SpreadsheetConnection& c) { BuildPlanWorkbook(c, job, withMarks); }, path, error);
}

bool WriteLeftoverWorkbook(const WireOptimize_Whole& job, double minimumLength, const std::string& path,
                           std::u16string& error)
{
    return WriteWorkbook([&](SpreadsheetConnection& c) { BuildLeftoverWorkbook(c, job, minimumLength); }, path,
                         error);
}

bool ShowPlanWorkbook(const WireOptimize_Whole& job, bool withMarks, std::string& savedPath)
{
    return ShowWorkbook([&](SpreadsheetConnection& c) { BuildPlanWorkbook(c, job, withMarks); }, savedPath);
}

bool ShowLeftoverWorkbook(const WireOptimize_Whole& job, double minimumLength, std::string& savedPath)
{
    return ShowWorkbook([&](SpreadsheetConnection& c) { BuildLeftoverWorkbook(c, job, minimumLength); },
                        savedPath);
}
