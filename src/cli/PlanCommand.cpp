#include "cli/PlanCommand.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>

#include "base/Codepage.h"
#include "base/FormatLength.h"
#include "base/Messages.h"
#include "cli/CliCommon.h"
#include "cli/JsonText.h"
#include "engine/ResultText.h"
#include "engine/Run.h"
#include "exchange/ExampleLists.h"
#include "exchange/SettingsFile.h"
#include "exchange/TextListFile.h"
#include "reports/SpreadsheetReports.h"
#include "reports/TextReports.h"
#include "reports/WordReports.h"

namespace {

struct PlanOptions {
    std::string cutFile;
    std::string stockFile;
    std::string settingsFile;
    bool example = false;
    ParameterOptions parameters;
    bool json = false;
    std::string reportKind;    // "txt", "doc", "xlsx" or "pdf": the plan report
    std::string leftoverKind;  // "txt" or "doc": the leftover report
    double minimumLeftover = DEFAULT_MINIMUM_LEFTOVER_LENGTH;
    std::string outFile;
    std::optional<double> timeLimit;  // seconds
    bool optimal = false;             // the exact optimiser instead of a speed level
};

// Seconds per group of the exact optimiser when no --time-limit is given.
constexpr double DEFAULT_OPTIMAL_SECONDS = 10;

using Clock = std::chrono::steady_clock;

// The run of the command line with a time limit: once the time is up it is
// withdrawn at its next check, as the interrupt button withdraws a run.
class DeadlineRun : public RunHooks {
public:
    explicit DeadlineRun(std::optional<double> seconds)
    {
        if (seconds)
            m_end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*seconds));
    }
    void DispatchPending() override
    {
        if (m_end && Clock::now() >= *m_end)
            g_resultWindow = nullptr;
    }

private:
    std::optional<Clock::time_point> m_end;
};

CuttingSheetWriter g_cuttingSheetWriter = nullptr;

class CollectMessages : public MessageSink {
public:
    void ShowMessage(const std::u16string& text) override { m_messages.push_back(text); }
    std::vector<std::u16string> m_messages;
};

