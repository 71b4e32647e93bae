// The cutting sheet in the window: the PDF and 打印 choices of "结果输出",
// Ctrl+P, and the same sheet as the command line writes.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "base/Messages.h"
#include "base/ReportConventions.h"
#include "exchange/SettingsFile.h"
#include "platform/AppFolders.h"
#include "platform/AppResources.h"
#include "platform/DesktopOpener.h"
#include "platform/DialogUnits.h"
#include "platform/Prompts.h"
#include "support/ModalScript.h"
#include "support/PdfTools.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/OutputDialogs.h"

namespace {

Pic_Button* Button(QWidget* parent, const char* name)
{
    auto* button = parent->findChild<Pic_Button*>(name);
    Q_ASSERT(button);
    return button;
}

QString Text(const QString& pdf) { return QString::fromStdString(PdfText(pdf.toStdString())); }

// The sheet's text without the time it was made.
QString WithoutTimes(QString text)
{
    static const QRegularExpression time(QStringLiteral("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}"));
    return text.replace(time, QStringLiteral("(time)"));
}

}  // namespace

class CuttingSheetCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void outputDialogOffersPdfAndPrint();
    void pdfChoiceWritesTheSheetTheCommandLineWrites();
    void printGoesThroughThePrintDialog();
    void ctrlPPrintsOnlyWithAPlan();

private:
    // Cut A: 2750 x 3 and 1375 x 4 (mark 订单1) on unlimited 3000; cut B:
    // 6000 x 3 of five bars of 6000. Kerf 0.
    void Compute(CParvexDlg& window);
    QString Path(const QString& name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
    ScriptedPrompts m_prompts;
    PromptsMessageSink m_sink;
    RecordingOpener m_opener;
};

void CuttingSheetCommandsTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    SetAppPrompts(&m_prompts);
    SetAppShell(&m_opener);
    g_messageSink = &m_sink;
}

void CuttingSheetCommandsTest::cleanupTestCase()
{
    g_messageSink = nullptr;
    SetAppShell(nullptr);
    SetAppPrompts(nullptr);
}

void CuttingSheetCommandsTest::init()
{
    g_programFolder = m_folder.path().toStdString();
    g_documentsFolder = Path("documents").toStdString();
    QFile::remove(QString::fromStdString(SettingsFilePath(g_programFolder)));
    m_prompts.Clear();
    m_opener.m_openedPaths.clear();
    g_job = WireOptimize_Whole();
    g_resultWindow = nullptr;
    g_outputOptions = OutputOptions();
}

void CuttingSheetCommandsTest::cleanup() { QCOMPARE(DropPendingScripts(), 0); }

void CuttingSheetCommandsTest::Compute(CParvexDlg& window)
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

void CuttingSheetCommandsTest::outputDialogOffersPdfAndPrint()
{
    Dlg_MSG_DOUBLE2 dialog(nullptr);
    // Grown by one row of buttons for the two new choices.
    QCOMPARE(dialog.size(), DluToPixels(0, 0, 131, 69).size());
    Pic_Button* pdf = Button(&dialog, "pdfButton");
    Pic_Button* print = Button(&dialog, "printButton");
    QCOMPARE(pdf->text(), QStringLiteral("PDF"));
    QCOMPARE(print->text(), QStringLiteral("打印"));
    for (const char* name : {"txtButton", "excelButton", "wordButton", "pdfButton", "printButton", "cancelButton"}) {
        const QRect geometry = Button(&dialog, name)->geometry();
        QVERIFY2(dialog.rect().contains(geometry), name);
        for (const char* other :
             {"txtButton", "excelButton", "wordButton", "pdfButton", "printButton", "cancelButton"}) {
            if (qstrcmp(name, other) != 0) QVERIFY2(!geometry.intersects(Button(&dialog, other)->geometry()), name);
        }
    }
    // Both have icons of their own in the resource file.
    for (CommandIcon icon : {CommandIcon::Pdf, CommandIcon::Print}) {
        const IconPair pair = IconsFor(icon);
        QVERIFY(!RenderImage(pair.normal, QSize(32, 32)).isNull());
        QVERIFY(!RenderImage(pair.hot, QSize(32, 32)).isNull());
    }
    QVERIFY(IconsFor(CommandIcon::Pdf).normal != IconsFor(CommandIcon::Document).normal);
}

