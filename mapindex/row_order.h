#pragma once

#include "index_row.h"

namespace mapindex {

// Newer columns come last, so a view kept from before them still fits the first ones.
enum Column : int {
    MapColumn,
    MapNameColumn,
    MapTypeColumn,
    ProductColumn,
    PageNumberColumn,
    FolderColumn,
    FileColumn, // the file below the folder read, as RowPath gives it
    ColumnCount
};

// Three-way comparison of two rows by one column, ascending: names as the map
// list sorts them (ASCII upper-cased), page numbers as whole numbers first,
// then other texts, then empty ones.
int CompareRows(const IndexRow &a, const IndexRow &b, Column column);

int ComparePageNumbers(const std::optional<std::string> &a, const std::optional<std::string> &b);

} // namespace mapindex
