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
    const auto &value = row.values[static_cast<std::size_t>(column) - 1];
    return QString::fromStdString(catalogue::ValueText(value).value_or(std::string()));
}

RowText MakeRowText(const IndexRow &row)
{
    RowText text;
    for (int column = 0; column < ColumnCount; ++column)
        text.columns[static_cast<std::size_t>(column)] = ColumnText(row, static_cast<Column>(column));
    // Joined by a character no typed word holds, so no word spans two columns.
    QString all;
    for (const QString &column : text.columns)
        all += column + QChar(u'\n');
    text.folded = FoldForFilter(all);
    return text;
}

} // namespace mapindex
