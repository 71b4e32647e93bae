#include "cli/ListCommands.h"

#include "base/ReportFile.h"
#include "cli/CliCommon.h"
#include "cli/JsonText.h"
#include "exchange/ExampleFiles.h"
#include "exchange/SpreadsheetListFile.h"
#include "exchange/TextListFile.h"

namespace {

const char* const KIND_HELP = "cut or stock: the list the file holds";

bool ParseKind(const std::string& word, ListKind& kind)
{
    if (word == "cut") {
        kind = LIST_CUT;
        return true;
    }
    if (word == "stock") {
        kind = LIST_STOCK;
        return true;
    }
    return false;
}

// What reading a list file reported besides its rows.
struct ListFileReport {
    int64_t m_badLines = 0;
    std::u16string m_text;
};

// Reads a text or spreadsheet list file and appends its rows. Returns 0, or
// the exit status with its message written: 2 when the file cannot be read, 1
// when only a part of it was read (a workbook larger than the reading limits,
// a text file whose read ended at a limit).
int ReadAnyListFile(const char* command, const std::string& path, ListKind kind, InputLists& lists,
                    ListFileReport& report, std::ostream& err)
{
    if (IsSpreadsheetName(path)) {
        const SpreadsheetImportReport read = ImportSpreadsheetList(path, kind, lists);
        if (!read.m_opened) {
            err << "trevak-cli " << command << ": " << Utf8(read.m_error) << "\n";
            return 2;
        }
        report.m_badLines = read.m_reportedBadRowCount;
        report.m_text = read.m_badRowText;
        if (!report.m_text.empty())
            err << path << ":\n" << Utf8(report.m_text) << "\n";
        return read.m_truncated ? 1 : 0;
    }
    TextImportReport read;
    const int status = ReadListFile(command, path, kind, lists, err, &read);
    report.m_badLines = read.m_badLineCount;
    report.m_text = read.m_badLineText;
    return status;
}

std::size_t RowCount(const InputLists& lists, ListKind kind)
{
    return kind == LIST_CUT ? lists.CutRowCount() : lists.StockRowCount();
}

// Texts as a terminal may show them: control characters escaped.
std::string Shown(const std::u16string& text)
{
    return Utf8(EscapeControls(text));
}

void PrintRows(const InputLists& lists, ListKind kind, std::ostream& out)
{
    const char* const separator = "   ";
    if (kind == LIST_CUT) {
        for (std::size_t i = 0; i < lists.CutRowCount(); ++i)
            out << Shown(lists.m_cutSpec[i]) << separator << FormatRealExact(lists.m_cutLength[i]) << separator
                << lists.m_cutQuantity[i] << separator << Shown(lists.m_cutMark[i]) << "\n";
        return;
    }
    for (std::size_t i = 0; i < lists.StockRowCount(); ++i) {
        out << Shown(lists.m_stockSpec[i]) << separator << FormatRealExact(lists.m_stockLength[i]) << separator;
        if (lists.m_stockQuantity[i] < 1)
            out << "不限";
        else
            out << lists.m_stockQuantity[i];
        if (lists.m_stockPriority[i] == 1)
            out << separator << "优先";
        out << "\n";
    }
}

void PrintJson(const InputLists& lists, ListKind kind, const ListFileReport& report, std::ostream& out)
{
    Json rows = Json::array();
    for (std::size_t i = 0; i < RowCount(lists, kind); ++i) {
        if (kind == LIST_CUT)
            rows.push_back(Json::array({JsonString(lists.m_cutSpec[i]), lists.m_cutLength[i], lists.m_cutQuantity[i],
                                        JsonString(lists.m_cutMark[i])}));
        else
            rows.push_back(Json::array({JsonString(lists.m_stockSpec[i]), lists.m_stockLength[i],
                                        lists.m_stockQuantity[i], lists.m_stockPriority[i]}));
    }
    Json document;
    document["rows"] = std::move(rows);
    document["badLines"] = report.m_badLines;
    document["report"] = JsonString(report.m_text);
    out << JsonText(document) << "\n";
}

}  // namespace

int RunImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CommandOptions reader("import",
                          "Reads a list file (text, .xls or .xlsx) and prints its rows; bad lines are reported on "
                          "stderr.",
                          err);
    std::string kindWord, path;
    bool json = false;
    reader.AddWord("KIND", kindWord, KIND_HELP);
    const CLI::Option* file = reader.AddWord("FILE", path, "the list file");
    reader.App().add_flag("--json", json, "print the rows, the count of bad lines and their report as JSON");
    if (reader.Parse(args) != 0)
        return 2;
    ListKind kind = LIST_CUT;
    if (file->count() == 0 || !reader.Extra().empty() || !ParseKind(kindWord, kind)) {
        reader.Error() << "needs cut or stock and a file\n" << reader.Help();
        return 2;
    }
    InputLists lists;
    ListFileReport report;
    const int status = ReadAnyListFile("import", path, kind, lists, report, err);
    if (status == 2)
        return status;
    // A list read only in part is shown too, and the exit status says so.
    if (json)
        PrintJson(lists, kind, report, out);
    else
        PrintRows(lists, kind, out);
    return status;
}

int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CommandOptions reader("export",
                          "Reads a list file and writes it again: a spreadsheet when the out name contains .xls, else "
                          "text.",
                          err);
    std::string kindWord, from, to;
    reader.AddWord("KIND", kindWord, KIND_HELP);
    reader.AddText("--from", from, "FILE", "the list file to read (text, .xls or .xlsx)")->required();
    reader.AddText("--out", to, "FILE", "the file to write: a workbook for a name with .xls, else a text list file")
        ->required();
    if (reader.Parse(args) != 0)
        return 2;
    ListKind kind = LIST_CUT;
    if (!reader.Extra().empty() || !ParseKind(kindWord, kind) || from.empty() || to.empty()) {
        reader.Error() << "needs cut or stock, --from FILE and --out FILE\n" << reader.Help();
        return 2;
    }
    InputLists lists;
    ListFileReport report;
    if (const int status = ReadAnyListFile("export", from, kind, lists, report, err))
        return status;
    if (IsSpreadsheetName(to)) {
        std::u16string error;
        if (!ExportSpreadsheetList(to, kind, lists, error)) {
            reader.Error() << Utf8(error) << "\n";
            return 2;
        }
    } else if (!WriteTextList(to, kind, lists)) {
        reader.Error() << "cannot write '" << to << "'\n";
        return 2;
    }
    out << to << ": " << RowCount(lists, kind) << " rows\n";
    return 0;
}

int RunExampleCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CommandOptions reader("example", "Writes the example list as a text file and/or a workbook.", err);
    std::string kindWord, txt, xlsx;
    reader.AddWord("KIND", kindWord, KIND_HELP);
    reader.AddText("--txt", txt, "FILE", "write the example as a text list file");
    reader.AddText("--xlsx", xlsx, "FILE", "write the example as a workbook");
    if (reader.Parse(args) != 0)
        return 2;
    ListKind kind = LIST_CUT;
    if (!reader.Extra().empty() || !ParseKind(kindWord, kind) || (txt.empty() && xlsx.empty())) {
        reader.Error() << "needs cut or stock and --txt FILE or --xlsx FILE\n" << reader.Help();
        return 2;
    }
    if (!txt.empty()) {
        if (!WriteTextExampleFile(txt, kind)) {
            reader.Error() << "cannot write '" << txt << "'\n";
            return 2;
        }
        out << txt << "\n";
    }
    if (!xlsx.empty()) {
        std::u16string error;
        if (!WriteExampleWorkbook(xlsx, kind, error)) {
            reader.Error() << Utf8(error) << "\n";
            return 2;
        }
        out << xlsx << "\n";
    }
    return 0;
}
