#include "runtime/literal_search.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/mman.h>
#include <unistd.h>

using runtime::LiteralSearcher;
using runtime::StreamSearcher;
using Level = LiteralSearcher::Level;
using namespace std::string_literals;

namespace {

// Holds bytes flush against an unreadable page, so reading one byte past
// the end crashes the test instead of passing unnoticed.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string &bytes)
    {
        const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        length_ = (bytes.size() + page - 1) / page * page + page;
        void *area = ::mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area == MAP_FAILED)
            throw std::runtime_error("mmap failed");
        area_ = static_cast<char *>(area);
        ::mprotect(area_ + length_ - page, page, PROT_NONE);
        begin_ = area_ + length_ - page - bytes.size();
        bytes.copy(begin_, bytes.size());
    }
    ~GuardedBytes() { ::munmap(area_, length_); }
    GuardedBytes(const GuardedBytes &) = delete;
    GuardedBytes &operator=(const GuardedBytes &) = delete;

    const char *begin() const { return begin_; }

private:
    char *area_ = nullptr;
    char *begin_ = nullptr;
    std::size_t length_ = 0;
};

// Two-letter texts make near misses common, so every confirm path runs.
std::string randomText(std::mt19937 &random, std::size_t size, const char *alphabet = "ab")
{
    const std::size_t letters = std::char_traits<char>::length(alphabet);
    std::string text(size, '\0');
    for (char &c : text)
        c = alphabet[random() % letters];
    return text;
}

void plant(std::string &bytes, const std::string &needle, std::size_t at)
{
    if (at + needle.size() <= bytes.size())
        bytes.replace(at, needle.size(), needle);
}

std::ptrdiff_t naiveFind(std::string_view hay, std::string_view needle)
{
    if (needle.empty())
        return -1;
    const auto at = hay.find(needle);
    return at == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(at);
}

// bytes with about half of its letters turned to their other case.
std::string flipCases(std::mt19937 &random, std::string bytes)
{
    for (char &c : bytes) {
        if (random() % 2 == 0)
            continue;
        const char small = runtime::FoldWindows1252({&c, 1})[0];
        for (int other = 0; other < 256; ++other) {
            const char o = static_cast<char>(other);
            if (o != c && runtime::FoldWindows1252({&o, 1})[0] == small) {
                c = o;
                break;
            }
        }
    }
    return bytes;
}

std::ptrdiff_t offsetOf(const LiteralSearcher &searcher, const char *begin, std::size_t size)
{
    const char *hit = searcher.find(begin, begin + size);
    return hit == nullptr ? -1 : hit - begin;
}

std::string levelName(const ::testing::TestParamInfo<Level> &info)
{
    const char *names[] = {"Portable", "Sse2", "Avx2"};
    return names[static_cast<int>(info.param)];
}

const std::size_t NeedleSizes[] = {1, 2, 3, 4, 15, 16, 17, 31, 32, 33, 64, 2048, 2100};

class LiteralSearch : public ::testing::TestWithParam<Level> {};

TEST_P(LiteralSearch, AgreesWithANaiveSearchAtEveryAlignmentAndEnd)
{
    std::mt19937 random(7);
    for (const std::size_t needleSize : NeedleSizes) {
        for (int trial = 0; trial < 12; ++trial) {
            const std::string needle = randomText(random, needleSize);
            const LiteralSearcher searcher(needle, GetParam());
            std::string bytes = randomText(random, random() % 6000);
            // Across and near a block edge, somewhere, and flush with the end.
            plant(bytes, needle, 2046 + random() % 5 - std::min<std::size_t>(needleSize / 2, 2046));
            if (trial % 3 == 0 && bytes.size() >= needleSize)
                plant(bytes, needle, bytes.size() - needleSize);
            if (trial % 4 == 0)
                plant(bytes, needle.substr(0, needleSize - 1), random() % (bytes.size() + 1));
            const GuardedBytes guarded(bytes);
            for (const std::size_t cut : {0ul, 1ul, 5ul, 31ul}) {
                if (cut > bytes.size())
                    continue;
                const std::size_t size = bytes.size() - cut;
                const char *begin = guarded.begin() + cut;
                ASSERT_EQ(offsetOf(searcher, begin, size), naiveFind({begin, size}, needle))
                    << "needle " << needleSize << ", trial " << trial << ", cut " << cut;
            }
        }
    }
}

