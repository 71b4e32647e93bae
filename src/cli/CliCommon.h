#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "exchange/SettingsFile.h"
#include "exchange/TextListFile.h"
#include "lists/InputLists.h"

// Pieces shared by the commands of the command line.

// The cutting parameters as options; an option not given stays empty, so that
// a settings file or the defaults fill it.
struct ParameterOptions {
    std::optional<double> trim;
    std::optional<double> kerf;
    std::optional<int32_t> kinds;
    std::optional<int32_t> level;
};

// Walks an argument list: the option at `i` and its value.
class ArgumentReader {
public:
    ArgumentReader(const char* command, const std::vector<std::string>& args, std::ostream& err)
        : m_command(command), m_args(args), m_err(err)
    {
    }

    bool Done() const { return m_i >= m_args.size(); }
    const std::string& Option() const { return m_args[m_i]; }
    void Next() { ++m_i; }

    // The value after the current option; false (with a message) when missing.
    bool Value(std::string& value);
    // Reads --trim, --kerf, --kinds and --level; false when the current option
    // is none of them. `ok` turns false on a bad value (message written).
    bool Parameter(ParameterOptions& parameters, bool& ok);
    // Writes "trevak-cli COMMAND: text".
    std::ostream& Error();

private:
    const char* m_command;
    const std::vector<std::string>& m_args;
    std::ostream& m_err;
    std::size_t m_i = 0;
};

// Reads a text list file into the lists with the import rules (no replace
// question: rows are appended). Bad lines are reported on err with the
// bad-line report text. Returns the exit status the command ends with when it
// is not 0: 2 (with a message naming the file and why) when the file cannot be
// read, 1 when the read ended early at a line or size limit (the report says
// where).
int ReadListFile(const char* command, const std::string& path, ListKind kind, InputLists& lists, std::ostream& err,
                 TextImportReport* report = nullptr);

// Reads the program's settings file. Returns the exit status the command ends
// with when it is not 0, its message written: 2 when the file cannot be read,
// 1 when it is damaged (empty, not a settings file, cut short), saying what
// was wrong.
int LoadSettingsFile(const char* command, const std::string& path, InputLists& lists, SettingsRecord& record,
                     std::ostream& err);

std::string Utf8(const std::u16string& text);
