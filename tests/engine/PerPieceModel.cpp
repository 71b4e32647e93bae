#include "PerPieceModel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numeric>

#include "engine/ResultModel.h"

namespace model {

namespace {

// Fit margin of every length comparison in the searches.
constexpr double FIT_MARGIN = 0.00001;

// Truncation toward zero, kept inside the range of int64.
int64_t Trunc(double v)
{
    if (!(v < 9.0e18)) {
        return std::numeric_limits<int64_t>::max();
    }
    if (v <= -9.0e18) {
        return std::numeric_limits<int64_t>::min();
    }
    return static_cast<int64_t>(v);
}

// Removes the first entry equal to `length`; false when there is none.
bool RemoveFirstEqual(Pieces& list, double length)
{
    auto it = std::find(list.begin(), list.end(), length);
    if (it == list.end()) {
        return false;
    }
    list.erase(it);
    return true;
}

// Removes every entry longer than `limit`.
void RemoveLongerThan(Pieces& list, double limit)
{
    list.erase(std::remove_if(list.begin(), list.end(), [limit](double p) { return p > limit; }), list.end());
}

// ---------------------------------------------------------------------------
// Free search

// Pruning of P (ascending) for m companions.
void PruneForCount(std::vector<double>& P, int64_t m, double x, double k)
{
    while (!P.empty()) {
        // Short-end test: the shortest piece with the longest ones.
        const std::size_t n = P.size();
        double sum = k + P[0];
        int64_t added = 0;
        bool exceeded = false;
        for (std::size_t j = n - 1; j >= 1; --j) {
            sum += (k + P[j]);
            ++added;
            if (sum > x) {
                exceeded = true;
                break;
            }
        }
        const int64_t f = exceeded ? added : 1;
        if (f > m) {
            P.erase(P.begin());
            continue;
        }
        // Long-end test, repeated: the longest piece with the shortest ones.
        while (!P.empty()) {
            const std::size_t count = P.size();
            double s = k + P[count - 1];
            int64_t g = 0;  // 1-based position of the addition that exceeded; 0 = none did
            for (std::size_t j = 0; j < count; ++j) {
                s += (k + P[j]);
                if (s > x) {
                    g = static_cast<int64_t>(j) + 1;
                    break;
                }
            }
            if (g == 0 || g >= m) {
                return;
            }
            P.pop_back();
        }
        return;
    }
}

// Combination search for exactly m companions on P (positions 1 to n).
class Combinations {
public:
    Combinations(WireOptimize& group, double x, const std::vector<double>& ascending, int64_t m, Best& best)
        : m_group(group), m_x(x), m_k(group.m_kerfWidth), m_m(m), m_best(best)
    {
        m_P.push_back(0);  // position 0 is not used
        m_P.insert(m_P.end(), ascending.begin(), ascending.end());
        m_n = static_cast<int64_t>(ascending.size());
        m_V.assign(static_cast<std::size_t>(m + 1), 0);
        m_V[static_cast<std::size_t>(m)] = m_n + 1;
    }

    void Run() { Search(m_m, m_n); }

private:
    double Piece(int64_t position) const { return m_P[static_cast<std::size_t>(position)]; }
    int64_t& V(int64_t level) { return m_V[static_cast<std::size_t>(level)]; }

    int64_t Search(int64_t L, int64_t a)
    {
        if (m_stop || m_gmax >= V(m_m)) {
            return 0;
        }
        int64_t res = 0;
        for (int64_t i = a; i >= L; --i) {
            if (i < a && Piece(i) == Piece(i + 1)) {
                continue;
            }
            V(L) = i;
            if (res >= i) {
                return res;
            }
            if (L >= 2) {
                res = std::max(res, Search(L - 1, i - 1));
                continue;
            }
            // Level 1: the choice is complete. Sum its pieces longest first.
            double s = 0;
            for (int64_t l = m_m; l >= 1; --l) {
                s += Piece(V(l));
            }
            const double h = m_x - (s + static_cast<double>(m_m) * m_k);
            if (h >= -FIT_MARGIN) {
                res = std::max(res, i);
                m_gmax = std::max(m_gmax, res);
                if (h < m_best.remnant) {
                    m_best.remnant = h;
                    m_best.available = m_x;
                    m_best.companions.clear();
                    for (int64_t l = m_m; l >= 1; --l) {
                        m_best.companions.push_back(Piece(V(l)));
                    }
                    if (m_best.remnant <= m_group.m_tolerance) {
                        m_stop = true;
                        return res;
                    }
                }
            }
        }
        return res;
    }

