#include "workbench/controls/MyListCtrl.h"

#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

const QColor MyListCtrl::STRIPE_COLOUR(230, 230, 230);
const QColor MyListCtrl::FLAGGED_COLOUR(255, 0, 0);
const QColor MyListCtrl::HIGHLIGHT_COLOUR(0, 200, 200);

namespace {

// Space between a cell's left or right edge and its text.
const int TEXT_MARGIN = 4;

}  // namespace

// ---- ListTableModel ----

ListTableModel::ListTableModel(QObject* parent) : QAbstractTableModel(parent)
{
}

int ListTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount();
}

int ListTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) {
        return CellText(index.row(), index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(m_alignments[index.column()]);
    }
    return QVariant();
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return m_headings[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(m_alignments[section] | Qt::AlignVCenter);
    }
    return QVariant();
}

int ListTableModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment)
{
    column = std::clamp(column, 0, columnCount());
    beginInsertColumns(QModelIndex(), column, column);
    m_headings.insert(column, heading);
    m_alignments.insert(m_alignments.begin() + column, alignment & Qt::AlignHorizontal_Mask);
    ColumnInserted(column);
    endInsertColumns();
    return column;
}

QString ListTableModel::Text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return QString();
    }
    return CellText(row, column);
}

// ---- ListCtrlModel ----

ListCtrlModel::ListCtrlModel(QObject* parent) : ListTableModel(parent)
{
}

int ListCtrlModel::RowCount() const
{
    return static_cast<int>(m_rows.size());
}

QString ListCtrlModel::CellText(int row, int column) const
{
    return m_rows[row][column];
}

void ListCtrlModel::ColumnInserted(int column)
{
    for (QStringList& row : m_rows) {
        row.insert(column, QString());
    }
}

int ListCtrlModel::InsertRow(int row, const QString& text0)
{
    row = std::clamp(row, 0, rowCount());
    beginInsertRows(QModelIndex(), row, row);
    QStringList texts;
    for (int k = 0; k < columnCount(); ++k) {
        texts << QString();
    }
    if (!texts.isEmpty()) {
        texts[0] = text0;
    }
    m_rows.insert(m_rows.begin() + row, texts);
    endInsertRows();
    return row;
}

QStringList ListCtrlModel::Padded(QStringList texts) const
{
    while (texts.size() < columnCount())
        texts << QString();
    while (texts.size() > columnCount())
        texts.removeLast();
    return texts;
}

void ListCtrlModel::AppendRows(std::vector<QStringList> rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    m_rows.reserve(m_rows.size() + rows.size());
    for (QStringList& row : rows)
        m_rows.push_back(Padded(std::move(row)));
    endInsertRows();
}

void ListCtrlModel::ResetRows(std::vector<QStringList> rows)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(rows.size());
    for (QStringList& row : rows)
        m_rows.push_back(Padded(std::move(row)));
    endResetModel();
}

bool ListCtrlModel::SetText(int row, int column, const QString& text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return false;
    }
    m_rows[row][column] = text;
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
    return true;
}

bool ListCtrlModel::RemoveRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

void ListCtrlModel::RemoveAllRows()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

// ---- the row painter ----

class ListCtrlDelegate : public QStyledItemDelegate {
public:
    explicit ListCtrlDelegate(MyListCtrl* table) : QStyledItemDelegate(table), m_table(table) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int row = index.row();
        const int column = index.column();
        const bool selected = m_table->IsRowSelected(row);
        const QPalette& palette = m_table->palette();
        const QColor text = palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);

        painter->save();
        painter->fillRect(option.rect, m_table->CellBackground(row, column));
        QRect textRect = option.rect.adjusted(TEXT_MARGIN, 0, -TEXT_MARGIN, 0);
        const Qt::Alignment horizontal =
            Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
        const QFontMetrics metrics(option.font);
        textRect.setHeight(std::min(textRect.height(), metrics.height()));
        const QString elided = metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                  std::max(0, textRect.width()));
        painter->setFont(option.font);
        painter->setPen(text);
        painter->drawText(textRect, int(horizontal ? horizontal : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine,
                          elided);
        painter->restore();
    }

private:
    MyListCtrl* m_table;
};

// ---- MyListCtrl ----

