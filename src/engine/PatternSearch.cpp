#include "engine/PatternSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Messages.h"
#include "engine/SearchMath.h"

uint64_t g_searchTableAfterSteps = 20000;

int64_t PieceList::Total() const
{
    int64_t total = 0;
    for (int64_t c : m_count)
        total += c;
    return total;
}

void PieceList::PushFront(double length)
{
    if (!m_length.empty() && m_length.front() == length) {
        ++m_count.front();
        return;
    }
    m_length.insert(m_length.begin(), length);
    m_count.insert(m_count.begin(), 1);
}

void PieceList::PopFront()
{
    if (--m_count.front() == 0) {
        m_length.erase(m_length.begin());
        m_count.erase(m_count.begin());
    }
}

void PieceList::Append(double length, int64_t count)
{
    if (count <= 0)
        return;
    if (!m_length.empty() && m_length.back() == length) {
        m_count.back() += count;
        return;
    }
    m_length.push_back(length);
    m_count.push_back(count);
}

bool PieceList::RemoveOne(double length)
{
    // Runs are strictly descending: find the run by binary search.
    auto it = std::lower_bound(m_length.begin(), m_length.end(), length, std::greater<double>());
    if (it == m_length.end() || *it != length)
        return false;
    const std::size_t i = std::size_t(it - m_length.begin());
    if (--m_count[i] == 0) {
        m_length.erase(m_length.begin() + i);
        m_count.erase(m_count.begin() + i);
    }
    return true;
}

void PieceList::RemoveLongerThan(double limit)
{
    std::size_t first = 0;
    while (first < m_length.size() && m_length[first] > limit)
        ++first;
    m_length.erase(m_length.begin(), m_length.begin() + first);
    m_count.erase(m_count.begin(), m_count.begin() + first);
}

Candidates CandidateLengths(const PieceList& list, double x)
{
    Candidates c;
    c.D = list.m_length;
    c.Q = list.m_count;
    if (x <= 0)
        return c;
    std::size_t out = 0;
    for (std::size_t i = 0; i < c.D.size(); ++i) {
        const double d = c.D[i];
        if (d > x + 0.00001 || d <= 0.00001)
            continue;
        c.D[out] = d;
        c.Q[out] = std::min(c.Q[i], TruncCount(x / d + 0.00001));
        ++out;
    }
    c.D.resize(out);
    c.Q.resize(out);
    return c;
}

double FreeTolerance(double room, const PieceList& list, double kerf, std::size_t candidateCount)
{
    if (g_speedLevel == 0)
        return 0;
    // How many pieces fit when taken from the short end of the list.
    double sum = 0;
    int64_t fitting = 0;
    bool exceeded = false;
    for (std::size_t r = list.m_length.size(); r-- > 0 && !exceeded;) {
        const double step = kerf + list.m_length[r];
        for (int64_t c = 0; c < list.m_count[r]; ++c) {
            const double next = sum + step;
            if (next > room) {
                exceeded = true;
                break;
            }
            if (next == sum) {
                // The sum no longer moves: the rest of the run fits as well.
                fitting += list.m_count[r] - c;
                break;
            }
            sum = next;
            ++fitting;
        }
    }
    double t = std::max(1.0, std::log10(double(candidateCount)) - 0.5) * double(fitting) / 3;
    t = std::min(t, 8.0) * g_speedLevel * 0.01;
    t = std::min(t, 0.3);
    return t * room;
}

namespace {

// Steps of a search between two looks at the clock (PollRun).
constexpr uint32_t POLL_STEPS = 4096;
// The largest scaled room the table is built for (bits).
constexpr int64_t TABLE_BITS_MAX = int64_t(1) << 24;

// The arithmetic of one search room. When the room, the kerf and every
// candidate length are whole multiples of one unit 2^-e (e at most 10) and the
// room is below 2^40 units, every sum and difference the searches form is
// exact in double, and the 0.00001 fit margin, far below the unit, admits no
// sum above the room. A bound computed in those units is then the searches'
// own value, so a branch whose least leftover equals the record can be passed
// over: it cannot leave strictly less. Otherwise (decimal lengths, say) two
// patterns of the same true fill may compute leftovers a few units of the last
// place apart, and whichever computes less wins; bounds then keep a margin far
// above any rounding, and branches that tie the record are searched.
class SearchRoom {
public:
    SearchRoom(double x, double kerf, const std::vector<double>& lengths, const std::vector<int64_t>& caps)
        : m_x(x), m_kerf(kerf), m_lengths(lengths), m_caps(caps)
    {
        m_margin = (1e-9 + 1e-12) * (6 * std::fabs(x) + std::fabs(kerf) + 1);
        if (!(kerf >= 0) || !(x > 0))
            return;
        for (int e = 0; e <= 10 && m_scale == 0; ++e) {
            const double scale = std::ldexp(1.0, e);
            bool whole = Whole(x * scale) && Whole(kerf * scale) && x * scale <= std::ldexp(1.0, 40);
            for (std::size_t i = 0; whole && i < lengths.size(); ++i)
                whole = lengths[i] > 0 && Whole(lengths[i] * scale);
            if (whole)
                m_scale = scale;
        }
        if (m_scale != 0)
            m_margin = 0;
    }

