#pragma once

#include <QColor>
#include <QCursor>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QString>

#include "platform/AppResources.h"

// A push button that paints its own face: an icon pair (hot while the pointer
// is over it or it is pressed, normal otherwise), a raised frame while
// hovered, a sunken frame while pressed, and the caption in the hover colour.
// Set up like every button of the program: SetIcons, LoadHandCursor,
// SetHoverTextColour(Qt::red).
class Pic_Button : public QPushButton {
    Q_OBJECT

public:
    explicit Pic_Button(QWidget* parent = nullptr);
    explicit Pic_Button(const QString& caption, QWidget* parent = nullptr);

    // Loads the icons (resource paths of SVG or bitmap images) at the side
    // the button's current height calls for: 32 up to 32 pixels, else 64.
    // Without a normal icon the hot icon serves for both. Repaints.
    void SetIcons(const QString& hotIcon, const QString& normalIcon = QString());
    // The program's hand cursor over the button.
    void LoadHandCursor();
    void SetHoverTextColour(const QColor& colour);
    void SetFaceColours(const QColor& face, const QColor& hotFace);

    bool IsHovered() const { return m_hovered != 0; }
    int IconSide() const { return m_iconHeight; }
    bool HasHandCursor() const { return m_hasHandCursor; }
    // The caption colour now: the hover colour while hovered or pressed, else
    // the palette's button text.
    QColor CaptionColour() const;
    QColor FaceColour() const;

    // The icon side for a button height in pixels.
    static int IconSideFor(int buttonHeight);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Init();
    void SetHovered(bool hovered);
    // The side the icons are drawn with: IconSide(), shrunk to fit the button.
    int DrawnIconSide() const;
    const QPixmap& IconToDraw(bool hot);

    int m_hovered = 0;
    QString m_hotIcon;     // resource paths
    QString m_normalIcon;
    QPixmap m_hotPixmap;   // drawn at m_drawnSide
    QPixmap m_normalPixmap;
    int m_drawnSide = 0;
    qreal m_drawnRatio = 0;
    int m_iconHeight = 0;
    QColor m_hoverTextColour;
    QColor m_faceColour;
    QColor m_hotFaceColour;
    QCursor m_handCursor;
    bool m_hasHandCursor = false;
};

// A command button of the program at `geometry` (pixels): the icon pair of
// `icon`, the hand cursor and a red caption while hovered. Enter does not
// press it unless the caller makes it the default button.
Pic_Button* MakeCommandButton(QWidget* parent, const QString& caption, const QRect& geometry, const char* name,
                              CommandIcon icon);
