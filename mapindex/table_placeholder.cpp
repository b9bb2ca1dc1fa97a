#include "table_placeholder.h"

#include <QAbstractScrollArea>
#include <QEvent>

namespace mapindex {

TablePlaceholder::TablePlaceholder(QAbstractScrollArea *view) : QLabel(view->viewport())
{
    setObjectName(QStringLiteral("placeholder"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    view->viewport()->installEventFilter(this);
    hide();
}

void TablePlaceholder::showText(const QString &text)
{
    setText(text);
    setGeometry(parentWidget()->rect());
    show();
}

bool TablePlaceholder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return false;
}

} // namespace mapindex
