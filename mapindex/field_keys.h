#pragma once

#include <QModelIndex>

#include <functional>

class QLineEdit;
class QTableView;

namespace mapindex {

// The keys of a field above the table: Enter opens the current row, or the
// only row shown (else it goes on to the first row); Down goes into the
// table; Ctrl+C copies the rows unless the field has text selected; every
// other key of a window command reaches the command.
void ConnectFieldKeys(QLineEdit &field, QTableView &table, std::function<void(const QModelIndex &)> open);

} // namespace mapindex
