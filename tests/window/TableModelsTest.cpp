// The table models over the input lists and the plan: cell texts formatted
// from the data, headings, changes reaching the tables, removal by ranges,
// live rows, and the control's stripes and red cell on a model's rows.

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "engine/Job.h"
#include "lists/InputLists.h"
#include "support/HandPatterns.h"
#include "support/TableRows.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/window/TableModels.h"

namespace {

void AddInputColumns(ListTableModel& model, ListKind kind)
{
    const QStringList headings = kind == LIST_CUT ? QStringList{"序号", "规格", "下料长度", "数量", "标记"}
                                                  : QStringList{"序号", "规格", "原料长度", "库存数量", "优先"};
    for (int k = 0; k < headings.size(); ++k)
        model.InsertColumn(k, headings[k], k == 1 ? Qt::AlignLeft : Qt::AlignCenter);
}

void AddResultColumns(ListTableModel& model)
{
    int k = 0;
    for (const char* heading : {"序号", "规格", "原料长度", "下料组合", "数量", "利用率", "余料长度"})
        model.InsertColumn(k++, QString::fromUtf8(heading), Qt::AlignCenter);
}

QStringList ModelRow(const ListTableModel& model, int row)
{
    QStringList texts;
    for (int column = 0; column < model.columnCount(); ++column)
        texts << model.data(model.index(row, column)).toString();
    return texts;
}

QColor CellPixel(MyListCtrl& table, int row, int column)
{
    const QImage image = table.viewport()->grab().toImage();
    const QRect cell = table.CellRect(row, column);
    return image.pixelColor(cell.left() + 1, cell.bottom() - 1);
}

// Two groups: A with 2 patterns, an empty group, B with 3 patterns.
WireOptimize_Whole TwoGroupPlan()
{
    WireOptimize_Whole job;
    job.m_groups.resize(3);
    job.m_groups[0].m_spec = u"A";
    job.m_groups[0].m_patterns = {Pattern(6000, 2, 0.998, 10, {2995}, {2}),
                                  Pattern(9000, 1, 0.995, 42.5, {2995, 985}, {2, 3})};
    job.m_groups[1].m_spec = u"Empty";
    job.m_groups[2].m_spec = u"B";
    job.m_groups[2].m_patterns = {Pattern(6000, 4, 0.5, 3000, {1000}, {3}), Pattern(6000, 1, 1, 0, {6000}, {1}),
                                  Pattern(12000, 7, 0.25, 9000, {1500}, {2})};
    job.m_totalLength = 24011.7;
    job.m_totalBars = 15;
    job.m_utilisation = 0.912;
    return job;
}

}  // namespace

class TableModelsTest : public QObject {
    Q_OBJECT

private slots:
    void cutRowsAreFormattedFromTheList();
    void stockRowsShowUnlimitedAndPreferred();
    void headingsAndAlignments();
    void theModelKeepsNoCopyOfTheList();
    void changesReachTheTable();
    void removedRowsGoInRangesAndTheRestIsNumberedOn();
    void planRowsFollowTheGroupsWithTotalsLast();
    void liveRowsAreAppendedInBatchesAndReplacedByThePlan();
    void aChangedJobGivesEmptyCellsNotStrayReads();
    void tableOnAModelPaintsStripesAndTheRedCell();
    void ownRowOperationsLeaveAModelAlone();
    void selectedRowsComeFromTheSelection();
};

void TableModelsTest::cutRowsAreFormattedFromTheList()
{
    InputLists lists;
    lists.AppendCutRow(u"Q235", 2500.5, 4, u"订单1");
    lists.AppendCutRow(u"Z10", 985, 20, u"");
    InputListModel model(lists, LIST_CUT);
    AddInputColumns(model, LIST_CUT);

    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 5);
    QCOMPARE(ModelRow(model, 0), QStringList({"1", "Q235", "2500.5", "4", "订单1"}));
    QCOMPARE(ModelRow(model, 1), QStringList({"2", "Z10", "985", "20", ""}));
    // Outside the rows or columns: nothing.
    QVERIFY(!model.data(model.index(2, 0)).isValid());
    QCOMPARE(model.Text(0, 5), QString());
    QCOMPARE(model.Text(-1, 1), QString());
}

