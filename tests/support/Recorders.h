#pragma once

// Stand-ins for the user's side of the core: they record what would have been
// shown or opened.

#include <string>
#include <vector>

#include "automation/SpreadsheetConnection.h"
#include "base/Messages.h"
#include "base/ReportConventions.h"

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const std::u16string& text) override { m_messages.push_back(text); }
    std::vector<std::u16string> m_messages;
};

class RecordingReportOpener : public ReportOpener {
public:
    void OpenInTextEditor(const std::string& path) override { m_textEditor.push_back(path); }
    void OpenWithShell(const std::string& path) override { m_shell.push_back(path); }
    std::vector<std::string> m_textEditor;
    std::vector<std::string> m_shell;
};

class RecordingWorkbookOpener : public WorkbookOpener {
public:
    bool OpenWorkbookFile(const std::string& path) override
    {
        m_opened.push_back(path);
        return m_answer;
    }
    std::vector<std::string> m_opened;
    bool m_answer = true;  // what OpenWorkbookFile answers
};
