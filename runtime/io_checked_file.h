#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// A file used in text mode (lines) or block mode (raw records). Every
// operation records a code on failure instead of raising; the caller follows
// it with CheckIo. The destructor closes whatever is still open, so no handle
// outlives its owner and an unfinished write never replaces its target.
class IoCheckedFile final {
public:
    // Block mode opens for raw reading only: map files are never written.
    enum class State { Unbound, Closed, Reading, Writing, Block };

    IoCheckedFile() = default;
    ~IoCheckedFile();
    IoCheckedFile(const IoCheckedFile &) = delete;
    IoCheckedFile &operator=(const IoCheckedFile &) = delete;

    State state() const { return state_; }
    const std::string &path() const { return path_; }

private:
    friend void BindPath(IoCheckedFile &, const std::string &);
    friend void OpenTextRead(IoCheckedFile &);
    friend void CreateTextWrite(IoCheckedFile &);
    friend std::string ReadTextLine(IoCheckedFile &);
    friend void WriteTextLine(IoCheckedFile &, std::string_view);
    friend void OpenBlockFile(IoCheckedFile &, std::size_t);
    friend std::size_t ReadBlock(IoCheckedFile &, char *, std::size_t);
    friend bool BlockFileAtEnd(IoCheckedFile &);
    friend void CloseIoFile(IoCheckedFile &);

    bool isOpen() const;
    bool refill();
    bool drain();
    void discard();
    void openForReading(bool textMode);

    State state_ = State::Unbound;
    std::string path_;
    int fd_ = -1;
    std::size_t recordSize_ = 1;
    std::uint64_t size_ = 0;     // block mode: size at open
    std::uint64_t position_ = 0; // block mode: bytes read so far
    std::string tempPath_;       // writing: the file that replaces the target on close
    std::string targetPath_;     // writing: what the temporary file becomes
    std::vector<char> buffer_;
    std::size_t bufferFill_ = 0;
    std::size_t bufferPos_ = 0;
    bool atTextEnd_ = false;     // a Ctrl-Z or the end of the file was met
};

void BindPath(IoCheckedFile &file, const std::string &path);
// Opens an existing file for reading lines.
void OpenTextRead(IoCheckedFile &file);
// Prepares a new version of the file; it replaces the old one only when
// CloseIoFile succeeds.
void CreateTextWrite(IoCheckedFile &file);
// The next line without its end (CR LF, CR or LF); empty at the end.
std::string ReadTextLine(IoCheckedFile &file);
// Writes text and CR LF.
void WriteTextLine(IoCheckedFile &file, std::string_view text);
// Opens an existing regular file for raw reading.
void OpenBlockFile(IoCheckedFile &file, std::size_t recordSize);
// Reads up to count records; returns the whole records read.
std::size_t ReadBlock(IoCheckedFile &file, char *buffer, std::size_t count);
bool BlockFileAtEnd(IoCheckedFile &file);
void CloseIoFile(IoCheckedFile &file);

} // namespace runtime
