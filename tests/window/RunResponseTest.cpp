// The window during a run: the interrupt and the close answer at once even
// inside a long length-kinds search, checks in quick succession cost one
// dispatch, live rows reach the table in batches, and a run ended by closing
// the window leaves no message behind.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "base/Messages.h"
#include "engine/Run.h"
#include "exchange/SettingsFile.h"
#include "platform/AppFolders.h"
#include "platform/Prompts.h"
#include "support/ModalScript.h"
#include "support/TableRows.h"
#include "workbench/controls/CGradientProgressCtrl.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const PROBE_POLLING = "--probe-polling";
const QString INTERRUPTED = QStringLiteral("优化计算中断 !");

// A length-kinds search far too large to finish: 4000 distinct lengths in
// tenths (40.0, 40.7, 41.4, ...), five of each, at most five lengths per
// pattern on unlimited bars of 12000, kerf 3, trim 12.5.
void AddHugeKindsJob(InputLists& lists)
{
    for (int i = 0; i < 4000; ++i)
        lists.AppendCutRow(u"Q235", 40.0 + 0.7 * i, 5, u"");
    lists.AppendStockRow(u"Q235", 12000, -1, 0);
}

// Records the time of every check and withdraws the run at the first check
// after `after`, as the interrupt does.
class TimedChecks : public RunHooks {
public:
    explicit TimedChecks(std::chrono::milliseconds after)
        : m_started(Clock::now()), m_deadline(m_started + after), m_last(m_started)
    {
    }
    void DispatchPending() override
    {
        const Clock::time_point now = Clock::now();
        m_widestGap = std::max(m_widestGap, std::chrono::duration<double>(now - m_last).count());
        m_last = now;
        if (now >= m_deadline)
            g_resultWindow = nullptr;
    }
    double WidestGap() const { return m_widestGap; }

private:
    Clock::time_point m_started;
    Clock::time_point m_deadline;
    Clock::time_point m_last;
    double m_widestGap = 0;
};

// The probe's child process: plans the huge job without a window for a
// second and prints the widest time between two checks of the run (from the
// start to the first check included).
int ProbePolling()
{
    InputLists lists;
    AddHugeKindsJob(lists);
    TimedChecks hooks(std::chrono::milliseconds(1000));
    PlanParameters parameters;
    parameters.m_trimLength = 12.5;
    parameters.m_kerfWidth = 3;
    parameters.m_maxLengthKinds = 5;
    parameters.m_speedLevel = 1;
    PlanOutcome outcome;
    PlanLists(g_job, lists, parameters, hooks, outcome);
    std::printf("%.3f\n", hooks.WidestGap());
    return 0;
}

}  // namespace

class RunResponseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aBurstOfChecksDispatchesAndStepsOnce();
    void liveRowsReachTheTableInBatches();
    void closingDuringARunLeavesNoMessageBehind();
    void hugeKindsSearchEndsSoonAfterTheClick_data();
    void hugeKindsSearchEndsSoonAfterTheClick();

private:
    QString SettingsFile() const { return QString::fromStdString(SettingsFilePath(g_programFolder)); }

    QTemporaryDir m_folder;
    ScriptedPrompts m_prompts;
    PromptsMessageSink m_sink;
};

void RunResponseTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    SetAppPrompts(&m_prompts);
    g_messageSink = &m_sink;
}

void RunResponseTest::init()
{
    g_programFolder = m_folder.path().toStdString();
    QFile::remove(SettingsFile());
    m_prompts.Clear();
    g_job = WireOptimize_Whole();
    g_resultWindow = nullptr;
}

void RunResponseTest::cleanup()
{
    g_resultWindow = nullptr;
    QCOMPARE(DropPendingScripts(), 0);
}

