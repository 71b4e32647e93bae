#include "cli/CliCommon.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "base/Codepage.h"
#include "base/FormatLength.h"
#include "exchange/TextListFile.h"

namespace {

bool ParseReal(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = ParseRealC(text.c_str(), &end);
    return end && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool ParseInt(const std::string& text, int32_t low, int32_t high, int32_t& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (!end || *end != '\0' || errno != 0 || v < low || v > high)
        return false;
    value = int32_t(v);
    return true;
}

}  // namespace

std::string Utf8(const std::u16string& text)
{
    return Utf16ToUtf8(text);
}

std::ostream& ArgumentReader::Error()
{
    return m_err << "trevak-cli " << m_command << ": ";
}

bool ArgumentReader::Value(std::string& value)
{
    if (m_i + 1 >= m_args.size()) {
        Error() << m_args[m_i] << " needs a value\n";
        return false;
    }
    value = m_args[++m_i];
    return true;
}

bool ArgumentReader::Parameter(ParameterOptions& parameters, bool& ok)
{
    const std::string option = Option();
    ok = true;
    if (option == "--trim" || option == "--kerf") {
        std::string v;
        double number = 0;
        if (!Value(v) || !ParseReal(v, number)) {
            if (!v.empty())
                Error() << option << " needs a number, not '" << v << "'\n";
            ok = false;
            return true;
        }
        (option == "--trim" ? parameters.trim : parameters.kerf) = number;
        return true;
    }
    if (option == "--kinds" || option == "--level") {
        std::string v;
        int32_t number = 0;
        if (!Value(v) || !ParseInt(v, 0, 5, number)) {
            if (!v.empty())
                Error() << option << " needs a whole number from 0 to 5, not '" << v << "'\n";
            ok = false;
            return true;
        }
        (option == "--kinds" ? parameters.kinds : parameters.level) = number;
        return true;
    }
    return false;
}

int ReadListFile(const char* command, const std::string& path, ListKind kind, InputLists& lists, std::ostream& err,
                 TextImportReport* report)
{
    TextFileReader reader;
    const TextListOpenResult opened = OpenTextList(path, reader);
    switch (opened) {
    case TextListOpenResult::Ok:
        break;
    case TextListOpenResult::CannotOpen:
        err << "trevak-cli " << command << ": cannot read '" << path << "': " << reader.ReadError() << "\n";
        return 2;
    case TextListOpenResult::Utf16LE:
    case TextListOpenResult::Utf16BE:
        err << "trevak-cli " << command << ": '" << path << "': " << Utf8(TextListOpenMessage(opened)) << "\n";
        return 2;
    }
    const TextImportReport read = ReadTextList(reader, kind, lists);
    if (read.m_badLineCount > 0)
        err << path << ":\n" << Utf8(read.m_badLineText) << "\n";
    if (report)
        *report = read;
    return read.m_stopText.empty() ? 0 : 1;
}

int LoadSettingsFile(const char* command, const std::string& path, InputLists& lists, SettingsRecord& record,
                     std::ostream& err)
{
    SettingsLoadReport report;
    if (!LoadSettings(path, lists, record, &report)) {
        err << "trevak-cli " << command << ": cannot read the settings file '" << path << "': "
            << Utf8(report.m_problem) << "\n";
        return 2;
    }
    if (report.m_state == SettingsFileState::Damaged) {
        err << "trevak-cli " << command << ": '" << path << "' is not a sound settings file: "
            << Utf8(EscapeControls(report.m_problem)) << "\n";
        return 1;
    }
    return 0;
}