    // What a bound must leave above the record before a branch is passed over.
    double Margin() const { return m_margin; }

    // Whether no branch whose leftovers are all at least `least` can leave
    // strictly less than `record`.
    bool CannotBeat(double least, double record) const { return least - m_margin >= record; }

    // Whether the record is the least leftover any multiset of the candidates
    // (each length at most its cap, any number of kinds) can leave in the room,
    // so that nothing can improve it. Known only with exact arithmetic, from a
    // table of reachable sums built on the first call.
    bool Unbeatable(double record)
    {
        if (!m_built)
            Build();
        return m_known && record <= m_least;
    }

private:
    static bool Whole(double v) { return std::isfinite(v) && v == std::floor(v); }

    void Build()
    {
        m_built = true;
        if (m_scale == 0)
            return;
        const int64_t room = int64_t(m_x * m_scale);
        if (room > TABLE_BITS_MAX)
            return;
        const std::size_t words = std::size_t(room / 64 + 1);
        std::vector<uint64_t> bits(words, 0);
        bits[0] = 1;
        for (std::size_t i = 0; i < m_lengths.size(); ++i) {
            const int64_t w = int64_t((m_lengths[i] + m_kerf) * m_scale);
            if (w <= 0)
                return;
            // Bounded counts by binary splitting: chunks 1, 2, 4, ... and the rest.
            int64_t left = std::min<int64_t>(m_caps[i], room / w);
            for (int64_t chunk = 1; left > 0; chunk *= 2) {
                const int64_t c = std::min(chunk, left);
                left -= c;
                OrShifted(bits, c * w);
            }
        }
        const int64_t top = int64_t(words) * 64 - 1;
        for (int64_t b = std::min(top, room); b >= 0; --b)
            if (bits[std::size_t(b / 64)] >> (b % 64) & 1) {
                m_least = double(room - b) / m_scale;
                m_known = true;
                return;
            }
    }

    // bits |= bits << shift, each source bit read before it is changed.
    static void OrShifted(std::vector<uint64_t>& bits, int64_t shift)
    {
        const std::size_t ws = std::size_t(shift / 64);
        const unsigned bs = unsigned(shift % 64);
        if (ws >= bits.size())
            return;
        for (std::size_t i = bits.size(); i-- > ws;) {
            uint64_t v = bits[i - ws] << bs;
            if (bs != 0 && i - ws >= 1)
                v |= bits[i - ws - 1] >> (64 - bs);
            bits[i] |= v;
        }
    }

    double m_x;
    double m_kerf;
    const std::vector<double>& m_lengths;
    const std::vector<int64_t>& m_caps;
    double m_scale = 0;
    double m_margin = 0;
    bool m_built = false;
    bool m_known = false;
    double m_least = 0;
};

// Which sums exactly c pieces can make, for the combination search: bitsets
// over the pieces in whole units, one per count c and per run of equal pieces
// (the runs before it taken whole). A choice of the lower levels takes its
// pieces from below a position; the pieces below that position, with the
// shortest ones that pruning removed added back (more pieces can only reach
// more sums), give the greatest fill the lower levels can reach, and so the
// least leftover of every completion. In units of 2^-e that leftover is exact;
// with decimal lengths (units of 10^-d) it is the leftover of the decimal
// values, which the doubles the search sums differ from by far less than the
// margin kept. Built only once a search has become long.
class CountTable {
public:
    CountTable(const std::vector<double>& E, const std::vector<int64_t>& runStart, double x, double kerf,
               int64_t maxCount)
        : m_E(E), m_runStart(runStart), m_x(x), m_kerf(kerf), m_maxCount(maxCount)
    {
    }

    bool Built() const { return m_ready; }
    bool Tried() const { return m_tried; }

