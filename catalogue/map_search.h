#pragma once

#include "content_search.h"
#include "program_state.h"
#include "runtime/directory_handle.h"
#include "views.h"

#include <functional>
#include <string>
#include <vector>

namespace catalogue {

inline constexpr const char *NoMapsFoundText = "No maps containing the desired search string were found";

// Narrows list to the entries whose names contain text; returns the number
// of matches. Nothing changes when there is none.
int filenameSearch(ProgramState &state, MapList &list, const std::string &text, StatusText &status);

// Narrows list to the entries whose map files in mapsText contain text
// anywhere; the current directory becomes mapsText. Runs notFound (while the progress is still shown) when
// nothing matched. jobs threads read the maps (FindMapsContaining).
int fullSearch(ProgramState &state, MapList &list, const std::string &text, const std::string &mapsText,
               ProgressView &progress, StatusText &status, const std::function<void()> &notFound, unsigned jobs = 1);

// fullSearch in three steps, for a caller that runs FindMapsContaining itself
// (on another thread). The first step enters mapsText, opens it and shows the
// progress, and returns the folder and a copy of the listed entries.
struct ContentSearchStart {
    runtime::DirectoryHandle maps;
    std::vector<std::string> entries;
};
ContentSearchStart BeginContentSearch(ProgramState &state, const MapList &list, const std::string &mapsText,
                                      ProgressView &progress);

// The last step, for a finished search over entries: an error shows the
// failing entry as started on the progress and is raised; otherwise the
// matches replace the list (or notFound runs while the progress still shows)
// and the progress hides.
int ApplyContentSearch(ProgramState &state, MapList &list, const std::vector<std::string> &entries,
                       const ContentSearchResult &result, ProgressView &progress, StatusText &status,
                       const std::function<void()> &notFound);

} // namespace catalogue
