// The two input tables of the main window and the commands that edit them,
// each written once for either list.

#include "workbench/controls/MyListCtrl.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/InputDialogs.h"

namespace {

bool ValidRow(int row, std::size_t count)
{
    return row >= 0 && static_cast<std::size_t>(row) < count;
}

ListRow& LastEntry(ListKind kind)
{
    if (kind == LIST_CUT)
        return g_lastCutEntry;
    return g_lastStockEntry;
}

std::array<bool, 5>& SortAscending(ListKind kind)
{
    return kind == LIST_CUT ? g_cutSortAscending : g_stockSortAscending;
}

ListKind OtherList(ListKind kind)
{
    return kind == LIST_CUT ? LIST_STOCK : LIST_CUT;
}

}  // namespace

// ---------------------------------------------------------------------------
// Refill and row display

void CParvexDlg::RefillTable(ListKind kind)
{
    // The model formats the cells the table paints: a list of any length
    // costs one reset, not a text per cell.
    Rows(kind)->Reset();
}

void CParvexDlg::ShowRow(ListKind kind, int row)
{
    if (ValidRow(row, m_lists.RowCount(kind)))
        Rows(kind)->RowChanged(row);
}

// ---------------------------------------------------------------------------
// Add and edit

void CParvexDlg::AddItem(ListKind kind)
{
    ListRow& last = LastEntry(kind);
    if (last.spec.empty()) {
        const std::size_t n = m_lists.RowCount(kind);
        last.spec = DEFAULT_SPEC;
        if (n == 0 && m_lists.RowCount(OtherList(kind)) > 0)
            last.spec = m_lists.Row(OtherList(kind), 0).spec;
        if (n > 0)
            last = m_lists.Row(kind, n - 1);
    }
    ListRow entry = last;
    if (!RunRowDialog(this, kind, RowDialogMode::Add, -1, entry))
        return;
    last = entry;
    m_lists.AppendRow(kind, entry);
    RefillTable(kind);
    MyListCtrl* table = Table(kind);
    const int added = table->GetItemCount() - 1;
    table->SetRowSelected(added, true);
    table->EnsureVisible(added);
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

void CParvexDlg::EditRow(ListKind kind, int row)
{
    if (!ValidRow(row, m_lists.RowCount(kind)))
        return;
    ListRow entry = m_lists.Row(kind, static_cast<std::size_t>(row));
    if (!RunRowDialog(this, kind, RowDialogMode::Edit, ColumnUnderPointer(Table(kind), row), entry)
        || !ValidRow(row, m_lists.RowCount(kind)))
        return;
    LastEntry(kind) = entry;
    m_lists.SetRow(kind, static_cast<std::size_t>(row), entry);
    ShowRow(kind, row);
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::OnDoubleClick(ListKind kind, int row)
{
    MyListCtrl* table = Table(kind);
    if (row < 0)
        table->DeselectAll();
    const int selected = table->FirstSelectedRow();
    if (selected >= 0)
        EditRow(kind, selected);
    else
        AddItem(kind);
}

void CParvexDlg::OnSelectionChanged(ListKind kind)
{
    const int row = Table(kind)->FirstSelectedRow();
    if (ValidRow(row, m_lists.RowCount(kind)))
        LastEntry(kind) = m_lists.Row(kind, static_cast<std::size_t>(row));
}

// ---------------------------------------------------------------------------
// Delete and merge

void CParvexDlg::DeleteSelectedRows(ListKind kind)
{
    const std::vector<int> rows = Table(kind)->SelectedRows();
    if (rows.empty())
        return;
    // The rows after them are numbered on by the model.
    Rows(kind)->RemoveRows(rows);
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::MergeRows(ListKind kind)
{
    if (!m_lists.MergeList(kind))
        return;
    RefillTable(kind);
    NoteChange(ChangeKind::Lists);
}

// ---------------------------------------------------------------------------
// Sort by a column heading

void CParvexDlg::SortTable(ListKind kind, int column)
{
    if (column < 1 || column > 4)
        return;
    bool& ascending = SortAscending(kind)[static_cast<std::size_t>(column)];
    ascending = !ascending;
    m_lists.ReorderRows(kind, m_lists.SortOrder(kind, column, ascending));
    RefillTable(kind);
    NoteChange(ChangeKind::Lists);
}

// ---------------------------------------------------------------------------
// Batch edits of the captured rows

void CParvexDlg::BatchEditRows(ListKind kind, int row, int column)
{
    MyListCtrl* table = Table(kind);
    const std::vector<int> rows = table->CapturedRows();
    if (rows.empty() || (column != 3 && column != 4))
        return;
    const bool valid = ValidRow(row, m_lists.RowCount(kind));
    const ListRow clicked = valid ? m_lists.Row(kind, static_cast<std::size_t>(row)) : ListRow();
    table->ReselectCapturedRows();
    ListRow typed;
    if (!RunBatchDialog(this, kind, column, valid ? &clicked : nullptr, typed))
        return;
    std::vector<int> changed;
    for (const int r : rows) {
        if (!ValidRow(r, m_lists.RowCount(kind)))
            continue;
        ListRow values = m_lists.Row(kind, static_cast<std::size_t>(r));
        if (column == 3) {
            values.quantity = typed.quantity;
        } else {
            values.mark = typed.mark;
            values.priority = typed.priority;
        }
        m_lists.SetRow(kind, static_cast<std::size_t>(r), values);
        changed.push_back(r);
    }
    Rows(kind)->CellsChanged(changed, column);
    NoteChange(ChangeKind::Lists);
}
