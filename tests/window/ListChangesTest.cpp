// Changes to the lists and parameters after a compute: the plan on show is
// marked out of date, the lists are saved at once (a killed program keeps
// them), and a faulty cell stays red until the next edit or compute.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "base/Messages.h"
#include "exchange/SettingsFile.h"
#include "platform/AppFolders.h"
#include "platform/Prompts.h"
#include "support/ModalScript.h"
#include "support/TableRows.h"
#include "support/Text.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/InputDialogs.h"
#include "workbench/window/OutputDialogs.h"

namespace {

const char* const EDIT_AND_WAIT = "--edit-and-wait";

Pic_Button* Button(QWidget* parent, const char* name)
{
    return parent->findChild<Pic_Button*>(name);
}

bool WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

// Adds a cut row through the add dialog.
void AddCutRowByDialog(CParvexDlg& window, const QString& spec, const QString& length, const QString& quantity)
{
    OnDialog<Dlg_MSG_Len>([=](Dlg_MSG_Len* dialog) {
        dialog->m_specEdit->setText(spec);
        dialog->m_lengthEdit->setText(length);
        dialog->m_quantityEdit->setText(quantity);
        Button(dialog, "okButton")->click();
    });
    Button(&window, "cutAddButton")->click();
}

void AddStockRowByDialog(CParvexDlg& window, const QString& spec, const QString& length, const QString& quantity)
{
    OnDialog<Dlg_MSG_Len2>([=](Dlg_MSG_Len2* dialog) {
        dialog->m_specEdit->setText(spec);
        dialog->m_lengthEdit->setText(length);
        dialog->m_quantityEdit->setText(quantity);
        dialog->m_unlimitedCheck->setChecked(false);
        Button(dialog, "okButton")->click();
    });
    Button(&window, "stockAddButton")->click();
}

// The child process of the kill test: imports a cut list and adds a stock
// row in an offscreen window, says so on its output and waits to be killed.
int EditAndWait(const QString& folder, const QString& importFile)
{
    g_programFolder = folder.toStdString();
    ScriptedPrompts prompts;
    SetAppPrompts(&prompts);
    CParvexDlg window;
    window.show();
    prompts.SetNextFileName(importFile);
    Button(&window, "cutImportButton")->click();
    AddStockRowByDialog(window, QStringLiteral("Q235"), QStringLiteral("9000"), QStringLiteral("4"));
    std::printf("READY %zu %zu\n", window.m_lists.CutRowCount(), window.m_lists.StockRowCount());
    std::fflush(stdout);
    return QApplication::exec();
}

// Message boxes that really open a modal window over the main window (it
// takes the focus as the real box does); `whileOpen` runs inside it.
class ModalBoxPrompts : public ScriptedPrompts {
public:
    std::function<void()> m_whileOpen;

    PromptAnswer ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, PromptIcon icon,
                                PromptButtons buttons) override
    {
        QDialog box(parent);
        box.setObjectName(QStringLiteral("messageBox"));
        box.resize(200, 80);
        QTimer::singleShot(50, &box, [&] {
            if (m_whileOpen)
                m_whileOpen();
            box.accept();
        });
        box.exec();
        return ScriptedPrompts::ShowMessageBox(parent, text, caption, icon, buttons);
    }
};

}  // namespace

class ListChangesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyChangeMarksThePlanOutOfDateAndSaves_data();
    void everyChangeMarksThePlanOutOfDateAndSaves();
    void actionsThatChangeNothingKeepThePlan();
    void stockUpdateKeepsARowAddedAfterTheCompute();
    void parameterTypingIsSavedOnceItPauses();
    void aKilledProgramRestartsWithItsLists();
    void faultyCellStaysRedWhileTheMessageIsOpen();

private:
    QString SettingsFile() const { return QString::fromStdString(SettingsFilePath(g_programFolder)); }
    // Two cut rows and one unlimited stock row of A, kerf 0, computed.
    void ComputeSmallJob(CParvexDlg& window);
    void ExpectPlanCurrent(CParvexDlg& window);
    void ExpectPlanOutOfDate(CParvexDlg& window);
    void ExpectSavedLists(const CParvexDlg& window);

    QTemporaryDir m_folder;
    ScriptedPrompts m_prompts;
    PromptsMessageSink m_sink;
};

void ListChangesTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    SetAppPrompts(&m_prompts);
    g_messageSink = &m_sink;
}

void ListChangesTest::init()
{
    g_programFolder = m_folder.path().toStdString();
    QFile::remove(SettingsFile());
    m_prompts.Clear();
    g_job = WireOptimize_Whole();
    g_resultWindow = nullptr;
    g_lastCutEntry = LastCutEntry();
    g_lastStockEntry = LastStockEntry();
    g_outputOptions = OutputOptions();
}

void ListChangesTest::cleanup()
{
    g_resultWindow = nullptr;
    QCOMPARE(DropPendingScripts(), 0);
}

void ListChangesTest::ComputeSmallJob(CParvexDlg& window)
{
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    window.m_lists.AppendCutRow(u"A", 2000, 3, u"");
    window.m_lists.AppendCutRow(u"A", 1500, 2, u"");
    window.m_lists.AppendStockRow(u"A", 6000, -1, 0);
    window.RefillCutTable();
    window.RefillStockTable();
    Button(&window, "computeButton")->click();
    ExpectPlanCurrent(window);
    m_prompts.Clear();
}

void ListChangesTest::ExpectPlanCurrent(CParvexDlg& window)
{
    QVERIFY(!window.PlanOutOfDate());
    QVERIFY(window.m_resultTable->GetItemCount() > 0);
    QVERIFY(window.m_outOfDateLabel->isHidden());
    QVERIFY(Button(&window, "outputButton")->isEnabled());
    QVERIFY(Button(&window, "leftoverButton")->isEnabled());
}

void ListChangesTest::ExpectPlanOutOfDate(CParvexDlg& window)
{
    QVERIFY(window.PlanOutOfDate());
    // As before a first compute: no rows, no output; the table says why.
    QCOMPARE(window.m_resultTable->GetItemCount(), 0);
    QVERIFY(!window.m_outOfDateLabel->isHidden());
    QCOMPARE(window.m_outOfDateLabel->text(), QStringLiteral("数据已修改，请重新优化计算"));
    // Nor the bound of the old plan.
    QVERIFY(window.findChild<QLabel*>("boundLabel")->text().isEmpty());
    QVERIFY(!Button(&window, "outputButton")->isEnabled());
    QVERIFY(!Button(&window, "leftoverButton")->isEnabled());
    // A click on a heading does not bring the old plan back.
    window.m_resultTable->horizontalHeader()->sectionClicked(5);
    QCOMPARE(window.m_resultTable->GetItemCount(), 0);
}

void ListChangesTest::ExpectSavedLists(const CParvexDlg& window)
{
    InputLists saved;
    SettingsRecord record;
    QVERIFY(LoadSettings(SettingsFile().toStdString(), saved, record));
    QCOMPARE(saved.m_cutSpec, window.m_lists.m_cutSpec);
    QCOMPARE(saved.m_cutLength, window.m_lists.m_cutLength);
    QCOMPARE(saved.m_cutQuantity, window.m_lists.m_cutQuantity);
    QCOMPARE(saved.m_cutMark, window.m_lists.m_cutMark);
    QCOMPARE(saved.m_stockSpec, window.m_lists.m_stockSpec);
    QCOMPARE(saved.m_stockLength, window.m_lists.m_stockLength);
    QCOMPARE(saved.m_stockQuantity, window.m_lists.m_stockQuantity);
    QCOMPARE(saved.m_stockPriority, window.m_lists.m_stockPriority);
}

void ListChangesTest::everyChangeMarksThePlanOutOfDateAndSaves_data()
{
    QTest::addColumn<QString>("change");
    for (const char* change : {"add cut row", "add stock row", "edit", "delete", "batch edit", "sort", "merge",
                               "import", "stock update", "trim", "kerf", "kinds", "level", "exact"})
        QTest::newRow(change) << QString::fromLatin1(change);
}