    WireOptimize& m_group;
    double m_x;
    double m_k;
    int64_t m_m;
    Best& m_best;
    std::vector<double> m_P;
    int64_t m_n = 0;
    std::vector<int64_t> m_V;
    int64_t m_gmax = 0;
    bool m_stop = false;
};

// ---------------------------------------------------------------------------
// Limited search

// Counts search on one choice of lengths (descending) with their caps.
class CountsSearch {
public:
    CountsSearch(WireOptimize& group, double x, Best& best, bool& stop)
        : m_group(group), m_x(x), m_k(group.m_kerfWidth), m_best(best), m_stop(stop)
    {
    }

    void Run(const std::vector<double>& lengths, const std::vector<int64_t>& caps)
    {
        m_lengths = lengths;
        m_caps.clear();
        for (std::size_t j = 0; j < lengths.size(); ++j) {
            m_caps.push_back(std::min(caps[j], Trunc((m_x + FIT_MARGIN) / (lengths[j] + m_k))));
        }
        m_current = m_caps;
        m_counts.assign(lengths.size(), 0);
        Level(0, m_x);
    }

private:
    void Level(std::size_t j, double r)
    {
        const double L = m_lengths[j];
        if (j + 1 == m_lengths.size()) {
            const int64_t count = std::min(m_current[j], Trunc((r + FIT_MARGIN) / (L + m_k)));
            m_counts[j] = count;
            const double h = r - static_cast<double>(count) * (L + m_k);
            if (h < m_best.remnant) {
                m_best.remnant = h;
                m_best.available = m_x;
                m_best.companions.clear();
                for (std::size_t l = 0; l < m_lengths.size(); ++l) {
                    for (int64_t c = 0; c < m_counts[l]; ++c) {
                        m_best.companions.push_back(m_lengths[l]);
                    }
                }
                if (m_best.remnant <= m_group.m_tolerance) {
                    m_stop = true;
                }
            }
            return;
        }
        for (int64_t count = 0; count <= m_current[j]; ++count) {
            m_counts[j] = count;
            const double rest = r - static_cast<double>(count) * (L + m_k);
            const double next = m_lengths[j + 1];
            m_current[j + 1] = std::min(m_caps[j + 1], Trunc((rest + FIT_MARGIN) / (next + m_k)));
            Level(j + 1, rest);
            if (m_stop) {
                return;
            }
        }
    }

