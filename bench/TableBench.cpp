// Measures the window's tables on long lists: the two input tables refilled
// from lists of N rows each, their first paint, one row shown again, and the
// result table filled from a plan of N patterns.
//
//   QT_QPA_PLATFORM=offscreen trevak-table-bench [--rows N] [--repeat K] [--grab FILE.png]
//
// Prints the seconds of each step (the best of K runs) and the heap memory
// the refilled input tables hold.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <QApplication>
#include <QTemporaryDir>

#include "engine/Job.h"
#include "platform/AppFolders.h"
#include "platform/Prompts.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/window/CParvexDlg.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// The heap in use in kB (glibc), 0 elsewhere.
long HeapInUseKb()
{
#ifdef __GLIBC__
    return static_cast<long>(mallinfo2().uordblks / 1024);
#else
    return 0;
#endif
}

// A different row every time: lengths in tenths, quantities 1..50, 40
// specifications, a mark on every third cut row, every seventh stock row
// unlimited and every fifth preferred.
void FillLists(InputLists& lists, int rows)
{
    for (int i = 0; i < rows; ++i) {
        const MyString spec = u"Q" + QString::number(235 + i % 40).toStdU16String();
        const double length = 200 + (i * 37 % 28000) / 10.0;
        const MyString mark = i % 3 == 0 ? u"订单" + QString::number(i).toStdU16String() : MyString();
        lists.AppendCutRow(spec, length, 1 + i % 50, mark);
        lists.AppendStockRow(spec, 6000 + (i % 7) * 1000, i % 7 == 0 ? -1 : 1 + i % 20, i % 5 == 0 ? 1 : 0);
    }
}

// A made-up plan of `patterns` patterns in 40 groups, 2 to 4 lengths each.
void FillPlan(WireOptimize_Whole& job, int patterns)
{
    job = WireOptimize_Whole();
    const int groups = 40;
    job.m_groups.resize(groups);
    for (int g = 0; g < groups; ++g)
        job.m_groups[std::size_t(g)].m_spec = u"Q" + QString::number(235 + g).toStdU16String();
    for (int p = 0; p < patterns; ++p) {
        WireCombine pattern;
        pattern.m_barLength = 6000 + (p % 3) * 3000;
        pattern.m_barCount = 1 + p % 9;
        for (int k = 0; k < 2 + p % 3; ++k) {
            pattern.m_pieceLength.push_back(2995 - 300 * k - (p % 11));
            pattern.m_pieceCount.push_back(1 + k);
        }
        pattern.m_utilisation = 0.9 + (p % 100) / 1000.0;
        pattern.m_remnant = p % 500;
        job.m_groups[std::size_t(p % groups)].m_patterns.push_back(std::move(pattern));
    }
    job.m_totalLength = 1e9;
    job.m_totalBars = patterns;
    job.m_utilisation = 0.95;
}

}  // namespace

int main(int argc, char** argv)
{
    int rows = 100000;
    int repeat = 3;
    QString grab;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--rows") && more)
            rows = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--repeat") && more)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--grab") && more)
            grab = QString::fromLocal8Bit(argv[++i]);
        else {
            std::fprintf(stderr, "usage: trevak-table-bench [--rows N] [--repeat K] [--grab FILE.png]\n");
            return 2;
        }
    }
    QApplication application(argc, argv);
    QTemporaryDir folder;
    g_programFolder = folder.path().toStdString();
    ScriptedPrompts prompts;
    SetAppPrompts(&prompts);
    g_job = WireOptimize_Whole();

    CParvexDlg window;
    window.show();
    application.processEvents();
    FillLists(window.m_lists, rows);
    FillPlan(g_job, rows);

    double refill = 1e9;
    double paint = 1e9;
    double showRow = 1e9;
    double result = 1e9;
    long added = 0;
    for (int run = 0; run < repeat; ++run) {
        window.m_lists.ClearCutList();
        window.m_lists.ClearStockList();
        window.RefillCutTable();
        window.RefillStockTable();
        application.processEvents();
        FillLists(window.m_lists, rows);
        const long before = HeapInUseKb();

        Clock::time_point started = Clock::now();
        window.RefillCutTable();
        window.RefillStockTable();
        refill = std::min(refill, Seconds(started, Clock::now()));
        added = HeapInUseKb() - before;

        started = Clock::now();
        window.m_cutTable->viewport()->grab();
        window.m_stockTable->viewport()->grab();
        paint = std::min(paint, Seconds(started, Clock::now()));

        started = Clock::now();
        for (int r = 0; r < 1000; ++r)
            window.ShowCutRow(r * (rows / 1000));
        showRow = std::min(showRow, Seconds(started, Clock::now()) / 1000);

        started = Clock::now();
        window.FillResultTable();
        window.m_resultTable->viewport()->grab();
        result = std::min(result, Seconds(started, Clock::now()));
    }
    std::printf("rows per list:             %d (table rows %d and %d, result rows %d)\n", rows,
                window.m_cutTable->GetItemCount(), window.m_stockTable->GetItemCount(),
                window.m_resultTable->GetItemCount());
    std::printf("refill both input tables:  %.4f s\n", refill);
    std::printf("first paint of both:       %.4f s\n", paint);
    std::printf("one row shown again:       %.2f us\n", showRow * 1e6);
    std::printf("fill and paint result:     %.4f s\n", result);
    std::printf("heap held by the refill:    %ld kB\n", added);
    if (!grab.isEmpty()) {
        // The window as a user sees it, the input tables scrolled to their ends.
        window.m_cutTable->EnsureVisible(rows - 1);
        window.m_stockTable->SetRowSelected(rows / 2, true);
        window.m_stockTable->EnsureVisible(rows / 2);
        application.processEvents();
        if (!window.grab().save(grab))
            std::fprintf(stderr, "cannot write %s\n", grab.toLocal8Bit().constData());
    }
    SetAppPrompts(nullptr);
    return 0;
}
