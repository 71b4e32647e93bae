// The exact optimiser in the window: the choice "精确" beside the speed track
// bar, computing with it, the bound line under the result table, and the
// choice kept over a restart.

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "base/Messages.h"
#include "engine/ResultText.h"
#include "exchange/ExampleLists.h"
#include "exchange/SettingsFile.h"
#include "platform/AppFolders.h"
#include "platform/Prompts.h"
#include "support/ModalScript.h"
#include "support/PlanJob.h"
#include "support/TableRows.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"

class ExactLevelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void exactLevelReachesTheBoundAndSaysItIsOptimal();
    void speedLevelShowsHowMuchMoreThanTheBound();
    void choiceIsKeptAfterARestart();

private:
    QString ChoiceFile() const
    {
        return QFileInfo(QString::fromStdString(SettingsFilePath(g_programFolder))).dir().filePath("QRMExact.txt");
    }

    QTemporaryDir m_folder;
    ScriptedPrompts m_prompts;
    PromptsMessageSink m_sink;
};

void ExactLevelTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    SetAppPrompts(&m_prompts);
    g_messageSink = &m_sink;
}

void ExactLevelTest::init()
{
    g_programFolder = m_folder.path().toStdString();
    QFile::remove(QString::fromStdString(SettingsFilePath(g_programFolder)));
    QFile::remove(ChoiceFile());
    m_prompts.Clear();
    g_job = WireOptimize_Whole();
    g_resultWindow = nullptr;
}

void ExactLevelTest::cleanup()
{
    g_resultWindow = nullptr;
    QCOMPARE(DropPendingScripts(), 0);
}

void ExactLevelTest::exactLevelReachesTheBoundAndSaysItIsOptimal()
{
    CParvexDlg window;
    window.show();
    QVERIFY(window.findChild<QLabel*>("boundLabel")->text().isEmpty());
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    // 900 + 600 + 500 fill a bar of 2000 exactly; so do 800 + 700 + 500 and
    // 900 + 600 + 500 again: three full bars, no plan can use fewer.
    window.m_lists.AppendCutRow(u"A", 900, 2, u"");
    window.m_lists.AppendCutRow(u"A", 800, 1, u"");
    window.m_lists.AppendCutRow(u"A", 700, 1, u"");
    window.m_lists.AppendCutRow(u"A", 600, 2, u"");
    window.m_lists.AppendCutRow(u"A", 500, 3, u"");
    window.m_lists.AppendStockRow(u"A", 2000, -1, 0);
    window.RefillCutTable();
    window.RefillStockTable();

    auto* exact = window.findChild<QCheckBox*>("exactCheck");
    QVERIFY(exact);
    QCOMPARE(exact->text(), QStringLiteral("精确"));
    QTest::mouseClick(exact, Qt::LeftButton);
    QVERIFY(exact->isChecked());
    QVERIFY(!window.findChild<QSlider*>("speedSlider")->isEnabled());

    window.findChild<Pic_Button*>("computeButton")->click();

    QVERIFY(g_job.m_exactPlan);
    QCOMPARE(g_job.m_totalBars, int64_t(3));
    QVERIFY(g_job.m_optimal);
    QCOMPARE(window.findChild<QLabel*>("boundLabel")->text(), QStringLiteral("理论最少用料 6000（3 根），本方案已证明最优"));
    // The totals row and the usual completion message, as after any run.
    const int rows = window.m_resultTable->GetItemCount();
    QCOMPARE(RowTexts(window.m_resultTable, rows - 1).value(4), QStringLiteral("3"));
    const QStringList messages = m_prompts.MessageTexts();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith(QStringLiteral("下料优化完成")), qPrintable(messages[0]));
    QVERIFY(window.findChild<Pic_Button*>("outputButton")->isEnabled());
    // Every control is back as it was, the track bar still set aside.
    QVERIFY(exact->isEnabled());
    QVERIFY(!window.findChild<QSlider*>("speedSlider")->isEnabled());
}

void ExactLevelTest::speedLevelShowsHowMuchMoreThanTheBound()
{
    CParvexDlg window;
    window.show();
    window.m_lists = ExampleJobLists();
    window.RefillCutTable();
    window.RefillStockTable();
    window.findChild<QSlider*>("speedSlider")->setValue(1);
    window.findChild<Pic_Button*>("computeButton")->click();
    QVERIFY(!g_job.m_exactPlan);
    QVERIFY(g_job.m_lowerBound > 0);
    QVERIFY(g_job.m_lowerBound <= g_job.m_totalLength);
    // The example's first specification has two stock lengths: no bars in the line.
    const QString text = window.findChild<QLabel*>("boundLabel")->text();
    const double more = (g_job.m_totalLength - g_job.m_lowerBound) / g_job.m_lowerBound * 100;
    QCOMPARE(text, QStringLiteral("理论最少用料 %1，本方案多用 %2%")
                       .arg(g_job.m_lowerBound, 0, 'f', 0)
                       .arg(more, 0, 'f', 1));
    // Sorting the table keeps the line.
    window.SortResultTable(5);
    QCOMPARE(window.findChild<QLabel*>("boundLabel")->text(), text);
}

void ExactLevelTest::choiceIsKeptAfterARestart()
{
    {
        CParvexDlg window;
        QVERIFY(!window.findChild<QCheckBox*>("exactCheck")->isChecked());
        window.findChild<QCheckBox*>("exactCheck")->setChecked(true);
    }
    QVERIFY(QFile::exists(ChoiceFile()));
    {
        CParvexDlg window;
        QVERIFY(window.findChild<QCheckBox*>("exactCheck")->isChecked());
        QVERIFY(!window.findChild<QSlider*>("speedSlider")->isEnabled());
        window.findChild<QCheckBox*>("exactCheck")->setChecked(false);
    }
    CParvexDlg window;
    QVERIFY(!window.findChild<QCheckBox*>("exactCheck")->isChecked());
    QVERIFY(window.findChild<QSlider*>("speedSlider")->isEnabled());
    // The settings file itself is untouched by the choice.
    QVERIFY(!QFile::exists(QString::fromStdString(SettingsFilePath(g_programFolder))));
}

QTEST_MAIN(ExactLevelTest)
#include "ExactLevelTest.moc"
