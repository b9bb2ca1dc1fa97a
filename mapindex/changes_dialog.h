#pragma once

#include "export_dialog.h"
#include "index_row.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace mapindex {

// What Changes… can do with a map that is there, named by its path below the folder.
struct ChangeActions {
    std::function<void(const std::string &path)> open;        // in the viewer
    std::function<void(const std::string &path)> showInTable; // its row, selected
};

// Lists the maps new, changed or removed since they were last marked as
// seen, says what changed in the one selected, opens it or finds it in the
// table, and exports the list as CSV.
class ChangesDialog final : public QDialog {
    Q_OBJECT

public:
    // suggested: the file the save dialog starts at.
    ChangesDialog(std::vector<ChangeNote> changes, bool compared, ExportPicker picker, QString suggested,
                  QWidget *parent);

    // The table's rows, for what each map holds and held, and what to do with a map.
    void setRows(SharedRows rows, ChangeActions actions);

private:
    void exportChanges();
    void showCurrent();
    // The current change's map, when it is there to open.
    std::optional<std::string> currentPath() const;
    const IndexRow *rowOf(const ChangeNote &note) const;

    std::vector<ChangeNote> changes_;
    ExportPicker picker_;
    QString suggested_;
    SharedRows rows_;
    ChangeActions actions_;
    QTreeWidget *list_ = nullptr;
    QLabel *details_ = nullptr;
    QPushButton *open_ = nullptr;
    QPushButton *showInTable_ = nullptr;
    QLabel *done_ = nullptr;
};

} // namespace mapindex
