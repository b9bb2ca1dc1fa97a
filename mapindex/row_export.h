#pragma once

#include "index_row.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace mapindex {

enum class ExportFormat { Csv, Tsv };

// TSV for a name ending in ".tsv" or ".tab", CSV otherwise.
ExportFormat FormatForFileName(const QString &fileName);

// Writes the rows to path as the index command writes its --output file,
// header first. Unreadable maps have no values to write and are left out, as
// the index command leaves them out. Raises an error that names the file on failure.
// The fields written besides the entry and the four values.
struct ExportFields {
    bool folder = false; // each row's folder after its entry, as index --recursive writes it
    bool file = false;   // the file below the folder read, last, named "file"
};

void ExportRows(const std::string &path, const std::vector<const IndexRow *> &rows, ExportFormat format,
                ExportFields extra = {});

// Writes an export file whole; an error names the file ("PATH: Disk full.").
void WriteExport(const std::string &path, std::string_view text);

// The rows as TSV lines without the header, for the clipboard; cells that a
// spreadsheet would take for formulas get an apostrophe, as in CSV.
std::string TsvLines(const std::vector<const IndexRow *> &rows, ExportFields extra = {});

} // namespace mapindex
