#pragma once

#include <cstdint>
#include <string>

// Number texts. Every number the program writes or reads in a file or shows to
// the user goes through these functions, so "." is the decimal point whatever
// locale the process runs under.

// A length (or any real the user reads) as text: the value in fixed notation
// with as many decimals (0 to 6) as it needs to show its short decimal form.
// Values within 0.000001 of an integer show as that integer; 0.3, stored as
// 0.2999..., shows as 0.3; 1/3 shows as 0.333333. A negative value with a
// fractional part shows with no decimals (rounded to the nearest integer), and
// so does a value beyond the 32-bit integer range. Infinity and NaN show as
// printf shows them ("inf", "-inf", "nan").
std::string FormatLength(double value);

// printf "%.{decimals}f" in the "C" locale (decimals 0 to 17).
std::string FormatFixed(double value, int decimals);

// printf "%.{precision}g" in the "C" locale (precision 1 to 17).
std::string FormatGeneral(double value, int precision);

// strtod in the "C" locale: the longest leading part of text that forms a
// number (leading white space skipped), 0 when there is none; *end, when end is
// not null, points after the part read.
double ParseRealC(const char* text, char** end);

// An ASCII text (such as the number texts above) as UTF-16.
std::u16string Widen(const std::string& ascii);

// A count in plain decimal, as UTF-16.
std::u16string CountString(int64_t count);
