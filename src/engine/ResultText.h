#pragma once

#include <string>

#include "engine/Job.h"
#include "reports/FormatLength.h"

// Texts of the plan as the result table shows them.

// "2995x2+985x1": each distinct length with its count per bar, lengths by
// FormatLength; a missing count reads as 0.
std::u16string PatternText(const WireCombine& pattern);

// "%.1f%%" of a fraction x 100.
std::u16string PercentText(double fraction);

// A length by FormatLength, and a count in plain decimal.
std::u16string LengthString(double length);
std::u16string CountString(int64_t count);

// The message the window shows for a run's input problem, %s filled with the
// error's specification; empty for code 0 or an unknown code.
std::u16string JobErrorMessage(const JobError& error);

// The bound line under the result table: "理论最少用料 591000（100 根），本方案
// 多用 6.1%", or "…，本方案已证明最优" when the plan reaches the bound; the
// bars only where every group has one stock length. Empty without a bound.
std::u16string BoundLineText(const WireOptimize_Whole& job);
// The same line for any plan: its bound (0 when unknown), the bound's bars
// (-1 when not known in bars), whether the plan reaches it, and the stock
// length the plan uses.
std::u16string BoundLineText(double lowerBound, int64_t lowerBoundBars, bool optimal, double totalLength);