void CuttingSheetCommandsTest::pdfChoiceWritesTheSheetTheCommandLineWrites()
{
    CParvexDlg window;
    Compute(window);
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "pdfButton")->click(); });
    Button(&window, "outputButton")->click();
    QCOMPARE(m_opener.m_openedPaths.size(), 1);
    const QString sheet = m_opener.m_openedPaths[0];
    QVERIFY(sheet.endsWith(".pdf"));
    QVERIFY(sheet.startsWith(QString::fromStdString(ReportFolder())));
    QCOMPARE(g_outputOptions.lastFormat, int(OUTPUT_PDF));
    QVERIFY(m_prompts.MessageTexts().isEmpty());
    const QString text = Text(sheet);
    QVERIFY(text.contains(QStringLiteral("规格 A")));
    QVERIFY(text.contains(QStringLiteral("订单1")));

    // The command line with the window's lists and parameters writes the
    // same sheet, but for the time it was made.
    QVERIFY(window.SaveSettings());
    const QString cli = Path("cli.pdf");
    const std::string command = std::string(TREVAK_CLI_PATH) + " plan --settings " +
                                Quoted(SettingsFilePath(g_programFolder)) + " --report pdf --out " +
                                Quoted(cli.toStdString()) + " > /dev/null 2>&1";
    QCOMPARE(std::system(command.c_str()), 0);
    QCOMPARE(WithoutTimes(Text(cli)), WithoutTimes(text));
    QCOMPARE(PdfPageCount(cli.toStdString()), PdfPageCount(sheet.toStdString()));

    // Enter in "剩料输出" after the sheet gives the Word leftover report.
    int initialChoice = -1;
    OnDialog<Dlg_MSG_DOUBLE>([&](Dlg_MSG_DOUBLE* dialog) {
        initialChoice = dialog->m_choice;
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    Button(&window, "leftoverButton")->click();
    QCOMPARE(initialChoice, int(OUTPUT_DOCUMENT));
    QCOMPARE(m_opener.m_openedPaths.size(), 2);
    QVERIFY(m_opener.m_openedPaths[1].endsWith(".doc"));
}

void CuttingSheetCommandsTest::printGoesThroughThePrintDialog()
{
    CParvexDlg window;
    Compute(window);
    // Cancelled: nothing printed, nothing said.
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "printButton")->click(); });
    Button(&window, "outputButton")->click();
    QCOMPARE(m_prompts.History().size(), size_t(1));
    QVERIFY(m_prompts.History()[0].kind == ScriptedPrompts::Kind::Print);

    // Printed (to a PDF file standing in for the printer): the same pages
    // and text as the PDF choice.
    const QString printed = Path("printed.pdf");
    m_prompts.SetNextPrintFile(printed);
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "printButton")->click(); });
    Button(&window, "outputButton")->click();
    QVERIFY(QFile::exists(printed));
    QCOMPARE(g_outputOptions.lastFormat, int(OUTPUT_PRINT));
    OnDialog<Dlg_MSG_DOUBLE2>([](Dlg_MSG_DOUBLE2* dialog) { Button(dialog, "pdfButton")->click(); });
    Button(&window, "outputButton")->click();
    QCOMPARE(m_opener.m_openedPaths.size(), 1);
    const QString sheet = m_opener.m_openedPaths[0];
    QCOMPARE(WithoutTimes(Text(printed)), WithoutTimes(Text(sheet)));
    QCOMPARE(PdfPageCount(printed.toStdString()), PdfPageCount(sheet.toStdString()));
    QVERIFY(m_prompts.MessageTexts().isEmpty());
}

void CuttingSheetCommandsTest::ctrlPPrintsOnlyWithAPlan()
{
    CParvexDlg window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    QVERIFY(m_prompts.History().empty());

    Compute(window);
    const QString printed = Path("ctrl-p.pdf");
    m_prompts.SetNextPrintFile(printed);
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m_prompts.History().size(), size_t(1));
    QVERIFY(m_prompts.History()[0].kind == ScriptedPrompts::Kind::Print);
    QVERIFY(Text(printed).contains(QStringLiteral("下料切割单")));
}

QTEST_MAIN(CuttingSheetCommandsTest)
#include "CuttingSheetCommandsTest.moc"
