// The custom controls: table stripes, flagged cell and batch highlight, the
// picture button's hover state, the gradient progress bar.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "platform/AppResources.h"
#include "support/TableRows.h"
#include "workbench/controls/CGradientProgressCtrl.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/controls/Pic_Ctrl.h"

namespace {

// The colour of the viewport pixel one step inside the bottom-left corner of a
// cell: below the text (drawn at the top) and clear of the grid lines.
QColor CellPixel(MyListCtrl& table, int row, int column)
{
    const QImage image = table.viewport()->grab().toImage();
    const QRect cell = table.CellRect(row, column);
    return image.pixelColor(cell.left() + 1, cell.bottom() - 1);
}

int CountPixels(const QImage& image, const QRect& area, bool (*test)(const QColor&))
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (test(image.pixelColor(x, y))) {
                ++count;
            }
        }
    }
    return count;
}

bool IsRed(const QColor& c)
{
    return c.red() > 200 && c.green() < 80 && c.blue() < 80;
}

bool IsDark(const QColor& c)
{
    return c.red() < 80 && c.green() < 80 && c.blue() < 80;
}

void SendMouseMove(QWidget* target, const QPoint& pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

void SendLeave(QWidget* target)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(target, &leave);
}

}  // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tableOperations();
    void manyRowsAreAddedInOneStep();
    void tableRowsAreStripedFromRowZero();
    void flaggedCellStaysRedUntilCleared();
    void twoSelectedRowsAreCapturedOnHoverColumn();
    void oneSelectedRowCapturesNothing();
    void nonHoverColumnOrUnselectedRowCapturesNothing();
    void leavingTheTableClearsTheCapture();
    void highlightWinsOverFlag();
    void capturedRowsAreReselected();
    void tableSignals();

    void buttonIconSideFollowsHeight();
    void buttonHoverShowsHotFaceAndRedCaption();
    void buttonFocusLossClearsHover();
    void buttonHandCursor();

    void progressStepsAndStartsAgain();
    void progressGradientCoversFilledPart();
    void progressOutOfRangeShowsFaceOnly();

    void pictureBoxDrawsItsImage();

private:
    QWidget* m_window = nullptr;
    MyListCtrl* m_table = nullptr;
};

void ControlsTest::init()
{
    m_window = new QWidget;
    m_window->resize(500, 300);
    m_table = new MyListCtrl(m_window);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setGeometry(10, 10, 460, 260);
    const QStringList headings{QStringLiteral("序号"), QStringLiteral("规格"), QStringLiteral("下料长度"),
                               QStringLiteral("数量"), QStringLiteral("标记")};
    for (int k = 0; k < headings.size(); ++k) {
        m_table->InsertColumn(k, headings[k], Qt::AlignCenter, 80);
    }
    for (int row = 0; row < 5; ++row) {
        m_table->InsertItem(row, QString::number(row + 1));
        m_table->SetItemText(row, 1, QStringLiteral("Type_1"));
        m_table->SetItemText(row, 3, QString::number(10 * (row + 1)));
    }
    m_table->AddHoverColumn(3);
    m_table->AddHoverColumn(4);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void ControlsTest::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_table = nullptr;
}