    void Build()
    {
        m_tried = true;
        if (!FindUnit())
            return;
        m_room = Units(m_x);
        m_kerfUnits = Units(m_kerf);
        if (m_room <= 0 || m_room > TABLE_BITS_MAX || m_kerfUnits < 0 || m_maxCount <= 0)
            return;
        m_words = std::size_t(m_room / 64 + 1);
        // Runs of equal pieces, ascending.
        for (std::size_t e = 0; e < m_E.size(); ++e) {
            if (m_runStart[e] == int64_t(e))
                m_runFirst.push_back(e);
            m_runOf.push_back(m_runFirst.size() - 1);
        }
        const std::size_t runs = m_runFirst.size();
        const std::size_t layers = std::size_t(m_maxCount);
        if (double(runs) * double(layers) * double(m_words) * 8 > 64.0 * 1024 * 1024)
            return;
        m_bits.assign(runs * layers * m_words, 0);
        std::vector<uint64_t> current(layers * m_words, 0);
        current[0] = 1;  // no piece, sum 0
        for (std::size_t r = 0; r < runs; ++r) {
            std::copy(current.begin(), current.end(), m_bits.begin() + std::ptrdiff_t(r * layers * m_words));
            const std::size_t end = r + 1 < runs ? m_runFirst[r + 1] : m_E.size();
            const int64_t w = Units(m_E[m_runFirst[r]]);
            if (w <= 0)
                return;
            for (std::size_t piece = m_runFirst[r]; piece < end; ++piece)
                for (std::size_t c = layers; c-- > 1;)
                    OrShiftedFrom(&current[c * m_words], &current[(c - 1) * m_words], w);
        }
        m_ready = true;
    }

    // Whether exactly `count` pieces among E[0..end) could fill `rest` units
    // so that less than `record` is left.
    bool MayImprove(int64_t count, std::size_t end, int64_t rest, double record) const
    {
        if (rest < 0)
            return false;
        // The least fill that would leave less than the record.
        int64_t low = 0;
        if (record != NO_PATTERN_REMNANT) {
            const double bound = double(rest) - (record + m_margin) * m_scale;
            if (bound >= double(rest))
                return false;
            if (bound >= 0)
                low = int64_t(std::floor(bound)) + 1;
        }
        if (end == 0)
            return count == 0 && low <= 0;
        const std::size_t run = m_runOf[end - 1];
        const int64_t same = int64_t(end - m_runFirst[run]);  // pieces of this run below
        const int64_t w = Units(m_E[m_runFirst[run]]);
        const std::size_t layers = std::size_t(m_maxCount);
        for (int64_t t = 0; t <= same && t <= count; ++t) {
            const int64_t top = rest - t * w;
            if (top < 0)
                break;
            const std::size_t c = std::size_t(count - t);
            if (c >= layers)
                continue;
            const uint64_t* layer = &m_bits[(run * layers + c) * m_words];
            if (AnyBit(layer, std::max<int64_t>(low - t * w, 0), std::min(top, m_room)))
                return true;
        }
        return false;
    }

    int64_t Units(double v) const { return int64_t(std::llround(v * m_scale)); }

private:
    bool FindUnit()
    {
        auto fits = [this](double scale, bool exact) {
            auto whole = [&](double v) {
                const double s = v * scale;
                if (!std::isfinite(s) || std::fabs(s) > std::ldexp(1.0, 40))
                    return false;
                return exact ? s == std::floor(s) : std::fabs(s - std::round(s)) <= 1e-9 * (std::fabs(s) + 1);
            };
            if (!whole(m_x) || !whole(m_kerf))
                return false;
            for (double p : m_E)
                if (!whole(p))
                    return false;
            return true;
        };
        for (int e = 0; e <= 10; ++e)
            if (fits(std::ldexp(1.0, e), true)) {
                m_scale = std::ldexp(1.0, e);
                m_margin = 0;
                return true;
            }
        for (double scale : {10.0, 100.0, 1000.0})
            if (fits(scale, false)) {
                m_scale = scale;
                m_margin = (1e-9 + 1e-12) * (6 * std::fabs(m_x) + std::fabs(m_kerf) + 1);
                return true;
            }
        return false;
    }

    // to |= from << shift, over m_words words.
    void OrShiftedFrom(uint64_t* to, const uint64_t* from, int64_t shift) const
    {
        const std::size_t ws = std::size_t(shift / 64);
        const unsigned bs = unsigned(shift % 64);
        for (std::size_t i = m_words; i-- > ws;) {
            uint64_t v = from[i - ws] << bs;
            if (bs != 0 && i - ws >= 1)
                v |= from[i - ws - 1] >> (64 - bs);
            to[i] |= v;
        }
    }

    // Whether some bit in [from, to] is set.
    static bool AnyBit(const uint64_t* bits, int64_t from, int64_t to)
    {
        if (from > to)
            return false;
        std::size_t a = std::size_t(from / 64), b = std::size_t(to / 64);
        const uint64_t firstMask = ~uint64_t(0) << (from % 64);
        const uint64_t lastMask = (to % 64 == 63) ? ~uint64_t(0) : ((uint64_t(1) << (to % 64 + 1)) - 1);
        if (a == b)
            return (bits[a] & firstMask & lastMask) != 0;
        if (bits[a] & firstMask)
            return true;
        for (std::size_t i = a + 1; i < b; ++i)
            if (bits[i])
                return true;
        return (bits[b] & lastMask) != 0;
    }

