// The options of the commands as a user meets them: the help made from their
// definitions, the messages for what is wrong on the line, and the program's
// own usage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRun.h"
#include "cli/ListCommands.h"
#include "cli/PlanCommand.h"
#include "cli/SettingsCommands.h"
#include "support/TempFolder.h"

namespace {

using CommandFunction = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

struct CommandCase {
    const char* name;
    CommandFunction run;
    std::vector<std::string> options;  // every option the command takes
};

const std::vector<CommandCase>& Commands()
{
    static const std::vector<CommandCase> commands = {
        {"plan",
         RunPlanCommand,
         {"--cut", "--stock", "--example", "--settings", "--trim", "--kerf", "--kinds", "--level", "--optimal",
          "--time-limit", "--json", "--report", "--leftover", "--min", "--out"}},
        {"save-settings",
         RunSaveSettingsCommand,
         {"--cut", "--stock", "--trim", "--kerf", "--kinds", "--level", "--out"}},
        {"show-settings", RunShowSettingsCommand, {}},
        {"import", RunImportCommand, {"--json"}},
        {"export", RunExportCommand, {"--from", "--out"}},
        {"example", RunExampleCommand, {"--txt", "--xlsx"}},
    };
    return commands;
}

CommandResult Line(const std::vector<std::string>& args) { return RunCommand(RunCommandLine, args); }

}  // namespace

TEST(CommandOptions, HelpOfEachCommandListsItsOptions)
{
    for (const CommandCase& command : Commands()) {
        for (const char* asked : {"--help", "-h"}) {
            const CommandResult r = RunCommand(command.run, {asked});
            // As before, the help goes to stderr with the status of a usage error.
            EXPECT_EQ(r.status, 2) << command.name;
            EXPECT_EQ(r.out, "") << command.name;
            EXPECT_NE(r.err.find(std::string("Usage: trevak-cli ") + command.name + " "), std::string::npos) << r.err;
            for (const std::string& option : command.options)
                EXPECT_NE(r.err.find("\n  " + option + " "), std::string::npos) << command.name << " " << option;
        }
    }
    // Words before the options: a list kind and a file.
    EXPECT_NE(RunCommand(RunImportCommand, {"--help"}).err.find("Usage: trevak-cli import [OPTIONS] KIND FILE\n"),
              std::string::npos);
}

TEST(CommandOptions, UnknownOptionsAreNamedBeforeTheHelp)
{
    for (const CommandCase& command : Commands()) {
        const CommandResult r = RunCommand(command.run, {"--frobnicate", "x"});
        EXPECT_EQ(r.status, 2) << command.name;
        const std::string message = std::string("trevak-cli ") + command.name + ": unknown option '--frobnicate'\n";
        EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
        EXPECT_NE(r.err.find("Usage: trevak-cli ", message.size()), std::string::npos) << r.err;
    }
    // A command without words takes none.
    EXPECT_EQ(
        RunCommand(RunPlanCommand, {"--example", "extra"}).err.rfind("trevak-cli plan: unknown option 'extra'\n", 0),
        0u);
}

TEST(CommandOptions, ValuesAreCheckedInTheOrderGivenWithTheirMessages)
{
    const auto planError = [](const std::vector<std::string>& args) {
        const CommandResult r = RunCommand(RunPlanCommand, args);
        EXPECT_EQ(r.status, 2);
        return r.err;
    };
    EXPECT_EQ(planError({"--example", "--kerf"}), "trevak-cli plan: --kerf needs a value\n");
    // An option takes the argument after it, whatever it looks like.
    EXPECT_EQ(planError({"--kerf", "--json"}), "trevak-cli plan: --kerf needs a number, not '--json'\n");
    EXPECT_EQ(planError({"--trim", "nan"}), "trevak-cli plan: --trim needs a number, not 'nan'\n");
    EXPECT_EQ(planError({"--trim", "1,5"}), "trevak-cli plan: --trim needs a number, not '1,5'\n");
    // Decimal only: 010 is ten, 0x1 no number.
    EXPECT_EQ(planError({"--kinds", "010"}), "trevak-cli plan: --kinds needs a whole number from 0 to 5, not '010'\n");
    EXPECT_EQ(planError({"--level", "0x1"}), "trevak-cli plan: --level needs a whole number from 0 to 5, not '0x1'\n");
    EXPECT_EQ(planError({"--level", "6", "--kinds", "x"}),
              "trevak-cli plan: --level needs a whole number from 0 to 5, not '6'\n");
    EXPECT_EQ(planError({"--kinds", "x", "--level", "6"}),
              "trevak-cli plan: --kinds needs a whole number from 0 to 5, not 'x'\n");
    EXPECT_EQ(planError({"--example", "--kerf", "1", "--kerf", "x"}),
              "trevak-cli plan: --kerf needs a number, not 'x'\n");
    EXPECT_EQ(planError({"--example", "--report", "rtf", "--out", "x"}),
              "trevak-cli plan: --report takes txt, doc, xlsx or pdf, not 'rtf'\n");
    EXPECT_EQ(planError({"--example", "--leftover", "pdf", "--out", "x"}),
              "trevak-cli plan: --leftover takes txt, doc or xlsx, not 'pdf'\n");
    EXPECT_EQ(planError({"--example", "--time-limit", "-1"}),
              "trevak-cli plan: --time-limit needs a number of seconds above 0, not '-1'\n");
    EXPECT_EQ(RunCommand(RunSaveSettingsCommand, {"--level", "9", "--out", "x"}).err,
              "trevak-cli save-settings: --level needs a whole number from 0 to 5, not '9'\n");
    // Negative numbers are values, not options; given twice, the last counts.
    const CommandResult twice = RunCommand(RunPlanCommand, {"--example", "--kerf", "-1", "--kerf", "0", "--json"});
    const CommandResult once = RunCommand(RunPlanCommand, {"--example", "--kerf", "0", "--json"});
    EXPECT_EQ(twice.status, 0);
    EXPECT_EQ(twice.out, once.out);
    EXPECT_EQ(RunCommand(RunPlanCommand, {"--example", "--kerf", "-1"}).err, "切割缝宽不应小于 0 !\n");
}

