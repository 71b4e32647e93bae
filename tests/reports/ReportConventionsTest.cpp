#include <cctype>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "reports/ReportConventions.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

class RecordingOpener : public ReportOpener {
public:
    void OpenInTextEditor(const std::string& path) override { m_calls.emplace_back("text", path); }
    void OpenWithShell(const std::string& path) override { m_calls.emplace_back("shell", path); }
    std::vector<std::pair<std::string, std::string>> m_calls;
};

// Keeps the process-wide report settings of a test from leaking into the next.
class ReportConventionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsValid());
        m_previousOpener = g_reportOpener;
        m_previousDocuments = g_documentsFolder;
    }
    void TearDown() override
    {
        g_reportOpener = m_previousOpener;
        g_documentsFolder = m_previousDocuments;
    }

    static bool Exists(const std::string& path) { return fs::exists(fs::u8path(path)); }

    TempFolder m_folder;
    ReportOpener* m_previousOpener = nullptr;
    std::string m_previousDocuments;
};

// The local time a report name stands for, or -1 when the name is not
// "QRM" followed by fourteen digits.
std::time_t TimeOfReportName(const std::string& name)
{
    if (name.size() != 17 || name.compare(0, 3, "QRM") != 0)
        return -1;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return -1;
    }
    auto number = [&](std::size_t pos, std::size_t digits) { return std::stoi(name.substr(pos, digits)); };
    std::tm local{};
    local.tm_year = number(3, 4) - 1900;
    local.tm_mon = number(7, 2) - 1;
    local.tm_mday = number(9, 2);
    local.tm_hour = number(11, 2);
    local.tm_min = number(13, 2);
    local.tm_sec = number(15, 2);
    local.tm_isdst = -1;
    return std::mktime(&local);
}

// ---------------------------------------------------------------------------
// Names and folders

TEST_F(ReportConventionsTest, ReportNameIsThePrefixAndTheLocalTimeToTheSecond)
{
    const std::time_t before = std::time(nullptr);
    const std::string name = MakeReportName("QRM");
    const std::time_t after = std::time(nullptr);

    // Four-digit year, then month, day, hour, minute and second of two digits
    // each, read back as a local time, lie within the call.
    const std::time_t stamped = TimeOfReportName(name);
    ASSERT_NE(stamped, std::time_t(-1)) << name;
    EXPECT_LE(before, stamped) << name;
    EXPECT_LE(stamped, after) << name;
}

TEST_F(ReportConventionsTest, ReportNameKeepsAnyPrefix)
{
    const std::string name = MakeReportName("Plan-");
    ASSERT_EQ(name.size(), 5u + 14u);
    EXPECT_EQ(name.substr(0, 5), "Plan-");
    EXPECT_EQ(name.find_first_not_of("0123456789", 5), std::string::npos);
}

#ifndef _WIN32
TEST_F(ReportConventionsTest, ReportFolderIsTrevakTempInTheDocumentsFolder)
{
    g_documentsFolder = "/home/张三/文档";
    EXPECT_EQ(ReportFolder(), "/home/张三/文档/Trevak_Temp");
    // A separator at the end of the documents folder is not doubled.
    g_documentsFolder = "/home/user/";
    EXPECT_EQ(ReportFolder(), "/home/user/Trevak_Temp");
}
#endif

// ---------------------------------------------------------------------------
// Clearing the report folder

TEST_F(ReportConventionsTest, ClearingRemovesTheFilesAndLeavesSubFolders)
{
    const std::string folder = m_folder.File("reports");
    ASSERT_TRUE(fs::create_directory(fs::u8path(folder)));
    const std::string a = m_folder.WriteFile("reports/QRM20240131154502.txt", "plan");
    const std::string b = m_folder.WriteFile("reports/报告.doc", "{\\rtf1}");
    const std::string c = m_folder.WriteFile("reports/.hidden", "");
    ASSERT_TRUE(fs::create_directory(fs::u8path(m_folder.File("reports/keep"))));
    const std::string inner = m_folder.WriteFile("reports/keep/inner.txt", "stays");

    ClearReportFolder(folder);

    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_FALSE(Exists(c));
    EXPECT_TRUE(fs::is_directory(fs::u8path(m_folder.File("reports/keep"))));
    EXPECT_EQ(TempFolder::ReadFile(inner), "stays");
}

