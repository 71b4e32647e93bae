#include "workbench/controls/Pic_Button.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

#include "platform/AppResources.h"

namespace {

// An icon larger than the button is drawn this far inside its top and bottom edges.
const int ICON_INSET = 2;

}  // namespace

Pic_Button::Pic_Button(QWidget* parent) : QPushButton(parent)
{
    Init();
}

Pic_Button::Pic_Button(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    Init();
}

void Pic_Button::Init()
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hoverTextColour = palette().color(QPalette::ButtonText);
    m_faceColour = palette().color(QPalette::Button);
    m_hotFaceColour = m_faceColour;
}

int Pic_Button::IconSideFor(int buttonHeight)
{
    return buttonHeight <= 32 ? 32 : 64;
}

void Pic_Button::SetIcons(const QString& hotIcon, const QString& normalIcon)
{
    m_iconHeight = IconSideFor(height());
    m_hotIcon = hotIcon;
    m_normalIcon = normalIcon.isEmpty() ? hotIcon : normalIcon;
    m_drawnSide = 0;  // render again at the next paint
    repaint();
}

void Pic_Button::LoadHandCursor()
{
    m_handCursor = HandCursor();
    m_hasHandCursor = true;
    setCursor(m_handCursor);
}

void Pic_Button::SetHoverTextColour(const QColor& colour)
{
    m_hoverTextColour = colour;
    update();
}

void Pic_Button::SetFaceColours(const QColor& face, const QColor& hotFace)
{
    m_faceColour = face;
    m_hotFaceColour = hotFace;
    update();
}

QColor Pic_Button::CaptionColour() const
{
    if (m_hovered || isDown()) {
        return m_hoverTextColour;
    }
    return palette().color(QPalette::ButtonText);
}

QColor Pic_Button::FaceColour() const
{
    return m_hovered || isDown() ? m_hotFaceColour : m_faceColour;
}

void Pic_Button::SetHovered(bool hovered)
{
    if ((m_hovered != 0) != hovered) {
        m_hovered = hovered ? 1 : 0;
        update();
    }
}

void Pic_Button::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    // Entering with the left button held (a drag from elsewhere) does not hover.
    const bool leftHeld = QApplication::mouseButtons() & Qt::LeftButton;
    if (!(leftHeld && !m_hovered) && QApplication::activeWindow() && parentWidget()) {
        SetHovered(true);
    }
}

void Pic_Button::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    SetHovered(false);
}

void Pic_Button::mouseMoveEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    const bool leftHeld = event->buttons() & Qt::LeftButton;
    if (!inside) {
        SetHovered(false);
    } else if (!m_hovered && !leftHeld && QApplication::activeWindow() && parentWidget()) {
        SetHovered(true);
    }
    QPushButton::mouseMoveEvent(event);
}

void Pic_Button::mouseReleaseEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    QPointer<Pic_Button> self(this);
    QPushButton::mouseReleaseEvent(event);  // may run a command that closes the window
    if (self && !inside) {
        SetHovered(false);
    }
}

void Pic_Button::focusOutEvent(QFocusEvent* event)
{
    SetHovered(false);
    QPushButton::focusOutEvent(event);
}

int Pic_Button::DrawnIconSide() const
{
    if (m_iconHeight == 0) {
        return 0;
    }
    return std::max(1, std::min(m_iconHeight, height() - 2 * ICON_INSET));
}

const QPixmap& Pic_Button::IconToDraw(bool hot)
{
    const int side = DrawnIconSide();
    const qreal ratio = devicePixelRatioF();
    if (side != m_drawnSide || ratio != m_drawnRatio) {
        m_hotPixmap = RenderImage(m_hotIcon, QSize(side, side), ratio);
        m_normalPixmap = m_normalIcon == m_hotIcon ? m_hotPixmap : RenderImage(m_normalIcon, QSize(side, side), ratio);
        m_drawnSide = side;
        m_drawnRatio = ratio;
    }
    return hot ? m_hotPixmap : m_normalPixmap;
}

void Pic_Button::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = rect();
    const bool pressed = isDown();
    const bool hot = m_hovered || pressed;
    const QPalette& colours = palette();

    painter.fillRect(area, hot ? m_hotFaceColour : m_faceColour);

    // Frame: sunken while pressed (shadow on the top and left), raised while
    // hovered (highlight on the top and left), none when idle.
    if (pressed || m_hovered) {
        const QColor topLeft = colours.color(pressed ? QPalette::Dark : QPalette::Light);
        const QColor bottomRight = colours.color(pressed ? QPalette::Light : QPalette::Dark);
        const QRect edge = area.adjusted(0, 0, -1, -1);
        painter.setPen(topLeft);
        painter.drawLine(edge.topLeft(), edge.topRight());
        painter.drawLine(edge.topLeft(), edge.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(edge.bottomLeft(), edge.bottomRight());
        painter.drawLine(edge.topRight(), edge.bottomRight());
    }

    const QPoint shift = pressed ? QPoint(1, 1) : QPoint(0, 0);
    const QString caption = text();
    QRect captionArea = area;
    if (!m_hotIcon.isEmpty() && m_iconHeight > 0) {
        QPixmap icon = IconToDraw(hot);
        const int side = m_drawnSide;
        const int top = (area.height() - side) / 2;
        const int left = caption.isEmpty() ? (area.width() - side) / 2 : top;
        if (!isEnabled() && !icon.isNull()) {
            QStyleOption option;
            option.initFrom(this);
            icon = style()->generatedIconPixmap(QIcon::Disabled, icon, &option);
        }
        if (!icon.isNull()) {
            painter.drawPixmap(QPoint(left, top) + shift, icon);
        }
        captionArea.setLeft(left + side + 2);
    }

    if (!caption.isEmpty()) {
        const QColor textColour = !isEnabled() ? colours.color(QPalette::Disabled, QPalette::ButtonText)
                                               : CaptionColour();
        painter.setPen(textColour);
        painter.setFont(font());
        const int lines = caption.contains(QLatin1Char('\n')) ? 0 : int(Qt::TextSingleLine);
        painter.drawText(captionArea.translated(shift), Qt::AlignCenter | lines, caption);
    }
}

Pic_Button* MakeCommandButton(QWidget* parent, const QString& caption, const QRect& geometry, const char* name,
                              CommandIcon icon)
{
    auto* button = new Pic_Button(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);  // the icons are drawn for this height
    const IconPair icons = IconsFor(icon);
    button->SetIcons(icons.hot, icons.normal);
    button->LoadHandCursor();
    button->SetHoverTextColour(QColor(255, 0, 0));
    button->setAutoDefault(false);
    return button;
}
