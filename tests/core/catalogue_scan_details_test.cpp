#include "catalogue/map_details.h"
#include "catalogue/map_scan.h"
#include "catalogue/vector_map_list.h"
#include "fake_views.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include "test_support.h"

using namespace catalogue;
using testing_support::mapBytes;
using testing_support::RecordingDetails;
using testing_support::writeFile;
using Line = RecordingDetails::Line;
using namespace std::string_literals;

namespace {

class ScanTest : public testing_support::TempDirTest {
protected:
    ProgramState state;
    VectorMapList list;
};

class DetailsTest : public testing_support::TempDirTest {
protected:
    std::vector<Line> details(const std::string &bytes)
    {
        writeFile(path("m.fcw"), bytes);
        ShowMapDetails(dir(), "m", view);
        return view.lines;
    }
    RecordingDetails view;
};

constexpr auto Black = TextColour::Black;
constexpr auto Red = TextColour::Red;

} // namespace

TEST_F(ScanTest, ListsNamesCutAtTheFirstDot)
{
    for (const char *name : {"river.map.fcw", "Harbour.fcw", "harbour2.FCW", "Old Harbour.fcw", "notes.txt"})
        writeFile(path(name), "x");
    testing_support::makeDirectory(path("old.fcw"));
    EXPECT_EQ(ScanMaps(state, list), 5);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"Harbour", "harbour2", "Old Harbour", "old", "river"}))
        << "sorted by the whole file name: \"OLD HARBOUR.FCW\" before \"OLD.FCW\"";
    EXPECT_EQ(state.MapCount, 5);
    EXPECT_EQ(ScanMaps(state, list), 5) << "a second scan replaces the list";
    EXPECT_EQ(list.count(), 5u);
}

// A map the scan saw as a regular file opens without a test of its own; any
// other kind of name must still be tested before it is opened.
TEST_F(ScanTest, EachMapKeepsWhetherTheScanSawARegularFile)
{
    writeFile(path("plain.fcw"), "x");
    testing_support::makeDirectory(path("folder.fcw"));
    ASSERT_EQ(::mkfifo(path("pipe.fcw").c_str(), 0600), 0);
    for (const auto &[link, target] : {std::pair{"linked", "plain.fcw"}, {"device", "/dev/null"}, {"dangling", "x"}})
        std::filesystem::create_symlink(target, path(std::string(link) + ".fcw"));
    ScanMaps(state, list);
    list.append("typed"); // known by its text alone
    std::string regular;
    for (std::size_t i = 0; i < list.count(); ++i)
        regular += list.mapAt(i).regular ? '+' : '-';
    EXPECT_EQ(regular, "---+-+-") << "dangling device folder linked pipe plain typed";
}

TEST_F(ScanTest, AnEmptyDirectoryGivesAnEmptyList)
{
    list.append("stale");
    state.MapCount = 9;
    EXPECT_EQ(ScanMaps(state, list), 0);
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(state.MapCount, 0);
    EXPECT_EQ(MapsFoundText(0), "Maps found: 0");
}

TEST_F(ScanTest, KeepsNamesThatAreNotUtf8)
{
    writeFile(path("caf\xe9.fcw"), "x");
    ScanMaps(state, list);
    EXPECT_EQ(list.entries(), std::vector<std::string>{"caf\xe9"});
    EXPECT_EQ(MapPath("/maps/", "a"), "/maps//a.fcw") << "the directory is used as it stands";
}

TEST_F(DetailsTest, KeyLinesInDiscoveryOrderWithTheNameInBold)
{
    EXPECT_EQ(details("\x01\x02Map Name: Castle\rxx Product: Atlas\r"),
              (std::vector<Line>{{"Map Name: Castle", true, Black}, {"Product: Atlas", false, Black}}));

    std::string bytes = mapBytes(6144, 10, "Page Number: 12\r");
    bytes.replace(4096 + 5, 16, "Map Name: Third\r");
    EXPECT_EQ(details(bytes),
              (std::vector<Line>{{"Page Number: 12", false, Black}, {"Map Name: Third", true, Black}}));
}

TEST_F(DetailsTest, OnlyTheFirstBlockWithAKeyCounts)
{
    std::string bytes = mapBytes(4096, 0, "Map Type: First\r");
    bytes.replace(2048, 17, "Map Type: Second\r");
    EXPECT_EQ(details(bytes), (std::vector<Line>{{"Map Type: First", false, Black}}));
}

