#pragma once

#include "index_row.h"

#include <QString>

#include <string>
#include <vector>

namespace mapindex {

enum class ExportFormat { Csv, Tsv };

// TSV for a name ending in ".tsv" or ".tab", CSV otherwise.
ExportFormat FormatForFileName(const QString &fileName);

// The rows in the index command's format, header first. Unreadable maps have
// no values to write and are left out, as the index command leaves them out.
std::string FormatRows(const std::vector<const IndexRow *> &rows, ExportFormat format);

// The rows as TSV lines without the header, for the clipboard.
std::string TsvLines(const std::vector<const IndexRow *> &rows);

// Replaces path with bytes without ever leaving it half written; raises
// runtime::Exception with the reason on failure.
void WriteFileBytes(const QString &path, const std::string &bytes);

} // namespace mapindex
