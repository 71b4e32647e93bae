#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One text of a list (a specification or a mark): at most 99 UTF-16 code units.
// Texts compare code unit by code unit, case-sensitive, without trimming.
using MyString = std::u16string;
constexpr std::size_t MYSTRING_MAX_UNITS = 99;

// Which of the two input lists a command works on.
enum ListKind : int { LIST_CUT = 1, LIST_STOCK = 2 };

// One row of either list, as the window's dialogs edit it: the mark belongs to
// a cut row and the priority to a stock row; a list ignores the other one.
struct ListRow {
    MyString spec;
    double length = 0;
    int32_t quantity = 0;
    MyString mark;
    int32_t priority = 0;
};

// The cut list (pieces to cut) and the stock list (bars on hand) as the main
// window holds them: four parallel arrays per list, row i is element i of each.
//
// Stock quantity encoding: > 0 is a number of bars; < 0 is unlimited stock whose
// magnitude keeps the count last entered (-1 when there was none); 0 means no
// bars. Every value of 0 or less is shown as unlimited and planned as unlimited.
struct InputLists {
    std::vector<double> m_cutLength;
    std::vector<double> m_stockLength;
    std::vector<int32_t> m_cutQuantity;
    std::vector<int32_t> m_stockQuantity;
    std::vector<MyString> m_cutSpec;
    std::vector<MyString> m_stockSpec;
    std::vector<int32_t> m_stockPriority;  // 1 = use this stock first, 0 = normal
    std::vector<MyString> m_cutMark;       // may be empty

    std::size_t CutRowCount() const { return m_cutLength.size(); }
    std::size_t StockRowCount() const { return m_stockLength.size(); }

    void AppendCutRow(const MyString& spec, double length, int32_t quantity, const MyString& mark);
    void AppendStockRow(const MyString& spec, double length, int32_t quantity, int32_t priority);
    void RemoveCutRow(std::size_t i);
    void RemoveStockRow(std::size_t i);
    // Puts the rows in a new order: new row i is old row order[i] (order is a
    // permutation of the rows).
    void ReorderCutRows(const std::vector<std::size_t>& order);
    void ReorderStockRows(const std::vector<std::size_t>& order);
    void ClearCutList();
    void ClearStockList();

    // Combines cut rows of equal length, specification and mark into the first
    // of them and removes rows whose quantity is 0 or less. A sum that would
    // pass 2147483647 is not formed: that row stays as it is and the job setup,
    // which counts in 64 bits, joins it. Returns whether the row count changed.
    bool MergeCutList();

    // Combines stock rows of equal length and specification (priority is not
    // compared; the first row's priority stays). Unlimited wins; a finite sum
    // above 2147483647 stays at 2147483647. Rows with quantity exactly 0 are
    // removed. Returns whether the row count changed.
    bool MergeStockList();

    // The operations above for the list named by `kind`, row by row as one
    // record. Row indices must be valid.
    std::size_t RowCount(ListKind kind) const;
    ListRow Row(ListKind kind, std::size_t i) const;
    void SetRow(ListKind kind, std::size_t i, const ListRow& row);
    void AppendRow(ListKind kind, const ListRow& row);
    // Removes rows first .. first + count - 1; later rows move up.
    void RemoveRows(ListKind kind, std::size_t first, std::size_t count);
    void ReorderRows(ListKind kind, const std::vector<std::size_t>& order);
    void ClearList(ListKind kind);
    bool MergeList(ListKind kind);
    // The order that sorts the rows by one column (1 specification, 2 length,
    // 3 stored quantity, so unlimited stock comes first, 4 mark or priority):
    // stable, so rows of equal values keep their order, as a sort that swaps
    // only neighbours strictly out of order would. Texts compare by UTF-16
    // code units. Any other column gives the rows as they are.
    std::vector<std::size_t> SortOrder(ListKind kind, int column, bool ascending) const;
};
