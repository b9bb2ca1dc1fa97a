#include "catalogue/map_scan.h"
#include "catalogue/map_search.h"
#include "catalogue/vector_map_list.h"
#include "fake_views.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"
#include "test_support.h"

using namespace catalogue;
using testing_support::mapBytes;
using testing_support::writeFile;

namespace {

using Entries = std::vector<std::string>;

class SearchTest : public testing_support::TempDirTest {
protected:
    int contentSearch(const std::string &text)
    {
        notFoundCalls = 0;
        return fullSearch(state, list, text, dir(), progress, status, [this] {
            ++notFoundCalls;
            barVisibleDuringNotice = progress.visible;
        });
    }

    ProgramState state;
    VectorMapList list;
    testing_support::RecordingStatus status;
    testing_support::RecordingProgress progress;
    int notFoundCalls = 0;
    bool barVisibleDuringNotice = false;
};

} // namespace

TEST_F(SearchTest, FilenameSearchIsCaseSensitiveAndKeepsTheMapCount)
{
    list = VectorMapList({"Harbour", "Old Harbour", "harbour2"});
    state.MapCount = 850;
    EXPECT_EQ(filenameSearch(state, list, "Harbour", status), 2);
    EXPECT_EQ(list.entries(), (Entries{"Harbour", "Old Harbour"}));
    EXPECT_EQ(status.text, "Maps found: 2");
    EXPECT_EQ(state.MapCount, 850);

    list = VectorMapList({"Harbour", "Old Harbour", "harbour2"});
    EXPECT_EQ(filenameSearch(state, list, "harbour", status), 1);
    EXPECT_EQ(list.entries(), Entries{"harbour2"});
}

TEST_F(SearchTest, NothingFoundChangesNothing)
{
    list = VectorMapList({"Harbour", "Keep"});
    EXPECT_EQ(filenameSearch(state, list, "", status), 0);
    EXPECT_EQ(filenameSearch(state, list, "fcw", status), 0) << "the extension is not part of the name";
    EXPECT_EQ(list.entries(), (Entries{"Harbour", "Keep"}));
    EXPECT_EQ(status.text, "unchanged");
}

TEST_F(SearchTest, ContentSearchFindsTheTextAnywhereInTheFile)
{
    writeFile(path("a.fcw"), mapBytes(5000, 2046, "Dragon"));   // across a block edge
    writeFile(path("b.fcw"), mapBytes(200000, 65534, "Dragon")); // across a read chunk's edge
    writeFile(path("c.fcw"), std::string(7, '\0') + "Dragon");   // zero bytes first
    writeFile(path("d.fcw"), "");
    writeFile(path("e.fcw"), mapBytes(5000, 4994, "Drago"));     // cut off by the end
    list = VectorMapList({"a", "b", "c", "d", "e"});
    state.MapCount = 5;
    EXPECT_EQ(contentSearch("Dragon"), 3);
    EXPECT_EQ(list.entries(), (Entries{"a", "b", "c"}));
    EXPECT_EQ(state.MapCount, 3);
    EXPECT_EQ(status.text, "Maps found: 3");
    EXPECT_FALSE(progress.visible);
    EXPECT_EQ(runtime::GetWorkingDirectory(), dir());
}

TEST_F(SearchTest, AnEmptyTextIsNeverFoundAndALongOneIsFoundWhole)
{
    writeFile(path("a.fcw"), mapBytes(5000));
    list = VectorMapList({"a"});
    state.MapCount = 1;
    EXPECT_EQ(contentSearch(""), 0);
    EXPECT_EQ(notFoundCalls, 1);
    EXPECT_TRUE(barVisibleDuringNotice) << "the notice shows while the bar is still up";
    EXPECT_FALSE(progress.visible);
    EXPECT_EQ(contentSearch(mapBytes(5000).substr(1, 4500) + "!"), 0);
    EXPECT_EQ(list.entries(), Entries{"a"});
    EXPECT_EQ(status.text, "unchanged");
    EXPECT_EQ(contentSearch(mapBytes(5000).substr(1, 4500)), 1) << "longer than a block";
}

