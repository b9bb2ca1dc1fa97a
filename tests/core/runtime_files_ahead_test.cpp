#include "runtime/files_ahead.h"
#include "runtime/io_error.h"
#include "test_support.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <system_error>

using namespace runtime;
using testing_support::writeFile;

namespace {

class FilesAheadTest : public testing_support::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        for (std::size_t i = 0; i < Count; ++i)
            writeFile(name(i), "file " + std::to_string(i));
    }

    std::string name(std::size_t i) const { return path("f" + std::to_string(i)); }

    FilesAhead::Open opener()
    {
        return [this](std::size_t i, IoCheckedFile &file) {
            BindPath(file, name(i));
            OpenBlockFile(file, 1);
            CheckIo();
        };
    }

    // What each file holds, taken in the order given; "error PATH" for one that raised.
    static std::vector<std::string> takeAll(FilesAhead &ahead, const std::vector<std::size_t> &order)
    {
        std::vector<std::string> seen;
        for (const std::size_t i : order) {
            try {
                const auto file = ahead.take(i);
                std::string bytes(64, '\0');
                bytes.resize(ReadBlock(*file, bytes.data(), bytes.size()));
                seen.push_back(bytes);
            } catch (const EInOutError &error) {
                seen.push_back("error " + error.path());
            }
        }
        return seen;
    }

    static std::size_t openDescriptors()
    {
        const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
        return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
    }

    static constexpr std::size_t Count = 6;
    static constexpr std::uint64_t KeepAll = 1u << 20;
};

} // namespace

TEST_F(FilesAheadTest, MoreReadersThanFilesGiveEachFileInTheOrderAsked)
{
    const std::vector<std::string> inOrder = {"file 0", "file 1", "file 2", "file 3", "file 4", "file 5"};
    FilesAhead ahead(Count, 64, 4096, KeepAll, opener());
    EXPECT_EQ(ahead.readers(), Count);
    EXPECT_EQ(takeAll(ahead, {0, 1, 2, 3, 4, 5}), inOrder);
    FilesAhead backwards(Count, 2, 4096, KeepAll, opener());
    EXPECT_EQ(takeAll(backwards, {5, 3, 4, 0, 1, 2}),
              (std::vector<std::string>{"file 5", "file 3", "file 4", "file 0", "file 1", "file 2"}));
    // Room for less than one file: each waits for the one before it to be
    // taken, and the first one not taken always goes on.
    FilesAhead narrow(Count, 4, 4096, 1, opener());
    EXPECT_EQ(takeAll(narrow, {0, 1, 2, 3, 4, 5}), inOrder);
    FilesAhead asked(Count, 4, 4096, 0, opener()); // the system reads ahead: nothing kept
    EXPECT_EQ(takeAll(asked, {0, 1, 2, 3, 4, 5}), inOrder);
}

// A block let go serves the next file of its size, without new pages; past
// what the pool may hold, blocks go back to the system.
TEST(PagePoolTest, BlocksLetGoAreUsedAgainUpToTheHold)
{
    const auto pool = PagePool::Make(PagePool::Rounded(1));
    PageBlock first = pool->take(100);
    PageBlock second = pool->take(100);
    const char *firstBytes = first.data();
    first = {};
    second = {}; // past the hold
    PageBlock again = pool->take(200);
    EXPECT_EQ(again.data(), firstBytes);
    EXPECT_GE(again.capacity(), 200u);
    PageBlock larger = pool->take(3 * PagePool::Rounded(1)); // nothing free that fits
    EXPECT_NE(larger.data(), firstBytes);
}

// An open that fails among others in flight is raised at its own turn, and
// only there; with no reader started, the users open every file themselves.
TEST_F(FilesAheadTest, AFailedOpenComesAtItsTurnAndNoReadersMeansUsersOpen)
{
    std::filesystem::remove(name(2));
    const std::vector<std::string> expected = {"file 0", "file 1", "error " + name(2), "file 3", "file 4", "file 5"};
    FilesAhead ahead(Count, 4, 4096, KeepAll, opener());
    EXPECT_EQ(takeAll(ahead, {0, 1, 2, 3, 4, 5}), expected);

    const ThreadStarter refuse = [](std::function<void()>) -> std::jthread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    FilesAhead none(Count, 64, 4096, KeepAll, opener(), refuse);
    EXPECT_EQ(none.readers(), 0u);
    EXPECT_EQ(takeAll(none, {0, 1, 2, 3, 4, 5}), expected);
}

// Stopped with opens in flight and files waiting: every reader ends and
// every file opened ahead is closed.
TEST_F(FilesAheadTest, EndingWithOpensInFlightLeavesNoFileOpen)
{
    const std::size_t before = openDescriptors();
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t entered = 0;
    bool release = false;
    {
        FilesAhead ahead(Count, 3, 4096, KeepAll, [&, open = opener()](std::size_t i, IoCheckedFile &file) {
            open(i, file);
            std::unique_lock lock(mutex);
            ++entered;
            changed.notify_all();
            changed.wait(lock, [&] { return release || i < 2; });
        });
        EXPECT_EQ(takeAll(ahead, {0, 1}), (std::vector<std::string>{"file 0", "file 1"}));
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered >= 3; }); // items 2 on are held open in their readers
        release = true;
        changed.notify_all();
    }
    EXPECT_EQ(openDescriptors(), before);
}
