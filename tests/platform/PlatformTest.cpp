// The platform layer: scripted prompts, file-dialog filters, the message sink,
// the shell openers and the dialog units.

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "automation/SpreadsheetConnection.h"
#include "base/Messages.h"
#include "base/ReportConventions.h"
#include "platform/AppResources.h"
#include "platform/DesktopOpener.h"
#include "platform/DialogUnits.h"
#include "platform/Localisation.h"
#include "platform/Prompts.h"

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void scriptedPromptsRecordEveryMessage();
    void scriptedPromptsAnswerAsEscapeWhenUnscripted();
    void scriptedFileDialogs();
    void scopedPromptsRestoreThePrevious();
    void coreMessagesReachThePrompts();
    void filtersAreConverted();
    void shellReceivesReportsAndWorkbooks();
    void dialogUnitsFollowTheFont();
    void everyCommandHasItsIcons();
    void standardButtonsSpeakChineseAndEnterAnswersYes();
};

void PlatformTest::scriptedPromptsRecordEveryMessage()
{
    ScriptedPrompts prompts;
    ScopedAppPrompts installed(&prompts);

    AppPrompts().Message(QStringLiteral("请输入一个数字。"));
    prompts.SetNextAnswer(PromptAnswer::Yes);
    QVERIFY(AppPrompts().AskYesNo(QStringLiteral("是否替换？")));
    AppPrompts().ShowMessageBox(nullptr, QStringLiteral("该文本为 Unicode 格式 !"), QStringLiteral("文件格式提示"),
                                PromptIcon::None, PromptButtons::Ok);

    QCOMPARE(prompts.MessageTexts(), (QStringList{QStringLiteral("请输入一个数字。"), QStringLiteral("是否替换？"),
                                                  QStringLiteral("该文本为 Unicode 格式 !")}));
    const auto& history = prompts.History();
    QCOMPARE(history.size(), size_t(3));
    QCOMPARE(history[0].caption, PROGRAM_NAME);
    QCOMPARE(history[0].caption, QStringLiteral("Trevak线材下料优化"));
    QCOMPARE(history[0].icon, PromptIcon::Warning);
    QCOMPARE(history[0].buttons, PromptButtons::Ok);
    QCOMPARE(history[1].icon, PromptIcon::Question);
    QCOMPARE(history[1].buttons, PromptButtons::YesNo);
    QCOMPARE(history[1].answer, PromptAnswer::Yes);
    QCOMPARE(history[2].caption, QStringLiteral("文件格式提示"));
    QCOMPARE(history[2].icon, PromptIcon::None);
    QCOMPARE(prompts.PendingAnswers(), 0);
}

void PlatformTest::scriptedPromptsAnswerAsEscapeWhenUnscripted()
{
    ScriptedPrompts prompts;
    QCOMPARE(prompts.ShowMessageBox(nullptr, QStringLiteral("a"), QString(), PromptIcon::None, PromptButtons::Ok),
             PromptAnswer::Ok);
    QCOMPARE(prompts.ShowMessageBox(nullptr, QStringLiteral("b"), QString(), PromptIcon::None, PromptButtons::YesNo),
             PromptAnswer::No);
    QCOMPARE(prompts.ShowMessageBox(nullptr, QStringLiteral("c"), QString(), PromptIcon::None,
                                    PromptButtons::YesNoCancel),
             PromptAnswer::Cancel);
    QVERIFY(!prompts.AskYesNo(QStringLiteral("d")));
    // Scripted answers are used in order.
    prompts.SetNextAnswer(PromptAnswer::Yes);
    prompts.SetNextAnswer(PromptAnswer::No);
    QVERIFY(prompts.AskYesNo(QStringLiteral("e")));
    QVERIFY(!prompts.AskYesNo(QStringLiteral("f")));
    QCOMPARE(prompts.MessageTexts().size(), 6);
    prompts.Clear();
    QVERIFY(prompts.History().empty());
}