void TableModelsTest::stockRowsShowUnlimitedAndPreferred()
{
    // Every stored quantity of 0 or less is unlimited; the magnitude a
    // negative one keeps is not shown.
    InputLists lists;
    lists.AppendStockRow(u"Q235", 9000, 4, 0);
    lists.AppendStockRow(u"Q235", 6000, -7, 1);
    lists.AppendStockRow(u"Z10", 12000.25, 0, 0);
    InputListModel model(lists, LIST_STOCK);
    AddInputColumns(model, LIST_STOCK);

    QCOMPARE(ModelRow(model, 0), QStringList({"1", "Q235", "9000", "4", ""}));
    QCOMPARE(ModelRow(model, 1), QStringList({"2", "Q235", "6000", "∞", "√"}));
    QCOMPARE(ModelRow(model, 2), QStringList({"3", "Z10", "12000.25", "∞", ""}));
}

void TableModelsTest::headingsAndAlignments()
{
    InputLists lists;
    lists.AppendCutRow(u"A", 1, 1, u"");
    InputListModel model(lists, LIST_CUT);
    AddInputColumns(model, LIST_CUT);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("下料长度"));
    QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("标记"));
    // Cells take the column's horizontal alignment; headings are also centred vertically.
    const auto alignment = [&](int column) {
        return Qt::Alignment(model.data(model.index(0, column), Qt::TextAlignmentRole).toInt());
    };
    QCOMPARE(alignment(1), Qt::Alignment(Qt::AlignLeft));
    QCOMPARE(alignment(3), Qt::Alignment(Qt::AlignHCenter));
    QCOMPARE(Qt::Alignment(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt()),
             Qt::AlignLeft | Qt::AlignVCenter);
    // A column inserted in the middle moves the later ones on.
    model.InsertColumn(1, QStringLiteral("extra"), Qt::AlignRight);
    QCOMPARE(model.columnCount(), 6);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("规格"));
}

void TableModelsTest::theModelKeepsNoCopyOfTheList()
{
    InputLists lists;
    lists.AppendCutRow(u"A", 100, 1, u"");
    InputListModel model(lists, LIST_CUT);
    AddInputColumns(model, LIST_CUT);
    // A value changed in the list is what the next read shows: nothing was
    // formatted ahead and kept.
    lists.m_cutQuantity[0] = 55;
    lists.m_cutMark[0] = u"新";
    QCOMPARE(ModelRow(model, 0), QStringList({"1", "A", "100", "55", "新"}));
}

void TableModelsTest::changesReachTheTable()
{
    InputLists lists;
    for (int i = 0; i < 4; ++i)
        lists.AppendCutRow(u"A", 100 * (i + 1), i + 1, u"");
    QWidget window;
    window.resize(500, 300);
    MyListCtrl table(&window);
    table.setGeometry(0, 0, 480, 280);
    InputListModel model(lists, LIST_CUT);
    table.SetRows(&model);
    AddInputColumns(model, LIST_CUT);
    QCOMPARE(table.GetColumnCount(), 5);
    QCOMPARE(table.GetItemCount(), 4);
    window.show();

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    // One row: columns 1 to 4 of that row, not its number.
    lists.m_cutSpec[2] = u"B";
    model.RowChanged(2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].value<QModelIndex>(), model.index(2, 1));
    QCOMPARE(changed[0][1].value<QModelIndex>(), model.index(2, 4));
    QCOMPARE(table.GetItemText(2, 1), QStringLiteral("B"));
    model.RowChanged(4);  // no such row
    QCOMPARE(changed.count(), 1);

    // One column of some rows.
    lists.m_cutQuantity[0] = 9;
    lists.m_cutQuantity[3] = 9;
    model.CellsChanged({0, 3, 7}, 3);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(changed[1][0].value<QModelIndex>(), model.index(0, 3));
    QCOMPARE(changed[2][0].value<QModelIndex>(), model.index(3, 3));
    QCOMPARE(RowTexts(&table, 3), QStringList({"4", "A", "400", "9", ""}));

    // Rows appended or reordered: the table shows the list anew and loses its selection.
    table.SetRowSelected(1, true);
    lists.AppendCutRow(u"C", 50, 2, u"m");
    model.Reset();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(table.GetItemCount(), 5);
    QCOMPARE(RowTexts(&table, 4), QStringList({"5", "C", "50", "2", "m"}));
    QCOMPARE(table.FirstSelectedRow(), -1);
}

