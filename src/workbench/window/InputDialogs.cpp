#include "workbench/window/InputDialogs.h"

#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "platform/AppResources.h"
#include "platform/DialogPlacement.h"
#include "platform/DialogUnits.h"
#include "platform/Prompts.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/FieldText.h"

namespace {

const QString INTEGER_MESSAGE = QStringLiteral("请输入一个整数。");
const QString SPEC_MESSAGE = QStringLiteral("请输入规格 !");
const QString LENGTH_MESSAGE = QStringLiteral("长度应大于 0 !");
const QString QUANTITY_MESSAGE = QStringLiteral("数量应大于 0 !");

// Row dialogs select the first 20 characters of a refused field, the batch
// dialogs the first 10.
constexpr int ROW_SELECTION = 20;
constexpr int BATCH_SELECTION = 10;

// The magnitude kept by an unlimited stock quantity, 1 for 0.
int32_t Magnitude(int32_t quantity)
{
    if (quantity == 0)
        return 1;
    if (quantity < 0)
        return quantity == INT32_MIN ? INT32_MAX : -quantity;
    return quantity;
}

// The stored encoding of an unlimited quantity typed as `typed`.
int32_t UnlimitedQuantity(int32_t typed)
{
    if (typed == 0)
        return -1;
    return -Magnitude(typed);
}

}  // namespace

// ---------------------------------------------------------------------------

InputDialogBase::InputDialogBase(QWidget* parent, const QString& title, int widthDlu, int heightDlu)
    : QDialog(parent)
{
    setFont(DialogFont());
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(DluToPixelsX(widthDlu), DluToPixelsY(heightDlu));
    setModal(true);
}

int InputDialogBase::exec()
{
    CentreOnPointer(this);
    return QDialog::exec();
}

QLabel* InputDialogBase::AddLabel(const QString& text, int x, int y, int w, int h, const char* name)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(DluToPixels(x, y, w, h));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* InputDialogBase::AddEdit(int x, int y, int w, int h, const char* name, int maxLength)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(DluToPixels(x, y, w, h));
    edit->setAlignment(Qt::AlignCenter);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

QCheckBox* InputDialogBase::AddCheck(const QString& text, int x, int y, int w, int h, const char* name)
{
    auto* check = new QCheckBox(text, this);
    check->setObjectName(QString::fromLatin1(name));
    check->setGeometry(DluToPixels(x, y, w, h));
    return check;
}

void InputDialogBase::AddButtons(const QString& okText, const QString& cancelText, int y)
{
    const int dialogWidthDlu = width() * 4 / DialogBaseUnitX();
    const int buttonWidth = 45;
    const int gap = 12;
    const int left = (dialogWidthDlu - 2 * buttonWidth - gap) / 2;

    m_okButton = MakeCommandButton(this, okText, DluToPixels(left, y, buttonWidth, 15), "okButton", CommandIcon::Ok);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, [this] { OnOk(); });

    m_cancelButton = MakeCommandButton(this, cancelText, DluToPixels(left + buttonWidth + gap, y, buttonWidth, 15),
                                       "cancelButton", CommandIcon::Cancel);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool InputDialogBase::ReadNumber(QLineEdit* field, double& value, int count)
{
    if (ParseNumberText(field->text(), value))
        return true;
    RefuseField(this, field, NUMBER_MESSAGE, count);
    return false;
}

bool InputDialogBase::ReadInteger(QLineEdit* field, int32_t& value, int count)
{
    if (ParseIntegerText(field->text(), value))
        return true;
    RefuseField(this, field, INTEGER_MESSAGE, count);
    return false;
}

void InputDialogBase::LinkUnlimitedCheck(QCheckBox* unlimited, QLabel* label, QLineEdit* field)
{
    connect(unlimited, &QCheckBox::toggled, this, [=] { EnableQuantityField(unlimited, label, field); });
}

void InputDialogBase::EnableQuantityField(const QCheckBox* unlimited, QLabel* label, QLineEdit* field)
{
    const bool limited = !unlimited->isChecked();
    field->setEnabled(limited);
    label->setEnabled(limited);
}

bool InputDialogBase::StoredStockQuantity(const QCheckBox* unlimited, QLineEdit* field, int32_t& quantity, int count)
{
    if (unlimited->isChecked()) {
        quantity = UnlimitedQuantity(quantity);
        return true;
    }
    if (quantity > 0)
        return true;
    RefuseField(this, field, QUANTITY_MESSAGE, count);
    return false;
}

// ---------------------------------------------------------------------------

