// The engine keeps the pieces still to be cut as runs of (length, count); the
// plan it makes must be exactly the one of the plain per-piece reading in
// PerPieceModel. These tests run both on a few thousand small random jobs and
// compare every number of the result, and check a set of small jobs whose plan
// is worked out by hand against both.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "PerPieceModel.h"
#include "engine/Job.h"
#include "engine/PatternSearch.h"
#include "engine/Run.h"
#include "lists/InputLists.h"
#include "support/PlanJob.h"

namespace {

// ---------------------------------------------------------------------------
// Running a job

struct Params {
    double trim = 0;
    double kerf = 0;
    int32_t kinds = 0;
    int32_t speed = 0;
};

struct Outcome {
    const char* who = "";
    bool ok = false;
    JobError error;
    WireOptimize_Whole job;
};

Outcome RunEngine(const InputLists& lists, const Params& params)
{
    Outcome out;
    out.who = "engine";
    // The run itself, without the checks made before it, so that lists those
    // checks refuse (no stock rows, no cut rows) are compared too.
    RunHooks hooks;
    const RunHooksGuard installed(&hooks);
    LoadJob(out.job, lists, MakeParameters(params.trim, params.kerf, params.kinds, params.speed));
    out.ok = RunOptimisation(out.job, out.error);
    return out;
}

Outcome RunModel(const InputLists& lists, const Params& params)
{
    Outcome out;
    out.who = "per-piece model";
    LoadJob(out.job, lists, MakeParameters(params.trim, params.kerf, params.kinds, params.speed));
    out.ok = model::ModelRunOptimisation(out.job, out.error, &lists);
    return out;
}

std::vector<Outcome> RunBoth(const InputLists& lists, const Params& params)
{
    std::vector<Outcome> both;
    both.push_back(RunEngine(lists, params));
    both.push_back(RunModel(lists, params));
    return both;
}

// ---------------------------------------------------------------------------
// Printing

std::string Utf8(const MyString& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Show(double v)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}
std::string Show(int64_t v) { return std::to_string(v); }
std::string Show(int32_t v) { return std::to_string(v); }
std::string Show(std::size_t v) { return std::to_string(v); }
std::string Show(bool v) { return v ? "true" : "false"; }
std::string Show(const MyString& v) { return "\"" + Utf8(v) + "\""; }

template <class T>
std::string Show(const std::vector<T>& values)
{
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        out += (i == 0 ? "" : ", ") + Show(values[i]);
    }
    return out + "]";
}

std::string Describe(const InputLists& lists, const Params& params)
{
    std::ostringstream out;
    out << "trim " << Show(params.trim) << ", kerf " << Show(params.kerf) << ", kinds " << params.kinds << ", speed "
        << params.speed << "\n";
    for (std::size_t i = 0; i < lists.CutRowCount(); ++i) {
        out << "  cut   " << Show(lists.m_cutSpec[i]) << " " << Show(lists.m_cutLength[i]) << " x "
            << lists.m_cutQuantity[i] << " mark " << Show(lists.m_cutMark[i]) << "\n";
    }
    for (std::size_t i = 0; i < lists.StockRowCount(); ++i) {
        out << "  stock " << Show(lists.m_stockSpec[i]) << " " << Show(lists.m_stockLength[i]) << " x "
            << lists.m_stockQuantity[i] << " priority " << lists.m_stockPriority[i] << "\n";
    }
    return out.str();
}

// The plan of a run, one line per pattern, for the failure messages.
std::string DescribePlan(const Outcome& run)
{
    std::ostringstream out;
    out << run.who << ": " << Show(run.ok) << ", error " << run.error.code << " " << Show(run.error.text) << "\n";
    for (const WireOptimize& group : run.job.m_groups) {
        for (const WireCombine& pattern : group.m_patterns) {
            out << "  " << Show(group.m_spec) << " bar " << Show(pattern.m_barLength) << " x " << pattern.m_barCount
                << ": " << Show(pattern.m_pieceLength) << " " << Show(pattern.m_pieceCount) << " remnant "
                << Show(pattern.m_remnant) << "\n";
        }
    }
    return out.str();
}

// ---------------------------------------------------------------------------
// Comparing two results

// Keeps the first difference met; doubles are compared with ==.
class Comparer {
public:
    template <class T>
    void Same(const std::string& where, const T& engine, const T& reference)
    {
        if (m_diff.empty() && !(engine == reference)) {
            m_diff = where + ": engine " + Show(engine) + ", per-piece model " + Show(reference);
        }
    }
    bool Differs() const { return !m_diff.empty(); }
    const std::string& Diff() const { return m_diff; }

private:
    std::string m_diff;
};

std::string Compare(const Outcome& e, const Outcome& m)
{
    Comparer c;
    c.Same("return value", e.ok, m.ok);
    c.Same("error code", e.error.code, m.error.code);
    c.Same("error text", e.error.text, m.error.text);
    c.Same("error value", e.error.value, m.error.value);
    c.Same("m_hasFraction", e.job.m_hasFraction, m.job.m_hasFraction);
    c.Same("group count", e.job.m_groups.size(), m.job.m_groups.size());
    for (std::size_t g = 0; g < e.job.m_groups.size() && !c.Differs(); ++g) {
        const WireOptimize& ge = e.job.m_groups[g];
        const WireOptimize& gm = m.job.m_groups[g];
        const std::string gw = "group " + std::to_string(g) + " ";
        c.Same(gw + "spec", ge.m_spec, gm.m_spec);
        c.Same(gw + "pattern count", ge.m_patterns.size(), gm.m_patterns.size());
        for (std::size_t p = 0; p < ge.m_patterns.size() && !c.Differs(); ++p) {
            const WireCombine& pe = ge.m_patterns[p];
            const WireCombine& pm = gm.m_patterns[p];
            const std::string pw = gw + "pattern " + std::to_string(p) + " ";
            c.Same(pw + "bar length", pe.m_barLength, pm.m_barLength);
            c.Same(pw + "piece lengths", pe.m_pieceLength, pm.m_pieceLength);
            c.Same(pw + "piece counts", pe.m_pieceCount, pm.m_pieceCount);
            c.Same(pw + "bar count", pe.m_barCount, pm.m_barCount);
            c.Same(pw + "utilisation", pe.m_utilisation, pm.m_utilisation);
            c.Same(pw + "remnant", pe.m_remnant, pm.m_remnant);
            c.Same(pw + "mark record count", pe.m_markRecords.size(), pm.m_markRecords.size());
            for (std::size_t r = 0; r < pe.m_markRecords.size() && !c.Differs(); ++r) {
                const WireCombine_Mark& re = pe.m_markRecords[r];
                const WireCombine_Mark& rm = pm.m_markRecords[r];
                const std::string rw = pw + "record " + std::to_string(r) + " ";
                c.Same(rw + "bar count", re.m_barCount, rm.m_barCount);
                c.Same(rw + "lengths", re.m_pieceLength, rm.m_pieceLength);
                c.Same(rw + "counts", re.m_pieceCount, rm.m_pieceCount);
                c.Same(rw + "marks", re.m_pieceMark, rm.m_pieceMark);
            }
        }
        c.Same(gw + "total length", ge.m_totalLength, gm.m_totalLength);
        c.Same(gw + "total bars", ge.m_totalBars, gm.m_totalBars);
        c.Same(gw + "utilisation", ge.m_utilisation, gm.m_utilisation);
        c.Same(gw + "used lengths", ge.m_usedLength, gm.m_usedLength);
        c.Same(gw + "used bars", ge.m_usedBars, gm.m_usedBars);
        c.Same(gw + "used piece length", ge.m_usedPieceLength, gm.m_usedPieceLength);
    }
    c.Same("job total length", e.job.m_totalLength, m.job.m_totalLength);
    c.Same("job total bars", e.job.m_totalBars, m.job.m_totalBars);
    c.Same("job utilisation", e.job.m_utilisation, m.job.m_utilisation);
    c.Same("leftover lengths", e.job.m_leftoverLength, m.job.m_leftoverLength);
    c.Same("leftover quantities", e.job.m_leftoverQuantity, m.job.m_leftoverQuantity);
    c.Same("leftover specs", e.job.m_leftoverSpec, m.job.m_leftoverSpec);
    c.Same("leftover priorities", e.job.m_leftoverPriority, m.job.m_leftoverPriority);
    c.Same("mark specs", e.job.m_markSpec, m.job.m_markSpec);
    c.Same("mark texts", e.job.m_markText, m.job.m_markText);
    c.Same("mark lengths", e.job.m_markLength, m.job.m_markLength);
    c.Same("mark quantities", e.job.m_markQuantity, m.job.m_markQuantity);
    return c.Diff();
}