// Reads a number from an option's text: false unless the whole text is a
// finite number in the C locale.
bool ReadNumber(const std::string& text, double& number)
{
    char* end = nullptr;
    number = ParseRealC(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(number);
}

bool ParseOptions(const std::vector<std::string>& args, PlanOptions& options, std::ostream& err)
{
    CommandOptions reader("plan", "Plans a job and prints its cutting patterns, or writes a report of the plan.", err);
    reader.AddText("--cut", options.cutFile, "FILE",
                   "cut list as a text list file (specification, length, quantity, mark)");
    reader.AddText("--stock", options.stockFile, "FILE",
                   "stock list as a text list file (specification, length, quantity, 优先)");
    reader.App().add_flag("--example", options.example, "plan the built-in example job instead of files");
    reader.AddText("--settings", options.settingsFile, "FILE",
                   "take both lists and the parameters from a settings file (QRMCfg.txt);\n"
                   "parameters given as options override those of the file");
    reader.AddParameters(options.parameters);
    reader.App().add_flag("--optimal", options.optimal,
                          "the exact optimiser (精确): the least stock, at most --time-limit seconds per\n"
                          "specification (default 10), keeping the best plan found when the time is up");
    reader.AddValue(
        "--time-limit",
        [&options](const std::string& text) -> std::string {
            double seconds = 0;
            if (!ReadNumber(text, seconds) || seconds <= 0)
                return "--time-limit needs a number of seconds above 0, not '" + text + "'";
            options.timeLimit = seconds;
            return std::string();
        },
        "S", "end the run after S seconds as the interrupt button does (exit status 1)");
    reader.App().add_flag("--json", options.json, "print the plan as JSON");
    const auto kind = [](const char* name, std::string& kept, bool pdf) {
        return [name, &kept, pdf](const std::string& text) -> std::string {
            const bool isPdf = pdf && text == "pdf";
            if (text != "txt" && text != "doc" && text != "xlsx" && !isPdf)
                return std::string(name) + (pdf ? " takes txt, doc, xlsx or pdf" : " takes txt, doc or xlsx") +
                       ", not '" + text + "'";
            if (isPdf && !g_cuttingSheetWriter)
                return "the pdf report is not available in this build (it needs Qt)";
            kept = text;
            return std::string();
        };
    };
    reader.AddValue("--report", kind("--report", options.reportKind, true), "KIND",
                    "write the plan report (txt: text, doc: rich-text document, xlsx: workbook,\n"
                    "pdf: the cutting sheet, leftovers of at least --min X listed) to --out FILE");
    reader.AddValue("--leftover", kind("--leftover", options.leftoverKind, false), "KIND",
                    "write the leftover report (txt, doc or xlsx) to --out FILE, leftovers of at\n"
                    "least --min X (default 100)");
    bool haveMinimum = false;
    reader.AddValue(
        "--min",
        [&options, &haveMinimum](const std::string& text) -> std::string {
            if (!ReadNumber(text, options.minimumLeftover))
                return "--min needs a number, not '" + text + "'";
            haveMinimum = true;
            return std::string();
        },
        "X", "the shortest leftover the leftover report or the cutting sheet lists");
    reader.AddText("--out", options.outFile, "FILE", "the file the report is written to");
    if (reader.Parse(args) != 0)
        return false;

    const int sources = int(options.example) + int(!options.settingsFile.empty()) +
                        int(!options.cutFile.empty() || !options.stockFile.empty());
    if (sources > 1) {
        reader.Error() << "take the job from list files, from --settings or from --example, not from several\n";
        return false;
    }
    if (!options.reportKind.empty() && !options.leftoverKind.empty()) {
        reader.Error() << "write either --report or --leftover in one run\n";
        return false;
    }
    if ((!options.reportKind.empty() || !options.leftoverKind.empty()) != !options.outFile.empty()) {
        reader.Error() << (options.outFile.empty() ? "--report and --leftover need --out FILE\n"
                                                   : "--out needs --report or --leftover\n");
        return false;
    }
    if (options.optimal && options.parameters.level) {
        reader.Error() << "--optimal replaces --level: give one of them\n";
        return false;
    }
    if (haveMinimum && options.leftoverKind.empty() && options.reportKind != "pdf") {
        reader.Error() << "--min goes with --leftover or --report pdf\n";
        return false;
    }
    return true;
}

// Display width of a UTF-16 text in a terminal: wide (CJK) characters take two columns.
std::size_t DisplayWidth(const std::u16string& text)
{
    std::size_t width = 0;
    for (char16_t c : text) {
        if (c >= 0xDC00 && c <= 0xDFFF)
            continue;  // the second half of a pair
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0xD800 && c <= 0xDBFF);
        width += wide ? 2 : 1;
    }
    return width;
}

