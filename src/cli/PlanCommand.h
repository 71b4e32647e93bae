#pragma once

#include <ostream>
#include <string>
#include <vector>

// trevak-cli plan [--cut FILE] [--stock FILE] [--example] [--trim X] [--kerf X]
//                 [--kinds N] [--level N] [--json]
// Plans the job and prints it. Exit status: 0 a plan was made, 1 an input
// problem of the job or a failed check, 2 bad arguments or an unreadable file.
int RunPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