TEST_F(DetailsTest, OverlongValuesShowNothingAndNoNotice)
{
    EXPECT_TRUE(details("Map Name: " + std::string(246, 'n') + "\r").empty());
    EXPECT_EQ(details("Map Name: " + std::string(245, 'n') + "\r").at(0).text.size(), 255u);
}

TEST_F(DetailsTest, ALineRunsToTheNextCrOrTheEndOfTheFile)
{
    std::string bytes = mapBytes(2048);
    bytes.replace(2048 - 14, 14, "Product: ABCDE");
    EXPECT_EQ(details(bytes), (std::vector<Line>{{"Product: ABCDE", false, Black}}));
    bytes = mapBytes(4096);
    bytes.replace(2040, 20, "Map Type: Cave\x01\x02Q\rzz");
    EXPECT_EQ(details(bytes), (std::vector<Line>{{"Map Type: Cave  Q", false, Black}})) << "over the block edge";
}

TEST_F(DetailsTest, KeysAreFoundAcrossBlockEdgesAndOrderedByTheBlockTheyStartIn)
{
    std::string bytes = mapBytes(8192);
    bytes.replace(1000, 15, "Page Number: 7\r"); // block 1
    bytes.replace(2044, 12, "Map Name: S\r");    // starts in block 1, ends in block 2
    bytes.replace(6140, 15, "Map Type: Town\r"); // starts in block 3
    EXPECT_EQ(details(bytes), (std::vector<Line>{{"Map Name: S", true, Black},
                                                 {"Page Number: 7", false, Black},
                                                 {"Map Type: Town", false, Black}}));
}

TEST_F(DetailsTest, KeysPastTheFirstReadsAreFound)
{
    std::string bytes = mapBytes(200000);
    bytes.replace(8186, 15, "Page Number: 4\r"); // across the end of the first, small read
    bytes.replace(73720, 16, "Map Type: Ruins\r"); // across the end of the second
    bytes.replace(199990, 10, "Product: Z");        // at the end of the file
    EXPECT_EQ(details(bytes), (std::vector<Line>{{"Page Number: 4", false, Black},
                                                 {"Map Type: Ruins", false, Black},
                                                 {"Product: Z", false, Black}}));
}

TEST_F(DetailsTest, NoKeysGiveTheRedNoticeAndRestoreTheStyle)
{
    EXPECT_EQ(details(""), (std::vector<Line>{{"", true, Red}, {NoDetailsText, true, Red}}));
    EXPECT_FALSE(view.bold);
    EXPECT_EQ(view.colour, Black);
}

TEST_F(DetailsTest, ControlBytesInsideALineShowAsSpaces)
{
    EXPECT_EQ(details("Map Name:\0\x1b[2Jx\t\0\0\r Map Type: T\r"s),
              (std::vector<Line>{{"Map Name:  [2Jx", true, Black}, {"Map Type: T", false, Black}}))
        << "a NUL inside the line no longer stops the keys after it";
}

TEST_F(DetailsTest, OpenFailuresLeaveTheViewCleared)
{
    view.lines.push_back({"old", false, Black});
    EXPECT_THROW(ShowMapDetails(dir(), "missing", view), runtime::EInOutError);
    EXPECT_TRUE(view.lines.empty());
    testing_support::makeDirectory(path("old.fcw"));
    try {
        ShowMapDetails(dir(), "old", view);
        FAIL();
    } catch (const runtime::EInOutError &error) {
        EXPECT_EQ(runtime::ReportText(error.what()), "File access denied.");
    }
}

TEST_F(DetailsTest, ReadsMapsWithUpperCaseExtensions)
{
    writeFile(path("Keep.FCW"), "Map Name: Keep\r");
    ShowMapDetails(dir(), "Keep", view);
    EXPECT_EQ(view.lines, (std::vector<Line>{{"Map Name: Keep", true, Black}}));
}

