// The main window: compute command, result table, interrupt, parameters,
// editing through the dialogs, and the settings file at start and on close.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "base/Messages.h"
#include "engine/ResultText.h"
#include "engine/Run.h"
#include "exchange/ExampleLists.h"
#include "exchange/SettingsFile.h"
#include "platform/AppFolders.h"
#include "platform/Prompts.h"
#include "support/ModalScript.h"
#include "support/PlanJob.h"
#include "support/ResourceLimits.h"
#include "support/TableRows.h"
#include "workbench/controls/CGradientProgressCtrl.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/InputDialogs.h"

namespace {

double PercentValue(const QString& text)
{
    QString number = text;
    number.chop(1);  // "%"
    return number.toDouble();
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartShowsEmptyTablesAndDefaults();
    void columnWidthsFollowTheClientWidth();
    void computeFillsPatternRowsAndTotals();
    void exampleJobMatchesTheEngineAndIsRendered();
    void missingStockFlagsTheSpecificationCell();
    void tooLongPieceFlagsTheLengthCell();
    void liveRowsShowTheTrimmedBarAndStayAfterInterrupt();
    void negativeTrimIsRefusedBeforeTheKerf();
    void negativeKerfIsRefused();
    void emptyListsAreRefused();
    void interruptStopsTheRunAndRestoresControls();
    void interruptEndsALongLevelZeroSearch();
    void lastRowIsFullyInViewAfterCompute();
    void sortingByUtilisationTwice();
    void headingsThatDoNotSortChangeNothing();
    void addCutItemOffersDefaultsAndRemovesBlanks();
    void addCutItemRefusesBadFields();
    void addStockItemUnlimited();
    void editCutRowChangesOneRow();
    void doubleClickOnQuantitySelectsTheQuantity();
    void deleteSelectedRowsRenumbers();
    void batchEditOfStockQuantity();
    void sortCutTableBySpecificationTwice();
    void enterAndEscDoNotClose();
    void settingsSavedOnCloseAndLoadedAtStart();
    void closeButtonWithBadFieldStaysOpen();
    void closeBoxWithBadFieldSavesLastValidValues();
    void unwritableSettingsFileIsReported();
    void unreadableSettingsFileIsToldOnceAndStartsEmpty();

private:
    QString SettingsFile() const { return QString::fromStdString(SettingsFilePath(g_programFolder)); }

    QTemporaryDir m_folder;
    ScriptedPrompts m_prompts;
    PromptsMessageSink m_sink;
};

void MainWindowTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    SetAppPrompts(&m_prompts);
    g_messageSink = &m_sink;
}

void MainWindowTest::init()
{
    g_programFolder = m_folder.path().toStdString();
    QFile::remove(SettingsFile());
    m_prompts.Clear();
    g_job = WireOptimize_Whole();
    g_resultWindow = nullptr;
    g_lastCutEntry = LastCutEntry();
    g_lastStockEntry = LastStockEntry();
    g_cutSortAscending = {};
    g_stockSortAscending = {};
    g_resultSortAscending = {};
}

void MainWindowTest::cleanup()
{
    g_resultWindow = nullptr;
    QCOMPARE(DropPendingScripts(), 0);
}

void MainWindowTest::firstStartShowsEmptyTablesAndDefaults()
{
    CParvexDlg window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Trevak软件---线材下料优化（64位） V2026.04.30"));
    QCOMPARE(window.m_cutTable->GetItemCount(), 0);
    QCOMPARE(window.m_stockTable->GetItemCount(), 0);
    QCOMPARE(window.m_resultTable->GetItemCount(), 0);
    QCOMPARE(window.findChild<QLineEdit*>("trimEdit")->text(), QStringLiteral("0"));
    QCOMPARE(window.findChild<QLineEdit*>("kerfEdit")->text(), QStringLiteral("10"));
    auto* combo = window.findChild<QComboBox*>("kindsCombo");
    QCOMPARE(combo->count(), 6);
    QCOMPARE(combo->currentText(), QStringLiteral("   不限制"));
    QCOMPARE(combo->itemText(1), QStringLiteral("    1 种"));
    QCOMPARE(combo->itemText(5), QStringLiteral("    5 种"));
    QCOMPARE(window.findChild<QSlider*>("speedSlider")->value(), 1);
    QVERIFY(!window.findChild<Pic_Button*>("outputButton")->isEnabled());
    QVERIFY(!window.findChild<Pic_Button*>("leftoverButton")->isEnabled());
    QVERIFY(window.findChild<Pic_Button*>("cutMergeButton")->isHidden());
    QVERIFY(window.findChild<Pic_Button*>("interruptButton")->isHidden());
    QVERIFY(window.findChild<CGradientProgressCtrl*>("progress")->isHidden());
    QVERIFY(m_prompts.MessageTexts().isEmpty());
}

void MainWindowTest::columnWidthsFollowTheClientWidth()
{
    CParvexDlg window;
    const int w = window.m_cutTable->ClientWidth();
    QVERIFY(w > 0);
    // Factor x (W / 5.7), truncated: 0.6, 1.5, 1.5, 0.8, 1.0 for the cut table.
    const double factors[] = {0.6, 1.5, 1.5, 0.8, 1.0};
    for (int k = 0; k < 5; ++k)
        QCOMPARE(window.m_cutTable->GetColumnWidth(k), static_cast<int>(factors[k] * (w / 5.7)));
    const int r = window.m_resultTable->ClientWidth();
    QCOMPARE(window.m_resultTable->GetColumnWidth(3), static_cast<int>(5.0 * (r / 13.3)));
    QCOMPARE(window.m_resultTable->horizontalHeader()->count(), 7);
}

