// Planning benchmark: generated jobs of growing size and the BPPLIB
// cutting-stock instances. Prints one line per case: time, bars used, the
// lower bound ceil(total piece length / stock length) where there is one
// stock length, and the utilisation.
//
//   trevak-bench [--generated] [--searches] [--bpplib DIR] [--sets A,B]
//                [--levels 0,1,5] [--kinds 2,3] [--match TEXT] [--limit SECONDS]
//                [--max-pieces N]
//
// Without options it runs the generated jobs, the search jobs and, when the
// instance folder is found next to the project (../shared/bench-data/bpplib),
// the Falkenauer sets.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/LowerBound.h"
#include "engine/PlanSearch.h"
#include "engine/Run.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Lets the run go on until its time is up, then withdraws it as the
// interrupt button would.
class Deadline : public RunHooks {
public:
    explicit Deadline(double seconds) : m_end(Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds))) {}
    void DispatchPending() override
    {
        if (Clock::now() > m_end)
            g_resultWindow = nullptr;
    }

private:
    Clock::time_point m_end;
};

struct Outcome {
    bool planned = false;
    bool timedOut = false;
    double seconds = 0;
    int64_t bars = 0;
    double utilisation = 0;
    uint64_t digest = 0;  // of the whole plan, to compare plans across builds
    double totalLength = 0;
    double lowerBound = 0;
    int64_t lowerBoundBars = -1;
    bool optimal = false;
};

// The exact optimiser instead of a level, with its time per group.
struct Exact {
    bool on = false;
    double seconds = 10;
};

// FNV-1a over every pattern of the plan: bar length, bars, pieces and
// remnant, bit for bit. Two builds that plan alike print the same digest.
uint64_t PlanDigest(const WireOptimize_Whole& job)
{
    uint64_t h = 1469598103934665603ULL;
    auto mix = [&](const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            h ^= bytes[i];
            h *= 1099511628211ULL;
        }
    };
    for (const WireOptimize& group : job.m_groups) {
        for (const WireCombine& p : group.m_patterns) {
            mix(&p.m_barLength, sizeof p.m_barLength);
            mix(&p.m_barCount, sizeof p.m_barCount);
            mix(&p.m_remnant, sizeof p.m_remnant);
            for (std::size_t i = 0; i < p.m_pieceLength.size(); ++i) {
                mix(&p.m_pieceLength[i], sizeof p.m_pieceLength[i]);
                mix(&p.m_pieceCount[i], sizeof p.m_pieceCount[i]);
            }
        }
    }
    return h;
}

Outcome Plan(const InputLists& lists, double trim, double kerf, int kinds, int level, double limit,
             Exact exact = Exact())
{
    Deadline hooks(limit);
    PlanParameters parameters;
    parameters.m_trimLength = trim;
    parameters.m_kerfWidth = kerf;
    parameters.m_maxLengthKinds = kinds;
    parameters.m_speedLevel = level;
    parameters.m_exactPlan = exact.on;
    parameters.m_exactSeconds = exact.seconds;
    const auto start = Clock::now();
    PlanOutcome outcome;
    Outcome o;
    o.planned = PlanLists(g_job, lists, parameters, hooks, outcome);
    o.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    o.timedOut = !o.planned && outcome.m_withdrawn;
    o.bars = g_job.m_totalBars;
    o.utilisation = g_job.m_utilisation;
    o.digest = o.planned ? PlanDigest(g_job) : 0;
    o.totalLength = g_job.m_totalLength;
    o.lowerBound = g_job.m_lowerBound;
    o.lowerBoundBars = g_job.m_lowerBoundBars;
    o.optimal = g_job.m_optimal;
    return o;
}

std::string Status(const Outcome& o)
{
    if (o.planned)
        return "ok";
    return o.timedOut ? "TIMEOUT" : "FAILED";
}

