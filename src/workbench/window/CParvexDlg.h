#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include <QDialog>
#include <QRect>
#include <QString>
#include <QStringList>

#include "engine/Job.h"
#include "exchange/SettingsFile.h"
#include "lists/InputLists.h"
#include "workbench/window/TableModels.h"
#include "workbench/window/WindowLayout.h"

class CGradientProgressCtrl;
class MyListCtrl;
class Pic_Button;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTimer;
enum class CommandIcon;

// The values the next add dialog of the cut list offers.
struct LastCutEntry : ListRow {
    LastCutEntry() : ListRow{MyString(), 1500, 18, MyString(), 0} {}
};

// The values the next add dialog of the stock list offers.
struct LastStockEntry : ListRow {
    LastStockEntry() : ListRow{MyString(), 10000, 10, MyString(), 0} {}
};

extern LastCutEntry g_lastCutEntry;
extern LastStockEntry g_lastStockEntry;

// Sort direction of each column of the input tables (1 to 4 sort) and of the
// result table (1, 2, 4, 5, 6 sort): flipped before every sort, true = ascending.
extern std::array<bool, 5> g_cutSortAscending;
extern std::array<bool, 5> g_stockSortAscending;
extern std::array<bool, 7> g_resultSortAscending;

// The enabled state of every child control of the main window, in child order,
// remembered by BeginRun for EndRun.
extern std::vector<int32_t> g_savedEnabled;

// A refused parameter field (trim, kerf) selects its first 20 characters.
constexpr int PARAMETER_SELECTION = 20;

// The specification offered when neither list has a row to copy.
extern const MyString DEFAULT_SPEC;

// What a user changed: a list (saved at once) or a parameter field (saved
// once the typing has paused).
enum class ChangeKind { Lists, Parameters };

// The line the result table shows once its plan no longer matches the data.
extern const QString PLAN_OUT_OF_DATE_TEXT;

// During a run the window dispatches waiting events at most this often, and
// moves the progress bar at most this often, however often the engine checks.
constexpr std::chrono::milliseconds DISPATCH_INTERVAL{40};
constexpr std::chrono::milliseconds PROGRESS_INTERVAL{100};
// Typing in a parameter field is saved once it has paused this long.
constexpr int PARAMETER_SAVE_DELAY_MS = 500;

// The main window: the two input lists with their tables, the cutting
// parameters, the result table and every command of the program. It is also
// the window side of an optimisation run (g_resultWindow while computing).
class CParvexDlg : public QDialog, public RunHooks {
    Q_OBJECT

public:
    explicit CParvexDlg(QWidget* parent = nullptr);
    ~CParvexDlg() override;

    // --- Parameters ---------------------------------------------------------
    // Copies the trim, kerf, combo index and track bar position into the
    // members. A number field that does not hold a number shows
    // "请输入一个数字。", gets the focus and keeps its member at the last valid
    // value; the result is then false.
    bool ReadControls();
    // Writes the members into their controls.
    void ShowMembers();
    // "结果输出" and "剩料输出".
    void EnableOutputButtons(bool enabled);
    // Sizes the window for the available area of its screen: the designed
    // size where it fits, else smaller (WindowLayout), and moves it so that
    // its frame lies inside that area. Done when the window is first shown.
    void FitToScreen();
    const WindowLayout& Layout() const { return m_layout; }

    // --- Changes ------------------------------------------------------------
    // Every change a user makes to a list or a parameter ends here: a plan on
    // show no longer matches (the table says so and the output commands are
    // disabled until the next compute), a flagged cell is cleared, and the
    // lists and parameters are saved, so that a crash or a kill loses nothing.
    void NoteChange(ChangeKind kind);
    bool PlanOutOfDate() const { return m_planOutOfDate; }

    // --- Input tables -------------------------------------------------------
    // Each command is written once for either list; the commands of the cut
    // and of the stock table name it with their list.
    //
    // The table shows its list anew (after the list changed in any way).
    void RefillTable(ListKind kind);
    // Shows columns 1 to 4 of one row again; nothing for a row outside the list.
    void ShowRow(ListKind kind, int row);
    // "增  加": the add dialog with the last entry's values, the row appended,
    // selected and in view.
    void AddItem(ListKind kind);
    // The edit dialog of one row, the field under the pointer focused.
    void EditRow(ListKind kind, int row);
    // "删  除" and the Delete key: every selected row, without a question.
    void DeleteSelectedRows(ListKind kind);
    // "归 并": equal rows combined; the table refilled when rows went.
    void MergeRows(ListKind kind);
    // A click on heading 1 to 4: the rows sorted stably by it, the direction
    // flipping with every click.
    void SortTable(ListKind kind, int column);
    // A click on a highlighted quantity or mark/priority cell: the batch
    // dialog of that column for every captured row.
    void BatchEditRows(ListKind kind, int row, int column);

