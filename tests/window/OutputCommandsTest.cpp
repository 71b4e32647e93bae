// The output commands with their dialogs and the stock update, and the list
// file commands: import, export and the example menu.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "base/Codepage.h"
#include "base/Messages.h"
#include "base/ReportConventions.h"
#include "exchange/SettingsFile.h"
#include "platform/AppFolders.h"
#include "platform/DesktopOpener.h"
#include "platform/DesktopShortcut.h"
#include "platform/Prompts.h"
#include "support/ModalScript.h"
#include "support/TableRows.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/Dlg_About.h"
#include "workbench/window/Dlg_MSG_Out.h"
#include "workbench/window/OutputDialogs.h"

namespace {

Pic_Button* Button(QWidget* parent, const char* name)
{
    auto* button = parent->findChild<Pic_Button*>(name);
    Q_ASSERT(button);
    return button;
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class OutputCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void outputNeedsAResult();
    void planOutputKeepsTheLastFormat();
    void leftoverDialogEnablingAndKeptOptions();
    void leftoverEnterUsesTheLastFormat();
    void stockUpdateWithAndWithoutRemnants();
    void importRefusesUtf16AndAppendsOrReplaces();
    void spreadsheetImportAndExportRoundTrip();
    void failedExportsAreReported();
    void exampleMenuFollowsTheLastTable();
    void shortcutHelpAboutAndDetailView();
    void filesThatNothingOpensAreReported();
    void helpThatIsMissingOrCannotBeOpenedIsReported();
    void aShortcutThatCannotBeMadeIsReported();

private:
    // Cut A: 2750 x 3 and 1375 x 4 on unlimited 3000 (five bars, each leaves
    // 250); cut B: 6000 x 3 of five bars of 6000. Kerf 0.
    void Compute(CParvexDlg& window);
    QString Path(const QString& name) const { return m_folder.filePath(name); }
    // A help document where the program looks for it first.
    void PlaceHelpDocument();

    QTemporaryDir m_folder;
    ScriptedPrompts m_prompts;
    PromptsMessageSink m_sink;
    RecordingOpener m_opener;
};

void OutputCommandsTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    SetAppPrompts(&m_prompts);
    SetAppShell(&m_opener);
    g_messageSink = &m_sink;
}

void OutputCommandsTest::cleanupTestCase()
{
    g_messageSink = nullptr;
    SetAppShell(nullptr);
    SetAppPrompts(nullptr);
}

void OutputCommandsTest::cleanup()
{
    QCOMPARE(DropPendingScripts(), 0);
}

void OutputCommandsTest::init()
{
    m_opener.m_result = true;
    g_programFolder = m_folder.path().toStdString();
    g_documentsFolder = Path("documents").toStdString();
    QFile::remove(QString::fromStdString(SettingsFilePath(g_programFolder)));
    m_prompts.Clear();
    m_opener.m_openedPaths.clear();
    g_job = WireOptimize_Whole();
    g_resultWindow = nullptr;
    g_outputOptions = OutputOptions();
}

void OutputCommandsTest::Compute(CParvexDlg& window)
{
    window.findChild<QLineEdit*>("kerfEdit")->setText("0");
    window.m_lists.AppendCutRow(u"A", 2750, 3, u"");
    window.m_lists.AppendCutRow(u"A", 1375, 4, u"订单1");
    window.m_lists.AppendCutRow(u"B", 6000, 3, u"");
    window.m_lists.AppendStockRow(u"A", 3000, -1, 0);
    window.m_lists.AppendStockRow(u"B", 6000, 5, 0);
    window.RefillCutTable();
    window.RefillStockTable();
    Button(&window, "computeButton")->click();
    QCOMPARE(window.m_resultTable->GetItemCount(), 4);
    m_prompts.Clear();
}

void OutputCommandsTest::PlaceHelpDocument()
{
    const QString help = QString::fromStdString(ConfigFolder()) + QStringLiteral("/QRMHelp.pdf");
    QVERIFY(QDir().mkpath(QString::fromStdString(ConfigFolder())));
    WriteBytes(help, "%PDF-1.4\n");
    QCOMPARE(QString::fromStdString(HelpDocumentPath()), help);
}