Dlg_MSG_Len::Dlg_MSG_Len(QWidget* parent, RowDialogMode mode)
    : InputDialogBase(parent, mode == RowDialogMode::Add ? QStringLiteral("下料--新增") : QStringLiteral("下料--编辑"),
                      123, 112)
{
    setObjectName(QStringLiteral("Dlg_MSG_Len"));
    AddLabel(QStringLiteral("规  格："), 8, 12, 38, 12, "specLabel");
    m_specEdit = AddEdit(48, 11, 66, 13, "specEdit", MYSTRING_MAX_UNITS);
    AddLabel(QStringLiteral("长  度："), 8, 31, 38, 12, "lengthLabel");
    m_lengthEdit = AddEdit(48, 30, 66, 13, "lengthEdit");
    AddLabel(QStringLiteral("数  量："), 8, 50, 38, 12, "quantityLabel");
    m_quantityEdit = AddEdit(48, 49, 66, 13, "quantityEdit");
    AddLabel(QStringLiteral("标  记："), 8, 69, 38, 12, "markLabel");
    m_markEdit = AddEdit(48, 68, 66, 13, "markEdit", MYSTRING_MAX_UNITS);
    AddButtons(QStringLiteral("确  定"), QStringLiteral("取  消"), 90);
}

void Dlg_MSG_Len::ShowValues()
{
    m_specEdit->setText(m_spec);
    m_lengthEdit->setText(LengthText(m_length));
    m_quantityEdit->setText(QString::number(m_quantity));
    m_markEdit->setText(m_mark);
    QLineEdit* fields[] = {m_specEdit, m_lengthEdit, m_quantityEdit, m_markEdit};
    if (m_focusColumn >= 1 && m_focusColumn <= 4)
        FocusField(fields[m_focusColumn - 1], ROW_SELECTION);
    else
        m_specEdit->setFocus(Qt::OtherFocusReason);
}

void Dlg_MSG_Len::OnOk()
{
    double length = 0;
    int32_t quantity = 0;
    if (!ReadNumber(m_lengthEdit, length, ROW_SELECTION) || !ReadInteger(m_quantityEdit, quantity, ROW_SELECTION))
        return;
    const QString spec = RemoveBlanks(m_specEdit->text());
    const QString mark = RemoveBlanks(m_markEdit->text());
    m_specEdit->setText(spec);
    m_markEdit->setText(mark);
    if (spec.isEmpty())
        return RefuseField(this, m_specEdit, SPEC_MESSAGE, ROW_SELECTION);
    if (length <= 0)
        return RefuseField(this, m_lengthEdit, LENGTH_MESSAGE, ROW_SELECTION);
    if (quantity <= 0)
        return RefuseField(this, m_quantityEdit, QUANTITY_MESSAGE, ROW_SELECTION);
    m_spec = spec;
    m_length = length;
    m_quantity = quantity;
    m_mark = mark;
    accept();
}

// ---------------------------------------------------------------------------

Dlg_MSG_Len2::Dlg_MSG_Len2(QWidget* parent, RowDialogMode mode)
    : InputDialogBase(parent, mode == RowDialogMode::Add ? QStringLiteral("原料--新增") : QStringLiteral("原料--编辑"),
                      125, 106)
{
    setObjectName(QStringLiteral("Dlg_MSG_Len2"));
    AddLabel(QStringLiteral("规  格："), 6, 12, 42, 12, "specLabel");
    m_specEdit = AddEdit(50, 11, 66, 13, "specEdit", MYSTRING_MAX_UNITS);
    AddLabel(QStringLiteral("长  度："), 6, 31, 42, 12, "lengthLabel");
    m_lengthEdit = AddEdit(50, 30, 66, 13, "lengthEdit");
    m_quantityLabel = AddLabel(QStringLiteral("库存数量："), 6, 50, 42, 12, "quantityLabel");
    m_quantityEdit = AddEdit(50, 49, 66, 13, "quantityEdit");
    m_priorityCheck = AddCheck(QStringLiteral("优先使用"), 10, 68, 48, 12, "priorityCheck");
    m_unlimitedCheck = AddCheck(QStringLiteral("库存数量无限"), 62, 68, 60, 12, "unlimitedCheck");
    LinkUnlimitedCheck(m_unlimitedCheck, m_quantityLabel, m_quantityEdit);
    AddButtons(QStringLiteral("确 定"), QStringLiteral("取 消"), 85);
}

void Dlg_MSG_Len2::ShowValues()
{
    m_specEdit->setText(m_spec);
    m_lengthEdit->setText(LengthText(m_length));
    m_unlimitedCheck->setChecked(m_quantity <= 0);
    m_quantityEdit->setText(QString::number(Magnitude(m_quantity)));
    m_priorityCheck->setChecked(m_priority == 1);
    EnableQuantityField(m_unlimitedCheck, m_quantityLabel, m_quantityEdit);
    QLineEdit* fields[] = {m_specEdit, m_lengthEdit, m_quantityEdit};
    if (m_focusColumn >= 1 && m_focusColumn <= 3 && fields[m_focusColumn - 1]->isEnabled())
        FocusField(fields[m_focusColumn - 1], ROW_SELECTION);
    else
        m_specEdit->setFocus(Qt::OtherFocusReason);
}