void MainWindowTest::computeFillsPatternRowsAndTotals()
{
    CParvexDlg window;
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    window.m_lists.AppendCutRow(u"Q235", 2995, 2, u"");
    window.m_lists.AppendCutRow(u"Z10", 1000, 3, u"");
    window.m_lists.AppendStockRow(u"Q235", 6000, -1, 0);
    window.m_lists.AppendStockRow(u"Z10", 3000, -1, 0);
    window.RefillCutTable();
    window.RefillStockTable();

    window.findChild<Pic_Button*>("computeButton")->click();

    // One bar of each: 2995x2 on 6000 leaves 10 (99.8 %), 1000x3 fills 3000.
    QCOMPARE(window.m_resultTable->GetItemCount(), 3);
    QCOMPARE(RowTexts(window.m_resultTable, 0),
             QStringList({"1", "Q235", "6000", "2995x2", "1", "99.8%", "10"}));
    QCOMPARE(RowTexts(window.m_resultTable, 1), QStringList({"2", "Z10", "3000", "1000x3", "1", "100.0%", "0"}));
    // Totals: 9000 units of stock, 2 bars, 8990 / 9000 used.
    QCOMPARE(RowTexts(window.m_resultTable, 2), QStringList({"共", "", "9000", "", "2", "99.9%", ""}));

    const QStringList messages = m_prompts.MessageTexts();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(QRegularExpression("^下料优化完成--耗时 \\d+\\.\\d 秒 !$").match(messages[0]).hasMatch(),
             qPrintable(messages[0]));
    QVERIFY(window.findChild<Pic_Button*>("outputButton")->isEnabled());
    QVERIFY(window.findChild<Pic_Button*>("leftoverButton")->isEnabled());
    QVERIFY(window.findChild<Pic_Button*>("computeButton")->isEnabled());
    QVERIFY(window.findChild<Pic_Button*>("interruptButton")->isHidden());
}

void MainWindowTest::exampleJobMatchesTheEngineAndIsRendered()
{
    // The built-in example job planned by the engine alone, as the command line does.
    InputLists lists = ExampleJobLists();
    lists.MergeCutList();
    lists.MergeStockList();
    JobError error;
    QVERIFY(PlanJob(g_job, lists, error, 0, 10, 0, 1));
    QStringList expected;
    for (const WireOptimize& g : g_job.m_groups)
        for (const WireCombine& p : g.m_patterns)
            expected << QString::fromStdU16String(PatternText(p)) + " x" + QString::number(p.m_barCount);
    const QString bars = QString::number(g_job.m_totalBars);
    const QString utilisation = QString::fromStdU16String(PercentText(g_job.m_utilisation));

    // The same job through the window with its default parameters.
    g_job = WireOptimize_Whole();
    CParvexDlg window;
    window.m_lists = ExampleJobLists();
    window.RefillCutTable();
    window.RefillStockTable();
    window.resize(window.size());
    window.show();
    window.findChild<Pic_Button*>("computeButton")->click();

    QCOMPARE(window.m_resultTable->GetItemCount(), expected.size() + 1);
    for (int r = 0; r < expected.size(); ++r) {
        const QStringList row = RowTexts(window.m_resultTable, r);
        QCOMPARE(row[3] + " x" + row[4], expected[r]);
    }
    const QStringList totals = RowTexts(window.m_resultTable, expected.size());
    QCOMPARE(totals[0], QString("共"));
    QCOMPARE(totals[4], bars);
    QCOMPARE(totals[5], utilisation);

    // A picture of the window with the plan, for the eye.
    const QString path = QString(TREVAK_TEST_OUTPUT_DIR) + "/main-window-example.png";
    QVERIFY(window.grab().save(path));
    QVERIFY(QFileInfo(path).size() > 10000);
}

void MainWindowTest::missingStockFlagsTheSpecificationCell()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"B", 1000, 2, u"");
    window.m_lists.AppendCutRow(u"A", 500, 1, u"");
    window.m_lists.AppendStockRow(u"B", 6000, -1, 0);
    window.RefillCutTable();
    window.RefillStockTable();

    window.ComputePlan();

    QCOMPARE(m_prompts.MessageTexts(), QStringList({"缺少规格A的原料，请检查原料库存!"}));
    // Row 1 holds specification A; column 1 is the specification.
    QCOMPARE(window.m_cutTable->FlaggedCell(), QPoint(1, 1));
    QCOMPARE(window.m_cutTable->SelectedRows(), std::vector<int>({1}));
    QVERIFY(!window.findChild<Pic_Button*>("outputButton")->isEnabled());
    QVERIFY(window.findChild<Pic_Button*>("computeButton")->isEnabled());
    QVERIFY(window.m_cutTable->isEnabled());
    QCOMPARE(g_resultWindow, static_cast<RunHooks*>(&window));
}

