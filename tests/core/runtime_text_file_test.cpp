#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "test_support.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace runtime;
using testing_support::readFile;
using testing_support::writeFile;
using namespace std::string_literals;

namespace {

class TextFileTest : public testing_support::TempDirTest {};

std::vector<std::string> readLines(const std::string &path, int count)
{
    IoCheckedFile file;
    BindPath(file, path);
    OpenTextRead(file);
    CheckIo();
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        lines.push_back(ReadTextLine(file));
        CheckIo();
    }
    CloseIoFile(file);
    CheckIo();
    return lines;
}

int codeOf(const std::function<void()> &statement)
{
    try {
        statement();
        CheckIo();
    } catch (const EInOutError &error) {
        return error.code();
    }
    return 0;
}

struct LineCase {
    const char *name;
    std::string bytes;
    std::vector<std::string> lines;
};

} // namespace

TEST_F(TextFileTest, LineEndsCtrlZAndLongLines)
{
    const std::vector<LineCase> cases = {
        {"CR LF", "a\r\nb\r\n", {"a", "b", "", ""}},
        {"lone CR", "a\rb", {"a", "b", ""}},
        {"lone LF ends a line too", "a\nb\r\n", {"a", "b", ""}},
        {"LF then CR", "a\n\rb", {"a", "", "b"}},
        {"Ctrl-Z ends the text for good", "a\x1a" "b\r\nc\r\n", {"a", "", "", ""}},
        {"empty file", "", {"", "", ""}},
        {"300-byte line", std::string(300, 'q') + "\r\n", {std::string(300, 'q'), ""}},
        {"NUL is an ordinary byte", "a\0b\r\n"s, {"a\0b"s, ""}},
        {"CR LF across a buffer refill", std::string(4095, 'z') + "\r\nnext", {std::string(4095, 'z'), "next", ""}},
    };
    for (const auto &test : cases) {
        writeFile(path("t.txt"), test.bytes);
        EXPECT_EQ(readLines(path("t.txt"), static_cast<int>(test.lines.size())), test.lines) << test.name;
    }
}

TEST_F(TextFileTest, WritingLinesEndsEachWithCrLf)
{
    IoCheckedFile file;
    BindPath(file, path("out.txt"));
    CreateTextWrite(file);
    CheckIo();
    WriteTextLine(file, "");
    WriteTextLine(file, "a\0b"s);
    WriteTextLine(file, std::string(10000, 'w'));
    CloseIoFile(file);
    CheckIo();
    EXPECT_EQ(readFile(path("out.txt")), "\r\na\0b\r\n"s + std::string(10000, 'w') + "\r\n");
}

TEST_F(TextFileTest, OpenFailuresCarryTheTableCodes)
{
    IoCheckedFile file;
    BindPath(file, path("missing.txt"));
    EXPECT_EQ(codeOf([&] { OpenTextRead(file); }), 2);
    BindPath(file, path("no-dir/missing.txt"));
    EXPECT_EQ(codeOf([&] { OpenTextRead(file); }), 3);
    writeFile(path("plain"), "x");
    BindPath(file, path("plain/missing.txt"));
    EXPECT_EQ(codeOf([&] { OpenTextRead(file); }), 3) << "a file used as a directory";
    testing_support::makeDirectory(path("folder"));
    BindPath(file, path("folder"));
    EXPECT_EQ(codeOf([&] { OpenTextRead(file); }), 5);
    BindPath(file, path("folder"));
    EXPECT_EQ(codeOf([&] { CreateTextWrite(file); }), 5);
    BindPath(file, path("no-dir/new.txt"));
    EXPECT_EQ(codeOf([&] { CreateTextWrite(file); }), 3);
}

