// The compute command and the window's side of an optimisation run.

#include <algorithm>
#include <chrono>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QString>

#include "base/FormatLength.h"
#include "base/Messages.h"
#include "engine/ResultText.h"
#include "engine/Run.h"
#include "platform/Prompts.h"
#include "workbench/controls/CGradientProgressCtrl.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/FieldText.h"

namespace {

QString CompletionMessage(double seconds)
{
    return QStringLiteral("下料优化完成--耗时 %1 秒 !").arg(QString::fromStdString(FormatFixed(seconds, 1)));
}

// Passes the run's messages on while the window is open. A run ended by
// closing the window says nothing more: its window is gone, and a message box
// without it would stand alone on the desktop.
class OpenWindowMessages : public MessageSink {
public:
    explicit OpenWindowMessages(const bool& windowClosed) : m_windowClosed(windowClosed), m_next(g_messageSink)
    {
        g_messageSink = this;
    }
    ~OpenWindowMessages() override { g_messageSink = m_next; }
    OpenWindowMessages(const OpenWindowMessages&) = delete;
    OpenWindowMessages& operator=(const OpenWindowMessages&) = delete;

    void ShowMessage(const std::u16string& text) override
    {
        if (!m_windowClosed && m_next)
            m_next->ShowMessage(text);
    }

private:
    const bool& m_windowClosed;
    MessageSink* m_next;
};

}  // namespace

void CParvexDlg::ComputePlan()
{
    // The red of a cell flagged by the last compute lasts until this one.
    m_cutTable->ClearFlaggedCell();
    m_stockTable->ClearFlaggedCell();
    if (!ReadControls())
        return;
    if (m_lists.MergeCutList())
        RefillCutTable();
    if (m_lists.MergeStockList())
        RefillStockTable();
    // The lists as they go into the run are on disk before it starts.
    SaveQuietly();
    PlanParameters parameters;
    parameters.m_trimLength = m_trimLength;
    parameters.m_kerfWidth = m_kerfWidth;
    parameters.m_maxLengthKinds = m_maxLengthKinds;
    parameters.m_speedLevel = m_speedLevel;
    parameters.m_exactPlan = ExactChosen();
    const PlanCheck check = CheckPlanInput(m_lists, parameters);
    const QString refusal = QString::fromStdU16String(PlanCheckMessage(check));
    switch (check) {
    case PlanCheck::NEGATIVE_TRIM:
        return RefuseField(this, m_trimEdit, refusal, PARAMETER_SELECTION);
    case PlanCheck::NEGATIVE_KERF:
        return RefuseField(this, m_kerfEdit, refusal, PARAMETER_SELECTION);
    case PlanCheck::NO_CUT_ROWS:
    case PlanCheck::NO_STOCK_ROWS:
        return AppPrompts().Message(refusal, this);
    case PlanCheck::PASSED:
        break;
    }

    m_resultRows->Clear();
    m_planOutOfDate = false;
    m_outOfDateLabel->hide();
    m_boundLabel->clear();
    EnableOutputButtons(false);

    const auto started = std::chrono::steady_clock::now();
    PlanOutcome outcome;
    bool planned = false;
    {
        const OpenWindowMessages messages(m_closed);
        planned = PlanLists(g_job, m_lists, parameters, *this, outcome);
    }
    // A run that was not withdrawn leaves the window as the run's window until
    // it is interrupted or closed; an interrupted or closed run leaves none.
    if (!outcome.m_withdrawn)
        g_resultWindow = this;
    // Closed during the run: the lists are saved and nothing more is shown.
    if (m_closed)
        return;
    if (!planned) {
        ReportJobError(outcome.m_error);
        return;
    }
    const auto finished = std::chrono::steady_clock::now();
    FillResultTable();
    if (m_resultTable->GetItemCount() > 0)
        m_resultTable->EnsureVisible(m_resultTable->GetItemCount() - 1);
    ReadControls();
    EnableOutputButtons(!g_job.m_groups.empty());
    const double seconds = std::chrono::duration<double>(finished - started).count();
    AppPrompts().Message(CompletionMessage(seconds), this);
}

