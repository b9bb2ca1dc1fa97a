#include "InputBlocker.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace ui {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

InputBlocker::InputBlocker(std::function<void()> onEscape) : onEscape_(std::move(onEscape))
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claimed for a key press, which is then dropped: no shortcut runs.
        event->accept();
        return true;
    case QEvent::Close:
        // Only the close box: the window system's close reaches the widget as
        // a spontaneous event, the program's own close() does not (both are
        // spontaneous on the way through the native window).
        if (!watched->isWidgetType() || !event->spontaneous())
            return QObject::eventFilter(watched, event);
        event->ignore();
        return true;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && onEscape_)
            onEscape_();
        return true;
    default:
        return isUserInput(event->type()) || QObject::eventFilter(watched, event);
    }
}

} // namespace ui
