#include "reports/CuttingSheet.h"

#include <algorithm>
#include <cmath>

#include "engine/ResultText.h"

namespace {

const char16_t* const SHEET_TITLE = u"Trevak线材下料优化---下料切割单";
const char16_t* const GAP = u"    ";

// Room left free between the last item and the bottom of the body before a
// rounding difference could push an item over it.
constexpr double EPSILON_MM = 1e-6;

std::u16string LocalTimeText(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    const std::size_t size = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return Widen(std::string(text, size));
}

std::u16string KindsText(int32_t kinds)
{
    return kinds <= 0 ? std::u16string(u"不限制") : u"不超过 " + CountString(kinds) + u" 种";
}

SheetBarRow PatternRow(const ReportPatternRow& pattern, double kerf, const std::vector<ReportPiece>& pieces,
                       bool withMarks, SegmentColourRegistry& registry)
{
    SheetBarRow row;
    row.number = CountString(pattern.number);
    row.barLength = pattern.barLength;
    row.barCount = pattern.barCount;
    row.withMarks = withMarks;
    row.parts = BarParts(pattern.barLength, kerf, pieces, registry);
    // "2995 × 2 + 985 × 1"; a mark follows its length's count.
    row.composition = PiecesText(pieces, u" × ", u" + ", true);
    row.figures = u"利用率 " + PercentText(pattern.utilisation) + GAP + u"余长 " + LengthString(pattern.remnant);
    return row;
}

SheetSection Section(const ReportRows& rows, const ReportGroupRows& group, const SheetSettings& settings,
                     const std::u16string& madeAt)
{
    SheetSection section;
    section.spec = group.spec;
    section.headerLines.push_back(u"日期 " + madeAt + GAP + u"剔除料头 " + LengthString(rows.trimLength) + GAP +
                                  u"切割缝宽 " + LengthString(rows.kerfWidth) + GAP + u"长度种类 " +
                                  KindsText(rows.maxLengthKinds) + GAP + u"优化等级 " +
                                  CountString(settings.speedLevel));
    std::u16string totals = u"原料 " + CountString(group.totalBars) + u" 根" + GAP + u"原料总长 " +
                            LengthString(group.totalLength) + GAP + u"利用率 " + PercentText(group.utilisation) +
                            GAP + u"余料总长 " + LengthString(group.remnantLength);
    section.headerLines.push_back(totals);
    // How far the plan is from the least stock any plan needs, where known.
    const std::u16string bound =
        BoundLineText(group.lowerBound, group.lowerBoundBars, group.optimal, group.totalLength);
    if (!bound.empty())
        section.headerLines.push_back(bound);

    // One colour per length over the whole specification.
    SegmentColourRegistry registry;
    for (const ReportPatternRow& pattern : group.patterns) {
        const std::vector<ReportMarkGroup>& records = pattern.markGroups;
        if (records.size() == 1 && records[0].hasMark) {
            // All bars alike: the pattern's own row carries the marks.
            section.rows.push_back(PatternRow(pattern, group.kerfWidth, records[0].pieces, true, registry));
            continue;
        }
        section.rows.push_back(PatternRow(pattern, group.kerfWidth, pattern.pieces, false, registry));
        if (records.size() < 2) continue;
        for (const ReportMarkGroup& record : records) {
            SheetBarRow row;
            row.number = record.number;
            row.markGroup = true;
            row.withMarks = record.hasMark;
            row.barLength = pattern.barLength;
            row.barCount = record.barCount;
            row.parts = BarParts(pattern.barLength, group.kerfWidth, record.pieces, registry);
            row.composition = PiecesText(record.pieces, u" × ", u" + ", true);
            section.rows.push_back(std::move(row));
        }
    }
    return section;
}

SheetTable StockTable(const ReportRows& rows)
{
    SheetTable table;
    table.title = u"所用原料统计";
    table.header = {u"序号", u"规格", u"原料长度", u"数量", u"总长", u"利用率"};
    table.columnWidths = {14, 48, 30, 24, 36, 24};
    for (const ReportStockRow& stock : rows.stock)
        table.rows.push_back({CountString(stock.number), stock.spec, LengthString(stock.length),
                              CountString(stock.bars), LengthString(stock.totalLength),
                              PercentText(stock.utilisation)});
    table.totals = {u"",
                    u"汇 总",
                    u"",
                    CountString(rows.totalBars),
                    LengthString(rows.totalLength),
                    PercentText(rows.utilisation)};
    return table;
}

SheetTable LeftoverTable(const ReportRows& rows)
{
    SheetTable table;
    table.title = u"余料 (长度不小于 " + LengthString(rows.minimumLeftover) + u")";
    table.header = {u"序号", u"规格", u"长度", u"数量", u"总长"};
    table.columnWidths = {14, 48, 30, 24, 36};
    for (const ReportLeftoverRow& leftover : rows.leftover) {
        if (leftover.unlimited)
            table.rows.push_back(
                {CountString(leftover.number), leftover.spec, LengthString(leftover.length), u"不限", u"---"});
        else
            table.rows.push_back({CountString(leftover.number), leftover.spec, LengthString(leftover.length),
                                  CountString(leftover.quantity), LengthString(leftover.totalLength)});
    }
    if (rows.leftoverBars > 0)
        table.totals = {u"", u"汇 总", u"", CountString(rows.leftoverBars), LengthString(rows.leftoverLength)};
    return table;
}

// Whether some piece of the sheet would be narrower than a label needs on a
// portrait page (each specification drawn to the scale of its longest bar).
bool NeedsLandscape(const CuttingSheet& sheet)
{
    const double width = SheetBodyWidth(false) - SHEET_BAR_LEFT_MM - SHEET_BAR_RIGHT_MARGIN_MM;
    for (const SheetSection& section : sheet.sections) {
        double longest = 0;
        for (const SheetBarRow& row : section.rows) longest = std::max(longest, row.barLength);
        if (!(longest > 0)) continue;
        for (const SheetBarRow& row : section.rows) {
            for (const BarPart& part : row.parts) {
                if (part.kind == BarPartKind::Piece && part.length / longest * width < SHEET_LABEL_ROOM_MM) return true;
            }
        }
    }
    return false;
}

// Places items top down on pages.
class Pager {
public:
    Pager(const CuttingSheet& sheet, double bodyHeight) : m_sheet(sheet), m_bodyHeight(bodyHeight) { NewPage(); }

