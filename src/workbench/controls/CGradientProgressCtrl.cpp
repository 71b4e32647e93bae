#include "workbench/controls/CGradientProgressCtrl.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

const QString CGradientProgressCtrl::CAPTION = QStringLiteral("优化计算中");

CGradientProgressCtrl::CGradientProgressCtrl(QWidget* parent) : QProgressBar(parent)
{
    // Every pixel is painted each time; nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setTextVisible(false);
    m_backColour = palette().color(QPalette::Button);
    QProgressBar::setRange(m_lower, m_upper);
    QProgressBar::setValue(m_pos);
}

void CGradientProgressCtrl::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    QProgressBar::setRange(lower, upper);
    update();
}

void CGradientProgressCtrl::SetStep(int step)
{
    m_step = step;
}

int CGradientProgressCtrl::SetPos(int pos)
{
    const int previous = m_pos;
    m_pos = pos;
    QProgressBar::setValue(pos);
    update();
    return previous;
}

int CGradientProgressCtrl::StepIt()
{
    int next = m_pos + m_step;
    if (next > m_upper) {
        next = m_lower;
    }
    return SetPos(next);
}

int CGradientProgressCtrl::FillWidth(int clientWidth) const
{
    if (m_upper == 0) {
        return 0;
    }
    return static_cast<int>(static_cast<float>(m_pos) / static_cast<float>(m_upper) * static_cast<float>(clientWidth));
}

void CGradientProgressCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int width = this->width();
    const int height = this->height();
    if (m_pos < m_lower || m_pos > m_upper) {
        painter.fillRect(rect(), palette().color(QPalette::Button));
        return;
    }
    const int fill = FillWidth(width);

    // One band per step of the widest colour difference (255 for yellow to green).
    const int dr = m_endColour.red() - m_startColour.red();
    const int dg = m_endColour.green() - m_startColour.green();
    const int db = m_endColour.blue() - m_startColour.blue();
    const int bands = std::max({std::abs(dr), std::abs(dg), std::abs(db), 1});
    const float bandWidth = static_cast<float>(width) / static_cast<float>(bands);
    const float stepR = static_cast<float>(dr) / static_cast<float>(bands);
    const float stepG = static_cast<float>(dg) / static_cast<float>(bands);
    const float stepB = static_cast<float>(db) / static_cast<float>(bands);
    for (int i = 0; i < bands; ++i) {
        const int left = static_cast<int>(static_cast<float>(i) * bandWidth);
        const int right = static_cast<int>(static_cast<float>(i + 1) * bandWidth);
        const QColor colour(static_cast<int>(static_cast<float>(m_startColour.red()) + stepR * static_cast<float>(i)),
                            static_cast<int>(static_cast<float>(m_startColour.green()) + stepG * static_cast<float>(i)),
                            static_cast<int>(static_cast<float>(m_startColour.blue()) + stepB * static_cast<float>(i)));
        painter.fillRect(QRect(left, 0, right - left, height + 1), colour);
        if (fill < right) {
            painter.fillRect(QRect(right, 0, width - right, height + 1), m_backColour);
            break;
        }
    }

    painter.setPen(m_textColour);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, CAPTION);
}