    const std::vector<double>& m_E;
    const std::vector<int64_t>& m_runStart;
    double m_x;
    double m_kerf;
    int64_t m_maxCount;  // counts 0 .. m_maxCount - 1
    bool m_tried = false;
    bool m_ready = false;
    double m_scale = 0;
    double m_margin = 0;
    int64_t m_room = 0;
    int64_t m_kerfUnits = 0;
    std::size_t m_words = 0;
    std::vector<std::size_t> m_runFirst;  // first E index of each run
    std::vector<std::size_t> m_runOf;     // run of each E index
    std::vector<uint64_t> m_bits;         // [run][count][word]

public:
    int64_t RoomUnits() const { return m_room; }
    int64_t KerfUnits() const { return m_kerfUnits; }
};

// The combination search for exactly m companions on P = E[lo..hi] (ascending).
// Positions are 1-based within P; level m holds the longest chosen piece, level
// 1 the shortest. The order in which choices are met, and every effect on the
// record, gmax and res, are those of the plain depth-first search that tries,
// at each level, the bound and then the highest position of each lower run of
// equal pieces. Four things make it fast without changing any of that:
// - the sum of the pieces chosen above a level is carried down, so the leftover
//   of a choice, x - (s + m * k) with s summed longest first, costs O(1);
// - a level whose every completion is too long (even with the shortest pieces)
//   is not entered: it would find no fitting choice, return 0 and change
//   nothing; those levels come first in each loop, so the loop jumps past them;
// - level 1 ends at its first fitting piece, which is found by binary search:
//   the leftover falls as the piece grows;
// - a level ends as soon as even its longest completion cannot leave less
//   than the record (see MayImprove).
class CombinationSearch {
public:
    CombinationSearch(const std::vector<double>& E, const std::vector<int64_t>& runStart,
                      const std::vector<int64_t>& runEnd, int64_t lo, int64_t hi, int64_t m, double x, double kerf,
                      double tolerance, PatternBest& best, SearchRoom& room, CountTable& table, uint64_t& steps)
        : m_E(E), m_runStart(runStart), m_runEnd(runEnd), m_lo(lo), m_n(hi - lo + 1), m_m(m), m_x(x),
          m_mk(double(m) * kerf), m_tolerance(tolerance), m_best(best), m_room(room), m_table(table), m_steps(steps)
    {
    }

    // False when the run was withdrawn while searching.
    bool Run();

private:
    double P(int64_t pos) const { return m_E[std::size_t(m_lo + pos - 1)]; }
    int64_t RunStart(int64_t pos) const { return std::max(m_runStart[std::size_t(m_lo + pos - 1)], m_lo) - m_lo + 1; }
    int64_t RunEnd(int64_t pos) const { return m_runEnd[std::size_t(m_lo + pos - 1)] - m_lo + 1; }
    // The next position tried below pos at the same level.
    int64_t Next(int64_t pos) const { return RunStart(pos) - 1; }
    // The position tried at a level with bound a for the run holding pos.
    int64_t Tried(int64_t pos, int64_t a) const { return pos >= RunStart(a) ? a : RunEnd(pos); }
    // Whether some completion of the levels below could fit when the pieces
    // above and including a level sum to `above`: the shortest pieces are the
    // positions 1..levels. Decided with a slack far above any rounding of the
    // sums, so that only levels that certainly find nothing are passed over.
    bool MayFit(double above, int64_t levels) const
    {
        const double least = above + m_prefix[std::size_t(levels)] + m_mk;
        return least <= m_x + 0.00001 + m_slack;
    }
    // Whether a choice with position pos at `level` (and the pieces above it)
    // could leave less than the record: the longest completion takes the
    // level - 1 positions right below pos. When it cannot, no lower position
    // at this level can either (shorter pieces, shorter completions), so the
    // level is done. Only choices that cannot change the record are passed
    // over; the cut-offs by res and gmax that they would have fed are exact
    // too (a choice they skip is never longer than one already met), so the
    // record, its first-found ties and the stop are those of the full search.
    bool MayImprove(int64_t level, int64_t pos) const
    {
        const double longest = (m_above[std::size_t(level)] + P(pos)) +
                               (m_prefix[std::size_t(pos - 1)] - m_prefix[std::size_t(pos - level)]);
        return m_x - (longest + m_mk) - m_slack < m_best.remnant;
    }
    bool Enter(int64_t level, int64_t bound);
    // The first position tried at `level` from bound a whose levels below may fit.
    int64_t FirstPossible(int64_t level, int64_t a) const;
    // Whether the record can no longer be improved by any multiset: asked
    // only once the search has become long, since the answer costs a table.
    bool Unbeatable() const { return m_steps >= g_searchTableAfterSteps && m_room.Unbeatable(m_best.remnant); }

