#include "directory_handle.h"

#include "host_errors.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
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

DirectoryHandle DirectoryHandle::OpenBelow(int parentFd, const std::string &name)
{
    if (name.empty() || name.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        errno = ENOENT;
        return {};
    }
    int fd;
    do {
        fd = ::openat(parentFd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return DirectoryHandle(fd);
}

DirectoryHandle DirectoryHandle::Duplicate(int fd)
{
    return DirectoryHandle(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
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
