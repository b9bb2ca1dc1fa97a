#pragma once

#include "program_state.h"
#include "views.h"

#include <string>

namespace catalogue {

inline constexpr const char *MapPattern = "*.fcw";
inline constexpr const char *MapExtension = ".fcw";

// A map file's name cut before its first ".".
std::string MapListEntry(const std::string &fileName);

// dir + separator + entry + ".fcw"; dir is used as it stands.
std::string MapPath(const std::string &dir, const std::string &entry);

// Fills list with the maps of the current directory; returns their number
// and makes it the MapCount.
int ScanMaps(ProgramState &state, MapList &list);

// "Maps found: N"
std::string MapsFoundText(int count);

} // namespace catalogue