void ControlsTest::tableOperations()
{
    QCOMPARE(m_table->GetColumnCount(), 5);
    QCOMPARE(m_table->GetColumnWidth(2), 80);
    QCOMPARE(m_table->GetItemCount(), 5);
    QCOMPARE(m_table->GetItemText(2, 0), QStringLiteral("3"));
    QCOMPARE(m_table->GetItemText(2, 3), QStringLiteral("30"));
    QCOMPARE(m_table->GetItemText(2, 4), QString());
    QVERIFY(!m_table->SetItemText(5, 0, QStringLiteral("x")));
    QVERIFY(!m_table->SetItemText(0, 5, QStringLiteral("x")));

    // Inserting before row 1 moves the later rows down.
    QCOMPARE(m_table->InsertItem(1, QStringLiteral("new")), 1);
    QCOMPARE(m_table->GetItemText(1, 0), QStringLiteral("new"));
    QCOMPARE(m_table->GetItemText(2, 0), QStringLiteral("2"));
    // A row past the end is appended.
    QCOMPARE(m_table->InsertItem(99, QStringLiteral("last")), 6);
    QVERIFY(m_table->DeleteItem(1));
    QCOMPARE(m_table->GetItemText(1, 0), QStringLiteral("2"));

    const QRect cell = m_table->CellRect(3, 2);
    QVERIFY(!cell.isEmpty());
    int row = -1;
    int column = -1;
    QVERIFY(m_table->HitTestCell(cell.center(), row, column));
    QCOMPARE(row, 3);
    QCOMPARE(column, 2);
    QCOMPARE(m_table->HitTestRow(cell.center()), 3);
    const QPoint belowRows(cell.center().x(), m_table->CellRect(5, 2).bottom() + 20);
    QCOMPARE(m_table->HitTestRow(belowRows), -1);

    m_table->SetRowSelected(2, true);
    m_table->SetRowSelected(4, true);
    QCOMPARE(m_table->SelectedRows(), (std::vector<int>{2, 4}));
    QCOMPARE(m_table->FirstSelectedRow(), 2);
    m_table->SetRowSelected(2, false);
    QCOMPARE(m_table->FirstSelectedRow(), 4);
    m_table->DeselectAll();
    QCOMPARE(m_table->FirstSelectedRow(), -1);

    m_table->DeleteAllItems();
    QCOMPARE(m_table->GetItemCount(), 0);
    QCOMPARE(m_table->GetColumnCount(), 5);

    // The client width leaves out the frame: the window computes the column widths from it.
    QCOMPARE(m_table->ClientWidth(), 460 - 2 * m_table->frameWidth());
}

void ControlsTest::manyRowsAreAddedInOneStep()
{
    int insertions = 0;
    int resets = 0;
    connect(m_table->model(), &QAbstractItemModel::rowsInserted, m_table, [&] { ++insertions; });
    connect(m_table->model(), &QAbstractItemModel::modelReset, m_table, [&] { ++resets; });

    // Short rows are filled up with empty cells, long ones cut to the columns.
    m_table->AppendItems({{"6", "A"}, {"7", "B", "300", "4", "m", "surplus"}, {"8"}});
    QCOMPARE(insertions, 1);
    QCOMPARE(m_table->GetItemCount(), 8);
    QCOMPARE(m_table->GetItemText(4, 1), QStringLiteral("Type_1"));  // the rows before stay
    QCOMPARE(RowTexts(m_table, 5), QStringList({"6", "A", "", "", ""}));
    QCOMPARE(RowTexts(m_table, 6), QStringList({"7", "B", "300", "4", "m"}));
    QCOMPARE(RowTexts(m_table, 7), QStringList({"8", "", "", "", ""}));
    m_table->AppendItems({});
    QCOMPARE(insertions, 1);

    m_table->ReplaceAllItems({{"1", "C"}, {"2", "D"}});
    QCOMPARE(resets, 1);
    QCOMPARE(m_table->GetItemCount(), 2);
    QCOMPARE(RowTexts(m_table, 1), QStringList({"2", "D", "", "", ""}));
    m_table->ReplaceAllItems({});
    QCOMPARE(m_table->GetItemCount(), 0);
}

void ControlsTest::tableRowsAreStripedFromRowZero()
{
    const QColor base = m_table->palette().color(QPalette::Active, QPalette::Base);
    QVERIFY(base != MyListCtrl::STRIPE_COLOUR);
    QCOMPARE(CellPixel(*m_table, 0, 1), MyListCtrl::STRIPE_COLOUR);
    QCOMPARE(CellPixel(*m_table, 1, 1), base);
    QCOMPARE(CellPixel(*m_table, 2, 4), MyListCtrl::STRIPE_COLOUR);
    QCOMPARE(CellPixel(*m_table, 3, 4), base);

    // A selected row takes the highlight colour whatever its parity.
    m_table->SetRowSelected(2, true);
    const QColor highlight = m_table->palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(CellPixel(*m_table, 2, 1), highlight);
    QCOMPARE(m_table->CellBackground(2, 1), highlight);
}

