#pragma once

#include <cstdint>
#include <string>

#include "lists/InputLists.h"

// The settings file "Config/QRMCfg.txt" beside the program: both input lists
// and the six cutting parameters, kept from one run of the program to the next.
//
// Layout, one item a line, fields of a row separated by two blanks, CR LF line
// ends, code page 936:
//
//   20260430                                  version stamp
//   n_cut                                     then n_cut lines: length  quantity  specification  mark
//   n_stock                                   then n_stock lines: length  quantity  specification  priority
//   kerf width, reserved value, reserved integer, maximum length kinds, trim length, speed level
//
// A file whose first number is 20231127 or less is the older layout: it has no
// version stamp (the first number is n_cut) and its stock rows have no
// priority (read as 0). The current layout is always written.
//
// Numbers are read and written with "." as the decimal point whatever the
// process locale. Reals are written in the shortest form that reads back to
// the same value (2995, 1234.5, 1234567, 0.30000000000000004); a value that is
// not a finite number, which the editing dialogs never let through, is written
// as 0 so that the file stays readable.
//
// Texts. The token "QQWWSSAA1122" stands for an empty mark, and also for an
// empty specification, so that both come back empty; a text typed as that very
// token therefore comes back empty too. Reading splits a line at white space,
// so a white-space character inside a text (blank, tab, line feed, vertical
// tab, form feed, carriage return) is written as "_". A text longer than 99
// UTF-16 code units is cut to 99 (a surrogate pair is never split). A
// character without a code-page-936 form is written as "?".
//
// Damaged files. A row is read from one line holding exactly its fields, a
// count or a parameter from a line holding only that number; lines without
// any token are passed over (a line ends at LF, CR LF or CR). Reading stops at
// the first line that breaks this rule, at a count below 0, at a token that is
// not the number expected (an integer must be all digits, with an optional
// sign, within the 32-bit range; a real must be a finite number in plain or
// exponent notation), at a text longer than 99 code units, and at the end of
// the file. What was read completely before that point is kept; the rows and
// parameters after it are not read (the parameters keep their defaults). A
// count larger than the rows present therefore keeps the rows present and
// reads nothing after them. The load report says what was wrong: a file that
// stops anywhere before its parameters, an empty file, and one with a line
// that breaks the layout are damaged; one that ends among its parameters is
// sound (it may hold only the two lists).
//
// The file is read whole into memory first; a file of more than 1 GiB or with
// a line of more than 1 MiB is read up to that point and is damaged.

// Version stamp written as the first line, and the last stamp-less version.
constexpr int32_t SETTINGS_VERSION = 20260430;
constexpr int32_t SETTINGS_OLDER_LAYOUT_LAST = 20231127;

// The token written for an empty mark (and an empty specification).
inline constexpr const char* EMPTY_TEXT_TOKEN = "QQWWSSAA1122";

// The six parameters with their defaults.
struct SettingsRecord {
    double m_kerfWidth = 10;
    double m_reservedValue = 10;
    int32_t m_reservedInteger = 0;  // not used; written back as it was read
    int32_t m_maxLengthKinds = 0;   // index in the "maximum length kinds" combo box
    double m_trimLength = 0;
    int32_t m_speedLevel = 1;
};

// "Config/QRMCfg.txt" under the program's folder (UTF-8 paths).
std::string SettingsFilePath(const std::string& programFolder);

enum class SettingsFileState {
    Sound,       // read whole
    Missing,     // no file of that name: nothing read
    CannotRead,  // a folder, a read error: nothing read
    Damaged,     // read up to the damage (see above)
};

struct SettingsLoadReport {
    SettingsFileState m_state = SettingsFileState::Sound;
    // CannotRead and Missing: the system's reason; Damaged: what was wrong
    // and where ("文件是空的", "第3行不是下料行", "文件在原料行数之前结束").
    std::u16string m_problem;
};

// Empties both lists, sets the record to its defaults and reads the file at
// path (UTF-8) into them. Returns false when the file could not be read
// (missing, a folder, a read error); a damaged file is read as far as it is
// sound and returns true. The report, when given, says which.
bool LoadSettings(const std::string& path, InputLists& lists, SettingsRecord& record,
                  SettingsLoadReport* report = nullptr);

// The message the window shows once at start for a settings file that could
// not be read or is damaged, empty for a sound or missing one: the lists and
// parameters then start from what was read (nothing, or what came before the
// damage).
std::u16string SettingsLoadMessage(const std::string& path, const SettingsLoadReport& report);

// Writes the lists and the record to path, creating the folder when missing.
// The content replaces the file in one step (ReportFile): a temporary file of
// its own beside the target, synced and renamed over it, so that concurrent
// saves each leave one whole file and a failure leaves the old file as it was.
// A path that is a symbolic link is written through to the file it names; a
// target that is not a regular file is refused. Returns false when the folder
// or the file could not be written.
bool SaveSettings(const std::string& path, const InputLists& lists, const SettingsRecord& record);
