#include "reports/ReportRows.h"

#include <algorithm>
#include <cstddef>

#include "engine/ResultModel.h"
#include "engine/ResultText.h"

namespace {

// The entries of parallel piece arrays; a length without a count counts 0
// pieces, one without a mark is unmarked.
std::vector<ReportPiece> Pieces(const std::vector<double>& lengths, const std::vector<int64_t>& counts,
                                const std::vector<MyString>* marks)
{
    std::vector<ReportPiece> pieces(lengths.size());
    for (std::size_t t = 0; t < lengths.size(); ++t) {
        pieces[t].length = lengths[t];
        pieces[t].count = t < counts.size() ? counts[t] : 0;
        if (marks != nullptr && t < marks->size()) pieces[t].mark = (*marks)[t];
    }
    return pieces;
}

ReportPatternRow PatternRow(const WireCombine& pattern, int64_t number, int64_t& block)
{
    ReportPatternRow row;
    row.number = number;
    row.barLength = pattern.m_barLength;
    row.barCount = pattern.m_barCount;
    row.utilisation = pattern.m_utilisation;
    row.remnant = pattern.m_remnant;
    row.pieces = Pieces(pattern.m_pieceLength, pattern.m_pieceCount, nullptr);

    const std::vector<WireCombine_Mark> records = ReportedMarkRecords(pattern);
    for (std::size_t g = 0; g < records.size(); ++g) {
        const WireCombine_Mark& record = records[g];
        ReportMarkGroup group;
        group.number = CountString(number);
        if (records.size() > 1) group.number += u"-" + CountString(static_cast<int64_t>(g + 1));
        group.block = ++block;
        group.barCount = record.m_barCount;
        group.pieces = Pieces(record.m_pieceLength, record.m_pieceCount, &record.m_pieceMark);
        group.hasMark = std::any_of(group.pieces.begin(), group.pieces.end(),
                                    [](const ReportPiece& piece) { return !piece.mark.empty(); });
        row.markGroups.push_back(std::move(group));
    }
    return row;
}

ReportGroupRows GroupRows(const WireOptimize& group, int64_t& number, int64_t& block)
{
    ReportGroupRows rows;
    rows.spec = group.m_spec;
    rows.kerfWidth = group.m_kerfWidth;
    rows.totalBars = group.m_totalBars;
    rows.totalLength = group.m_totalLength;
    rows.utilisation = group.m_utilisation;
    rows.lowerBound = group.m_lowerBound;
    rows.lowerBoundBars = group.m_lowerBoundBars;
    rows.optimal = group.m_optimal;
    for (const WireCombine& pattern : group.m_patterns) {
        rows.remnantLength += static_cast<double>(pattern.m_barCount) * pattern.m_remnant;
        rows.patterns.push_back(PatternRow(pattern, ++number, block));
    }
    return rows;
}

void AddStockRows(const WireOptimize& group, std::vector<ReportStockRow>& stock)
{
    const std::size_t used = std::min(group.m_usedLength.size(), group.m_usedBars.size());
    for (std::size_t u = 0; u < used; ++u) {
        const int64_t bars = group.m_usedBars[u];
        if (bars <= 0) continue;
        ReportStockRow row;
        row.number = static_cast<int64_t>(stock.size()) + 1;
        row.spec = group.m_spec;
        row.length = group.m_usedLength[u];
        row.bars = bars;
        row.totalLength = static_cast<double>(bars) * row.length;
        const double pieces = u < group.m_usedPieceLength.size() ? group.m_usedPieceLength[u] : 0;
        row.utilisation = row.totalLength > 0 ? pieces / row.totalLength : 0;
        stock.push_back(std::move(row));
    }
}

void AddLeftoverRows(const WireOptimize_Whole& job, ReportRows& rows)
{
    const std::size_t entries = std::min(job.m_leftoverLength.size(), job.m_leftoverQuantity.size());
    for (std::size_t i = 0; i < entries; ++i) {
        const double length = job.m_leftoverLength[i];
        if (length < rows.minimumLeftover) continue;
        ReportLeftoverRow row;
        row.number = static_cast<int64_t>(rows.leftover.size()) + 1;
        if (i < job.m_leftoverSpec.size()) row.spec = job.m_leftoverSpec[i];
        row.length = length;
        row.quantity = job.m_leftoverQuantity[i];
        row.unlimited = row.quantity <= 0;
        if (!row.unlimited) {
            row.totalLength = static_cast<double>(row.quantity) * length;
            rows.leftoverBars += row.quantity;
            rows.leftoverLength += row.totalLength;
        }
        rows.leftover.push_back(std::move(row));
    }
}

}  // namespace

ReportRows BuildReportRows(const WireOptimize_Whole& job, double minimumLeftover)
{
    ReportRows rows;
    rows.trimLength = job.m_trimLength;
    rows.kerfWidth = job.m_kerfWidth;
    rows.maxLengthKinds = job.m_maxLengthKinds;
    rows.hasFraction = job.m_hasFraction != 0;
    rows.totalBars = job.m_totalBars;
    rows.totalLength = job.m_totalLength;
    rows.utilisation = job.m_utilisation;

    int64_t number = 0;
    int64_t block = 0;
    for (const WireOptimize& group : job.m_groups) {
        rows.groups.push_back(GroupRows(group, number, block));
        AddStockRows(group, rows.stock);
    }

    rows.minimumLeftover = minimumLeftover;
    AddLeftoverRows(job, rows);
    return rows;
}

std::u16string PieceText(const ReportPiece& piece, const std::u16string& times)
{
    return LengthString(piece.length) + times + CountString(piece.count);
}

std::u16string PiecesText(const std::vector<ReportPiece>& pieces, const std::u16string& times,
                          const std::u16string& join, bool withMarks)
{
    std::u16string text;
    for (std::size_t t = 0; t < pieces.size(); ++t) {
        if (t > 0) text += join;
        text += PieceText(pieces[t], times);
        if (withMarks && !pieces[t].mark.empty()) text += u" " + pieces[t].mark;
    }
    return text;
}
