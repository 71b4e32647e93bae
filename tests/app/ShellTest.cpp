// Shell integration: the desktop shortcut in a temporary desktop folder.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "app/DesktopShortcut.h"

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

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void createdShortcutIsFoundAgain();
    void anyDesktopEntryStartingTheProgramCounts();
    void pathsWithBlanksAndQuotesRoundTrip();
    void shortcutToAnotherProgramIsReplaced();
    void missingDesktopFolderHasNoShortcut();
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

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