// ---------------------------------------------------------------------------
// Random small jobs

struct RandomJob {
    InputLists lists;
    Params params;
};

constexpr int MAX_PIECES_PER_JOB = 60;

RandomJob MakeJob(uint32_t seed)
{
    std::mt19937 rng(seed);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto chance = [&pick](int percent) { return pick(0, 99) < percent; };

    static const std::vector<MyString> specNames = {u"A", u"B", u"Φ12", u"a"};
    static const std::vector<MyString> markNames = {u"订单1", u"订单2", u"M7"};
    // Lengths that add up to whole bars often, some with fractions of a power of two.
    static const std::vector<double> pieceLengths = {200,  250,    300,  400,  500,    600,  750,    800,
                                                     1000, 1200,   1250, 1500, 1750.5, 1995, 2000,   2250.25,
                                                     2400, 2497.5, 2995, 3000, 3500.5, 4000, 4999.75};
    static const std::vector<double> shortLengths = {100, 120, 125, 150, 180, 200, 240, 250, 300.5};
    // Lengths that are not exact in binary, so that the order of additions shows.
    static const std::vector<double> inexactLengths = {333.3, 999.9, 1234.1, 2000.1, 2999.7};
    static const std::vector<double> stockLengths = {1000, 1500, 2000, 2500, 3000, 3600,
                                                     4000, 4500, 5000, 5990, 6000, 6000};
    static const std::vector<double> trims = {0, 0, 5, 10};
    static const std::vector<double> kerfs = {0, 3, 10, 2.5};

    auto from = [&pick](const std::vector<double>& values) {
        return values[static_cast<std::size_t>(pick(0, static_cast<int>(values.size()) - 1))];
    };

    RandomJob job;
    // Every length-kinds limit with every speed level, in turn.
    job.params.kinds = static_cast<int32_t>(seed % 6);
    job.params.speed = static_cast<int32_t>((seed / 6) % 6);
    job.params.trim = from(trims);
    job.params.kerf = from(kerfs);

    std::vector<MyString> specs = specNames;
    std::shuffle(specs.begin(), specs.end(), rng);
    specs.resize(static_cast<std::size_t>(pick(1, 3)));
    const bool inexact = chance(15);
    const int budget = MAX_PIECES_PER_JOB / static_cast<int>(specs.size());

    struct Cut {
        MyString spec;
        double length;
        int32_t quantity;
        MyString mark;
    };
    struct Stock {
        MyString spec;
        double length;
        int32_t quantity;
        int32_t priority;
    };
    std::vector<Cut> cuts;
    std::vector<Stock> stock;

    for (const MyString& spec : specs) {
        double longest = 0;
        const bool noStock = chance(5);
        const int stockRows = pick(1, 3);
        // Mostly some unlimited stock, so that most jobs are planned to the end.
        const bool someUnlimited = chance(75);
        for (int r = 0; r < stockRows; ++r) {
            const double length = chance(25) ? pick(1000, 6000) : from(stockLengths);
            const bool unlimited = chance(40) || (someUnlimited && r == stockRows - 1);
            const int32_t quantity = unlimited ? (chance(50) ? -1 : 0) : pick(1, 5);
            const int32_t priority = chance(25) ? 1 : 0;
            longest = std::max(longest, length);
            if (!noStock) {
                stock.push_back({spec, length, quantity, priority});
            }
        }
        // Three kinds of cut list: a few lengths that combine well; many short
        // pieces, so that a bar holds twenty and more and the tolerances reach
        // their caps; or dozens of distinct lengths, one piece each.
        const int shape = chance(70) ? 0 : (chance(50) ? 1 : 2);
        int pieces = 0;
        if (shape == 2) {
            // The limited search tries every choice of up to five lengths: keep
            // that to a few thousand.
            const int count = job.params.kinds >= 3 ? std::min(budget, 24) : budget;
            const int top = static_cast<int>(std::min(longest, 2500.0));
            for (int r = 0; r < count; ++r) {
                const double length = pick(100, top) + (chance(20) ? 0.5 : 0);
                const MyString mark = chance(10) ? markNames[0] : MyString();
                cuts.push_back({spec, length, 1, mark});
            }
            pieces = count;
        }
        std::vector<double> pool;
        for (double length : shape == 1 ? shortLengths : pieceLengths) {
            if (length <= longest) {
                pool.push_back(length);
            }
        }
        if (inexact) {
            for (double length : inexactLengths) {
                if (length <= longest) {
                    pool.push_back(length);
                }
            }
        }
        std::shuffle(pool.begin(), pool.end(), rng);
        pool.resize(std::min(pool.size(), static_cast<std::size_t>(pick(2, 5))));

        const int rows = pick(1, 8);
        for (int r = 0; r < rows && pieces < budget; ++r) {
            const double length = from(pool);
            const int32_t quantity = std::min(pick(1, 12), budget - pieces);
            const MyString mark =
                chance(35) ? markNames[static_cast<std::size_t>(pick(0, static_cast<int>(markNames.size()) - 1))]
                           : MyString();
            cuts.push_back({spec, length, quantity, mark});
            pieces += quantity;
        }
        if (chance(4)) {
            cuts.push_back({spec, longest + (chance(50) ? 0.5 : 700), 1, MyString()});
        }
    }
    if (chance(10)) {
        const MyString spec = chance(50) ? MyString(u"Z") : specs.front();
        stock.push_back({spec, from(stockLengths), pick(1, 5), chance(30) ? 1 : 0});
    }
    std::shuffle(cuts.begin(), cuts.end(), rng);
    std::shuffle(stock.begin(), stock.end(), rng);
    for (const Cut& cut : cuts) {
        job.lists.AppendCutRow(cut.spec, cut.length, cut.quantity, cut.mark);
    }
    for (const Stock& row : stock) {
        job.lists.AppendStockRow(row.spec, row.length, row.quantity, row.priority);
    }
    return job;
}

