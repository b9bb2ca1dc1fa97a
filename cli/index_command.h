#pragma once

#include "catalogue/listed_map.h"
#include "commands.h"
#include "options.h"

#include <string>
#include <vector>

namespace cli {

// Writes the index of the listed maps in dir (a full path) to stdout or to
// outputPath; each unreadable map is reported and left out. Returns the
// exit code.
// dir and outputPath are taken relative to the folder startFd.
int RunIndex(int startFd, const std::string &dir, const std::vector<catalogue::ListedMap> &maps, const Options &options,
             const std::string &outputPath, const Streams &streams);

} // namespace cli