void RunResponseTest::aBurstOfChecksDispatchesAndStepsOnce()
{
    CParvexDlg window;
    int fired = 0;
    QTimer waiting;
    waiting.setInterval(0);
    connect(&waiting, &QTimer::timeout, [&] { ++fired; });
    waiting.start();

    g_resultWindow = &window;
    window.BeginRun();
    // A hundred checks in a row, far quicker than the dispatch interval: the
    // first dispatches and steps, the others leave the window alone.
    for (int i = 0; i < 100; ++i)
        QVERIFY(CheckRun());
    QCOMPARE(fired, 1);
    QCOMPARE(window.m_progress->GetPos(), 10);

    // Past the interval the next check dispatches again.
    QTest::qSleep(int(DISPATCH_INTERVAL.count()) + 20);
    QVERIFY(CheckRun());
    QCOMPARE(fired, 2);
    window.EndRun();
}

void RunResponseTest::liveRowsReachTheTableInBatches()
{
    // 2000 specifications, each one piece that fills its bar: one pattern
    // (and one live row) per specification.
    const int groups = 2000;
    CParvexDlg window;
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    for (int i = 0; i < groups; ++i) {
        const MyString spec = QStringLiteral("S%1").arg(i, 4, 10, QChar('0')).toStdU16String();
        window.m_lists.AppendCutRow(spec, 1000, 1, u"");
        window.m_lists.AppendStockRow(spec, 1000, -1, 0);
    }
    window.RefillCutTable();
    window.RefillStockTable();

    int batches = 0;
    QStringList numbers;
    QStringList specs;
    connect(window.m_resultTable->model(), &QAbstractItemModel::rowsInserted, &window,
            [&](const QModelIndex&, int first, int last) {
                ++batches;
                for (int r = first; r <= last; ++r) {
                    numbers << window.m_resultTable->GetItemText(r, 0);
                    specs << window.m_resultTable->GetItemText(r, 1);
                }
            });
    window.findChild<Pic_Button*>("computeButton")->click();

    // Every live row was shown, numbered on and in the order of the groups,
    // in far fewer steps than rows (at most one per dispatch).
    QCOMPARE(numbers.size(), groups);
    for (int r = 0; r < groups; ++r) {
        QCOMPARE(numbers[r], QString::number(r + 1));
        QCOMPARE(specs[r], QString::fromStdU16String(g_job.m_groups[std::size_t(r)].m_spec));
    }
    QVERIFY2(batches <= groups / 10, qPrintable(QString::number(batches)));
    // The finished plan replaced them: 2000 pattern rows and the totals.
    QCOMPARE(window.m_resultTable->GetItemCount(), groups + 1);
    QCOMPARE(RowTexts(window.m_resultTable, groups - 1), QStringList({"2000", "S1999", "1000", "1000x1", "1",
                                                                      "100.0%", "0"}));
}

void RunResponseTest::closingDuringARunLeavesNoMessageBehind()
{
    // The long level-0 search of 80 short lengths on a bar of 100000.
    CParvexDlg window;
    window.show();
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    window.findChild<QSlider*>("speedSlider")->setValue(0);
    for (int i = 0; i < 80; ++i)
        window.m_lists.AppendCutRow(u"A", 101 + 3 * i, 50, u"");
    window.m_lists.AppendStockRow(u"A", 100000, -1, 0);
    window.RefillCutTable();
    window.RefillStockTable();

    // Closed by the close box once the bar has moved twice, from inside the search.
    int moves = 0;
    bool visibleAtClose = false;
    connect(window.m_progress, &QProgressBar::valueChanged, &window, [&] {
        if (++moves == 2) {
            visibleAtClose = window.isVisible();
            window.close();
        }
    });
    ModalGuard guard(60000);
    window.findChild<Pic_Button*>("computeButton")->click();

    QVERIFY(!guard.Forced());
    QVERIFY(visibleAtClose);
    QVERIFY(!window.isVisible());
    QCOMPARE(g_resultWindow, static_cast<RunHooks*>(nullptr));
    // The run ended without a word: no "优化计算中断 !" and no completion.
    QVERIFY2(m_prompts.MessageTexts().isEmpty(), qPrintable(m_prompts.MessageTexts().join('|')));
    // The close saved the lists.
    InputLists saved;
    SettingsRecord record;
    QVERIFY(LoadSettings(SettingsFile().toStdString(), saved, record));
    QCOMPARE(saved.CutRowCount(), std::size_t(80));
    QCOMPARE(record.m_speedLevel, 0);
}

