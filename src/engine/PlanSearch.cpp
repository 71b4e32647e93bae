#include "engine/PlanSearch.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "base/Messages.h"
#include "engine/PatternSearch.h"
#include "engine/ResultModel.h"

namespace {

enum class Mode { Preferred, Normal };

enum class PlaceOutcome { Done, Interrupted, NoPreferredFit, OutOfStock };


bool ModeMatches(Mode mode, int32_t priority)
{
    return mode == Mode::Preferred ? priority != 0 : priority == 0;
}

void RemoveStockRow(WireOptimize& group, std::size_t i)
{
    group.m_stockLength.erase(group.m_stockLength.begin() + i);
    group.m_stockQuantity.erase(group.m_stockQuantity.begin() + i);
    group.m_stockPriority.erase(group.m_stockPriority.begin() + i);
}

bool CheckGroup(WireOptimize& group, JobError& error)
{
    if (group.m_stockLength.empty()) {
        ShowMessage(u"无原料长度数据，请先输入原料长度数据!");
        error.code = 0;
        return false;
    }
    if (group.m_cutLength.empty()) {
        ShowMessage(u"无下料数据，请先输入下料数据!");
        error.code = 0;
        return false;
    }
    double longest = 0;
    for (std::size_t i = 0; i < group.m_stockLength.size(); ++i) {
        const double length = group.m_stockLength[i];
        if (!(length > 0) || !std::isfinite(length)) {
            error.code = 1;
            error.text = group.m_spec;
            return false;
        }
        if (i == 0 || length > longest)
            longest = length;
    }
    for (std::size_t i = 0; i < group.m_cutLength.size(); ++i) {
        const double length = group.m_cutLength[i];
        if (!(length > 0) || !std::isfinite(length)) {
            error.code = 2;
            error.text = group.m_spec;
            return false;
        }
        if (group.m_cutQuantity[i] < 1) {
            error.code = 3;
            error.text = group.m_spec;
            return false;
        }
        if (length > longest) {
            error.code = 5;
            error.text = group.m_spec;
            error.value = length;
            return false;
        }
    }
    // Ascending stock length; rows of equal length keep their order.
    std::vector<std::size_t> order(group.m_stockLength.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return group.m_stockLength[a] < group.m_stockLength[b];
    });
    std::vector<double> length;
    std::vector<int32_t> quantity, priority;
    for (std::size_t i : order) {
        length.push_back(group.m_stockLength[i]);
        quantity.push_back(group.m_stockQuantity[i]);
        priority.push_back(group.m_stockPriority[i]);
    }
    group.m_stockLength = std::move(length);
    group.m_stockQuantity = std::move(quantity);
    group.m_stockPriority = std::move(priority);
    return true;
}

// Chooses the bar and the companions for the lead piece (m_leadLength). Returns
// false on interruption; `fitted` tells whether any bar of the mode was long
// enough for the lead piece.
bool ChooseStock(WireOptimize& group, Mode mode, PatternBest& best, const PieceList& list, bool& fitted)
{
    fitted = false;
    const double kerf = group.m_kerfWidth;
    for (std::size_t i = 0; i < group.m_stockLength.size(); ++i) {
        if (!ModeMatches(mode, group.m_stockPriority[i]))
            continue;
        if (!ContinueRun())
            return false;
        const double room = group.m_stockLength[i] - group.m_leadLength;
        if (room < 0)
            continue;
        fitted = true;
        if (room <= kerf) {
            best.companions.clear();
            best.remnant = room;
            best.available = room;
            best.stockIndex = int32_t(i);
            return true;
        }
        Candidates candidates = CandidateLengths(list, room - kerf);
        if (!candidates.D.empty()) {
            const std::size_t count = candidates.D.size();
            group.m_tolerance = group.m_maxLengthKinds == 0 ? FreeTolerance(room, list, kerf, count) : 0;
            if (group.m_maxLengthKinds == 0) {
                if (!SearchFree(group, room, std::move(candidates), best))
                    return false;
            } else if (!SearchLimited(group, room, std::move(candidates), best)) {
                return false;
            }
            if (best.available == room)
                best.stockIndex = int32_t(i);
            if (group.m_tolerance >= best.remnant)
                return true;
        }
        if (room < best.remnant) {
            best.companions.clear();
            best.remnant = room;
            best.available = room;
            best.stockIndex = int32_t(i);
        }
    }
    return true;
}