void MainWindowTest::tooLongPieceFlagsTheLengthCell()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"A", 5000, 1, u"");
    window.m_lists.AppendCutRow(u"B", 7000, 1, u"");
    window.m_lists.AppendCutRow(u"A", 6001, 1, u"");
    window.m_lists.AppendStockRow(u"A", 6000, 5, 0);
    window.m_lists.AppendStockRow(u"B", 9000, 5, 0);
    window.RefillCutTable();
    window.RefillStockTable();

    window.ComputePlan();

    // The first row of A at least as long as 6001 is row 2; column 2 is the length.
    QCOMPARE(m_prompts.MessageTexts(), QStringList({"下料 A：\n\n下料长度 > 原料长度 !"}));
    QCOMPARE(window.m_cutTable->FlaggedCell(), QPoint(2, 2));
    QCOMPARE(window.m_cutTable->SelectedRows(), std::vector<int>({2}));
    QVERIFY(!window.findChild<Pic_Button*>("outputButton")->isEnabled());
}

void MainWindowTest::liveRowsShowTheTrimmedBarAndStayAfterInterrupt()
{
    CParvexDlg window;
    window.findChild<QLineEdit*>("trimEdit")->setText("10");
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    window.m_lists.AppendCutRow(u"A", 2995, 2, u"");
    window.m_lists.AppendCutRow(u"B", 1000, 3, u"");
    window.m_lists.AppendStockRow(u"A", 6000, -1, 0);
    window.m_lists.AppendStockRow(u"B", 3000, -1, 0);

    // Interrupt as soon as the first live row is shown.
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, &window, [&] {
        if (window.m_resultTable->GetItemCount() > 0 && g_resultWindow) {
            watcher.stop();
            window.findChild<Pic_Button*>("interruptButton")->click();
        }
    });
    watcher.start();
    window.ComputePlan();

    QCOMPARE(m_prompts.MessageTexts(), QStringList({"优化计算中断 !"}));
    QVERIFY(window.m_resultTable->GetItemCount() >= 1);
    // Length of the trimmed bar; utilisation and remnant on the full 6000 bar:
    // 5990 of 6000 used, 10 left.
    QCOMPARE(RowTexts(window.m_resultTable, 0), QStringList({"1", "A", "5990", "2995x2", "1", "99.8%", "10"}));
    QVERIFY(window.m_resultTable->GetItemText(window.m_resultTable->GetItemCount() - 1, 0) != QStringLiteral("共"));
}

void MainWindowTest::negativeTrimIsRefusedBeforeTheKerf()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"B", 1000, 2, u"");
    window.m_lists.AppendStockRow(u"B", 6000, -1, 0);
    auto* trim = window.findChild<QLineEdit*>("trimEdit");
    trim->setText("-1");
    window.findChild<QLineEdit*>("kerfEdit")->setText("-2");

    window.ComputePlan();

    QCOMPARE(m_prompts.MessageTexts(), QStringList({"剔除的料头长度不应小于 0 !"}));
    QCOMPARE(trim->selectedText(), QStringLiteral("-1"));
    QVERIFY(g_job.m_groups.empty());
    QCOMPARE(g_resultWindow, static_cast<RunHooks*>(nullptr));
}

void MainWindowTest::negativeKerfIsRefused()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"B", 1000, 2, u"");
    window.m_lists.AppendStockRow(u"B", 6000, -1, 0);
    window.findChild<QLineEdit*>("kerfEdit")->setText("-2");

    window.ComputePlan();

    QCOMPARE(m_prompts.MessageTexts(), QStringList({"切割缝宽不应小于 0 !"}));
    QVERIFY(g_job.m_groups.empty());
}

void MainWindowTest::emptyListsAreRefused()
{
    CParvexDlg window;
    window.ComputePlan();
    window.m_lists.AppendCutRow(u"B", 1000, 2, u"");
    window.ComputePlan();
    window.findChild<QLineEdit*>("trimEdit")->setText("x");
    window.ComputePlan();
    QCOMPARE(m_prompts.MessageTexts(), QStringList({"请先输入下料信息!", "请先输入原料长度信息!", "请输入一个数字。"}));
}