MyListCtrl::MyListCtrl(QWidget* parent)
    : QTableView(parent), m_items(new ListCtrlModel(this)), m_rows(m_items)
{
    setModel(m_items);
    setItemDelegate(new ListCtrlDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setMouseTracking(true);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);

    // The selection stays as visible when the table loses the focus, and the
    // table is not repainted merely because its window was (de)activated.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText, QPalette::Base,
                                     QPalette::Text, QPalette::Window, QPalette::WindowText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    setPalette(colours);
}

int MyListCtrl::InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width)
{
    const int inserted = m_rows->InsertColumn(column, heading, alignment);
    setColumnWidth(inserted, width);
    return inserted;
}

int MyListCtrl::GetColumnCount() const
{
    return m_rows->columnCount();
}

int MyListCtrl::GetColumnWidth(int column) const
{
    return columnWidth(column);
}

int MyListCtrl::ClientWidth() const
{
    int width = contentsRect().width();
    if (verticalScrollBar()->isVisible()) {
        width -= verticalScrollBar()->width();
    }
    return std::max(0, width);
}

void MyListCtrl::SetRows(ListTableModel* rows)
{
    m_rows = rows ? rows : m_items;
    m_flaggedCell = Cell{};
    m_hoverCell = Cell{};
    m_batchRows.clear();
    setModel(m_rows);
}

QString MyListCtrl::GetItemText(int row, int column) const
{
    return m_rows->Text(row, column);
}

int MyListCtrl::GetItemCount() const
{
    return m_rows->rowCount();
}

int MyListCtrl::InsertItem(int row, const QString& text0)
{
    return ShowsOwnRows() ? m_items->InsertRow(row, text0) : -1;
}

bool MyListCtrl::SetItemText(int row, int column, const QString& text)
{
    return ShowsOwnRows() && m_items->SetText(row, column, text);
}

bool MyListCtrl::DeleteItem(int row)
{
    return ShowsOwnRows() && m_items->RemoveRow(row);
}

void MyListCtrl::DeleteAllItems()
{
    if (ShowsOwnRows())
        m_items->RemoveAllRows();
}

void MyListCtrl::AppendItems(std::vector<QStringList> rows)
{
    if (ShowsOwnRows())
        m_items->AppendRows(std::move(rows));
}

void MyListCtrl::ReplaceAllItems(std::vector<QStringList> rows)
{
    if (ShowsOwnRows())
        m_items->ResetRows(std::move(rows));
}

void MyListCtrl::SetRowSelected(int row, bool selected)
{
    if (row < 0 || row >= model()->rowCount() || model()->columnCount() == 0) {
        return;
    }
    const QItemSelectionModel::SelectionFlags flags =
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows;
    selectionModel()->select(model()->index(row, 0), flags);
}

bool MyListCtrl::IsRowSelected(int row) const
{
    return row >= 0 && row < model()->rowCount() && selectionModel()->isRowSelected(row, QModelIndex());
}

std::vector<int> MyListCtrl::SelectedRows() const
{
    // Read from the selected ranges, so that a long list costs only what is
    // selected. Rows are selected whole; a range short of a column is not a
    // selected row.
    std::vector<int> rows;
    const int lastColumn = model()->columnCount() - 1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.left() > 0 || range.right() < lastColumn)
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int MyListCtrl::FirstSelectedRow() const
{
    int first = -1;
    const int lastColumn = model()->columnCount() - 1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.left() == 0 && range.right() >= lastColumn && (first < 0 || range.top() < first))
            first = range.top();
    }
    return first;
}

void MyListCtrl::DeselectAll()
{
    clearSelection();
}

void MyListCtrl::EnsureVisible(int row)
{
    if (row >= 0 && row < model()->rowCount() && model()->columnCount() > 0) {
        // Rows inserted just before are laid out lazily: without this the
        // scroll range is still that of the old row count and a new last row
        // ends up only partly in view.
        executeDelayedItemsLayout();
        updateGeometries();
        scrollTo(model()->index(row, 0));
    }
}

