// Every report of one planned job compared with reference files under
// tests/data/reports, byte for byte: the text reports and rich-text documents
// as written, the workbooks and the cutting sheet as a listing of everything
// they hold (cells with values and formats, merges, sizes, page setup; the
// sheet's texts, bars and tables). The references were written by the report
// writers as they stood when these tests were added; a difference is a change
// of what the user gets. After a deliberate change, write the references again
// with TREVAK_WRITE_REPORT_REFERENCES=1 and read the difference before
// committing it.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "engine/Job.h"
#include "lists/InputLists.h"
#include "reports/CuttingSheet.h"
#include "reports/SpreadsheetReports.h"
#include "reports/TextReports.h"
#include "reports/WordReports.h"
#include "support/PlanJob.h"
#include "support/ReportFixture.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Two specifications and a third that only has stock, kerf 10, trim 5.
//   Φ12: 3000 x 5 of which 3 marked 订单1, 2000 x 4 marked 订单2, 1234.5 x 5
//        (a fractional length: the text report prints one decimal); 6000 x 4
//        preferred and unlimited 9000.
//   Φ16: 4000 x 3, 2500 x 2 marked A-7; 9000 x 5 and unlimited 8000.
//   Φ20: 6000 x 3 that no piece needs: it stays in the leftovers whole.
// Cleared marks give the same plan without marks.
InputLists ReferenceLists(bool marked)
{
    InputLists lists;
    lists.AppendCutRow(u"Φ12", 3000, 3, marked ? u"订单1" : u"");
    lists.AppendCutRow(u"Φ12", 3000, 2, u"");
    lists.AppendCutRow(u"Φ12", 2000, 4, marked ? u"订单2" : u"");
    lists.AppendCutRow(u"Φ12", 1234.5, 5, u"");
    lists.AppendCutRow(u"Φ16", 4000, 3, u"");
    lists.AppendCutRow(u"Φ16", 2500, 2, marked ? u"A-7" : u"");
    lists.AppendStockRow(u"Φ12", 6000, 4, 1);
    lists.AppendStockRow(u"Φ12", 9000, -1, 0);
    lists.AppendStockRow(u"Φ16", 9000, 5, 0);
    lists.AppendStockRow(u"Φ16", 8000, 0, 0);
    lists.AppendStockRow(u"Φ20", 6000, 3, 0);
    return lists;
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(value));
    return text;
}

