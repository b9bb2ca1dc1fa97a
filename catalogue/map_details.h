#pragma once

#include "detail_scanner.h"
#include "views.h"

#include <string>

namespace catalogue {

inline constexpr const char *NoDetailsText = "No details are contained within the selected file";

// Shows the detail lines of entry's map file in mapsText. A read that fails
// midway leaves the lines read before it shown, then raises.
void ShowMapDetails(const std::string &mapsText, const std::string &entry, DetailsView &view);

// The same for the map in the folder mapsDirFd.
void ShowMapDetailsAt(int mapsDirFd, const std::string &entry, DetailsView &view);

} // namespace catalogue