// A generated job: `pieces` pieces over `distinct` lengths from 200 to 3000,
// `specs` specifications, the stock lengths given, unlimited.
InputLists Generate(uint32_t seed, int64_t pieces, int distinct, int specs, const std::vector<double>& stock)
{
    std::mt19937 random(seed);
    InputLists lists;
    for (int s = 0; s < specs; ++s) {
        const std::u16string spec = u"Q235-" + std::u16string(1, char16_t(u'A' + s));
        for (double length : stock)
            lists.AppendStockRow(spec, length, -1, 0);
    }
    std::uniform_int_distribution<int> lengthOf(200, 3000);
    std::vector<double> lengths;
    while (int(lengths.size()) < distinct) {
        const double l = lengthOf(random);
        if (std::find(lengths.begin(), lengths.end(), l) == lengths.end())
            lengths.push_back(l);
    }
    // Spread the pieces over the lengths with random weights.
    std::vector<double> weight(lengths.size());
    double total = 0;
    for (double& w : weight) {
        w = std::uniform_real_distribution<double>(0.2, 1.0)(random);
        total += w;
    }
    int64_t placed = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        int64_t q = i + 1 == lengths.size() ? pieces - placed : std::max<int64_t>(1, int64_t(pieces * weight[i] / total));
        q = std::max<int64_t>(1, std::min(q, pieces - placed - int64_t(lengths.size() - i - 1)));
        placed += q;
        const std::u16string spec = u"Q235-" + std::u16string(1, char16_t(u'A' + int(i) % specs));
        lists.AppendCutRow(spec, lengths[i], int32_t(q), u"");
    }
    return lists;
}

// `count` distinct lengths drawn from lo, lo + unit, ..., hi, `quantity`
// pieces each, one specification, on one unlimited stock length.
InputLists DistinctLengths(uint32_t seed, int count, double lo, double hi, double unit, int32_t quantity, double stock)
{
    std::mt19937 random(seed);
    const int steps = int(std::lround((hi - lo) / unit));
    std::uniform_int_distribution<int> stepOf(0, steps);
    std::vector<int> chosen;
    while (int(chosen.size()) < count) {
        const int step = stepOf(random);
        if (std::find(chosen.begin(), chosen.end(), step) == chosen.end())
            chosen.push_back(step);
    }
    InputLists lists;
    lists.AppendStockRow(u"Q235", stock, -1, 0);
    for (int step : chosen) {
        // Whole units, rounded to the decimal digits of the unit as a user types them.
        const double length = std::round((lo + step * unit) * 1000) / 1000;
        lists.AppendCutRow(u"Q235", length, quantity, u"");
    }
    return lists;
}

// Lengths first, first + step, ... (`count` of them), `quantity` pieces each:
// many patterns share one sum.
InputLists Progression(int count, double first, double step, int32_t quantity, double stock)
{
    InputLists lists;
    lists.AppendStockRow(u"Q235", stock, -1, 0);
    for (int i = 0; i < count; ++i)
        lists.AppendCutRow(u"Q235", std::round((first + i * step) * 1000) / 1000, quantity, u"");
    return lists;
}

// Jobs that make the pattern searches work hard: many distinct lengths under a
// length-kinds limit, and the exhaustive free search on short pieces.
void RunSearches(const std::vector<int>& levels, double limit, const std::string& match, const std::vector<int>& onlyKinds)
{
    std::printf("# search jobs: one specification, unlimited stock\n");
    std::printf("%-34s %-6s %-6s %10s %10s %8s %-7s %s\n", "job", "level", "kinds", "seconds", "bars", "util%",
                "status", "plan");
    struct Job {
        std::string name;
        InputLists lists;
        double trim;
        double kerf;
        std::vector<int> kinds;
    };
    std::vector<Job> jobs;
    jobs.push_back({"400 whole 40-700 x11 on 12000", DistinctLengths(400, 400, 40, 700, 1, 11, 12000), 12.5, 3,
                    {2, 3, 4, 5}});
    jobs.push_back({"2000 quarters 40-700 x11 on 12000", DistinctLengths(2000, 2000, 40, 700, 0.25, 11, 12000), 12.5,
                    3, {5}});
    jobs.push_back({"2000 tenths 40-700 x11 on 12000", DistinctLengths(2001, 2000, 40, 700, 0.1, 11, 12000), 12.5, 3,
                    {5}});
    for (int count : {30, 50, 100}) {
        jobs.push_back({std::to_string(count) + " from 100.0 step 1.1 x3 on 6000", Progression(count, 100, 1.1, 3, 6000),
                        0, 0, {0}});
        jobs.push_back({std::to_string(count) + " from 100.0 step 1.3 x3 on 6000", Progression(count, 100, 1.3, 3, 6000),
                        0, 0, {0}});
        jobs.push_back({std::to_string(count) + " tenths 40-700 x3 on 12000",
                        DistinctLengths(uint32_t(count), count, 40, 700, 0.1, 3, 12000), 0, 0, {0}});
        jobs.push_back({std::to_string(count) + " whole 40-700 x3 on 12000",
                        DistinctLengths(uint32_t(count), count, 40, 700, 1, 3, 12000), 0, 0, {0}});
    }
    for (const Job& job : jobs) {
        if (!match.empty() && job.name.find(match) == std::string::npos)
            continue;
        for (int kinds : job.kinds) {
            if (!onlyKinds.empty() && std::find(onlyKinds.begin(), onlyKinds.end(), kinds) == onlyKinds.end())
                continue;
            // The free search is exhaustive only at level 0.
            for (int level : kinds == 0 ? std::vector<int>{0} : levels) {
                const Outcome o = Plan(job.lists, job.trim, job.kerf, kinds, level, limit);
                std::printf("%-34s %-6d %-6d %10.4f %10lld %8.2f %-7s %016llx\n", job.name.c_str(), level, kinds,
                            o.seconds, (long long)(o.planned ? o.bars : 0), o.planned ? o.utilisation * 100 : 0.0,
                            Status(o).c_str(), (unsigned long long)o.digest);
                std::fflush(stdout);
            }
        }
    }
}