void OutputCommandsTest::outputNeedsAResult()
{
    CParvexDlg window;
    Pic_Button* output = Button(&window, "outputButton");
    QVERIFY(!output->isEnabled());
    output->setEnabled(true);
    output->click();
    QCOMPARE(m_prompts.MessageTexts(), QStringList({"请先计算 !"}));
}

void OutputCommandsTest::planOutputKeepsTheLastFormat()
{
    CParvexDlg window;
    Compute(window);
    Pic_Button* output = Button(&window, "outputButton");

    // Cancel writes nothing and keeps the format.
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "cancelButton")->click(); });
    output->click();
    QVERIFY(m_opener.m_openedPaths.isEmpty());
    QCOMPARE(g_outputOptions.lastFormat, int(OUTPUT_DOCUMENT));

    // Enter at the first use gives the Word document, with the marks.
    int initialChoice = -1;
    OnDialog<Dlg_MSG_DOUBLE2>([&](Dlg_MSG_DOUBLE2* dialog) {
        initialChoice = dialog->m_choice;
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    output->click();
    QCOMPARE(initialChoice, int(OUTPUT_DOCUMENT));
    QCOMPARE(m_opener.m_openedPaths.size(), 1);
    QVERIFY(m_opener.m_openedPaths[0].endsWith(".doc"));
    QFile document(m_opener.m_openedPaths[0]);
    QVERIFY(document.open(QIODevice::ReadOnly));
    QVERIFY(document.readAll().contains(QByteArray::fromStdString(Utf16ToCp936(u"订单1"))));

    // Excel, then Enter again: both times the plan workbook.
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "excelButton")->click(); });
    output->click();
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { QTest::keyClick(dialog, Qt::Key_Enter); });
    output->click();
    QCOMPARE(m_opener.m_openedPaths.size(), 3);
    QVERIFY(m_opener.m_openedPaths[1].endsWith(".xlsx"));
    QVERIFY(m_opener.m_openedPaths[2].endsWith(".xlsx"));
    QVERIFY(m_opener.m_openedPaths[1] != m_opener.m_openedPaths[2]);

    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "txtButton")->click(); });
    output->click();
    QCOMPARE(m_opener.m_openedPaths.size(), 4);
    QVERIFY(m_opener.m_openedPaths[3].endsWith(".txt"));
    QCOMPARE(g_outputOptions.lastFormat, int(OUTPUT_TEXT));
    QVERIFY(m_prompts.MessageTexts().isEmpty());

    // A workbook that cannot be saved is reported: the report folder is a file.
    QDir(Path("documents")).removeRecursively();
    WriteBytes(Path("documents"), "x");
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "excelButton")->click(); });
    output->click();
    QCOMPARE(m_prompts.MessageTexts().size(), 1);
    QVERIFY(m_prompts.MessageTexts()[0].startsWith("电子表格无法保存"));
    QFile::remove(Path("documents"));
}

