#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

inline constexpr std::array<std::string_view, 4> DetailKeys = {"Map Name", "Map Type", "Product", "Page Number"};

// Finds the detail lines of one map file fed to it in consecutive chunks of
// any size, in constant memory. A key is found wherever it starts, also across
// the 2048-byte block edges; its line runs from the key to the next CR, or to
// the end of the file. Per block, only each key's first occurrence starting in
// it counts; a line longer than 255 bytes is not shown, and a later block may
// still show that key; each key is shown once. Lines come in the order of the
// blocks their keys start in, and within a block in key order.
class DetailScanner final {
public:
    static constexpr std::size_t BlockSize = 2048;
    static constexpr std::size_t MaxLineLength = 255;

    struct Line {
        std::size_t key; // index into DetailKeys
        std::string raw; // the bytes from the key up to, not including, the CR
        bool operator==(const Line &) const = default;
    };

    void feed(std::string_view chunk);
    // The file ended: the rest is scanned, a line without CR runs to the end.
    void finish();
    // Reading failed: the rest is scanned, but only lines whose CR was read count.
    void finishAtReadError();

    // Lines found since the last call, in display order.
    std::vector<Line> takeLines();
    // Whether any key occurred anywhere, shown or not.
    bool anyKeyFound() const { return anyKeyFound_; }
    // Every key has been shown: nothing later in the file can add a line.
    bool complete() const;

private:
    void scanBlock(std::string_view window, bool endIsFileEnd);
    void scanRest(bool endIsFileEnd);

    std::string window_; // unscanned bytes from the start of the current block
    std::array<bool, DetailKeys.size()> shown_{};
    bool anyKeyFound_ = false;
    std::vector<Line> lines_;
};

} // namespace catalogue
