#include "field_keys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

namespace mapindex {
namespace {

void enterTable(QTableView &table)
{
    table.setFocus(Qt::OtherFocusReason);
    if (!table.currentIndex().isValid() && table.model()->rowCount() > 0)
        table.setCurrentIndex(table.model()->index(0, 0));
}

class FieldKeys final : public QObject {
public:
    FieldKeys(QLineEdit &field, QTableView &table) : QObject(&field), field_(field), table_(table) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            // The field would take Ctrl+C for itself even with nothing to copy.
            const auto *key = static_cast<QKeyEvent *>(event);
            return key->matches(QKeySequence::Copy) && !field_.hasSelectedText();
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
