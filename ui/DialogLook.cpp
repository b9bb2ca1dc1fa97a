#include "DialogLook.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPalette>
#include <QScreen>

namespace dialoglook {

void MakeFixedDialog(QDialog &dialog, int clientWidth, int clientHeight)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setFixedSize(clientWidth, clientHeight);
    // Pixel height, not points: the layouts are measured against this font.
    // Where it is missing, a face of Arial's widths keeps the texts in their places.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica")});
    font.setPixelSize(11);
    dialog.setFont(font);
}

void CentreOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
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

} // namespace dialoglook