void OutputCommandsTest::leftoverDialogEnablingAndKeptOptions()
{
    CParvexDlg window;
    Compute(window);
    Pic_Button* leftover = Button(&window, "leftoverButton");

    bool editEnabledAfterUntick = true;
    bool preferredEnabledAfterUntick = true;
    bool labelEnabledAfterUntick = true;
    bool editEnabledAfterTick = false;
    OnDialog<Dlg_MSG_DOUBLE>([&](Dlg_MSG_DOUBLE* dialog) {
        QCOMPARE(dialog->m_minimumEdit->text(), QStringLiteral("100"));
        QVERIFY(dialog->m_addCheck->isChecked());
        QVERIFY(dialog->m_preferredCheck->isChecked());
        QVERIFY(dialog->m_minimumEdit->isEnabled());
        dialog->m_addCheck->click();
        editEnabledAfterUntick = dialog->m_minimumEdit->isEnabled();
        preferredEnabledAfterUntick = dialog->m_preferredCheck->isEnabled();
        labelEnabledAfterUntick = dialog->m_minimumLabel->isEnabled();
        dialog->m_addCheck->click();
        editEnabledAfterTick = dialog->m_minimumEdit->isEnabled();
        // A minimum that is not a number keeps the dialog open.
        dialog->m_minimumEdit->setText("abc");
        Button(dialog, "txtButton")->click();
        QVERIFY(dialog->isVisible());
        dialog->m_minimumEdit->setText("250.5");
        dialog->m_preferredCheck->click();
        dialog->m_addCheck->click();
        Button(dialog, "txtButton")->click();
    });
    leftover->click();
    QVERIFY(!editEnabledAfterUntick);
    QVERIFY(!preferredEnabledAfterUntick);
    QVERIFY(!labelEnabledAfterUntick);
    QVERIFY(editEnabledAfterTick);
    QCOMPARE(m_prompts.MessageTexts(), QStringList({"请输入一个数字。"}));
    QCOMPARE(g_outputOptions.minimumLength, 250.5);
    QVERIFY(!g_outputOptions.remnantsPreferred);
    QVERIFY(!g_outputOptions.addRemnants);
    QCOMPARE(g_outputOptions.lastFormat, int(OUTPUT_TEXT));
    QCOMPARE(m_opener.m_openedPaths.size(), 1);

    // The next dialog opens with the kept options, disabled as they were
    // left; cancelling it changes nothing.
    OnDialog<Dlg_MSG_DOUBLE>([&](Dlg_MSG_DOUBLE* dialog) {
        QCOMPARE(dialog->m_minimumEdit->text(), QStringLiteral("250.5"));
        QVERIFY(!dialog->m_addCheck->isChecked());
        QVERIFY(!dialog->m_minimumEdit->isEnabled());
        dialog->m_minimumEdit->setText("7");
        dialog->m_addCheck->click();
        Button(dialog, "cancelButton")->click();
    });
    leftover->click();
    QCOMPARE(g_outputOptions.minimumLength, 250.5);
    QVERIFY(!g_outputOptions.addRemnants);
    QCOMPARE(m_opener.m_openedPaths.size(), 1);
    QCOMPARE(window.m_lists.StockRowCount(), std::size_t(2));
}

void OutputCommandsTest::leftoverEnterUsesTheLastFormat()
{
    CParvexDlg window;
    Compute(window);
    Pic_Button* leftover = Button(&window, "leftoverButton");

    // First use after start: Enter in the edit gives the Word document.
    OnDialog<Dlg_MSG_DOUBLE>([](Dlg_MSG_DOUBLE* dialog) { QTest::keyClick(dialog->m_minimumEdit, Qt::Key_Return); });
    leftover->click();
    QCOMPARE(m_opener.m_openedPaths.size(), 1);
    QVERIFY(m_opener.m_openedPaths[0].endsWith(".doc"));

    // "Excel" chosen once in the plan dialog: Enter now writes the leftover workbook.
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "excelButton")->click(); });
    Button(&window, "outputButton")->click();
    OnDialog<Dlg_MSG_DOUBLE>([](Dlg_MSG_DOUBLE* dialog) { QTest::keyClick(dialog->m_minimumEdit, Qt::Key_Return); });
    leftover->click();
    QCOMPARE(m_opener.m_openedPaths.size(), 3);
    QVERIFY(m_opener.m_openedPaths[2].endsWith(".xlsx"));
    QVERIFY(m_prompts.MessageTexts().isEmpty());
}