    double Height(const SheetItem& item) const { return SheetItemHeight(m_sheet, item); }

    // Starts a new page unless the current one has room for height; a new page
    // starts with resume when that is given.
    void MakeRoom(double height, const SheetItem* resume)
    {
        if (m_pages.back().items.empty() || m_y + height <= m_bodyHeight + EPSILON_MM) return;
        NewPage();
        if (resume) Put(*resume);
    }

    void Put(SheetItem item)
    {
        item.top = m_y;
        item.height = Height(item);
        m_y += item.height;
        SheetPage& page = m_pages.back();
        if (item.kind == SheetItemKind::BarRow) {
            const double length = m_sheet.sections[item.section].rows[item.row].barLength;
            if (length > page.longestBar) page.longestBar = length;
        }
        page.items.push_back(item);
    }

    std::vector<SheetPage> Take() { return std::move(m_pages); }

private:
    void NewPage()
    {
        m_pages.emplace_back();
        m_y = 0;
    }

    const CuttingSheet& m_sheet;
    double m_bodyHeight;
    std::vector<SheetPage> m_pages;
    double m_y = 0;
};

SheetItem Item(SheetItemKind kind, std::size_t section = 0, std::size_t row = 0)
{
    SheetItem item;
    item.kind = kind;
    item.section = section;
    item.row = row;
    return item;
}

void PlaceTable(Pager& pager, const SheetTable& table, std::size_t index)
{
    const SheetItem title = Item(SheetItemKind::TableTitle, index);
    const SheetItem resumed = Item(SheetItemKind::TableResumed, index);
    double first = pager.Height(title);
    if (!table.rows.empty()) first += pager.Height(Item(SheetItemKind::TableRow, index, 0));
    pager.MakeRoom(first, nullptr);
    pager.Put(title);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const SheetItem row = Item(SheetItemKind::TableRow, index, r);
        pager.MakeRoom(pager.Height(row), &resumed);
        pager.Put(row);
    }
    if (!table.totals.empty()) {
        const SheetItem totals = Item(SheetItemKind::TableTotals, index);
        pager.MakeRoom(pager.Height(totals), &resumed);
        pager.Put(totals);
    }
}

}  // namespace

std::vector<BarPart> BarParts(double barLength, double kerf, const std::vector<ReportPiece>& pieces,
                              SegmentColourRegistry& registry)
{
    std::vector<BarPart> parts;
    if (!(barLength > 0)) return parts;
    const double cut = std::isfinite(kerf) && kerf > 0 ? kerf : 0;
    const MyString noSpec;
    double x = 0;
    int64_t walked = 0;
    for (const ReportPiece& piece : pieces) {
        const double length = piece.length;
        if (!std::isfinite(length)) break;
        const int colour = registry.IndexOf(length, noSpec);
        const std::u16string label = LengthString(length);
        for (int64_t n = 0; n < piece.count; ++n) {
            if (walked++ >= SEGMENT_PIECE_LIMIT) return parts;
            parts.push_back(BarPart{BarPartKind::Piece, x, length, colour, label, piece.mark});
            x += length;
            parts.push_back(BarPart{BarPartKind::Kerf, x, cut, 0, {}, {}});
            x += cut;
        }
    }
    if (barLength - x > 0)
        parts.push_back(BarPart{BarPartKind::Remnant, x, barLength - x, 0, LengthString(barLength - x), {}});
    return parts;
}

