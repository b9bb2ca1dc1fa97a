#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "test_support.h"

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace runtime;
using testing_support::mapBytes;
using testing_support::writeFile;

namespace {

class BlockFileTest : public testing_support::TempDirTest {};

// The sizes and bytes of a file's reads to its end, with its first `kept`
// bytes read ahead and kept (KeepStart) when that is not 0.
std::pair<std::vector<std::size_t>, std::string> readsOf(const std::string &path, std::uint64_t kept)
{
    IoCheckedFile file;
    BindPath(file, path);
    OpenBlockFile(file, 1);
    CheckIo();
    KeepStart(file, kept);
    std::vector<std::size_t> sizes;
    std::string bytes;
    std::vector<char> buffer(2048);
    while (!BlockFileAtEnd(file)) {
        CheckIo();
        sizes.push_back(ReadBlock(file, buffer.data(), buffer.size()));
        CheckIo();
        bytes.append(buffer.data(), sizes.back());
    }
    CloseIoFile(file);
    CheckIo();
    return {sizes, bytes};
}

std::vector<std::size_t> blockSizes(const std::string &path)
{
    return readsOf(path, 0).first;
}

int openCode(const std::string &path)
{
    IoCheckedFile file;
    BindPath(file, path);
    OpenBlockFile(file, 1);
    try {
        CheckIo();
    } catch (const EInOutError &error) {
        return error.code();
    }
    return 0;
}

} // namespace

TEST_F(BlockFileTest, ReadsWholeBlocksThenTheRest)
{
    writeFile(path("a"), mapBytes(5000));
    EXPECT_EQ(blockSizes(path("a")), (std::vector<std::size_t>{2048, 2048, 904}));
    writeFile(path("b"), mapBytes(4096));
    EXPECT_EQ(blockSizes(path("b")), (std::vector<std::size_t>{2048, 2048})) << "no read of 0 bytes at the end";
    writeFile(path("c"), "");
    EXPECT_EQ(blockSizes(path("c")), std::vector<std::size_t>{0}) << "a size of 0 proves nothing: one read does";
}

// Files whose size reads 0 but hold bytes (under /proc, on some shares) are
// read to the end the reads find, however many reads that takes.
TEST_F(BlockFileTest, AFileWhoseSizeReadsZeroIsReadToItsEnd)
{
    std::ifstream expected("/proc/version", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(expected), {}};
    struct stat info {};
    if (bytes.size() < 32 || ::stat("/proc/version", &info) != 0 || info.st_size != 0)
        GTEST_SKIP() << "no /proc/version of size 0 holding bytes";
    ASSERT_EQ(::symlink("/proc/version", path("Proc.fcw").c_str()), 0);
    IoCheckedFile file;
    BindPath(file, path("Proc.fcw"));
    OpenBlockFile(file, 1);
    CheckIo();
    std::string read;
    char block[16];
    while (!BlockFileAtEnd(file) && read.size() <= bytes.size()) {
        read.append(block, ReadBlock(file, block, sizeof block));
        CheckIo();
    }
    EXPECT_EQ(read, bytes);
}

// Kept bytes are read as the file's own, then the reads go on where they end;
// a file kept whole is at its end without another read.
TEST_F(BlockFileTest, BytesKeptAheadAreReadAsTheFileItself)
{
    const std::string bytes = mapBytes(5000);
    writeFile(path("a"), bytes);
    for (const std::uint64_t kept : {1u, 2048u, 3000u, 4999u, 5000u, 5001u, 1u << 20}) {
        const auto [sizes, read] = readsOf(path("a"), kept);
        EXPECT_EQ(sizes, (std::vector<std::size_t>{2048, 2048, 904})) << kept;
        EXPECT_TRUE(read == bytes) << kept;
    }
    IoCheckedFile file;
    BindPath(file, path("a"));
    OpenBlockFile(file, 1);
    KeepStart(file, 1u << 20);
    writeFile(path("a"), bytes + "more"); // in place: the file's reads would find it
    std::vector<char> buffer(8192);
    EXPECT_EQ(ReadBlock(file, buffer.data(), buffer.size()), 5000u);
    EXPECT_TRUE(BlockFileAtEnd(file));
    EXPECT_EQ(PendingIoCode(), 0);
}