void Dlg_MSG_Len2::OnOk()
{
    double length = 0;
    int32_t quantity = 0;
    if (!ReadNumber(m_lengthEdit, length, ROW_SELECTION) || !ReadInteger(m_quantityEdit, quantity, ROW_SELECTION))
        return;
    const QString spec = RemoveBlanks(m_specEdit->text());
    m_specEdit->setText(spec);
    if (spec.isEmpty())
        return RefuseField(this, m_specEdit, SPEC_MESSAGE, ROW_SELECTION);
    if (length <= 0)
        return RefuseField(this, m_lengthEdit, LENGTH_MESSAGE, ROW_SELECTION);
    if (!StoredStockQuantity(m_unlimitedCheck, m_quantityEdit, quantity, ROW_SELECTION))
        return;
    m_spec = spec;
    m_length = length;
    m_quantity = quantity;
    m_priority = m_priorityCheck->isChecked() ? 1 : 0;
    accept();
}

// ---------------------------------------------------------------------------

Dlg_CLK_1::Dlg_CLK_1(QWidget* parent) : InputDialogBase(parent, QStringLiteral("统一修改下料数量"), 137, 49)
{
    setObjectName(QStringLiteral("Dlg_CLK_1"));
    AddLabel(QStringLiteral("下料数量："), 8, 9, 44, 12, "quantityLabel");
    m_quantityEdit = AddEdit(54, 8, 72, 13, "quantityEdit");
    AddButtons(QStringLiteral("确  定"), QStringLiteral("取  消"), 28);
}

void Dlg_CLK_1::ShowValues()
{
    m_quantityEdit->setText(QString::number(m_quantity));
    m_quantityEdit->setFocus(Qt::OtherFocusReason);
    m_quantityEdit->selectAll();
}

void Dlg_CLK_1::OnOk()
{
    int32_t quantity = 0;
    if (!ReadInteger(m_quantityEdit, quantity, BATCH_SELECTION))
        return;
    if (quantity <= 0)
        return RefuseField(this, m_quantityEdit, QUANTITY_MESSAGE, BATCH_SELECTION);
    m_quantity = quantity;
    accept();
}

// ---------------------------------------------------------------------------

Dlg_CLK_2::Dlg_CLK_2(QWidget* parent) : InputDialogBase(parent, QStringLiteral("统一修改下料标记"), 137, 49)
{
    setObjectName(QStringLiteral("Dlg_CLK_2"));
    AddLabel(QStringLiteral("下料标记："), 8, 9, 44, 12, "markLabel");
    m_markEdit = AddEdit(54, 8, 72, 13, "markEdit", MYSTRING_MAX_UNITS);
    AddButtons(QStringLiteral("确  定"), QStringLiteral("取  消"), 28);
}

void Dlg_CLK_2::ShowValues()
{
    m_markEdit->setText(m_mark);
    m_markEdit->setFocus(Qt::OtherFocusReason);
    m_markEdit->selectAll();
}

void Dlg_CLK_2::OnOk()
{
    m_mark = RemoveBlanks(m_markEdit->text());
    m_markEdit->setText(m_mark);
    accept();
}

// ---------------------------------------------------------------------------

Dlg_CLK_3::Dlg_CLK_3(QWidget* parent) : InputDialogBase(parent, QStringLiteral("统一修改库存数量"), 137, 66)
{
    setObjectName(QStringLiteral("Dlg_CLK_3"));
    m_quantityLabel = AddLabel(QStringLiteral("库存数量："), 8, 9, 44, 12, "quantityLabel");
    m_quantityEdit = AddEdit(54, 8, 72, 13, "quantityEdit");
    m_unlimitedCheck = AddCheck(QStringLiteral("库存数量无限"), 54, 26, 72, 12, "unlimitedCheck");
    LinkUnlimitedCheck(m_unlimitedCheck, m_quantityLabel, m_quantityEdit);
    AddButtons(QStringLiteral("确  定"), QStringLiteral("取  消"), 45);
}

void Dlg_CLK_3::ShowValues()
{
    m_quantityEdit->setText(QString::number(m_quantity));
    m_unlimitedCheck->setChecked(m_unlimited);
    EnableQuantityField(m_unlimitedCheck, m_quantityLabel, m_quantityEdit);
    if (m_quantityEdit->isEnabled()) {
        m_quantityEdit->setFocus(Qt::OtherFocusReason);
        m_quantityEdit->selectAll();
    }
}

