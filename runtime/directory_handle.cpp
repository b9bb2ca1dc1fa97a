#include "directory_handle.h"

#include "host_errors.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace runtime {

DirectoryHandle::~DirectoryHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
}

DirectoryHandle::DirectoryHandle(DirectoryHandle &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

DirectoryHandle &DirectoryHandle::operator=(DirectoryHandle &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

DirectoryHandle DirectoryHandle::Open(const std::string &path, int relativeTo)
{
    if (path.empty() || path.find('\0') != std::string::npos) {
        RecordHostError(path.empty() ? ENOENT : EINVAL, path);
        return {};
    }
    // O_PATH needs no read permission: a folder we may only search still opens,
    // and listing it later reports the denial where it happens.
    const int fd = ::openat(relativeTo, path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        RecordHostError(errno, path, relativeTo);
        return {};
    }
    return DirectoryHandle(fd);
}

int OpenAt(int relativeTo, const std::string &path, int flags)
{
    int fd;
    do {
        fd = ::openat(relativeTo, path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void SetWorkingDirectory(const DirectoryHandle &directory)
{
    if (::fchdir(directory.fd()) != 0)
        RecordHostError(errno, ".");
}

} // namespace runtime
