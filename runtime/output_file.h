#pragma once

#include "directory_handle.h"

#include <fcntl.h>
#include <string>

namespace runtime {

// A file being written, and how it will take the target's place:
// - Replace: a new version in the target's folder, renamed over the target on
//   commit, so a failure at any point leaves the old file whole. Used for a
//   new file, and for a regular file with one link whose owner, group and
//   mode the new version can keep.
// - InPlace: the target itself, for a regular file shared by other links,
//   owned by someone we cannot give it back to, or in a folder we cannot
//   write. What is written goes to a copy in memory; commit copies it over the
//   target, and puts the old bytes back if that fails.
// - Stream: a terminal, pipe or device, or one of our own descriptors named
//   as /dev/stdout, /dev/fd/N or /proc/self/fd/N: written where it stands.
// Every failure records a code with the path; the caller runs CheckIo.
class OutputFile final {
public:
    enum class Kind { None, Replace, InPlace, Stream };

    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Opens path (relative to relativeTo) for writing; false on failure.
    bool open(const std::string &path, int relativeTo = AT_FDCWD);
    // Makes what was written the target's content: synced, then renamed
    // over the target (Replace), copied over it (InPlace) or closed. False on
    // failure, when the target keeps its old bytes.
    bool commit();
    // Drops the file; an unfinished new version is removed.
    void discard();

    int fd() const { return fd_; }
    Kind kind() const { return kind_; }

private:
    bool openStream(int descriptor);
    bool openInPlace(int relativeTo, const std::string &target, int flags);
    bool commitInPlace();
    bool openReplacement(int relativeTo, const std::string &target, const struct stat *existing);
    bool createTemporary();
    bool nameTemporary();

    Kind kind_ = Kind::None;
    int fd_ = -1;               // what the caller writes to
    int target_ = -1;           // InPlace: the target, read and written on commit
    std::string path_;          // as the caller gave it, for messages
    DirectoryHandle folder_;    // Replace: the target's folder
    std::string targetName_;    // Replace: the target's name in it
    std::string temporaryName_; // Replace: our temporary's name, once it has one
    int cleanupSlot_ = -1;
};

} // namespace runtime
