#include "process_launch.h"

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
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

bool LaunchDetached(const std::string &program, const std::vector<std::string> &arguments)
{
    if (program.empty())
        return false;
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

    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Intermediate child: start the viewer in a new session and leave at
        // once, so the viewer is adopted by init and never becomes a zombie.
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            ::signal(SIGPIPE, SIG_DFL);
            ::execv(program.c_str(), argv.data());
            const int error = errno;
            [[maybe_unused]] auto written = ::write(status.writeEnd(), &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
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
