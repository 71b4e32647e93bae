// The two input tables of the main window and the commands that edit them.

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include <QString>

#include "workbench/controls/MyListCtrl.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/FieldText.h"
#include "workbench/window/InputDialogs.h"

namespace {

QString StockQuantityText(int32_t quantity)
{
    return quantity <= 0 ? QStringLiteral("∞") : QString::number(quantity);
}

QString PriorityText(int32_t priority)
{
    return priority == 1 ? QStringLiteral("√") : QString();
}

bool ValidRow(int row, std::size_t count)
{
    return row >= 0 && static_cast<std::size_t>(row) < count;
}

// The stable order of the rows by the values of one column: equal values keep
// their order, as a bubble sort that swaps only neighbours strictly out of
// order would.
template <typename T>
std::vector<std::size_t> StableOrder(const std::vector<T>& column, bool ascending)
{
    std::vector<std::size_t> order(column.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ascending ? column[a] < column[b] : column[b] < column[a];
    });
    return order;
}

void RenumberRows(MyListCtrl* table)
{
    for (int row = 0; row < table->GetItemCount(); ++row)
        table->SetItemText(row, 0, QString::number(row + 1));
}

QStringList CutRowTexts(const InputLists& l, std::size_t i)
{
    return {QString::number(i + 1), ToQString(l.m_cutSpec[i]), LengthText(l.m_cutLength[i]),
            QString::number(l.m_cutQuantity[i]), ToQString(l.m_cutMark[i])};
}

QStringList StockRowTexts(const InputLists& l, std::size_t i)
{
    return {QString::number(i + 1), ToQString(l.m_stockSpec[i]), LengthText(l.m_stockLength[i]),
            StockQuantityText(l.m_stockQuantity[i]), PriorityText(l.m_stockPriority[i])};
}

}  // namespace

// ---------------------------------------------------------------------------
// Refill and row display

void CParvexDlg::RefillCutTable()
{
    // All rows in one step: a long list costs one layout, not one per row.
    std::vector<QStringList> rows;
    rows.reserve(m_lists.CutRowCount());
    for (std::size_t i = 0; i < m_lists.CutRowCount(); ++i)
        rows.push_back(CutRowTexts(m_lists, i));
    m_cutTable->ReplaceAllItems(std::move(rows));
}

void CParvexDlg::RefillStockTable()
{
    std::vector<QStringList> rows;
    rows.reserve(m_lists.StockRowCount());
    for (std::size_t i = 0; i < m_lists.StockRowCount(); ++i)
        rows.push_back(StockRowTexts(m_lists, i));
    m_stockTable->ReplaceAllItems(std::move(rows));
}

void CParvexDlg::ShowCutRow(int row)
{
    if (!ValidRow(row, m_lists.CutRowCount()))
        return;
    const QStringList texts = CutRowTexts(m_lists, static_cast<std::size_t>(row));
    for (int column = 1; column < texts.size(); ++column)
        m_cutTable->SetItemText(row, column, texts[column]);
}

void CParvexDlg::ShowStockRow(int row)
{
    if (!ValidRow(row, m_lists.StockRowCount()))
        return;
    const QStringList texts = StockRowTexts(m_lists, static_cast<std::size_t>(row));
    for (int column = 1; column < texts.size(); ++column)
        m_stockTable->SetItemText(row, column, texts[column]);
}

// ---------------------------------------------------------------------------
// Add and edit