void OutputCommandsTest::stockUpdateWithAndWithoutRemnants()
{
    {
        CParvexDlg window;
        Compute(window);
        Pic_Button* leftover = Button(&window, "leftoverButton");

        // Without remnants: the unlimited row stays "∞", B keeps 2 of 5 bars.
        OnDialog<Dlg_MSG_DOUBLE>([](Dlg_MSG_DOUBLE* dialog) {
            dialog->m_addCheck->click();
            Button(dialog, "updateButton")->click();
        });
        leftover->click();
        QCOMPARE(window.m_stockTable->GetItemCount(), 2);
        QCOMPARE(RowTexts(window.m_stockTable, 0), QStringList({"1", "A", "3000", "∞", ""}));
        QCOMPARE(RowTexts(window.m_stockTable, 1), QStringList({"2", "B", "6000", "2", ""}));
        QCOMPARE(g_outputOptions.lastFormat, int(OUTPUT_DOCUMENT));  // not changed by the update
        QCOMPARE(window.m_lists.CutRowCount(), std::size_t(3));
        // The plan was made for the stock before the update: it is out of
        // date, and a second update cannot take its bars off a second time.
        QVERIFY(window.PlanOutOfDate());
        QVERIFY(!leftover->isEnabled());
    }

    // With remnants (the kept option ticked again, a fresh run of the same
    // lists, not those the update saved): the five remnants of 250 join as
    // one preferred row.
    QVERIFY(QFile::remove(QString::fromStdString(SettingsFilePath(g_programFolder))));
    g_job = WireOptimize_Whole();
    CParvexDlg window;
    Compute(window);
    OnDialog<Dlg_MSG_DOUBLE>([](Dlg_MSG_DOUBLE* dialog) {
        dialog->m_addCheck->click();
        Button(dialog, "updateButton")->click();
    });
    Button(&window, "leftoverButton")->click();
    QCOMPARE(window.m_stockTable->GetItemCount(), 3);
    QCOMPARE(RowTexts(window.m_stockTable, 2), QStringList({"3", "A", "250", "5", "√"}));
}

void OutputCommandsTest::importRefusesUtf16AndAppendsOrReplaces()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"old", 100, 1, u"");
    window.RefillCutTable();
    Pic_Button* import = Button(&window, "cutImportButton");

    // A UTF-16 file: its message, nothing asked, nothing changed.
    WriteBytes(Path("utf16.txt"), QByteArray("\xFF\xFE", 2) + QByteArray("A\0 \0001\0", 6));
    m_prompts.SetNextFileName(Path("utf16.txt"));
    import->click();
    QCOMPARE(m_prompts.History().size(), std::size_t(2));
    QCOMPARE(m_prompts.History()[1].caption, QStringLiteral("文件格式提示"));
    QCOMPARE(m_prompts.History()[1].icon, PromptIcon::None);
    QVERIFY(m_prompts.History()[1].text.startsWith("该文本为 Unicode 格式 !"));
    QCOMPARE(window.m_cutTable->GetItemCount(), 1);

    // "No" appends; the bad line is reported with its number; blank lines count.
    const QByteArray lines = QByteArray::fromStdString(Utf16ToCp936(u"Q235\t2995\t15\t订单1\r\n\r\nQ235 abc 2\r\nZ10 985 20\r\n"));
    WriteBytes(Path("cut.txt"), lines);
    m_prompts.Clear();
    m_prompts.SetNextFileName(Path("cut.txt"));
    m_prompts.SetNextAnswer(PromptAnswer::No);
    import->click();
    QCOMPARE(m_prompts.History()[1].text, QStringLiteral("是否删除列表内已有下料信息?"));
    QCOMPARE(m_prompts.History()[1].caption, QStringLiteral("下料优化"));
    QCOMPARE(m_prompts.History()[1].icon, PromptIcon::Question);
    QCOMPARE(m_prompts.MessageTexts().last(), QStringLiteral("以下各行数据格式有误:\n\n第3行: Q235 abc 2\n\n"));
    QCOMPARE(window.m_cutTable->GetItemCount(), 3);
    QCOMPARE(RowTexts(window.m_cutTable, 1), QStringList({"2", "Q235", "2995", "15", "订单1"}));

    // "Yes" replaces.
    m_prompts.Clear();
    m_prompts.SetNextFileName(Path("cut.txt"));
    m_prompts.SetNextAnswer(PromptAnswer::Yes);
    import->click();
    QCOMPARE(window.m_cutTable->GetItemCount(), 2);
    QCOMPARE(RowTexts(window.m_cutTable, 1), QStringList({"2", "Z10", "985", "20", ""}));

    // Cancelled file dialog: nothing.
    m_prompts.Clear();
    import->click();
    QCOMPARE(m_prompts.History().size(), std::size_t(1));
    QCOMPARE(window.m_cutTable->GetItemCount(), 2);
}

