#pragma once

class QColor;
class QDialog;
class QWidget;

namespace dialoglook {

// Modal results the callers test for.
inline constexpr int ResultOk = 1;
inline constexpr int ResultCancel = 2;

// A fixed dialog frame with a caption only (no close box, no system menu),
// the given client size and the small dialog font.
void MakeFixedDialog(QDialog &dialog, int clientWidth, int clientHeight);

// Centres a window on the screen that shows it.
void CentreOnScreen(QWidget &window);

// Text colour of a label-like widget.
void SetTextColour(QWidget &widget, const QColor &colour);

} // namespace dialoglook
