#include "cli/commands.h"
#include "test_support.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>

using testing_support::mapBytes;
using testing_support::readFile;
using testing_support::writeFile;
using namespace std::string_literals;

namespace {

// Keys in a later block, a line too long to show, no keys, controls,
// Windows-1252 bytes, awkward names and a folder named like a map.
class IndexTest : public testing_support::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        testing_support::makeDirectory(path("maps"));
        writeFile(path("maps/Harbour.fcw"),
                  "Map Name: Harbour Town\r\nMap Type: City\r\nProduct: Coastal, \"Pack\"\rPage Number:\t 12\r");
        writeFile(path("maps/Late.fcw"), mapBytes(5000, 4100, "Map Name: Late\r"));
        writeFile(path("maps/Long.fcw"), "Map Name: " + std::string(300, 'x') + "\rProduct: P\r");
        writeFile(path("maps/None.fcw"), "nothing");
        writeFile(path("maps/Odd.fcw"), "Map Name: a\x01" "b\\c\rMap Type: Caf\xe9 \x80\r");
        writeFile(path("maps/Tab\tName.fcw"), "Page Number: 7\r");
        writeFile(path("maps/Bad\xff.fcw"), "Product: X\r");
        testing_support::makeDirectory(path("maps/gone.fcw")); // listed, never readable
    }

    int run(std::vector<std::string> arguments, bool terminal = false)
    {
        out.str("");
        err.str("");
        std::filesystem::current_path(dir());
        arguments.insert(arguments.begin(), {"--dir", "maps", "index"});
        return cli::RunCommandLine(arguments, {out, err, terminal, false});
    }

    std::string missingError() const { return "map-catalogue: maps/gone.fcw: File access denied.\n"; }

    std::ostringstream out, err;
};

} // namespace

TEST_F(IndexTest, TsvEscapesAndReportsTheUnreadableMap)
{
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(out.str(), "entry\tmap name\tmap type\tproduct\tpage number\n"
                         "Bad\xc3\xbf\t\t\tX\t\n"
                         "Harbour\tHarbour Town\tCity\tCoastal, \"Pack\"\t12\n"
                         "Late\tLate\t\t\t\n"
                         "Long\t\t\tP\t\n"
                         "None\t\t\t\t\n"
                         "Odd\ta b\\\\c\tCafé €\t\t\n"
                         "Tab\\tName\t\t\t\t7\n");
    EXPECT_EQ(err.str(), missingError() + "Maps indexed: 7\n");
}

TEST_F(IndexTest, CsvQuotesWhereNeeded)
{
    std::filesystem::remove(path("maps/gone.fcw"));
    EXPECT_EQ(run({"--format", "csv"}), 0);
    const std::string csv = out.str();
    EXPECT_TRUE(csv.starts_with("entry,map name,map type,product,page number\r\nBad\xc3\xbf,,,X,\r\n"));
    EXPECT_NE(csv.find("\r\nHarbour,Harbour Town,City,\"Coastal, \"\"Pack\"\"\",12\r\n"), std::string::npos);
    EXPECT_TRUE(csv.ends_with("\r\nTab\tName,,,,7\r\n"));
    EXPECT_EQ(err.str(), "Maps indexed: 7\n");
}

TEST_F(IndexTest, JsonGivesNullsAndTheBytesOfNamesThatAreNotUtf8)
{
    EXPECT_EQ(run({"--format=json"}), 2);
    const std::string json = out.str();
    EXPECT_TRUE(json.starts_with("[{\"entry\":\"Bad\xc3\xbf\",\"map_name\":null,\"map_type\":null,\"product\":\"X\","
                                 "\"page_number\":null,\"entry_bytes\":\"QmFk/w==\"},"));
    EXPECT_NE(json.find("{\"entry\":\"Tab\\tName\",\"map_name\":null,\"map_type\":null,\"product\":null,"
                        "\"page_number\":\"7\"}]\n"),
              std::string::npos);
    EXPECT_EQ(json.find("gone"), std::string::npos);
}

