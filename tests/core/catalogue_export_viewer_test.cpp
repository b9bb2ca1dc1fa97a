#include "catalogue/list_export.h"
#include "catalogue/vector_map_list.h"
#include "catalogue/viewer_launch.h"
#include "fake_views.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"
#include "test_support.h"

#include <chrono>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <thread>

using namespace catalogue;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

class ExportTest : public testing_support::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        testing_support::makeDirectory(path("maps"));
        state.StartDirectory = dir();
        state.MapsDirectory = path("maps");
    }
    ProgramState state;
    testing_support::ScriptedPrompt prompt;
};

bool waitForFile(const std::string &file)
{
    for (int i = 0; i < 500; ++i) {
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0 && info.st_size > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

TEST_F(ExportTest, WritesOneCrLfLinePerEntryAndReturnsToTheMaps)
{
    prompt.answer = path("list.txt");
    ExportList(state, VectorMapList({"Harbour", "Old Harbour"}), prompt);
    EXPECT_EQ(prompt.askedDirectory, dir());
    EXPECT_EQ(prompt.askedName, "maplist.txt");
    EXPECT_EQ(readFile(path("list.txt")), "Harbour\r\nOld Harbour\r\n");
    EXPECT_EQ(runtime::GetWorkingDirectory(), path("maps"));

    ExportList(state, VectorMapList(), prompt);
    EXPECT_EQ(readFile(path("list.txt")), "");
}

TEST_F(ExportTest, CancellingStillReturnsToTheMapsDirectory)
{
    ExportList(state, VectorMapList({"a"}), prompt);
    EXPECT_EQ(runtime::GetWorkingDirectory(), path("maps"));
    EXPECT_EQ(testing_support::directoryEntries(dir()), std::vector<std::string>{"maps"});
}

TEST_F(ExportTest, AFailedExportKeepsTheOldFileAndCanBeRepeated)
{
    writeFile(path("list.txt"), "old\r\n");
    prompt.answer = path("no-such-dir/list.txt");
    EXPECT_THROW(ExportList(state, VectorMapList({"a"}), prompt), runtime::EInOutError);
    prompt.answer = path("list.txt");
    ExportList(state, VectorMapList({"a"}), prompt);
    EXPECT_EQ(readFile(path("list.txt")), "a\r\n");
    EXPECT_EQ(testing_support::directoryEntries(dir()), (std::vector<std::string>{"list.txt", "maps"}));
}

TEST_F(ExportTest, TheViewerGetsTheMapPathAsOneArgument)
{
    writeFile(path("viewer.sh"), "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"$(dirname \"$0\")/args.tmp\"\n"
                                 "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args\"\n");
    ::chmod(path("viewer.sh").c_str(), 0755);
    writeFile(path("maps/Old Harbour.FCW"), "x");
    state.ViewerPath = path("viewer.sh");
    runtime::SetWorkingDirectory(path("maps"));
    runtime::CheckIo();
    LaunchViewer(state, "Old Harbour");
    ASSERT_TRUE(waitForFile(path("args")));
    EXPECT_EQ(readFile(path("args")), "1|" + path("maps/Old Harbour.FCW") + "|");
}

TEST_F(ExportTest, TheViewerHoldsNoneOfOurStreams)
{
    writeFile(path("viewer.sh"), "#!/bin/sh\nout=$(readlink /proc/$$/fd/1)\necho \"$out\" > \"$(dirname \"$0\")/fd.tmp\"\n"
                                 "mv \"$(dirname \"$0\")/fd.tmp\" \"$(dirname \"$0\")/fd\"\n");
    ::chmod(path("viewer.sh").c_str(), 0755);
    state.ViewerPath = path("viewer.sh");
    writeFile(path("a.fcw"), "x");
    LaunchViewer(state, "a");
    ASSERT_TRUE(waitForFile(path("fd")));
    EXPECT_EQ(readFile(path("fd")), "/dev/null\n");
}

TEST(ViewerCommand, WindowsViewersRunThroughWineWhenItIsThere)
{
    const auto native = BuildViewerCommand("/opt/viewer/view", "/maps/Old Harbour.fcw", "/usr/bin/wine");
    EXPECT_EQ(native.program, "/opt/viewer/view");
    EXPECT_EQ(native.arguments, std::vector<std::string>{"/maps/Old Harbour.fcw"});

    const auto windows = BuildViewerCommand("/home/u/.wine/c/CM32.EXE", "/maps/Old Harbour.fcw", "/usr/bin/wine");
    EXPECT_EQ(windows.program, "/usr/bin/wine");
    EXPECT_EQ(windows.arguments,
              (std::vector<std::string>{"/home/u/.wine/c/CM32.EXE", "Z:\\maps\\Old Harbour.fcw"}));

    const auto noWine = BuildViewerCommand("/c/cm32.exe", "/maps/a.fcw", "");
    EXPECT_EQ(noWine.program, "/c/cm32.exe");
}

TEST_F(ExportTest, AViewerThatCannotStartIsReportedWithItsReason)
{
    writeFile(path("a.fcw"), "x");
    writeFile(path("not-executable"), "#!/bin/sh\n");
    const struct {
        std::string viewer, reason;
    } cases[] = {
        {path("no-viewer"), "File not found."},
        {path("not-executable"), "File access denied."},
    };
    for (const auto &c : cases) {
        state.ViewerPath = c.viewer;
        try {
            LaunchViewer(state, "a");
            ADD_FAILURE() << "started " << c.viewer;
        } catch (const runtime::Exception &error) {
            EXPECT_EQ(std::string(error.what()), "The viewer could not be started: " + c.viewer + ": " + c.reason);
        }
    }
    state.ViewerPath.clear();
    EXPECT_THROW(LaunchViewer(state, "a"), NoViewerSet);
}

TEST_F(ExportTest, AMapThatCannotBeReadIsReportedInsteadOfStartingTheViewer)
{
    state.ViewerPath = "/bin/true";
    try {
        LaunchViewer(state, "Nope");
        ADD_FAILURE() << "no error";
    } catch (const runtime::EInOutError &error) {
        EXPECT_EQ(error.code(), 2);
    }
}

// Whether a process whose parent is this one is still listed, zombie or not.
bool haveChildren()
{
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        std::istringstream stat(readFile(entry.path().string() + "/stat"));
        std::string pid, name, state;
        long parent = 0;
        // The name is in parentheses and may hold spaces; a viewer's holds none.
        if (stat >> pid >> name >> state >> parent && parent == ::getpid())
            return true;
    }
    return false;
}

TEST_F(ExportTest, AViewerThatEndsLeavesNoZombie)
{
    writeFile(path("a.fcw"), "x");
    state.ViewerPath = "/bin/true";
    LaunchViewer(state, "a");
    bool reaped = false;
    for (int i = 0; i < 3000 && !reaped; ++i) { // a hang guard, not a time limit
        reaped = !haveChildren();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(reaped) << "the viewer was left a zombie";
}
