// Shell integration: the desktop shortcut in a temporary desktop folder and
// the about window with its links.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/AppFolders.h"
#include "platform/AppResources.h"
#include "platform/DesktopOpener.h"
#include "platform/DesktopShortcut.h"
#include "platform/DialogUnits.h"
#include "support/ModalScript.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/Dlg_About.h"

namespace {

const std::string PROGRAM_PATH = "/opt/Trevak/bin/trevak";
const std::string PROGRAM_FOLDER = "/opt/Trevak/bin";

void WriteText(const QString& path, const QString& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

int CountPixels(const QImage& image, const QRect& area, bool (*test)(const QColor&))
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

// Blue text on the green background: blue clearly above red and green.
bool IsBlueInk(const QColor& c)
{
    return c.blue() > c.red() + 60 && c.blue() > c.green() + 30;
}

bool IsBlackInk(const QColor& c)
{
    return c.red() < 80 && c.green() < 80 && c.blue() < 80;
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void createdShortcutIsFoundAgain();
    void anyDesktopEntryStartingTheProgramCounts();
    void pathsWithBlanksAndQuotesRoundTrip();
    void shortcutToAnotherProgramIsReplaced();
    void missingDesktopFolderHasNoShortcut();
    void desktopFolderIsTheOneTheDesktopNames();
    void buttonMakesAMissingDesktopFolder();
    void aDesktopThatCannotBeMadeIsAFailure();

    void aboutShowsVersionOnItsBackground();
    void linksOpenThroughTheShell();
    void pointerShowsTheHandOverLinks();
    void closeButtonEndsTheAboutWindow();
};

void ShellTest::createdShortcutIsFoundAgain()
{
    QTemporaryDir desktop;
    QVERIFY(desktop.isValid());
    const std::string folder = desktop.path().toStdString();
    QVERIFY(!DesktopShortcutExists(folder, PROGRAM_PATH));

    CreateDesktopShortcut(folder, PROGRAM_PATH, PROGRAM_FOLDER);
    const QString path = desktop.filePath(QString::fromUtf8(DESKTOP_SHORTCUT_NAME));
    QVERIFY(QFileInfo(path).isFile());
    QVERIFY(QFileInfo(path).isExecutable());
    const QStringList lines = ReadText(path).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
    for (const char* line : {"Type=Application", "Name=Trevak线材下料优化(64位)", "Exec=/opt/Trevak/bin/trevak",
                             "Path=/opt/Trevak/bin", "Terminal=false"})
        QVERIFY2(lines.contains(QString::fromUtf8(line)), line);

    QVERIFY(DesktopShortcutExists(folder, PROGRAM_PATH));
    QVERIFY(DesktopShortcutExists(folder, "/OPT/trevak/BIN/Trevak"));
    QVERIFY(!DesktopShortcutExists(folder, "/opt/Trevak/bin/trevak-cli"));

    // A second call finds the shortcut and leaves it alone.
    QVERIFY(QFile::remove(path));
    WriteText(desktop.filePath(QStringLiteral("mine.desktop")),
              QStringLiteral("[Desktop Entry]\nExec=/opt/Trevak/bin/trevak\n"));
    CreateDesktopShortcut(folder, PROGRAM_PATH, PROGRAM_FOLDER);
    QVERIFY(!QFileInfo::exists(path));
}

void ShellTest::anyDesktopEntryStartingTheProgramCounts()
{
    QTemporaryDir desktop;
    QVERIFY(desktop.isValid());
    const std::string folder = desktop.path().toStdString();

    // Entries that do not start the program from their [Desktop Entry] group,
    // or are not desktop entries at all.
    WriteText(desktop.filePath(QStringLiteral("notes.txt")),
              QStringLiteral("[Desktop Entry]\nExec=/opt/Trevak/bin/trevak\n"));
    WriteText(desktop.filePath(QStringLiteral("action.desktop")),
              QStringLiteral("[Desktop Entry]\nName=x\n[Desktop Action new]\nExec=/opt/Trevak/bin/trevak\n"));
    WriteText(desktop.filePath(QStringLiteral("argument.desktop")),
              QStringLiteral("[Desktop Entry]\nExec=/usr/bin/env /opt/Trevak/bin/trevak\n"));
    QVERIFY(QDir(desktop.path()).mkdir(QStringLiteral("folder.desktop")));
    QVERIFY(!DesktopShortcutExists(folder, PROGRAM_PATH));

    // Extension in capitals, target quoted and in another letter case, with a
    // field code after it and blanks around "=".
    WriteText(desktop.filePath(QStringLiteral("Trevak.DESKTOP")),
              QStringLiteral("# launcher\n[Desktop Entry]\r\nType=Application\r\nExec = \"/OPT/TREVAK/bin/Trevak\" %F\r\n"));
    QVERIFY(DesktopShortcutExists(folder, PROGRAM_PATH));
}

void ShellTest::pathsWithBlanksAndQuotesRoundTrip()
{
    QTemporaryDir desktop;
    QVERIFY(desktop.isValid());
    const std::string folder = desktop.path().toStdString();
    const std::string program = "/home/user/My Apps/trevak \"64\" 100%";

    CreateDesktopShortcut(folder, program, "/home/user/My Apps");
    const QString text = ReadText(desktop.filePath(QString::fromUtf8(DESKTOP_SHORTCUT_NAME)));
    QVERIFY2(text.contains(QStringLiteral("Exec=\"/home/user/My Apps/trevak \\\\\"64\\\\\" 100%%\"\n")),
             qPrintable(text));
    QVERIFY(DesktopShortcutExists(folder, program));
    QVERIFY(!DesktopShortcutExists(folder, "/home/user/My"));
}

void ShellTest::shortcutToAnotherProgramIsReplaced()
{
    QTemporaryDir desktop;
    QVERIFY(desktop.isValid());
    const std::string folder = desktop.path().toStdString();
    const QString path = desktop.filePath(QString::fromUtf8(DESKTOP_SHORTCUT_NAME));
    WriteText(path, QStringLiteral("[Desktop Entry]\nType=Application\nExec=/usr/bin/other\n"));
    QVERIFY(!DesktopShortcutExists(folder, PROGRAM_PATH));

    CreateDesktopShortcut(folder, PROGRAM_PATH, PROGRAM_FOLDER);
    QVERIFY(DesktopShortcutExists(folder, PROGRAM_PATH));
    QVERIFY(!DesktopShortcutExists(folder, "/usr/bin/other"));
    QVERIFY(!ReadText(path).contains(QStringLiteral("other")));
}

void ShellTest::missingDesktopFolderHasNoShortcut()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString missing = base.filePath(QStringLiteral("Desktop"));
    QVERIFY(!DesktopShortcutExists(missing.toStdString(), PROGRAM_PATH));
    CreateDesktopShortcut(missing.toStdString(), PROGRAM_PATH, PROGRAM_FOLDER);
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(!DesktopShortcutExists("", PROGRAM_PATH));
    QVERIFY(!DesktopShortcutExists("/", PROGRAM_PATH));
}

void ShellTest::aboutShowsVersionOnItsBackground()
{
    Dlg_About dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("关于Trevak..."));
    QCOMPARE(dialog.size(), DluToPixels(0, 0, 315, 199).size());
    QCOMPARE(dialog.m_versionText->text(), QStringLiteral("Trevak线材下料优化\n\n版本：2026.04.30"));
    QCOMPARE(dialog.m_webLink->text(), ABOUT_WEB_ADDRESS);
    QCOMPARE(dialog.m_mailLink->text(), ABOUT_MAIL_ADDRESS);
    QCOMPARE(dialog.WebLinkRect(), DluToPixels(40, 70, 118, 12));
    QCOMPARE(dialog.MailLinkRect(), DluToPixels(40, 88, 118, 12));

