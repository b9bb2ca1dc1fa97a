#include "view_menus.h"

#include <QActionGroup>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>

#include <vector>

namespace mapindex {
namespace {

// The columns' names with a key to reach them in a menu, in column order.
const char *const MenuNames[] = {"&Map", "Map &Name", "Map &Type", "&Product", "Pa&ge Number", "F&older", "F&ile"};

int columnCount(const QTableView *table)
{
    return std::min(table->model()->columnCount(), static_cast<int>(std::size(MenuNames)));
}

} // namespace

void AddColumnsMenu(QMenu *view, QTableView *table, const std::function<bool(int column)> &available,
                    const std::function<void(int column, bool shown)> &toggled)
{
    QMenu *menu = view->addMenu(QStringLiteral("&Columns"));
    menu->setObjectName(QStringLiteral("columnsMenu"));
    std::vector<QAction *> checks;
    for (int column = 0; column < columnCount(table); ++column) {
        QAction *check = menu->addAction(QString::fromLatin1(MenuNames[column]));
        check->setObjectName(QStringLiteral("showColumn%1").arg(column));
        check->setCheckable(true);
        QObject::connect(check, &QAction::triggered, table, [table, column, toggled](bool shown) {
            table->setColumnHidden(column, !shown);
            toggled(column, shown);
        });
        checks.push_back(check);
    }
    // Filled when opened: columns change from the window too (the Folder column with subfolders).
    const auto fill = [table, checks, available] {
        int shown = 0;
        for (std::size_t column = 0; column < checks.size(); ++column)
            shown += table->isColumnHidden(static_cast<int>(column)) ? 0 : 1;
        for (std::size_t column = 0; column < checks.size(); ++column) {
            const bool hidden = table->isColumnHidden(static_cast<int>(column));
            checks[column]->setChecked(!hidden);
            checks[column]->setEnabled(hidden ? available(static_cast<int>(column)) : shown > 1);
        }
    };
    QObject::connect(menu, &QMenu::aboutToShow, table, fill);
    fill();
}

void AddSortMenu(QMenu *view, QTableView *table)
{
    QMenu *menu = view->addMenu(QStringLiteral("Sort &By"));
    menu->setObjectName(QStringLiteral("sortMenu"));
    QHeaderView *header = table->horizontalHeader();
    auto *columns = new QActionGroup(menu);
    columns->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional); // none: the listing order
    for (int column = 0; column < columnCount(table); ++column) {
        QAction *action = menu->addAction(QString::fromLatin1(MenuNames[column]));
        action->setObjectName(QStringLiteral("sortBy%1").arg(column));
        action->setCheckable(true);
        action->setActionGroup(columns);
        action->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + column)));
        QObject::connect(action, &QAction::triggered, table, [table, header, column] {
            const bool again = header->sortIndicatorSection() == column;
            const bool ascending = !again || header->sortIndicatorOrder() == Qt::DescendingOrder;
            table->sortByColumn(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        });
    }
    menu->addSeparator();
    auto *orders = new QActionGroup(menu);
    orders->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    std::vector<QAction *> orderActions;
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        const char *name = order == Qt::AscendingOrder ? "&Ascending" : "&Descending";
        QAction *action = menu->addAction(QString::fromLatin1(name));
        action->setObjectName(order == Qt::AscendingOrder ? QStringLiteral("sortAscending")
                                                          : QStringLiteral("sortDescending"));
        action->setCheckable(true);
        action->setActionGroup(orders);
        QObject::connect(action, &QAction::triggered, table, [table, header, order] {
            // In listing order there is no column to turn: the maps' own column is the natural one.
            const int column = std::max(header->sortIndicatorSection(), 0);
            table->sortByColumn(column, order);
        });
        orderActions.push_back(action);
    }
    const auto showSort = [columns, orderActions](int column, Qt::SortOrder order) {
        const QList<QAction *> actions = columns->actions();
        for (qsizetype i = 0; i < actions.size(); ++i)
            actions[i]->setChecked(i == column);
        orderActions[0]->setChecked(column >= 0 && order == Qt::AscendingOrder);
        orderActions[1]->setChecked(column >= 0 && order == Qt::DescendingOrder);
    };
    QObject::connect(header, &QHeaderView::sortIndicatorChanged, menu, showSort);
    showSort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    // Reached from the fields and the table alike, as the window's other keys are.
    table->window()->addActions(columns->actions());
}

} // namespace mapindex
