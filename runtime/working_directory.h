#pragma once

#include <string>

namespace runtime {

// The host's path separator, used by every path the catalogue builds.
inline constexpr char PathSeparator = '/';

// Changes the process's current directory; records a code on failure.
void SetWorkingDirectory(const std::string &path);

// The same with a relative path taken from the folder relativeTo, whatever
// the current directory is.
void SetWorkingDirectory(const std::string &path, int relativeTo);

// The current directory as a full path; "." when it has none any more.
std::string GetWorkingDirectory();

} // namespace runtime
