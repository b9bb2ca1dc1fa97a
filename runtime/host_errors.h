#pragma once

#include <cstdint>
#include <fcntl.h>
#include <string>

namespace runtime {

// Maps a failed host call on path (relative to the folder relativeTo) onto
// our table's codes: a missing last component is 2, a missing directory on
// the way 3, and so on.
std::int32_t CodeForHostError(int hostErrno, const std::string &path, int relativeTo = AT_FDCWD);

// The system's own words for an errno value ("Too many levels of symbolic
// links"); empty when it has none.
std::string HostErrorText(int hostErrno);

// Records the code of the host's last failure on path.
void RecordHostError(int hostErrno, const std::string &path, int relativeTo = AT_FDCWD);

} // namespace runtime
