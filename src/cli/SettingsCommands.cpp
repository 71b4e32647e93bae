#include "cli/SettingsCommands.h"

#include "base/FormatLength.h"
#include "cli/CliCommon.h"
#include "exchange/SettingsFile.h"

namespace {

// The captions of the length-kinds choices, as the window's combo box shows them.
const char* KindsCaption(int32_t kinds)
{
    static const char* const captions[] = {"不限制", "1 种", "2 种", "3 种", "4 种", "5 种"};
    return kinds >= 0 && kinds <= 5 ? captions[kinds] : "?";
}

}  // namespace

int RunSaveSettingsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CommandOptions reader("save-settings",
                          "Writes both lists (text list files) and the parameters as the program's settings file.",
                          err);
    std::string cutFile, stockFile, outFile;
    ParameterOptions parameters;
    reader.AddText("--cut", cutFile, "FILE", "cut list as a text list file");
    reader.AddText("--stock", stockFile, "FILE", "stock list as a text list file");
    reader.AddParameters(parameters);
    reader.AddText("--out", outFile, "FILE", "the settings file to write (QRMCfg.txt)")->required();
    if (reader.Parse(args) != 0)
        return 2;
    if (outFile.empty()) {
        reader.Error() << "needs --out FILE\n" << reader.Help();
        return 2;
    }
    InputLists lists;
    if (!cutFile.empty()) {
        if (const int status = ReadListFile("save-settings", cutFile, LIST_CUT, lists, err))
            return status;
    }
    if (!stockFile.empty()) {
        if (const int status = ReadListFile("save-settings", stockFile, LIST_STOCK, lists, err))
            return status;
    }
    SettingsRecord record;
    record.m_trimLength = parameters.trim.value_or(record.m_trimLength);
    record.m_kerfWidth = parameters.kerf.value_or(record.m_kerfWidth);
    record.m_maxLengthKinds = parameters.kinds.value_or(record.m_maxLengthKinds);
    record.m_speedLevel = parameters.level.value_or(record.m_speedLevel);
    if (!SaveSettings(outFile, lists, record)) {
        reader.Error() << "cannot write '" << outFile << "'\n";
        return 2;
    }
    out << outFile << ": " << lists.CutRowCount() << " cut rows, " << lists.StockRowCount() << " stock rows\n";
    return 0;
}

int RunShowSettingsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CommandOptions reader("show-settings", "Prints the lists and the parameters of a settings file.", err);
    std::string path;
    const CLI::Option* file = reader.AddWord("FILE", path, "the settings file (QRMCfg.txt)");
    if (reader.Parse(args) != 0)
        return 2;
    if (file->count() == 0 || !reader.Extra().empty()) {
        err << reader.Help();
        return 2;
    }
    InputLists lists;
    SettingsRecord record;
    if (const int status = LoadSettingsFile("show-settings", path, lists, record, err))
        return status;
    out << "下料 " << lists.CutRowCount() << " 行  (规格  长度  数量  标记)\n";
    for (std::size_t i = 0; i < lists.CutRowCount(); ++i)
        out << "  " << Utf8(EscapeControls(lists.m_cutSpec[i])) << "  " << FormatLength(lists.m_cutLength[i]) << "  "
            << lists.m_cutQuantity[i] << "  " << Utf8(EscapeControls(lists.m_cutMark[i])) << "\n";
    out << "原料 " << lists.StockRowCount() << " 行  (规格  长度  库存数量  优先使用)\n";
    for (std::size_t i = 0; i < lists.StockRowCount(); ++i) {
        const int32_t q = lists.m_stockQuantity[i];
        out << "  " << Utf8(EscapeControls(lists.m_stockSpec[i])) << "  " << FormatLength(lists.m_stockLength[i]) << "  ";
        // Unlimited stock keeps the count last entered (shown in brackets).
        if (q > 0)
            out << q;
        else if (q < -1)
            out << "不限 (" << -int64_t(q) << ")";
        else
            out << "不限";
        out << (lists.m_stockPriority[i] == 1 ? "  优先" : "") << "\n";
    }
    out << "剔除料头 " << FormatLength(record.m_trimLength) << "\n";
    out << "切割缝宽 " << FormatLength(record.m_kerfWidth) << "\n";
    out << "长度种类不超过 " << KindsCaption(record.m_maxLengthKinds) << "\n";
    out << "速度等级 " << record.m_speedLevel << " (0 最优 … 5 最快)\n";
    return 0;
}