void ListChangesTest::everyChangeMarksThePlanOutOfDateAndSaves()
{
    QFETCH(QString, change);
    CParvexDlg window;
    ComputeSmallJob(window);
    QFile::remove(SettingsFile());
    bool parameter = false;

    if (change == "add cut row") {
        AddCutRowByDialog(window, "A", "1000", "1");
        QCOMPARE(window.m_lists.CutRowCount(), std::size_t(3));
    } else if (change == "add stock row") {
        AddStockRowByDialog(window, "NEWSPEC", "5000", "10");
        QCOMPARE(window.m_lists.StockRowCount(), std::size_t(2));
    } else if (change == "edit") {
        OnDialog<Dlg_MSG_Len>([](Dlg_MSG_Len* dialog) {
            dialog->m_quantityEdit->setText(QStringLiteral("7"));
            Button(dialog, "okButton")->click();
        });
        window.EditCutRow(0);
        QCOMPARE(window.m_lists.m_cutQuantity[0], 7);
    } else if (change == "delete") {
        window.m_cutTable->SetRowSelected(1, true);
        emit window.m_cutTable->deletePressed();
        QCOMPARE(window.m_lists.CutRowCount(), std::size_t(1));
    } else if (change == "batch edit") {
        window.m_cutTable->SetRowSelected(0, true);
        window.m_cutTable->SetRowSelected(1, true);
        window.m_cutTable->PointerMovedTo(window.m_cutTable->CellRect(1, 3).center());
        QCOMPARE(window.m_cutTable->CapturedRows(), std::vector<int>({0, 1}));
        OnDialog<Dlg_CLK_1>([](Dlg_CLK_1* dialog) {
            dialog->m_quantityEdit->setText(QStringLiteral("4"));
            Button(dialog, "okButton")->click();
        });
        window.BatchEditCutRows(1, 3);
        QCOMPARE(window.m_lists.m_cutQuantity, std::vector<int32_t>({4, 4}));
    } else if (change == "sort") {
        window.m_cutTable->horizontalHeader()->sectionClicked(2);  // by length, ascending
        QCOMPARE(window.m_lists.m_cutLength, std::vector<double>({1500, 2000}));
    } else if (change == "merge") {
        window.m_lists.AppendCutRow(u"A", 2000, 1, u"");
        Button(&window, "cutMergeButton")->click();
        QCOMPARE(window.m_lists.m_cutQuantity, std::vector<int32_t>({4, 2}));
    } else if (change == "import") {
        QVERIFY(WriteBytes(m_folder.filePath("cut.txt"), Gbk(u"A 700 3 订单9\r\n")));
        m_prompts.SetNextFileName(m_folder.filePath("cut.txt"));
        m_prompts.SetNextAnswer(PromptAnswer::Yes);  // replace the rows
        Button(&window, "cutImportButton")->click();
        QCOMPARE(window.m_lists.m_cutMark, std::vector<MyString>({u"订单9"}));
    } else if (change == "stock update") {
        OnDialog<Dlg_MSG_DOUBLE>([](Dlg_MSG_DOUBLE* dialog) { Button(dialog, "updateButton")->click(); });
        Button(&window, "leftoverButton")->click();
        QCOMPARE(window.m_lists.StockRowCount(), std::size_t(2));  // the unlimited row and the remnant
    } else if (change == "trim") {
        QTest::keyClicks(window.findChild<QLineEdit*>("trimEdit"), "5");
        parameter = true;
    } else if (change == "kerf") {
        auto* kerf = window.findChild<QLineEdit*>("kerfEdit");
        kerf->selectAll();
        QTest::keyClicks(kerf, "3");
        parameter = true;
    } else if (change == "kinds") {
        auto* combo = window.findChild<QComboBox*>("kindsCombo");
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        parameter = true;
    } else if (change == "level") {
        window.findChild<QSlider*>("speedSlider")->setValue(3);
        parameter = true;
    } else if (change == "exact") {
        window.findChild<QCheckBox*>("exactCheck")->click();
        parameter = true;
    }

    ExpectPlanOutOfDate(window);
    // Nothing shown besides the replace question of the import.
    QCOMPARE(m_prompts.MessageTexts().size(), change == "import" ? 1 : 0);
    if (parameter) {
        // Saved once the typing has paused.
        QTRY_VERIFY(QFile::exists(SettingsFile()));
        InputLists lists;
        SettingsRecord record;
        QVERIFY(LoadSettings(SettingsFile().toStdString(), lists, record));
        if (change == "trim")
            QCOMPARE(record.m_trimLength, 5.0);
        if (change == "kerf")
            QCOMPARE(record.m_kerfWidth, 3.0);
        if (change == "kinds")
            QCOMPARE(record.m_maxLengthKinds, 2);
        if (change == "level")
            QCOMPARE(record.m_speedLevel, 3);
    }
    ExpectSavedLists(window);

    // The next compute makes the plan current again.
    Button(&window, "computeButton")->click();
    ExpectPlanCurrent(window);
    if (change == "exact")
        window.findChild<QCheckBox*>("exactCheck")->click();  // the next window starts at a level again
}

