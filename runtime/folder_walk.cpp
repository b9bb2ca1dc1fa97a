#include "folder_walk.h"

#include "host_errors.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace runtime {
namespace {

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

class FdCloser {
public:
    explicit FdCloser(int fd) : fd_(fd) {}
    ~FdCloser()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FdCloser(const FdCloser &) = delete;
    FdCloser &operator=(const FdCloser &) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

using Identity = std::pair<dev_t, ino_t>;

std::string below(const std::string &path, const std::string &name)
{
    return path.empty() ? name : path + '/' + name;
}

EInOutError errorFor(int hostErrno, const std::string &path, const std::string &name, int parentFd)
{
    const std::int32_t code = CodeForHostError(hostErrno, name, parentFd);
    return EInOutError(IoMessageTable(code), code, path, hostErrno);
}

// The names of the real folders in folderFd (no links), in byte order;
// false with errno when it cannot be listed.
bool subfolders(int folderFd, std::vector<std::string> &names)
{
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent *item = ::readdir(dir.get());
        if (!item)
            break;
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        bool folder = item->d_type == DT_DIR;
        if (item->d_type == DT_UNKNOWN) {
            struct stat info {};
            folder =
                ::fstatat(::dirfd(dir.get()), item->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        }
        if (folder)
            names.push_back(name);
    }
    if (errno != 0)
        return false;
    std::sort(names.begin(), names.end());
    return true;
}

struct Walk {
    const std::function<void(const std::string &, int)> &visit;
    const std::function<void(const EInOutError &)> &failed;
    std::set<Identity> seen;

    void folder(int fd, const std::string &path)
    {
        if (struct stat info{}; ::fstat(fd, &info) == 0 && !seen.emplace(info.st_dev, info.st_ino).second)
            return;
        visit(path, fd);
        std::vector<std::string> names;
        if (!subfolders(fd, names)) {
            failed(errorFor(errno, path, ".", fd));
            return;
        }
        for (const std::string &name : names) {
            const std::string inner = below(path, name);
            int child;
            do {
                child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            } while (child < 0 && errno == EINTR);
            if (child < 0) {
                // Turned into a link or a file since it was listed: not a folder to walk.
                if (errno != ELOOP && errno != ENOTDIR && errno != ENOENT)
                    failed(errorFor(errno, inner, name, fd));
                continue;
            }
            const FdCloser held(child);
            folder(held.fd(), inner);
        }
    }
};

} // namespace

void WalkFolders(int dirFd, const std::function<void(const std::string &path, int folderFd)> &visit,
                 const std::function<void(const EInOutError &error)> &failed)
{
    Walk walk{visit, failed, {}};
    walk.folder(dirFd, {});
}

} // namespace runtime
