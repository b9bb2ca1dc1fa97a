#pragma once

#include <QString>

#include <string_view>

namespace ui {

// The map files were written in Windows-1252; decode their bytes ourselves
// rather than rely on the host's codec list.
QString DecodeWindows1252(std::string_view bytes);

} // namespace ui