TEST_P(LiteralSearch, HandlesHighBytesNulsAndEdgeSizes)
{
    struct Case {
        std::string needle, hay;
        std::ptrdiff_t expected;
    };
    const Case cases[] = {
        {"", "abc", -1},
        {"a", "", -1},
        {"abcd", "abc", -1},
        {"abc", "abc", 0},
        {"\xff\x80", "\x7f\xff\x80\xff", 1},
        {"c\0d"s, "ab\0c\0d"s, 3},
        {"\0\0"s, std::string(40, 'x') + "\0\0"s, 40},
        {"xyx", std::string(100, 'x') + "yx", 99},
    };
    for (const Case &c : cases) {
        const LiteralSearcher searcher(c.needle, GetParam());
        const GuardedBytes guarded(c.hay);
        EXPECT_EQ(offsetOf(searcher, guarded.begin(), c.hay.size()), c.expected) << c.hay.size() << " bytes";
    }
}

// Candidates that fail only at their last byte: the result must stay exact
// (the ctest timeout guards against a quadratic slide).
TEST_P(LiteralSearch, LongRunsOfOneByteStayExact)
{
    const std::string needle = std::string(2047, 'a') + "b";
    std::string bytes(1 << 20, 'a');
    const LiteralSearcher searcher(needle, GetParam());
    EXPECT_EQ(offsetOf(searcher, bytes.data(), bytes.size()), -1);
    plant(bytes, needle, 900001);
    EXPECT_EQ(offsetOf(searcher, bytes.data(), bytes.size()), 900001);
    bytes.replace(bytes.size() - needle.size(), needle.size(), needle);
    EXPECT_EQ(offsetOf(searcher, bytes.data() + 900002, bytes.size() - 900002),
              static_cast<std::ptrdiff_t>(bytes.size() - needle.size() - 900002));
}

// Ignoring case: the same search over folded copies is the reference, on
// letters of every Windows-1252 pair kind and bytes next to them.
// Needles of letters and of bytes with one case (space, digits, punctuation,
// ×, ß) in every mix, planted with cases flipped, flush with the end too:
// each search finds what a search of folded copies finds.
TEST_P(LiteralSearch, IgnoringCaseAgreesWithASearchOfFoldedCopies)
{
    std::mt19937 random(5);
    const char *alphabets[] = {"aAbB\xe9\xc9\x8a\x9a\x9f\xff\xd7\xf7\xdf",
                               "aA\xe9\xc9 ",
                               " 1aA",
                               ".-bBaA",
                               "aA\xd7",
                               "\xdf\x9f\xff"
                               "1",
                               " -"};
    for (const std::size_t needleSize : NeedleSizes) {
        for (int trial = 0; trial < 28; ++trial) {
            const char *alphabet = alphabets[trial % std::size(alphabets)];
            std::string needle = randomText(random, needleSize, alphabet);
            if (trial % 4 == 1) // a lone caseless byte among letters, at either end or inside
                needle[random() % needleSize] = "1 ."[random() % 3];
            const LiteralSearcher searcher(needle, GetParam(), runtime::LetterCase::IgnoreWindows1252);
            std::string bytes = randomText(random, random() % 5000, alphabet);
            const bool atTheEnd = trial % 3 == 0 && bytes.size() >= needleSize;
            plant(bytes, flipCases(random, needle),
                  atTheEnd ? bytes.size() - needleSize : random() % (bytes.size() + 1));
            const GuardedBytes guarded(bytes);
            const std::string folded = runtime::FoldWindows1252(bytes);
            for (const std::size_t cut : {0ul, 3ul}) {
                if (cut > bytes.size())
                    continue;
                ASSERT_EQ(offsetOf(searcher, guarded.begin() + cut, bytes.size() - cut),
                          naiveFind(std::string_view(folded).substr(cut), runtime::FoldWindows1252(needle)))
                    << "needle '" << needle << "', cut " << cut;
            }
        }
    }
}

