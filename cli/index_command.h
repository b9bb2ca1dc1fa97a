#pragma once

#include "catalogue/listed_map.h"
#include "commands.h"
#include "options.h"

#include "runtime/directory_handle.h"
#include "runtime/io_error.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// The listed maps of one folder below the maps folder ("" for itself), or
// why that folder could not be listed.
struct IndexFolder {
    std::string folder;
    std::vector<catalogue::ListedMap> maps;
    std::optional<runtime::EInOutError> error;
    runtime::DirectoryHandle handle; // the folder as the walk holds it open, if it does
};

// Writes the index of the folders' maps in dir (a full path) to stdout or to
// outputPath; each unreadable map or folder is reported and left out.
// withFolder adds the folder field after the entry. Returns the exit code.
// dir and outputPath are taken relative to the folder startFd.
int RunIndex(int startFd, const std::string &dir, const std::vector<IndexFolder> &folders, bool withFolder,
             const Options &options, const std::string &outputPath, const Streams &streams);

} // namespace cli
