// The pattern detail view: the bar drawn pixel by pixel, the summary line,
// closing.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "app/DialogUnits.h"
#include "reports/PatternDrawing.h"
#include "reports/SpreadsheetReports.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/Dlg_MSG_Out.h"
#include "support/ModalScript.h"

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
    // from one pixel above the area to one pixel above its bottom edge.
    QVERIFY(PaletteColour(0) != PaletteColour(1));
    const int firstOf[] = {left, boundaries[0], boundaries[1], boundaries[2], boundaries[3]};
    const int colourOf[] = {0, 0, 1, 1, 1};
    for (int block = 0; block < 5; ++block) {
        const QColor expected = PaletteColour(colourOf[block]);
        for (int x = firstOf[block] + 1; x < boundaries[block]; ++x) {
            QCOMPARE(image.pixelColor(x, middle), expected);
            QCOMPARE(image.pixelColor(x, top - 1), expected);
            QCOMPARE(image.pixelColor(x, bottom - 2), expected);
            QCOMPARE(image.pixelColor(x, bottom - 1), white);
            QCOMPARE(image.pixelColor(x, bottom), black);
        }
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
