#include "reports/WordReports.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "base/ReportConventions.h"
#include "engine/ResultModel.h"
#include "engine/ResultText.h"
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

void WritePatternTable(RtfDocument& document, const WireOptimize_Whole& job, bool withMarks)
{
    document.PlanRowLayout(withMarks, 0, SHADING_HEADER);
    Cells header = {u"序号", u"规 格", u"原料长度", u"数量", u"利用率", u"余长", u"下料组合"};
    if (withMarks)
        header.push_back(u"标记");
    document.RowContent(header, true);

    int64_t patternNumber = 0;
    int64_t blockNumber = 0;
    for (const WireOptimize& group : job.m_groups) {
        const std::u16string spec = RtfCellText(group.m_spec);
        for (const WireCombine& pattern : group.m_patterns) {
            ++patternNumber;
            const std::vector<WireCombine_Mark> records = ReportedMarkRecords(pattern);
            const std::size_t recordCount = records.size();
            for (std::size_t g = 0; g < recordCount; ++g) {
                const WireCombine_Mark& record = records[g];
                ++blockNumber;
                std::u16string number = CountString(patternNumber);
                if (recordCount > 1)
                    number += u"-" + CountString(static_cast<int64_t>(g + 1));
                const int shading = AlternateShading(blockNumber);
                const std::size_t entries = record.m_pieceLength.size();
                for (std::size_t j = 0; j < entries; ++j) {
                    const int mergeMode = entries == 1 ? 0 : (j == 0 ? 1 : 2);
                    document.PlanRowLayout(withMarks, mergeMode, shading);
                    const int64_t pieceCount = j < record.m_pieceCount.size() ? record.m_pieceCount[j] : 0;
                    const std::u16string pieces = LengthString(record.m_pieceLength[j]) + u" x " + CountString(pieceCount);
                    Cells cells;
                    if (j == 0) {
                        cells = {number,
                                 spec,
                                 LengthString(pattern.m_barLength),
                                 CountString(record.m_barCount),
                                 PercentText(pattern.m_utilisation),
                                 LengthString(pattern.m_remnant)};
                    } else {
                        cells.assign(6, std::u16string());
                    }
                    cells.push_back(pieces);
                    if (withMarks)
                        cells.push_back(j < record.m_pieceMark.size() ? RtfCellText(record.m_pieceMark[j]) : u"");
                    document.RowContent(cells, false);
                }
            }
        }
    }
    document.EndTable();
}

void WriteStockTable(RtfDocument& document, const WireOptimize_Whole& job)
{
    document.TitleParagraph(u"所用原料统计");
    TableRow(document, 0, std::begin(STOCK_EDGES), std::end(STOCK_EDGES), SHADING_HEADER);
    document.RowContent({u"序号", u"规   格", u"原料长度", u"数 量", u"总 长", u"利用率"}, true);

    int64_t rowNumber = 0;
    for (const WireOptimize& group : job.m_groups) {
        const std::u16string spec = RtfCellText(group.m_spec);
        const std::size_t used = group.m_usedLength.size();
        for (std::size_t i = 0; i < used && i < group.m_usedBars.size(); ++i) {
            const int64_t bars = group.m_usedBars[i];
            if (bars <= 0)
                continue;
            ++rowNumber;
            const double stockLength = group.m_usedLength[i];
            const double total = static_cast<double>(bars) * stockLength;
            const double pieces = i < group.m_usedPieceLength.size() ? group.m_usedPieceLength[i] : 0;
            TableRow(document, 0, std::begin(STOCK_EDGES), std::end(STOCK_EDGES), AlternateShading(rowNumber));
            document.RowContent({CountString(rowNumber), spec, LengthString(stockLength), CountString(bars), LengthString(total),
                                 PercentText(total > 0 ? pieces / total : 0)},
                                false);
        }
    }

    // Under the columns 原料长度 to 利用率.
    TableRow(document, 3500, std::begin(STOCK_EDGES) + 2, std::end(STOCK_EDGES), SHADING_HEADER);
    document.RowContent({u"汇 总", CountString(job.m_totalBars), LengthString(job.m_totalLength), PercentText(job.m_utilisation)},
                        true);
    document.EndTable();
}

}  // namespace

bool WritePlanDocument(const WireOptimize_Whole& job, bool withMarks, const std::string& path, bool open)
{
    RtfDocument document;
    document.Create(path);
    document.Begin();
    document.PageHeader(u"下料组合统计");
    WritePatternTable(document, job, withMarks);
    WriteStockTable(document, job);
    return document.End(open);
}

bool WriteLeftoverDocument(const WireOptimize_Whole& job, double minimumLength, const std::string& path, bool open)
{
    RtfDocument document;
    document.Create(path);
    document.Begin();
    document.PageHeader(u"余料统计");
    TableRow(document, 0, std::begin(LEFTOVER_EDGES), std::end(LEFTOVER_EDGES), SHADING_HEADER);
    document.RowContent({u"序 号", u"规 格", u"长 度", u"数 量", u"总 长"}, true);

    int64_t rowNumber = 0;
    int64_t totalBars = 0;
    double totalLength = 0;
    const std::size_t entries = job.m_leftoverLength.size();
    for (std::size_t i = 0; i < entries; ++i) {
        const double length = job.m_leftoverLength[i];
        if (length < minimumLength)
            continue;
        ++rowNumber;
        const int64_t quantity = i < job.m_leftoverQuantity.size() ? job.m_leftoverQuantity[i] : 0;
        const std::u16string spec = i < job.m_leftoverSpec.size() ? RtfCellText(job.m_leftoverSpec[i]) : u"";
        TableRow(document, 0, std::begin(LEFTOVER_EDGES), std::end(LEFTOVER_EDGES), AlternateShading(rowNumber));
        if (quantity <= 0) {
            document.RowContent({CountString(rowNumber), spec, LengthString(length), u"不限", u"---"}, false);
        } else {
            const double total = static_cast<double>(quantity) * length;
            totalBars += quantity;
            totalLength += total;
            document.RowContent({CountString(rowNumber), spec, LengthString(length), CountString(quantity), LengthString(total)}, false);
        }
    }
    if (totalBars > 0) {
        // Under the columns 长 度 to 总 长.
        TableRow(document, 4000, std::begin(LEFTOVER_EDGES) + 2, std::end(LEFTOVER_EDGES), SHADING_HEADER);
        document.RowContent({u"汇 总", CountString(totalBars), LengthString(totalLength)}, true);
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
