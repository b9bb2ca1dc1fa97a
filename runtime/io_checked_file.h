#pragma once

#include "file_stamp.h"
#include "page_block.h"

#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

class OutputFile;

// A file used in text mode (lines) or block mode (raw records). Every
// operation records a code on failure instead of raising; the caller follows
// it with CheckIo. The destructor closes whatever is still open, so no handle
// outlives its owner and an unfinished write never replaces its target.
class IoCheckedFile final {
public:
    // Block mode opens for raw reading only: map files are never written.
    enum class State { Unbound, Closed, Reading, Writing, Block };

    IoCheckedFile();
    ~IoCheckedFile();
    IoCheckedFile(const IoCheckedFile &) = delete;
    IoCheckedFile &operator=(const IoCheckedFile &) = delete;

    State state() const { return state_; }
    const std::string &path() const { return path_; }
    // Block mode: the size the file had when it opened (0 tells nothing).
    std::uint64_t blockSize() const { return size_; }
    // The stamp of the file opened, as a listing of its folder gives it.
    const FileStamp &stamp() const { return stamp_; }

private:
    friend void BindPath(IoCheckedFile &, const std::string &, int);
    friend void BindResolvedPath(IoCheckedFile &, const std::string &, int, int, const std::string &, bool);
    friend void OpenTextRead(IoCheckedFile &);
    friend void CreateTextWrite(IoCheckedFile &);
    friend std::string ReadTextLine(IoCheckedFile &);
    friend void WriteTextLine(IoCheckedFile &, std::string_view);
    friend void WriteBytes(IoCheckedFile &, std::string_view);
    friend void OpenBlockFile(IoCheckedFile &, std::size_t);
    friend std::size_t ReadBlock(IoCheckedFile &, char *, std::size_t);
    friend bool BlockFileAtEnd(IoCheckedFile &);
    friend void StartReadingAhead(IoCheckedFile &, std::uint64_t);
    friend bool StartIsInMemory(IoCheckedFile &);
    friend void KeepStart(IoCheckedFile &, std::uint64_t, PagePool *);
    friend void CloseIoFile(IoCheckedFile &);

    bool isOpen() const;
    bool refill();
    bool drain();
    bool put(std::string_view bytes);
    void discard();
    void openForReading(bool textMode);

    State state_ = State::Unbound;
    std::string path_;
    int relativeTo_ = AT_FDCWD; // not owned: the caller keeps it open while the file opens
    int openDirFd_ = AT_FDCWD;  // with openName_: where the file opens, not owned either
    std::string openName_;      // a name already resolved; empty to resolve path_
    bool knownRegular_ = false; // openName_ was listed as a regular file just now
    int fd_ = -1;
    std::size_t recordSize_ = 1;
    std::uint64_t size_ = 0;             // block mode: size at open (0 tells nothing: /proc, some shares)
    FileStamp stamp_;                    // at open
    std::uint64_t position_ = 0;         // block mode: bytes read so far
    bool blockEnded_ = false;            // block mode: the reads found the end
    PageBlock start_;                    // block mode: the first bytes, read by KeepStart
    std::size_t startSize_ = 0;          // ... as many
    bool startIsWhole_ = false;          // ... and the reads found the end after them
    std::unique_ptr<OutputFile> output_; // writing: the target, or its new version
    std::vector<char> buffer_;
    std::size_t bufferFill_ = 0;
    std::size_t bufferPos_ = 0;
    bool atTextEnd_ = false; // a Ctrl-Z or the end of the file was met
};

// A relative path is taken from the directory relativeTo, which must stay open
// until the file is opened.
void BindPath(IoCheckedFile &file, const std::string &path, int relativeTo = AT_FDCWD);
// As BindPath for codes and messages, but the file opens as name in the folder
// dirFd, as it stands: the caller has resolved it (FolderNames). When the
// folder's listing said it is a regular file, the open does not ask again.
void BindResolvedPath(IoCheckedFile &file, const std::string &path, int relativeTo, int dirFd, const std::string &name,
                      bool listedRegular = false);
// Opens an existing file for reading lines.
void OpenTextRead(IoCheckedFile &file);
// Opens the file for writing as OutputFile decides: for a regular file with
// one link, a new version that replaces the old one only when CloseIoFile
// succeeds; otherwise the target itself.
void CreateTextWrite(IoCheckedFile &file);
// No line is longer: a path cannot be, and a longer one stops the read at
// once with code 206 instead of growing without bound.
inline constexpr std::size_t MaxTextLineLength = 4096;
// The next line without its end (CR LF, CR or LF); empty at the end.
std::string ReadTextLine(IoCheckedFile &file);
// Writes text and CR LF.
void WriteTextLine(IoCheckedFile &file, std::string_view text);
// Writes the bytes as they are, for text whose line ends are its own.
void WriteBytes(IoCheckedFile &file, std::string_view bytes);
// Opens an existing regular file for raw reading.
void OpenBlockFile(IoCheckedFile &file, std::size_t recordSize);
// Reads up to count records; returns the whole records read. A read that
// fails after some bytes came records the code and still returns them.
std::size_t ReadBlock(IoCheckedFile &file, char *buffer, std::size_t count);
// True once the reads have found the end: a read that gave nothing, or one
// that came short at or past a size the file had when opened. A size of 0
// is no end: such files (under /proc, on some shares) hold bytes all the same.
bool BlockFileAtEnd(IoCheckedFile &file);
// Asks the system to start reading the first bytes of a block file now, so
// the disk has this read in flight while others are served; no waiting.
void StartReadingAhead(IoCheckedFile &file, std::uint64_t bytes);
// The first byte of an open block file can be read without waiting for the
// disk (an empty file counts). Leaves the file's position and I/O code as
// they were; false wherever the system cannot tell.
bool StartIsInMemory(IoCheckedFile &file);
// Reads up to bytes of a block file's start now and keeps them in the file,
// where its own reads then take them without a call: on a share that checks
// a file's attributes at every read, each read waits a round trip, and a
// reader of its own can wait for it instead. A file read whole is known to
// be at its end. Leaves the I/O code as it was: a failure is the file's own
// read's to report, after the bytes kept. The bytes come from pool when given.
void KeepStart(IoCheckedFile &file, std::uint64_t bytes, PagePool *pool = nullptr);
void CloseIoFile(IoCheckedFile &file);

} // namespace runtime
