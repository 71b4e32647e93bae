#include "workbench/InputLists.h"

#include <limits>

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

bool InputLists::MergeCutList()
{
    const std::size_t n = CutRowCount();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (m_cutLength[i] == m_cutLength[j] && m_cutSpec[i] == m_cutSpec[j] && m_cutMark[i] == m_cutMark[j]) {
                const int64_t sum = int64_t(m_cutQuantity[i]) + m_cutQuantity[j];
                if (sum > std::numeric_limits<int32_t>::max() || sum < std::numeric_limits<int32_t>::min())
                    continue;
                m_cutQuantity[i] = int32_t(sum);
                m_cutQuantity[j] = 0;
            }
        }
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
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (m_stockLength[i] == m_stockLength[j] && m_stockSpec[i] == m_stockSpec[j]) {
                if (m_stockQuantity[i] < 0 || m_stockQuantity[j] < 0) {
                    m_stockQuantity[i] = -1;
                } else {
                    const int64_t sum = int64_t(m_stockQuantity[i]) + m_stockQuantity[j];
                    m_stockQuantity[i] = int32_t(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
                }
                m_stockQuantity[j] = 0;
            }
        }
    }
    std::vector<bool> keep(n);
    for (std::size_t i = 0; i < n; ++i)
        keep[i] = m_stockQuantity[i] != 0;
    KeepRows(keep, m_stockLength, m_stockQuantity, m_stockSpec, m_stockPriority);
    return StockRowCount() != n;
}