void OutputCommandsTest::spreadsheetImportAndExportRoundTrip()
{
    CParvexDlg window;
    window.m_lists.AppendStockRow(u"Type_1", 6000, -1, 1);
    window.m_lists.AppendStockRow(u"Type_2", 12000, 30, 0);
    window.RefillStockTable();

    m_prompts.SetNextFileName(Path("stock.xls"));
    Button(&window, "stockExportButton")->click();
    QVERIFY(QFile::exists(Path("stock.xls")));
    m_prompts.SetNextFileName(Path("stock.txt"));
    Button(&window, "stockExportButton")->click();
    QVERIFY(QFile::exists(Path("stock.txt")));
    QCOMPARE(m_prompts.History()[0].filter, QStringLiteral("原料文件 (*.xls)|*.xls|原料文件 (*.txt)|*.txt|"));

    // Both files read back after "Yes": the same two rows each time.
    for (const char* name : {"stock.xls", "stock.txt"}) {
        m_prompts.Clear();
        m_prompts.SetNextFileName(Path(name));
        m_prompts.SetNextAnswer(PromptAnswer::Yes);
        Button(&window, "stockImportButton")->click();
        QCOMPARE(m_prompts.History()[0].filter, QStringLiteral("原料文件 (*.txt;*.xls;*.xlsx)|*.txt;*.xls;*.xlsx|"));
        QCOMPARE(m_prompts.MessageTexts(), QStringList({"是否删除列表内已有原料信息?"}));
        QCOMPARE(window.m_stockTable->GetItemCount(), 2);
        QCOMPARE(RowTexts(window.m_stockTable, 0), QStringList({"1", "Type_1", "6000", "∞", "√"}));
        QCOMPARE(RowTexts(window.m_stockTable, 1), QStringList({"2", "Type_2", "12000", "30", ""}));
    }

    // A damaged workbook or a missing text file after "Yes": the error, and
    // the rows already in the list stay.
    WriteBytes(Path("broken.xlsx"), "PK\x03\x04 not a workbook");
    m_prompts.Clear();
    m_prompts.SetNextFileName(Path("broken.xlsx"));
    m_prompts.SetNextAnswer(PromptAnswer::Yes);
    Button(&window, "stockImportButton")->click();
    QCOMPARE(m_prompts.MessageTexts().size(), 2);
    QVERIFY(m_prompts.MessageTexts()[1].contains("broken.xlsx"));
    QCOMPARE(window.m_lists.StockRowCount(), std::size_t(2));
    QCOMPARE(window.m_stockTable->GetItemCount(), 2);

    m_prompts.Clear();
    m_prompts.SetNextFileName(Path("missing.txt"));
    Button(&window, "stockImportButton")->click();
    QCOMPARE(m_prompts.MessageTexts(), QStringList({QStringLiteral("文件 %1 无法打开 !").arg(Path("missing.txt"))}));
    QCOMPARE(window.m_stockTable->GetItemCount(), 2);
}

void OutputCommandsTest::failedExportsAreReported()
{
    CParvexDlg window;
    window.m_lists.AppendCutRow(u"A", 100, 1, u"");
    const QString missing = Path("no-such-folder/cut.txt");
    m_prompts.SetNextFileName(missing);
    Button(&window, "cutExportButton")->click();
    QCOMPARE(m_prompts.MessageTexts(),
             QStringList({QStringLiteral("文件 < %1 > 写入有误，请检查文件是否被锁定或被打开状态 ！").arg(missing)}));

    m_prompts.Clear();
    m_prompts.SetNextFileName(Path("no-such-folder/cut.xls"));
    Button(&window, "cutExportButton")->click();
    QCOMPARE(m_prompts.MessageTexts().size(), 1);
    QVERIFY(m_prompts.MessageTexts()[0].contains("cut.xls"));
}

