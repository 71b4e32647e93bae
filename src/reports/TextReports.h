#pragma once

#include <string>

#include "engine/Job.h"
#include "reports/ReportRows.h"

// The plan and the leftovers of a finished run as plain-text reports in code
// page 936 with CR LF line ends. They only read the result model.
//
// Every number printed "truncated" is cut toward zero to a whole number; a
// value beyond the 64-bit integer range prints as the nearest limit and NaN
// prints as 0, so no value makes the conversion undefined.

// Writes the plan report to path (UTF-8): the totals, one row per pattern over
// all groups, then the summary of the stock lengths used. Returns whether the
// file was written completely.
bool WritePlanTextReport(const WireOptimize_Whole& job, const std::string& path);

// Writes the leftover list to path: one line per entry whose length is not
// below minimumLength, "数量不限" for an unlimited quantity. Returns whether the
// file was written completely.
bool WriteLeftoverTextReport(const WireOptimize_Whole& job, double minimumLength, const std::string& path);

// The output commands: a fresh report in the report folder (earlier reports
// removed), written and then opened in the text editor, also when it could
// not be written. Nothing is reported to the user.
void ProducePlanTextReport(const WireOptimize_Whole& job);
void ProduceLeftoverTextReport(const WireOptimize_Whole& job, double minimumLength);