std::vector<BarPart> BarParts(double barLength, double kerf, const std::vector<double>& lengths,
                              const std::vector<int64_t>& counts, const std::vector<MyString>& marks,
                              SegmentColourRegistry& registry)
{
    std::vector<ReportPiece> pieces(std::min(lengths.size(), counts.size()));
    for (std::size_t t = 0; t < pieces.size(); ++t) {
        pieces[t].length = lengths[t];
        pieces[t].count = counts[t];
        if (t < marks.size()) pieces[t].mark = marks[t];
    }
    return BarParts(barLength, kerf, pieces, registry);
}

CuttingSheet BuildCuttingSheet(const ReportRows& rows, const SheetSettings& settings)
{
    CuttingSheet sheet;
    sheet.title = SHEET_TITLE;
    sheet.madeAt = LocalTimeText(settings.madeAt);
    for (const ReportGroupRows& group : rows.groups)
        sheet.sections.push_back(Section(rows, group, settings, sheet.madeAt));
    sheet.stock = StockTable(rows);
    sheet.leftover = LeftoverTable(rows);
    sheet.landscape = NeedsLandscape(sheet);
    return sheet;
}

CuttingSheet BuildCuttingSheet(const WireOptimize_Whole& job, const SheetSettings& settings)
{
    return BuildCuttingSheet(BuildReportRows(job, settings.minimumLeftover), settings);
}

double SheetBodyWidth(bool landscape)
{
    return (landscape ? SHEET_PAGE_LONG_MM : SHEET_PAGE_SHORT_MM) - 2 * SHEET_MARGIN_MM;
}

double SheetBodyHeight(bool landscape)
{
    return (landscape ? SHEET_PAGE_SHORT_MM : SHEET_PAGE_LONG_MM) - 2 * SHEET_MARGIN_MM - SHEET_FOOTER_MM;
}

double SheetItemHeight(const CuttingSheet& sheet, const SheetItem& item)
{
    switch (item.kind) {
        case SheetItemKind::Title:
            return SHEET_TITLE_MM;
        case SheetItemKind::SectionHeader:
            return SHEET_SPEC_LINE_MM + double(sheet.sections[item.section].headerLines.size()) * SHEET_HEADER_LINE_MM +
                   SHEET_COLUMN_HEADER_MM;
        case SheetItemKind::SectionResumed:
            return SHEET_SPEC_LINE_MM + SHEET_COLUMN_HEADER_MM;
        case SheetItemKind::BarRow:
            return sheet.sections[item.section].rows[item.row].withMarks ? SHEET_MARKED_ROW_MM : SHEET_ROW_MM;
        case SheetItemKind::TableTitle:
            return SHEET_TABLE_TITLE_MM + SHEET_TABLE_ROW_MM;
        case SheetItemKind::TableResumed:
        case SheetItemKind::TableRow:
        case SheetItemKind::TableTotals:
            return SHEET_TABLE_ROW_MM;
    }
    return 0;
}

std::vector<SheetPage> PaginateSheet(const CuttingSheet& sheet, double bodyHeight)
{
    Pager pager(sheet, bodyHeight);
    pager.Put(Item(SheetItemKind::Title));
    for (std::size_t s = 0; s < sheet.sections.size(); ++s) {
        const SheetSection& section = sheet.sections[s];
        const SheetItem header = Item(SheetItemKind::SectionHeader, s);
        const SheetItem resumed = Item(SheetItemKind::SectionResumed, s);
        for (std::size_t r = 0; r < section.rows.size(); ++r) {
            const SheetItem row = Item(SheetItemKind::BarRow, s, r);
            double need = pager.Height(row);
            // A pattern stays with its first mark group, a header with its first bar.
            if (r + 1 < section.rows.size() && section.rows[r + 1].markGroup && !section.rows[r].markGroup)
                need += pager.Height(Item(SheetItemKind::BarRow, s, r + 1));
            if (r == 0) {
                pager.MakeRoom(pager.Height(header) + need, nullptr);
                pager.Put(header);
            } else {
                pager.MakeRoom(need, &resumed);
            }
            pager.Put(row);
        }
        if (section.rows.empty()) {
            pager.MakeRoom(pager.Height(header), nullptr);
            pager.Put(header);
        }
    }
    PlaceTable(pager, sheet.stock, 0);
    PlaceTable(pager, sheet.leftover, 1);
    return pager.Take();
}
