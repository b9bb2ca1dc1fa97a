#include "row_export.h"

#include "catalogue/index_format.h"
#include "runtime/io_error.h"

#include <QSaveFile>

namespace mapindex {
namespace {

std::vector<catalogue::IndexRecord> records(const std::vector<const IndexRow *> &rows)
{
    std::vector<catalogue::IndexRecord> out;
    out.reserve(rows.size());
    for (const IndexRow *row : rows) {
        if (!row->error)
            out.push_back({row->entry, row->values});
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

std::string FormatRows(const std::vector<const IndexRow *> &rows, ExportFormat format)
{
    return format == ExportFormat::Tsv ? catalogue::FormatTsv(records(rows)) : catalogue::FormatCsv(records(rows));
}

std::string TsvLines(const std::vector<const IndexRow *> &rows)
{
    const std::string all = catalogue::FormatTsv(records(rows));
    return all.substr(all.find('\n') + 1);
}

void WriteFileBytes(const QString &path, const std::string &bytes)
{
    QSaveFile file(path);
    // A folder we may not create files in still lets us rewrite a file in it.
    file.setDirectWriteFallback(true);
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), size) != size || !file.commit())
        throw runtime::Exception(file.errorString().toStdString());
}

} // namespace mapindex
