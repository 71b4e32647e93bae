#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lists/InputLists.h"

// The stock quantity that stands for unlimited stock inside the engine.
constexpr int32_t UNLIMITED_QUANTITY = 100000000;
// A leftover quantity above this is shown as unlimited (-1).
constexpr int64_t LEFTOVER_UNLIMITED_ABOVE = 10000000;

// Speed-versus-quality level 0 ("最优") to 5 ("最快") used by the searches.
extern int32_t g_speedLevel;

// What a failed run reports: code, the specification concerned, a value.
//   0 nothing further to report (already shown, or interrupted)
//   1 a stock row of specification `text` has a length of 0 or less
//   2 a cut row of specification `text` has a length of 0 or less
//   3 a cut row of specification `text` has a quantity of 0 or less
//   4 specification `text` has cut rows but no stock row
//   5 a cut length of `text` exceeds its longest stock length (`value` = that length)
//   6 the stock of `text` ran out, or no bar is long enough for a piece after trimming
struct JobError {
    int32_t code = 0;
    MyString text;
    double value = 0;
};

// One group of bars of a pattern that carry the same marks in the same places.
struct WireCombine_Mark {
    int64_t m_barCount = 0;
    std::vector<double> m_pieceLength;  // pieces of one bar, in the pattern's order
    std::vector<int64_t> m_pieceCount;  // how many pieces each entry stands for
    std::vector<MyString> m_pieceMark;  // empty when unmarked
};

// One cutting pattern: what one bar is cut into, and on how many bars.
struct WireCombine {
    double m_barLength = 0;    // full bar length (trim included) once the group is planned
    int64_t m_barCount = 0;    // bars cut with this pattern, at least 1
    double m_utilisation = 0;  // fraction of the bar that becomes pieces
    double m_remnant = 0;      // length left of each bar, never below 0
    std::vector<double> m_pieceLength;  // distinct piece lengths, lead piece first
    std::vector<int64_t> m_pieceCount;  // pieces of each length per bar
    std::vector<WireCombine_Mark> m_markRecords;
};

// One specification group: the pieces and bars of one 规格, and its plan.
struct WireOptimize {
    std::vector<double> m_cutLength;      // distinct after the job setup
    std::vector<double> m_stockLength;    // trimmed and sorted while planning
    std::vector<int64_t> m_cutQuantity;   // counted in 64 bits: merged rows may pass 2^31
    std::vector<int32_t> m_stockQuantity; // UNLIMITED_QUANTITY for unlimited
    std::vector<int32_t> m_stockPriority;
    double m_tolerance = 0;  // acceptance tolerance of the search in progress
    double m_kerfWidth = 0;
    int32_t m_maxLengthKinds = 0;
    MyString m_spec;
    double m_trimLength = 0;
    std::vector<WireCombine> m_patterns;

    // Results, computed by TotalGroup.
    double m_totalLength = 0;
    int64_t m_totalBars = 0;
    double m_utilisation = 0;
    std::vector<int64_t> m_usedBars;
    std::vector<double> m_usedPieceLength;
    std::vector<double> m_usedLength;  // distinct stock lengths in order of first use

    // The least stock length any plan of the group needs (the linear-programming
    // bound over all patterns), 0 when unknown; the least bars where the group
    // has one stock length, else -1; whether the plan reaches the bound.
    double m_lowerBound = 0;
    int64_t m_lowerBoundBars = -1;
    bool m_optimal = false;

    double m_leadLength = 0;  // the lead piece of the pattern being searched
};

// The whole job: the engine's own copy of the input, its groups and the result.
struct WireOptimize_Whole {
    std::vector<double> m_cutLength;
    std::vector<double> m_stockLength;
    std::vector<int64_t> m_cutQuantity;
    std::vector<int32_t> m_stockQuantity;  // UNLIMITED_QUANTITY for unlimited
    std::vector<MyString> m_cutSpec;
    std::vector<MyString> m_stockSpec;
    std::vector<int32_t> m_stockPriority;
    double m_kerfWidth = 0;
    int32_t m_maxLengthKinds = 0;  // 0 = any number of distinct lengths per pattern
    double m_trimLength = 0;
    int32_t m_hasFraction = 0;  // some cut length has a fractional part
    std::vector<WireOptimize> m_groups;

