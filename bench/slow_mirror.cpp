// A read-only mirror of a folder whose every request waits a set time first,
// as on a network share: bench/run's share rows read a collection through it.
// Requests from different threads overlap, as a share serves them.
//
//   slow-mirror SOURCE MOUNTPOINT MICROSECONDS [FUSE OPTIONS...]
//
// It stays in the foreground; unmount it with fusermount3 -u MOUNTPOINT (or
// umount as root) and it ends.
#define FUSE_USE_VERSION 314
#include <fuse.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

int sourceFd = -1;
timespec delay{};

void wait()
{
    timespec left = delay;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {}
}

// The path below the source: "." for the root.
std::string inSource(const char *path)
{
    while (*path == '/')
        ++path;
    return *path ? path : ".";
}

int getattrOp(const char *path, struct stat *info, fuse_file_info *file)
{
    wait();
    const int done = file ? fstat(static_cast<int>(file->fh), info)
                          : fstatat(sourceFd, inSource(path).c_str(), info, AT_SYMLINK_NOFOLLOW);
    return done == 0 ? 0 : -errno;
}

int readlinkOp(const char *path, char *buffer, size_t size)
{
    wait();
    const ssize_t n = readlinkat(sourceFd, inSource(path).c_str(), buffer, size - 1);
    if (n < 0)
        return -errno;
    buffer[n] = '\0';
    return 0;
}

int openOp(const char *path, fuse_file_info *file)
{
    wait();
    if ((file->flags & O_ACCMODE) != O_RDONLY)
        return -EROFS;
    const int fd = openat(sourceFd, inSource(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    file->fh = static_cast<uint64_t>(fd);
    return 0;
}

int readOp(const char *, char *buffer, size_t size, off_t offset, fuse_file_info *file)
{
    wait();
    const ssize_t n = pread(static_cast<int>(file->fh), buffer, size, offset);
    return n < 0 ? -errno : static_cast<int>(n);
}

int releaseOp(const char *, fuse_file_info *file)
{
    close(static_cast<int>(file->fh));
    return 0;
}

int statfsOp(const char *, struct statvfs *info)
{
    wait();
    return fstatvfs(sourceFd, info) == 0 ? 0 : -errno;
}

// The whole folder in one answer, with each entry's type.
int readdirOp(const char *path, void *buffer, fuse_fill_dir_t fill, off_t, fuse_file_info *, fuse_readdir_flags)
{
    wait();
    const int fd = openat(sourceFd, inSource(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return -errno;
    }
    while (const dirent *entry = readdir(dir)) {
        struct stat info {};
        info.st_ino = entry->d_ino;
        info.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buffer, entry->d_name, &info, 0, static_cast<fuse_fill_dir_flags>(0)) != 0)
            break;
    }
    closedir(dir);
    return 0;
}

void *initOp(fuse_conn_info *connection, fuse_config *config)
{
    // As many requests in the kernel's queue as the threads serve.
    connection->max_background = 256;
    connection->congestion_threshold = 192;
    config->use_ino = 1;
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: slow-mirror SOURCE MOUNTPOINT MICROSECONDS [FUSE OPTIONS...]\n");
        return 64;
    }
    sourceFd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (sourceFd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    const long micros = std::strtol(argv[3], nullptr, 10);
    delay.tv_sec = micros / 1000000;
    delay.tv_nsec = (micros % 1000000) * 1000;

    fuse_operations operations{};
    operations.getattr = getattrOp;
    operations.readlink = readlinkOp;
    operations.open = openOp;
    operations.read = readOp;
    operations.release = releaseOp;
    operations.statfs = statfsOp;
    operations.readdir = readdirOp;
    operations.init = initOp;

    // Foreground, read-only, and threads enough for every request at once.
    std::vector<char *> arguments{argv[0], argv[2]};
    std::string options = "-oro,default_permissions,fsname=slow-mirror,max_threads=256,max_idle_threads=256";
    std::vector<std::string> extra{"-f", options};
    for (int i = 4; i < argc; ++i)
        extra.emplace_back(argv[i]);
    for (std::string &word : extra)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    return fuse_main(static_cast<int>(arguments.size() - 1), arguments.data(), &operations, nullptr);
}