void MainWindowTest::interruptStopsTheRunAndRestoresControls()
{
    CParvexDlg window;
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    window.m_lists.AppendCutRow(u"Q235", 2995, 2, u"");
    window.m_lists.AppendCutRow(u"Z10", 1000, 3, u"");
    window.m_lists.AppendStockRow(u"Q235", 6000, -1, 0);
    window.m_lists.AppendStockRow(u"Z10", 3000, -1, 0);
    window.RefillCutTable();
    window.RefillStockTable();
    auto* help = window.findChild<Pic_Button*>("helpButton");
    help->setEnabled(false);  // disabled before the run, so disabled after it
    auto* interrupt = window.findChild<Pic_Button*>("interruptButton");
    auto* compute = window.findChild<Pic_Button*>("computeButton");
    auto* progress = window.findChild<CGradientProgressCtrl*>("progress");

    bool computeEnabledDuringRun = true;
    bool cutTableEnabledDuringRun = true;
    bool addButtonShownDuringRun = true;
    bool progressShownDuringRun = false;
    // The click comes from the message dispatch of the run's first check.
    QTimer::singleShot(0, &window, [&] {
        computeEnabledDuringRun = compute->isEnabled();
        cutTableEnabledDuringRun = window.m_cutTable->isEnabled();
        addButtonShownDuringRun = !window.findChild<Pic_Button*>("cutAddButton")->isHidden();
        progressShownDuringRun = !progress->isHidden();
        interrupt->click();
    });
    compute->click();

    QVERIFY(!computeEnabledDuringRun);
    QVERIFY(!cutTableEnabledDuringRun);
    QVERIFY(!addButtonShownDuringRun);
    QVERIFY(progressShownDuringRun);
    QCOMPARE(m_prompts.MessageTexts(), QStringList({"优化计算中断 !"}));
    QVERIFY(compute->isEnabled());
    QVERIFY(window.m_cutTable->isEnabled());
    QVERIFY(!help->isEnabled());
    QVERIFY(!interrupt->isEnabled());
    QVERIFY(interrupt->isHidden());
    QVERIFY(progress->isHidden());
    QVERIFY(!window.findChild<Pic_Button*>("cutAddButton")->isHidden());
    QVERIFY(!window.findChild<Pic_Button*>("outputButton")->isEnabled());
    QVERIFY(!window.findChild<Pic_Button*>("leftoverButton")->isEnabled());
    QCOMPARE(g_resultWindow, static_cast<RunHooks*>(nullptr));
}

void MainWindowTest::interruptEndsALongLevelZeroSearch()
{
    // 80 short lengths of 50 pieces each on a bar of 100000: the exhaustive
    // search of level 0 would run for hours, so the window must stay
    // responsive inside one search and stop when interrupted.
    CParvexDlg window;
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    window.findChild<QSlider*>("speedSlider")->setValue(0);
    for (int i = 0; i < 80; ++i)
        window.m_lists.AppendCutRow(u"A", 101 + 3 * i, 50, u"");
    window.m_lists.AppendStockRow(u"A", 100000, -1, 0);
    window.RefillCutTable();
    window.RefillStockTable();
    auto* progress = window.findChild<CGradientProgressCtrl*>("progress");

    // Interrupted once the progress bar has moved twice, that is from inside
    // the search; a run that never gets there is stopped by the guard.
    Pic_Button* interrupt = window.findChild<Pic_Button*>("interruptButton");
    int progressMoves = 0;
    QObject::connect(progress, &QProgressBar::valueChanged, &window, [&] {
        if (++progressMoves == 2)
            interrupt->click();
    });
    bool forced = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &window, [&] {
        forced = true;
        interrupt->click();
    });
    guard.start(60000);
    window.findChild<Pic_Button*>("computeButton")->click();

    QVERIFY(!forced);
    QVERIFY(progressMoves >= 2);
    QCOMPARE(m_prompts.MessageTexts(), QStringList({"优化计算中断 !"}));
    QVERIFY(window.findChild<Pic_Button*>("computeButton")->isEnabled());
    QVERIFY(!window.findChild<Pic_Button*>("outputButton")->isEnabled());
}

void MainWindowTest::lastRowIsFullyInViewAfterCompute()
{
    CParvexDlg window;
    window.show();
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    for (int i = 0; i < 40; ++i) {
        const std::u16string spec = u"S" + QString::number(i).toStdU16String();
        window.m_lists.AppendCutRow(spec, 1000, 1, u"");
        window.m_lists.AppendStockRow(spec, 1000, -1, 0);
    }
    window.RefillCutTable();
    window.RefillStockTable();
    window.findChild<Pic_Button*>("computeButton")->click();

    MyListCtrl* table = window.m_resultTable;
    QCOMPARE(table->GetItemCount(), 41);
    const QRect last = table->visualRect(table->model()->index(40, 0));
    QVERIFY(last.isValid());
    QVERIFY2(last.top() >= 0 && last.bottom() < table->viewport()->height(),
             qPrintable(QStringLiteral("totals row at %1..%2 in a viewport of %3")
                            .arg(last.top())
                            .arg(last.bottom())
                            .arg(table->viewport()->height())));
}