    WireOptimize& m_group;
    double m_x;
    double m_k;
    Best& m_best;
    bool& m_stop;
    std::vector<double> m_lengths;
    std::vector<int64_t> m_caps;
    std::vector<int64_t> m_current;
    std::vector<int64_t> m_counts;
};

// ---------------------------------------------------------------------------
// Plan search

enum class Placement { Done, NoPreferredFit, OutOfStock };

bool CheckGroup(WireOptimize& group, JobError& error)
{
    if (group.m_stockLength.empty() || group.m_cutLength.empty()) {
        error.code = 0;
        return false;
    }
    double greatest = 0;
    for (std::size_t i = 0; i < group.m_stockLength.size(); ++i) {
        const double length = group.m_stockLength[i];
        if (length <= 0) {
            error.code = 1;
            error.text = group.m_spec;
            return false;
        }
        if (i == 0 || length > greatest) {
            greatest = length;
        }
    }
    for (std::size_t j = 0; j < group.m_cutLength.size(); ++j) {
        const double length = group.m_cutLength[j];
        if (length <= 0) {
            error.code = 2;
            error.text = group.m_spec;
            return false;
        }
        if (group.m_cutQuantity[j] < 1) {
            error.code = 3;
            error.text = group.m_spec;
            return false;
        }
        if (length > greatest) {
            error.code = 5;
            error.text = group.m_spec;
            error.value = length;
            return false;
        }
    }
    // Ascending by length; rows of equal length keep their order.
    std::vector<std::size_t> order(group.m_stockLength.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&group](std::size_t a, std::size_t b) {
        return group.m_stockLength[a] < group.m_stockLength[b];
    });
    std::vector<double> length;
    std::vector<int32_t> quantity;
    std::vector<int32_t> priority;
    for (std::size_t i : order) {
        length.push_back(group.m_stockLength[i]);
        quantity.push_back(group.m_stockQuantity[i]);
        priority.push_back(group.m_stockPriority[i]);
    }
    group.m_stockLength = length;
    group.m_stockQuantity = quantity;
    group.m_stockPriority = priority;
    return true;
}

// The greatest length among the preferred rows that still have bars.
bool GreatestPreferred(const WireOptimize& group, double& d)
{
    bool found = false;
    for (std::size_t i = 0; i < group.m_stockLength.size(); ++i) {
        if (group.m_stockPriority[i] != 0 && group.m_stockQuantity[i] > 0 && (!found || group.m_stockLength[i] > d)) {
            d = group.m_stockLength[i];
            found = true;
        }
    }
    return found;
}

// Looks at the rows of the mode for the lead piece; false when none is long enough.
bool ChooseStock(WireOptimize& group, bool preferred, Best& best, const Pieces& list)
{
    const double k = group.m_kerfWidth;
    bool fitted = false;
    for (std::size_t i = 0; i < group.m_stockLength.size(); ++i) {
        if ((group.m_stockPriority[i] != 0) != preferred) {
            continue;
        }
        const double room = group.m_stockLength[i] - group.m_leadLength;
        if (room < 0) {
            continue;
        }
        fitted = true;
        if (room <= k) {
            best.companions.clear();
            best.remnant = room;
            best.available = room;
            best.stockIndex = static_cast<int32_t>(i);
            return true;
        }
        CandidateSet candidates = CandidateLengths(list, room - k);
        if (!candidates.D.empty()) {
            group.m_tolerance = group.m_maxLengthKinds == 0 ? FreeTolerance(room, list, k, candidates.D.size()) : 0;
            if (group.m_maxLengthKinds == 0) {
                SearchFree(group, room, candidates, best);
            } else {
                SearchLimited(group, room, candidates, best);
            }
            if (best.available == room) {
                best.stockIndex = static_cast<int32_t>(i);
            }
            if (group.m_tolerance >= best.remnant) {
                return true;
            }
        }
        if (room < best.remnant) {
            best.companions.clear();
            best.remnant = room;
            best.available = room;
            best.stockIndex = static_cast<int32_t>(i);
        }
    }
    return fitted;
}

void FillUp(WireOptimize& group, double L, Pieces copy, Pieces& pattern)
{
    const double k = group.m_kerfWidth;
    double sum = 0;
    for (double p : pattern) {
        sum += (p + k);
    }
    double x = L - (sum - k);
    if (x <= 0) {
        return;
    }
    for (double p : pattern) {
        RemoveFirstEqual(copy, p);
    }
    RemoveLongerThan(copy, x + k + FIT_MARGIN);
    while (!copy.empty()) {
        const double d = std::min(x + 1, copy.back());
        if (x < d + k) {
            return;
        }
        const CandidateSet candidates = CandidateLengths(copy, 0);
        group.m_tolerance = x / std::max(1.0, d) < 3 ? 0 : FreeTolerance(x, copy, k, candidates.D.size());
        Best fill;
        SearchFree(group, x, candidates, fill);
        // A search that adds nothing would leave x and the copy as they are and
        // the loop would never end; nothing more can be added then.
        if (fill.companions.empty()) {
            break;
        }
        for (double p : fill.companions) {
            pattern.push_back(p);
            x -= (p + k);
            RemoveFirstEqual(copy, p);
        }
        RemoveLongerThan(copy, x + k + FIT_MARGIN);
    }
}

// Cuts the pattern from row i as often as the pieces and the row's bars allow.
int64_t RepeatPattern(WireOptimize& group, Pieces& list, const Pieces& pattern, std::size_t i)
{
    int64_t n = 0;
    for (;;) {
        Pieces copy = list;
        for (double p : pattern) {
            if (!RemoveFirstEqual(copy, p)) {
                group.m_stockQuantity[i] -= static_cast<int32_t>(n);
                return n;
            }
        }
        ++n;
        list = copy;
        if (n == group.m_stockQuantity[i]) {
            group.m_stockLength.erase(group.m_stockLength.begin() + static_cast<std::ptrdiff_t>(i));
            group.m_stockQuantity.erase(group.m_stockQuantity.begin() + static_cast<std::ptrdiff_t>(i));
            group.m_stockPriority.erase(group.m_stockPriority.begin() + static_cast<std::ptrdiff_t>(i));
            return n;
        }
    }
}

void PatternFigures(WireCombine& pattern, double L, double k)
{
    double P = 0;
    int64_t N = 0;
    for (std::size_t j = 0; j < pattern.m_pieceLength.size(); ++j) {
        P += static_cast<double>(pattern.m_pieceCount[j]) * pattern.m_pieceLength[j];
        N += pattern.m_pieceCount[j];
    }
    pattern.m_utilisation = L > 0 ? P / L : 0;
    const double remnant = L - P - static_cast<double>(N) * k;
    pattern.m_remnant = remnant < 0 ? 0 : remnant;
}

void RecordPattern(WireOptimize& group, int64_t n, double L, const Pieces& pattern)
{
    WireCombine made;
    made.m_barLength = L;
    made.m_barCount = n;
    for (double p : pattern) {
        auto it = std::find(made.m_pieceLength.begin(), made.m_pieceLength.end(), p);
        if (it == made.m_pieceLength.end()) {
            made.m_pieceLength.push_back(p);
            made.m_pieceCount.push_back(1);
        } else {
            ++made.m_pieceCount[static_cast<std::size_t>(it - made.m_pieceLength.begin())];
        }
    }
    for (WireCombine& old : group.m_patterns) {
        if (old.m_barLength != L || old.m_pieceLength.size() != made.m_pieceLength.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t j = 0; j < made.m_pieceLength.size() && same; ++j) {
            auto it = std::find(old.m_pieceLength.begin(), old.m_pieceLength.end(), made.m_pieceLength[j]);
            same = it != old.m_pieceLength.end() &&
                   old.m_pieceCount[static_cast<std::size_t>(it - old.m_pieceLength.begin())] == made.m_pieceCount[j];
        }
        if (same) {
            old.m_barCount += n;
            return;
        }
    }
    PatternFigures(made, L, group.m_kerfWidth);
    group.m_patterns.push_back(made);
}

Placement PlaceLeadPieces(WireOptimize& group, bool preferred, Pieces& list, JobError& error)
{
    while (!list.empty()) {
        Best best;
        group.m_leadLength = list.front();
        list.erase(list.begin());
        if (!ChooseStock(group, preferred, best, list)) {
            if (preferred) {
                list.insert(list.begin(), group.m_leadLength);
                return Placement::NoPreferredFit;
            }
            error.code = 6;
            error.text = group.m_spec;
            return Placement::OutOfStock;
        }
        list.insert(list.begin(), group.m_leadLength);
        Pieces pattern{group.m_leadLength};
        pattern.insert(pattern.end(), best.companions.begin(), best.companions.end());
        const double L = best.available + group.m_leadLength;
        if (group.m_maxLengthKinds == 0 && g_speedLevel > 0) {
            FillUp(group, L, list, pattern);
        }
        const int64_t n = RepeatPattern(group, list, pattern, static_cast<std::size_t>(best.stockIndex));
        RecordPattern(group, n, L, pattern);
    }
    return Placement::Done;
}

}  // namespace

