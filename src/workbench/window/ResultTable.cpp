// The result table: one row per cutting pattern, groups in order, and a
// totals row; live rows while a run goes on; sorting by a column heading.

#include <algorithm>
#include <cmath>
#include <limits>

#include <QString>

#include "engine/ResultModel.h"
#include "engine/ResultText.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/FieldText.h"

namespace {

// The texts of a pattern row; barLength, utilisation and remnant are given so
// that a live row can show its own figures.
QStringList PatternRowTexts(int row, const WireOptimize& group, const WireCombine& pattern, double barLength,
                            double utilisation, double remnant)
{
    return {QString::number(row + 1),
            ToQString(group.m_spec),
            LengthText(barLength),
            ToQString(PatternText(pattern)),
            QString::number(pattern.m_barCount),
            ToQString(PercentText(utilisation)),
            LengthText(remnant)};
}

// The total length in whole units: truncated toward zero, held to 32 bits.
int32_t WholeUnits(double length)
{
    if (std::isnan(length))
        return 0;
    const double truncated = std::trunc(length);
    if (truncated >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (truncated <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(truncated);
}

template <typename Key>
void SortPatterns(std::vector<WireCombine>& patterns, bool ascending, Key key)
{
    std::stable_sort(patterns.begin(), patterns.end(), [&](const WireCombine& a, const WireCombine& b) {
        return ascending ? key(a) < key(b) : key(b) < key(a);
    });
}

}  // namespace

void CParvexDlg::FillResultTable()
{
    ShowBoundLine();
    // All rows in one step: one layout of the table, not one per row.
    std::vector<QStringList> rows;
    for (const WireOptimize& group : g_job.m_groups) {
        for (const WireCombine& pattern : group.m_patterns) {
            rows.push_back(PatternRowTexts(int(rows.size()), group, pattern, pattern.m_barLength,
                                           pattern.m_utilisation, pattern.m_remnant));
        }
    }
    if (!rows.empty()) {
        rows.push_back({QStringLiteral("共"), QString(), QString::number(WholeUnits(g_job.m_totalLength)), QString(),
                        QString::number(g_job.m_totalBars), ToQString(PercentText(g_job.m_utilisation)), QString()});
    }
    m_resultTable->ReplaceAllItems(std::move(rows));
}

void CParvexDlg::ShowLiveRow(const WireOptimize& group, const WireCombine& pattern)
{
    // The pattern's bar is still the trimmed one; its figures are shown on the
    // full bar, as the finished plan will show them.
    double utilisation = 0;
    double remnant = 0;
    ComputePatternFigures(pattern, pattern.m_barLength + m_trimLength, m_kerfWidth, utilisation, remnant);
    const int row = m_resultTable->GetItemCount() + static_cast<int>(m_liveRows.size());
    m_liveRows.push_back(PatternRowTexts(row, group, pattern, pattern.m_barLength, utilisation, remnant));
}

void CParvexDlg::FlushLiveRows()
{
    if (m_liveRows.empty())
        return;
    const int before = m_resultTable->GetItemCount();
    std::vector<QStringList> rows;
    rows.swap(m_liveRows);
    m_resultTable->AppendItems(std::move(rows));
    // The newest row is the selected one, in view.
    const int last = m_resultTable->GetItemCount() - 1;
    if (before > 0)
        m_resultTable->SetRowSelected(before - 1, false);
    m_resultTable->SetRowSelected(last, true);
    m_resultTable->EnsureVisible(last);
}

void CParvexDlg::SortResultTable(int column)
{
    if (column != 1 && column != 2 && column != 4 && column != 5 && column != 6)
        return;
    // A plan that no longer matches the lists is not shown again by a sort.
    if (m_planOutOfDate)
        return;
    g_resultSortAscending[column] = !g_resultSortAscending[column];
    const bool ascending = g_resultSortAscending[column];
    if (column == 1) {
        std::stable_sort(g_job.m_groups.begin(), g_job.m_groups.end(),
                         [&](const WireOptimize& a, const WireOptimize& b) {
                             return ascending ? a.m_spec < b.m_spec : b.m_spec < a.m_spec;
                         });
    } else {
        for (WireOptimize& group : g_job.m_groups) {
            switch (column) {
            case 2:
                SortPatterns(group.m_patterns, ascending, [](const WireCombine& p) { return p.m_barLength; });
                break;
            case 4:
                SortPatterns(group.m_patterns, ascending, [](const WireCombine& p) { return p.m_barCount; });
                break;
            case 5:
                SortPatterns(group.m_patterns, ascending, [](const WireCombine& p) { return p.m_utilisation; });
                break;
            default:
                SortPatterns(group.m_patterns, ascending, [](const WireCombine& p) { return p.m_remnant; });
                break;
            }
        }
    }
    // The marks follow the pattern order.
    AssignMarks(g_job, false, nullptr);
    FillResultTable();
}