void CParvexDlg::ReportJobError(const JobError& error)
{
    if (error.code <= 0)
        return;
    m_cutTable->DeselectAll();
    m_stockTable->DeselectAll();

    const InputLists& l = m_lists;
    const bool onStock = error.code == 1 || error.code == 6;
    MyListCtrl* table = onStock ? m_stockTable : m_cutTable;
    const std::size_t count = onStock ? l.StockRowCount() : l.CutRowCount();
    int column = 0;
    switch (error.code) {
    case 1:
    case 2:
    case 5:
        column = 2;
        break;
    case 3:
    case 6:
        column = 3;
        break;
    case 4:
        column = 1;
        break;
    default:
        return;
    }
    int match = -1;
    for (std::size_t i = 0; i < count && match < 0; ++i) {
        const MyString& spec = onStock ? l.m_stockSpec[i] : l.m_cutSpec[i];
        if (spec != error.text)
            continue;
        bool matches = true;
        switch (error.code) {
        case 1:
            matches = l.m_stockLength[i] <= 0;
            break;
        case 2:
            matches = l.m_cutLength[i] <= 0;
            break;
        case 3:
            matches = l.m_cutQuantity[i] < 1;
            break;
        case 5:
            matches = l.m_cutLength[i] >= error.value;
            break;
        default:
            break;
        }
        if (matches)
            match = static_cast<int>(i);
    }
    if (match < 0)
        return;
    table->SetFlaggedCell(match, column);
    table->SetRowSelected(match, true);
    const int n = table->GetItemCount();
    table->EnsureVisible(std::max(0, match - 3));
    table->EnsureVisible(std::min(n - 1, match + 3));
    AppPrompts().Message(JobErrorMessage(error), this);
}

// ---------------------------------------------------------------------------
// The run

void CParvexDlg::DispatchPending()
{
    // The engine may check very often; the window answers a click, repaints
    // and shows the rows found so far once per interval, so that a run costs
    // little more than without a window. The first rows of a run are shown
    // at once.
    const bool firstRows = !m_liveRows.empty() && m_resultTable->GetItemCount() == 0;
    if (!firstRows && std::chrono::steady_clock::now() - m_lastDispatch < DISPATCH_INTERVAL)
        return;
    FlushLiveRows();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_lastDispatch = std::chrono::steady_clock::now();
}

void CParvexDlg::StepProgress()
{
    // An activity indicator: one step per interval at most.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastStep < PROGRESS_INTERVAL)
        return;
    m_lastStep = now;
    m_progress->StepIt();
}

void CParvexDlg::BeginRun()
{
    // The first check of a run dispatches and steps at once.
    m_lastDispatch = std::chrono::steady_clock::now() - std::chrono::hours(1);
    m_lastStep = m_lastDispatch;
    m_liveRows.clear();
    m_progress->SetRange(0, 100);
    m_progress->SetStep(10);
    m_progress->SetPos(0);
    m_progress->show();
    m_interruptButton->show();
    for (Pic_Button* button : ListButtons())
        button->hide();
    g_savedEnabled.clear();
    for (QWidget* child : ChildControls()) {
        g_savedEnabled.push_back(child->isEnabled() ? 1 : 0);
        child->setEnabled(false);
    }
    m_interruptButton->setEnabled(true);
}

void CParvexDlg::EndRun()
{
    FlushLiveRows();
    m_progress->hide();
    m_interruptButton->hide();
    for (Pic_Button* button : ListButtons())
        button->show();
    const std::vector<QWidget*> children = ChildControls();
    for (std::size_t i = 0; i < children.size() && i < g_savedEnabled.size(); ++i)
        children[i]->setEnabled(g_savedEnabled[i] != 0);
    m_interruptButton->setEnabled(false);
}

void CParvexDlg::InterruptRun()
{
    g_resultWindow = nullptr;
    EndRun();
    EnableOutputButtons(false);
}
