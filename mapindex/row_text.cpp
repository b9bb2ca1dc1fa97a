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
    if (column == FileColumn)
        return EntryText(RowPath(row));
    const auto &value = row.values[static_cast<std::size_t>(column) - 1];
    return QString::fromStdString(catalogue::ValueText(value).value_or(std::string()));
}

FoldedRow FilterText(const IndexRow &row)
{
    FoldedRow folded;
    for (int column = 0; column < ColumnCount; ++column) {
        folded.text += ColumnText(row, static_cast<Column>(column));
        folded.ends[static_cast<std::size_t>(column)] = static_cast<int>(folded.text.size());
        folded.text += QChar(u'\n');
    }
    // ASCII folds in place, keeping the columns' ends; other texts may change length.
    if (IsAscii(folded.text)) {
        folded.text = folded.text.toLower();
        return folded;
    }
    folded.text.clear();
    for (int column = 0; column < ColumnCount; ++column) {
        folded.text += FoldForFilter(ColumnText(row, static_cast<Column>(column)));
        folded.ends[static_cast<std::size_t>(column)] = static_cast<int>(folded.text.size());
        folded.text += QChar(u'\n');
    }
    return folded;
}

std::vector<FoldedRow> FilterTexts(const std::vector<IndexRow> &rows)
{
    std::vector<FoldedRow> texts;
    texts.reserve(rows.size());
    for (const IndexRow &row : rows)
        texts.push_back(FilterText(row));
    return texts;
}

} // namespace mapindex
