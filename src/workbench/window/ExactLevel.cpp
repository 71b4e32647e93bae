// The exact optimiser's place in the window: the choice "精确" beside the
// speed track bar, kept in a small file of its own in the configuration
// folder, and the bound line under the result table.

#include <filesystem>
#include <fstream>

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include "base/FormatLength.h"
#include "engine/ResultText.h"
#include "exchange/SettingsFile.h"
#include "platform/AppFolders.h"
#include "platform/DialogUnits.h"
#include "workbench/window/CParvexDlg.h"
#include "workbench/window/FieldText.h"

namespace {

// Beside the settings file: "1" when the exact optimiser is chosen.
std::filesystem::path ExactChoicePath()
{
    return std::filesystem::path(SettingsFilePath(g_programFolder)).parent_path() / "QRMExact.txt";
}

}  // namespace

void CParvexDlg::CreateExactControls()
{
    // Between "最优" and "最快", above the track bar.
    m_exactCheck = new QCheckBox(QStringLiteral("精确"), this);
    m_exactCheck->setObjectName(QStringLiteral("exactCheck"));
    m_exactCheck->setGeometry(DluToPixels(625, 91, 36, 12));
    m_exactCheck->setToolTip(QStringLiteral("精确：用料最少的方案，每个规格最多计算 10 秒"));
    connect(m_exactCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_speedSlider->setEnabled(!on);
        SaveExactChoice();
    });

    m_boundLabel = new QLabel(this);
    m_boundLabel->setObjectName(QStringLiteral("boundLabel"));
    m_boundLabel->setGeometry(DluToPixels(15, 458, 567, 11));
}

void CParvexDlg::LoadExactChoice()
{
    std::ifstream in(ExactChoicePath());
    std::string value;
    const bool on = bool(in >> value) && value == "1";
    const QSignalBlocker quiet(m_exactCheck);
    m_exactCheck->setChecked(on);
    m_speedSlider->setEnabled(!on);
}

void CParvexDlg::SaveExactChoice()
{
    std::error_code ignored;
    std::filesystem::create_directories(ExactChoicePath().parent_path(), ignored);
    std::ofstream out(ExactChoicePath(), std::ios::trunc);
    out << (m_exactCheck->isChecked() ? "1" : "0") << "\n";
}

bool CParvexDlg::ExactChosen() const
{
    return m_exactCheck->isChecked();
}

void CParvexDlg::ShowBoundLine()
{
    m_boundLabel->setText(ToQString(BoundLineText(g_job)));
}

void CParvexDlg::ShowExactProgress(const WireOptimize& group, double lowerBound, double bestLength)
{
    QString text = QStringLiteral("精确计算 %1：").arg(ToQString(group.m_spec));
    if (lowerBound > 0)
        text += QStringLiteral("理论最少用料 %1").arg(QString::fromStdString(FormatLength(lowerBound)));
    if (bestLength > 0)
        text += QStringLiteral("，目前最好方案 %1").arg(QString::fromStdString(FormatLength(bestLength)));
    m_boundLabel->setText(text);
}
