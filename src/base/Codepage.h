#pragma once

#include <string>

// Conversions between the program's internal text (UTF-16) and the encodings of
// its files: code page 936 (GBK) for every list, settings and report file, and
// UTF-8 for file paths and files that announce themselves as UTF-8.
//
// None of them fails: a character that has no form in the target encoding is
// replaced, never dropped silently and never turned into a separator.

// UTF-16 to code page 936. A character with no code-page-936 form (and an
// unpaired surrogate) becomes one "?".
std::string Utf16ToCp936(const std::u16string& text);

// Code page 936 to UTF-16. Every invalid or incomplete byte sequence decodes to
// U+FFFD: a lead byte whose second byte is not a valid trail byte stands alone,
// so the byte after it is decoded on its own.
std::u16string Cp936ToUtf16(const std::string& bytes);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

// UTF-8 to UTF-16; each maximal invalid subsequence (stray continuation bytes,
// overlong forms, encoded surrogates, values above U+10FFFF, a sequence cut
// short) becomes one U+FFFD.
std::u16string Utf8ToUtf16(const std::string& bytes);