// ---------------------------------------------------------------------------

CandidateSet CandidateLengths(const Pieces& list, double x)
{
    CandidateSet all;
    for (double p : list) {
        if (!all.D.empty() && p == all.D.back()) {
            ++all.Q.back();
        } else {
            all.D.push_back(p);
            all.Q.push_back(1);
        }
    }
    if (x <= 0) {
        return all;
    }
    CandidateSet kept;
    for (std::size_t i = 0; i < all.D.size(); ++i) {
        const double d = all.D[i];
        if (d > x + FIT_MARGIN || d <= FIT_MARGIN) {
            continue;
        }
        kept.D.push_back(d);
        kept.Q.push_back(std::min(all.Q[i], Trunc(x / d + FIT_MARGIN)));
    }
    return kept;
}

double FreeTolerance(double room, const Pieces& list, double kerf, std::size_t candidateCount)
{
    if (g_speedLevel == 0) {
        return 0;
    }
    // How many pieces fit when taken from the short end of the list.
    int64_t d = 0;
    double sum = 0;
    for (std::size_t j = list.size(); j-- > 0;) {
        sum += (kerf + list[j]);
        if (sum > room) {
            break;
        }
        ++d;
    }
    double t = std::max(1.0, std::log10(static_cast<double>(candidateCount)) - 0.5) * static_cast<double>(d) / 3;
    t = std::min(t, 8.0) * g_speedLevel * 0.01;
    t = std::min(t, 0.3);
    return t * room;
}

