#include <iostream>
#include <string>
#include <vector>

#include "cli/ListCommands.h"
#include "cli/PlanCommand.h"
#include "cli/SettingsCommands.h"
#ifdef TREVAK_CLI_PDF
#include "cli/PdfReport.h"
#endif

namespace {

const char* const USAGE =
    "Trevak线材下料优化 - command line\n"
    "usage: trevak-cli plan [options]          plan a job, print the cutting patterns, write reports\n"
    "       trevak-cli save-settings [options] write lists and parameters as a settings file\n"
    "       trevak-cli show-settings FILE      print the lists and parameters of a settings file\n"
    "       trevak-cli import cut|stock FILE [--json]\n"
    "                                          read a list file (text, .xls, .xlsx) and print its rows\n"
    "       trevak-cli export cut|stock --from FILE --out FILE\n"
    "                                          write a list file as text or, for an .xls/.xlsx name, a workbook\n"
    "       trevak-cli example cut|stock [--txt FILE] [--xlsx FILE]\n"
    "                                          write the example list file(s)\n"
    "       trevak-cli COMMAND --help          options of a command\n";

}  // namespace

int main(int argc, char** argv)
{
#ifdef TREVAK_CLI_PDF
    SetCuttingSheetWriter(WriteCuttingSheetOffscreen);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << USAGE;
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "plan")
        return RunPlanCommand(args, std::cout, std::cerr);
    if (command == "save-settings")
        return RunSaveSettingsCommand(args, std::cout, std::cerr);
    if (command == "show-settings")
        return RunShowSettingsCommand(args, std::cout, std::cerr);
    if (command == "import")
        return RunImportCommand(args, std::cout, std::cerr);
    if (command == "export")
        return RunExportCommand(args, std::cout, std::cerr);
    if (command == "example")
        return RunExampleCommand(args, std::cout, std::cerr);
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << USAGE;
        return 0;
    }
    std::cerr << "trevak-cli: unknown command '" << command << "'\n" << USAGE;
    return 2;
}