    // Result part.
    double m_totalLength = 0;
    int64_t m_totalBars = 0;
    double m_utilisation = 0;
    std::vector<double> m_leftoverLength;
    std::vector<int64_t> m_leftoverQuantity;  // -1 = unlimited
    std::vector<MyString> m_leftoverSpec;
    std::vector<int32_t> m_leftoverPriority;  // -1 for an entry made only of remnants
    std::vector<MyString> m_markSpec;
    std::vector<MyString> m_markText;
    std::vector<double> m_markLength;
    std::vector<int32_t> m_markQuantity;

    // The groups' bounds summed; bars only where every group has one stock
    // length; optimal when every group's plan reaches its bound.
    double m_lowerBound = 0;
    int64_t m_lowerBoundBars = -1;
    bool m_optimal = false;

    // The exact optimiser instead of the speed level, and its time per group.
    bool m_exactPlan = false;
    double m_exactSeconds = 10;
};

// The one job of the process.
extern WireOptimize_Whole g_job;

// The window side of a run. The engine reaches the window only through this
// interface; everything here is optional, so a run without a window (the
// command line, the tests) installs a plain RunHooks and the run goes on.
class RunHooks {
public:
    virtual ~RunHooks() = default;
    // Dispatches the window messages that are waiting.
    virtual void DispatchPending() {}
    // Moves the progress bar one step.
    virtual void StepProgress() {}
    // Shows a newly recorded pattern of a group as a row of the result table.
    virtual void ShowLiveRow(const WireOptimize&, const WireCombine&) {}
    // Put the window into and out of its running state.
    virtual void BeginRun() {}
    virtual void EndRun() {}
    // The exact optimiser's progress on a group: its bound and the stock
    // length of the best plan found so far (0 for none yet).
    virtual void ShowExactProgress(const WireOptimize&, double /*lowerBound*/, double /*bestLength*/) {}
};

// The window a run reports to, and the sign that the run is still wanted:
// null means stop. Cleared by the interrupt command and by closing the window.
extern RunHooks* g_resultWindow;

// Installs hooks as the run's window for the life of the guard, then puts back
// whatever was installed before, whether the run planned, failed or was
// withdrawn (the hooks cleared) in between.
class RunHooksGuard {
public:
    explicit RunHooksGuard(RunHooks* hooks) : m_previous(g_resultWindow) { g_resultWindow = hooks; }
    ~RunHooksGuard() { g_resultWindow = m_previous; }
    RunHooksGuard(const RunHooksGuard&) = delete;
    RunHooksGuard& operator=(const RunHooksGuard&) = delete;

private:
    RunHooks* m_previous;
};

// Dispatches waiting messages, moves the progress bar and tells whether the
// run is still wanted. Returns false once g_resultWindow is null.
bool CheckRun();

// CheckRun for the searches: when the run is no longer wanted it also shows
// "优化计算中断 !" before returning false.
bool ContinueRun();

// For the inner loops of long searches, called every few thousand steps: reads
// a cheap clock and calls ContinueRun once about RUN_POLL_MS milliseconds have
// passed since the run was last checked, so that the window repaints, the
// progress bar moves and an interrupt ends the run at once whatever the search.
// Returns false (the message shown) when the run was withdrawn.
constexpr int RUN_POLL_MS = 50;
bool PollRun();

// The parameters of a plan, as the window's parameter fields and the command
// line's options give them.
struct PlanParameters {
    double m_trimLength = 0;      // taken off every bar
    double m_kerfWidth = 0;       // lost at every cut
    int32_t m_maxLengthKinds = 0; // distinct piece lengths per pattern, 0 = any
    int32_t m_speedLevel = 0;     // 0 ("最优") to 5 ("最快")
    bool m_exactPlan = false;     // the exact optimiser instead of the speed level
    double m_exactSeconds = 10;   // the exact optimiser's time per group
};

// Replaces the job's input by copies of the lists and the parameters; stock
// quantities of 0 or less become UNLIMITED_QUANTITY. The marked cut rows become
// the job's mark list, which the finished plan distributes over its bars.
void LoadJob(WireOptimize_Whole& job, const InputLists& lists, const PlanParameters& parameters);

// Checks the job's input and builds one group per cut specification.
bool SetUpJob(WireOptimize_Whole& job, JobError& error);
