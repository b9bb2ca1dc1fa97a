#include "catalogue/content_search.h"
#include "catalogue/index_format.h"
#include "catalogue/map_details.h"
#include "catalogue/map_index.h"
#include "catalogue/map_scan.h"
#include "catalogue/map_tree.h"
#include "catalogue/text_encoding.h"
#include "fake_views.h"
#include "runtime/directory_handle.h"
#include "runtime/io_error.h"
#include "test_support.h"

#include <filesystem>
#include <random>
#include <set>

using namespace catalogue;
using namespace std::string_literals;
using testing_support::writeFile;

TEST(TextEncoding, Windows1252DecodesEveryByte)
{
    EXPECT_EQ(Windows1252ToUtf8("K\xF6ln \x80 \x9F"), "Köln € Ÿ");
    // The undefined bytes become the C1 controls of the same value.
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(Windows1252ToUtf8("a\0b"s), "a\0b"s);
}

TEST(TextEncoding, EncodingRoundTripsAllBytesAndRefusesTheRest)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
    EXPECT_EQ(Utf8ToWindows1252("Köln"), "K\xF6ln");
    for (const char *text : {"日本", "\u0080", "K\xF6ln", "\xC3"})
        EXPECT_EQ(Utf8ToWindows1252(text), std::nullopt) << text;
}

