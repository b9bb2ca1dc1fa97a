#pragma once

#include <functional>

class QMenu;
class QTableView;

namespace mapindex {

// View › Columns: a check for each column of the table. available says
// whether a column may be shown now; the last column shown cannot be hidden.
// toggled is called after a column was shown or hidden from the menu.
void AddColumnsMenu(QMenu *view, QTableView *table, const std::function<bool(int column)> &available,
                    const std::function<void(int column, bool shown)> &toggled);

// View › Sort By: each column (Ctrl+1, Ctrl+2, …; a column chosen again
// reverses its order), then Ascending and Descending. The keys work wherever
// the focus is in the table's window, which the table must already be in.
void AddSortMenu(QMenu *view, QTableView *table);

} // namespace mapindex
