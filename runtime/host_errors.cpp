#include "host_errors.h"

#include "byte_strings.h"
#include "io_error.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace runtime {
namespace {

// Whether the directory that would hold path's last component exists.
bool parentDirectoryExists(std::string path, int relativeTo)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back(); // "dir/missing/" names "missing" in "dir"
    const std::string parent = SplitPath(path).folder;
    if (parent.empty())
        return true; // relative to the current directory
    struct stat info {};
    return ::fstatat(relativeTo, parent.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::int32_t CodeForHostError(int hostErrno, const std::string &path, int relativeTo)
{
    switch (hostErrno) {
    case ENOENT:
        if (path.empty())
            return IoCode::PathNotFound;
        return parentDirectoryExists(path, relativeTo) ? IoCode::FileNotFound : IoCode::PathNotFound;
    case ENOTDIR:
        return IoCode::PathNotFound;
    case EMFILE:
    case ENFILE:
        return IoCode::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
        return IoCode::AccessDenied;
    case ENOSPC:
    case EDQUOT:
        return IoCode::DiskFull;
    // Conditions outside the table keep a fixed code each, shown as "I/O error N".
    case EROFS:
        return IoCode::WriteProtected;
    case ENXIO:
    case ENODEV:
        return IoCode::NotReady;
    case EBUSY:
    case ETXTBSY:
        return IoCode::SharingViolation;
    case EEXIST:
        return IoCode::FileExists;
    case EINVAL:
        return IoCode::InvalidParameter;
    case ENAMETOOLONG:
        return IoCode::NameTooLong;
    case ELOOP:
        return IoCode::CannotResolveName;
    case EIO:
        return IoCode::DeviceIoFailure;
    case ENOMEM:
        return IoCode::NotEnoughMemory;
    case EFBIG:
        return IoCode::FileTooLarge;
    default:
        return IoCode::HostErrorBase + hostErrno;
    }
}

std::string HostErrorText(int hostErrno)
{
    // The untranslated text, whatever the locale, and safe on any thread.
    const char *text = ::strerrordesc_np(hostErrno);
    return text ? std::string(text) : std::string();
}

void RecordHostError(int hostErrno, const std::string &path, int relativeTo)
{
    RecordIoCode(CodeForHostError(hostErrno, path, relativeTo), path, hostErrno);
}

} // namespace runtime