void CParvexDlg::AddCutItem()
{
    if (g_lastCutEntry.spec.empty()) {
        g_lastCutEntry.spec = DEFAULT_SPEC;
        const std::size_t n = m_lists.CutRowCount();
        if (n == 0 && m_lists.StockRowCount() > 0)
            g_lastCutEntry.spec = m_lists.m_stockSpec[0];
        if (n > 0) {
            g_lastCutEntry.spec = m_lists.m_cutSpec[n - 1];
            g_lastCutEntry.length = m_lists.m_cutLength[n - 1];
            g_lastCutEntry.quantity = m_lists.m_cutQuantity[n - 1];
            g_lastCutEntry.mark = m_lists.m_cutMark[n - 1];
        }
    }
    Dlg_MSG_Len dialog(this, RowDialogMode::Add);
    dialog.m_spec = ToQString(g_lastCutEntry.spec);
    dialog.m_length = g_lastCutEntry.length;
    dialog.m_quantity = g_lastCutEntry.quantity;
    dialog.m_mark = ToQString(g_lastCutEntry.mark);
    dialog.ShowValues();
    if (dialog.exec() != QDialog::Accepted)
        return;
    g_lastCutEntry = {ToMyString(dialog.m_spec), dialog.m_length, dialog.m_quantity, ToMyString(dialog.m_mark)};
    m_lists.AppendCutRow(g_lastCutEntry.spec, g_lastCutEntry.length, g_lastCutEntry.quantity, g_lastCutEntry.mark);
    RefillCutTable();
    const int last = m_cutTable->GetItemCount() - 1;
    m_cutTable->SetRowSelected(last, true);
    m_cutTable->EnsureVisible(last);
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::AddStockItem()
{
    if (g_lastStockEntry.spec.empty()) {
        g_lastStockEntry.spec = DEFAULT_SPEC;
        const std::size_t n = m_lists.StockRowCount();
        if (n == 0 && m_lists.CutRowCount() > 0)
            g_lastStockEntry.spec = m_lists.m_cutSpec[0];
        if (n > 0) {
            g_lastStockEntry.spec = m_lists.m_stockSpec[n - 1];
            g_lastStockEntry.length = m_lists.m_stockLength[n - 1];
            g_lastStockEntry.quantity = m_lists.m_stockQuantity[n - 1];
            g_lastStockEntry.priority = m_lists.m_stockPriority[n - 1];
        }
    }
    Dlg_MSG_Len2 dialog(this, RowDialogMode::Add);
    dialog.m_spec = ToQString(g_lastStockEntry.spec);
    dialog.m_length = g_lastStockEntry.length;
    dialog.m_quantity = g_lastStockEntry.quantity;
    dialog.m_priority = g_lastStockEntry.priority;
    dialog.ShowValues();
    if (dialog.exec() != QDialog::Accepted)
        return;
    g_lastStockEntry = {ToMyString(dialog.m_spec), dialog.m_length, dialog.m_quantity, dialog.m_priority};
    m_lists.AppendStockRow(g_lastStockEntry.spec, g_lastStockEntry.length, g_lastStockEntry.quantity,
                           g_lastStockEntry.priority);
    RefillStockTable();
    const int last = m_stockTable->GetItemCount() - 1;
    m_stockTable->SetRowSelected(last, true);
    m_stockTable->EnsureVisible(last);
    NoteChange(ChangeKind::Lists);
}

int CParvexDlg::ColumnUnderPointer(const MyListCtrl* table, int row) const
{
    const QPoint pointer = table->PointerPosition();
    const int columns = table == m_stockTable ? 4 : 5;
    for (int k = 0; k < columns; ++k) {
        if (table->CellRect(row, k).contains(pointer))
            return k;
    }
    return -1;
}

void CParvexDlg::EditCutRow(int row)
{
    if (!ValidRow(row, m_lists.CutRowCount()))
        return;
    const std::size_t i = static_cast<std::size_t>(row);
    Dlg_MSG_Len dialog(this, RowDialogMode::Edit);
    dialog.m_spec = ToQString(m_lists.m_cutSpec[i]);
    dialog.m_length = m_lists.m_cutLength[i];
    dialog.m_quantity = m_lists.m_cutQuantity[i];
    dialog.m_mark = ToQString(m_lists.m_cutMark[i]);
    dialog.m_focusColumn = ColumnUnderPointer(m_cutTable, row);
    dialog.ShowValues();
    if (dialog.exec() != QDialog::Accepted || !ValidRow(row, m_lists.CutRowCount()))
        return;
    g_lastCutEntry = {ToMyString(dialog.m_spec), dialog.m_length, dialog.m_quantity, ToMyString(dialog.m_mark)};
    m_lists.m_cutSpec[i] = g_lastCutEntry.spec;
    m_lists.m_cutLength[i] = g_lastCutEntry.length;
    m_lists.m_cutQuantity[i] = g_lastCutEntry.quantity;
    m_lists.m_cutMark[i] = g_lastCutEntry.mark;
    ShowCutRow(row);
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::EditStockRow(int row)
{
    if (!ValidRow(row, m_lists.StockRowCount()))
        return;
    const std::size_t i = static_cast<std::size_t>(row);
    Dlg_MSG_Len2 dialog(this, RowDialogMode::Edit);
    dialog.m_spec = ToQString(m_lists.m_stockSpec[i]);
    dialog.m_length = m_lists.m_stockLength[i];
    dialog.m_quantity = m_lists.m_stockQuantity[i];
    dialog.m_priority = m_lists.m_stockPriority[i];
    dialog.m_focusColumn = ColumnUnderPointer(m_stockTable, row);
    dialog.ShowValues();
    if (dialog.exec() != QDialog::Accepted || !ValidRow(row, m_lists.StockRowCount()))
        return;
    g_lastStockEntry = {ToMyString(dialog.m_spec), dialog.m_length, dialog.m_quantity, dialog.m_priority};
    m_lists.m_stockSpec[i] = g_lastStockEntry.spec;
    m_lists.m_stockLength[i] = g_lastStockEntry.length;
    m_lists.m_stockQuantity[i] = g_lastStockEntry.quantity;
    m_lists.m_stockPriority[i] = g_lastStockEntry.priority;
    ShowStockRow(row);
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::OnCutDoubleClick(int row)
{
    if (row < 0)
        m_cutTable->DeselectAll();
    const int selected = m_cutTable->FirstSelectedRow();
    if (selected >= 0)
        EditCutRow(selected);
    else
        AddCutItem();
}

void CParvexDlg::OnStockDoubleClick(int row)
{
    if (row < 0)
        m_stockTable->DeselectAll();
    const int selected = m_stockTable->FirstSelectedRow();
    if (selected >= 0)
        EditStockRow(selected);
    else
        AddStockItem();
}

void CParvexDlg::OnCutSelectionChanged()
{
    const int row = m_cutTable->FirstSelectedRow();
    if (!ValidRow(row, m_lists.CutRowCount()))
        return;
    const std::size_t i = static_cast<std::size_t>(row);
    g_lastCutEntry = {m_lists.m_cutSpec[i], m_lists.m_cutLength[i], m_lists.m_cutQuantity[i], m_lists.m_cutMark[i]};
}

void CParvexDlg::OnStockSelectionChanged()
{
    const int row = m_stockTable->FirstSelectedRow();
    if (!ValidRow(row, m_lists.StockRowCount()))
        return;
    const std::size_t i = static_cast<std::size_t>(row);
    g_lastStockEntry = {m_lists.m_stockSpec[i], m_lists.m_stockLength[i], m_lists.m_stockQuantity[i],
                        m_lists.m_stockPriority[i]};
}

// ---------------------------------------------------------------------------
// Delete and merge

void CParvexDlg::DeleteSelectedCutRows()
{
    bool deleted = false;
    for (int row = m_cutTable->GetItemCount() - 1; row >= 0; --row) {
        if (!m_cutTable->IsRowSelected(row))
            continue;
        if (ValidRow(row, m_lists.CutRowCount()))
            m_lists.RemoveCutRow(static_cast<std::size_t>(row));
        m_cutTable->DeleteItem(row);
        deleted = true;
    }
    RenumberRows(m_cutTable);
    if (deleted)
        NoteChange(ChangeKind::Lists);
}

void CParvexDlg::DeleteSelectedStockRows()
{
    bool deleted = false;
    for (int row = m_stockTable->GetItemCount() - 1; row >= 0; --row) {
        if (!m_stockTable->IsRowSelected(row))
            continue;
        if (ValidRow(row, m_lists.StockRowCount()))
            m_lists.RemoveStockRow(static_cast<std::size_t>(row));
        m_stockTable->DeleteItem(row);
        deleted = true;
    }
    RenumberRows(m_stockTable);
    if (deleted)
        NoteChange(ChangeKind::Lists);
}

void CParvexDlg::MergeCutRows()
{
    if (!m_lists.MergeCutList())
        return;
    RefillCutTable();
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::MergeStockRows()
{
    if (!m_lists.MergeStockList())
        return;
    RefillStockTable();
    NoteChange(ChangeKind::Lists);
}

// ---------------------------------------------------------------------------
// Sort by a column heading

void CParvexDlg::SortCutTable(int column)
{
    if (column < 1 || column > 4)
        return;
    g_cutSortAscending[column] = !g_cutSortAscending[column];
    const bool ascending = g_cutSortAscending[column];
    const InputLists& l = m_lists;
    m_lists.ReorderCutRows(column == 1   ? StableOrder(l.m_cutSpec, ascending)
                           : column == 2 ? StableOrder(l.m_cutLength, ascending)
                           : column == 3 ? StableOrder(l.m_cutQuantity, ascending)
                                         : StableOrder(l.m_cutMark, ascending));
    RefillCutTable();
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::SortStockTable(int column)
{
    if (column < 1 || column > 4)
        return;
    g_stockSortAscending[column] = !g_stockSortAscending[column];
    const bool ascending = g_stockSortAscending[column];
    const InputLists& l = m_lists;
    // The stored quantity: unlimited rows hold negative values.
    m_lists.ReorderStockRows(column == 1   ? StableOrder(l.m_stockSpec, ascending)
                             : column == 2 ? StableOrder(l.m_stockLength, ascending)
                             : column == 3 ? StableOrder(l.m_stockQuantity, ascending)
                                           : StableOrder(l.m_stockPriority, ascending));
    RefillStockTable();
    NoteChange(ChangeKind::Lists);
}

// ---------------------------------------------------------------------------
// Batch edits of the captured rows

void CParvexDlg::BatchEditCutRows(int row, int column)
{
    const std::vector<int> rows = m_cutTable->CapturedRows();
    if (rows.empty() || (column != 3 && column != 4))
        return;
    const bool valid = ValidRow(row, m_lists.CutRowCount());
    m_cutTable->ReselectCapturedRows();
    if (column == 3) {
        Dlg_CLK_1 dialog(this);
        dialog.m_quantity = valid ? m_lists.m_cutQuantity[static_cast<std::size_t>(row)] : 1;
        dialog.ShowValues();
        if (dialog.exec() != QDialog::Accepted)
            return;
        for (const int r : rows) {
            if (!ValidRow(r, m_lists.CutRowCount()))
                continue;
            m_lists.m_cutQuantity[static_cast<std::size_t>(r)] = dialog.m_quantity;
            m_cutTable->SetItemText(r, 3, QString::number(dialog.m_quantity));
        }
        NoteChange(ChangeKind::Lists);
        return;
    }
    Dlg_CLK_2 dialog(this);
    dialog.m_mark = valid ? ToQString(m_lists.m_cutMark[static_cast<std::size_t>(row)]) : QString();
    dialog.ShowValues();
    if (dialog.exec() != QDialog::Accepted)
        return;
    for (const int r : rows) {
        if (!ValidRow(r, m_lists.CutRowCount()))
            continue;
        m_lists.m_cutMark[static_cast<std::size_t>(r)] = ToMyString(dialog.m_mark);
        m_cutTable->SetItemText(r, 4, dialog.m_mark);
    }
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::BatchEditStockRows(int row, int column)
{
    const std::vector<int> rows = m_stockTable->CapturedRows();
    if (rows.empty() || (column != 3 && column != 4))
        return;
    const bool valid = ValidRow(row, m_lists.StockRowCount());
    m_stockTable->ReselectCapturedRows();
    if (column == 3) {
        Dlg_CLK_3 dialog(this);
        const int32_t quantity = valid ? m_lists.m_stockQuantity[static_cast<std::size_t>(row)] : 0;
        dialog.m_unlimited = quantity <= 0;
        dialog.m_quantity = quantity == 0 ? 1 : (quantity == INT32_MIN ? INT32_MAX : std::abs(quantity));
        dialog.ShowValues();
        if (dialog.exec() != QDialog::Accepted)
            return;
        for (const int r : rows) {
            if (!ValidRow(r, m_lists.StockRowCount()))
                continue;
            m_lists.m_stockQuantity[static_cast<std::size_t>(r)] = dialog.m_quantity;
            m_stockTable->SetItemText(r, 3, StockQuantityText(dialog.m_quantity));
        }
        NoteChange(ChangeKind::Lists);
        return;
    }
    Dlg_CLK_4 dialog(this);
    dialog.m_priority = valid ? m_lists.m_stockPriority[static_cast<std::size_t>(row)] : 0;
    dialog.ShowValues();
    if (dialog.exec() != QDialog::Accepted)
        return;
    for (const int r : rows) {
        if (!ValidRow(r, m_lists.StockRowCount()))
            continue;
        m_lists.m_stockPriority[static_cast<std::size_t>(r)] = dialog.m_priority;
        m_stockTable->SetItemText(r, 4, PriorityText(dialog.m_priority));
    }
    NoteChange(ChangeKind::Lists);
}
