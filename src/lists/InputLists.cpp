#include "lists/InputLists.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <unordered_map>

void InputLists::AppendCutRow(const MyString& spec, double length, int32_t quantity, const MyString& mark)
{
    m_cutLength.push_back(length);
    m_cutQuantity.push_back(quantity);
    m_cutSpec.push_back(spec);
    m_cutMark.push_back(mark);
}

void InputLists::AppendStockRow(const MyString& spec, double length, int32_t quantity, int32_t priority)
{
    m_stockLength.push_back(length);
    m_stockQuantity.push_back(quantity);
    m_stockSpec.push_back(spec);
    m_stockPriority.push_back(priority);
}

void InputLists::RemoveCutRow(std::size_t i)
{
    m_cutLength.erase(m_cutLength.begin() + i);
    m_cutQuantity.erase(m_cutQuantity.begin() + i);
    m_cutSpec.erase(m_cutSpec.begin() + i);
    m_cutMark.erase(m_cutMark.begin() + i);
}

void InputLists::RemoveStockRow(std::size_t i)
{
    m_stockLength.erase(m_stockLength.begin() + i);
    m_stockQuantity.erase(m_stockQuantity.begin() + i);
    m_stockSpec.erase(m_stockSpec.begin() + i);
    m_stockPriority.erase(m_stockPriority.begin() + i);
}

namespace {

template <typename T>
void Reorder(std::vector<T>& values, const std::vector<std::size_t>& order)
{
    std::vector<T> sorted;
    sorted.reserve(values.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(values[i]));
    values = std::move(sorted);
}

}  // namespace

void InputLists::ReorderCutRows(const std::vector<std::size_t>& order)
{
    Reorder(m_cutLength, order);
    Reorder(m_cutQuantity, order);
    Reorder(m_cutSpec, order);
    Reorder(m_cutMark, order);
}

void InputLists::ReorderStockRows(const std::vector<std::size_t>& order)
{
    Reorder(m_stockLength, order);
    Reorder(m_stockQuantity, order);
    Reorder(m_stockSpec, order);
    Reorder(m_stockPriority, order);
}

void InputLists::ClearCutList()
{
    m_cutLength.clear();
    m_cutQuantity.clear();
    m_cutSpec.clear();
    m_cutMark.clear();
}

void InputLists::ClearStockList()
{
    m_stockLength.clear();
    m_stockQuantity.clear();
    m_stockSpec.clear();
    m_stockPriority.clear();
}

namespace {

// Keeps only the rows whose flag is set, in order, in all four arrays of a list.
template <typename A, typename B, typename C, typename D>
void KeepRows(const std::vector<bool>& keep, A& a, B& b, C& c, D& d)
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < keep.size(); ++i) {
        if (!keep[i])
            continue;
        if (out != i) {
            a[out] = std::move(a[i]);
            b[out] = std::move(b[i]);
            c[out] = std::move(c[i]);
            d[out] = std::move(d[i]);
        }
        ++out;
    }
    a.resize(out);
    b.resize(out);
    c.resize(out);
    d.resize(out);
}

}  // namespace

namespace {

// A length as a hash key: -0 and +0 are equal lengths and hash alike.
std::size_t LengthHash(double length)
{
    if (length == 0)
        length = 0;
    uint64_t bits = 0;
    std::memcpy(&bits, &length, sizeof bits);
    return std::hash<uint64_t>()(bits);
}

std::size_t CombineHash(std::size_t seed, std::size_t value)
{
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

// Numbers the classes of equal rows in order of their first row: classOf[i]
// is the class of row i, or NO_CLASS for a row that equals no other row by
// construction (a NaN length). Rows are equal when `equal` says so; `hash`
// must agree with it. Expected linear time.
constexpr std::size_t NO_CLASS = std::numeric_limits<std::size_t>::max();

template <typename Hash, typename Equal>
std::vector<std::size_t> ClassesOfEqualRows(const std::vector<double>& lengths, Hash hash, Equal equal,
                                            std::size_t& classCount)
{
    const std::size_t n = lengths.size();
    // Key: the first row of a class; the map finds it through the row's values.
    std::unordered_map<std::size_t, std::size_t, Hash, Equal> firstRows(n, hash, equal);
    std::vector<std::size_t> classOf(n, NO_CLASS);
    classCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isnan(lengths[i]))
            continue;
        const auto found = firstRows.emplace(i, classCount);
        if (found.second)
            ++classCount;
        classOf[i] = found.first->second;
    }
    return classOf;
}

