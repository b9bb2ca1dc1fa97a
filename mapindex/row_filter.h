#pragma once

#include "row_order.h"

#include <QString>
#include <QStringView>

#include <array>
#include <vector>

namespace mapindex {

bool IsAscii(QStringView text);

// Text as the filter compares it: decomposed, combining marks dropped, case folded.
QString FoldForFilter(const QString &text);

// What the filter searches in one row: each column's text folded, each
// followed by a line feed, which nothing typed holds, so no term spans two columns.
struct FoldedRow {
    QString text;
    std::array<int, ColumnCount> ends{}; // where each column's text ends in text
};

// One part of what was typed: a word or a phrase, folded, found anywhere in
// the row or, after a qualifier ("product:"), within one column.
struct FilterTerm {
    QString text;
    int column = -1; // a Column, or -1 for any
    bool exclude = false;

    bool operator==(const FilterTerm &) const = default;
};

using RowFilter = std::vector<FilterTerm>;

// Words, "quoted phrases" (an unclosed quote runs to the end), qualifiers
// (map: name: type: product: page: folder: file:) before either, and "-" before
// any of them to exclude it. Another word before a colon is a plain word.
RowFilter ParseFilter(const QString &typed);

// True when the row holds every term it must and none it must not.
bool RowMatches(const FoldedRow &row, const RowFilter &filter);

} // namespace mapindex
