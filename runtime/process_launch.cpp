#include "process_launch.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace runtime {
namespace {

class Pipe final {
public:
    Pipe() { ok_ = ::pipe2(fds_, O_CLOEXEC) == 0; }
    ~Pipe() { closeRead(); closeWrite(); }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;
    bool ok() const { return ok_; }
    int readEnd() const { return fds_[0]; }
    int writeEnd() const { return fds_[1]; }
    void closeRead() { closeFd(fds_[0]); }
    void closeWrite() { closeFd(fds_[1]); }

private:
    static void closeFd(int &fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    int fds_[2] = {-1, -1};
    bool ok_ = false;
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
        const std::string dir = end == start ? std::string(".") : directories.substr(start, end - start);
        const std::string candidate = dir + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

bool LaunchDetached(const std::string &requested, const std::vector<std::string> &arguments)
{
    if (requested.empty())
        return false;
    std::string program = requested;
    if (program.find('/') == std::string::npos) {
        const auto found = FindOnPath(program);
        if (!found)
            return false;
        program = *found;
    }
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls are allowed.
    std::vector<std::string> argvStrings;
    argvStrings.reserve(arguments.size() + 1);
    argvStrings.push_back(program);
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (auto &argument : argvStrings)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful
    // exec closes it (close-on-exec) and the parent reads end-of-file.
    Pipe status;
    if (!status.ok())
        return false;
    // The viewer must not hold our terminal or our caller's pipes open.
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0)
        return false;

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(devNull);
        return false;
    }
    if (child == 0) {
        // Intermediate child: start the viewer in a new session and leave at
        // once, so the viewer is adopted by init and never becomes a zombie.
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            sigset_t none;
            ::sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            ::dup2(devNull, STDIN_FILENO);
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
            ::execv(program.c_str(), argv.data());
            const int error = errno;
            [[maybe_unused]] auto written = ::write(status.writeEnd(), &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(devNull);
    status.closeWrite();
    int childStatus = 0;
    while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0)
        return false;
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(status.readEnd(), &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    return got == 0;
}

} // namespace runtime
