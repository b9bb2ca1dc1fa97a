#include "detail_scanner.h"

#include <algorithm>

namespace catalogue {
namespace {

constexpr std::size_t LongestKey = 11; // "Page Number"
// A block can be scanned once the bytes that decide each of its lines are
// here: a key starting on the block's last byte and 255 bytes after it.
constexpr std::size_t LookAhead = DetailScanner::MaxLineLength + 1;
static_assert(LookAhead >= LongestKey);

} // namespace

void DetailScanner::feed(std::string_view chunk)
{
    if (complete())
        return; // nothing later can add a line
    window_.append(chunk);
    std::size_t offset = 0;
    while (!complete() && window_.size() - offset >= BlockSize + LookAhead) {
        scanBlock(std::string_view(window_).substr(offset), false);
        offset += BlockSize;
    }
    if (complete())
        window_.clear();
    else
        window_.erase(0, offset);
}

void DetailScanner::scanRest(bool endIsFileEnd)
{
    for (std::size_t offset = 0; offset < window_.size(); offset += BlockSize)
        scanBlock(std::string_view(window_).substr(offset), endIsFileEnd);
    window_.clear();
}

void DetailScanner::finish()
{
    scanRest(true);
}

void DetailScanner::finishAtReadError()
{
    scanRest(false);
}

// window starts at a block; it holds either the block and its look-ahead, or
// everything up to the point where the data ends.
void DetailScanner::scanBlock(std::string_view window, bool endIsFileEnd)
{
    const std::size_t blockLength = std::min(BlockSize, window.size());
    for (std::size_t k = 0; k < DetailKeys.size(); ++k) {
        const std::string_view key = DetailKeys[k];
        const std::size_t pos = window.substr(0, blockLength + key.size() - 1).find(key);
        if (pos == std::string_view::npos)
            continue;
        anyKeyFound_ = true;
        if (shown_[k])
            continue;
        const std::string_view rest = window.substr(pos, LookAhead);
        const std::size_t cr = rest.find('\r');
        std::size_t length;
        if (cr != std::string_view::npos)
            length = cr;
        else if (endIsFileEnd && pos + rest.size() == window.size())
            length = rest.size(); // runs to the end of the file
        else
            continue; // longer than a line may be, or cut off by a failed read
        if (length > MaxLineLength)
            continue;
        lines_.push_back({k, std::string(rest.substr(0, length))});
        shown_[k] = true;
    }
}

std::vector<DetailScanner::Line> DetailScanner::takeLines()
{
    std::vector<Line> taken;
    taken.swap(lines_);
    return taken;
}

bool DetailScanner::complete() const
{
    return std::all_of(shown_.begin(), shown_.end(), [](bool shown) { return shown; });
}

} // namespace catalogue
