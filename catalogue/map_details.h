#pragma once

#include "detail_scanner.h"
#include "listed_map.h"
#include "views.h"

#include <cstddef>
#include <string>

namespace runtime {
class FolderNames;
class IoCheckedFile;
} // namespace runtime

namespace catalogue {

inline constexpr const char *NoDetailsText = "No details are contained within the selected file";

// Shows the detail lines of map's file in mapsText. A read that fails
// midway leaves the lines read before it shown, then raises.
void ShowMapDetails(const std::string &mapsText, const ListedMap &map, DetailsView &view);

// The same with mapsText taken relative to the directory relativeTo.
void ShowMapDetailsAt(int relativeTo, const std::string &mapsText, const ListedMap &map, DetailsView &view);

// The same for a map already open for block reading (OpenMapFile); the
// view is not cleared first, and the file is closed at the end.
void ShowOpenedMapDetails(runtime::IoCheckedFile &file, DetailsView &view);

// The bytes the details of most maps come from: the first read asks no more.
inline constexpr std::size_t FirstDetailBytes = 8 * 1024;

} // namespace catalogue