TEST_F(ScanTest, NamesWithStarsAreListedLikeAnyOther)
{
    for (const char *name : {"*abc.fcw", "**.fcw", "*.b.fcw", "plain.fcw"})
        writeFile(path(name), "x");
    ScanMaps(state, list);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"**", "*", "*abc", "plain"}));
    // Only the star name stands before a folder named like a map: it is the map that counts.
    for (const char *name : {"*abc.fcw", "*.b.fcw", "plain.fcw"})
        std::filesystem::remove(path(name));
    testing_support::makeDirectory(path("a.fcw"));
    EXPECT_TRUE(MapsPresent(AT_FDCWD));
}

TEST_F(ScanTest, AnUnreadableFolderIsAnErrorNotAnEmptyList)
{
    testing_support::makeDirectory(path("maps"));
    writeFile(path("maps/a.fcw"), "x");
    ::chmod(dir().c_str(), 0755);
    ::chmod(path("maps").c_str(), 0311);
    list = VectorMapList({"kept"});
    state.MapCount = 7;
    const int code = testing_support::runUnprivileged([&] {
        runtime::SetWorkingDirectory(path("maps"));
        runtime::CheckIo();
        int codes = 0;
        try {
            ScanMaps(state, list);
        } catch (const runtime::EInOutError &error) {
            codes += error.code() == 5 ? 1 : 100;
        }
        try {
            MapsPresent(AT_FDCWD);
        } catch (const runtime::EInOutError &error) {
            codes += error.code() == 5 ? 10 : 100;
        }
        const bool untouched = list.entries() == std::vector<std::string>{"kept"} && state.MapCount == 7;
        return codes == 11 && untouched ? 0 : 1;
    });
    if (code == testing_support::Skipped)
        GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(code, 0) << "scan and the maps-present test both raise code 5; the list stays";
}

TEST_F(DetailsTest, AnEntryOpensItsExactNameBeforeCaseVariants)
{
    writeFile(path("A.fcw"), "Map Name: upper\r");
    writeFile(path("a.FCW"), "Map Name: extension\r");
    writeFile(path("b.FCW"), "Map Name: b\r");
    writeFile(path("B.fcw"), "Map Name: B\r");
    writeFile(path("c.Fcw"), "Map Name: C1\r");
    writeFile(path("C.FCW"), "Map Name: C2\r");
    const struct {
        const char *entry, *shown;
    } cases[] = {{"a", "Map Name: extension"}, {"A", "Map Name: upper"}, {"b", "Map Name: b"},
                 {"B", "Map Name: B"}, {"c", "Map Name: C1"}, {"C", "Map Name: C2"}};
    for (const auto &c : cases) {
        ShowMapDetails(dir(), c.entry, view);
        ASSERT_FALSE(view.lines.empty()) << c.entry;
        EXPECT_EQ(view.lines[0].text, c.shown) << c.entry;
    }
}

// An entry alone (a name typed by the user): "ENTRY.fcw" in any case first,
// then the first map in listing order whose name cut at its first dot is it.
TEST_F(DetailsTest, AnEntryAloneFindsTheFirstMapListedAsIt)
{
    const struct {
        std::vector<std::string> files;
        const char *entry, *opened;
    } cases[] = {
        {{"a.fcw", "a.b.fcw"}, "a", "a.fcw"}, {{"river.map.fcw"}, "river", "river.map.fcw"},
        {{"A.FCW", "a.b.fcw"}, "a", "A.FCW"}, {{"b.y.fcw", "b.x.fcw"}, "b", "b.x.fcw"},
        {{"._c.fcw"}, "", "._c.fcw"},         {{"D.x.fcw"}, "d", nullptr},
        {{"e.x.txt"}, "e", nullptr},
    };
    int n = 0;
    for (const auto &c : cases) {
        const std::string folder = path("case" + std::to_string(++n));
        testing_support::makeDirectory(folder);
        for (const auto &name : c.files)
            writeFile(folder + "/" + name, "xx\rMap Name: " + name + "\r");
        try {
            ShowMapDetails(folder, c.entry, view);
            ASSERT_TRUE(c.opened) << c.entry << " opened " << view.lines.at(0).text;
            EXPECT_EQ(view.lines, (std::vector<Line>{{"Map Name: "s + c.opened, true, Black}}));
        } catch (const runtime::EInOutError &error) {
            EXPECT_FALSE(c.opened) << c.entry;
            EXPECT_EQ(error.path(), folder + "/" + c.entry + ".fcw");
            EXPECT_EQ(error.code(), runtime::IoCode::FileNotFound);
        }
    }
}
