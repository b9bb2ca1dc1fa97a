#pragma once

#include "index_row.h"

#include <QDialog>

#include <vector>

namespace mapindex {

// Lists what the last reading found new, changed or removed.
class ChangesDialog final : public QDialog {
    Q_OBJECT

public:
    ChangesDialog(const std::vector<ChangeNote> &changes, bool compared, QWidget *parent);
};

} // namespace mapindex