TEST(CommandOptions, MissingWordsAndOptionsAreSaidInTheCommandsWords)
{
    TempFolder folder;
    EXPECT_EQ(RunCommand(RunImportCommand, {"cut"}).err.rfind("trevak-cli import: needs cut or stock and a file\n", 0),
              0u);
    EXPECT_EQ(RunCommand(RunExportCommand, {"cut", "--from", "a.txt"})
                  .err.rfind("trevak-cli export: needs cut or stock, --from FILE and --out FILE\n", 0),
              0u);
    EXPECT_EQ(RunCommand(RunSaveSettingsCommand, {"--kerf", "3"})
                  .err.rfind("trevak-cli save-settings: needs --out FILE\n", 0),
              0u);
    EXPECT_EQ(RunCommand(RunExampleCommand, {"cut"})
                  .err.rfind("trevak-cli example: needs cut or stock and --txt FILE or --xlsx FILE\n", 0),
              0u);
    const CommandResult show = RunCommand(RunShowSettingsCommand, {});
    EXPECT_EQ(show.status, 2);
    EXPECT_EQ(show.err.rfind("Prints the lists", 0), 0u) << show.err;
}

TEST(CommandLine, UsageListsEveryCommand)
{
    for (const char* asked : {"--help", "-h", "help"}) {
        const CommandResult r = Line({asked});
        EXPECT_EQ(r.status, 0) << asked;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.rfind("Trevak线材下料优化 - command line\nUsage: trevak-cli ", 0), 0u) << r.out;
        for (const CommandCase& command : Commands())
            EXPECT_NE(r.out.find(std::string("\n  ") + command.name + " "), std::string::npos) << command.name;
        EXPECT_NE(r.out.find("trevak-cli COMMAND --help"), std::string::npos);
    }
    const CommandResult none = Line({});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, Line({"--help"}).out);
    for (const char* unknown : {"frob", "--frob", "Plan"}) {
        const CommandResult r = Line({unknown, "--example"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "trevak-cli: unknown command '" + std::string(unknown) + "'\n" + none.err);
    }
}

TEST(CommandLine, TheFirstWordChoosesTheCommandTheRestIsItsOwn)
{
    TempFolder folder;
    const std::string cut = ListFile(folder, "cut.txt", "A 3000 2 订单1\n");
    for (const CommandCase& command : Commands()) {
        std::vector<std::string> args = {command.name, "--help"};
        const CommandResult viaLine = Line(args);
        args.erase(args.begin());
        const CommandResult direct = RunCommand(command.run, args);
        EXPECT_EQ(viaLine.status, direct.status) << command.name;
        EXPECT_EQ(viaLine.err, direct.err) << command.name;
    }
    const CommandResult imported = Line({"import", "cut", cut, "--json"});
    EXPECT_EQ(imported.status, 0);
    EXPECT_EQ(imported.out, RunCommand(RunImportCommand, {"cut", cut, "--json"}).out);
    EXPECT_EQ(imported.out, "{\"rows\": [[\"A\", 3000, 2, \"订单1\"]], \"badLines\": 0, \"report\": \"\"}\n");
    // A word after the command that names another command is the command's.
    EXPECT_EQ(Line({"import", "plan", cut}).err.rfind("trevak-cli import: needs cut or stock and a file\n", 0), 0u);
}
