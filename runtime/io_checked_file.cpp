#include "io_checked_file.h"

#include "directory_match.h"
#include "host_errors.h"
#include "io_error.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace runtime {
namespace {

constexpr std::size_t TextBufferSize = 4096;
constexpr char CtrlZ = 26;

int openFile(const std::string &path, int flags)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Follows symbolic links so that a write replaces the file a link names,
// not the link itself. Nothing for a loop of links.
std::optional<std::string> followLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return path;
        target.resize(static_cast<std::size_t>(length));
        if (!target.empty() && target[0] != '/') {
            const auto slash = path.find_last_of('/');
            if (slash != std::string::npos)
                target = path.substr(0, slash + 1) + target;
        }
        path = target;
    }
    return std::nullopt;
}

// Read from the process status rather than by setting it, which would
// change it for a moment under every other thread.
mode_t processUmask()
{
    static const mode_t mask = [] {
        const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            char text[4096];
            const ssize_t got = ::read(fd, text, sizeof text - 1);
            ::close(fd);
            if (got > 0) {
                text[got] = '\0';
                if (const char *line = std::strstr(text, "Umask:"))
                    return static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
            }
        }
        return static_cast<mode_t>(022);
    }();
    return mask;
}

std::string directoryOf(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool hasNul(const std::string &path)
{
    return path.find('\0') != std::string::npos;
}

} // namespace

IoCheckedFile::~IoCheckedFile()
{
    discard();
}

bool IoCheckedFile::isOpen() const
{
    return state_ == State::Reading || state_ == State::Writing || state_ == State::Block;
}

// Drops the handle without finishing anything: an unfinished new version of
// a file is removed, so the old one stays as it was.
void IoCheckedFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    tempPath_.clear();
    targetPath_.clear();
    if (state_ != State::Unbound)
        state_ = State::Closed;
}

void BindPath(IoCheckedFile &file, const std::string &path)
{
    file.discard();
    file.path_ = path;
    file.state_ = IoCheckedFile::State::Closed;
    file.buffer_.clear();
    file.bufferFill_ = file.bufferPos_ = 0;
    file.atTextEnd_ = false;
}

void IoCheckedFile::openForReading(bool textMode)
{
    if (state_ == State::Unbound) {
        RecordIoCode(IoCode::NotBound);
        return;
    }
    discard();
    bufferFill_ = bufferPos_ = 0;
    atTextEnd_ = false;
    if (hasNul(path_)) {
        RecordIoCode(IoCode::PathNotFound);
        return;
    }
    const std::string resolved = ResolveNameIgnoringCase(path_);
    // Only regular files are opened at all: opening a device can have effects
    // of its own. Non-blocking and no controlling terminal, in case the name
    // is swapped for something else between the test and the open.
    struct stat before {};
    if (::stat(resolved.c_str(), &before) != 0) {
        RecordHostError(errno, resolved);
        return;
    }
    if (!S_ISREG(before.st_mode)) {
        RecordIoCode(IoCode::AccessDenied);
        return;
    }
    const int fd = openFile(resolved, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        RecordHostError(errno, resolved);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        RecordIoCode(IoCode::AccessDenied);
        return;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
    position_ = 0;
    if (textMode) {
        buffer_.resize(TextBufferSize);
        state_ = State::Reading;
    } else {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        state_ = State::Block;
    }
}

void OpenTextRead(IoCheckedFile &file)
{
    file.openForReading(true);
}

void OpenBlockFile(IoCheckedFile &file, std::size_t recordSize)
{
    file.recordSize_ = recordSize == 0 ? 1 : recordSize;
    file.openForReading(false);
}

void CreateTextWrite(IoCheckedFile &file)
{
    if (file.state_ == IoCheckedFile::State::Unbound) {
        RecordIoCode(IoCode::NotBound);
        return;
    }
    file.discard();
    file.bufferFill_ = file.bufferPos_ = 0;
    file.buffer_.resize(TextBufferSize);
    if (hasNul(file.path_) || file.path_.empty()) {
        RecordIoCode(IoCode::PathNotFound);
        return;
    }
    const std::optional<std::string> linked = followLinks(file.path_);
    if (!linked) {
        RecordHostError(ELOOP, file.path_);
        return;
    }
    const std::string &target = *linked;
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        RecordIoCode(IoCode::AccessDenied);
        return;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe is written directly: there is nothing to replace.
        const int fd = openFile(target, O_WRONLY | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) {
            RecordHostError(errno, target);
            return;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file.fd_ = fd;
        file.state_ = IoCheckedFile::State::Writing;
        return;
    }
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        RecordIoCode(IoCode::AccessDenied);
        return;
    }
    // Write a new version beside the target; CloseIoFile renames it over the
    // target, so a failure at any point leaves the old file as it was.
    // A short name of its own, so a target name near the length limit still works.
    std::string temp = directoryOf(target) + "/.~write-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        RecordHostError(errno, temp);
        return;
    }
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // Only the owner's group may differ; the permissions are what matter.
        }
    } else {
        ::fchmod(fd, 0666 & ~processUmask());
    }
    file.fd_ = fd;
    file.tempPath_ = temp;
    file.targetPath_ = target;
    file.state_ = IoCheckedFile::State::Writing;
}