void TableModelsTest::removedRowsGoInRangesAndTheRestIsNumberedOn()
{
    InputLists lists;
    for (int i = 0; i < 7; ++i)
        lists.AppendStockRow(MyString(1, char16_t(u'a' + i)), 1000 + i, i + 1, 0);
    InputListModel model(lists, LIST_STOCK);
    AddInputColumns(model, LIST_STOCK);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // Rows 1, 2 and 5 (given out of order, one twice, one outside the list).
    model.RemoveRows({5, 1, 2, 5, 9, -1});
    // From the last run to the first, so that each range is still where it was.
    QCOMPARE(removed.count(), 2);
    QCOMPARE(removed[0][1].toInt(), 5);
    QCOMPARE(removed[0][2].toInt(), 5);
    QCOMPARE(removed[1][1].toInt(), 1);
    QCOMPARE(removed[1][2].toInt(), 2);
    QCOMPARE(lists.m_stockSpec, std::vector<MyString>({u"a", u"d", u"e", u"g"}));
    QCOMPARE(lists.m_stockQuantity, std::vector<int32_t>({1, 4, 5, 7}));
    QCOMPARE(model.rowCount(), 4);
    // The numbers from the first removed row on are told to the views.
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].value<QModelIndex>(), model.index(1, 0));
    QCOMPARE(changed[0][1].value<QModelIndex>(), model.index(3, 0));
    QCOMPARE(ModelRow(model, 3), QStringList({"4", "g", "1006", "7", ""}));

    // The last rows: nothing after them to number on.
    model.RemoveRows({2, 3});
    QCOMPARE(removed.count(), 3);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.rowCount(), 2);
    model.RemoveRows({});
    QCOMPARE(removed.count(), 3);
}

void TableModelsTest::planRowsFollowTheGroupsWithTotalsLast()
{
    const WireOptimize_Whole job = TwoGroupPlan();
    ResultTableModel model;
    AddResultColumns(model);
    QCOMPARE(model.rowCount(), 0);  // nothing shown yet
    model.ShowPlan(job);

    // Five pattern rows numbered on across the groups (the empty group has
    // none), then the totals.
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(ModelRow(model, 0), QStringList({"1", "A", "6000", "2995x2", "2", "99.8%", "10"}));
    QCOMPARE(ModelRow(model, 1), QStringList({"2", "A", "9000", "2995x2+985x3", "1", "99.5%", "42.5"}));
    QCOMPARE(ModelRow(model, 2), QStringList({"3", "B", "6000", "1000x3", "4", "50.0%", "3000"}));
    QCOMPARE(ModelRow(model, 4), QStringList({"5", "B", "12000", "1500x2", "7", "25.0%", "9000"}));
    // The total length in whole units, truncated.
    QCOMPARE(ModelRow(model, 5), QStringList({"共", "", "24011", "", "15", "91.2%", ""}));

    // A plan without patterns has no totals row either.
    WireOptimize_Whole empty;
    empty.m_groups.resize(2);
    model.ShowPlan(empty);
    QCOMPARE(model.rowCount(), 0);
}

void TableModelsTest::liveRowsAreAppendedInBatchesAndReplacedByThePlan()
{
    ResultTableModel model;
    AddResultColumns(model);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.AppendLiveRows({{u"A", Pattern(5990, 1, 0.998, 10, {2995}, {2})},
                          {u"A", Pattern(5990, 3, 0.5, 2990, {1500}, {2})}});
    model.AppendLiveRows({});
    model.AppendLiveRows({{u"B", Pattern(8000, 1, 1, 0, {4000}, {2})}});
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted[1][1].toInt(), 2);
    QCOMPARE(inserted[1][2].toInt(), 2);
    QCOMPARE(model.rowCount(), 3);
    // A live row shows the bar as found (here trimmed) with its own figures.
    QCOMPARE(ModelRow(model, 0), QStringList({"1", "A", "5990", "2995x2", "1", "99.8%", "10"}));
    QCOMPARE(ModelRow(model, 2), QStringList({"3", "B", "8000", "4000x2", "1", "100.0%", "0"}));

    const WireOptimize_Whole job = TwoGroupPlan();
    model.ShowPlan(job);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(model.Text(0, 2), QStringLiteral("6000"));

    model.Clear();
    QCOMPARE(model.rowCount(), 0);
    model.AppendLiveRows({{u"C", Pattern(100, 1, 1, 0, {100}, {1})}});
    QCOMPARE(model.Text(0, 0), QStringLiteral("1"));
}

