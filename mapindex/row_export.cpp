#include "row_export.h"

#include "catalogue/index_format.h"
#include "runtime/io_error.h"

#include <QSaveFile>

#include <algorithm>

namespace mapindex {
namespace {

// The index command's lines; unreadable maps have no values and no line.
std::string lines(const std::vector<const IndexRow *> &rows, ExportFormat format, bool header)
{
    const auto row = format == ExportFormat::Csv ? catalogue::CsvRow : catalogue::TsvRow;
    const char *end = format == ExportFormat::Csv ? "\r\n" : "\n";
    std::string out;
    if (header) {
        catalogue::IndexFields names;
        std::copy(catalogue::IndexHeader.begin(), catalogue::IndexHeader.end(), names.begin());
        out += row(names) + end;
    }
    for (const IndexRow *shown : rows) {
        if (!shown->error)
            out += row(catalogue::RecordFields({shown->entry, shown->values})) + end;
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
    return lines(rows, format, true);
}

std::string TsvLines(const std::vector<const IndexRow *> &rows)
{
    return lines(rows, ExportFormat::Tsv, false);
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