constexpr int BLOCKS = 16;
constexpr int JOBS_PER_BLOCK = 600;

class RandomJobs : public testing::TestWithParam<int> {};

TEST_P(RandomJobs, EngineMatchesThePerPieceReading)
{
    const int block = GetParam();
    int mismatches = 0;
    int planned = 0;
    int withMarks = 0;
    int failedStock = 0;
    for (int j = 0; j < JOBS_PER_BLOCK; ++j) {
        const uint32_t seed = static_cast<uint32_t>(block * JOBS_PER_BLOCK + j + 1);
        const RandomJob job = MakeJob(seed);
        const Outcome engine = RunEngine(job.lists, job.params);
        const Outcome reference = RunModel(job.lists, job.params);
        const std::string diff = Compare(engine, reference);
        if (!diff.empty()) {
            ADD_FAILURE() << "job seed " << seed << ": " << diff << "\n"
                          << Describe(job.lists, job.params) << DescribePlan(engine) << DescribePlan(reference);
            if (++mismatches >= 5) {
                break;
            }
        }
        if (reference.ok) {
            ++planned;
            if (!reference.job.m_markText.empty()) {
                ++withMarks;
            }
        } else if (reference.error.code == 6) {
            ++failedStock;
        }
    }
    // The jobs must mostly be planned, and cover marks and exhausted stock, or
    // the comparison above proves little.
    if (mismatches == 0) {
        EXPECT_GT(planned, JOBS_PER_BLOCK / 2);
        EXPECT_GT(withMarks, JOBS_PER_BLOCK / 10);
        EXPECT_GT(failedStock, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomJobs, testing::Range(0, BLOCKS));

// Many short pieces per bar at the best level without a kinds limit: the
// deep combination searches, where the search passes over whole levels that
// cannot beat the record, and the order of the records found must still be
// that of the literal search.
TEST(RandomJobs, DeepSearchesAtTheBestLevelMatchThePerPieceReading)
{
    int mismatches = 0;
    for (uint32_t seed = 1; seed <= 300 && mismatches < 5; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        InputLists lists;
        const int rows = pick(3, 9);
        for (int r = 0; r < rows; ++r) {
            // Whole lengths, and now and then one that is not exact in binary.
            const double length = pick(0, 9) == 0 ? pick(90, 400) + 0.1 : pick(90, 400);
            lists.AppendCutRow(u"A", length, pick(1, 6), u"");
        }
        lists.AppendStockRow(u"A", pick(900, 2600), -1, 0);
        if (pick(0, 2) == 0)
            lists.AppendStockRow(u"A", pick(900, 2600), pick(1, 3), pick(0, 1));
        Params params;
        params.kerf = pick(0, 3) == 0 ? 2.5 : 0;
        const Outcome engine = RunEngine(lists, params);
        const Outcome reference = RunModel(lists, params);
        const std::string diff = Compare(engine, reference);
        if (!diff.empty()) {
            ++mismatches;
            ADD_FAILURE() << "job seed " << seed << ": " << diff << "\n"
                          << Describe(lists, params) << DescribePlan(engine) << DescribePlan(reference);
        }
    }
}

// Has the searches build their tables of reachable sums from the first step,
// so that a comparison goes through the bounds taken from them (by default
// only long searches build them).
class TablesAtOnce {
public:
    TablesAtOnce() : m_saved(g_searchTableAfterSteps) { g_searchTableAfterSteps = 0; }
    ~TablesAtOnce() { g_searchTableAfterSteps = m_saved; }

private:
    uint64_t m_saved;
};

// Lengths for the jobs below: whole, tenths, an arithmetic progression (many
// choices share one sum: 100.0, 101.1, ... in decimals, 100, 101.25, ... in
// binary fractions), or multiples of 50 (ties everywhere, exact).
std::vector<double> LengthsOfShape(int shape, int count, std::mt19937& rng, int lo, int hi)
{
    auto pick = [&rng](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    std::vector<double> lengths;
    const double steps[] = {1.1, 1.25, 1.3, 2};
    const double step = steps[pick(0, 3)];
    for (int i = 0; int(lengths.size()) < count && i < 10 * count; ++i) {
        double length = 0;
        if (shape == 0)
            length = pick(lo, hi);
        else if (shape == 1)
            length = pick(lo * 10, hi * 10) / 10.0;
        else if (shape == 2)
            length = std::round((lo + step * double(lengths.size())) * 1000) / 1000;
        else
            length = 50.0 * pick(std::max(1, lo / 50), hi / 50);
        if (std::find(lengths.begin(), lengths.end(), length) == lengths.end())
            lengths.push_back(length);
    }
    return lengths;
}

// The limited search under every kinds limit and level, on jobs with many
// distinct lengths so that whole choices and counts are passed over by the
// bounds: trim, kerf, preferred rows, whole and decimal lengths, and lengths
// whose sums tie. Half of the jobs build the tables at once.
TEST(RandomJobs, KindsLimitedSearchesMatchThePerPieceReading)
{
    int mismatches = 0;
    int planned = 0;
    for (uint32_t seed = 1; seed <= 360 && mismatches < 5; ++seed) {
        std::mt19937 rng(seed * 7919);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        Params params;
        params.kinds = int32_t(1 + seed % 5);
        params.speed = int32_t((seed / 5) % 6);
        const double trims[] = {0, 12.5, 10};
        const double kerfs[] = {0, 3, 2.5};
        params.trim = trims[pick(0, 2)];
        params.kerf = kerfs[pick(0, 2)];
        const int shape = pick(0, 3);
        // The per-piece reading tries every choice and every count: keep that small.
        const int distinct = params.kinds >= 4 ? pick(6, 14) : pick(8, 24);
        const int most = params.kinds >= 4 ? 4 : 9;
        InputLists lists;
        for (double length : LengthsOfShape(shape, distinct, rng, 40, 700))
            lists.AppendCutRow(u"A", length, pick(1, most), u"");
        const double stocks[] = {3000, 6000, 12000, 2000.5};
        lists.AppendStockRow(u"A", stocks[pick(0, 3)], -1, 0);
        if (pick(0, 2) == 0)
            lists.AppendStockRow(u"A", pick(15, 60) * 100.0, pick(1, 3), pick(0, 1));
        std::unique_ptr<TablesAtOnce> tables;
        if (seed % 2 == 0)
            tables = std::make_unique<TablesAtOnce>();
        const Outcome engine = RunEngine(lists, params);
        const Outcome reference = RunModel(lists, params);
        const std::string diff = Compare(engine, reference);
        if (!diff.empty()) {
            ++mismatches;
            ADD_FAILURE() << "job seed " << seed << ": " << diff << "\n"
                          << Describe(lists, params) << DescribePlan(engine) << DescribePlan(reference);
        }
        planned += reference.ok;
    }
    if (mismatches == 0) {
        EXPECT_GT(planned, 300);
    }
}

// The combination search at the best level with its tables built at once:
// short pieces whose sums tie, in binary fractions (ties passed over exactly)
// and in decimals (ties searched), with and without kerf and trim.
TEST(RandomJobs, DeepSearchesWithTablesMatchThePerPieceReading)
{
    const TablesAtOnce tables;
    int mismatches = 0;
    for (uint32_t seed = 1; seed <= 240 && mismatches < 5; ++seed) {
        std::mt19937 rng(seed * 104729);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        InputLists lists;
        for (double length : LengthsOfShape(pick(0, 3), pick(3, 9), rng, 90, 400))
            lists.AppendCutRow(u"A", length, pick(1, 6), u"");
        lists.AppendStockRow(u"A", pick(900, 2600) + (pick(0, 3) == 0 ? 0.5 : 0), -1, 0);
        if (pick(0, 2) == 0)
            lists.AppendStockRow(u"A", pick(900, 2600), pick(1, 3), pick(0, 1));
        Params params;
        params.kerf = pick(0, 2) == 0 ? 2.5 : 0;
        params.trim = pick(0, 3) == 0 ? 12.5 : 0;
        const Outcome engine = RunEngine(lists, params);
        const Outcome reference = RunModel(lists, params);
        const std::string diff = Compare(engine, reference);
        if (!diff.empty()) {
            ++mismatches;
            ADD_FAILURE() << "job seed " << seed << ": " << diff << "\n"
                          << Describe(lists, params) << DescribePlan(engine) << DescribePlan(reference);
        }
    }
}

// ---------------------------------------------------------------------------
// Small jobs worked out by hand

const MyString S = u"Type_1";

struct CutRow {
    MyString spec;
    double length;
    int32_t quantity;
    MyString mark;
};
struct StockRow {
    MyString spec;
    double length;
    int32_t quantity;
    int32_t priority;
};

InputLists MakeLists(const std::vector<CutRow>& cuts, const std::vector<StockRow>& stock)
{
    InputLists lists;
    for (const CutRow& row : cuts) {
        lists.AppendCutRow(row.spec, row.length, row.quantity, row.mark);
    }
    for (const StockRow& row : stock) {
        lists.AppendStockRow(row.spec, row.length, row.quantity, row.priority);
    }
    return lists;
}

struct ExpectedPattern {
    double bar;
    int64_t bars;
    std::vector<double> lengths;
    std::vector<int64_t> counts;
    double utilisation;
    double remnant;
};

void ExpectPatterns(const WireOptimize& group, const std::vector<ExpectedPattern>& expected)
{
    ASSERT_EQ(group.m_patterns.size(), expected.size());
    for (std::size_t p = 0; p < expected.size(); ++p) {
        SCOPED_TRACE("pattern " + std::to_string(p));
        const WireCombine& pattern = group.m_patterns[p];
        EXPECT_EQ(pattern.m_barLength, expected[p].bar);
        EXPECT_EQ(pattern.m_barCount, expected[p].bars);
        EXPECT_EQ(pattern.m_pieceLength, expected[p].lengths);
        EXPECT_EQ(pattern.m_pieceCount, expected[p].counts);
        EXPECT_DOUBLE_EQ(pattern.m_utilisation, expected[p].utilisation);
        EXPECT_EQ(pattern.m_remnant, expected[p].remnant);
    }
}

struct ExpectedLeftover {
    double length;
    int64_t quantity;
    MyString spec;
    int32_t priority;
};

void ExpectLeftovers(const WireOptimize_Whole& job, const std::vector<ExpectedLeftover>& expected)
{
    ASSERT_EQ(job.m_leftoverLength.size(), expected.size());
    ASSERT_EQ(job.m_leftoverQuantity.size(), expected.size());
    ASSERT_EQ(job.m_leftoverSpec.size(), expected.size());
    ASSERT_EQ(job.m_leftoverPriority.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("leftover " + std::to_string(i));
        EXPECT_EQ(job.m_leftoverLength[i], expected[i].length);
        EXPECT_EQ(job.m_leftoverQuantity[i], expected[i].quantity);
        EXPECT_EQ(job.m_leftoverSpec[i], expected[i].spec);
        EXPECT_EQ(job.m_leftoverPriority[i], expected[i].priority);
    }
}

struct ExpectedRecord {
    int64_t bars;
    std::vector<double> lengths;
    std::vector<int64_t> counts;
    std::vector<MyString> marks;
};

void ExpectRecords(const WireCombine& pattern, const std::vector<ExpectedRecord>& expected)
{
    ASSERT_EQ(pattern.m_markRecords.size(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
        SCOPED_TRACE("record " + std::to_string(r));
        const WireCombine_Mark& record = pattern.m_markRecords[r];
        EXPECT_EQ(record.m_barCount, expected[r].bars);
        EXPECT_EQ(record.m_pieceLength, expected[r].lengths);
        EXPECT_EQ(record.m_pieceCount, expected[r].counts);
        EXPECT_EQ(record.m_pieceMark, expected[r].marks);
    }
}

std::string Trace(const Outcome& run, const Params& params)
{
    return std::string(run.who) + ", kinds " + std::to_string(params.kinds) + ", speed " + std::to_string(params.speed);
}

// Every combination of length-kinds limit and speed level.
std::vector<Params> AllLevels(double trim, double kerf)
{
    std::vector<Params> all;
    for (int32_t kinds = 0; kinds <= 5; ++kinds) {
        for (int32_t speed = 0; speed <= 5; ++speed) {
            all.push_back({trim, kerf, kinds, speed});
        }
    }
    return all;
}

TEST(PlanByHand, TwoPiecesFillOneBarAndTheRowKeepsOneBar)
{
    const InputLists lists = MakeLists({{S, 3000, 2, u""}}, {{S, 6000, 2, 0}});
    for (const Params& params : AllLevels(0, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ASSERT_EQ(run.job.m_groups.size(), 1u);
            ExpectPatterns(run.job.m_groups[0], {{6000, 1, {3000}, {2}, 1.0, 0}});
            ExpectLeftovers(run.job, {{6000, 1, S, 0}});
            EXPECT_EQ(run.job.m_totalBars, 1);
            EXPECT_EQ(run.job.m_totalLength, 6000);
        }
    }
}

TEST(PlanByHand, KerfBetweenTwoPiecesStillFits)
{
    // 2995 + 10 + 2995 = 6000; the reported remnant counts a kerf after both
    // pieces: 6000 - 5990 - 20 = -10, stored as 0.
    const InputLists lists = MakeLists({{S, 2995, 2, u""}}, {{S, 6000, -1, 0}});
    for (const Params& params : AllLevels(0, 10)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ASSERT_EQ(run.job.m_groups.size(), 1u);
            ExpectPatterns(run.job.m_groups[0], {{6000, 1, {2995}, {2}, 5990.0 / 6000.0, 0}});
            ExpectLeftovers(run.job, {{6000, -1, S, 0}});
        }
    }
}

TEST(PlanByHand, TrimLeavesRoomForOnePiecePerBar)
{
    // A bar offers 5990, so each 3000 gets its own bar; the pattern shows the
    // full 6000 and a remnant of 3000 with the trim in it.
    const InputLists lists = MakeLists({{S, 3000, 2, u""}}, {{S, 6000, -1, 0}});
    for (const Params& params : AllLevels(10, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{6000, 2, {3000}, {1}, 0.5, 3000}});
            ExpectLeftovers(run.job, {{6000, -1, S, 0}, {3000, 2, S, -1}});
        }
    }
}

TEST(PlanByHand, TrimmedRemnantIncludesTheTrim)
{
    const InputLists lists = MakeLists({{S, 5000, 1, u""}}, {{S, 6000, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {10, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{6000, 1, {5000}, {1}, 5000.0 / 6000.0, 1000}});
    }
}

TEST(PlanByHand, PieceLongerThanTrimmedBarRunsOutOfStock)
{
    const InputLists lists = MakeLists({{S, 5995, 1, u""}}, {{S, 6000, 3, 0}});
    for (const Outcome& run : RunBoth(lists, {10, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        EXPECT_FALSE(run.ok);
        EXPECT_EQ(run.error.code, 6);
        EXPECT_EQ(run.error.text, S);
        EXPECT_EQ(run.error.value, 0);
    }
}

TEST(PlanByHand, PieceLongerThanEveryBarIsCode5)
{
    const InputLists lists = MakeLists({{S, 3000, 1, u""}, {S, 6500, 2, u""}}, {{S, 6000, 3, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        EXPECT_FALSE(run.ok);
        EXPECT_EQ(run.error.code, 5);
        EXPECT_EQ(run.error.text, S);
        EXPECT_EQ(run.error.value, 6500);
    }
}

TEST(PlanByHand, PreferredBarIsUsedFirst)
{
    // 5000 alone on the preferred 6000; the row is then used up and 4000 + 3000
    // go onto a normal 9000 bar.
    const InputLists lists =
        MakeLists({{S, 5000, 1, u""}, {S, 4000, 1, u""}, {S, 3000, 1, u""}}, {{S, 9000, -1, 0}, {S, 6000, 1, 1}});
    for (const Params& params : AllLevels(0, 0)) {
        if (params.kinds == 1) {
            continue;
        }
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{6000, 1, {5000}, {1}, 5000.0 / 6000.0, 1000},
                                                 {9000, 1, {4000, 3000}, {1, 1}, 7000.0 / 9000.0, 2000}});
            ExpectLeftovers(run.job, {{9000, -1, S, 0}, {1000, 1, S, -1}, {2000, 1, S, -1}});
        }
    }
}

TEST(PlanByHand, PreferredStockServesShorterPiecesAfterTheLongBarIsUsedUp)
{
    // 5000 + 1000 use the only preferred 6000. The next 5000 fits no preferred
    // bar left, so it is deferred and the remaining 1000 still goes onto the
    // preferred 1500; only then is 5000 cut from normal stock.
    const InputLists lists =
        MakeLists({{S, 5000, 2, u""}, {S, 1000, 2, u""}}, {{S, 6000, 1, 1}, {S, 1500, -1, 1}, {S, 6000, -1, 0}});
    for (const Params& params : AllLevels(0, 0)) {
        if (params.kinds == 1) {
            continue;
        }
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{6000, 1, {5000, 1000}, {1, 1}, 1.0, 0},
                                                 {1500, 1, {1000}, {1}, 1000.0 / 1500.0, 500},
                                                 {6000, 1, {5000}, {1}, 5000.0 / 6000.0, 1000}});
            // The two 6000 rows are one leftover entry with the first row's flag.
            ExpectLeftovers(run.job, {{6000, -1, S, 1}, {1500, -1, S, 1}, {500, 1, S, -1}, {1000, 1, S, -1}});
        }
    }
}

