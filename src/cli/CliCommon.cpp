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

CommandOptions::CommandOptions(const char* command, const std::string& description, std::ostream& err)
    : m_app(description, std::string("trevak-cli ") + command), m_command(command), m_err(err)
{
    // An option given twice takes its last value; unknown options are
    // reported here, with the words of the command's own.
    m_app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    m_app.allow_extras();
    m_app.get_formatter()->column_width(24);
}

CLI::Option* CommandOptions::AddText(const std::string& name, std::string& value, const std::string& valueName,
                                     const std::string& help)
{
    return m_app.add_option(name, value, help)->type_name(valueName);
}

CLI::Option* CommandOptions::AddValue(const std::string& name, std::function<std::string(const std::string&)> read,
                                      const std::string& valueName, const std::string& help)
{
    // Checked when read, so that the first bad value on the line is the one
    // reported.
    return m_app
        .add_option_function<std::string>(
            name,
            [read](const std::string& text) {
                const std::string problem = read(text);
                if (!problem.empty())
                    throw CLI::ValidationError(problem);
            },
            help)
        ->type_name(valueName)
        ->trigger_on_parse();
}

void CommandOptions::AddParameters(ParameterOptions& parameters)
{
    const auto real = [](const char* name, std::optional<double>& kept) {
        return [name, &kept](const std::string& text) -> std::string {
            double number = 0;
            if (!ParseReal(text, number))
                return std::string(name) + " needs a number, not '" + text + "'";
            kept = number;
            return std::string();
        };
    };
    const auto level = [](const char* name, std::optional<int32_t>& kept) {
        return [name, &kept](const std::string& text) -> std::string {
            int32_t number = 0;
            if (!ParseInt(text, 0, 5, number))
                return std::string(name) + " needs a whole number from 0 to 5, not '" + text + "'";
            kept = number;
            return std::string();
        };
    };
    AddValue("--trim", real("--trim", parameters.trim), "X", "trim taken off every bar (default 0)");
    AddValue("--kerf", real("--kerf", parameters.kerf), "X", "kerf lost at every cut (default 10)");
    AddValue("--kinds", level("--kinds", parameters.kinds), "N",
             "most distinct piece lengths per pattern, 0 = any (0 to 5, default 0)");
    AddValue("--level", level("--level", parameters.level), "N", "speed level, 0 = best to 5 = fastest (default 1)");
}

CLI::Option* CommandOptions::AddWord(const std::string& name, std::string& value, const std::string& help)
{
    return m_app.add_option(name, value, help)->type_name("")->required();
}

int CommandOptions::Parse(const std::vector<std::string>& args)
{
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        m_app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        m_err << Help();
        return 2;
    } catch (const CLI::RequiredError&) {
        // A word or option the command needs is missing: the command says
        // what it needs, in its own words.
    } catch (const CLI::ArgumentMismatch&) {
        // An option takes the argument after it whatever that is; only the
        // last argument can lack its value.
        Error() << args.back() << " needs a value\n";
        return 2;
    } catch (const CLI::ParseError& e) {
        Error() << e.what() << "\n";
        return 2;
    }
    const bool takesWords = !m_app.get_options([](const CLI::Option* o) { return o->get_positional(); }).empty();
    for (const std::string& extra : Extra()) {
        if (!takesWords || (extra.size() > 1 && extra[0] == '-')) {
            Error() << "unknown option '" << extra << "'\n" << Help();
            return 2;
        }
    }
    return 0;
}

std::ostream& CommandOptions::Error()
{
    return m_err << "trevak-cli " << m_command << ": ";
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