void TableModelsTest::aChangedJobGivesEmptyCellsNotStrayReads()
{
    WireOptimize_Whole job = TwoGroupPlan();
    ResultTableModel model;
    AddResultColumns(model);
    model.ShowPlan(job);
    // The job replaced without showing it again: rows that no longer have a
    // pattern read as empty, the rows that still have one read it.
    job.m_groups[2].m_patterns.clear();
    QCOMPARE(model.Text(2, 3), QString());
    QCOMPARE(model.Text(4, 1), QString());
    QCOMPARE(model.Text(1, 3), QStringLiteral("2995x2+985x3"));
    job.m_groups.clear();
    QCOMPARE(model.Text(0, 1), QString());
    QCOMPARE(model.Text(5, 0), QStringLiteral("共"));
}

void TableModelsTest::tableOnAModelPaintsStripesAndTheRedCell()
{
    InputLists lists;
    for (int i = 0; i < 4; ++i)
        lists.AppendCutRow(u"A", 100, 1, u"");
    QWidget window;
    window.resize(500, 300);
    MyListCtrl table(&window);
    table.setGeometry(10, 10, 460, 260);
    InputListModel model(lists, LIST_CUT);
    table.SetRows(&model);
    AddInputColumns(model, LIST_CUT);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QColor base = table.palette().color(QPalette::Active, QPalette::Base);
    QCOMPARE(CellPixel(table, 0, 2), MyListCtrl::STRIPE_COLOUR);
    QCOMPARE(CellPixel(table, 1, 2), base);

    // The red cell outlives changes of the list shown until it is cleared.
    table.SetFlaggedCell(1, 2);
    QCOMPARE(CellPixel(table, 1, 2), MyListCtrl::FLAGGED_COLOUR);
    lists.m_cutLength[1] = -5;
    model.RowChanged(1);
    QCOMPARE(table.GetItemText(1, 2), QStringLiteral("-5"));
    QCOMPARE(CellPixel(table, 1, 2), MyListCtrl::FLAGGED_COLOUR);
    QCOMPARE(CellPixel(table, 1, 3), base);
    table.ClearFlaggedCell();
    QCOMPARE(CellPixel(table, 1, 2), base);
}

void TableModelsTest::ownRowOperationsLeaveAModelAlone()
{
    InputLists lists;
    lists.AppendCutRow(u"A", 100, 1, u"");
    MyListCtrl table;
    InputListModel model(lists, LIST_CUT);
    table.SetRows(&model);
    AddInputColumns(model, LIST_CUT);
    QCOMPARE(table.Rows(), &model);

    QCOMPARE(table.InsertItem(0, QStringLiteral("x")), -1);
    QVERIFY(!table.SetItemText(0, 1, QStringLiteral("x")));
    QVERIFY(!table.DeleteItem(0));
    table.AppendItems({{"2", "B"}});
    table.ReplaceAllItems({});
    table.DeleteAllItems();
    QCOMPARE(table.GetItemCount(), 1);
    QCOMPARE(RowTexts(&table, 0), QStringList({"1", "A", "100", "1", ""}));
    QCOMPARE(lists.CutRowCount(), 1u);

    // Back to its own rows: they take text operations again.
    table.SetRows(nullptr);
    QCOMPARE(table.Rows(), static_cast<ListTableModel*>(table.Items()));
    QCOMPARE(table.GetColumnCount(), 0);
    table.InsertColumn(0, QStringLiteral("c"), Qt::AlignLeft, 40);
    QCOMPARE(table.InsertItem(0, QStringLiteral("own")), 0);
    QCOMPARE(table.GetItemText(0, 0), QStringLiteral("own"));
}

void TableModelsTest::selectedRowsComeFromTheSelection()
{
    InputLists lists;
    for (int i = 0; i < 10; ++i)
        lists.AppendCutRow(u"A", 100 + i, 1, u"");
    MyListCtrl table;
    InputListModel model(lists, LIST_CUT);
    table.SetRows(&model);
    AddInputColumns(model, LIST_CUT);

    for (int row : {7, 2, 3, 9})
        table.SetRowSelected(row, true);
    table.SetRowSelected(9, false);
    QCOMPARE(table.SelectedRows(), (std::vector<int>{2, 3, 7}));
    QCOMPARE(table.FirstSelectedRow(), 2);
    QVERIFY(table.IsRowSelected(3));
    QVERIFY(!table.IsRowSelected(4));
    // A single cell is no selected row.
    table.DeselectAll();
    table.selectionModel()->select(model.index(5, 2), QItemSelectionModel::Select);
    QCOMPARE(table.SelectedRows(), std::vector<int>());
    QCOMPARE(table.FirstSelectedRow(), -1);
}

QTEST_MAIN(TableModelsTest)
#include "TableModelsTest.moc"
