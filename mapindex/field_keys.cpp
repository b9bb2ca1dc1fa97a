#include "field_keys.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>

namespace mapindex {
namespace {

void enterTable(QTableView &table)
{
    table.setFocus(Qt::OtherFocusReason);
    if (!table.currentIndex().isValid() && table.model()->rowCount() > 0)
        table.setCurrentIndex(table.model()->index(0, 0));
}

// A line edit on X11 takes keys such as Ctrl+E ("end of line") before the
// window's shortcuts see them; a key the window has a command for goes to it.
bool isWindowCommand(const QWidget &field, const QKeyEvent &key)
{
    const QKeySequence pressed(key.keyCombination());
    const QList<QAction *> actions = field.window()->findChildren<QAction *>();
    return std::any_of(actions.begin(), actions.end(), [&](const QAction *action) {
        return action->isEnabled() && action->shortcutContext() != Qt::WidgetShortcut
            && action->shortcuts().contains(pressed);
    });
}

class FieldKeys final : public QObject {
public:
    FieldKeys(QLineEdit &field, QTableView &table) : QObject(&field), field_(field), table_(table) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            // The field would take Ctrl+C for itself even with nothing to copy.
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->matches(QKeySequence::Copy))
                return !field_.hasSelectedText();
            return isWindowCommand(field_, *key);
        }
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
                enterTable(table_);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit &field_;
    QTableView &table_;
};

} // namespace

void ConnectFieldKeys(QLineEdit &field, QTableView &table, std::function<void(const QModelIndex &)> open)
{
    field.installEventFilter(new FieldKeys(field, table));
    QObject::connect(&field, &QLineEdit::returnPressed, &table, [&table, open = std::move(open)] {
        const QModelIndex current = table.currentIndex();
        if (current.isValid())
            open(current);
        else if (table.model()->rowCount() == 1)
            open(table.model()->index(0, 0));
        else
            enterTable(table);
    });
}

} // namespace mapindex