void SearchFree(WireOptimize& group, double x, CandidateSet candidates, Best& best)
{
    const double k = group.m_kerfWidth;
    std::vector<double>& D = candidates.D;
    std::vector<int64_t>& Q = candidates.Q;
    for (std::size_t i = 0; i < D.size(); ++i) {
        Q[i] = std::min(Q[i], Trunc(x / (D[i] + k) + FIT_MARGIN));
    }
    // Single pieces, ascending.
    std::vector<double> E;
    for (std::size_t i = D.size(); i-- > 0;) {
        for (int64_t c = 0; c < Q[i]; ++c) {
            E.push_back(D[i]);
        }
    }
    int64_t mMax = 0;
    double sum = 0;
    for (std::size_t j = 0; j < E.size(); ++j) {
        sum += (k + E[j]);
        if (sum > x) {
            break;
        }
        ++mMax;
    }
    int64_t mMin = 0;
    sum = 0;
    for (std::size_t j = E.size(); j-- > 0;) {
        sum += (k + E[j]);
        if (sum > x) {
            break;
        }
        ++mMin;
    }
    for (int64_t m = std::max<int64_t>(mMin, 1); m <= mMax; ++m) {
        std::vector<double> P = E;
        PruneForCount(P, m, x, k);
        Combinations(group, x, P, m, best).Run();
        if (best.remnant <= group.m_tolerance) {
            return;
        }
    }
}

void SearchLimited(WireOptimize& group, double x, CandidateSet candidates, Best& best)
{
    const std::vector<double>& D = candidates.D;
    const std::vector<int64_t>& Q = candidates.Q;
    const int32_t K = group.m_maxLengthKinds;
    const bool withLead = !D.empty() && D[0] == group.m_leadLength;
    bool stop = false;
    CountsSearch counts(group, x, best, stop);

    if (withLead) {
        counts.Run({D[0]}, {Q[0]});
    }
    for (int32_t i = 1; i <= K - 1; ++i) {
        group.m_tolerance = i < 3 ? 0 : (i - 1) * 0.005 * x * g_speedLevel;
        if (group.m_tolerance > best.remnant) {
            return;
        }
        stop = false;
        // Choices of i distinct lengths from D[first] onward, in lexicographic
        // order of their index lists; D[0] goes in front when it is the lead's.
        const std::size_t first = withLead ? 1 : 0;
        const std::size_t choose = static_cast<std::size_t>(i);
        if (first + choose <= D.size()) {
            std::vector<std::size_t> index(choose);
            std::iota(index.begin(), index.end(), first);
            for (;;) {
                std::vector<double> lengths;
                std::vector<int64_t> caps;
                if (withLead) {
                    lengths.push_back(D[0]);
                    caps.push_back(Q[0]);
                }
                for (std::size_t j : index) {
                    lengths.push_back(D[j]);
                    caps.push_back(Q[j]);
                }
                counts.Run(lengths, caps);
                if (stop) {
                    break;
                }
                // Next index list.
                std::size_t pos = choose;
                while (pos > 0 && index[pos - 1] == D.size() - choose + (pos - 1)) {
                    --pos;
                }
                if (pos == 0) {
                    break;
                }
                ++index[pos - 1];
                for (std::size_t j = pos; j < choose; ++j) {
                    index[j] = index[j - 1] + 1;
                }
            }
        }
        if (stop) {
            return;
        }
    }
}