TEST(TextEncoding, Utf8ValidityIsStrict)
{
    for (const char *valid : {"", "plain", "é€𝄞", "\x7F", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(valid)) << valid;
    // Cut short, stray continuation, overlong, surrogate, beyond U+10FFFF, bad lead.
    for (const char *invalid :
         {"\xC3", "\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", "a\xE2\x82"})
        EXPECT_FALSE(IsValidUtf8(invalid)) << testing::PrintToString(std::string(invalid));
}

TEST(IndexFormatTest, CsvCellsThatLookLikeFormulasGetAnApostropheAndTsvStaysExact)
{
    // A cell, and the cell as CsvRow writes it; plain decimal numbers stay numbers.
    const std::pair<std::string, std::string> cases[] = {
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"+1+1", "'+1+1"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tcmd", "'\tcmd"},
        {"\rcmd", "\"'\rcmd\""},
        {"-", "'-"},
        {"-.5", "'-.5"},
        {"-1e5", "'-1e5"},
        {"+1.", "'+1."},
        {"-1 ", "'-1 "},
        {"-1", "-1"},
        {"+12.50", "+12.50"},
        {"1-2", "1-2"},
        {"", ""},
    };
    for (const auto &[cell, csv] : cases) {
        EXPECT_EQ(CsvRow({cell, "x", "", "", cell}), csv + ",x,,," + csv) << cell;
        EXPECT_EQ(TsvRow({cell, "", "", "", ""}), TsvField(cell) + "\t\t\t\t") << cell;
    }
}

TEST(DetailValueTest, DropsKeyAndSeparator)
{
    EXPECT_EQ(DetailValue("Map Name: Harbour Town", "Map Name"), "Harbour Town");
    EXPECT_EQ(DetailValue("Page Number:  : 12", "Page Number"), "12");
    EXPECT_EQ(DetailValue("Page Number", "Page Number"), "");
    EXPECT_EQ(DetailValue("Product:x:y", "Product"), "x:y");
    EXPECT_EQ(DetailValue("Map Type: City", "Map Name"), std::nullopt);
    EXPECT_EQ(DetailValue("", "Map Name"), std::nullopt);
}

namespace {

class IndexRecordTest : public testing_support::TempDirTest {};

// Keys near and across block edges, long lines, Windows-1252 bytes and controls.
std::string randomMap(std::mt19937 &random)
{
    static const std::vector<std::string> pieces = {"Map Name: K\xE9"
                                                    "ep\r",
                                                    "Map Type:\t City",
                                                    "Product: \x80 Atlas\r",
                                                    "Page Number: 9\r\n",
                                                    "\r",
                                                    "Map Name: " + std::string(300, 'x') + "\r",
                                                    std::string(1, '\0'),
                                                    "Product"};
    std::string bytes(random() % 7000, 'a');
    for (char &c : bytes)
        c = "ab \t\x01\xfe"[random() % 6];
    for (int i = static_cast<int>(random() % 8); i > 0 && !bytes.empty(); --i) {
        const std::string &piece = pieces[random() % pieces.size()];
        std::size_t at = random() % 2 ? (random() % 3 + 1) * 2048 - random() % 16 : random() % bytes.size();
        at = std::min(at, bytes.size());
        bytes.replace(at, std::min(piece.size(), bytes.size() - at), piece);
    }
    return bytes;
}

} // namespace

TEST_F(IndexRecordTest, ValuesEqualTheShownDetailsLessKeyAndSeparator)
{
    std::mt19937 random(1252);
    for (int round = 0; round < 200; ++round) {
        writeFile(path("m.fcw"), randomMap(random));
        testing_support::RecordingDetails shown;
        ShowMapDetails(dir(), "m", shown);
        std::array<std::optional<std::string>, 4> expected;
        for (const auto &line : shown.lines)
            for (std::size_t k = 0; k < DetailKeys.size(); ++k)
                if (line.text.starts_with(DetailKeys[k])) {
                    std::string rest = line.text.substr(DetailKeys[k].size());
                    expected[k] = rest.erase(0, rest.find_first_not_of(": "));
                }
        const IndexRecord record = ReadIndexRecord(dir(), "m");
        ASSERT_EQ(record.entry, "m");
        ASSERT_EQ(record.values, expected) << "round " << round;
    }
}

TEST_F(IndexRecordTest, MissingKeysAreEmptyAndMissingMapsRaise)
{
    writeFile(path("a.fcw"), "Product: Atlas\rMap Name: " + std::string(300, 'n') + "\r");
    const IndexRecord record = ReadIndexRecord(dir(), "a");
    EXPECT_EQ(record.values,
              (std::array<std::optional<std::string>, 4>{std::nullopt, std::nullopt, "Atlas", std::nullopt}));
    EXPECT_THROW(ReadIndexRecord(dir(), "missing"), runtime::EInOutError);
}

TEST_F(IndexRecordTest, ThreadsHandOutcomesInListOrderAndStopWhenTheConsumerFails)
{
    std::vector<ListedMap> entries;
    for (int i = 0; i < 40; ++i) {
        entries.push_back("m" + std::to_string(i));
        if (i != 7)
            writeFile(path(entries.back().entry + ".fcw"), "Page Number: " + std::to_string(i) + "\r");
    }
    std::vector<std::string> seen;
    ReadIndexRecordsAt(AT_FDCWD, dir(), entries, 4, [&](std::size_t i, IndexResult &result) {
        ASSERT_EQ(i, seen.size());
        ASSERT_EQ(result.record.has_value(), i != 7);
        seen.push_back(result.record ? *result.record->values[3] : "error");
    });
    EXPECT_EQ(seen[6], "6");
    EXPECT_EQ(seen[7], "error");
    EXPECT_EQ(seen[39], "39");

    const auto failing = [](std::size_t i, IndexResult &) {
        if (i == 3)
            throw std::runtime_error("output failed");
    };
    EXPECT_THROW(ReadIndexRecordsAt(AT_FDCWD, dir(), entries, 4, failing), std::runtime_error);
}

TEST_F(IndexRecordTest, ManyMapsOpenByNameInAnyCaseAndFailAsOneMapDoes)
{
    writeFile(path("A.fcw"), "Page Number: 1\r");
    writeFile(path("a.FCW"), "Page Number: 2\r");
    writeFile(path("B.FCW"), "Page Number: 3\r");
    const std::vector<ListedMap> entries = {"A", "a", "b", "gone"};
    std::vector<std::string> seen;
    ReadIndexRecordsAt(AT_FDCWD, dir(), entries, 2, [&](std::size_t i, IndexResult &result) {
        if (result.record) {
            seen.push_back(*result.record->values[3]);
            return;
        }
        try {
            std::rethrow_exception(result.error);
        } catch (const runtime::EInOutError &error) {
            try {
                ReadIndexRecord(dir(), entries[i]);
            } catch (const runtime::EInOutError &alone) {
                EXPECT_EQ(error.path(), alone.path());
                EXPECT_STREQ(error.what(), alone.what());
            }
            seen.push_back("error");
        }
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3", "error"}));
}

// Maps deleted or made folders while their first blocks are read ahead are
// read as they were or reported as they are; every other map, one missing
// from the start and ones with keys past the first read included, gives
// what a plain read gives, in order, to the end or to a failing consumer.
TEST_F(IndexRecordTest, MapsChangingWhileReadAheadAgreeWithAPlainRead)
{
    const std::set<std::size_t> changed = {21, 22, 23, 41, 65, 77, 130}, folders = {23, 65};
    const auto text = [](const IndexResult &result) {
        try {
            if (result.error)
                std::rethrow_exception(result.error);
        } catch (const runtime::EInOutError &error) {
            return "error " + std::to_string(error.code()) + " " + error.path();
        }
        std::string text = result.record->entry;
        for (const auto &value : result.record->values)
            text += "|" + value.value_or("-");
        return text;
    };
    for (const std::size_t failAt : {0, 110})
        for (const auto &[jobs, ioDepth] : {std::pair{1u, 0u}, {2u, 0u}, {3u, 0u}, {8u, 0u}, {2u, 200u}, {1u, 5u}}) {
            for (std::size_t i = 0; i < 150; ++i)
                writeFile(path("m" + std::to_string(100 + i) + ".fcw"),
                          "Map Name: N" + std::string(i % 4 ? 9 : 9000, '\r') + "Page Number: " + std::to_string(i));
            std::vector<ListedMap> listed = ScanListedMaps(runtime::DirectoryHandle::Open(dir()).fd());
            listed.insert(listed.begin() + 10, ListedMap("gone", "gone.fcw"));
            std::vector<std::string> plain, seen;
            for (const ListedMap &map : listed) {
                IndexResult one;
                try {
                    one.record = ReadIndexRecord(dir(), map);
                } catch (...) {
                    one.error = std::current_exception();
                }
                plain.push_back(text(one));
            }
            const auto consume = [&](std::size_t i, IndexResult &result) {
                if (failAt && i == failAt)
                    throw std::runtime_error("output failed");
                seen.push_back(text(result));
                for (const std::size_t m : seen.size() == 20 ? changed : std::set<std::size_t>{}) {
                    std::filesystem::remove(path(listed[m].file));
                    if (folders.count(m))
                        testing_support::makeDirectory(path(listed[m].file));
                }
            };
            if (failAt)
                EXPECT_THROW(ReadIndexRecordsAt(AT_FDCWD, dir(), listed, jobs, consume, ioDepth), std::runtime_error);
            else
                ReadIndexRecordsAt(AT_FDCWD, dir(), listed, jobs, consume, ioDepth);
            ASSERT_EQ(seen.size(), failAt ? failAt : listed.size()) << jobs << " jobs, depth " << ioDepth;
            for (std::size_t i = 0; i < seen.size(); ++i) // a folder is briefly missing between the two steps
                EXPECT_TRUE(seen[i] == plain[i] || (changed.count(i) && seen[i].starts_with("error 2 "))
                            || (folders.count(i) && seen[i].starts_with("error 5 ")))
                    << i << ": " << seen[i];
            for (const std::size_t m : folders)
                std::filesystem::remove(path(listed[m].file));
        }
}

// A folder swapped for a link to another tree between the walk and the
// reading is not followed: maps of the walk's folder are read where the
// walk held it open, and without that hold a link is no folder to read in,
// for the index and the contents search alike.
TEST_F(IndexRecordTest, AFolderSwappedForALinkAfterTheWalkIsNotFollowed)
{
    testing_support::makeDirectory(path("maps"));
    testing_support::makeDirectory(path("maps/a"));
    testing_support::makeDirectory(path("outside"));
    writeFile(path("maps/a/A.fcw"), "Map Name: inside\r");
    writeFile(path("outside/A.fcw"), "Map Name: outside\r");
    const runtime::DirectoryHandle top = runtime::DirectoryHandle::Open(path("maps"));
    std::vector<MapFolder> walked = ScanMapTree(top.fd(), runtime::MatchDetail::TypesOnly);
    ASSERT_EQ(walked.size(), 2u);
    ASSERT_TRUE(walked[1].handle.valid());
    std::filesystem::rename(path("maps/a"), path("a-moved"));
    std::filesystem::create_directory_symlink("../outside", path("maps/a"));

    const std::vector<ListedMap> listed = {ListedMap("A", "a/A.fcw", true)};
    const auto readWith = [&](FolderReading how) {
        std::string seen;
        ReadIndexRecordsIn(AT_FDCWD, path("maps"), listed, how, [&](std::size_t, IndexResult &result) {
            seen = result.record ? result.record->values[0].value_or("-") : "error";
            return true;
        });
        return seen;
    };
    FolderReading held;
    held.heldFolders = {{"a", walked[1].handle.fd()}};
    EXPECT_EQ(readWith(held), "inside");
    EXPECT_EQ(readWith({}), "error");
    const ContentSearchResult found = FindMapsContaining(top.fd(), listed, "outside", {});
    EXPECT_TRUE(found.matches.empty());
    EXPECT_EQ(found.unreadable.size(), 1u);
}
