#pragma once

// Texts as the program's files hold them.

#include <string>

#include "base/Codepage.h"

// The bytes of a text in code page 936.
inline std::string Gbk(const std::u16string& text)
{
    return Utf16ToCp936(text);
}

inline std::string Gbk(const std::string& utf8)
{
    return Utf16ToCp936(Utf8ToUtf16(utf8));
}
