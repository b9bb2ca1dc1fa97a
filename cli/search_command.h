#pragma once

#include "catalogue/listed_map.h"
#include "commands.h"
#include "index_command.h"
#include "options.h"

#include <string>
#include <vector>

namespace cli {

// What a listed map prints as: its entry, or its file name with --files,
// after its folder below the maps folder and a "/" (nothing for the top).
std::string ListedName(const std::string &folder, const catalogue::ListedMap &map, const Options &options);

// Each name on its own record: raw into a pipe, escaped on a terminal,
// NUL-ended with --null.
void PrintNames(const std::vector<std::string> &names, const Options &options, const Streams &streams);

// search --recursive over the folders of the walk below the maps folder
// mapsFd (dir, as the user gave it): the matches in the walk's order, each
// folder that could not be listed and each map that could not be read
// reported on the way. text is the operand as typed. Returns the exit code.
int RunRecursiveSearch(int mapsFd, const std::string &dir, const std::vector<IndexFolder> &folders,
                       const Options &options, const Streams &streams);

} // namespace cli