TEST(PlanByHand, OneKindPerPatternCutsEveryLeadAlone)
{
    // With one length kind per pattern and no second piece of the lead's
    // length, every piece gets a bar of its own.
    const InputLists lists =
        MakeLists({{S, 5000, 1, u""}, {S, 4000, 1, u""}, {S, 3000, 1, u""}}, {{S, 9000, -1, 0}, {S, 6000, 1, 1}});
    for (int32_t speed = 0; speed <= 5; ++speed) {
        const Params params{0, 0, 1, speed};
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{6000, 1, {5000}, {1}, 5000.0 / 6000.0, 1000},
                                                 {9000, 1, {4000}, {1}, 4000.0 / 9000.0, 5000},
                                                 {9000, 1, {3000}, {1}, 3000.0 / 9000.0, 6000}});
        }
    }
}

TEST(PlanByHand, PieceLongerThanPreferredStockWaitsForNormalStock)
{
    const InputLists lists = MakeLists({{S, 5000, 1, u""}, {S, 2000, 1, u""}}, {{S, 3000, -1, 1}, {S, 6000, -1, 0}});
    for (const Params& params : AllLevels(0, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{3000, 1, {2000}, {1}, 2000.0 / 3000.0, 1000},
                                                 {6000, 1, {5000}, {1}, 5000.0 / 6000.0, 1000}});
        }
    }
}

