#include "cli/commands.h"
#include "test_support.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <sstream>

using testing_support::mapBytes;
using testing_support::readFile;
using testing_support::writeFile;
using namespace std::string_literals;

namespace {

class CommandLineTest : public testing_support::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        testing_support::makeDirectory(path("maps"));
        writeFile(path("maps/Harbour.fcw"), "Map Name: Harbour Town\r\nMap Type: City\r\n");
        writeFile(path("maps/Old Harbour.fcw"), mapBytes(3000, 2100, "Map Type: Ruin\r"));
        writeFile(path("maps/harbour2.fcw"), "nothing here");
    }

    int run(std::vector<std::string> arguments, bool terminal = false)
    {
        out.str("");
        err.str("");
        std::filesystem::current_path(dir()); // each run starts where the program would
        return cli::RunCommandLine(arguments, {out, err, terminal, terminal});
    }

    std::ostringstream out, err;
};

} // namespace

TEST_F(CommandLineTest, ScanListsEntriesAndCountsThemOnStderr)
{
    EXPECT_EQ(run({"--dir", "maps", "scan"}), 0);
    EXPECT_EQ(out.str(), "Harbour\nharbour2\nOld Harbour\n");
    EXPECT_EQ(err.str(), "Maps found: 3\n");
}

TEST_F(CommandLineTest, WithoutDirTheConfigurationFileDecides)
{
    EXPECT_EQ(run({"scan"}), 2);
    EXPECT_EQ(err.str(), "map-catalogue: Program not configured.\nmap-catalogue: looked for \"lister.txt\" in the "
                         "current folder; --dir DIR names the maps folder.\n");
    writeFile(path("lister.txt"), "maps\n/bin/true\n"); // relative, LF line ends
    EXPECT_EQ(run({"scan"}), 0);
    EXPECT_EQ(err.str(), "Maps found: 3\n");
}

TEST_F(CommandLineTest, DetailsPrintTheLinesOrTheNotice)
{
    EXPECT_EQ(run({"--dir", "maps", "details", "Harbour"}), 0);
    EXPECT_EQ(out.str(), "Map Name: Harbour Town\nMap Type: City\n");
    EXPECT_EQ(run({"--dir", "maps", "details", "harbour2"}), 0);
    EXPECT_EQ(out.str(), "\nNo details are contained within the selected file\n");
    EXPECT_EQ(run({"--dir", "maps", "details", "missing"}), 2);
    EXPECT_EQ(err.str(), "map-catalogue: maps/missing.fcw: File not found.\n");
    EXPECT_EQ(run({"--dir", "maps", "details", "Harbour.FCW"}), 0);
    EXPECT_EQ(out.str(), "Map Name: Harbour Town\nMap Type: City\n");
}

TEST_F(CommandLineTest, SearchesByNameOrContent)
{
    EXPECT_EQ(run({"--dir", "maps", "search", "Harbour"}), 0);
    EXPECT_EQ(out.str(), "Harbour\nOld Harbour\n");
    EXPECT_EQ(err.str(), "Maps found: 2\n");
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", "Ruin"}), 0);
    EXPECT_EQ(out.str(), "Old Harbour\n");
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", "absent"}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "No maps containing the desired search string were found\n");
}

TEST_F(CommandLineTest, ExportWritesTheListFileRelativeToTheStart)
{
    EXPECT_EQ(run({"--dir", "maps", "export", "out.txt"}), 0);
    EXPECT_EQ(readFile(path("out.txt")), "Harbour\r\nharbour2\r\nOld Harbour\r\n");
    EXPECT_EQ(run({"--dir", "maps", "export", "missing/out.txt"}), 2);
    EXPECT_EQ(err.str(), "map-catalogue: missing/out.txt: Invalid filename.\n");
}

TEST_F(CommandLineTest, AnEmptyDirectoryNameIsAnError)
{
    EXPECT_EQ(run({"--dir", "", "scan"}), 2);
    EXPECT_EQ(err.str(), "map-catalogue: maps folder \"\": Invalid filename.\n");
    writeFile(path("lister.txt"), "\r\n\r\n");
    EXPECT_EQ(run({"scan"}), 2);
}

