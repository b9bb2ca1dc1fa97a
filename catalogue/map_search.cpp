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
void showMatches(const std::vector<ListedMap> &matches, MapList &list, StatusText &status)
{
    list.assign(matches);
    status.setText(MapsFoundText(static_cast<int>(matches.size())));
}

// The first map's error, then a line naming it and counting the others.
std::string skippedText(const std::vector<SkippedMap> &skipped)
{
    if (skipped.empty())
        return {};
    const SkippedMap &first = skipped.front();
    const std::size_t more = skipped.size() - 1;
    std::string line = first.map.entry.empty() ? first.map.file : first.map.entry; // "._x.fcw" gives no entry
    if (more == 0)
        line += " (could not be read)";
    else
        line += " (and " + std::to_string(more) + (more == 1 ? " more map" : " more maps") + " could not be read)";
    return runtime::ReportText(first.error.what()) + "\n" + line;
}

} // namespace

UnreadableMapsError::UnreadableMapsError(std::vector<SkippedMap> skipped)
    : Exception(skippedText(skipped)), skipped_(std::move(skipped))
{}

int filenameSearch(ProgramState &state, MapList &list, const std::string &text, StatusText &status)
{
    auto &matches = state.MatchTable;
    matches.clear();
    std::vector<ListedMap> shown;
    const std::size_t count = list.count();
    for (std::size_t i = 0; i < count; ++i) {
        std::string entry = list.at(i);
        if (runtime::ContainsBytes(entry, text)) {
            matches.push_back(entry);
            shown.emplace_back(std::move(entry), list.fileAt(i));
        }
    }
    if (!shown.empty())
        showMatches(shown, list, status);
    return static_cast<int>(matches.size());
}

int fullSearch(ProgramState &state, MapList &list, const std::string &text, const std::string &mapsText,
               ProgressView &progress, StatusText &status, const std::function<void()> &notFound, unsigned jobs,
               runtime::LetterCase letters, unsigned ioDepth)
{
    const ContentSearchStart start = BeginContentSearch(state, list, mapsText, progress);
    const int maximum = state.MapCount;
    const ContentSearchResult result = FindMapsContaining(
        start.maps.fd(), start.listed, text,
        [&](std::size_t) {
            progress.setPosition(std::min(progress.position() + 1, maximum));
            return true;
        },
        jobs, {}, letters, ioDepth);
    return ApplyContentSearch(state, list, start.listed, result, progress, status, notFound);
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
    start.listed.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        start.listed.push_back(list.mapAt(i));
    return start;
}

int ApplyContentSearch(ProgramState &state, MapList &list, const std::vector<ListedMap> &listed,
                       const ContentSearchResult &result, ProgressView &progress, StatusText &status,
                       const std::function<void()> &notFound)
{
    auto &matches = state.MatchTable;
    matches.clear();
    std::vector<ListedMap> shown;
    shown.reserve(result.matches.size());
    for (const std::size_t index : result.matches) {
        matches.push_back(listed[index].entry);
        shown.push_back(listed[index]);
    }

    if (shown.empty()) {
        if (notFound)
            notFound();
    } else {
        showMatches(shown, list, status);
        state.MapCount = static_cast<int>(shown.size());
    }
    progress.setVisible(false);
    if (!result.unreadable.empty()) {
        std::vector<SkippedMap> skipped;
        skipped.reserve(result.unreadable.size());
        for (const UnreadableMap &map : result.unreadable)
            skipped.push_back({listed[map.index], map.error});
        throw UnreadableMapsError(std::move(skipped));
    }
    return static_cast<int>(shown.size());
}

} // namespace catalogue
