#pragma once

#include "views.h"

#include <array>
#include <string>
#include <string_view>

namespace catalogue {

inline constexpr std::array<std::string_view, 4> DetailKeys = {"Map Name", "Map Type", "Product", "Page Number"};
inline constexpr const char *NoDetailsText = "No details are contained within the selected file";

// Shows the detail lines of entry's map file in mapsText.
void ShowMapDetails(const std::string &mapsText, const std::string &entry, DetailsView &view);

} // namespace catalogue
