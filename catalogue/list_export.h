#pragma once

#include "program_state.h"
#include "views.h"

#include <fcntl.h>
#include <string>

namespace catalogue {

inline constexpr const char *DefaultListFileName = "maplist.txt";

// Asks for a file name and writes the list there, one entry per line; then
// returns to the maps directory, also when the user cancelled.
void ExportList(const ProgramState &state, const MapList &list, FileNamePrompt &askFileName);

// Writes the list to path (relative to relativeTo), one entry per CR LF line.
void WriteListFile(const std::string &path, const MapList &list, int relativeTo = AT_FDCWD);

} // namespace catalogue