// A double as the shortest text that reads back to it, whole numbers in full.
std::string Exact(double value)
{
    char text[64];
    if (value == static_cast<double>(static_cast<int64_t>(value)) && value > -1e15 && value < 1e15) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
        return text;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

std::string U8(const std::u16string& text) { return Utf16ToUtf8(text); }

std::string Border(const CellBorder& border)
{
    return std::to_string(border.lineStyle) + "/" + std::to_string(border.weight);
}

// Everything the saved workbook and the spreadsheet application see.
std::string ListWorkbook(const Workbook& book)
{
    std::string out = "active " + std::to_string(book.activeSheet) + "\n";
    for (const Worksheet& sheet : book.sheets) {
        const PageSetup& page = sheet.pageSetup;
        out += "sheet " + U8(sheet.name) + "\n";
        out += "  page landscape=" + std::to_string(page.landscape) + " paper=" + std::to_string(page.paper) +
               " wide=" + std::to_string(page.fitPagesWide) + " scale=" + std::to_string(page.scale) +
               " titles=" + std::to_string(page.titleFirstRow) + "-" + std::to_string(page.titleLastRow) + " breaks=";
        for (int32_t row : page.breaksBefore) out += std::to_string(row) + ",";
        out += "\n";
        for (const auto& [column, width] : sheet.columnWidths)
            out += "  width " + ColumnLetters(column) + " " + Exact(width) + "\n";
        for (const auto& [row, height] : sheet.rowHeights)
            out += "  height " + std::to_string(row) + " " + Exact(height) + "\n";
        for (const CellRange& r : sheet.merges)
            out += "  merge " + ColumnLetters(r.column1) + std::to_string(r.row1) + ":" + ColumnLetters(r.column2) +
                   std::to_string(r.row2) + "\n";
        for (const auto& [key, cell] : sheet.cells) {
            out += "  " + ColumnLetters(key.second) + std::to_string(key.first) + " ";
            switch (cell.kind) {
                case Cell::Kind::Empty:
                    out += "empty";
                    break;
                case Cell::Kind::Text:
                    out += "t:" + U8(cell.text);
                    break;
                case Cell::Kind::Number:
                    out += "n:" + Exact(cell.number);
                    break;
                case Cell::Kind::Formula:
                    out += "f:" + U8(cell.text) + "=" +
                           (cell.resultIsText ? U8(cell.resultText) : Exact(cell.resultNumber));
                    break;
            }
            const CellFormat& f = cell.format;
            out += " | " + std::string(f.bold ? "bold " : "") + Exact(f.fontSize) + " " + Hex(f.fontColour) +
                   (f.hasFill ? " fill " + Hex(f.fill) : "") + (f.centred ? " centred" : "") +
                   (f.numberFormat.empty() ? "" : " format " + U8(f.numberFormat)) + " t" + Border(f.top) + " b" +
                   Border(f.bottom) + " l" + Border(f.left) + " r" + Border(f.right) + "\n";
        }
    }
    return out;
}

const char* PartKind(BarPartKind kind)
{
    switch (kind) {
        case BarPartKind::Piece:
            return "piece";
        case BarPartKind::Kerf:
            return "kerf";
        case BarPartKind::Remnant:
            return "remnant";
    }
    return "?";
}

std::string ListTable(const SheetTable& table)
{
    std::string out = "table " + U8(table.title) + "\n  widths";
    for (double width : table.columnWidths) out += " " + Exact(width);
    out += "\n";
    auto cells = [&out](const char* what, const std::vector<std::u16string>& texts) {
        out += std::string("  ") + what;
        for (const std::u16string& text : texts) out += " | " + U8(text);
        out += "\n";
    };
    cells("header", table.header);
    for (const auto& row : table.rows) cells("row", row);
    cells("totals", table.totals);
    return out;
}

// Everything the PDF and the printer are painted from, and the pages.
std::string ListSheet(const CuttingSheet& sheet)
{
    std::string out = "title " + U8(sheet.title) + "\nmade " + U8(sheet.madeAt) + "\nlandscape " +
                      std::to_string(sheet.landscape) + "\n";
    for (const SheetSection& section : sheet.sections) {
        out += "section " + U8(section.spec) + "\n";
        for (const std::u16string& line : section.headerLines) out += "  header " + U8(line) + "\n";
        for (const SheetBarRow& row : section.rows) {
            out += "  row " + U8(row.number) + " group=" + std::to_string(row.markGroup) +
                   " marks=" + std::to_string(row.withMarks) + " bar=" + Exact(row.barLength) +
                   " bars=" + std::to_string(row.barCount) + "\n    composition " + U8(row.composition) +
                   "\n    figures " + U8(row.figures) + "\n";
            for (const BarPart& part : row.parts)
                out += std::string("    ") + PartKind(part.kind) + " " + Exact(part.start) + " " + Exact(part.length) +
                       " colour " + std::to_string(part.colourIndex) + " [" + U8(part.label) + "] [" + U8(part.mark) +
                       "]\n";
        }
    }
    out += ListTable(sheet.stock);
    out += ListTable(sheet.leftover);
    for (bool landscape : {false, true}) {
        out += landscape ? "landscape pages\n" : "portrait pages\n";
        for (const SheetPage& page : PaginateSheet(sheet, SheetBodyHeight(landscape))) {
            out += "  page longest=" + Exact(page.longestBar);
            for (const SheetItem& item : page.items)
                out += " " + std::to_string(static_cast<int>(item.kind)) + ":" + std::to_string(item.section) + "." +
                       std::to_string(item.row);
            out += "\n";
        }
    }
    return out;
}

// Local time printed as UTC while it lives, so that the sheet's date does not
// depend on the machine's time zone.
class UtcClock {
public:
    UtcClock()
    {
        const char* zone = std::getenv("TZ");
        m_had = zone != nullptr;
        if (m_had) m_zone = zone;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~UtcClock()
    {
        if (m_had)
            setenv("TZ", m_zone.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    std::string m_zone;
};

class ReportReferencesTest : public RecordingReportTest {
protected:
    void Plan(bool marked)
    {
        JobError error;
        ASSERT_TRUE(PlanJob(m_job, ReferenceLists(marked), error, 5, 10, 0, 1)) << error.code;
        // The marks reach the reports only when the cut list has some.
        ASSERT_EQ(m_job.m_markText.empty(), !marked);
    }

    // Compares content with the reference file name, or writes it there when
    // asked to.
    void Expect(const std::string& name, const std::string& content)
    {
        const fs::path reference = fs::u8path(TREVAK_TEST_DATA_DIR) / "reports" / fs::u8path(name);
        if (std::getenv("TREVAK_WRITE_REPORT_REFERENCES") != nullptr) {
            fs::create_directories(reference.parent_path());
            std::ofstream(reference, std::ios::binary) << content;
            ADD_FAILURE() << "reference written: " << reference.u8string();
            return;
        }
        const std::string expected = TempFolder::ReadFile(reference.u8string());
        ASSERT_FALSE(expected.empty()) << "no reference " << reference.u8string();
        EXPECT_EQ(content, expected) << "differs from " << reference.u8string();
    }

    std::string Written(const std::string& name, const std::function<bool(const std::string&)>& write)
    {
        const std::string path = m_folder.File(name);
        EXPECT_TRUE(write(path)) << name;
        return TempFolder::ReadFile(path);
    }

    std::string Workbook(const std::function<void(SpreadsheetConnection&)>& build)
    {
        SpreadsheetConnection connection;
        connection.Start();
        build(connection);
        return ListWorkbook(connection.Book());
    }

    std::string Sheet(double minimumLeftover)
    {
        const UtcClock utc;
        SheetSettings settings;
        settings.madeAt = 1767225600;  // 2026-01-01 00:00 UTC
        settings.speedLevel = 1;
        settings.minimumLeftover = minimumLeftover;
        return ListSheet(BuildCuttingSheet(m_job, settings));
    }

    void ExpectEveryReport(const std::string& prefix, bool withMarks, double minimumLeftover)
    {
        const WireOptimize_Whole& job = m_job;
        Expect(prefix + "-plan.txt",
               Written("plan.txt", [&](const std::string& path) { return WritePlanTextReport(job, path); }));
        Expect(prefix + "-leftover.txt", Written("leftover.txt", [&](const std::string& path) {
                   return WriteLeftoverTextReport(job, minimumLeftover, path);
               }));
        Expect(prefix + "-plan.doc", Written("plan.doc", [&](const std::string& path) {
                   return WritePlanDocument(job, withMarks, path, false);
               }));
        Expect(prefix + "-leftover.doc", Written("leftover.doc", [&](const std::string& path) {
                   return WriteLeftoverDocument(job, minimumLeftover, path, false);
               }));
        Expect(prefix + "-plan-workbook.txt",
               Workbook([&](SpreadsheetConnection& c) { BuildPlanWorkbook(c, job, withMarks); }));
        Expect(prefix + "-leftover-workbook.txt",
               Workbook([&](SpreadsheetConnection& c) { BuildLeftoverWorkbook(c, job, minimumLeftover); }));
        Expect(prefix + "-sheet.txt", Sheet(minimumLeftover));
        EXPECT_TRUE(m_sink.m_messages.empty());
    }

    WireOptimize_Whole m_job;
};

TEST_F(ReportReferencesTest, EveryReportOfAMarkedPlan)
{
    Plan(true);
    ExpectEveryReport("marked", true, DEFAULT_MINIMUM_LEFTOVER_LENGTH);
}

TEST_F(ReportReferencesTest, EveryReportOfAnUnmarkedPlan)
{
    Plan(false);
    // A higher minimum leaves some leftovers out.
    ExpectEveryReport("unmarked", false, 1000);
}

}  // namespace