TEST(PlanByHand, SecondPieceWithoutStockFailsTheGroup)
{
    const InputLists lists = MakeLists({{S, 2000, 2, u""}}, {{S, 3000, 1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        EXPECT_FALSE(run.ok);
        EXPECT_EQ(run.error.code, 6);
        EXPECT_EQ(run.error.text, S);
        // The pattern made before the stock ran out stays.
        ASSERT_EQ(run.job.m_groups.size(), 1u);
        ExpectPatterns(run.job.m_groups[0], {{3000, 1, {2000}, {1}, 2000.0 / 3000.0, 1000}});
    }
}

TEST(PlanByHand, RepeatStopsWhenTooFewPiecesAreLeft)
{
    // 1000 x 6 fills a bar; only four pieces remain for a second one.
    const InputLists lists = MakeLists({{S, 1000, 10, u""}}, {{S, 6000, -1, 0}});
    for (const Params& params : AllLevels(0, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0],
                           {{6000, 1, {1000}, {6}, 1.0, 0}, {6000, 1, {1000}, {4}, 4000.0 / 6000.0, 2000}});
            ExpectLeftovers(run.job, {{6000, -1, S, 0}, {2000, 1, S, -1}});
            EXPECT_EQ(run.job.m_groups[0].m_totalBars, 2);
            EXPECT_EQ(run.job.m_groups[0].m_totalLength, 12000);
            EXPECT_DOUBLE_EQ(run.job.m_groups[0].m_utilisation, 10000.0 / 12000.0);
        }
    }
}

TEST(PlanByHand, SamePatternOnTwoRowsOfOneLengthIsOnePattern)
{
    // Each row has one bar: the pattern is found twice and recorded once.
    const InputLists lists = MakeLists({{S, 3000, 4, u""}}, {{S, 6000, 1, 0}, {S, 6000, 1, 0}});
    for (const Params& params : AllLevels(0, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{6000, 2, {3000}, {2}, 1.0, 0}});
            ExpectLeftovers(run.job, {});
        }
    }
}

TEST(PlanByHand, FreeSearchTakesTheLeastLeftover)
{
    // Lead 2000 on a 4300 bar: 2000 leaves 300, 1500 + 700 leaves 100.
    const InputLists lists = MakeLists({{S, 2000, 2, u""}, {S, 1500, 1, u""}, {S, 700, 1, u""}}, {{S, 4300, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{4300, 1, {2000, 1500, 700}, {1, 1, 1}, 4200.0 / 4300.0, 100},
                                             {4300, 1, {2000}, {1}, 2000.0 / 4300.0, 2300}});
    }
}

