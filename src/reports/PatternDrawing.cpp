#include "reports/PatternDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/ResultText.h"
#include "reports/SpreadsheetReports.h"

namespace {

// Pixel positions are kept within this distance of 0, far beyond any screen,
// so that differences between them never overflow an int.
constexpr double PIXEL_LIMIT = 1 << 24;

// A pixel position as int, truncated as the rounding rule wants; a value
// beyond PIXEL_LIMIT is pinned to it (a value that is not a number to -PIXEL_LIMIT).
int PixelAt(double x)
{
    if (x >= PIXEL_LIMIT)
        return static_cast<int>(PIXEL_LIMIT);
    if (!(x > -PIXEL_LIMIT))
        return -static_cast<int>(PIXEL_LIMIT);
    return static_cast<int>(x);
}

}  // namespace

std::vector<PatternBlock> PatternBlocks(const WireCombine& pattern, int left, int right)
{
    std::vector<PatternBlock> blocks;
    if (!(pattern.m_barLength > 0))
        return blocks;
    SegmentColourRegistry registry;
    const MyString noSpec;
    const double width = double(right) - double(left);
    double sum = 0;
    int x0 = left;
    int64_t walked = 0;
    const std::size_t entries = std::min(pattern.m_pieceLength.size(), pattern.m_pieceCount.size());
    for (std::size_t t = 0; t < entries; ++t) {
        const double length = pattern.m_pieceLength[t];
        if (!std::isfinite(length))
            break;
        const int colour = registry.IndexOf(length, noSpec);
        for (int64_t n = 0; n < pattern.m_pieceCount[t]; ++n) {
            if (walked++ >= SEGMENT_PIECE_LIMIT)
                return blocks;
            sum += length;
            const int x = PixelAt(double(left) + std::trunc(width * sum / pattern.m_barLength + 0.5));
            blocks.push_back(PatternBlock{x0, x, colour});
            x0 = x;
        }
    }
    return blocks;
}

std::vector<int> SegmentBoundaries(const WireCombine& pattern, int left, int right)
{
    std::vector<int> boundaries;
    for (const PatternBlock& block : PatternBlocks(pattern, left, right))
        boundaries.push_back(block.right);
    return boundaries;
}

const WireCombine* PatternAtRow(const WireOptimize_Whole& job, int row)
{
    if (row < 0)
        return nullptr;
    std::size_t remaining = static_cast<std::size_t>(row);
    for (const WireOptimize& group : job.m_groups) {
        if (remaining < group.m_patterns.size())
            return &group.m_patterns[remaining];
        remaining -= group.m_patterns.size();
    }
    return nullptr;
}

std::u16string PatternSummaryText(const WireCombine& pattern)
{
    int64_t pieces = 0;
    for (int64_t count : pattern.m_pieceCount)
        pieces += count;
    return u"原料长度 " + LengthString(pattern.m_barLength) + u"    分段数 " + CountString(pieces) + u"    利用率 " +
           PercentText(pattern.m_utilisation) + u"    余长 " + LengthString(pattern.m_remnant);
}
