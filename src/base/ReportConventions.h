#pragma once

#include <string>

// Where reports go, how they are named, and how a finished report is shown.

// The first letters of every report's name.
inline constexpr const char* REPORT_PREFIX = "QRM";

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

// g_documentsFolder followed by the folder "Trevak_Temp": text reports and
// rich-text documents, cleared before each new one.
std::string ReportFolder();

// g_documentsFolder followed by the folder "Trevak_Excel": workbooks (reports,
// examples), which the user may edit and keep in place. Never cleared.
std::string WorkbookFolder();

// prefix + the local time as "%Y%m%d%H%M%S", e.g. QRM20240131154502.
std::string MakeReportName(const std::string& prefix);

// Whether a file name is one the program gives its text reports and
// documents: "QRM", fourteen digits, an optional "-N", and ".txt", ".doc" or
// ".pdf" (letter case as written).
bool IsReportFileName(const std::string& name);

// Deletes the program's own earlier reports directly inside the folder: the
// entries whose name IsReportFileName accepts and that are regular files, or
// links, which are removed as links (their targets stay). Everything else
// stays: other files, FIFOs and device nodes, sub-folders. A folder that is
// itself a link is not cleared at all (nothing is deleted through it). A file
// that cannot be deleted is skipped silently.
void ClearReportFolder(const std::string& folder);

// The shared first steps of a text report or document: creates the report
// folder, names a new report with the extension (".txt" or ".doc"), clears the
// folder, and returns the new report's path.
std::string PrepareReportPath(const std::string& extension);
