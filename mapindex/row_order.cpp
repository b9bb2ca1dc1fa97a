#include "row_order.h"

#include "runtime/byte_strings.h"

#include <algorithm>

namespace mapindex {
namespace {

int compareText(std::string_view a, std::string_view b)
{
    if (runtime::NameSortsBefore(a, b))
        return -1;
    return runtime::NameSortsBefore(b, a) ? 1 : 0;
}

bool isWholeNumber(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits of any length compare without overflow: fewer significant digits is smaller.
int compareNumbers(std::string_view a, std::string_view b)
{
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int pageClass(std::string_view text)
{
    return text.empty() ? 2 : (isWholeNumber(text) ? 0 : 1);
}

} // namespace

int ComparePageNumbers(const std::optional<std::string> &a, const std::optional<std::string> &b)
{
    const std::string_view x = a ? std::string_view(*a) : std::string_view();
    const std::string_view y = b ? std::string_view(*b) : std::string_view();
    const int cx = pageClass(x), cy = pageClass(y);
    if (cx != cy)
        return cx < cy ? -1 : 1;
    if (cx == 0)
        if (const int order = compareNumbers(x, y); order != 0)
            return order;
    return compareText(x, y);
}

int CompareRows(const IndexRow &a, const IndexRow &b, Column column)
{
    switch (column) {
    case MapColumn:
        return compareText(a.entry, b.entry);
    case PageNumberColumn:
        return ComparePageNumbers(a.values[3], b.values[3]);
    case FolderColumn:
        return compareText(a.folder, b.folder);
    case FileColumn:
        return compareText(RowPath(a), RowPath(b));
    default: {
        const auto &x = a.values[column - 1], &y = b.values[column - 1];
        return compareText(x ? *x : std::string(), y ? *y : std::string());
    }
    }
}

} // namespace mapindex
