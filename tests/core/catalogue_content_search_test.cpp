#include "catalogue/content_search.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "test_support.h"

#include <random>

using namespace catalogue;
using namespace testing_support;

namespace {

struct Outcome {
    ContentSearchResult result;
    std::vector<std::size_t> steps;
};

class ContentSearchTest : public TempDirTest {
protected:
    Outcome search(const std::vector<std::string> &entries, const std::string &text, unsigned jobs,
               std::size_t cancelAt = 0)
    {
        const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
        Outcome run;
        run.result = FindMapsContaining(maps.fd(), entries, text, [&](std::size_t done) {
            run.steps.push_back(done);
            return done != cancelAt;
        }, jobs);
        return run;
    }

    // The threaded searches must give what the sequential one gives.
    Outcome searchEveryWay(const std::vector<std::string> &entries, const std::string &text, std::size_t cancelAt = 0)
    {
        const Outcome one = search(entries, text, 1, cancelAt);
        for (const unsigned jobs : {2u, 3u, 8u}) {
            const Outcome many = search(entries, text, jobs, cancelAt);
            EXPECT_EQ(many.result.matches, one.result.matches) << jobs << " jobs";
            EXPECT_EQ(many.steps, one.steps) << jobs << " jobs";
            EXPECT_EQ(many.result.cancelled, one.result.cancelled);
            EXPECT_EQ(many.result.error.has_value(), one.result.error.has_value());
            if (many.result.error && one.result.error) {
                EXPECT_EQ(many.result.failedIndex, one.result.failedIndex);
                EXPECT_EQ(many.result.error->code(), one.result.error->code());
                EXPECT_STREQ(many.result.error->what(), one.result.error->what());
            }
        }
        return one;
    }
};

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
        std::vector<std::string> entries;
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
        EXPECT_FALSE(run.result.error);
        EXPECT_EQ(run.steps.size(), entries.size());
    }
}

TEST_F(ContentSearchTest, AFailingEntryInTheMiddleEndsEveryWayAlike)
{
    std::vector<std::string> entries;
    for (int i = 0; i < 40; ++i) {
        entries.push_back("m" + std::to_string(i));
        writeFile(path(entries.back() + ".fcw"), i % 3 ? mapBytes(5000, 2047, "Dragon") : mapBytes(5000));
    }
    entries.insert(entries.begin() + 17, "missing");
    Outcome run = searchEveryWay(entries, "Dragon");
    ASSERT_TRUE(run.result.error);
    EXPECT_EQ(run.result.failedIndex, 17u);
    EXPECT_EQ(run.result.error->code(), runtime::IoCode::FileNotFound);
    EXPECT_EQ(run.steps.size(), 17u);

    makeDirectory(path("folder.fcw"));
    entries[17] = "folder";
    run = searchEveryWay(entries, "Dragon");
    ASSERT_TRUE(run.result.error);
    EXPECT_EQ(run.result.error->code(), runtime::IoCode::AccessDenied);
}

TEST_F(ContentSearchTest, CancellingStopsAtTheSameEntryEveryWay)
{
    std::vector<std::string> entries;
    for (int i = 0; i < 30; ++i) {
        entries.push_back("m" + std::to_string(i));
        writeFile(path(entries.back() + ".fcw"), mapBytes(3000, 10, "Dragon"));
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
    const std::vector<std::string> entries = {"A", "a", "b", "c"};
    EXPECT_EQ(searchEveryWay(entries, "upper").result.matches, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(searchEveryWay(entries, "lower a").result.matches, (std::vector<std::size_t>{1}));

    const runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir());
    const runtime::FolderNames names(maps.fd());
    EXPECT_EQ(names.resolve("b.fcw"), "b.fcw"); // taken as it stands until a miss
    for (const std::string name : {"A.fcw", "a.fcw", "b.fcw", "C.fcw", "none.fcw"})
        EXPECT_EQ(names.resolveAfterMiss(name), runtime::ResolveNameIgnoringCase(maps.fd(), name)) << name;
    EXPECT_EQ(names.resolve("b.fcw"), "B.FCW");
}

} // namespace
