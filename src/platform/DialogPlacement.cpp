#include "platform/DialogPlacement.h"

#include <algorithm>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnPointer(QWidget* dialog)
{
    const QPoint pointer = QCursor::pos();
    QPoint topLeft = pointer - QPoint(dialog->width() / 2, dialog->height() / 2);
    if (const QScreen* screen = QGuiApplication::screenAt(pointer)) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - dialog->width())));
        topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - dialog->height())));
    }
    dialog->move(topLeft);
}
