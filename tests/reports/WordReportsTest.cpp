#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Codepage.h"
#include "base/Messages.h"
#include "base/ReportConventions.h"
#include "engine/Job.h"
#include "reports/RtfDocument.h"
#include "reports/WordReports.h"
#include "support/HandPatterns.h"
#include "support/ReportFixture.h"
#include "support/TempFolder.h"

// The documents are compared with reference documents that the test scripts
// through RtfDocument's pieces (whose bytes RtfDocumentTest checks): the
// script states which row layout each row gets, with which merge mode and
// shading, and the hand-written cell texts. The header rows are written as
// literal text.

namespace {

// A finished plan of two specifications, kerf 0, filled in by hand:
//   Φ12: pattern 1: bar 6100 x 3 bars, pieces 3000 + 2000 + 1000 (6000 of 6100: utilisation 0.98361, remnant 100);
//        pattern 2: bar 5000 x 2 bars, pieces 1234.5 x 4 (4938 of 5000: utilisation 0.9876, remnant 62).
//   Φ16: pattern 3: bar 9000 x 1 bar, pieces 4000 + 500 (utilisation 0.5, remnant 4500).
// Used stock: Φ12 6100 x 3 (pieces 18000) and 5000 x 2 (pieces 9876); Φ16 9000 x 1 (pieces 4500) and 7000 x 0.
// Job: 6 bars, 3 x 6100 + 2 x 5000 + 9000 = 37300 long, utilisation (18000 + 9876 + 4500) / 37300 = 0.86799.
// No mark records yet.
WireOptimize_Whole PlannedJob()
{
    WireOptimize_Whole job;
    WireOptimize first;
    first.m_spec = u"Φ12";
    first.m_patterns.push_back(Pattern(6100, 3, 6000.0 / 6100, 100, {3000, 2000, 1000}, {1, 1, 1}));
    first.m_patterns.push_back(Pattern(5000, 2, 0.9876, 62, {1234.5}, {4}));
    first.m_usedLength = {6100, 5000};
    first.m_usedBars = {3, 2};
    first.m_usedPieceLength = {18000, 9876};
    WireOptimize second;
    second.m_spec = u"Φ16";
    second.m_patterns.push_back(Pattern(9000, 1, 0.5, 4500, {4000, 500}, {1, 1}));
    second.m_usedLength = {9000, 7000};
    second.m_usedBars = {1, 0};
    second.m_usedPieceLength = {4500, 0};
    job.m_groups = {first, second};
    job.m_totalBars = 6;
    job.m_totalLength = 37300;
    job.m_utilisation = 32376.0 / 37300;
    return job;
}

// The plan with the marks (Φ12, 3000, 订单1, 2), (Φ12, 1000, 订单2, 1) and
// (Φ12, 1234.5, A, 8): pattern 1 falls into three records of one bar each
// (3000 订单1 + 2000 + 1000 订单2; 3000 订单1 + 2000 + 1000; all unmarked),
// pattern 2 into one record of both bars, pattern 3 into one unmarked record.
WireOptimize_Whole MarkedJob()
{
    WireOptimize_Whole job = PlannedJob();
    job.m_groups[0].m_patterns[0].m_markRecords = {
        Record(1, {3000, 2000, 1000}, {1, 1, 1}, {u"订单1", u"", u"订单2"}),
        Record(1, {3000, 2000, 1000}, {1, 1, 1}, {u"订单1", u"", u""}),
        Record(1, {3000, 2000, 1000}, {1, 1, 1}, {u"", u"", u""}),
    };
    job.m_groups[0].m_patterns[1].m_markRecords = {Record(2, {1234.5}, {4}, {u"A"})};
    job.m_groups[1].m_patterns[0].m_markRecords = {Record(1, {4000, 500}, {1, 1}, {u"", u""})};
    job.m_markSpec = {u"Φ12", u"Φ12", u"Φ12"};
    job.m_markText = {u"订单1", u"订单2", u"A"};
    job.m_markLength = {3000, 1000, 1234.5};
    job.m_markQuantity = {2, 1, 8};
    return job;
}

// The same plan without marks: one unmarked record per pattern covering all its
// bars. Pattern 3's records are left unbuilt; it is written as such a record.
WireOptimize_Whole UnmarkedJob()
{
    WireOptimize_Whole job = PlannedJob();
    job.m_groups[0].m_patterns[0].m_markRecords = {Record(3, {3000, 2000, 1000}, {1, 1, 1}, {u"", u"", u""})};
    job.m_groups[0].m_patterns[1].m_markRecords = {Record(2, {1234.5}, {4}, {u""})};
    return job;
}

class WordReportsTest : public RecordingReportTest {
protected:
    // The bytes of a reference document: prologue, page header with title,
    // what script writes, and the closing brace.
    std::string Reference(const std::u16string& title, const std::function<void(RtfDocument&)>& script)
    {
        const std::string path = m_folder.File("reference.doc");
        RtfDocument reference;
        reference.Create(path);
        reference.Begin();
        reference.PageHeader(title);
        script(reference);
        EXPECT_TRUE(reference.End(false));
        return TempFolder::ReadFile(path);
    }
};

const std::u16string PLAN_HEADER_WITH_MARKS =
    uR"(\pard\qc\fs22\intbl {\f15\b 序号}{\cell }{\f15\b 规 格}{\cell }{\f15\b 原料长度}{\cell }{\f15\b 数量}{\cell })"
    uR"({\f15\b 利用率}{\cell }{\f15\b 余长}{\cell }{\f15\b 下料组合}{\cell }{\f15\b 标记}{\cell }{\row})" u"\n";
const std::u16string PLAN_HEADER_WITHOUT_MARKS =
    uR"(\pard\qc\fs22\intbl {\f15\b 序号}{\cell }{\f15\b 规 格}{\cell }{\f15\b 原料长度}{\cell }{\f15\b 数量}{\cell })"
    uR"({\f15\b 利用率}{\cell }{\f15\b 余长}{\cell }{\f15\b 下料组合}{\cell }{\row})" u"\n";
const std::u16string STOCK_HEADER =
    uR"(\pard\qc\fs22\intbl {\f15\b 序号}{\cell }{\f15\b 规   格}{\cell }{\f15\b 原料长度}{\cell }{\f15\b 数 量}{\cell })"
    uR"({\f15\b 总 长}{\cell }{\f15\b 利用率}{\cell }{\row})" u"\n";
const std::u16string LEFTOVER_HEADER =
    uR"(\pard\qc\fs22\intbl {\f15\b 序 号}{\cell }{\f15\b 规 格}{\cell }{\f15\b 长 度}{\cell }{\f15\b 数 量}{\cell })"
    uR"({\f15\b 总 长}{\cell }{\row})" u"\n";

// A row definition of left offset and cells (right edge, merge mode 0) shaded alike.
void Row(RtfDocument& document, int left, const std::vector<int>& edges, int shading)
{
    document.RowStart(left);
    for (int edge : edges)
        document.Cell(edge, 0, shading);
}

// The stock table of PlannedJob, the same with and without marks.
void ExpectedStockTable(RtfDocument& document)
{
    const std::vector<int> edges = {800, 3500, 4800, 5900, 7300, 8600};
    document.TitleParagraph(u"所用原料统计");
    Row(document, 0, edges, 1);
    document.Write(STOCK_HEADER);
    // Row numbers restart at 1; shading alternates by row. Utilisation per length:
    // 18000 / (3 x 6100) = 0.98361, 9876 / (2 x 5000) = 0.9876, 4500 / 9000 = 0.5.
    Row(document, 0, edges, 0);
    document.RowContent({u"1", u"Φ12", u"6100", u"3", u"18300", u"98.4%"}, false);
    Row(document, 0, edges, 2);
    document.RowContent({u"2", u"Φ12", u"5000", u"2", u"10000", u"98.8%"}, false);
    // 7000 was used by no bar: no row.
    Row(document, 0, edges, 0);
    document.RowContent({u"3", u"Φ16", u"9000", u"1", u"9000", u"50.0%"}, false);
    // The totals sit under 原料长度 to 利用率.
    Row(document, 3500, {4800, 5900, 7300, 8600}, 1);
    document.RowContent({u"汇 总", u"6", u"37300", u"86.8%"}, true);
    document.EndTable();
}

TEST_F(WordReportsTest, PlanDocumentWithMarksHasOneMergedBlockPerMarkRecordShadedByBlock)
{
    const std::string path = m_folder.File("plan.doc");
    EXPECT_TRUE(WritePlanDocument(MarkedJob(), true, path, false));

    const std::string expected = Reference(u"下料组合统计", [](RtfDocument& document) {
        const std::u16string none;
        document.PlanRowLayout(true, 0, 1);
        document.Write(PLAN_HEADER_WITH_MARKS);
        // Pattern 1, three records: blocks 1, 2, 3 numbered 1-1, 1-2, 1-3, shaded 0, 2, 0;
        // each block of three pieces merges its first six cells (1, then 2, 2), and
        // shows the record's bar count (1), not the pattern's (3).
        const int blockShading[] = {0, 2, 0};
        const std::u16string numbers[] = {u"1-1", u"1-2", u"1-3"};
        const std::u16string firstMarks[] = {u"订单1", u"订单1", u""};
        const std::u16string lastMarks[] = {u"订单2", u"", u""};
        for (int g = 0; g < 3; ++g) {
            document.PlanRowLayout(true, 1, blockShading[g]);
            document.RowContent({numbers[g], u"Φ12", u"6100", u"1", u"98.4%", u"100", u"3000 x 1", firstMarks[g]},
                                false);
            document.PlanRowLayout(true, 2, blockShading[g]);
            document.RowContent({none, none, none, none, none, none, u"2000 x 1", none}, false);
            document.PlanRowLayout(true, 2, blockShading[g]);
            document.RowContent({none, none, none, none, none, none, u"1000 x 1", lastMarks[g]}, false);
        }
        // Pattern 2, one record of one piece entry: a single unmerged row, block 4 shaded 2.
        document.PlanRowLayout(true, 0, 2);
        document.RowContent({u"2", u"Φ12", u"5000", u"2", u"98.8%", u"62", u"1234.5 x 4", u"A"}, false);
        // Pattern 3 continues the numbering in the next group: block 5, shading 0.
        document.PlanRowLayout(true, 1, 0);
        document.RowContent({u"3", u"Φ16", u"9000", u"1", u"50.0%", u"4500", u"4000 x 1", none}, false);
        document.PlanRowLayout(true, 2, 0);
        document.RowContent({none, none, none, none, none, none, u"500 x 1", none}, false);
        document.EndTable();
        ExpectedStockTable(document);
    });
    EXPECT_EQ(TempFolder::ReadFile(path), expected);
    EXPECT_TRUE(m_opener.m_shell.empty());
    EXPECT_TRUE(m_sink.m_messages.empty());
}

TEST_F(WordReportsTest, PlanDocumentWithoutMarksHasSevenCellsAndPlainNumbers)
{
    const std::string path = m_folder.File("plan.doc");
    EXPECT_TRUE(WritePlanDocument(UnmarkedJob(), false, path, false));

    const std::string expected = Reference(u"下料组合统计", [](RtfDocument& document) {
        const std::u16string none;
        document.PlanRowLayout(false, 0, 1);
        document.Write(PLAN_HEADER_WITHOUT_MARKS);
        // One record per pattern: numbers without "-g"; blocks 1, 2, 3 shaded 0, 2, 0.
        document.PlanRowLayout(false, 1, 0);
        document.RowContent({u"1", u"Φ12", u"6100", u"3", u"98.4%", u"100", u"3000 x 1"}, false);
        document.PlanRowLayout(false, 2, 0);
        document.RowContent({none, none, none, none, none, none, u"2000 x 1"}, false);
        document.PlanRowLayout(false, 2, 0);
        document.RowContent({none, none, none, none, none, none, u"1000 x 1"}, false);
        document.PlanRowLayout(false, 0, 2);
        document.RowContent({u"2", u"Φ12", u"5000", u"2", u"98.8%", u"62", u"1234.5 x 4"}, false);
        document.PlanRowLayout(false, 1, 0);
        document.RowContent({u"3", u"Φ16", u"9000", u"1", u"50.0%", u"4500", u"4000 x 1"}, false);
        document.PlanRowLayout(false, 2, 0);
        document.RowContent({none, none, none, none, none, none, u"500 x 1"}, false);
        document.EndTable();
        ExpectedStockTable(document);
    });
    EXPECT_EQ(TempFolder::ReadFile(path), expected);
}

TEST_F(WordReportsTest, PlanRowsCountTheirCellsAndSpecificationsAndMarksAreEscaped)
{
    WireOptimize_Whole job = UnmarkedJob();
    job.m_groups[1].m_spec = u"Φ{16}\\";
    job.m_groups[1].m_patterns[0].m_markRecords = {Record(1, {4000, 500}, {1, 1}, {u"\U0001F600", u"订单{2}"})};

    const std::string marked = m_folder.File("marked.doc");
    ASSERT_TRUE(WritePlanDocument(job, true, marked, false));
    const std::string text = TempFolder::ReadFile(marked);
    // The emoji as its two UTF-16 units D83D DE00 (-10179, -8704 as signed 16-bit numbers).
    EXPECT_NE(text.find(Utf16ToCp936(uR"({\f15 3}{\cell }{\f15 Φ\{16\}\\}{\cell }{\f15 9000}{\cell }{\f15 1}{\cell })"
                                     uR"({\f15 50.0%}{\cell }{\f15 4500}{\cell }{\f15 4000 x 1}{\cell })"
                                     uR"({\f15 \u-10179??\u-8704??}{\cell }{\row})" u"\r\n")),
              std::string::npos);
    EXPECT_NE(text.find(Utf16ToCp936(uR"({\f15 500 x 1}{\cell }{\f15 订单\{2\}}{\cell }{\row})" u"\r\n")),
              std::string::npos);

    // Every row of the pattern table: 8 cell definitions and 8 cells with marks, 7 without.
    const std::string unmarked = m_folder.File("unmarked.doc");
    ASSERT_TRUE(WritePlanDocument(job, false, unmarked, false));
    for (const auto& [path, cells] : {std::pair<std::string, int>{marked, 8}, {unmarked, 7}}) {
        const std::string document = TempFolder::ReadFile(path);
        const std::string table = document.substr(0, document.find("\\pard{\\par}"));
        std::istringstream lines(table);
        std::string line;
        int rows = 0;
        int definitions = 0;
        while (std::getline(lines, line)) {
            if (line.rfind("\\trowd", 0) == 0) {
                if (rows > 0) {
                    EXPECT_EQ(definitions, cells) << "row " << rows;
                }
                definitions = 0;
                ++rows;
            }
            if (line.find("\\cellx") != std::string::npos)
                ++definitions;
            if (line.rfind("\\pard\\qc\\fs22\\intbl", 0) == 0) {
                std::size_t count = 0;
                for (std::size_t at = line.find("{\\cell }"); at != std::string::npos;
                     at = line.find("{\\cell }", at + 1))
                    ++count;
                EXPECT_EQ(count, static_cast<std::size_t>(cells)) << line;
            }
        }
        EXPECT_EQ(definitions, cells);
        // Header, 3 + 1 rows of Φ12, 2 rows of Φ16.
        EXPECT_EQ(rows, 7) << path;
    }
}

TEST_F(WordReportsTest, LeftoverDocumentListsEntriesFromTheMinimumLengthAndTotalsFiniteOnes)
{
    WireOptimize_Whole job = PlannedJob();
    job.m_leftoverLength = {6000, 99.5, 100, 6000, 250.5, 80};
    job.m_leftoverQuantity = {5, 4, 3, -1, 2, -1};
    job.m_leftoverSpec = {u"Φ12", u"Φ12", u"Φ12", u"", u"Φ16", u"Φ16"};
    job.m_leftoverPriority = {1, -1, -1, 0, -1, 0};
    const std::string path = m_folder.File("leftover.doc");
    EXPECT_TRUE(WriteLeftoverDocument(job, 100, path, false));

    const std::string expected = Reference(u"余料统计", [](RtfDocument& document) {
        const std::vector<int> edges = {1000, 4000, 5500, 6700, 8600};
        Row(document, 0, edges, 1);
        document.Write(LEFTOVER_HEADER);
        // 99.5 and the unlimited 80 are below 100 and left out; 100 itself is listed.
        Row(document, 0, edges, 0);
        document.RowContent({u"1", u"Φ12", u"6000", u"5", u"30000"}, false);
        Row(document, 0, edges, 2);
        document.RowContent({u"2", u"Φ12", u"100", u"3", u"300"}, false);
        Row(document, 0, edges, 0);
        document.RowContent({u"3", u"", u"6000", u"不限", u"---"}, false);
        Row(document, 0, edges, 2);
        document.RowContent({u"4", u"Φ16", u"250.5", u"2", u"501"}, false);
        // 5 + 3 + 2 = 10 bars, 30000 + 300 + 501 = 30801 long; the unlimited row adds nothing.
        Row(document, 4000, {5500, 6700, 8600}, 1);
        document.RowContent({u"汇 总", u"10", u"30801"}, true);
        document.EndTable();
    });
    EXPECT_EQ(TempFolder::ReadFile(path), expected);

    // With no minimum every entry is listed; the totals stay those of the finite rows
    // plus 99.5 x 4 = 398: 14 bars, 31199 long.
    const std::string all = m_folder.File("all.doc");
    EXPECT_TRUE(WriteLeftoverDocument(job, 0, all, false));
    const std::string allText = TempFolder::ReadFile(all);
    EXPECT_NE(allText.find(Utf16ToCp936(uR"({\f15 6}{\cell }{\f15 Φ16}{\cell }{\f15 80}{\cell }{\f15 不限})")),
              std::string::npos);
    EXPECT_NE(allText.find(Utf16ToCp936(uR"({\f15\b 汇 总}{\cell }{\f15\b 14}{\cell }{\f15\b 31199}{\cell }{\row})")),
              std::string::npos);
}

TEST_F(WordReportsTest, LeftoverDocumentOfOnlyUnlimitedRowsHasNoTotalsRow)
{
    WireOptimize_Whole job = PlannedJob();
    job.m_leftoverLength = {6000, 9000};
    job.m_leftoverQuantity = {-1, -1};
    job.m_leftoverSpec = {u"Φ12", u"Φ{16}"};
    job.m_leftoverPriority = {0, 1};
    const std::string path = m_folder.File("leftover.doc");
    EXPECT_TRUE(WriteLeftoverDocument(job, 100, path, false));

    const std::string expected = Reference(u"余料统计", [](RtfDocument& document) {
        const std::vector<int> edges = {1000, 4000, 5500, 6700, 8600};
        Row(document, 0, edges, 1);
        document.Write(LEFTOVER_HEADER);
        Row(document, 0, edges, 0);
        document.RowContent({u"1", u"Φ12", u"6000", u"不限", u"---"}, false);
        Row(document, 0, edges, 2);
        document.RowContent({u"2", uR"(Φ\{16\})", u"9000", u"不限", u"---"}, false);
        document.EndTable();
    });
    EXPECT_EQ(TempFolder::ReadFile(path), expected);

    // An empty leftover list: the header row alone.
    job.m_leftoverLength.clear();
    job.m_leftoverQuantity.clear();
    job.m_leftoverSpec.clear();
    job.m_leftoverPriority.clear();
    EXPECT_TRUE(WriteLeftoverDocument(job, 100, path, false));
    EXPECT_EQ(TempFolder::ReadFile(path), Reference(u"余料统计", [](RtfDocument& document) {
                  Row(document, 0, {1000, 4000, 5500, 6700, 8600}, 1);
                  document.Write(LEFTOVER_HEADER);
                  document.EndTable();
              }));
}

TEST_F(WordReportsTest, DocumentsAreOpenedEvenWhenTheyCannotBeWritten)
{
    const std::string path = m_folder.File("no-such-folder/plan.doc");
    EXPECT_FALSE(WritePlanDocument(MarkedJob(), true, path, true));
    EXPECT_FALSE(WriteLeftoverDocument(MarkedJob(), 100, path, true));
    ASSERT_EQ(m_sink.m_messages.size(), 2u);
    EXPECT_EQ(m_sink.m_messages[0], u"文件 < " + Utf8ToUtf16(path) + u" > 写入有误，请检查文件是否被锁定或被打开状态 ！");
    EXPECT_EQ(m_opener.m_shell, (std::vector<std::string>{path, path}));
}

TEST_F(WordReportsTest, ProduceCommandsWriteAFreshDocumentInTheReportFolderAndOpenIt)
{
    struct RestoreDocumentsFolder {
        std::string m_previous = g_documentsFolder;
        ~RestoreDocumentsFolder() { g_documentsFolder = m_previous; }
    } restore;
    g_documentsFolder = m_folder.File("documents");
    std::filesystem::create_directories(std::filesystem::u8path(g_documentsFolder));
    const WireOptimize_Whole job = MarkedJob();

    ProducePlanDocument(job, true);
    ASSERT_EQ(m_opener.m_shell.size(), 1u);
    const std::filesystem::path plan = std::filesystem::u8path(m_opener.m_shell[0]);
    EXPECT_EQ(plan.parent_path(), std::filesystem::u8path(ReportFolder()));
    EXPECT_EQ(plan.extension(), ".doc");
    EXPECT_EQ(plan.filename().u8string().rfind("QRM", 0), 0u);
    const std::string reference = m_folder.File("reference-plan.doc");
    ASSERT_TRUE(WritePlanDocument(job, true, reference, false));
    EXPECT_EQ(TempFolder::ReadFile(plan.u8string()), TempFolder::ReadFile(reference));

    ProduceLeftoverDocument(job, 100);
    ASSERT_EQ(m_opener.m_shell.size(), 2u);
    const std::filesystem::path leftover = std::filesystem::u8path(m_opener.m_shell[1]);
    EXPECT_EQ(leftover.parent_path(), std::filesystem::u8path(ReportFolder()));
    ASSERT_TRUE(WriteLeftoverDocument(job, 100, reference, false));
    EXPECT_EQ(TempFolder::ReadFile(leftover.u8string()), TempFolder::ReadFile(reference));
    EXPECT_TRUE(m_sink.m_messages.empty());
}

// The word processor's side: LibreOffice must read the document as RTF and
// turn it into a PDF. Skipped where LibreOffice is not installed.
std::string FindOnPath(const std::vector<std::string>& names)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return std::string();
    std::istringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        for (const std::string& name : names) {
            const std::filesystem::path candidate = std::filesystem::path(folder.empty() ? "." : folder) / name;
            std::error_code error;
            if (std::filesystem::is_regular_file(candidate, error))
                return candidate.string();
        }
    }
    return std::string();
}

TEST_F(WordReportsTest, LibreOfficeConvertsThePlanDocumentToPdf)
{
    const std::string office = FindOnPath({"libreoffice", "soffice"});
    if (office.empty())
        GTEST_SKIP() << "libreoffice is not installed";

    const std::string document = m_folder.File("plan.doc");
    ASSERT_TRUE(WritePlanDocument(MarkedJob(), true, document, false));
    const std::string outDir = m_folder.File("pdf");
    const std::string profile = "file://" + m_folder.File("office-profile");
    const std::string command = "\"" + office + "\" -env:UserInstallation=" + profile +
                                " --headless --convert-to pdf --outdir \"" + outDir + "\" \"" + document +
                                "\" >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string pdf = TempFolder::ReadFile(m_folder.File("pdf/plan.pdf"));
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
}

}  // namespace