void OutputCommandsTest::exampleMenuFollowsTheLastTable()
{
    CParvexDlg window;
    const QString example = QString::fromStdString(ConfigFolder()) + QStringLiteral("/示例.txt");

    OnPopupMenu([](QMenu* menu) {
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions()[0]->text(), QStringLiteral("TXT 格式"));
        menu->actions()[0]->trigger();
    });
    Button(&window, "stockFormatButton")->click();
    QCOMPARE(m_opener.m_openedPaths, QStringList({example}));

    // The example reads back into the stock list as four rows.
    m_prompts.SetNextFileName(example);
    Button(&window, "stockImportButton")->click();
    QCOMPARE(window.m_stockTable->GetItemCount(), 4);
    QCOMPARE(RowTexts(window.m_stockTable, 0), QStringList({"1", "Type_1", "6000", "∞", "√"}));
    QCOMPARE(RowTexts(window.m_stockTable, 3), QStringList({"4", "Type_3", "9000", "25", ""}));

    // Under the cut table the workbook example is of the cut list; saved and
    // imported it gives the 15 example rows.
    OnPopupMenu([](QMenu* menu) { menu->actions()[1]->trigger(); });
    Button(&window, "cutFormatButton")->click();
    QCOMPARE(m_opener.m_openedPaths.size(), 2);
    QVERIFY(m_opener.m_openedPaths[1].endsWith(".xlsx"));
    m_prompts.SetNextFileName(m_opener.m_openedPaths[1]);
    Button(&window, "cutImportButton")->click();
    QCOMPARE(window.m_cutTable->GetItemCount(), 15);
    QCOMPARE(RowTexts(window.m_cutTable, 0), QStringList({"1", "Type_1", "2995", "15", "订单1"}));
    QVERIFY(m_prompts.MessageTexts().isEmpty());
}

void OutputCommandsTest::shortcutHelpAboutAndDetailView()
{
    // A desktop of our own: the shortcut is looked for and made there.
    const QByteArray home = qgetenv("HOME");
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", Path("home").toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    QDir().mkpath(Path("home/Desktop"));
    g_programPath = Path("bin/trevak").toStdString();
    {
        CParvexDlg window;
        Pic_Button* shortcut = Button(&window, "shortcutButton");
        QVERIFY(!shortcut->isHidden());
        shortcut->click();
        QVERIFY(shortcut->isHidden());
        QVERIFY(QFile::exists(Path("home/Desktop/") + QString::fromUtf8(DESKTOP_SHORTCUT_NAME)));
    }
    {
        CParvexDlg window;
        QVERIFY(Button(&window, "shortcutButton")->isHidden());
    }
    qputenv("HOME", home);
    if (!configHome.isEmpty())
        qputenv("XDG_CONFIG_HOME", configHome);

    CParvexDlg window;
    PlaceHelpDocument();
    Button(&window, "helpButton")->click();
    QCOMPARE(m_opener.m_openedPaths, QStringList({QString::fromStdString(HelpDocumentPath())}));
    QVERIFY(m_opener.m_openedPaths[0].endsWith("/Config/QRMHelp.pdf"));
    QVERIFY(m_prompts.MessageTexts().isEmpty());

    bool aboutShown = false;
    OnDialog<Dlg_About>([&](Dlg_About* dialog) {
        aboutShown = dialog->windowTitle() == QStringLiteral("关于Trevak...");
        dialog->accept();
    });
    Button(&window, "aboutButton")->click();
    QVERIFY(aboutShown);

    // Double click on a result row: the pattern counted over all groups; the
    // totals row opens nothing.
    Compute(window);
    const WireCombine* shown = nullptr;
    OnDialog<Dlg_MSG_Out>([&](Dlg_MSG_Out* dialog) { shown = &dialog->m_pattern; });
    window.m_resultTable->SetRowSelected(2, true);
    emit window.m_resultTable->itemDoubleClicked(2, 0);
    QCOMPARE(shown, &g_job.m_groups[1].m_patterns[0]);

    window.m_resultTable->DeselectAll();
    window.m_resultTable->SetRowSelected(3, true);
    // A dialog opened by the double click would still be open when the
    // guard fires inside its modal loop.
    ModalGuard guard(50);
    emit window.m_resultTable->itemDoubleClicked(3, 0);
    QTest::qWait(100);
    QVERIFY(!guard.Forced());
}


