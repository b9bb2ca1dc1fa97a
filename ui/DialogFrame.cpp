#include "DialogFrame.h"

#include "Fonts.h"

#include <QColor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>

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

void SetTextColour(QWidget &widget, const QColor &colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

ModalDialog::ModalDialog(QWidget *parent, bool escapeCancels, Placement placement)
    : QDialog(parent), escapeCancels_(escapeCancels), placement_(placement)
{
}

void ModalDialog::reject()
{
    done(ResultCancel);
}

void ModalDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !escapeCancels_) {
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
