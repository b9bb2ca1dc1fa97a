#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace runtime {

// Base of every error the program raises; the message is a byte string.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string &message) : std::runtime_error(message) {}
};

// Raised by CheckIo when a file or directory operation recorded a code.
// path() is what the failed operation concerned; it may be empty.
// hostError() is the errno value behind the code, 0 for a code of our own.
class EInOutError final : public Exception {
public:
    EInOutError(const std::string &message, std::int32_t code, std::string path = {}, int hostError = 0)
        : Exception(message), code_(code), path_(std::move(path)), hostError_(hostError)
    {}
    std::int32_t code() const { return code_; }
    const std::string &path() const { return path_; }
    int hostError() const { return hostError_; }

private:
    std::int32_t code_;
    std::string path_;
    int hostError_;
};

// The codes the table knows, the layer's own, and the fixed codes that host
// conditions outside the table are given (shown as "I/O error N").
namespace IoCode {
inline constexpr std::int32_t FileNotFound = 2;
inline constexpr std::int32_t PathNotFound = 3;
inline constexpr std::int32_t TooManyOpenFiles = 4;
inline constexpr std::int32_t AccessDenied = 5;
inline constexpr std::int32_t NotEnoughMemory = 8;
inline constexpr std::int32_t NoMoreFiles = 18;
inline constexpr std::int32_t WriteProtected = 19;
inline constexpr std::int32_t NotReady = 21;
inline constexpr std::int32_t SharingViolation = 32;
inline constexpr std::int32_t FileExists = 80;
inline constexpr std::int32_t InvalidParameter = 87;
inline constexpr std::int32_t ReadBeyondEnd = 100;
inline constexpr std::int32_t DiskFull = 101;
inline constexpr std::int32_t NotBound = 102;
inline constexpr std::int32_t NotOpen = 103;
inline constexpr std::int32_t NotOpenForInput = 104;
inline constexpr std::int32_t NotOpenForOutput = 105;
inline constexpr std::int32_t InvalidNumericInput = 106;
inline constexpr std::int32_t NameTooLong = 206;
inline constexpr std::int32_t FileTooLarge = 223;
inline constexpr std::int32_t DeviceIoFailure = 1117;
inline constexpr std::int32_t CannotResolveName = 1921;
// Host errors without a code of their own: this base plus the errno value.
inline constexpr std::int32_t HostErrorBase = 10000;
} // namespace IoCode

// The pending code of the calling thread; 0 when nothing is pending.
std::int32_t PendingIoCode();

// Forgets the calling thread's pending code.
void ClearIoCode();

// Records a code for the next CheckIo; a later code overwrites an earlier one.
void RecordIoCode(std::int32_t code);
void RecordIoCode(std::int32_t code, const std::string &path, int hostError = 0);

// Raises EInOutError for the pending code and clears it; returns when nothing is pending.
void CheckIo();

// Keeps the calling thread's pending code across a scope: whatever the scope
// records is dropped and the earlier code comes back.
class SavedIoCode final {
public:
    SavedIoCode();
    ~SavedIoCode();
    SavedIoCode(const SavedIoCode &) = delete;
    SavedIoCode &operator=(const SavedIoCode &) = delete;

private:
    std::int32_t code_;
    std::string path_;
    int hostError_;
};

// Whether code has a row of its own in the table, rather than the fallback.
bool InMessageTable(std::int32_t code);

// "File not found" and friends; "I/O error N" for a code the table does not know.
std::string IoMessageTable(std::int32_t code);

// The text the error report shows: the message, plus a period when its last
// byte sorts after ".".
std::string ReportText(const std::string &message);

} // namespace runtime
