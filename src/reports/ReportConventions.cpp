#include "reports/ReportConventions.h"

#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

ReportOpener* g_reportOpener = nullptr;
std::string g_documentsFolder;

namespace {

const char* const REPORT_FOLDER_NAME = "Trevak_Temp";
const char* const REPORT_PREFIX = "QRM";

bool LocalTime(std::time_t time, std::tm& local)
{
#ifdef _WIN32
    return localtime_s(&local, &time) == 0;
#else
    return localtime_r(&time, &local) != nullptr;
#endif
}

}  // namespace

void OpenInTextEditor(const std::string& path)
{
    if (g_reportOpener)
        g_reportOpener->OpenInTextEditor(path);
}

void OpenWithShell(const std::string& path)
{
    if (g_reportOpener)
        g_reportOpener->OpenWithShell(path);
}

std::string ReportFolder()
{
    return (fs::u8path(g_documentsFolder) / REPORT_FOLDER_NAME).u8string();
}

std::string MakeReportName(const std::string& prefix)
{
    std::tm local{};
    if (!LocalTime(std::time(nullptr), local))
        return prefix;
    // Fourteen digits and the terminator.
    char stamp[16];
    if (std::strftime(stamp, sizeof(stamp), "%Y%m%d%H%M%S", &local) == 0)
        return prefix;
    return prefix + stamp;
}

void ClearReportFolder(const std::string& folder)
{
    // The names are collected first so that nothing is removed while the
    // folder is being listed.
    std::vector<fs::path> files;
    std::error_code error;
    fs::directory_iterator entry(fs::u8path(folder), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        // A folder, or a link to one, stays; a link to a file is removed as a
        // link, its target stays.
        std::error_code statusError;
        if (!entry->is_directory(statusError))
            files.push_back(entry->path());
    }
    for (const fs::path& file : files) {
        std::error_code removeError;
        fs::remove(file, removeError);  // a file held open elsewhere is skipped
    }
}

std::string PrepareReportPath(const std::string& extension)
{
    const std::string folder = ReportFolder();
    std::error_code error;
    fs::create_directories(fs::u8path(folder), error);  // an existing folder is fine; other failures show later
    const std::string name = MakeReportName(REPORT_PREFIX) + extension;
    ClearReportFolder(folder);
    return (fs::u8path(folder) / fs::u8path(name)).u8string();
}
