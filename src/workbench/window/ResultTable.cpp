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

// Writes a pattern row; barLength, utilisation and remnant are given so that
// a live row can show its own figures.
void WritePatternRow(MyListCtrl* table, int row, const WireOptimize& group, const WireCombine& pattern,
                     double barLength, double utilisation, double remnant)
{
    table->InsertItem(row, QString::number(row + 1));
    table->SetItemText(row, 1, ToQString(group.m_spec));
    table->SetItemText(row, 2, LengthText(barLength));
    table->SetItemText(row, 3, ToQString(PatternText(pattern)));
    table->SetItemText(row, 4, QString::number(pattern.m_barCount));
    table->SetItemText(row, 5, ToQString(PercentText(utilisation)));
    table->SetItemText(row, 6, LengthText(remnant));
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
    m_resultTable->DeleteAllItems();
    ShowBoundLine();
    int row = 0;
    for (const WireOptimize& group : g_job.m_groups) {
        for (const WireCombine& pattern : group.m_patterns) {
            WritePatternRow(m_resultTable, row, group, pattern, pattern.m_barLength, pattern.m_utilisation,
                            pattern.m_remnant);
            ++row;
        }
    }
    if (row == 0)
        return;
    m_resultTable->InsertItem(row, QStringLiteral("共"));
    m_resultTable->SetItemText(row, 2, QString::number(WholeUnits(g_job.m_totalLength)));
    m_resultTable->SetItemText(row, 4, QString::number(g_job.m_totalBars));
    m_resultTable->SetItemText(row, 5, ToQString(PercentText(g_job.m_utilisation)));
}

void CParvexDlg::ShowLiveRow(const WireOptimize& group, const WireCombine& pattern)
{
    // The pattern's bar is still the trimmed one; its figures are shown on the
    // full bar, as the finished plan will show them.
    double utilisation = 0;
    double remnant = 0;
    ComputePatternFigures(pattern, pattern.m_barLength + m_trimLength, m_kerfWidth, utilisation, remnant);
    const int row = m_resultTable->GetItemCount();
    WritePatternRow(m_resultTable, row, group, pattern, pattern.m_barLength, utilisation, remnant);
    if (row > 0)
        m_resultTable->SetRowSelected(row - 1, false);
    m_resultTable->SetRowSelected(row, true);
    m_resultTable->EnsureVisible(row);
}

void CParvexDlg::SortResultTable(int column)
{
    if (column != 1 && column != 2 && column != 4 && column != 5 && column != 6)
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