TEST(PlanByHand, TwoKindsKeepTheLeadsLengthInEveryChoice)
{
    // Same job with at most two lengths per pattern: 2000 + 1500 + 700 is not
    // allowed, 2000 + 2000 (leftover 300) is the best choice.
    const InputLists lists = MakeLists({{S, 2000, 2, u""}, {S, 1500, 1, u""}, {S, 700, 1, u""}}, {{S, 4300, -1, 0}});
    for (int32_t speed = 0; speed <= 5; ++speed) {
        const Params params{0, 0, 2, speed};
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{4300, 1, {2000}, {2}, 4000.0 / 4300.0, 300},
                                                 {4300, 1, {1500, 700}, {1, 1}, 2200.0 / 4300.0, 2100}});
        }
    }
}

TEST(PlanByHand, KerfChargedForEveryCompanion)
{
    // Room 3000 after the lead, kerf 10: 2 x (1500 + 10) = 3020 does not fit,
    // one 1500 does (leftover 1490).
    const InputLists lists = MakeLists({{S, 3000, 1, u""}, {S, 1500, 2, u""}}, {{S, 6000, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 10, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{6000, 1, {3000, 1500}, {1, 1}, 4500.0 / 6000.0, 1480},
                                             {6000, 1, {1500}, {1}, 1500.0 / 6000.0, 4490}});
    }
}

TEST(PlanByHand, ExactFitEndsTheSearch)
{
    // Room 3000, kerf 0, pieces 1500, 1500, 1000: 1500 + 1500 leaves nothing.
    const InputLists lists = MakeLists({{S, 3000, 1, u""}, {S, 1500, 2, u""}, {S, 1000, 1, u""}}, {{S, 6000, -1, 0}});
    for (const Params& params : AllLevels(0, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            if (params.kinds == 1) {
                // One kind per pattern: 3000 has no partner of its own length;
                // the next lead 1500 takes the other 1500.
                ExpectPatterns(run.job.m_groups[0], {{6000, 1, {3000}, {1}, 0.5, 3000},
                                                     {6000, 1, {1500}, {2}, 0.5, 3000},
                                                     {6000, 1, {1000}, {1}, 1000.0 / 6000.0, 5000}});
            } else {
                ExpectPatterns(run.job.m_groups[0], {{6000, 1, {3000, 1500}, {1, 2}, 1.0, 0},
                                                     {6000, 1, {1000}, {1}, 1000.0 / 6000.0, 5000}});
            }
        }
    }
}

TEST(PlanByHand, OnlyTwoOfThreeEqualPiecesFit)
{
    // Room 1700 after the lead 1000: 800 + 800 leaves 100.
    const InputLists lists = MakeLists({{S, 1000, 1, u""}, {S, 800, 3, u""}}, {{S, 2700, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{2700, 1, {1000, 800}, {1, 2}, 2600.0 / 2700.0, 100},
                                             {2700, 1, {800}, {1}, 800.0 / 2700.0, 1900}});
    }
}

TEST(PlanByHand, LimitedSearchFitsWithinTheMargin)
{
    // Room 6000 - 3000.000005; the companion 3000 leaves about -0.000005,
    // within the margin of 0.00001, so both pieces share one bar.
    const InputLists lists = MakeLists({{S, 3000.000005, 1, u""}, {S, 3000, 1, u""}}, {{S, 6000, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 2, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{6000, 1, {3000.000005, 3000}, {1, 1}, 6000.000005 / 6000.0, 0}});
    }
    // A shortfall of 0.00002 is beyond the margin.
    const InputLists over = MakeLists({{S, 3000.00002, 1, u""}, {S, 3000, 1, u""}}, {{S, 6000, -1, 0}});
    for (const Outcome& run : RunBoth(over, {0, 0, 2, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{6000, 1, {3000.00002}, {1}, 3000.00002 / 6000.0, 6000 - 3000.00002},
                                             {6000, 1, {3000}, {1}, 0.5, 3000}});
    }
}

TEST(PlanByHand, FreeSearchCountBoundHasNoMargin)
{
    // The free search counts how many companions can fit (mMax) by a plain
    // "sum exceeds the room" test: 3000 > 2999.999995, so no companion is
    // tried and each piece is cut alone.
    const InputLists lists = MakeLists({{S, 3000.000005, 1, u""}, {S, 3000, 1, u""}}, {{S, 6000, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{6000, 1, {3000.000005}, {1}, 3000.000005 / 6000.0, 6000 - 3000.000005},
                                             {6000, 1, {3000}, {1}, 0.5, 3000}});
    }
}