TEST_F(SearchTest, TheBarRunsToTheLastMapCountAndNeverPast)
{
    for (const char *name : {"a", "b", "c", "d", "e"})
        writeFile(path(std::string(name) + ".fcw"), "needle");
    list = VectorMapList({"a", "b", "c", "d", "e"});
    state.MapCount = 3;
    EXPECT_EQ(contentSearch("needle"), 5);
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2, 3, 3, 3}));

    list = VectorMapList({"a", "b"});
    state.MapCount = 850;
    contentSearch("needle");
    EXPECT_EQ(progress.positions.back(), 2) << "a narrowed list stops short of full";
}

// Unreadable maps are skipped: the matches are applied (or the notice shown),
// then one error names the first of them and counts the others.
TEST_F(SearchTest, UnreadableMapsAreReportedAfterTheMatchesAreApplied)
{
    writeFile(path("a.fcw"), "needle");
    testing_support::makeDirectory(path("sub.fcw"));
    const struct {
        Entries entries, shown;
        const char *error, *status;
    } cases[] = {
        {{"a", "gone", "sub", "a"}, {"a", "a"}, "File not found.\ngone (and 1 more map could not be read)",
         "Maps found: 2"},
        {{"sub", "gone", "gone", "a"}, {"a"}, "File access denied.\nsub (and 2 more maps could not be read)",
         "Maps found: 1"},
        {{"gone"}, {"gone"}, "File not found.\ngone (could not be read)", "unchanged"},
    };
    for (const auto &c : cases) {
        list = VectorMapList(c.entries);
        state.MapCount = 4;
        status.text = "unchanged";
        try {
            contentSearch("needle");
            ADD_FAILURE() << "no error";
        } catch (const runtime::Exception &error) {
            EXPECT_EQ(runtime::ReportText(error.what()), c.error);
        }
        EXPECT_EQ(list.entries(), c.shown);
        EXPECT_EQ(status.text, c.status);
        EXPECT_EQ(state.MapCount, c.status[0] == 'M' ? static_cast<int>(c.shown.size()) : 4);
        EXPECT_EQ(notFoundCalls, c.status[0] == 'M' ? 0 : 1) << "the notice comes first when nothing matched";
        EXPECT_FALSE(progress.visible);
    }
}

// Names cut at their first dot: every entry opens the file it was listed from.
TEST_F(SearchTest, EachScannedEntryOpensItsOwnFile)
{
    writeFile(path("a.fcw"), "needle");
    writeFile(path("a.b.fcw"), "other");
    writeFile(path("._a.fcw"), "junk from elsewhere");
    ScanMaps(state, list);
    ASSERT_EQ(list.entries(), (Entries{"", "a", "a"}));
    EXPECT_EQ(contentSearch("needle"), 1);
    EXPECT_EQ(contentSearch("other"), 0) << "the list was narrowed to a.fcw";
    ScanMaps(state, list);
    EXPECT_EQ(contentSearch("other"), 1);
    EXPECT_EQ(list.entries(), Entries{"a"});
}

TEST_F(SearchTest, AMissingMapsDirectoryFailsBeforeTheBarShows)
{
    list = VectorMapList({"a"});
    EXPECT_THROW(fullSearch(state, list, "x", path("missing"), progress, status, {}), runtime::EInOutError);
    EXPECT_FALSE(progress.visible);
    EXPECT_TRUE(progress.positions.empty());
}

TEST_F(SearchTest, EveryMatchIsKeptBeyondAThousand)
{
    Entries names;
    for (int i = 0; i < 1205; ++i)
        names.push_back("map" + std::to_string(i));
    list = VectorMapList(names);
    EXPECT_EQ(filenameSearch(state, list, "map", status), 1205);
    EXPECT_EQ(list.entries(), names);
    EXPECT_EQ(status.text, "Maps found: 1205");
}

TEST_F(SearchTest, DuplicateEntriesAreTestedAndListedTwice)
{
    writeFile(path("a.fcw"), "needle");
    list = VectorMapList({"a", "a"});
    state.MapCount = 2;
    EXPECT_EQ(contentSearch("needle"), 2);
    EXPECT_EQ(list.entries(), (Entries{"a", "a"}));
}
