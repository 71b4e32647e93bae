#include "reports/WordReports.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "base/ReportConventions.h"
#include "engine/ResultText.h"
#include "reports/ReportRows.h"
#include "reports/RtfDocument.h"

namespace {

using Cells = std::vector<std::u16string>;

const int SHADING_NONE = 0;
const int SHADING_HEADER = 1;     // light yellow: header and totals rows
const int SHADING_ALTERNATE = 2;  // light cyan: every second body row or block


int AlternateShading(int64_t number)
{
    return number % 2 == 1 ? SHADING_NONE : SHADING_ALTERNATE;
}

// The right edges of the stock table, 序号 to 利用率; the totals row uses the
// last four of them.
const int STOCK_EDGES[] = {800, 3500, 4800, 5900, 7300, 8600};
// The right edges of the leftover table, 序 号 to 总 长; the totals row uses the
// last three of them.
const int LEFTOVER_EDGES[] = {1000, 4000, 5500, 6700, 8600};

void TableRow(RtfDocument& document, int left, const int* edgesBegin, const int* edgesEnd, int shading)
{
    document.RowStart(left);
    for (const int* edge = edgesBegin; edge != edgesEnd; ++edge)
        document.Cell(*edge, 0, shading);
}

void WritePatternTable(RtfDocument& document, const ReportRows& rows, bool withMarks)
{
    document.PlanRowLayout(withMarks, 0, SHADING_HEADER);
    Cells header = {u"序号", u"规 格", u"原料长度", u"数量", u"利用率", u"余长", u"下料组合"};
    if (withMarks)
        header.push_back(u"标记");
    document.RowContent(header, true);

    for (const ReportGroupRows& group : rows.groups) {
        const std::u16string spec = RtfCellText(group.spec);
        for (const ReportPatternRow& pattern : group.patterns) {
            for (const ReportMarkGroup& record : pattern.markGroups) {
                const int shading = AlternateShading(record.block);
                const std::size_t entries = record.pieces.size();
                for (std::size_t j = 0; j < entries; ++j) {
                    const ReportPiece& piece = record.pieces[j];
                    const int mergeMode = entries == 1 ? 0 : (j == 0 ? 1 : 2);
                    document.PlanRowLayout(withMarks, mergeMode, shading);
                    Cells cells;
                    if (j == 0) {
                        cells = {record.number,
                                 spec,
                                 LengthString(pattern.barLength),
                                 CountString(record.barCount),
                                 PercentText(pattern.utilisation),
                                 LengthString(pattern.remnant)};
                    } else {
                        cells.assign(6, std::u16string());
                    }
                    cells.push_back(PieceText(piece, u" x "));
                    if (withMarks)
                        cells.push_back(RtfCellText(piece.mark));
                    document.RowContent(cells, false);
                }
            }
        }
    }
    document.EndTable();
}

void WriteStockTable(RtfDocument& document, const ReportRows& rows)
{
    document.TitleParagraph(u"所用原料统计");
    TableRow(document, 0, std::begin(STOCK_EDGES), std::end(STOCK_EDGES), SHADING_HEADER);
    document.RowContent({u"序号", u"规   格", u"原料长度", u"数 量", u"总 长", u"利用率"}, true);

    for (const ReportStockRow& stock : rows.stock) {
        TableRow(document, 0, std::begin(STOCK_EDGES), std::end(STOCK_EDGES), AlternateShading(stock.number));
        document.RowContent({CountString(stock.number), RtfCellText(stock.spec), LengthString(stock.length),
                             CountString(stock.bars), LengthString(stock.totalLength), PercentText(stock.utilisation)},
                            false);
    }

    // Under the columns 原料长度 to 利用率.
    TableRow(document, 3500, std::begin(STOCK_EDGES) + 2, std::end(STOCK_EDGES), SHADING_HEADER);
    document.RowContent(
        {u"汇 总", CountString(rows.totalBars), LengthString(rows.totalLength), PercentText(rows.utilisation)}, true);
    document.EndTable();
}

}  // namespace

bool WritePlanDocument(const WireOptimize_Whole& job, bool withMarks, const std::string& path, bool open)
{
    const ReportRows rows = BuildReportRows(job, DEFAULT_MINIMUM_LEFTOVER_LENGTH);
    RtfDocument document;
    document.Create(path);
    document.Begin();
    document.PageHeader(u"下料组合统计");
    WritePatternTable(document, rows, withMarks);
    WriteStockTable(document, rows);
    return document.End(open);
}

bool WriteLeftoverDocument(const WireOptimize_Whole& job, double minimumLength, const std::string& path, bool open)
{
    const ReportRows rows = BuildReportRows(job, minimumLength);
    RtfDocument document;
    document.Create(path);
    document.Begin();
    document.PageHeader(u"余料统计");
    TableRow(document, 0, std::begin(LEFTOVER_EDGES), std::end(LEFTOVER_EDGES), SHADING_HEADER);
    document.RowContent({u"序 号", u"规 格", u"长 度", u"数 量", u"总 长"}, true);

    for (const ReportLeftoverRow& leftover : rows.leftover) {
        const std::u16string number = CountString(leftover.number);
        const std::u16string spec = RtfCellText(leftover.spec);
        TableRow(document, 0, std::begin(LEFTOVER_EDGES), std::end(LEFTOVER_EDGES), AlternateShading(leftover.number));
        if (leftover.unlimited)
            document.RowContent({number, spec, LengthString(leftover.length), u"不限", u"---"}, false);
        else
            document.RowContent({number, spec, LengthString(leftover.length), CountString(leftover.quantity),
                                 LengthString(leftover.totalLength)},
                                false);
    }
    if (rows.leftoverBars > 0) {
        // Under the columns 长 度 to 总 长.
        TableRow(document, 4000, std::begin(LEFTOVER_EDGES) + 2, std::end(LEFTOVER_EDGES), SHADING_HEADER);
        document.RowContent({u"汇 总", CountString(rows.leftoverBars), LengthString(rows.leftoverLength)}, true);
    }
    document.EndTable();
    return document.End(open);
}

void ProducePlanDocument(const WireOptimize_Whole& job, bool withMarks)
{
    WritePlanDocument(job, withMarks, PrepareReportPath(".doc"), true);
}

void ProduceLeftoverDocument(const WireOptimize_Whole& job, double minimumLength)
{
    WriteLeftoverDocument(job, minimumLength, PrepareReportPath(".doc"), true);
}