TEST_P(LiteralSearch, IgnoringCaseFoldsTheWindows1252PairsAndNothingElse)
{
    struct Case {
        std::string needle, hay;
        bool found;
    };
    // Equal lengths: each side is looked for in the other.
    const Case cases[] = {
        {"Crypt", "cRYPT", true},
        {"\xe9t\xe9", "\xc9T\xc9", true},               // été, ÉTÉ
        {"\x8a\x8c\x8e\x9f", "\x9a\x9c\x9e\xff", true}, // ŠŒŽŸ, šœžÿ
        {"\xc0\xde", "\xe0\xfe", true},                 // the ends of À-Þ
        {"x\xd7", "x\xf7", false},                      // × is no capital of ÷
        {"\xdf", "SS", false},                          // ß stays itself
        {"\xb5", "\xcc", false},                        // µ has no capital here
        {"@[", "`{", false},                            // the bytes beside A-Z
        {"\xbf", "\x9f", false},                        // ¿ beside Ÿ's fold bits
        {"1", "\x11", false},
    };
    for (const Case &c : cases) {
        const LiteralSearcher folding(c.needle, GetParam(), runtime::LetterCase::IgnoreWindows1252);
        const LiteralSearcher reverse(c.hay, GetParam(), runtime::LetterCase::IgnoreWindows1252);
        EXPECT_EQ(folding.containedIn(c.hay), c.found) << c.needle;
        EXPECT_EQ(reverse.containedIn(c.needle), c.found) << c.hay;
        EXPECT_FALSE(LiteralSearcher(c.needle, GetParam()).containedIn(c.hay)) << "exact: " << c.needle;
    }
}

TEST_P(LiteralSearch, IgnoringCaseLongRunsStayExact)
{
    const LiteralSearcher searcher(std::string(2047, 'a') + "b", GetParam(), runtime::LetterCase::IgnoreWindows1252);
    std::string bytes;
    for (int i = 0; i < 1 << 19; ++i)
        bytes += "aA";
    EXPECT_EQ(offsetOf(searcher, bytes.data(), bytes.size()), -1);
    bytes.replace(700001, 1, "B");
    EXPECT_EQ(offsetOf(searcher, bytes.data(), bytes.size()), 700001 - 2047);
}

INSTANTIATE_TEST_SUITE_P(Levels, LiteralSearch, ::testing::Values(Level::Portable, Level::Sse2, Level::Avx2),
                         levelName);

class StreamSearch : public ::testing::TestWithParam<Level> {};

TEST_P(StreamSearch, FindsTextsAcrossChunkEdgesLikeAWholeBufferSearch)
{
    std::mt19937 random(11);
    for (const std::size_t needleSize : NeedleSizes) {
        for (int trial = 0; trial < 16; ++trial) {
            const std::string needle = randomText(random, needleSize, "abc");
            std::string bytes = randomText(random, random() % 9000, "abc");
            const std::size_t chunk = trial % 2 == 0 ? 2048 : 1 + random() % 3000;
            // Across a chunk edge, or only partly there; files shorter than a chunk too.
            const std::size_t edge = chunk * (1 + random() % 3);
            if (trial % 4 != 3)
                plant(bytes, needle, edge - std::min(edge, 1 + random() % needleSize));
            else
                plant(bytes, needle.substr(1), edge - std::min(edge, needleSize / 2));

            StreamSearcher stream(needle, GetParam());
            for (std::size_t at = 0; at < bytes.size(); at += chunk) {
                const std::size_t size = std::min(chunk, bytes.size() - at);
                // An odd empty or one-byte feed must change nothing.
                if (trial % 5 == 0)
                    stream.feed(bytes.data() + at, 0);
                if (trial % 7 == 0 && size > 1) {
                    stream.feed(bytes.data() + at, 1);
                    stream.feed(bytes.data() + at + 1, size - 1);
                } else {
                    stream.feed(bytes.data() + at, size);
                }
            }
            ASSERT_EQ(stream.found(), naiveFind(bytes, needle) >= 0)
                << "needle " << needleSize << ", " << bytes.size() << " bytes in chunks of " << chunk;
        }
    }
}

