#include "catalogue/configuration.h"
#include "catalogue/list_export.h"
#include "catalogue/map_search.h"
#include "catalogue/vector_map_list.h"
#include "fake_views.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"
#include "test_support.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace catalogue;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

class ConfigurationTest : public testing_support::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        CaptureStartDirectory(state);
    }
    ProgramState state;
    testing_support::RecordingFields fields;
};

} // namespace

TEST_F(ConfigurationTest, CapturesTheStartDirectory)
{
    EXPECT_EQ(state.StartDirectory, dir());
}

TEST_F(ConfigurationTest, NoFileMeansNotConfiguredAndNothingChanges)
{
    EXPECT_FALSE(LoadConfiguration(state, fields));
    EXPECT_EQ(fields.maps, "untouched");
    EXPECT_EQ(state.MapsDirectory, "");
}

TEST_F(ConfigurationTest, LoadsTwoLinesWhateverTheLineEnds)
{
    struct Case {
        const char *name;
        std::string bytes, maps, viewer;
    };
    const std::vector<Case> cases = {
        {"CR LF", "/maps dir\r\n/opt/viewer\r\nignored\r\n", "/maps dir", "/opt/viewer"},
        {"LF", "/maps\n/opt/viewer\n", "/maps", "/opt/viewer"},
        {"lone CR", "/maps\r/opt/viewer", "/maps", "/opt/viewer"},
        {"one line", "/maps\r\n", "/maps", ""},
        {"empty", "", "", ""},
        {"Ctrl-Z", "/maps\x1a/opt/viewer\r\n", "/maps", ""},
    };
    for (const auto &test : cases) {
        writeFile(path("lister.txt"), test.bytes);
        ASSERT_TRUE(LoadConfiguration(state, fields)) << test.name;
        EXPECT_EQ(state.MapsDirectory, test.maps) << test.name;
        EXPECT_EQ(state.ViewerPath, test.viewer) << test.name;
        EXPECT_EQ(fields.maps, test.maps) << test.name;
        EXPECT_EQ(fields.viewer, test.viewer) << test.name;
    }
}

TEST_F(ConfigurationTest, ApplyingNeedsADirectoryWithMaps)
{
    testing_support::makeDirectory(path("empty"));
    testing_support::makeDirectory(path("dir-only/old.fcw"));
    testing_support::makeDirectory(path("maps"));
    writeFile(path("maps/a.fcw"), "x");
    state.ViewerPath = "previous";

    EXPECT_FALSE(ApplyConfiguration(state, path("empty"), "/viewer"));
    EXPECT_EQ(state.MapsDirectory, path("empty"));
    EXPECT_EQ(state.ViewerPath, "previous");
    EXPECT_EQ(runtime::GetWorkingDirectory(), path("empty"));

    EXPECT_FALSE(ApplyConfiguration(state, path("dir-only"), "/viewer")) << "a directory named like a map is no map";

    EXPECT_TRUE(ApplyConfiguration(state, path("maps"), "/viewer"));
    EXPECT_EQ(state.ViewerPath, "/viewer");
    EXPECT_EQ(runtime::GetWorkingDirectory(), path("maps"));

    EXPECT_THROW(ApplyConfiguration(state, path("missing"), "/v2"), runtime::EInOutError);
    EXPECT_EQ(state.MapsDirectory, path("missing"));
    EXPECT_EQ(state.ViewerPath, "/viewer");
}

TEST_F(ConfigurationTest, SavingWritesExactlyTwoCrLfLines)
{
    SaveConfiguration(dir(), "/maps", "/viewer");
    EXPECT_EQ(readFile(path("lister.txt")), "/maps\r\n/viewer\r\n");
    SaveConfiguration(dir(), "", "");
    EXPECT_EQ(readFile(path("lister.txt")), "\r\n\r\n");
    EXPECT_EQ(state.MapsDirectory, "") << "saving changes no state";
}

TEST_F(ConfigurationTest, SavingGoesToTheStartFolderEvenWhenItsPathNoLongerLeadsThere)
{
    testing_support::makeDirectory(path("start"));
    std::filesystem::current_path(path("start"));
    ProgramState started;
    CaptureStartDirectory(started);
    ASSERT_EQ(::rename(path("start").c_str(), path("moved").c_str()), 0);
    SaveConfiguration(started, "/maps", "/viewer");
    EXPECT_EQ(readFile(path("moved/lister.txt")), "/maps\r\n/viewer\r\n");
    EXPECT_EQ(started.StartDirectory, path("start")) << "the path shown stays as it was";
}

TEST_F(ConfigurationTest, AFailedSaveKeepsWhatItsTargetHeld)
{
    testing_support::makeDirectory(path("folder/lister.txt"));
    EXPECT_THROW(SaveConfiguration(path("folder"), "/new", "/v"), runtime::EInOutError);
    EXPECT_EQ(testing_support::directoryEntries(path("folder")), std::vector<std::string>{"lister.txt"});
    EXPECT_EQ(testing_support::directoryEntries(path("folder/lister.txt")), std::vector<std::string>{});

    testing_support::makeDirectory(path("locked"));
    writeFile(path("locked/lister.txt"), "/old\r\n/viewer\r\n");
    ::chmod(path("locked/lister.txt").c_str(), 0444);
    EXPECT_THROW(SaveConfiguration(path("locked"), "/new", "/v"), runtime::EInOutError);
    EXPECT_EQ(readFile(path("locked/lister.txt")), "/old\r\n/viewer\r\n");
    EXPECT_EQ(testing_support::directoryEntries(path("locked")), std::vector<std::string>{"lister.txt"});

    EXPECT_THROW(SaveConfiguration(path("missing"), "/new", "/v"), runtime::EInOutError);
}

// The folder chooser and the save dialog move the current directory; a
// relative maps line keeps naming the folder beside "lister.txt".
TEST_F(ConfigurationTest, ARelativeMapsFolderStaysTheOneBesideTheConfiguration)
{
    testing_support::makeDirectory(path("maps"));
    writeFile(path("maps/a.fcw"), "x");
    testing_support::ScriptedPrompt cancelled;
    testing_support::RecordingProgress progress;
    const std::vector<std::function<void()>> steps = {
        [&] { EXPECT_TRUE(ApplyConfiguration(state, "maps", "v")); },
        [&] { ExportList(state, VectorMapList(), cancelled); },
        [&] { BeginContentSearch(state, VectorMapList({"a"}), "maps", progress); },
    };
    for (const auto &step : steps) {
        for (const std::string &from : {dir(), path("maps")}) {
            std::filesystem::current_path(from);
            step();
            EXPECT_EQ(runtime::GetWorkingDirectory(), path("maps")) << "from " << from;
        }
    }
    EXPECT_EQ(state.MapsDirectory, "maps") << "kept as written";
}
