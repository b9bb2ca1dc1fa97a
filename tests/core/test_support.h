#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Each test runs in a fresh temporary directory that is also the current
// directory; the previous current directory comes back afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::string &dir() const { return dir_; }
    std::string path(const std::string &name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
    std::string previous_;
};

void writeFile(const std::string &path, const std::string &bytes);
std::string readFile(const std::string &path);
void makeDirectory(const std::string &path);

// A map file of `size` filler bytes (never CR) with `text` placed at `offset`.
std::string mapBytes(std::size_t size, std::size_t offset = 0, const std::string &text = "");

// Entries of a directory, sorted, "." and ".." left out.
std::vector<std::string> directoryEntries(const std::string &path);

// Runs body in a child process, as the user "nobody" when we are root, so
// permissions apply; returns body's result (0 for a pass), or Skipped when
// there is no such user to switch to.
inline constexpr int Skipped = 77;
int runUnprivileged(const std::function<int()> &body);

} // namespace testing_support