struct Instance {
    std::string name;
    double capacity = 0;
    InputLists lists;
    double totalLength = 0;
    int64_t pieces = 0;
};

bool ReadInstance(const fs::path& path, Instance& instance)
{
    std::ifstream in(path);
    int m = 0;
    if (!(in >> m >> instance.capacity))
        return false;
    instance.name = path.stem().string();
    instance.lists.AppendStockRow(u"BPP", instance.capacity, -1, 0);
    for (int i = 0; i < m; ++i) {
        double w = 0;
        int64_t d = 0;
        if (!(in >> w >> d))
            return false;
        instance.lists.AppendCutRow(u"BPP", w, int32_t(d), u"");
        instance.totalLength += w * double(d);
        instance.pieces += d;
    }
    return true;
}

std::vector<int> ParseList(const std::string& text)
{
    std::vector<int> out;
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, ','))
        out.push_back(std::stoi(item));
    return out;
}

std::vector<std::string> ParseNames(const std::string& text)
{
    std::vector<std::string> out;
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, ','))
        out.push_back(item);
    return out;
}

void RunGenerated(const std::vector<int>& levels, double limit, int64_t maxPieces)
{
    std::printf("# generated jobs: pieces, distinct lengths, specs, stock lengths (unlimited), kerf 3\n");
    std::printf("%-8s %-9s %-6s %-22s %-6s %-6s %10s %10s %8s %-7s %s\n", "pieces", "distinct", "specs", "stock",
                "level", "kinds", "seconds", "bars", "util%", "status", "plan");
    struct Size {
        int64_t pieces;
        int distinct;
        int specs;
        std::vector<double> stock;
    };
    const std::vector<Size> sizes = {
        {100, 20, 1, {6000, 9000}},
        {1000, 50, 2, {6000, 9000, 12000}},
        {10000, 200, 1, {6000, 9000, 12000}},
        {10000, 200, 3, {6000, 7500, 9000, 12000}},
        {100000, 200, 3, {6000, 9000, 12000}},
    };
    for (const Size& size : sizes) {
        if (size.pieces > maxPieces)
            continue;
        const InputLists lists = Generate(uint32_t(size.pieces + size.specs), size.pieces, size.distinct, size.specs,
                                          size.stock);
        std::string stock;
        for (double s : size.stock)
            stock += (stock.empty() ? "" : "/") + std::to_string(int(s));
        for (int level : levels) {
            for (int kinds : {0, 3}) {
                const Outcome o = Plan(lists, 0, 3, kinds, level, limit);
                std::printf("%-8lld %-9d %-6d %-22s %-6d %-6d %10.4f %10lld %8.2f %-7s %016llx\n",
                            (long long)size.pieces, size.distinct, size.specs, stock.c_str(), level, kinds, o.seconds,
                            (long long)(o.planned ? o.bars : 0), o.planned ? o.utilisation * 100 : 0.0,
                            Status(o).c_str(), (unsigned long long)o.digest);
                std::fflush(stdout);
            }
        }
    }
}

