#pragma once

#include <vector>

#include <QPointer>
#include <QRect>
#include <QSize>

class QHeaderView;
class QWidget;

// Places the controls of a window built from a fixed layout for any window
// size. At the designed size every control keeps its designed geometry. A
// different size goes to the three tables: the width is shared by the two
// input tables (the result table spans both), the height by the input tables
// and the result table; the controls around them keep their size and move
// with the table edges near them. The column to the right of the tables keeps
// its width; its controls close up proportionally on a lower window and, on a
// higher one, its lower part (the command buttons) spreads to the bottom while
// the parameters above stay.
class WindowLayout {
public:
    // Remembers the window's current size and every direct child's geometry
    // as designed. The three tables (cut, stock and result) set the zones that
    // stretch; tables and frames (group boxes) stretch with them, widgets
    // named in stretchWidth only in width, everything else keeps its size.
    void Record(QWidget* window, QWidget* cutTable, QWidget* stockTable, QWidget* resultTable,
                const std::vector<QWidget*>& stretchWidth);

    // Places every recorded child for the window size, and scales the
    // columns of the recorded tables with their width.
    void Apply(const QSize& size) const;

    QSize DesignedSize() const { return m_designed; }
    // The smallest size at which every control stays usable.
    QSize MinimumSize() const;

    // The size a window of this layout takes on a screen whose available
    // area is `room` (the window frame already taken off): the designed size,
    // or less where the room is smaller, but never below MinimumSize().
    QSize SizeFor(const QSize& room) const;

    // Where the designed geometry of one child goes at the window size.
    QRect Place(const QRect& designed, bool stretchX, bool stretchY, bool rightColumn, const QSize& size) const;

private:
    struct Entry {
        QPointer<QWidget> widget;
        QRect designed;
        bool stretchX = false;
        bool stretchY = false;
        bool rightColumn = false;  // right of the tables
    };
    struct Columns {
        QPointer<QHeaderView> header;
        int frame = 0;  // table width minus its contents width
        int designedWidth = 0;
        std::vector<int> widths;
    };

    int MapX(int x, int dx) const;
    int MapY(int y, int dy) const;
    int MapRightY(int y, int height) const;

    QSize m_designed;
    // Zone edges at the designed size, in window pixels.
    int m_cutLeft = 0, m_cutRight = 0, m_stockLeft = 0, m_stockRight = 0;
    int m_inputTop = 0, m_inputBottom = 0, m_resultTop = 0, m_resultBottom = 0;
    int m_rightSplit = 0;    // right column: above this its controls never spread
    int m_rightLastTop = 0;  // right column: the top of its lowest control
    std::vector<Entry> m_entries;
    std::vector<Columns> m_columns;
};
