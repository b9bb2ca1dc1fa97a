#include "io_error.h"

#include "byte_strings.h"

#include <optional>

namespace runtime {
namespace {

struct Pending {
    std::int32_t code = 0;
    std::string path;
    int hostError = 0;
};

Pending &pending()
{
    thread_local Pending state;
    return state;
}

std::optional<std::string> tableText(std::int32_t code)
{
    switch (code) {
    case IoCode::FileNotFound:
        return "File not found";
    case IoCode::PathNotFound:
        return "Invalid filename";
    case IoCode::TooManyOpenFiles:
        return "Too many open files";
    case IoCode::AccessDenied:
        return "File access denied";
    case IoCode::ReadBeyondEnd:
        return "Read beyond end of file";
    case IoCode::DiskFull:
        return "Disk full";
    case IoCode::InvalidNumericInput:
        return "Invalid numeric input";
    default:
        return std::nullopt;
    }
}

} // namespace

std::int32_t PendingIoCode()
{
    return pending().code;
}

void ClearIoCode()
{
    pending() = {};
}

void RecordIoCode(std::int32_t code)
{
    pending() = {code, {}};
}

void RecordIoCode(std::int32_t code, const std::string &path, int hostError)
{
    pending() = {code, path, hostError};
}

SavedIoCode::SavedIoCode() : code_(pending().code), path_(pending().path), hostError_(pending().hostError) {}

SavedIoCode::~SavedIoCode()
{
    pending() = {code_, std::move(path_), hostError_};
}

bool InMessageTable(std::int32_t code)
{
    return tableText(code).has_value();
}

std::string IoMessageTable(std::int32_t code)
{
    return tableText(code).value_or("I/O error " + FormatInt(code));
}

void CheckIo()
{
    Pending taken = std::move(pending());
    pending() = {};
    if (taken.code == 0)
        return;
    throw EInOutError(IoMessageTable(taken.code), taken.code, std::move(taken.path), taken.hostError);
}

std::string ReportText(const std::string &message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

} // namespace runtime
