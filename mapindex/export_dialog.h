#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace mapindex {

// Asks where to export, starting at a suggested file; nothing on Cancel.
// Tests answer it in advance.
using ExportPicker = std::function<std::optional<QString>(QWidget *parent, const QString &suggested)>;

// The save dialog: CSV, and TSV too when withTsv. A name typed without a
// suffix gets the chosen format's before the user is asked about replacing
// a file, so the question names the file that is written.
std::optional<QString> AskExportFile(QWidget *parent, const QString &suggested, bool withTsv);

} // namespace mapindex