bool ModelPlanGroup(WireOptimize& group, JobError& error)
{
    if (!CheckGroup(group, error)) {
        return false;
    }
    if (group.m_trimLength > 0) {
        for (double& length : group.m_stockLength) {
            length -= group.m_trimLength;
        }
    }
    group.m_patterns.clear();

    Pieces list;
    for (std::size_t j = 0; j < group.m_cutLength.size(); ++j) {
        for (int64_t c = 0; c < group.m_cutQuantity[j]; ++c) {
            list.push_back(group.m_cutLength[j]);
        }
    }
    std::sort(list.begin(), list.end(), [](double a, double b) { return a > b; });

    // Preferred phase.
    Pieces deferred;
    double d = 0;
    while (!group.m_stockLength.empty()) {
        if (!GreatestPreferred(group, d)) {
            break;
        }
        while (!list.empty() && list.front() > d) {
            deferred.push_back(list.front());
            list.erase(list.begin());
        }
        if (list.empty()) {
            break;
        }
        const Placement placed = PlaceLeadPieces(group, true, list, error);
        // A lead piece no longer than the longest preferred bar always finds
        // that bar, so "no preferred fit" leaves a lead that the next round
        // defers. Should that ever not hold, the round would repeat unchanged
        // without end.
        double after = 0;
        if (placed == Placement::NoPreferredFit && GreatestPreferred(group, after) && list.front() <= after) {
            break;
        }
    }
    deferred.insert(deferred.end(), list.begin(), list.end());
    list = deferred;

    // Normal phase.
    if (!list.empty()) {
        bool normal = false;
        for (std::size_t i = 0; i < group.m_stockLength.size(); ++i) {
            if (group.m_stockQuantity[i] >= 1 && group.m_stockPriority[i] == 0) {
                normal = true;
            }
        }
        if (!normal) {
            error.code = 6;
            error.text = group.m_spec;
            return false;
        }
        if (PlaceLeadPieces(group, false, list, error) == Placement::OutOfStock) {
            return false;
        }
    }
    if (group.m_trimLength > 0) {
        for (WireCombine& pattern : group.m_patterns) {
            pattern.m_barLength += group.m_trimLength;
        }
    }
    TotalGroup(group);
    return true;
}

