// The catalogue reads files in large chunks and scans them incrementally;
// these tests compare it with a plain whole-file reading of the same rules on
// random files, with keys and texts placed on and around block edges.
#include "catalogue/detail_scanner.h"
#include "catalogue/map_details.h"
#include "catalogue/map_search.h"
#include "catalogue/vector_map_list.h"
#include "fake_views.h"
#include "runtime/byte_strings.h"
#include "test_support.h"

#include <optional>
#include <random>

using namespace catalogue;
using testing_support::RecordingDetails;
using testing_support::writeFile;

namespace {

constexpr std::size_t Block = 2048;

// The lines the rules give, raw; nothing when no key occurs at all.
std::optional<std::vector<DetailScanner::Line>> referenceLines(const std::string &bytes)
{
    std::vector<DetailScanner::Line> lines;
    bool found = false;
    bool done[4] = {};
    for (std::size_t start = 0; start < bytes.size(); start += Block) {
        for (std::size_t k = 0; k < 4; ++k) {
            const std::size_t pos = bytes.find(DetailKeys[k], start);
            if (pos == std::string::npos || pos >= start + Block)
                continue;
            found = true;
            const std::size_t cr = bytes.find('\r', pos);
            const std::size_t len = (cr == std::string::npos ? bytes.size() : cr) - pos;
            if (len > 255 || done[k])
                continue;
            lines.push_back({k, bytes.substr(pos, len)});
            done[k] = true;
        }
    }
    if (!found)
        return std::nullopt;
    return lines;
}

std::vector<RecordingDetails::Line> referenceDetails(const std::string &bytes)
{
    const auto raw = referenceLines(bytes);
    if (!raw)
        return {{"", true, TextColour::Red}, {NoDetailsText, true, TextColour::Red}};
    std::vector<RecordingDetails::Line> lines;
    for (const auto &line : *raw) {
        std::string text = runtime::TrimTrailing(line.raw);
        for (char &c : text)
            if (static_cast<unsigned char>(c) < 32)
                c = ' ';
        lines.push_back({text, line.key == 0, TextColour::Black});
    }
    return lines;
}

bool referenceContains(const std::string &bytes, const std::string &text)
{
    return !text.empty() && bytes.find(text) != std::string::npos;
}

std::string randomMap(std::mt19937 &random)
{
    static const std::vector<std::string> pieces = {"Map Name: Keep", "Map Type: City", "Product: Atlas",
                                                    "Page Number: 9", "\r", "\r\n", std::string(1, '\0'), "Harbour"};
    std::uniform_int_distribution<std::size_t> sizeDist(0, 9000);
    std::string bytes(sizeDist(random), 'a');
    for (char &c : bytes)
        c = static_cast<char>("abc \t\x01\xfe"[random() % 7]);
    const int insertions = static_cast<int>(random() % 8);
    for (int i = 0; i < insertions && !bytes.empty(); ++i) {
        const std::string &piece = pieces[random() % pieces.size()];
        // Favour places that straddle a block boundary.
        std::size_t at = random() % 2 ? (random() % 5 + 1) * Block - random() % 16 : random() % bytes.size();
        at = std::min(at, bytes.size());
        bytes.replace(at, std::min(piece.size(), bytes.size() - at), piece);
    }
    return bytes;
}

class ReferenceTest : public testing_support::TempDirTest {};

} // namespace

TEST_F(ReferenceTest, DetailsMatchAWholeFileReading)
{
    std::mt19937 random(20010201);
    for (int round = 0; round < 300; ++round) {
        const std::string bytes = randomMap(random);
        writeFile(path("m.fcw"), bytes);
        RecordingDetails view;
        ShowMapDetails(dir(), "m", view);
        ASSERT_EQ(view.lines, referenceDetails(bytes)) << "round " << round;
    }
}

TEST(DetailScannerReference, AnyChunkingGivesTheRulesLines)
{
    std::mt19937 random(4096);
    for (int round = 0; round < 300; ++round) {
        const std::string bytes = randomMap(random);
        DetailScanner scanner;
        std::vector<DetailScanner::Line> lines;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t length = std::min<std::size_t>(random() % 3000 + 1, bytes.size() - at);
            scanner.feed(std::string_view(bytes).substr(at, length));
            at += length;
            for (auto &line : scanner.takeLines())
                lines.push_back(std::move(line));
        }
        scanner.finish();
        for (auto &line : scanner.takeLines())
            lines.push_back(std::move(line));
        const auto expected = referenceLines(bytes);
        ASSERT_EQ(scanner.anyKeyFound(), expected.has_value()) << "round " << round;
        if (expected) {
            ASSERT_EQ(lines, *expected) << "round " << round;
        }
    }
}

TEST_F(ReferenceTest, ContentSearchMatchesAWholeFileReading)
{
    std::mt19937 random(850);
    std::vector<std::string> bytesOf;
    VectorMapList all;
    for (int i = 0; i < 60; ++i) {
        const std::string name = "m" + std::to_string(i);
        bytesOf.push_back(randomMap(random));
        writeFile(path(name + ".fcw"), bytesOf.back());
        all.append(name);
    }
    for (const std::string text : {"Harbour", "Keep\r", "e: C", "\r\n", "a"}) {
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < bytesOf.size(); ++i)
            if (referenceContains(bytesOf[i], text))
                expected.push_back(all.at(i));
        VectorMapList list = all;
        ProgramState state;
        state.MapCount = 60;
        testing_support::RecordingProgress progress;
        testing_support::RecordingStatus status;
        fullSearch(state, list, text, dir(), progress, status, {});
        EXPECT_EQ(list.entries(), expected.empty() ? all.entries() : expected) << text;
    }
}