TEST_F(CommandLineTest, UsageMistakesExit64)
{
    for (const auto &arguments : std::vector<std::vector<std::string>>{
             {}, {"--dir"}, {"frobnicate"}, {"details"}, {"scan", "extra"}, {"search", "--content"}}) {
        EXPECT_EQ(run(arguments), 64);
        EXPECT_NE(err.str().find("usage: map-catalogue"), std::string::npos);
    }
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out.str(), "map-catalogue 3.0\n");
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", ""}), 64);
    EXPECT_EQ(err.str().substr(0, 41), "map-catalogue: the search text is empty\nu");
}

TEST_F(CommandLineTest, ViewNeedsAViewer)
{
    EXPECT_EQ(run({"--dir", "maps", "view", "Harbour"}), 2);
    EXPECT_EQ(err.str().substr(0, 39), "map-catalogue: Program not configured.\n");
    writeFile(path("lister.txt"), "maps\r\n" + path("no-viewer") + "\r\n");
    EXPECT_EQ(run({"view", "Harbour"}), 2);
    EXPECT_NE(err.str().find("could not be started"), std::string::npos);
}

TEST_F(CommandLineTest, NamesAreEscapedOnATerminalAndRawInPipes)
{
    writeFile(path("maps/t\x1b]0;T\a\nx\xff.fcw"), "Map Name: K\xf6ln \x81\x7f\r");
    EXPECT_EQ(run({"--dir", "maps", "search", "t"}, true), 0);
    EXPECT_EQ(out.str(), "t\\033]0;T\\007\\012x\\377\n");
    EXPECT_EQ(run({"-0", "--dir", "maps", "search", "t"}), 0);
    EXPECT_EQ(out.str(), "t\x1b]0;T\a\nx\xff"s + '\0');
    // Details on a terminal: decoded as the window shows them, then escaped.
    EXPECT_EQ(run({"--dir", "maps", "details", "t\x1b]0;T\a\nx\xff"}, true), 0);
    EXPECT_EQ(out.str(), "\x1b[1mMap Name: Köln \\302\\201\\177\x1b[0m\n");
    EXPECT_EQ(run({"--dir", "maps", "details", "t\x1b]0;T\a\nx\xff"}), 0);
    EXPECT_EQ(out.str(), "Map Name: K\xf6ln \x81\x7f\n");
    EXPECT_EQ(run({"--dir", "maps", "details", "\x1b[2J"}, true), 2);
    EXPECT_EQ(err.str(), "map-catalogue: maps/\\033[2J.fcw: File not found.\n");
}

TEST_F(CommandLineTest, ContentSearchLooksForTheWindows1252Bytes)
{
    writeFile(path("maps/Koeln.fcw"), "Map Name: K\xf6ln\r");
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", "Köln"}), 0);
    EXPECT_EQ(out.str(), "Koeln\n");
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", "K\xf6ln"}), 0); // not UTF-8: as given
    EXPECT_EQ(out.str(), "Koeln\n");
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", "K\xc3\xb6ln 日本"}), 1);
    // Ignoring case folds the Windows-1252 letters after the conversion.
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", "-i", "map name: KÖLN"}), 0);
    EXPECT_EQ(out.str(), "Koeln\n");
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", "MAP NAME: KÖLN"}), 1);
}

