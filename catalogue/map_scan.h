#pragma once

#include "program_state.h"
#include "views.h"

#include <string>
#include <vector>

namespace catalogue {

inline constexpr const char *MapPattern = "*.fcw";
inline constexpr const char *MapExtension = ".fcw";

// A map file's name cut before its first ".".
std::string MapListEntry(const std::string &fileName);

// dir + separator + entry + ".fcw"; dir is used as it stands.
std::string MapPath(const std::string &dir, const std::string &entry);

// entry + ".fcw": the name an entry's map file is opened by in its folder.
std::string MapFileName(const std::string &entry);

// The entries of the maps in the folder mapsDirFd, in listing order. A folder
// that cannot be listed raises its error ("File access denied") rather than
// looking empty.
std::vector<std::string> ScanMapEntries(int mapsDirFd);

// Whether the folder holds a map: its first "*.fcw" entry is not a folder.
// Raises like ScanMapEntries.
bool MapsPresent(int mapsDirFd);

// Fills list with the maps of the current directory; returns their number
// and makes it the MapCount. Raises when the directory cannot be listed,
// leaving list and MapCount as they were.
int ScanMaps(ProgramState &state, MapList &list);

// "Maps found: N"
std::string MapsFoundText(int count);

} // namespace catalogue
