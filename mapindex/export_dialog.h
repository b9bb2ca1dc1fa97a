#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace mapindex {

// Asks where to export, starting at a suggested file; nothing on Cancel.
// Tests answer it in advance.
using ExportPicker = std::function<std::optional<QString>(QWidget *parent, const QString &suggested)>;

// Where to export the table, and whether only its selected rows.
struct ExportChoice {
    QString path;
    bool selectedOnly = false;
};

// Asks where to export the table's rows; selected rows can be chosen alone
// when there are some. Nothing on Cancel. Tests answer it in advance.
using TableExportPicker =
    std::function<std::optional<ExportChoice>(QWidget *parent, const QString &suggested, int selected)>;

// The table's save dialog: CSV or TSV, with "Only the selected rows".
std::optional<ExportChoice> AskTableExport(QWidget *parent, const QString &suggested, int selected);

// The save dialog: CSV, and TSV too when withTsv. A name typed without a
// suffix gets the chosen format's before the user is asked about replacing
// a file, so the question names the file that is written.
std::optional<QString> AskExportFile(QWidget *parent, const QString &suggested, bool withTsv);

} // namespace mapindex
