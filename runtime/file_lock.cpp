#include "file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace runtime {
namespace {

constexpr std::chrono::milliseconds RetryEvery{20};

} // namespace

FileLock::~FileLock()
{
    if (fd_ >= 0)
        ::close(fd_); // lets go of the lock
}

FileLock::FileLock(FileLock &&other) noexcept : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

FileLock FileLock::Take(const std::string &path, std::chrono::milliseconds patience)
{
    FileLock lock;
    do {
        lock.fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    } while (lock.fd_ < 0 && errno == EINTR);
    if (lock.fd_ < 0) {
        lock.error_ = errno;
        return lock;
    }
    // flock cannot wait with a limit: try again now and then until patience runs out.
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    while (::flock(lock.fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) || std::chrono::steady_clock::now() >= giveUp) {
            FileLock failed;
            failed.error_ = error;
            return failed;
        }
        std::this_thread::sleep_for(RetryEvery);
    }
    return lock;
}

} // namespace runtime
