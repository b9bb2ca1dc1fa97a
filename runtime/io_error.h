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
class EInOutError final : public Exception {
public:
    EInOutError(const std::string &message, std::int32_t code) : Exception(message), code_(code) {}
    std::int32_t code() const { return code_; }

private:
    std::int32_t code_;
};

// Codes of our own, beyond those mapped from the host.
namespace IoCode {
inline constexpr std::int32_t FileNotFound = 2;
inline constexpr std::int32_t PathNotFound = 3;
inline constexpr std::int32_t TooManyOpenFiles = 4;
inline constexpr std::int32_t AccessDenied = 5;
inline constexpr std::int32_t ReadBeyondEnd = 100;
inline constexpr std::int32_t DiskFull = 101;
inline constexpr std::int32_t NotBound = 102;
inline constexpr std::int32_t NotOpen = 103;
inline constexpr std::int32_t NotOpenForInput = 104;
inline constexpr std::int32_t NotOpenForOutput = 105;
inline constexpr std::int32_t InvalidNumericInput = 106;
} // namespace IoCode

// The pending code of the calling thread; 0 when nothing is pending.
std::int32_t &PendingIoCode();

// Records a code for the next CheckIo; a later code overwrites an earlier one.
void RecordIoCode(std::int32_t code);

// Raises EInOutError for the pending code and clears it; returns when nothing is pending.
void CheckIo();

// "File not found" and friends; "I/O error N" for a code the table does not know.
std::string IoMessageTable(std::int32_t code);

// The text the error report shows: the message, plus a period when its last
// byte sorts after ".".
std::string ReportText(const std::string &message);

} // namespace runtime