TEST(PlanByHand, MarksGoToTheFirstBarsPieceByPiece)
{
    // 3000 + 2000 + 1000 on a 6010 bar with kerf 5 (leftover 0), three bars.
    const InputLists lists = MakeLists(
        {{S, 3000, 2, u"订单1"}, {S, 3000, 1, u""}, {S, 2000, 3, u""}, {S, 1000, 1, u"订单2"}, {S, 1000, 2, u""}},
        {{S, 6010, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 5, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        const WireOptimize& group = run.job.m_groups[0];
        ExpectPatterns(group, {{6010, 3, {3000, 2000, 1000}, {1, 1, 1}, 6000.0 / 6010.0, 0}});
        ExpectRecords(group.m_patterns[0], {{1, {3000, 2000, 1000}, {1, 1, 1}, {u"订单1", u"", u"订单2"}},
                                            {1, {3000, 2000, 1000}, {1, 1, 1}, {u"订单1", u"", u""}},
                                            {1, {3000, 2000, 1000}, {1, 1, 1}, {u"", u"", u""}}});
        EXPECT_EQ(run.job.m_markSpec, (std::vector<MyString>{S, S}));
        EXPECT_EQ(run.job.m_markText, (std::vector<MyString>{u"订单1", u"订单2"}));
        EXPECT_EQ(run.job.m_markLength, (std::vector<double>{3000, 1000}));
        EXPECT_EQ(run.job.m_markQuantity, (std::vector<int32_t>{2, 1}));
    }
}

TEST(PlanByHand, EqualBarsOfOneMarkAreOneRecord)
{
    const InputLists lists = MakeLists({{S, 1000, 8, u"A"}}, {{S, 4000, -1, 0}});
    for (const Params& params : AllLevels(0, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            const WireOptimize& group = run.job.m_groups[0];
            ExpectPatterns(group, {{4000, 2, {1000}, {4}, 1.0, 0}});
            ExpectRecords(group.m_patterns[0], {{2, {1000}, {4}, {u"A"}}});
        }
    }
}

TEST(PlanByHand, MarksFillEarlierPatternsFirstAndUnmarkedGroupsGetOneRecord)
{
    const MyString T = u"Type_2";
    const InputLists lists =
        MakeLists({{S, 1000, 7, u"A"}, {T, 2000, 6, u""}, {S, 1000, 3, u""}}, {{S, 6000, -1, 0}, {T, 6000, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ASSERT_EQ(run.job.m_groups.size(), 2u);
        const WireOptimize& marked = run.job.m_groups[0];
        ExpectPatterns(marked, {{6000, 1, {1000}, {6}, 1.0, 0}, {6000, 1, {1000}, {4}, 4000.0 / 6000.0, 2000}});
        ExpectRecords(marked.m_patterns[0], {{1, {1000}, {6}, {u"A"}}});
        ExpectRecords(marked.m_patterns[1], {{1, {1000, 1000}, {1, 3}, {u"A", u""}}});
        const WireOptimize& unmarked = run.job.m_groups[1];
        EXPECT_EQ(unmarked.m_spec, T);
        ExpectPatterns(unmarked, {{6000, 2, {2000}, {3}, 1.0, 0}});
        ExpectRecords(unmarked.m_patterns[0], {{2, {2000}, {3}, {u""}}});
    }
}

TEST(PlanByHand, UnusedPreferredBarsAndRemnantsAreLeftOver)
{
    const InputLists lists = MakeLists({{S, 5000, 4, u""}}, {{S, 6000, 10, 1}});
    for (const Params& params : AllLevels(0, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{6000, 4, {5000}, {1}, 5000.0 / 6000.0, 1000}});
            ExpectLeftovers(run.job, {{6000, 6, S, 1}, {1000, 4, S, -1}});
        }
    }
}

TEST(PlanByHand, UnlimitedRowStaysUnlimited)
{
    const InputLists lists = MakeLists({{S, 5000, 7, u""}}, {{S, 6000, -1, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectLeftovers(run.job, {{6000, -1, S, 0}, {1000, 7, S, -1}});
    }
}

TEST(PlanByHand, UsedUpRowLeavesTheList)
{
    const InputLists lists = MakeLists({{S, 5000, 2, u""}}, {{S, 6000, 2, 0}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectLeftovers(run.job, {{1000, 2, S, -1}});
    }
}

TEST(PlanByHand, RemnantJoinsTheStockRowOfItsLength)
{
    // The 1000 remnants join the preferred 1000 row and carry its flag.
    const InputLists lists = MakeLists({{S, 5000, 2, u""}}, {{S, 6000, 3, 0}, {S, 1000, 2, 1}});
    for (const Outcome& run : RunBoth(lists, {0, 0, 0, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{6000, 2, {5000}, {1}, 5000.0 / 6000.0, 1000}});
        ExpectLeftovers(run.job, {{6000, 1, S, 0}, {1000, 4, S, 1}});
    }
}

// ---------------------------------------------------------------------------
// The searches on their own, worked out by hand

using Runs = std::vector<std::pair<double, int64_t>>;

PieceList EngineList(const Runs& runs)
{
    PieceList list;
    for (const auto& run : runs) {
        list.Append(run.first, run.second);
    }
    return list;
}

model::Pieces ModelList(const Runs& runs)
{
    model::Pieces list;
    for (const auto& run : runs) {
        list.insert(list.end(), static_cast<std::size_t>(run.second), run.first);
    }
    return list;
}

WireOptimize SearchGroup(double kerf, int32_t kinds, double lead)
{
    WireOptimize group;
    group.m_kerfWidth = kerf;
    group.m_maxLengthKinds = kinds;
    group.m_leadLength = lead;
    group.m_tolerance = 0;
    return group;
}

struct SpeedLevel {
    explicit SpeedLevel(int32_t level) : m_saved(g_speedLevel) { g_speedLevel = level; }
    ~SpeedLevel() { g_speedLevel = m_saved; }
    int32_t m_saved;
};

TEST(SearchByHand, FreeToleranceIsAShareOfTheRoom)
{
    struct Case {
        int32_t speed;
        double kerf;
        Runs list;
        std::size_t candidates;
        double expected;
    };
    const std::vector<Case> cases = {
        {0, 0, {{1000, 6}}, 5, 0},                 // level 0: no tolerance
        {1, 0, {{1000, 6}}, 5, 120},               // six pieces fit: 6 / 3 x 1 % = 2 % of 6000
        {2, 0, {{3000, 1}, {1000, 4}}, 100, 240},  // four fit; log10(100) - 0.5 = 1.5; 1.5 x 4 / 3 x 2 % = 4 %
        {3, 0, {{100, 27}}, 1, 1440},              // 27 / 3 = 9, capped at 8: 8 x 3 % = 24 %
        {5, 0, {{100, 30}}, 1, 1800},              // 8 x 5 % = 40 %, capped at 30 %
        {1, 10, {{1990, 3}}, 1, 60},               // 3 x (1990 + 10) = 6000 does not exceed: three fit
        {1, 11, {{1990, 3}}, 1, 40},               // 3 x 2001 > 6000: two fit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("speed " + std::to_string(c.speed) + ", kerf " + Show(c.kerf) + ", expected " + Show(c.expected));
        const SpeedLevel level(c.speed);
        EXPECT_DOUBLE_EQ(FreeTolerance(6000, EngineList(c.list), c.kerf, c.candidates), c.expected);
        EXPECT_DOUBLE_EQ(model::FreeTolerance(6000, ModelList(c.list), c.kerf, c.candidates), c.expected);
    }
}

TEST(SearchByHand, FreeSearchFindsTheLeastLeftover)
{
    struct Case {
        double room;
        double kerf;
        Runs list;
        double remnant;
        std::vector<double> companions;
    };
    const std::vector<Case> cases = {
        {3000, 0, {{1500, 2}, {1000, 1}}, 0, {1500, 1500}},         // exact fit
        {3000, 10, {{1500, 2}}, 1490, {1500}},                      // 2 x 1510 > 3000
        {1700, 0, {{800, 3}}, 100, {800, 800}},                     // two of the three
        {3000, 0, {{2900, 1}, {1500, 1}, {1400, 1}}, 100, {2900}},  // tie: fewer companions first
        // Tie between 2000 + 1050 and 1900 + 1150: the longer piece first wins.
        {3100, 0, {{2000, 1}, {1900, 1}, {1150, 1}, {1050, 1}}, 50, {2000, 1050}},
    };
    const SpeedLevel level(0);
    RunHooks hooks;
    for (const Case& c : cases) {
        SCOPED_TRACE("room " + Show(c.room) + ", kerf " + Show(c.kerf));
        {
            WireOptimize group = SearchGroup(c.kerf, 0, 5000);
            PatternBest best;
            g_resultWindow = &hooks;
            const PieceList list = EngineList(c.list);
            EXPECT_TRUE(SearchFree(group, c.room, CandidateLengths(list, c.room - c.kerf), best));
            g_resultWindow = nullptr;
            EXPECT_EQ(best.remnant, c.remnant);
            EXPECT_EQ(best.companions, c.companions);
            EXPECT_EQ(best.available, c.room);
        }
        {
            WireOptimize group = SearchGroup(c.kerf, 0, 5000);
            model::Best best;
            const model::Pieces list = ModelList(c.list);
            model::SearchFree(group, c.room, model::CandidateLengths(list, c.room - c.kerf), best);
            EXPECT_EQ(best.remnant, c.remnant);
            EXPECT_EQ(best.companions, c.companions);
            EXPECT_EQ(best.available, c.room);
        }
    }
}

TEST(SearchByHand, LimitedSearchChoosesKindsAndLeavesItsTolerance)
{
    struct Case {
        int32_t kinds;
        int32_t speed;
        double lead;
        double room;
        Runs list;
        double remnant;
        std::vector<double> companions;
        double tolerance;  // what the search leaves in m_tolerance
    };
    const std::vector<Case> cases = {
        // The lead's own length is in every choice: 2000 + 2000, not 1500 + 700.
        {2, 0, 2000, 2300, {{2000, 1}, {1500, 1}, {700, 1}}, 300, {2000}, 0},
        // One kind and no other piece of the lead's length: nothing is found.
        {1, 0, 2500, 2300, {{2000, 1}, {1500, 1}, {700, 1}}, NO_PATTERN_REMNANT, {}, 0},
        // Three further kinds at level 3 use 2 x 0.5 % x 3 of the room, four use 3 x 0.5 % x 3.
        {4, 3, 2500, 2000, {{1700, 1}, {1300, 1}, {900, 1}}, 300, {1700}, 60},
        {5, 3, 2500, 2000, {{1700, 1}, {1300, 1}, {900, 1}}, 300, {1700}, 90},
        // Counts of several kinds: 900 x 2 + 400 leaves 0.
        {3, 0, 2500, 2200, {{900, 3}, {400, 2}}, 0, {900, 900, 400}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("kinds " + std::to_string(c.kinds) + ", lead " + Show(c.lead));
        const SpeedLevel level(c.speed);
        {
            WireOptimize group = SearchGroup(0, c.kinds, c.lead);
            PatternBest best;
            const PieceList list = EngineList(c.list);
            SearchLimited(group, c.room, CandidateLengths(list, c.room), best);
            EXPECT_EQ(best.remnant, c.remnant);
            EXPECT_EQ(best.companions, c.companions);
            EXPECT_DOUBLE_EQ(group.m_tolerance, c.tolerance);
        }
        {
            WireOptimize group = SearchGroup(0, c.kinds, c.lead);
            model::Best best;
            const model::Pieces list = ModelList(c.list);
            model::SearchLimited(group, c.room, model::CandidateLengths(list, c.room), best);
            EXPECT_EQ(best.remnant, c.remnant);
            EXPECT_EQ(best.companions, c.companions);
            EXPECT_DOUBLE_EQ(group.m_tolerance, c.tolerance);
        }
    }
}

TEST(SearchByHand, CandidateLengthsKeepWhatFits)
{
    // 2500 does not fit into 2000; 1000 fits twice (cap 2 of 3); 700 twice (cap
    // trunc(2000 / 700) = 2 of 5).
    const Runs runs = {{2500, 1}, {1000, 3}, {700, 5}};
    const Candidates engine = CandidateLengths(EngineList(runs), 2000);
    EXPECT_EQ(engine.D, (std::vector<double>{1000, 700}));
    EXPECT_EQ(engine.Q, (std::vector<int64_t>{2, 2}));
    const model::CandidateSet reference = model::CandidateLengths(ModelList(runs), 2000);
    EXPECT_EQ(reference.D, (std::vector<double>{1000, 700}));
    EXPECT_EQ(reference.Q, (std::vector<int64_t>{2, 2}));
    // With x = 0 nothing is filtered or capped.
    const Candidates all = CandidateLengths(EngineList(runs), 0);
    EXPECT_EQ(all.D, (std::vector<double>{2500, 1000, 700}));
    EXPECT_EQ(all.Q, (std::vector<int64_t>{1, 3, 5}));
    const model::CandidateSet allModel = model::CandidateLengths(ModelList(runs), 0);
    EXPECT_EQ(allModel.D, (std::vector<double>{2500, 1000, 700}));
    EXPECT_EQ(allModel.Q, (std::vector<int64_t>{1, 3, 5}));
}

}  // namespace

// ---------------------------------------------------------------------------
// Bars so long that every leftover is 100,000,000 or more: the plan still
// comes from real bars.

namespace {

// Every pattern uses a bar length of the stock list, and every bar used is
// taken from the stock list's rows.
void ExpectRealBars(const WireOptimize_Whole& job, const InputLists& lists)
{
    for (const WireOptimize& group : job.m_groups) {
        for (const WireCombine& pattern : group.m_patterns) {
            const auto& stock = lists.m_stockLength;
            EXPECT_NE(std::find(stock.begin(), stock.end(), pattern.m_barLength), stock.end())
                << "bar length " << Show(pattern.m_barLength) << " is no stock length";
        }
    }
}

}  // namespace

TEST(PlanByHand, ACoilEnteredAsOneLongBarIsCutFromTheCoil)
{
    // 35 x 2995 + 35 x 985 with a kerf of 5 take 139,650 of a coil of
    // 999,999,999: every piece comes from one coil, which leaves 999,860,349.
    const InputLists lists = MakeLists({{S, 2995, 35, u""}, {S, 985, 35, u""}}, {{S, 999999999, 0, 0}});
    for (const Params& params : AllLevels(0, 5)) {
        if (params.kinds == 1)
            continue;  // one kind per pattern: below
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0],
                           {{999999999, 1, {2995, 985}, {35, 35}, 139300.0 / 999999999, 999860349}});
            ExpectLeftovers(run.job, {{999999999, -1, S, 0}, {999860349, 1, S, -1}});
        }
    }
    // One kind per pattern: the 2995s on one coil, the 985s on another.
    for (const Outcome& run : RunBoth(lists, {0, 5, 1, 0})) {
        SCOPED_TRACE(run.who);
        ASSERT_TRUE(run.ok);
        EXPECT_EQ(run.job.m_totalBars, 2);
        ExpectRealBars(run.job, lists);
    }
}

TEST(PlanByHand, PiecesOfTwentyKilometresOnBarsOfOneHundredFifty)
{
    // Seven pieces of 20,000,000 fill 140,000,000 of a bar; the eighth takes a
    // second bar of 150,000,000 and leaves 130,000,000 (no bar of 20,000,000).
    const InputLists lists = MakeLists({{S, 20000000, 8, u""}}, {{S, 150000000, 3, 0}});
    for (const Params& params : AllLevels(0, 0)) {
        for (const Outcome& run : RunBoth(lists, params)) {
            SCOPED_TRACE(Trace(run, params));
            ASSERT_TRUE(run.ok);
            ExpectPatterns(run.job.m_groups[0], {{150000000, 1, {20000000}, {7}, 140.0 / 150, 10000000},
                                                 {150000000, 1, {20000000}, {1}, 20.0 / 150, 130000000}});
            EXPECT_EQ(run.job.m_totalLength, 300000000);
            ExpectLeftovers(run.job, {{150000000, 1, S, 0}, {10000000, 1, S, -1}, {130000000, 1, S, -1}});
        }
    }
}

TEST(PlanByHand, ShortBarFirstThenTheCoilForAllTheRest)
{
    // 7000 pieces of 5000 on one bar of 6000 and one coil of 200,000,000: the
    // first piece alone leaves 1000 on the short bar, the coil takes the other
    // 6999 and leaves 165,005,000. The leftover list and the bars agree: both
    // rows are used up. (Engine only: the per-piece reading would nest 6999 levels.)
    const InputLists lists = MakeLists({{S, 5000, 7000, u""}}, {{S, 6000, 1, 0}, {S, 200000000, 1, 0}});
    for (const Params& params : std::vector<Params>{{0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 2, 0}, {0, 0, 3, 5}}) {
        SCOPED_TRACE("kinds " + std::to_string(params.kinds) + ", speed " + std::to_string(params.speed));
        const Outcome run = RunEngine(lists, params);
        ASSERT_TRUE(run.ok);
        ExpectPatterns(run.job.m_groups[0], {{6000, 1, {5000}, {1}, 5000.0 / 6000, 1000},
                                             {200000000, 1, {5000}, {6999}, 34995000.0 / 200000000, 165005000}});
        EXPECT_EQ(run.job.m_totalBars, 2);
        ExpectLeftovers(run.job, {{1000, 1, S, -1}, {165005000, 1, S, -1}});
    }
}