void RunInstances(const fs::path& root, const std::vector<std::string>& sets, const std::vector<int>& levels,
                  double limit)
{
    for (const std::string& set : sets) {
        std::vector<fs::path> files;
        const fs::path folder = root / set;
        if (!fs::exists(folder)) {
            std::fprintf(stderr, "trevak-bench: no instance folder %s\n", folder.string().c_str());
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().extension() == ".txt")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        std::printf("# %s: %zu instances, kerf 0, trim 0, kinds 0\n", set.c_str(), files.size());
        std::printf("%-28s %6s %7s %6s %10s %7s %7s %8s %-7s %s\n", "instance", "level", "pieces", "bound",
                    "seconds", "bars", "excess", "util%", "status", "plan");
        for (int level : levels) {
            double worst = 0, sum = 0;
            int64_t excess = 0, atBound = 0, count = 0, failed = 0;
            for (const fs::path& file : files) {
                Instance instance;
                if (!ReadInstance(file, instance))
                    continue;
                const int64_t bound = int64_t(std::ceil(instance.totalLength / instance.capacity - 1e-9));
                const Outcome o = Plan(instance.lists, 0, 0, 0, level, limit);
                if (o.planned)
                    std::printf("%-28s %6d %7lld %6lld %10.4f %7lld %7lld %8.2f %-7s %016llx\n", instance.name.c_str(),
                                level, (long long)instance.pieces, (long long)bound, o.seconds, (long long)o.bars,
                                (long long)(o.bars - bound), o.utilisation * 100, Status(o).c_str(),
                                (unsigned long long)o.digest);
                else
                    std::printf("%-28s %6d %7lld %6lld %10.4f %7s %7s %8s %s\n", instance.name.c_str(), level,
                                (long long)instance.pieces, (long long)bound, o.seconds, "-", "-", "-",
                                Status(o).c_str());
                worst = std::max(worst, o.seconds);
                sum += o.seconds;
                ++count;
                if (!o.planned) {
                    ++failed;
                    continue;
                }
                excess += o.bars - bound;
                atBound += o.bars == bound;
            }
            std::printf("## %s level %d: %lld instances, %lld at the bound, %lld bars above the bounds in all, "
                        "worst %.4f s, mean %.4f s, %lld not planned\n",
                        set.c_str(), level, (long long)count, (long long)atBound, (long long)excess, worst,
                        count ? sum / double(count) : 0.0, (long long)failed);
            std::fflush(stdout);
        }
    }
}

// The Gilmore-Gomory bound alone, as every level computes it after its plan:
// its time per instance for one set.
void TimeBounds(const std::vector<InputLists>& jobs, const char* what)
{
    std::vector<double> seconds;
    for (const InputLists& lists : jobs) {
        RunHooks hooks;
        const RunHooksGuard installed(&hooks);
        PlanParameters parameters;
        parameters.m_speedLevel = 1;
        LoadJob(g_job, lists, parameters);
        JobError error;
        if (!SetUpJob(g_job, error))
            continue;
        // The bound starts from the plan's patterns, as in a run.
        double total = 0;
        for (WireOptimize& group : g_job.m_groups) {
            const CuttingProblem problem = ProblemOfGroup(group);
            if (!PlanGroup(group, error))
                break;
            const auto start = Clock::now();
            BoundGroup(group, problem);
            total += std::chrono::duration<double>(Clock::now() - start).count();
        }
        seconds.push_back(total);
    }
    std::sort(seconds.begin(), seconds.end());
    if (seconds.empty())
        return;
    std::printf("## bound of %s: %zu jobs, median %.4f s, 95th percentile %.4f s, worst %.4f s\n", what,
                seconds.size(), seconds[seconds.size() / 2], seconds[std::size_t(double(seconds.size() - 1) * 0.95)],
                seconds.back());
    std::fflush(stdout);
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::size_t(double(values.size() - 1) * share + 0.5)];
}

