#pragma once

#include "program_state.h"
#include "views.h"

#include <functional>
#include <string>

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

} // namespace catalogue
