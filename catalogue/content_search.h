#pragma once

#include "listed_map.h"
#include "runtime/io_error.h"
#include "runtime/letter_case.h"

#include <cstddef>
#include <functional>
#include <stop_token>
#include <string_view>
#include <vector>

namespace catalogue {

// A listed map the search could not open or read.
struct UnreadableMap {
    std::size_t index; // into the searched maps
    runtime::EInOutError error;
};

struct ContentSearchResult {
    std::vector<std::size_t> matches;      // indices into the maps, ascending (list order)
    std::vector<UnreadableMap> unreadable; // the maps skipped, in list order
    bool cancelled = false;                // stopped before the last map
    // Searched with case and OtherCase::Noted: the maps not in matches that
    // hold the text in another case, ascending (an unreadable one too, when
    // it held the text before its read failed).
    std::vector<std::size_t> inAnotherCase;
};

// Called after each map is finished, on the thread that runs the search,
// with the number of maps done (1-based); returns false to stop.
using SearchProgress = std::function<bool(std::size_t done)>;

// The maps whose files in the folder mapsDirFd contain text anywhere. Touches
// no shared state and not the current directory, so it may run on any
// thread. An empty text matches nothing, but every map is still opened, so
// an unreadable one is reported. A map that cannot be opened or read is
// skipped and reported, and the search goes on; a text found before a read
// failed counts. With jobs above one, that many threads open and read maps
// ahead; the matches, the skipped maps and the progress calls stay those of
// the search one map after another. A stop request, or progress returning
// false, ends every read at its next chunk, and the search returns cancelled.
// letters tells whether a capital matches its small letter (text and maps
// in Windows-1252). ioDepth opens and reads wait at once (MapsAhead); 0 lets
// the storage choose. other Noted, with case, fills inAnotherCase in the
// same pass.
ContentSearchResult FindMapsContaining(int mapsDirFd, const std::vector<ListedMap> &maps, std::string_view text,
                                       const SearchProgress &progress, unsigned jobs = 1,
                                       const std::stop_token &stop = {},
                                       runtime::LetterCase letters = runtime::LetterCase::Exact, unsigned ioDepth = 0,
                                       runtime::OtherCase other = runtime::OtherCase::Ignored);

} // namespace catalogue
