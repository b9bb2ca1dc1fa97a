#include "table_placeholder.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QEvent>
#include <QPushButton>

namespace mapindex {

TablePlaceholder::TablePlaceholder(QAbstractScrollArea *view)
    : QLabel(view->viewport()), view_(view), button_(new QPushButton(this))
{
    setObjectName(QStringLiteral("placeholder"));
    setTextFormat(Qt::PlainText); // a typed filter is shown in it as typed
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    button_->setObjectName(QStringLiteral("placeholderOffer"));
    button_->hide();
    connect(button_, &QPushButton::clicked, this, [this] {
        if (offer_)
            offer_->trigger();
    });
    view->viewport()->installEventFilter(this);
    hide();
}

void TablePlaceholder::showText(const QString &text, QAction *offer, const QString &offerText)
{
    setText(text);
    offer_ = offer;
    button_->setText(offerText);
    button_->setVisible(offer != nullptr);
    place();
    show();
}

void TablePlaceholder::setVisible(bool visible)
{
    QLabel::setVisible(visible);
    setAccessibleName(visible ? text() : QString());
    view_->setAccessibleDescription(visible ? text() : QString());
}

void TablePlaceholder::place()
{
    setGeometry(parentWidget()->rect());
    // Under the centred text, which the button must not cover.
    const QSize size = button_->sizeHint();
    const int textBottom = (height() + heightForWidth(width())) / 2;
    button_->setGeometry((width() - size.width()) / 2, textBottom + size.height() / 2, size.width(), size.height());
}

bool TablePlaceholder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return false;
}

} // namespace mapindex
