#pragma once

#include "index_row.h"
#include "row_order.h"

#include <QString>

#include <array>

namespace mapindex {

// A row as the table shows it, and as the filter searches it.
struct RowText {
    std::array<QString, ColumnCount> columns;
    QString folded; // every column, folded, for the filter
};

// Built off the window's thread, so a reading never stalls the window.
RowText MakeRowText(const IndexRow &row);

// One cell as the table shows it.
QString ColumnText(const IndexRow &row, Column column);

// The entry as shown: UTF-8 when it is valid, otherwise Windows-1252.
QString EntryText(const std::string &entry);

} // namespace mapindex