// The rows of each class in row order, as one array with offsets.
struct ClassRows {
    std::vector<std::size_t> m_offset;  // class c holds m_rows[m_offset[c] .. m_offset[c + 1])
    std::vector<std::size_t> m_rows;
};

ClassRows GroupRows(const std::vector<std::size_t>& classOf, std::size_t classCount)
{
    ClassRows grouped;
    grouped.m_offset.assign(classCount + 1, 0);
    for (const std::size_t c : classOf) {
        if (c != NO_CLASS)
            ++grouped.m_offset[c + 1];
    }
    for (std::size_t c = 0; c < classCount; ++c)
        grouped.m_offset[c + 1] += grouped.m_offset[c];
    grouped.m_rows.resize(grouped.m_offset[classCount]);
    std::vector<std::size_t> next(grouped.m_offset.begin(), grouped.m_offset.end() - 1);
    for (std::size_t i = 0; i < classOf.size(); ++i) {
        if (classOf[i] != NO_CLASS)
            grouped.m_rows[next[classOf[i]]++] = i;
    }
    return grouped;
}

bool FitsInt32(int64_t value)
{
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// The pairwise merge of one class of equal cut rows, where some sum would
// leave 32 bits. Taking each row i in order and offering it every later row j
// (j joins i when the sum fits) gives the same result as offering each row j,
// in order, to the rows before it, in order, and letting the first that can
// take it do so: both decide every pair (i, j) from the same earlier
// decisions. The first row able to take a quantity q is found in a tree of
// the rows' minimum and maximum values; a row not yet reached takes nothing.
class FirstFitTree {
public:
    explicit FirstFitTree(std::size_t count)
    {
        m_leaves = 1;
        while (m_leaves < count)
            m_leaves *= 2;
        m_min.assign(2 * m_leaves, EMPTY_MIN);
        m_max.assign(2 * m_leaves, EMPTY_MAX);
    }

    void Set(std::size_t leaf, int64_t value)
    {
        std::size_t node = leaf + m_leaves;
        m_min[node] = value;
        m_max[node] = value;
        for (node /= 2; node >= 1; node /= 2) {
            m_min[node] = std::min(m_min[2 * node], m_min[2 * node + 1]);
            m_max[node] = std::max(m_max[2 * node], m_max[2 * node + 1]);
        }
    }

    // The first leaf whose value v keeps v + q within 32 bits, or `none`.
    std::size_t FirstTaking(int64_t q, std::size_t none) const
    {
        // q > 0 needs v <= MAX - q; q < 0 needs v >= MIN - q; q == 0 always fits.
        const int64_t bound = q > 0 ? int64_t(std::numeric_limits<int32_t>::max()) - q
                                    : int64_t(std::numeric_limits<int32_t>::min()) - q;
        auto takes = [&](std::size_t node) { return q > 0 ? m_min[node] <= bound : m_max[node] >= bound; };
        if (!takes(1))
            return none;
        std::size_t node = 1;
        while (node < m_leaves)
            node = takes(2 * node) ? 2 * node : 2 * node + 1;
        return node - m_leaves;
    }

private:
    static constexpr int64_t EMPTY_MIN = std::numeric_limits<int64_t>::max();
    static constexpr int64_t EMPTY_MAX = std::numeric_limits<int64_t>::min();
    std::size_t m_leaves = 1;
    std::vector<int64_t> m_min;
    std::vector<int64_t> m_max;
};

void MergeClassFirstFit(const std::size_t* rows, std::size_t count, std::vector<int32_t>& quantity)
{
    FirstFitTree tree(count);
    tree.Set(0, quantity[rows[0]]);
    for (std::size_t k = 1; k < count; ++k) {
        int32_t& q = quantity[rows[k]];
        if (q != 0) {
            const std::size_t taker = tree.FirstTaking(q, k);
            if (taker < k) {
                int32_t& sum = quantity[rows[taker]];
                sum = int32_t(int64_t(sum) + q);
                tree.Set(taker, sum);
                q = 0;
            }
        }
        tree.Set(k, q);
    }
}

}  // namespace