// Fills what is left of the bar after the pattern; false on interruption.
bool FillUp(WireOptimize& group, double barLength, PieceList copy, std::vector<double>& pattern)
{
    const double k = group.m_kerfWidth;
    double used = 0;
    for (double p : pattern)
        used += p + k;
    double x = barLength - (used - k);
    if (x <= 0)
        return true;
    for (double p : pattern)
        copy.RemoveOne(p);
    copy.RemoveLongerThan(x + k + 0.00001);
    while (!copy.Empty()) {
        const double d = std::min(x + 1, copy.Last());
        if (x < d + k)
            return true;
        Candidates candidates = CandidateLengths(copy, 0);
        group.m_tolerance =
            x / std::max(1.0, d) < 3 ? 0 : FreeTolerance(x, copy, k, candidates.D.size());
        PatternBest best;
        if (!SearchFree(group, x, std::move(candidates), best))
            return false;
        // A search that finds nothing would leave the bar and the pieces as
        // they are and loop for ever.
        if (best.companions.empty())
            return true;
        for (double p : best.companions) {
            pattern.push_back(p);
            x -= p + k;
            copy.RemoveOne(p);
        }
        copy.RemoveLongerThan(x + k + 0.00001);
    }
    return true;
}

// The pattern's pieces as distinct lengths in order of first appearance with
// their counts per bar: the form a recorded pattern keeps.
WireCombine CountPieces(const std::vector<double>& pattern, double barLength)
{
    WireCombine combine;
    combine.m_barLength = barLength;
    for (double p : pattern) {
        auto it = std::find(combine.m_pieceLength.begin(), combine.m_pieceLength.end(), p);
        if (it == combine.m_pieceLength.end()) {
            combine.m_pieceLength.push_back(p);
            combine.m_pieceCount.push_back(1);
        } else {
            ++combine.m_pieceCount[std::size_t(it - combine.m_pieceLength.begin())];
        }
    }
    return combine;
}

// Cuts the counted pattern from stock row i as often as the pieces and the
// row allow; returns the number of bars.
int64_t RepeatPattern(WireOptimize& group, PieceList& list, const WireCombine& counted, std::size_t row)
{
    const std::vector<double>& lengths = counted.m_pieceLength;
    const std::vector<int64_t>& perBar = counted.m_pieceCount;
    // How many whole bars the remaining pieces allow.
    int64_t possible = -1;
    std::vector<std::size_t> runOf(lengths.size());
    for (std::size_t t = 0; t < lengths.size(); ++t) {
        auto it = std::lower_bound(list.m_length.begin(), list.m_length.end(), lengths[t], std::greater<double>());
        const std::size_t r = std::size_t(it - list.m_length.begin());
        runOf[t] = r;
        const int64_t have = (it != list.m_length.end() && *it == lengths[t]) ? list.m_count[r] : 0;
        const int64_t bars = have / perBar[t];
        possible = possible < 0 ? bars : std::min(possible, bars);
    }
    const int64_t quantity = group.m_stockQuantity[row];
    const int64_t n = std::min(possible, quantity);
    for (std::size_t t = 0; t < lengths.size(); ++t)
        list.m_count[runOf[t]] -= n * perBar[t];
    // Drop the runs that are used up.
    std::size_t out = 0;
    for (std::size_t r = 0; r < list.m_length.size(); ++r) {
        if (list.m_count[r] == 0)
            continue;
        list.m_length[out] = list.m_length[r];
        list.m_count[out] = list.m_count[r];
        ++out;
    }
    list.m_length.resize(out);
    list.m_count.resize(out);

    if (n >= quantity)
        RemoveStockRow(group, row);
    else
        group.m_stockQuantity[row] = int32_t(quantity - n);
    return n;
}

void RecordPattern(WireOptimize& group, int64_t n, WireCombine combine)
{
    const double barLength = combine.m_barLength;
    combine.m_barCount = n;
    for (WireCombine& existing : group.m_patterns) {
        if (existing.m_barLength != barLength || existing.m_pieceLength.size() != combine.m_pieceLength.size())
            continue;
        bool same = true;
        for (std::size_t t = 0; t < combine.m_pieceLength.size() && same; ++t) {
            bool found = false;
            for (std::size_t u = 0; u < existing.m_pieceLength.size(); ++u) {
                if (existing.m_pieceLength[u] == combine.m_pieceLength[t]) {
                    found = existing.m_pieceCount[u] == combine.m_pieceCount[t];
                    break;
                }
            }
            same = found;
        }
        if (same) {
            existing.m_barCount += n;
            return;
        }
    }
    ComputePatternFigures(combine, barLength, group.m_kerfWidth, combine.m_utilisation, combine.m_remnant);
    group.m_patterns.push_back(std::move(combine));
    if (g_resultWindow)
        g_resultWindow->ShowLiveRow(group, group.m_patterns.back());
}

