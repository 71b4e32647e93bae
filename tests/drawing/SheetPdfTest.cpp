// The cutting sheet as a PDF file, read back with pdftotext, pdfinfo and
// pdftoppm: the text of every pattern in order, pages, the drawing to scale,
// marks, texts outside code page 936, and the command line's report.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "base/Codepage.h"
#include "drawing/BarRenderer.h"
#include "drawing/SheetRenderer.h"
#include "engine/ResultModel.h"
#include "engine/ResultText.h"
#include "exchange/ExampleLists.h"
#include "reports/SpreadsheetReports.h"
#include "support/HandPatterns.h"
#include "support/PdfTools.h"
#include "support/PlanJob.h"
#include "support/TempFolder.h"

namespace {

std::string U8(const std::u16string& text) { return Utf16ToUtf8(text); }

SheetSettings Settings(int level = 1)
{
    SheetSettings settings;
    settings.madeAt = 1765000000;
    settings.speedLevel = level;
    return settings;
}

std::string WriteSheet(const WireOptimize_Whole& job, const TempFolder& folder, const std::string& name)
{
    const std::string path = folder.File(name);
    std::u16string error;
    EXPECT_TRUE(WriteCuttingSheetPdf(BuildCuttingSheet(job, Settings()), path, error)) << U8(error);
    return path;
}

// The example job planned as the command line plans it by default.
WireOptimize_Whole PlannedExample()
{
    WireOptimize_Whole job;
    JobError error;
    InputLists lists = ExampleJobLists();
    lists.MergeCutList();
    lists.MergeStockList();
    EXPECT_TRUE(PlanJob(job, lists, error, 0, 10, 0, 1));
    return job;
}

// One group of n patterns, each k pieces of 500 on a bar of 6000.
WireOptimize_Whole Patterns(int n)
{
    WireOptimize_Whole job;
    WireOptimize group;
    group.m_spec = u"P";
    group.m_kerfWidth = 3;
    for (int i = 0; i < n; ++i) group.m_patterns.push_back(Pattern(6000, 1 + i % 7, 0, 0, {500}, {1 + i % 10}));
    job.m_groups = {group};
    TotalGroup(job.m_groups[0]);
    TotalJob(job);
    return job;
}

bool IsDark(const QColor& c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; }

}  // namespace

TEST(SheetPdfTest, EveryPatternReadsInOrder)
{
    const WireOptimize_Whole job = PlannedExample();
    ASSERT_GE(job.m_groups.size(), 2u);
    TempFolder folder;
    const std::vector<std::string> words = Words(PdfText(WriteSheet(job, folder, "plan.pdf")));
    ASSERT_FALSE(words.empty());

    // Per pattern, in result order: its number, stock length and bar count,
    // then every piece's length written inside the bar (all pieces of the
    // example are at least 885 long on bars of at most 9000, more than 13 mm
    // on the page, room for their labels), then its composition line.
    std::size_t at = 0;
    int64_t number = 0;
    for (const WireOptimize& group : job.m_groups) {
        at = FindInOrder(words, {"规格", U8(group.m_spec)}, at);
        ASSERT_LE(at, words.size()) << "specification " << U8(group.m_spec);
        for (const WireCombine& pattern : group.m_patterns) {
            std::vector<std::string> wanted = {std::to_string(++number), U8(LengthString(pattern.m_barLength)),
                                               std::to_string(pattern.m_barCount)};
            for (std::size_t t = 0; t < pattern.m_pieceLength.size(); ++t) {
                for (int64_t n = 0; n < pattern.m_pieceCount[t]; ++n)
                    wanted.push_back(U8(LengthString(pattern.m_pieceLength[t])));
            }
            for (std::size_t t = 0; t < pattern.m_pieceLength.size(); ++t) {
                wanted.push_back(U8(LengthString(pattern.m_pieceLength[t])));
                wanted.push_back("×");
                wanted.push_back(std::to_string(pattern.m_pieceCount[t]));
            }
            at = FindInOrder(words, wanted, at);
            ASSERT_LE(at, words.size()) << "pattern " << number;
        }
    }
    // Then the stock summary with the job's totals.
    EXPECT_LE(FindInOrder(words, {"所用原料统计", "汇", "总", std::to_string(job.m_totalBars)}, at), words.size());
}

