#include "map_search.h"

#include "block_scan.h"
#include "map_scan.h"
#include "runtime/byte_strings.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <algorithm>

namespace catalogue {
namespace {

// Replaces the list with the matches and shows their number.
void showMatches(const std::vector<std::string> &matches, MapList &list, StatusText &status)
{
    list.clear();
    for (const auto &entry : matches)
        list.append(entry);
    status.setText(MapsFoundText(static_cast<int>(matches.size())));
}

// Tests one map file block by block, stopping at the first block that holds
// the text.
bool mapFileContains(const std::string &path, std::string_view text, MapBlockReader &reader)
{
    runtime::IoCheckedFile file;
    runtime::BindPath(file, path);
    runtime::OpenBlockFile(file, 1);
    runtime::CheckIo();
    bool hit = false;
    reader.start(file);
    std::string_view block;
    while (!hit && reader.next(block))
        hit = runtime::ContainsBytes(block, text);
    runtime::CloseIoFile(file);
    runtime::CheckIo();
    return hit;
}

} // namespace

int filenameSearch(ProgramState &state, MapList &list, const std::string &text, StatusText &status)
{
    auto &matches = state.MatchTable;
    matches.clear();
    const std::size_t count = list.count();
    for (std::size_t i = 0; i < count; ++i) {
        std::string entry = list.at(i);
        if (runtime::ContainsBytes(entry, text))
            matches.push_back(std::move(entry));
    }
    if (!matches.empty())
        showMatches(matches, list, status);
    return static_cast<int>(matches.size());
}

int fullSearch(ProgramState &state, MapList &list, const std::string &text, const std::string &mapsText,
               ProgressView &progress, StatusText &status, const std::function<void()> &notFound)
{
    runtime::SetWorkingDirectory(mapsText);
    runtime::CheckIo();
    auto &matches = state.MatchTable;
    matches.clear();
    const std::string directory = runtime::GetWorkingDirectory();

    const int maximum = state.MapCount;
    progress.setMaximum(maximum);
    progress.setPosition(0);
    progress.setVisible(true);

    // An empty text matches nothing, but every listed file is still opened,
    // so a missing map is reported whatever the text.
    MapBlockReader reader;
    const std::size_t count = list.count();
    for (std::size_t i = 0; i < count; ++i) {
        progress.setPosition(std::min(progress.position() + 1, maximum));
        std::string entry = list.at(i);
        if (mapFileContains(MapPath(directory, entry), text, reader))
            matches.push_back(std::move(entry));
    }

    if (matches.empty()) {
        if (notFound)
            notFound();
    } else {
        showMatches(matches, list, status);
        state.MapCount = static_cast<int>(matches.size());
    }
    progress.setVisible(false);
    return static_cast<int>(matches.size());
}

} // namespace catalogue
