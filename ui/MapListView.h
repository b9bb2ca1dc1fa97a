#pragma once

#include "catalogue/views.h"

#include <QListWidget>
#include <QStyledItemDelegate>

#include <functional>
#include <string>

namespace ui {

// The map list is the list box's items: each shows its name decoded and keeps
// the raw bytes of its name and of the file it was listed from, which every
// file operation uses.
class ListBoxMapList final : public catalogue::MapList {
public:
    explicit ListBoxMapList(QListWidget &list) : list_(list) {}

    std::size_t count() const override;
    std::string at(std::size_t index) const override;
    std::string fileAt(std::size_t index) const override;
    void clear() override;
    void append(const std::string &entry) override;
    void assign(const std::vector<catalogue::ListedMap> &maps) override;

    static std::string entryOf(const QListWidgetItem &item);
    static catalogue::ListedMap mapOf(const QListWidgetItem &item);

private:
    const QListWidgetItem &item(std::size_t index) const;

    QListWidget &list_;
};

// The list box: a click keeps one entry selected (clicking below the last
// entry or Ctrl+clicking the selected one never leaves the list without a
// selection). Every click on an entry is reported, the selected one
// included, and so is a double click anywhere on the list, after the click
// that its second press is.
class MapListBox final : public QListWidget {
    Q_OBJECT

public:
    using QListWidget::QListWidget;

    // True while a mouse press is being handled: its selection change is
    // reported as the click, not as a change of its own.
    bool handlingClick() const { return handlingClick_; }

signals:
    void entryClicked();
    void listDoubleClicked();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index, const QEvent *event) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void pressWithClick(QMouseEvent *event, const std::function<void()> &press);

    bool handlingClick_ = false;
};

// Rows of one fixed height, whatever the font says.
class FixedRowHeightDelegate final : public QStyledItemDelegate {
public:
    FixedRowHeightDelegate(int rowHeight, QObject *parent) : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int rowHeight_;
};

} // namespace ui
