// The pattern detail view: the bar drawn pixel by pixel with the lengths
// written inside, tooltips for narrow pieces, the summary line, closing.

#include <cstdlib>

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QHelpEvent>

#include "platform/DialogUnits.h"
#include "reports/PatternDrawing.h"
#include "reports/SpreadsheetReports.h"
#include "support/ModalScript.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/Dlg_MSG_Out.h"

namespace {

const QColor BACKGROUND(170, 210, 150);

WireCombine ExamplePattern()
{
    WireCombine pattern;
    pattern.m_barLength = 6000;
    pattern.m_barCount = 3;
    pattern.m_utilisation = 0.9;
    pattern.m_remnant = 600;
    pattern.m_pieceLength = {1500, 800};
    pattern.m_pieceCount = {2, 3};
    return pattern;
}

// A palette entry (0xBBGGRR) as the colour a pixel shows.
QColor PaletteColour(int index)
{
    const uint32_t c = SegmentColour(index);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

}  // namespace

class DetailViewTest : public QObject {
    Q_OBJECT

private slots:
    void drawsEveryPieceInItsColour();
    void narrowPiecesShowTheirLengthInATooltip();
    void barWithoutLengthIsNotDrawn();
    void closesWithEscapeAndWithItsButton();
};

void DetailViewTest::drawsEveryPieceInItsColour()
{
    const WireCombine pattern = ExamplePattern();
    Dlg_MSG_Out dialog(nullptr, pattern);
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dialog.size(), DluToPixels(0, 0, 305, 45).size());
    QCOMPARE(dialog.m_summaryLabel->text(), QStringLiteral("原料长度 6000    分段数 5    利用率 90.0%    余长 600"));
    QCOMPARE(dialog.m_okButton->text(), QStringLiteral("关  闭"));

    const QImage image = dialog.grab().toImage();
    const QRect area = dialog.DrawingArea();
    QCOMPARE(area, DluToPixels(7, 7, 291, 9));
    const int left = area.left();
    const int top = area.top();
    const int right = left + area.width();
    const int bottom = top + area.height();
    const int middle = (top + bottom) / 2;
    QCOMPARE(image.pixelColor(2, 2), BACKGROUND);

    const std::vector<int> boundaries = SegmentBoundaries(pattern, left, right);
    QCOMPARE(boundaries.size(), size_t(5));
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    QCOMPARE(image.pixelColor(left, middle), black);
    for (int x : boundaries)
        QCOMPARE(image.pixelColor(x, middle), black);

    // Inside the blocks: 1500 in the first palette colour, 800 in the second,
    // from one pixel above the area to one pixel above its bottom edge. The
    // length is written in the middle of each block (all fit here): the
    // middle row shows the colour only outside the label's width, and the
    // label's ink inside it.
    QVERIFY(PaletteColour(0) != PaletteColour(1));
    const int firstOf[] = {left, boundaries[0], boundaries[1], boundaries[2], boundaries[3]};
    const int colourOf[] = {0, 0, 1, 1, 1};
    const QString labelOf[] = {"1500", "1500", "800", "800", "800"};
    const QFontMetricsF metrics(dialog.Style().labelFont, &dialog);
    for (int block = 0; block < 5; ++block) {
        const QColor expected = PaletteColour(colourOf[block]);
        const double centre = (firstOf[block] + boundaries[block]) / 2.0;
        const double half = metrics.horizontalAdvance(labelOf[block]) / 2 + 1;
        QVERIFY(2 * half < boundaries[block] - firstOf[block]);
        int ink = 0;
        for (int x = firstOf[block] + 1; x < boundaries[block]; ++x) {
            if (std::abs(x - centre) > half)
                QCOMPARE(image.pixelColor(x, middle), expected);
            else
                ink += image.pixelColor(x, middle) != expected;
            QCOMPARE(image.pixelColor(x, top - 1), expected);
            QCOMPARE(image.pixelColor(x, bottom - 2), expected);
            QCOMPARE(image.pixelColor(x, bottom - 1), white);
            QCOMPARE(image.pixelColor(x, bottom), black);
        }
        QVERIFY2(ink >= 2, qPrintable(QStringLiteral("no label in block %1").arg(block)));
    }

