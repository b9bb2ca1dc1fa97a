#include "io_error.h"

#include "byte_strings.h"

namespace runtime {

std::int32_t &PendingIoCode()
{
    thread_local std::int32_t code = 0;
    return code;
}

void RecordIoCode(std::int32_t code)
{
    PendingIoCode() = code;
}

std::string IoMessageTable(std::int32_t code)
{
    switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return "I/O error " + FormatInt(code);
    }
}

void CheckIo()
{
    const std::int32_t code = PendingIoCode();
    if (code == 0)
        return;
    PendingIoCode() = 0;
    throw EInOutError(IoMessageTable(code), code);
}

std::string ReportText(const std::string &message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

} // namespace runtime
