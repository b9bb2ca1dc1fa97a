#pragma once

#include <chrono>
#include <string>

namespace runtime {

// An exclusive flock on a lock file, held until the object is destroyed.
// Processes that share a file take it before they read, merge and replace
// it, so neither writes over what the other saved meanwhile.
class FileLock final {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Takes the lock on path (made if missing), waiting up to patience for
    // another holder to let go; on failure a lock not held, with the errno
    // value why (EWOULDBLOCK when the other kept it).
    static FileLock Take(const std::string &path, std::chrono::milliseconds patience);

    bool held() const { return fd_ >= 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

} // namespace runtime
