#pragma once

#include <fcntl.h>
#include <string>

namespace runtime {

// Owns a directory's descriptor, so folders are reached through it (openat
// and its relatives) whatever the current directory or the path's length.
class DirectoryHandle final {
public:
    DirectoryHandle() = default;
    ~DirectoryHandle();
    DirectoryHandle(DirectoryHandle &&other) noexcept;
    DirectoryHandle &operator=(DirectoryHandle &&other) noexcept;
    DirectoryHandle(const DirectoryHandle &) = delete;
    DirectoryHandle &operator=(const DirectoryHandle &) = delete;

    // Opens path (relative to relativeTo) as a directory; on failure records a
    // code with the path and returns an invalid handle.
    static DirectoryHandle Open(const std::string &path, int relativeTo = AT_FDCWD);

    // The folder name in parentFd, never through a symbolic link; on failure
    // an invalid handle and errno, no code recorded.
    static DirectoryHandle OpenBelow(int parentFd, const std::string &name);
    // A handle of its own on the folder fd is open on; invalid on failure.
    static DirectoryHandle Duplicate(int fd);

    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    explicit DirectoryHandle(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// openat with O_CLOEXEC and mode 0666 for a new file, retried when a signal
// interrupts it; -1 with errno on failure.
int OpenAt(int relativeTo, const std::string &path, int flags);

// Makes the handle's directory the current one; records a code on failure.
void SetWorkingDirectory(const DirectoryHandle &directory);

} // namespace runtime
