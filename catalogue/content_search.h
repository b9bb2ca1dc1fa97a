#pragma once

#include "runtime/io_error.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

class MapChunkReader;

struct ContentSearchResult {
    std::vector<std::size_t> matches;          // indices into entries, ascending (list order)
    std::optional<runtime::EInOutError> error; // the first failing entry's error, if any
    std::size_t failedIndex = 0;               // index of that entry when error is set
    bool cancelled = false;                    // progress returned false
};

// Called after each entry is finished, on the thread that runs the search,
// with the number of entries done (1-based); returns false to stop.
using SearchProgress = std::function<bool(std::size_t done)>;

// The entries (list entries, not file names) whose map files in the folder
// mapsDirFd contain text anywhere. Touches no shared state and not the
// current directory, so it may run on any thread. An empty text matches
// nothing, but every map is still opened, so a missing one is reported.
// A text found before a read fails counts; the search stops at the first
// entry that fails otherwise. With jobs above one, that many threads open
// and read maps ahead; matches, the error and the progress calls stay those
// of the search one map after another, and progress returning false stops
// the threads before this returns.
ContentSearchResult FindMapsContaining(int mapsDirFd, const std::vector<std::string> &entries, std::string_view text,
                                       const SearchProgress &progress, unsigned jobs = 1);

// Whether the rest of the file holds text anywhere, also across chunk edges;
// raises what reading raises, unless the text came before the failure.
bool ChunksContain(MapChunkReader &reader, std::string_view text);

} // namespace catalogue
