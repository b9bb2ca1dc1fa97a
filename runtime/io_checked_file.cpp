#include "io_checked_file.h"

#include "directory_handle.h"
#include "directory_match.h"
#include "host_errors.h"
#include "io_error.h"
#include "output_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace runtime {
namespace {

constexpr std::size_t TextBufferSize = 4096;
// Up to this size the system's own read-ahead covers a file at once, so
// announcing a sequential read would only cost a call.
constexpr std::uint64_t SequentialHintAbove = 128 * 1024;
constexpr char CtrlZ = 26;

bool hasNul(const std::string &path)
{
    return path.find('\0') != std::string::npos;
}

} // namespace

IoCheckedFile::IoCheckedFile() = default;

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
    if (output_) {
        output_->discard();
        output_.reset();
    } else if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    if (state_ != State::Unbound)
        state_ = State::Closed;
}

void BindPath(IoCheckedFile &file, const std::string &path, int relativeTo)
{
    file.discard();
    file.path_ = path;
    file.relativeTo_ = relativeTo;
    file.openName_.clear();
    file.knownRegular_ = false;
    file.state_ = IoCheckedFile::State::Closed;
    file.buffer_.clear();
    file.bufferFill_ = file.bufferPos_ = 0;
    file.atTextEnd_ = false;
}

