#include "row_text.h"

#include "row_filter.h"

#include "catalogue/index_format.h"

namespace mapindex {

QString EntryText(const std::string &entry)
{
    return QString::fromStdString(catalogue::EntryText(entry));
}

RowText MakeRowText(const IndexRow &row)
{
    RowText text;
    text.columns[MapColumn] = EntryText(row.entry);
    for (std::size_t k = 0; k < row.values.size(); ++k)
        text.columns[k + 1] = QString::fromStdString(catalogue::ValueText(row.values[k]).value_or(std::string()));
    // Joined by a character no typed word holds, so no word spans two columns.
    QString all;
    for (const QString &column : text.columns)
        all += column + QChar(u'\n');
    text.folded = FoldForFilter(all);
    return text;
}

} // namespace mapindex
