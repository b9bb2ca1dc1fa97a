#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace ui {

// The map files were written in Windows-1252: the catalogue's conversion,
// with Qt strings on the window's side.
QString DecodeWindows1252(std::string_view bytes);

// The bytes of text in Windows-1252; nothing when a character has no byte there.
std::optional<std::string> EncodeWindows1252(const QString &text);

} // namespace ui
