#pragma once

#include "export_dialog.h"
#include "index_row.h"

#include <QDialog>

#include <vector>

class QLabel;

namespace mapindex {

// Lists the maps new, changed or removed since they were last marked as
// seen, and exports that list as CSV.
class ChangesDialog final : public QDialog {
    Q_OBJECT

public:
    // suggested: the file the save dialog starts at.
    ChangesDialog(std::vector<ChangeNote> changes, bool compared, ExportPicker picker, QString suggested,
                  QWidget *parent);

private:
    void exportChanges();

    std::vector<ChangeNote> changes_;
    ExportPicker picker_;
    QString suggested_;
    QLabel *done_ = nullptr;
};

} // namespace mapindex
