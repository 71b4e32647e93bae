// Workbooks and text reports live in two folders: clearing the report folder
// before a text report or document never reaches a workbook the user keeps.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "base/ReportConventions.h"
#include "exchange/ExampleFiles.h"
#include "exchange/ExampleLists.h"
#include "reports/SpreadsheetReports.h"
#include "reports/TextReports.h"
#include "reports/WordReports.h"
#include "support/PlanJob.h"
#include "support/ReportFixture.h"

namespace fs = std::filesystem;

namespace {

class WorkbookFolderTest : public RecordingReportTest {
protected:
    void SetUp() override
    {
        RecordingReportTest::SetUp();
        m_previousDocuments = g_documentsFolder;
        m_previousWorkbookOpener = g_workbookOpener;
        g_documentsFolder = m_folder.File("文档");
        g_workbookOpener = &m_workbookOpener;
    }
    void TearDown() override
    {
        g_documentsFolder = m_previousDocuments;
        g_workbookOpener = m_previousWorkbookOpener;
        RecordingReportTest::TearDown();
    }

    // Opens a saved workbook, writes a text into one cell of its first sheet
    // and saves it again under the same name, as a user editing it would.
    static void EditInPlace(const std::string& path, int32_t column, int32_t row, const std::u16string& text)
    {
        SpreadsheetConnection book;
        std::u16string error;
        ASSERT_TRUE(book.OpenWorkbook(path, error)) << Utf16ToUtf8(error);
        book.SelectRange(column, row);
        book.SetValue(text);
        ASSERT_TRUE(book.SaveAs(path, error)) << Utf16ToUtf8(error);
    }

    static std::u16string CellText(const std::string& path, int32_t column, int32_t row)
    {
        SpreadsheetConnection book;
        std::u16string error;
        if (!book.OpenWorkbook(path, error))
            return u"(cannot open: " + error + u")";
        book.SelectRange(column, row);
        return book.GetValue().text;
    }

    RecordingWorkbookOpener m_workbookOpener;
    std::string m_previousDocuments;
    WorkbookOpener* m_previousWorkbookOpener = nullptr;
};

TEST_F(WorkbookFolderTest, EditedWorkbooksSurviveTheNextTextAndWordReports)
{
    WireOptimize_Whole job;
    JobError error;
    ASSERT_TRUE(PlanJob(job, ExampleJobLists(), error, 0, 10));

    // The example workbook the user is told to fill in, and a plan workbook.
    std::string example, plan;
    ASSERT_TRUE(ShowSpreadsheetExample(LIST_CUT, example));
    ASSERT_TRUE(ShowPlanWorkbook(job, false, plan));
    EXPECT_EQ(fs::u8path(example).parent_path(), fs::u8path(WorkbookFolder()));
    EXPECT_EQ(fs::u8path(plan).parent_path(), fs::u8path(WorkbookFolder()));
    EXPECT_NE(WorkbookFolder(), ReportFolder());
    EditInPlace(example, 2, 2, u"我的规格");
    EditInPlace(plan, 1, 1, u"车间计划");

    // A report of an earlier run, which the next report replaces.
    ASSERT_TRUE(fs::create_directories(fs::u8path(ReportFolder())));
    const std::string earlier = (fs::u8path(ReportFolder()) / "QRM20200101000000.txt").u8string();
    m_folder.WriteFile("x", "old");
    fs::copy_file(fs::u8path(m_folder.File("x")), fs::u8path(earlier));

    ProducePlanTextReport(job);
    ProducePlanDocument(job, false);
    ProduceLeftoverTextReport(job, 0);
    ProduceLeftoverDocument(job, 0);

    // The report folder was cleared before each report, so that only the
    // last one written remains there.
    EXPECT_FALSE(fs::exists(fs::u8path(earlier)));
    ASSERT_EQ(m_opener.m_textEditor.size(), 2u);
    ASSERT_EQ(m_opener.m_shell.size(), 2u);
    EXPECT_FALSE(fs::exists(fs::u8path(m_opener.m_textEditor.back())));
    EXPECT_TRUE(fs::exists(fs::u8path(m_opener.m_shell.back())));
    // The workbooks and the user's edits are all there.
    EXPECT_EQ(CellText(example, 2, 2), u"我的规格");
    EXPECT_EQ(CellText(plan, 1, 1), u"车间计划");
}

}  // namespace
