#include "test_support.h"

#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

void TempDirTest::SetUp()
{
    previous_ = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "map-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = std::filesystem::canonical(pattern).string();
    std::filesystem::current_path(dir_);
}

void TempDirTest::TearDown()
{
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir_, ignored);
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void makeDirectory(const std::string &path)
{
    std::filesystem::create_directories(path);
}

std::string mapBytes(std::size_t size, std::size_t offset, const std::string &text)
{
    std::string bytes(size, 'x');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>("abcdefgh\x01\x02\x7f\xfe"[i % 12]);
    if (!text.empty())
        bytes.replace(offset, text.size(), text);
    return bytes;
}

std::vector<std::string> directoryEntries(const std::string &path)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int runUnprivileged(const std::function<int()> &body)
{
    const passwd *nobody = ::getpwnam("nobody");
    if (::geteuid() == 0 && !nobody)
        return Skipped;
    const uid_t uid = nobody ? nobody->pw_uid : 0;
    const gid_t gid = nobody ? nobody->pw_gid : 0;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(Skipped);
        int result = 1;
        try {
            result = body();
        } catch (...) {
        }
        ::_exit(result); // never back into the test runner
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace testing_support
