#include "temporary_cleanup.h"

#include "directory_match.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace runtime {
namespace {

constexpr std::time_t StaleAfterSeconds = 60;

struct Slot {
    std::atomic<int> directoryFd{-1}; // -1: free; -2: being filled
    char name[32] = {};
};
std::array<Slot, 32> slots;

void removeAndDie(int signalNumber)
{
    for (Slot &slot : slots) {
        const int fd = slot.directoryFd.load();
        if (fd >= 0)
            ::unlinkat(fd, slot.name, 0);
    }
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void installHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            struct sigaction current {};
            if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
                continue; // someone else handles it
            struct sigaction action {};
            action.sa_handler = removeAndDie;
            ::sigemptyset(&action.sa_mask);
            action.sa_flags = static_cast<int>(SA_RESETHAND);
            ::sigaction(signalNumber, &action, nullptr);
        }
    });
}

} // namespace

int RegisterTemporary(int directoryFd, const char *name)
{
    installHandlers();
    if (std::strlen(name) >= sizeof slots[0].name)
        return -1;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        int expected = -1;
        if (slots[i].directoryFd.compare_exchange_strong(expected, -2)) {
            std::strcpy(slots[i].name, name);
            slots[i].directoryFd.store(directoryFd);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void UnregisterTemporary(int slot)
{
    if (slot >= 0 && static_cast<std::size_t>(slot) < slots.size())
        slots[static_cast<std::size_t>(slot)].directoryFd.store(-1);
}

void RemoveStaleTemporaries(int directoryFd)
{
    std::vector<MatchRecord::Entry> entries;
    if (ListMatches(directoryFd, std::string(TemporaryPrefix) + "??????", entries) != 0)
        return;
    const std::time_t now = std::time(nullptr);
    for (const auto &entry : entries) {
        if (entry.name.compare(0, std::strlen(TemporaryPrefix), TemporaryPrefix) != 0
            || entry.writeTime > now - StaleAfterSeconds)
            continue;
        const int fd = ::openat(directoryFd, entry.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        // A writer holds its lock until the temporary is renamed or removed.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(directoryFd, entry.name.c_str(), 0);
        ::close(fd);
    }
}

} // namespace runtime
