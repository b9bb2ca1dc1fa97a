#pragma once

#include "runtime/directory_match.h"
#include "runtime/io_error.h"

#include <optional>
#include <string>
#include <vector>

namespace catalogue {

// One folder of a tree of maps: its path below the top ("" for the top, "/"
// between names) and its "*.fcw" entries in listing order, or why it could
// not be listed.
struct MapFolder {
    std::string folder;
    std::vector<runtime::MatchRecord::Entry> maps;
    std::optional<runtime::EInOutError> error;
};

// The folder topFd and every folder below it, in the order the walk takes
// them: a folder's own maps, then its subfolders in byte order of their
// names, depth first. Links to folders are not followed. A top folder that
// cannot be listed raises its error, as ScanListedMaps does; a subfolder
// that cannot be listed keeps its place with its error.
std::vector<MapFolder> ScanMapTree(int topFd, runtime::MatchDetail detail);

// dir, or dir + "/" + folder below it.
std::string FolderPath(const std::string &dir, const std::string &folder);

} // namespace catalogue