bool IoCheckedFile::refill()
{
    bufferPos_ = bufferFill_ = 0;
    ssize_t count;
    do {
        count = ::read(fd_, buffer_.data(), buffer_.size());
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        RecordHostError(errno, path_);
        return false;
    }
    bufferFill_ = static_cast<std::size_t>(count);
    return true;
}

bool IoCheckedFile::drain()
{
    std::size_t done = 0;
    while (done < bufferFill_) {
        const ssize_t count = ::write(fd_, buffer_.data() + done, bufferFill_ - done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            RecordHostError(errno, path_);
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    bufferFill_ = 0;
    return true;
}

std::string ReadTextLine(IoCheckedFile &file)
{
    std::string line;
    if (file.state_ != IoCheckedFile::State::Reading) {
        RecordIoCode(IoCode::NotOpenForInput);
        return line;
    }
    // A line ends at CR LF, a lone CR or a lone LF; Ctrl-Z ends the text for good.
    while (!file.atTextEnd_) {
        if (file.bufferPos_ == file.bufferFill_ && !file.refill())
            return line;
        if (file.bufferFill_ == 0) {
            file.atTextEnd_ = true;
            return line;
        }
        const char *begin = file.buffer_.data() + file.bufferPos_;
        const char *end = file.buffer_.data() + file.bufferFill_;
        const char *stop = begin;
        while (stop != end && *stop != '\r' && *stop != '\n' && *stop != CtrlZ)
            ++stop;
        line.append(begin, stop);
        file.bufferPos_ += static_cast<std::size_t>(stop - begin);
        if (stop == end)
            continue;
        if (*stop == CtrlZ) {
            file.atTextEnd_ = true;
            return line;
        }
        ++file.bufferPos_;
        if (*stop == '\r') {
            if (file.bufferPos_ == file.bufferFill_ && !file.refill())
                return line;
            if (file.bufferPos_ < file.bufferFill_ && file.buffer_[file.bufferPos_] == '\n')
                ++file.bufferPos_;
        }
        return line;
    }
    return line;
}

void WriteTextLine(IoCheckedFile &file, std::string_view text)
{
    if (file.state_ != IoCheckedFile::State::Writing) {
        RecordIoCode(file.isOpen() ? IoCode::NotOpenForOutput : IoCode::NotOpen);
        return;
    }
    const auto put = [&file](std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t room = file.buffer_.size() - file.bufferFill_;
            const std::size_t take = std::min(room, bytes.size());
            std::memcpy(file.buffer_.data() + file.bufferFill_, bytes.data(), take);
            file.bufferFill_ += take;
            bytes.remove_prefix(take);
            if (file.bufferFill_ == file.buffer_.size() && !file.drain())
                return false;
        }
        return true;
    };
    if (put(text))
        put("\r\n");
}

std::size_t ReadBlock(IoCheckedFile &file, char *buffer, std::size_t count)
{
    if (!file.isOpen()) {
        RecordIoCode(IoCode::NotOpen);
        return 0;
    }
    const std::size_t wanted = count * file.recordSize_;
    std::size_t got = 0;
    while (got < wanted) {
        const ssize_t n = ::read(file.fd_, buffer + got, wanted - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            RecordHostError(errno, file.path_);
            return 0;
        }
        if (n == 0) {
            // The file shrank while we read it: it ends here.
            file.size_ = file.position_ + got;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    file.position_ += got;
    return got / file.recordSize_;
}

bool BlockFileAtEnd(IoCheckedFile &file)
{
    if (!file.isOpen()) {
        RecordIoCode(IoCode::NotOpen);
        return true;
    }
    return file.position_ >= file.size_;
}

void CloseIoFile(IoCheckedFile &file)
{
    if (!file.isOpen()) {
        RecordIoCode(IoCode::NotOpen);
        return;
    }
    if (file.state_ == IoCheckedFile::State::Writing) {
        if (!file.drain())
            return; // still open: the caller's scope discards the unfinished version
        if (!file.tempPath_.empty()) {
            // Flushed and closed before the rename, so a late write error
            // (a full disk, a network file system) never replaces the target.
            const bool synced = ::fsync(file.fd_) == 0;
            const int syncErrno = errno;
            const bool closed = ::close(file.fd_) == 0;
            const int closeErrno = errno;
            file.fd_ = -1;
            if (!synced || !closed) {
                RecordHostError(!synced ? syncErrno : closeErrno, file.targetPath_);
                file.discard();
                return;
            }
            if (::rename(file.tempPath_.c_str(), file.targetPath_.c_str()) != 0) {
                RecordHostError(errno, file.targetPath_);
                file.discard();
                return;
            }
            file.tempPath_.clear();
            file.targetPath_.clear();
            file.state_ = IoCheckedFile::State::Closed;
            return;
        }
    }
    const int fd = file.fd_;
    file.fd_ = -1;
    file.state_ = IoCheckedFile::State::Closed;
    if (::close(fd) != 0 && errno != EINTR)
        RecordHostError(errno, file.path_);
}

} // namespace runtime
