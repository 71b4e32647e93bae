// The output commands ("结果输出", "剩料输出" with the stock update) and the
// list file commands ("导 入", "导 出", "导入文件格式").

#include <ctime>
#include <string>

#include <QCursor>
#include <QMenu>
#include <QPrinter>
#include <QString>

#include "base/ReportConventions.h"
#include "base/ReportFile.h"
#include "drawing/SheetRenderer.h"
#include "engine/StockUpdate.h"
#include "exchange/ExampleFiles.h"
#include "exchange/SpreadsheetListFile.h"
#include "exchange/TextListFile.h"
#include "platform/AppFolders.h"
#include "platform/DesktopOpener.h"
#include "platform/Prompts.h"
#include "reports/CuttingSheet.h"
#include "reports/SpreadsheetReports.h"
#include "reports/TextReports.h"
#include "reports/WordReports.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/FieldText.h"
#include "workbench/window/OutputDialogs.h"

namespace {

const QString COMPUTE_FIRST_MESSAGE = QStringLiteral("请先计算 !");
const QString WORKBOOK_NOT_SAVED_MESSAGE = QStringLiteral("电子表格无法保存到文件夹 %1 !");

const QString CANNOT_OPEN_MESSAGE = QStringLiteral("文件 %1 无法打开 !");
const QString PRINT_FAILED_MESSAGE = QStringLiteral("下料切割单无法打印 !");

const QString CUT_IMPORT_FILTER = QStringLiteral("下料文件 (*.txt;*.xls;*.xlsx)|*.txt;*.xls;*.xlsx|");
const QString STOCK_IMPORT_FILTER = QStringLiteral("原料文件 (*.txt;*.xls;*.xlsx)|*.txt;*.xls;*.xlsx|");
const QString CUT_EXPORT_FILTER = QStringLiteral("下料文件 (*.xls)|*.xls|下料文件 (*.txt)|*.txt|");
const QString STOCK_EXPORT_FILTER = QStringLiteral("原料文件 (*.xls)|*.xls|原料文件 (*.txt)|*.txt|");

// A workbook handed to the user: saved in the workbook folder and opened. Says
// what went wrong when it was not.
void ReportWorkbookShown(QWidget* window, bool shown, const std::string& savedPath)
{
    if (shown)
        return;
    if (savedPath.empty())
        AppPrompts().Message(WORKBOOK_NOT_SAVED_MESSAGE.arg(QString::fromStdString(WorkbookFolder())), window);
    else
        AppPrompts().Message(NotOpenedMessage(QString::fromStdString(savedPath)), window);
}

// The cutting sheet of the plan as it stands: made now, at the level of the
// last run, listing the leftovers "剩料输出" would list.
CuttingSheet PlanSheet()
{
    SheetSettings settings;
    settings.madeAt = std::time(nullptr);
    settings.speedLevel = g_speedLevel;
    settings.minimumLeftover = g_outputOptions.minimumLength;
    return BuildCuttingSheet(g_job, settings);
}

// "PDF": the cutting sheet in the report folder, opened.
void ProducePlanSheet(QWidget* window)
{
    const std::string path = PrepareReportPath(".pdf");
    std::u16string error;
    if (!WriteCuttingSheetPdf(PlanSheet(), path, error)) {
        AppPrompts().Message(error, window);
        return;
    }
    OpenWithShell(path);
}

// "打印": the same sheet through the print dialog.
void PrintPlanSheet(QWidget* window)
{
    const CuttingSheet sheet = PlanSheet();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(SheetPageLayout(sheet.landscape));
    printer.setDocName(QString::fromStdU16String(sheet.title));
    if (!AppPrompts().ChoosePrinter(window, printer))
        return;
    // Printed to a PDF file: written as the PDF choice writes it, so that
    // its text reads as Chinese too.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        std::u16string error;
        const QPageLayout layout = printer.pageLayout();
        if (!WriteCuttingSheetPdf(sheet, printer.outputFileName().toStdString(), error, &layout))
            AppPrompts().Message(error, window);
        return;
    }
    if (!PaintCuttingSheet(printer, sheet))
        AppPrompts().Message(PRINT_FAILED_MESSAGE, window);
}

}  // namespace