TEST_F(TextFileTest, MisuseRecordsTheLayersOwnCodes)
{
    IoCheckedFile unbound;
    EXPECT_EQ(codeOf([&] { OpenTextRead(unbound); }), 102);
    IoCheckedFile file;
    BindPath(file, path("t.txt"));
    EXPECT_EQ(codeOf([&] { CloseIoFile(file); }), 103);
    EXPECT_EQ(codeOf([&] { ReadTextLine(file); }), 104);
    EXPECT_EQ(codeOf([&] { WriteTextLine(file, "x"); }), 103);
    writeFile(path("t.txt"), "x\r\n");
    OpenTextRead(file);
    CheckIo();
    EXPECT_EQ(codeOf([&] { WriteTextLine(file, "x"); }), 105);
    CloseIoFile(file);
    CheckIo();
    EXPECT_EQ(codeOf([&] { CloseIoFile(file); }), 103);
    try {
        CloseIoFile(file);
        CheckIo();
        FAIL() << "closing a closed file raised nothing";
    } catch (const EInOutError &error) {
        EXPECT_EQ(ReportText(error.what()), "I/O error 103.");
    }
}

TEST_F(TextFileTest, AnUnfinishedWriteLeavesTheOldFileAndNoTemporary)
{
    writeFile(path("list.txt"), "old contents\r\n");
    {
        IoCheckedFile file;
        BindPath(file, path("list.txt"));
        CreateTextWrite(file);
        CheckIo();
        WriteTextLine(file, std::string(100000, 'n'));
        CheckIo();
        // Leaving the scope without CloseIoFile, as an error would.
    }
    EXPECT_EQ(readFile(path("list.txt")), "old contents\r\n");
    EXPECT_EQ(testing_support::directoryEntries(dir()), std::vector<std::string>{"list.txt"});
}

TEST_F(TextFileTest, ReplacingKeepsPermissionsAndWritesThroughLinks)
{
    writeFile(path("real.txt"), "old\r\n");
    ::chmod(path("real.txt").c_str(), 0640);
    ASSERT_EQ(::symlink("real.txt", path("link.txt").c_str()), 0);
    IoCheckedFile file;
    BindPath(file, path("link.txt"));
    CreateTextWrite(file);
    WriteTextLine(file, "new");
    CloseIoFile(file);
    CheckIo();
    struct stat info {};
    ASSERT_EQ(::lstat(path("link.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    EXPECT_EQ(readFile(path("real.txt")), "new\r\n");
    ASSERT_EQ(::stat(path("real.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(TextFileTest, ALoopOfLinksIsReportedNotReplaced)
{
    ASSERT_EQ(::symlink("loop2", path("loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", path("loop2").c_str()), 0);
    IoCheckedFile file;
    BindPath(file, path("loop1"));
    EXPECT_NE(codeOf([&] { CreateTextWrite(file); }), 0);
    struct stat info {};
    ASSERT_EQ(::lstat(path("loop1").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(TextFileTest, ANameNearTheLengthLimitCanBeReplaced)
{
    const std::string name = std::string(250, 'n') + ".txt";
    writeFile(path(name), "old");
    IoCheckedFile file;
    BindPath(file, path(name));
    CreateTextWrite(file);
    WriteTextLine(file, "new");
    CloseIoFile(file);
    CheckIo();
    EXPECT_EQ(readFile(path(name)), "new\r\n");
}

TEST_F(TextFileTest, AFullDeviceReportsDiskFull)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full here";
    IoCheckedFile file;
    BindPath(file, "/dev/full");
    CreateTextWrite(file);
    CheckIo();
    WriteTextLine(file, "x");
    CheckIo(); // still buffered
    EXPECT_EQ(codeOf([&] { CloseIoFile(file); }), 101);
}

TEST_F(TextFileTest, AnOverlongLineStopsTheReadAtOnce)
{
    // A sparse gigabyte of NULs: read in full it would cost a gigabyte.
    writeFile(path("lister.txt"), "");
    ASSERT_EQ(::truncate(path("lister.txt").c_str(), 1L << 30), 0);
    writeFile(path("long.txt"), std::string(MaxTextLineLength, 'p') + "\r\n" + std::string(MaxTextLineLength + 1, 'q'));
    for (const char *name : {"lister.txt", "long.txt"}) {
        IoCheckedFile file;
        BindPath(file, path(name));
        OpenTextRead(file);
        CheckIo();
        const bool sparse = std::string(name) == "lister.txt";
        if (!sparse) {
            EXPECT_EQ(ReadTextLine(file).size(), MaxTextLineLength) << "a line of the greatest length reads whole";
            CheckIo();
        }
        EXPECT_EQ(codeOf([&] { ReadTextLine(file); }), 206) << name;
    }
}