    const QImage image = dialog.grab().toImage();
    const QColor background(170, 210, 150);
    QCOMPARE(image.pixelColor(DluToPixelsX(4), DluToPixelsY(30)), background);
    // The idle close button shows the same face.
    const QRect button = dialog.m_closeButton->geometry();
    QCOMPARE(image.pixelColor(button.right() - 1, button.top() + 1), background);
    // Links in blue, the other texts in black, all on the background.
    QVERIFY(CountPixels(image, dialog.WebLinkRect(), IsBlueInk) > 20);
    QVERIFY(CountPixels(image, dialog.MailLinkRect(), IsBlueInk) > 20);
    const QRect wechat = dialog.findChild<QLabel*>(QStringLiteral("wechatLabel"))->geometry();
    QVERIFY(CountPixels(image, wechat, IsBlackInk) > 20);
    QCOMPARE(CountPixels(image, wechat, IsBlueInk), 0);
    QCOMPARE(image.pixelColor(wechat.bottomRight()), background);
}

void ShellTest::linksOpenThroughTheShell()
{
    RecordingOpener shell;
    SetAppShell(&shell);
    Dlg_About dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QWindow* window = dialog.windowHandle();
    const QRect web = dialog.WebLinkRect();
    const QRect mail = dialog.MailLinkRect();

    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, web.center());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, mail.center());
    QCOMPARE(shell.m_openedAddresses,
             (QStringList{ABOUT_WEB_ADDRESS, QStringLiteral("mailto:") + ABOUT_MAIL_ADDRESS}));

    // The left and top edges lie outside, the first pixel past the right edge
    // inside; the right button opens nothing.
    shell.m_openedAddresses.clear();
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(web.left(), web.center().y()));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(mail.center().x(), mail.top()));
    QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, web.center());
    QVERIFY(shell.m_openedAddresses.isEmpty());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(web.left() + web.width(), web.center().y()));
    QCOMPARE(shell.m_openedAddresses, QStringList{ABOUT_WEB_ADDRESS});
    QVERIFY(shell.m_openedPaths.isEmpty());
    SetAppShell(nullptr);
}