bool InputLists::MergeCutList()
{
    const std::size_t n = CutRowCount();
    auto hash = [this](std::size_t i) {
        return CombineHash(CombineHash(LengthHash(m_cutLength[i]), std::hash<MyString>()(m_cutSpec[i])),
                           std::hash<MyString>()(m_cutMark[i]));
    };
    auto equal = [this](std::size_t a, std::size_t b) {
        return m_cutLength[a] == m_cutLength[b] && m_cutSpec[a] == m_cutSpec[b] && m_cutMark[a] == m_cutMark[b];
    };
    std::size_t classCount = 0;
    const std::vector<std::size_t> classOf = ClassesOfEqualRows(m_cutLength, hash, equal, classCount);
    const ClassRows grouped = GroupRows(classOf, classCount);

    // Each class of equal rows: the first row takes every later quantity, in
    // order, as long as each running sum stays within 32 bits (the usual
    // case). Otherwise the class is merged pair by pair as a row-by-row
    // comparison would: a sum that would leave 32 bits is not formed.
    for (std::size_t c = 0; c < classCount; ++c) {
        const std::size_t* rows = grouped.m_rows.data() + grouped.m_offset[c];
        const std::size_t count = grouped.m_offset[c + 1] - grouped.m_offset[c];
        if (count < 2)
            continue;
        int64_t sum = m_cutQuantity[rows[0]];
        bool fits = true;
        for (std::size_t k = 1; k < count && fits; ++k) {
            sum += m_cutQuantity[rows[k]];
            fits = FitsInt32(sum);
        }
        if (!fits) {
            MergeClassFirstFit(rows, count, m_cutQuantity);
            continue;
        }
        m_cutQuantity[rows[0]] = int32_t(sum);
        for (std::size_t k = 1; k < count; ++k)
            m_cutQuantity[rows[k]] = 0;
    }

    std::vector<bool> keep(n);
    for (std::size_t i = 0; i < n; ++i)
        keep[i] = m_cutQuantity[i] > 0;
    KeepRows(keep, m_cutLength, m_cutQuantity, m_cutSpec, m_cutMark);
    return CutRowCount() != n;
}