void ModelMarkPattern(WireCombine& pattern, std::vector<WorkingMark>& entries)
{
    pattern.m_markRecords.clear();
    if (entries.empty()) {
        WireCombine_Mark record;
        record.m_barCount = pattern.m_barCount;
        record.m_pieceLength = pattern.m_pieceLength;
        record.m_pieceCount = pattern.m_pieceCount;
        record.m_pieceMark.assign(pattern.m_pieceLength.size(), MyString());
        pattern.m_markRecords.push_back(record);
        return;
    }

    // One record per bar, every piece its own entry.
    std::vector<WireCombine_Mark> records;
    for (int64_t bar = 0; bar < pattern.m_barCount; ++bar) {
        WireCombine_Mark record;
        record.m_barCount = 1;
        for (std::size_t j = 0; j < pattern.m_pieceLength.size(); ++j) {
            for (int64_t c = 0; c < pattern.m_pieceCount[j]; ++c) {
                record.m_pieceLength.push_back(pattern.m_pieceLength[j]);
                record.m_pieceCount.push_back(1);
                record.m_pieceMark.push_back(MyString());
            }
        }
        records.push_back(record);
    }

    // Marks, greedily: first entry to the first bars, piece by piece.
    for (std::size_t e = 0; e < entries.size();) {
        WorkingMark& entry = entries[e];
        for (WireCombine_Mark& record : records) {
            for (std::size_t j = 0; j < record.m_pieceLength.size() && entry.quantity > 0; ++j) {
                if (record.m_pieceLength[j] == entry.length && record.m_pieceMark[j].empty()) {
                    record.m_pieceMark[j] = entry.mark;
                    --entry.quantity;
                }
            }
            if (entry.quantity <= 0) {
                break;
            }
        }
        if (entry.quantity <= 0) {
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(e));
        } else {
            ++e;
        }
    }

    // Neighbouring entries of equal length and mark.
    for (WireCombine_Mark& record : records) {
        for (std::size_t j = 0; j + 1 < record.m_pieceLength.size();) {
            if (record.m_pieceLength[j] == record.m_pieceLength[j + 1] &&
                record.m_pieceMark[j] == record.m_pieceMark[j + 1]) {
                record.m_pieceCount[j] += record.m_pieceCount[j + 1];
                const auto later = static_cast<std::ptrdiff_t>(j + 1);
                record.m_pieceLength.erase(record.m_pieceLength.begin() + later);
                record.m_pieceCount.erase(record.m_pieceCount.begin() + later);
                record.m_pieceMark.erase(record.m_pieceMark.begin() + later);
            } else {
                ++j;
            }
        }
    }

    // Neighbouring equal records.
    for (std::size_t r = 0; r + 1 < records.size();) {
        const WireCombine_Mark& a = records[r];
        const WireCombine_Mark& b = records[r + 1];
        if (a.m_pieceLength == b.m_pieceLength && a.m_pieceCount == b.m_pieceCount && a.m_pieceMark == b.m_pieceMark) {
            records[r].m_barCount += b.m_barCount;
            records.erase(records.begin() + static_cast<std::ptrdiff_t>(r + 1));
        } else {
            ++r;
        }
    }
    pattern.m_markRecords = records;
}

void ModelAssignMarks(WireOptimize_Whole& job, const InputLists* marks)
{
    job.m_markSpec.clear();
    job.m_markText.clear();
    job.m_markLength.clear();
    job.m_markQuantity.clear();
    if (marks != nullptr) {
        for (std::size_t r = 0; r < marks->CutRowCount(); ++r) {
            if (!marks->m_cutMark[r].empty()) {
                job.m_markSpec.push_back(marks->m_cutSpec[r]);
                job.m_markText.push_back(marks->m_cutMark[r]);
                job.m_markLength.push_back(marks->m_cutLength[r]);
                job.m_markQuantity.push_back(marks->m_cutQuantity[r]);
            }
        }
    }
    for (WireOptimize& group : job.m_groups) {
        std::vector<WorkingMark> working;
        for (std::size_t e = 0; e < job.m_markSpec.size(); ++e) {
            if (job.m_markSpec[e] == group.m_spec) {
                working.push_back({job.m_markText[e], job.m_markLength[e], job.m_markQuantity[e]});
            }
        }
        for (WireCombine& pattern : group.m_patterns) {
            ModelMarkPattern(pattern, working);
        }
    }
}

bool ModelRunOptimisation(WireOptimize_Whole& job, JobError& error, const InputLists* marks)
{
    error = JobError();
    if (!SetUpJob(job, error)) {
        return false;
    }
    for (WireOptimize& group : job.m_groups) {
        if (!ModelPlanGroup(group, error)) {
            return false;
        }
    }
    TotalJob(job);
    BuildLeftoverList(job);
    ModelAssignMarks(job, marks);
    return true;
}

}  // namespace model
