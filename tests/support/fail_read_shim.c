/* Preloaded into a test to make reads and syncs of chosen files fail.
 * FAIL_READ_MATCH: a part of the path of the files whose reads fail;
 * FAIL_READ_AFTER: the offset from which they fail with EIO (a read that
 * spans it comes back short); FAIL_FSYNC_MATCH: a part of the path of the
 * files whose fsync fails with EIO. Unset variables change nothing. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static int names(int fd, const char *variable)
{
    const char *wanted = getenv(variable);
    if (!wanted || !*wanted)
        return 0;
    char link[64];
    char target[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length < 0)
        return 0;
    target[length] = '\0';
    return strstr(target, wanted) != NULL;
}

/* -1 when a read at offset must fail; otherwise 0, with count cut short. */
static int clip(int fd, off_t offset, size_t *count)
{
    if (offset < 0 || !names(fd, "FAIL_READ_MATCH"))
        return 0;
    const char *after = getenv("FAIL_READ_AFTER");
    const off_t limit = after ? (off_t)atoll(after) : 0;
    if (offset >= limit) {
        errno = EIO;
        return -1;
    }
    if ((off_t)*count > limit - offset)
        *count = (size_t)(limit - offset);
    return 0;
}

ssize_t read(int fd, void *buffer, size_t count)
{
    static ssize_t (*real)(int, void *, size_t);
    if (!real)
        real = (ssize_t(*)(int, void *, size_t))dlsym(RTLD_NEXT, "read");
    if (clip(fd, lseek(fd, 0, SEEK_CUR), &count) < 0)
        return -1;
    return real(fd, buffer, count);
}

ssize_t pread(int fd, void *buffer, size_t count, off_t offset)
{
    static ssize_t (*real)(int, void *, size_t, off_t);
    if (!real)
        real = (ssize_t(*)(int, void *, size_t, off_t))dlsym(RTLD_NEXT, "pread");
    if (clip(fd, offset, &count) < 0)
        return -1;
    return real(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void *buffer, size_t count, off_t offset)
{
    static ssize_t (*real)(int, void *, size_t, off_t);
    if (!real)
        real = (ssize_t(*)(int, void *, size_t, off_t))dlsym(RTLD_NEXT, "pread64");
    if (clip(fd, offset, &count) < 0)
        return -1;
    return real(fd, buffer, count, offset);
}

int fsync(int fd)
{
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    if (names(fd, "FAIL_FSYNC_MATCH")) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}