void PlatformTest::scriptedFileDialogs()
{
    ScriptedPrompts prompts;
    const QString importFilter = QStringLiteral("下料文件 (*.txt;*.xls;*.xlsx)|*.txt;*.xls;*.xlsx|");
    prompts.SetNextFileName(QStringLiteral("/tmp/cut.txt"));
    QCOMPARE(prompts.OpenFileName(nullptr, importFilter), QStringLiteral("/tmp/cut.txt"));
    // Nothing queued: cancelled.
    QCOMPARE(prompts.SaveFileName(nullptr, QStringLiteral("下料文件 (*.xls)|*.xls|")), QString());
    QCOMPARE(prompts.History().size(), size_t(2));
    QCOMPARE(prompts.History()[0].kind, ScriptedPrompts::Kind::OpenFile);
    QCOMPARE(prompts.History()[0].filter, importFilter);
    QCOMPARE(prompts.History()[1].kind, ScriptedPrompts::Kind::SaveFile);
    QVERIFY(prompts.MessageTexts().isEmpty());
}

void PlatformTest::scopedPromptsRestoreThePrevious()
{
    ScriptedPrompts outer;
    ScriptedPrompts inner;
    {
        ScopedAppPrompts first(&outer);
        {
            ScopedAppPrompts second(&inner);
            QCOMPARE(&AppPrompts(), static_cast<Prompts*>(&inner));
        }
        QCOMPARE(&AppPrompts(), static_cast<Prompts*>(&outer));
    }
    QVERIFY(dynamic_cast<QtPrompts*>(&AppPrompts()) != nullptr);
}

void PlatformTest::coreMessagesReachThePrompts()
{
    ScriptedPrompts prompts;
    ScopedAppPrompts installed(&prompts);
    PromptsMessageSink sink;
    g_messageSink = &sink;
    ShowMessage(u"优化计算中断 !");
    g_messageSink = nullptr;
    ShowMessage(u"dropped");

    QCOMPARE(prompts.MessageTexts(), QStringList{QStringLiteral("优化计算中断 !")});
    QCOMPARE(prompts.History()[0].caption, PROGRAM_NAME);
    QCOMPARE(prompts.History()[0].icon, PromptIcon::Warning);
}

void PlatformTest::filtersAreConverted()
{
    QCOMPARE(ConvertFilter(QStringLiteral("下料文件 (*.txt;*.xls;*.xlsx)|*.txt;*.xls;*.xlsx|")),
             QStringLiteral("下料文件 (*.txt *.xls *.xlsx)"));
    QCOMPARE(ConvertFilter(QStringLiteral("原料文件 (*.xls)|*.xls|原料文件 (*.txt)|*.txt|")),
             QStringLiteral("原料文件 (*.xls);;原料文件 (*.txt)"));
    // A description without its patterns gets them.
    QCOMPARE(ConvertFilter(QStringLiteral("文本|*.txt|")), QStringLiteral("文本 (*.txt)"));
    const std::vector<QStringList> patterns =
        FilterPatterns(QStringLiteral("下料文件 (*.xls)|*.xls|下料文件 (*.txt)|*.txt|"));
    QCOMPARE(patterns.size(), size_t(2));
    QCOMPARE(patterns[0], QStringList{QStringLiteral("*.xls")});
    QCOMPARE(patterns[1], QStringList{QStringLiteral("*.txt")});
}

void PlatformTest::shellReceivesReportsAndWorkbooks()
{
    RecordingOpener shell;
    SetAppShell(&shell);
    QCOMPARE(g_reportOpener, static_cast<ReportOpener*>(&shell));
    QCOMPARE(g_workbookOpener, static_cast<WorkbookOpener*>(&shell));

    OpenInTextEditor("/tmp/Trevak_Temp/QRM20240131154502.txt");
    OpenWithShell("/tmp/Trevak_Temp/QRM20240131154503.doc");
    QVERIFY(g_workbookOpener->OpenWorkbookFile("/tmp/Trevak_Temp/QRM20240131154504.xlsx"));
    AppShell().OpenAddress(QStringLiteral("mailto:someone@example.com"));
    QCOMPARE(shell.m_openedPaths, (QStringList{QStringLiteral("/tmp/Trevak_Temp/QRM20240131154502.txt"),
                                               QStringLiteral("/tmp/Trevak_Temp/QRM20240131154503.doc"),
                                               QStringLiteral("/tmp/Trevak_Temp/QRM20240131154504.xlsx")}));
    QCOMPARE(shell.m_openedAddresses, QStringList{QStringLiteral("mailto:someone@example.com")});

    shell.m_result = false;
    QVERIFY(!g_workbookOpener->OpenWorkbookFile("/tmp/x.xlsx"));

    SetAppShell(nullptr);
    QVERIFY(g_reportOpener == nullptr);
    QVERIFY(g_workbookOpener == nullptr);
    QVERIFY(dynamic_cast<DesktopOpener*>(&AppShell()) != nullptr);
}