void PrintTable(const WireOptimize_Whole& job, std::ostream& out)
{
    std::vector<std::vector<std::u16string>> rows;
    rows.push_back({u"序号", u"规格", u"原料长度", u"下料组合", u"数量", u"利用率", u"余料长度"});
    int row = 0;
    for (const WireOptimize& g : job.m_groups) {
        for (const WireCombine& p : g.m_patterns) {
            ++row;
            rows.push_back({Widen(std::to_string(row)), g.m_spec, Widen(FormatLength(p.m_barLength)), PatternText(p),
                            Widen(std::to_string(p.m_barCount)), PercentText(p.m_utilisation),
                            Widen(FormatLength(p.m_remnant))});
        }
    }
    if (row > 0) {
        // The total stock length in whole units, as the result table shows it.
        const double total = std::trunc(job.m_totalLength);
        rows.push_back({u"共", u"", Widen(FormatFixed(total, 0)), u"", Widen(std::to_string(job.m_totalBars)),
                        PercentText(job.m_utilisation), u""});
    }
    std::vector<std::size_t> width(7, 0);
    for (const auto& r : rows)
        for (std::size_t c = 0; c < r.size(); ++c)
            width[c] = std::max(width[c], DisplayWidth(r[c]));
    for (const auto& r : rows) {
        std::string line;
        for (std::size_t c = 0; c < r.size(); ++c) {
            line += Utf16ToUtf8(r[c]);
            if (c + 1 < r.size())
                line += std::string(width[c] - DisplayWidth(r[c]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << "\n";
    }
}

// The bound of a group or of the job: "lowerBound" (null when unknown),
// "lowerBoundBars" where there is one stock length, and "optimal".
template <typename Planned>
void AddBound(Json& object, const Planned& planned)
{
    object["lowerBound"] = planned.m_lowerBound > 0 ? Json(planned.m_lowerBound) : Json(nullptr);
    if (planned.m_lowerBoundBars >= 0)
        object["lowerBoundBars"] = planned.m_lowerBoundBars;
    object["optimal"] = planned.m_optimal;
}

Json PatternJson(const WireCombine& p)
{
    Json pieces = Json::array();
    for (std::size_t t = 0; t < p.m_pieceLength.size(); ++t)
        pieces.push_back(Json::array({p.m_pieceLength[t], p.m_pieceCount[t]}));
    Json marks = Json::array();
    for (const WireCombine_Mark& m : p.m_markRecords) {
        Json markPieces = Json::array();
        for (std::size_t t = 0; t < m.m_pieceLength.size(); ++t)
            markPieces.push_back(Json::array({m.m_pieceLength[t], m.m_pieceCount[t], JsonString(m.m_pieceMark[t])}));
        Json mark;
        mark["barCount"] = m.m_barCount;
        mark["pieces"] = std::move(markPieces);
        marks.push_back(std::move(mark));
    }
    Json pattern;
    pattern["barLength"] = p.m_barLength;
    pattern["barCount"] = p.m_barCount;
    pattern["utilisation"] = p.m_utilisation;
    pattern["remnant"] = p.m_remnant;
    pattern["pieces"] = std::move(pieces);
    pattern["marks"] = std::move(marks);
    return pattern;
}

Json GroupJson(const WireOptimize& g)
{
    Json group;
    group["spec"] = JsonString(g.m_spec);
    group["totalLength"] = g.m_totalLength;
    group["totalBars"] = g.m_totalBars;
    group["utilisation"] = g.m_utilisation;
    AddBound(group, g);
    Json used = Json::array();
    for (std::size_t u = 0; u < g.m_usedLength.size(); ++u)
        used.push_back(Json::array({g.m_usedLength[u], g.m_usedBars[u], g.m_usedPieceLength[u]}));
    group["used"] = std::move(used);
    Json patterns = Json::array();
    for (const WireCombine& p : g.m_patterns)
        patterns.push_back(PatternJson(p));
    group["patterns"] = std::move(patterns);
    return group;
}

void WritePlanJson(const WireOptimize_Whole& job, std::ostream& out)
{
    Json plan;
    plan["error"] = nullptr;
    plan["totalLength"] = job.m_totalLength;
    plan["totalBars"] = job.m_totalBars;
    plan["utilisation"] = job.m_utilisation;
    AddBound(plan, job);
    Json groups = Json::array();
    for (const WireOptimize& g : job.m_groups)
        groups.push_back(GroupJson(g));
    plan["groups"] = std::move(groups);
    Json leftover = Json::array();
    for (std::size_t i = 0; i < job.m_leftoverLength.size(); ++i)
        leftover.push_back(Json::array({job.m_leftoverLength[i], job.m_leftoverQuantity[i],
                                        JsonString(job.m_leftoverSpec[i]), job.m_leftoverPriority[i]}));
    plan["leftover"] = std::move(leftover);
    out << JsonText(plan) << "\n";
}

void WriteErrorJson(const JobError& error, const std::u16string& message, std::ostream& out)
{
    Json problem;
    problem["code"] = error.code;
    problem["text"] = JsonString(error.text);
    problem["value"] = error.value;
    problem["message"] = JsonString(message);
    Json document;
    document["error"] = std::move(problem);
    out << JsonText(document) << "\n";
}

int ReportProblem(const PlanOptions& options, const JobError& error, const std::u16string& message,
                  std::ostream& out, std::ostream& err)
{
    if (options.json)
        WriteErrorJson(error, message, out);
    else
        err << Utf16ToUtf8(message) << "\n";
    return 1;
}

}  // namespace

int RunPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    PlanOptions options;
    if (!ParseOptions(args, options, err))
        return 2;

    InputLists lists;
    SettingsRecord settings;
    if (options.example) {
        lists = ExampleJobLists();
    } else if (!options.settingsFile.empty()) {
        if (const int status = LoadSettingsFile("plan", options.settingsFile, lists, settings, err))
            return status;
        if (settings.m_maxLengthKinds < 0 || settings.m_maxLengthKinds > 5 || settings.m_speedLevel < 0 ||
            settings.m_speedLevel > 5) {
            err << "trevak-cli plan: '" << options.settingsFile
                << "' holds a length-kinds limit or speed level outside 0 to 5\n";
            return 2;
        }
    } else {
        if (!options.cutFile.empty()) {
            if (const int status = ReadListFile("plan", options.cutFile, LIST_CUT, lists, err))
                return status;
        }
        if (!options.stockFile.empty()) {
            if (const int status = ReadListFile("plan", options.stockFile, LIST_STOCK, lists, err))
                return status;
        }
    }
    // Options override the parameters of a settings file, which override the defaults.
    PlanParameters parameters;
    parameters.m_trimLength = options.parameters.trim.value_or(settings.m_trimLength);
    parameters.m_kerfWidth = options.parameters.kerf.value_or(settings.m_kerfWidth);
    parameters.m_maxLengthKinds = options.parameters.kinds.value_or(settings.m_maxLengthKinds);
    parameters.m_speedLevel = options.parameters.level.value_or(settings.m_speedLevel);
    if (options.optimal) {
        parameters.m_exactPlan = true;
        parameters.m_exactSeconds = options.timeLimit.value_or(DEFAULT_OPTIMAL_SECONDS);
    }

    // What the compute command does before the run.
    lists.MergeCutList();
    lists.MergeStockList();

    CollectMessages messages;
    // At the exact level the limit is the optimiser's own, per group: it keeps
    // the best plan found instead of ending the run.
    DeadlineRun hooks(options.optimal ? std::nullopt : options.timeLimit);
    MessageSink* previousSink = g_messageSink;
    g_messageSink = &messages;
    PlanOutcome outcome;
    const bool planned = PlanLists(g_job, lists, parameters, hooks, outcome);

    if (!planned) {
        g_messageSink = previousSink;
        std::u16string message = outcome.m_check != PlanCheck::PASSED ? PlanCheckMessage(outcome.m_check)
                                                                      : JobErrorMessage(outcome.m_error);
        if (message.empty() && !messages.m_messages.empty())
            message = messages.m_messages.back();
        return ReportProblem(options, outcome.m_error, message, out, err);
    }

    // The report asked for, written as the window's output command writes it,
    // to the given file and not opened.
    bool written = true;
    std::u16string writeError;
    if (options.reportKind == "txt")
        written = WritePlanTextReport(g_job, options.outFile);
    else if (options.reportKind == "doc")
        written = WritePlanDocument(g_job, !g_job.m_markSpec.empty(), options.outFile, false);
    else if (options.leftoverKind == "txt")
        written = WriteLeftoverTextReport(g_job, options.minimumLeftover, options.outFile);
    else if (options.leftoverKind == "doc")
        written = WriteLeftoverDocument(g_job, options.minimumLeftover, options.outFile, false);
    else if (options.reportKind == "xlsx")
        written = WritePlanWorkbook(g_job, !g_job.m_markSpec.empty(), options.outFile, writeError);
    else if (options.leftoverKind == "xlsx")
        written = WriteLeftoverWorkbook(g_job, options.minimumLeftover, options.outFile, writeError);
    else if (options.reportKind == "pdf") {
        SheetSettings sheet;
        sheet.madeAt = std::time(nullptr);
        sheet.speedLevel = parameters.m_speedLevel;
        sheet.minimumLeftover = options.minimumLeftover;
        written = g_cuttingSheetWriter(g_job, sheet, options.outFile, writeError);
    }
    g_messageSink = previousSink;
    if (!written) {
        err << "trevak-cli plan: cannot write '" << options.outFile << "'";
        if (!writeError.empty())
            err << ": " << Utf16ToUtf8(writeError);
        err << "\n";
        return 2;
    }

    if (options.json)
        WritePlanJson(g_job, out);
    else
        PrintTable(g_job, out);
    return 0;
}

void SetCuttingSheetWriter(CuttingSheetWriter writer)
{
    g_cuttingSheetWriter = writer;
}
