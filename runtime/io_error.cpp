#include "io_error.h"

#include "byte_strings.h"

namespace runtime {
namespace {

struct Pending {
    std::int32_t code = 0;
    std::string path;
};

Pending &pending()
{
    thread_local Pending state;
    return state;
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

void RecordIoCode(std::int32_t code, const std::string &path)
{
    pending() = {code, path};
}

SavedIoCode::SavedIoCode() : code_(pending().code), path_(pending().path) {}

SavedIoCode::~SavedIoCode()
{
    pending() = {code_, std::move(path_)};
}

std::string IoMessageTable(std::int32_t code)
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
        return "I/O error " + FormatInt(code);
    }
}

void CheckIo()
{
    Pending taken = std::move(pending());
    pending() = {};
    if (taken.code == 0)
        return;
    throw EInOutError(IoMessageTable(taken.code), taken.code, std::move(taken.path));
}

std::string ReportText(const std::string &message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

} // namespace runtime
