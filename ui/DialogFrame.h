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

// The size of a window with the frame the window manager gives it (the last
// frame seen on any window, when this one has none yet); NoteWindowFrame
// records a window's frame once it has one.
QSize FrameSize(const QWidget &window);
void NoteWindowFrame(const QWidget &window);

// Puts the top left corner of a window's frame at topLeft.
void MoveFrameTo(QWidget &window, const QPoint &topLeft);

// Places a window, frame included, in the middle of its screen.
void CentreOnScreen(QWidget &window);

// Where the print and file dialogs go: centred across the screen that shows
// owner, the top at a third of the height the dialog leaves free. Placed as
// each showing begins, when the dialog has taken its size.
void PlaceLikeCommonDialog(QWidget &dialog, const QWidget *owner);

// Text colour of a label-like widget.
void SetTextColour(QWidget &widget, const QColor &colour);

// What Esc does in a dialog: a dialog without a cancel button ignores it.
enum class EscapeKey { Cancels, Ignored };

// Cancel, Esc (where it cancels) and the close box all end with ResultCancel.
// Each showing is centred on the screen unless the dialog keeps its place.
class ModalDialog : public QDialog {
    Q_OBJECT

public:
    enum class Placement { CentreOfScreen, KeepPlace };

    ModalDialog(QWidget *parent, EscapeKey escape, Placement placement = Placement::CentreOfScreen);

    void reject() override;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    EscapeKey escape_;
    Placement placement_;
    bool placedThisShowing_ = false;
};

} // namespace ui
