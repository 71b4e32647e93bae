#include "reports/TextReports.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/FormatLength.h"
#include "base/ReportConventions.h"
#include "base/ReportFile.h"

namespace {

const char16_t* const PLAN_TITLE = u"                 下料优化输出结果\n\n";
const char16_t* const TOTAL_LENGTH_LABEL = u" 所用原料总长 ";
const char16_t* const TOTAL_BARS_LABEL = u" 所用原料总数 ";
const char16_t* const UTILISATION_LABEL = u" 原料利用率 ";
const char16_t* const PATTERN_HEADER = u" 序号   原料长度  数量   利用率      余长      规格     下料组合\n\n";
const char16_t* const SUMMARY_TITLE = u"\n 所用原料统计\n\n";
const char16_t* const SUMMARY_HEADER = u" 序号   原料长度  数量    利用率     规格 \n\n";
const char16_t* const UNLIMITED_TEXT = u"数量不限";
const char16_t* const LEFTOVER_SEPARATOR = u"   ";

// 2^63, the first double above the 64-bit integer range.
constexpr double INT64_END = 9223372036854775808.0;

// Toward zero to a whole number; beyond the 64-bit range the nearest limit,
// NaN gives 0.
int64_t Truncate(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= INT64_END)
        return std::numeric_limits<int64_t>::max();
    if (value < -INT64_END)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

// printf's right alignment in a field of width characters: a longer text
// widens the field.
std::u16string Right(const std::string& text, std::size_t width)
{
    const std::size_t pad = text.size() < width ? width - text.size() : 0;
    return std::u16string(pad, u' ') + Widen(text);
}

// "%{width}d"
std::u16string Integer(int64_t value, std::size_t width = 0)
{
    return Right(std::to_string(value), width);
}

// "%{width}.1f"
std::u16string OneDecimal(double value, std::size_t width)
{
    return Right(FormatFixed(value, 1), width);
}

// "%sx%d" for the first distinct piece length, " + %sx%d" for each further one.
std::u16string PieceList(const WireCombine& pattern)
{
    std::u16string text;
    const std::size_t count = std::min(pattern.m_pieceLength.size(), pattern.m_pieceCount.size());
    for (std::size_t t = 0; t < count; ++t) {
        if (t > 0)
            text += u" + ";
        text += Widen(FormatLength(pattern.m_pieceLength[t])) + u"x" + Integer(pattern.m_pieceCount[t]);
    }
    return text;
}

std::u16string PatternRow(int64_t number, const WireOptimize& group, const WireCombine& pattern, bool hasFraction)
{
    std::u16string row = u" " + Integer(number, 3);
    row += u"  ";
    row += hasFraction ? OneDecimal(pattern.m_barLength, 8) : Integer(Truncate(pattern.m_barLength), 8);
    row += u" ";
    row += Integer(pattern.m_barCount, 6) + u"    ";
    row += OneDecimal(pattern.m_utilisation * 100, 5) + u"%  ";
    row += hasFraction ? OneDecimal(pattern.m_remnant, 7) : Integer(Truncate(pattern.m_remnant), 7);
    row += u"   ";
    row += u"  " + group.m_spec + u"  ";
    row += PieceList(pattern);
    row += u"\n\n";
    return row;
}

std::u16string SummaryRow(int64_t number, const WireOptimize& group, std::size_t u)
{
    const double length = group.m_usedLength[u];
    const int64_t bars = group.m_usedBars[u];
    const double used = double(bars) * length;
    const double utilisation = used > 0 ? group.m_usedPieceLength[u] / used * 100 : 0;
    std::u16string row = u" " + Integer(number, 3);
    row += u"  " + Integer(Truncate(length), 8) + u" ";
    row += Integer(bars, 6) + u"    ";
    row += OneDecimal(utilisation, 5) + u"%    ";
    row += u"  " + group.m_spec + u" ";
    row += u"\n\n";
    return row;
}

}  // namespace

bool WritePlanTextReport(const WireOptimize_Whole& job, const std::string& path)
{
    ReportFile file;
    file.Open(path);
    file.Write(PLAN_TITLE);
    file.Write(TOTAL_LENGTH_LABEL + Integer(Truncate(job.m_totalLength)) + u"\n\n");
    file.Write(TOTAL_BARS_LABEL + Integer(job.m_totalBars) + u"\n\n");
    file.Write(UTILISATION_LABEL + OneDecimal(job.m_utilisation * 100, 0) + u"%\n\n");
    file.Write(PATTERN_HEADER);

    const bool hasFraction = job.m_hasFraction != 0;
    int64_t number = 0;
    for (const WireOptimize& group : job.m_groups) {
        for (const WireCombine& pattern : group.m_patterns)
            file.Write(PatternRow(++number, group, pattern, hasFraction));
    }

    file.Write(SUMMARY_TITLE);
    file.Write(SUMMARY_HEADER);
    number = 0;
    for (const WireOptimize& group : job.m_groups) {
        const std::size_t used =
            std::min({group.m_usedLength.size(), group.m_usedBars.size(), group.m_usedPieceLength.size()});
        for (std::size_t u = 0; u < used; ++u) {
            if (group.m_usedBars[u] > 0)
                file.Write(SummaryRow(++number, group, u));
        }
    }
    return file.Finish(false);
}

bool WriteLeftoverTextReport(const WireOptimize_Whole& job, double minimumLength, const std::string& path)
{
    ReportFile file;
    file.Open(path);
    const std::size_t count = std::min(
        {job.m_leftoverLength.size(), job.m_leftoverQuantity.size(), job.m_leftoverSpec.size()});
    for (std::size_t i = 0; i < count; ++i) {
        const double length = job.m_leftoverLength[i];
        if (length < minimumLength)
            continue;
        file.Write(job.m_leftoverSpec[i] + LEFTOVER_SEPARATOR);
        file.WriteReal(length);
        file.Write(LEFTOVER_SEPARATOR);
        const int64_t quantity = job.m_leftoverQuantity[i];
        if (quantity <= 0)
            file.Write(UNLIMITED_TEXT);
        else
            file.Write(quantity);
        file.Write(u"\n");
    }
    return file.Finish(false);
}

void ProducePlanTextReport(const WireOptimize_Whole& job)
{
    const std::string path = PrepareReportPath(".txt");
    WritePlanTextReport(job, path);
    OpenInTextEditor(path);
}

void ProduceLeftoverTextReport(const WireOptimize_Whole& job, double minimumLength)
{
    const std::string path = PrepareReportPath(".txt");
    WriteLeftoverTextReport(job, minimumLength, path);
    OpenInTextEditor(path);
}
