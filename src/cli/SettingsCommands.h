#pragma once

#include <ostream>
#include <string>
#include <vector>

// trevak-cli save-settings --cut FILE --stock FILE [--trim X] [--kerf X] [--kinds N]
//                          [--level N] --out QRMCfg.txt
// Writes both lists and the parameters as a settings file. Exit status 0 when
// written, 2 on bad arguments or a file that cannot be read or written.
int RunSaveSettingsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// trevak-cli show-settings FILE
// Prints the lists and the parameters of a settings file. Exit status 0, or 2
// when the file cannot be read.
int RunShowSettingsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
