// How a list file takes its target's place: replaced whole, written in
// place, or written where a stream stands.
#include "catalogue/list_export.h"
#include "catalogue/vector_map_list.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "runtime/output_file.h"
#include "runtime/temporary_cleanup.h"
#include "test_support.h"

#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::readFile;
using testing_support::writeFile;

namespace {

class OutputFileTest : public testing_support::TempDirTest {
protected:
    static void writeList(const std::string &target)
    {
        catalogue::WriteListFile(target, catalogue::VectorMapList({"a", "b"}));
    }
    static int errorCode(const std::string &target)
    {
        try {
            writeList(target);
        } catch (const runtime::EInOutError &error) {
            return error.code();
        }
        return 0;
    }
    static ino_t inodeOf(const std::string &file)
    {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
    }
};

} // namespace

TEST_F(OutputFileTest, OurOwnDescriptorsAreWrittenWhereTheyStand)
{
    // As "{ echo header; export /dev/stdout; echo after; } >> report.txt" does.
    writeFile(path("report.txt"), "old\n");
    const int appended = ::open(path("report.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(appended, 0);
    ASSERT_EQ(::write(appended, "header\n", 7), 7);
    writeList("/proc/self/fd/" + std::to_string(appended));
    ASSERT_EQ(::write(appended, "after\n", 6), 6);
    ::close(appended);
    EXPECT_EQ(readFile(path("report.txt")), "old\nheader\na\r\nb\r\nafter\n");

    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    writeList("/dev/fd/" + std::to_string(pipeEnds[1]));
    ::close(pipeEnds[1]);
    char got[16] = {};
    EXPECT_EQ(::read(pipeEnds[0], got, sizeof got), 6);
    ::close(pipeEnds[0]);
    EXPECT_EQ(std::string(got), "a\r\nb\r\n");
}

TEST_F(OutputFileTest, AFileSharedByLinksIsWrittenInPlace)
{
    writeFile(path("list.txt"), "old\r\n");
    ASSERT_EQ(::link(path("list.txt").c_str(), path("other-name.txt").c_str()), 0);
    writeList(path("list.txt"));
    EXPECT_EQ(readFile(path("other-name.txt")), "a\r\nb\r\n") << "the links still share one file";
}

TEST_F(OutputFileTest, AReadOnlyTargetIsRefusedWhoeverWeAre)
{
    writeFile(path("old.txt"), "old\r\n");
    ::chmod(path("old.txt").c_str(), 0444);
    EXPECT_EQ(errorCode(path("old.txt")), 5);
    EXPECT_EQ(readFile(path("old.txt")), "old\r\n");
}

TEST_F(OutputFileTest, ReplacingKeepsTheOwnerOrWritesInPlace)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give files away";
    ::chmod(dir().c_str(), 0777);
    // Root can give the new version the old owner: replaced, owner kept.
    writeFile(path("theirs.txt"), "old\r\n");
    ASSERT_EQ(::chown(path("theirs.txt").c_str(), 65534, 65534), 0);
    writeList(path("theirs.txt"));
    struct stat info {};
    ASSERT_EQ(::stat(path("theirs.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(readFile(path("theirs.txt")), "a\r\nb\r\n");

    // Another user cannot give root's file back to root: written in place.
    writeFile(path("roots.txt"), "old\r\n");
    ::chmod(path("roots.txt").c_str(), 0666);
    const ino_t before = inodeOf(path("roots.txt"));
    const int code = testing_support::runUnprivileged([&] {
        writeList(path("roots.txt"));
        return 0;
    });
    if (code == testing_support::Skipped)
        GTEST_SKIP() << "no unprivileged user, or no seccomp filter";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(inodeOf(path("roots.txt")), before);
    ASSERT_EQ(::stat(path("roots.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(readFile(path("roots.txt")), "a\r\nb\r\n");
    EXPECT_EQ(testing_support::directoryEntries(dir()), (std::vector<std::string>{"roots.txt", "theirs.txt"}));
}

TEST_F(OutputFileTest, AFileInAFolderWeCannotWriteIsWrittenInPlace)
{
    testing_support::makeDirectory(path("locked"));
    writeFile(path("locked/list.txt"), "old\r\n");
    ::chmod(path("locked/list.txt").c_str(), 0666);
    ::chmod(dir().c_str(), 0755);
    ::chmod(path("locked").c_str(), 0555);
    const int code = testing_support::runUnprivileged([&] {
        writeList(path("locked/list.txt"));
        return 0;
    });
    if (code == testing_support::Skipped)
        GTEST_SKIP() << "no unprivileged user, or no seccomp filter";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(path("locked/list.txt")), "a\r\nb\r\n");
}

TEST_F(OutputFileTest, StaleUnlockedTemporariesAreRemovedByTheNextExport)
{
    const auto makeTemporary = [&](const std::string &name, bool old) {
        writeFile(path(name), "partial");
        if (old) {
            const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 120, 0}};
            ::utimensat(AT_FDCWD, path(name).c_str(), times, 0);
        }
    };
    makeTemporary(".~write-Stale1", true);
    makeTemporary(".~write-Fresh1", false);
    makeTemporary(".~write-Held01", true);
    makeTemporary(".~other-Stale1", true);
    const int held = ::open(path(".~write-Held01").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    // The lock is taken by a process of its own, as another exporter would hold it.
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::pause();
        ::_exit(0);
    }
    ::close(held);
    writeList(path("list.txt"));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(testing_support::directoryEntries(dir()),
              (std::vector<std::string>{".~other-Stale1", ".~write-Fresh1", ".~write-Held01", "list.txt"}));
}

TEST_F(OutputFileTest, ATemporaryIsRemovedWhenTheProcessIsTerminated)
{
    writeFile(path(".~write-Signal"), "partial");
    const pid_t child = ::fork();
    if (child == 0) {
        const int folder = ::open(dir().c_str(), O_PATH | O_DIRECTORY);
        runtime::RegisterTemporary(folder, ".~write-Signal");
        ::raise(SIGTERM);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "the signal still ends the process";
    EXPECT_EQ(testing_support::directoryEntries(dir()), std::vector<std::string>{});
}

TEST_F(OutputFileTest, AFailedRenameIsReportedAndLeavesNoTemporary)
{
    runtime::IoCheckedFile file;
    runtime::BindPath(file, path("list.txt"));
    runtime::CreateTextWrite(file);
    runtime::CheckIo();
    runtime::WriteTextLine(file, "a");
    // The target turns into a folder that is not empty before the close.
    testing_support::makeDirectory(path("list.txt/inside"));
    runtime::CloseIoFile(file);
    EXPECT_THROW(runtime::CheckIo(), runtime::EInOutError);
    EXPECT_EQ(testing_support::directoryEntries(dir()), std::vector<std::string>{"list.txt"});
}

class FailedWriteTest : public testing_support::TempDirTest, public testing::WithParamInterface<bool> {};

// Makes this process's fallocate fail as on a file system without it (FAT,
// NFS 3), so that room is not reserved and the overwrite itself meets the
// full disk. False where the filter cannot be set.
bool withoutFallocate()
{
    const auto op = [](std::uint16_t code, std::uint32_t value, std::uint8_t ifTrue = 0, std::uint8_t ifFalse = 0) {
        return sock_filter{code, ifTrue, ifFalse, value};
    };
    sock_filter filter[] = {
        op(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        op(BPF_JMP | BPF_JEQ | BPF_K, __NR_fallocate, 0, 1),
        op(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        op(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// "nobody" writes root's list in place (it cannot give a new one back to root,
// or cannot write the folder) and fails once the list is overwritten: on a
// full 64 KiB file system of its own without fallocate, or under a file size
// limit.
TEST_P(FailedWriteTest, LeavesTheOldBytes)
{
    const bool fullDisk = GetParam();
    testing_support::makeDirectory(path("out"));
    if (fullDisk
        && (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", path("out").c_str(), "tmpfs", 0, "size=64k") != 0))
        GTEST_SKIP() << "cannot mount a small file system";
    const std::string old = testing_support::mapBytes(3000);
    writeFile(path("out/list.txt"), old);
    writeFile(path("out/filler"), std::string(fullDisk ? 15 * 4096 : 0, 'f')); // every page but the list's
    ::chmod(path("out/list.txt").c_str(), 0666);
    ::chmod(dir().c_str(), 0755);
    const int code = testing_support::runUnprivileged([&] {
        runtime::OutputFile file;
        const bool written =
            file.open(path("out/list.txt")) && ::write(file.fd(), std::string(16384, 'n').data(), 16384) > 0;
        const rlimit limit{4096, 4096};
        if (fullDisk && !withoutFallocate())
            return testing_support::Skipped;
        const bool limited =
            fullDisk || (::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        return written && limited && !file.commit() ? runtime::PendingIoCode() : 1;
    });
    const std::string kept = readFile(path("out/list.txt"));
    ::umount2(path("out").c_str(), MNT_DETACH);
    if (code == testing_support::Skipped)
        GTEST_SKIP() << "no unprivileged user, or no seccomp filter";
    EXPECT_EQ(code, fullDisk ? 101 : 223) << "1: no failure";
    EXPECT_TRUE(kept == old) << "the old bytes are gone: " << kept.size() << " bytes left";
}
INSTANTIATE_TEST_SUITE_P(FullDiskOrSizeLimit, FailedWriteTest, testing::Bool());
