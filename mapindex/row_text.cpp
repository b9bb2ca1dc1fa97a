#include "row_text.h"

#include "row_filter.h"

#include "catalogue/index_format.h"

namespace mapindex {

QString EntryText(const std::string &entry)
{
    return QString::fromStdString(catalogue::EntryText(entry));
}

QString ColumnText(const IndexRow &row, Column column)
{
    if (column == MapColumn)
        return EntryText(row.entry);
    if (column == FolderColumn)
        return EntryText(row.folder);
    const auto &value = row.values[static_cast<std::size_t>(column) - 1];
    return QString::fromStdString(catalogue::ValueText(value).value_or(std::string()));
}

QString FilterText(const IndexRow &row)
{
    // Joined by a character no typed word holds, so no word spans two columns.
    QString all;
    for (int column = 0; column < ColumnCount; ++column)
        all += ColumnText(row, static_cast<Column>(column)) + QChar(u'\n');
    return FoldForFilter(all);
}

std::vector<QString> FilterTexts(const std::vector<IndexRow> &rows)
{
    std::vector<QString> texts;
    texts.reserve(rows.size());
    for (const IndexRow &row : rows)
        texts.push_back(FilterText(row));
    return texts;
}

} // namespace mapindex
