#pragma once

#include <vector>

#include <QDialog>
#include <QRect>

#include "drawing/BarRenderer.h"
#include "engine/Job.h"

class QLabel;
class Pic_Button;

// The pattern detail view: one cutting pattern drawn as a bar, each piece a
// coloured block in proportion to its length with its length written inside
// where it fits (in a tooltip where it does not), the remnant left white, and
// a summary line below. A small frameless dialog that only shows; "关  闭" or
// Escape closes it.
class Dlg_MSG_Out : public QDialog {
    Q_OBJECT

public:
    // The pattern is read while the dialog lives; it is not copied.
    Dlg_MSG_Out(QWidget* parent, const WireCombine& pattern);

    // The drawing area of the bar in the dialog's coordinates.
    QRect DrawingArea() const;
    // The band the pieces are drawn over: one pixel above the drawing area to
    // one pixel above its bottom edge.
    QRect PieceBand() const;
    // The parts of the bar as drawn, and how their labels are written.
    std::vector<DrawnPart> Parts() const;
    BarStyle Style() const;
    // The tooltip at a point of the dialog: the length of the piece there when
    // its label does not fit inside it; empty elsewhere.
    QString ToolTipAt(const QPoint& point) const;

    const WireCombine& m_pattern;
    QLabel* m_summaryLabel = nullptr;
    Pic_Button* m_okButton = nullptr;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// Opens the detail view of the pattern modally, centred on the mouse pointer.
void ShowPatternDetail(QWidget* parent, const WireCombine& pattern);

// The result table's double click: opens the detail view of the pattern that
// row `row` of the table shows (rows counted over all groups of g_job). A
// negative row (none selected) or the totals row opens nothing.
void OpenDetailViewAtRow(QWidget* parent, int row);