void ListChangesTest::actionsThatChangeNothingKeepThePlan()
{
    CParvexDlg window;
    ComputeSmallJob(window);
    const QStringList totals = RowTexts(window.m_resultTable, window.m_resultTable->GetItemCount() - 1);
    QFile::remove(SettingsFile());

    OnDialog<Dlg_MSG_Len>([](Dlg_MSG_Len* dialog) { Button(dialog, "cancelButton")->click(); });
    window.AddCutItem();
    window.m_cutTable->DeselectAll();
    window.DeleteSelectedCutRows();   // nothing selected
    window.MergeCutRows();            // nothing to merge
    window.SortCutTable(0);           // "序号" does not sort
    window.SortResultTable(5);        // sorting the plan is not a change of the data

    QVERIFY(!window.PlanOutOfDate());
    QVERIFY(Button(&window, "outputButton")->isEnabled());
    QCOMPARE(RowTexts(window.m_resultTable, window.m_resultTable->GetItemCount() - 1), totals);
    QVERIFY(!QFile::exists(SettingsFile()));
}

void ListChangesTest::stockUpdateKeepsARowAddedAfterTheCompute()
{
    CParvexDlg window;
    ComputeSmallJob(window);
    // A stock row added after the compute: the update of that plan would
    // rebuild the stock list without it, so it cannot be started.
    window.show();
    AddStockRowByDialog(window, "NEWSPEC", "5000", "10");
    QVERIFY(!Button(&window, "leftoverButton")->isEnabled());
    // A picture of the window with its plan out of date, for the eye.
    QVERIFY(window.grab().save(QString(TREVAK_TEST_OUTPUT_DIR) + "/main-window-out-of-date.png"));

    Button(&window, "computeButton")->click();
    ExpectPlanCurrent(window);
    OnDialog<Dlg_MSG_DOUBLE>([](Dlg_MSG_DOUBLE* dialog) { Button(dialog, "updateButton")->click(); });
    Button(&window, "leftoverButton")->click();
    const std::vector<MyString>& specs = window.m_lists.m_stockSpec;
    const auto added = std::find(specs.begin(), specs.end(), MyString(u"NEWSPEC"));
    QVERIFY(added != specs.end());
    const std::size_t i = std::size_t(added - specs.begin());
    QCOMPARE(window.m_lists.m_stockLength[i], 5000.0);
    QCOMPARE(window.m_lists.m_stockQuantity[i], 10);
}

void ListChangesTest::parameterTypingIsSavedOnceItPauses()
{
    CParvexDlg window;
    auto* trim = window.findChild<QLineEdit*>("trimEdit");
    trim->selectAll();
    QTest::keyClicks(trim, "12.5");
    // A text that is not a number yet is not taken: the last number stays.
    QTest::keyClicks(trim, "x");
    QTRY_VERIFY(QFile::exists(SettingsFile()));
    InputLists lists;
    SettingsRecord record;
    QVERIFY(LoadSettings(SettingsFile().toStdString(), lists, record));
    QCOMPARE(record.m_trimLength, 12.5);
    QVERIFY(m_prompts.MessageTexts().isEmpty());
}

