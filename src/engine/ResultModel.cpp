#include "engine/ResultModel.h"

#include <algorithm>

void ComputePatternFigures(const WireCombine& pattern, double barLength, double kerf, double& utilisation,
                           double& remnant)
{
    double pieces = 0;   // length of the pieces of one bar
    int64_t count = 0;   // pieces per bar
    for (std::size_t t = 0; t < pattern.m_pieceLength.size(); ++t) {
        pieces += double(pattern.m_pieceCount[t]) * pattern.m_pieceLength[t];
        count += pattern.m_pieceCount[t];
    }
    utilisation = barLength > 0 ? pieces / barLength : 0;
    // A kerf after every piece, the last one included; the trim stays part of it.
    remnant = barLength - pieces - double(count) * kerf;
    if (remnant < 0)
        remnant = 0;
}

void TotalGroup(WireOptimize& group)
{
    group.m_usedLength.clear();
    group.m_usedBars.clear();
    group.m_usedPieceLength.clear();
    for (const WireCombine& p : group.m_patterns) {
        if (std::find(group.m_usedLength.begin(), group.m_usedLength.end(), p.m_barLength) ==
            group.m_usedLength.end()) {
            group.m_usedLength.push_back(p.m_barLength);
            group.m_usedBars.push_back(0);
            group.m_usedPieceLength.push_back(0);
        }
    }
    group.m_totalLength = 0;
    group.m_totalBars = 0;
    double piecesTotal = 0;
    for (WireCombine& p : group.m_patterns) {
        group.m_totalLength += double(p.m_barCount) * p.m_barLength;
        group.m_totalBars += p.m_barCount;
        double pieces = 0;
        for (std::size_t t = 0; t < p.m_pieceLength.size(); ++t)
            pieces += double(p.m_pieceCount[t]) * p.m_pieceLength[t];
        piecesTotal += pieces * double(p.m_barCount);
        ComputePatternFigures(p, p.m_barLength, group.m_kerfWidth, p.m_utilisation, p.m_remnant);
        const std::size_t u = std::size_t(
            std::find(group.m_usedLength.begin(), group.m_usedLength.end(), p.m_barLength) -
            group.m_usedLength.begin());
        group.m_usedBars[u] += p.m_barCount;
        group.m_usedPieceLength[u] += double(p.m_barCount) * p.m_barLength * p.m_utilisation;
    }
    group.m_utilisation = group.m_totalLength > 0 ? piecesTotal / group.m_totalLength : 0;
}

void TotalJob(WireOptimize_Whole& job)
{
    job.m_totalLength = 0;
    job.m_totalBars = 0;
    double weighted = 0;
    for (const WireOptimize& g : job.m_groups) {
        job.m_totalLength += g.m_totalLength;
        job.m_totalBars += g.m_totalBars;
        weighted += g.m_utilisation * g.m_totalLength;
    }
    job.m_utilisation = job.m_totalLength > 0 ? weighted / job.m_totalLength : 0;
}

void BuildLeftoverList(WireOptimize_Whole& job)
{
    std::vector<double> length;
    std::vector<int64_t> quantity;
    std::vector<MyString> spec;
    std::vector<int32_t> priority;
    auto add = [&](double l, int64_t q, const MyString& s, int32_t p) {
        length.push_back(l);
        quantity.push_back(q);
        spec.push_back(s);
        priority.push_back(p);
    };
    for (std::size_t i = 0; i < job.m_stockLength.size(); ++i)
        add(job.m_stockLength[i], job.m_stockQuantity[i], job.m_stockSpec[i], job.m_stockPriority[i]);
    for (const WireOptimize& g : job.m_groups) {
        for (const WireCombine& p : g.m_patterns) {
            add(p.m_barLength, -p.m_barCount, g.m_spec, 0);
            if (p.m_remnant > 0)
                add(p.m_remnant, p.m_barCount, g.m_spec, -1);
        }
    }
    // Every use of a stock length is subtracted from its row; remnants of equal
    // length and specification are counted together or join that stock row.
    const std::size_t n = length.size();
    for (std::size_t j = 0; j + 1 < n; ++j) {
        for (std::size_t l = j + 1; l < n; ++l) {
            if (length[l] == length[j] && spec[l] == spec[j]) {
                quantity[j] += quantity[l];
                quantity[l] = 0;
            }
        }
    }
    job.m_leftoverLength.clear();
    job.m_leftoverQuantity.clear();
    job.m_leftoverSpec.clear();
    job.m_leftoverPriority.clear();
    for (std::size_t j = 0; j < n; ++j) {
        if (quantity[j] < 1)
            continue;
        job.m_leftoverLength.push_back(length[j]);
        job.m_leftoverQuantity.push_back(quantity[j] > LEFTOVER_UNLIMITED_ABOVE ? -1 : quantity[j]);
        job.m_leftoverSpec.push_back(std::move(spec[j]));
        job.m_leftoverPriority.push_back(priority[j]);
    }
}

void AssignMarks(WireOptimize_Whole& job)
{
    for (WireOptimize& g : job.m_groups) {
        std::vector<MarkEntry> entries;
        for (std::size_t i = 0; i < job.m_markSpec.size(); ++i)
            if (job.m_markSpec[i] == g.m_spec)
                entries.push_back({job.m_markText[i], job.m_markLength[i], job.m_markQuantity[i]});
        for (WireCombine& p : g.m_patterns)
            MarkPattern(p, entries);
    }
}