PlaceOutcome PlaceLeadPieces(WireOptimize& group, Mode mode, PieceList& list, JobError& error)
{
    while (!list.Empty()) {
        PatternBest best;
        group.m_leadLength = list.First();
        list.PopFront();
        bool fitted = false;
        if (!ChooseStock(group, mode, best, list, fitted)) {
            error.code = 0;
            return PlaceOutcome::Interrupted;
        }
        if (!fitted) {
            if (mode == Mode::Preferred) {
                list.PushFront(group.m_leadLength);
                return PlaceOutcome::NoPreferredFit;
            }
            error.code = 6;
            error.text = group.m_spec;
            return PlaceOutcome::OutOfStock;
        }
        list.PushFront(group.m_leadLength);
        std::vector<double> pattern;
        pattern.reserve(best.companions.size() + 1);
        pattern.push_back(group.m_leadLength);
        pattern.insert(pattern.end(), best.companions.begin(), best.companions.end());
        const double barLength = best.available + group.m_leadLength;
        if (group.m_maxLengthKinds == 0 && g_speedLevel > 0) {
            if (!FillUp(group, barLength, list, pattern)) {
                error.code = 0;
                return PlaceOutcome::Interrupted;
            }
        }
        WireCombine counted = CountPieces(pattern, barLength);
        const int64_t n = RepeatPattern(group, list, counted, std::size_t(best.stockIndex));
        RecordPattern(group, n, std::move(counted));
    }
    return PlaceOutcome::Done;
}

}  // namespace

bool PlanGroup(WireOptimize& group, JobError& error)
{
    if (!CheckGroup(group, error))
        return false;
    if (group.m_trimLength > 0)
        for (double& length : group.m_stockLength)
            length -= group.m_trimLength;
    group.m_patterns.clear();
    if (!ContinueRun()) {
        error.code = 0;
        return false;
    }

    // The pieces, longest first.
    std::vector<std::size_t> order(group.m_cutLength.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return group.m_cutLength[a] > group.m_cutLength[b]; });
    PieceList list;
    for (std::size_t i : order)
        list.Append(group.m_cutLength[i], group.m_cutQuantity[i]);

    // Preferred stock first, for every piece that fits it.
    PieceList deferred;
    while (!group.m_stockLength.empty()) {
        bool havePreferred = false;
        double d = 0;
        for (std::size_t i = 0; i < group.m_stockLength.size(); ++i) {
            if (group.m_stockPriority[i] != 0 && group.m_stockQuantity[i] > 0) {
                if (!havePreferred || group.m_stockLength[i] > d)
                    d = group.m_stockLength[i];
                havePreferred = true;
            }
        }
        if (!havePreferred)
            break;
        while (!list.Empty() && list.First() > d) {
            deferred.Append(list.m_length.front(), list.m_count.front());
            list.m_length.erase(list.m_length.begin());
            list.m_count.erase(list.m_count.begin());
        }
        if (list.Empty())
            break;
        const PlaceOutcome outcome = PlaceLeadPieces(group, Mode::Preferred, list, error);
        if (outcome == PlaceOutcome::Interrupted)
            return false;
        // Otherwise every piece is placed, or the longest preferred bars are used
        // up and the lead piece fits none of those left: back to the top, where
        // it is deferred with every piece longer than the preferred bars left.
    }

    // The deferred pieces, then the rest.
    for (std::size_t r = 0; r < list.m_length.size(); ++r)
        deferred.Append(list.m_length[r], list.m_count[r]);
    list = std::move(deferred);

    if (!list.Empty()) {
        bool haveNormal = false;
        for (std::size_t i = 0; i < group.m_stockLength.size(); ++i)
            if (group.m_stockQuantity[i] >= 1 && group.m_stockPriority[i] == 0)
                haveNormal = true;
        if (!haveNormal) {
            error.code = 6;
            error.text = group.m_spec;
            return false;
        }
        const PlaceOutcome outcome = PlaceLeadPieces(group, Mode::Normal, list, error);
        if (outcome == PlaceOutcome::Interrupted || outcome == PlaceOutcome::OutOfStock)
            return false;
    }

    if (group.m_trimLength > 0)
        for (WireCombine& pattern : group.m_patterns)
            pattern.m_barLength += group.m_trimLength;
    TotalGroup(group);
    return true;
}
