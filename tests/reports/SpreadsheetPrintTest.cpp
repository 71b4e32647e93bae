// How the spreadsheet reports print: landscape, one page wide, the title and
// header rows on every page, and the blocks of format B never split by a page
// break.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "reports/SpreadsheetReports.h"
#include "support/PlanJob.h"
#include "support/TempFolder.h"
#include "support/XlsxParts.h"

namespace {

// A4 in landscape, in points: the paper itself, margins not taken off, so a
// printed page can never be larger.
const double A4_LONG_SIDE = 841.89;
const double A4_SHORT_SIDE = 595.28;

// A plan of many patterns whose format B blocks run over several rows: 90
// lengths of one specification, each piece with a mark of its own, so that
// most bars carry several lengths and several marks.
WireOptimize_Whole LongPlan()
{
    InputLists lists;
    for (int i = 0; i < 90; ++i) {
        const std::string mark = "订单" + std::to_string(i + 1);
        lists.AppendCutRow(u"Ф20", 700 + 37 * i, 3 + i % 4, Utf8ToUtf16(mark));
    }
    lists.AppendStockRow(u"Ф20", 6000, 0, 0);
    WireOptimize_Whole job;
    JobError error;
    EXPECT_TRUE(PlanJob(job, lists, error, 0, 5, 0, 5));
    return job;
}

void ExpectOnePageWide(const Worksheet& sheet)
{
    EXPECT_TRUE(sheet.pageSetup.landscape) << Utf16ToUtf8(sheet.name);
    EXPECT_EQ(sheet.pageSetup.paper, 9) << Utf16ToUtf8(sheet.name);
    EXPECT_EQ(sheet.pageSetup.fitPagesWide, 1) << Utf16ToUtf8(sheet.name);
    EXPECT_EQ(sheet.pageSetup.titleFirstRow, 1);
    EXPECT_EQ(sheet.pageSetup.titleLastRow, 2);
    EXPECT_TRUE(sheet.pageSetup.breaksBefore.empty());
}

// The last column that holds a cell.
int32_t LastColumn(const Worksheet& sheet)
{
    int32_t last = 0;
    for (const auto& entry : sheet.cells)
        last = std::max(last, entry.first.second);
    return last;
}

int32_t LastRow(const Worksheet& sheet)
{
    return sheet.cells.empty() ? 0 : sheet.cells.rbegin()->first.first;
}

TEST(SpreadsheetPrintTest, PlanSheetsPrintOnePageWideWithTheirHeadersOnEveryPage)
{
    const WireOptimize_Whole job = LongPlan();
    SpreadsheetConnection c;
    ASSERT_TRUE(c.Start());
    BuildPlanWorkbook(c, job, true);
    const Workbook& book = c.Book();
    ASSERT_EQ(book.sheets.size(), 3u);
    // Format A (with the segment diagram over a hundred columns) and the
    // stock summary: fitted by the spreadsheet itself.
    ExpectOnePageWide(book.sheets[0]);
    ExpectOnePageWide(book.sheets[2]);

    // Format B: scaled so that its columns fit the width of the paper.
    const Worksheet& b = book.sheets[1];
    const PageSetup& page = b.pageSetup;
    EXPECT_TRUE(page.landscape);
    EXPECT_EQ(page.paper, 9);
    EXPECT_EQ(page.fitPagesWide, 0);  // a fitted sheet would lose its breaks
    EXPECT_EQ(page.titleFirstRow, 1);
    EXPECT_EQ(page.titleLastRow, 2);
    ASSERT_GE(page.scale, 10);
    ASSERT_LE(page.scale, 100);
    double width = 0;
    for (int32_t column = 1; column <= LastColumn(b); ++column)
        width += ColumnWidthPoints(b, column);
    EXPECT_LE(width * page.scale / 100, A4_LONG_SIDE);
    // Not scaled down for nothing: twice the scale would not fit.
    EXPECT_GT(width * std::min(100, 2 * page.scale) / 100, A4_LONG_SIDE * 0.5);

    // The plan is long enough to need several pages.
    ASSERT_GE(page.breaksBefore.size(), 2u);
    const int32_t last = LastRow(b);
    std::vector<int32_t> starts(page.breaksBefore.begin(), page.breaksBefore.end());
    starts.push_back(last + 1);
    int32_t first = 3;  // the first body row
    const double titles = RowHeightPoints(b, 1) + RowHeightPoints(b, 2);
    for (const int32_t next : starts) {
        // No break inside a block: no merged cell of column A spans it.
        for (const CellRange& merge : b.merges) {
            EXPECT_FALSE(merge.column1 == 1 && merge.row1 < next && next <= merge.row2)
                << "break before row " << next << " splits rows " << merge.row1 << "-" << merge.row2;
        }
        // A page starts with a pattern, not with its second mark record
        // ("3-2"); the numbers of single-record patterns are plain numbers.
        if (next <= last) {
            const Cell* cell = b.Find(1, next);
            ASSERT_NE(cell, nullptr);
            if (cell->kind == Cell::Kind::Text) {
                EXPECT_EQ(cell->text.substr(cell->text.size() - 2), u"-1") << "row " << next;
            }
        }
        // What lies between two breaks fits on the paper, titles included.
        double height = titles;
        for (int32_t row = first; row < next; ++row)
            height += RowHeightPoints(b, row);
        EXPECT_LE(height * page.scale / 100, A4_SHORT_SIDE) << "page from row " << first;
        first = next;
    }
}

TEST(SpreadsheetPrintTest, LeftoverSheetPrintsOnePageWide)
{
    const WireOptimize_Whole job = LongPlan();
    SpreadsheetConnection c;
    ASSERT_TRUE(c.Start());
    BuildLeftoverWorkbook(c, job, 0);
    ASSERT_EQ(c.Book().sheets.size(), 1u);
    ExpectOnePageWide(c.Book().sheets[0]);
}

TEST(SpreadsheetPrintTest, SavedPlanWorkbookCarriesThePageSetup)
{
    const WireOptimize_Whole job = LongPlan();
    TempFolder folder;
    const std::string path = folder.File("plan.xlsx");
    std::u16string error;
    ASSERT_TRUE(WritePlanWorkbook(job, true, path, error)) << Utf16ToUtf8(error);

    // Read back from the file's XML, not through the program's model.
    const std::string a = XlsxPart(path, "xl/worksheets/sheet1.xml");
    EXPECT_EQ(XmlAttribute(a, "pageSetup", "orientation"), "landscape");
    EXPECT_EQ(XmlAttribute(a, "pageSetUpPr", "fitToPage"), "1");
    EXPECT_EQ(XmlAttribute(a, "pageSetup", "fitToHeight"), "0");

    SpreadsheetConnection model;
    ASSERT_TRUE(model.Start());
    BuildPlanWorkbook(model, job, true);
    const PageSetup& expected = model.Book().sheets[1].pageSetup;
    const std::string b = XlsxPart(path, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(XmlAttribute(b, "pageSetup", "orientation"), "landscape");
    // 100 per cent is the file format's default and is not written.
    EXPECT_EQ(XmlAttribute(b, "pageSetup", "scale"), expected.scale == 100 ? "(none)" : std::to_string(expected.scale));
    EXPECT_EQ(XmlAttribute(b, "pageSetUpPr", "fitToPage"), "(none)");
    EXPECT_EQ(XmlRowBreaks(b), std::vector<int>(expected.breaksBefore.begin(), expected.breaksBefore.end()));

    // Title and header rows repeat on every sheet.
    const std::string workbook = XlsxPart(path, "xl/workbook.xml");
    for (const char* sheet : {"0", "1", "2"}) {
        EXPECT_NE(workbook.find(std::string("_xlnm.Print_Titles\" localSheetId=\"") + sheet + "\">"),
                  std::string::npos)
            << workbook;
    }
    EXPECT_NE(workbook.find("!$1:$2<"), std::string::npos);
}

}  // namespace
