#pragma once

#include <QAbstractTableModel>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTableView>

#include <vector>

// The rows of a MyListCtrl: a heading and an alignment per column, and the
// text of each cell, which a subclass gives when a cell is painted or read
// (formatted from the data the table stands for, or kept as text).
class ListTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ListTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    int InsertColumn(int column, const QString& heading, Qt::Alignment alignment);
    // The text of a cell; empty outside the rows and columns.
    QString Text(int row, int column) const;

protected:
    virtual int RowCount() const = 0;
    // Called with a row and a column inside the table only.
    virtual QString CellText(int row, int column) const = 0;
    // A column was inserted at `column`: rows kept as texts make room for it.
    virtual void ColumnInserted(int column) { (void)column; }

private:
    QStringList m_headings;
    std::vector<Qt::Alignment> m_alignments;
};

// Rows kept as texts, one per column: the table's own rows, for a table that
// stands for no other data.
class ListCtrlModel : public ListTableModel {
    Q_OBJECT

public:
    explicit ListCtrlModel(QObject* parent = nullptr);

    int InsertRow(int row, const QString& text0);
    // Appends rows of texts (one per column, missing ones empty) in one step,
    // so that a view lays itself out once for all of them.
    void AppendRows(std::vector<QStringList> rows);
    // Replaces every row in one step.
    void ResetRows(std::vector<QStringList> rows);
    bool SetText(int row, int column, const QString& text);
    bool RemoveRow(int row);
    void RemoveAllRows();

protected:
    int RowCount() const override;
    QString CellText(int row, int column) const override;
    void ColumnInserted(int column) override;

private:
    QStringList Padded(QStringList texts) const;

    std::vector<QStringList> m_rows;  // one text per column
};

// The owner-drawn table of the cut, stock and result lists. Rows are striped
// (row 0 grey), one flagged cell is painted red until it is cleared, and while two or more
// rows are selected and the pointer rests on a hover-column cell of one of
// them, those cells of all selected rows are highlighted and the rows are
// captured for a batch edit.
class MyListCtrl : public QTableView {
    Q_OBJECT

public:
    // Background of even rows (row 0 included), of the flagged cell and of
    // the highlighted batch cells.
    static const QColor STRIPE_COLOUR;     // RGB 230, 230, 230
    static const QColor FLAGGED_COLOUR;    // RGB 255, 0, 0
    static const QColor HIGHLIGHT_COLOUR;  // RGB 0, 200, 200

    explicit MyListCtrl(QWidget* parent = nullptr);

    // Columns. width in pixels.
    int InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width);
    int GetColumnCount() const;
    int GetColumnWidth(int column) const;
    // The width of the table's client area (the rows' area without the
    // vertical scroll bar), from which the window computes column widths.
    int ClientWidth() const;

    // The rows shown: the table's own text rows unless another model is
    // set. Columns inserted afterwards go to that model; the selection is
    // the new model's.
    void SetRows(ListTableModel* rows);
    ListTableModel* Rows() const { return m_rows; }

    // Rows of any model: their number and the text of a cell.
    QString GetItemText(int row, int column) const;
    int GetItemCount() const;

    // Own text rows (these change nothing while another model is shown).
    // InsertItem inserts a row at row (clamped to 0..count) with text0 in
    // column 0 and empty other cells, and returns its index (-1 when not).
    int InsertItem(int row, const QString& text0);
    bool SetItemText(int row, int column, const QString& text);
    bool DeleteItem(int row);
    void DeleteAllItems();
    // Many rows at once (texts per column): one layout instead of one per row.
    void AppendItems(std::vector<QStringList> rows);
    void ReplaceAllItems(std::vector<QStringList> rows);

    // Selection (whole rows, several at once).
    void SetRowSelected(int row, bool selected);
    bool IsRowSelected(int row) const;
    std::vector<int> SelectedRows() const;  // ascending
    int FirstSelectedRow() const;           // -1 when none
    void DeselectAll();
    // Scrolls row into view.
    void EnsureVisible(int row);

    // Hit tests in viewport coordinates: the row, or row and column, under a
    // point (-1 when none); the rectangle of a cell (empty when invalid).
    int HitTestRow(const QPoint& viewportPos) const;
    bool HitTestCell(const QPoint& viewportPos, int& row, int& column) const;
    QRect CellRect(int row, int column) const;
    // The pointer's position in viewport coordinates.
    QPoint PointerPosition() const;

    // Hover columns, flagged cell and the batch capture.
    void AddHoverColumn(int column);
    const std::vector<int>& HoverColumns() const { return m_hoverColumns; }
    // The faulty cell stays red, whatever repaints it, until it is cleared.
    void SetFlaggedCell(int row, int column);
    void ClearFlaggedCell();
    // The flagged cell: x column, y row; (-1, -1) when none.
    QPoint FlaggedCell() const { return QPoint(m_flaggedCell.column, m_flaggedCell.row); }
    // The qualifying cell under the pointer: x column, y row; (-1, -1) when none.
    QPoint HoverCell() const { return QPoint(m_hoverCell.column, m_hoverCell.row); }
    std::vector<int> CapturedRows() const { return m_batchRows; }
    // Selects every captured row (rows already selected stay selected).
    void ReselectCapturedRows();

    // The pointer handling, also called by the event handlers.
    void PointerMovedTo(const QPoint& viewportPos);
    void PointerLeft();

    // The background a cell is painted with now, given selection, stripes,
    // flag and highlight (does not consume the flag).
    QColor CellBackground(int row, int column) const;

    ListCtrlModel* Items() const { return m_items; }

signals:
    // Double-click; row -1 (and column -1) on empty space below the rows.
    void itemDoubleClicked(int row, int column);
    // A single left click on a cell (row -1 when outside the rows).
    void itemClicked(int row, int column);
    // The Delete key in the table.
    void deletePressed();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Cell {
        int row = -1;
        int column = -1;
        bool operator==(const Cell& other) const { return row == other.row && column == other.column; }
        bool operator!=(const Cell& other) const { return !(*this == other); }
        bool IsValid() const { return row >= 0 && column >= 0; }
    };

    friend class ListCtrlDelegate;
    bool IsHoverColumn(int column) const;
    bool IsCaptured(int row) const;
    void RepaintCapturedCells(int column);
    bool ShowsOwnRows() const { return m_rows == m_items; }

    ListCtrlModel* m_items;
    ListTableModel* m_rows;
    Cell m_flaggedCell;
    Cell m_hoverCell;
    std::vector<int> m_batchRows;
    std::vector<int> m_hoverColumns;
};