void OutputCommandsTest::filesThatNothingOpensAreReported()
{
    // No program on the desktop opens anything: every file written for the
    // user is named in one message of the same form, and still written.
    m_opener.m_result = false;
    CParvexDlg window;
    Compute(window);
    const struct {
        const char* button;
        const char* extension;
    } formats[] = {{"txtButton", ".txt"}, {"wordButton", ".doc"}, {"excelButton", ".xlsx"}};
    for (const auto& format : formats) {
        m_prompts.Clear();
        m_opener.m_openedPaths.clear();
        const char* name = format.button;
        OnDialog<Dlg_MSG_DOUBLE2>([name](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, name)->click(); });
        Button(&window, "outputButton")->click();
        QCOMPARE(m_opener.m_openedPaths.size(), 1);
        const QString path = m_opener.m_openedPaths[0];
        QVERIFY2(path.endsWith(QLatin1String(format.extension)), qPrintable(path));
        QVERIFY(QFile::exists(path));
        QCOMPARE(m_prompts.MessageTexts(),
                 QStringList({QStringLiteral("文件已保存为 %1 ，\n\n但没有找到可以打开它的程序 !").arg(path)}));
    }

    // The text example of the format menu, and the workbook example.
    for (int item = 0; item < 2; ++item) {
        m_prompts.Clear();
        m_opener.m_openedPaths.clear();
        OnPopupMenu([item](QMenu* menu) { menu->actions()[item]->trigger(); });
        Button(&window, "cutFormatButton")->click();
        QCOMPARE(m_opener.m_openedPaths.size(), 1);
        QVERIFY(QFile::exists(m_opener.m_openedPaths[0]));
        QCOMPARE(m_prompts.MessageTexts(), QStringList({NotOpenedMessage(m_opener.m_openedPaths[0])}));
    }

    // When a program opens them, nothing is said.
    m_opener.m_result = true;
    m_prompts.Clear();
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "txtButton")->click(); });
    Button(&window, "outputButton")->click();
    QVERIFY(m_prompts.MessageTexts().isEmpty());
}

void OutputCommandsTest::helpThatIsMissingOrCannotBeOpenedIsReported()
{
    // The test's own program folder and executable folder hold no help
    // document.
    const std::string executableFolder = g_executableFolder;
    g_executableFolder = Path("bin").toStdString();
    QFile::remove(QString::fromStdString(ConfigFolder()) + QStringLiteral("/QRMHelp.pdf"));
    CParvexDlg window;
    const QString help = QString::fromStdString(HelpDocumentPath());
    QVERIFY(!QFile::exists(help));
    Button(&window, "helpButton")->click();
    QVERIFY(m_opener.m_openedPaths.isEmpty());
    QCOMPARE(m_prompts.MessageTexts(), QStringList({QStringLiteral("没有找到帮助文档 %1 !").arg(help)}));

    // There, but nothing opens it.
    m_prompts.Clear();
    PlaceHelpDocument();
    m_opener.m_result = false;
    Button(&window, "helpButton")->click();
    m_opener.m_result = true;
    g_executableFolder = executableFolder;
    const QString placed = QString::fromStdString(ConfigFolder()) + QStringLiteral("/QRMHelp.pdf");
    QCOMPARE(m_opener.m_openedPaths, QStringList({placed}));
    QCOMPARE(m_prompts.MessageTexts(),
             QStringList({QStringLiteral("帮助文档为 %1 ，\n\n但没有找到可以打开它的程序 !").arg(placed)}));
}

void OutputCommandsTest::aShortcutThatCannotBeMadeIsReported()
{
    // The desktop the desktop names lies inside a plain file: it cannot be
    // made, and the user is told where it should have been.
    const QByteArray home = qgetenv("HOME");
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", Path("home2").toUtf8());
    qputenv("XDG_CONFIG_HOME", Path("home2/.config").toUtf8());
    QDir().mkpath(Path("home2/.config"));
    WriteBytes(Path("home2/plain"), "x");
    WriteBytes(Path("home2/.config/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/plain/Desktop\"\n");
    g_programPath = Path("bin/trevak").toStdString();
    {
        CParvexDlg window;
        Pic_Button* shortcut = Button(&window, "shortcutButton");
        QVERIFY(!shortcut->isHidden());
        shortcut->click();
        // Still offered, so that the user can try again.
        QVERIFY(!shortcut->isHidden());
        QCOMPARE(m_prompts.MessageTexts(), QStringList({QStringLiteral("无法在桌面文件夹 %1 中建立快捷图标 !")
                                                            .arg(Path("home2/plain/Desktop"))}));
    }
    qputenv("HOME", home);
    if (configHome.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configHome);
}

QTEST_MAIN(OutputCommandsTest)
#include "OutputCommandsTest.moc"
