#pragma once

#include "runtime/directory_handle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace catalogue {

// What the program knows for the whole run.
struct ProgramState {
    std::string MapsDirectory;
    std::string ViewerPath;
    std::string StartDirectory;
    // The start directory itself, held open: relative names are taken from it
    // however deep it is, and even when it has no path any more.
    std::shared_ptr<const runtime::DirectoryHandle> StartFolder;
    std::int32_t MapCount = 0;
    // Scratch space of the searches: the matches of the last search, in list order.
    std::vector<std::string> MatchTable;
};

// The descriptor relative names of the start directory are opened from.
int StartDirectoryFd(const ProgramState &state);

// Makes mapsText the current directory. A relative text is taken from the
// start directory, where "lister.txt" is, so it names the same folder
// however the current directory has moved since. Records a code on failure.
void EnterMapsDirectory(const ProgramState &state, const std::string &mapsText);

// The one state of the running program.
ProgramState &programState();

} // namespace catalogue