void ShellTest::pointerShowsTheHandOverLinks()
{
    Dlg_About dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QWindow* window = dialog.windowHandle();
    const QRect web = dialog.WebLinkRect();
    const QRect mail = dialog.MailLinkRect();
    const Qt::CursorShape hand = HandCursor().shape();
    QVERIFY(hand != Qt::ArrowCursor);

    QTest::mouseMove(window, web.center());
    QCOMPARE(dialog.cursor().shape(), hand);
    QTest::mouseMove(window, QPoint(web.left(), web.center().y()));
    QCOMPARE(dialog.cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(window, QPoint(mail.center().x(), mail.bottom()));
    QCOMPARE(dialog.cursor().shape(), hand);
    QTest::mouseMove(window, QPoint(mail.center().x(), mail.bottom() + 1));
    QCOMPARE(dialog.cursor().shape(), Qt::ArrowCursor);
}

void ShellTest::closeButtonEndsTheAboutWindow()
{
    bool sawAbout = false;
    QTimer::singleShot(0, this, [&sawAbout] {
        auto* about = qobject_cast<Dlg_About*>(QApplication::activeModalWidget());
        sawAbout = about != nullptr;
        if (about) {
            QVERIFY(about->isModal());
            QCOMPARE(about->m_closeButton->text(), QStringLiteral("关 闭"));
            QCOMPARE(about->m_closeButton->geometry(), DluToPixels(209, 174, 66, 18));
            QTest::mouseClick(about->m_closeButton, Qt::LeftButton);
        }
    });
    // Should the button not close the window, it is closed here and the test fails.
    ModalGuard guard(5000);

    ShowAbout(nullptr);
    QVERIFY(sawAbout);
    QVERIFY(!guard.Forced());
}

// A home folder of its own, with $HOME and $XDG_CONFIG_HOME pointing into it
// for the test's lifetime.
class ScopedHome {
public:
    ScopedHome()
        : m_home(qgetenv("HOME")), m_configHome(qgetenv("XDG_CONFIG_HOME")),
          m_hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", m_folder.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", ConfigHome().toUtf8());
        QDir().mkpath(ConfigHome());
    }
    ~ScopedHome()
    {
        qputenv("HOME", m_home);
        if (m_hadConfigHome)
            qputenv("XDG_CONFIG_HOME", m_configHome);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    QString Path(const QString& name) const { return m_folder.filePath(name); }
    QString ConfigHome() const { return m_folder.filePath(QStringLiteral("config")); }
    void NameDesktop(const QString& value) const
    {
        WriteText(ConfigHome() + QStringLiteral("/user-dirs.dirs"),
                  QStringLiteral("# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/下载\"\n"
                                 "XDG_DESKTOP_DIR=\"%1\"\n")
                      .arg(value));
    }

private:
    QTemporaryDir m_folder;
    QByteArray m_home, m_configHome;
    bool m_hadConfigHome;
};

