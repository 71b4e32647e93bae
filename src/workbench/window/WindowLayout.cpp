#include "workbench/window/WindowLayout.h"

#include <algorithm>
#include <cmath>

#include <QGroupBox>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>

namespace {

// The smallest window, as a share of the designed size: below it the
// parameter labels would touch and the buttons under the input tables crowd.
constexpr double MINIMUM_WIDTH_SHARE = 0.78;
constexpr double MINIMUM_HEIGHT_SHARE = 0.82;

// v in [a, b] mapped linearly onto [a2, b2].
int Lerp(int v, int a, int b, int a2, int b2)
{
    if (b == a)
        return a2 + (v - a);
    return a2 + static_cast<int>(std::lround(static_cast<double>(v - a) * (b2 - a2) / (b - a)));
}

}  // namespace

void WindowLayout::Record(QWidget* window, QWidget* cutTable, QWidget* stockTable, QWidget* resultTable,
                          const std::vector<QWidget*>& stretchWidth)
{
    m_designed = window->size();
    const QRect cut = cutTable->geometry();
    const QRect stock = stockTable->geometry();
    const QRect result = resultTable->geometry();
    m_cutLeft = cut.x();
    m_cutRight = cut.x() + cut.width();
    m_stockLeft = stock.x();
    m_stockRight = stock.x() + stock.width();
    m_inputTop = std::min(cut.y(), stock.y());
    m_inputBottom = std::max(cut.y() + cut.height(), stock.y() + stock.height());
    m_resultTop = result.y();
    m_resultBottom = result.y() + result.height();

    m_entries.clear();
    m_rightLastTop = 0;
    int rightColumnFrameBottom = 0;
    const QList<QWidget*> children = window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (child->isWindow())
            continue;
        Entry entry;
        entry.widget = child;
        entry.designed = child->geometry();
        const bool frame = qobject_cast<QGroupBox*>(child) != nullptr;
        const bool table = child == cutTable || child == stockTable || child == resultTable;
        const bool wide = std::find(stretchWidth.begin(), stretchWidth.end(), child) != stretchWidth.end();
        entry.rightColumn = entry.designed.x() >= m_stockRight;
        entry.stretchX = (frame || table || wide) && !entry.rightColumn;
        entry.stretchY = frame || table;
        if (entry.rightColumn && frame)
            rightColumnFrameBottom = std::max(rightColumnFrameBottom, entry.designed.y() + entry.designed.height());
        if (entry.rightColumn && !frame)
            m_rightLastTop = std::max(m_rightLastTop, entry.designed.y());
        m_entries.push_back(entry);
    }
    // The frames of the right column hold the parameters; what lies below
    // them (the command buttons) may spread.
    m_rightSplit = rightColumnFrameBottom;

    m_columns.clear();
    for (QWidget* widget : {cutTable, stockTable, resultTable}) {
        auto* view = qobject_cast<QTableView*>(widget);
        if (!view)
            continue;
        Columns columns;
        columns.header = view->horizontalHeader();
        columns.frame = view->width() - view->contentsRect().width();
        columns.designedWidth = view->width();
        for (int i = 0; i < columns.header->count(); ++i)
            columns.widths.push_back(columns.header->sectionSize(i));
        m_columns.push_back(columns);
    }
}

int WindowLayout::MapX(int x, int dx) const
{
    const int half = dx / 2;
    if (x <= m_cutLeft)
        return x;
    if (x <= m_cutRight)
        return Lerp(x, m_cutLeft, m_cutRight, m_cutLeft, m_cutRight + half);
    if (x <= m_stockLeft)
        return x + half;
    if (x <= m_stockRight)
        return Lerp(x, m_stockLeft, m_stockRight, m_stockLeft + half, m_stockRight + dx);
    return x + dx;
}

int WindowLayout::MapY(int y, int dy) const
{
    const int half = dy / 2;
    if (y <= m_inputTop)
        return y;
    if (y <= m_inputBottom)
        return Lerp(y, m_inputTop, m_inputBottom, m_inputTop, m_inputBottom + half);
    if (y <= m_resultTop)
        return y + half;
    if (y <= m_resultBottom)
        return Lerp(y, m_resultTop, m_resultBottom, m_resultTop + half, m_resultBottom + dy);
    return y + dy;
}

int WindowLayout::MapRightY(int y, int height) const
{
    const int designed = m_designed.height();
    if (height == designed || designed <= 0)
        return y;
    // Lower: everything closes up in proportion.
    if (height < designed)
        return static_cast<int>(std::lround(static_cast<double>(y) * height / designed));
    // Higher: the parameters stay, the buttons below them spread so that the
    // last one keeps its distance to the bottom.
    const int dy = height - designed;
    if (y <= m_rightSplit)
        return y;
    if (y <= m_rightLastTop)
        return Lerp(y, m_rightSplit, m_rightLastTop, m_rightSplit, m_rightLastTop + dy);
    return y + dy;
}

QRect WindowLayout::Place(const QRect& designed, bool stretchX, bool stretchY, bool rightColumn,
                          const QSize& size) const
{
    const int dx = size.width() - m_designed.width();
    const int dy = size.height() - m_designed.height();
    const int right = designed.x() + designed.width();
    const int bottom = designed.y() + designed.height();

    const int left = rightColumn ? designed.x() + dx : MapX(designed.x(), dx);
    const int newRight = stretchX ? MapX(right, dx) : left + designed.width();
    const int top = rightColumn ? MapRightY(designed.y(), size.height()) : MapY(designed.y(), dy);
    int newBottom = top + designed.height();
    if (stretchY)
        newBottom = rightColumn ? MapRightY(bottom, size.height()) : MapY(bottom, dy);
    return QRect(left, top, std::max(1, newRight - left), std::max(1, newBottom - top));
}

void WindowLayout::Apply(const QSize& size) const
{
    for (const Entry& entry : m_entries) {
        if (entry.widget)
            entry.widget->setGeometry(Place(entry.designed, entry.stretchX, entry.stretchY, entry.rightColumn, size));
    }
    for (const Columns& columns : m_columns) {
        auto* view = columns.header ? qobject_cast<QTableView*>(columns.header->parentWidget()) : nullptr;
        if (!view || columns.designedWidth <= columns.frame)
            continue;
        const double share =
            static_cast<double>(view->width() - columns.frame) / (columns.designedWidth - columns.frame);
        for (std::size_t i = 0; i < columns.widths.size() && static_cast<int>(i) < columns.header->count(); ++i)
            columns.header->resizeSection(static_cast<int>(i), static_cast<int>(columns.widths[i] * share));
    }
}

QSize WindowLayout::MinimumSize() const
{
    return QSize(static_cast<int>(m_designed.width() * MINIMUM_WIDTH_SHARE),
                 static_cast<int>(m_designed.height() * MINIMUM_HEIGHT_SHARE));
}

QSize WindowLayout::SizeFor(const QSize& room) const
{
    return m_designed.boundedTo(room).expandedTo(MinimumSize());
}
