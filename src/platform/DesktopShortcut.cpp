#include "platform/DesktopShortcut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include "platform/AppFolders.h"

namespace {

const QString DESKTOP_ENTRY_GROUP = QStringLiteral("Desktop Entry");
const QString SHORTCUT_TITLE = QStringLiteral("Trevak线材下料优化(64位)");
// An icon of the icon theme, installed with the program.
const QString SHORTCUT_ICON = QStringLiteral("trevak");

// Characters that oblige an Exec argument to be quoted.
const QString EXEC_RESERVED = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
// Characters escaped with a backslash inside a quoted Exec argument.
const QString EXEC_QUOTE_ESCAPED = QStringLiteral("\"`$\\");

// The value of a key of string type as the file spells it: backslash, line
// breaks and tabs escaped, a leading blank as "\s".
QString EscapeString(const QString& value)
{
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

// The escapes of a string value undone.
QString UnescapeString(const QString& value)
{
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        if (next == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (next == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (next == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        else
            out += QLatin1Char('\\') + QString(next);
    }
    return out;
}

// A program path as the first word of an Exec value (before string escaping):
// quoted when it holds a reserved character, "%" doubled.
QString ExecArgument(const QString& path)
{
    bool quote = path.isEmpty();
    for (const QChar c : path)
        quote = quote || EXEC_RESERVED.contains(c);
    QString out;
    if (quote)
        out += QLatin1Char('"');
    for (const QChar c : path) {
        if (quote && EXEC_QUOTE_ESCAPED.contains(c))
            out += QLatin1Char('\\');
        out += c;
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
    }
    if (quote)
        out += QLatin1Char('"');
    return out;
}

// The program an Exec value (string escapes already undone) starts: its first
// word, unquoted, with "%%" read as "%".
QString ExecTarget(const QString& exec)
{
    int i = 0;
    while (i < exec.size() && (exec[i] == QLatin1Char(' ') || exec[i] == QLatin1Char('\t')))
        ++i;
    QString word;
    if (i < exec.size() && exec[i] == QLatin1Char('"')) {
        for (++i; i < exec.size() && exec[i] != QLatin1Char('"'); ++i) {
            if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size())
                ++i;
            word += exec[i];
        }
    } else {
        for (; i < exec.size() && exec[i] != QLatin1Char(' ') && exec[i] != QLatin1Char('\t'); ++i)
            word += exec[i];
    }
    return word.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

// The Exec target of a desktop-entry file; false when the file cannot be read
// or has no Exec key in its [Desktop Entry] group.
bool ReadExecTarget(const QString& path, QString& target)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QString group;
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            group = trimmed.mid(1, trimmed.indexOf(QLatin1Char(']')) - 1);
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (group != DESKTOP_ENTRY_GROUP || equals < 0 || line.left(equals).trimmed() != QStringLiteral("Exec"))
            continue;
        // Blanks around "=" are not part of the value.
        QString value = line.mid(equals + 1);
        while (value.startsWith(QLatin1Char(' ')) || value.startsWith(QLatin1Char('\t')))
            value.remove(0, 1);
        target = ExecTarget(UnescapeString(value));
        return true;
    }
    return false;
}

QString DesktopEntryText(const QString& programPath, const QString& programFolder)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Exec=%2\n"
                          "Path=%3\n"
                          "Icon=%4\n"
                          "Terminal=false\n")
        .arg(EscapeString(SHORTCUT_TITLE), EscapeString(ExecArgument(programPath)), EscapeString(programFolder),
             SHORTCUT_ICON);
}

// The execute permission for everyone who may read the file.
void MakeExecutable(const QString& path)
{
    QFile::Permissions permissions = QFile::permissions(path);
    permissions |= QFile::ExeOwner | QFile::ExeUser;
    if (permissions & QFile::ReadGroup)
        permissions |= QFile::ExeGroup;
    if (permissions & QFile::ReadOther)
        permissions |= QFile::ExeOther;
    QFile::setPermissions(path, permissions);
}

}  // namespace