// ---------------------------------------------------------------------------
// Output

void CParvexDlg::OnOutputCommand()
{
    if (g_job.m_groups.empty() || m_planOutOfDate) {
        AppPrompts().Message(COMPUTE_FIRST_MESSAGE, this);
        return;
    }
    Dlg_MSG_DOUBLE2 dialog(this);
    dialog.m_choice = g_outputOptions.lastFormat;
    if (dialog.exec() != QDialog::Accepted)
        return;
    g_outputOptions.lastFormat = dialog.m_choice;

    // The with-marks form when a cut row had a mark at the last run.
    const bool withMarks = !g_job.m_markSpec.empty();
    switch (dialog.m_choice) {
    case OUTPUT_TEXT:
        ProducePlanTextReport(g_job);
        break;
    case OUTPUT_DOCUMENT:
        ProducePlanDocument(g_job, withMarks);
        break;
    case OUTPUT_WORKBOOK: {
        std::string saved;
        const bool shown = ShowPlanWorkbook(g_job, withMarks, saved);
        ReportWorkbookShown(this, shown, saved);
        break;
    }
    case OUTPUT_PDF:
        ProducePlanSheet(this);
        break;
    case OUTPUT_PRINT:
        PrintPlanSheet(this);
        break;
    default:
        break;
    }
}

void CParvexDlg::OnPrintCommand()
{
    // Only while "结果输出" is offered: a plan exists and no run is going on.
    if (g_job.m_groups.empty() || !m_outputButton->isEnabled())
        return;
    PrintPlanSheet(this);
}

void CParvexDlg::OnLeftoverCommand()
{
    // The leftovers of a plan made for other lists would replace rows the
    // user has added since.
    if (m_planOutOfDate)
        return;
    Dlg_MSG_DOUBLE dialog(this);
    dialog.m_minimumLength = g_outputOptions.minimumLength;
    dialog.m_addRemnants = g_outputOptions.addRemnants;
    dialog.m_remnantsPreferred = g_outputOptions.remnantsPreferred;
    // The cutting sheet is no leftover report: after it Enter gives the first
    // choice's default.
    const int last = g_outputOptions.lastFormat;
    dialog.m_choice = last == OUTPUT_PDF || last == OUTPUT_PRINT ? OutputOptions().lastFormat : last;
    dialog.ShowValues();
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Kept also when the controls were disabled.
    g_outputOptions.minimumLength = dialog.m_minimumLength;
    g_outputOptions.addRemnants = dialog.m_addRemnants;
    g_outputOptions.remnantsPreferred = dialog.m_remnantsPreferred;

    const double minimum = g_outputOptions.minimumLength;
    switch (dialog.m_choice) {
    case OUTPUT_UPDATE_STOCK: {
        StockUpdateOptions options;
        options.addRemnants = g_outputOptions.addRemnants;
        options.remnantsPreferred = g_outputOptions.remnantsPreferred;
        options.minimumLength = minimum;
        UpdateStockFromLeftovers(g_job, options, m_lists);
        RefillStockTable();
        NoteChange(ChangeKind::Lists);
        return;
    }
    case OUTPUT_TEXT:
        ProduceLeftoverTextReport(g_job, minimum);
        break;
    case OUTPUT_DOCUMENT:
        ProduceLeftoverDocument(g_job, minimum);
        break;
    case OUTPUT_WORKBOOK: {
        std::string saved;
        const bool shown = ShowLeftoverWorkbook(g_job, minimum, saved);
        ReportWorkbookShown(this, shown, saved);
        break;
    }
    default:
        return;
    }
    g_outputOptions.lastFormat = dialog.m_choice;
}

// ---------------------------------------------------------------------------
// List files

bool CParvexDlg::AskReplaceList(ListKind kind)
{
    if (m_lists.RowCount(kind) == 0)
        return false;
    return AppPrompts().AskYesNo(ToQString(ReplaceListQuestion(kind)), ToQString(LIST_QUESTION_CAPTION), this);
}

