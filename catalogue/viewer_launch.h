#pragma once

#include "program_state.h"

#include <string>

namespace catalogue {

// Starts the viewer on entry's map in the current directory without waiting.
// Returns whether a process was started; callers may ignore it.
bool LaunchViewer(const ProgramState &state, const std::string &entry);

} // namespace catalogue