TEST(SheetPdfTest, PagesGrowWithThePlanAndAreNumbered)
{
    TempFolder folder;
    int last = 0;
    for (int n : {5, 60, 240}) {
        const WireOptimize_Whole job = Patterns(n);
        const std::string path = WriteSheet(job, folder, "p" + std::to_string(n) + ".pdf");
        const int pages = PdfPageCount(path);
        const CuttingSheet sheet = BuildCuttingSheet(job, Settings());
        EXPECT_EQ(pages, int(PaginateSheet(sheet, SheetBodyHeight(sheet.landscape)).size()));
        EXPECT_GT(pages, last);
        last = pages;
        const std::string text = PdfText(path);
        const std::string m = std::to_string(pages);
        EXPECT_NE(text.find("第 1 页 / 共 " + m + " 页"), std::string::npos);
        EXPECT_NE(text.find("第 " + m + " 页 / 共 " + m + " 页"), std::string::npos);
    }
    // 240 rows of 13 mm need at least 240 x 13 / 265 pages.
    EXPECT_GE(last, 12);
}

TEST(SheetPdfTest, SegmentWidthsFollowTheLengths)
{
    // One pattern: 3000, 1500 and 750 on a bar of 6000 with a kerf of 0, a
    // remnant of 750. Portrait: the bar is 136 mm wide and starts 12 + 48 mm
    // from the page's left edge; its row starts under the title (12 mm) and
    // the header (8 + 2 x 5.5 + 6 mm), the bar 1.5 mm lower, 6 mm high.
    WireOptimize_Whole job;
    WireOptimize group;
    group.m_spec = u"S";
    group.m_patterns.push_back(Pattern(6000, 2, 0, 0, {3000, 1500, 750}, {1, 1, 1}));
    job.m_groups = {group};
    TotalGroup(job.m_groups[0]);
    TotalJob(job);
    ASSERT_FALSE(BuildCuttingSheet(job, Settings()).landscape);
    TempFolder folder;
    const std::string pdf = WriteSheet(job, folder, "scale.pdf");
    const int dpi = 200;
    QImage page(QString::fromStdString(RenderPage(pdf, 1, dpi, folder.File("page"))));
    ASSERT_FALSE(page.isNull());
    const double px = dpi / 25.4;
    const double barLeft = SHEET_MARGIN_MM + SHEET_BAR_LEFT_MM;
    const double barWidth = SheetBodyWidth(false) - SHEET_BAR_LEFT_MM - SHEET_BAR_RIGHT_MARGIN_MM;
    ASSERT_DOUBLE_EQ(barWidth, 136);
    const double barTop =
        SHEET_MARGIN_MM + SHEET_TITLE_MM + SHEET_SPEC_LINE_MM + 2 * SHEET_HEADER_LINE_MM + SHEET_COLUMN_HEADER_MM + 1.5;
    // A row of pixels near the bar's top, clear of the labels in its middle.
    const int y = int(std::lround((barTop + 1.0) * px));

    // The dark columns along that row: the bar's outline and the cuts.
    std::vector<double> dark;  // millimetres from the bar's left end
    for (int x = int((barLeft - 3) * px); x < int((barLeft + barWidth + 3) * px); ++x) {
        if (IsDark(page.pixelColor(x, y)) && (dark.empty() || x / px - barLeft - dark.back() > 0.8))
            dark.push_back(x / px - barLeft);
    }
    // Cuts after 3000, 4500 and 5250 of 6000, and both ends.
    const std::vector<double> expected = {0, 68, 102, 119, 136};
    ASSERT_EQ(dark.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(dark[i], expected[i], 0.4) << "cut " << i;

    // The pieces in their palette colours (one registry for the group: entries
    // 0, 1, 2), the remnant white and hatched.
    for (int piece = 0; piece < 3; ++piece) {
        const double mm = barLeft + (expected[piece] + expected[piece + 1]) / 2 - 8;
        EXPECT_EQ(page.pixelColor(int(mm * px), y), PaletteColour(SegmentColour(piece))) << "piece " << piece;
    }
    int white = 0, grey = 0;
    for (int x = int((barLeft + 120) * px); x < int((barLeft + 135) * px); ++x) {
        const QColor c = page.pixelColor(x, y);
        white += c == QColor(Qt::white);
        grey += c.red() < 200 && std::abs(c.red() - c.blue()) < 10;
    }
    EXPECT_GT(white, 0);
    EXPECT_GT(grey, 0);
}

TEST(SheetPdfTest, MarksAppearOnMarkedPlans)
{
    WireOptimize_Whole job;
    WireOptimize group;
    group.m_spec = u"M";
    group.m_kerfWidth = 5;
    WireCombine pattern = Pattern(6000, 5, 0, 0, {2000}, {2});
    pattern.m_markRecords = {Record(3, {2000}, {2}, {u"订单甲"}),
                             Record(2, {2000, 2000}, {1, 1}, {u"订单甲", u"订单乙"})};
    group.m_patterns.push_back(pattern);
    job.m_groups = {group};
    job.m_markSpec = {u"M"};
    TotalGroup(job.m_groups[0]);
    TotalJob(job);
    TempFolder folder;
    const std::vector<std::string> words = Words(PdfText(WriteSheet(job, folder, "marks.pdf")));
    // The pattern with its 5 bars, then its two groups of 3 and 2 bars, each
    // piece with its mark inside the bar and in the composition line.
    EXPECT_LE(FindInOrder(words, {"1", "6000", "5", "2000", "2000"}, 0), words.size());
    EXPECT_LE(FindInOrder(words, {"1-1", "3", "2000", "订单甲", "2000", "订单甲", "2000", "×", "2", "订单甲"}, 0),
              words.size());
    EXPECT_LE(FindInOrder(words,
                          {"1-2", "2", "2000", "订单甲", "2000", "订单乙", "2000", "×", "1", "订单甲", "+", "2000", "×",
                           "1", "订单乙"},
                          0),
              words.size());
}

TEST(SheetPdfTest, TextsBeyondCodePage936AndBracesRender)
{
    WireOptimize_Whole job;
    WireOptimize group;
    // Braces, a Greek letter, Hangul and the euro sign: the last two have no
    // code page 936 form.
    group.m_spec = u"Φ12{특수}€";
    WireCombine pattern = Pattern(6000, 1, 0, 0, {2500}, {2});
    pattern.m_markRecords = {Record(1, {2500}, {2}, {u"문서{1}"})};
    group.m_patterns.push_back(pattern);
    job.m_groups = {group};
    job.m_markSpec = {group.m_spec};
    TotalGroup(job.m_groups[0]);
    TotalJob(job);
    TempFolder folder;
    const std::string text = PdfText(WriteSheet(job, folder, "unicode.pdf"));
    EXPECT_NE(text.find("Φ12{특수}€"), std::string::npos) << text;
    EXPECT_NE(text.find("문서{1}"), std::string::npos);
    // The Chinese of the sheet reads as ideographs, never as the radicals
    // that share their glyphs (U+2E80 to U+2FDF).
    EXPECT_NE(text.find("下料切割单"), std::string::npos);
    EXPECT_NE(text.find("原料长度"), std::string::npos);
    for (char16_t c : Utf8ToUtf16(text)) EXPECT_FALSE(c >= 0x2E80 && c <= 0x2FDF) << "radical U+" << std::hex << int(c);
}

TEST(SheetPdfTest, CommandLineWritesTheSameSheet)
{
    TempFolder folder;
    const std::string cli = folder.File("cli.pdf");
    const std::string command =
        std::string(TREVAK_CLI_PATH) + " plan --example --report pdf --out " + Quoted(cli) + " > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // In-process: the same plan at the command line's defaults (kerf 10,
    // level 1), made at another time.
    const std::string here = WriteSheet(PlannedExample(), folder, "here.pdf");
    // The time the sheet was made is the only difference.
    const std::regex time("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}");
    auto withoutTimes = [&time](const std::string& text) { return std::regex_replace(text, time, "(time)"); };
    const std::string a = PdfText(cli);
    const std::string b = PdfText(here);
    ASSERT_NE(a.find("下料切割单"), std::string::npos);
    EXPECT_EQ(withoutTimes(a), withoutTimes(b));
    EXPECT_EQ(PdfPageCount(cli), PdfPageCount(here));
}
