#pragma once

#include "runtime/directory_handle.h"
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
    // A subfolder with maps, held open as the walk opened it, so its maps
    // are read there and not by a path (the first HeldFolders of them).
    runtime::DirectoryHandle handle;
};

// Subfolders a scan holds open at most: a large tree must not use up the
// process's descriptors; the others are reached again one name at a time.
inline constexpr std::size_t HeldFolders = 128;

// The folder topFd and every folder below it, in the order the walk takes
// them: a folder's own maps, then its subfolders in byte order of their
// names, depth first. Links to folders are not followed. A top folder that
// cannot be listed raises its error, as ScanListedMaps does; a subfolder
// that cannot be listed keeps its place with its error.
std::vector<MapFolder> ScanMapTree(int topFd, runtime::MatchDetail detail);

// dir, or dir + "/" + folder below it.
std::string FolderPath(const std::string &dir, const std::string &folder);

} // namespace catalogue
