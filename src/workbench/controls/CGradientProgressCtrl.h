#pragma once

#include <QColor>
#include <QProgressBar>

// The progress bar of an optimisation run: a banded gradient from yellow to
// green up to the position, the rest in the button face colour, with the
// caption "优化计算中". An activity indicator: StepIt climbs by m_step and
// starts again at m_lower past m_upper. The operations keep the members and
// the QProgressBar's own range and value equal. Painting fills every pixel
// (Qt paints widgets double-buffered), so frequent updates do not flicker.
class CGradientProgressCtrl : public QProgressBar {
    Q_OBJECT

public:
    explicit CGradientProgressCtrl(QWidget* parent = nullptr);

    void SetRange(int lower, int upper);
    void SetStep(int step);
    // Set the position; return the previous one.
    int SetPos(int pos);
    int GetPos() const { return m_pos; }
    int StepIt();

    // The filled width for the current position and a client width:
    // truncation of (m_pos / m_upper) * width in single precision.
    int FillWidth(int clientWidth) const;

    int m_lower = 0;
    int m_upper = 100;
    int m_step = 10;
    int m_pos = 0;
    QColor m_startColour{255, 255, 0};
    QColor m_endColour{0, 147, 0};
    QColor m_backColour;  // palette's button face
    QColor m_textColour{0, 0, 0};

    static const QString CAPTION;  // "优化计算中"

protected:
    void paintEvent(QPaintEvent* event) override;
};
