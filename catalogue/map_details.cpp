#include "map_details.h"

#include "block_scan.h"
#include "map_scan.h"
#include "runtime/byte_strings.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"

#include <algorithm>

namespace catalogue {
namespace {

constexpr std::size_t MaxLineLength = 255;

// The bytes from the key up to the next CR in the block; the block's last
// byte never belongs to a line that runs to the block's end.
std::string_view keyLine(std::string_view block, std::size_t pos)
{
    std::size_t i = pos; // 1-based, as the block is searched
    while (block[i - 1] != '\r' && i < block.size())
        ++i;
    return block.substr(pos - 1, i - pos);
}

// Trailing blanks and control bytes go; control bytes inside the line are
// shown as spaces, so no byte of a binary file reaches the view raw.
std::string displayLine(std::string_view raw)
{
    std::string line = runtime::TrimTrailing(raw);
    for (char &c : line) {
        if (static_cast<unsigned char>(c) < 32)
            c = ' ';
    }
    return line;
}

} // namespace

void ShowMapDetails(const std::string &mapsText, const std::string &entry, DetailsView &view)
{
    view.clear();
    runtime::IoCheckedFile file;
    runtime::BindPath(file, MapPath(mapsText, entry));
    runtime::OpenBlockFile(file, 1);
    runtime::CheckIo();

    bool found = false;
    std::array<bool, DetailKeys.size()> done{};
    MapBlockReader reader;
    reader.start(file);
    std::string_view block;
    while (reader.next(block)) {
        for (std::size_t k = 0; k < DetailKeys.size(); ++k) {
            const std::size_t pos = runtime::FindSubstring(DetailKeys[k], block);
            if (pos == 0)
                continue;
            found = true;
            const std::string_view raw = keyLine(block, pos);
            if (raw.size() > MaxLineLength || done[k])
                continue;
            const bool bold = k == 0; // the map's name stands out
            if (bold)
                view.setBold(true);
            view.appendLine(displayLine(raw));
            if (bold)
                view.setBold(false);
            done[k] = true;
        }
        if (std::all_of(done.begin(), done.end(), [](bool shown) { return shown; }))
            break; // nothing left to show: the rest of the file cannot change the view
    }
    runtime::CloseIoFile(file);
    runtime::CheckIo();

    if (!found) {
        view.setBold(true);
        view.setColour(TextColour::Red);
        view.appendLine("");
        view.appendLine(NoDetailsText);
        view.setBold(false);
        view.setColour(TextColour::Black);
    }
}

} // namespace catalogue