std::string DesktopFolderFor(const std::string& homeFolder, const std::string& configHome)
{
    const QString home = QString::fromStdString(homeFolder);
    QString named;
    QFile dirs(QDir(QString::fromStdString(configHome)).filePath(QStringLiteral("user-dirs.dirs")));
    if (dirs.open(QIODevice::ReadOnly)) {
        // Shell assignments: XDG_DESKTOP_DIR="$HOME/桌面"; the last one counts.
        const QStringList lines = QString::fromUtf8(dirs.readAll()).split(QLatin1Char('\n'));
        for (const QString& raw : lines) {
            const QString line = raw.trimmed();
            const QString key = QStringLiteral("XDG_DESKTOP_DIR=");
            if (!line.startsWith(key))
                continue;
            QString value = line.mid(key.size());
            if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) || !value.endsWith(QLatin1Char('"')))
                continue;
            value = value.mid(1, value.size() - 2);
            QString unescaped;
            for (int i = 0; i < value.size(); ++i) {
                if (value[i] == QLatin1Char('\\') && i + 1 < value.size())
                    ++i;
                unescaped += value[i];
            }
            if (unescaped == QStringLiteral("$HOME") || unescaped.startsWith(QStringLiteral("$HOME/")))
                named = QDir::cleanPath(home + unescaped.mid(5));
            else if (unescaped.startsWith(QLatin1Char('/')))
                named = QDir::cleanPath(unescaped);
        }
    }
    if (!named.isEmpty())
        return named.toStdString();
    const QString desktop = QDir(home).filePath(QStringLiteral("Desktop"));
    const QString chinese = QDir(home).filePath(QStringLiteral("桌面"));
    if (!QFileInfo(desktop).isDir() && QFileInfo(chinese).isDir())
        return chinese.toStdString();
    return desktop.toStdString();
}

std::string DesktopFolder()
{
    const QString home = QDir::homePath();
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory specification ignores a relative path.
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir(home).filePath(QStringLiteral(".config"));
    return DesktopFolderFor(home.toStdString(), configHome.toStdString());
}

bool DesktopShortcutExists(const std::string& desktopFolder, const std::string& programPath)
{
    const QString folder = QString::fromStdString(desktopFolder);
    const QString program = QString::fromStdString(programPath);
    if (folder.size() < 2 || program.isEmpty())
        return false;
    const QDir dir(folder);
    if (!dir.exists())
        return false;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!entry.fileName().endsWith(QStringLiteral(".desktop"), Qt::CaseInsensitive))
            continue;
        QString target;
        if (ReadExecTarget(entry.filePath(), target) && target.compare(program, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool CreateDesktopShortcut(const std::string& desktopFolder, const std::string& programPath,
                           const std::string& programFolder)
{
    if (DesktopShortcutExists(desktopFolder, programPath))
        return true;
    const QString folder = QString::fromStdString(desktopFolder);
    const QString program = QString::fromStdString(programPath);
    if (folder.size() < 2 || program.isEmpty() || !QDir(folder).exists())
        return false;
    const QString path = QDir(folder).filePath(QString::fromUtf8(DESKTOP_SHORTCUT_NAME));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(DesktopEntryText(program, QString::fromStdString(programFolder)).toUtf8());
    if (!file.commit())
        return false;
    MakeExecutable(path);
    return true;
}

#ifdef Q_OS_WIN

bool DesktopShortcutExists()
{
    return true;
}

bool CreateDesktopShortcut()
{
    return true;
}

#else

bool DesktopShortcutExists()
{
    return DesktopShortcutExists(DesktopFolder(), g_programPath);
}

bool CreateDesktopShortcut()
{
    const std::string folder = DesktopFolder();
    // A desktop named but not made yet (a fresh account, a desktop without
    // icons) is made, as a file manager would.
    if (!folder.empty())
        QDir().mkpath(QString::fromStdString(folder));
    return CreateDesktopShortcut(folder, g_programPath, g_programFolder);
}

#endif