    void RefillCutTable() { RefillTable(LIST_CUT); }
    void RefillStockTable() { RefillTable(LIST_STOCK); }
    void ShowCutRow(int row) { ShowRow(LIST_CUT, row); }
    void ShowStockRow(int row) { ShowRow(LIST_STOCK, row); }
    void AddCutItem() { AddItem(LIST_CUT); }
    void AddStockItem() { AddItem(LIST_STOCK); }
    void EditCutRow(int row) { EditRow(LIST_CUT, row); }
    void EditStockRow(int row) { EditRow(LIST_STOCK, row); }
    void DeleteSelectedCutRows() { DeleteSelectedRows(LIST_CUT); }
    void DeleteSelectedStockRows() { DeleteSelectedRows(LIST_STOCK); }
    void MergeCutRows() { MergeRows(LIST_CUT); }
    void MergeStockRows() { MergeRows(LIST_STOCK); }
    void SortCutTable(int column) { SortTable(LIST_CUT, column); }
    void SortStockTable(int column) { SortTable(LIST_STOCK, column); }
    void BatchEditCutRows(int row, int column) { BatchEditRows(LIST_CUT, row, column); }
    void BatchEditStockRows(int row, int column) { BatchEditRows(LIST_STOCK, row, column); }
    // The column of `row` whose cell holds the mouse pointer, or -1.
    int ColumnUnderPointer(const MyListCtrl* table, int row) const;

    // --- Result table and compute command -----------------------------------
    void FillResultTable();
    void SortResultTable(int column);
    void ComputePlan();
    void ReportJobError(const JobError& error);
    void InterruptRun();

    // --- RunHooks -----------------------------------------------------------
    void DispatchPending() override;
    void StepProgress() override;
    void ShowLiveRow(const WireOptimize& group, const WireCombine& pattern) override;
    void BeginRun() override;
    void EndRun() override;
    void ShowExactProgress(const WireOptimize& group, double lowerBound, double bestLength) override;

    // --- The exact optimiser ------------------------------------------------
    // "精确" chosen instead of the speed level.
    bool ExactChosen() const;
    // The choice is kept in a file of its own beside the settings file.
    void LoadExactChoice();
    void SaveExactChoice();
    // The bound line under the result table, from g_job.
    void ShowBoundLine();

    // --- List files ---------------------------------------------------------
    // "导 入": asks for a file and reads it into the list (text or spreadsheet
    // by its name). Returns whether the list may have changed.
    bool ImportList(ListKind kind);
    // "导 出": asks for a file name and writes the list to it.
    void ExportList(ListKind kind);
    // The "导入文件格式" menu's items, for g_exampleListKind.
    void WriteTextExample();
    void ShowSpreadsheetExample();

    // --- Settings -----------------------------------------------------------
    // Reads the settings file of g_programFolder into the lists and members.
    void LoadSettings();
    // Writes the lists and members to it; false when the file could not be written.
    bool SaveSettings();
    QString SettingsPath() const;

    // Command buttons, in the order of the window's commands.
    Pic_Button* m_shortcutButton = nullptr;   // 设桌面快捷图标
    Pic_Button* m_closeButton = nullptr;      // 关 闭
    Pic_Button* m_computeButton = nullptr;    // 优化计算
    Pic_Button* m_outputButton = nullptr;     // 结果输出
    Pic_Button* m_leftoverButton = nullptr;   // 剩料输出
    Pic_Button* m_aboutButton = nullptr;      // 关  于
    Pic_Button* m_helpButton = nullptr;       // 帮  助
    Pic_Button* m_cutAddButton = nullptr;
    Pic_Button* m_cutDeleteButton = nullptr;
    Pic_Button* m_cutMergeButton = nullptr;
    Pic_Button* m_cutImportButton = nullptr;
    Pic_Button* m_cutExportButton = nullptr;
    Pic_Button* m_cutFormatButton = nullptr;
    Pic_Button* m_stockAddButton = nullptr;
    Pic_Button* m_stockDeleteButton = nullptr;
    Pic_Button* m_stockMergeButton = nullptr;
    Pic_Button* m_stockImportButton = nullptr;
    Pic_Button* m_stockExportButton = nullptr;
    Pic_Button* m_stockFormatButton = nullptr;
    Pic_Button* m_interruptButton = nullptr;  // 中 断 优 化

