#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class Pic_Button;

// The output choices of "结果输出" and "剩料输出".
enum OutputChoice : int {
    OUTPUT_TEXT = 0,
    OUTPUT_DOCUMENT = 1,
    OUTPUT_WORKBOOK = 2,
    OUTPUT_UPDATE_STOCK = 3,  // "剩料输出" only
    OUTPUT_PDF = 4,           // "结果输出" only: the cutting sheet
    OUTPUT_PRINT = 5,         // "结果输出" only: the cutting sheet printed
};

// The options both output commands keep while the program runs (not saved:
// every start begins with these defaults).
struct OutputOptions {
    int lastFormat = OUTPUT_DOCUMENT;  // the first choice of both dialogs
    bool addRemnants = true;           // "余料长加入原料库"
    bool remnantsPreferred = true;     // "余料长优先使用"
    double minimumLength = 100;        // "可用余料的最小长度："
};

extern OutputOptions g_outputOptions;

// Base of the two output dialogs: no title bar, opened centred on the mouse
// pointer. A button sets m_choice and closes with OK; Enter closes with OK
// and keeps the initial choice; Esc and "取 消" cancel.
class OutputDialogBase : public QDialog {
    Q_OBJECT
public:
    OutputDialogBase(QWidget* parent, int widthDlu, int heightDlu);
    int exec() override;

    int m_choice = OUTPUT_DOCUMENT;

protected:
    Pic_Button* AddChoiceButton(const QString& caption, int x, int y, int w, int h, const char* name, int choice);
    void AddCancelButton(int x, int y, int w, int h);
    // Reads the dialog's fields before it closes with OK; false keeps it open.
    virtual bool ReadValues() { return true; }
    void Choose(int choice);
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// "结果输出": Txt, Excel, Word, PDF, 打印 or cancel.
class Dlg_MSG_DOUBLE2 : public OutputDialogBase {
    Q_OBJECT
public:
    explicit Dlg_MSG_DOUBLE2(QWidget* parent);
};

// "剩料输出": the minimum leftover length and the two remnant options, then
// the stock update or a leftover report.
class Dlg_MSG_DOUBLE : public OutputDialogBase {
    Q_OBJECT
public:
    explicit Dlg_MSG_DOUBLE(QWidget* parent);

    // Shows the members in the controls and applies the enabling rule.
    void ShowValues();

    double m_minimumLength = 100;
    bool m_addRemnants = true;
    bool m_remnantsPreferred = true;

    QLabel* m_minimumLabel = nullptr;
    QLineEdit* m_minimumEdit = nullptr;
    QCheckBox* m_preferredCheck = nullptr;
    QCheckBox* m_addCheck = nullptr;

protected:
    bool ReadValues() override;

private:
    // The label, the edit and "余料长优先使用" are enabled exactly when
    // "余料长加入原料库" is ticked.
    void UpdateEnabling();
};