void MainWindowTest::sortingByUtilisationTwice()
{
    CParvexDlg window;
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    // Several patterns of differing utilisation in one group, and a second group.
    window.m_lists.AppendCutRow(u"A", 4000, 3, u"");
    window.m_lists.AppendCutRow(u"A", 1000, 2, u"");
    window.m_lists.AppendCutRow(u"A", 2500, 3, u"");
    window.m_lists.AppendCutRow(u"B", 700, 5, u"");
    window.m_lists.AppendStockRow(u"A", 6000, -1, 0);
    window.m_lists.AppendStockRow(u"B", 2000, -1, 0);
    window.ComputePlan();
    const int rows = window.m_resultTable->GetItemCount();
    QVERIFY(rows >= 4);
    QVERIFY(g_job.m_groups.size() == 2 && g_job.m_groups[0].m_patterns.size() >= 2);
    const std::size_t patternsA = g_job.m_groups[0].m_patterns.size();
    const QString totals = RowTexts(window.m_resultTable, rows - 1).join('|');

    auto checkOrder = [&](bool ascending) {
        QCOMPARE(window.m_resultTable->GetItemCount(), rows);
        QCOMPARE(RowTexts(window.m_resultTable, rows - 1).join('|'), totals);
        for (int r = 0; r + 1 < rows - 1; ++r) {
            if (window.m_resultTable->GetItemText(r, 1) != window.m_resultTable->GetItemText(r + 1, 1))
                continue;  // the order holds within each group
            const double a = PercentValue(window.m_resultTable->GetItemText(r, 5));
            const double b = PercentValue(window.m_resultTable->GetItemText(r + 1, 5));
            QVERIFY2(ascending ? a <= b : a >= b, qPrintable(QString("rows %1, %2").arg(r).arg(r + 1)));
        }
        // Group A keeps its rows first, numbered on into group B.
        QCOMPARE(window.m_resultTable->GetItemText(0, 1), QStringLiteral("A"));
        QCOMPARE(window.m_resultTable->GetItemText(int(patternsA), 1), QStringLiteral("B"));
        QCOMPARE(window.m_resultTable->GetItemText(rows - 2, 0), QString::number(rows - 1));
    };

    window.m_resultTable->horizontalHeader()->sectionClicked(5);
    checkOrder(true);
    const double firstAscending = g_job.m_groups[0].m_patterns.front().m_utilisation;
    window.m_resultTable->horizontalHeader()->sectionClicked(5);
    checkOrder(false);
    QVERIFY(g_job.m_groups[0].m_patterns.front().m_utilisation > firstAscending);
}

void MainWindowTest::headingsThatDoNotSortChangeNothing()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"B", 1000, 2, u"");
    window.m_lists.AppendCutRow(u"A", 3000, 1, u"");
    window.m_lists.AppendStockRow(u"A", 6000, -1, 0);
    window.m_lists.AppendStockRow(u"B", 6000, -1, 0);
    window.ComputePlan();
    QStringList before;
    for (int r = 0; r < window.m_resultTable->GetItemCount(); ++r)
        before << RowTexts(window.m_resultTable, r).join('|');
    window.SortResultTable(0);
    window.SortResultTable(3);
    QStringList after;
    for (int r = 0; r < window.m_resultTable->GetItemCount(); ++r)
        after << RowTexts(window.m_resultTable, r).join('|');
    QCOMPARE(after, before);
    QVERIFY(!g_resultSortAscending[0] && !g_resultSortAscending[3]);
    // Column 1 sorts the groups by specification: A first.
    QCOMPARE(window.m_resultTable->GetItemText(0, 1), QStringLiteral("B"));
    window.SortResultTable(1);
    QCOMPARE(window.m_resultTable->GetItemText(0, 1), QStringLiteral("A"));
}

void MainWindowTest::addCutItemOffersDefaultsAndRemovesBlanks()
{
    CParvexDlg window;
    QStringList offered;
    QString title;
    OnDialog<Dlg_MSG_Len>([&](Dlg_MSG_Len* dialog) {
        title = dialog->windowTitle();
        offered << dialog->m_specEdit->text() << dialog->m_lengthEdit->text() << dialog->m_quantityEdit->text()
                << dialog->m_markEdit->text();
        dialog->m_specEdit->setText(QStringLiteral("Q\u3000235"));
        dialog->m_markEdit->setText(QStringLiteral("订单 1"));
        dialog->findChild<Pic_Button*>("okButton")->click();
    });
    window.findChild<Pic_Button*>("cutAddButton")->click();

    QCOMPARE(title, QStringLiteral("下料--新增"));
    QCOMPARE(offered, QStringList({"Ф121x6.0", "1500", "18", ""}));
    QCOMPARE(window.m_lists.CutRowCount(), std::size_t(1));
    QCOMPARE(RowTexts(window.m_cutTable, 0), QStringList({"1", "Q235", "1500", "18", "订单1"}));
    QCOMPARE(window.m_cutTable->SelectedRows(), std::vector<int>({0}));
    QVERIFY(m_prompts.MessageTexts().isEmpty());

    // The next add offers the values just entered.
    offered.clear();
    OnDialog<Dlg_MSG_Len>([&](Dlg_MSG_Len* dialog) {
        offered << dialog->m_specEdit->text() << dialog->m_lengthEdit->text();
        dialog->findChild<Pic_Button*>("cancelButton")->click();
    });
    window.AddCutItem();
    QCOMPARE(offered, QStringList({"Q235", "1500"}));
    QCOMPARE(window.m_lists.CutRowCount(), std::size_t(1));
}

void MainWindowTest::addCutItemRefusesBadFields()
{
    CParvexDlg window;
    QStringList afterEachClick;
    OnDialog<Dlg_MSG_Len>([&](Dlg_MSG_Len* dialog) {
        auto* ok = dialog->findChild<Pic_Button*>("okButton");
        dialog->m_specEdit->setText(QStringLiteral(" \u3000\u00A0"));
        ok->click();
        afterEachClick << QString::number(dialog->isVisible());
        dialog->m_specEdit->setText(QStringLiteral("A"));
        dialog->m_lengthEdit->setText(QStringLiteral("12a"));
        ok->click();
        dialog->m_lengthEdit->setText(QStringLiteral("0"));
        ok->click();
        afterEachClick << dialog->m_lengthEdit->selectedText();
        dialog->m_lengthEdit->setText(QStringLiteral("2500.5"));
        dialog->m_quantityEdit->setText(QStringLiteral("1.5"));
        ok->click();
        dialog->m_quantityEdit->setText(QStringLiteral("-3"));
        ok->click();
        afterEachClick << QString::number(dialog->isVisible());
        dialog->m_quantityEdit->setText(QStringLiteral("4"));
        ok->click();
    });
    window.AddCutItem();

    QCOMPARE(m_prompts.MessageTexts(), QStringList({"请输入规格 !", "请输入一个数字。", "长度应大于 0 !",
                                                    "请输入一个整数。", "数量应大于 0 !"}));
    QCOMPARE(afterEachClick, QStringList({"1", "0", "1"}));
    QCOMPARE(RowTexts(window.m_cutTable, 0), QStringList({"1", "A", "2500.5", "4", ""}));
}

