#pragma once

namespace runtime {

// Temporaries of ours that SIGTERM, SIGINT or SIGHUP remove before the
// process ends. The handlers are installed on first use, and only for a
// signal whose action is still the default one.
// Returns a slot for UnregisterTemporary, or -1 when every slot is taken.
int RegisterTemporary(int directoryFd, const char *name);
void UnregisterTemporary(int slot);

// Removes the temporaries ".~write-XXXXXX" in the directory that nobody holds
// locked and that are older than a minute: left behind by a process that was
// killed outright.
void RemoveStaleTemporaries(int directoryFd);

// The prefix and length of our temporaries' names.
inline constexpr const char *TemporaryPrefix = ".~write-";
inline constexpr unsigned TemporaryNameLength = 14;

} // namespace runtime
