#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "base/Codepage.h"
#include "support/TempFolder.h"

// Runs one command of the command line in the test process and keeps what it
// printed, and makes list files as a user would write them.

struct CommandResult {
    int status = 0;
    std::string out;
    std::string err;
};

template <typename Fn>
CommandResult RunCommand(Fn command, const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    CommandResult r;
    r.status = command(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

// A list file in code page 936 from UTF-8 text.
inline std::string ListFile(const TempFolder& folder, const std::string& name, const std::string& utf8)
{
    return folder.WriteFile(name, Utf16ToCp936(Utf8ToUtf16(utf8)));
}

// The UTF-8 form of code-page-936 bytes, for comparing with literals.
inline std::string Utf8Of(const std::string& cp936)
{
    return Utf16ToUtf8(Cp936ToUtf16(cp936));
}