    const std::vector<double>& m_E;
    const std::vector<int64_t>& m_runStart;
    const std::vector<int64_t>& m_runEnd;
    int64_t m_lo;
    int64_t m_n;
    int64_t m_m;
    double m_x;
    double m_mk;
    double m_tolerance;
    PatternBest& m_best;
    SearchRoom& m_room;
    CountTable& m_table;
    uint64_t& m_steps;  // of the whole free search, for polling and the tables

    std::vector<int64_t> m_V, m_res, m_cur;
    std::vector<double> m_above;   // sum of the pieces chosen above each level, longest first
    std::vector<int64_t> m_aboveUnits;  // the same in the table's units, once it is built
    std::vector<double> m_prefix;  // m_prefix[j] = P1 + ... + Pj
    double m_slack = 0;
    int64_t m_gmax = 0;
    bool m_stop = false;
};

bool CombinationSearch::Enter(int64_t level, int64_t bound)
{
    if (m_stop || m_gmax >= m_V[std::size_t(m_m)])
        return false;
    m_res[std::size_t(level)] = 0;
    m_cur[std::size_t(level)] = FirstPossible(level, bound);
    return true;
}

int64_t CombinationSearch::FirstPossible(int64_t level, int64_t a) const
{
    if (a < level)
        return a;
    const double above = m_above[std::size_t(level)];
    if (level == 1) {
        // The highest position whose piece fits exactly as the search tests it.
        auto fits = [&](int64_t pos) { return m_x - ((above + P(pos)) + m_mk) >= -0.00001; };
        if (!fits(1))
            return 0;
        int64_t low = 1, high = a;  // fits(low) holds
        while (low < high) {
            const int64_t mid = low + (high - low + 1) / 2;
            if (fits(mid))
                low = mid;
            else
                high = mid - 1;
        }
        return Tried(low, a);
    }
    // The levels below need level - 1 pieces from positions under the one
    // chosen here; with position pos chosen, the least they add is the prefix.
    auto possible = [&](int64_t pos) { return MayFit(above + P(pos), level - 1); };
    if (possible(a))
        return a;
    if (!possible(level))
        return level - 1;  // nothing at this level can fit: the loop ends at once
    int64_t low = level, high = a;  // possible(low) holds, possible(a) does not
    while (high - low > 1) {
        const int64_t mid = low + (high - low) / 2;
        if (possible(mid))
            low = mid;
        else
            high = mid;
    }
    return Tried(low, a);
}

bool CombinationSearch::Run()
{
    const std::size_t size = std::size_t(m_m) + 1;
    m_V.assign(size, 0);
    m_res.assign(size, 0);
    m_cur.assign(size, 0);
    m_above.assign(size, 0);
    m_aboveUnits.assign(size, 0);
    m_prefix.assign(std::size_t(m_n) + 1, 0);
    double total = std::fabs(m_x) + std::fabs(m_mk);
    for (int64_t j = 1; j <= m_n; ++j) {
        m_prefix[std::size_t(j)] = m_prefix[std::size_t(j - 1)] + P(j);
        total += std::fabs(P(j));
    }
    // Far above the rounding of any sum of these pieces, in any order.
    m_slack = (1e-9 + 4 * double(m_n) * std::numeric_limits<double>::epsilon()) * total;
    m_V[std::size_t(m_m)] = m_n + 1;
    if (!m_table.Tried() && m_steps >= g_searchTableAfterSteps)
        m_table.Build();
    if (!Enter(m_m, m_n))
        return true;

    // Depth-first over the levels without recursion: a pattern of many short
    // pieces has as many levels.
    int64_t L = m_m;
    int64_t ret = 0;
    for (;;) {
        if (++m_steps % POLL_STEPS == 0) {
            // A long search keeps the window alive and can be interrupted.
            if (!PollRun())
                return false;
            // Nothing after this changes the record.
            if (Unbeatable())
                return true;
            if (!m_table.Tried() && m_steps >= g_searchTableAfterSteps) {
                m_table.Build();
                // The levels entered so far, in units.
                for (int64_t k = m_m; k > L; --k)
                    m_aboveUnits[std::size_t(k - 1)] =
                        m_aboveUnits[std::size_t(k)] + m_table.Units(P(m_V[std::size_t(k)]));
            }
        }
        const std::size_t l = std::size_t(L);
        const int64_t i = m_cur[l];
        bool up = false;
        if (i < L) {
            ret = m_res[l];
            up = true;
        } else {
            m_V[l] = i;
            if (m_res[l] >= i || (L >= 2 && !MayImprove(L, i))) {
                ret = m_res[l];
                up = true;
            } else if (L >= 2) {
                if (m_table.Built()) {
                    // The least leftover of the levels below, from the sums
                    // L - 1 pieces under position i can make.
                    const int64_t above = m_aboveUnits[l] + m_table.Units(P(i));
                    const int64_t rest = m_table.RoomUnits() - above - m_m * m_table.KerfUnits();
                    if (!m_table.MayImprove(L - 1, std::size_t(m_lo + i - 1), rest, m_best.remnant)) {
                        m_cur[l] = Next(i);
                        continue;
                    }
                    m_aboveUnits[l - 1] = above;
                }
                m_above[l - 1] = m_above[l] + P(i);
                if (Enter(L - 1, i - 1)) {
                    --L;
                    continue;
                }
                // The level below returned 0 at once.
                m_cur[l] = Next(i);
                continue;
            } else {
                // Level 1: the choice is complete.
                const double h = m_x - ((m_above[1] + P(i)) + m_mk);
                if (h >= -0.00001) {
                    m_res[1] = std::max(m_res[1], i);
                    m_gmax = std::max(m_gmax, m_res[1]);
                    if (h < m_best.remnant) {
                        m_best.remnant = h;
                        m_best.available = m_x;
                        m_best.companions.clear();
                        for (int64_t k = m_m; k >= 1; --k)
                            m_best.companions.push_back(P(m_V[std::size_t(k)]));
                        if (m_best.remnant <= m_tolerance) {
                            // Nothing after the stop changes the record.
                            m_stop = true;
                            return true;
                        }
                        if (Unbeatable())
                            return true;
                    }
                }
                m_cur[1] = Next(i);
                continue;
            }
        }
        if (up) {
            if (L == m_m)
                return true;
            ++L;
            const std::size_t lu = std::size_t(L);
            m_res[lu] = std::max(m_res[lu], ret);
            m_cur[lu] = Next(m_V[lu]);
        }
    }
}

// Prunes P = E[lo..hi] for m companions; returns false when P became empty.
bool PruneForCompanions(const std::vector<double>& E, int64_t& lo, int64_t& hi, int64_t m, double x, double k)
{
    while (lo <= hi) {
        // Short-end test: the shortest piece with the longest ones.
        double sum = k + E[std::size_t(lo)];
        int64_t f = 1;
        bool exceeded = false;
        int64_t added = 0;
        for (int64_t j = hi; j > lo; --j) {
            sum += k + E[std::size_t(j)];
            ++added;
            if (sum > x) {
                exceeded = true;
                break;
            }
        }
        if (exceeded)
            f = added;
        if (f > m) {
            ++lo;
            continue;
        }
        // Long-end test, repeated: the longest piece with the shortest ones.
        for (;;) {
            if (lo > hi)
                return false;
            double s = k + E[std::size_t(hi)];
            int64_t g = 0;
            for (int64_t j = lo; j <= hi; ++j) {
                s += k + E[std::size_t(j)];
                if (s > x) {
                    g = j - lo + 1;
                    break;
                }
            }
            if (g == 0 || g >= m)
                return true;
            --hi;
        }
    }
    return false;
}

}  // namespace