bool CParvexDlg::ImportList(ListKind kind)
{
    const QString chosen =
        AppPrompts().OpenFileName(this, kind == LIST_CUT ? CUT_IMPORT_FILTER : STOCK_IMPORT_FILTER);
    if (chosen.isEmpty())
        return false;
    const std::string path = chosen.toStdString();

    // The rows are read into a copy and the list is replaced only once the
    // file could be read: a file that cannot be read never costs the user
    // the rows already in the list.
    InputLists imported = m_lists;
    auto startImport = [&] {
        if (AskReplaceList(kind))
            imported.ClearList(kind);
    };

    if (IsSpreadsheetName(path)) {
        startImport();
        const SpreadsheetImportReport report = ImportSpreadsheetList(path, kind, imported);
        if (!report.m_opened) {
            AppPrompts().Message(report.m_error, this);
            return false;
        }
        m_lists = std::move(imported);
        if (report.m_reportedBadRowCount > 0)
            AppPrompts().Message(report.m_badRowText, this);
        return true;
    }

    TextFileReader reader;
    const TextListOpenResult opened = OpenTextList(path, reader);
    if (opened == TextListOpenResult::Utf16LE || opened == TextListOpenResult::Utf16BE) {
        AppPrompts().ShowMessageBox(this, ToQString(TextListOpenMessage(opened)), ToQString(FILE_FORMAT_CAPTION),
                                    PromptIcon::None, PromptButtons::Ok);
        return false;
    }
    if (opened == TextListOpenResult::CannotOpen) {
        AppPrompts().Message(CANNOT_OPEN_MESSAGE.arg(chosen), this);
        return false;
    }
    startImport();
    const TextImportReport report = ReadTextList(reader, kind, imported);
    m_lists = std::move(imported);
    if (report.m_badLineCount > 0)
        AppPrompts().Message(report.m_badLineText, this);
    return true;
}

void CParvexDlg::ExportList(ListKind kind)
{
    const QString chosen =
        AppPrompts().SaveFileName(this, kind == LIST_CUT ? CUT_EXPORT_FILTER : STOCK_EXPORT_FILTER);
    if (chosen.isEmpty())
        return;
    const std::string path = chosen.toStdString();
    if (IsSpreadsheetName(path)) {
        std::u16string error;
        if (!ExportSpreadsheetList(path, kind, m_lists, error))
            AppPrompts().Message(error, this);
        return;
    }
    // A list the user asked to keep must not be lost silently.
    if (!WriteTextList(path, kind, m_lists))
        AppPrompts().Message(WriteErrorMessage(path), this);
}

void CParvexDlg::OnImportList(int list)
{
    const ListKind kind = list == LIST_STOCK ? LIST_STOCK : LIST_CUT;
    if (!ImportList(kind))
        return;
    RefillTable(kind);
    NoteChange(ChangeKind::Lists);
}

void CParvexDlg::OnExportList(int list)
{
    ExportList(list == LIST_STOCK ? LIST_STOCK : LIST_CUT);
}

void CParvexDlg::ShowFormatMenu(int list)
{
    g_exampleListKind = list == LIST_STOCK ? LIST_STOCK : LIST_CUT;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("formatMenu"));
    connect(menu.addAction(QStringLiteral("TXT 格式")), &QAction::triggered, this, [this] { WriteTextExample(); });
    connect(menu.addAction(QStringLiteral("XLS 格式")), &QAction::triggered, this,
            [this] { ShowSpreadsheetExample(); });
    const QSize size = menu.sizeHint();
    menu.exec(QCursor::pos() - QPoint(size.width() / 2, size.height() / 2));
}

void CParvexDlg::WriteTextExample()
{
    ShowTextExample(g_programFolder, g_exampleListKind);
}

void CParvexDlg::ShowSpreadsheetExample()
{
    std::string saved;
    const bool shown = ::ShowSpreadsheetExample(g_exampleListKind, saved);
    ReportWorkbookShown(this, shown, saved);
}
