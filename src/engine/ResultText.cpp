#include "engine/ResultText.h"

#include <algorithm>

#include "reports/FormatLength.h"

std::u16string LengthString(double length)
{
    return Widen(FormatLength(length));
}

std::u16string CountString(int64_t count)
{
    return Widen(std::to_string(count));
}

std::u16string PatternText(const WireCombine& pattern)
{
    std::u16string text;
    for (std::size_t t = 0; t < pattern.m_pieceLength.size(); ++t) {
        if (t > 0)
            text += u'+';
        // A count missing from a damaged pattern reads as 0.
        const int64_t count = t < pattern.m_pieceCount.size() ? pattern.m_pieceCount[t] : 0;
        text += LengthString(pattern.m_pieceLength[t]) + u'x' + CountString(count);
    }
    return text;
}

std::u16string PercentText(double fraction)
{
    // Formatted without the process locale: a point, whatever the user's settings.
    return Widen(FormatFixed(fraction * 100, 1) + "%");
}

namespace {

std::u16string Fill(const std::u16string& format, const std::u16string& text)
{
    std::u16string out = format;
    const std::size_t at = out.find(u"%s");
    if (at != std::u16string::npos)
        out.replace(at, 2, text);
    return out;
}

}  // namespace

std::u16string JobErrorMessage(const JobError& error)
{
    switch (error.code) {
    case 1:
        return Fill(u"原料 %s：\n\n长度小于等于 0 ，请检查输入数据!", error.text);
    case 2:
        return Fill(u"下料 %s：\n\n长度小于等于 0 ，请检查下料数据!", error.text);
    case 3:
        return Fill(u"下料 %s：\n\n数量小于等于 0 ，请检查下料数据!", error.text);
    case 4:
        return Fill(u"缺少规格%s的原料，请检查原料库存!", error.text);
    case 5:
        return Fill(u"下料 %s：\n\n下料长度 > 原料长度 !", error.text);
    case 6:
        return Fill(u"原料 %s：\n\n原料数量不足或原料长度小于用料长度!", error.text);
    default:
        return std::u16string();
    }
}

std::u16string BoundLineText(const WireOptimize_Whole& job)
{
    if (job.m_groups.empty())
        return std::u16string();
    return BoundLineText(job.m_lowerBound, job.m_lowerBoundBars, job.m_optimal, job.m_totalLength);
}

std::u16string BoundLineText(double lowerBound, int64_t lowerBoundBars, bool optimal, double totalLength)
{
    if (!(lowerBound > 0))
        return std::u16string();
    std::u16string text = u"理论最少用料 " + LengthString(lowerBound);
    if (lowerBoundBars >= 0)
        text += u"（" + CountString(lowerBoundBars) + u" 根）";
    if (optimal)
        return text + u"，本方案已证明最优";
    const double more = (totalLength - lowerBound) / lowerBound * 100;
    return text + u"，本方案多用 " + Widen(FormatFixed(std::max(0.0, more), 1)) + u"%";
}