bool InputLists::MergeStockList()
{
    const std::size_t n = StockRowCount();
    auto hash = [this](std::size_t i) {
        return CombineHash(LengthHash(m_stockLength[i]), std::hash<MyString>()(m_stockSpec[i]));
    };
    auto equal = [this](std::size_t a, std::size_t b) {
        return m_stockLength[a] == m_stockLength[b] && m_stockSpec[a] == m_stockSpec[b];
    };
    std::size_t classCount = 0;
    const std::vector<std::size_t> classOf = ClassesOfEqualRows(m_stockLength, hash, equal, classCount);
    const ClassRows grouped = GroupRows(classOf, classCount);

    // The first row of each class takes every later row in order: unlimited
    // once either side is, else the sum held to 32 bits. Later rows of a
    // class then hold 0, so comparing them with each other changes nothing.
    for (std::size_t c = 0; c < classCount; ++c) {
        const std::size_t* rows = grouped.m_rows.data() + grouped.m_offset[c];
        const std::size_t count = grouped.m_offset[c + 1] - grouped.m_offset[c];
        int32_t& first = m_stockQuantity[rows[0]];
        for (std::size_t k = 1; k < count; ++k) {
            int32_t& later = m_stockQuantity[rows[k]];
            if (first < 0 || later < 0) {
                first = -1;
            } else {
                const int64_t sum = int64_t(first) + later;
                first = int32_t(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
            }
            later = 0;
        }
    }

    std::vector<bool> keep(n);
    for (std::size_t i = 0; i < n; ++i)
        keep[i] = m_stockQuantity[i] != 0;
    KeepRows(keep, m_stockLength, m_stockQuantity, m_stockSpec, m_stockPriority);
    return StockRowCount() != n;
}

// ---------------------------------------------------------------------------
// Either list, by kind

std::size_t InputLists::RowCount(ListKind kind) const
{
    return kind == LIST_CUT ? CutRowCount() : StockRowCount();
}

ListRow InputLists::Row(ListKind kind, std::size_t i) const
{
    ListRow row;
    if (kind == LIST_CUT) {
        row.spec = m_cutSpec[i];
        row.length = m_cutLength[i];
        row.quantity = m_cutQuantity[i];
        row.mark = m_cutMark[i];
    } else {
        row.spec = m_stockSpec[i];
        row.length = m_stockLength[i];
        row.quantity = m_stockQuantity[i];
        row.priority = m_stockPriority[i];
    }
    return row;
}

void InputLists::SetRow(ListKind kind, std::size_t i, const ListRow& row)
{
    if (kind == LIST_CUT) {
        m_cutSpec[i] = row.spec;
        m_cutLength[i] = row.length;
        m_cutQuantity[i] = row.quantity;
        m_cutMark[i] = row.mark;
    } else {
        m_stockSpec[i] = row.spec;
        m_stockLength[i] = row.length;
        m_stockQuantity[i] = row.quantity;
        m_stockPriority[i] = row.priority;
    }
}

void InputLists::AppendRow(ListKind kind, const ListRow& row)
{
    if (kind == LIST_CUT)
        AppendCutRow(row.spec, row.length, row.quantity, row.mark);
    else
        AppendStockRow(row.spec, row.length, row.quantity, row.priority);
}

namespace {

template <typename A, typename B, typename C, typename D>
void EraseRows(std::size_t first, std::size_t count, A& a, B& b, C& c, D& d)
{
    a.erase(a.begin() + first, a.begin() + first + count);
    b.erase(b.begin() + first, b.begin() + first + count);
    c.erase(c.begin() + first, c.begin() + first + count);
    d.erase(d.begin() + first, d.begin() + first + count);
}

template <typename T>
std::vector<std::size_t> StableOrder(const std::vector<T>& column, bool ascending)
{
    std::vector<std::size_t> order(column.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ascending ? column[a] < column[b] : column[b] < column[a];
    });
    return order;
}

}  // namespace

void InputLists::RemoveRows(ListKind kind, std::size_t first, std::size_t count)
{
    if (kind == LIST_CUT)
        EraseRows(first, count, m_cutLength, m_cutQuantity, m_cutSpec, m_cutMark);
    else
        EraseRows(first, count, m_stockLength, m_stockQuantity, m_stockSpec, m_stockPriority);
}

void InputLists::ReorderRows(ListKind kind, const std::vector<std::size_t>& order)
{
    if (kind == LIST_CUT)
        ReorderCutRows(order);
    else
        ReorderStockRows(order);
}

void InputLists::ClearList(ListKind kind)
{
    if (kind == LIST_CUT)
        ClearCutList();
    else
        ClearStockList();
}

bool InputLists::MergeList(ListKind kind)
{
    return kind == LIST_CUT ? MergeCutList() : MergeStockList();
}

std::vector<std::size_t> InputLists::SortOrder(ListKind kind, int column, bool ascending) const
{
    const bool cut = kind == LIST_CUT;
    switch (column) {
    case 1:
        return StableOrder(cut ? m_cutSpec : m_stockSpec, ascending);
    case 2:
        return StableOrder(cut ? m_cutLength : m_stockLength, ascending);
    case 3:
        return StableOrder(cut ? m_cutQuantity : m_stockQuantity, ascending);
    case 4:
        return cut ? StableOrder(m_cutMark, ascending) : StableOrder(m_stockPriority, ascending);
    default:
        return StableOrder(std::vector<int>(RowCount(kind), 0), ascending);
    }
}
