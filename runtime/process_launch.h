#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace runtime {

// A started process, or the errno value of why it could not start.
struct Launched {
    pid_t pid = -1;
    int error = 0;
};

// Starts program with the given arguments in a session of its own, with its
// standard streams on /dev/null, and does not wait for it. A program name
// without "/" is looked up as FindOnPath does. Safe with other threads running, and
// whichever of our descriptors 0, 1 and 2 are closed.
Launched LaunchDetached(const std::string &program, const std::vector<std::string> &arguments);

// Waits for the process on a thread of its own, so it leaves no zombie.
void ReapInBackground(pid_t pid);

// The full path of an executable file named name in one of PATH's absolute
// folders, if there is one.
std::optional<std::string> FindOnPath(const std::string &name);

} // namespace runtime