// File names tell apart the maps whose entries are the same, and they are
// what details takes back.
TEST_F(CommandLineTest, FilesListsTheFileNamesThatDetailsTakes)
{
    writeFile(path("maps/Crypt.Level.1.fcw"), "Map Name: One\r");
    writeFile(path("maps/Crypt.Level.2.FCW"), "Map Name: Two\r");
    EXPECT_EQ(run({"--dir", "maps", "scan", "--files"}), 0);
    EXPECT_EQ(out.str(), "Crypt.Level.1.fcw\nCrypt.Level.2.FCW\nHarbour.fcw\nharbour2.fcw\nOld Harbour.fcw\n");
    EXPECT_EQ(run({"-0", "--dir", "maps", "search", "--files", "Crypt"}), 0);
    EXPECT_EQ(out.str(), "Crypt.Level.1.fcw\0Crypt.Level.2.FCW\0"s);
    EXPECT_EQ(run({"--dir", "maps", "search", "--content", "--files", "Two"}), 0);
    EXPECT_EQ(out.str(), "Crypt.Level.2.FCW\n");
    EXPECT_EQ(run({"--dir", "maps", "details", "Crypt.Level.2.FCW"}), 0);
    EXPECT_EQ(out.str(), "Map Name: Two\n");
}

TEST_F(CommandLineTest, AStartDirectoryThatIsGoneNeverSendsAnExportIntoTheMaps)
{
    const std::string map = readFile(path("maps/Harbour.fcw"));
    testing_support::makeDirectory(path("gone"));
    std::filesystem::current_path(path("gone"));
    ASSERT_EQ(::rmdir(path("gone").c_str()), 0);
    EXPECT_EQ(cli::RunCommandLine({"--dir", path("maps"), "export", "Harbour.fcw"}, {out, err, false, false}), 2);
    EXPECT_EQ(readFile(path("maps/Harbour.fcw")), map);
}

TEST_F(CommandLineTest, AStartDirectoryDeeperThanAPathMayBeWorks)
{
    const std::string step(200, 'd');
    constexpr int Depth = 25; // over 5000 bytes below the temporary directory
    for (int i = 0; i < Depth; ++i) {
        ASSERT_EQ(::mkdir(step.c_str(), 0700), 0);
        ASSERT_EQ(::chdir(step.c_str()), 0);
    }
    const int deep = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    testing_support::makeDirectory("maps");
    writeFile("maps/Deep.fcw", "Map Name: Deep\r");
    writeFile("Top.fcw", "x");
    writeFile("lister.txt", "maps\r\n\r\n");
    const auto runDeep = [&](std::vector<std::string> arguments) {
        out.str("");
        err.str("");
        EXPECT_EQ(::fchdir(deep), 0);
        return cli::RunCommandLine(arguments, {out, err, false, false});
    };
    EXPECT_EQ(runDeep({"scan"}), 0) << err.str();
    EXPECT_EQ(out.str(), "Deep\n");
    EXPECT_EQ(runDeep({"--dir", ".", "scan"}), 0) << err.str();
    EXPECT_EQ(out.str(), "Top\n");
    EXPECT_EQ(runDeep({"details", "Deep"}), 0) << err.str();
    EXPECT_EQ(out.str(), "Map Name: Deep\n");
    EXPECT_EQ(runDeep({"export", "list.txt"}), 0) << err.str();
    ASSERT_EQ(::fchdir(deep), 0);
    EXPECT_EQ(readFile("list.txt"), "Deep\r\n");

    for (const char *file : {"maps/Deep.fcw", "Top.fcw", "lister.txt", "list.txt"})
        ::unlink(file);
    ::rmdir("maps");
    ::close(deep);
    for (int i = 0; i < Depth; ++i) {
        ASSERT_EQ(::chdir(".."), 0);
        ASSERT_EQ(::rmdir(step.c_str()), 0);
    }
}

TEST_F(CommandLineTest, AnUnreadableMapsFolderIsAnErrorNotAnEmptyCollection)
{
    ::chmod(dir().c_str(), 0755);
    ::chmod(path("maps").c_str(), 0311);
    const int code = testing_support::runUnprivileged([&] {
        const bool scanFails = run({"--dir", "maps", "scan"}) == 2 && out.str().empty();
        const bool searchFails = run({"--dir", "maps", "search", "Harbour"}) == 2;
        return scanFails && searchFails ? 0 : 1;
    });
    if (code == testing_support::Skipped)
        GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(code, 0);
}