// The exact optimiser on the instances of each set against level 1: bars
// against the bound, and its time.
void RunOptimalInstances(const fs::path& root, const std::vector<std::string>& sets, double seconds, double limit,
                         bool boundsOnly, const std::string& match)
{
    std::vector<double> allTimes;
    int64_t allCount = 0, allAtBound = 0, allOver = 0, allWorse = 0, allMaxOver = 0, allFailed = 0;
    for (const std::string& set : sets) {
        std::vector<fs::path> files;
        const fs::path folder = root / set;
        if (!fs::exists(folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().extension() == ".txt" &&
                (match.empty() || entry.path().filename().string().find(match) != std::string::npos))
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        if (boundsOnly) {
            std::vector<InputLists> jobs;
            for (const fs::path& file : files) {
                Instance instance;
                if (ReadInstance(file, instance))
                    jobs.push_back(instance.lists);
            }
            TimeBounds(jobs, set.c_str());
            continue;
        }
        std::printf("# %s: %zu instances, --optimal (%.0f s per group) against level 1\n", set.c_str(), files.size(),
                    seconds);
        std::printf("%-28s %6s %6s %7s %7s %10s %-7s\n", "instance", "bound", "lvl1", "exact", "over", "seconds",
                    "status");
        std::vector<double> times;
        int64_t count = 0, atBound = 0, over = 0, worse = 0, maxOver = 0, failed = 0;
        for (const fs::path& file : files) {
            Instance instance;
            if (!ReadInstance(file, instance))
                continue;
            const Outcome first = Plan(instance.lists, 0, 0, 0, 1, limit);
            const Outcome o = Plan(instance.lists, 0, 0, 0, 1, limit, Exact{true, seconds});
            ++count;
            times.push_back(o.seconds);
            if (!o.planned) {
                ++failed;
                std::printf("%-28s %6s %6lld %7s %7s %10.4f %s\n", instance.name.c_str(), "-", (long long)first.bars,
                            "-", "-", o.seconds, Status(o).c_str());
                continue;
            }
            const int64_t excess = o.bars - o.lowerBoundBars;
            atBound += excess == 0;
            over += excess;
            maxOver = std::max(maxOver, excess);
            worse += first.planned && o.bars > first.bars;
            std::printf("%-28s %6lld %6lld %7lld %7lld %10.4f %s\n", instance.name.c_str(),
                        (long long)o.lowerBoundBars, (long long)first.bars, (long long)o.bars, (long long)excess,
                        o.seconds, o.optimal ? "optimal" : "ok");
            std::fflush(stdout);
        }
        std::printf("## %s: %lld instances, %lld at the bound, %lld bars over it in all (at most %lld on one), "
                    "%lld worse than level 1, %lld not planned, median %.4f s, 95th percentile %.4f s, worst %.4f s\n",
                    set.c_str(), (long long)count, (long long)atBound, (long long)over, (long long)maxOver,
                    (long long)worse, (long long)failed, Percentile(times, 0.5), Percentile(times, 0.95),
                    Percentile(times, 1.0));
        std::fflush(stdout);
        allTimes.insert(allTimes.end(), times.begin(), times.end());
        allCount += count;
        allAtBound += atBound;
        allOver += over;
        allWorse += worse;
        allFailed += failed;
        allMaxOver = std::max(allMaxOver, maxOver);
    }
    if (!boundsOnly && allCount > 0)
        std::printf("## all sets: %lld instances, %lld at the bound (%.1f %%), %lld bars over it in all (at most %lld on "
                    "one), %lld worse than level 1, %lld not planned, median %.4f s, 95th percentile %.4f s, worst "
                    "%.4f s\n",
                    (long long)allCount, (long long)allAtBound, 100.0 * double(allAtBound) / double(allCount),
                    (long long)allOver, (long long)allMaxOver, (long long)allWorse, (long long)allFailed,
                    Percentile(allTimes, 0.5), Percentile(allTimes, 0.95), Percentile(allTimes, 1.0));
}

// A generated job with several stock lengths as a shop holds them: new bars
// of 12000 without limit, 9000 in a limited number, and offcuts of 6000 and
// 4500 marked preferred.
InputLists GenerateMixed(uint32_t seed, int64_t pieces, int distinct)
{
    InputLists lists = Generate(seed, pieces, distinct, 1, {});
    const std::u16string spec = u"Q235-A";
    lists.AppendStockRow(spec, 12000, -1, 0);
    lists.AppendStockRow(spec, 9000, int32_t(std::max<int64_t>(1, pieces / 20)), 0);
    lists.AppendStockRow(spec, 6000, int32_t(std::max<int64_t>(1, pieces / 50)), 1);
    lists.AppendStockRow(spec, 4500, int32_t(std::max<int64_t>(1, pieces / 100)), 1);
    return lists;
}

// The exact optimiser on generated jobs against levels 0 and 1: stock length
// used, new (non-preferred) stock among it, the bound, the time.
void RunOptimalGenerated(double seconds, double limit, int64_t maxPieces, const std::string& match)
{
    std::printf("# generated jobs, kerf 3: 12000 unlimited, 9000 limited, 6000 and 4500 preferred and limited; and "
                "6000/9000/12000 unlimited\n");
    std::printf("%-8s %-9s %-9s %-6s %-7s %12s %12s %12s %10s %-7s\n", "pieces", "distinct", "stock", "kinds", "level",
                "length", "bound", "over%", "seconds", "status");
    struct Size {
        int64_t pieces;
        int distinct;
        bool mixed;
    };
    const std::vector<Size> sizes = {{100, 20, true},      {1000, 50, true},     {10000, 200, true},
                                     {100, 20, false},     {1000, 50, false},    {10000, 200, false}};
    for (const Size& size : sizes) {
        if (size.pieces > maxPieces)
            continue;
        const uint32_t seed = uint32_t(size.pieces + 7);
        const InputLists lists = size.mixed ? GenerateMixed(seed, size.pieces, size.distinct)
                                            : Generate(seed, size.pieces, size.distinct, 1, {6000, 9000, 12000});
        for (int kinds : {0, 3}) {
            const std::string label = std::to_string(size.pieces) + (size.mixed ? " mixed" : " 3 lengths") +
                                      " kinds " + std::to_string(kinds);
            if (!match.empty() && label.find(match) == std::string::npos)
                continue;
            for (int level : {0, 1, -1}) {
                const Outcome o = Plan(lists, 0, 3, kinds, level < 0 ? 1 : level, limit, Exact{level < 0, seconds});
                const double overShare = o.lowerBound > 0 ? (o.totalLength - o.lowerBound) / o.lowerBound * 100 : 0;
                std::printf("%-8lld %-9d %-9s %-6d %-7s %12.0f %12.0f %12.3f %10.4f %-7s\n", (long long)size.pieces,
                            size.distinct, size.mixed ? "mixed" : "3 lengths", kinds,
                            level < 0 ? "exact" : std::to_string(level).c_str(), o.totalLength, o.lowerBound,
                            overShare, o.seconds, o.planned ? (o.optimal ? "optimal" : "ok") : Status(o).c_str());
                std::fflush(stdout);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    bool generated = false;
    bool searches = false;
    bool instances = false;
    fs::path root;
    std::vector<std::string> sets;
    std::vector<int> levels;
    std::vector<int> kinds;
    std::string match;
    double limit = 60;
    int64_t maxPieces = 100000;
    bool optimal = false;
    bool bounds = false;
    double seconds = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--generated")
            generated = true;
        else if (a == "--searches")
            searches = true;
        else if (a == "--bpplib") {
            root = next();
            instances = true;
        } else if (a == "--sets") {
            sets = ParseNames(next());
            instances = true;
        } else if (a == "--levels")
            levels = ParseList(next());
        else if (a == "--kinds")
            kinds = ParseList(next());
        else if (a == "--match")
            match = next();
        else if (a == "--limit")
            limit = std::stod(next());
        else if (a == "--max-pieces")
            maxPieces = std::stoll(next());
        else if (a == "--optimal")
            optimal = true;
        else if (a == "--bounds")
            bounds = true;
        else if (a == "--seconds")
            seconds = std::stod(next());
        else {
            std::fprintf(stderr, "usage: trevak-bench [--generated] [--searches] [--bpplib DIR] [--sets A,B] [--levels 0,1,5] "
                                 "[--kinds 2,3] [--match TEXT] [--limit SECONDS] [--max-pieces N] [--optimal [--seconds S]] "
                                 "[--bounds]\n");
            return 2;
        }
    }
    if (!generated && !searches && !instances) {
        generated = true;
        searches = true;
        instances = true;
    }
    if (root.empty()) {
        for (const char* candidate : {"../shared/bench-data/bpplib", "../../shared/bench-data/bpplib"})
            if (fs::exists(candidate)) {
                root = candidate;
                break;
            }
    }
    if (sets.empty())
        sets = {"Falkenauer_CSP"};
    if (optimal || bounds) {
        if (generated && optimal)
            RunOptimalGenerated(seconds, limit, maxPieces, match);
        if (generated && bounds) {
            std::vector<InputLists> jobs = {Generate(10001, 10000, 200, 1, {6000, 9000, 12000})};
            TimeBounds(jobs, "the generated job of 10,000 pieces, 200 lengths, 6000/9000/12000");
            jobs = {GenerateMixed(10007, 10000, 200)};
            TimeBounds(jobs, "the generated mixed job of 10,000 pieces");
        }
        if (instances && !root.empty())
            RunOptimalInstances(root, sets, seconds, limit, !optimal, match);
        return 0;
    }
    if (generated)
        RunGenerated(levels.empty() ? std::vector<int>{0, 1, 3, 5} : levels, limit, maxPieces);
    if (searches)
        RunSearches(levels.empty() ? std::vector<int>{0, 1, 5} : levels, limit, match, kinds);
    if (instances && !root.empty())
        RunInstances(root, sets, levels.empty() ? std::vector<int>{0, 1, 5} : levels, limit);
    return 0;
}
