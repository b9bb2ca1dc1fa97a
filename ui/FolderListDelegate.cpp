#include "FolderListDelegate.h"

#include "FolderRows.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>

namespace {

constexpr int PictureWidth = 16;
constexpr int TextGap = 4;

static_assert(static_cast<int>(ui::FolderRowKind::OpenAncestor) == 0
                  && static_cast<int>(ui::FolderRowKind::OpenFolder) == 1
                  && static_cast<int>(ui::FolderRowKind::ClosedSubfolder) == 2,
              "pictures are kept in kind order");

} // namespace

QPixmap LoadPictureWithTransparency(const QString &resource)
{
    const QImage image(resource);
    if (image.isNull())
        return {};
    QPixmap picture = QPixmap::fromImage(image);
    const QColor key = image.pixelColor(0, image.height() - 1);
    picture.setMask(QBitmap::fromImage(image.createMaskFromColor(key.rgba(), Qt::MaskInColor)));
    return picture;
}

FolderListDelegate::FolderListDelegate(QObject *parent)
    : QStyledItemDelegate(parent), pictures_{
                                       LoadPictureWithTransparency(QStringLiteral(":/pictures/folder_open.png")),
                                       LoadPictureWithTransparency(QStringLiteral(":/pictures/folder_current.png")),
                                       LoadPictureWithTransparency(QStringLiteral(":/pictures/folder_closed.png"))}
{}

void FolderListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, option.palette.highlight());

    const int kind = index.data(KindRole).toInt();
    const int indent = index.data(IndentRole).toInt();
    const QRect rect = option.rect;
    if (kind >= 0 && kind < static_cast<int>(pictures_.size()) && !pictures_[kind].isNull()) {
        const QPixmap &picture = pictures_[kind];
        painter->drawPixmap(rect.left() + indent, rect.top() + (rect.height() - picture.height()) / 2, picture);
    }

    const QRect textRect = rect.adjusted(indent + PictureWidth + TextGap, 0, 0, 0);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
        if (option.widget)
            option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
    painter->restore();
}

QSize FolderListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int textWidth = option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return {index.data(IndentRole).toInt() + PictureWidth + TextGap + textWidth, RowHeight};
}
