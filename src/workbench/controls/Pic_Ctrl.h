#pragma once

#include <QString>
#include <QWidget>

// A picture box: draws one image of the resource file stretched over the
// whole control; nothing without one.
class Pic_Ctrl : public QWidget {
    Q_OBJECT

public:
    explicit Pic_Ctrl(QWidget* parent = nullptr);

    // A resource path (SVG or bitmap); empty draws nothing.
    void SetBitmap(const QString& path);
    QString Bitmap() const { return m_bitmap; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_bitmap;
};