namespace {

// Bars of a pattern that are cut exactly alike, each piece a slot of its own
// until the marks are placed.
struct BarGroup {
    int64_t count = 0;
    std::vector<double> length;
    std::vector<int64_t> pieces;
    std::vector<MyString> mark;
};

bool SameBars(const BarGroup& a, const BarGroup& b)
{
    return a.length == b.length && a.pieces == b.pieces && a.mark == b.mark;
}

}  // namespace

void MarkPattern(WireCombine& pattern, std::vector<MarkEntry>& entries)
{
    pattern.m_markRecords.clear();
    if (entries.empty()) {
        WireCombine_Mark record;
        record.m_barCount = pattern.m_barCount;
        record.m_pieceLength = pattern.m_pieceLength;
        record.m_pieceCount = pattern.m_pieceCount;
        record.m_pieceMark.assign(pattern.m_pieceLength.size(), MyString());
        pattern.m_markRecords.push_back(std::move(record));
        return;
    }

    // One group for all bars, one slot per piece; the marks are placed bar by
    // bar and slot by slot, so a group splits where a mark runs out.
    std::vector<BarGroup> bars(1);
    bars[0].count = pattern.m_barCount;
    for (std::size_t t = 0; t < pattern.m_pieceLength.size(); ++t) {
        for (int64_t c = 0; c < pattern.m_pieceCount[t]; ++c) {
            bars[0].length.push_back(pattern.m_pieceLength[t]);
            bars[0].pieces.push_back(1);
            bars[0].mark.emplace_back();
        }
    }

    for (std::size_t e = 0; e < entries.size();) {
        MarkEntry& entry = entries[e];
        for (std::size_t b = 0; b < bars.size() && entry.quantity > 0; ++b) {
            std::vector<std::size_t> slots;
            for (std::size_t s = 0; s < bars[b].length.size(); ++s)
                if (bars[b].length[s] == entry.length && bars[b].mark[s].empty())
                    slots.push_back(s);
            if (slots.empty())
                continue;
            const int64_t perBar = int64_t(slots.size());
            const int64_t fullBars = entry.quantity / perBar;
            if (fullBars >= bars[b].count) {
                for (std::size_t s : slots)
                    bars[b].mark[s] = entry.mark;
                entry.quantity -= bars[b].count * perBar;
                continue;
            }
            // The mark runs out inside this group: fullBars bars fully marked,
            // then one bar partly marked, then the rest untouched.
            const int64_t rest = entry.quantity % perBar;
            BarGroup untouched = bars[b];
            std::vector<BarGroup> split;
            if (fullBars > 0) {
                BarGroup full = untouched;
                full.count = fullBars;
                for (std::size_t s : slots)
                    full.mark[s] = entry.mark;
                split.push_back(std::move(full));
            }
            if (rest > 0) {
                BarGroup partial = untouched;
                partial.count = 1;
                for (int64_t s = 0; s < rest; ++s)
                    partial.mark[slots[std::size_t(s)]] = entry.mark;
                split.push_back(std::move(partial));
            }
            untouched.count -= fullBars + (rest > 0 ? 1 : 0);
            if (untouched.count > 0)
                split.push_back(std::move(untouched));
            bars.erase(bars.begin() + std::ptrdiff_t(b));
            bars.insert(bars.begin() + std::ptrdiff_t(b), split.begin(), split.end());
            entry.quantity = 0;
        }
        if (entry.quantity <= 0)
            entries.erase(entries.begin() + std::ptrdiff_t(e));
        else
            ++e;
    }

    // Neighbouring pieces of equal length and mark become one entry.
    for (BarGroup& g : bars) {
        BarGroup combined;
        combined.count = g.count;
        for (std::size_t s = 0; s < g.length.size(); ++s) {
            if (!combined.length.empty() && combined.length.back() == g.length[s] && combined.mark.back() == g.mark[s]) {
                combined.pieces.back() += g.pieces[s];
                continue;
            }
            combined.length.push_back(g.length[s]);
            combined.pieces.push_back(g.pieces[s]);
            combined.mark.push_back(g.mark[s]);
        }
        g = std::move(combined);
    }
    // Neighbouring records that are alike become one.
    std::vector<BarGroup> merged;
    for (BarGroup& g : bars) {
        if (!merged.empty() && SameBars(merged.back(), g)) {
            merged.back().count += g.count;
            continue;
        }
        merged.push_back(std::move(g));
    }
    for (BarGroup& g : merged) {
        WireCombine_Mark record;
        record.m_barCount = g.count;
        record.m_pieceLength = std::move(g.length);
        record.m_pieceCount = std::move(g.pieces);
        record.m_pieceMark = std::move(g.mark);
        pattern.m_markRecords.push_back(std::move(record));
    }
}

std::vector<WireCombine_Mark> ReportedMarkRecords(const WireCombine& pattern)
{
    if (!pattern.m_markRecords.empty())
        return pattern.m_markRecords;
    WireCombine_Mark record;
    record.m_barCount = pattern.m_barCount;
    record.m_pieceLength = pattern.m_pieceLength;
    record.m_pieceCount = pattern.m_pieceCount;
    record.m_pieceMark.assign(pattern.m_pieceLength.size(), MyString());
    return {record};
}
