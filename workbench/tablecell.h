// SPDX-License-Identifier: MIT
#pragma once

#include <QTableWidgetItem>

// A cell of a table the user reads and does not edit; numbers to the right.
inline QTableWidgetItem* readOnlyCell(const QString& text, bool number)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}
