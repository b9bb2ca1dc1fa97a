#include "DialogFrame.h"

#include "Fonts.h"

#include <QColor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace ui {

void UseFixedDialogFrame(QDialog &dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setFixedSize(dialog.size());
    dialog.setFont(PixelFont(DialogFontFamily, 11));
}

namespace {

// The frame the window manager draws, as last seen around any window: a
// window about to show for the first time has no frame yet, and placing it
// by its bare size would put it elsewhere than its later showings.
QMargins &lastFrame()
{
    static QMargins margins;
    return margins;
}

// The frame as the widget knows it: refreshed only when its window moves.
QMargins widgetFrame(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// The frame as it is: a manager that frames a window where it stands moves
// nothing, and the widget then keeps knowing none; its platform window knows.
QMargins frameOf(const QWidget &window)
{
    if (const QWindow *handle = window.windowHandle(); handle && handle->handle())
        return handle->frameMargins();
    return widgetFrame(window);
}

} // namespace

void NoteWindowFrame(const QWidget &window)
{
    if (const QMargins margins = frameOf(window); !margins.isNull())
        lastFrame() = margins;
}

QSize FrameSize(const QWidget &window)
{
    QMargins margins = frameOf(window);
    if (margins.isNull())
        margins = lastFrame();
    return window.size().grownBy(margins);
}

void MoveFrameTo(QWidget &window, const QPoint &topLeft)
{
    // move() places a window that exists by the frame the widget knows (none
    // before the manager framed it): add what it does not know yet.
    QPoint unknown;
    if (window.testAttribute(Qt::WA_WState_Created)) {
        const QMargins frame = frameOf(window).isNull() ? lastFrame() : frameOf(window);
        const QMargins known = widgetFrame(window);
        unknown = QPoint(frame.left() - known.left(), frame.top() - known.top());
    }
    window.move(topLeft + unknown);
}

void CentreOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(0, 0), FrameSize(window));
    frame.moveCenter(screen->availableGeometry().center());
    MoveFrameTo(window, frame.topLeft());
}

namespace {

class CommonDialogPlacement final : public QObject {
public:
    CommonDialogPlacement(QWidget &dialog, const QWidget *owner) : QObject(&dialog), owner_(owner) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent())
            place(*static_cast<QWidget *>(watched));
        return false;
    }

private:
    void place(QWidget &dialog) const
    {
        const QScreen *screen = owner_ ? owner_->screen() : dialog.screen();
        if (!screen)
            return;
        const QRect area = screen->availableGeometry();
        const QSize size = FrameSize(dialog);
        MoveFrameTo(dialog,
                    QPoint(area.left() + (area.width() - size.width()) / 2,
                           area.top() + std::max(0, area.height() - size.height()) / 3));
    }

    QPointer<const QWidget> owner_;
};

} // namespace

void PlaceLikeCommonDialog(QWidget &dialog, const QWidget *owner)
{
    dialog.installEventFilter(new CommonDialogPlacement(dialog, owner)); // owned by the dialog
}

void SetTextColour(QWidget &widget, const QColor &colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

ModalDialog::ModalDialog(QWidget *parent, EscapeKey escape, Placement placement)
    : QDialog(parent), escape_(escape), placement_(placement)
{}

void ModalDialog::reject()
{
    done(ResultCancel);
}

void ModalDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && escape_ == EscapeKey::Ignored) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ModalDialog::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        NoteWindowFrame(*this);
        // A manager may have placed the new window itself before it saw our
        // position; once the frame is known, put it where it belongs.
        if (!placedThisShowing_ && placement_ == Placement::CentreOfScreen)
            CentreOnScreen(*this);
        placedThisShowing_ = true;
    }
    return QDialog::event(event);
}

void ModalDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    placedThisShowing_ = false;
    if (placement_ == Placement::CentreOfScreen)
        CentreOnScreen(*this);
}

} // namespace ui
