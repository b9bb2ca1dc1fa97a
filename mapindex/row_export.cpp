#include "row_export.h"

#include "catalogue/index_format.h"
#include "catalogue/list_export.h"
#include "runtime/io_error.h"

namespace mapindex {
namespace {

// Unreadable maps have no values and no row.
std::vector<catalogue::IndexFields> fields(const std::vector<const IndexRow *> &rows, ExportFields extra)
{
    std::vector<catalogue::IndexFields> out;
    out.reserve(rows.size());
    for (const IndexRow *shown : rows) {
        if (shown->error)
            continue;
        const catalogue::IndexRecord record{shown->entry, shown->values};
        out.push_back(extra.folder ? catalogue::RecordFields(record, shown->folder) : catalogue::RecordFields(record));
        if (extra.file)
            out.back().push_back(catalogue::EntryText(RowPath(*shown)));
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
                ExportFields extra)
{
    const auto rowFields = fields(rows, extra);
    catalogue::IndexFields header = catalogue::IndexHeaderFields(extra.folder);
    if (extra.file)
        header.emplace_back("file");
    WriteExport(path,
                format == ExportFormat::Csv ? catalogue::CsvTable(header, rowFields)
                                            : catalogue::TsvTable(header, rowFields));
}

void WriteExport(const std::string &path, std::string_view text)
{
    try {
        catalogue::WriteTextFile(path, text);
    } catch (const runtime::EInOutError &error) {
        // "Disk full." alone would leave the user guessing which file it was.
        throw runtime::Exception(path + ": " + runtime::ReportText(error.what()));
    }
}

std::string TsvLines(const std::vector<const IndexRow *> &rows, ExportFields extra)
{
    std::string text;
    // Pasted into a spreadsheet, the cells are taken as a CSV file's are.
    for (auto row : fields(rows, extra)) {
        for (std::string &cell : row)
            cell = catalogue::SpreadsheetCell(cell);
        text += catalogue::TsvRow(row) + '\n';
    }
    return text;
}

} // namespace mapindex
