#pragma once

#include <functional>
#include <string>

namespace ui {

// Width of a text in pixels, in whatever font the caller displays it.
using TextWidthMeasure = std::function<int(const std::string &)>;

// Drops the first folder of a directory part ("/a/b/" -> "/.../b/"); a part
// that already starts with the ".../" mark loses it first.
std::string CutFirstFolder(const std::string &dir);

// The path shortened folder by folder from the front until it fits
// maxWidth; the last name is always kept, and a root is never shortened.
std::string FitPathToWidth(const std::string &path, int maxWidth, const TextWidthMeasure &measure);

} // namespace ui
