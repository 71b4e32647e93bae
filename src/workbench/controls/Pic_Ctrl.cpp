#include "workbench/controls/Pic_Ctrl.h"

#include <QPainter>

#include "platform/AppResources.h"

Pic_Ctrl::Pic_Ctrl(QWidget* parent) : QWidget(parent)
{
}

void Pic_Ctrl::SetBitmap(const QString& path)
{
    m_bitmap = path;
    update();
}

void Pic_Ctrl::paintEvent(QPaintEvent*)
{
    if (m_bitmap.isEmpty()) {
        return;
    }
    const QPixmap picture = RenderImage(m_bitmap, size(), devicePixelRatioF());
    if (!picture.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, picture);
    }
}
