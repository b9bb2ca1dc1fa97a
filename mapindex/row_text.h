#pragma once

#include "index_row.h"
#include "row_filter.h"
#include "row_order.h"

#include <QString>

#include <vector>

namespace mapindex {

// Texts longer than this many characters may not fit their column.
inline constexpr int LongText = 40;

// One cell as the table shows it; made when the table asks, for the few
// rows in sight.
QString ColumnText(const IndexRow &row, Column column);

// Every column of the row, folded, as the filter searches it.
FoldedRow FilterText(const IndexRow &row);
// The same for every row, in order.
std::vector<FoldedRow> FilterTexts(const std::vector<IndexRow> &rows);

// The entry as shown: UTF-8 when it is valid, otherwise Windows-1252.
QString EntryText(const std::string &entry);

} // namespace mapindex