#ifndef _WIN32
TEST_F(ReportConventionsTest, ClearingRemovesALinkButNotWhatItPointsTo)
{
    const std::string outside = m_folder.WriteFile("outside.txt", "not a report");
    ASSERT_TRUE(fs::create_directory(fs::u8path(m_folder.File("reports"))));
    ASSERT_TRUE(fs::create_directory(fs::u8path(m_folder.File("elsewhere"))));
    const std::string inElsewhere = m_folder.WriteFile("elsewhere/file.txt", "kept");
    fs::create_symlink(fs::u8path(outside), fs::u8path(m_folder.File("reports/link.txt")));
    fs::create_directory_symlink(fs::u8path(m_folder.File("elsewhere")), fs::u8path(m_folder.File("reports/dir")));

    ClearReportFolder(m_folder.File("reports"));

    // The link to a file is a file of the folder; the link to a folder is a folder.
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(fs::u8path(m_folder.File("reports/link.txt")))));
    EXPECT_EQ(TempFolder::ReadFile(outside), "not a report");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(fs::u8path(m_folder.File("reports/dir")))));
    EXPECT_EQ(TempFolder::ReadFile(inElsewhere), "kept");
}
#endif

TEST_F(ReportConventionsTest, ClearingAMissingFolderDoesNothing)
{
    const std::string missing = m_folder.File("missing");
    ClearReportFolder(missing);
    EXPECT_FALSE(Exists(missing));
}

// ---------------------------------------------------------------------------
// The shared first steps of a report

TEST_F(ReportConventionsTest, PreparingCreatesTheFolderAndNamesAFreshReport)
{
    // Neither the documents folder nor the report folder exists yet.
    g_documentsFolder = m_folder.File("文档");
    const std::time_t before = std::time(nullptr);
    const std::string path = PrepareReportPath(".txt");
    const std::time_t after = std::time(nullptr);

    EXPECT_TRUE(fs::is_directory(fs::u8path(ReportFolder())));
    const fs::path report = fs::u8path(path);
    EXPECT_EQ(report.parent_path(), fs::u8path(ReportFolder()));
    EXPECT_EQ(report.extension().u8string(), ".txt");
    const std::time_t stamped = TimeOfReportName(report.stem().u8string());
    EXPECT_LE(before, stamped) << path;
    EXPECT_LE(stamped, after) << path;
    // The report itself is written by the caller.
    EXPECT_FALSE(Exists(path));
}

TEST_F(ReportConventionsTest, PreparingRemovesEarlierReportsButNotSubFolders)
{
    g_documentsFolder = m_folder.File("docs");
    ASSERT_TRUE(fs::create_directories(fs::u8path(m_folder.File("docs/Trevak_Temp/keep"))));
    const std::string earlier = m_folder.WriteFile("docs/Trevak_Temp/QRM20200101000000.doc", "old");
    const std::string inner = m_folder.WriteFile("docs/Trevak_Temp/keep/notes.txt", "stays");

    const std::string path = PrepareReportPath(".doc");

    EXPECT_EQ(fs::u8path(path).extension().u8string(), ".doc");
    EXPECT_FALSE(Exists(earlier));
    EXPECT_EQ(TempFolder::ReadFile(inner), "stays");
}

// ---------------------------------------------------------------------------
// Opening finished reports

TEST_F(ReportConventionsTest, OpeningGoesToTheInstalledOpenerWithThePath)
{
    RecordingOpener opener;
    g_reportOpener = &opener;
    OpenInTextEditor("/tmp/报告 1.txt");
    OpenWithShell("/tmp/QRM1.doc");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"text", "/tmp/报告 1.txt"},
        {"shell", "/tmp/QRM1.doc"},
    };
    EXPECT_EQ(opener.m_calls, expected);
}

TEST_F(ReportConventionsTest, OnceTheOpenerIsRemovedNothingIsOpened)
{
    RecordingOpener opener;
    g_reportOpener = &opener;
    OpenInTextEditor("/tmp/first.txt");
    g_reportOpener = nullptr;
    OpenInTextEditor("/tmp/second.txt");
    OpenWithShell("/tmp/second.doc");
    ASSERT_EQ(opener.m_calls.size(), 1u);
    EXPECT_EQ(opener.m_calls[0].second, "/tmp/first.txt");
}

}  // namespace
