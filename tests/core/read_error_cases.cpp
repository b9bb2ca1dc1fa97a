// Runs with the read-error shim preloaded: reads of chosen files fail with
// EIO from an offset on, and their fsync can fail too.
#include "catalogue/content_search.h"
#include "catalogue/list_export.h"
#include "catalogue/map_details.h"
#include "catalogue/vector_map_list.h"
#include "cli/commands.h"
#include "fake_views.h"
#include "runtime/directory_handle.h"
#include "test_support.h"

#include <cstdlib>
#include <sstream>

using testing_support::mapBytes;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

class ReadErrorTest : public testing_support::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        if (!std::getenv("LD_PRELOAD"))
            GTEST_SKIP() << "the read-error shim is not preloaded";
        ::setenv("FAIL_READ_MATCH", "failing", 1);
        ::setenv("FAIL_READ_AFTER", "4096", 1);
    }
    void TearDown() override
    {
        ::unsetenv("FAIL_READ_MATCH");
        ::unsetenv("FAIL_FSYNC_MATCH");
        TempDirTest::TearDown();
    }
};

} // namespace

TEST_F(ReadErrorTest, DetailsShowEveryLineReadBeforeTheFailureThenTheError)
{
    std::string bytes = mapBytes(9000);
    bytes.replace(10, 16, "Map Name: First\r");
    bytes.replace(4000, 11, "Product: P\r");
    bytes.replace(4080, 20, "Page Number: cut\r");  // its CR lies past the failure
    bytes.replace(5000, 15, "Map Type: Late\r");
    writeFile(path("failing.fcw"), bytes);
    testing_support::RecordingDetails view;
    EXPECT_THROW(catalogue::ShowMapDetails(dir(), "failing", view), runtime::EInOutError);
    using Line = testing_support::RecordingDetails::Line;
    EXPECT_EQ(view.lines,
              (std::vector<Line>{{"Map Name: First", true, catalogue::TextColour::Black},
                                 {"Product: P", false, catalogue::TextColour::Black}}));
}

TEST_F(ReadErrorTest, TheCommandLinePrintsTheLinesReadBeforeTheError)
{
    writeFile(path("failing.fcw"), mapBytes(9000, 10, "Map Name: First\r"));
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunCommandLine({"--dir", dir(), "details", "failing"}, {out, err}), 2);
    EXPECT_EQ(out.str(), "Map Name: First\n");
    EXPECT_TRUE(err.str().starts_with("map-catalogue: " + path("failing.fcw") + ": I/O error 1117.")) << err.str();
}

TEST_F(ReadErrorTest, ATextFoundBeforeAFailedReadCounts)
{
    writeFile(path("failing-early.fcw"), mapBytes(9000, 4000, "Dragon"));
    writeFile(path("failing-late.fcw"), mapBytes(9000, 5000, "Dragon"));
    const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
    const auto early = catalogue::FindMapsContaining(maps.fd(), {"failing-early"}, "Dragon", {});
    EXPECT_EQ(early.matches, std::vector<std::size_t>{0});
    EXPECT_TRUE(early.unreadable.empty());
    const auto late = catalogue::FindMapsContaining(maps.fd(), {"failing-late", "failing-early"}, "Dragon", {});
    ASSERT_EQ(late.unreadable.size(), 1u);
    EXPECT_EQ(late.unreadable[0].index, 0u);
    EXPECT_EQ(late.matches, std::vector<std::size_t>{1}) << "the search goes on past the failed read";
}

TEST_F(ReadErrorTest, AFailedSyncIsReportedAndKeepsTheOldFile)
{
    writeFile(path("list.txt"), "old\r\n");
    ::setenv("FAIL_FSYNC_MATCH", dir().c_str(), 1); // our temporaries, named or not
    EXPECT_THROW(catalogue::WriteListFile(path("list.txt"), catalogue::VectorMapList({"a"})), runtime::EInOutError);
    EXPECT_EQ(readFile(path("list.txt")), "old\r\n");
    EXPECT_EQ(testing_support::directoryEntries(dir()), std::vector<std::string>{"list.txt"});
}
