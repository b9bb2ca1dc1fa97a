#include "row_export.h"

#include "catalogue/index_format.h"
#include "catalogue/list_export.h"

namespace mapindex {
namespace {

// Unreadable maps have no values and no row.
std::vector<catalogue::IndexFields> fields(const std::vector<const IndexRow *> &rows, bool withFolder)
{
    std::vector<catalogue::IndexFields> out;
    out.reserve(rows.size());
    for (const IndexRow *shown : rows) {
        if (shown->error)
            continue;
        const catalogue::IndexRecord record{shown->entry, shown->values};
        out.push_back(withFolder ? catalogue::RecordFields(record, shown->folder) : catalogue::RecordFields(record));
    }
    return out;
}

} // namespace

ExportFormat FormatForFileName(const QString &fileName)
{
    return fileName.endsWith(QStringLiteral(".tsv"), Qt::CaseInsensitive)
            || fileName.endsWith(QStringLiteral(".tab"), Qt::CaseInsensitive)
        ? ExportFormat::Tsv
        : ExportFormat::Csv;
}

void ExportRows(const std::string &path, const std::vector<const IndexRow *> &rows, ExportFormat format,
                bool withFolder)
{
    const auto rowFields = fields(rows, withFolder);
    catalogue::WriteTextFile(path,
                             format == ExportFormat::Csv ? catalogue::CsvTable(rowFields, withFolder)
                                                         : catalogue::TsvTable(rowFields, withFolder));
}

std::string TsvLines(const std::vector<const IndexRow *> &rows, bool withFolder)
{
    std::string text;
    // Pasted into a spreadsheet, the cells are taken as a CSV file's are.
    for (auto row : fields(rows, withFolder)) {
        for (std::string &cell : row)
            cell = catalogue::SpreadsheetCell(cell);
        text += catalogue::TsvRow(row) + '\n';
    }
    return text;
}

} // namespace mapindex
