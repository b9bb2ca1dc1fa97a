#pragma once

#include <optional>
#include <string_view>

namespace runtime {

// Requests in flight, a budget apart from the threads that match: opens,
// stats and first reads on storage where each one waits a round trip.
inline constexpr unsigned MaxIoDepth = 256;
// How many a share or a cold disk is given by default: where 64 readers at
// once stopped getting faster on both.
inline constexpr unsigned WideIoDepth = 64;

// A depth written by a user, 1 to MaxIoDepth; nothing otherwise.
std::optional<unsigned> ParseIoDepth(std::string_view text);

// The depth the folder dirFd's storage wants: WideIoDepth on a network or
// user-space file system (NFS, SMB/CIFS, FUSE, 9P, Ceph and their kin), where
// every request waits a round trip; 0 (no readers of their own) on a local
// one, or where the system does not say.
unsigned StorageIoDepth(int dirFd);
// The folder dirFd is on such a file system.
bool StorageIsRemote(int dirFd);

// The depth a user fixed for this process (the windows' environment
// variable), or 0 when the program chooses.
unsigned FixedIoDepth();
void SetFixedIoDepth(unsigned depth);

// The depth for requests on dirFd's storage: the one fixed, else the
// storage's own.
unsigned ChosenIoDepth(int dirFd);

// An eighth of the files this process may have open: what readers of
// their own may hold open at once, waiting maps and held folders each,
// so a low limit (ulimit -n) leaves the rest of the work its files.
unsigned DescriptorShare();

// The windows' way to fix it: MAP_UTILITY_IO_DEPTH, 1 to MaxIoDepth. A value
// outside that is ignored; false then, so the caller can say so.
bool FixIoDepthFromEnvironment();

} // namespace runtime
