#include "process_launch.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace runtime {
namespace {

// The viewer gets a session of its own, default signal handling, and
// /dev/null for its standard streams: it must not hold our terminal or our
// caller's pipes open.
struct SpawnSetup {
    SpawnSetup()
    {
        error = ::posix_spawn_file_actions_init(&actions);
        if (error == 0)
            error = ::posix_spawnattr_init(&attributes);
        for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
            const int flags = fd == STDIN_FILENO ? O_RDONLY : O_WRONLY;
            if (error == 0)
                error = ::posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", flags, 0);
        }
        sigset_t none, all;
        ::sigemptyset(&none);
        ::sigfillset(&all);
        if (error == 0)
            error = ::posix_spawnattr_setsigmask(&attributes, &none);
        if (error == 0)
            error = ::posix_spawnattr_setsigdefault(&attributes, &all);
        if (error == 0)
            error = ::posix_spawnattr_setflags(&attributes,
                                               POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup()
    {
        ::posix_spawn_file_actions_destroy(&actions);
        ::posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup &) = delete;
    SpawnSetup &operator=(const SpawnSetup &) = delete;

    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
    int error = 0;
};

} // namespace
std::optional<std::string> FindOnPath(const std::string &name)
{
    const char *path = std::getenv("PATH");
    if (name.empty() || name.find('/') != std::string::npos || !path)
        return std::nullopt;
    const std::string directories = path;
    std::size_t start = 0;
    while (start <= directories.size()) {
        std::size_t end = directories.find(':', start);
        if (end == std::string::npos)
            end = directories.size();
        const std::string dir = directories.substr(start, end - start);
        start = end + 1;
        // An empty or relative entry names the current directory, the maps
        // folder: a program there must never run in the viewer's place.
        if (dir.empty() || dir.front() != '/')
            continue;
        const std::string candidate = dir + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

Launched LaunchDetached(const std::string &requested, const std::vector<std::string> &arguments)
{
    if (requested.empty())
        return {-1, ENOENT};
    std::string program = requested;
    if (program.find('/') == std::string::npos) {
        const auto found = FindOnPath(program);
        if (!found)
            return {-1, ENOENT};
        program = *found;
    }
    std::vector<std::string> argvStrings;
    argvStrings.reserve(arguments.size() + 1);
    argvStrings.push_back(program);
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    argv.reserve(argvStrings.size() + 1);
    for (auto &argument : argvStrings)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    if (setup.error != 0)
        return {-1, setup.error};
    pid_t pid = -1;
    // posix_spawn reports a failed exec itself, through no descriptor of ours,
    // and needs no fork of a threaded process.
    const int error = ::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    if (error != 0)
        return {-1, error};
    return {pid, 0};
}

void ReapInBackground(pid_t pid)
{
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }).detach();
}

} // namespace runtime