void BindResolvedPath(IoCheckedFile &file, const std::string &path, int relativeTo, int dirFd, const std::string &name,
                      bool listedRegular)
{
    BindPath(file, path, relativeTo);
    file.openDirFd_ = dirFd;
    file.openName_ = name;
    file.knownRegular_ = listedRegular;
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
        RecordIoCode(IoCode::PathNotFound, path_);
        return;
    }
    const int openFd = openName_.empty() ? relativeTo_ : openDirFd_;
    const std::string resolved = openName_.empty() ? ResolveNameIgnoringCase(relativeTo_, path_) : openName_;
    // Only regular files are opened at all: opening a device can have effects
    // of its own. Non-blocking and no controlling terminal, in case the name
    // is swapped for something else between the test and the open. A name
    // the folder's listing gave as a regular file has had its test.
    if (!(knownRegular_ && !openName_.empty())) {
        struct stat before {};
        if (::fstatat(openFd, resolved.c_str(), &before, 0) != 0) {
            RecordHostError(errno, path_, relativeTo_);
            return;
        }
        if (!S_ISREG(before.st_mode)) {
            RecordIoCode(IoCode::AccessDenied, path_);
            return;
        }
    }
    const int fd = OpenAt(openFd, resolved, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        RecordHostError(errno, path_, relativeTo_);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        RecordIoCode(IoCode::AccessDenied, path_);
        return;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
    stamp_ = StampOf(info);
    position_ = 0;
    blockEnded_ = false;
    start_ = {};
    startSize_ = 0;
    startIsWhole_ = false;
    if (textMode) {
        buffer_.resize(TextBufferSize);
        state_ = State::Reading;
    } else {
        if (size_ > SequentialHintAbove)
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
    auto output = std::make_unique<OutputFile>();
    if (!output->open(file.path_, file.relativeTo_))
        return;
    file.fd_ = output->fd();
    file.output_ = std::move(output);
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
        if (line.size() + static_cast<std::size_t>(stop - begin) > MaxTextLineLength) {
            RecordIoCode(IoCode::NameTooLong, file.path_);
            file.atTextEnd_ = true;
            return {};
        }
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

bool IoCheckedFile::put(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t take = std::min(buffer_.size() - bufferFill_, bytes.size());
        std::memcpy(buffer_.data() + bufferFill_, bytes.data(), take);
        bufferFill_ += take;
        bytes.remove_prefix(take);
        if (bufferFill_ == buffer_.size() && !drain())
            return false;
    }
    return true;
}

namespace {

bool writable(const IoCheckedFile &file, bool open)
{
    if (file.state() == IoCheckedFile::State::Writing)
        return true;
    RecordIoCode(open ? IoCode::NotOpenForOutput : IoCode::NotOpen);
    return false;
}

} // namespace

void WriteTextLine(IoCheckedFile &file, std::string_view text)
{
    if (writable(file, file.isOpen()) && file.put(text))
        file.put("\r\n");
}

void WriteBytes(IoCheckedFile &file, std::string_view bytes)
{
    if (writable(file, file.isOpen()))
        file.put(bytes);
}

std::size_t ReadBlock(IoCheckedFile &file, char *buffer, std::size_t count)
{
    if (!file.isOpen()) {
        RecordIoCode(IoCode::NotOpen);
        return 0;
    }
    const std::size_t wanted = count * file.recordSize_;
    std::size_t got = 0;
    if (file.position_ < file.startSize_) {
        got = std::min<std::size_t>(wanted, file.startSize_ - file.position_);
        std::memcpy(buffer, file.start_.data() + file.position_, got);
        bool failed = false;
        if (file.position_ + got == file.startSize_) { // the kept bytes are used up
            if (file.startIsWhole_) {
                file.blockEnded_ = true;
            } else {
                failed = ::lseek(file.fd_, static_cast<off_t>(file.startSize_), SEEK_SET) < 0;
                if (failed)
                    RecordHostError(errno, file.path_);
            }
            file.start_ = {};
            file.startSize_ = 0;
        }
        if (got == wanted || file.blockEnded_ || failed) {
            file.position_ += got;
            return got / file.recordSize_;
        }
    }
    while (got < wanted) {
        const ssize_t n = ::read(file.fd_, buffer + got, wanted - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            RecordHostError(errno, file.path_);
            break; // what came before the failure is the caller's to use
        }
        if (n == 0) {
            // The end, where the size said or not (a file that shrank, or one whose size reads 0).
            file.blockEnded_ = true;
            break;
        }
        got += static_cast<std::size_t>(n);
        if (file.size_ > 0 && file.position_ + got >= file.size_ && got < wanted) {
            file.blockEnded_ = true; // at the size the file had when opened: the next read would only say so
            break;
        }
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
    return file.blockEnded_ || (file.size_ > 0 && file.position_ >= file.size_);
}

void StartReadingAhead(IoCheckedFile &file, std::uint64_t bytes)
{
    // A length of 0 would ask for the whole file.
    if (file.state_ == IoCheckedFile::State::Block && file.size_ > 0 && bytes > 0)
        ::posix_fadvise(file.fd_, 0, static_cast<off_t>(std::min(bytes, file.size_)), POSIX_FADV_WILLNEED);
}

bool StartIsInMemory(IoCheckedFile &file)
{
    if (file.state_ != IoCheckedFile::State::Block)
        return false;
    if (file.size_ == 0)
        return true;
    const int savedErrno = errno;
    char first = 0;
    iovec one{&first, 1};
    ssize_t n = 0;
    do {
        n = ::preadv2(file.fd_, &one, 1, 0, RWF_NOWAIT);
    } while (n < 0 && errno == EINTR);
    errno = savedErrno;
    return n == 1;
}

void KeepStart(IoCheckedFile &file, std::uint64_t bytes, PagePool *pool)
{
    // Not a file whose size tells nothing (its end is found by reading), nor one already read from.
    if (file.state_ != IoCheckedFile::State::Block || file.size_ == 0 || file.position_ != 0 || bytes == 0)
        return;
    const int savedErrno = errno;
    // One byte past the size, so that a file read whole is known to be at its end.
    const std::size_t wanted = static_cast<std::size_t>(std::min(bytes, file.size_ + 1));
    PageBlock kept = pool ? pool->take(wanted) : PageBlock(wanted);
    if (!kept) {
        errno = savedErrno;
        return;
    }
    std::size_t got = 0;
    bool whole = false;
    while (got < wanted) {
        const ssize_t n = ::pread(file.fd_, kept.data() + got, wanted - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            whole = n == 0;
            break;
        }
        got += static_cast<std::size_t>(n);
        if (got >= file.size_ && got < wanted) {
            whole = true; // as ReadBlock: a read short at the size the file had when opened
            break;
        }
    }
    file.start_ = std::move(kept);
    file.startSize_ = got;
    file.startIsWhole_ = whole;
    errno = savedErrno;
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
        const bool committed = file.output_->commit();
        file.output_.reset();
        file.fd_ = -1;
        file.state_ = IoCheckedFile::State::Closed;
        (void)committed; // a failure has recorded its code
        return;
    }
    const int fd = file.fd_;
    file.fd_ = -1;
    file.state_ = IoCheckedFile::State::Closed;
    if (::close(fd) != 0 && errno != EINTR)
        RecordHostError(errno, file.path_);
}

} // namespace runtime
