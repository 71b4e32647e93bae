#pragma once

#include <cstdint>

#include <QDialog>
#include <QString>

#include "lists/InputLists.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class Pic_Button;

// The dialogs of the two input tables. Each is modal, opens centred on the
// mouse pointer and carries its values in public members: the caller fills
// them, runs exec() and reads them back after QDialog::Accepted.

// Which of the add/edit titles a row dialog shows.
enum class RowDialogMode { Add, Edit };

// Base of the six dialogs: font, fixed size in dialog units, OK and cancel
// buttons, validation helpers.
class InputDialogBase : public QDialog {
    Q_OBJECT
public:
    InputDialogBase(QWidget* parent, const QString& title, int widthDlu, int heightDlu);

    // Moves the dialog so that its centre is at the mouse pointer, then runs it.
    int exec() override;

protected:
    QLabel* AddLabel(const QString& text, int x, int y, int w, int h, const char* name);
    QLineEdit* AddEdit(int x, int y, int w, int h, const char* name, int maxLength = 0);
    QCheckBox* AddCheck(const QString& text, int x, int y, int w, int h, const char* name);
    void AddButtons(const QString& okText, const QString& cancelText, int y);

    bool ReadNumber(QLineEdit* field, double& value, int count);
    bool ReadInteger(QLineEdit* field, int32_t& value, int count);

    // A stock quantity field with its "库存数量无限" box: the field and its
    // label are enabled while the box is not ticked, and follow it at once.
    void LinkUnlimitedCheck(QCheckBox* unlimited, QLabel* label, QLineEdit* field);
    static void EnableQuantityField(const QCheckBox* unlimited, QLabel* label, QLineEdit* field);
    // The stored encoding of a typed stock quantity: unlimited while the box
    // is ticked, else the count, which must be above 0 (false after refusing
    // the field, its first `count` characters selected).
    bool StoredStockQuantity(const QCheckBox* unlimited, QLineEdit* field, int32_t& quantity, int count);

    virtual void OnOk() = 0;

    Pic_Button* m_okButton = nullptr;
    Pic_Button* m_cancelButton = nullptr;
};

// One cut row: "下料--新增" / "下料--编辑".
class Dlg_MSG_Len : public InputDialogBase {
    Q_OBJECT
public:
    Dlg_MSG_Len(QWidget* parent, RowDialogMode mode);

    // Shows the members in the fields and focuses the field of m_focusColumn.
    void ShowValues();

    int m_focusColumn = -1;  // -1 or 0 none, 1 specification, 2 length, 3 quantity, 4 mark
    QString m_spec;
    double m_length = 0;
    int32_t m_quantity = 0;
    QString m_mark;

    QLineEdit* m_specEdit = nullptr;
    QLineEdit* m_lengthEdit = nullptr;
    QLineEdit* m_quantityEdit = nullptr;
    QLineEdit* m_markEdit = nullptr;

protected:
    void OnOk() override;
};

// One stock row: "原料--新增" / "原料--编辑".
class Dlg_MSG_Len2 : public InputDialogBase {
    Q_OBJECT
public:
    Dlg_MSG_Len2(QWidget* parent, RowDialogMode mode);

    void ShowValues();

    int m_focusColumn = -1;  // -1 or 0 none, 1 specification, 2 length, 3 quantity
    QString m_spec;
    double m_length = 0;
    int32_t m_quantity = 0;  // stored encoding: 0 or less is unlimited
    int32_t m_priority = 0;

    QLineEdit* m_specEdit = nullptr;
    QLineEdit* m_lengthEdit = nullptr;
    QLabel* m_quantityLabel = nullptr;
    QLineEdit* m_quantityEdit = nullptr;
    QCheckBox* m_priorityCheck = nullptr;
    QCheckBox* m_unlimitedCheck = nullptr;

protected:
    void OnOk() override;
};

// "统一修改下料数量".
class Dlg_CLK_1 : public InputDialogBase {
    Q_OBJECT
public:
    explicit Dlg_CLK_1(QWidget* parent);
    void ShowValues();

    int32_t m_quantity = 1;
    QLineEdit* m_quantityEdit = nullptr;

protected:
    void OnOk() override;
};

// "统一修改下料标记".
class Dlg_CLK_2 : public InputDialogBase {
    Q_OBJECT
public:
    explicit Dlg_CLK_2(QWidget* parent);
    void ShowValues();

    QString m_mark;
    QLineEdit* m_markEdit = nullptr;

protected:
    void OnOk() override;
};

// "统一修改库存数量".
class Dlg_CLK_3 : public InputDialogBase {
    Q_OBJECT
public:
    explicit Dlg_CLK_3(QWidget* parent);
    void ShowValues();

    int32_t m_quantity = 1;  // in: magnitude; out: stored encoding
    bool m_unlimited = false;
    QLabel* m_quantityLabel = nullptr;
    QLineEdit* m_quantityEdit = nullptr;
    QCheckBox* m_unlimitedCheck = nullptr;

protected:
    void OnOk() override;
};

// "统一修改原料优先".
class Dlg_CLK_4 : public InputDialogBase {
    Q_OBJECT
public:
    explicit Dlg_CLK_4(QWidget* parent);
    void ShowValues();

    int32_t m_priority = 0;
    QCheckBox* m_priorityCheck = nullptr;

protected:
    void OnOk() override;
};

// The add or edit dialog of a row of either list (Dlg_MSG_Len for a cut row,
// Dlg_MSG_Len2 for a stock row), opened with the values of `row` and the field
// of focusColumn focused. True on OK, with the values typed in `row`.
bool RunRowDialog(QWidget* parent, ListKind kind, RowDialogMode mode, int focusColumn, ListRow& row);

// The batch dialog of column 3 (quantity) or 4 (mark of a cut row, priority of
// a stock row) of either list, opened with the value of the clicked row
// (`clicked` is null for a click outside the list). True on OK, with the value
// typed in that column's member of `typed`; false for any other column.
bool RunBatchDialog(QWidget* parent, ListKind kind, int column, const ListRow* clicked, ListRow& typed);
