#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/Job.h"
#include "reports/CuttingSheet.h"

// trevak-cli plan [--cut FILE] [--stock FILE] [--example] [--trim X] [--kerf X]
//                 [--kinds N] [--level N] [--json]
// Plans the job and prints it. Exit status: 0 a plan was made, 1 an input
// problem of the job or a failed check, 2 bad arguments or an unreadable file.
int RunPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Writes the cutting sheet of a planned job as a PDF file; false with error
// set when it could not.
using CuttingSheetWriter = bool (*)(const WireOptimize_Whole& job, const SheetSettings& settings,
                                    const std::string& path, std::u16string& error);

// The writer of "--report pdf", installed by a command line built with the
// drawing library; without one that report is refused.
void SetCuttingSheetWriter(CuttingSheetWriter writer);