void ControlsTest::flaggedCellStaysRedUntilCleared()
{
    m_table->SetFlaggedCell(2, 3);
    QCOMPARE(m_table->FlaggedCell(), QPoint(3, 2));
    QCOMPARE(m_table->CellBackground(2, 3), MyListCtrl::FLAGGED_COLOUR);

    const QImage first = m_table->viewport()->grab().toImage();
    const QRect cell = m_table->CellRect(2, 3);
    QCOMPARE(first.pixelColor(cell.left() + 1, cell.bottom() - 1), MyListCtrl::FLAGGED_COLOUR);
    // Only that cell: its neighbour in the row keeps the stripe.
    const QRect neighbour = m_table->CellRect(2, 2);
    QCOMPARE(first.pixelColor(neighbour.left() + 1, neighbour.bottom() - 1), MyListCtrl::STRIPE_COLOUR);

    // Repaints (a message box taking the focus, the row selected) keep the red.
    QCOMPARE(CellPixel(*m_table, 2, 3), MyListCtrl::FLAGGED_COLOUR);
    m_table->SetRowSelected(2, true);
    QCOMPARE(CellPixel(*m_table, 2, 3), MyListCtrl::FLAGGED_COLOUR);
    QCOMPARE(m_table->FlaggedCell(), QPoint(3, 2));

    // Cleared, the cell shows the normal colours of its selected row.
    m_table->ClearFlaggedCell();
    QCOMPARE(m_table->FlaggedCell(), QPoint(-1, -1));
    QCOMPARE(CellPixel(*m_table, 2, 3), m_table->palette().color(QPalette::Active, QPalette::Highlight));
}

void ControlsTest::twoSelectedRowsAreCapturedOnHoverColumn()
{
    m_table->SetRowSelected(1, true);
    m_table->SetRowSelected(3, true);
    // The pointer arrives through the viewport's own mouse events.
    SendMouseMove(m_table->viewport(), m_table->CellRect(3, 3).center());

    QCOMPARE(m_table->HoverCell(), QPoint(3, 3));
    QCOMPARE(m_table->CapturedRows(), (std::vector<int>{1, 3}));
    QCOMPARE(CellPixel(*m_table, 1, 3), MyListCtrl::HIGHLIGHT_COLOUR);
    QCOMPARE(CellPixel(*m_table, 3, 3), MyListCtrl::HIGHLIGHT_COLOUR);
    // Other cells of the captured rows keep the selection colour; unselected rows their stripes.
    const QColor highlight = m_table->palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(CellPixel(*m_table, 1, 4), highlight);
    QCOMPARE(CellPixel(*m_table, 2, 3), MyListCtrl::STRIPE_COLOUR);

    // Moving to the other hover column of a captured row moves the highlight there.
    SendMouseMove(m_table->viewport(), m_table->CellRect(1, 4).center());
    QCOMPARE(m_table->HoverCell(), QPoint(4, 1));
    QCOMPARE(m_table->CapturedRows(), (std::vector<int>{1, 3}));
    QCOMPARE(CellPixel(*m_table, 3, 4), MyListCtrl::HIGHLIGHT_COLOUR);
    QCOMPARE(CellPixel(*m_table, 3, 3), highlight);
}

void ControlsTest::oneSelectedRowCapturesNothing()
{
    m_table->SetRowSelected(3, true);
    m_table->PointerMovedTo(m_table->CellRect(3, 3).center());
    QCOMPARE(m_table->HoverCell(), QPoint(3, 3));
    QVERIFY(m_table->CapturedRows().empty());
    QCOMPARE(CellPixel(*m_table, 3, 3), m_table->palette().color(QPalette::Active, QPalette::Highlight));
}

void ControlsTest::nonHoverColumnOrUnselectedRowCapturesNothing()
{
    m_table->SetRowSelected(1, true);
    m_table->SetRowSelected(3, true);
    m_table->PointerMovedTo(m_table->CellRect(3, 2).center());  // "下料长度" is no hover column
    QCOMPARE(m_table->HoverCell(), QPoint(-1, -1));
    QVERIFY(m_table->CapturedRows().empty());

    m_table->PointerMovedTo(m_table->CellRect(2, 3).center());  // row 2 is not selected
    QCOMPARE(m_table->HoverCell(), QPoint(-1, -1));
    QVERIFY(m_table->CapturedRows().empty());

    // From a captured cell to a non-qualifying one: the capture ends.
    m_table->PointerMovedTo(m_table->CellRect(3, 3).center());
    QCOMPARE(m_table->CapturedRows().size(), size_t(2));
    m_table->PointerMovedTo(m_table->CellRect(3, 0).center());
    QVERIFY(m_table->CapturedRows().empty());
    QCOMPARE(CellPixel(*m_table, 1, 3), m_table->palette().color(QPalette::Active, QPalette::Highlight));
}

