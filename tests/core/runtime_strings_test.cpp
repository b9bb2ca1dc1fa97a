#include "runtime/byte_strings.h"
#include "runtime/io_error.h"

#include <gtest/gtest.h>

#include <thread>

using namespace runtime;
using namespace std::string_literals;

TEST(FindSubstring, PositionsAreOneBasedAndExact)
{
    EXPECT_EQ(FindSubstring("b", "abcb"), 2u);
    EXPECT_EQ(FindSubstring("B", "abc"), 0u);
    EXPECT_EQ(FindSubstring("", "abc"), 0u);
    EXPECT_EQ(FindSubstring("a", ""), 0u);
    EXPECT_EQ(FindSubstring("abcd", "abc"), 0u);
    EXPECT_EQ(FindSubstring("c\0d"s, "ab\0c\0d"s), 4u) << "NUL bytes are ordinary bytes";
    EXPECT_EQ(FindSubstring("\xff", "a\xff"), 2u);
}

TEST(TrimTrailing, RemovesOnlyTrailingControlBytesAndSpaces)
{
    EXPECT_EQ(TrimTrailing(" \tab \r\n\t\0 "s), " \tab");
    EXPECT_EQ(TrimTrailing("   "), "");
    EXPECT_EQ(TrimTrailing("a\x01" "b"), "a\x01" "b");
    EXPECT_EQ(TrimTrailing("a\x80"), "a\x80") << "bytes above 127 are text";
}

TEST(FormatInt, SignedDecimal)
{
    EXPECT_EQ(FormatInt(0), "0");
    EXPECT_EQ(FormatInt(-17), "-17");
    EXPECT_EQ(FormatInt(2147483647), "2147483647");
    EXPECT_EQ(FormatInt(-2147483647 - 1), "-2147483648");
}

TEST(ReportText, AddsAPeriodOnlyAfterBytesThatSortAfterIt)
{
    EXPECT_EQ(ReportText("File not found"), "File not found.");
    EXPECT_EQ(ReportText("I/O error 32"), "I/O error 32.");
    EXPECT_EQ(ReportText("Done:"), "Done:.");
    EXPECT_EQ(ReportText("List index out of bounds (-1)"), "List index out of bounds (-1)");
    EXPECT_EQ(ReportText("Ends."), "Ends.");
    EXPECT_EQ(ReportText("Trailing "), "Trailing ");
    EXPECT_EQ(ReportText("a-"), "a-");
    EXPECT_EQ(ReportText("a!"), "a!");
    EXPECT_EQ(ReportText(""), "");
    EXPECT_EQ(ReportText("caf\xc3\xa9"), "caf\xc3\xa9.");
}

TEST(CheckIo, RaisesThePendingCodeOnceWithItsMessage)
{
    CheckIo(); // nothing pending: no error
    RecordIoCode(3);
    RecordIoCode(2); // the later code wins
    try {
        CheckIo();
        FAIL() << "no error raised";
    } catch (const EInOutError &error) {
        EXPECT_EQ(error.code(), 2);
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_EQ(PendingIoCode(), 0);
    CheckIo();
}

TEST(PendingIoCode, IsPerThreadAndAGuardGivesTheEarlierCodeBack)
{
    RecordIoCode(5, "/maps/a.fcw");
    {
        const SavedIoCode saved;
        RecordIoCode(3);
        std::thread([] { EXPECT_EQ(PendingIoCode(), 0) << "another thread's code"; }).join();
    }
    try {
        CheckIo();
        FAIL() << "the saved code was lost";
    } catch (const EInOutError &error) {
        EXPECT_EQ(error.code(), 5);
        EXPECT_EQ(error.path(), "/maps/a.fcw");
    }
}

TEST(IoMessageTable, KnownCodesAndTheFallback)
{
    EXPECT_EQ(IoMessageTable(2), "File not found");
    EXPECT_EQ(IoMessageTable(3), "Invalid filename");
    EXPECT_EQ(IoMessageTable(4), "Too many open files");
    EXPECT_EQ(IoMessageTable(5), "File access denied");
    EXPECT_EQ(IoMessageTable(100), "Read beyond end of file");
    EXPECT_EQ(IoMessageTable(101), "Disk full");
    EXPECT_EQ(IoMessageTable(106), "Invalid numeric input");
    EXPECT_EQ(IoMessageTable(103), "I/O error 103");
    EXPECT_EQ(IoMessageTable(-7), "I/O error -7");
}

TEST(WildcardMatches, IgnoresAsciiCaseAndHandlesStars)
{
    EXPECT_TRUE(WildcardMatches("*.fcw", "a.fcw"));
    EXPECT_TRUE(WildcardMatches("*.fcw", "A.FCW"));
    EXPECT_TRUE(WildcardMatches("*.fcw", ".fcw"));
    EXPECT_TRUE(WildcardMatches("*.fcw", "river.map.fcw"));
    EXPECT_FALSE(WildcardMatches("*.fcw", "a.fcwx"));
    EXPECT_FALSE(WildcardMatches("*.fcw", "afcw"));
    EXPECT_TRUE(WildcardMatches("a?c", "abc"));
    EXPECT_TRUE(WildcardMatches("*", ""));
    EXPECT_FALSE(WildcardMatches("*.fcw", std::string(5000, '*') + "x"));
    for (const char *literal : {"*abc.fcw", "**.fcw", "*.b.fcw", "?.fcw"})
        EXPECT_TRUE(WildcardMatches("*.fcw", literal)) << literal << ": a star in a name is an ordinary byte";
}

TEST(NameSortsBefore, UpperCasedBytesThenRawBytes)
{
    EXPECT_TRUE(NameSortsBefore("apple", "Banana"));
    EXPECT_TRUE(NameSortsBefore("Harbour", "harbour2"));
    EXPECT_TRUE(NameSortsBefore("HARBOUR", "harbour")) << "ties go by raw bytes";
    EXPECT_FALSE(NameSortsBefore("harbour", "HARBOUR"));
    EXPECT_TRUE(NameSortsBefore("Old", "Old Harbour"));
}