void MainWindowTest::addStockItemUnlimited()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"Q345", 1000, 2, u"");
    window.RefillCutTable();
    QStringList offered;
    OnDialog<Dlg_MSG_Len2>([&](Dlg_MSG_Len2* dialog) {
        offered << dialog->windowTitle() << dialog->m_specEdit->text() << dialog->m_lengthEdit->text()
                << dialog->m_quantityEdit->text() << QString::number(dialog->m_priorityCheck->isChecked());
        dialog->m_unlimitedCheck->setChecked(true);
        offered << QString::number(dialog->m_quantityEdit->isEnabled());
        dialog->m_priorityCheck->setChecked(true);
        dialog->findChild<Pic_Button*>("okButton")->click();
    });
    window.AddStockItem();

    // An empty stock list takes the specification of the first cut row.
    QCOMPARE(offered, QStringList({"原料--新增", "Q345", "10000", "10", "0", "0"}));
    // Unlimited keeps the count typed: 10 is stored as -10.
    QCOMPARE(window.m_lists.m_stockQuantity, std::vector<int32_t>({-10}));
    QCOMPARE(RowTexts(window.m_stockTable, 0), QStringList({"1", "Q345", "10000", "∞", "√"}));

    // Editing the row shows the count again with the box ticked.
    offered.clear();
    OnDialog<Dlg_MSG_Len2>([&](Dlg_MSG_Len2* dialog) {
        offered << dialog->windowTitle() << dialog->m_quantityEdit->text()
                << QString::number(dialog->m_unlimitedCheck->isChecked());
        dialog->m_unlimitedCheck->setChecked(false);
        dialog->findChild<Pic_Button*>("okButton")->click();
    });
    window.EditStockRow(0);
    QCOMPARE(offered, QStringList({"原料--编辑", "10", "1"}));
    QCOMPARE(RowTexts(window.m_stockTable, 0), QStringList({"1", "Q345", "10000", "10", "√"}));
}

void MainWindowTest::editCutRowChangesOneRow()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"A", 1000, 2, u"m1");
    window.m_lists.AppendCutRow(u"B", 2000, 3, u"");
    window.RefillCutTable();
    window.m_cutTable->SetRowSelected(1, true);

    QString title;
    OnDialog<Dlg_MSG_Len>([&](Dlg_MSG_Len* dialog) {
        title = dialog->windowTitle();
        dialog->m_quantityEdit->setText(QStringLiteral("7"));
        dialog->findChild<Pic_Button*>("okButton")->click();
    });
    // A double-click with a selected row edits the first selected row.
    emit window.m_cutTable->itemDoubleClicked(1, 3);

    QCOMPARE(title, QStringLiteral("下料--编辑"));
    QCOMPARE(RowTexts(window.m_cutTable, 0), QStringList({"1", "A", "1000", "2", "m1"}));
    QCOMPARE(RowTexts(window.m_cutTable, 1), QStringList({"2", "B", "2000", "7", ""}));
    QCOMPARE(window.m_lists.m_cutQuantity, std::vector<int32_t>({2, 7}));
    QCOMPARE(g_lastCutEntry.quantity, 7);
}

void MainWindowTest::doubleClickOnQuantitySelectsTheQuantity()
{
    CParvexDlg window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.m_lists.AppendCutRow(u"A", 1000, 2, u"");
    window.m_lists.AppendCutRow(u"B", 2000, 345, u"");
    window.RefillCutTable();
    window.m_cutTable->SetRowSelected(1, true);
    const QPoint cell = window.m_cutTable->CellRect(1, 3).center();
    QCursor::setPos(window.m_cutTable->viewport()->mapToGlobal(cell));
    QTRY_COMPARE(window.m_cutTable->PointerPosition(), cell);
    QCOMPARE(window.ColumnUnderPointer(window.m_cutTable, 1), 3);

    QString selected;
    OnDialog<Dlg_MSG_Len>([&](Dlg_MSG_Len* dialog) {
        selected = dialog->m_quantityEdit->selectedText();
        dialog->findChild<Pic_Button*>("cancelButton")->click();
    });
    emit window.m_cutTable->itemDoubleClicked(1, 3);
    QCOMPARE(selected, QStringLiteral("345"));
    QCOMPARE(window.m_lists.m_cutQuantity, std::vector<int32_t>({2, 345}));
}

