#include "base/FormatLength.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <locale.h>

namespace {

// Room for the longest fixed text: a sign, 309 integer digits, the point and
// 17 decimals.
constexpr std::size_t NUMBER_BUFFER = 400;

// Closeness to a short decimal below which the digits after it are noise.
constexpr double NEGLIGIBLE = 0.000001;

bool FitsInt32(double value) { return value > -2147483649.0 && value < 2147483648.0; }

// value minus its truncation toward zero to a 32-bit integer; only for values
// that fit.
double FractionPart(double value) { return value - static_cast<double>(static_cast<int32_t>(value)); }

int LengthDecimals(double value)
{
    // The rule rests on a truncation to a 32-bit integer, which a value beyond
    // that range does not have: such a value shows as a whole number. Infinity
    // and NaN print the same with any precision.
    if (!std::isfinite(value) || !FitsInt32(value))
        return 0;
    const double f = FractionPart(value);
    if (f <= NEGLIGIBLE)
        return 0;
    const double g = 1.0 - f;
    if (g <= NEGLIGIBLE)
        return 0;
    // f and g lie between 0.000001 and 1, so f * 10^5 and g * 10^5 fit.
    double scale = 1.0;
    for (int decimals = 1; decimals <= 5; ++decimals) {
        scale *= 10.0;
        if (FractionPart(f * scale) <= NEGLIGIBLE || FractionPart(g * scale) <= NEGLIGIBLE)
            return decimals;
    }
    return 6;
}

// std::to_chars with a precision formats exactly as printf does in the "C"
// locale and never looks at the process locale.
std::string ToChars(double value, std::chars_format format, int precision)
{
    char buffer[NUMBER_BUFFER];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof(buffer), value, format, precision);
    if (result.ec != std::errc())
        return std::string();
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string FormatLength(double value)
{
    return FormatFixed(value, LengthDecimals(value));
}

std::string FormatFixed(double value, int decimals)
{
    return ToChars(value, std::chars_format::fixed, std::clamp(decimals, 0, 17));
}

std::string FormatGeneral(double value, int precision)
{
    return ToChars(value, std::chars_format::general, std::clamp(precision, 1, 17));
}

#ifdef _WIN32

double ParseRealC(const char* text, char** end)
{
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    return _strtod_l(text, end, cLocale);
}

#else

double ParseRealC(const char* text, char** end)
{
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr))
        return std::strtod(text, end);
    return strtod_l(text, end, cLocale);
}

#endif

std::u16string Widen(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string CountString(int64_t count)
{
    return Widen(std::to_string(count));
}
