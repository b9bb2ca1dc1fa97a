#pragma once

#include "commands.h"
#include "options.h"

#include <string>
#include <vector>

namespace cli {

// Writes the index of entries' maps in dir (a full path) to stdout or to
// outputPath; each unreadable map is reported and left out. Returns the
// exit code.
// dir and outputPath are taken relative to the folder startFd.
int RunIndex(int startFd, const std::string &dir, const std::vector<std::string> &entries, const Options &options,
             const std::string &outputPath, const Streams &streams);

} // namespace cli