void Dlg_CLK_3::OnOk()
{
    int32_t quantity = 0;
    if (!ReadInteger(m_quantityEdit, quantity, BATCH_SELECTION))
        return;
    m_unlimited = m_unlimitedCheck->isChecked();
    if (!StoredStockQuantity(m_unlimitedCheck, m_quantityEdit, quantity, BATCH_SELECTION))
        return;
    m_quantity = quantity;
    accept();
}

// ---------------------------------------------------------------------------

Dlg_CLK_4::Dlg_CLK_4(QWidget* parent) : InputDialogBase(parent, QStringLiteral("统一修改原料优先"), 137, 49)
{
    setObjectName(QStringLiteral("Dlg_CLK_4"));
    m_priorityCheck = AddCheck(QStringLiteral("优先使用"), 48, 9, 60, 12, "priorityCheck");
    AddButtons(QStringLiteral("确  定"), QStringLiteral("取  消"), 28);
}

void Dlg_CLK_4::ShowValues()
{
    m_priorityCheck->setChecked(m_priority == 1);
}

void Dlg_CLK_4::OnOk()
{
    m_priority = m_priorityCheck->isChecked() ? 1 : 0;
    accept();
}

// ---------------------------------------------------------------------------
// The dialogs of either list

namespace {

// The fourth value of a row: the mark of a cut row, the priority of a stock row.
void LoadFourth(Dlg_MSG_Len& dialog, const ListRow& row)
{
    dialog.m_mark = ToQString(row.mark);
}

void LoadFourth(Dlg_MSG_Len2& dialog, const ListRow& row)
{
    dialog.m_priority = row.priority;
}

void StoreFourth(const Dlg_MSG_Len& dialog, ListRow& row)
{
    row.mark = ToMyString(dialog.m_mark);
}

void StoreFourth(const Dlg_MSG_Len2& dialog, ListRow& row)
{
    row.priority = dialog.m_priority;
}

template <typename Dialog>
bool RunRowDialogOf(QWidget* parent, RowDialogMode mode, int focusColumn, ListRow& row)
{
    Dialog dialog(parent, mode);
    dialog.m_spec = ToQString(row.spec);
    dialog.m_length = row.length;
    dialog.m_quantity = row.quantity;
    LoadFourth(dialog, row);
    dialog.m_focusColumn = focusColumn;
    dialog.ShowValues();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    row.spec = ToMyString(dialog.m_spec);
    row.length = dialog.m_length;
    row.quantity = dialog.m_quantity;
    StoreFourth(dialog, row);
    return true;
}

}  // namespace

bool RunRowDialog(QWidget* parent, ListKind kind, RowDialogMode mode, int focusColumn, ListRow& row)
{
    if (kind == LIST_CUT)
        return RunRowDialogOf<Dlg_MSG_Len>(parent, mode, focusColumn, row);
    return RunRowDialogOf<Dlg_MSG_Len2>(parent, mode, focusColumn, row);
}

bool RunBatchDialog(QWidget* parent, ListKind kind, int column, const ListRow* clicked, ListRow& typed)
{
    if (kind == LIST_CUT && column == 3) {
        Dlg_CLK_1 dialog(parent);
        dialog.m_quantity = clicked ? clicked->quantity : 1;
        dialog.ShowValues();
        if (dialog.exec() != QDialog::Accepted)
            return false;
        typed.quantity = dialog.m_quantity;
        return true;
    }
    if (kind == LIST_CUT && column == 4) {
        Dlg_CLK_2 dialog(parent);
        dialog.m_mark = clicked ? ToQString(clicked->mark) : QString();
        dialog.ShowValues();
        if (dialog.exec() != QDialog::Accepted)
            return false;
        typed.mark = ToMyString(dialog.m_mark);
        return true;
    }
    if (kind == LIST_STOCK && column == 3) {
        // Opened on the magnitude, ticked for an unlimited row (and outside the list).
        Dlg_CLK_3 dialog(parent);
        const int32_t quantity = clicked ? clicked->quantity : 0;
        dialog.m_unlimited = quantity <= 0;
        dialog.m_quantity = Magnitude(quantity);
        dialog.ShowValues();
        if (dialog.exec() != QDialog::Accepted)
            return false;
        typed.quantity = dialog.m_quantity;
        return true;
    }
    if (kind == LIST_STOCK && column == 4) {
        Dlg_CLK_4 dialog(parent);
        dialog.m_priority = clicked ? clicked->priority : 0;
        dialog.ShowValues();
        if (dialog.exec() != QDialog::Accepted)
            return false;
        typed.priority = dialog.m_priority;
        return true;
    }
    return false;
}
