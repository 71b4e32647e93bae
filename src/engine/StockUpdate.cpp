#include "engine/StockUpdate.h"

#include <limits>

namespace {

// A leftover quantity in the stock list's encoding: -1 (unlimited) stays, a
// count beyond 32 bits is held at the largest count.
int32_t StockQuantity(int64_t quantity)
{
    if (quantity > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (quantity < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(quantity);
}

}  // namespace

void UpdateStockFromLeftovers(const WireOptimize_Whole& job, const StockUpdateOptions& options, InputLists& lists)
{
    lists.ClearStockList();
    for (std::size_t i = 0; i < job.m_leftoverLength.size(); ++i) {
        const double length = job.m_leftoverLength[i];
        const int32_t quantity = StockQuantity(job.m_leftoverQuantity[i]);
        const int32_t priority = job.m_leftoverPriority[i];
        if (priority >= 0) {
            lists.AppendStockRow(job.m_leftoverSpec[i], length, quantity, priority);
            continue;
        }
        if (!options.addRemnants || length < options.minimumLength)
            continue;
        lists.AppendStockRow(job.m_leftoverSpec[i], length, quantity, options.remnantsPreferred ? 1 : 0);
    }
}
