#include "catalogue/content_search.h"
#include "catalogue/map_scan.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "test_support.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <thread>

using namespace catalogue;
using namespace testing_support;

namespace {

struct Outcome {
    ContentSearchResult result;
    std::vector<std::size_t> steps;
};

// Threads, and readers of their own (0: none on a local disk in memory).
constexpr std::pair<unsigned, unsigned> JobsAndDepths[] = {{2, 0}, {3, 0}, {8, 0}, {1, 256}, {2, 3}};

class ContentSearchTest : public TempDirTest {
protected:
    Outcome search(const std::vector<ListedMap> &entries, const std::string &text, unsigned jobs,
                   std::size_t cancelAt = 0, unsigned ioDepth = 0)
    {
        const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
        Outcome run;
        run.result = FindMapsContaining(
            maps.fd(), entries, text,
            [&](std::size_t done) {
                run.steps.push_back(done);
                return done != cancelAt;
            },
            jobs, {}, runtime::LetterCase::Exact, ioDepth);
        return run;
    }

    // The threaded searches, and those with readers of their own (more than
    // there are maps), must give what the sequential one gives.
    Outcome searchEveryWay(const std::vector<ListedMap> &entries, const std::string &text, std::size_t cancelAt = 0)
    {
        const Outcome one = search(entries, text, 1, cancelAt);
        for (const auto &[jobs, ioDepth] : JobsAndDepths) {
            const Outcome many = search(entries, text, jobs, cancelAt, ioDepth);
            EXPECT_EQ(many.result.matches, one.result.matches) << jobs << " jobs";
            EXPECT_EQ(many.steps, one.steps) << jobs << " jobs";
            EXPECT_EQ(many.result.cancelled, one.result.cancelled);
            EXPECT_EQ(skipped(many), skipped(one)) << jobs << " jobs";
        }
        return one;
    }

    // Each unreadable map's index, code and path.
    static std::vector<std::string> skipped(const Outcome &run)
    {
        std::vector<std::string> texts;
        for (const auto &map : run.result.unreadable)
            texts.push_back(std::to_string(map.index) + " " + std::to_string(map.error.code()) + " "
                            + map.error.path());
        return texts;
    }
};

// Bytes this process has read so far, holes of sparse files included.
std::uint64_t bytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value && key != "rchar:") {}
    return value;
}

std::string randomBytes(std::mt19937 &random, std::size_t size)
{
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>("abN\0\xff"[random() % 5]); // near misses of the needles below
    return bytes;
}

TEST_F(ContentSearchTest, ThreadedAndSequentialAgreeWithAWholeFileSearch)
{
    std::mt19937 random(7);
    const std::string longText = randomBytes(random, 2048);
    const std::vector<std::string> texts = {"N", "Nb", "aNb", longText};
    // Block edges, the read size's edges, the end of the file, files shorter than a block.
    const std::vector<std::size_t> sizes = {1, 3, 100, 2047, 2048, 4100, 131072, 131075, 300000};
    const std::vector<std::size_t> plants = {0, 2046, 2047, 2048, 2049, 2050, 131070, 131071, 131072, 262143};
    for (const std::string &text : texts) {
        std::vector<ListedMap> entries;
        std::vector<std::size_t> expected;
        for (std::size_t size : sizes) {
            for (std::size_t at : plants) {
                std::string bytes(size, '\0'); // no needle's byte: hits are the plants alone
                const bool fits = at + text.size() <= size;
                if (fits)
                    bytes.replace(at, text.size(), text);
                else if (size >= text.size() && random() % 2 == 0)
                    bytes.replace(size - text.size(), text.size(), text); // at the end of the file
                const std::string entry = "m" + std::to_string(entries.size());
                writeFile(path(entry + ".fcw"), bytes);
                if (bytes.find(text) != std::string::npos)
                    expected.push_back(entries.size());
                entries.push_back(entry);
            }
        }
        const Outcome run = searchEveryWay(entries, text);
        EXPECT_EQ(run.result.matches, expected) << text.size() << "-byte text";
        EXPECT_TRUE(run.result.unreadable.empty());
        EXPECT_EQ(run.steps.size(), entries.size());
    }
}

// Maps that cannot be read are skipped and reported; the rest are searched.
TEST_F(ContentSearchTest, UnreadableEntriesAreSkippedEveryWayAlike)
{
    std::vector<ListedMap> entries;
    std::vector<std::size_t> expected;
    for (int i = 0; i < 40; ++i) {
        entries.push_back("m" + std::to_string(i));
        writeFile(path(entries.back().entry + ".fcw"), i % 3 ? mapBytes(5000, 2047, "Dragon") : mapBytes(5000));
    }
    makeDirectory(path("folder.fcw"));
    entries.insert(entries.begin() + 17, "gone");
    entries.insert(entries.begin() + 30, "folder");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].entry.front() == 'm' && std::stoi(entries[i].entry.substr(1)) % 3)
            expected.push_back(i);
    }
    const Outcome run = searchEveryWay(entries, "Dragon");
    EXPECT_EQ(run.result.matches, expected);
    EXPECT_EQ(run.steps.size(), entries.size());
    EXPECT_EQ(skipped(run), (std::vector<std::string>{"17 2 gone.fcw", "30 5 folder.fcw"}));
    EXPECT_FALSE(run.result.cancelled);
}

