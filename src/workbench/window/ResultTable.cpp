// The result table: one row per cutting pattern, groups in order, and a
// totals row; live rows while a run goes on; sorting by a column heading.

#include <algorithm>

#include "engine/ResultModel.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/window/CParvexDlg.h"

namespace {

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
    // The rows read the plan as they are painted: one reset of the table.
    m_resultRows->ShowPlan(g_job);
}

void CParvexDlg::ShowLiveRow(const WireOptimize& group, const WireCombine& pattern)
{
    // The pattern's bar is still the trimmed one; its figures are shown on the
    // full bar, as the finished plan will show them.
    LiveRow row{group.m_spec, pattern};
    ComputePatternFigures(pattern, pattern.m_barLength + m_trimLength, m_kerfWidth, row.pattern.m_utilisation,
                          row.pattern.m_remnant);
    m_liveRows.push_back(std::move(row));
}

void CParvexDlg::FlushLiveRows()
{
    if (m_liveRows.empty())
        return;
    const int before = m_resultTable->GetItemCount();
    std::vector<LiveRow> rows;
    rows.swap(m_liveRows);
    m_resultRows->AppendLiveRows(std::move(rows));
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
    AssignMarks(g_job);
    FillResultTable();
}
