#pragma once

#include <QDialog>

class QColor;
class QKeyEvent;
class QShowEvent;
class QWidget;

namespace ui {

// Modal results as callers see them: only ResultOk counts as "yes".
inline constexpr int ResultOk = 1;
inline constexpr int ResultCancel = 2;

// A fixed dialog frame whose title bar carries no buttons at all, at the
// size the layout gives, in the dialog font.
void UseFixedDialogFrame(QDialog &dialog);

// Places a window, frame included, in the middle of its screen.
void CentreOnScreen(QWidget &window);

// Text colour of a label-like widget.
void SetTextColour(QWidget &widget, const QColor &colour);

// Cancel, Esc and the close box all end with ResultCancel. A dialog without a
// cancel button passes escapeCancels = false, and Esc then does nothing.
// Each showing is centred on the screen unless the dialog keeps its place.
class ModalDialog : public QDialog {
    Q_OBJECT

public:
    enum class Placement { CentreOfScreen, KeepPlace };

    ModalDialog(QWidget *parent, bool escapeCancels, Placement placement = Placement::CentreOfScreen);

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool escapeCancels_;
    Placement placement_;
};

} // namespace ui
