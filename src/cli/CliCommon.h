#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
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

// The options of one command, defined and read with CLI11; the command's
// help ("trevak-cli COMMAND --help") is made from the definitions. Values are
// checked as they are read, in the order given, by the functions the
// command attaches; a value that does not fit ends the reading with the
// message the function gives.
class CommandOptions {
public:
    // `command` is the word after trevak-cli; `description` opens the help.
    CommandOptions(const char* command, const std::string& description, std::ostream& err);

    CLI::App& App() { return m_app; }

    // An option that takes the text after it as it stands.
    CLI::Option* AddText(const std::string& name, std::string& value, const std::string& valueName,
                         const std::string& help);
    // An option whose value `read` checks and keeps; it returns the message
    // for a value it refuses, or an empty text.
    CLI::Option* AddValue(const std::string& name, std::function<std::string(const std::string&)> read,
                          const std::string& valueName, const std::string& help);
    // --trim, --kerf, --kinds and --level.
    void AddParameters(ParameterOptions& parameters);
    // A word without a dash at its place on the line, which the command
    // needs. (Options the command needs are marked required() too; for both
    // the command checks that they are there and says what it needs.)
    CLI::Option* AddWord(const std::string& name, std::string& value, const std::string& help);

    // Reads the arguments. Returns 0 when the command goes on, else the exit
    // status 2 with what is to be said written: the help when asked for, a
    // missing or refused value, an unknown option (with the help). Words that
    // no word of the command takes are left in Extra(); a command without
    // words calls them unknown options.
    int Parse(const std::vector<std::string>& args);
    std::vector<std::string> Extra() const { return m_app.remaining(); }

    std::string Help() const { return m_app.help(); }
    // Writes "trevak-cli COMMAND: ".
    std::ostream& Error();

private:
    CLI::App m_app;
    std::string m_command;
    std::ostream& m_err;
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
