#include "cli/options.h"
#include "cli/quoting.h"

#include <gtest/gtest.h>

using cli::Options;
using cli::ParseOptions;
using Arguments = std::vector<std::string>;

TEST(OptionsTest, AcceptedForms)
{
    struct Case {
        Arguments arguments;
        std::string dir;
        std::string command;
        Arguments operands;
    };
    const std::vector<Case> cases = {
        {{"--dir", "m", "scan"}, "m", "scan", {}},
        {{"--dir=m", "scan"}, "m", "scan", {}},
        {{"-d", "m", "scan"}, "m", "scan", {}},
        {{"scan", "--dir", "m"}, "m", "scan", {}},
        {{"details", "-d", "m", "--", "-foo"}, "m", "details", {"-foo"}},
        {{"-d", "m", "--", "scan"}, "m", "scan", {}},
        {{"search", "--content", "-d", "m", "--", "--content"}, "m", "search", {"--content"}},
        {{"details", "\xff\n\x1b"}, "", "details", {"\xff\n\x1b"}},
    };
    for (const auto &c : cases) {
        const Options options = ParseOptions(c.arguments);
        EXPECT_EQ(options.dir.value_or(""), c.dir) << testing::PrintToString(c.arguments);
        EXPECT_EQ(options.command, c.command);
        EXPECT_EQ(options.operands, c.operands);
    }
}

TEST(OptionsTest, CommandOptions)
{
    Options options = ParseOptions({"-0j3", "search", "--content", "x"});
    EXPECT_TRUE(options.null && options.content);
    EXPECT_EQ(options.jobs, 3u);
    options = ParseOptions({"index", "--format=json", "--output", "out.json", "--jobs", "2"});
    EXPECT_EQ(options.format, cli::IndexFormat::Json);
    EXPECT_EQ(options.output, "out.json");
    EXPECT_EQ(options.jobs, 2u);
    options = ParseOptions({"search", "-i", "--content", "--recursive", "--files", "x"});
    EXPECT_TRUE(options.ignoreCase && options.content && options.recursive && options.files);
    EXPECT_TRUE(ParseOptions({"scan", "--files"}).files);
    EXPECT_TRUE(ParseOptions({"search", "--recursive", "x"}).recursive);
    EXPECT_EQ(ParseOptions({"--io-depth", "256", "index"}).ioDepth, 256u);
    EXPECT_EQ(ParseOptions({"search", "--io-depth=1", "x"}).ioDepth, 1u);
    EXPECT_TRUE(ParseOptions({"scan", "-h"}).help);
    EXPECT_TRUE(ParseOptions({"--version"}).version);
}

TEST(OptionsTest, UsageErrors)
{
    const std::vector<Arguments> cases = {
        {}, {"-d"}, {"scan", "--dir"}, {"frobnicate"}, {"--bogus", "scan"}, {"scan", "-x"}, {"details", "-foo"},
        {"details"}, {"details", "a", "b"}, {"scan", "extra"}, {"index", "extra"}, {"search", "x", "--content"},
        {"--content", "scan"}, {"-0", "index"}, {"-0", "details", "x"}, {"--format", "csv", "scan"},
        {"index", "--format", "xml"}, {"-j", "0", "scan"}, {"-j", "2x", "scan"}, {"--jobs=-1", "scan"},
        {"details", "--output", "f", "x"}, {"--io-depth", "0", "scan"}, {"--io-depth=257", "index"},
        {"--io-depth", "8x", "scan"},
    };
    for (const auto &arguments : cases)
        EXPECT_THROW(ParseOptions(arguments), cli::UsageError) << testing::PrintToString(arguments);
    // Case applies to contents alone, names to the listing commands, and a text must be there.
    const std::vector<Arguments> searching = {
        {"search", "-i", "x"}, {"search", "--content", ""}, {"-i", "scan"},
        {"--files", "index"},  {"--files", "details", "x"}, {"--recursive", "scan"}};
    for (const auto &arguments : searching)
        EXPECT_THROW(ParseOptions(arguments), cli::UsageError) << testing::PrintToString(arguments);
}

TEST(TerminalTextTest, EscapesControlsAndInvalidBytesOnly)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Köln € \\ ok", "Köln € \\ ok"},
        {"t\x1b]0;T\a\x1b[2J", "t\\033]0;T\\007\\033[2J"},
        {"two\nlines\r", "two\\012lines\\015"},
        {"\x7f", "\\177"},
        {"\xc2\x85 \xc2\x9f \xc2\xa0", "\\302\\205 \\302\\237 \xc2\xa0"}, // C1 as UTF-8; NBSP passes
        {"\xff\xe9", "\\377\\351"},
        {"a\xe2\x82", "a\\342\\202"},
        {std::string("\0", 1), "\\000"},
    };
    for (const auto &[bytes, shown] : cases)
        EXPECT_EQ(cli::TerminalText(bytes), shown) << testing::PrintToString(bytes);
}
