#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#ifdef TREVAK_CLI_PDF
#include "cli/PdfReport.h"
#include "cli/PlanCommand.h"
#endif

int main(int argc, char** argv)
{
#ifdef TREVAK_CLI_PDF
    SetCuttingSheetWriter(WriteCuttingSheetOffscreen);
#endif
    return RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
