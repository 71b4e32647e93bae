#include "workbench/window/TableModels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/ResultText.h"
#include "workbench/window/FieldText.h"

namespace {

QString StockQuantityText(int32_t quantity)
{
    return quantity <= 0 ? QStringLiteral("∞") : QString::number(quantity);
}

QString PriorityText(int32_t priority)
{
    return priority == 1 ? QStringLiteral("√") : QString();
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

// A cell of a pattern row (the row number is column 0).
QString PatternCellText(int row, const MyString& spec, const WireCombine& pattern, int column)
{
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return ToQString(spec);
    case 2:
        return LengthText(pattern.m_barLength);
    case 3:
        return ToQString(PatternText(pattern));
    case 4:
        return QString::number(pattern.m_barCount);
    case 5:
        return ToQString(PercentText(pattern.m_utilisation));
    case 6:
        return LengthText(pattern.m_remnant);
    default:
        return QString();
    }
}

QString TotalsCellText(const WireOptimize_Whole& job, int column)
{
    switch (column) {
    case 0:
        return QStringLiteral("共");
    case 2:
        return QString::number(WholeUnits(job.m_totalLength));
    case 4:
        return QString::number(job.m_totalBars);
    case 5:
        return ToQString(PercentText(job.m_utilisation));
    default:
        return QString();
    }
}

}  // namespace

// ---- InputListModel ----

InputListModel::InputListModel(InputLists& lists, ListKind kind, QObject* parent)
    : ListTableModel(parent), m_lists(lists), m_kind(kind)
{
}

int InputListModel::RowCount() const
{
    return static_cast<int>(m_lists.RowCount(m_kind));
}

QString InputListModel::CellText(int row, int column) const
{
    const std::size_t i = static_cast<std::size_t>(row);
    const bool cut = m_kind == LIST_CUT;
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return ToQString(cut ? m_lists.m_cutSpec[i] : m_lists.m_stockSpec[i]);
    case 2:
        return LengthText(cut ? m_lists.m_cutLength[i] : m_lists.m_stockLength[i]);
    case 3:
        return cut ? QString::number(m_lists.m_cutQuantity[i]) : StockQuantityText(m_lists.m_stockQuantity[i]);
    case 4:
        return cut ? ToQString(m_lists.m_cutMark[i]) : PriorityText(m_lists.m_stockPriority[i]);
    default:
        return QString();
    }
}

void InputListModel::Reset()
{
    beginResetModel();
    endResetModel();
}

void InputListModel::RowChanged(int row)
{
    if (row < 0 || row >= rowCount() || columnCount() < 2)
        return;
    emit dataChanged(index(row, 1), index(row, columnCount() - 1), {Qt::DisplayRole});
}

void InputListModel::CellsChanged(const std::vector<int>& rows, int column)
{
    for (const int row : rows) {
        const QModelIndex cell = index(row, column);
        if (cell.isValid())
            emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
}

void InputListModel::RemoveRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int row) { return row < 0 || row >= rowCount(); }),
               rows.end());
    if (rows.empty())
        return;
    // From the last run of neighbouring rows to the first, each in one step.
    std::size_t end = rows.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1)
            --begin;
        const int first = rows[begin];
        const int last = rows[end - 1];
        beginRemoveRows(QModelIndex(), first, last);
        m_lists.RemoveRows(m_kind, static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
        endRemoveRows();
        end = begin;
    }
    // The rows after the first removed one have new numbers.
    if (rows.front() < rowCount())
        emit dataChanged(index(rows.front(), 0), index(rowCount() - 1, 0), {Qt::DisplayRole});
}

// ---- ResultTableModel ----

ResultTableModel::ResultTableModel(QObject* parent) : ListTableModel(parent)
{
}

void ResultTableModel::ShowPlan(const WireOptimize_Whole& job)
{
    beginResetModel();
    m_job = &job;
    m_liveRows.clear();
    m_groupStart.assign(1, 0);
    for (const WireOptimize& group : job.m_groups)
        m_groupStart.push_back(m_groupStart.back() + static_cast<int>(group.m_patterns.size()));
    m_planRows = m_groupStart.back() > 0 ? m_groupStart.back() + 1 : 0;
    endResetModel();
}

void ResultTableModel::Clear()
{
    beginResetModel();
    m_job = nullptr;
    m_groupStart.clear();
    m_planRows = 0;
    m_liveRows.clear();
    endResetModel();
}

void ResultTableModel::AppendLiveRows(std::vector<LiveRow> rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    m_liveRows.reserve(m_liveRows.size() + rows.size());
    for (LiveRow& row : rows)
        m_liveRows.push_back(std::move(row));
    endInsertRows();
}

int ResultTableModel::RowCount() const
{
    return m_planRows + static_cast<int>(m_liveRows.size());
}

QString ResultTableModel::CellText(int row, int column) const
{
    if (row >= m_planRows) {
        const LiveRow& live = m_liveRows[static_cast<std::size_t>(row - m_planRows)];
        return PatternCellText(row, live.spec, live.pattern, column);
    }
    return PlanCellText(row, column);
}

QString ResultTableModel::PlanCellText(int row, int column) const
{
    if (!m_job)
        return QString();
    if (row == m_planRows - 1)
        return TotalsCellText(*m_job, column);
    // The group whose rows hold `row`.
    const auto after = std::upper_bound(m_groupStart.begin(), m_groupStart.end(), row);
    const std::size_t g = static_cast<std::size_t>(after - m_groupStart.begin() - 1);
    const std::size_t p = static_cast<std::size_t>(row - m_groupStart[g]);
    // A job changed since it was shown gives empty cells, never a stray read.
    if (g >= m_job->m_groups.size() || p >= m_job->m_groups[g].m_patterns.size())
        return QString();
    const WireOptimize& group = m_job->m_groups[g];
    return PatternCellText(row, group.m_spec, group.m_patterns[p], column);
}
