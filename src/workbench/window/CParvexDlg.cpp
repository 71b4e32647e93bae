#include "workbench/window/CParvexDlg.h"

#include <algorithm>
#include <initializer_list>

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <QStyle>
#include <QWindow>

#include "platform/AppFolders.h"
#include "platform/AppResources.h"
#include "platform/DesktopOpener.h"
#include "platform/DesktopShortcut.h"
#include "platform/DialogUnits.h"
#include "platform/Localisation.h"
#include "platform/ProgramVersion.h"
#include "platform/Prompts.h"
#include "workbench/controls/CGradientProgressCtrl.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/Dlg_About.h"
#include "workbench/window/Dlg_MSG_Out.h"
#include "workbench/window/FieldText.h"

LastCutEntry g_lastCutEntry;
LastStockEntry g_lastStockEntry;
std::array<bool, 5> g_cutSortAscending{};
std::array<bool, 5> g_stockSortAscending{};
std::array<bool, 7> g_resultSortAscending{};
std::vector<int32_t> g_savedEnabled;
const MyString DEFAULT_SPEC = u"Ф121x6.0";
const QString PLAN_OUT_OF_DATE_TEXT = QStringLiteral("数据已修改，请重新优化计算");

namespace {

const QString WINDOW_TITLE_FORMAT = QStringLiteral("Trevak软件---线材下料优化（64位） V%1");

const QString TABLE_TIP = QStringLiteral("双击表内各行修改\n双击空白处增加\n按DEL键删除");
const QString SHORTCUT_FAILED_MESSAGE = QStringLiteral("无法在桌面文件夹 %1 中建立快捷图标 !");
const QString SAVE_FAILED_MESSAGE =
    QStringLiteral("设置文件 %1 无法写入，本次输入的数据和参数未能保存 !\n\n上次保存的设置文件保持不变。");

const QStringList KIND_ITEMS = {
    QStringLiteral("   不限制"), QStringLiteral("    1 种"), QStringLiteral("    2 种"),
    QStringLiteral("    3 种"),   QStringLiteral("    4 种"), QStringLiteral("    5 种"),
};

constexpr int SPEED_LEVEL_MAX = 5;

// The border a window system draws around a window, assumed before it is known.
constexpr int WINDOW_BORDER_ALLOWANCE = 4;

// Group boxes are drawn plainly (a thin etched frame, no platform theme) with
// red captions.
const QString GROUP_BOX_STYLE = QStringLiteral(
    "QGroupBox { border: 1px solid rgb(160, 160, 160); border-radius: 0px; margin-top: %1px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: %2px; padding: 0 2px;"
    " color: rgb(255, 0, 0); }");

struct ColumnSpec {
    const char* heading;  // UTF-8
    double factor;
};

// Centred columns whose widths are factor x (client width / divisor),
// truncated toward zero.
void AddColumns(MyListCtrl* table, double divisor, std::initializer_list<ColumnSpec> columns)
{
    const int clientWidth = table->ClientWidth();
    int index = 0;
    for (const ColumnSpec& column : columns)
        table->InsertColumn(index++, QString::fromUtf8(column.heading), Qt::AlignCenter,
                            static_cast<int>(column.factor * (clientWidth / divisor)));
}

bool IsEnterOrEsc(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

CParvexDlg::CParvexDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CParvexDlg"));
    InitAppResources();
    setFont(DialogFont());
    // The designed size; a smaller screen gets a smaller window and a larger
    // window gives its room to the tables (WindowLayout), hence a maximise box.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    resize(DluToPixelsX(697), DluToPixelsY(479));
    setWindowIcon(AppIcon());
    InstallProgramStyle();  // the tooltips' timing
    setStyleSheet(ToolTipStyleSheet());

    CreateControls();
    CreateExactControls();
    CreateColumns();
    m_layout.Record(this, m_cutTable, m_stockTable, m_resultTable, {m_progress, m_boundLabel});
    setMinimumSize(m_layout.MinimumSize());
    ConnectCommands();
    InstallKeyFilter();

    setWindowTitle(WINDOW_TITLE_FORMAT.arg(ProgramVersionText()));

    // The desktop shortcut is offered only while none leads to the program.
    m_shortcutButton->setVisible(!DesktopShortcutExists());

    LoadSettings();
    LoadExactChoice();
    ShowMembers();
    RefillCutTable();
    RefillStockTable();
    FillResultTable();
    ReadControls();
    EnableOutputButtons(!g_job.m_groups.empty());
    ConnectChangeNotices();
}

CParvexDlg::~CParvexDlg()
{
    if (g_resultWindow == this)
        g_resultWindow = nullptr;
}

// ---------------------------------------------------------------------------
// Controls

Pic_Button* CParvexDlg::AddButton(const QString& caption, int x, int y, int w, int h, const char* name,
                                  CommandIcon icon)
{
    return MakeCommandButton(this, caption, DluToPixels(x, y, w, h), name, icon);
}

QGroupBox* CParvexDlg::AddGroupBox(const QString& caption, int x, int y, int w, int h, const char* name)
{
    auto* box = new QGroupBox(caption, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(DluToPixels(x, y, w, h));
    const int half = QFontMetrics(font()).height() / 2;
    box->setStyleSheet(GROUP_BOX_STYLE.arg(half).arg(DluToPixelsX(4)));
    return box;
}

QLabel* CParvexDlg::AddLabel(const QString& caption, int x, int y, int w, int h, const char* name,
                             Qt::Alignment alignment)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(DluToPixels(x, y, w, h));
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

void CParvexDlg::CreateControls()
{
    // Every control is a direct child of the window, in the order of the
    // layout; the group boxes come first so that they lie beneath the rest.
    AddGroupBox(QStringLiteral("下料信息输入"), 7, 7, 586, 465, "cutGroup");
    AddGroupBox(QStringLiteral("原料库存输入"), 303, 7, 290, 243, "stockGroup");
    AddGroupBox(QStringLiteral("优化下料信息输出"), 7, 245, 586, 227, "resultGroup");
    AddGroupBox(QStringLiteral("切割参数"), 592, 7, 98, 175, "parameterGroup");
    AddGroupBox(QStringLiteral("优化方式"), 592, 74, 98, 108, "speedGroup");

    CreateListControls(LIST_CUT, {QRect(15, 22, 280, 179), 29, 118, 177, 207});
    CreateListControls(LIST_STOCK, {QRect(311, 22, 273, 179), 329, 411, 431, 493});

    m_resultTable = new MyListCtrl(this);
    m_resultTable->setObjectName(QStringLiteral("resultTable"));
    m_resultRows = new ResultTableModel(this);
    m_resultTable->SetRows(m_resultRows);
    // Ten units shorter than the layout's 205, for the bound line below it.
    m_resultTable->setGeometry(DluToPixels(15, 260, 567, 195));

    m_progress = new CGradientProgressCtrl(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setGeometry(DluToPixels(15, 215, 567, 15));
    m_progress->hide();
    m_interruptButton =
        AddButton(QStringLiteral("中 断 优 化"), 263, 234, 81, 16, "interruptButton", CommandIcon::Compute);
    m_interruptButton->hide();

    AddLabel(QStringLiteral("剔除料头"), 598, 23, 34, 12, "trimLabel", Qt::AlignRight);
    m_trimEdit = new QLineEdit(this);
    m_trimEdit->setObjectName(QStringLiteral("trimEdit"));
    m_trimEdit->setGeometry(DluToPixels(638, 23, 43, 12));
    m_trimEdit->setAlignment(Qt::AlignCenter);
    AddLabel(QStringLiteral("切割缝宽"), 598, 51, 34, 12, "kerfLabel", Qt::AlignRight);
    m_kerfEdit = new QLineEdit(this);
    m_kerfEdit->setObjectName(QStringLiteral("kerfEdit"));
    m_kerfEdit->setGeometry(DluToPixels(638, 51, 43, 12));
    m_kerfEdit->setAlignment(Qt::AlignCenter);

    AddLabel(QStringLiteral("最优"), 603, 91, 19, 12, "bestLabel", Qt::AlignLeft);
    AddLabel(QStringLiteral("最快"), 663, 91, 19, 12, "fastestLabel", Qt::AlignRight);
    m_speedSlider = new QSlider(Qt::Horizontal, this);
    m_speedSlider->setObjectName(QStringLiteral("speedSlider"));
    m_speedSlider->setGeometry(DluToPixels(601, 107, 82, 14));
    m_speedSlider->setTickPosition(QSlider::NoTicks);
    m_speedSlider->setRange(0, SPEED_LEVEL_MAX);
    m_speedSlider->setPageStep(1);

    AddLabel(QStringLiteral("每种下料组合中"), 613, 129, 59, 12, "kindsLabel1", Qt::AlignHCenter);
    AddLabel(QStringLiteral("长度种类不超过"), 613, 143, 59, 12, "kindsLabel2", Qt::AlignHCenter);
    m_kindsCombo = new QComboBox(this);
    m_kindsCombo->setObjectName(QStringLiteral("kindsCombo"));
    // The layout's height (232) is that of the dropped-down list; the closed
    // box is one line high.
    m_kindsCombo->setGeometry(DluToPixels(613, 159, 59, 13));
    m_kindsCombo->addItems(KIND_ITEMS);
    m_kindsCombo->setMaxVisibleItems(KIND_ITEMS.size());

    m_shortcutButton =
        AddButton(QStringLiteral("设桌面快捷图标"), 600, 195, 85, 14, "shortcutButton", CommandIcon::Shortcut);
    m_computeButton = AddButton(QStringLiteral("优化计算"), 606, 232, 71, 14, "computeButton", CommandIcon::Compute);
    m_outputButton = AddButton(QStringLiteral("结果输出"), 606, 269, 71, 14, "outputButton", CommandIcon::Output);
    m_leftoverButton =
        AddButton(QStringLiteral("剩料输出"), 606, 306, 71, 14, "leftoverButton", CommandIcon::Leftover);
    m_aboutButton = AddButton(QStringLiteral("关  于"), 606, 380, 71, 14, "aboutButton", CommandIcon::About);
    m_helpButton = AddButton(QStringLiteral("帮  助"), 606, 417, 71, 14, "helpButton", CommandIcon::Help);
    m_closeButton = AddButton(QStringLiteral("关 闭"), 606, 454, 71, 14, "closeButton", CommandIcon::Close);
    m_closeButton->setDefault(true);

    m_cutTable->setToolTip(TipText(TABLE_TIP));
    m_stockTable->setToolTip(TipText(TABLE_TIP));

    // Inside the result table, not a control of the window: shown in place
    // of a plan that no longer matches the data.
    m_outOfDateLabel = new QLabel(PLAN_OUT_OF_DATE_TEXT, m_resultTable->viewport());
    m_outOfDateLabel->setObjectName(QStringLiteral("outOfDateLabel"));
    m_outOfDateLabel->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    m_outOfDateLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* overResult = new QVBoxLayout(m_resultTable->viewport());
    overResult->addWidget(m_outOfDateLabel, 0, Qt::AlignCenter);
    m_outOfDateLabel->hide();
}

void CParvexDlg::CreateListControls(ListKind kind, const ListPlacement& at)
{
    const bool cut = kind == LIST_CUT;
    const QString prefix = cut ? QStringLiteral("cut") : QStringLiteral("stock");
    auto name = [&](const char* role) { return (prefix + QLatin1String(role)).toLatin1(); };
    MyListCtrl*& table = cut ? m_cutTable : m_stockTable;
    InputListModel*& rows = cut ? m_cutRows : m_stockRows;
    table = new MyListCtrl(this);
    table->setObjectName(QString::fromLatin1(name("Table")));
    rows = new InputListModel(m_lists, kind, this);
    table->SetRows(rows);
    table->setGeometry(DluToPixels(at.table.x(), at.table.y(), at.table.width(), at.table.height()));

    // "归 并" stays hidden: the merges run from the compute command.
    const ListButtonSet buttons = Buttons(kind);
    buttons.add = AddButton(QStringLiteral("增  加"), at.leftX, 208, 54, 13, name("AddButton"), CommandIcon::Add);
    buttons.remove =
        AddButton(QStringLiteral("删  除"), at.rightX, 208, 54, 13, name("DeleteButton"), CommandIcon::Delete);
    buttons.merge = AddButton(QStringLiteral("归 并"), at.mergeX, 1, 54, 11, name("MergeButton"), CommandIcon::Merge);
    buttons.merge->hide();
    buttons.import =
        AddButton(QStringLiteral("导 入"), at.leftX, 224, 54, 13, name("ImportButton"), CommandIcon::Import);
    buttons.exportTo =
        AddButton(QStringLiteral("导 出"), at.rightX, 224, 54, 13, name("ExportButton"), CommandIcon::Export);
    buttons.format =
        AddButton(QStringLiteral("导入文件格式"), at.formatX, 217, 76, 13, name("FormatButton"), CommandIcon::Format);
}

CParvexDlg::ListButtonSet CParvexDlg::Buttons(ListKind kind)
{
    if (kind == LIST_CUT)
        return {m_cutAddButton, m_cutDeleteButton, m_cutMergeButton, m_cutImportButton, m_cutExportButton,
                m_cutFormatButton};
    return {m_stockAddButton,    m_stockDeleteButton, m_stockMergeButton,
            m_stockImportButton, m_stockExportButton, m_stockFormatButton};
}

void CParvexDlg::CreateColumns()
{
    AddColumns(m_cutTable, 5.7,
               {{"序号", 0.6}, {"规格", 1.5}, {"下料长度", 1.5}, {"数量", 0.8}, {"标记", 1.0}});
    AddColumns(m_stockTable, 5.1,
               {{"序号", 0.6}, {"规格", 1.5}, {"原料长度", 1.5}, {"库存数量", 0.8}, {"优先", 0.5}});
    AddColumns(m_resultTable, 13.3,
               {{"序号", 0.9},
                {"规格", 1.5},
                {"原料长度", 1.5},
                {"下料组合", 5.0},
                {"数量", 1.3},
                {"利用率", 1.3},
                {"余料长度", 1.5}});

    for (MyListCtrl* table : {m_cutTable, m_stockTable}) {
        table->AddHoverColumn(3);
        table->AddHoverColumn(4);
    }
    for (MyListCtrl* table : {m_cutTable, m_stockTable, m_resultTable})
        table->horizontalHeader()->setSectionsClickable(true);
}

void CParvexDlg::ConnectCommands()
{
    connect(m_computeButton, &QPushButton::clicked, this, [this] { ComputePlan(); });
    connect(m_interruptButton, &QPushButton::clicked, this, [this] { InterruptRun(); });
    connect(m_closeButton, &QPushButton::clicked, this, [this] { CloseWindow(true); });
    connect(m_outputButton, &QPushButton::clicked, this, [this] { OnOutputCommand(); });
    connect(m_leftoverButton, &QPushButton::clicked, this, [this] { OnLeftoverCommand(); });
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, [this] { OnPrintCommand(); });
    connect(m_shortcutButton, &QPushButton::clicked, this, [this] { OnShortcutCommand(); });
    connect(m_helpButton, &QPushButton::clicked, this, [this] { OnHelpCommand(); });
    connect(m_aboutButton, &QPushButton::clicked, this, [this] { OnAboutCommand(); });

    ConnectListCommands(LIST_CUT);
    ConnectListCommands(LIST_STOCK);
    connect(m_resultTable->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { SortResultTable(column); });
    connect(m_resultTable, &MyListCtrl::itemDoubleClicked, this, [this](int row, int) { OnResultDoubleClick(row); });

    connect(m_kindsCombo, QOverload<int>::of(&QComboBox::activated), this, [this] { ReadControls(); });
}

void CParvexDlg::ConnectListCommands(ListKind kind)
{
    MyListCtrl* table = Table(kind);
    const ListButtonSet buttons = Buttons(kind);
    connect(buttons.add, &QPushButton::clicked, this, [this, kind] { AddItem(kind); });
    connect(buttons.remove, &QPushButton::clicked, this, [this, kind] { DeleteSelectedRows(kind); });
    connect(buttons.merge, &QPushButton::clicked, this, [this, kind] { MergeRows(kind); });
    connect(buttons.import, &QPushButton::clicked, this, [this, kind] { OnImportList(kind); });
    connect(buttons.exportTo, &QPushButton::clicked, this, [this, kind] { OnExportList(kind); });
    connect(buttons.format, &QPushButton::clicked, this, [this, kind] { ShowFormatMenu(kind); });

    connect(table, &MyListCtrl::itemDoubleClicked, this, [this, kind](int row, int) { OnDoubleClick(kind, row); });
    connect(table, &MyListCtrl::itemClicked, this,
            [this, kind](int row, int column) { BatchEditRows(kind, row, column); });
    connect(table, &MyListCtrl::deletePressed, this, [this, kind] { DeleteSelectedRows(kind); });
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, kind](int column) { SortTable(kind, column); });
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, kind] { OnSelectionChanged(kind); });
}

