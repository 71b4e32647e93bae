#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include "cli/ListCommands.h"
#include "cli/PlanCommand.h"
#include "cli/SettingsCommands.h"

namespace {

struct Command {
    const char* name;
    const char* summary;  // its line in the program's usage
    int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

// The commands in the order the usage lists them.
const Command COMMANDS[] = {
    {"plan", "plan a job, print the cutting patterns, write reports", RunPlanCommand},
    {"save-settings", "write lists and parameters as a settings file", RunSaveSettingsCommand},
    {"show-settings", "print the lists and parameters of a settings file", RunShowSettingsCommand},
    {"import", "read a list file (text, .xls, .xlsx) and print its rows", RunImportCommand},
    {"export", "write a list file as text or, for an .xls/.xlsx name, a workbook", RunExportCommand},
    {"example", "write the example list file(s)", RunExampleCommand},
};

// The program's usage, made by CLI11 from the list of commands.
std::string Usage()
{
    CLI::App program("Trevak线材下料优化 - command line", "trevak-cli");
    program.footer("trevak-cli COMMAND --help  the options of a command");
    program.get_formatter()->label("SUBCOMMAND", "COMMAND");
    program.get_formatter()->column_width(17);
    program.require_subcommand(1);
    for (const Command& command : COMMANDS)
        program.add_subcommand(command.name, command.summary)->group("Commands");
    return program.help();
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        err << Usage();
        return 2;
    }
    // Only the first word is the program's: the rest, --help included, is
    // the command's to read, even a word that names another command.
    const std::string& word = args.front();
    if (word == "--help" || word == "-h" || word == "help") {
        out << Usage();
        return 0;
    }
    for (const Command& command : COMMANDS) {
        if (word == command.name)
            return command.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    }
    err << "trevak-cli: unknown command '" << word << "'\n" << Usage();
    return 2;
}
