// Measures what the window adds to planning: the same lists planned without
// a window (as the command line plans them) and through the window's compute
// command, offscreen, with its live rows, progress and final table.
//
//   QT_QPA_PLATFORM=offscreen trevak-window-bench --cut FILE --stock FILE
//       [--trim X] [--kerf X] [--kinds N] [--level N] [--show]
//
// Prints the seconds of each and the number of result rows.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>

#include "base/FormatLength.h"
#include "base/Messages.h"
#include "engine/Run.h"
#include "exchange/TextListFile.h"
#include "platform/AppFolders.h"
#include "platform/Prompts.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

bool ReadList(const std::string& path, ListKind kind, InputLists& lists)
{
    TextFileReader reader;
    if (OpenTextList(path, reader) != TextListOpenResult::Ok) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    ReadTextList(reader, kind, lists);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string cut;
    std::string stock;
    double trim = 0;
    double kerf = 10;
    int kinds = 0;
    int level = 1;
    bool show = false;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--cut") && more)
            cut = argv[++i];
        else if (!std::strcmp(argv[i], "--stock") && more)
            stock = argv[++i];
        else if (!std::strcmp(argv[i], "--trim") && more)
            trim = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--kerf") && more)
            kerf = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--kinds") && more)
            kinds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--level") && more)
            level = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--show"))
            show = true;
        else {
            std::fprintf(stderr, "usage: trevak-window-bench --cut FILE --stock FILE [--trim X] [--kerf X] "
                                 "[--kinds N] [--level N] [--show]\n");
            return 2;
        }
    }
    QApplication application(argc, argv);
    InputLists lists;
    if (cut.empty() || stock.empty() || !ReadList(cut, LIST_CUT, lists) || !ReadList(stock, LIST_STOCK, lists))
        return 2;
    lists.MergeCutList();
    lists.MergeStockList();

    // Without a window, as the command line plans.
    {
        const Clock::time_point started = Clock::now();
        PlanParameters parameters;
        parameters.m_trimLength = trim;
        parameters.m_kerfWidth = kerf;
        parameters.m_maxLengthKinds = kinds;
        parameters.m_speedLevel = level;
        RunHooks hooks;
        PlanOutcome outcome;
        const bool planned = PlanLists(g_job, lists, parameters, hooks, outcome);
        std::size_t patterns = 0;
        for (const WireOptimize& group : g_job.m_groups)
            patterns += group.m_patterns.size();
        std::printf("without window: %.3f s, %s, %zu patterns\n", Seconds(started, Clock::now()),
                    planned ? "planned" : "not planned", patterns);
    }

    // Through the window: its settings in a folder of its own, messages answered.
    QTemporaryDir folder;
    g_programFolder = folder.path().toStdString();
    ScriptedPrompts prompts;
    SetAppPrompts(&prompts);
    PromptsMessageSink sink;
    g_messageSink = &sink;
    g_job = WireOptimize_Whole();
    CParvexDlg window;
    if (show)
        window.show();
    window.findChild<QLineEdit*>("trimEdit")->setText(QString::fromStdString(FormatLength(trim)));
    window.findChild<QLineEdit*>("kerfEdit")->setText(QString::fromStdString(FormatLength(kerf)));
    window.findChild<QComboBox*>("kindsCombo")->setCurrentIndex(kinds);
    window.findChild<QSlider*>("speedSlider")->setValue(level);
    window.m_lists = lists;
    window.RefillCutTable();
    window.RefillStockTable();
    const Clock::time_point started = Clock::now();
    window.findChild<Pic_Button*>("computeButton")->click();
    const double seconds = Seconds(started, Clock::now());
    const QStringList messages = prompts.MessageTexts();
    std::printf("window:         %.3f s, %d result rows, message: %s\n", seconds, window.m_resultTable->GetItemCount(),
                messages.isEmpty() ? "" : messages.last().toUtf8().constData());
    g_messageSink = nullptr;
    SetAppPrompts(nullptr);
    return 0;
}
