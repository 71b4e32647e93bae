#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <string>
#include <vector>

#include "base/Messages.h"

class QPrinter;
class QWidget;

// Every message box and file dialog of the program goes through one Prompts
// object, so that tests can answer them instead of a user. The window asks
// AppPrompts(); start-up installs QtPrompts, a test installs ScriptedPrompts.

// The program's name, the caption of every message box without one of its own.
extern const QString PROGRAM_NAME;

enum class PromptIcon { None, Information, Warning, Question, Error };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box; returns the button the user pressed.
    virtual PromptAnswer ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, PromptIcon icon,
                                    PromptButtons buttons) = 0;

    // File dialogs. filter is in "description|pattern|description|pattern|"
    // form (patterns separated by ";"). Return the chosen path, or an empty
    // text when the user cancelled. The open dialog only offers existing
    // files; the save dialog confirms overwriting and appends the extension of
    // the chosen filter to a name typed without one.
    virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& filter) = 0;

    // The print dialog for printer, set up beforehand with the document's
    // page layout; true when the user chose to print.
    virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer) = 0;

    // The usual message: program name as caption, warning icon, OK button.
    void Message(const QString& text, QWidget* parent = nullptr);
    void Message(const std::u16string& text, QWidget* parent = nullptr);
    // A Yes/No question with the question icon; true for Yes.
    bool AskYesNo(const QString& text, const QString& caption = PROGRAM_NAME, QWidget* parent = nullptr);
};

// "下料文件 (*.xls)|*.xls|下料文件 (*.txt)|*.txt|" -> "下料文件 (*.xls);;下料文件 (*.txt)".
// A description that does not show its patterns gets them appended in
// brackets, since Qt filters by the bracketed patterns of each entry.
QString ConvertFilter(const QString& filter);
// The patterns of every entry, in order: {"*.xls"}, {"*.txt"}.
std::vector<QStringList> FilterPatterns(const QString& filter);

// The real dialogs: QMessageBox and QFileDialog.
class QtPrompts : public Prompts {
public:
    PromptAnswer ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, PromptIcon icon,
                            PromptButtons buttons) override;
    QString OpenFileName(QWidget* parent, const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& filter) override;
    bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
};

// Answers prompts from queues filled in advance and records every prompt.
// Nothing is ever shown. With an empty answer queue a message box answers as
// if closed by Esc: Ok for an OK box, Cancel when there is a Cancel button,
// else No. With an empty file-name queue a file dialog is cancelled. A print
// dialog prints to the next PDF file of its own queue, or is cancelled.
class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Message, OpenFile, SaveFile, Print };
    struct Shown {
        Kind kind = Kind::Message;
        QString text;     // message text; empty for file dialogs
        QString caption;  // message caption
        PromptIcon icon = PromptIcon::None;
        PromptButtons buttons = PromptButtons::Ok;
        QString filter;   // file dialogs: the filter as given
        PromptAnswer answer = PromptAnswer::Ok;  // message boxes: the answer given
        QString fileName;                         // file dialogs: the name given; print: the PDF file
    };

    void SetNextAnswer(PromptAnswer answer);
    void SetNextFileName(const QString& path);
    // The next print dialog is accepted, the printer writing a PDF file to path.
    void SetNextPrintFile(const QString& path);

    PromptAnswer ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, PromptIcon icon,
                            PromptButtons buttons) override;
    QString OpenFileName(QWidget* parent, const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& filter) override;
    bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;

    const std::vector<Shown>& History() const { return m_history; }
    // The texts of the message boxes shown so far, in order.
    QStringList MessageTexts() const;
    int PendingAnswers() const { return static_cast<int>(m_answers.size()); }
    int PendingFileNames() const { return static_cast<int>(m_fileNames.size()); }
    void Clear();

private:
    QString NextFileName(Kind kind, const QString& filter);

    std::deque<PromptAnswer> m_answers;
    std::deque<QString> m_fileNames;
    std::deque<QString> m_printFiles;
    std::vector<Shown> m_history;
};

// The process-wide prompts. Without an installed one, a QtPrompts object.
Prompts& AppPrompts();
// Installs prompts (not owned); nullptr returns to the QtPrompts default.
void SetAppPrompts(Prompts* prompts);

// Installs prompts for the lifetime of the scope and restores the previous ones.
class ScopedAppPrompts {
public:
    explicit ScopedAppPrompts(Prompts* prompts);
    ~ScopedAppPrompts();
    ScopedAppPrompts(const ScopedAppPrompts&) = delete;
    ScopedAppPrompts& operator=(const ScopedAppPrompts&) = delete;

private:
    Prompts* m_previous;
};

// Routes the core's messages (ShowMessage) to AppPrompts().Message, with the
// active window as parent.
class PromptsMessageSink : public MessageSink {
public:
    void ShowMessage(const std::u16string& text) override;
};