void MainWindowTest::deleteSelectedRowsRenumbers()
{
    CParvexDlg window;
    for (int i = 1; i <= 5; ++i)
        window.m_lists.AppendCutRow(u"S", 100.0 * i, i, u"");
    window.RefillCutTable();
    window.DeleteSelectedCutRows();  // nothing selected: nothing happens
    QCOMPARE(window.m_cutTable->GetItemCount(), 5);

    window.m_cutTable->SetRowSelected(1, true);
    window.m_cutTable->SetRowSelected(3, true);
    emit window.m_cutTable->deletePressed();

    QCOMPARE(window.m_lists.m_cutLength, std::vector<double>({100, 300, 500}));
    QCOMPARE(window.m_cutTable->GetItemCount(), 3);
    QCOMPARE(RowTexts(window.m_cutTable, 0), QStringList({"1", "S", "100", "1", ""}));
    QCOMPARE(RowTexts(window.m_cutTable, 1), QStringList({"2", "S", "300", "3", ""}));
    QCOMPARE(RowTexts(window.m_cutTable, 2), QStringList({"3", "S", "500", "5", ""}));
}

void MainWindowTest::batchEditOfStockQuantity()
{
    CParvexDlg window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (int i = 1; i <= 4; ++i)
        window.m_lists.AppendStockRow(u"S", 1000.0 * i, i, 0);
    window.RefillStockTable();
    MyListCtrl* table = window.m_stockTable;

    // One selected row captures nothing, and a click opens nothing.
    table->SetRowSelected(0, true);
    table->PointerMovedTo(table->CellRect(0, 3).center());
    QVERIFY(table->CapturedRows().empty());
    window.BatchEditStockRows(0, 3);
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    for (const int r : {0, 2, 3})
        table->SetRowSelected(r, true);
    table->PointerMovedTo(table->CellRect(2, 1).center());
    table->PointerMovedTo(table->CellRect(2, 3).center());
    QCOMPARE(table->CapturedRows(), std::vector<int>({0, 2, 3}));
    table->DeselectAll();
    table->SetRowSelected(2, true);  // the click reduced the selection to its row

    QStringList offered;
    OnDialog<Dlg_CLK_3>([&](Dlg_CLK_3* dialog) {
        offered << dialog->windowTitle() << dialog->m_quantityEdit->text();
        dialog->m_unlimitedCheck->setChecked(true);
        dialog->findChild<Pic_Button*>("okButton")->click();
    });
    window.BatchEditStockRows(2, 3);

    QCOMPARE(offered, QStringList({"统一修改库存数量", "3"}));
    // Every captured row takes the dialog's value: unlimited, keeping the count 3.
    QCOMPARE(window.m_lists.m_stockQuantity, std::vector<int32_t>({-3, 2, -3, -3}));
    for (const int r : {0, 2, 3})
        QCOMPARE(table->GetItemText(r, 3), QStringLiteral("∞"));
    QCOMPARE(table->GetItemText(1, 3), QStringLiteral("2"));
    QCOMPARE(table->SelectedRows(), std::vector<int>({0, 2, 3}));
}

void MainWindowTest::sortCutTableBySpecificationTwice()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"B", 1, 1, u"x");
    window.m_lists.AppendCutRow(u"A", 2, 2, u"");
    window.m_lists.AppendCutRow(u"AB", 3, 3, u"");
    window.m_lists.AppendCutRow(u"A", 4, 4, u"");
    window.RefillCutTable();

    window.m_cutTable->horizontalHeader()->sectionClicked(0);
    QCOMPARE(window.m_lists.m_cutLength, std::vector<double>({1, 2, 3, 4}));
    window.m_cutTable->horizontalHeader()->sectionClicked(1);
    // Ascending; equal specifications keep their order; a prefix comes first.
    QCOMPARE(window.m_lists.m_cutLength, std::vector<double>({2, 4, 3, 1}));
    QCOMPARE(window.m_cutTable->GetItemText(0, 0), QStringLiteral("1"));
    QCOMPARE(window.m_cutTable->GetItemText(3, 4), QStringLiteral("x"));
    window.m_cutTable->horizontalHeader()->sectionClicked(1);
    QCOMPARE(window.m_lists.m_cutLength, std::vector<double>({1, 3, 2, 4}));
    QCOMPARE(window.m_lists.m_cutMark[0], MyString(u"x"));
}

