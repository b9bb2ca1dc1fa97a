#pragma once

#include "listed_map.h"
#include "program_state.h"
#include "runtime/directory_match.h"
#include "views.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

inline constexpr const char *MapPattern = "*.fcw";
inline constexpr const char *MapExtension = ".fcw";

// A map file's name cut before its first ".".
std::string MapListEntry(std::string_view fileName);

// dir + separator + entry + ".fcw"; dir is used as it stands.
std::string MapPath(const std::string &dir, const std::string &entry);

// entry + ".fcw": the name an entry's map file is opened by in its folder.
std::string MapFileName(const std::string &entry);

// The name map's file opens by in its folder: the file it was listed from,
// else MapFileName of its entry.
std::string ListedFileName(const ListedMap &map);

// dir + separator + ListedFileName(map); dir is used as it stands.
std::string ListedMapPath(const std::string &dir, const ListedMap &map);

// The maps in the folder mapsDirFd, in listing order, each with its file. A
// folder that cannot be listed raises its error ("File access denied")
// rather than looking empty.
std::vector<ListedMap> ScanListedMaps(int mapsDirFd);
// The map a listing found, with the type the listing saw.
ListedMap ListedFrom(runtime::MatchRecord::Entry found);

// For an entry known by its text alone whose "ENTRY.fcw" is there in no
// case: the first map in the folder dirFd, in listing order, whose name cut
// before its first "." is the entry ("river.map.fcw" for "river"). Nothing
// when there is none, when "ENTRY.fcw" is there in some case (its own error
// stands), or when the folder cannot be listed.
std::optional<std::string> FileListedAs(int dirFd, const std::string &entry);

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