TEST_F(IndexTest, OutputFileHoldsTheBytesStdoutGetsAndEmptyCollectionsSucceed)
{
    for (const char *format : {"tsv", "csv", "json"}) {
        EXPECT_EQ(run({"--format", format}), 2);
        const std::string printed = out.str();
        writeFile(path("old.txt"), "old");
        EXPECT_EQ(run({"--format", format, "--output", "old.txt"}), 2);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(readFile(path("old.txt")), printed) << format;
        EXPECT_EQ(err.str(), missingError() + "Maps indexed: 7\n");
    }

    EXPECT_EQ(run({"--output", "no/such/folder.tsv"}), 2);
    EXPECT_TRUE(err.str().ends_with("no/such/folder.tsv: Invalid filename.\n"));

    std::filesystem::remove_all(path("maps"));
    testing_support::makeDirectory(path("maps"));
    EXPECT_EQ(run({"--format", "json"}), 0);
    EXPECT_EQ(out.str(), "[]\n");
    EXPECT_EQ(err.str(), "Maps indexed: 0\n");
}

TEST_F(IndexTest, OnATerminalTsvFieldsAreEscapedAndJsonIsPretty)
{
    writeFile(path("maps/Esc\x1b[2J.fcw"), "Map Name: \x81\r");
    EXPECT_EQ(run({}, true), 2);
    EXPECT_NE(out.str().find("\nBad\xc3\xbf\t\t\tX\t\n"), std::string::npos);
    EXPECT_NE(out.str().find("\nEsc\\033[2J\t\\302\\201\t\t\t\n"), std::string::npos);
    EXPECT_NE(out.str().find("\nTab\\tName\t\t\t\t7\n"), std::string::npos);
    EXPECT_EQ(run({"--format", "json"}, true), 2);
    EXPECT_TRUE(out.str().starts_with("[\n  {\n    \"entry\": \"Bad\xc3\xbf\",\n"));
}

namespace {

// Each folder's own maps first, then its subfolders in byte order; a link
// back up the tree is not followed, and a locked folder is reported and skipped,
// once, whether it may not be read or only not entered.
class RecursiveIndexTest : public IndexTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        for (const char *folder :
             {"maps", "maps/b", "maps/a", "maps/a/deep", "maps/Caf\xe9", "maps/locked", "maps/noexec"})
            testing_support::makeDirectory(path(folder));
        writeFile(path("maps/Top.fcw"), "Map Name: T\r");
        writeFile(path("maps/b/B.fcw"), "Map Name: B\r");
        writeFile(path("maps/a/A.fcw"), "Product: P\r");
        writeFile(path("maps/a/deep/D.fcw"), "");
        writeFile(path("maps/Caf\xe9/C.fcw"), "");
        writeFile(path("maps/locked/L.fcw"), "");
        writeFile(path("maps/noexec/N.fcw"), "");
        std::filesystem::create_directory_symlink("..", path("maps/a/Loop"));
        ::chmod(dir().c_str(), 0755);
        ::chmod(path("maps/locked").c_str(), 0);
        ::chmod(path("maps/noexec").c_str(), 0644);
    }
};

} // namespace