TEST_P(StreamSearch, ResetForgetsThePreviousStream)
{
    StreamSearcher stream("bc", GetParam());
    EXPECT_FALSE(stream.feed("ab", 2));
    stream.reset();
    EXPECT_FALSE(stream.feed("cd", 2)) << "the tail of the old stream joined the new one";
    stream.feed("b", 1);
    EXPECT_TRUE(stream.feed("c", 1));
    EXPECT_TRUE(stream.feed("zz", 2)) << "a found stream stays found";
    StreamSearcher empty("", GetParam());
    EXPECT_FALSE(empty.feed("abc", 3));
}

TEST_P(StreamSearch, IgnoringCaseFindsATextAcrossAChunkEdge)
{
    StreamSearcher stream("Vault \xe9", GetParam(), runtime::LetterCase::IgnoreWindows1252);
    EXPECT_FALSE(stream.feed("the vAU", 7));
    EXPECT_TRUE(stream.feed("LT \xc9", 4));
}

// Over chunks of any size, with texts in either case across their edges:
// ignoring case, found() is the answer of a search of folded copies; noting
// other case, found() is the exact search's answer and, without it,
// foundInAnotherCase() the answer ignoring case.
TEST_P(StreamSearch, IgnoringOrNotingCaseAgreesWithSearchesOfWholeCopies)
{
    std::mt19937 random(19);
    for (const std::size_t needleSize : {2ul, 5ul, 33ul, 300ul}) {
        for (int trial = 0; trial < 40; ++trial) {
            const char *alphabet = trial % 2 ? "aAb 1" : "bB\xe9\xc9-";
            const std::string needle = randomText(random, needleSize, alphabet);
            std::string bytes = randomText(random, random() % 4000, alphabet);
            const std::size_t chunk = 1 + random() % 700;
            for (int plants = trial % 4; plants > 0; --plants) {
                const std::size_t edge = chunk * (1 + random() % 3);
                const std::size_t at = plants == 1 ? edge - std::min(edge, 1 + random() % needleSize) // across an edge
                                                   : random() % (bytes.size() + 1);
                plant(bytes, trial % 3 ? flipCases(random, needle) : needle, at);
            }
            StreamSearcher folding(needle, GetParam(), runtime::LetterCase::IgnoreWindows1252);
            StreamSearcher noting(needle, GetParam(), runtime::LetterCase::Exact, runtime::OtherCase::Noted);
            for (std::size_t at = 0; at < bytes.size(); at += chunk) {
                folding.feed(bytes.data() + at, std::min(chunk, bytes.size() - at));
                noting.feed(bytes.data() + at, std::min(chunk, bytes.size() - at));
            }
            const bool exact = naiveFind(bytes, needle) >= 0;
            const bool anyCase = naiveFind(runtime::FoldWindows1252(bytes), runtime::FoldWindows1252(needle)) >= 0;
            ASSERT_EQ(folding.found(), anyCase) << "needle '" << needle << "', chunks of " << chunk;
            ASSERT_EQ(noting.found(), exact) << "needle '" << needle << "', chunks of " << chunk;
            if (!exact) {
                ASSERT_EQ(noting.foundInAnotherCase(), anyCase) << "needle '" << needle << "', chunks of " << chunk;
            }
            noting.reset();
            EXPECT_FALSE(noting.foundInAnotherCase());
        }
    }
    // An exact text that overlaps the one in another case before it, in one
    // chunk and across an edge.
    for (const std::size_t split : {7ul, 4ul}) {
        StreamSearcher stream("abab", GetParam(), runtime::LetterCase::Exact, runtime::OtherCase::Noted);
        stream.feed("xABabab", split);
        EXPECT_TRUE(stream.feed("xABabab" + split, 7 - split)) << "split at " << split;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, StreamSearch, ::testing::Values(Level::Portable, Level::Sse2, Level::Avx2), levelName);

} // namespace
