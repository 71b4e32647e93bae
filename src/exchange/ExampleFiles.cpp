#include "exchange/ExampleFiles.h"

#include <filesystem>
#include <system_error>

#include "automation/SheetCells.h"
#include "automation/SpreadsheetConnection.h"
#include "base/Codepage.h"
#include "base/ReportConventions.h"
#include "base/ReportFile.h"
#include "exchange/ExampleLists.h"

namespace fs = std::filesystem;

ListKind g_exampleListKind = LIST_CUT;

namespace {

constexpr int32_t LAST_COLUMN = 5;  // E
constexpr double FONT_SIZE = 11;
constexpr double ROW_HEIGHT = 19;
constexpr uint32_t BLACK = 0x000000;

const char* const CONFIG_FOLDER_NAME = "Config";

}  // namespace

bool WriteTextExampleFile(const std::string& path, ListKind kind)
{
    ReportFile file;
    file.Open(path);
    for (const std::u16string& line : ExampleTextLines(kind))
        file.Write(line);
    return file.Finish(false);
}

void ShowTextExample(const std::string& programFolder, ListKind kind)
{
    const fs::path folder = fs::u8path(programFolder) / CONFIG_FOLDER_NAME;
    std::error_code error;
    fs::create_directories(folder, error);  // a failure shows when the file is written
    const std::string path = (folder / fs::u8path(EXAMPLE_TEXT_FILE_NAME)).u8string();
    WriteTextExampleFile(path, kind);
    OpenInTextEditor(path);
}

void BuildExampleWorkbook(SpreadsheetConnection& sheet, ListKind kind)
{
    const bool cut = kind == LIST_CUT;
    // The rows the example text gives, so that both examples always agree.
    const InputLists lists = ExampleJobLists();
    const int32_t n = int32_t(cut ? lists.CutRowCount() : lists.StockRowCount());

    sheet.Start();
    sheet.SelectSheet(1);
    sheet.SetSheetName(cut ? u"下料信息导入文件格式示例" : u"原料信息导入文件格式示例");
    SetColumnWidthAt(sheet, 1, 8);
    SetColumnWidthAt(sheet, 2, 40);
    SetColumnWidthAt(sheet, 3, 18);

    WriteTextCell(sheet, 1, 1, u"序 号");
    WriteTextCell(sheet, 2, 1, u"规 格");
    WriteTextCell(sheet, 3, 1, u"长 度");
    WriteTextCell(sheet, 4, 1, cut ? u"数 量" : u"库存数量");
    WriteTextCell(sheet, 5, 1, cut ? u"标 记" : u"优先使用");

    for (int32_t i = 0; i < n; ++i) {
        const int32_t row = i + 2;
        WriteNumberCell(sheet, 1, row, double(i) + 1);
        if (cut) {
            WriteTextCell(sheet, 2, row, lists.m_cutSpec[i]);
            WriteNumberCell(sheet, 3, row, lists.m_cutLength[i]);
            WriteNumberCell(sheet, 4, row, lists.m_cutQuantity[i]);
            WriteTextCell(sheet, 5, row, lists.m_cutMark[i]);
        } else {
            WriteTextCell(sheet, 2, row, lists.m_stockSpec[i]);
            WriteNumberCell(sheet, 3, row, lists.m_stockLength[i]);
            if (lists.m_stockQuantity[i] < 1)
                WriteTextCell(sheet, 4, row, u"不限");
            else
                WriteNumberCell(sheet, 4, row, lists.m_stockQuantity[i]);
            WriteTextCell(sheet, 5, row, lists.m_stockPriority[i] == 1 ? u"优先" : u"");
        }
    }

    // The whole table: header and rows.
    sheet.SelectRange(1, 1, LAST_COLUMN, n + 1);
    ThinBorder(sheet);
    sheet.SetFont(false, FONT_SIZE, BLACK);
    sheet.CentreCells();
    sheet.SetRowHeight(ROW_HEIGHT);

    sheet.FitColumns(1, 1, 1);
    sheet.FitColumns(2, LAST_COLUMN, 4);
    sheet.SelectSheet(1);
    sheet.ActivateSheet();
}

bool WriteExampleWorkbook(const std::string& path, ListKind kind, std::u16string& error)
{
    error.clear();
    SpreadsheetConnection sheet;
    BuildExampleWorkbook(sheet, kind);
    const bool saved = sheet.SaveAs(path, error);
    sheet.CloseAll();
    sheet.Release();
    if (!saved && error.empty())
        error = u"文件 < " + Utf8ToUtf16(path) + u" > 写入有误 !";
    return saved;
}

bool ShowSpreadsheetExample(ListKind kind, std::string& savedPath)
{
    SpreadsheetConnection sheet;
    BuildExampleWorkbook(sheet, kind);
    const bool shown = sheet.ShowToUser(WorkbookFolder(), MakeReportName(REPORT_PREFIX), savedPath);
    sheet.Release();
    return shown;
}
