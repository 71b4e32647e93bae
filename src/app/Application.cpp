#include "app/Application.h"

#include <QApplication>
#include <QIcon>

#include "app/AppFolders.h"
#include "app/AppResources.h"
#include "app/DesktopOpener.h"
#include "app/DialogUnits.h"
#include "app/Localisation.h"
#include "app/ProgramVersion.h"
#include "app/Prompts.h"
#include "base/Messages.h"
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
