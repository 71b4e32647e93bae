#pragma once

#include <ostream>
#include <string>
#include <vector>

// trevak-cli COMMAND [arguments]: runs the command named first with the
// arguments after it (the program's name not included) and returns its exit
// status. --help, -h or help write the program's usage, made from the list
// of commands, to out (status 0); no command writes it to err, an unknown one
// says so before it (status 2).
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