TEST_F(RecursiveIndexTest, ListsEveryFolderInEachFormatWithoutFollowingLinks)
{
    const std::pair<const char *, std::string> cases[] = {
        {"tsv",
         "entry\tfolder\tmap name\tmap type\tproduct\tpage number\nTop\t\tT\t\t\t\nC\tCaf\xc3\xa9\t\t\t\t\n"
         "A\ta\t\t\tP\t\nD\ta/deep\t\t\t\t\nB\tb\tB\t\t\t\n"},
        {"csv",
         "entry,folder,map name,map type,product,page number\r\nTop,,T,,,\r\nC,Caf\xc3\xa9,,,,\r\n"
         "A,a,,,P,\r\nD,a/deep,,,,\r\nB,b,B,,,\r\n"},
        {"json",
         "[{\"entry\":\"Top\",\"folder\":\"\",\"map_name\":\"T\",\"map_type\":null,\"product\":null,"
         "\"page_number\":null},{\"entry\":\"C\",\"folder\":\"Caf\xc3\xa9\",\"map_name\":null,"
         "\"map_type\":null,\"product\":null,\"page_number\":null,\"folder_bytes\":\"Q2Fm6Q==\"},"
         "{\"entry\":\"A\",\"folder\":\"a\",\"map_name\":null,\"map_type\":null,\"product\":\"P\","
         "\"page_number\":null},{\"entry\":\"D\",\"folder\":\"a/deep\",\"map_name\":null,\"map_type\":null,"
         "\"product\":null,\"page_number\":null},{\"entry\":\"B\",\"folder\":\"b\",\"map_name\":\"B\","
         "\"map_type\":null,\"product\":null,\"page_number\":null}]\n"},
    };
    const int code = testing_support::runUnprivileged([&] {
        int failures = 0;
        for (const auto &[format, expected] : cases) {
            const int status = run({"--recursive", "--format", format});
            const bool same = status == 2 && out.str() == expected
                && err.str()
                    == "map-catalogue: maps/locked: File access denied.\n"
                       "map-catalogue: maps/noexec: File access denied.\nMaps indexed: 5\n";
            if (!same)
                std::cerr << format << " gave " << status << ":\n" << out.str() << err.str();
            failures += same ? 0 : 1;
        }
        return failures;
    });
    if (code == testing_support::Skipped)
        GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(code, 0);
}

// search --recursive walks the index's folders in its order, with its
// errors; each match prints with its folder, or as a file with --files.
TEST_F(RecursiveIndexTest, SearchWalksTheIndexsFoldersAndNamesEachMatchBelowThem)
{
    writeFile(path("maps/a/deep/D.fcw"), "map name: d");
    const std::string locked = "map-catalogue: maps/locked: File access denied.\n"
                               "map-catalogue: maps/noexec: File access denied.\n";
    const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
        {{"-i", "--content", "MAP NAME"}, "Top\na/deep/D\nb/B\n", "Maps found: 3\n"}, // the top's own: no folder
        {{"--content", "--files", "-0", "Map Name"}, "Top.fcw\0b/B.fcw\0"s, "Maps found: 2\n"},
        {{"D"}, "a/deep/D\n", "Maps found: 1\n"},
        {{"--content", "nowhere"}, "", "No maps containing the desired search string were found\n"},
    };
    const int code = testing_support::runUnprivileged([&] {
        int failures = 0;
        for (const auto &[options, names, last] : cases) {
            std::vector<std::string> arguments = {"--dir", "maps", "search", "--recursive"};
            arguments.insert(arguments.end(), options.begin(), options.end());
            out.str("");
            err.str("");
            std::filesystem::current_path(dir());
            const int status = cli::RunCommandLine(arguments, {out, err, false, false});
            const bool same = status == 2 && out.str() == names && err.str() == locked + last;
            if (!same)
                std::cerr << options.back() << " gave " << status << ":\n" << out.str() << err.str();
            failures += same ? 0 : 1;
        }
        return failures;
    });
    if (code == testing_support::Skipped)
        GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(code, 0);
}

// A map deeper than a path can name (past 4096 bytes) is read in its own
// folder, as the walk reached it.
TEST_F(IndexTest, RecursiveIndexReadsMapsPastThePathLimit)
{
    const std::string name(200, 'd');
    int folder = ::open(path("maps").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string below;
    for (int depth = 0; depth < 24; ++depth) { // 24 x 201 bytes
        ASSERT_EQ(::mkdirat(folder, name.c_str(), 0755), 0);
        const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(folder);
        folder = inner;
        below += (below.empty() ? "" : "/") + name;
    }
    const int map = ::openat(folder, "Deep.fcw", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(::write(map, "Map Name: D\r", 12), 12);
    ::close(map);
    ::close(folder);
    std::filesystem::remove(path("maps/gone.fcw"));
    const int status = run({"--recursive"});
    // rm walks by descriptors; remove_all would stop at the path limit.
    [[maybe_unused]] const int removed = std::system(("rm -rf '" + path("maps") + "/" + name + "'").c_str());
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_NE(out.str().find("Deep\t" + below + "\tD\t\t\t\n"), std::string::npos);
}