void CParvexDlg::InstallKeyFilter()
{
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

std::vector<Pic_Button*> CParvexDlg::ListButtons() const
{
    return {m_cutAddButton,   m_cutDeleteButton,   m_cutImportButton,   m_cutExportButton,   m_cutFormatButton,
            m_stockAddButton, m_stockDeleteButton, m_stockImportButton, m_stockExportButton, m_stockFormatButton};
}

std::vector<QWidget*> CParvexDlg::ChildControls() const
{
    const QList<QWidget*> children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    return std::vector<QWidget*>(children.begin(), children.end());
}

void CParvexDlg::EnableOutputButtons(bool enabled)
{
    m_outputButton->setEnabled(enabled);
    m_leftoverButton->setEnabled(enabled);
}

// ---------------------------------------------------------------------------
// Changes

void CParvexDlg::ConnectChangeNotices()
{
    // Connected once the start has shown the settings: only what the user
    // does afterwards is a change.
    m_saveTimer = new QTimer(this);
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(PARAMETER_SAVE_DELAY_MS);
    connect(m_saveTimer, &QTimer::timeout, this, [this] { SaveQuietly(); });
    // A field's member follows its text while the text is a number, so the
    // last number typed is what gets saved.
    for (QLineEdit* field : {m_trimEdit, m_kerfEdit}) {
        double& member = field == m_trimEdit ? m_trimLength : m_kerfWidth;
        connect(field, &QLineEdit::textEdited, this, [this, &member](const QString& text) {
            double value = 0;
            if (ParseNumberText(text, value))
                member = value;
            NoteChange(ChangeKind::Parameters);
        });
    }
    connect(m_speedSlider, &QSlider::valueChanged, this, [this] { NoteChange(ChangeKind::Parameters); });
    connect(m_exactCheck, &QCheckBox::toggled, this, [this] { NoteChange(ChangeKind::Parameters); });
    connect(m_kindsCombo, QOverload<int>::of(&QComboBox::activated), this,
            [this] { NoteChange(ChangeKind::Parameters); });
}

void CParvexDlg::NoteChange(ChangeKind kind)
{
    m_cutTable->ClearFlaggedCell();
    m_stockTable->ClearFlaggedCell();
    MarkPlanOutOfDate();
    if (kind == ChangeKind::Parameters)
        m_saveTimer->start();
    else
        SaveQuietly();
}

void CParvexDlg::MarkPlanOutOfDate()
{
    // Before a first compute, or after one that failed, there is nothing to
    // take back.
    if (m_resultTable->GetItemCount() == 0)
        return;
    m_planOutOfDate = true;
    m_resultRows->Clear();
    m_boundLabel->clear();
    m_outOfDateLabel->show();
    EnableOutputButtons(false);
}

void CParvexDlg::SaveQuietly()
{
    if (m_saveTimer)
        m_saveTimer->stop();
    // The trim and kerf members hold the last number their fields held.
    m_maxLengthKinds = std::max(0, m_kindsCombo->currentIndex());
    m_speedLevel = m_speedSlider->value();
    // A file that cannot be written is reported when the window closes.
    SaveSettings();
}

// ---------------------------------------------------------------------------
// Parameters

bool CParvexDlg::ReadControls()
{
    QLineEdit* badField = nullptr;
    double value = 0;
    if (ParseNumberText(m_trimEdit->text(), value))
        m_trimLength = value;
    else
        badField = m_trimEdit;
    if (ParseNumberText(m_kerfEdit->text(), value))
        m_kerfWidth = value;
    else if (!badField)
        badField = m_kerfEdit;
    m_maxLengthKinds = std::max(0, m_kindsCombo->currentIndex());
    m_speedLevel = m_speedSlider->value();
    if (!badField)
        return true;
    RefuseField(this, badField, NUMBER_MESSAGE, PARAMETER_SELECTION);
    return false;
}

void CParvexDlg::ShowMembers()
{
    m_trimEdit->setText(LengthText(m_trimLength));
    m_kerfEdit->setText(LengthText(m_kerfWidth));
    m_kindsCombo->setCurrentIndex(std::clamp<int32_t>(m_maxLengthKinds, 0, KIND_ITEMS.size() - 1));
    m_speedSlider->setValue(std::clamp<int32_t>(m_speedLevel, 0, SPEED_LEVEL_MAX));
}

// ---------------------------------------------------------------------------
// Settings

QString CParvexDlg::SettingsPath() const
{
    return QString::fromStdString(SettingsFilePath(g_programFolder));
}

void CParvexDlg::LoadSettings()
{
    // A missing or unreadable file leaves empty lists and the defaults, a
    // damaged one what came before the damage; the last two are told once.
    SettingsLoadReport report;
    ::LoadSettings(SettingsFilePath(g_programFolder), m_lists, m_settings, &report);
    const std::u16string problem = SettingsLoadMessage(SettingsFilePath(g_programFolder), report);
    if (!problem.empty())
        AppPrompts().Message(problem, this);
    m_kerfWidth = m_settings.m_kerfWidth;
    m_reservedValue = m_settings.m_reservedValue;
    m_maxLengthKinds = m_settings.m_maxLengthKinds;
    m_trimLength = m_settings.m_trimLength;
    m_speedLevel = m_settings.m_speedLevel;
}

bool CParvexDlg::SaveSettings()
{
    m_settings.m_kerfWidth = m_kerfWidth;
    m_settings.m_reservedValue = m_reservedValue;
    m_settings.m_maxLengthKinds = m_maxLengthKinds;
    m_settings.m_trimLength = m_trimLength;
    m_settings.m_speedLevel = m_speedLevel;
    return ::SaveSettings(SettingsFilePath(g_programFolder), m_lists, m_settings);
}

// ---------------------------------------------------------------------------
// Closing and keys

bool CParvexDlg::CloseWindow(bool stayOnBadField)
{
    // A field that does not hold a number has been reported by ReadControls;
    // its member keeps the last valid value, which is what the file receives
    // when the window closes anyway.
    if (!ReadControls() && stayOnBadField)
        return false;
    if (m_saveTimer)
        m_saveTimer->stop();
    g_resultWindow = nullptr;
    if (!SaveSettings())
        AppPrompts().Message(SAVE_FAILED_MESSAGE.arg(SettingsPath()), this);
    m_closed = true;
    done(QDialog::Accepted);
    return true;
}

void CParvexDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_layout.Apply(size());
}

