#include "row_export.h"

#include "catalogue/index_format.h"
#include "catalogue/list_export.h"
#include "catalogue/vector_map_list.h"

#include <algorithm>

namespace mapindex {
namespace {

std::vector<std::string> lines(const std::vector<const IndexRow *> &rows, ExportFormat format, bool header)
{
    const auto row = format == ExportFormat::Csv ? catalogue::CsvRow : catalogue::TsvRow;
    std::vector<std::string> out;
    out.reserve(rows.size() + 1);
    if (header) {
        catalogue::IndexFields names;
        std::copy(catalogue::IndexHeader.begin(), catalogue::IndexHeader.end(), names.begin());
        out.push_back(row(names));
    }
    for (const IndexRow *shown : rows) {
        if (!shown->error)
            out.push_back(row(catalogue::RecordFields({shown->entry, shown->values})));
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

void ExportRows(const std::string &path, const std::vector<const IndexRow *> &rows, ExportFormat format)
{
    catalogue::WriteListFile(path, catalogue::VectorMapList(lines(rows, format, true)));
}

std::string TsvLines(const std::vector<const IndexRow *> &rows)
{
    std::string text;
    for (const std::string &line : lines(rows, ExportFormat::Tsv, false))
        text += line + '\n';
    return text;
}

} // namespace mapindex
