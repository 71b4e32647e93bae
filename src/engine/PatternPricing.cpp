#include "engine/PatternPricing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "engine/SearchMath.h"

namespace {

// Most cells times parts one grid program may fill (time and memory: one bit
// each for the way back).
constexpr double MAX_GRID_STEPS = double(1 << 27);

struct Item {
    std::size_t index;  // position among the caller's items
    double weight;      // piece + kerf
    double value;
    int64_t limit;
};

class Search {
public:
    Search(std::vector<Item> items, double capacity, int32_t maxKinds, int64_t budget)
        : m_items(std::move(items)), m_capacity(capacity), m_maxKinds(maxKinds), m_budget(budget),
          m_count(m_items.size(), 0)
    {
    }

    // Relaxation of the items from `from` on within room r: greedy by value
    // per length, the last one taken in part.
    double Relaxation(std::size_t from, double r) const
    {
        double total = 0;
        for (std::size_t j = from; j < m_items.size() && r > 0; ++j) {
            const Item& it = m_items[j];
            const double whole = std::min(double(it.limit), std::floor(r / it.weight));
            total += whole * it.value;
            r -= whole * it.weight;
            if (whole < double(it.limit)) {
                total += r / it.weight * it.value;
                break;
            }
        }
        return total;
    }

    void Run()
    {
        m_best.assign(m_items.size(), 0);
        Descend(0, m_capacity, 0, 0);
    }

    static constexpr std::size_t RECORDS_KEPT = 6;
    bool m_aborted = false;
    double m_bestValue = 0;
    std::vector<int64_t> m_best;
    std::vector<std::vector<int64_t>> m_records;
    const std::vector<Item>& Items() const { return m_items; }

private:
    void Descend(std::size_t j, double r, double value, int32_t kinds)
    {
        if (m_aborted)
            return;
        if (m_budget > 0 && ++m_steps > m_budget) {
            m_aborted = true;
            return;
        }
        if (value > m_bestValue) {
            m_bestValue = value;
            m_best = m_count;
            m_records.push_back(m_count);
            if (m_records.size() > RECORDS_KEPT)
                m_records.erase(m_records.begin());
        }
        if (j >= m_items.size() || (m_maxKinds > 0 && kinds >= m_maxKinds))
            return;
        // Nothing below this node can beat the record.
        if (value + Relaxation(j, r) <= m_bestValue * (1 + 1e-12) + 1e-12)
            return;
        const Item& it = m_items[j];
        int64_t most = std::min<int64_t>(it.limit, TruncCount(r / it.weight));
        while (most > 0 && double(most) * it.weight > r)
            --most;
        for (int64_t c = most; c >= 1; --c) {
            m_count[j] = c;
            Descend(j + 1, r - double(c) * it.weight, value + double(c) * it.value, kinds + 1);
            if (m_aborted)
                break;
        }
        m_count[j] = 0;
        if (!m_aborted)
            Descend(j + 1, r, value, kinds);
    }

    std::vector<Item> m_items;
    double m_capacity;
    int32_t m_maxKinds;
    int64_t m_budget;
    int64_t m_steps = 0;
    std::vector<int64_t> m_count;
};

}  // namespace

PricedPattern PriceBestPattern(const std::vector<PricingItem>& items, double usable, double kerf, int32_t maxKinds,
                               int64_t stepBudget)
{
    PricedPattern result;
    result.counts.assign(items.size(), 0);
    // Room for the pieces with a kerf charged for each one, the first
    // piece's kerf given back.
    const double capacity = usable + kerf + FIT_MARGIN;
    std::vector<Item> list;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PricingItem& it = items[i];
        const double weight = it.length + kerf;
        if (!(it.value > 0) || it.limit < 1 || !(weight > 0) || weight > capacity || it.length > usable + FIT_MARGIN)
            continue;
        const int64_t limit = std::min<int64_t>(it.limit, TruncCount(capacity / weight));
        if (limit < 1)
            continue;
        list.push_back({i, weight, it.value, limit});
    }
    // Best value per length first; among equals the longer piece first.
    std::stable_sort(list.begin(), list.end(), [](const Item& a, const Item& b) {
        const double ra = a.value / a.weight, rb = b.value / b.weight;
        if (ra != rb)
            return ra > rb;
        return a.weight > b.weight;
    });
    Search search(list, capacity, maxKinds, stepBudget);
    const double root = search.Relaxation(0, capacity);
    search.Run();
    result.value = search.m_bestValue;
    result.exact = !search.m_aborted;
    result.upperBound = result.exact ? result.value : std::max(result.value, root);
    for (std::size_t j = 0; j < search.Items().size(); ++j)
        result.counts[search.Items()[j].index] = search.m_best[j];
    for (std::size_t r = 0; r + 1 < search.m_records.size(); ++r) {
        std::vector<int64_t> counts(items.size(), 0);
        for (std::size_t j = 0; j < search.Items().size(); ++j)
            counts[search.Items()[j].index] = search.m_records[r][j];
        result.runnersUp.push_back(std::move(counts));
    }
    return result;
}

namespace {

// The decimal step (1, 0.1, 0.01, 0.001) of which every value is a whole
// multiple, or 0.
double DecimalStep(const std::vector<double>& values)
{
    for (double step : {1.0, 0.1, 0.01, 0.001}) {
        bool whole = true;
        for (double v : values) {
            const double units = v / step;
            if (!(std::fabs(units - std::round(units)) <= 1e-6 * std::max(1.0, std::fabs(units)) &&
                  std::fabs(units) < 1e12)) {
                whole = false;
                break;
            }
        }
        if (whole)
            return step;
    }
    return 0;
}

}  // namespace

