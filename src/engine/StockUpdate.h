#pragma once

#include "engine/Job.h"
#include "lists/InputLists.h"

// The options of "剩料输出" that decide which remnants join the stock list.
struct StockUpdateOptions {
    bool addRemnants = true;        // "余料长加入原料库"
    bool remnantsPreferred = true;  // "余料长优先使用"
    double minimumLength = 100;     // "可用余料的最小长度："
};

// "根据优化结果更新原料库": replaces the stock list by the job's leftover list.
// Every stock entry (priority 0 or above) is kept as it stands: reduced by the
// bars the plan used, unlimited entries still unlimited, used-up rows already
// gone. Remnant entries (priority below 0) are added only with addRemnants
// and a length not below minimumLength, with priority 1 when
// remnantsPreferred, else 0. Remnants of a stock row's length and
// specification are part of that row already and follow it whatever the
// options say. A remnant count beyond the 32-bit range of the stock list is
// held at 2147483647. The cut list is not touched.
void UpdateStockFromLeftovers(const WireOptimize_Whole& job, const StockUpdateOptions& options, InputLists& lists);
