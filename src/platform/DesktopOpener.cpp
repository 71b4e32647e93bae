#include "platform/DesktopOpener.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "platform/Prompts.h"

QString NotOpenedMessage(const QString& path)
{
    return QStringLiteral("文件已保存为 %1 ，\n\n但没有找到可以打开它的程序 !").arg(path);
}

QString HelpNotOpenedMessage(const QString& path)
{
    return QStringLiteral("帮助文档为 %1 ，\n\n但没有找到可以打开它的程序 !").arg(path);
}

QString HelpMissingMessage(const QString& path)
{
    return QStringLiteral("没有找到帮助文档 %1 !").arg(path);
}

void ShellOpener::OpenWrittenFile(const std::string& path)
{
    const QString file = QString::fromStdString(path);
    if (OpenPath(file) || !QFileInfo(file).isFile())
        return;
    AppPrompts().Message(NotOpenedMessage(file), QApplication::activeWindow());
}

void ShellOpener::OpenInTextEditor(const std::string& path)
{
    OpenWrittenFile(path);
}

void ShellOpener::OpenWithShell(const std::string& path)
{
    OpenWrittenFile(path);
}

bool ShellOpener::OpenHelpDocument(const QString& path, QWidget* parent)
{
    if (!QFileInfo(path).isFile()) {
        AppPrompts().Message(HelpMissingMessage(path), parent);
        return false;
    }
    if (OpenPath(path))
        return true;
    AppPrompts().Message(HelpNotOpenedMessage(path), parent);
    return false;
}

bool ShellOpener::OpenWorkbookFile(const std::string& path)
{
    return OpenPath(QString::fromStdString(path));
}

bool DesktopOpener::OpenPath(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopOpener::OpenAddress(const QString& address)
{
    return QDesktopServices::openUrl(QUrl(address));
}

bool RecordingOpener::OpenPath(const QString& path)
{
    m_openedPaths << path;
    return m_result;
}

bool RecordingOpener::OpenAddress(const QString& address)
{
    m_openedAddresses << address;
    return m_result;
}

namespace {

ShellOpener* g_installedShell = nullptr;

}  // namespace

ShellOpener& AppShell()
{
    if (g_installedShell) {
        return *g_installedShell;
    }
    static DesktopOpener defaultShell;
    return defaultShell;
}

void SetAppShell(ShellOpener* shell)
{
    g_installedShell = shell;
    g_reportOpener = shell;
    g_workbookOpener = shell;
}