void ListChangesTest::aKilledProgramRestartsWithItsLists()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString cutFile = folder.filePath("cut.txt");
    QVERIFY(WriteBytes(cutFile, Gbk(u"Q235 2995 15 订单1\r\nZ10 985 20\r\n")));

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {EDIT_AND_WAIT, folder.path(), cutFile});
    QVERIFY(child.waitForStarted());
    QByteArray output;
    while (!output.contains('\n') && child.waitForReadyRead(60000))
        output += child.readAllStandardOutput();
    QCOMPARE(output.trimmed(), QByteArray("READY 2 1"));
    child.kill();  // SIGKILL: no close, no save on the way out
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    g_programFolder = folder.path().toStdString();
    CParvexDlg restarted;
    QCOMPARE(restarted.m_cutTable->GetItemCount(), 2);
    QCOMPARE(RowTexts(restarted.m_cutTable, 0), QStringList({"1", "Q235", "2995", "15", "订单1"}));
    QCOMPARE(RowTexts(restarted.m_cutTable, 1), QStringList({"2", "Z10", "985", "20", ""}));
    QCOMPARE(RowTexts(restarted.m_stockTable, 0), QStringList({"1", "Q235", "9000", "4", ""}));
}

void ListChangesTest::faultyCellStaysRedWhileTheMessageIsOpen()
{
    ModalBoxPrompts prompts;
    const ScopedAppPrompts scoped(&prompts);
    CParvexDlg window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.m_lists.AppendCutRow(u"A", 5000, 1, u"");
    window.m_lists.AppendCutRow(u"A", 6001, 1, u"");
    window.m_lists.AppendStockRow(u"A", 6000, 5, 0);
    window.RefillCutTable();
    window.RefillStockTable();

    // Row 1 is longer than its stock: column 2 (the length) is flagged.
    auto flaggedPixel = [&] {
        const QImage image = window.m_cutTable->viewport()->grab().toImage();
        const QRect cell = window.m_cutTable->CellRect(1, 2);
        return image.pixelColor(cell.left() + 2, cell.center().y());
    };
    QList<QColor> whileOpen;
    bool boxWasActive = false;
    prompts.m_whileOpen = [&] {
        boxWasActive = QApplication::activeModalWidget() != nullptr;
        whileOpen << flaggedPixel();
        QApplication::processEvents();
        whileOpen << flaggedPixel();
    };
    Button(&window, "computeButton")->click();

    QCOMPARE(prompts.MessageTexts(), QStringList({"下料 A：\n\n下料长度 > 原料长度 !"}));
    QVERIFY(boxWasActive);
    QVERIFY(window.grab().save(QString(TREVAK_TEST_OUTPUT_DIR) + "/main-window-faulty-cell.png"));
    QCOMPARE(whileOpen, QList<QColor>({MyListCtrl::FLAGGED_COLOUR, MyListCtrl::FLAGGED_COLOUR}));
    QCOMPARE(flaggedPixel(), MyListCtrl::FLAGGED_COLOUR);  // the box has closed; the red stays

    // The next compute clears it (the row corrected without the window knowing).
    window.m_lists.m_cutLength[1] = 4000;
    prompts.m_whileOpen = nullptr;
    window.ComputePlan();
    QCOMPARE(window.m_cutTable->FlaggedCell(), QPoint(-1, -1));
    QVERIFY(flaggedPixel() != MyListCtrl::FLAGGED_COLOUR);

    // And so does the user's next edit.
    window.m_lists.m_cutLength[1] = 7000;
    window.ComputePlan();
    QCOMPARE(window.m_cutTable->FlaggedCell(), QPoint(2, 1));
    window.m_cutTable->DeselectAll();
    window.m_cutTable->SetRowSelected(0, true);
    emit window.m_cutTable->deletePressed();
    QCOMPARE(window.m_cutTable->FlaggedCell(), QPoint(-1, -1));
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], EDIT_AND_WAIT) == 0)
        return EditAndWait(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    ListChangesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ListChangesTest.moc"
