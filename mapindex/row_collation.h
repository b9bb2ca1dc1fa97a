#pragma once

#include "index_row.h"
#include "row_order.h"

#include <QCollator>
#include <QLocale>

#include <cstddef>
#include <vector>

namespace mapindex {

// The order of the table's rows by one column in the user's language, so that
// "Århus" sorts among the A's. Case and accents only break ties, and equal
// texts keep their listing order. In the C locale, which knows no language,
// names sort as the map list sorts them. One per model: making collators is costly.
class RowCollation {
public:
    explicit RowCollation(const QLocale &locale = QLocale());

    // Indices into rows, ordered by column.
    std::vector<std::size_t> order(const std::vector<IndexRow> &rows, Column column, bool descending) const;

private:
    QCollator text_;
    QCollator numeric_; // page numbers that are not whole numbers: "p2" before "p10"
    bool plain_;        // the C locale: ASCII upper-cased, as the map list sorts
};

} // namespace mapindex