void ControlsTest::leavingTheTableClearsTheCapture()
{
    m_table->SetRowSelected(0, true);
    m_table->SetRowSelected(4, true);
    SendMouseMove(m_table->viewport(), m_table->CellRect(0, 4).center());
    QCOMPARE(m_table->CapturedRows(), (std::vector<int>{0, 4}));

    SendLeave(m_table->viewport());
    QCOMPARE(m_table->HoverCell(), QPoint(-1, -1));
    QVERIFY(m_table->CapturedRows().empty());
    QCOMPARE(CellPixel(*m_table, 4, 4), m_table->palette().color(QPalette::Active, QPalette::Highlight));
}

void ControlsTest::highlightWinsOverFlag()
{
    m_table->SetRowSelected(1, true);
    m_table->SetRowSelected(2, true);
    m_table->PointerMovedTo(m_table->CellRect(2, 3).center());
    m_table->SetFlaggedCell(1, 3);
    QCOMPARE(CellPixel(*m_table, 1, 3), MyListCtrl::HIGHLIGHT_COLOUR);
}

void ControlsTest::capturedRowsAreReselected()
{
    m_table->SetRowSelected(0, true);
    m_table->SetRowSelected(2, true);
    m_table->SetRowSelected(3, true);
    m_table->PointerMovedTo(m_table->CellRect(2, 3).center());
    QCOMPARE(m_table->CapturedRows(), (std::vector<int>{0, 2, 3}));

    // A click reduces the selection to the clicked row; the capture survives it.
    m_table->DeselectAll();
    m_table->SetRowSelected(2, true);
    QCOMPARE(m_table->SelectedRows(), (std::vector<int>{2}));
    m_table->ReselectCapturedRows();
    QCOMPARE(m_table->SelectedRows(), (std::vector<int>{0, 2, 3}));
}

void ControlsTest::tableSignals()
{
    QSignalSpy doubleClicks(m_table, &MyListCtrl::itemDoubleClicked);
    QSignalSpy clicks(m_table, &MyListCtrl::itemClicked);
    QSignalSpy deletes(m_table, &MyListCtrl::deletePressed);

    QTest::mouseClick(m_table->viewport(), Qt::LeftButton, Qt::NoModifier, m_table->CellRect(1, 3).center());
    QTRY_COMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 1);
    QCOMPARE(clicks.at(0).at(1).toInt(), 3);

    QTest::mouseDClick(m_table->viewport(), Qt::LeftButton, Qt::NoModifier, m_table->CellRect(2, 1).center());
    QTRY_COMPARE(doubleClicks.count(), 1);
    QCOMPARE(doubleClicks.at(0).at(0).toInt(), 2);
    QCOMPARE(doubleClicks.at(0).at(1).toInt(), 1);

    const QPoint empty(m_table->CellRect(4, 1).center().x(), m_table->CellRect(4, 1).bottom() + 30);
    QTest::mouseDClick(m_table->viewport(), Qt::LeftButton, Qt::NoModifier, empty);
    QTRY_COMPARE(doubleClicks.count(), 2);
    QCOMPARE(doubleClicks.at(1).at(0).toInt(), -1);
    // QTest's double-click leaves the application believing the left button
    // is still held; release it so that later hovering is not taken for a drag.
    QTest::mouseRelease(m_table->viewport(), Qt::LeftButton, Qt::NoModifier, empty);
    QCOMPARE(QApplication::mouseButtons(), Qt::NoButton);

    m_table->setFocus();
    QTest::keyClick(m_table, Qt::Key_Delete);
    QCOMPARE(deletes.count(), 1);
    QCOMPARE(m_table->GetItemCount(), 5);  // the table deletes nothing itself
}

