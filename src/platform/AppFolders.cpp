#include "platform/AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "base/ReportConventions.h"

std::string g_programPath;
std::string g_programFolder;
std::string g_executableFolder;

namespace {

const QString DATA_FOLDER_NAME = QStringLiteral("Trevak");
const QString CONFIG_FOLDER_NAME = QStringLiteral("Config");
const QString HELP_DOCUMENT_NAME = QStringLiteral("QRMHelp.pdf");

// base followed by name, with a single separator between them whatever base ends in.
QString JoinFolder(QString base, const QString& name)
{
    base = QDir::fromNativeSeparators(base);
    while (base.size() > 1 && base.endsWith(QLatin1Char('/'))) {
        base.chop(1);
    }
    return QDir::toNativeSeparators(base + QLatin1Char('/') + name);
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

}  // namespace

std::string UserDataFolder()
{
#ifdef Q_OS_WIN
    const QString base = qEnvironmentVariable("APPDATA");
#else
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = JoinFolder(qEnvironmentVariable("HOME", QDir::homePath()), QStringLiteral(".local/share"));
    }
#endif
    return JoinFolder(base, DATA_FOLDER_NAME).toStdString();
}

std::string ConfigFolder()
{
    return JoinFolder(QString::fromStdString(g_programFolder), CONFIG_FOLDER_NAME).toStdString();
}

std::string ChooseHelpDocument(const std::string& programFolder, const std::string& executableFolder)
{
    const QString inProgramFolder =
        JoinFolder(JoinFolder(QString::fromStdString(programFolder), CONFIG_FOLDER_NAME), HELP_DOCUMENT_NAME);
    if (executableFolder.empty() || QFileInfo(inProgramFolder).isFile()) {
        return inProgramFolder.toStdString();
    }
    return JoinFolder(JoinFolder(QString::fromStdString(executableFolder), CONFIG_FOLDER_NAME), HELP_DOCUMENT_NAME)
        .toStdString();
}

std::string HelpDocumentPath()
{
    return ChooseHelpDocument(g_programFolder, g_executableFolder);
}

std::string DocumentsFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) {
        documents = QDir::homePath();
    }
    return Native(documents).toStdString();
}

std::string ChooseProgramFolder(const std::string& executableFolder, const std::string& userDataFolder)
{
    // Writable means a file can be created there; the permission bits alone
    // do not tell (read-only mounts, ACLs).
    const QString folder = QString::fromStdString(executableFolder);
    if (!folder.isEmpty() && QFileInfo(folder).isDir() &&
        !QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(INSTALLED_MARKER_NAME))) {
        QTemporaryFile probe(folder + QStringLiteral("/.trevak-write-test-XXXXXX"));
        if (probe.open()) {
            return Native(folder).toStdString();
        }
    }
    return userDataFolder;
}

void SetUpFolders()
{
    g_programPath = Native(QCoreApplication::applicationFilePath()).toStdString();
    const std::string userData = UserDataFolder();
    g_executableFolder = Native(QCoreApplication::applicationDirPath()).toStdString();
    g_programFolder = ChooseProgramFolder(g_executableFolder, userData);
    g_documentsFolder = DocumentsFolder();

    QDir().mkpath(QString::fromStdString(userData));
    QDir().mkpath(QString::fromStdString(ConfigFolder()));
}
