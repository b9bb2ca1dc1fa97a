#include "working_directory.h"

#include "directory_handle.h"
#include "host_errors.h"

#include <cerrno>
#include <climits>
#include <memory>
#include <unistd.h>

namespace runtime {

void SetWorkingDirectory(const std::string &path)
{
    if (path.find('\0') != std::string::npos) {
        RecordHostError(EINVAL, path);
        return;
    }
    if (::chdir(path.c_str()) != 0)
        RecordHostError(errno, path);
}

void SetWorkingDirectory(const std::string &path, int relativeTo)
{
    if (relativeTo == AT_FDCWD || path.starts_with('/') || path.find('\0') != std::string::npos) {
        SetWorkingDirectory(path);
        return;
    }
    const DirectoryHandle folder = DirectoryHandle::Open(path, relativeTo);
    if (folder.valid() && ::fchdir(folder.fd()) != 0)
        RecordHostError(errno, path, relativeTo);
}

std::string GetWorkingDirectory()
{
    // getcwd with a null buffer allocates one as long as needed.
    std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    // A directory removed meanwhile has no path any more; "." still names it,
    // so whatever is built on it fails there instead of landing in "/".
    return cwd ? std::string(cwd.get()) : std::string(".");
}

} // namespace runtime