namespace {

// The grid program. With `roundUp` every length is rounded up to the grid
// instead of down, so that every pattern of the grid fits the bar: the
// pattern is then a true one and its value a lower bound.
PricedPattern GridPattern(const std::vector<PricingItem>& items, double usable, double kerf, int32_t maxKinds,
                          int64_t cells, bool roundUp)
{
    PricedPattern result;
    result.counts.assign(items.size(), 0);
    const double room = usable + kerf;
    std::vector<double> values = {room};
    for (const PricingItem& it : items)
        values.push_back(it.length + kerf);
    const double step = DecimalStep(values);
    // Grid width in the user's unit, and whether rounding to it is exact.
    double width = step;
    bool exact = step > 0 && std::round(room / step) <= double(cells);
    int64_t capacity = 0;
    if (exact) {
        capacity = int64_t(std::round(room / step));
    } else {
        width = (room + FIT_MARGIN) / double(cells);
        if (step > 0)  // a whole number of steps keeps the grid on the lengths' own step
            width = std::ceil(width / step) * step;
        capacity = TruncCount((room + FIT_MARGIN) / width);
    }
    // Binary split of each length's count into pieces of 1, 2, 4, ... items.
    struct Part {
        std::size_t item;
        int64_t count;
        int64_t weight;
        double value;
    };
    std::vector<Part> parts;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PricingItem& it = items[i];
        const double w = it.length + kerf;
        if (!(it.value > 0) || it.limit < 1 || !(w > 0) || it.length > usable + FIT_MARGIN)
            continue;
        const int64_t units = exact     ? int64_t(std::round(w / step))
                              : roundUp ? TruncCount(std::ceil(w / width - 1e-9))
                                        : TruncCount(w / width + 1e-9);
        int64_t limit = it.limit;
        if (units > 0)
            limit = std::min<int64_t>(limit, capacity / units);
        else
            limit = std::min<int64_t>(limit, TruncCount((room + FIT_MARGIN) / w));
        for (int64_t c = 1; limit > 0; c *= 2) {
            const int64_t take = std::min(c, limit);
            parts.push_back({i, take, take * units, double(take) * it.value});
            limit -= take;
        }
    }
    if (double(parts.size()) * double(capacity + 1) > MAX_GRID_STEPS) {
        // Too large to run: a bound that says nothing, and no pattern.
        result.upperBound = std::numeric_limits<double>::infinity();
        return result;
    }
    const std::size_t width64 = std::size_t(capacity + 1 + 63) / 64;
    std::vector<double> best(std::size_t(capacity + 1), 0);
    std::vector<uint64_t> taken(parts.size() * width64, 0);
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const Part& part = parts[p];
        uint64_t* row = &taken[p * width64];
        for (int64_t c = capacity; c >= part.weight; --c) {
            const double with = best[std::size_t(c - part.weight)] + part.value;
            if (with > best[std::size_t(c)]) {
                best[std::size_t(c)] = with;
                row[std::size_t(c) / 64] |= uint64_t(1) << (std::size_t(c) % 64);
            }
        }
    }
    result.upperBound = best[std::size_t(capacity)];
    std::vector<int64_t> counts(items.size(), 0);
    int64_t c = capacity;
    for (std::size_t p = parts.size(); p-- > 0;) {
        if (taken[p * width64 + std::size_t(c) / 64] >> (std::size_t(c) % 64) & 1) {
            counts[parts[p].item] += parts[p].count;
            c -= parts[p].weight;
        }
    }
    int32_t kinds = 0;
    std::vector<double> lengths;
    double value = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        lengths.push_back(items[i].length);
        kinds += counts[i] > 0;
        value += double(counts[i]) * items[i].value;
    }
    if ((maxKinds == 0 || kinds <= maxKinds) && PatternFits(lengths, counts, usable, kerf)) {
        result.counts = counts;
        result.value = value;
        result.exact = value >= result.upperBound * (1 - 1e-12);
    }
    if (exact && !result.exact) {
        // The grid was the lengths' own step: only the kinds limit can have
        // refused the pattern, and the value still bounds every pattern.
        result.counts.assign(items.size(), 0);
        result.value = 0;
    }
    if (roundUp && !exact) {
        // Rounded up, the grid's best bounds nothing.
        result.upperBound = std::numeric_limits<double>::infinity();
        result.exact = false;
    }
    return result;
}

}  // namespace

PricedPattern GridBestPattern(const std::vector<PricingItem>& items, double usable, double kerf, int32_t maxKinds,
                              int64_t cells)
{
    return GridPattern(items, usable, kerf, maxKinds, cells, false);
}

PricedPattern GridFittingPattern(const std::vector<PricingItem>& items, double usable, double kerf, int32_t maxKinds,
                                 int64_t cells)
{
    return GridPattern(items, usable, kerf, maxKinds, cells, true);
}

bool PatternFits(const std::vector<double>& lengths, const std::vector<int64_t>& counts, double usable, double kerf)
{
    double used = 0;
    int64_t pieces = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        used += double(counts[i]) * (lengths[i] + kerf);
        pieces += counts[i];
    }
    return pieces == 0 || used - kerf <= usable + FIT_MARGIN;
}
