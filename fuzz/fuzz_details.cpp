// The details reader against a plain reading of the whole file: each key is
// looked for block by block wherever it starts, its line runs to the next
// CR anywhere after it (or to the end of the file), and the display rules
// (255 bytes at most, each key once, block order then key order) hold.
#include "fuzz_support.h"

#include "catalogue/detail_scanner.h"
#include "catalogue/map_details.h"
#include "catalogue/views.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t BlockSize = 2048;
constexpr std::size_t MaxLineLength = 255;

using ShownLines = std::vector<std::pair<std::size_t, std::string>>; // key index, raw line

struct Details {
    ShownLines lines;
    bool anyKey = false;
};

// readError: the file's reading failed after these bytes, so a line whose CR
// was not read is not known whole and is not shown.
Details referenceDetails(std::string_view file, bool readError = false)
{
    Details details;
    std::array<bool, catalogue::DetailKeys.size()> shown{};
    for (std::size_t block = 0; block < file.size(); block += BlockSize) {
        for (std::size_t k = 0; k < catalogue::DetailKeys.size(); ++k) {
            const std::size_t start = file.find(catalogue::DetailKeys[k], block);
            if (start == std::string_view::npos || start >= block + BlockSize)
                continue;
            details.anyKey = true;
            const std::size_t cr = file.find('\r', start);
            if (cr == std::string_view::npos && readError)
                continue;
            const std::string_view line = file.substr(start, (cr == std::string_view::npos ? file.size() : cr) - start);
            if (line.size() > MaxLineLength || shown[k])
                continue;
            details.lines.emplace_back(k, std::string(line));
            shown[k] = true;
        }
    }
    return details;
}

// Trailing blanks and controls go; controls inside become spaces.
std::string referenceDisplay(std::string line)
{
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32)
        line.pop_back();
    for (char &c : line) {
        if (static_cast<unsigned char>(c) < 32)
            c = ' ';
    }
    return line;
}

// Feeds the file in chunks of the fuzzer's choosing, taking the lines now
// and then as a reader that shows them early would.
Details scanInChunks(std::string_view file, bool readError, FuzzedDataProvider &input)
{
    catalogue::DetailScanner scanner;
    Details details;
    const auto take = [&] {
        for (auto &line : scanner.takeLines())
            details.lines.emplace_back(line.key, std::move(line.raw));
    };
    while (!file.empty()) {
        // Once the fuzzer's bytes run out, the rest goes in one piece rather
        // than byte by byte.
        const std::size_t size =
            input.remaining_bytes() > 0 ? input.ConsumeIntegralInRange<std::size_t>(1, file.size()) : file.size();
        scanner.feed(file.substr(0, size));
        file.remove_prefix(size);
        if (input.ConsumeBool())
            take();
    }
    if (readError)
        scanner.finishAtReadError();
    else
        scanner.finish();
    take();
    details.anyKey = scanner.anyKeyFound();
    return details;
}

std::string described(const Details &details)
{
    std::string text = details.anyKey ? "keys|" : "no keys|";
    for (const auto &[key, raw] : details.lines)
        text += std::to_string(key) + ":" + raw + "|";
    return text;
}

// What the pane receives, bold lines marked.
class RecordedView final : public catalogue::DetailsView {
public:
    void clear() override { lines.clear(); }
    void setBold(bool bold) override { bold_ = bold; }
    void setColour(catalogue::TextColour) override {}
    void appendLine(const std::string &line) override { lines.push_back((bold_ ? "B:" : "-:") + line); }
    std::vector<std::string> lines;

private:
    bool bold_ = false;
};

std::vector<std::string> expectedPane(const Details &details)
{
    std::vector<std::string> pane;
    for (const auto &[key, raw] : details.lines)
        pane.push_back((key == 0 ? "B:" : "-:") + referenceDisplay(raw));
    if (!details.anyKey) {
        pane.emplace_back("B:");
        pane.push_back(std::string("B:") + catalogue::NoDetailsText);
    }
    return pane;
}

std::string joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const auto &line : lines)
        text += line + "\n";
    return text;
}

std::string placed(FuzzedDataProvider &input, const std::string &bytes)
{
    static constexpr std::size_t Edges[] = {0, 2048, 4096, 65536};
    return fuzz::PlacedBefore(input, Edges, 300, bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    FuzzedDataProvider input(data, size);
    const std::string body = input.ConsumeRandomLengthString(size);
    const std::string file = placed(input, body);
    const Details expected = referenceDetails(file);

    const bool readError = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    const Details scanned = scanInChunks(file, readError, input);
    const Details wanted = readError ? referenceDetails(file, true) : expected;
    if (scanned.lines != wanted.lines || scanned.anyKey != wanted.anyKey)
        fuzz::Mismatch("scanned detail lines", described(wanted), described(scanned));

    fuzz::ClearPendingIo();
    folder.write("m.fcw", file);
    RecordedView view;
    catalogue::ShowMapDetails(folder.path(), "m", view);
    const auto pane = expectedPane(expected);
    if (view.lines != pane)
        fuzz::Mismatch("details pane", joined(pane), joined(view.lines));
    return 0;
}
