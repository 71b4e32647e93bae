#pragma once

#include <string>

#include "engine/Job.h"
#include "reports/CuttingSheet.h"

// The cutting sheet for the command line: starts a GUI application on the
// offscreen platform when none runs (the command line has no window system)
// and writes the PDF.
bool WriteCuttingSheetOffscreen(const WireOptimize_Whole& job, const SheetSettings& settings, const std::string& path,
                                std::u16string& error);
