#pragma once

#include "program_state.h"
#include "views.h"

#include <string>

namespace catalogue {

inline constexpr const char *ConfigFileName = "lister.txt";

// StartDirectory := the current directory.
void CaptureStartDirectory(ProgramState &state);

// Reads "lister.txt" of the start directory into the state and the fields.
// False, changing nothing, when there is no such file.
bool LoadConfiguration(ProgramState &state, ConfigurationFields &fields);

// The same for a program without configuration fields to fill.
bool LoadConfiguration(ProgramState &state);

// Makes mapsText the maps directory and the current directory; takes
// viewerText only when that directory holds maps. Returns whether it does.
bool ApplyConfiguration(ProgramState &state, const std::string &mapsText, const std::string &viewerText);

// Writes the two lines to directory/lister.txt.
void SaveConfiguration(const std::string &directory, const std::string &mapsText, const std::string &viewerText);

// Writes the two lines to "lister.txt" of the start directory, through its
// handle when there is one, so a start directory too deep for a path works.
void SaveConfiguration(const ProgramState &state, const std::string &mapsText, const std::string &viewerText);

} // namespace catalogue
