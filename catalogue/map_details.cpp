#include "map_details.h"

#include "map_chunk_reader.h"
#include "map_scan.h"
#include "runtime/byte_strings.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "runtime/read_buffer.h"

#include <memory>
#include <utility>

namespace catalogue {
namespace {

constexpr std::size_t ChunkSize = 64 * 1024;
constexpr std::size_t FirstChunkSize = FirstDetailBytes; // two blocks and the look-ahead of the first

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

void showLines(DetailScanner &scanner, DetailsView &view)
{
    for (const auto &line : scanner.takeLines()) {
        const bool bold = line.key == 0; // the map's name stands out
        if (bold)
            view.setBold(true);
        view.appendLine(displayLine(line.raw));
        if (bold)
            view.setBold(false);
    }
}

} // namespace

void ShowOpenedMapDetails(runtime::IoCheckedFile &file, DetailsView &view)
{
    DetailScanner scanner;
    const runtime::ReadBuffer buffer(ChunkSize);
    MapChunkReader reader(file, buffer.span());
    try {
        // Keys sit near the start as a rule: the first read is small.
        std::size_t most = FirstChunkSize;
        while (const auto chunk = reader.next(std::exchange(most, ChunkSize))) {
            scanner.feed(*chunk);
            showLines(scanner, view);
            if (scanner.complete())
                break; // nothing left to show: the rest of the file cannot change the view
        }
    } catch (const runtime::EInOutError &) {
        scanner.finishAtReadError();
        showLines(scanner, view);
        throw;
    }
    scanner.finish();
    showLines(scanner, view);
    runtime::CloseIoFile(file);
    runtime::CheckIo();

    if (!scanner.anyKeyFound()) {
        view.setBold(true);
        view.setColour(TextColour::Red);
        view.appendLine("");
        view.appendLine(NoDetailsText);
        view.setBold(false);
        view.setColour(TextColour::Black);
    }
}

void ShowMapDetails(const std::string &mapsText, const ListedMap &map, DetailsView &view)
{
    ShowMapDetailsAt(AT_FDCWD, mapsText, map, view);
}

void ShowMapDetailsAt(int relativeTo, const std::string &mapsText, const ListedMap &map, DetailsView &view)
{
    view.clear();
    runtime::IoCheckedFile file;
    OpenMapAt(file, relativeTo, mapsText, map);
    ShowOpenedMapDetails(file, view);
}

} // namespace catalogue
