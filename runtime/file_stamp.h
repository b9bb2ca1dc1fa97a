#pragma once

#include <cstdint>
#include <sys/stat.h>

namespace runtime {

// What tells one version of a file from another without reading it. A file
// rewritten within the same second, or put back with its old time (cp -p,
// tar, rsync -t), differs in its nanoseconds, its change time or its inode.
struct FileStamp {
    std::int64_t modifiedNs = 0; // since the epoch
    std::int64_t changedNs = 0;  // the inode's change time, which no copy can set
    std::uint64_t inode = 0;
    std::uint64_t device = 0;

    bool operator==(const FileStamp &) const = default;
};

inline FileStamp StampOf(const struct stat &info)
{
    const auto nanoseconds = [](const timespec &time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return {nanoseconds(info.st_mtim), nanoseconds(info.st_ctim), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_dev)};
}

} // namespace runtime