void RunResponseTest::hugeKindsSearchEndsSoonAfterTheClick_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("中 断 优 化") << false;
    QTest::newRow("close box") << true;
}

void RunResponseTest::hugeKindsSearchEndsSoonAfterTheClick()
{
    QFETCH(bool, closeWindow);
    {
        // The window can only answer while the search checks the run. The
        // probe tells whether this search does, in a child process that is
        // killed when it does not end.
        QProcess probe;
        probe.start(QCoreApplication::applicationFilePath(), {PROBE_POLLING});
        QVERIFY(probe.waitForStarted());
        if (!probe.waitForFinished(20000)) {
            probe.kill();
            probe.waitForFinished();
            QSKIP("the length-kinds search does not check the run while it searches");
        }
        bool read = false;
        const double widestGap = probe.readAllStandardOutput().trimmed().toDouble(&read);
        QVERIFY(read);
        if (widestGap > 0.1)
            QSKIP(qPrintable(QStringLiteral("the length-kinds search goes %1 s without checking the run")
                                 .arg(widestGap, 0, 'f', 3)));
    }

    CParvexDlg window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QLineEdit*>("trimEdit")->setText("12.5");
    window.findChild<QLineEdit*>("kerfEdit")->setText("3");
    window.findChild<QComboBox*>("kindsCombo")->setCurrentIndex(5);
    window.findChild<QSlider*>("speedSlider")->setValue(1);
    AddHugeKindsJob(window.m_lists);
    window.RefillCutTable();
    window.RefillStockTable();

    // The bar's moves and paints while the search runs, for the record.
    std::vector<Clock::time_point> moves;
    connect(window.m_progress, &QProgressBar::valueChanged, &window, [&] { moves.push_back(Clock::now()); });

    Clock::time_point clicked;
    bool clickedInRun = false;
    QTimer::singleShot(400, &window, [&] {
        clickedInRun = g_resultWindow != nullptr;
        clicked = Clock::now();
        if (closeWindow)
            window.close();
        else
            window.findChild<Pic_Button*>("interruptButton")->click();
    });
    const Clock::time_point started = Clock::now();
    window.findChild<Pic_Button*>("computeButton")->click();
    const Clock::time_point ended = Clock::now();

    QVERIFY2(clickedInRun, "the job ended before the click");
    const double answer = std::chrono::duration<double>(ended - clicked).count();
    double widestGap = 0;
    for (std::size_t i = 1; i < moves.size(); ++i)
        widestGap = std::max(widestGap, std::chrono::duration<double>(moves[i] - moves[i - 1]).count());
    qInfo("run %.3f s, ended %.3f s after the click; %zu moves of the bar, widest gap %.3f s",
          std::chrono::duration<double>(clicked - started).count(), answer, moves.size(), widestGap);
    QVERIFY2(answer < 0.2, qPrintable(QString::number(answer)));
    QVERIFY(moves.size() >= 2);
    if (closeWindow) {
        QVERIFY(!window.isVisible());
        QVERIFY(m_prompts.MessageTexts().isEmpty());
    } else {
        QCOMPARE(m_prompts.MessageTexts(), QStringList({INTERRUPTED}));
        QVERIFY(window.findChild<Pic_Button*>("computeButton")->isEnabled());
        QVERIFY(window.findChild<Pic_Button*>("interruptButton")->isHidden());
    }
}

int main(int argc, char** argv)
{
    if (argc == 2 && qstrcmp(argv[1], PROBE_POLLING) == 0)
        return ProbePolling();
    QApplication application(argc, argv);
    RunResponseTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RunResponseTest.moc"
