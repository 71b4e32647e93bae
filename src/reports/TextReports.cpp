#include "reports/TextReports.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/FormatLength.h"
#include "base/ReportConventions.h"
#include "base/ReportFile.h"
#include "reports/ReportRows.h"

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

std::u16string PatternRow(const ReportPatternRow& pattern, const MyString& spec, bool hasFraction)
{
    std::u16string row = u" " + Integer(pattern.number, 3);
    row += u"  ";
    row += hasFraction ? OneDecimal(pattern.barLength, 8) : Integer(Truncate(pattern.barLength), 8);
    row += u" ";
    row += Integer(pattern.barCount, 6) + u"    ";
    row += OneDecimal(pattern.utilisation * 100, 5) + u"%  ";
    row += hasFraction ? OneDecimal(pattern.remnant, 7) : Integer(Truncate(pattern.remnant), 7);
    row += u"   ";
    row += u"  " + spec + u"  ";
    // "%sx%d" for the first distinct piece length, " + %sx%d" for each further one.
    row += PiecesText(pattern.pieces, u"x", u" + ");
    row += u"\n\n";
    return row;
}

std::u16string SummaryRow(const ReportStockRow& stock)
{
    std::u16string row = u" " + Integer(stock.number, 3);
    row += u"  " + Integer(Truncate(stock.length), 8) + u" ";
    row += Integer(stock.bars, 6) + u"    ";
    row += OneDecimal(stock.utilisation * 100, 5) + u"%    ";
    row += u"  " + stock.spec + u" ";
    row += u"\n\n";
    return row;
}

}  // namespace

bool WritePlanTextReport(const WireOptimize_Whole& job, const std::string& path)
{
    const ReportRows rows = BuildReportRows(job, DEFAULT_MINIMUM_LEFTOVER_LENGTH);
    ReportFile file;
    file.Open(path);
    file.Write(PLAN_TITLE);
    file.Write(TOTAL_LENGTH_LABEL + Integer(Truncate(rows.totalLength)) + u"\n\n");
    file.Write(TOTAL_BARS_LABEL + Integer(rows.totalBars) + u"\n\n");
    file.Write(UTILISATION_LABEL + OneDecimal(rows.utilisation * 100, 0) + u"%\n\n");
    file.Write(PATTERN_HEADER);
    for (const ReportGroupRows& group : rows.groups) {
        for (const ReportPatternRow& pattern : group.patterns)
            file.Write(PatternRow(pattern, group.spec, rows.hasFraction));
    }

    file.Write(SUMMARY_TITLE);
    file.Write(SUMMARY_HEADER);
    for (const ReportStockRow& stock : rows.stock)
        file.Write(SummaryRow(stock));
    return file.Finish(false);
}

bool WriteLeftoverTextReport(const WireOptimize_Whole& job, double minimumLength, const std::string& path)
{
    const ReportRows rows = BuildReportRows(job, minimumLength);
    ReportFile file;
    file.Open(path);
    for (const ReportLeftoverRow& leftover : rows.leftover) {
        file.Write(leftover.spec + LEFTOVER_SEPARATOR);
        file.WriteReal(leftover.length);
        file.Write(LEFTOVER_SEPARATOR);
        if (leftover.unlimited)
            file.Write(UNLIMITED_TEXT);
        else
            file.Write(leftover.quantity);
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
