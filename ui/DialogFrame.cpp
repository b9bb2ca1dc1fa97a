#include "DialogFrame.h"

#include "Fonts.h"

#include <QColor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>

#include <algorithm>

namespace ui {

void UseFixedDialogFrame(QDialog &dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setFixedSize(dialog.size());
    dialog.setFont(PixelFont(DialogFontFamily, 11));
}

void CentreOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void PlaceLikeCommonDialog(QWidget &dialog, const QWidget *owner)
{
    const QScreen *screen = owner ? owner->screen() : dialog.screen();
    if (!screen)
        return;
    dialog.adjustSize();
    const QRect area = screen->availableGeometry();
    const QSize size = dialog.frameGeometry().size();
    dialog.move(area.left() + (area.width() - size.width()) / 2,
                area.top() + std::max(0, area.height() - size.height()) / 3);
}

void SetTextColour(QWidget &widget, const QColor &colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

ModalDialog::ModalDialog(QWidget *parent, EscapeKey escape, Placement placement)
    : QDialog(parent), escape_(escape), placement_(placement)
{
}

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

void ModalDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (placement_ == Placement::CentreOfScreen)
        CentreOnScreen(*this);
}

} // namespace ui
