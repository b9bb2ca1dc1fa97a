#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace catalogue {

// What the program knows for the whole run.
struct ProgramState {
    std::string MapsDirectory;
    std::string ViewerPath;
    std::string StartDirectory;
    std::int32_t MapCount = 0;
    // Scratch space of the searches: the matches of the last search, in list order.
    std::vector<std::string> MatchTable;
};

// The one state of the running program.
ProgramState &programState();

} // namespace catalogue