bool SearchFree(WireOptimize& group, double room, Candidates candidates, PatternBest& best)
{
    const double k = group.m_kerfWidth;
    const double x = room;
    std::vector<double>& D = candidates.D;
    std::vector<int64_t>& Q = candidates.Q;

    int64_t total = 0;
    for (std::size_t i = 0; i < D.size(); ++i) {
        Q[i] = std::max<int64_t>(0, std::min(Q[i], TruncCount(x / (D[i] + k) + 0.00001)));
        total += Q[i];
    }

    // The candidates as single pieces, ascending, with the start of each run
    // of equal pieces.
    std::vector<double> E;
    std::vector<int64_t> runStart, runEnd;
    E.reserve(std::size_t(total));
    runStart.reserve(std::size_t(total));
    runEnd.reserve(std::size_t(total));
    for (std::size_t i = D.size(); i-- > 0;) {
        const int64_t start = int64_t(E.size());
        for (int64_t c = 0; c < Q[i]; ++c) {
            E.push_back(D[i]);
            runStart.push_back(start);
            runEnd.push_back(start + Q[i] - 1);
        }
    }
    const int64_t n = int64_t(E.size());

    // The largest possible number of companions: the shortest pieces together.
    int64_t mMax = 0;
    {
        double sum = 0;
        for (int64_t j = 0; j < n; ++j) {
            sum += k + E[std::size_t(j)];
            if (sum > x)
                break;
            ++mMax;
        }
    }
    // The smallest: the longest pieces together.
    int64_t mMin = 0;
    {
        double sum = 0;
        for (int64_t j = n - 1; j >= 0; --j) {
            sum += k + E[std::size_t(j)];
            if (sum > x)
                break;
            ++mMin;
        }
    }

    SearchRoom exact(x, k, D, Q);
    CountTable table(E, runStart, x, k, mMax);
    uint64_t steps = 0;
    for (int64_t m = std::max<int64_t>(mMin, 1); m <= mMax; ++m) {
        if (!ContinueRun())
            return false;
        int64_t lo = 0, hi = n - 1;
        PruneForCompanions(E, lo, hi, m, x, k);
        if (hi - lo + 1 >= m && m >= 1) {
            CombinationSearch search(E, runStart, runEnd, lo, hi, m, x, k, group.m_tolerance, best, exact, table,
                                     steps);
            if (!search.Run())
                return false;
        }
        if (best.remnant <= group.m_tolerance)
            return true;
        // No other number of companions can leave less.
        if (steps >= g_searchTableAfterSteps && exact.Unbeatable(best.remnant))
            return true;
    }
    return true;
}

