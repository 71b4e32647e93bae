#include "workbench/window/OutputDialogs.h"

#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include "platform/AppResources.h"
#include "platform/DialogPlacement.h"
#include "platform/DialogUnits.h"
#include "platform/Prompts.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/FieldText.h"

OutputOptions g_outputOptions;

namespace {

CommandIcon ChoiceIcon(int choice)
{
    switch (choice) {
    case OUTPUT_TEXT: return CommandIcon::Text;
    case OUTPUT_WORKBOOK: return CommandIcon::Workbook;
    case OUTPUT_DOCUMENT: return CommandIcon::Document;
    case OUTPUT_PDF: return CommandIcon::Pdf;
    case OUTPUT_PRINT: return CommandIcon::Print;
    default: return CommandIcon::Leftover;
    }
}

}  // namespace

// ---------------------------------------------------------------------------

OutputDialogBase::OutputDialogBase(QWidget* parent, int widthDlu, int heightDlu) : QDialog(parent)
{
    setFont(DialogFont());
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(DluToPixelsX(widthDlu), DluToPixelsY(heightDlu));
    setModal(true);
}

int OutputDialogBase::exec()
{
    CentreOnPointer(this);
    return QDialog::exec();
}

Pic_Button* OutputDialogBase::AddChoiceButton(const QString& caption, int x, int y, int w, int h, const char* name,
                                              int choice)
{
    // No button is pressed by Enter: Enter closes the dialog with its first choice.
    auto* button = MakeCommandButton(this, caption, DluToPixels(x, y, w, h), name, ChoiceIcon(choice));
    connect(button, &QPushButton::clicked, this, [this, choice] { Choose(choice); });
    return button;
}

void OutputDialogBase::AddCancelButton(int x, int y, int w, int h)
{
    auto* button = MakeCommandButton(this, QStringLiteral("取 消"), DluToPixels(x, y, w, h), "cancelButton",
                                     CommandIcon::Cancel);
    connect(button, &QPushButton::clicked, this, &QDialog::reject);
}

void OutputDialogBase::Choose(int choice)
{
    if (!ReadValues())
        return;
    m_choice = choice;
    accept();
}

void OutputDialogBase::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (ReadValues())
            accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void OutputDialogBase::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // Without a title bar the dialog draws its own thin frame.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------

Dlg_MSG_DOUBLE2::Dlg_MSG_DOUBLE2(QWidget* parent) : OutputDialogBase(parent, 131, 69)
{
    setObjectName(QStringLiteral("Dlg_MSG_DOUBLE2"));
    AddChoiceButton(QStringLiteral("Txt"), 8, 7, 50, 14, "txtButton", OUTPUT_TEXT);
    AddChoiceButton(QStringLiteral("Excel"), 75, 7, 50, 14, "excelButton", OUTPUT_WORKBOOK);
    AddChoiceButton(QStringLiteral("Word"), 7, 27, 50, 14, "wordButton", OUTPUT_DOCUMENT);
    AddChoiceButton(QStringLiteral("PDF"), 75, 27, 50, 14, "pdfButton", OUTPUT_PDF);
    AddChoiceButton(QStringLiteral("打印"), 7, 47, 50, 14, "printButton", OUTPUT_PRINT);
    AddCancelButton(75, 47, 50, 14);
}

// ---------------------------------------------------------------------------

Dlg_MSG_DOUBLE::Dlg_MSG_DOUBLE(QWidget* parent) : OutputDialogBase(parent, 139, 145)
{
    setObjectName(QStringLiteral("Dlg_MSG_DOUBLE"));

    m_minimumLabel = new QLabel(QStringLiteral("可用余料的最小长度："), this);
    m_minimumLabel->setObjectName(QStringLiteral("minimumLabel"));
    m_minimumLabel->setGeometry(DluToPixels(7, 11, 81, 12));
    m_minimumLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_minimumEdit = new QLineEdit(this);
    m_minimumEdit->setObjectName(QStringLiteral("minimumEdit"));
    m_minimumEdit->setGeometry(DluToPixels(92, 11, 39, 12));
    m_minimumEdit->setAlignment(Qt::AlignCenter);

    m_preferredCheck = new QCheckBox(QStringLiteral("余料长优先使用"), this);
    m_preferredCheck->setObjectName(QStringLiteral("preferredCheck"));
    m_preferredCheck->setGeometry(DluToPixels(32, 30, 78, 12));
    m_addCheck = new QCheckBox(QStringLiteral("余料长加入原料库"), this);
    m_addCheck->setObjectName(QStringLiteral("addCheck"));
    m_addCheck->setGeometry(DluToPixels(32, 47, 78, 12));
    connect(m_addCheck, &QCheckBox::clicked, this, [this] {
        ReadValues();
        UpdateEnabling();
    });

    AddChoiceButton(QStringLiteral("根据优化结果更新原料库"), 8, 66, 121, 14, "updateButton", OUTPUT_UPDATE_STOCK);

    // A line across the whole dialog between the update and the reports.
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("separator"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(QRect(0, DluToPixelsY(86), width(), DluToPixelsY(6)));

    AddChoiceButton(QStringLiteral("Txt"), 9, 101, 50, 14, "txtButton", OUTPUT_TEXT);
    AddChoiceButton(QStringLiteral("Excel"), 80, 101, 50, 14, "excelButton", OUTPUT_WORKBOOK);
    AddChoiceButton(QStringLiteral("Word"), 8, 124, 50, 14, "wordButton", OUTPUT_DOCUMENT);
    AddCancelButton(80, 124, 50, 14);
}

void Dlg_MSG_DOUBLE::ShowValues()
{
    m_minimumEdit->setText(LengthText(m_minimumLength));
    m_preferredCheck->setChecked(m_remnantsPreferred);
    m_addCheck->setChecked(m_addRemnants);
    UpdateEnabling();
    m_minimumEdit->setFocus(Qt::OtherFocusReason);
    m_minimumEdit->selectAll();
}

bool Dlg_MSG_DOUBLE::ReadValues()
{
    m_addRemnants = m_addCheck->isChecked();
    m_remnantsPreferred = m_preferredCheck->isChecked();
    double value = 0;
    if (!ParseNumberText(m_minimumEdit->text(), value)) {
        RefuseField(this, m_minimumEdit, NUMBER_MESSAGE, static_cast<int>(m_minimumEdit->text().size()));
        return false;
    }
    m_minimumLength = value;
    return true;
}

void Dlg_MSG_DOUBLE::UpdateEnabling()
{
    const bool enabled = m_addCheck->isChecked();
    m_minimumLabel->setEnabled(enabled);
    m_minimumEdit->setEnabled(enabled);
    m_preferredCheck->setEnabled(enabled);
}