TEST_F(ContentSearchTest, CancellingStopsAtTheSameEntryEveryWay)
{
    std::vector<ListedMap> entries;
    for (int i = 0; i < 30; ++i) {
        entries.push_back("m" + std::to_string(i));
        writeFile(path(entries.back().entry + ".fcw"), mapBytes(3000, 10, "Dragon"));
    }
    const Outcome run = searchEveryWay(entries, "Dragon", 12);
    EXPECT_TRUE(run.result.cancelled);
    EXPECT_EQ(run.result.matches.size(), 12u);
}

// Each entry opens the file the rule gives: exact, then the extension in
// another case, then any case; names differing only in case stay apart.
TEST_F(ContentSearchTest, NamesInOtherCasesOpenTheirOwnFiles)
{
    writeFile(path("A.fcw"), "upper A");
    writeFile(path("a.FCW"), "lower a");
    writeFile(path("B.FCW"), "upper B");
    writeFile(path("c.fcw"), "c");
    const std::vector<ListedMap> entries = {"A", "a", "b", "c"};
    EXPECT_EQ(searchEveryWay(entries, "upper").result.matches, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(searchEveryWay(entries, "lower a").result.matches, (std::vector<std::size_t>{1}));

    const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
    const runtime::FolderNames names(maps.fd());
    EXPECT_EQ(names.resolve("b.fcw"), "b.fcw"); // taken as it stands until a miss
    for (const std::string name : {"A.fcw", "a.fcw", "b.fcw", "C.fcw", "none.fcw"})
        EXPECT_EQ(names.resolveAfterMiss(name), runtime::ResolveNameIgnoringCase(maps.fd(), name)) << name;
    EXPECT_EQ(names.resolve("b.fcw"), "B.FCW");
}

// Ignoring case is asked for; the default compares bytes, and a text that
// spans a read's edge is found either way.
TEST_F(ContentSearchTest, CaseIsIgnoredOnlyWhenAskedFor)
{
    writeFile(path("a.fcw"), "Vault of the Drowned \xc9T\xc9"); // ÉTÉ
    writeFile(path("b.fcw"), std::string(131070, '\0') + "vault of the drowned \xe9t\xe9");
    writeFile(path("c.fcw"), "Vault of the Drowned ETE");
    writeFile(path("d.fcw"), std::string(131070, '\0') + "VAULT OF THE DROWNED \xc9T\xc9");
    const std::vector<ListedMap> entries = {"a", "b", "c", "d"};
    const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
    const std::string text = "vault of the drowned \xe9t\xe9";
    for (const unsigned jobs : {1u, 3u}) {
        EXPECT_EQ(FindMapsContaining(maps.fd(), entries, text, {}, jobs).matches, std::vector<std::size_t>{1});
        EXPECT_EQ(
            FindMapsContaining(maps.fd(), entries, text, {}, jobs, {}, runtime::LetterCase::IgnoreWindows1252).matches,
            (std::vector<std::size_t>{0, 1, 3}));
    }
}

// With case, one pass also tells which maps hold the text only in another
// case: a hit in another case does not end the search for an exact one, at
// the start of a read or across its edge.
TEST_F(ContentSearchTest, OnePassTellsTheMapsHoldingTheTextOnlyInAnotherCase)
{
    const std::string edge(131070, '\0'); // the text spans the first read's end
    writeFile(path("other.fcw"), "the vault of the drowned \xc9T\xc9");
    writeFile(path("both.fcw"), "VAULT OF THE DROWNED \xc9T\xc9" + edge.substr(24) + "Vault of the Drowned \xc9t\xe9");
    writeFile(path("exact.fcw"), "Vault of the Drowned \xc9t\xe9");
    writeFile(path("seam.fcw"), edge + "vault of the drowned \xe9t\xe9");
    writeFile(path("none.fcw"), "Vault of the Drowned ETE");
    const std::vector<ListedMap> entries = {"other", "both", "exact", "seam", "none"};
    const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
    const std::string text = "Vault of the Drowned \xc9t\xe9";
    for (const unsigned jobs : {1u, 3u}) {
        const auto noted = FindMapsContaining(maps.fd(), entries, text, {}, jobs, {}, runtime::LetterCase::Exact, 0,
                                              runtime::OtherCase::Noted);
        EXPECT_EQ(noted.matches, (std::vector<std::size_t>{1, 2}));
        EXPECT_EQ(noted.inAnotherCase, (std::vector<std::size_t>{0, 3}));
        EXPECT_TRUE(FindMapsContaining(maps.fd(), entries, text, {}, jobs).inAnotherCase.empty());
        const auto anyCase = FindMapsContaining(maps.fd(), entries, text, {}, jobs, {},
                                                runtime::LetterCase::IgnoreWindows1252, 0, runtime::OtherCase::Noted);
        EXPECT_EQ(anyCase.matches, (std::vector<std::size_t>{0, 1, 2, 3}));
        EXPECT_TRUE(anyCase.inAnotherCase.empty());
    }
}

} // namespace