int MyListCtrl::HitTestRow(const QPoint& viewportPos) const
{
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

bool MyListCtrl::HitTestCell(const QPoint& viewportPos, int& row, int& column) const
{
    const QModelIndex index = indexAt(viewportPos);
    row = index.isValid() ? index.row() : -1;
    column = index.isValid() ? index.column() : -1;
    return index.isValid();
}

QRect MyListCtrl::CellRect(int row, int column) const
{
    const QModelIndex index = model()->index(row, column);
    return index.isValid() ? visualRect(index) : QRect();
}

QPoint MyListCtrl::PointerPosition() const
{
    return viewport()->mapFromGlobal(QCursor::pos());
}

void MyListCtrl::AddHoverColumn(int column)
{
    m_hoverColumns.push_back(column);
}

void MyListCtrl::SetFlaggedCell(int row, int column)
{
    m_flaggedCell = Cell{row, column};
    const QModelIndex index = model()->index(row, column);
    if (index.isValid()) {
        update(index);
    }
}

void MyListCtrl::ClearFlaggedCell()
{
    const QModelIndex index = model()->index(m_flaggedCell.row, m_flaggedCell.column);
    m_flaggedCell = Cell{};
    if (index.isValid()) {
        update(index);
    }
}

void MyListCtrl::ReselectCapturedRows()
{
    for (int row : m_batchRows) {
        SetRowSelected(row, true);
    }
}

bool MyListCtrl::IsHoverColumn(int column) const
{
    return std::find(m_hoverColumns.begin(), m_hoverColumns.end(), column) != m_hoverColumns.end();
}

bool MyListCtrl::IsCaptured(int row) const
{
    return std::find(m_batchRows.begin(), m_batchRows.end(), row) != m_batchRows.end();
}

void MyListCtrl::RepaintCapturedCells(int column)
{
    for (int row : m_batchRows) {
        const QModelIndex index = model()->index(row, column);
        if (index.isValid()) {
            update(index);
        }
    }
}

void MyListCtrl::PointerMovedTo(const QPoint& viewportPos)
{
    // Qt reports the pointer leaving on its own; the flag only mirrors that
    // the table is now watching for it.

    Cell candidate;
    if (HitTestCell(viewportPos, candidate.row, candidate.column)
        && (!IsHoverColumn(candidate.column) || !IsRowSelected(candidate.row))) {
        candidate = Cell{};
    }
    if (candidate == m_hoverCell) {
        return;
    }
    if (m_hoverCell.IsValid()) {
        const std::vector<int> previous = m_batchRows;
        m_batchRows.clear();
        for (int row : previous) {
            update(model()->index(row, m_hoverCell.column));
        }
    }
    m_hoverCell = candidate;
    m_batchRows.clear();
    if (m_hoverCell.IsValid() && IsRowSelected(m_hoverCell.row) && IsHoverColumn(m_hoverCell.column)) {
        m_batchRows = SelectedRows();
        if (m_batchRows.size() == 1) {
            m_batchRows.clear();
        }
    }
    RepaintCapturedCells(m_hoverCell.column);
}

void MyListCtrl::PointerLeft()
{
    if (m_hoverCell.IsValid()) {
        const std::vector<int> previous = m_batchRows;
        m_batchRows.clear();
        for (int row : previous) {
            update(model()->index(row, m_hoverCell.column));
        }
        m_hoverCell = Cell{};
    }
}

QColor MyListCtrl::CellBackground(int row, int column) const
{
    QColor background;
    if (IsRowSelected(row)) {
        background = palette().color(QPalette::Active, QPalette::Highlight);
    } else if (row % 2 == 0) {
        background = STRIPE_COLOUR;
    } else {
        background = palette().color(QPalette::Active, QPalette::Base);
    }
    if (m_flaggedCell == Cell{row, column}) {
        background = FLAGGED_COLOUR;
    }
    if (column == m_hoverCell.column && m_hoverCell.IsValid() && IsCaptured(row)) {
        background = HIGHLIGHT_COLOUR;
    }
    return background;
}

void MyListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    PointerMovedTo(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

void MyListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        int row = -1;
        int column = -1;
        HitTestCell(event->position().toPoint(), row, column);
        emit itemClicked(row, column);
    }
}

void MyListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        int row = -1;
        int column = -1;
        HitTestCell(event->position().toPoint(), row, column);
        emit itemDoubleClicked(row, column);
    }
}

void MyListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete) {
        emit deletePressed();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool MyListCtrl::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave) {
        PointerLeft();
    }
    return QTableView::viewportEvent(event);
}