void ControlsTest::buttonIconSideFollowsHeight()
{
    QCOMPARE(Pic_Button::IconSideFor(21), 32);
    QCOMPARE(Pic_Button::IconSideFor(32), 32);
    QCOMPARE(Pic_Button::IconSideFor(33), 64);
    QCOMPARE(Pic_Button::IconSideFor(40), 64);

    Pic_Button button(QStringLiteral("优化计算"), m_window);
    const IconPair icons = IconsFor(CommandIcon::Compute);
    button.setGeometry(0, 0, 106, 21);
    button.SetIcons(icons.hot, icons.normal);
    QCOMPARE(button.IconSide(), 32);
    button.setGeometry(0, 0, 106, 40);
    button.SetIcons(icons.hot, icons.normal);
    QCOMPARE(button.IconSide(), 64);
}

void ControlsTest::buttonHoverShowsHotFaceAndRedCaption()
{
    auto* button = new Pic_Button(QStringLiteral("关 闭"), m_window);
    button->setObjectName(QStringLiteral("closeButton"));
    button->setGeometry(20, 20, 106, 24);
    const QColor face(170, 210, 150);
    const QColor hotFace(110, 170, 80);
    const IconPair icons = IconsFor(CommandIcon::Close);
    button->SetIcons(icons.hot, icons.normal);
    button->LoadHandCursor();
    button->SetHoverTextColour(QColor(255, 0, 0));
    button->SetFaceColours(face, hotFace);
    button->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));

    const QRect captionArea(button->height(), 0, button->width() - button->height(), button->height());
    const QPoint facePoint(button->width() - 4, 4);
    const QPoint iconPoint(button->height() / 2, button->height() / 2);

    QImage idle = button->grab().toImage();
    QVERIFY(!button->IsHovered());
    QCOMPARE(idle.pixelColor(facePoint), face);
    QCOMPARE(CountPixels(idle, captionArea, IsRed), 0);
    QVERIFY(CountPixels(idle, captionArea, IsDark) > 0);

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), button->mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(button, &enter);
    QVERIFY(button->IsHovered());
    QCOMPARE(button->CaptionColour(), QColor(255, 0, 0));
    const QImage hot = button->grab().toImage();
    QCOMPARE(hot.pixelColor(facePoint), hotFace);
    QVERIFY(CountPixels(hot, captionArea, IsRed) > 0);
    // The hot icon replaces the normal one.
    QVERIFY(hot.pixelColor(iconPoint) != idle.pixelColor(iconPoint));
    // The raised frame: highlight on the top edge.
    QCOMPARE(hot.pixelColor(button->width() / 2, 0), button->palette().color(QPalette::Light));

    SendLeave(button);
    QVERIFY(!button->IsHovered());
    QCOMPARE(button->CaptionColour(), button->palette().color(QPalette::ButtonText));
    idle = button->grab().toImage();
    QCOMPARE(idle.pixelColor(facePoint), face);
    QCOMPARE(CountPixels(idle, captionArea, IsRed), 0);
}

void ControlsTest::buttonFocusLossClearsHover()
{
    auto* button = new Pic_Button(QStringLiteral("帮  助"), m_window);
    button->setGeometry(20, 20, 106, 24);
    button->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    SendMouseMove(button, QPoint(10, 10));
    QVERIFY(button->IsHovered());
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(button, &focusOut);
    QVERIFY(!button->IsHovered());
}

void ControlsTest::buttonHandCursor()
{
    Pic_Button button(m_window);
    QVERIFY(!button.HasHandCursor());
    button.LoadHandCursor();
    QVERIFY(button.HasHandCursor());
    QCOMPARE(button.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(button.cursor().hotSpot(), QPoint(11, 1));
}

void ControlsTest::progressStepsAndStartsAgain()
{
    CGradientProgressCtrl progress;
    QCOMPARE(progress.m_lower, 0);
    QCOMPARE(progress.m_upper, 100);
    QCOMPARE(progress.m_step, 10);
    QCOMPARE(progress.GetPos(), 0);

    // Ten steps climb to 100; the eleventh passes the end and starts at 0 again.
    QList<int> positions;
    for (int i = 0; i < 11; ++i) {
        const int previous = progress.StepIt();
        QCOMPARE(previous, i == 0 ? 0 : positions.back());
        positions << progress.GetPos();
        QCOMPARE(progress.value(), progress.GetPos());
    }
    QCOMPARE(positions, (QList<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 0}));

    progress.SetRange(5, 20);
    progress.SetStep(7);
    progress.SetPos(5);
    QCOMPARE(progress.minimum(), 5);
    QCOMPARE(progress.maximum(), 20);
    progress.StepIt();
    progress.StepIt();
    QCOMPARE(progress.GetPos(), 19);
    progress.StepIt();  // 26 > 20
    QCOMPARE(progress.GetPos(), 5);
}

