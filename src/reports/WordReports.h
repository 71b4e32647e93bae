#pragma once

#include <string>

#include "engine/Job.h"

// The plan and the leftover list as rich-text documents (saved as ".doc" so
// that the word processor opens them). Specifications and marks go into the
// cells through RtfCellText.

// Writes the plan document to path: the pattern table (with the 标记 column
// when withMarks is set), one block of rows per mark record, then the table of
// the stock bars used with its totals row. Finishes the file (showing the
// write-error message on failure) and, when open is set, opens it with the
// shell whatever the result. Returns whether the file was written.
bool WritePlanDocument(const WireOptimize_Whole& job, bool withMarks, const std::string& path, bool open);

// Writes the leftover document to path: every leftover entry at least
// minimumLength long, with a totals row when the listed finite quantities add
// up to more than 0. Finishing and opening as WritePlanDocument.
bool WriteLeftoverDocument(const WireOptimize_Whole& job, double minimumLength, const std::string& path, bool open);

// The output commands: a fresh ".doc" path in the cleared report folder, the
// document written there and opened with the shell.
void ProducePlanDocument(const WireOptimize_Whole& job, bool withMarks);
void ProduceLeftoverDocument(const WireOptimize_Whole& job, double minimumLength);