    // The remnant stays white up to the outline on the right.
    for (int x = boundaries.back() + 1; x < right; ++x) {
        QCOMPARE(image.pixelColor(x, middle), white);
        QCOMPARE(image.pixelColor(x, top), black);
        QCOMPARE(image.pixelColor(x, top - 1), BACKGROUND);
    }
    QCOMPARE(image.pixelColor(right, middle), black);
    QCOMPARE(image.pixelColor(right + 1, middle), BACKGROUND);
}

void DetailViewTest::narrowPiecesShowTheirLengthInATooltip()
{
    // 5000 fills most of the bar; the two pieces of 95 are a few pixels wide,
    // far too narrow for "95".
    WireCombine pattern = ExamplePattern();
    pattern.m_pieceLength = {5000, 95};
    pattern.m_pieceCount = {1, 2};
    Dlg_MSG_Out dialog(nullptr, pattern);
    const QImage image = dialog.grab().toImage();
    const QRect area = dialog.DrawingArea();
    const int middle = area.top() + area.height() / 2;
    const std::vector<int> boundaries = SegmentBoundaries(pattern, area.left(), area.left() + area.width());
    QCOMPARE(boundaries.size(), size_t(3));
    QVERIFY(boundaries[1] - boundaries[0] < 10);

    // The narrow blocks show only their colour; their length is the tooltip.
    const QColor narrow = PaletteColour(1);
    for (int x = boundaries[0] + 1; x < boundaries[1]; ++x)
        QCOMPARE(image.pixelColor(x, middle), narrow);
    QCOMPARE(dialog.ToolTipAt(QPoint((boundaries[0] + boundaries[1]) / 2, middle)), QStringLiteral("95"));
    QCOMPARE(dialog.ToolTipAt(QPoint((boundaries[1] + boundaries[2]) / 2, middle)), QStringLiteral("95"));

    // The wide block has its length written inside: no tooltip; nor has the
    // remnant, nor a point above the bar.
    QCOMPARE(dialog.ToolTipAt(QPoint((area.left() + boundaries[0]) / 2, middle)), QString());
    QCOMPARE(dialog.ToolTipAt(QPoint(boundaries[2] + 3, middle)), QString());
    QCOMPARE(dialog.ToolTipAt(QPoint((boundaries[0] + boundaries[1]) / 2, area.top() - 4)), QString());

    // Shown through the tooltip event.
    QHelpEvent help(QEvent::ToolTip, QPoint((boundaries[0] + boundaries[1]) / 2, middle),
                    dialog.mapToGlobal(QPoint((boundaries[0] + boundaries[1]) / 2, middle)));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QApplication::sendEvent(&dialog, &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("95"));
    QToolTip::hideText();
}

void DetailViewTest::barWithoutLengthIsNotDrawn()
{
    WireCombine pattern = ExamplePattern();
    pattern.m_barLength = 0;
    Dlg_MSG_Out dialog(nullptr, pattern);
    const QImage image = dialog.grab().toImage();
    const QRect area = dialog.DrawingArea();
    // Only the drawing area's frame shows.
    QCOMPARE(image.pixelColor(area.left(), area.center().y()), QColor(0, 0, 0));
    for (int x = area.left() + 1; x < area.right(); x += 7)
        QCOMPARE(image.pixelColor(x, area.center().y()), BACKGROUND);
}

void DetailViewTest::closesWithEscapeAndWithItsButton()
{
    const WireCombine pattern = ExamplePattern();
    bool sawView = false;
    QTimer::singleShot(0, this, [&sawView] {
        auto* view = qobject_cast<Dlg_MSG_Out*>(QApplication::activeModalWidget());
        sawView = view != nullptr;
        if (view)
            QTest::keyClick(view, Qt::Key_Escape);
    });
    // Should Escape not close the view, it is closed here and the test fails.
    ModalGuard guard(5000);
    ShowPatternDetail(nullptr, pattern);
    QVERIFY(sawView);
    QVERIFY(!guard.Forced());

    Dlg_MSG_Out dialog(nullptr, pattern);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.m_okButton, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

QTEST_MAIN(DetailViewTest)
#include "DetailViewTest.moc"
