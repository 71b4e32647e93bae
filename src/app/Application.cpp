#include "app/Application.h"

#include <QApplication>
#include <QIcon>

#include "base/Messages.h"
#include "platform/AppFolders.h"
#include "platform/AppResources.h"
#include "platform/DesktopOpener.h"
#include "platform/DialogUnits.h"
#include "platform/Localisation.h"
#include "platform/ProgramVersion.h"
#include "platform/Prompts.h"
#include "workbench/window/CParvexDlg.h"

int RunApplication(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevak"));
    QApplication::setApplicationVersion(ProgramVersionText());

    InstallQtTranslations();
    InstallProgramStyle();
    InitAppResources();
    QApplication::setWindowIcon(AppIcon());

    const QFont font = MakeDialogFont();
    SetDialogFont(font);
    QApplication::setFont(font);

    SetUpFolders();

    QtPrompts prompts;
    SetAppPrompts(&prompts);
    DesktopOpener shell;
    SetAppShell(&shell);
    PromptsMessageSink sink;
    g_messageSink = &sink;

    {
        CParvexDlg window;
        window.exec();
    }

    g_messageSink = nullptr;
    SetAppShell(nullptr);
    SetAppPrompts(nullptr);
    return 0;
}
