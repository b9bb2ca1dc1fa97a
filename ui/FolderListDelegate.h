#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

#include <array>

// Draws a folder row as the chooser shows it: the row's indent, a 16 x 15
// picture for its kind, and the name 4 pixels after the picture.
class FolderListDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Item data roles the rows carry besides their text.
    static constexpr int KindRole = Qt::UserRole;
    static constexpr int IndentRole = Qt::UserRole + 1;
    static constexpr int PathRole = Qt::UserRole + 2; // raw bytes

    static constexpr int RowHeight = 16;

    explicit FolderListDelegate(QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    std::array<QPixmap, 3> pictures_; // by FolderRowKind
};

// A picture whose bottom-left pixel's colour is see-through.
QPixmap LoadPictureWithTransparency(const QString &resource);
