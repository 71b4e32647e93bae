#pragma once

#include <ostream>
#include <string>
#include <vector>

// Commands on list files. A list file is a text list file or, when its name
// contains ".xls" (any case), a spreadsheet.

// trevak-cli import cut|stock FILE [--json]
// Reads a list file with the import rules and prints its rows: one line per
// row as a text list file holds it (three blanks between the fields, UTF-8),
// or with --json {"rows": [[spec, length, quantity, mark or priority], ...],
// "badLines": N, "report": "..."}. The bad-line report goes to err. Exit
// status 0, or 2 on bad arguments or a file that cannot be read.
int RunImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// trevak-cli export cut|stock --from FILE --out FILE
// Reads a list file and writes the list to the out file: a spreadsheet when
// its name contains ".xls", else a text list file. Exit status 0, or 2 on bad
// arguments or a file that cannot be read or written.
int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// trevak-cli example cut|stock [--txt FILE] [--xlsx FILE]
// Writes the example text file and/or the example workbook of a list. Exit
// status 0, or 2 on bad arguments or a file that cannot be written.
int RunExampleCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
