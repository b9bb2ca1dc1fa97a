#include "MapListView.h"

#include "ByteText.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <stdexcept>

namespace ui {
namespace {

constexpr int EntryRole = Qt::UserRole;
constexpr int FileRole = Qt::UserRole + 1;

QByteArray bytes(const std::string &text)
{
    return QByteArray::fromStdString(text);
}

} // namespace

QItemSelectionModel::SelectionFlags MapListBox::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void MapListBox::pressWithClick(QMouseEvent *event, const std::function<void()> &press)
{
    const bool onEntry = event->button() == Qt::LeftButton && itemAt(event->position().toPoint());
    {
        QScopedValueRollback inClick(handlingClick_, true);
        press();
    }
    if (onEntry)
        emit entryClicked();
}

void MapListBox::mousePressEvent(QMouseEvent *event)
{
    pressWithClick(event, [this, event] { QListWidget::mousePressEvent(event); });
}

void MapListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    pressWithClick(event, [this, event] { QListWidget::mouseDoubleClickEvent(event); });
    if (event->button() == Qt::LeftButton)
        emit listDoubleClicked();
}

std::size_t ListBoxMapList::count() const
{
    return static_cast<std::size_t>(list_.count());
}

const QListWidgetItem &ListBoxMapList::item(std::size_t index) const
{
    const QListWidgetItem *item = index < count() ? list_.item(static_cast<int>(index)) : nullptr;
    if (!item)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *item;
}

std::string ListBoxMapList::at(std::size_t index) const
{
    return entryOf(item(index));
}

std::string ListBoxMapList::fileAt(std::size_t index) const
{
    return item(index).data(FileRole).toByteArray().toStdString();
}

void ListBoxMapList::clear()
{
    list_.clear();
}

void ListBoxMapList::append(const std::string &entry)
{
    auto *item = new QListWidgetItem(DecodeName(entry), &list_); // owned by the list
    item->setData(EntryRole, bytes(entry));
}

void ListBoxMapList::assign(const std::vector<catalogue::ListedMap> &maps)
{
    QStringList names;
    names.reserve(static_cast<qsizetype>(maps.size()));
    for (const auto &map : maps)
        names << DecodeName(map.entry);
    list_.clear();
    list_.addItems(names); // one insertion for the whole list, not one per entry
    // The raw bytes ride along in each item; the view shows only the names and
    // needs no news of them.
    const QSignalBlocker quiet(list_.model());
    for (int row = 0; row < list_.count(); ++row) {
        const catalogue::ListedMap &map = maps[static_cast<std::size_t>(row)];
        list_.item(row)->setData(EntryRole, bytes(map.entry));
        list_.item(row)->setData(FileRole, bytes(map.file));
    }
}

std::string ListBoxMapList::entryOf(const QListWidgetItem &item)
{
    return item.data(EntryRole).toByteArray().toStdString();
}

catalogue::ListedMap ListBoxMapList::mapOf(const QListWidgetItem &item)
{
    return {entryOf(item), item.data(FileRole).toByteArray().toStdString()};
}

QSize FixedRowHeightDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(rowHeight_);
    return size;
}

} // namespace ui