namespace {

// The limited search: every choice of i further distinct lengths (i = 1 to
// K - 1) in lexicographic order of their indices, and for each choice the
// counts search. The order in which patterns are met, and so every change of
// the record, the stop and the tolerance left behind, are those of the plain
// enumeration; what makes it fast is passing over only branches none of whose
// patterns can leave strictly less than the record (the record changes only on
// a strict improvement, and the stop and the early return depend on the record
// alone):
// - a choice prefix whose lengths, even at their full caps, together with the
//   fullest lengths still selectable after it, cannot fill the room to below
//   the record; when that holds for the fullest remaining lengths from some
//   index on, the prefix's position is done;
// - a counts level whose rest, less every remaining length at its full cap,
//   is at least the record;
// - once the record is the least leftover any multiset of the candidates can
//   leave (known in exact arithmetic only), every remaining choice.
class LimitedSearch {
public:
    LimitedSearch(WireOptimize& group, double x, const Candidates& candidates, PatternBest& best)
        : m_group(group), m_x(x), m_kerf(group.m_kerfWidth), m_D(candidates.D), m_best(best),
          m_room(x, group.m_kerfWidth, candidates.D, m_cap)
    {
        const std::size_t n = m_D.size();
        m_step.resize(n);
        m_cap.resize(n);
        m_full.resize(n);
        for (std::size_t b = 0; b < n; ++b) {
            m_step[b] = m_D[b] + m_kerf;
            m_cap[b] = std::min(candidates.Q[b], TruncCount((m_x + 0.00001) / m_step[b]));
            m_full[b] = double(std::max<int64_t>(m_cap[b], 0)) * m_step[b];
        }
    }

    // False when the run was interrupted.
    bool Run();

private:
    // Least sum of the `q` fullest lengths from index j on.
    double Fullest(std::size_t j, std::size_t q) const { return q == 0 ? 0 : m_fullest[j * m_width + q - 1]; }
    bool CannotBeat(double least) const { return m_room.CannotBeat(least, m_best.remnant); }
    bool Unbeatable()
    {
        return m_work >= g_searchTableAfterSteps && m_room.Unbeatable(m_best.remnant);
    }
    bool Tick()
    {
        ++m_work;
        return m_work % POLL_STEPS != 0 || PollRun();
    }
    bool Choices(std::size_t first, std::size_t i, bool leadKind);
    bool Counts();
    bool Level(std::size_t j, double rest, int64_t cap);

    WireOptimize& m_group;
    double m_x;
    double m_kerf;
    const std::vector<double>& m_D;
    PatternBest& m_best;
    std::vector<double> m_step;
    std::vector<int64_t> m_cap;  // at most the count left, at most what fits the room
    std::vector<double> m_full;  // each length at its cap
    SearchRoom m_room;
    std::vector<double> m_fullest;  // see Fullest
    std::size_t m_width = 0;
    uint64_t m_work = 0;
    bool m_stop = false;

