#pragma once

#include <cstddef>
#include <vector>

#include "engine/Job.h"
#include "lists/InputLists.h"
#include "workbench/controls/MyListCtrl.h"

// The rows of an input table: a view of one list of the window's lists, each
// cell formatted when it is painted or read, so that a list of any length
// costs no texts up front. The model keeps no copy of the list: whoever
// changes the list tells the model, which tells its views.
//
// Columns: 0 the row number, 1 specification, 2 length, 3 quantity (stock:
// "∞" for unlimited), 4 mark (stock: "√" for a preferred row).
class InputListModel : public ListTableModel {
    Q_OBJECT

public:
    InputListModel(InputLists& lists, ListKind kind, QObject* parent = nullptr);

    ListKind Kind() const { return m_kind; }

    // The list may have changed in any way: every view shows it anew.
    void Reset();
    // Columns 1 to 4 of `row` changed.
    void RowChanged(int row);
    // One column of some rows changed.
    void CellsChanged(const std::vector<int>& rows, int column);
    // Removes the given rows from the list and from the views; the rows after
    // them are numbered on. Rows outside the list are passed over.
    void RemoveRows(std::vector<int> rows);

protected:
    int RowCount() const override;
    QString CellText(int row, int column) const override;

private:
    InputLists& m_lists;
    ListKind m_kind;
};

// A pattern row of a plan still running: the group's specification and the
// pattern as it was found, its utilisation and remnant taken on the full bar.
struct LiveRow {
    MyString spec;
    WireCombine pattern;
};

// The rows of the result table: one per pattern of a plan, groups in order,
// and a totals row, each formatted when painted or read; while a plan is
// still running, the rows found so far. The plan is read from its job on
// demand: after the job changed, show it again (or clear the table).
class ResultTableModel : public ListTableModel {
    Q_OBJECT

public:
    explicit ResultTableModel(QObject* parent = nullptr);

    // The rows of `job`'s plan; none when it has no pattern.
    void ShowPlan(const WireOptimize_Whole& job);
    // No rows.
    void Clear();
    // Live rows appended in one step, numbered on after the rows shown.
    void AppendLiveRows(std::vector<LiveRow> rows);

protected:
    int RowCount() const override;
    QString CellText(int row, int column) const override;

private:
    QString PlanCellText(int row, int column) const;

    const WireOptimize_Whole* m_job = nullptr;
    // Pattern rows of group g: m_groupStart[g] .. m_groupStart[g + 1] - 1; the
    // totals row follows.
    std::vector<int> m_groupStart;
    int m_planRows = 0;  // the pattern rows and the totals row
    std::vector<LiveRow> m_liveRows;
};
