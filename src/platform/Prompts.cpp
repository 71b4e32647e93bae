#include "platform/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

const QString PROGRAM_NAME = QStringLiteral("Trevak线材下料优化");

void Prompts::Message(const QString& text, QWidget* parent)
{
    ShowMessageBox(parent, text, PROGRAM_NAME, PromptIcon::Warning, PromptButtons::Ok);
}

void Prompts::Message(const std::u16string& text, QWidget* parent)
{
    Message(QString::fromStdU16String(text), parent);
}

bool Prompts::AskYesNo(const QString& text, const QString& caption, QWidget* parent)
{
    return ShowMessageBox(parent, text, caption, PromptIcon::Question, PromptButtons::YesNo) == PromptAnswer::Yes;
}

namespace {

// The entries of a "description|pattern|..." filter as (description, patterns).
std::vector<std::pair<QString, QStringList>> SplitFilter(const QString& filter)
{
    std::vector<std::pair<QString, QStringList>> entries;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) {
            break;
        }
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << pattern.trimmed();
        }
        entries.emplace_back(parts[i], patterns);
    }
    return entries;
}

}  // namespace

QString ConvertFilter(const QString& filter)
{
    QStringList converted;
    for (const auto& [description, patterns] : SplitFilter(filter)) {
        // Qt reads the patterns from the last bracket pair of an entry, separated by blanks.
        QString text = description;
        const QString joined = patterns.join(QLatin1Char(' '));
        const int open = text.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && text.endsWith(QLatin1Char(')'))) {
            text = text.left(open) + QLatin1Char('(') + joined + QLatin1Char(')');
        } else {
            text += QStringLiteral(" (") + joined + QLatin1Char(')');
        }
        converted << text;
    }
    return converted.join(QStringLiteral(";;"));
}

std::vector<QStringList> FilterPatterns(const QString& filter)
{
    std::vector<QStringList> patterns;
    for (const auto& entry : SplitFilter(filter)) {
        patterns.push_back(entry.second);
    }
    return patterns;
}

// ---- QtPrompts ----

PromptAnswer QtPrompts::ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, PromptIcon icon,
                                       PromptButtons buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    case PromptIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    case PromptIcon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    // Enter answers with the first button, as the message boxes of the
    // design do, whatever order the platform lays the buttons out in.
    QMessageBox::StandardButton first = QMessageBox::Ok;
    switch (buttons) {
    case PromptButtons::Ok: break;
    case PromptButtons::OkCancel:
        standard = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case PromptButtons::YesNo:
        standard = QMessageBox::Yes | QMessageBox::No;
        escape = QMessageBox::No;
        first = QMessageBox::Yes;
        break;
    case PromptButtons::YesNoCancel:
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        first = QMessageBox::Yes;
        break;
    }
    box.setStandardButtons(standard);
    box.setEscapeButton(escape);
    box.setDefaultButton(first);
    switch (box.exec()) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    default: return escape == QMessageBox::No ? PromptAnswer::No : (escape == QMessageBox::Ok ? PromptAnswer::Ok
                                                                                               : PromptAnswer::Cancel);
    }
}

QString QtPrompts::OpenFileName(QWidget* parent, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), ConvertFilter(filter), nullptr,
                                        QFileDialog::Options());
}

QString QtPrompts::SaveFileName(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(ConvertFilter(filter));
    const std::vector<QStringList> patterns = FilterPatterns(filter);
    auto suffixOf = [&](int entry) {
        if (entry < 0 || entry >= static_cast<int>(patterns.size()) || patterns[entry].isEmpty()) {
            return QString();
        }
        QString pattern = patterns[entry].front();
        const int dot = pattern.lastIndexOf(QLatin1Char('.'));
        const QString suffix = dot >= 0 ? pattern.mid(dot + 1) : QString();
        return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
    };
    dialog.setDefaultSuffix(suffixOf(0));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& selected) {
        const QStringList filters = dialog.nameFilters();
        dialog.setDefaultSuffix(suffixOf(static_cast<int>(filters.indexOf(selected))));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().front();
}

bool QtPrompts::ChoosePrinter(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

// ---- ScriptedPrompts ----

void ScriptedPrompts::SetNextAnswer(PromptAnswer answer)
{
    m_answers.push_back(answer);
}

void ScriptedPrompts::SetNextFileName(const QString& path)
{
    m_fileNames.push_back(path);
}

PromptAnswer ScriptedPrompts::ShowMessageBox(QWidget*, const QString& text, const QString& caption, PromptIcon icon,
                                             PromptButtons buttons)
{
    PromptAnswer answer = PromptAnswer::Ok;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    } else if (buttons == PromptButtons::OkCancel || buttons == PromptButtons::YesNoCancel) {
        answer = PromptAnswer::Cancel;
    } else if (buttons == PromptButtons::YesNo) {
        answer = PromptAnswer::No;
    }
    Shown shown;
    shown.kind = Kind::Message;
    shown.text = text;
    shown.caption = caption;
    shown.icon = icon;
    shown.buttons = buttons;
    shown.answer = answer;
    m_history.push_back(shown);
    return answer;
}

QString ScriptedPrompts::NextFileName(Kind kind, const QString& filter)
{
    QString name;
    if (!m_fileNames.empty()) {
        name = m_fileNames.front();
        m_fileNames.pop_front();
    }
    Shown shown;
    shown.kind = kind;
    shown.filter = filter;
    shown.fileName = name;
    m_history.push_back(shown);
    return name;
}

QString ScriptedPrompts::OpenFileName(QWidget*, const QString& filter)
{
    return NextFileName(Kind::OpenFile, filter);
}

QString ScriptedPrompts::SaveFileName(QWidget*, const QString& filter)
{
    return NextFileName(Kind::SaveFile, filter);
}

void ScriptedPrompts::SetNextPrintFile(const QString& path)
{
    m_printFiles.push_back(path);
}

bool ScriptedPrompts::ChoosePrinter(QWidget*, QPrinter& printer)
{
    Shown shown;
    shown.kind = Kind::Print;
    if (!m_printFiles.empty()) {
        shown.fileName = m_printFiles.front();
        m_printFiles.pop_front();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(shown.fileName);
    }
    m_history.push_back(shown);
    return !shown.fileName.isEmpty();
}

QStringList ScriptedPrompts::MessageTexts() const
{
    QStringList texts;
    for (const Shown& shown : m_history) {
        if (shown.kind == Kind::Message) {
            texts << shown.text;
        }
    }
    return texts;
}

void ScriptedPrompts::Clear()
{
    m_answers.clear();
    m_fileNames.clear();
    m_printFiles.clear();
    m_history.clear();
}

// ---- the process-wide prompts ----

namespace {

Prompts* g_installedPrompts = nullptr;

}  // namespace

Prompts& AppPrompts()
{
    if (g_installedPrompts) {
        return *g_installedPrompts;
    }
    static QtPrompts defaultPrompts;
    return defaultPrompts;
}

void SetAppPrompts(Prompts* prompts)
{
    g_installedPrompts = prompts;
}

ScopedAppPrompts::ScopedAppPrompts(Prompts* prompts) : m_previous(g_installedPrompts)
{
    SetAppPrompts(prompts);
}

ScopedAppPrompts::~ScopedAppPrompts()
{
    SetAppPrompts(m_previous);
}

void PromptsMessageSink::ShowMessage(const std::u16string& text)
{
    AppPrompts().Message(text, QApplication::activeWindow());
}
