// The catalogue reads many blocks per host call; these tests compare it with
// a literal one-block-at-a-time reading on random files, keys and texts
// placed on and around block boundaries.
#include "catalogue/map_details.h"
#include "catalogue/map_search.h"
#include "catalogue/vector_map_list.h"
#include "fake_views.h"
#include "runtime/byte_strings.h"
#include "test_support.h"

#include <random>

using namespace catalogue;
using testing_support::RecordingDetails;
using testing_support::writeFile;

namespace {

constexpr std::size_t Block = 2048;

std::vector<RecordingDetails::Line> referenceDetails(const std::string &bytes)
{
    std::vector<RecordingDetails::Line> lines;
    bool found = false;
    bool done[4] = {};
    for (std::size_t start = 0; start < bytes.size(); start += Block) {
        const std::string block = bytes.substr(start, Block);
        const std::size_t n = block.size();
        for (std::size_t k = 0; k < 4; ++k) {
            const std::size_t pos = runtime::FindSubstring(DetailKeys[k], block);
            if (pos == 0)
                continue;
            found = true;
            std::size_t i = pos;
            while (block[i - 1] != '\r' && i < n)
                ++i;
            const std::size_t len = i - pos;
            if (len >= 256 || done[k])
                continue;
            std::string line = runtime::TrimTrailing(block.substr(pos - 1, len));
            for (char &c : line)
                if (static_cast<unsigned char>(c) < 32)
                    c = ' ';
            lines.push_back({line, k == 0, TextColour::Black});
            done[k] = true;
        }
    }
    if (!found) {
        lines.push_back({"", true, TextColour::Red});
        lines.push_back({NoDetailsText, true, TextColour::Red});
    }
    return lines;
}

bool referenceContains(const std::string &bytes, const std::string &text)
{
    for (std::size_t start = 0; start < bytes.size(); start += Block)
        if (runtime::FindSubstring(text, bytes.substr(start, Block)) != 0)
            return true;
    return false;
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

TEST_F(ReferenceTest, DetailsMatchTheLiteralBlockReading)
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

TEST_F(ReferenceTest, ContentSearchMatchesTheLiteralBlockReading)
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
