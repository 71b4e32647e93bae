#include <cctype>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "base/ReportConventions.h"
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

TEST_F(ReportConventionsTest, ReportFileNamesAreTheProgramsOwn)
{
    // What MakeReportName gives, with the extensions of the text reports and
    // documents, and the "-N" of a second report within the same second.
    EXPECT_TRUE(IsReportFileName("QRM20240131154502.txt"));
    EXPECT_TRUE(IsReportFileName("QRM20240131154502.doc"));
    EXPECT_TRUE(IsReportFileName("QRM20240131154502.pdf"));
    EXPECT_TRUE(IsReportFileName("QRM20240131154502-2.doc"));
    EXPECT_TRUE(IsReportFileName(MakeReportName("QRM") + ".txt"));

    // Workbooks are the user's to keep, wherever they lie.
    EXPECT_FALSE(IsReportFileName("QRM20240131154502.xlsx"));
    EXPECT_FALSE(IsReportFileName("QRM20240131154502.xls"));
    // Anything else the user may have put there.
    EXPECT_FALSE(IsReportFileName("报告.doc"));
    EXPECT_FALSE(IsReportFileName("notes.txt"));
    EXPECT_FALSE(IsReportFileName(".hidden"));
    EXPECT_FALSE(IsReportFileName("QRM.txt"));
    EXPECT_FALSE(IsReportFileName("QRM2024013115450.txt"));     // thirteen digits
    EXPECT_FALSE(IsReportFileName("QRM202401311545021.txt"));   // fifteen digits
    EXPECT_FALSE(IsReportFileName("QRM2024013115450x.txt"));
    EXPECT_FALSE(IsReportFileName("QRM20240131154502-.txt"));
    EXPECT_FALSE(IsReportFileName("QRM20240131154502.txt.bak"));
    EXPECT_FALSE(IsReportFileName("QRM20240131154502.TXT"));
    EXPECT_FALSE(IsReportFileName("qrm20240131154502.txt"));
    EXPECT_FALSE(IsReportFileName("xQRM20240131154502.txt"));
}

TEST_F(ReportConventionsTest, ClearingRemovesEarlierReportsAndLeavesEverythingElse)
{
    const std::string folder = m_folder.File("reports");
    ASSERT_TRUE(fs::create_directory(fs::u8path(folder)));
    const std::string a = m_folder.WriteFile("reports/QRM20240131154502.txt", "plan");
    const std::string b = m_folder.WriteFile("reports/QRM20240131154503.doc", "{\\rtf1}");
    const std::string c = m_folder.WriteFile("reports/QRM20240131154503-2.doc", "{\\rtf1}");
    const std::string userDoc = m_folder.WriteFile("reports/报告.doc", "{\\rtf1}");
    const std::string hidden = m_folder.WriteFile("reports/.hidden", "");
    const std::string workbook = m_folder.WriteFile("reports/QRM20240131154504.xlsx", "PK");
    ASSERT_TRUE(fs::create_directory(fs::u8path(m_folder.File("reports/keep"))));
    const std::string inner = m_folder.WriteFile("reports/keep/QRM20240131154505.txt", "stays");
    // A folder that happens to carry a report's name is no report.
    ASSERT_TRUE(fs::create_directory(fs::u8path(m_folder.File("reports/QRM20240131154506.txt"))));

    ClearReportFolder(folder);

    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_FALSE(Exists(c));
    EXPECT_EQ(TempFolder::ReadFile(userDoc), "{\\rtf1}");
    EXPECT_TRUE(Exists(hidden));
    EXPECT_EQ(TempFolder::ReadFile(workbook), "PK");
    EXPECT_TRUE(fs::is_directory(fs::u8path(m_folder.File("reports/keep"))));
    EXPECT_EQ(TempFolder::ReadFile(inner), "stays");
    EXPECT_TRUE(fs::is_directory(fs::u8path(m_folder.File("reports/QRM20240131154506.txt"))));
}

#ifndef _WIN32
TEST_F(ReportConventionsTest, ClearingRemovesALinkButNotWhatItPointsTo)
{
    const std::string outside = m_folder.WriteFile("outside.txt", "not a report");
    ASSERT_TRUE(fs::create_directory(fs::u8path(m_folder.File("reports"))));
    ASSERT_TRUE(fs::create_directory(fs::u8path(m_folder.File("elsewhere"))));
    const std::string inElsewhere = m_folder.WriteFile("elsewhere/file.txt", "kept");
    fs::create_symlink(fs::u8path(outside), fs::u8path(m_folder.File("reports/QRM20240131154502.txt")));
    fs::create_directory_symlink(fs::u8path(m_folder.File("elsewhere")),
                                 fs::u8path(m_folder.File("reports/QRM20240131154503.doc")));
    // A dangling link of a report's name.
    fs::create_symlink(fs::u8path(m_folder.File("gone.txt")), fs::u8path(m_folder.File("reports/QRM20240131154504.txt")));

    ClearReportFolder(m_folder.File("reports"));

    // Links go as links, whatever they point to; what they point to stays.
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(fs::u8path(m_folder.File("reports/QRM20240131154502.txt")))));
    EXPECT_EQ(TempFolder::ReadFile(outside), "not a report");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(fs::u8path(m_folder.File("reports/QRM20240131154503.doc")))));
    EXPECT_TRUE(fs::is_directory(fs::u8path(m_folder.File("elsewhere"))));
    EXPECT_EQ(TempFolder::ReadFile(inElsewhere), "kept");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(fs::u8path(m_folder.File("reports/QRM20240131154504.txt")))));
}

TEST_F(ReportConventionsTest, ALinkedReportFolderIsNotCleared)
{
    // The report folder is a link to a folder of the user's: nothing in the
    // target goes, not even files named like reports.
    ASSERT_TRUE(fs::create_directory(fs::u8path(m_folder.File("target"))));
    const std::string report = m_folder.WriteFile("target/QRM20240131154502.txt", "old report");
    const std::string other = m_folder.WriteFile("target/plans.txt", "the user's");
    fs::create_directory_symlink(fs::u8path(m_folder.File("target")), fs::u8path(m_folder.File("reports")));

    ClearReportFolder(m_folder.File("reports"));

    EXPECT_EQ(TempFolder::ReadFile(report), "old report");
    EXPECT_EQ(TempFolder::ReadFile(other), "the user's");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(fs::u8path(m_folder.File("reports")))));

    // The same through the shared first steps of a report: the new report's
    // path lies in the linked folder, and the earlier one stays.
    g_documentsFolder = m_folder.File("docs");
    ASSERT_TRUE(fs::create_directory(fs::u8path(g_documentsFolder)));
    fs::create_directory_symlink(fs::u8path(m_folder.File("target")), fs::u8path(ReportFolder()));
    const std::string path = PrepareReportPath(".doc");
    EXPECT_EQ(fs::u8path(path).parent_path(), fs::u8path(ReportFolder()));
    EXPECT_EQ(TempFolder::ReadFile(report), "old report");
}

TEST_F(ReportConventionsTest, ClearingLeavesFifosAndOtherSpecialFiles)
{
    const std::string folder = m_folder.File("reports");
    ASSERT_TRUE(fs::create_directory(fs::u8path(folder)));
    // A FIFO with a report's name: deleting it would be wrong, opening it
    // would hang; it is neither.
    const std::string fifo = m_folder.File("reports/QRM20240131154502.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string plain = m_folder.WriteFile("reports/QRM20240131154503.txt", "plan");

    ClearReportFolder(folder);

    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fs::u8path(fifo))));
    EXPECT_FALSE(Exists(plain));
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