TEST_F(BlockFileTest, ReadOnlyMapsOpenAndOtherKindsAreRefused)
{
    writeFile(path("ro.fcw"), "Map Name: x\r");
    ::chmod(path("ro.fcw").c_str(), 0444);
    EXPECT_EQ(openCode(path("ro.fcw")), 0) << "map files are only ever read";

    testing_support::makeDirectory(path("old.fcw"));
    EXPECT_EQ(openCode(path("old.fcw")), 5);

    ASSERT_EQ(::mkfifo(path("pipe.fcw").c_str(), 0644), 0);
    EXPECT_EQ(openCode(path("pipe.fcw")), 5) << "a pipe must neither open nor block";

    EXPECT_EQ(openCode(path("missing.fcw")), 2);
    EXPECT_EQ(openCode(path("gone/missing.fcw")), 3);
    EXPECT_EQ(openCode("/dev/null"), 5);
}

TEST_F(BlockFileTest, FallsBackToANameThatDiffersOnlyInCase)
{
    writeFile(path("Castle.FCW"), "abc");
    EXPECT_EQ(openCode(path("Castle.fcw")), 0);
    EXPECT_EQ(openCode(path("castle.fcw")), 0);
    EXPECT_EQ(openCode(path("Castl.fcw")), 2);
}

TEST_F(BlockFileTest, ClosedFilesRecord103)
{
    IoCheckedFile file;
    BindPath(file, path("x"));
    std::vector<char> buffer(16);
    EXPECT_TRUE(BlockFileAtEnd(file));
    EXPECT_THROW(CheckIo(), EInOutError);
    EXPECT_EQ(ReadBlock(file, buffer.data(), buffer.size()), 0u);
    try {
        CheckIo();
        FAIL();
    } catch (const EInOutError &error) {
        EXPECT_EQ(error.code(), 103);
    }
}

TEST_F(BlockFileTest, AFileThatShrinksWhileReadEndsInsteadOfLooping)
{
    writeFile(path("m"), mapBytes(10000));
    IoCheckedFile file;
    BindPath(file, path("m"));
    OpenBlockFile(file, 1);
    CheckIo();
    ASSERT_EQ(::truncate(path("m").c_str(), 3000), 0);
    std::vector<char> buffer(2048);
    int reads = 0;
    while (!BlockFileAtEnd(file) && reads < 10) {
        ReadBlock(file, buffer.data(), buffer.size());
        CheckIo();
        ++reads;
    }
    EXPECT_LE(reads, 3);
}

// The probe that decides whether reads ahead are worth asking for: it tells a
// file in memory from one that is not, and leaves the reading as it was.
TEST_F(BlockFileTest, StartIsInMemoryTellsCachedFromDroppedAndMovesNothing)
{
    const std::string bytes = mapBytes(20000);
    writeFile(path("warm"), bytes);
    writeFile(path("empty"), "");
    IoCheckedFile warm, empty, closed;
    BindPath(warm, path("warm"));
    BindPath(empty, path("empty"));
    OpenBlockFile(warm, 1);
    OpenBlockFile(empty, 1);
    EXPECT_TRUE(StartIsInMemory(warm) && StartIsInMemory(empty) && !StartIsInMemory(closed));
    std::string read(bytes.size(), '\0');
    EXPECT_EQ(ReadBlock(warm, read.data(), read.size()), bytes.size());
    EXPECT_EQ(read, bytes) << "the probe moved the file's position";

    // Clean pages, dropped: a hint left undone while, say, the journal holds a
    // page. mincore looks without reading; the probe's read of a page not in
    // memory asks the system to read ahead.
    const int fd = ::open(path("warm").c_str(), O_RDONLY);
    void *pages = ::mmap(nullptr, bytes.size(), PROT_READ, MAP_SHARED, fd, 0);
    ASSERT_NE(pages, MAP_FAILED);
    const auto cachedWithin = [&](int waits) {
        unsigned char first = 0;
        for (int wait = 0; wait < waits && ::mincore(pages, 1, &first) == 0 && (first & 1) == 0; ++wait)
            ::usleep(10'000);
        return (first & 1) != 0;
    };
    bool dropped = false;
    for (int attempt = 0; attempt < 20 && !dropped; ++attempt) {
        ::usleep(static_cast<useconds_t>(10'000 * attempt));
        ASSERT_TRUE(::fsync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0);
        dropped = !cachedWithin(0);
    }
    EXPECT_TRUE(dropped);
    OpenBlockFile(warm, 1);
    // Reading ahead none of its bytes brings none in (the system takes a length of 0 for the whole file).
    StartReadingAhead(warm, 0);
    EXPECT_FALSE(cachedWithin(30));
    EXPECT_FALSE(StartIsInMemory(warm));
    ::munmap(pages, bytes.size());
    ::close(fd);
}
