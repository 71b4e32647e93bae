#include "app/DesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

void ShellOpener::OpenInTextEditor(const std::string& path)
{
    OpenPath(QString::fromStdString(path));
}

void ShellOpener::OpenWithShell(const std::string& path)
{
    OpenPath(QString::fromStdString(path));
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
