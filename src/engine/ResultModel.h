#pragma once

#include "engine/Job.h"

// Utilisation and remnant of one bar of a pattern on a bar of length barLength
// with kerf k (a kerf after every piece, the remnant never below 0).
void ComputePatternFigures(const WireCombine& pattern, double barLength, double kerf, double& utilisation,
                           double& remnant);

// Every pattern's utilisation and remnant, the group's totals and used arrays.
void TotalGroup(WireOptimize& group);

// The job's totals from its groups.
void TotalJob(WireOptimize_Whole& job);

// Stock left after the plan plus the remnants as new stock.
void BuildLeftoverList(WireOptimize_Whole& job);

// Builds the mark records of every pattern from the job's mark list (the
// marked cut rows loaded with the job).
void AssignMarks(WireOptimize_Whole& job);

// Working copy of one mark entry of a group.
struct MarkEntry {
    MyString mark;
    double length = 0;
    int64_t quantity = 0;
};

// Builds a pattern's mark records from the group's working mark entries;
// entries used up are removed from `entries`.
void MarkPattern(WireCombine& pattern, std::vector<MarkEntry>& entries);

// The mark records a report lists for a pattern: its own, or, when they were
// never built, one record of all its bars with its pieces and no marks.
std::vector<WireCombine_Mark> ReportedMarkRecords(const WireCombine& pattern);
