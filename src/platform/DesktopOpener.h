#pragma once

#include <QString>
#include <QStringList>

#include <string>

#include "automation/SpreadsheetConnection.h"
#include "base/ReportConventions.h"

class QWidget;

// The one answer for a file the program wrote (a report, an example, a
// workbook) that nothing could open: its path, and that no program was found.
QString NotOpenedMessage(const QString& path);
// The same for the help document, which the program ships rather than writes.
QString HelpNotOpenedMessage(const QString& path);
// The help document is not where the program looks for it.
QString HelpMissingMessage(const QString& path);

// The desktop shell: opening documents and addresses with the programs the
// user has chosen for them. The window opens the help document and the about
// window's links through AppShell(); reports and workbooks reach it through
// the core's g_reportOpener and g_workbookOpener.
class ShellOpener : public ReportOpener, public WorkbookOpener {
public:
    // A local file, opened with the desktop's default application. Returns
    // false when nothing could open it.
    virtual bool OpenPath(const QString& path) = 0;
    // An address: "https://...", "mailto:...".
    virtual bool OpenAddress(const QString& address) = 0;

    // ReportOpener and WorkbookOpener, all through OpenPath (UTF-8 paths).
    // A text report, document or example that exists but that nothing could
    // open is reported with NotOpenedMessage (parent: the active window); a
    // file that was not written at all has been reported by its writer or is
    // silent by design. The workbook's caller says what went wrong itself.
    void OpenInTextEditor(const std::string& path) override;
    void OpenWithShell(const std::string& path) override;
    bool OpenWorkbookFile(const std::string& path) override;

    // The help document: opened, or the user is told that it is missing or
    // that nothing could open it. Returns whether it was opened.
    bool OpenHelpDocument(const QString& path, QWidget* parent);

private:
    void OpenWrittenFile(const std::string& path);
};

// Opens through QDesktopServices::openUrl.
class DesktopOpener : public ShellOpener {
public:
    bool OpenPath(const QString& path) override;
    bool OpenAddress(const QString& address) override;
};

// Opens nothing; remembers what it was asked to open (for tests).
class RecordingOpener : public ShellOpener {
public:
    bool OpenPath(const QString& path) override;
    bool OpenAddress(const QString& address) override;

    QStringList m_openedPaths;
    QStringList m_openedAddresses;
    bool m_result = true;  // what OpenPath and OpenAddress answer
};

// The process-wide shell; without an installed one, a DesktopOpener.
ShellOpener& AppShell();
// Installs a shell (not owned) as AppShell(), g_reportOpener and
// g_workbookOpener; nullptr returns to the default and clears the two.
void SetAppShell(ShellOpener* shell);
