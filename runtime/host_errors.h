#pragma once

#include <cstdint>
#include <fcntl.h>
#include <string>

namespace runtime {

// Maps a failed host call on path (relative to the folder relativeTo) onto
// our table's codes: a missing last component is 2, a missing directory on
// the way 3, and so on.
std::int32_t CodeForHostError(int hostErrno, const std::string &path, int relativeTo = AT_FDCWD);

// Records the code of the host's last failure on path.
void RecordHostError(int hostErrno, const std::string &path, int relativeTo = AT_FDCWD);

} // namespace runtime