// A stop reaches the map being read at its next chunk, however large the
// map, with one thread or many.
TEST_F(ContentSearchTest, AStopEndsTheMapBeingReadAtItsNextChunk)
{
    for (const char *name : {"huge1.fcw", "huge2.fcw"}) {
        writeFile(path(name), "");
        std::filesystem::resize_file(path(name), std::uintmax_t(4) << 30); // sparse: read through, it takes seconds
    }
    const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
    for (const unsigned jobs : {1u, 2u}) {
        std::stop_source stop;
        std::atomic<bool> done{false};
        const std::uint64_t before = bytesRead();
        std::jthread stopper([&] {
            while (!done && bytesRead() < before + (64u << 20)) // well inside the first map
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            stop.request_stop();
        });
        const auto result = FindMapsContaining(maps.fd(), {"huge1", "huge2"}, "needle", {}, jobs, stop.get_token());
        done = true;
        EXPECT_TRUE(result.cancelled) << jobs << " jobs";
        EXPECT_LT(bytesRead() - before, std::uint64_t(1) << 30) << jobs << " jobs: the reads went on past the stop";
    }
}

// Maps deleted or turned into folders while the reads ahead of them are in
// flight: each such map is either read as it was or reported as it now is,
// and every other map gives what a plain whole-file read gives, in order,
// with one thread or many, to the end or to a cancel.
TEST_F(ContentSearchTest, MapsChangingWhileReadAheadAgreeWithAPlainRead)
{
    constexpr std::size_t Count = 96, ChangeAt = 20, CancelAt = 60;
    const std::set<std::size_t> deleted = {21, 22, 27, 45}, folders = {23, 30};
    for (const std::size_t cancelAt : {std::size_t(0), CancelAt}) {
        for (const auto &[jobs, ioDepth] : JobsAndDepths) {
            SCOPED_TRACE(std::to_string(jobs) + " jobs, depth " + std::to_string(ioDepth) + ", cancel at "
                         + std::to_string(cancelAt));
            std::vector<bool> holds(Count);
            for (std::size_t i = 0; i < Count; ++i) {
                holds[i] = i % 3 != 0;
                writeFile(path("m" + std::to_string(100 + i) + ".fcw"),
                          holds[i] ? mapBytes(3000 + 50 * i, 2047, "Dragon") : mapBytes(3000 + 50 * i));
            }
            const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
            const std::vector<ListedMap> listed = ScanListedMaps(maps.fd());
            ASSERT_EQ(listed.size(), Count);
            std::size_t steps = 0;
            const auto result = FindMapsContaining(
                maps.fd(), listed, "Dragon",
                [&](std::size_t done) {
                    EXPECT_EQ(done, ++steps);
                    if (done == ChangeAt) {
                        for (const std::size_t i : deleted)
                            std::filesystem::remove(path(listed[i].file));
                        for (const std::size_t i : folders) {
                            std::filesystem::remove(path(listed[i].file));
                            makeDirectory(path(listed[i].file));
                        }
                    }
                    return done != cancelAt;
                },
                jobs, {}, runtime::LetterCase::Exact, ioDepth);
            const std::size_t end = cancelAt ? cancelAt : Count;
            EXPECT_EQ(steps, end);
            EXPECT_EQ(result.cancelled, cancelAt != 0);
            std::map<std::size_t, int> unreadable;
            for (const auto &map : result.unreadable)
                unreadable[map.index] = map.error.code();
            EXPECT_EQ(unreadable.size(), result.unreadable.size()) << "each map once";
            for (std::size_t i = 0; i < end; ++i) {
                const bool hit = std::binary_search(result.matches.begin(), result.matches.end(), i);
                const bool changed = i >= ChangeAt && (deleted.count(i) || folders.count(i));
                // A map made a folder is briefly missing between the two steps.
                const bool codeFits =
                    unreadable.count(i) && (unreadable[i] == 2 || (folders.count(i) && unreadable[i] == 5));
                if (changed && unreadable.count(i))
                    EXPECT_TRUE(!hit && codeFits) << i;
                else
                    EXPECT_TRUE(hit == holds[i] && !unreadable.count(i)) << i;
            }
            EXPECT_TRUE(std::is_sorted(result.matches.begin(), result.matches.end()));
            EXPECT_TRUE(result.matches.empty() || result.matches.back() < end);
            for (const std::size_t i : folders)
                std::filesystem::remove(path(listed[i].file));
        }
    }
}
