#include "workbench/window/Dlg_MSG_Out.h"

#include <cstdint>

#include <QLabel>
#include <QPainter>

#include "app/AppResources.h"
#include "app/DialogPlacement.h"
#include "app/DialogUnits.h"
#include "reports/PatternDrawing.h"
#include "reports/SpreadsheetReports.h"
#include "workbench/controls/Pic_Button.h"

namespace {

const QColor BACKGROUND(170, 210, 150);
const QColor HOT_FACE(110, 170, 80);

// The drawing area of the bar in dialog units: x, y, width, height.
const int AREA_X = 7;
const int AREA_Y = 7;
const int AREA_WIDTH = 291;
const int AREA_HEIGHT = 9;

// A palette colour (0xBBGGRR) as a QColor.
QColor PaletteColour(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

}  // namespace

Dlg_MSG_Out::Dlg_MSG_Out(QWidget* parent, const WireCombine& pattern) : QDialog(parent), m_pattern(pattern)
{
    setObjectName(QStringLiteral("Dlg_MSG_Out"));
    setFont(DialogFont());
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(DluToPixelsX(305), DluToPixelsY(45));
    setModal(true);

    QPalette colours = palette();
    colours.setColor(QPalette::Window, BACKGROUND);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setAutoFillBackground(true);

    // A label draws no background of its own: the dialog's colour shows through.
    m_summaryLabel = new QLabel(QString::fromStdU16String(PatternSummaryText(pattern)), this);
    m_summaryLabel->setObjectName(QStringLiteral("summaryLabel"));
    m_summaryLabel->setGeometry(DluToPixels(7, 26, 224, 11));
    m_summaryLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_okButton =
        MakeCommandButton(this, QStringLiteral("关  闭"), DluToPixels(239, 24, 59, 16), "okButton", CommandIcon::Close);
    m_okButton->SetFaceColours(BACKGROUND, HOT_FACE);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

QRect Dlg_MSG_Out::DrawingArea() const
{
    return DluToPixels(AREA_X, AREA_Y, AREA_WIDTH, AREA_HEIGHT);
}

void Dlg_MSG_Out::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect area = DrawingArea();
    // Edges as the drawing rule counts them: right and bottom are the first
    // pixels past the area.
    const int left = area.left();
    const int top = area.top();
    const int right = area.left() + area.width();
    const int bottom = area.top() + area.height();
    const QPen black(Qt::black, 0);

    // The drawing area's own black frame; the bar is drawn over it.
    painter.setPen(black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(left, top, area.width() - 1, area.height() - 1));
    if (!(m_pattern.m_barLength > 0))
        return;

    // The bar: white, outlined through (left, bottom), (right, bottom),
    // (right, top) and (left, top).
    painter.fillRect(area, Qt::white);
    painter.drawRect(QRect(left, top, right - left, bottom - top));

    // Each piece from one pixel above the area's top to its bottom edge
    // (exclusive), a black line on either side.
    for (const PatternBlock& block : PatternBlocks(m_pattern, left, right)) {
        painter.fillRect(QRect(block.left, top - 1, block.right - block.left, bottom - top),
                         PaletteColour(SegmentColour(block.colourIndex)));
        painter.drawLine(QPoint(block.left, top - 1), QPoint(block.left, bottom - 2));
        painter.drawLine(QPoint(block.right, top - 1), QPoint(block.right, bottom - 2));
    }
}

void ShowPatternDetail(QWidget* parent, const WireCombine& pattern)
{
    Dlg_MSG_Out dialog(parent, pattern);
    CentreOnPointer(&dialog);
    dialog.exec();
}

void OpenDetailViewAtRow(QWidget* parent, int row)
{
    if (const WireCombine* pattern = PatternAtRow(g_job, row))
        ShowPatternDetail(parent, *pattern);
}
