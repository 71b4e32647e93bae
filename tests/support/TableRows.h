#pragma once

#include <QStringList>

#include "workbench/controls/MyListCtrl.h"

// The texts of one row of a table, column by column.
inline QStringList RowTexts(const MyListCtrl* table, int row)
{
    QStringList texts;
    for (int column = 0; column < table->GetColumnCount(); ++column)
        texts << table->GetItemText(row, column);
    return texts;
}
