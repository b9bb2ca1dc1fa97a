#include "row_collation.h"

#include "row_text.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

namespace mapindex {
namespace {

// Whole numbers, other texts, empty: the page column's groups, in order.
int pageGroup(const std::optional<std::string> &page)
{
    if (!page || page->empty())
        return 2;
    return std::all_of(page->begin(), page->end(), [](char c) { return c >= '0' && c <= '9'; }) ? 0 : 1;
}

} // namespace

RowCollation::RowCollation(const QLocale &locale)
    : text_(locale), numeric_(locale), plain_(locale.language() == QLocale::C)
{
    text_.setCaseSensitivity(Qt::CaseInsensitive);
    numeric_.setCaseSensitivity(Qt::CaseInsensitive);
    numeric_.setNumericMode(true);
}

std::vector<std::size_t> RowCollation::order(const std::vector<IndexRow> &rows, Column column, bool descending) const
{
    const bool pages = column == PageNumberColumn;
    // A key per row, made once: comparing keys is far cheaper than comparing texts.
    std::vector<QCollatorSortKey> keys;
    std::vector<int> groups;
    keys.reserve(rows.size());
    groups.reserve(rows.size());
    for (const IndexRow &row : rows) {
        groups.push_back(pages ? pageGroup(row.values[3]) : 0);
        if (!plain_)
            keys.push_back((pages ? numeric_ : text_).sortKey(ColumnText(row, column)));
    }
    const auto compare = [&](std::size_t a, std::size_t b) {
        if (groups[a] != groups[b])
            return groups[a] < groups[b] ? -1 : 1;
        if (!plain_ && (groups[a] == 1 || (groups[a] == 0 && !pages)))
            if (const int order = keys[a].compare(keys[b]); order != 0)
                return order < 0 ? -1 : 1;
        return CompareRows(rows[a], rows[b], column); // numbers, then case and bytes
    };
    std::vector<std::size_t> sorted(rows.size());
    std::iota(sorted.begin(), sorted.end(), std::size_t{0});
    std::stable_sort(sorted.begin(), sorted.end(), [&](std::size_t a, std::size_t b) {
        const int order = compare(a, b);
        return descending ? order > 0 : order < 0;
    });
    return sorted;
}

} // namespace mapindex
