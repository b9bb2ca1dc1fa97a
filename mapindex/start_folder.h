#pragma once

#include "options.h"

#include "catalogue/program_state.h"

#include <string>

namespace mapindex {

struct StartFolder {
    catalogue::ProgramState state; // MapsDirectory as a full path, empty when not configured
    std::string notConfigured;     // what to tell the user then
    bool listerFound = false;      // "lister.txt" was read: its viewer wins over the settings'
};

// The start folder (the current one, or the XDG one with --config-dir,
// created when missing and held open, never entered), its "lister.txt", and the maps folder of --dir or of
// that file made absolute. Raises EInOutError when the file cannot be read.
StartFolder ResolveStartFolder(const Options &options);

// path made absolute against base; an absolute path is kept as it is.
std::string AbsolutePath(const std::string &base, const std::string &path);

} // namespace mapindex