void ShellTest::desktopFolderIsTheOneTheDesktopNames()
{
    ScopedHome home;
    const std::string h = home.Path(QString()).toStdString();
    const std::string config = home.ConfigHome().toStdString();
    const QString path = home.Path(QString());

    // Without user-dirs.dirs: Desktop, or 桌面 when only that one exists.
    QCOMPARE(QString::fromStdString(DesktopFolderFor(h, config)), home.Path(QStringLiteral("Desktop")));
    QVERIFY(QDir().mkpath(home.Path(QStringLiteral("桌面"))));
    QCOMPARE(QString::fromStdString(DesktopFolderFor(h, config)), home.Path(QStringLiteral("桌面")));
    QVERIFY(QDir().mkpath(home.Path(QStringLiteral("Desktop"))));
    QCOMPARE(QString::fromStdString(DesktopFolderFor(h, config)), home.Path(QStringLiteral("Desktop")));

    // The name the desktop gives wins, whether or not the folder exists yet.
    home.NameDesktop(QStringLiteral("$HOME/工作台"));
    QCOMPARE(QString::fromStdString(DesktopFolderFor(h, config)), home.Path(QStringLiteral("工作台")));
    home.NameDesktop(QStringLiteral("/srv/desks/一号"));
    QCOMPARE(QString::fromStdString(DesktopFolderFor(h, config)), QStringLiteral("/srv/desks/一号"));
    // A quote inside the name is escaped in the file.
    home.NameDesktop(QStringLiteral("$HOME/My \\\"Desk\\\""));
    QCOMPARE(QString::fromStdString(DesktopFolderFor(h, config)), home.Path(QStringLiteral("My \"Desk\"")));
    // A value that is neither under $HOME nor absolute is not a name.
    home.NameDesktop(QStringLiteral("relative/desk"));
    QCOMPARE(QString::fromStdString(DesktopFolderFor(h, config)), home.Path(QStringLiteral("Desktop")));

    // The process's own environment leads to the same answer.
    home.NameDesktop(QStringLiteral("$HOME/工作台"));
    QCOMPARE(QString::fromStdString(DesktopFolder()), path + QStringLiteral("/工作台"));
}

void ShellTest::buttonMakesAMissingDesktopFolder()
{
    ScopedHome home;
    home.NameDesktop(QStringLiteral("$HOME/桌面"));
    const std::string previousPath = g_programPath, previousFolder = g_programFolder;
    g_programPath = PROGRAM_PATH;
    g_programFolder = PROGRAM_FOLDER;

    QVERIFY(!QFileInfo::exists(home.Path(QStringLiteral("桌面"))));
    const bool created = CreateDesktopShortcut();
    const bool found = DesktopShortcutExists();
    g_programPath = previousPath;
    g_programFolder = previousFolder;

    QVERIFY(created);
    QVERIFY(found);
    const QString launcher = home.Path(QStringLiteral("桌面/")) + QString::fromUtf8(DESKTOP_SHORTCUT_NAME);
    QVERIFY(ReadText(launcher).contains(QStringLiteral("Exec=") + QString::fromStdString(PROGRAM_PATH)));
}

void ShellTest::aDesktopThatCannotBeMadeIsAFailure()
{
    ScopedHome home;
    // The desktop would lie inside a plain file.
    WriteText(home.Path(QStringLiteral("plain")), QStringLiteral("x"));
    home.NameDesktop(QStringLiteral("$HOME/plain/Desktop"));
    const std::string previousPath = g_programPath;
    g_programPath = PROGRAM_PATH;
    const bool created = CreateDesktopShortcut();
    g_programPath = previousPath;
    QVERIFY(!created);
    QVERIFY(!CreateDesktopShortcut(home.Path(QStringLiteral("plain/Desktop")).toStdString(), PROGRAM_PATH,
                                   PROGRAM_FOLDER));
}

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