    MyListCtrl* m_cutTable = nullptr;
    MyListCtrl* m_stockTable = nullptr;
    MyListCtrl* m_resultTable = nullptr;
    CGradientProgressCtrl* m_progress = nullptr;

    double m_reservedValue = 10;
    double m_kerfWidth = 10;
    int32_t m_maxLengthKinds = 0;
    double m_trimLength = 0;
    int32_t m_speedLevel = 1;
    QSlider* m_speedSlider = nullptr;
    QLineEdit* m_trimEdit = nullptr;
    QLineEdit* m_kerfEdit = nullptr;
    QComboBox* m_kindsCombo = nullptr;
    QCheckBox* m_exactCheck = nullptr;  // 精确
    QLabel* m_boundLabel = nullptr;     // the bound line under the result table

    InputLists m_lists;
    // The record read at start: carries the reserved integer back to the file.
    SettingsRecord m_settings;
    // Over the result table while its plan is out of date.
    QLabel* m_outOfDateLabel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Esc never closes the window.
    void reject() override {}

private:
    void CreateControls();
    // Where the table and buttons of a list go, in dialog units: the table,
    // and the left edges of "增  加" and "导 入", of "删  除" and "导 出", of
    // "归 并" and of "导入文件格式".
    struct ListPlacement {
        QRect table;
        int leftX;
        int rightX;
        int mergeX;
        int formatX;
    };
    void CreateListControls(ListKind kind, const ListPlacement& at);
    // The command buttons of either list.
    struct ListButtonSet {
        Pic_Button*& add;
        Pic_Button*& remove;
        Pic_Button*& merge;
        Pic_Button*& import;
        Pic_Button*& exportTo;
        Pic_Button*& format;
    };
    ListButtonSet Buttons(ListKind kind);
    void CreateColumns();
    void CreateExactControls();
    Pic_Button* AddButton(const QString& caption, int x, int y, int w, int h, const char* name, CommandIcon icon);
    QGroupBox* AddGroupBox(const QString& caption, int x, int y, int w, int h, const char* name);
    QLabel* AddLabel(const QString& caption, int x, int y, int w, int h, const char* name, Qt::Alignment alignment);
    void ConnectCommands();
    void InstallKeyFilter();
    std::vector<Pic_Button*> ListButtons() const;
    std::vector<QWidget*> ChildControls() const;

    // Close by "关 闭" (stayOnBadField: a field that does not hold a number
    // keeps the window open) or by the close box (closes in any case).
    bool CloseWindow(bool stayOnBadField);

    // The table, the rows model and the list buttons of either list.
    MyListCtrl* Table(ListKind kind) const { return kind == LIST_CUT ? m_cutTable : m_stockTable; }
    InputListModel* Rows(ListKind kind) const { return kind == LIST_CUT ? m_cutRows : m_stockRows; }
    void ConnectListCommands(ListKind kind);

    void OnSelectionChanged(ListKind kind);
    void OnDoubleClick(ListKind kind, int row);
    void ShowFormatMenu(int list);
    // The replace question before an import into a list with rows: true for
    // Yes (replace the rows), false for No (append) or an empty list.
    bool AskReplaceList(ListKind kind);

    void OnOutputCommand();
    void OnPrintCommand();  // Ctrl+P: the cutting sheet through the print dialog
    void OnLeftoverCommand();
    void OnImportList(int list);
    void OnExportList(int list);
    void OnShortcutCommand();
    void OnHelpCommand();
    void OnAboutCommand();
    void OnResultDoubleClick(int row);

    // Saves the lists and parameters (a field that does not hold a number
    // gives its last number) without a message.
    void SaveQuietly();
    void MarkPlanOutOfDate();
    void ConnectChangeNotices();
    // Live rows wait here and reach the table together, at most once per dispatch.
    void FlushLiveRows();

    bool m_closed = false;
    bool m_planOutOfDate = false;
    QTimer* m_saveTimer = nullptr;
    std::vector<LiveRow> m_liveRows;
    // The rows of the three tables.
    InputListModel* m_cutRows = nullptr;
    InputListModel* m_stockRows = nullptr;
    ResultTableModel* m_resultRows = nullptr;
    std::chrono::steady_clock::time_point m_lastDispatch;
    std::chrono::steady_clock::time_point m_lastStep;
    WindowLayout m_layout;
    bool m_fitted = false;  // FitToScreen done at the first show
};
