#include "engine/Job.h"

#include <chrono>
#include <cmath>

#include "base/Messages.h"

int32_t g_speedLevel = 0;
WireOptimize_Whole g_job;
RunHooks* g_resultWindow = nullptr;

namespace {

using PollClock = std::chrono::steady_clock;

// When the run was last checked.
PollClock::time_point g_lastCheck;

}  // namespace

bool CheckRun()
{
    g_lastCheck = PollClock::now();
    if (!g_resultWindow)
        return false;
    g_resultWindow->DispatchPending();
    g_lastCheck = PollClock::now();
    // A handler run by the dispatch (the interrupt button, closing the window)
    // may have withdrawn the run.
    if (!g_resultWindow)
        return false;
    g_resultWindow->StepProgress();
    return true;
}

bool ContinueRun()
{
    if (CheckRun())
        return true;
    ShowMessage(u"优化计算中断 !");
    return false;
}

bool PollRun()
{
    if (PollClock::now() - g_lastCheck < std::chrono::milliseconds(RUN_POLL_MS))
        return true;
    return ContinueRun();
}

void LoadJob(WireOptimize_Whole& job, const InputLists& lists, const PlanParameters& parameters)
{
    g_speedLevel = parameters.m_speedLevel;
    job.m_exactPlan = parameters.m_exactPlan;
    job.m_exactSeconds = parameters.m_exactSeconds;
    job.m_kerfWidth = parameters.m_kerfWidth;
    job.m_maxLengthKinds = parameters.m_maxLengthKinds;
    job.m_trimLength = parameters.m_trimLength;

    job.m_cutLength = lists.m_cutLength;
    job.m_cutQuantity.assign(lists.m_cutQuantity.begin(), lists.m_cutQuantity.end());
    job.m_cutSpec = lists.m_cutSpec;

    job.m_stockLength = lists.m_stockLength;
    job.m_stockSpec = lists.m_stockSpec;
    job.m_stockPriority = lists.m_stockPriority;
    job.m_stockQuantity.clear();
    job.m_stockQuantity.reserve(lists.m_stockQuantity.size());
    for (int32_t q : lists.m_stockQuantity)
        job.m_stockQuantity.push_back(q <= 0 ? UNLIMITED_QUANTITY : q);

    job.m_markSpec.clear();
    job.m_markText.clear();
    job.m_markLength.clear();
    job.m_markQuantity.clear();
    for (std::size_t i = 0; i < lists.CutRowCount(); ++i) {
        if (i >= lists.m_cutMark.size() || lists.m_cutMark[i].empty())
            continue;
        job.m_markSpec.push_back(lists.m_cutSpec[i]);
        job.m_markText.push_back(lists.m_cutMark[i]);
        job.m_markLength.push_back(lists.m_cutLength[i]);
        job.m_markQuantity.push_back(lists.m_cutQuantity[i]);
    }
}

namespace {

// A length the engine can plan with: greater than 0 and finite. A NaN or an
// infinite length (which no list editor produces, but a file may) is refused
// like a length of 0 or less instead of poisoning every sum of the plan.
bool ValidLength(double length)
{
    return length > 0 && std::isfinite(length);
}

}  // namespace

bool SetUpJob(WireOptimize_Whole& job, JobError& error)
{
    if (job.m_stockLength.empty()) {
        ShowMessage(u"无原料长度数据，请先输入原料长度数据!");
        error.code = 0;
        return false;
    }
    if (job.m_cutLength.empty()) {
        ShowMessage(u"无下料数据，请先输入下料数据!");
        error.code = 0;
        return false;
    }

    for (std::size_t i = 0; i < job.m_stockLength.size(); ++i) {
        if (!ValidLength(job.m_stockLength[i])) {
            error.code = 1;
            error.text = job.m_stockSpec[i];
            return false;
        }
    }

    job.m_hasFraction = 0;
    for (std::size_t i = 0; i < job.m_cutLength.size(); ++i) {
        const double length = job.m_cutLength[i];
        if (!job.m_hasFraction && length - std::trunc(length) > 0.001)
            job.m_hasFraction = 1;
        if (!ValidLength(length)) {
            error.code = 2;
            error.text = job.m_cutSpec[i];
            return false;
        }
        if (job.m_cutQuantity[i] <= 0) {
            error.code = 3;
            error.text = job.m_cutSpec[i];
            return false;
        }
    }

    // Equal rows (length and specification; marks play no part) become one,
    // counted in 64 bits so that two rows of two billion pieces stay exact.
    const std::size_t n = job.m_cutLength.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (job.m_cutLength[j] == job.m_cutLength[i] && job.m_cutSpec[j] == job.m_cutSpec[i]) {
                job.m_cutQuantity[i] += job.m_cutQuantity[j];
                job.m_cutQuantity[j] = 0;
            }
        }
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (job.m_cutQuantity[i] < 1)
            continue;
        if (out != i) {
            job.m_cutLength[out] = job.m_cutLength[i];
            job.m_cutQuantity[out] = job.m_cutQuantity[i];
            job.m_cutSpec[out] = std::move(job.m_cutSpec[i]);
        }
        ++out;
    }
    job.m_cutLength.resize(out);
    job.m_cutQuantity.resize(out);
    job.m_cutSpec.resize(out);

    job.m_groups.clear();

    std::vector<MyString> specs;
    for (const MyString& spec : job.m_cutSpec) {
        bool seen = false;
        for (const MyString& s : specs)
            if (s == spec) {
                seen = true;
                break;
            }
        if (!seen)
            specs.push_back(spec);
    }

    for (const MyString& spec : specs) {
        WireOptimize group;
        group.m_spec = spec;
        group.m_kerfWidth = job.m_kerfWidth;
        group.m_maxLengthKinds = job.m_maxLengthKinds;
        group.m_trimLength = job.m_trimLength;
        for (std::size_t i = 0; i < job.m_cutLength.size(); ++i) {
            if (job.m_cutSpec[i] == spec) {
                group.m_cutLength.push_back(job.m_cutLength[i]);
                group.m_cutQuantity.push_back(job.m_cutQuantity[i]);
            }
        }
        for (std::size_t i = 0; i < job.m_stockLength.size(); ++i) {
            if (job.m_stockSpec[i] == spec) {
                group.m_stockLength.push_back(job.m_stockLength[i]);
                group.m_stockQuantity.push_back(job.m_stockQuantity[i]);
                group.m_stockPriority.push_back(job.m_stockPriority[i]);
            }
        }
        const bool noStock = group.m_stockLength.empty();
        job.m_groups.push_back(std::move(group));
        if (noStock) {
            error.code = 4;
            error.text = spec;
            return false;
        }
    }
    return true;
}
