#include "runtime/byte_strings.h"
#include "runtime/directory_match.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"
#include "test_support.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <utime.h>

using namespace runtime;
using testing_support::makeDirectory;
using testing_support::writeFile;

namespace {

class DirectoryTest : public testing_support::TempDirTest {};

std::vector<std::string> matches(const std::string &pattern, std::uint32_t mask = FileAttribute::Any)
{
    std::vector<std::string> names;
    MatchRecord record;
    for (auto code = FindFirstMatch(pattern, mask, record); code == 0; code = FindNextMatch(record))
        names.push_back(record.Name);
    EndMatchSearch(record);
    return names;
}

} // namespace

TEST_F(DirectoryTest, ListsMatchesInNameOrderWithoutRegardToCase)
{
    for (const char *name : {"zeta.fcw", "Alpha.FCW", "beta.fcw", "notes.txt", ".hidden.fcw", "x.fcwx"})
        writeFile(path(name), "x");
    makeDirectory(path("old.fcw"));
    EXPECT_EQ(matches("*.fcw"), (std::vector<std::string>{".hidden.fcw", "Alpha.FCW", "beta.fcw", "old.fcw", "zeta.fcw"}));
    EXPECT_EQ(matches("*.fcw", FileAttribute::ReadOnly | FileAttribute::Archive),
              (std::vector<std::string>{"Alpha.FCW", "beta.fcw", "zeta.fcw"}))
        << "hidden entries and directories can be excluded";
    EXPECT_EQ(matches(dir() + "/*.txt"), std::vector<std::string>{"notes.txt"});
}

TEST_F(DirectoryTest, ManyMatchesComeInTheOrderOfNames)
{
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i)
        writeFile(path(names.emplace_back(std::string(1 + i % 19, "aAbB_~0"[i % 7]) + std::to_string(i) + ".f")), "");
    std::sort(names.begin(), names.end(), NameSortsBefore);
    EXPECT_EQ(matches("*.f"), names);
    TypedListing listing; // the packed listing a scan uses
    ASSERT_EQ(ListMatchTypes(AT_FDCWD, "*.f", listing), 0);
    std::vector<std::string> listed;
    for (std::size_t i = 0; i < listing.size(); ++i)
        listed.emplace_back(listing.name(i));
    EXPECT_EQ(listed, names);
}

TEST_F(DirectoryTest, NoMatchReturnsFileNotFoundAndKeepsTheRecord)
{
    MatchRecord record;
    record.Name = "earlier";
    EXPECT_EQ(FindFirstMatch("*.fcw", FileAttribute::Any, record), 2);
    EXPECT_EQ(record.Name, "earlier");
    EXPECT_EQ(FindNextMatch(record), NoMoreFiles);
    EXPECT_EQ(FindFirstMatch(path("missing-dir/*.fcw"), FileAttribute::Any, record), 2);
}

TEST_F(DirectoryTest, FirstMatchIsFileLooksAtTheFirstEntryOnly)
{
    EXPECT_FALSE(FirstMatchIsFile("*.fcw"));
    makeDirectory(path("a.fcw"));
    writeFile(path("b.fcw"), "x");
    EXPECT_FALSE(FirstMatchIsFile("*.fcw")) << "the first match is a directory";
    writeFile(path("0.fcw"), "x");
    EXPECT_TRUE(FirstMatchIsFile("*.fcw"));
}

TEST_F(DirectoryTest, FirstMatchIsFileIgnoresTimeStamps)
{
    writeFile(path("ancient.fcw"), "x");
    struct utimbuf times {0, 0}; // 1970, before any packed date could hold it
    ASSERT_EQ(::utime(path("ancient.fcw").c_str(), &times), 0);
    EXPECT_TRUE(FirstMatchIsFile("*.fcw"));
    EXPECT_TRUE(FirstMatchIsFile(path("ancient.fcw")));
}

TEST_F(DirectoryTest, ExistenceOfAPlainName)
{
    writeFile(path("lister.txt"), "");
    EXPECT_TRUE(FirstMatchIsFile(path("lister.txt")));
    EXPECT_FALSE(FirstMatchIsFile(path("other.txt")));
    makeDirectory(path("folder"));
    EXPECT_FALSE(FirstMatchIsFile(path("folder")));
}

TEST_F(DirectoryTest, WorkingDirectoryChangesAreChecked)
{
    makeDirectory(path("sub"));
    SetWorkingDirectory(path("sub"));
    CheckIo();
    EXPECT_EQ(GetWorkingDirectory(), path("sub"));
    const auto codeFor = [](const std::string &target) {
        SetWorkingDirectory(target);
        try {
            CheckIo();
        } catch (const EInOutError &error) {
            return error.code();
        }
        return 0;
    };
    EXPECT_EQ(codeFor(path("missing")), 2);
    EXPECT_EQ(codeFor(path("missing/deeper")), 3);
    EXPECT_EQ(codeFor(path("missing/")), 2) << "a trailing separator names the same directory";
    EXPECT_EQ(codeFor(""), 3);
    writeFile(path("file"), "x");
    EXPECT_EQ(codeFor(path("file")), 3);
    EXPECT_EQ(GetWorkingDirectory(), path("sub")) << "a failed change leaves the directory";
}
