#include "map_search.h"

#include "content_search.h"
#include "map_scan.h"
#include "runtime/byte_strings.h"
#include "runtime/directory_handle.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <algorithm>

namespace catalogue {
namespace {

// Replaces the list with the matches and shows their number.
void showMatches(const std::vector<std::string> &matches, MapList &list, StatusText &status)
{
    list.assign(matches);
    status.setText(MapsFoundText(static_cast<int>(matches.size())));
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
               ProgressView &progress, StatusText &status, const std::function<void()> &notFound, unsigned jobs)
{
    const ContentSearchStart start = BeginContentSearch(state, list, mapsText, progress);
    const int maximum = state.MapCount;
    const ContentSearchResult result = FindMapsContaining(
        start.maps.fd(), start.entries, text,
        [&](std::size_t) {
            progress.setPosition(std::min(progress.position() + 1, maximum));
            return true;
        },
        jobs);
    return ApplyContentSearch(state, list, start.entries, result, progress, status, notFound);
}

ContentSearchStart BeginContentSearch(ProgramState &state, const MapList &list, const std::string &mapsText,
                                      ProgressView &progress)
{
    EnterMapsDirectory(state, mapsText);
    runtime::CheckIo();
    state.MatchTable.clear();
    ContentSearchStart start{runtime::DirectoryHandle::Open("."), {}};
    runtime::CheckIo();

    progress.setMaximum(state.MapCount);
    progress.setPosition(0);
    progress.setVisible(true);

    const std::size_t count = list.count();
    start.entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        start.entries.push_back(list.at(i));
    return start;
}

int ApplyContentSearch(ProgramState &state, MapList &list, const std::vector<std::string> &entries,
                       const ContentSearchResult &result, ProgressView &progress, StatusText &status,
                       const std::function<void()> &notFound)
{
    auto &matches = state.MatchTable;
    matches.clear();
    if (result.error) {
        // The progress shows the failing entry as started, as a block-by-block reading would.
        progress.setPosition(std::min(progress.position() + 1, state.MapCount));
        throw *result.error;
    }
    for (const std::size_t index : result.matches)
        matches.push_back(entries[index]);

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
