#include <iostream>
#include <string>
#include <vector>

#include "cli/PlanCommand.h"

namespace {

const char* const USAGE =
    "Trevak线材下料优化 - command line\n"
    "usage: trevak-cli plan [options]   plan a job and print the cutting patterns\n"
    "       trevak-cli plan --help      options of the plan command\n";

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << USAGE;
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "plan")
        return RunPlanCommand(args, std::cout, std::cerr);
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << USAGE;
        return 0;
    }
    std::cerr << "trevak-cli: unknown command '" << command << "'\n" << USAGE;
    return 2;
}
