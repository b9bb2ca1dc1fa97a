#pragma once

#include <QFont>

namespace ui {

// The faces the windows were laid out for; on hosts without them, installed
// faces of similar metrics stand in (see InstallFontSubstitutes).
inline constexpr const char *DialogFontFamily = "MS Sans Serif";
inline constexpr const char *TitleFontFamily = "Comic Sans MS";

void InstallFontSubstitutes();

// A font by character height in pixels, as the layouts give it.
QFont PixelFont(const char *family, int pixelHeight, bool bold = false);

} // namespace ui
