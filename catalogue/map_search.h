#pragma once

#include "content_search.h"
#include "listed_map.h"
#include "program_state.h"
#include "runtime/directory_handle.h"
#include "runtime/io_error.h"
#include "views.h"

#include <functional>
#include <string>
#include <vector>

namespace catalogue {

inline constexpr const char *NoMapsFoundText = "No maps containing the desired search string were found";

// Narrows list to the entries whose names contain text; returns the number
// of matches. Nothing changes when there is none.
int filenameSearch(ProgramState &state, MapList &list, const std::string &text, StatusText &status);

// A listed map that a content search skipped, and why.
struct SkippedMap {
    ListedMap map;
    runtime::EInOutError error;
};

// Raised by a content search that skipped maps, once its matches are shown.
// The message is the first map's error, then a line that names it and counts
// the others: "File not found.\nZz Broken (and 2 more maps could not be read)";
// with none other, "Zz Broken (could not be read)". An empty entry (a file
// named "._x.fcw") is named by its file.
class UnreadableMapsError final : public runtime::Exception {
public:
    explicit UnreadableMapsError(std::vector<SkippedMap> skipped);
    const std::vector<SkippedMap> &skipped() const { return skipped_; }

private:
    std::vector<SkippedMap> skipped_;
};

// Narrows list to the entries whose map files in mapsText contain text
// anywhere; the current directory becomes mapsText. Runs notFound (while the
// progress is still shown) when nothing matched. jobs threads read the maps
// with ioDepth requests in flight (FindMapsContaining). Maps that cannot be
// read are skipped; after the matches are applied, UnreadableMapsError names
// them. letters: as FindMapsContaining takes it.
int fullSearch(ProgramState &state, MapList &list, const std::string &text, const std::string &mapsText,
               ProgressView &progress, StatusText &status, const std::function<void()> &notFound, unsigned jobs = 1,
               runtime::LetterCase letters = runtime::LetterCase::Exact, unsigned ioDepth = 0);

// fullSearch in three steps, for a caller that runs FindMapsContaining itself
// (on another thread). The first step enters mapsText, opens it and shows the
// progress, and returns the folder and a copy of the listed maps.
struct ContentSearchStart {
    runtime::DirectoryHandle maps;
    std::vector<ListedMap> listed;
};
ContentSearchStart BeginContentSearch(ProgramState &state, const MapList &list, const std::string &mapsText,
                                      ProgressView &progress);

// The last step, for a finished search over listed: the matches replace the
// list (or notFound runs while the progress still shows), the progress hides,
// and then UnreadableMapsError is raised for the maps the search skipped.
int ApplyContentSearch(ProgramState &state, MapList &list, const std::vector<ListedMap> &listed,
                       const ContentSearchResult &result, ProgressView &progress, StatusText &status,
                       const std::function<void()> &notFound);

} // namespace catalogue
