#include "fuzz_support.h"

#include "runtime/io_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

namespace fuzz {
namespace {

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "fuzz support: %s: %s\n", what.c_str(), std::strerror(errno));
    std::abort();
}

std::string printable(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes.substr(0, 300)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127 && byte != '\\') {
            text += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            text += escaped;
        }
    }
    if (bytes.size() > 300)
        text += "...";
    return text;
}

} // namespace

ScratchFolder::ScratchFolder()
{
    // Memory first: replacing a file's contents on a disk file system can
    // wait for the disk at every run (ext4 flushes a truncated file on close).
    const char *tmp = std::getenv("TMPDIR");
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && *tmp ? tmp : "/tmp");
    std::string pattern = base + "/map-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        fail("mkdtemp " + pattern);
    path_ = pattern;
    fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        fail("open " + path_);
}

ScratchFolder::~ScratchFolder()
{
    ::close(fd_);
    ::nftw(
        path_.c_str(), [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

void ScratchFolder::write(const std::string &name, std::string_view bytes) const
{
    const int fd = ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("create " + name);
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0)
            fail("write " + name);
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    ::close(fd);
}

void ScratchFolder::remove(const std::string &name) const
{
    ::unlinkat(fd_, name.c_str(), 0);
}

void ClearPendingIo()
{
    runtime::ClearIoCode();
}

void Mismatch(const char *what, std::string_view expected, std::string_view actual)
{
    std::fprintf(stderr, "MISMATCH: %s\n  expected: %s\n  actual:   %s\n", what, printable(expected).c_str(),
                 printable(actual).c_str());
    std::abort();
}

} // namespace fuzz
