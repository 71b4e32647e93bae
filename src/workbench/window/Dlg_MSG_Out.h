#pragma once

#include <QDialog>
#include <QRect>

#include "engine/Job.h"

class QLabel;
class Pic_Button;

// The pattern detail view: one cutting pattern drawn as a bar, each piece a
// coloured block in proportion to its length, the remnant left white, and a
// summary line below. A small frameless dialog that only shows; "关  闭" or
// Escape closes it.
class Dlg_MSG_Out : public QDialog {
    Q_OBJECT

public:
    // The pattern is read while the dialog lives; it is not copied.
    Dlg_MSG_Out(QWidget* parent, const WireCombine& pattern);

    // The drawing area of the bar in the dialog's coordinates.
    QRect DrawingArea() const;

    const WireCombine& m_pattern;
    QLabel* m_summaryLabel = nullptr;
    Pic_Button* m_okButton = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Opens the detail view of the pattern modally, centred on the mouse pointer.
void ShowPatternDetail(QWidget* parent, const WireCombine& pattern);

// The result table's double click: opens the detail view of the pattern that
// row `row` of the table shows (rows counted over all groups of g_job). A
// negative row (none selected) or the totals row opens nothing.
void OpenDetailViewAtRow(QWidget* parent, int row);