void CParvexDlg::showEvent(QShowEvent* event)
{
    if (!m_fitted && !event->spontaneous()) {
        m_fitted = true;
        FitToScreen();
    }
    QDialog::showEvent(event);
}

void CParvexDlg::FitToScreen()
{
    const QScreen* shown = screen();
    if (!shown)
        return;
    const QRect area = shown->availableGeometry();
    // The frame the window system adds; before the window is first mapped it
    // is not known, so a title bar and a thin border are assumed.
    QMargins frame;
    if (windowHandle())
        frame = windowHandle()->frameMargins();
    if (frame.isNull()) {
        const int border = WINDOW_BORDER_ALLOWANCE;
        frame = QMargins(border, border + style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this), border,
                         border);
    }
    const QSize room(area.width() - frame.left() - frame.right(), area.height() - frame.top() - frame.bottom());
    const QSize wanted = m_layout.SizeFor(room);
    if (wanted != size())
        resize(wanted);
    // Keep the whole frame inside the area where it fits.
    QRect outer(pos(), QSize(wanted.width() + frame.left() + frame.right(),
                             wanted.height() + frame.top() + frame.bottom()));
    if (!area.contains(outer)) {
        outer.moveLeft(std::clamp(outer.left(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
        outer.moveTop(std::clamp(outer.top(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
        move(outer.topLeft());
    }
}

void CParvexDlg::closeEvent(QCloseEvent* event)
{
    if (!m_closed)
        CloseWindow(false);
    event->accept();
}

void CParvexDlg::keyPressEvent(QKeyEvent* event)
{
    if (IsEnterOrEsc(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CParvexDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Enter and Esc aimed at the window or any of its controls are discarded:
    // neither closes the window nor presses the default button.
    if (IsEnterOrEsc(event)) {
        if (event->type() == QEvent::ShortcutOverride)
            event->accept();
        return event->type() == QEvent::KeyPress;
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Shell commands

void CParvexDlg::OnShortcutCommand()
{
    // The button stays while no shortcut could be made, so that the user can
    // try again once the reason is mended.
    if (CreateDesktopShortcut())
        m_shortcutButton->hide();
    else
        AppPrompts().Message(SHORTCUT_FAILED_MESSAGE.arg(QString::fromStdString(DesktopFolder())), this);
}

void CParvexDlg::OnHelpCommand()
{
    // A missing document, or one that nothing can show, is reported.
    AppShell().OpenHelpDocument(QString::fromStdString(HelpDocumentPath()), this);
}

void CParvexDlg::OnAboutCommand()
{
    ShowAbout(this);
}

void CParvexDlg::OnResultDoubleClick(int)
{
    // The pattern of the first selected row; the totals row has none.
    OpenDetailViewAtRow(this, m_resultTable->FirstSelectedRow());
}
