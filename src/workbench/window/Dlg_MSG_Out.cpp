#include "workbench/window/Dlg_MSG_Out.h"

#include <algorithm>

#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QToolTip>

#include "platform/AppResources.h"
#include "platform/DialogPlacement.h"
#include "platform/DialogUnits.h"
#include "reports/PatternDrawing.h"
#include "workbench/controls/Pic_Button.h"

namespace {

const QColor BACKGROUND(170, 210, 150);
const QColor HOT_FACE(110, 170, 80);

// The drawing area of the bar in dialog units: x, y, width, height.
const int AREA_X = 7;
const int AREA_Y = 7;
const int AREA_WIDTH = 291;
const int AREA_HEIGHT = 9;

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
    // (exclusive), a black line on either side, its length inside where it fits.
    BarPainter(Style(), this).Draw(painter, PieceBand(), Parts());
}

QRect Dlg_MSG_Out::PieceBand() const
{
    const QRect area = DrawingArea();
    return QRect(area.left(), area.top() - 1, area.width(), area.height());
}

std::vector<DrawnPart> Dlg_MSG_Out::Parts() const
{
    const QRect area = DrawingArea();
    return PartsOnPixels(m_pattern, area.left(), area.left() + area.width());
}

BarStyle Dlg_MSG_Out::Style() const
{
    BarStyle style;
    style.pixelGrid = true;
    // Digits about two thirds of the band high leave its top and bottom rows
    // to the colour.
    QFont font = DialogFont();
    font.setPixelSize(std::max(6, DrawingArea().height() - 4));
    style.labelFont = font;
    style.markFont = font;
    style.padding = 1;
    return style;
}

QString Dlg_MSG_Out::ToolTipAt(const QPoint& point) const
{
    const QRect band = PieceBand();
    if (!(m_pattern.m_barLength > 0) || point.y() < band.top() || point.y() >= band.top() + band.height())
        return QString();
    // Measured as the painting measures: for this dialog, in the same style.
    BarPainter bars(Style(), this);
    for (const DrawnPart& part : Parts()) {
        if (point.x() < part.left || point.x() >= part.right)
            continue;
        return bars.LabelFits(part.label, part.right - part.left - 1, band.height()) ? QString() : part.label;
    }
    return QString();
}

bool Dlg_MSG_Out::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QDialog::event(event);
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