void MainWindowTest::enterAndEscDoNotClose()
{
    CParvexDlg window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* kerf = window.findChild<QLineEdit*>("kerfEdit");
    kerf->setFocus();
    QTest::keyClick(kerf, Qt::Key_Return);
    QTest::keyClick(kerf, Qt::Key_Enter);
    QTest::keyClick(kerf, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(window.findChild<Pic_Button*>("computeButton"), Qt::Key_Return);
    QVERIFY(window.isVisible());
    QVERIFY(!QFile::exists(SettingsFile()));
    QVERIFY(m_prompts.MessageTexts().isEmpty());
}

void MainWindowTest::settingsSavedOnCloseAndLoadedAtStart()
{
    {
        CParvexDlg window;
        window.show();
        window.m_lists.AppendCutRow(u"订单规格", 2995, 15, u"订单1");
        window.m_lists.AppendStockRow(u"订单规格", 6000, -7, 1);
        window.findChild<QLineEdit*>("trimEdit")->setText("5");
        window.findChild<QLineEdit*>("kerfEdit")->setText("3.5");
        auto* combo = window.findChild<QComboBox*>("kindsCombo");
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        window.findChild<QSlider*>("speedSlider")->setValue(4);
        window.findChild<Pic_Button*>("closeButton")->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
    QVERIFY(QFile::exists(SettingsFile()));
    QVERIFY(m_prompts.MessageTexts().isEmpty());

    CParvexDlg window;
    QCOMPARE(window.findChild<QLineEdit*>("trimEdit")->text(), QStringLiteral("5"));
    QCOMPARE(window.findChild<QLineEdit*>("kerfEdit")->text(), QStringLiteral("3.5"));
    QCOMPARE(window.findChild<QComboBox*>("kindsCombo")->currentIndex(), 2);
    QCOMPARE(window.findChild<QSlider*>("speedSlider")->value(), 4);
    QCOMPARE(window.m_maxLengthKinds, 2);
    QCOMPARE(RowTexts(window.m_cutTable, 0), QStringList({"1", "订单规格", "2995", "15", "订单1"}));
    QCOMPARE(RowTexts(window.m_stockTable, 0), QStringList({"1", "订单规格", "6000", "∞", "√"}));
    QCOMPARE(window.m_lists.m_stockQuantity, std::vector<int32_t>({-7}));
}

void MainWindowTest::closeButtonWithBadFieldStaysOpen()
{
    CParvexDlg window;
    window.show();
    window.findChild<QLineEdit*>("trimEdit")->setText("abc");
    window.findChild<Pic_Button*>("closeButton")->click();
    QVERIFY(window.isVisible());
    QCOMPARE(m_prompts.MessageTexts(), QStringList({"请输入一个数字。"}));
    QVERIFY(!QFile::exists(SettingsFile()));
}

void MainWindowTest::closeBoxWithBadFieldSavesLastValidValues()
{
    {
        InputLists lists;
        SettingsRecord record;
        record.m_trimLength = 8;
        QVERIFY(SaveSettings(SettingsFile().toStdString(), lists, record));
    }
    CParvexDlg window;
    window.show();
    window.m_lists.AppendCutRow(u"A", 1234.5, 3, u"");
    window.findChild<QLineEdit*>("trimEdit")->setText("abc");
    window.findChild<QLineEdit*>("kerfEdit")->setText("20");
    window.close();

    QVERIFY(!window.isVisible());
    QCOMPARE(m_prompts.MessageTexts(), QStringList({"请输入一个数字。"}));
    InputLists lists;
    SettingsRecord record;
    QVERIFY(LoadSettings(SettingsFile().toStdString(), lists, record));
    QCOMPARE(record.m_trimLength, 8.0);  // the value before the bad text
    QCOMPARE(record.m_kerfWidth, 20.0);
    QCOMPARE(lists.m_cutLength, std::vector<double>({1234.5}));
}

void MainWindowTest::unwritableSettingsFileIsReported()
{
    // The old file stays; a folder in the way of the new file makes the write fail.
    {
        InputLists lists;
        lists.AppendCutRow(u"OLD", 1, 1, u"");
        SettingsRecord record;
        QVERIFY(SaveSettings(SettingsFile().toStdString(), lists, record));
    }
    {
        CParvexDlg window;
        window.show();
        window.m_lists.AppendCutRow(u"NEW", 2, 2, u"");
        // A disk that is full after 8 bytes of the new file.
        FileSizeLimit fullDisk(8);
        QVERIFY(fullDisk.Active());
        window.findChild<Pic_Button*>("closeButton")->click();
        QVERIFY(!window.isVisible());
    }

    const QStringList messages = m_prompts.MessageTexts();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(SettingsFile()), qPrintable(messages[0]));
    InputLists lists;
    SettingsRecord record;
    QVERIFY(LoadSettings(SettingsFile().toStdString(), lists, record));
    QCOMPARE(lists.m_cutSpec, std::vector<MyString>({u"OLD"}));
}

void MainWindowTest::unreadableSettingsFileIsToldOnceAndStartsEmpty()
{
    // The settings path is a folder: the window starts as without a file and
    // says so once, naming the file.
    QVERIFY(QDir().mkpath(SettingsFile()));
    {
        CParvexDlg window;
        QCOMPARE(window.m_cutTable->GetItemCount(), 0);
        QCOMPARE(window.m_stockTable->GetItemCount(), 0);
        QCOMPARE(window.findChild<QLineEdit*>("kerfEdit")->text(), QStringLiteral("10"));
        const QStringList messages = m_prompts.MessageTexts();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(SettingsFile()) && messages[0].contains(QStringLiteral("无法读取")),
                 qPrintable(messages[0]));
    }
    QDir(SettingsFile()).removeRecursively();
    m_prompts.Clear();

    // A damaged file keeps what came before the damage and is told once too.
    QVERIFY(QDir().mkpath(QFileInfo(SettingsFile()).path()));
    {
        QFile file(SettingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("20260430\r\n2\r\n2995  15  A  M\r\ngarbage\r\n");
    }
    CParvexDlg window;
    QCOMPARE(window.m_lists.m_cutSpec, std::vector<MyString>({u"A"}));
    const QStringList messages = m_prompts.MessageTexts();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(QStringLiteral("第4行不是下料行")), qPrintable(messages[0]));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