    // The choice being counted: indices into D, each length's cap as the
    // counts reach it, and the sum of full caps from each level on.
    std::vector<std::size_t> m_choice;
    std::vector<int64_t> m_counts;
    std::vector<double> m_suffixFull;
};

bool LimitedSearch::Run()
{
    const std::size_t n = m_D.size();
    const int32_t K = std::max<int32_t>(m_group.m_maxLengthKinds, 1);
    if (n == 0)
        return true;
    const bool leadKind = m_D[0] == m_group.m_leadLength;

    // The sums of the q fullest lengths of every suffix of D, q up to K - 1.
    m_width = std::size_t(K - 1);
    if (m_width > 0) {
        m_fullest.assign((n + 1) * m_width, 0);
        std::vector<double> top;  // fullest first
        for (std::size_t j = n; j-- > 0;) {
            top.insert(std::upper_bound(top.begin(), top.end(), m_full[j], std::greater<double>()), m_full[j]);
            if (top.size() > m_width)
                top.pop_back();
            double sum = 0;
            for (std::size_t q = 0; q < m_width; ++q) {
                if (q < top.size())
                    sum += top[q];
                m_fullest[j * m_width + q] = sum;
            }
        }
    }

    if (leadKind) {
        m_choice = {0};
        if (!Counts())
            return false;
    }
    const std::size_t first = leadKind ? 1 : 0;
    const std::size_t pool = n - first;
    for (int32_t i = 1; i <= K - 1; ++i) {
        m_group.m_tolerance = i < 3 ? 0 : (i - 1) * 0.005 * m_x * g_speedLevel;
        if (m_group.m_tolerance > m_best.remnant)
            return true;
        m_stop = false;
        if (std::size_t(i) <= pool && !Unbeatable())
            if (!Choices(first, std::size_t(i), leadKind))
                return false;
        if (m_stop)
            return true;
    }
    return true;
}

bool LimitedSearch::Choices(std::size_t first, std::size_t i, bool leadKind)
{
    const std::size_t n = m_D.size();
    const std::size_t base = leadKind ? 1 : 0;
    // idx[t] is the candidate at position t; full[t] the full caps of the
    // lead's kind and the positions before t.
    std::vector<std::size_t> idx(i);
    std::vector<double> full(i + 1);
    full[0] = leadKind ? m_full[0] : 0;
    std::size_t t = 0;
    idx[0] = first;
    for (;;) {
        if (!Tick())
            return false;
        const std::size_t a = idx[t];
        const std::size_t q = i - t - 1;  // positions after this one
        // Position t is done when no candidate is left for it, or when even
        // the fullest lengths from a on cannot beat the record.
        if (a + q >= n || CannotBeat(m_x - full[t] - Fullest(a, q + 1))) {
            if (t == 0)
                return true;
            --t;
            ++idx[t];
            continue;
        }
        if (CannotBeat(m_x - (full[t] + m_full[a]) - Fullest(a + 1, q))) {
            ++idx[t];
            continue;
        }
        full[t + 1] = full[t] + m_full[a];
        if (q > 0) {
            ++t;
            idx[t] = a + 1;
            continue;
        }
        if (Unbeatable())
            return true;
        m_choice.resize(base);
        if (leadKind)
            m_choice[0] = 0;
        m_choice.insert(m_choice.end(), idx.begin(), idx.end());
        if (!Counts())
            return false;
        if (m_stop)
            return true;
        ++idx[t];
    }
}

bool LimitedSearch::Counts()
{
    const std::size_t c = m_choice.size();
    m_counts.assign(c, 0);
    m_suffixFull.assign(c + 1, 0);
    for (std::size_t j = c; j-- > 0;)
        m_suffixFull[j] = m_suffixFull[j + 1] + m_full[m_choice[j]];
    return Level(0, m_x, m_cap[m_choice[0]]);
}

bool LimitedSearch::Level(std::size_t j, double rest, int64_t cap)
{
    const double step = m_step[m_choice[j]];
    if (j + 1 == m_choice.size()) {
        const int64_t count = std::min(cap, TruncCount((rest + 0.00001) / step));
        m_counts[j] = count;
        const double h = rest - double(count) * step;
        if (h < m_best.remnant) {
            m_best.remnant = h;
            m_best.available = m_x;
            m_best.companions.clear();
            for (std::size_t t = 0; t < m_choice.size(); ++t)
                m_best.companions.insert(m_best.companions.end(), std::size_t(std::max<int64_t>(m_counts[t], 0)),
                                         m_D[m_choice[t]]);
            if (m_best.remnant <= m_group.m_tolerance)
                m_stop = true;
        }
        return true;
    }
    const std::size_t next = m_choice[j + 1];
    for (int64_t count = 0; count <= cap; ++count) {
        if (!Tick())
            return false;
        m_counts[j] = count;
        const double r = rest - double(count) * step;
        // Every pattern below leaves at least r less the remaining lengths at
        // their full caps.
        if (CannotBeat(r - m_suffixFull[j + 1]))
            continue;
        const int64_t nextCap = std::min(m_cap[next], TruncCount((r + 0.00001) / m_step[next]));
        if (!Level(j + 1, r, nextCap))
            return false;
        if (m_stop)
            return true;
    }
    return true;
}

}  // namespace

bool SearchLimited(WireOptimize& group, double room, Candidates candidates, PatternBest& best)
{
    return LimitedSearch(group, room, candidates, best).Run();
}
