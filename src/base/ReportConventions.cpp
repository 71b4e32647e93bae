#include "base/ReportConventions.h"

#include <cctype>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

ReportOpener* g_reportOpener = nullptr;
std::string g_documentsFolder;

namespace {

const char* const REPORT_FOLDER_NAME = "Trevak_Temp";
const char* const WORKBOOK_FOLDER_NAME = "Trevak_Excel";

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

std::string WorkbookFolder()
{
    return (fs::u8path(g_documentsFolder) / WORKBOOK_FOLDER_NAME).u8string();
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

bool IsReportFileName(const std::string& name)
{
    const std::size_t prefix = 3, digits = 14;
    if (name.compare(0, prefix, REPORT_PREFIX) != 0 || name.size() < prefix + digits)
        return false;
    auto isDigit = [&](std::size_t i) { return std::isdigit(static_cast<unsigned char>(name[i])) != 0; };
    std::size_t i = prefix;
    for (; i < prefix + digits; ++i) {
        if (!isDigit(i))
            return false;
    }
    // "-N": the number a second report of the same second gets.
    if (i < name.size() && name[i] == '-') {
        const std::size_t first = ++i;
        while (i < name.size() && isDigit(i))
            ++i;
        if (i == first)
            return false;
    }
    const std::string extension = name.substr(i);
    return extension == ".txt" || extension == ".doc" || extension == ".pdf";
}

#ifdef _WIN32

void ClearReportFolder(const std::string& folder)
{
    const fs::path path = fs::u8path(folder);
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error)))
        return;
    // The names are collected first so that nothing is removed while the
    // folder is being listed.
    std::vector<fs::path> files;
    fs::directory_iterator entry(path, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        std::error_code statusError;
        const fs::file_status status = entry->symlink_status(statusError);
        if (statusError || !IsReportFileName(entry->path().filename().u8string()))
            continue;
        if (fs::is_regular_file(status) || fs::is_symlink(status))
            files.push_back(entry->path());
    }
    for (const fs::path& file : files) {
        std::error_code removeError;
        fs::remove(file, removeError);  // a file held open elsewhere is skipped
    }
}

#else

void ClearReportFolder(const std::string& folder)
{
    // Everything happens relative to the folder opened once without following
    // a link: a link put in place of the folder, before or while it is being
    // cleared, never leads the deletions elsewhere.
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0)
        return;  // missing, not a folder, or a link
    const int listFd = dup(folderFd);
    DIR* listing = listFd >= 0 ? fdopendir(listFd) : nullptr;
    if (!listing) {
        if (listFd >= 0)
            close(listFd);
        close(folderFd);
        return;
    }
    // The names are collected first so that nothing is removed while the
    // folder is being listed.
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing)) {
        if (IsReportFileName(entry->d_name))
            names.emplace_back(entry->d_name);
    }
    closedir(listing);
    for (const std::string& name : names) {
        struct stat status {};
        if (fstatat(folderFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        // A link goes as a link (unlinkat never follows it); FIFOs, sockets,
        // device nodes and folders stay.
        if (S_ISREG(status.st_mode) || S_ISLNK(status.st_mode))
            unlinkat(folderFd, name.c_str(), 0);  // a file that cannot go is skipped
    }
    close(folderFd);
}

#endif

std::string PrepareReportPath(const std::string& extension)
{
    const std::string folder = ReportFolder();
    std::error_code error;
    fs::create_directories(fs::u8path(folder), error);  // an existing folder is fine; other failures show later
    const std::string name = MakeReportName(REPORT_PREFIX) + extension;
    ClearReportFolder(folder);
    return (fs::u8path(folder) / fs::u8path(name)).u8string();
}