void PlatformTest::dialogUnitsFollowTheFont()
{
    QFont font = MakeDialogFont();
    QCOMPARE(font.pointSize(), 9);
    font.setPixelSize(12);
    SetDialogFont(font);
    QCOMPARE(DialogBaseUnitY(), 12);
    // The main window's 479 units high: 479 * 12 / 8 = 718 pixels.
    QCOMPARE(DluToPixelsY(479), 718);
    QCOMPARE(DluToPixelsY(8), 12);
    const int unitX = DialogBaseUnitX();
    QVERIFY(unitX >= 4 && unitX <= 9);
    QCOMPARE(DluToPixelsX(4), unitX);
    QCOMPARE(DluToPixelsX(697), 697 * unitX / 4);
    // Adjacent items stay adjacent.
    const QRect left = DluToPixels(15, 22, 7, 13);
    const QRect right = DluToPixels(22, 22, 7, 13);
    QCOMPARE(left.right() + 1, right.left());
    QCOMPARE(left.top(), DluToPixelsY(22));
    QCOMPARE(left.bottom() + 1, DluToPixelsY(35));

    // A larger font gives larger units.
    font.setPixelSize(24);
    SetDialogFont(font);
    QCOMPARE(DialogBaseUnitY(), 24);
    QVERIFY(DialogBaseUnitX() > unitX);
    SetDialogFont(MakeDialogFont());
}

void PlatformTest::everyCommandHasItsIcons()
{
    const CommandIcon commands[] = {
        CommandIcon::Compute, CommandIcon::Output, CommandIcon::Leftover, CommandIcon::Close, CommandIcon::About,
        CommandIcon::Help,    CommandIcon::Shortcut, CommandIcon::Add,    CommandIcon::Delete, CommandIcon::Merge,
        CommandIcon::Import,  CommandIcon::Export, CommandIcon::Format,   CommandIcon::Ok,    CommandIcon::Cancel,
        CommandIcon::Text,    CommandIcon::Workbook, CommandIcon::Document};
    QStringList seen;
    for (CommandIcon command : commands) {
        const IconPair pair = IconsFor(command);
        QVERIFY(pair.hot != pair.normal);
        QVERIFY2(!seen.contains(pair.normal), qPrintable(pair.normal));
        seen << pair.normal;
        for (const QString& path : {pair.hot, pair.normal}) {
            const QPixmap image = RenderImage(path, QSize(32, 32));
            QVERIFY2(!image.isNull(), qPrintable(path));
            QCOMPARE(image.size(), QSize(32, 32));
        }
    }
    QVERIFY(!RenderImage(APP_ICON, QSize(64, 64)).isNull());
    QVERIFY(RenderImage(QStringLiteral(":/trevak/missing.svg"), QSize(32, 32)).isNull());
    QVERIFY(!AppIcon().isNull());
}

void PlatformTest::standardButtonsSpeakChineseAndEnterAnswersYes()
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm")))
        QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
    QVERIFY(InstallQtTranslations());
    QVERIFY(InstallQtTranslations());  // a second call changes nothing

    // The file dialogs' own texts.
    QCOMPARE(QFileDialog::tr("&Open"), QStringLiteral("打开(&O)"));
    QCOMPARE(QFileDialog::tr("&Save"), QStringLiteral("保存(&S)"));

    // A real question box: Chinese buttons, and Enter gives the first answer,
    // Yes, as the replace question of an import expects; Esc gives No.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        QString yesText, noText;
        bool yesIsDefault = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            yesText = box->button(QMessageBox::Yes)->text();
            noText = box->button(QMessageBox::No)->text();
            yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
            QTest::keyClick(box, Qt::Key(key));
        });
        QtPrompts prompts;
        const PromptAnswer answer = prompts.ShowMessageBox(nullptr, QStringLiteral("是否删除列表内已有下料信息?"),
                                                           QStringLiteral("下料优化"), PromptIcon::Question,
                                                           PromptButtons::YesNo);
        QVERIFY2(yesText.contains(QStringLiteral("是")), qPrintable(yesText));
        QVERIFY2(noText.contains(QStringLiteral("否")), qPrintable(noText));
        QVERIFY(yesIsDefault);
        QCOMPARE(answer, key == Qt::Key_Return ? PromptAnswer::Yes : PromptAnswer::No);
    }
}

QTEST_MAIN(PlatformTest)
#include "PlatformTest.moc"
