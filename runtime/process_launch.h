#pragma once

#include <string>
#include <vector>

namespace runtime {

// Starts program with the given arguments as a detached process and does
// not wait for it. Returns false when it could not be started.
bool LaunchDetached(const std::string &program, const std::vector<std::string> &arguments);

} // namespace runtime
