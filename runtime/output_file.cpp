#include "output_file.h"

#include "byte_strings.h"
#include "host_errors.h"
#include "io_error.h"
#include "temporary_cleanup.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <optional>
#include <random>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace runtime {
namespace {

constexpr int MaxLinkHops = 40;
constexpr off_t CopyChunk = 64 * 1024;

// The descriptor of ours that a name like /dev/stdout or /proc/self/fd/3 stands for.
std::optional<int> ownDescriptorNamed(const std::string &path)
{
    if (path == "/dev/stdin")
        return 0;
    if (path == "/dev/stdout")
        return 1;
    if (path == "/dev/stderr")
        return 2;
    const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (const std::string &prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"), own}) {
        if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
            continue;
        int fd = -1;
        const char *first = path.data() + prefix.size();
        const char *last = path.data() + path.size();
        const auto [end, error] = std::from_chars(first, last, fd);
        if (error == std::errc() && end == last)
            return fd;
    }
    return std::nullopt;
}

std::string directoryPart(const std::string &path)
{
    std::string folder = SplitPath(path).folder;
    return folder.empty() ? std::string(".") : folder;
}

struct Followed {
    std::string path;
    std::optional<int> descriptor; // one of ours, named through /dev or /proc
};

// Follows symbolic links so that a write replaces the file a link names, not
// the link; stops at a name that stands for one of our descriptors.
std::optional<Followed> followLinks(int relativeTo, std::string path)
{
    for (int hops = 0; hops < MaxLinkHops; ++hops) {
        if (const auto fd = ownDescriptorNamed(path))
            return Followed{path, fd};
        struct stat info {};
        if (::fstatat(relativeTo, path.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(info.st_mode))
            return Followed{path, std::nullopt};
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlinkat(relativeTo, path.c_str(), target.data(), target.size());
        if (length < 0)
            return Followed{path, std::nullopt};
        target.resize(static_cast<std::size_t>(length));
        if (!target.empty() && target[0] != '/' && path.find('/') != std::string::npos)
            target = directoryPart(path) + "/" + target;
        path = target;
    }
    return std::nullopt;
}

std::string randomTemporaryName()
{
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random(std::random_device{}());
    std::string name = TemporaryPrefix;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    while (name.size() < TemporaryNameLength)
        name += letters[pick(random)];
    return name;
}

bool isPermissionError(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// A file in memory that no name reaches; closed with its owner.
class MemoryFile final {
public:
    MemoryFile() : fd_(::memfd_create("map-utility-output", MFD_CLOEXEC)) {}
    ~MemoryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;

    int fd() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Copies the first length bytes of one file over the start of another;
// false with errno set when a read or a write fails.
bool copyStart(int from, int to, off_t length)
{
    std::vector<char> buffer(static_cast<std::size_t>(std::min(length, CopyChunk)));
    for (off_t offset = 0; offset < length;) {
        const ssize_t got =
            ::pread(from, buffer.data(), static_cast<std::size_t>(std::min(length - offset, CopyChunk)), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            errno = got == 0 ? EIO : errno; // the file shrank under us
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(to, buffer.data() + done, static_cast<std::size_t>(got - done), offset + done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                errno = put == 0 ? EIO : errno;
                return false;
            }
            done += put;
        }
        offset += got;
    }
    return true;
}

} // namespace

OutputFile::~OutputFile()
{
    discard();
}

void OutputFile::discard()
{
    if (!temporaryName_.empty())
        ::unlinkat(folder_.fd(), temporaryName_.c_str(), 0);
    UnregisterTemporary(cleanupSlot_);
    cleanupSlot_ = -1;
    temporaryName_.clear();
    for (int *fd : {&fd_, &target_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    kind_ = Kind::None;
}

bool OutputFile::open(const std::string &path, int relativeTo)
{
    discard();
    path_ = path;
    if (path.empty() || path.find('\0') != std::string::npos) {
        RecordIoCode(IoCode::PathNotFound, path);
        return false;
    }
    const std::optional<Followed> followed = followLinks(relativeTo, path);
    if (!followed) {
        RecordHostError(ELOOP, path);
        return false;
    }
    if (followed->descriptor)
        return openStream(*followed->descriptor);
    const std::string &target = followed->path;
    struct stat existing {};
    if (::fstatat(relativeTo, target.c_str(), &existing, 0) != 0) {
        if (errno != ENOENT) {
            RecordHostError(errno, path, relativeTo);
            return false;
        }
        return openReplacement(relativeTo, target, nullptr);
    }
    if (S_ISDIR(existing.st_mode)) {
        RecordIoCode(IoCode::AccessDenied, path);
        return false;
    }
    if (!S_ISREG(existing.st_mode))
        return openInPlace(relativeTo, target, O_WRONLY | O_NONBLOCK | O_NOCTTY);
    // The read-only attribute is the mode bits, whoever runs the program.
    if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0
        || ::faccessat(relativeTo, target.c_str(), W_OK, AT_EACCESS) != 0) {
        RecordIoCode(IoCode::AccessDenied, path);
        return false;
    }
    if (existing.st_nlink > 1)
        return openInPlace(relativeTo, target, O_RDWR | O_NOCTTY);
    return openReplacement(relativeTo, target, &existing);
}

bool OutputFile::openStream(int descriptor)
{
    // Written at the descriptor's own position and mode: ">>" keeps appending.
    const int fd = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) {
        RecordHostError(errno, path_);
        return false;
    }
    fd_ = fd;
    kind_ = Kind::Stream;
    return true;
}

bool OutputFile::openInPlace(int relativeTo, const std::string &target, int flags)
{
    const int fd = OpenAt(relativeTo, target, flags);
    if (fd < 0) {
        RecordHostError(errno, path_, relativeTo);
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    // Opened without blocking in case a pipe has no reader; written blocking.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!regular) {
        fd_ = fd;
        kind_ = Kind::Stream;
        return true;
    }
    // The old bytes must be readable to be put back; a name swapped for a
    // regular file after the test for a stream is not written at all.
    MemoryFile staging;
    if ((::fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDWR || staging.fd() < 0) {
        const int error = staging.fd() < 0 ? errno : EACCES;
        ::close(fd);
        RecordHostError(error, path_);
        return false;
    }
    target_ = fd;
    fd_ = staging.release();
    kind_ = Kind::InPlace;
    return true;
}

bool OutputFile::openReplacement(int relativeTo, const std::string &target, const struct stat *existing)
{
    folder_ = DirectoryHandle::Open(directoryPart(target), relativeTo);
    if (!folder_.valid()) {
        // A missing folder is a missing directory on the target's path.
        const std::int32_t code = PendingIoCode();
        RecordIoCode(code == IoCode::FileNotFound ? IoCode::PathNotFound : code, path_);
        return false;
    }
    targetName_ = SplitPath(target).name;
    RemoveStaleTemporaries(folder_.fd());
    if (!createTemporary()) {
        const int error = errno;
        if (existing && isPermissionError(error))
            return openInPlace(relativeTo, target, O_RDWR | O_NOCTTY); // a folder we cannot write
        RecordHostError(error, path_);
        return false;
    }
    kind_ = Kind::Replace;
    if (!existing)
        return true;
    // The new version keeps the old one's owner, group and mode; where they
    // cannot be kept, the old file is written in place instead.
    if (::fchown(fd_, existing->st_uid, existing->st_gid) != 0 || ::fchmod(fd_, existing->st_mode & 07777) != 0) {
        discard();
        return openInPlace(relativeTo, target, O_RDWR | O_NOCTTY);
    }
    return true;
}

// An unnamed file in the folder where the file system has them, else a named
// one. Either way it holds a lock, so cleanup never takes it while we write.
bool OutputFile::createTemporary()
{
    int fd = ::openat(folder_.fd(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            const std::string name = randomTemporaryName();
            fd = ::openat(folder_.fd(), name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0) {
                temporaryName_ = name;
                cleanupSlot_ = RegisterTemporary(folder_.fd(), temporaryName_.c_str());
            } else if (errno != EEXIST) {
                break;
            }
        }
    }
    if (fd < 0)
        return false;
    ::flock(fd, LOCK_EX);
    fd_ = fd;
    return true;
}

// Gives an unnamed temporary one of our names, so it can be renamed.
bool OutputFile::nameTemporary()
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = randomTemporaryName();
        if (::linkat(AT_FDCWD, self.c_str(), folder_.fd(), name.c_str(), AT_SYMLINK_FOLLOW) == 0
            || ::linkat(fd_, "", folder_.fd(), name.c_str(), AT_EMPTY_PATH) == 0) {
            temporaryName_ = name;
            cleanupSlot_ = RegisterTemporary(folder_.fd(), temporaryName_.c_str());
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

// The target is overwritten only once its old bytes are kept and room for
// the longer version is reserved; a failure after that puts the old bytes
// back and reports what failed.
bool OutputFile::commitInPlace()
{
    struct stat written {};
    struct stat old {};
    if (::fstat(fd_, &written) != 0 || ::fstat(target_, &old) != 0) {
        RecordHostError(errno, path_);
        return false;
    }
    const MemoryFile kept;
    if (kept.fd() < 0 || !copyStart(target_, kept.fd(), old.st_size)) {
        RecordHostError(errno, path_);
        return false;
    }
    const off_t room = std::max(written.st_size, old.st_size);
    if (room > 0 && ::fallocate(target_, FALLOC_FL_KEEP_SIZE, 0, room) != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
        const int error = errno;
        if (room > old.st_size)
            ::ftruncate(target_, old.st_size); // frees what was reserved past the end
        RecordHostError(error, path_);
        return false;
    }
    if (copyStart(fd_, target_, written.st_size) && ::ftruncate(target_, written.st_size) == 0 && ::fsync(target_) == 0)
        return true;
    const int error = errno;
    if (copyStart(kept.fd(), target_, old.st_size))
        ::ftruncate(target_, old.st_size);
    ::fsync(target_);
    RecordHostError(error, path_);
    return false;
}

bool OutputFile::commit()
{
    if (kind_ == Kind::None) {
        RecordIoCode(IoCode::NotOpen, path_);
        return false;
    }
    if (kind_ == Kind::InPlace) {
        if (!commitInPlace()) {
            discard();
            return false;
        }
    } else if (::fsync(fd_) != 0 && (kind_ == Kind::Replace || (errno != EINVAL && errno != EROFS))) {
        // Synced before the rename, so a late write error (a full disk, a
        // network file system) never replaces the target.
        RecordHostError(errno, path_);
        discard();
        return false;
    }
    if (kind_ == Kind::Replace) {
        if ((temporaryName_.empty() && !nameTemporary())
            || ::renameat(folder_.fd(), temporaryName_.c_str(), folder_.fd(), targetName_.c_str()) != 0) {
            RecordHostError(errno, path_);
            discard();
            return false;
        }
        temporaryName_.clear(); // it is the target now
        // So the new name outlasts a crash too. The file is in place by now,
        // whatever this says: a folder that cannot be synced is no failure.
        ::fsync(folder_.fd());
    }
    UnregisterTemporary(cleanupSlot_);
    cleanupSlot_ = -1;
    // In place, the target's descriptor is the one whose close can fail.
    if (target_ >= 0)
        ::close(std::exchange(fd_, target_));
    const int fd = std::exchange(fd_, -1);
    target_ = -1;
    kind_ = Kind::None;
    if (::close(fd) != 0 && errno != EINTR) {
        RecordHostError(errno, path_);
        return false;
    }
    return true;
}

} // namespace runtime