void ControlsTest::progressGradientCoversFilledPart()
{
    CGradientProgressCtrl progress(m_window);
    progress.setGeometry(0, 0, 567, 22);
    progress.show();
    progress.SetPos(50);
    // 50 / 100 of 567 pixels, truncated.
    QCOMPARE(progress.FillWidth(567), 283);

    const QImage image = progress.grab().toImage();
    QCOMPARE(image.width(), 567);
    // Band 0 starts yellow.
    QCOMPARE(image.pixelColor(0, 1), QColor(255, 255, 0));
    // 255 bands of 567/255 = 2.22 pixels; band 127 spans 282..283 and is the
    // last painted: red 255 - 127 = 128, green 255 - 108/255*127 = 201.2 -> 201.
    QCOMPARE(image.pixelColor(282, 1), QColor(128, 201, 0));
    QCOMPARE(image.pixelColor(283, 1), QColor(128, 201, 0));
    // Band 126 (280..281): green 255 - 108/255*126 = 201.6 -> 201, red 129.
    QCOMPARE(image.pixelColor(281, 1), QColor(129, 201, 0));
    QCOMPARE(image.pixelColor(284, 1), progress.m_backColour);
    QCOMPARE(image.pixelColor(566, 1), progress.m_backColour);
    // The caption sits in the middle.
    const QRect middle(200, 0, 167, 22);
    QVERIFY(CountPixels(image, middle, IsDark) > 0);
    QCOMPARE(CountPixels(image, QRect(0, 0, 150, 22), IsDark), 0);

    // A fill ending exactly on a band edge still paints the next band: 510
    // pixels make bands of 2; position 40 fills 204 pixels, the right edge of
    // band 101, so band 102 (204..205) is painted too and the rest starts at 206.
    progress.setGeometry(0, 0, 510, 22);
    progress.SetPos(40);
    QCOMPARE(progress.FillWidth(510), 204);
    const QImage edge = progress.grab().toImage();
    QCOMPARE(edge.pixelColor(205, 1), QColor(153, 211, 0));
    QCOMPARE(edge.pixelColor(206, 1), progress.m_backColour);

    // At 100 the whole bar is filled, ending near the end colour.
    progress.setGeometry(0, 0, 567, 22);
    progress.SetPos(100);
    const QImage full = progress.grab().toImage();
    QCOMPARE(full.pixelColor(566, 1), QColor(1, 147, 0));
}

void ControlsTest::progressOutOfRangeShowsFaceOnly()
{
    CGradientProgressCtrl progress(m_window);
    progress.setGeometry(0, 0, 200, 20);
    progress.show();
    progress.SetPos(150);
    const QImage image = progress.grab().toImage();
    const QColor face = progress.palette().color(QPalette::Button);
    QCOMPARE(image.pixelColor(0, 1), face);
    QCOMPARE(image.pixelColor(100, 10), face);
    QCOMPARE(CountPixels(image, image.rect(), IsDark), 0);
}

void ControlsTest::pictureBoxDrawsItsImage()
{
    Pic_Ctrl picture(m_window);
    picture.setGeometry(0, 0, 64, 64);
    picture.show();
    QVERIFY(picture.Bitmap().isEmpty());
    picture.SetBitmap(APP_ICON);
    const QImage image = picture.grab().toImage();
    // The icon's blue tile fills the middle of the box.
    const QColor centre = image.pixelColor(12, 20);
    QVERIFY(centre.blue() > centre.red() + 50);
}

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
