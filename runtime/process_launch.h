#pragma once

#include <optional>
#include <string>
#include <vector>

namespace runtime {

// Starts program with the given arguments as a detached process in a session
// of its own, with standard input and output on /dev/null, and does not wait
// for it. A program name without "/" is looked up on PATH. Returns false when
// it could not be started.
bool LaunchDetached(const std::string &program, const std::vector<std::string> &arguments);

// The full path of an executable file named name on PATH, if there is one.
std::optional<std::string> FindOnPath(const std::string &name);

} // namespace runtime
