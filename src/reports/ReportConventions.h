#pragma once

#include <string>

#include "engine/Job.h"

// Where reports go, how they are named, and how a finished report is shown.

// Shows finished report files. The window installs one that opens them with
// the desktop's default application; the command line and the tests install
// none (nothing is opened) or a recorder.
class ReportOpener {
public:
    virtual ~ReportOpener() = default;
    // A text report or example file, shown in a plain text editor.
    virtual void OpenInTextEditor(const std::string& path) = 0;
    // A rich-text document, shown by the program registered for it.
    virtual void OpenWithShell(const std::string& path) = 0;
};

extern ReportOpener* g_reportOpener;

// The user's documents folder (UTF-8), fixed once at start-up.
extern std::string g_documentsFolder;

void OpenInTextEditor(const std::string& path);
void OpenWithShell(const std::string& path);

// g_documentsFolder followed by the folder "Trevak_Temp".
std::string ReportFolder();

// prefix + the local time as "%Y%m%d%H%M%S", e.g. QRM20240131154502.
std::string MakeReportName(const std::string& prefix);

// Deletes every plain file directly inside the folder; sub-folders are left
// alone; a file that cannot be deleted is skipped silently.
void ClearReportFolder(const std::string& folder);

// The shared first steps of a text report or document: creates the report
// folder, names a new report with the extension (".txt" or ".doc"), clears the
// folder, and returns the new report's path.
std::string PrepareReportPath(const std::string& extension);
